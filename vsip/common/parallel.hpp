// Parallel loop frame: independent items spread over OpenMP threads.
//
// parallel(count, body) runs body(i) for i = 0 .. count-1 and returns when
// every item is done.  It uses min(thread_count(), count) threads, each
// taking one contiguous run of item indices (for_nd); one item runs on the
// calling thread, and inside an active OpenMP region every item runs
// serially on the calling thread.  This is the only place of the library
// that opens OpenMP regions.  The body must be safe to run concurrently for
// different items.
//
// parallel_runs(n, min_run, align, body) cuts [0, n) into one contiguous
// run per thread for long element-wise passes: body(begin, end) per run.
// Every run but the last starts and ends at a multiple of `align`, so a
// loop that works in blocks from the start of its run meets the same
// blocks and the same remainder as one loop over all of [0, n).  Fewer
// than 2 x min_run elements, one thread, or an active OpenMP region: one
// call body(0, n) on the calling thread.
//
// thread_count() is the number of threads set through
// tml_vsip_set_num_threads, or without one (0 or negative) the OpenMP
// default omp_get_max_threads().  A count of 1 never opens a region.
#ifndef VSIP_COMMON_PARALLEL_HPP
#define VSIP_COMMON_PARALLEL_HPP

#include <cstdint>
#include <type_traits>

namespace vi {

using item_body = void (*)(std::int64_t item, void *context);
using run_body = void (*)(std::int64_t begin, std::int64_t end, void *context);

// Item runs of thread `thread` out of `threads`: [begin, end).
struct item_run {
    std::int64_t begin;
    std::int64_t end;
};
item_run run_of(int thread, int threads, std::int64_t count);

// Runs the items of one thread's share, in increasing order.
void for_nd(int thread, int threads, std::int64_t count, item_body body, void *context);

void parallel(std::int64_t count, item_body body, void *context);

void parallel_runs(std::int64_t n, std::int64_t min_run, std::int64_t align, run_body body,
                   void *context);

int thread_count();

// OpenMP regions the frame has opened since load (for tests).
std::int64_t regions_opened();

// Callable forms: body(std::int64_t item).
template <class F>
inline void parallel(std::int64_t count, F &&body) {
    using Body = std::remove_reference_t<F>;
    parallel(count, [](std::int64_t i, void *c) { (*static_cast<Body *>(c))(i); },
             const_cast<void *>(static_cast<const void *>(&body)));
}

template <class F>
inline void for_nd(int thread, int threads, std::int64_t count, F &&body) {
    using Body = std::remove_reference_t<F>;
    for_nd(thread, threads, count, [](std::int64_t i, void *c) { (*static_cast<Body *>(c))(i); },
           const_cast<void *>(static_cast<const void *>(&body)));
}

// body(std::int64_t begin, std::int64_t end).
template <class F>
inline void parallel_runs(std::int64_t n, std::int64_t min_run, std::int64_t align, F &&body) {
    using Body = std::remove_reference_t<F>;
    parallel_runs(
        n, min_run, align,
        [](std::int64_t b, std::int64_t e, void *c) { (*static_cast<Body *>(c))(b, e); },
        const_cast<void *>(static_cast<const void *>(&body)));
}

} // namespace vi

#endif // VSIP_COMMON_PARALLEL_HPP

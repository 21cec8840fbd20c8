// Parallel loop frame: independent items spread over OpenMP threads.
//
// parallel(count, body) runs body(i) for i = 0 .. count-1 and returns when
// every item is done.  It uses min(omp_get_max_threads(), count) threads,
// each taking one contiguous run of item indices (for_nd); one item runs on
// the calling thread, and inside an active OpenMP region every item runs
// serially on the calling thread.  This is the only place of the library
// that opens OpenMP regions.  The body must be safe to run concurrently for
// different items.
#ifndef VSIP_COMMON_PARALLEL_HPP
#define VSIP_COMMON_PARALLEL_HPP

#include <cstdint>
#include <type_traits>

namespace vi {

using item_body = void (*)(std::int64_t item, void *context);

// Item runs of thread `thread` out of `threads`: [begin, end).
struct item_run {
    std::int64_t begin;
    std::int64_t end;
};
item_run run_of(int thread, int threads, std::int64_t count);

// Runs the items of one thread's share, in increasing order.
void for_nd(int thread, int threads, std::int64_t count, item_body body, void *context);

void parallel(std::int64_t count, item_body body, void *context);

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

} // namespace vi

#endif // VSIP_COMMON_PARALLEL_HPP

// Parallel loop frame over OpenMP, and the library's thread count.
#include "common/parallel.hpp"

#include <omp.h>

#include <atomic>

#include <vsip_tv.h>

namespace vi {

namespace {

// Set by tml_vsip_set_num_threads; 0 means the OpenMP default.
std::atomic<int> requested_threads{0};
std::atomic<std::int64_t> regions{0};

} // namespace

int thread_count() {
    const int set = requested_threads.load(std::memory_order_relaxed);
    if (set > 0)
        return set;
    int threads = omp_get_max_threads();
    if (threads == 0)
        threads = omp_get_num_threads();
    return threads;
}

std::int64_t regions_opened() { return regions.load(std::memory_order_relaxed); }

item_run run_of(int thread, int threads, std::int64_t count) {
    if (threads <= 1 || count <= 0)
        return {0, count > 0 ? count : 0};
    // `full` threads take `chunk` items, the others chunk - 1.
    const std::int64_t chunk = (count + threads - 1) / threads;
    const std::int64_t full = count - threads * (chunk - 1);
    if (thread < full)
        return {thread * chunk, thread * chunk + chunk};
    const std::int64_t begin = full * chunk + (thread - full) * (chunk - 1);
    return {begin, begin + chunk - 1};
}

void for_nd(int thread, int threads, std::int64_t count, item_body body, void *context) {
    const item_run run = run_of(thread, threads, count);
    for (std::int64_t i = run.begin; i < run.end; ++i)
        body(i, context);
}

void parallel(std::int64_t count, item_body body, void *context) {
    const std::int64_t threads = thread_count();
    if (count == 1) {
        body(0, context);
        return;
    }
    const bool nested = omp_in_parallel();
    const std::int64_t team = nested ? 1 : (threads < count ? threads : count);
    if (team <= 0)
        return;
    if (!nested && team != 1) {
        regions.fetch_add(1, std::memory_order_relaxed);
#pragma omp parallel num_threads(static_cast<int>(team))
        for_nd(omp_get_thread_num(), omp_get_num_threads(), count, body, context);
        return;
    }
    for (std::int64_t i = 0; i < count; ++i)
        body(i, context);
}

void parallel_runs(std::int64_t n, std::int64_t min_run, std::int64_t align, run_body body,
                   void *context) {
    if (n <= 0)
        return;
    if (min_run < 1)
        min_run = 1;
    if (align < 1)
        align = 1;
    std::int64_t team = n / min_run;
    if (team >= 2 && !omp_in_parallel()) {
        const std::int64_t threads = thread_count();
        team = threads < team ? threads : team;
    } else {
        team = 1;
    }
    if (team <= 1) {
        body(0, n, context);
        return;
    }
    // One item per thread: a run of whole `align` units, the last one cut
    // at n.
    const std::int64_t units = (n + align - 1) / align;
    if (team > units)
        team = units;
    parallel(team, [&](std::int64_t item) {
        const item_run u = run_of(static_cast<int>(item), static_cast<int>(team), units);
        const std::int64_t end = u.end * align < n ? u.end * align : n;
        if (u.begin < u.end)
            body(u.begin * align, end, context);
    });
}

} // namespace vi

extern "C" {

VSIP_API void tml_vsip_set_num_threads(int threads) {
    vi::requested_threads.store(threads > 0 ? threads : 0, std::memory_order_relaxed);
}

VSIP_API int tml_vsip_get_num_threads(void) { return vi::thread_count(); }

} // extern "C"

// Parallel loop frame over OpenMP.
#include "common/parallel.hpp"

#include <omp.h>

namespace vi {

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
    std::int64_t threads = omp_get_max_threads();
    if (threads == 0)
        threads = omp_get_num_threads();
    if (count == 1) {
        body(0, context);
        return;
    }
    const bool nested = omp_in_parallel();
    const std::int64_t team = nested ? 1 : (threads < count ? threads : count);
    if (team <= 0)
        return;
    if (!nested && team != 1) {
#pragma omp parallel num_threads(static_cast<int>(team))
        for_nd(omp_get_thread_num(), omp_get_num_threads(), count, body, context);
        return;
    }
    for (std::int64_t i = 0; i < count; ++i)
        body(i, context);
}

} // namespace vi

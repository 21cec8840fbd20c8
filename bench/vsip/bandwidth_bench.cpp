// What memory allows the long element-wise calls: a copy and a triad
// (r = a + 3 b) over arrays far larger than the last-level cache, on one
// and on two OpenMP threads, and the same copy with non-temporal stores
// (no read of the destination lines before they are written).  Then
// vsExp over such arrays, called directly, and computed into a stack chunk
// of 2048 floats that is then streamed out with non-temporal stores: the
// experiment that decides whether the library's contiguous pass should
// stream its results.  Timed by the wall clock; bytes_per_second counts
// the bytes the program reads and writes (8 per element for the copies
// and vsExp, 12 for the triad), not the write-allocate reads.  The ratio
// table after the runs gives two threads against one and streamed against
// direct.
//
//   vsip_bandwidth_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>
#include <emmintrin.h>
#include <omp.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include <dazaro_tv.h>

#include "ratio_reporter.hpp"

namespace {

const long kSizes[] = {1000000, 10000000};

struct Arrays {
    std::vector<float> a, b, r;
    explicit Arrays(long n) : a(n), b(n, 1.0f), r(n, 0.0f) {
        for (long i = 0; i < n; ++i)
            a[i] = static_cast<float>((i % 1999) * 0.01 - 10.0);
    }
};

// body(begin, end) on `threads` threads, each one contiguous share.
template <class Body>
void on_threads(int threads, long n, Body body) {
#pragma omp parallel num_threads(threads)
    {
        const int t = omp_get_thread_num(), count = omp_get_num_threads();
        body(n * t / count, n * (t + 1) / count);
    }
}

// r[0, n) = b[0, n) with non-temporal stores where r is 16-byte aligned.
void stream_copy(const float *b, float *r, long n) {
    long i = 0;
    for (; i < n && (reinterpret_cast<std::uintptr_t>(r + i) & 15) != 0; ++i)
        r[i] = b[i];
    for (; i + 4 <= n; i += 4)
        _mm_stream_ps(r + i, _mm_loadu_ps(b + i));
    for (; i < n; ++i)
        r[i] = b[i];
}

// vsExp into an L1-sized chunk, streamed out.  Chunks start at multiples
// of 2048 elements, a multiple of every block width, so the results are
// those of one call.
void exp_streamed(long n, const float *a, float *r) {
    constexpr long kChunk = 2048;
    alignas(64) float chunk[kChunk];
    for (long i = 0; i < n; i += kChunk) {
        const int c = static_cast<int>(std::min(kChunk, n - i));
        vsExp(c, a + i, chunk);
        stream_copy(chunk, r + i, c);
    }
    _mm_sfence();
}

enum class Kind { Copy, Triad, StreamCopy, Exp, ExpStreamed };

template <Kind K, int Threads>
void run(benchmark::State &state) {
    const long n = state.range(0);
    Arrays o(n);
    const float *a = o.a.data(), *b = o.b.data();
    float *r = o.r.data();
    for (auto _ : state) {
        on_threads(Threads, n, [&](long begin, long end) {
            const long m = end - begin;
            if (K == Kind::Copy)
                for (long i = begin; i < end; ++i)
                    r[i] = a[i];
            else if (K == Kind::Triad)
                for (long i = begin; i < end; ++i)
                    r[i] = a[i] + 3.0f * b[i];
            else if (K == Kind::StreamCopy)
                stream_copy(a + begin, r + begin, m), _mm_sfence();
            else if (K == Kind::Exp)
                vsExp(static_cast<int>(m), a + begin, r + begin);
            else
                exp_streamed(m, a + begin, r + begin);
        });
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(r);
    state.SetBytesProcessed(state.iterations() * n * (K == Kind::Triad ? 12 : 8));
    state.SetItemsProcessed(state.iterations() * n);
}

void sizes(benchmark::internal::Benchmark *b) {
    for (long n : kSizes)
        b->Arg(n);
    b->UseRealTime();
}

} // namespace

BENCHMARK(run<Kind::Copy, 1>)->Name("copy_1thread")->Apply(sizes);
BENCHMARK(run<Kind::Copy, 2>)->Name("copy_2threads")->Apply(sizes);
BENCHMARK(run<Kind::Triad, 1>)->Name("triad_1thread")->Apply(sizes);
BENCHMARK(run<Kind::Triad, 2>)->Name("triad_2threads")->Apply(sizes);
BENCHMARK(run<Kind::StreamCopy, 1>)->Name("ntcopy_1thread")->Apply(sizes);
BENCHMARK(run<Kind::StreamCopy, 2>)->Name("ntcopy_2threads")->Apply(sizes);
BENCHMARK(run<Kind::Exp, 1>)->Name("vsExp_1thread")->Apply(sizes);
BENCHMARK(run<Kind::Exp, 2>)->Name("vsExp_2threads")->Apply(sizes);
BENCHMARK(run<Kind::ExpStreamed, 1>)->Name("vsExp_streamed_1thread")->Apply(sizes);
BENCHMARK(run<Kind::ExpStreamed, 2>)->Name("vsExp_streamed_2threads")->Apply(sizes);

int main(int argc, char **argv) {
    RatioReporter reporter({{"copy_2threads", "copy_1thread"},
                            {"triad_2threads", "triad_1thread"},
                            {"ntcopy_2threads", "ntcopy_1thread"},
                            {"ntcopy_1thread", "copy_1thread"},
                            {"ntcopy_2threads", "copy_2threads"},
                            {"vsExp_2threads", "vsExp_1thread"},
                            {"vsExp_streamed_1thread", "vsExp_1thread"},
                            {"vsExp_streamed_2threads", "vsExp_2threads"}},
                           std::vector<long>(std::begin(kSizes), std::end(kSizes)));
    return run_with_ratios(argc, argv, reporter);
}

// Parallel loop frame: the run split per thread, the thread-count rule,
// and serial execution for one item and inside an active OpenMP region;
// the library's thread count; the runs of long element-wise passes.
#include <gtest/gtest.h>

#include <omp.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include <vsip_tv.h>

#include "common/parallel.hpp"

namespace {

struct SplitCase {
    int threads;
    std::int64_t count;
    std::vector<std::pair<std::int64_t, std::int64_t>> runs; // [begin, end) per thread
};

class Split : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Split, EachThreadTakesOneContiguousRun) {
    const SplitCase &c = GetParam();
    std::int64_t next = 0;
    for (int t = 0; t < c.threads; ++t) {
        std::vector<std::int64_t> seen;
        vi::for_nd(t, c.threads, c.count, [&](std::int64_t i) { seen.push_back(i); });
        const auto want = c.runs[static_cast<std::size_t>(t)];
        ASSERT_EQ(static_cast<std::int64_t>(seen.size()), want.second - want.first) << "thread " << t;
        for (std::size_t k = 0; k < seen.size(); ++k)
            EXPECT_EQ(seen[k], want.first + static_cast<std::int64_t>(k)) << "thread " << t;
        EXPECT_EQ(want.first, next) << "runs must tile the items in order";
        next = want.second;
    }
    EXPECT_EQ(next, c.count);
}

INSTANTIATE_TEST_SUITE_P(Table, Split,
                         ::testing::Values(SplitCase{4, 10, {{0, 3}, {3, 6}, {6, 8}, {8, 10}}},
                                           SplitCase{4, 8, {{0, 2}, {2, 4}, {4, 6}, {6, 8}}},
                                           SplitCase{3, 7, {{0, 3}, {3, 5}, {5, 7}}},
                                           SplitCase{2, 1, {{0, 1}, {1, 1}}},
                                           SplitCase{1, 5, {{0, 5}}},
                                           SplitCase{4, 0, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}}));

struct Record {
    std::int64_t item;
    int thread;
    int team;
    bool in_parallel;
};

std::vector<Record> run_recorded(std::int64_t count) {
    std::vector<Record> seen(static_cast<std::size_t>(count > 0 ? count : 0), Record{-1, -1, -1, false});
    std::atomic<int> calls{0};
    vi::parallel(count, [&](std::int64_t i) {
        seen[static_cast<std::size_t>(i)] = {i, omp_get_thread_num(), omp_get_num_threads(),
                                             omp_in_parallel() != 0};
        ++calls;
    });
    EXPECT_EQ(calls.load(), count > 0 ? count : 0);
    return seen;
}

TEST(Parallel, TenItemsOnFourThreadsRunInTheSpecifiedRuns) {
    const int saved = omp_get_max_threads();
    omp_set_num_threads(4);
    const std::vector<Record> seen = run_recorded(10);
    omp_set_num_threads(saved);
    const int owner[] = {0, 0, 0, 1, 1, 1, 2, 2, 3, 3};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(seen[i].item, i);
        EXPECT_EQ(seen[i].thread, owner[i]) << "item " << i;
        EXPECT_EQ(seen[i].team, 4);
    }
}

TEST(Parallel, TeamIsCappedByTheItemCount) {
    const int saved = omp_get_max_threads();
    omp_set_num_threads(4);
    const std::vector<Record> seen = run_recorded(3);
    omp_set_num_threads(saved);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[i].team, 3);
        EXPECT_EQ(seen[i].thread, i);
    }
}

TEST(Parallel, OneItemRunsOnTheCallerWithoutARegion) {
    const int saved = omp_get_max_threads();
    omp_set_num_threads(4);
    const std::vector<Record> seen = run_recorded(1);
    omp_set_num_threads(saved);
    EXPECT_FALSE(seen[0].in_parallel);
    EXPECT_EQ(seen[0].team, 1);
}

TEST(Parallel, NoItemsDoNothing) {
    run_recorded(0);
    run_recorded(-3);
}

TEST(Parallel, InsideAnActiveRegionEveryItemRunsSeriallyOnTheCaller) {
    std::mutex lock;
    std::vector<std::vector<std::int64_t>> order(2);
    std::vector<std::vector<int>> threads(2);
#pragma omp parallel num_threads(2)
    {
        const int me = omp_get_thread_num();
        std::vector<std::int64_t> mine;
        std::vector<int> who;
        vi::parallel(10, [&](std::int64_t i) {
            mine.push_back(i);
            who.push_back(omp_get_thread_num());
        });
        std::lock_guard<std::mutex> guard(lock);
        order[static_cast<std::size_t>(me)] = mine;
        threads[static_cast<std::size_t>(me)] = who;
    }
    for (int t = 0; t < 2; ++t) {
        ASSERT_EQ(order[t].size(), 10u);
        for (std::int64_t i = 0; i < 10; ++i) {
            EXPECT_EQ(order[t][static_cast<std::size_t>(i)], i);
            EXPECT_EQ(threads[t][static_cast<std::size_t>(i)], t);
        }
    }
}

// ---- The library's thread count -------------------------------------------------

// The library's thread count for one scope.
struct ThreadSetting {
    explicit ThreadSetting(int n) { tml_vsip_set_num_threads(n); }
    ~ThreadSetting() { tml_vsip_set_num_threads(0); }
};

// OpenMP's own thread count for one scope.
struct OmpThreads {
    int saved = omp_get_max_threads();
    explicit OmpThreads(int n) { omp_set_num_threads(n); }
    ~OmpThreads() { omp_set_num_threads(saved); }
};

struct CountCase {
    int omp;  // omp_set_num_threads
    int set;  // tml_vsip_set_num_threads
    int want; // tml_vsip_get_num_threads
};

class Count : public ::testing::TestWithParam<CountCase> {};

TEST_P(Count, SetThenGet) {
    const CountCase &c = GetParam();
    OmpThreads omp(c.omp);
    ThreadSetting set(c.set);
    EXPECT_EQ(tml_vsip_get_num_threads(), c.want);
    EXPECT_EQ(vi::thread_count(), c.want);
}

// A positive count wins over OpenMP's; 0 and negative counts give OpenMP's.
INSTANTIATE_TEST_SUITE_P(Table, Count,
                         ::testing::Values(CountCase{4, 3, 3}, CountCase{1, 3, 3}, CountCase{4, 1, 1},
                                           CountCase{3, 0, 3}, CountCase{3, -2, 3}, CountCase{1, 0, 1},
                                           CountCase{2, 64, 64}));

TEST(Count, ReturnsToTheOpenMPDefault) {
    OmpThreads omp(3);
    tml_vsip_set_num_threads(2);
    EXPECT_EQ(tml_vsip_get_num_threads(), 2);
    tml_vsip_set_num_threads(0);
    EXPECT_EQ(tml_vsip_get_num_threads(), 3);
}

TEST(Count, OneOpensNoRegionWhateverOpenMPSays) {
    OmpThreads omp(4);
    ThreadSetting one(1);
    const std::int64_t before = vi::regions_opened();
    const std::vector<Record> seen = run_recorded(10);
    EXPECT_EQ(vi::regions_opened(), before);
    for (const Record &r : seen) {
        EXPECT_FALSE(r.in_parallel);
        EXPECT_EQ(r.team, 1);
    }
}

TEST(Count, SetCountIsTheTeamSizeWhenOpenMPSaysOne) {
    OmpThreads omp(1);
    ThreadSetting three(3);
    const std::int64_t before = vi::regions_opened();
    const std::vector<Record> seen = run_recorded(7);
    EXPECT_EQ(vi::regions_opened(), before + 1);
    const int owner[] = {0, 0, 0, 1, 1, 2, 2};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(seen[i].team, 3);
        EXPECT_EQ(seen[i].thread, owner[i]) << "item " << i;
    }
}

// ---- Runs of long element-wise passes ------------------------------------------------

struct RunsCase {
    std::int64_t n, min_run, align;
    int threads;
    std::vector<std::pair<std::int64_t, std::int64_t>> runs; // [begin, end), in order
};

class Runs : public ::testing::TestWithParam<RunsCase> {};

TEST_P(Runs, CoverTheRangeInAlignedPieces) {
    const RunsCase &c = GetParam();
    ThreadSetting set(c.threads);
    std::mutex lock;
    std::vector<std::pair<std::int64_t, std::int64_t>> seen;
    std::vector<bool> in_region;
    const std::int64_t before = vi::regions_opened();
    vi::parallel_runs(c.n, c.min_run, c.align, [&](std::int64_t b, std::int64_t e) {
        std::lock_guard<std::mutex> guard(lock);
        seen.emplace_back(b, e);
        in_region.push_back(omp_in_parallel() != 0);
    });
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, c.runs);
    const bool threaded = c.runs.size() > 1;
    EXPECT_EQ(vi::regions_opened() - before, threaded ? 1 : 0);
    for (bool r : in_region)
        EXPECT_EQ(r, threaded);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Runs,
    ::testing::Values(
        // Below two runs of min_run: one call on the caller.
        RunsCase{1999, 1000, 1, 4, {{0, 1999}}},
        RunsCase{2000, 1000, 1, 4, {{0, 1000}, {1000, 2000}}},
        // Run boundaries on multiples of align, the last run cut at n.
        RunsCase{10000, 1000, 1024, 2, {{0, 5120}, {5120, 10000}}},
        RunsCase{5000, 1000, 1024, 4, {{0, 2048}, {2048, 3072}, {3072, 4096}, {4096, 5000}}},
        // No more runs than min_run allows, nor than align units.
        RunsCase{3000, 1000, 1024, 4, {{0, 1024}, {1024, 2048}, {2048, 3000}}},
        RunsCase{1500, 500, 1024, 4, {{0, 1024}, {1024, 1500}}},
        // One thread, or nothing to do.
        RunsCase{100000, 1000, 1024, 1, {{0, 100000}}},
        RunsCase{0, 1000, 1024, 4, {}}));

TEST(Runs, InsideAnActiveRegionOneRunOnTheCaller) {
    ThreadSetting two(2);
    std::vector<std::vector<std::pair<std::int64_t, std::int64_t>>> seen(2);
#pragma omp parallel num_threads(2)
    {
        const std::size_t me = static_cast<std::size_t>(omp_get_thread_num());
        vi::parallel_runs(100000, 1000, 1024, [&](std::int64_t b, std::int64_t e) {
            seen[me].emplace_back(b, e);
        });
    }
    const std::vector<std::pair<std::int64_t, std::int64_t>> whole = {{0, 100000}};
    EXPECT_EQ(seen[0], whole);
    EXPECT_TRUE(seen[1].empty() || seen[1] == whole);
}

} // namespace

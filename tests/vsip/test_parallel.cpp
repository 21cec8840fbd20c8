// Parallel loop frame: the run split per thread, the thread-count rule,
// and serial execution for one item and inside an active OpenMP region.
#include <gtest/gtest.h>

#include <omp.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

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

} // namespace

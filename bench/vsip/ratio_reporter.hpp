// Console reporter that keeps the time per iteration of every run and,
// after the runs, prints library / baseline ratios for named pairs at each
// size (medians when the runs are repeated): processor time, so other load
// on a shared machine largely cancels out, except for runs timed by the
// wall clock (UseRealTime, threaded).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter(std::vector<std::pair<std::string, std::string>> pairs, std::vector<long> sizes)
        : pairs_(std::move(pairs)), sizes_(std::move(sizes)) {}

    // With --benchmark_repetitions, the median of the repetitions (reported
    // after them) replaces the single runs' times.
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median)
                continue;
            const std::string name = run.run_name.str();
            times_[name] = name.find("/real_time") != std::string::npos ? run.GetAdjustedRealTime()
                                                                         : run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Time per iteration of a run by its full name, or 0 if it did not run.
    double time(const std::string &name) const {
        const auto t = times_.find(name);
        return t == times_.end() ? 0 : t->second;
    }

    void print_ratios(const char *title = "view layer / baseline (processor time, same run; under 1.05 is within 5%)") const {
        std::printf("\n%s:\n", title);
        for (const auto &[view, base] : pairs_)
            for (long n : sizes_) {
                const std::string suffix = "/" + std::to_string(n);
                const double v = time_at(view + suffix), b = time_at(base + suffix);
                if (v > 0 && b > 0)
                    std::printf("  %-26s / %-22s n = %9ld: %.3f\n", view.c_str(), base.c_str(), n, v / b);
            }
    }

private:
    // A run by name and size, timed by processor or (".../real_time") wall clock.
    double time_at(const std::string &name) const {
        const double t = time(name);
        return t > 0 ? t : time(name + "/real_time");
    }

    std::vector<std::pair<std::string, std::string>> pairs_;
    std::vector<long> sizes_;
    std::map<std::string, double> times_;
};

// main() of a benchmark program that ends with the ratio table.
inline int run_with_ratios(int argc, char **argv, RatioReporter &reporter) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios();
    benchmark::Shutdown();
    return 0;
}

// Runs a table of cases from many threads at once and compares every
// thread's output, bit for bit, with a serial run of the same case.
//
// A case builds everything it needs (inputs, objects, outputs) on the
// calling thread, runs, releases what it made and returns the output bytes,
// so two threads never share data: any difference, or a ThreadSanitizer
// report, points at state the library shares between calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace concur {

using Bytes = std::vector<unsigned char>;

struct Case {
    const char *name;
    std::function<Bytes()> run;
};

// Appends the object representation of `count` values.
template <class T>
void append(Bytes &out, const T *values, std::size_t count) {
    const auto *p = reinterpret_cast<const unsigned char *>(values);
    out.insert(out.end(), p, p + count * sizeof(T));
}
template <class T>
void append(Bytes &out, const T &value) {
    append(out, &value, 1);
}
template <class T>
Bytes bytes_of(const std::vector<T> &values) {
    Bytes out;
    append(out, values.data(), values.size());
    return out;
}

// Thread count and rounds: 16 threads by default; CONCUR_THREADS and
// CONCUR_ROUNDS override them (the ThreadSanitizer stage runs fewer rounds).
inline int setting(const char *name, int fallback) {
    const char *v = std::getenv(name);
    const long n = v ? std::strtol(v, nullptr, 10) : 0;
    return n > 0 && n <= 1024 ? static_cast<int>(n) : fallback;
}
inline int thread_count() { return setting("CONCUR_THREADS", 16); }

// Every case once serially, then `rounds` passes over the whole table on
// each of thread_count() threads.  Thread t starts at case t (mod the table
// size), so different cases run at the same moment as well as the same case.
inline void expect_same_as_serial(const std::vector<Case> &cases, int rounds) {
    rounds = setting("CONCUR_ROUNDS", rounds);
    const int threads = thread_count();
    std::vector<Bytes> serial;
    for (const Case &c : cases) {
        serial.push_back(c.run());
        ASSERT_FALSE(serial.back().empty()) << c.name;
    }
    std::vector<std::vector<int>> mismatches(threads, std::vector<int>(cases.size(), 0));
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            for (int r = 0; r < rounds; ++r)
                for (std::size_t k = 0; k < cases.size(); ++k) {
                    const std::size_t c = (k + static_cast<std::size_t>(t)) % cases.size();
                    mismatches[t][c] += cases[c].run() != serial[c];
                }
        });
    for (std::thread &th : pool)
        th.join();
    for (int t = 0; t < threads; ++t)
        for (std::size_t c = 0; c < cases.size(); ++c)
            EXPECT_EQ(mismatches[t][c], 0) << "thread " << t << ", " << cases[c].name;
}

} // namespace concur

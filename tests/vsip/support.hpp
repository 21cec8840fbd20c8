// Shared helpers of the libvsip-tv tests: standard-output capture,
// environment settings restored on scope exit, and an allocator that
// fails on a chosen call and tracks what is still allocated.
#ifndef VSIP_TESTS_SUPPORT_HPP
#define VSIP_TESTS_SUPPORT_HPP

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unistd.h>

#include "internal.hpp"

namespace vsiptest {

// Runs `body` with file descriptor 1 redirected to a temporary file and
// returns everything written to standard output.
inline std::string capture_stdout(const std::function<void()> &body) {
    std::fflush(stdout);
    std::FILE *sink = std::tmpfile();
    int saved = dup(1);
    dup2(fileno(sink), 1);
    body();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    std::string text;
    std::rewind(sink);
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, sink)) > 0)
        text.append(buffer, got);
    std::fclose(sink);
    return text;
}

// Sets (or unsets, for nullopt) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<std::string> value) : name_(name) {
        if (const char *old = std::getenv(name))
            old_ = old;
        apply(value);
    }
    ~ScopedEnv() { apply(old_); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void apply(const std::optional<std::string> &value) {
        if (value)
            setenv(name_, value->c_str(), 1);
        else
            unsetenv(name_);
    }
    const char *name_;
    std::optional<std::string> old_;
};

// Library allocations fail from call number `fail_at` (1-based) on, for one
// scope; live() reports the blocks still allocated through the hooks.
class FailingAllocator {
public:
    explicit FailingAllocator(long fail_at) {
        state() = State{fail_at, 0, {}};
        VI_alloc_hooks hooks{&allocate, &release};
        previous_ = VI_set_alloc_hooks(&hooks);
    }
    ~FailingAllocator() { VI_set_alloc_hooks(&previous_); }
    FailingAllocator(const FailingAllocator &) = delete;
    FailingAllocator &operator=(const FailingAllocator &) = delete;

    long calls() const { return state().calls; }
    bool failed() const { return state().fail_at > 0 && state().calls >= state().fail_at; }
    std::size_t live() const { return state().live.size(); }

private:
    struct State {
        long fail_at;
        long calls;
        std::set<void *> live;
    };
    static State &state() {
        static State s;
        return s;
    }
    static void *allocate(std::size_t bytes) {
        State &s = state();
        ++s.calls;
        if (s.fail_at > 0 && s.calls == s.fail_at)
            return nullptr;
        void *p = std::malloc(bytes);
        if (p)
            s.live.insert(p);
        return p;
    }
    static void release(void *p) {
        if (p)
            state().live.erase(p);
        std::free(p);
    }
    VI_alloc_hooks previous_{};
};

// What one run under a FailingAllocator asked for: the allocation requests
// made, whether the failing one was reached, and the blocks left behind.
struct AllocationTally {
    long calls = 0;
    bool failed = false;
    std::size_t live = 0;
};

// Runs `body` with library allocation `fail_at` failing (0: none fails).
inline AllocationTally tally_allocations(long fail_at, const std::function<void()> &body) {
    FailingAllocator allocator(fail_at);
    body();
    return {allocator.calls(), allocator.failed(), allocator.live()};
}

// For k = 1, 2, ...: make the k-th allocation fail and run `attempt`,
// which returns the created object or null; with `destroy` releasing a
// non-null result.  Checks that a failure yields null with nothing left
// allocated and that success comes once every allocation succeeds.
// Returns the number of allocations a successful attempt needs.
template <class T>
long for_every_failing_allocation(const std::function<T *()> &attempt,
                                  const std::function<void(T *)> &destroy,
                                  std::string *problem) {
    for (long k = 1; k < 64; ++k) {
        FailingAllocator allocator(k);
        T *made = attempt();
        bool failed = allocator.failed();
        if (failed && made) {
            *problem = "non-null result although allocation " + std::to_string(k) + " failed";
            destroy(made);
            return -1;
        }
        if (made) {
            destroy(made);
            if (allocator.live() != 0)
                *problem = "destroy left allocations behind";
            return allocator.calls();
        }
        if (allocator.live() != 0) {
            *problem = "null result with " + std::to_string(allocator.live()) +
                       " allocation(s) left behind after failing call " + std::to_string(k);
            return -1;
        }
        if (!failed) {
            *problem = "null result without an allocation failure";
            return -1;
        }
    }
    *problem = "never succeeded";
    return -1;
}

// One log line as VI_log prints it; `level` as printed (ERROR and WARNING
// are coloured).
inline std::string log_line(const char *level, const std::string &function, const std::string &message) {
    return std::string("[") + level + "] \033[1;37mfunc=" + function + ", " + message + "\033[0m\n";
}
inline std::string error_line(const std::string &function, const std::string &message) {
    return log_line("\033[1;31mERROR\033[0m", function, message);
}

} // namespace vsiptest

#endif

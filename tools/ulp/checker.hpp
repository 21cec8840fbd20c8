// Measurement of one declared kernel: ULP error against the MPFR
// reference, lane independence and agreement with its wider shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "rows.hpp"

namespace tvml_ulp {

struct Options {
    size_t samples = 2000;         // per interval and per distribution
    uint64_t seed = 1;
    bool exhaustive = false;       // every float of the range (one-argument float rows)
    bool has_range = false;        // exhaustive range instead of the intervals
    double range_lo = 0, range_hi = 0;
    uint64_t stride = 1;           // exhaustive step in representable numbers
    bool fast_reference = true;    // double libm where it provably rounds right
    bool specials = true;
    bool lanes = true;
    bool agreement = true;
    bool strict_specials = false;  // specials outside the intervals count too
    std::string partner;           // explicit agreement partner (else automatic)
    double partner_bound = -1;     // steps allowed against an explicit partner
};

// Largest error seen and where.
struct Worst {
    double steps = 0;  // representable numbers from the correctly rounded value
    double err = 0;    // ulps from the exact value
    double x = 0, y = 0, got = 0, want = 0;
    size_t count = 0;
    void note(double s, double e, double x_, double y_, double got_, double want_);
};

enum class Status { Pass, Fail, Skipped, Error };

struct Result {
    Row row;
    bool is_float = false;
    Status status = Status::Pass;
    std::string reason;       // for Fail, Skipped and Error
    Worst inside;             // inputs within the intervals (the bound applies)
    Worst outside;            // special values outside the intervals
    size_t lane_checks = 0;   // lanes compared with other lanes replaced
    size_t lane_breaks = 0;
    std::string lane_example;
    std::string partner;      // agreement partner, if one was run
    bool partner_required = false;
    Worst agreement;          // steps between the two kernels' results
};

Result check_row(const Row& row, const Options& options);

const char* status_name(Status s);

}  // namespace tvml_ulp

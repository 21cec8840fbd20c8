// tvml-ulp: maximum ULP error of the library's kernels against MPFR.
//
// Runs every row of vml/kernels/accuracy.def (or of --def files, or one
// kernel declared on the command line) and prints, per kernel, the largest
// distance from the correctly rounded result over random samples of the
// declared intervals, special values and interval edges (and every float of
// a range with --exhaustive), whether each lane's result is independent of
// the other lanes, and how far the 4-lane (2-lane) kernel is from its 8-lane
// (4-lane) counterpart.  Exit status 1 when a kernel exceeds its bound.
#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "checker.hpp"
#include "dazaro_tv.h"
#include "reference.hpp"
#include "rows.hpp"

using namespace tvml_ulp;

namespace {

const char kUsage[] =
    "usage: tvml-ulp [options]\n"
    "Rows: every row of accuracy.def unless --def or --reference is given.\n"
    "  --def FILE           rows from FILE: TVML_ACCURACY rows as in accuracy.def, or\n"
    "                       TVML_KERNEL_ACCURACY(kernel, reference, arity, bound, \"intervals\")\n"
    "                       rows of single kernels (repeatable)\n"
    "  --kernel NAME        only rows of NAME (repeatable); with --reference, declares NAME\n"
    "  --reference NAME     libm name of the reference (expf, pow, ...) for --kernel rows\n"
    "  --interval TEXT      intervals of --kernel rows, as in accuracy.def (\"-80 80\")\n"
    "  --arity N            arity of --kernel rows (default: the reference's)\n"
    "  --bound U            declared max ULP of --kernel rows (default: none)\n"
    "  --load LIB           load the shared library LIB first, for kernels outside dazaro-tv\n"
    "Inputs:\n"
    "  --samples N          random samples per interval and distribution (default 2000)\n"
    "  --seed S             random seed (default 1)\n"
    "  --exhaustive         every float of the intervals (one-argument float rows)\n"
    "  --range \"LO HI\"      exhaustive range instead of the intervals\n"
    "  --stride K           exhaustive step in representable numbers (default 1)\n"
    "  --no-specials, --no-lanes, --no-agreement   skip those checks\n"
    "  --strict-specials    special values outside the intervals count against the bound\n"
    "  --mpfr-only          MPFR for every reference value (default: double libm for\n"
    "                       float results where it provably rounds the same)\n"
    "Agreement:\n"
    "  --pair A,B[,U]       the row of A must agree with kernel B within U steps (default 0)\n"
    "                       instead of the automatic wider-shape comparison\n"
    "Output:\n"
    "  --markdown           the README accuracy table\n"
    "  --list               the rows, without running them\n";

struct Pair {
    std::string partner;
    double bound;
};

std::string format_value(double v, bool is_float) {
    char text[64];
    std::snprintf(text, sizeof text, is_float ? "%.9g" : "%.17g", v);
    return text;
}

std::string format_steps(double s) {
    if (std::isinf(s)) return "inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", s);
    return text;
}

std::string format_error(double e) {
    if (std::isinf(e)) return "inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", e);
    return text;
}

std::string format_bound(double b) {
    if (std::isinf(b)) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%g", b);
    return text;
}

std::string where(const Worst& w, int arity, bool is_float) {
    std::string s = "x=" + format_value(w.x, is_float);
    if (arity != 1) s += " y=" + format_value(w.y, is_float);
    return s + " got " + format_value(w.got, is_float) + " want " + format_value(w.want, is_float);
}

// The kernel, marked when its second output is measured.
std::string kernel_label(const Row& row) { return row.kernel + (row.output == 2 ? " (r2)" : ""); }

void print_human(const Result& r) {
    const bool ran = r.status == Status::Pass || r.status == Status::Fail;
    std::printf("%-26s %-8s %9zu %6s %9s %5s  %-7s", kernel_label(r.row).c_str(), r.row.reference.c_str(),
                r.inside.count + r.outside.count, ran ? format_steps(r.inside.steps).c_str() : "-",
                ran ? format_error(r.inside.err).c_str() : "-", format_bound(r.row.max_ulp).c_str(),
                status_name(r.status));
    if (ran && r.inside.count) std::printf("  at %s", where(r.inside, r.row.arity, r.is_float).c_str());
    std::printf("\n");
    if (!r.reason.empty()) std::printf("    %s\n", r.reason.c_str());
    if (!ran) return;
    if (r.outside.count)
        std::printf("    outside the intervals (not bounded): %zu specials, max %s ulp at %s\n", r.outside.count,
                    format_steps(r.outside.steps).c_str(), where(r.outside, r.row.arity, r.is_float).c_str());
    if (r.lane_checks)
        std::printf("    lane independence: %zu lanes checked, %zu differ\n", r.lane_checks, r.lane_breaks);
    if (!r.partner.empty())
        std::printf("    agreement with %s: max %s ulp%s%s\n", r.partner.c_str(), format_steps(r.agreement.steps).c_str(),
                    r.agreement.steps > 0 ? " at " : "",
                    r.agreement.steps > 0 ? where(r.agreement, r.row.arity, r.is_float).c_str() : "");
}

void print_markdown_header() {
    std::printf("| Kernel | Reference | Max ULP (measured) | Max error (ulp of exact) | Bound | Intervals |\n");
    std::printf("|---|---|---|---|---|---|\n");
}

void print_markdown(const Result& r) {
    const bool ran = r.status == Status::Pass || r.status == Status::Fail;
    std::string intervals = r.row.intervals;
    std::printf("| `%s` | %s | %s | %s | %s | %s |\n", kernel_label(r.row).c_str(), r.row.reference.c_str(),
                ran ? format_steps(r.inside.steps).c_str() : status_name(r.status),
                ran ? format_error(r.inside.err).c_str() : "-", format_bound(r.row.max_ulp).c_str(),
                intervals.c_str());
}

bool parse_number(const char* text, double& v) {
    char* end = nullptr;
    v = std::strtod(text, &end);
    return *text && *end == '\0';
}

int usage_error(const std::string& message) {
    std::fprintf(stderr, "tvml-ulp: %s\n%s", message.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<std::string> def_files, kernels;
    std::map<std::string, Pair> pairs;
    std::string reference, interval;
    double arity = 0, bound = INFINITY;
    bool markdown = false, list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        const char* value = has_value ? argv[i + 1] : "";
        double v = 0;
        auto number = [&](double& out) {
            if (!has_value || !parse_number(value, out)) return false;
            ++i;
            return true;
        };
        auto text = [&](std::string& out) {
            if (!has_value) return false;
            out = value;
            ++i;
            return true;
        };
        std::string s;
        if (a == "--def" && text(s)) def_files.push_back(s);
        else if (a == "--kernel" && text(s)) kernels.push_back(s);
        else if (a == "--load" && text(s)) {
            if (!dlopen(s.c_str(), RTLD_NOW | RTLD_GLOBAL)) return usage_error(std::string("--load: ") + dlerror());
        }
        else if (a == "--reference" && text(reference)) {}
        else if (a == "--interval" && text(interval)) {}
        else if (a == "--arity" && number(arity)) {}
        else if (a == "--bound" && number(bound)) {}
        else if (a == "--samples" && number(v)) options.samples = size_t(v);
        else if (a == "--seed" && number(v)) options.seed = uint64_t(v);
        else if (a == "--stride" && number(v) && v >= 1) options.stride = uint64_t(v);
        else if (a == "--range" && text(s)) {
            std::vector<Box> boxes;
            std::string why;
            if (!parse_intervals(s, 1, boxes, why) || boxes.size() != 1) return usage_error("--range: " + why);
            options.has_range = true;
            options.range_lo = boxes[0].xlo;
            options.range_hi = boxes[0].xhi;
        } else if (a == "--pair" && text(s)) {
            const size_t c1 = s.find(','), c2 = s.find(',', c1 + 1);
            double u = 0;
            if (c1 == std::string::npos ||
                (c2 != std::string::npos && !parse_number(s.substr(c2 + 1).c_str(), u)))
                return usage_error("--pair wants A,B[,U]");
            pairs[s.substr(0, c1)] = {s.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1), u};
        } else if (a == "--exhaustive") options.exhaustive = true;
        else if (a == "--no-specials") options.specials = false;
        else if (a == "--no-lanes") options.lanes = false;
        else if (a == "--no-agreement") options.agreement = false;
        else if (a == "--strict-specials") options.strict_specials = true;
        else if (a == "--mpfr-only") options.fast_reference = false;
        else if (a == "--markdown") markdown = true;
        else if (a == "--list") list = true;
        else if (a == "--help" || a == "-h") {
            std::printf("%s", kUsage);
            return 0;
        } else return usage_error("unknown or incomplete option " + a);
    }

    std::vector<Row> rows;
    std::string why;
    if (!reference.empty()) {
        if (kernels.empty()) return usage_error("--reference needs --kernel");
        const Reference* ref = find_reference(reference);
        if (!ref) return usage_error("unknown reference " + reference);
        const int n = arity > 0 ? int(arity) : reference_arity(*ref);
        if (interval.empty()) interval = n == 1 ? "-inf inf" : "-inf inf x -inf inf";
        for (const std::string& k : kernels) {
            Row row;
            row.kernel = k;
            row.reference = reference;
            row.arity = n;
            row.max_ulp = bound;
            row.intervals = interval;
            rows.push_back(row);
        }
    } else {
        if (def_files.empty()) rows = builtin_rows();
        for (const std::string& f : def_files) {
            if (!read_rows(f, rows, why)) return usage_error(why);
        }
        if (!kernels.empty()) {
            std::vector<Row> chosen;
            for (const Row& r : rows) {
                for (const std::string& k : kernels) {
                    if (r.kernel == k) chosen.push_back(r);
                }
            }
            if (chosen.empty()) return usage_error("no row declares the kernels asked for");
            rows = chosen;
        }
    }
    for (Row& r : rows) {
        if (!finish_row(r, why)) return usage_error(why);
    }

    if (list) {
        for (const Row& r : rows)
            std::printf("%s %s %d %s \"%s\"\n", kernel_label(r).c_str(), r.reference.c_str(), r.arity,
                        format_bound(r.max_ulp).c_str(), r.intervals.c_str());
        return 0;
    }

    if (markdown) {
        print_markdown_header();
    } else {
        std::printf("library architecture %s; steps from the correctly rounded result (ulp), error against the "
                    "exact value (err)\n",
                    vml_get_cpu_arch());
        std::printf("%-26s %-8s %9s %6s %9s %5s  %-7s\n", "kernel", "ref", "samples", "ulp", "err", "bound",
                    "result");
    }
    if (rows.empty() && !markdown) std::printf("(no rows)\n");
    int failures = 0;
    for (const Row& row : rows) {
        Options o = options;
        const auto pair = pairs.find(row.kernel);
        if (pair != pairs.end()) {
            o.partner = pair->second.partner;
            o.partner_bound = pair->second.bound;
        }
        const Result r = check_row(row, o);
        if (markdown) print_markdown(r);
        else print_human(r);
        std::fflush(stdout);
        failures += r.status == Status::Fail || r.status == Status::Error;
    }
    if (!markdown) std::printf("%d of %zu kernels failed\n", failures, rows.size());
    return failures ? 1 : 0;
}

#include "checker.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include "kernel.hpp"
#include "reference.hpp"
#include "ulp_math.hpp"

namespace tvml_ulp {

void Worst::note(double s, double e, double x_, double y_, double got_, double want_) {
    ++count;
    if (s > steps || (s == steps && e > err)) {
        steps = s;
        x = x_, y = y_, got = got_, want = want_;
    }
    if (e > err) err = e;
}

const char* status_name(Status s) {
    switch (s) {
        case Status::Pass: return "pass";
        case Status::Fail: return "FAIL";
        case Status::Skipped: return "skipped";
        case Status::Error: return "ERROR";
    }
    return "?";
}

namespace {

constexpr size_t kBatch = 4093;  // not a multiple of any block: remainders run too

// The wider kernel computing the same function and variant, by name.
std::string wider_shape(const std::string& name) {
    static const char* const pairs[][2] = {
        {"tvml_vs4_", "tvml_vs8_"}, {"tvml_vd2_", "tvml_vd4_"}, {"_ZGVbN4", "_ZGVdN8"}, {"_ZGVbN2", "_ZGVdN4"}};
    for (const auto& p : pairs) {
        const std::string from(p[0]);
        if (name.compare(0, from.size(), from) == 0) return p[1] + name.substr(from.size());
    }
    return "";
}

template <class T>
bool same_bits(T a, T b) {
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

template <class T>
class Measure {
public:
    Measure(const Row& row, const Reference& ref, const Kernel& k, const Options& o, Result& res)
        : row_(row), ref_(ref), k_(k), o_(o), res_(res), rng_(o.seed) {}

    void set_partner(const Kernel& p) {
        partner_ = p;
        has_partner_ = true;
    }

    void run() {
        if (o_.specials) run_specials();
        if (o_.exhaustive && row_.arity == 1 && sizeof(T) == 4) run_exhaustive();
        for (const Box& box : row_.boxes) {
            run_random(box, false);
            run_random(box, true);
        }
        if (o_.lanes) run_lane_independence();
    }

private:
    using L = std::numeric_limits<T>;

    bool in_box(T x, T y) const {
        for (const Box& b : row_.boxes) {
            if (double(x) >= b.xlo && double(x) <= b.xhi &&
                (row_.arity == 1 || (double(y) >= b.ylo && double(y) <= b.yhi)))
                return true;
        }
        return false;
    }

    // Pads to the kernel's lanes, runs it (and the partner) and compares
    // every element with the reference.
    void evaluate(std::vector<T> x, std::vector<T> y, bool all_inside) {
        if (x.empty()) return;
        y.resize(x.size(), T(1));
        const size_t lanes = has_partner_ ? std::max(k_.lanes, partner_.lanes) : size_t(k_.lanes);
        while (x.size() % lanes) {
            x.push_back(x.back());
            y.push_back(y.back());
        }
        std::vector<T> r(x.size()), r2(x.size());
        apply(k_, row_.arity, x.data(), y.data(), r.data(), x.size());
        if (has_partner_) {
            apply(partner_, row_.arity, x.data(), y.data(), r2.data(), x.size());
            for (size_t i = 0; i < x.size(); ++i) {
                const double s = ulp_steps(r[i], r2[i]);
                res_.agreement.note(s, s, x[i], y[i], r[i], r2[i]);
            }
        }
        for (size_t i = 0; i < x.size(); ++i) {
            const RefValue<T> v = tvml_ulp::evaluate(ref_, x[i], y[i], o_.fast_reference);
            const double s = ulp_steps(r[i], v.cr);
            const double e = ulp_error(r[i], v.hi, v.lo, v.cr);
            Worst& w = all_inside || o_.strict_specials || in_box(x[i], y[i]) ? res_.inside : res_.outside;
            w.note(s, e, x[i], y[i], r[i], v.cr);
        }
    }

    // Appends x (against one y) keeping powx groups uniform in y.
    void append(std::vector<T>& xs, std::vector<T>& ys, const std::vector<T>& x, T y) const {
        if (row_.arity == 3) {
            while (xs.size() % powx_group) {
                xs.push_back(xs.back());
                ys.push_back(ys.back());
            }
        }
        for (T v : x) {
            xs.push_back(v);
            ys.push_back(y);
        }
    }

    std::vector<T> generic_specials() const {
        return {T(0),         -T(0),        L::infinity(),    -L::infinity(),   L::quiet_NaN(),
                -L::quiet_NaN(), L::denorm_min(), -L::denorm_min(), 3 * L::denorm_min(), L::min() / 2,
                -L::min() / 2, L::min(),    -L::min(),        L::max(),         -L::max(),
                T(1),         T(-1),        T(0.5),           T(-0.5),          T(2),
                T(-2),        L::epsilon(), T(1) - L::epsilon() / 2, T(1) + L::epsilon()};
    }

    // An interval bound, its neighbours and the interval's middle.
    static void add_edges(std::vector<T>& v, double lo, double hi) {
        for (double b : {lo, hi}) {
            const T t = T(b);
            v.push_back(t);
            v.push_back(std::nextafter(t, -L::infinity()));
            v.push_back(std::nextafter(t, L::infinity()));
        }
        if (std::isfinite(lo) && std::isfinite(hi)) v.push_back(T(lo / 2 + hi / 2));
    }

    void run_specials() {
        std::vector<T> xs = generic_specials(), ys = generic_specials();
        // The declared worst input, "x" or "x y".
        std::istringstream worst(row_.worst);
        double wx = 0, wy = 0;
        if (worst >> wx) {
            xs.push_back(T(wx));
            if (worst >> wy) ys.push_back(T(wy));
        }
        for (const Box& b : row_.boxes) {
            add_edges(xs, b.xlo, b.xhi);
            if (row_.arity != 1) add_edges(ys, b.ylo, b.yhi);
        }
        std::vector<T> ax, ay;
        if (row_.arity == 1) {
            ax = xs;
        } else {
            for (T y : ys) append(ax, ay, xs, y);
        }
        evaluate(ax, ay, false);
    }

    // Bounds of a box side in T, pulled inside where T rounds outwards.
    static void side(double lo, double hi, T& tlo, T& thi) {
        tlo = T(lo);
        thi = T(hi);
        if (double(tlo) < lo) tlo = std::nextafter(tlo, L::infinity());
        if (double(thi) > hi) thi = std::nextafter(thi, -L::infinity());
    }

    // Uniform in value (over the finite part) or uniform over the
    // representable numbers, which spreads samples evenly over exponents.
    T draw(double lo, double hi, bool by_exponent) {
        T tlo, thi;
        side(lo, hi, tlo, thi);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        if (by_exponent) {
            std::uniform_int_distribution<int64_t> k(ordered(tlo), ordered(thi));
            return from_ordered<T>(k(rng_));
        }
        const double a = std::fmax(double(tlo), -double(L::max())), b = std::fmin(double(thi), double(L::max()));
        const double u = unit(rng_);
        const T v = T(a * (1 - u) + b * u);
        return v < tlo ? tlo : v > thi ? thi : v;
    }

    void run_random(const Box& box, bool by_exponent) {
        std::vector<T> xs, ys;
        for (size_t done = 0; done < o_.samples;) {
            const size_t n = std::min(kBatch, o_.samples - done);
            xs.clear();
            ys.clear();
            while (xs.size() < n) {
                if (row_.arity == 3) {
                    const T y = draw(box.ylo, box.yhi, by_exponent);
                    std::vector<T> group(std::min(powx_group, n - xs.size()));
                    for (T& v : group) v = draw(box.xlo, box.xhi, by_exponent);
                    append(xs, ys, group, y);
                } else {
                    xs.push_back(draw(box.xlo, box.xhi, by_exponent));
                    ys.push_back(row_.arity == 2 ? draw(box.ylo, box.yhi, by_exponent) : T(1));
                }
            }
            if (lane_inputs_x_.empty()) lane_inputs_x_ = xs, lane_inputs_y_ = ys;
            evaluate(xs, ys, true);
            done += n;
        }
    }

    void run_exhaustive() {
        std::vector<Box> ranges = row_.boxes;
        if (o_.has_range) ranges = {Box{o_.range_lo, o_.range_hi}};
        std::vector<T> xs;
        for (const Box& b : ranges) {
            T lo, hi;
            side(b.xlo, b.xhi, lo, hi);
            for (int64_t k = ordered(lo), end = ordered(hi); k <= end; k += int64_t(o_.stride)) {
                xs.push_back(from_ordered<T>(k));
                if (xs.size() == kBatch) {
                    evaluate(xs, {}, !o_.has_range);
                    xs.clear();
                }
            }
        }
        evaluate(xs, {}, !o_.has_range);
    }

    // Every input keeps its result bit for bit when the other lanes of its
    // register (or its neighbours in an array block) hold other values.
    void run_lane_independence() {
        const size_t lanes = k_.shape == Shape::Array ? 8 : size_t(k_.lanes);
        constexpr size_t n = 1024;  // whole blocks of any array kernel, whole powx groups
        std::vector<T> x = lane_inputs_x_, y = lane_inputs_y_;
        if (x.empty()) return;
        // Random inputs of the intervals, repeated up to n, with special
        // values in between.
        for (size_t at = x.size(); x.size() < n; ++at) {
            x.push_back(x[at % lane_inputs_x_.size()]);
            y.push_back(y[at % lane_inputs_x_.size()]);
        }
        x.resize(n);
        y.resize(n);
        const std::vector<T> specials = generic_specials();
        for (size_t j = 0; j < n; j += 5) x[j] = specials[(j / 5) % specials.size()];
        if (row_.arity == 2) {
            for (size_t j = 0; j < n; j += 7) y[j] = specials[(j / 7) % specials.size()];
        }
        std::vector<T> base(n), r(n);
        apply(k_, row_.arity, x.data(), y.data(), base.data(), n);
        const std::vector<std::vector<T>> fillers = {
            {L::quiet_NaN()},
            {L::infinity(), -L::infinity()},
            {T(0), -T(0)},
            {L::denorm_min(), -L::min(), L::min() / 2},
            {L::max(), -L::max(), T(1e30), T(-1e30)},
            std::vector<T>(x.rbegin(), x.rend()),
        };
        for (const std::vector<T>& fill : fillers) {
            for (size_t keep = 0; keep < lanes; ++keep) {
                std::vector<T> fx = x, fy = y;
                for (size_t j = 0; j < n; ++j) {
                    if (j % lanes == keep) continue;
                    fx[j] = fill[(j + j / lanes) % fill.size()];
                    if (row_.arity == 2) fy[j] = fill[(j / lanes) % fill.size()];
                }
                apply(k_, row_.arity, fx.data(), fy.data(), r.data(), n);
                for (size_t j = keep; j < n; j += lanes) {
                    ++res_.lane_checks;
                    if (same_bits(r[j], base[j])) continue;
                    // Both within the bound of one exact value: at most twice it apart.
                    if (row_.shared_path && ulp_steps(r[j], base[j]) <= 2 * row_.max_ulp) continue;
                    if (res_.lane_breaks++ == 0) {
                        char text[200];
                        std::snprintf(text, sizeof text, "x=%a y=%a gives %a alone, %a beside other lanes",
                                      double(x[j]), double(y[j]), double(base[j]), double(r[j]));
                        res_.lane_example = text;
                    }
                }
            }
        }
    }

    const Row& row_;
    const Reference& ref_;
    const Kernel& k_;
    const Options& o_;
    Result& res_;
    std::mt19937_64 rng_;
    Kernel partner_;
    bool has_partner_ = false;
    std::vector<T> lane_inputs_x_, lane_inputs_y_;
};

template <class T>
void measure(const Row& row, const Reference& ref, const Kernel& k, const Options& o, Result& res) {
    Measure<T> m(row, ref, k, o, res);
    std::string partner_name = o.partner.empty() ? (o.agreement ? wider_shape(k.name) : "") : o.partner;
    Kernel partner;
    std::string why;
    if (!partner_name.empty() && resolve_kernel(partner_name, partner, why) && partner.is_float == k.is_float) {
        res.partner = partner_name;
        res.partner_required = !o.partner.empty();
        m.set_partner(partner);
    } else if (!o.partner.empty()) {
        res.status = Status::Error;
        res.reason = "agreement partner " + o.partner + ": " + (why.empty() ? "other precision" : why);
        return;
    }
    m.run();
}

}  // namespace

Result check_row(const Row& row, const Options& options) {
    Result res;
    res.row = row;
    const Reference* ref = find_reference(row.reference);
    Kernel k;
    std::string why;
    if (!ref) {
        res.status = Status::Error;
        res.reason = "unknown reference " + row.reference;
        return res;
    }
    if (reference_arity(*ref) != (row.arity == 1 ? 1 : 2)) {
        res.status = Status::Error;
        res.reason = "arity " + std::to_string(row.arity) + " does not fit " + row.reference;
        return res;
    }
    if (!resolve_kernel(row.kernel, k, why)) {
        res.status = Status::Error;
        res.reason = why;
        return res;
    }
    k.output = row.output;
    if (row.output != 1 && (k.shape != Shape::Array || k.entry_arguments)) {
        res.status = Status::Error;
        res.reason = "a second output is measured through an array kernel";
        return res;
    }
    res.is_float = k.is_float;
    if (k.is_float != reference_is_float(*ref)) {
        res.status = Status::Error;
        res.reason = "kernel and reference " + row.reference + " differ in precision";
        return res;
    }
    if (k.needs_avx2_fma && !cpu_has_avx2_fma()) {
        res.status = Status::Skipped;
        res.reason = "processor lacks AVX2 or FMA";
        return res;
    }
    if (k.entry_arguments && k.entry_arguments != row.arity) {
        res.status = Status::Error;
        res.reason = "entry point " + row.kernel + " takes arity " + std::to_string(k.entry_arguments);
        return res;
    }
    if (k.shape != Shape::Array && row.arity == 3) {
        res.status = Status::Error;
        res.reason = "arity 3 (one y per call) is for array kernels";
        return res;
    }
    if (k.is_float) measure<float>(row, *ref, k, options, res);
    else measure<double>(row, *ref, k, options, res);
    if (res.status != Status::Pass) return res;
    std::string reasons;
    if (!(res.inside.steps <= row.max_ulp)) reasons += "exceeds the declared bound";
    if (res.lane_breaks)
        reasons += std::string(reasons.empty() ? "" : "; ") + "result depends on other lanes: " + res.lane_example;
    if (res.partner_required && !(res.agreement.steps <= std::max(options.partner_bound, 0.0)))
        reasons += std::string(reasons.empty() ? "" : "; ") + "disagrees with " + res.partner;
    if (!reasons.empty()) {
        res.status = Status::Fail;
        res.reason = reasons;
    }
    return res;
}

}  // namespace tvml_ulp

// Histogram of a real vector into the bins of another.
#include <cmath>

#include "common/walk.hpp"

using vi::length_of;

extern "C" {

// Bin 0 below min_bin, bin P-1 at and above max_bin, and the P-2 bins
// between of equal width.  NaN elements are not counted, and a bin index
// is always kept inside r whatever the bounds and P.
VSIP_API void vsip_vhisto_f(const vsip_vview_f *a, vsip_scalar_f min_bin, vsip_scalar_f max_bin,
                            vsip_hist_opt opt, const vsip_vview_f *r) {
    VI_CHECK(vi::chk::views_fault(a, r));
    const vi::idx P = static_cast<vi::idx>(length_of(r));
    const vi::real_walk<float> rw = vi::walk(r);
    if (opt == VSIP_HIST_RESET)
        for (vi::idx j = 0; j < P; ++j)
            rw.p[j * rw.step] = 0.0f;
    if (P == 0)
        return;
    const vi::real_walk<float> aw = vi::walk(a);
    const vi::idx n = static_cast<vi::idx>(length_of(a));
    const double middle = static_cast<double>(P - 2);
    const double width = static_cast<double>(max_bin - min_bin);
    for (vi::idx i = 0; i < n; ++i) {
        const float v = aw.p[i * aw.step];
        vi::idx bin;
        if (v < min_bin) {
            bin = 0;
        } else if (v >= max_bin) {
            bin = P - 1;
        } else {
            const double q = std::trunc(static_cast<double>(v - min_bin) * middle / width);
            if (!(q == q)) // NaN element or bound
                continue;
            bin = q < 0.0 ? 1 : q >= middle ? P - 1 : 1 + static_cast<vi::idx>(q);
        }
        if (bin > P - 1)
            bin = P - 1;
        rw.p[bin * rw.step] += 1.0f;
    }
}

} // extern "C"

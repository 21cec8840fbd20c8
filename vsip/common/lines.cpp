// Copies between lines and contiguous buffers (see lines.hpp).
#include "common/lines.hpp"

#include <cstring>

namespace vi {

void copy_in(const step_cref &x, idx n, float *__restrict dst) {
    if (packed(x)) {
        std::memcpy(dst, x.re, 2 * sizeof(float) * static_cast<std::size_t>(n));
    } else if (x.step == 1) {
        const float *__restrict re = x.re;
        const float *__restrict im = x.im;
        for (idx i = 0; i < n; ++i) {
            dst[2 * i] = re[i];
            dst[2 * i + 1] = im[i];
        }
    } else {
        for (idx i = 0; i < n; ++i) {
            dst[2 * i] = x.re[i * x.step];
            dst[2 * i + 1] = x.im[i * x.step];
        }
    }
}

void copy_in(const step_ref<float> &x, idx n, float *__restrict dst) {
    if (x.step == 1) {
        std::memcpy(dst, x.p, sizeof(float) * static_cast<std::size_t>(n));
    } else {
        for (idx i = 0; i < n; ++i)
            dst[i] = x.p[i * x.step];
    }
}

void copy_out(const float *__restrict src, idx n, const step_cref &y, float scale) {
    if (!scales(scale)) {
        if (packed(y)) {
            std::memcpy(y.re, src, 2 * sizeof(float) * static_cast<std::size_t>(n));
        } else if (y.step == 1) {
            float *__restrict re = y.re;
            float *__restrict im = y.im;
            for (idx i = 0; i < n; ++i) {
                re[i] = src[2 * i];
                im[i] = src[2 * i + 1];
            }
        } else {
            for (idx i = 0; i < n; ++i) {
                y.re[i * y.step] = src[2 * i];
                y.im[i * y.step] = src[2 * i + 1];
            }
        }
        return;
    }
    if (packed(y)) {
        float *__restrict p = y.re;
        for (idx k = 0; k < 2 * n; ++k)
            p[k] = scale * src[k];
    } else if (y.step == 1) {
        float *__restrict re = y.re;
        float *__restrict im = y.im;
        for (idx i = 0; i < n; ++i) {
            re[i] = scale * src[2 * i];
            im[i] = scale * src[2 * i + 1];
        }
    } else {
        for (idx i = 0; i < n; ++i) {
            y.re[i * y.step] = scale * src[2 * i];
            y.im[i * y.step] = scale * src[2 * i + 1];
        }
    }
}

void copy_out(const float *__restrict src, idx n, const step_ref<float> &y, float scale) {
    if (!scales(scale)) {
        if (y.step == 1)
            std::memcpy(y.p, src, sizeof(float) * static_cast<std::size_t>(n));
        else
            for (idx i = 0; i < n; ++i)
                y.p[i * y.step] = src[i];
        return;
    }
    if (y.step == 1) {
        float *__restrict p = y.p;
        for (idx i = 0; i < n; ++i)
            p[i] = scale * src[i];
    } else {
        for (idx i = 0; i < n; ++i)
            y.p[i * y.step] = scale * src[i];
    }
}

void scale_range(const step_cref &y, idx from, idx to, float scale) {
    if (!scales(scale))
        return;
    for (idx i = from; i < to; ++i) {
        y.re[i * y.step] = scale * y.re[i * y.step];
        y.im[i * y.step] = scale * y.im[i * y.step];
    }
}

void scale_range(const step_ref<float> &y, idx from, idx to, float scale) {
    if (!scales(scale))
        return;
    for (idx i = from; i < to; ++i)
        y.p[i * y.step] = scale * y.p[i * y.step];
}

} // namespace vi

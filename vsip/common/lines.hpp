// Copies between lines and contiguous buffers, with optional scaling.
//
// A line is a vector, or a row or column of a matrix, as the operand walk
// gives it (step_ref<float> for real data, step_cref for complex data):
// views of any offset and stride are read and written by direct loops.
// Buffers hold real elements one after another and complex elements as
// interleaved (re, im) pairs.  Interleaved pairs at consecutive addresses
// and unit-stride real lines are block copies.  Scaled values are
// scale * x, the same as the element accessors followed by a separate
// scaling pass.
#ifndef VSIP_COMMON_LINES_HPP
#define VSIP_COMMON_LINES_HPP

#include <cstdint>

#include "common/walk.hpp"

namespace vi {

// A float buffer from VI_malloc_array, released at scope exit.
struct scratch {
    float *p = nullptr;
    scratch() = default;
    scratch(const scratch &) = delete;
    scratch &operator=(const scratch &) = delete;
    ~scratch() { VI_free(p); }
    // count x size bytes; false (p null) when they cannot be had.
    bool allocate(std::uint64_t count, std::size_t size) {
        p = static_cast<float *>(VI_malloc_array(count, size));
        return p != nullptr;
    }
};

// Interleaved pairs at consecutive addresses: n elements are 2n floats
// from re.
inline bool packed(const step_cref &x) { return x.step == 2 && x.im == x.re + 1; }

// Scaling is skipped only for a scale of exactly 1 (a NaN scale scales).
inline bool scales(float scale) { return !(scale == 1.0f); }

// dst[0 .. n-1] (pairs for complex lines) = x[0 .. n-1].
void copy_in(const step_cref &x, idx n, float *__restrict dst);
void copy_in(const step_ref<float> &x, idx n, float *__restrict dst);

// y[0 .. n-1] = scale * src[0 .. n-1] (no multiplication for a scale of 1).
void copy_out(const float *__restrict src, idx n, const step_cref &y, float scale);
void copy_out(const float *__restrict src, idx n, const step_ref<float> &y, float scale);

// Multiplies elements [from, to) of y by scale (when it scales).
void scale_range(const step_cref &y, idx from, idx to, float scale);
void scale_range(const step_ref<float> &y, idx from, idx to, float scale);

} // namespace vi

#endif // VSIP_COMMON_LINES_HPP

// The plain loops add, sub, sqr and floor are measured against (-O3 -mavx2).
#include <cmath>

#include "loops.hpp"

namespace tvml_bench {

void plain_add_f(int64_t n, const float* a, const float* b, float* r) {
    for (int64_t i = 0; i < n; ++i) r[i] = a[i] + b[i];
}
void plain_add_d(int64_t n, const double* a, const double* b, double* r) {
    for (int64_t i = 0; i < n; ++i) r[i] = a[i] + b[i];
}
void plain_sub_f(int64_t n, const float* a, const float* b, float* r) {
    for (int64_t i = 0; i < n; ++i) r[i] = a[i] - b[i];
}
void plain_sub_d(int64_t n, const double* a, const double* b, double* r) {
    for (int64_t i = 0; i < n; ++i) r[i] = a[i] - b[i];
}
void plain_sqr_f(int64_t n, const float* a, float* r) {
    for (int64_t i = 0; i < n; ++i) r[i] = a[i] * a[i];
}
void plain_sqr_d(int64_t n, const double* a, double* r) {
    for (int64_t i = 0; i < n; ++i) r[i] = a[i] * a[i];
}
void plain_floor_f(int64_t n, const float* a, float* r) {
    for (int64_t i = 0; i < n; ++i) r[i] = std::floor(a[i]);
}
void plain_floor_d(int64_t n, const double* a, double* r) {
    for (int64_t i = 0; i < n; ++i) r[i] = std::floor(a[i]);
}

}  // namespace tvml_bench

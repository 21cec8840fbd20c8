// Array loops of the benchmark baselines.  Declared without vector types
// so that the baseline-compiled harness can call them; each is defined in
// a unit compiled with the instruction set it needs.
#ifndef TVML_BENCH_LOOPS_HPP
#define TVML_BENCH_LOOPS_HPP

#include <cstdint>

namespace tvml_bench {

// A 256-bit library function (libmvec or SLEEF) applied to n elements, 8
// floats or 4 doubles per call; a short tail goes through a padded
// register.  fn is the function's address (from dlsym).
//   unary   r = f(a)
//   binary  r = f(a, b)
//   powx    r = f(a, {b, b, ...})   (b is one scalar)
//   pair    s, c = f(a) for a function returning two registers (SLEEF sincos)
// vector_loops.cpp, compiled with AVX2 and FMA.
void vec_unary_f8(const void* fn, int64_t n, const float* a, float* r);
void vec_binary_f8(const void* fn, int64_t n, const float* a, const float* b, float* r);
void vec_powx_f8(const void* fn, int64_t n, const float* a, float b, float* r);
void vec_pair_f8(const void* fn, int64_t n, const float* a, float* s, float* c);
void vec_unary_d4(const void* fn, int64_t n, const double* a, double* r);
void vec_binary_d4(const void* fn, int64_t n, const double* a, const double* b, double* r);
void vec_powx_d4(const void* fn, int64_t n, const double* a, double b, double* r);
void vec_pair_d4(const void* fn, int64_t n, const double* a, double* s, double* c);

// Plain element loops as a user would write them, n scalars (complex
// arrays pass twice their element count); floor through floorf / floor.  plain_loops.cpp, -O3 -mavx2.
void plain_add_f(int64_t n, const float* a, const float* b, float* r);
void plain_add_d(int64_t n, const double* a, const double* b, double* r);
void plain_sub_f(int64_t n, const float* a, const float* b, float* r);
void plain_sub_d(int64_t n, const double* a, const double* b, double* r);
void plain_sqr_f(int64_t n, const float* a, float* r);
void plain_sqr_d(int64_t n, const double* a, double* r);
void plain_floor_f(int64_t n, const float* a, float* r);
void plain_floor_d(int64_t n, const double* a, double* r);

}  // namespace tvml_bench

#endif

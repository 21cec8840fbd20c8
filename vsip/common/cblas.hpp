// The CBLAS functions libvsip-tv calls, resolved from the CBLAS library the
// application links (the library itself does not name one).  The
// enumerated arguments are plain ints with the standard values.
#ifndef VSIP_COMMON_CBLAS_HPP
#define VSIP_COMMON_CBLAS_HPP

extern "C" {
void cblas_scopy(int n, const float *x, int incx, float *y, int incy);
void cblas_ccopy(int n, const void *x, int incx, void *y, int incy);
float cblas_sdot(int n, const float *x, int incx, const float *y, int incy);
void cblas_sgemv(int order, int trans, int m, int n, float alpha, const float *a, int lda,
                 const float *x, int incx, float beta, float *y, int incy);
void cblas_sgemm(int order, int ta, int tb, int m, int n, int k, float alpha, const float *a,
                 int lda, const float *b, int ldb, float beta, float *c, int ldc);
void cblas_dgemm(int order, int ta, int tb, int m, int n, int k, double alpha, const double *a,
                 int lda, const double *b, int ldb, double beta, double *c, int ldc);
void cblas_cgemm(int order, int ta, int tb, int m, int n, int k, const void *alpha, const void *a,
                 int lda, const void *b, int ldb, const void *beta, void *c, int ldc);
void cblas_zgemm(int order, int ta, int tb, int m, int n, int k, const void *alpha, const void *a,
                 int lda, const void *b, int ldb, const void *beta, void *c, int ldc);
}

namespace vi {

enum : int { CBLAS_ROW_MAJOR = 101, CBLAS_COL_MAJOR = 102 };
enum : int { CBLAS_NO_TRANS = 111, CBLAS_TRANS = 112, CBLAS_CONJ_TRANS = 113 };

} // namespace vi

#endif // VSIP_COMMON_CBLAS_HPP

#pragma once
// Dense, tridiagonal and pentadiagonal linear systems, in-place matrix inverse,
// 2 x 2 systems and the real roots of a cubic.
//
// Matrices are row tables (double**, one array per row, as allocate2 makes
// them).  Nothing here throws: singular systems are reported by a status or a
// result.

// x = A^-1 b by Gaussian elimination with partial pivoting.  status 0 solved,
// 1 singular (largest pivot candidate <= 1.02e-25; "Singular matrix" on standard
// output, x untouched), 2 n < 1.  A and b are overwritten.
void solve_the_linear_system(double** A, double* b, double* x, int n, int& status);

// Replaces A by its inverse (Gauss-Jordan with row pivoting).  Returns 0, or 1
// when a pivot, the last one included, is <= 1.2e-20 in magnitude (A is then
// partly transformed).
int inverse(double** A, int n);

// Solves a x + b y = c, d x + e y = f; x = y = 0 when the determinant is below
// 1e-20 in magnitude.
void solve_linear_system2(double a, double b, double c, double d, double e, double f, double& x,
                          double& y);

// Thomas algorithm, no pivoting.  Row i reads lower[i] x[i-1] + diag[i] x[i] +
// upper[i] x[i+1] = rhs[i] (lower[0] and upper[n-1] are not used).  The inputs
// are unchanged.
void solve_tridiagonal_system(int n, const double* diag, const double* upper, const double* lower,
                              const double* rhs, double* x);

// Pentadiagonal system by elimination without pivoting.  Row i reads
//   lower2[i-2] x[i-2] + lower1[i-1] x[i-1] + diag[i] x[i] + upper1[i] x[i+1]
//   + upper2[i] x[i+2] = rhs[i],
// with bands of lengths n - 2 (lower2, upper2), n - 1 (lower1, upper1) and n
// (diag, rhs).  The inputs are unchanged.  Returns 0, or 1 when a zero pivot
// stops the elimination (x is then not written).
int solve_pentadiagonal_system(int n, const double* lower2, const double* lower1, const double* diag,
                               const double* upper1, const double* upper2, const double* rhs,
                               double* x);

// Real roots of c[0] + c[1] z + c[2] z^2 + c[3] z^3 (c[3] nonzero): closed-form
// start values polished on the cubic, accurate to the conditioning of each root
// also near double and triple roots.  *n is 1 or 3; with 3 a double root appears
// twice.  The roots are not sorted.
void degree3(const double* c, int* n, double* roots);

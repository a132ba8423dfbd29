// Dense matrix factorizations: Householder QR and LU with partial pivoting.
#pragma once

#include <Eigen/Dense>
#include <complex>
#include <vector>

#include "host/values/value.h"

namespace kh {

// A real 2-D double matrix as an Eigen matrix; raises for other operands
// (`op` names the operation in the message).
Eigen::MatrixXd realMatrix(const Value& a, const char* op);
Value fromEigen(const Eigen::MatrixXd& m);

struct QrResult {
  Value q, r;
};
// a = q * r: full (q m-by-m, r m-by-n) or economy size (q m-by-min(m,n),
// r min(m,n)-by-n); r is upper triangular.
QrResult qr(const Value& a, bool economy);

// LU factors of an m-by-n matrix with partial pivoting: perm[i] is the row
// of the matrix that became row i, so that A(perm, :) = l * u with l unit
// lower triangular (m-by-k) and u upper triangular (k-by-n), k = min(m, n).
// A zero pivot column is left as it is, so singular matrices keep their
// exact zero pivots. Complex matrices pivot on |re| + |im|, as the usual
// dense linear algebra libraries do.
template <typename T>
struct LuFactorsOf {
  Eigen::Matrix<T, Eigen::Dynamic, Eigen::Dynamic> l, u;
  std::vector<Eigen::Index> perm;
};
using LuFactors = LuFactorsOf<double>;
LuFactors luFactor(const Eigen::MatrixXd& a);
LuFactorsOf<std::complex<double>> luFactor(const Eigen::MatrixXcd& a);
// The same factorization in place on the m-by-n column-major w: the
// multipliers of l below the diagonal, u on and above it; perm[0..m) as
// above.
void luFactorInPlace(double* w, std::size_t m, std::size_t n, std::size_t* perm);
void luFactorInPlace(std::complex<double>* w, std::size_t m, std::size_t n, std::size_t* perm);

// A 2-D double (or text) matrix as a complex Eigen matrix; raises for other
// operands like realMatrix.
Eigen::MatrixXcd complexMatrix(const Value& a, const char* op);
// A complex Eigen matrix as a value, real when every imaginary part is zero.
Value fromEigen(const Eigen::MatrixXcd& m);

struct LuResult {
  Value l, u, p;  // p is empty unless asked for
};
// [L, U] = lu(A) gives the row-permuted L with A = L * U; [L, U, P] = lu(A)
// gives the unit lower triangular L with P * A = L * U.
LuResult lu(const Value& a, bool wantP);

}  // namespace kh

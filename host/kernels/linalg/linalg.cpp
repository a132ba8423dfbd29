#include "host/kernels/linalg/linalg.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>

#include "host/core/errors.h"

namespace kh {
namespace {

using RMat = Eigen::MatrixXd;
using CMat = Eigen::MatrixXcd;

void requireMatrix(const Value& a, const char* fn) {
  if (!a.isDouble())
    raise(std::string("Undefined function '") + fn + "' for input arguments of this type.");
  if (a.ndims() > 2) raise("Input arguments must be 2-D.");
}

RMat realMatrix(const Value& a) {
  return Eigen::Map<const RMat>(a.re(), static_cast<Eigen::Index>(a.rows()),
                                static_cast<Eigen::Index>(a.cols()));
}

CMat complexMatrix(const Value& a) {
  CMat m(a.rows(), a.cols());
  for (std::size_t i = 0; i < a.numel(); ++i) m.data()[i] = a.cat(i);
  return m;
}

template <typename M>
Value toValue(const M& m) {
  Value v = Value::numeric({static_cast<std::size_t>(m.rows()), static_cast<std::size_t>(m.cols())},
                           !std::is_same_v<typename M::Scalar, double>);
  double* re = v.mutRe();
  if constexpr (std::is_same_v<typename M::Scalar, double>) {
    for (Eigen::Index i = 0; i < m.size(); ++i) re[i] = m.data()[i];
  } else {
    double* im = v.mutIm();
    for (Eigen::Index i = 0; i < m.size(); ++i) {
      re[i] = m.data()[i].real();
      im[i] = m.data()[i].imag();
    }
    v.dropZeroImag();
  }
  return v;
}

void requireFinite(const Value& a) {
  for (std::size_t i = 0; i < a.numel(); ++i) {
    const auto z = a.cat(i);
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
      raise("Input to SVD must not contain NaN or Inf.");
  }
}

template <typename M>
SvdResult svdOf(const M& a, bool economy) {
  const Eigen::Index m = a.rows(), n = a.cols(), k = std::min(m, n);
  RMat s = RMat::Zero(economy ? k : m, economy ? k : n);
  if (k == 0) {  // nothing to decompose: identity factors of the right sizes
    return {toValue(M(M::Identity(m, economy ? k : m))), toValue(s),
            toValue(M(M::Identity(n, economy ? k : n)))};
  }
  const unsigned opts = economy ? (Eigen::ComputeThinU | Eigen::ComputeThinV)
                                : (Eigen::ComputeFullU | Eigen::ComputeFullV);
  Eigen::JacobiSVD<M> dec(a, opts);
  for (Eigen::Index i = 0; i < k; ++i) s(i, i) = dec.singularValues()(i);
  return {toValue(M(dec.matrixU())), toValue(s), toValue(M(dec.matrixV()))};
}

double vectorNorm(const Value& x, double p) {
  const std::size_t n = x.numel();
  if (n == 0) return 0.0;
  if (p == 1 && !x.isComplex()) {
    // The sum of magnitudes; a NaN anywhere makes the norm NaN.
    // Four partial sums so that the additions overlap.
    const double* v = x.re();
    double s[4] = {0, 0, 0, 0};
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4)
      for (std::size_t j = 0; j < 4; ++j) s[j] += std::fabs(v[i + j]);
    for (; i < n; ++i) s[0] += std::fabs(v[i]);
    const double sum = (s[0] + s[1]) + (s[2] + s[3]);
    // Magnitudes never cancel: the sum is NaN only when a sample is.
    return std::isnan(sum) ? std::numeric_limits<double>::quiet_NaN() : sum;
  }
  if (p == 2 && !x.isComplex()) {
    const double* v = x.re();
    // The plain sum of squares, with four running sums. It is exact enough
    // whenever it lands well inside the range of doubles; when it does not
    // (overflow, underflow, NaN or Inf) the scaled sum below is used.
    {
      double q[4] = {0, 0, 0, 0};
      std::size_t i = 0;
      for (; i + 4 <= n; i += 4)
        for (std::size_t j = 0; j < 4; ++j) q[j] += v[i + j] * v[i + j];
      for (; i < n; ++i) q[0] += v[i] * v[i];
      const double sum = (q[0] + q[1]) + (q[2] + q[3]);
      if (sum >= 1e-200 && sum <= std::numeric_limits<double>::max()) return std::sqrt(sum);
    }
    // The scaled sum of squares, read straight from the data.
    // (The sign of an element does not change its scaled square.)
    double scale = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double m = std::fabs(v[i]);
      if (!(m <= scale)) {
        if (std::isnan(m)) return m;
        scale = m;
      }
    }
    if (scale == 0 || std::isinf(scale)) return scale;
    double s = 0;
    std::size_t i = 0;
    for (; i + 2 <= n; i += 2) {
      const double q0 = v[i] / scale, q1 = v[i + 1] / scale;
      s += q0 * q0;
      s += q1 * q1;
    }
    if (i < n) {
      const double q = v[i] / scale;
      s += q * q;
    }
    return scale * std::sqrt(s);
  }
  std::vector<double> a(n);
  if (x.isComplex()) {
    for (std::size_t i = 0; i < n; ++i) a[i] = std::abs(x.cat(i));
  } else {
    for (std::size_t i = 0; i < n; ++i) a[i] = std::fabs(x.re()[i]);
  }
  if (std::isnan(p)) return std::numeric_limits<double>::quiet_NaN();
  for (double v : a)
    if (std::isnan(v)) return v;
  if (p == std::numeric_limits<double>::infinity()) return *std::max_element(a.begin(), a.end());
  if (p == -std::numeric_limits<double>::infinity()) return *std::min_element(a.begin(), a.end());
  if (p == 1) {
    double s = 0;
    for (double v : a) s += v;
    return s;
  }
  // Scaled to avoid overflow and underflow.
  const double scale = *std::max_element(a.begin(), a.end());
  if (scale == 0 || std::isinf(scale)) return scale;
  double s = 0;
  if (p == 2) {
    for (double v : a) s += (v / scale) * (v / scale);
    return scale * std::sqrt(s);
  }
  for (double v : a) s += std::pow(v / scale, p);
  return scale * std::pow(s, 1.0 / p);
}

}  // namespace

SvdResult svd(const Value& a, bool economy) {
  requireMatrix(a, "svd");
  requireFinite(a);
  if (a.isComplex()) return svdOf(complexMatrix(a), economy);
  return svdOf(realMatrix(a), economy);
}

Value singularValues(const Value& a) {
  requireMatrix(a, "svd");
  requireFinite(a);
  if (a.isEmpty()) return Value::numeric({0, 1});
  if (a.isComplex()) {
    Eigen::JacobiSVD<CMat> dec(complexMatrix(a));
    return toValue(RMat(dec.singularValues()));
  }
  Eigen::JacobiSVD<RMat> dec(realMatrix(a));
  return toValue(RMat(dec.singularValues()));
}

Value norm(const Value& x, const Value* p) {
  requireMatrix(x, "norm");
  double pv = 2;
  bool fro = false;
  if (p) {
    if (p->isChar()) {
      if (p->utf8() != "fro") raise("The only matrix norms available are 1, 2, inf, and 'fro'.");
      fro = true;
    } else {
      if (p->numel() != 1 || !p->isDouble()) raise("The norm type must be a scalar or 'fro'.");
      pv = p->at(0);
    }
  }
  if (fro) return Value::scalar(vectorNorm(x, 2));
  if (x.isVector() || x.isEmpty()) return Value::scalar(vectorNorm(x, pv));
  const std::size_t m = x.rows(), n = x.cols();
  if (pv == 1 || pv == std::numeric_limits<double>::infinity()) {
    const bool cols = pv == 1;
    double best = 0;
    if (cols && !x.isComplex()) {
      const double* v = x.re();
      for (std::size_t j = 0; j < n; ++j) {
        double s = 0;
        for (std::size_t i = 0; i < m; ++i) s += std::fabs(v[i + j * m]);
        if (std::isnan(s)) return Value::scalar(s);
        best = std::max(best, s);
      }
      return Value::scalar(best);
    }
    for (std::size_t o = 0; o < (cols ? n : m); ++o) {
      double s = 0;
      for (std::size_t i = 0; i < (cols ? m : n); ++i)
        s += std::abs(x.cat(cols ? i + o * m : o + i * m));
      if (std::isnan(s)) return Value::scalar(s);
      best = std::max(best, s);
    }
    return Value::scalar(best);
  }
  if (pv == 2) {
    for (std::size_t i = 0; i < x.numel(); ++i)
      if (std::isnan(x.cat(i).real()) || std::isnan(x.cat(i).imag()))
        return Value::scalar(std::numeric_limits<double>::quiet_NaN());
    const Value s = singularValues(x);
    return Value::scalar(s.numel() ? s.at(0) : 0.0);
  }
  raise("The only matrix norms available are 1, 2, inf, and 'fro'.");
}

}  // namespace kh

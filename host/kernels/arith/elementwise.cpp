#include "host/kernels/arith/elementwise.h"

#include <cmath>
#include <complex>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/linalg/lean_paths.h"
#include "host/kernels/messages.h"

namespace kh {
namespace {

using cplx = std::complex<double>;

const char* binName(BinOp op) {
  switch (op) {
    case BinOp::Plus:
      return "plus";
    case BinOp::Minus:
      return "minus";
    case BinOp::Times:
      return "times";
    case BinOp::Rdivide:
      return "rdivide";
    case BinOp::Ldivide:
      return "ldivide";
    case BinOp::Power:
      return "power";
  }
  return "";
}

double realPow(double x, double y) { return std::pow(x, y); }

// Products and quotients with a real factor are taken part by part: the
// general complex formulas multiply the zero imaginary part by the other
// operand, which turns an infinite part into NaN ((Inf + 1i) / 2 is
// Inf + 0.5i, not Inf + NaNi).
cplx times(cplx x, cplx y) {
  if (y.imag() == 0.0) return {x.real() * y.real(), x.imag() * y.real()};
  if (x.imag() == 0.0) return {x.real() * y.real(), x.real() * y.imag()};
  return x * y;
}

cplx divide(cplx x, cplx y) {
  if (y.imag() == 0.0) return {x.real() / y.real(), x.imag() / y.real()};
  return x / y;
}

cplx complexPow(cplx x, cplx y) {
  if (y.imag() == 0.0 && y.real() == std::floor(y.real()) && std::abs(y.real()) <= 64) {
    // Whole powers by repeated multiplication keep real inputs exact.
    int n = static_cast<int>(y.real());
    cplx r = 1.0, b = x;
    for (int k = std::abs(n); k; k >>= 1, b *= b)
      if (k & 1) r *= b;
    return n < 0 ? 1.0 / r : r;
  }
  if (x == 0.0) return y.real() > 0 ? cplx(0.0) : cplx(INFINITY, 0.0);
  return std::pow(x, y);
}

// Runs f over the broadcast pair, element by element, with access to both
// operands' indices.
template <typename F>
void forPairs(const Value& a, const Value& b, std::size_t n, F&& f) {
  const bool sa = a.numel() == 1, sb = b.numel() == 1;
  for (std::size_t i = 0; i < n; ++i) f(i, sa ? 0 : i, sb ? 0 : i);
}

// z[k] = f(x[k], y[k]) over n elements, x or y being one element repeated
// when sx / sy say so. Each case is its own loop so that it vectorizes.
template <typename T, typename F>
void realPairs(const double* x, bool sx, const double* y, bool sy, T* z, std::size_t n, F f) {
  if (sx && !sy) {
    const double a = x[0];
    for (std::size_t k = 0; k < n; ++k) z[k] = f(a, y[k]);
  } else if (sy && !sx) {
    const double b = y[0];
    for (std::size_t k = 0; k < n; ++k) z[k] = f(x[k], b);
  } else if (sx && sy) {
    const double a = x[0], b = y[0];
    for (std::size_t k = 0; k < n; ++k) z[k] = f(a, b);
  } else {
    for (std::size_t k = 0; k < n; ++k) z[k] = f(x[k], y[k]);
  }
}

Value asLogical(Value r) {
  r.setLogical(true);
  return r;
}

// The operand as numbers: v itself when it is double, else its conversion
// kept in `store`.
const Value& numericOperand(const Value& v, Value& store, const char* op) {
  if (v.isDouble()) return v;
  store = toNumeric(v, op);
  return store;
}

}  // namespace

Dims broadcastDims(const Value& a, const Value& b) {
  if (a.numel() == 1) return b.dims();
  if (b.numel() == 1) return a.dims();
  if (a.dims() != b.dims()) raise(msg::kDimsAgree);
  return a.dims();
}

namespace {

bool realDouble(const Value& v) { return v.isDouble() && !v.isComplex(); }

// z = x op y over n elements of real operands (x or y one element repeated
// when sx / sy say so). Out of line: one copy of the loops serves every
// caller.
__attribute__((noinline)) void realArithmetic(BinOp op, const double* x, bool sx, const double* y,
                                              bool sy, double* z, std::size_t n) {
  switch (op) {
    case BinOp::Plus:
      realPairs(x, sx, y, sy, z, n, [](double u, double v) { return u + v; });
      break;
    case BinOp::Minus:
      realPairs(x, sx, y, sy, z, n, [](double u, double v) { return u - v; });
      break;
    case BinOp::Times:
      realPairs(x, sx, y, sy, z, n, [](double u, double v) { return u * v; });
      break;
    case BinOp::Rdivide:
      realPairs(x, sx, y, sy, z, n, [](double u, double v) { return u / v; });
      break;
    case BinOp::Ldivide:
      realPairs(x, sx, y, sy, z, n, [](double u, double v) { return v / u; });
      break;
    case BinOp::Power:
      realPairs(x, sx, y, sy, z, n, realPow);
      break;
  }
}

// The dimensions of the broadcast pair of real doubles a and b (as
// broadcastDims gives them).
const Dims& pairDims(const Value& a, const Value& b) {
  if (a.numel() == 1) return b.dims();
  if (b.numel() != 1 && a.dims() != b.dims()) raise(msg::kDimsAgree);
  return a.dims();
}

}  // namespace

Value binary(BinOp op, const Value& a0, const Value& b0) {
  if (leanPaths() && op != BinOp::Power && realDouble(a0) && realDouble(b0)) {
    // Real doubles, the common case: straight to the loop.
    Value r = Value::numericForWrite(pairDims(a0, b0));
    if (r.numel() > 0)
      realArithmetic(op, a0.re(), a0.numel() == 1, b0.re(), b0.numel() == 1, r.mutRe(), r.numel());
    return r;
  }
  Value sa, sb;
  const Value& a = numericOperand(a0, sa, binName(op));
  const Value& b = numericOperand(b0, sb, binName(op));
  const Dims d = broadcastDims(a, b);
  const std::size_t n = numelOf(d);
  bool complex = a.isComplex() || b.isComplex();
  if (op == BinOp::Power && !complex) {
    // A negative base with a fractional exponent has a complex result.
    forPairs(a, b, n, [&](std::size_t, std::size_t i, std::size_t j) {
      if (a.re()[i] < 0 && b.re()[j] != std::floor(b.re()[j]) && std::isfinite(b.re()[j]))
        complex = true;
    });
  }
  Value r = Value::numericForWrite(d, complex);
  if (n == 0) return r;
  if (!complex) {
    realArithmetic(op, a.re(), a.numel() == 1, b.re(), b.numel() == 1, r.mutRe(), n);
    return r;
  }
  double* zi = r.mutIm();
  double* zr = r.mutRe();
  forPairs(a, b, n, [&](std::size_t k, std::size_t i, std::size_t j) {
    const cplx x = a.cat(i), y = b.cat(j);
    cplx z;
    switch (op) {
      case BinOp::Plus:
        z = x + y;
        break;
      case BinOp::Minus:
        z = x - y;
        break;
      case BinOp::Times:
        z = times(x, y);
        break;
      case BinOp::Rdivide:
        z = divide(x, y);
        break;
      case BinOp::Ldivide:
        z = divide(y, x);
        break;
      case BinOp::Power:
        z = complexPow(x, y);
        break;
    }
    zr[k] = z.real();
    zi[k] = z.imag();
  });
  r.dropZeroImag();
  return r;
}

Value compare(CmpOp op, const Value& a0, const Value& b0) {
  const bool lean = leanPaths() && realDouble(a0) && realDouble(b0);
  Value sa, sb;
  const Value& a = lean ? a0 : numericOperand(a0, sa, "comparison");
  const Value& b = lean ? b0 : numericOperand(b0, sb, "comparison");
  Value r = Value::numericForWrite(lean ? pairDims(a, b) : broadcastDims(a, b));
  const std::size_t n = r.numel();
  if (n == 0) return asLogical(r);
  double* z = r.mutRe();
  const bool complex = a.isComplex() || b.isComplex();
  if (complex && (op == CmpOp::Eq || op == CmpOp::Ne)) {
    const bool eq = op == CmpOp::Eq;
    forPairs(a, b, n, [&](std::size_t k, std::size_t i, std::size_t j) {
      z[k] = ((a.cat(i) == b.cat(j)) == eq) ? 1.0 : 0.0;
    });
    return asLogical(r);
  }
  // Ordering comparisons look at the real parts only.
  const double *x = a.re(), *y = b.re();
  const bool s1 = a.numel() == 1, s2 = b.numel() == 1;
  switch (op) {
    case CmpOp::Eq:
      realPairs(x, s1, y, s2, z, n, [](double u, double v) { return u == v ? 1.0 : 0.0; });
      break;
    case CmpOp::Ne:
      realPairs(x, s1, y, s2, z, n, [](double u, double v) { return u != v ? 1.0 : 0.0; });
      break;
    case CmpOp::Lt:
      realPairs(x, s1, y, s2, z, n, [](double u, double v) { return u < v ? 1.0 : 0.0; });
      break;
    case CmpOp::Le:
      realPairs(x, s1, y, s2, z, n, [](double u, double v) { return u <= v ? 1.0 : 0.0; });
      break;
    case CmpOp::Gt:
      realPairs(x, s1, y, s2, z, n, [](double u, double v) { return u > v ? 1.0 : 0.0; });
      break;
    case CmpOp::Ge:
      realPairs(x, s1, y, s2, z, n, [](double u, double v) { return u >= v ? 1.0 : 0.0; });
      break;
  }
  return asLogical(r);
}

namespace {

bool nonzero(const Value& v, std::size_t i) {
  if (v.re()[i] != 0.0) return true;
  return v.isComplex() && v.im()[i] != 0.0;
}

// z = a & b (or a | b) of two real operands of n elements (either may be
// one element, standing for all).
void realAndOr(bool isAnd, const Value& a, const Value& b, double* z, std::size_t n) {
  const double *x = a.re(), *y = b.re();
  const bool s1 = a.numel() == 1, s2 = b.numel() == 1;
  if (isAnd)
    realPairs(x, s1, y, s2, z, n,
              [](double u, double v) { return (u != 0.0 && v != 0.0) ? 1.0 : 0.0; });
  else
    realPairs(x, s1, y, s2, z, n,
              [](double u, double v) { return (u != 0.0 || v != 0.0) ? 1.0 : 0.0; });
}

Value logicalBinary(const Value& a0, const Value& b0, bool isAnd) {
  if (leanPaths() && realDouble(a0) && realDouble(b0)) {
    Value r = Value::numericForWrite(pairDims(a0, b0));
    const std::size_t n = r.numel();
    if (n == 0) return asLogical(r);
    realAndOr(isAnd, a0, b0, r.mutRe(), n);
    return asLogical(r);
  }
  Value sa, sb;
  const Value& a = numericOperand(a0, sa, isAnd ? "and" : "or");
  const Value& b = numericOperand(b0, sb, isAnd ? "and" : "or");
  const Dims d = broadcastDims(a, b);
  Value r = Value::numericForWrite(d);
  const std::size_t n = r.numel();
  if (n == 0) return asLogical(r);
  double* z = r.mutRe();
  if (!a.isComplex() && !b.isComplex()) {
    realAndOr(isAnd, a, b, z, n);
    return asLogical(r);
  }
  forPairs(a, b, n, [&](std::size_t k, std::size_t i, std::size_t j) {
    const bool x = nonzero(a, i), y = nonzero(b, j);
    z[k] = (isAnd ? (x && y) : (x || y)) ? 1.0 : 0.0;
  });
  return asLogical(r);
}

}  // namespace

Value logicalAnd(const Value& a, const Value& b) { return logicalBinary(a, b, true); }
Value logicalOr(const Value& a, const Value& b) { return logicalBinary(a, b, false); }

Value logicalNot(const Value& a0) {
  Value sa;
  const Value& a = numericOperand(a0, sa, "not");
  Value r = Value::numericForWrite(a.dims());
  const std::size_t n = a.numel();
  if (n == 0) return asLogical(r);
  double* z = r.mutRe();
  const double* x = a.re();
  if (a.isComplex()) {
    const double* y = a.im();
    for (std::size_t i = 0; i < n; ++i) z[i] = (x[i] != 0.0 || y[i] != 0.0) ? 0.0 : 1.0;
  } else {
    for (std::size_t i = 0; i < n; ++i) z[i] = x[i] != 0.0 ? 0.0 : 1.0;
  }
  return asLogical(r);
}

Value uminus(const Value& a0) {
  Value sa;
  const Value& a = numericOperand(a0, sa, "uminus");
  const std::size_t n = a.numel();
  Value r = Value::numericForWrite(a.dims(), a.isComplex());
  if (n == 0) return r;
  const double* x = a.re();
  double* z = r.mutRe();
  for (std::size_t i = 0; i < n; ++i) z[i] = -x[i];
  if (a.isComplex()) {
    const double* y = a.im();
    double* w = r.mutIm();
    for (std::size_t i = 0; i < n; ++i) w[i] = -y[i];
  }
  return r;
}

namespace {

const char* unaryName(UnaryFn fn) {
  switch (fn) {
    case UnaryFn::Abs:
      return "abs";
    case UnaryFn::Sqrt:
      return "sqrt";
    case UnaryFn::Log:
      return "log";
    case UnaryFn::Cos:
      return "cos";
    case UnaryFn::Sin:
      return "sin";
    case UnaryFn::Tan:
      return "tan";
    case UnaryFn::Exp:
      return "exp";
    case UnaryFn::Atan:
      return "atan";
    case UnaryFn::Round:
      return "round";
    case UnaryFn::Fix:
      return "fix";
    case UnaryFn::Floor:
      return "floor";
    case UnaryFn::Ceil:
      return "ceil";
    case UnaryFn::Sign:
      return "sign";
    case UnaryFn::Real:
      return "real";
    case UnaryFn::Imag:
      return "imag";
    case UnaryFn::Conj:
      return "conj";
    case UnaryFn::Isnan:
      return "isnan";
    case UnaryFn::Isinf:
      return "isinf";
    case UnaryFn::Isfinite:
      return "isfinite";
    case UnaryFn::Double:
      return "double";
  }
  return "";
}

double roundHalfAway(double x) { return std::round(x); }  // std::round rounds half away from 0

double realSign(double x) {
  if (std::isnan(x)) return x;
  return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0);
}

// Applies a real function to the real and imaginary parts separately.
template <typename F>
Value partwise(const Value& a, F f) {
  const std::size_t n = a.numel();
  Value r = Value::numericForWrite(a.dims(), a.isComplex());
  if (n == 0) return r;
  if (a.isComplex()) {
    const double* y = a.im();
    double* w = r.mutIm();
    for (std::size_t i = 0; i < n; ++i) w[i] = f(y[i]);
  }
  const double* x = a.re();
  double* z = r.mutRe();
  for (std::size_t i = 0; i < n; ++i) z[i] = f(x[i]);
  r.dropZeroImag();
  return r;
}

// Maps every element through a complex function; real inputs use the real
// function unless `needsComplex` says the element leaves the real line.
template <typename R, typename C, typename N>
Value mapped(const Value& a, R realFn, C complexFn, N needsComplex) {
  bool complex = a.isComplex();
  if (!complex)
    for (std::size_t i = 0; i < a.numel(); ++i)
      if (needsComplex(a.re()[i])) complex = true;
  Value r = Value::numericForWrite(a.dims(), complex);
  double* z = r.mutRe();
  if (!complex) {
    for (std::size_t i = 0; i < a.numel(); ++i) z[i] = realFn(a.re()[i]);
    return r;
  }
  double* w = r.mutIm();
  for (std::size_t i = 0; i < a.numel(); ++i) {
    const cplx c = complexFn(a.cat(i));
    z[i] = c.real();
    w[i] = c.imag();
  }
  r.dropZeroImag();
  return r;
}

// True where the test holds for the real or the imaginary part.
template <typename Test>
Value predicate(const Value& a, Test test) {
  Value r = Value::numericForWrite(a.dims());
  double* z = r.mutRe();
  const double* re = a.re();
  const double* im = a.im();
  const std::size_t n = a.numel();
  if (im) {
    for (std::size_t i = 0; i < n; ++i) z[i] = test(re[i]) || test(im[i]) ? 1.0 : 0.0;
  } else {
    for (std::size_t i = 0; i < n; ++i) z[i] = test(re[i]) ? 1.0 : 0.0;
  }
  return asLogical(r);
}

// Function objects rather than functions, so that the tests are inlined.
struct IsNan {
  bool operator()(double x) const { return std::isnan(x); }
};
struct IsInf {
  bool operator()(double x) const { return std::isinf(x); }
};

Value finitePredicate(const Value& a) {
  Value r = Value::numericForWrite(a.dims());
  double* z = r.mutRe();
  for (std::size_t i = 0; i < a.numel(); ++i) {
    bool t = std::isfinite(a.re()[i]);
    if (a.isComplex()) t = t && std::isfinite(a.im()[i]);
    z[i] = t ? 1.0 : 0.0;
  }
  return asLogical(r);
}

}  // namespace

Value unary(UnaryFn fn, const Value& a0) {
  Value store;
  const Value& a = numericOperand(a0, store, unaryName(fn));
  switch (fn) {
    case UnaryFn::Abs:
      if (!a.isComplex()) return partwise(a, [](double x) { return std::fabs(x); });
      return mapped(
          a, [](double x) { return x; }, [](cplx c) { return cplx(std::abs(c)); },
          [](double) { return false; });
    case UnaryFn::Sqrt:
      return mapped(
          a, [](double x) { return std::sqrt(x); }, [](cplx c) { return std::sqrt(c); },
          [](double x) { return x < 0; });
    case UnaryFn::Log:
      return mapped(
          a, [](double x) { return std::log(x); },
          [](cplx c) {
            if (c == 0.0) return cplx(-INFINITY, 0.0);
            return std::log(c);
          },
          [](double x) { return x < 0; });
    case UnaryFn::Cos:
      return mapped(
          a, [](double x) { return std::cos(x); }, [](cplx c) { return std::cos(c); },
          [](double) { return false; });
    case UnaryFn::Sin:
      return mapped(
          a, [](double x) { return std::sin(x); }, [](cplx c) { return std::sin(c); },
          [](double) { return false; });
    case UnaryFn::Tan:
      return mapped(
          a, [](double x) { return std::tan(x); }, [](cplx c) { return std::tan(c); },
          [](double) { return false; });
    case UnaryFn::Exp:
      return mapped(
          a, [](double x) { return std::exp(x); }, [](cplx c) { return std::exp(c); },
          [](double) { return false; });
    case UnaryFn::Atan:
      return mapped(
          a, [](double x) { return std::atan(x); }, [](cplx c) { return std::atan(c); },
          [](double) { return false; });
    case UnaryFn::Round:
      return partwise(a, roundHalfAway);
    case UnaryFn::Fix:
      return partwise(a, [](double x) { return std::trunc(x); });
    case UnaryFn::Floor:
      return partwise(a, [](double x) { return std::floor(x); });
    case UnaryFn::Ceil:
      return partwise(a, [](double x) { return std::ceil(x); });
    case UnaryFn::Sign:
      if (!a.isComplex()) return partwise(a, realSign);
      return mapped(
          a, realSign, [](cplx c) { return std::abs(c) == 0.0 ? cplx(0.0) : c / std::abs(c); },
          [](double) { return false; });
    case UnaryFn::Real: {
      Value r = Value::numericForWrite(a.dims());
      std::copy(a.re(), a.re() + a.numel(), r.mutRe());
      return r;
    }
    case UnaryFn::Imag: {
      Value r = Value::numeric(a.dims());
      if (a.isComplex()) std::copy(a.im(), a.im() + a.numel(), r.mutRe());
      return r;
    }
    case UnaryFn::Conj: {
      Value r = a;
      r.setLogical(false);
      if (r.isComplex()) {
        double* w = r.mutIm();
        for (std::size_t i = 0; i < r.numel(); ++i) w[i] = -w[i];
      }
      return r;
    }
    case UnaryFn::Isnan:
      return predicate(a, IsNan{});
    case UnaryFn::Isinf:
      return predicate(a, IsInf{});
    case UnaryFn::Isfinite:
      return finitePredicate(a);
    case UnaryFn::Double: {
      Value r = a;
      r.setLogical(false);
      return r;
    }
  }
  return a;
}

Value rem(const Value& a0, const Value& b0) {
  Value sa, sb;
  const Value& a = numericOperand(a0, sa, "rem");
  const Value& b = numericOperand(b0, sb, "rem");
  if (a.isComplex() || b.isComplex()) raise("Arguments to rem must be real.");
  const Dims d = broadcastDims(a, b);
  Value r = Value::numericForWrite(d);
  double* z = r.mutRe();
  forPairs(a, b, r.numel(), [&](std::size_t k, std::size_t i, std::size_t j) {
    const double x = a.re()[i], y = b.re()[j];
    if (y == 0.0 || std::isinf(x) || std::isnan(x) || std::isnan(y)) {
      z[k] = NAN;
    } else if (std::isinf(y)) {
      z[k] = x;
    } else {
      // x - fix(x./y).*y, with fmod's exact result.
      z[k] = std::fmod(x, y);
    }
  });
  return r;
}

namespace {

// The letters from..from+25 moved to to..to+25, in texts and cells of them.
Value shiftLetters(const Value& a, char16_t from, char16_t to) {
  if (a.isChar()) {
    Value r = a;
    char16_t* c = r.mutChr();
    for (std::size_t i = 0; i < r.numel(); ++i)
      if (c[i] >= from && c[i] < from + 26) c[i] = static_cast<char16_t>(c[i] - from + to);
    return r;
  }
  if (a.isCell()) {
    Value r = a;
    for (std::size_t i = 0; i < r.numel(); ++i)
      r.mutCellAt(i) = shiftLetters(a.cellAt(i), from, to);
    return r;
  }
  return a;
}

}  // namespace

Value lower(const Value& a) { return shiftLetters(a, u'A', u'a'); }
Value upper(const Value& a) { return shiftLetters(a, u'a', u'A'); }

namespace {

// Whether v can take the result of an element-wise operation of n elements
// with dimensions d in place.
bool reusable(const Value& v, const Dims& d) {
  return v.isDouble() && !v.isComplex() && v.numel() > 1 && v.ownsStorageAlone() && v.dims() == d;
}

bool realOperands(const Value& a, const Value& b) {
  return a.isDouble() && b.isDouble() && !a.isComplex() && !b.isComplex();
}

// z = f(x, y) element by element over the broadcast pair, written over the
// data of whichever operand can take it; false when neither can.
template <typename F>
bool pairsInPlace(Value& a, Value& b, Value& out, F f) {
  if (!realOperands(a, b)) return false;
  if (a.numel() != 1 && b.numel() != 1 && a.dims() != b.dims()) return false;
  const Dims d = a.numel() == 1 ? b.dims() : a.dims();
  Value* host = reusable(a, d) ? &a : (reusable(b, d) ? &b : nullptr);
  if (!host) return false;
  const std::size_t n = host->numel();
  const bool s1 = a.numel() == 1, s2 = b.numel() == 1;
  const double *x = a.re(), *y = b.re();
  double* z = host->mutRe();  // unshared: no copy
  realPairs(x, s1, y, s2, z, n, f);
  out = std::move(*host);
  return true;
}

}  // namespace

Value binary(BinOp op, Value&& a, Value&& b) {
  Value r;
  bool done = false;
  switch (op) {
    case BinOp::Plus:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u + v; });
      break;
    case BinOp::Minus:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u - v; });
      break;
    case BinOp::Times:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u * v; });
      break;
    case BinOp::Rdivide:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u / v; });
      break;
    case BinOp::Ldivide:
      done = pairsInPlace(a, b, r, [](double u, double v) { return v / u; });
      break;
    case BinOp::Power:
      break;  // may turn complex
  }
  if (!done) return binary(op, static_cast<const Value&>(a), static_cast<const Value&>(b));
  r.setLogical(false);
  return r;
}

Value compare(CmpOp op, Value&& a, Value&& b) {
  Value r;
  bool done = false;
  switch (op) {
    case CmpOp::Eq:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u == v ? 1.0 : 0.0; });
      break;
    case CmpOp::Ne:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u != v ? 1.0 : 0.0; });
      break;
    case CmpOp::Lt:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u < v ? 1.0 : 0.0; });
      break;
    case CmpOp::Le:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u <= v ? 1.0 : 0.0; });
      break;
    case CmpOp::Gt:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u > v ? 1.0 : 0.0; });
      break;
    case CmpOp::Ge:
      done = pairsInPlace(a, b, r, [](double u, double v) { return u >= v ? 1.0 : 0.0; });
      break;
  }
  if (!done) return compare(op, static_cast<const Value&>(a), static_cast<const Value&>(b));
  return asLogical(std::move(r));
}

Value unary(UnaryFn fn, Value&& a) {
  const bool rounding =
      fn == UnaryFn::Abs || fn == UnaryFn::Fix || fn == UnaryFn::Floor || fn == UnaryFn::Ceil;
  if (!rounding || !reusable(a, a.dims())) return unary(fn, static_cast<const Value&>(a));
  double* z = a.mutRe();
  const std::size_t n = a.numel();
  auto over = [&](auto f) {
    for (std::size_t i = 0; i < n; ++i) z[i] = f(z[i]);
  };
  switch (fn) {
    case UnaryFn::Abs:
      over([](double x) { return std::fabs(x); });
      break;
    case UnaryFn::Fix:
      over([](double x) { return std::trunc(x); });
      break;
    case UnaryFn::Floor:
      over([](double x) { return std::floor(x); });
      break;
    default:
      over([](double x) { return std::ceil(x); });
      break;
  }
  a.setLogical(false);
  return std::move(a);
}

}  // namespace kh

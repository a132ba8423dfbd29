// C entry points of the operators.
#include "runtime/operators.h"

#include "host/capi/wrap.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/arrays/query.h"

namespace {

template <typename F>
mxArray* binaryCall(mxArray* a, mxArray* b, F f) {
  kh::CallInputs in(a, b);
  return in.result(f(kh::valueOf(a), kh::valueOf(b)));
}

template <typename F>
mxArray* unaryCall(mxArray* a, F f) {
  kh::CallInputs in(a);
  return in.result(f(kh::valueOf(a)));
}

bool compareScalars(kh::CmpOp op, double x, double y) {
  switch (op) {
    case kh::CmpOp::Eq:
      return x == y;
    case kh::CmpOp::Ne:
      return x != y;
    case kh::CmpOp::Lt:
      return x < y;
    case kh::CmpOp::Le:
      return x <= y;
    case kh::CmpOp::Gt:
      return x > y;
    case kh::CmpOp::Ge:
      return x >= y;
  }
  return false;
}

// Whether a and b are both real scalars held in their cells: the one test
// in front of the operators' short paths.
inline bool twoScalars(const mxArray* a, const mxArray* b) {
  return a && b && a->v.isRealScalar() && b->v.isRealScalar();
}

int compareBool(kh::CmpOp op, mxArray* a, mxArray* b) {
  if (twoScalars(a, b)) {
    const bool r = compareScalars(op, a->v.scalarValue(), b->v.scalarValue());
    kh::releaseIfTemp(a);
    if (b != a) kh::releaseIfTemp(b);
    return r ? 1 : 0;
  }
  kh::CallInputs in(a, b);
  const double *x = kh::realScalar(a), *y = kh::realScalar(b);
  if (x && y) return compareScalars(op, *x, *y) ? 1 : 0;
  return kh::truthValue(kh::compare(op, kh::valueOf(a), kh::valueOf(b))) ? 1 : 0;
}

mxArray* compareCall(kh::CmpOp op, mxArray* a, mxArray* b) {
  if (twoScalars(a, b))
    return kh::scalarResult(
        a, b, kh::Value::logicalScalar(compareScalars(op, a->v.scalarValue(), b->v.scalarValue())));
  const double *x = kh::realScalar(a), *y = kh::realScalar(b);
  if (x && y) {
    kh::CallInputs in(a, b);
    return in.result(kh::Value::logicalScalar(compareScalars(op, *x, *y)));
  }
  kh::CallInputs in(a, b);
  kh::Value va = kh::takeOrCopy(a, b), vb = kh::takeOrCopy(b, a);
  return in.result(kh::compare(op, std::move(va), std::move(vb)));
}

// Arithmetic of two real scalars; power is left to the general path (a
// negative base with a fractional exponent has a complex result).
mxArray* scalarArith(kh::BinOp op, mxArray* a, mxArray* b, double x, double y) {
  double z;
  switch (op) {
    case kh::BinOp::Plus:
      z = x + y;
      break;
    case kh::BinOp::Minus:
      z = x - y;
      break;
    case kh::BinOp::Times:
      z = x * y;
      break;
    case kh::BinOp::Rdivide:
      z = x / y;
      break;
    case kh::BinOp::Ldivide:
      z = y / x;
      break;
    default:
      return nullptr;
  }
  if (twoScalars(a, b)) return kh::scalarResult(a, b, kh::Value::scalar(z));
  kh::CallInputs in(a, b);
  return in.result(kh::Value::scalar(z));
}

mxArray* arith(kh::BinOp op, mxArray* a, mxArray* b) {
  if (twoScalars(a, b)) [[likely]]
    if (mxArray* r = scalarArith(op, a, b, a->v.scalarValue(), b->v.scalarValue())) return r;
  const double *x = kh::realScalar(a), *y = kh::realScalar(b);
  if (x && y)
    if (mxArray* r = scalarArith(op, a, b, *x, *y)) return r;
  kh::CallInputs in(a, b);
  kh::Value va = kh::takeOrCopy(a, b), vb = kh::takeOrCopy(b, a);
  return in.result(kh::binary(op, std::move(va), std::move(vb)));
}

// Matrix products and quotients of two scalars are the element-wise ones.
mxArray* matrixArith(kh::BinOp op, kh::Value (*general)(const kh::Value&, const kh::Value&),
                     mxArray* a, mxArray* b) {
  const double *x = kh::realScalar(a), *y = kh::realScalar(b);
  if (x && y) return scalarArith(op, a, b, *x, *y);
  return binaryCall(a, b, general);
}

}  // namespace

extern "C" {

mxArray* mclPlus(mxArray* a, mxArray* b) { return arith(kh::BinOp::Plus, a, b); }
mxArray* mclMinus(mxArray* a, mxArray* b) { return arith(kh::BinOp::Minus, a, b); }
mxArray* mclTimes(mxArray* a, mxArray* b) { return arith(kh::BinOp::Times, a, b); }
mxArray* mclRdivide(mxArray* a, mxArray* b) { return arith(kh::BinOp::Rdivide, a, b); }
mxArray* mlfPower(mxArray* a, mxArray* b) { return arith(kh::BinOp::Power, a, b); }
mxArray* mclMtimes(mxArray* a, mxArray* b) {
  return matrixArith(kh::BinOp::Times, kh::mtimes, a, b);
}
mxArray* mclMrdivide(mxArray* a, mxArray* b) {
  return matrixArith(kh::BinOp::Rdivide, kh::mrdivide, a, b);
}
mxArray* mlfMldivide(mxArray* a, mxArray* b) { return binaryCall(a, b, kh::mldivide); }
mxArray* mclUminus(mxArray* a) { return unaryCall(a, kh::uminus); }
mxArray* mclAnd(mxArray* a, mxArray* b) { return binaryCall(a, b, kh::logicalAnd); }
mxArray* mclOr(mxArray* a, mxArray* b) { return binaryCall(a, b, kh::logicalOr); }
mxArray* mclNot(mxArray* a) { return unaryCall(a, kh::logicalNot); }
mxArray* mlfTranspose(mxArray* a) { return unaryCall(a, kh::transpose); }
mxArray* mlfCtranspose(mxArray* a) { return unaryCall(a, kh::ctranspose); }

mxArray* mclEq(mxArray* a, mxArray* b) { return compareCall(kh::CmpOp::Eq, a, b); }
mxArray* mclNe(mxArray* a, mxArray* b) { return compareCall(kh::CmpOp::Ne, a, b); }
mxArray* mclLt(mxArray* a, mxArray* b) { return compareCall(kh::CmpOp::Lt, a, b); }
mxArray* mclLe(mxArray* a, mxArray* b) { return compareCall(kh::CmpOp::Le, a, b); }
mxArray* mclGt(mxArray* a, mxArray* b) { return compareCall(kh::CmpOp::Gt, a, b); }
mxArray* mclGe(mxArray* a, mxArray* b) { return compareCall(kh::CmpOp::Ge, a, b); }

int mclEqBool(mxArray* a, mxArray* b) { return compareBool(kh::CmpOp::Eq, a, b); }
int mclNeBool(mxArray* a, mxArray* b) { return compareBool(kh::CmpOp::Ne, a, b); }
int mclLtBool(mxArray* a, mxArray* b) { return compareBool(kh::CmpOp::Lt, a, b); }
int mclLeBool(mxArray* a, mxArray* b) { return compareBool(kh::CmpOp::Le, a, b); }
int mclGtBool(mxArray* a, mxArray* b) { return compareBool(kh::CmpOp::Gt, a, b); }
int mclGeBool(mxArray* a, mxArray* b) { return compareBool(kh::CmpOp::Ge, a, b); }

int mclNotBool(mxArray* a) {
  kh::CallInputs in(a);
  return kh::truthValue(kh::logicalNot(kh::valueOf(a))) ? 1 : 0;
}

}  // extern "C"

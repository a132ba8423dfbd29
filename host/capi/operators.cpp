// C entry points of the operators.
#include "runtime/operators.h"

#include "host/capi/wrap.h"
#include "host/ops/elementwise.h"
#include "host/ops/matrix.h"
#include "host/ops/query.h"

namespace {

template <typename F>
mxArray* binaryCall(mxArray* a, mxArray* b, F f) {
  kh::CallInputs in(a, b);
  return kh::newTemp(f(kh::valueOf(a), kh::valueOf(b)));
}

template <typename F>
mxArray* unaryCall(mxArray* a, F f) {
  kh::CallInputs in(a);
  return kh::newTemp(f(kh::valueOf(a)));
}

int compareBool(kh::CmpOp op, mxArray* a, mxArray* b) {
  kh::CallInputs in(a, b);
  return kh::truthValue(kh::compare(op, kh::valueOf(a), kh::valueOf(b))) ? 1 : 0;
}

mxArray* compareCall(kh::CmpOp op, mxArray* a, mxArray* b) {
  return binaryCall(a, b,
                    [op](const kh::Value& x, const kh::Value& y) { return kh::compare(op, x, y); });
}

mxArray* arith(kh::BinOp op, mxArray* a, mxArray* b) {
  return binaryCall(a, b,
                    [op](const kh::Value& x, const kh::Value& y) { return kh::binary(op, x, y); });
}

}  // namespace

extern "C" {

mxArray* mclPlus(mxArray* a, mxArray* b) { return arith(kh::BinOp::Plus, a, b); }
mxArray* mclMinus(mxArray* a, mxArray* b) { return arith(kh::BinOp::Minus, a, b); }
mxArray* mclTimes(mxArray* a, mxArray* b) { return arith(kh::BinOp::Times, a, b); }
mxArray* mclRdivide(mxArray* a, mxArray* b) { return arith(kh::BinOp::Rdivide, a, b); }
mxArray* mlfPower(mxArray* a, mxArray* b) { return arith(kh::BinOp::Power, a, b); }
mxArray* mclMtimes(mxArray* a, mxArray* b) { return binaryCall(a, b, kh::mtimes); }
mxArray* mclMrdivide(mxArray* a, mxArray* b) { return binaryCall(a, b, kh::mrdivide); }
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

// The rot90 module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_rot90;

namespace {

#define POOL(X)                                  \
  X(kMinusOne, kf::num(-1))                      \
  X(kZero, kf::num(0))                           \
  X(kOne, kf::num(1))                            \
  X(kTwo, kf::num(2))                            \
  X(kThree, kf::num(3))                          \
  X(kFour, kf::num(4))                           \
  X(kNot2D, kf::text("A must be a 2-D matrix.")) \
  X(kNotScalar, kf::text("k must be a scalar."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"rot90", &_local_function_table_rot90, poolTable};

kf::Function rot90Fn{module, "rot90", 1, 2, false, {"B"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// B = rot90(A, k): A turned k quarter turns counter-clockwise.
mxArray* Mrot90(int nargout_, mxArray* A_, mxArray* k_) {
  kf::Frame frame(rot90Fn);
  const int nargin_ = frame.nargin(A_, k_);
  kf::Var B("B");
  kf::Var m("m");
  kf::Var n("n");
  kf::Var A("A", A_);
  kf::Var k("k", k_);

  if (mclNeBool(mlfNdims(A()), module[kTwo])) mlfError(module[kNot2D]);
  mlfSize(mlfVarargout(m.slot(), n.slot(), nullptr), A(), nullptr);
  if (nargin_ == 1) {
    k = module[kOne];
  } else {
    if (mclLengthInt(k()) != 1) mlfError(module[kNotScalar]);
    k = mlfRem(k(), module[kFour]);
    if (mclLtBool(k(), module[kZero])) k = mclPlus(k(), module[kFour]);
  }
  if (mclEqBool(k(), module[kOne])) {
    A = mlfTranspose(A());
    B = mclArrayRef2(A.ref(), mlfColon(n(), module[kMinusOne], module[kOne]),
                     mlfCreateColonIndex());
  } else if (mclEqBool(k(), module[kTwo])) {
    B = mclArrayRef2(A.ref(), mlfColon(m(), module[kMinusOne], module[kOne]),
                     mlfColon(n(), module[kMinusOne], module[kOne]));
  } else if (mclEqBool(k(), module[kThree])) {
    B = mlfTranspose(mclArrayRef2(A.ref(), mlfColon(m(), module[kMinusOne], module[kOne]),
                                  mlfCreateColonIndex()));
  } else {
    B = A.ref();
  }
  return kf::finish(frame, nargout_, B);
}

mxArray* mlfRot90(mxArray* A, mxArray* k) {
  return kf::direct<Mrot90>(rot90Fn, kf::outs(), kf::ins(A, k));
}

KF_FEVAL(mlxRot90, Mrot90, rot90Fn)

mexLocalFunctionTable _local_function_table_rot90 = {0, nullptr};

void InitializeModule_rot90(void) { module.initialize(); }
void TerminateModule_rot90(void) { module.terminate(); }

}  // extern "C"

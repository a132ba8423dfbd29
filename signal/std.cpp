// The std module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_std;

namespace {

#define POOL(X)        \
  X(kZero, kf::num(0)) \
  X(kOne, kf::num(1))  \
  X(kNaN, kf::num(kf::kNaN))
KF_POOL(POOL)
#undef POOL

kf::Module module{"std", &_local_function_table_std, poolTable};

kf::Function stdFn{module, "std", 1, 3, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfRepmat(mxArray* A, mxArray* M, mxArray* N);

// y = std(x, flag, dim): the standard deviation along dim, normalised by
// n - 1, or by n when flag is true.
mxArray* Mstd(int nargout_, mxArray* x_, mxArray* flag_, mxArray* dim_) {
  kf::Frame frame(stdFn);
  const int nargin_ = frame.nargin(x_, flag_, dim_);
  kf::Var y("y");
  kf::Var tile("tile");
  kf::Var xc("xc");
  kf::Var x("x", x_);
  kf::Var flag("flag", flag_);
  kf::Var dim("dim", dim_);

  if (nargin_ < 2) flag = module[kZero];
  if (nargin_ < 3) {
    if (mlfTobool(mlfIsempty(x()))) {
      y = module[kNaN];
      return kf::finish(frame, nargout_, y);
    }
    dim = mlfMin(
        nullptr,
        mlfFind(nullptr, nullptr, mclNe(mlfSize(mclValueVarargout(), x(), nullptr), module[kOne])),
        nullptr, nullptr);
    if (mlfTobool(mlfIsempty(dim()))) dim = module[kOne];
  }

  if (mclEqBool(mlfSize(mclValueVarargout(), x(), dim()), module[kOne])) {
    y = mlfZeros(mlfSize(mclValueVarargout(), x(), nullptr), nullptr);
    mclArrayAssign1(y.slot(), module[kNaN], mlfIsnan(x()));
    return kf::finish(frame, nargout_, y);
  }

  tile = mlfOnes(module[kOne], mlfMax(nullptr, mlfNdims(x()), dim(), nullptr), nullptr);
  mclArrayAssign1(tile.slot(), mlfSize(mclValueVarargout(), x(), dim()), dim());
  xc = mclMinus(x(),
                mlfRepmat(mclMrdivide(mlfSum(x(), dim()), mlfSize(mclValueVarargout(), x(), dim())),
                          tile(), nullptr));
  if (mlfTobool(flag())) {
    y = mlfSqrt(mclMrdivide(mlfSum(mclTimes(mlfConj(xc()), xc()), dim()),
                            mlfSize(mclValueVarargout(), x(), dim())));
  } else {
    y = mlfSqrt(mclMrdivide(mlfSum(mclTimes(mlfConj(xc()), xc()), dim()),
                            mclMinus(mlfSize(mclValueVarargout(), x(), dim()), module[kOne])));
  }
  return kf::finish(frame, nargout_, y);
}

mxArray* mlfStd(mxArray* x, mxArray* flag, mxArray* dim) {
  return kf::direct<Mstd>(stdFn, kf::outs(), kf::ins(x, flag, dim));
}

KF_FEVAL(mlxStd, Mstd, stdFn)

mexLocalFunctionTable _local_function_table_std = {0, nullptr};

void InitializeModule_std(void) { module.initialize(); }
void TerminateModule_std(void) { module.terminate(); }

}  // extern "C"

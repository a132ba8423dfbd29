// The mean module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_mean;

namespace {

#define POOL(X) X(kOne, kf::num(1))
KF_POOL(POOL)
#undef POOL

kf::Module module{"mean", &_local_function_table_mean, poolTable};

kf::Function meanFn{module, "mean", 1, 2, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// y = mean(x, dim): the average along dim, by default along the first
// dimension whose length is not 1.
mxArray* Mmean(int nargout_, mxArray* x_, mxArray* dim_) {
  kf::Frame frame(meanFn);
  const int nargin_ = frame.nargin(x_, dim_);
  kf::Var y("y");
  kf::Var x("x", x_);
  kf::Var dim("dim", dim_);

  if (nargin_ == 1) {
    dim = mlfMin(
        nullptr,
        mlfFind(nullptr, nullptr, mclNe(mlfSize(mclValueVarargout(), x(), nullptr), module[kOne])),
        nullptr, nullptr);
    if (mlfTobool(mlfIsempty(dim()))) dim = module[kOne];
  }
  y = mclMrdivide(mlfSum(x(), dim()), mlfSize(mclValueVarargout(), x(), dim()));
  return kf::finish(frame, nargout_, y);
}

mxArray* mlfMean(mxArray* x, mxArray* dim) {
  return kf::direct<Mmean>(meanFn, kf::outs(), kf::ins(x, dim));
}

KF_FEVAL(mlxMean, Mmean, meanFn)

mexLocalFunctionTable _local_function_table_mean = {0, nullptr};

void InitializeModule_mean(void) { module.initialize(); }
void TerminateModule_mean(void) { module.terminate(); }

}  // extern "C"

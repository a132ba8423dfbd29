// The mean module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_mean;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"mean", &_local_function_table_mean, poolTable};

kf::Function meanFn{module, "mean", 1, 2, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mmean(int /*nargout_*/, mxArray* /*x*/, mxArray* /*dim*/) {
  kf::Frame frame(meanFn);
  kf::notBuilt(meanFn);
}

mxArray* mlfMean(mxArray* x, mxArray* dim) {
  return kf::direct<Mmean>(meanFn, kf::outs(), kf::ins(x, dim));
}

KF_FEVAL(mlxMean, Mmean, meanFn)

mexLocalFunctionTable _local_function_table_mean = {0, nullptr};

void InitializeModule_mean(void) { module.initialize(); }
void TerminateModule_mean(void) { module.terminate(); }

}  // extern "C"

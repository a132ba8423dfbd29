// The std module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_std;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"std", &_local_function_table_std, poolTable};

kf::Function stdFn{module, "std", 1, 3, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mstd(int /*nargout_*/, mxArray* /*x*/, mxArray* /*flag*/, mxArray* /*dim*/) {
  kf::Frame frame(stdFn);
  kf::notBuilt(stdFn);
}

mxArray* mlfStd(mxArray* x, mxArray* flag, mxArray* dim) {
  return kf::direct<Mstd>(stdFn, kf::outs(), kf::ins(x, flag, dim));
}

KF_FEVAL(mlxStd, Mstd, stdFn)

mexLocalFunctionTable _local_function_table_std = {0, nullptr};

void InitializeModule_std(void) { module.initialize(); }
void TerminateModule_std(void) { module.terminate(); }

}  // extern "C"

// The gcbf module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_gcbf;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"gcbf", &_local_function_table_gcbf, poolTable};

kf::Function gcbfFn{module, "gcbf", 1, 0, false, {"fig"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mgcbf(int /*nargout_*/) {
  kf::Frame frame(gcbfFn);
  kf::notBuilt(gcbfFn);
}

mxArray* mlfGcbf() { return kf::direct<Mgcbf>(gcbfFn, kf::outs(), kf::ins()); }

KF_FEVAL(mlxGcbf, Mgcbf, gcbfFn)

mexLocalFunctionTable _local_function_table_gcbf = {0, nullptr};

void InitializeModule_gcbf(void) { module.initialize(); }
void TerminateModule_gcbf(void) { module.terminate(); }

}  // extern "C"

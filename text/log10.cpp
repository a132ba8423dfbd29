// The log10 module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_log10;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"log10", &_local_function_table_log10, poolTable};

kf::Function log10Fn{module, "log10", 1, 1, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mlog10(int /*nargout_*/, mxArray* /*x*/) {
  kf::Frame frame(log10Fn);
  kf::notBuilt(log10Fn);
}

mxArray* mlfLog10(mxArray* x) { return kf::direct<Mlog10>(log10Fn, kf::outs(), kf::ins(x)); }

KF_FEVAL(mlxLog10, Mlog10, log10Fn)

mexLocalFunctionTable _local_function_table_log10 = {0, nullptr};

void InitializeModule_log10(void) { module.initialize(); }
void TerminateModule_log10(void) { module.terminate(); }

}  // extern "C"

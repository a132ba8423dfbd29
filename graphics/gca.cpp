// The gca module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_gca;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"gca", &_local_function_table_gca, poolTable};

kf::Function gcaFn{module, "gca", 1, 1, false, {"h"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mgca(int /*nargout_*/, mxArray* /*fig*/) {
  kf::Frame frame(gcaFn);
  kf::notBuilt(gcaFn);
}

mxArray* mlfGca(mxArray* fig) { return kf::direct<Mgca>(gcaFn, kf::outs(), kf::ins(fig)); }

KF_FEVAL(mlxGca, Mgca, gcaFn)

mexLocalFunctionTable _local_function_table_gca = {0, nullptr};

void InitializeModule_gca(void) { module.initialize(); }
void TerminateModule_gca(void) { module.terminate(); }

}  // extern "C"

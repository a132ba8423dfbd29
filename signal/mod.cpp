// The mod module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_mod;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"mod", &_local_function_table_mod, poolTable};

kf::Function modFn{module, "mod", 1, 2, false, {"z"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mmod(int /*nargout_*/, mxArray* /*x*/, mxArray* /*y*/) {
  kf::Frame frame(modFn);
  kf::notBuilt(modFn);
}

mxArray* mlfMod(mxArray* x, mxArray* y) {
  return kf::direct<Mmod>(modFn, kf::outs(), kf::ins(x, y));
}

KF_FEVAL(mlxMod, Mmod, modFn)

mexLocalFunctionTable _local_function_table_mod = {0, nullptr};

void InitializeModule_mod(void) { module.initialize(); }
void TerminateModule_mod(void) { module.terminate(); }

}  // extern "C"

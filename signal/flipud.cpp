// The flipud module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_flipud;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"flipud", &_local_function_table_flipud, poolTable};

kf::Function flipudFn{module, "flipud", 1, 1, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mflipud(int /*nargout_*/, mxArray* /*x*/) {
  kf::Frame frame(flipudFn);
  kf::notBuilt(flipudFn);
}

mxArray* mlfFlipud(mxArray* x) { return kf::direct<Mflipud>(flipudFn, kf::outs(), kf::ins(x)); }

KF_FEVAL(mlxFlipud, Mflipud, flipudFn)

mexLocalFunctionTable _local_function_table_flipud = {0, nullptr};

void InitializeModule_flipud(void) { module.initialize(); }
void TerminateModule_flipud(void) { module.terminate(); }

}  // extern "C"

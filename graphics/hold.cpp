// The hold module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_hold;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"hold", &_local_function_table_hold, poolTable};

kf::Function holdFn{module, "hold", 1, 1, false, {}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

void Mhold(mxArray* /*opt_hold_state*/) {
  kf::Frame frame(holdFn);
  kf::notBuilt(holdFn);
}

void mlfHold(mxArray* opt_hold_state) {
  kf::direct<Mhold>(holdFn, kf::outs(), kf::ins(opt_hold_state));
}

KF_FEVAL(mlxHold, Mhold, holdFn)

mexLocalFunctionTable _local_function_table_hold = {0, nullptr};

void InitializeModule_hold(void) { module.initialize(); }
void TerminateModule_hold(void) { module.terminate(); }

}  // extern "C"

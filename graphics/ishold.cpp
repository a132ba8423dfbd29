// The ishold module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_ishold;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"ishold", &_local_function_table_ishold, poolTable};

kf::Function isholdFn{module, "ishold", 1, 1, false, {"holdstate"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mishold(int /*nargout_*/, mxArray* /*ca*/) {
  kf::Frame frame(isholdFn);
  kf::notBuilt(isholdFn);
}

mxArray* mlfIshold(mxArray* ca) { return kf::direct<Mishold>(isholdFn, kf::outs(), kf::ins(ca)); }

KF_FEVAL(mlxIshold, Mishold, isholdFn)

mexLocalFunctionTable _local_function_table_ishold = {0, nullptr};

void InitializeModule_ishold(void) { module.initialize(); }
void TerminateModule_ishold(void) { module.terminate(); }

}  // extern "C"

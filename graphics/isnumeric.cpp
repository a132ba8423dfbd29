// The isnumeric module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_isnumeric;

namespace {

#define POOL(X) X(kNumeric, kf::text("numeric"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"isnumeric", &_local_function_table_isnumeric, poolTable};

kf::Function isnumericFn{module, "isnumeric", 1, 1, false, {"tf"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// tf = isnumeric(a): whether a's class is numeric.
mxArray* Misnumeric(int nargout_, mxArray* a_) {
  kf::Frame frame(isnumericFn);
  kf::Var tf("tf");
  kf::Var a("a", a_);
  tf = mlfIsa(a(), module[kNumeric]);
  return kf::finish(frame, nargout_, tf);
}

mxArray* mlfIsnumeric(mxArray* a) {
  return kf::direct<Misnumeric>(isnumericFn, kf::outs(), kf::ins(a));
}

KF_FEVAL(mlxIsnumeric, Misnumeric, isnumericFn)

mexLocalFunctionTable _local_function_table_isnumeric = {0, nullptr};

void InitializeModule_isnumeric(void) { module.initialize(); }
void TerminateModule_isnumeric(void) { module.terminate(); }

}  // extern "C"

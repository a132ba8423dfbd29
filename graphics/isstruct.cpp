// The isstruct module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_isstruct;

namespace {

#define POOL(X) X(kStruct, kf::text("struct"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"isstruct", &_local_function_table_isstruct, poolTable};

kf::Function isstructFn{module, "isstruct", 1, 1, false, {"t"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// t = isstruct(a): whether a is a structure.
mxArray* Misstruct(int nargout_, mxArray* a_) {
  kf::Frame frame(isstructFn);
  kf::Var t("t");
  kf::Var a("a", a_);
  t = mlfIsa(a(), module[kStruct]);
  return kf::finish(frame, nargout_, t);
}

mxArray* mlfIsstruct(mxArray* a) {
  return kf::direct<Misstruct>(isstructFn, kf::outs(), kf::ins(a));
}

KF_FEVAL(mlxIsstruct, Misstruct, isstructFn)

mexLocalFunctionTable _local_function_table_isstruct = {0, nullptr};

void InitializeModule_isstruct(void) { module.initialize(); }
void TerminateModule_isstruct(void) { module.terminate(); }

}  // extern "C"

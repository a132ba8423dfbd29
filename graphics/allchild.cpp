// The allchild module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_allchild;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"allchild", &_local_function_table_allchild, poolTable};

kf::Function allchildFn{module, "allchild", 1, 1, false, {"ChildList"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mallchild(int /*nargout_*/, mxArray* /*HandleList*/) {
  kf::Frame frame(allchildFn);
  kf::notBuilt(allchildFn);
}

mxArray* mlfAllchild(mxArray* HandleList) {
  return kf::direct<Mallchild>(allchildFn, kf::outs(), kf::ins(HandleList));
}

KF_FEVAL(mlxAllchild, Mallchild, allchildFn)

mexLocalFunctionTable _local_function_table_allchild = {0, nullptr};

void InitializeModule_allchild(void) { module.initialize(); }
void TerminateModule_allchild(void) { module.terminate(); }

}  // extern "C"

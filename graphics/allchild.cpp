// The allchild module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "graphics/restore_on_error.h"

extern "C" mexLocalFunctionTable _local_function_table_allchild;

namespace {

#define POOL(X)                                                \
  X(kOne, kf::num(1))                                          \
  X(kDouble, kf::text("double"))                               \
  X(kInvalid, kf::text("Invalid handles passed to ALLCHILD.")) \
  X(kRoot, kf::num(0))                                         \
  X(kShowHiddenHandles, kf::text("ShowHiddenHandles"))         \
  X(kOn, kf::text("on"))                                       \
  X(kChildren, kf::text("Children"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"allchild", &_local_function_table_allchild, poolTable};

kf::Function allchildFn{module, "allchild", 1, 1, false, {"ChildList"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfNargchk(mxArray* low, mxArray* high, mxArray* number);

// ChildList = allchild(HandleList): the children of the objects, hidden
// handles included.
mxArray* Mallchild(int nargout_, mxArray* HandleList_) {
  kf::Frame frame(allchildFn);
  const int nargin_ = frame.nargin(HandleList_);
  kf::Var ChildList("ChildList");
  kf::Var Temp("Temp");
  kf::Var HandleList("HandleList", HandleList_);

  mlfError(mlfNargchk(module[kOne], module[kOne], mlfScalar(nargin_)));
  if (!mlfTobool(mlfIsa(HandleList(), module[kDouble])) ||
      !mlfTobool(mlfAll(mlfIshandle(HandleList(), nullptr), nullptr))) {
    mlfError(module[kInvalid]);
  }

  Temp = mlfNGet(1, module[kRoot], module[kShowHiddenHandles], nullptr);
  mlfNSet(0, module[kRoot], module[kShowHiddenHandles], module[kOn], nullptr);
  {
    // The root must not be left showing hidden handles, whatever happens to
    // the read.
    kgfx::RestoreOnError restore(module[kRoot], module[kShowHiddenHandles], Temp.slot());
    ChildList = mlfNGet(1, HandleList(), module[kChildren], nullptr);
    restore.dismiss();
  }
  mlfNSet(0, module[kRoot], module[kShowHiddenHandles], Temp(), nullptr);
  return kf::finish(frame, nargout_, ChildList);
}

mxArray* mlfAllchild(mxArray* HandleList) {
  return kf::direct<Mallchild>(allchildFn, kf::outs(), kf::ins(HandleList));
}

KF_FEVAL(mlxAllchild, Mallchild, allchildFn)

mexLocalFunctionTable _local_function_table_allchild = {0, nullptr};

void InitializeModule_allchild(void) { module.initialize(); }
void TerminateModule_allchild(void) { module.terminate(); }

}  // extern "C"

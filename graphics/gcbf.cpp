// The gcbf module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_gcbf;

namespace {

#define POOL(X)                                  \
  X(kRoot, kf::num(0))                           \
  X(kCallbackObject, kf::text("CallbackObject")) \
  X(kEmpty, kf::matrix(0, 0, {}))                \
  X(kParent, kf::text("parent"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"gcbf", &_local_function_table_gcbf, poolTable};

kf::Function gcbfFn{module, "gcbf", 1, 0, false, {"fig"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// fig = gcbf: the figure holding the object whose callback is running; empty
// outside any callback.
mxArray* Mgcbf(int nargout_) {
  kf::Frame frame(gcbfFn);
  kf::Var fig("fig");
  kf::Var object("object");

  object = mlfNGet(1, module[kRoot], module[kCallbackObject], nullptr);
  if (mlfTobool(mlfIsempty(object()))) {
    fig = module[kEmpty];
  } else if (mclEqBool(object(), module[kRoot])) {
    fig = module[kEmpty];
  } else {
    // Up the parent chain to the object whose parent is the root.
    fig = object.ref();
    while (mclNeBool(mlfNGet(1, fig(), module[kParent], nullptr), module[kRoot])) {
      fig = mlfNGet(1, fig(), module[kParent], nullptr);
    }
  }
  return kf::finish(frame, nargout_, fig);
}

mxArray* mlfGcbf() { return kf::direct<Mgcbf>(gcbfFn, kf::outs(), kf::ins()); }

KF_FEVAL(mlxGcbf, Mgcbf, gcbfFn)

mexLocalFunctionTable _local_function_table_gcbf = {0, nullptr};

void InitializeModule_gcbf(void) { module.initialize(); }
void TerminateModule_gcbf(void) { module.terminate(); }

}  // extern "C"

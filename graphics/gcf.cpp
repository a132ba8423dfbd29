// The gcf module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_gcf;

namespace {

#define POOL(X)        \
  X(kRoot, kf::num(0)) \
  X(kCurrentFigure, kf::text("CurrentFigure"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"gcf", &_local_function_table_gcf, poolTable};

kf::Function gcfFn{module, "gcf", 1, 0, false, {"h"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// h = gcf: the current figure, made when there is none.
mxArray* Mgcf(int nargout_) {
  kf::Frame frame(gcfFn);
  kf::Var h("h");

  h = mlfNGet(1, module[kRoot], module[kCurrentFigure], nullptr);
  if (mlfTobool(mlfIsempty(h()))) h = mlfNFigure(1, nullptr);
  return kf::finish(frame, nargout_, h);
}

mxArray* mlfGcf() { return kf::direct<Mgcf>(gcfFn, kf::outs(), kf::ins()); }

KF_FEVAL(mlxGcf, Mgcf, gcfFn)

mexLocalFunctionTable _local_function_table_gcf = {0, nullptr};

void InitializeModule_gcf(void) { module.initialize(); }
void TerminateModule_gcf(void) { module.terminate(); }

}  // extern "C"

// The gca module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_gca;

namespace {

#define POOL(X)                            \
  X(kCurrentAxes, kf::text("CurrentAxes")) \
  X(kParent, kf::text("parent"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"gca", &_local_function_table_gca, poolTable};

kf::Function gcaFn{module, "gca", 1, 1, false, {"h"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfGcf();

// h = gca(fig): the current axes of fig (of the current figure when fig is
// not given), made in that figure when it has none.
mxArray* Mgca(int nargout_, mxArray* fig_) {
  kf::Frame frame(gcaFn);
  const int nargin_ = frame.nargin(fig_);
  kf::Var h("h");
  kf::Var fig("fig", fig_);

  if (nargin_ == 0) fig = mlfGcf();
  h = mlfNGet(1, fig(), module[kCurrentAxes], nullptr);
  if (mlfTobool(mlfIsempty(h()))) h = mlfNAxes(1, module[kParent], fig(), nullptr);
  return kf::finish(frame, nargout_, h);
}

mxArray* mlfGca(mxArray* fig) { return kf::direct<Mgca>(gcaFn, kf::outs(), kf::ins(fig)); }

KF_FEVAL(mlxGca, Mgca, gcaFn)

mexLocalFunctionTable _local_function_table_gca = {0, nullptr};

void InitializeModule_gca(void) { module.initialize(); }
void TerminateModule_gca(void) { module.terminate(); }

}  // extern "C"

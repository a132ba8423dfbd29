// The ishold module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_ishold;

namespace {

#define POOL(X)                            \
  X(kCurrentaxes, kf::text("currentaxes")) \
  X(kZero, kf::num(0))                     \
  X(kParent, kf::text("parent"))           \
  X(kNextplot, kf::text("nextplot"))       \
  X(kAdd, kf::text("add"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"ishold", &_local_function_table_ishold, poolTable};

kf::Function isholdFn{module, "ishold", 1, 1, false, {"holdstate"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfGcf();

// holdstate = ishold(ca): 1 when the axes ca (the current axes when not
// given) and their figure both add new plots, else 0.
mxArray* Mishold(int nargout_, mxArray* ca_) {
  kf::Frame frame(isholdFn);
  const int nargin_ = frame.nargin(ca_);
  kf::Var holdstate("holdstate");
  kf::Var cf("cf");
  kf::Var ca("ca", ca_);

  if (nargin_ == 0) {
    cf = mlfGcf();
    ca = mlfNGet(1, cf(), module[kCurrentaxes], nullptr);
    if (mlfTobool(mlfIsempty(ca()))) {
      // A figure without axes holds nothing; no axes are made to find out.
      holdstate = module[kZero];
      return kf::finish(frame, nargout_, holdstate);
    }
  } else {
    ca = mclIntArrayRef1(ca.ref(), 1);
    cf = mlfNGet(1, ca(), module[kParent], nullptr);
  }
  // The figure's value is read first.
  mxArray* figureAdds = mlfStrcmp(mlfNGet(1, cf(), module[kNextplot], nullptr), module[kAdd]);
  holdstate =
      mclAnd(mlfStrcmp(mlfNGet(1, ca(), module[kNextplot], nullptr), module[kAdd]), figureAdds);
  return kf::finish(frame, nargout_, holdstate);
}

mxArray* mlfIshold(mxArray* ca) { return kf::direct<Mishold>(isholdFn, kf::outs(), kf::ins(ca)); }

KF_FEVAL(mlxIshold, Mishold, isholdFn)

mexLocalFunctionTable _local_function_table_ishold = {0, nullptr};

void InitializeModule_ishold(void) { module.initialize(); }
void TerminateModule_ishold(void) { module.terminate(); }

}  // extern "C"

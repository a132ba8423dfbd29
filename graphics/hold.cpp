// The hold module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_hold;

namespace {

#define POOL(X)                                   \
  X(kNextPlot, kf::text("NextPlot"))              \
  X(kAdd, kf::text("add"))                        \
  X(kReplace, kf::text("replace"))                \
  X(kReleased, kf::text("Current plot released")) \
  X(kHeld, kf::text("Current plot held"))         \
  X(kOn, kf::text("on"))                          \
  X(kOff, kf::text("off"))                        \
  X(kUnknownOption, kf::text("Unknown command option."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"hold", &_local_function_table_hold, poolTable};

kf::Function holdFn{module, "hold", 1, 1, false, {}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfGca(mxArray* fig);
mxArray* mlfGcf();

// hold(opt_hold_state): holds the current plot ("on"), releases it ("off"),
// or toggles the state and says which it is now. Held means that both the
// axes and their figure add new plots.
void Mhold(mxArray* opt_hold_state_) {
  kf::Frame frame(holdFn);
  const int nargin_ = frame.nargin(opt_hold_state_);
  kf::Var ax("ax");
  kf::Var nexta("nexta");
  kf::Var nextf("nextf");
  kf::Var hold_state("hold_state");
  kf::Var opt_hold_state("opt_hold_state", opt_hold_state_);

  ax = mlfGca(nullptr);
  nexta = mlfLower(mlfNGet(1, ax(), module[kNextPlot], nullptr));
  nextf = mlfLower(mlfNGet(1, mlfGcf(), module[kNextPlot], nullptr));
  hold_state = mclAnd(mlfStrcmp(nexta(), module[kAdd]), mlfStrcmp(nextf(), module[kAdd]));

  if (nargin_ == 0) {
    if (mlfTobool(hold_state())) {
      mlfNSet(0, ax(), module[kNextPlot], module[kReplace], nullptr);
      mlfDisp(module[kReleased]);
    } else {
      mlfNSet(0, mlfGcf(), module[kNextPlot], module[kAdd], nullptr);
      mlfNSet(0, ax(), module[kNextPlot], module[kAdd], nullptr);
      mlfDisp(module[kHeld]);
    }
  } else if (mlfTobool(mlfStrcmp(opt_hold_state(), module[kOn]))) {
    mlfNSet(0, mlfGcf(), module[kNextPlot], module[kAdd], nullptr);
    mlfNSet(0, ax(), module[kNextPlot], module[kAdd], nullptr);
  } else if (mlfTobool(mlfStrcmp(opt_hold_state(), module[kOff]))) {
    mlfNSet(0, ax(), module[kNextPlot], module[kReplace], nullptr);
  } else {
    mlfError(module[kUnknownOption]);
  }
}

void mlfHold(mxArray* opt_hold_state) {
  kf::direct<Mhold>(holdFn, kf::outs(), kf::ins(opt_hold_state));
}

KF_FEVAL(mlxHold, Mhold, holdFn)

mexLocalFunctionTable _local_function_table_hold = {0, nullptr};

void InitializeModule_hold(void) { module.initialize(); }
void TerminateModule_hold(void) { module.terminate(); }

}  // extern "C"

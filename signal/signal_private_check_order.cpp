// The signal_private_check_order module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_signal_private_check_order;

namespace {

#define POOL(X)                                             \
  X(kEmpty, kf::matrix(0, 0, {}))                           \
  X(kZero, kf::num(0))                                      \
  X(kOne, kf::num(1))                                       \
  X(kNegative, kf::text("Order cannot be less than zero.")) \
  X(kRounding, kf::text("Rounding order to nearest integer."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"signal_private_check_order", &_local_function_table_signal_private_check_order,
                  poolTable};

kf::Function signal_private_check_orderFn{module, "signal/private/check_order", 1, 1,
                                          false,  {"n_out", "w", "trivalwin"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// [n_out, w, trivalwin] = check_order(n_in): the window order made a
// non-negative integer; orders 0 and 1 come with their window.
mxArray* Msignal_private_check_order(mxArray** w, mxArray** trivalwin, int nargout_,
                                     mxArray* n_in_) {
  kf::Frame frame(signal_private_check_orderFn);
  kf::Var n_out("n_out");
  kf::Var n_in("n_in", n_in_);

  mlfAssign(w, module[kEmpty]);
  mlfAssign(trivalwin, module[kZero]);
  if (mclLtBool(n_in(), module[kZero])) mlfError(module[kNegative]);
  if (mlfTobool(mlfIsempty(n_in())) || mclEqBool(n_in(), mlfFloor(n_in()))) {
    n_out = n_in.ref();
  } else {
    n_out = mlfRound(n_in());
    mlfNWarning(0, module[kRounding], nullptr);
  }
  if (mlfTobool(mlfIsempty(n_out())) || mclEqBool(n_out(), module[kZero])) {
    mlfAssign(w, mlfZeros(module[kZero], module[kOne], nullptr));
    mlfAssign(trivalwin, module[kOne]);
  } else if (mclEqBool(n_out(), module[kOne])) {
    mlfAssign(w, module[kOne]);
    mlfAssign(trivalwin, module[kOne]);
  }
  return kf::finish(frame, nargout_, n_out, {w, trivalwin});
}

mxArray* mlfSignal_private_check_order(mxArray** w, mxArray** trivalwin, mxArray* n_in) {
  return kf::direct<Msignal_private_check_order>(signal_private_check_orderFn,
                                                 kf::outs(w, trivalwin), kf::ins(n_in));
}

KF_FEVAL(mlxSignal_private_check_order, Msignal_private_check_order, signal_private_check_orderFn)

mexLocalFunctionTable _local_function_table_signal_private_check_order = {0, nullptr};

void InitializeModule_signal_private_check_order(void) { module.initialize(); }
void TerminateModule_signal_private_check_order(void) { module.terminate(); }

}  // extern "C"

// The signal_private_check_order module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_signal_private_check_order;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"signal_private_check_order", &_local_function_table_signal_private_check_order,
                  poolTable};

kf::Function signal_private_check_orderFn{module, "signal/private/check_order", 1, 1,
                                          false,  {"n_out", "w", "trivalwin"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Msignal_private_check_order(mxArray** /*w*/, mxArray** /*trivalwin*/, int /*nargout_*/,
                                     mxArray* /*n_in*/) {
  kf::Frame frame(signal_private_check_orderFn);
  kf::notBuilt(signal_private_check_orderFn);
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

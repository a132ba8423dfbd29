// The nargchk module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_nargchk;

namespace {

#define POOL(X)                                          \
  X(kEmpty, kf::matrix(0, 0, {}))                        \
  X(kNotEnough, kf::text("Not enough input arguments.")) \
  X(kTooMany, kf::text("Too many input arguments."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"nargchk", &_local_function_table_nargchk, poolTable};

kf::Function nargchkFn{module, "nargchk", 1, 3, false, {"msg"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// msg = nargchk(low, high, number): empty when low <= number <= high.
mxArray* Mnargchk(int nargout_, mxArray* low_, mxArray* high_, mxArray* number_) {
  kf::Frame frame(nargchkFn);
  kf::Var msg("msg");
  kf::Var low("low", low_);
  kf::Var high("high", high_);
  kf::Var number("number", number_);

  msg = module[kEmpty];
  if (mclLtBool(number(), low())) {
    msg = module[kNotEnough];
  } else if (mclGtBool(number(), high())) {
    msg = module[kTooMany];
  }
  return kf::finish(frame, nargout_, msg);
}

mxArray* mlfNargchk(mxArray* low, mxArray* high, mxArray* number) {
  return kf::direct<Mnargchk>(nargchkFn, kf::outs(), kf::ins(low, high, number));
}

KF_FEVAL(mlxNargchk, Mnargchk, nargchkFn)

mexLocalFunctionTable _local_function_table_nargchk = {0, nullptr};

void InitializeModule_nargchk(void) { module.initialize(); }
void TerminateModule_nargchk(void) { module.terminate(); }

}  // extern "C"

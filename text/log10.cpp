// The log10 module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_log10;

namespace {

#define POOL(X)                                          \
  X(kNotEnough, kf::text("Not enough input arguments.")) \
  X(kTen, kf::num(10))
KF_POOL(POOL)
#undef POOL

kf::Module module{"log10", &_local_function_table_log10, poolTable};

kf::Function log10Fn{module, "log10", 1, 1, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// y = log10(x): the base-10 logarithm of every element, log(x) ./ log(10).
mxArray* Mlog10(int nargout_, mxArray* x_) {
  kf::Frame frame(log10Fn);
  const int nargin_ = frame.nargin(x_);
  kf::Var y("y");
  kf::Var x("x", x_);
  if (nargin_ == 0) mlfError(module[kNotEnough]);
  y = mclRdivide(mlfLog(x()), mlfLog(module[kTen]));
  return kf::finish(frame, nargout_, y);
}

mxArray* mlfLog10(mxArray* x) { return kf::direct<Mlog10>(log10Fn, kf::outs(), kf::ins(x)); }

KF_FEVAL(mlxLog10, Mlog10, log10Fn)

mexLocalFunctionTable _local_function_table_log10 = {0, nullptr};

void InitializeModule_log10(void) { module.initialize(); }
void TerminateModule_log10(void) { module.terminate(); }

}  // extern "C"

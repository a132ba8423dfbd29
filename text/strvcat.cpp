// The strvcat module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_strvcat;

namespace {

#define POOL(X)                   \
  X(kEmpty, kf::matrix(0, 0, {})) \
  X(kMinusOne, kf::num(-1))       \
  X(kOne, kf::num(1))
KF_POOL(POOL)
#undef POOL

kf::Module module{"strvcat", &_local_function_table_strvcat, poolTable};

kf::Function strvcatFn{module, "strvcat", 1, 0, true, {"s"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// s = strvcat(a, b, ...): the arguments stacked as rows of one character
// matrix, padded with blanks; empty arguments give no row.
mxArray* Mstrvcat(int nargout_, mxArray* varargin_) {
  kf::Frame frame(strvcatFn);
  kf::Var s("s");
  kf::Var notempty("notempty");
  kf::Var i("i");
  kf::Var varargin("varargin", varargin_);
  const int nargin_ = mclNargin(-1, varargin(), nullptr);

  notempty = module[kEmpty];
  // Counting down: the first assignment gives notempty its whole length.
  for (i = mlfScalar(nargin_); mclGeBool(i(), module[kOne]); i = mclPlus(i(), module[kMinusOne])) {
    mclArrayAssign1(notempty.slot(),
                    mclNot(mclFeval(mclValueVarargout(), mlxIsempty,
                                    mlfIndexRef(varargin.ref(), "{?}", i()), nullptr)),
                    i());
  }
  s = mlfChar(mlfIndexRef(varargin.ref(), "{?}", notempty()), nullptr);
  return kf::finish(frame, nargout_, s);
}

mxArray* mlfStrvcat(mxArray* varargin, ...) {
  va_list ap;
  va_start(ap, varargin);
  kf::VaEnd end(ap);
  return kf::directVarargin<Mstrvcat>(strvcatFn, kf::outs(), kf::ins(), varargin, 1, ap);
}

KF_FEVAL(mlxStrvcat, Mstrvcat, strvcatFn)

mexLocalFunctionTable _local_function_table_strvcat = {0, nullptr};

void InitializeModule_strvcat(void) { module.initialize(); }
void TerminateModule_strvcat(void) { module.terminate(); }

}  // extern "C"

// The flipud module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_flipud;

namespace {

#define POOL(X)             \
  X(kTwo, kf::num(2))       \
  X(kMinusOne, kf::num(-1)) \
  X(kOne, kf::num(1))       \
  X(kNot2D, kf::text("X must be a 2-D matrix."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"flipud", &_local_function_table_flipud, poolTable};

kf::Function flipudFn{module, "flipud", 1, 1, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// y = flipud(x): the rows of x in reverse order.
mxArray* Mflipud(int nargout_, mxArray* x_) {
  kf::Frame frame(flipudFn);
  kf::Var y("y");
  kf::Var m("m");
  kf::Var x("x", x_);

  if (mclNeBool(mlfNdims(x()), module[kTwo])) mlfError(module[kNot2D]);
  m = mlfSize(mclValueVarargout(), x(), module[kOne]);
  y = mclArrayRef2(x.ref(), mlfColon(m(), module[kMinusOne], module[kOne]), mlfCreateColonIndex());
  return kf::finish(frame, nargout_, y);
}

mxArray* mlfFlipud(mxArray* x) { return kf::direct<Mflipud>(flipudFn, kf::outs(), kf::ins(x)); }

KF_FEVAL(mlxFlipud, Mflipud, flipudFn)

mexLocalFunctionTable _local_function_table_flipud = {0, nullptr};

void InitializeModule_flipud(void) { module.initialize(); }
void TerminateModule_flipud(void) { module.terminate(); }

}  // extern "C"

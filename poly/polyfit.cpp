// The polyfit module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "poly/warning_state_guard.h"

extern "C" mexLocalFunctionTable _local_function_table_polyfit;

namespace {

#define POOL(X)                                                                             \
  X(kSizeMismatch, kf::text("X and Y vectors must be the same size."))                      \
  X(kOne, kf::num(1))                                                                       \
  X(kMinusOne, kf::num(-1))                                                                 \
  X(kZero, kf::num(0))                                                                      \
  X(kTwo, kf::num(2))                                                                       \
  X(k1e10, kf::num(1e10))                                                                   \
  X(kOff, kf::text("off"))                                                                  \
  X(kNotUnique, kf::text("Polynomial is not unique; degree >= number of data points."))     \
  X(kBadlyShort, kf::text("Polynomial is badly conditioned. Remove repeated data points.")) \
  X(kBadlyLong, kf::text("Polynomial is badly conditioned. Remove repeated data points\\n"  \
                         "         or try centering and scaling as described in HELP POLYFIT."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"polyfit", &_local_function_table_polyfit, poolTable};

kf::Function polyfitFn{module, "polyfit", 1, 3, false, {"p", "S", "mu"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfMean(mxArray* x, mxArray* dim);
mxArray* mlfStd(mxArray* x, mxArray* flag, mxArray* dim);
mxArray* mlfCondest(mxArray** v, mxArray* A, mxArray* t);

// [p, S, mu] = polyfit(x, y, n): the least-squares polynomial of degree n
// through the points (x, y), coefficients highest power first; S carries what
// polyval needs for error bounds; with three outputs x is centred and scaled
// by mu = [mean; std] before the fit.
mxArray* Mpolyfit(mxArray** S_, mxArray** mu_, int nargout_, mxArray* x_, mxArray* y_,
                  mxArray* n_) {
  kf::Frame frame(polyfitFn);
  kf::Var p("p");
  kf::Var V("V");
  kf::Var Q("Q");
  kf::Var R("R");
  kf::Var ws("ws");
  kf::Var r("r");
  kf::Var j("j");
  kf::Var steps("steps");
  kf::Var x("x", x_);
  kf::Var y("y", y_);
  kf::Var n("n", n_);

  if (!mlfTobool(mlfIsequal(mlfSize(mclValueVarargout(), x(), nullptr),
                            mlfSize(mclValueVarargout(), y(), nullptr), nullptr))) {
    mlfError(module[kSizeMismatch]);
  }
  x = mclArrayRef1(x.ref(), mlfCreateColonIndex());
  y = mclArrayRef1(y.ref(), mlfCreateColonIndex());
  if (nargout_ > 2) {
    mlfAssign(mu_, mlfVertcat(mlfMean(x(), nullptr), mlfStd(x(), nullptr, nullptr), nullptr));
    x = mclMrdivide(mclMinus(x(), mclIntArrayRef1(*mu_, 1)), mclIntArrayRef1(*mu_, 2));
  }

  // Vandermonde matrix, built leftwards from the column of ones.
  mclArrayAssign2(V.slot(), mlfOnes(mlfScalar(mclLengthInt(x())), module[kOne], nullptr),
                  mlfCreateColonIndex(), mclPlus(n(), module[kOne]));
  steps = mlfColon(n(), module[kMinusOne], module[kOne]);
  for (int k = 1; k <= mclLengthInt(steps()); ++k) {
    j = mclIntArrayRef1(steps.ref(), k);
    mclArrayAssign2(
        V.slot(),
        mclTimes(x(), mclArrayRef2(V.ref(), mlfCreateColonIndex(), mclPlus(j(), module[kOne]))),
        mlfCreateColonIndex(), j());
  }

  Q = mlfQr(R.slot(), nullptr, V(), module[kZero]);
  {
    // Warnings of the solve are not the caller's business; the state is put
    // back also when the solve raises an error.
    ws = mlfNWarning(1, module[kOff], nullptr);
    kpoly::WarningStateGuard restoreOnError(ws.slot());
    p = mlfMldivide(R(), mclMtimes(mlfCtranspose(Q()), y()));
    restoreOnError.dismiss();
    mlfNWarning(0, ws(), nullptr);
  }

  if (mclGtBool(mlfSize(mclValueVarargout(), R(), module[kTwo]),
                mlfSize(mclValueVarargout(), R(), module[kOne]))) {
    mlfNWarning(0, module[kNotUnique], nullptr);
  } else if (mclGtBool(mlfCondest(nullptr, R(), nullptr), module[k1e10])) {
    mxArray* text = nargout_ > 2 ? module[kBadlyShort] : module[kBadlyLong];
    mlfNWarning(0, mlfSprintf(nullptr, text, nullptr), nullptr);
  }

  r = mclMinus(y(), mclMtimes(V(), p()));
  p = mlfTranspose(p());
  mlfIndexAssign(S_, ".R", R());
  mlfIndexAssign(S_, ".df", mclMinus(mlfScalar(mclLengthInt(y())), mclPlus(n(), module[kOne])));
  mlfIndexAssign(S_, ".normr", mlfNorm(r(), nullptr));
  return kf::finish(frame, nargout_, p, {S_, mu_});
}

mxArray* mlfPolyfit(mxArray** S, mxArray** mu, mxArray* x, mxArray* y, mxArray* n) {
  return kf::direct<Mpolyfit>(polyfitFn, kf::outs(S, mu), kf::ins(x, y, n));
}

mxArray* mlfNPolyfit(int nargout, mxArray** S, mxArray** mu, mxArray* x, mxArray* y, mxArray* n) {
  return kf::directN<Mpolyfit>(polyfitFn, nargout, kf::outs(S, mu), kf::ins(x, y, n));
}

void mlfVPolyfit(mxArray* x, mxArray* y, mxArray* n) {
  kf::directV<Mpolyfit>(polyfitFn, kf::ins(x, y, n));
}

KF_FEVAL(mlxPolyfit, Mpolyfit, polyfitFn)

mexLocalFunctionTable _local_function_table_polyfit = {0, nullptr};

void InitializeModule_polyfit(void) { module.initialize(); }
void TerminateModule_polyfit(void) { module.terminate(); }

}  // extern "C"

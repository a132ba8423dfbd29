// The polyval module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_polyval;

namespace {

#define POOL(X)                                                       \
  X(kOne, kf::num(1))                                                 \
  X(kTwo, kf::num(2))                                                 \
  X(kMinusOne, kf::num(-1))                                           \
  X(kZero, kf::num(0))                                                \
  X(kEmpty, kf::matrix(0, 0, {}))                                     \
  X(kInf, kf::num(kf::kInf))                                          \
  X(kBadS, kf::text("S matrix must be n+2-by-n where n = length(p)")) \
  X(kZeroDf, kf::text("Warning: zero degrees of freedom implies infinite error bounds."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"polyval", &_local_function_table_polyval, poolTable};

kf::Function polyvalFn{module, "polyval", 1, 4, false, {"y", "delta"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfIsstruct(mxArray* a);
mxArray* mlfRepmat(mxArray* A, mxArray* M, mxArray* N);

// [y, delta] = polyval(p, x, S, mu): the polynomial p (highest power first)
// at every element of x by Horner's scheme; with the error structure of a fit
// and two outputs, also error bounds; with mu, x is centred and scaled first.
mxArray* Mpolyval(mxArray** delta_, int nargout_, mxArray* p_, mxArray* x_, mxArray* S_,
                  mxArray* mu_) {
  kf::Frame frame(polyvalFn);
  const int nargin_ = frame.nargin(p_, x_, S_, mu_);
  kf::Var y("y");
  kf::Var m("m");
  kf::Var n("n");
  kf::Var nc("nc");
  kf::Var infs("infs");
  kf::Var sinfs("sinfs");
  kf::Var R("R");
  kf::Var df("df");
  kf::Var normr("normr");
  kf::Var ms("ms");
  kf::Var ns("ns");
  kf::Var V("V");
  kf::Var E("E");
  kf::Var e("e");
  kf::Var p("p", p_);
  kf::Var x("x", x_);
  kf::Var S("S", S_);
  kf::Var mu("mu", mu_);

  mlfSize(mlfVarargout(m.slot(), n.slot(), nullptr), x(), nullptr);
  nc = mlfScalar(mclLengthInt(p()));

  // Infinite abscissae get sign(x)^nc .* x, whatever the coefficients.
  infs = mlfFind(nullptr, nullptr, mlfIsinf(x()));
  sinfs = mclTimes(mlfPower(mlfSign(mclArrayRef1(x.ref(), infs.ref())), nc()),
                   mclArrayRef1(x.ref(), infs.ref()));

  if (nargin_ == 4) {
    x = mclMrdivide(mclMinus(x(), mclIntArrayRef1(mu.ref(), 1)), mclIntArrayRef1(mu.ref(), 2));
  }

  // A single abscissa without the structure: the running Horner sums of a
  // one-pole filter, of which the last is the value.
  if (mclEqBool(mclPlus(m(), n()), module[kTwo]) && nargin_ < 3) {
    y = mlfFilter(nullptr, module[kOne], mlfHorzcat(module[kOne], mclUminus(x()), nullptr), p(),
                  nullptr, nullptr);
    y = mclArrayRef1(y.ref(), nc.ref());
    return kf::finish(frame, nargout_, y, {delta_});
  }

  y = mlfZeros(m(), n(), nullptr);
  for (int i = 1; mclLeBool(mlfScalar(i), nc()); ++i) {
    y = mclPlus(mclTimes(x(), y()), mclIntArrayRef1(p.ref(), i));
  }

  if (nargin_ > 2 && nargout_ > 1 && !mlfTobool(mlfIsempty(S()))) {
    x = mclArrayRef1(x.ref(), mlfCreateColonIndex());
    if (mlfTobool(mlfIsstruct(S()))) {
      R = mlfIndexRef(S.ref(), ".R");
      df = mlfIndexRef(S.ref(), ".df");
      normr = mlfIndexRef(S.ref(), ".normr");
    } else {
      mlfSize(mlfVarargout(ms.slot(), ns.slot(), nullptr), S(), nullptr);
      if (mlfTobool(mclOr(mclNe(ms(), mclPlus(ns(), module[kTwo])), mclNe(nc(), ns())))) {
        mlfError(module[kBadS]);
      }
      R = mclArrayRef2(S.ref(), mlfColon(module[kOne], nc(), nullptr),
                       mlfColon(module[kOne], nc(), nullptr));
      df = mclArrayRef2(S.ref(), mclPlus(nc(), module[kOne]), module[kOne]);
      normr = mclArrayRef2(S.ref(), mclPlus(nc(), module[kTwo]), module[kOne]);
    }
    mclArrayAssign2(V.slot(), mlfOnes(mlfScalar(mclLengthInt(x())), module[kOne], nullptr),
                    mlfCreateColonIndex(), nc());
    for (int j = mclLengthInt(p()) - 1; j >= 1; --j) {
      mclArrayAssign2(V.slot(),
                      mclTimes(x(), mclArrayRef2(V.ref(), mlfCreateColonIndex(), mlfScalar(j + 1))),
                      mlfCreateColonIndex(), mlfScalar(j));
    }
    E = mclMrdivide(V(), R());
    if (mclEqBool(nc(), module[kOne])) {
      e = mlfSqrt(mclPlus(module[kOne], mclTimes(E(), E())));
    } else {
      e = mlfSqrt(
          mclPlus(module[kOne], mlfCtranspose(mlfSum(mlfCtranspose(mclTimes(E(), E())), nullptr))));
    }
    if (mclEqBool(df(), module[kZero])) {
      mlfDisp(module[kZeroDf]);
      mlfAssign(delta_,
                mlfRepmat(module[kInf], mlfSize(mclValueVarargout(), e(), nullptr), nullptr));
    } else {
      mlfAssign(delta_, mclMtimes(mclMrdivide(normr(), mlfSqrt(df())), e()));
    }
    mlfAssign(delta_, mlfReshape(*delta_, m(), n(), nullptr));
  }

  mclArrayAssign1(y.slot(), sinfs(), infs());
  return kf::finish(frame, nargout_, y, {delta_});
}

mxArray* mlfPolyval(mxArray** delta, mxArray* p, mxArray* x, mxArray* S, mxArray* mu) {
  return kf::direct<Mpolyval>(polyvalFn, kf::outs(delta), kf::ins(p, x, S, mu));
}

mxArray* mlfNPolyval(int nargout, mxArray** delta, mxArray* p, mxArray* x, mxArray* S,
                     mxArray* mu) {
  return kf::directN<Mpolyval>(polyvalFn, nargout, kf::outs(delta), kf::ins(p, x, S, mu));
}

void mlfVPolyval(mxArray* p, mxArray* x, mxArray* S, mxArray* mu) {
  kf::directV<Mpolyval>(polyvalFn, kf::ins(p, x, S, mu));
}

KF_FEVAL(mlxPolyval, Mpolyval, polyvalFn)

mexLocalFunctionTable _local_function_table_polyval = {0, nullptr};

void InitializeModule_polyval(void) { module.initialize(); }
void TerminateModule_polyval(void) { module.terminate(); }

}  // extern "C"

// The mod module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_mod;

namespace {

#define POOL(X)                                    \
  X(kZero, kf::num(0))                             \
  X(kEps, kf::num(2.220446049250313e-16))          \
  X(kNotReal, kf::text("Arguments must be real.")) \
  X(kNotSameSize, kf::text("X and Y must be the same size."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"mod", &_local_function_table_mod, poolTable};

kf::Function modFn{module, "mod", 1, 2, false, {"z"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// z = mod(x, y): x - floor(x./y).*y, with the sign of the divisor; a
// quotient of a fractional divisor within rounding of a whole number counts
// as whole, and a zero divisor gives back the dividend.
mxArray* Mmod(int nargout_, mxArray* x_, mxArray* y_) {
  kf::Frame frame(modFn);
  kf::Var z("z");
  kf::Var m("m");
  kf::Var q("q");
  kf::Var r("r");
  kf::Var x("x", x_);
  kf::Var y("y", y_);

  if (!mlfTobool(mlfIsreal(x())) || !mlfTobool(mlfIsreal(y()))) mlfError(module[kNotReal]);
  if (mclLengthInt(y()) == 1) {
    y = mclArrayRef1(y.ref(), mlfOnes(mlfSize(mclValueVarargout(), x(), nullptr), nullptr));
  } else if (mclLengthInt(x()) == 1) {
    x = mclArrayRef1(x.ref(), mlfOnes(mlfSize(mclValueVarargout(), y(), nullptr), nullptr));
  }
  z = mlfZeros(mlfSize(mclValueVarargout(), x(), nullptr), nullptr);
  if (!mlfTobool(mlfIsequal(mlfSize(mclValueVarargout(), x(), nullptr),
                            mlfSize(mclValueVarargout(), y(), nullptr), nullptr)))
    mlfError(module[kNotSameSize]);
  if (mlfTobool(mlfIsempty(x())) || mlfTobool(mlfIsempty(y())))
    return kf::finish(frame, nargout_, z);

  // Whole, non-zero divisors.
  m = mclAnd(mclEq(y(), mlfFix(y())), mclNe(y(), module[kZero]));
  mclArrayAssign1(
      z.slot(),
      mclMinus(
          mclArrayRef1(x.ref(), m()),
          mclTimes(mlfFloor(mclRdivide(mclArrayRef1(x.ref(), m()), mclArrayRef1(y.ref(), m()))),
                   mclArrayRef1(y.ref(), m()))),
      m());

  if (!mlfTobool(mlfAll(m(), nullptr))) {
    // Fractional divisors.
    m = mclNe(y(), mlfFix(y()));
    q = mclRdivide(mclArrayRef1(x.ref(), m()), mclArrayRef1(y.ref(), m()));
    r = mclLe(mlfAbs(mclMinus(q(), mlfRound(q()))), mclTimes(module[kEps], mlfAbs(q())));
    mclArrayAssign1(q.slot(), mlfRound(mclArrayRef1(q.ref(), r())), r());
    mclArrayAssign1(z.slot(), mclTimes(mclMinus(q(), mlfFloor(q())), mclArrayRef1(y.ref(), m())),
                    m());
    // Zero divisors.
    m = mclEq(y(), module[kZero]);
    mclArrayAssign1(z.slot(), mclArrayRef1(x.ref(), m()), m());
  }
  return kf::finish(frame, nargout_, z);
}

mxArray* mlfMod(mxArray* x, mxArray* y) {
  return kf::direct<Mmod>(modFn, kf::outs(), kf::ins(x, y));
}

KF_FEVAL(mlxMod, Mmod, modFn)

mexLocalFunctionTable _local_function_table_mod = {0, nullptr};

void InitializeModule_mod(void) { module.initialize(); }
void TerminateModule_mod(void) { module.terminate(); }

}  // extern "C"

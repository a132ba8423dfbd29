// The num2str module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_num2str;
extern "C" mxArray* mlfLog10(mxArray* x);

namespace {

#define POOL(X)                                                  \
  X(kZero, kf::num(0))                                           \
  X(kTen, kf::num(10))                                           \
  X(kTwelve, kf::num(12))                                        \
  X(kOne, kf::num(1))                                            \
  X(kTwo, kf::num(2))                                            \
  X(kEleven, kf::num(11))                                        \
  X(kFour, kf::num(4))                                           \
  X(kSeven, kf::num(7))                                          \
  X(kPercent, kf::text("%"))                                     \
  X(kFmtD, kf::text("%d"))                                       \
  X(kD, kf::text("d"))                                           \
  X(kPercentMinus, kf::text("%-"))                               \
  X(kS, kf::text("s"))                                           \
  X(kDot, kf::text("."))                                         \
  X(kG, kf::text("g"))                                           \
  X(kFmtF, kf::text("%f"))                                       \
  X(kInvalidFormat, kf::text("'%s' is an invalid format."))      \
  X(kNoFieldWidth, kf::text("Format must contain field width.")) \
  X(kEmptyText, kf::emptyText())                                 \
  X(kEmpty, kf::matrix(0, 0, {}))                                \
  X(kPlus, kf::text("+"))                                        \
  X(kMinus, kf::text("-"))                                       \
  X(kI, kf::text("i"))                                           \
  X(kBlank, kf::text(" "))
KF_POOL(POOL)
#undef POOL

kf::Module module{"num2str", &_local_function_table_num2str, poolTable};

kf::Function num2strFn{module, "num2str", 1, 2, false, {"s"}};
kf::Function num2str_formatimagFn{module, "num2str/formatimag", 83, 3, false, {"v"}};
kf::Function num2str_lefttrimFn{module, "num2str/lefttrim", 91, 1, false, {"s"}};

KF_EXCEPTION_FUNCTION()

// x(:), for the digit counts.
mxArray* column(const kf::Var& x) { return mclArrayRef1(x.ref(), mlfCreateColonIndex()); }

// roundUp = any(~rem(x(find(x < 0 & isreal(x))), 10)): a negative multiple
// of ten of a real x needs one more digit for its sign.
mxArray* roundUpOf(const kf::Var& x) {
  return mlfAny(
      mclNot(
          mlfRem(mclArrayRef1(x.ref(), mlfFind(nullptr, nullptr,
                                               mclAnd(mclLt(x(), module[kZero]), mlfIsreal(x())))),
                 module[kTen])),
      nullptr);
}

// min(cap, max(1, max(ceil(log10(abs(x(:)) + (x(:) == 0) + roundUp))))).
mxArray* digitsOf(const kf::Var& x, const kf::Var& roundUp, int cap) {
  return mlfMin(
      nullptr, module[cap],
      mlfMax(nullptr, module[kOne],
             mlfMax(nullptr,
                    mlfCeil(mlfLog10(mclPlus(
                        mclPlus(mlfAbs(column(x)), mclEq(column(x), module[kZero])), roundUp()))),
                    nullptr, nullptr),
             nullptr),
      nullptr);
}

}  // namespace

extern "C" {

mxArray* mlfInt2str(mxArray* x);
mxArray* mlfStrvcat(mxArray* varargin, ...);
mxArray* mlfNum2str_formatimag(mxArray* f, mxArray* fi, mxArray* x);
mxArray* mlfNum2str_lefttrim(mxArray* s);

// s = num2str(x, f): the text of a numeric array, one row per row of x;
// f is a precision (significant digits) or a printf-style format.
mxArray* Mnum2str(int nargout_, mxArray* x_, mxArray* f_) {
  kf::Frame frame(num2strFn);
  const int nargin_ = frame.nargin(x_, f_);
  kf::Var s("s");
  kf::Var roundUp("roundUp");
  kf::Var d("d");
  kf::Var fi("fi");
  kf::Var k("k");
  kf::Var m("m");
  kf::Var n("n");
  kf::Var t("t");
  kf::Var u("u");
  kf::Var x("x", x_);
  kf::Var f("f", f_);

  if (mlfTobool(mlfIsstr(x()))) {
    s = x.ref();
    return kf::finish(frame, nargout_, s);
  }
  if (nargin_ < 2 && !mlfTobool(mlfIsempty(x())) &&
      mlfTobool(mlfAll(mclEq(x(), mlfFix(x())), nullptr))) {
    // Whole numbers: a field two wider than the most digits.
    roundUp = roundUpOf(x);
    d = digitsOf(x, roundUp, kTwelve);
    f = mlfHorzcat(module[kPercent],
                   mlfSprintf(nullptr, module[kFmtD], mclPlus(d(), module[kTwo]), nullptr),
                   module[kD], nullptr);
    fi = mlfHorzcat(module[kPercentMinus],
                    mlfSprintf(nullptr, module[kFmtD], mclPlus(d(), module[kTwo]), nullptr),
                    module[kS], nullptr);
  } else if (nargin_ < 2) {
    // Four more significant digits than the integer part needs.
    roundUp = roundUpOf(x);
    d = mclPlus(digitsOf(x, roundUp, kEleven), module[kFour]);
    f = mlfHorzcat(module[kPercent], mlfInt2str(mclPlus(d(), module[kSeven])), module[kDot],
                   mlfInt2str(d()), module[kG], nullptr);
    fi = mlfHorzcat(module[kPercentMinus], mlfInt2str(mclPlus(d(), module[kSeven])), module[kS],
                    nullptr);
  } else if (!mlfTobool(mlfIsstr(f()))) {
    // A precision.
    fi = mlfHorzcat(module[kPercentMinus], mlfInt2str(mclPlus(f(), module[kSeven])), module[kS],
                    nullptr);
    f = mlfHorzcat(module[kPercent], mlfInt2str(mclPlus(f(), module[kSeven])), module[kDot],
                   mlfInt2str(f()), module[kG], nullptr);
  } else {
    // A format: its field width sizes the imaginary parts.
    k = mlfFind(nullptr, nullptr, mclEq(f(), module[kPercent]));
    if (mlfTobool(mlfIsempty(k()))) {
      mlfError(mlfSprintf(nullptr, module[kInvalidFormat], f(), nullptr));
    }
    d = mlfSscanf(
        nullptr, nullptr, nullptr,
        mclArrayRef1(f.ref(), mlfColon(mclPlus(mclIntArrayRef1(k.ref(), 1), module[kOne]),
                                       mlfEnd(f.ref(), module[kOne], module[kOne]), nullptr)),
        module[kFmtF], nullptr);
    if (mlfTobool(mlfIsempty(d()))) mlfError(module[kNoFieldWidth]);
    fi = mlfHorzcat(module[kPercentMinus], mlfInt2str(d()), module[kS], nullptr);
  }

  mlfSize(mlfVarargout(m.slot(), n.slot(), nullptr), x(), nullptr);
  s = module[kEmptyText];
  for (int i = 1; mclLeBool(mlfScalar(i), m()); ++i) {
    t = module[kEmpty];
    for (int j = 1; mclLeBool(mlfScalar(j), n()); ++j) {
      u = mlfSprintf(nullptr, f(), mlfReal(mclIntArrayRef2(x.ref(), i, j)), nullptr);
      if (!mlfTobool(mlfIsreal(x())) &&
          mclEqBool(mlfImag(mclIntArrayRef2(x.ref(), i, j)), module[kZero])) {
        u = mlfHorzcat(u(), module[kPlus], mlfNum2str_formatimag(f(), fi(), module[kZero]),
                       nullptr);
      } else if (mclGtBool(mlfImag(mclIntArrayRef2(x.ref(), i, j)), module[kZero])) {
        u = mlfHorzcat(u(), module[kPlus],
                       mlfNum2str_formatimag(f(), fi(), mlfImag(mclIntArrayRef2(x.ref(), i, j))),
                       nullptr);
      } else if (mclLtBool(mlfImag(mclIntArrayRef2(x.ref(), i, j)), module[kZero])) {
        u = mlfHorzcat(
            u(), module[kMinus],
            mlfNum2str_formatimag(f(), fi(), mclUminus(mlfImag(mclIntArrayRef2(x.ref(), i, j)))),
            nullptr);
      }
      t = mlfHorzcat(t(), u(), nullptr);
    }
    s = mlfStrvcat(s(), t(), nullptr);
  }
  s = mlfNum2str_lefttrim(s());
  if (mclLengthInt(x()) == 1) s = mlfDeblank(s());
  return kf::finish(frame, nargout_, s);
}

// v = formatimag(f, fi, x): the text of one imaginary part, "i" appended,
// left-justified in the field of fi.
mxArray* Mnum2str_formatimag(int nargout_, mxArray* f_, mxArray* fi_, mxArray* x_) {
  kf::Frame frame(num2str_formatimagFn);
  kf::Var v("v");
  kf::Var f("f", f_);
  kf::Var fi("fi", fi_);
  kf::Var x("x", x_);
  v = mlfHorzcat(mlfSprintf(nullptr, f(), x(), nullptr), module[kI], nullptr);
  v = mlfNum2str_lefttrim(v());
  v = mlfSprintf(nullptr, fi(), v(), nullptr);
  return kf::finish(frame, nargout_, v);
}

// s = lefttrim(s): the columns before the first one with a non-blank
// character removed.
mxArray* Mnum2str_lefttrim(int nargout_, mxArray* s_) {
  kf::Frame frame(num2str_lefttrimFn);
  kf::Var s = kf::Var::fromInput("s", s_);
  kf::Var c("c");
  if (!mlfTobool(mlfIsempty(s()))) {
    mxDestroyArray(mlfFind(c.slot(), nullptr, mclNe(s(), module[kBlank])));
    if (!mlfTobool(mlfIsempty(c()))) {
      s = mclArrayRef2(s.ref(), mlfCreateColonIndex(),
                       mlfColon(mlfMin(nullptr, c(), nullptr, nullptr),
                                mlfEnd(s.ref(), module[kTwo], module[kTwo]), nullptr));
    }
  }
  return kf::finish(frame, nargout_, s);
}

mxArray* mlfNum2str(mxArray* x, mxArray* f) {
  return kf::direct<Mnum2str>(num2strFn, kf::outs(), kf::ins(x, f));
}

KF_FEVAL(mlxNum2str, Mnum2str, num2strFn)

mxArray* mlfNum2str_formatimag(mxArray* f, mxArray* fi, mxArray* x) {
  return kf::direct<Mnum2str_formatimag>(num2str_formatimagFn, kf::outs(), kf::ins(f, fi, x));
}

KF_FEVAL(mlxNum2str_formatimag, Mnum2str_formatimag, num2str_formatimagFn)

mxArray* mlfNum2str_lefttrim(mxArray* s) {
  return kf::direct<Mnum2str_lefttrim>(num2str_lefttrimFn, kf::outs(), kf::ins(s));
}

KF_FEVAL(mlxNum2str_lefttrim, Mnum2str_lefttrim, num2str_lefttrimFn)

static mexFunctionTableEntry local_function_rows[2] = {
    {"formatimag", mlxNum2str_formatimag, 3, 1, nullptr},
    {"lefttrim", mlxNum2str_lefttrim, 1, 1, nullptr},
};
mexLocalFunctionTable _local_function_table_num2str = {2, local_function_rows};

void InitializeModule_num2str(void) { module.initialize(); }
void TerminateModule_num2str(void) { module.terminate(); }

}  // extern "C"

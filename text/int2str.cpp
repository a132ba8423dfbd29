// The int2str module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_int2str;

namespace {

#define POOL(X)                       \
  X(kFmtOneDecimal, kf::text("%.1f")) \
  X(kNaN, kf::text("NaN"))            \
  X(kOne, kf::num(1))                 \
  X(kInf, kf::text("Inf"))            \
  X(kZero, kf::num(0))                \
  X(kPercent, kf::text("%"))          \
  X(kFmtD, kf::text("%d"))            \
  X(kFour, kf::num(4))                \
  X(kDotOneF, kf::text(".1f"))        \
  X(kEmptyText, kf::emptyText())      \
  X(kEmpty, kf::matrix(0, 0, {}))     \
  X(kBlank, kf::text(" "))            \
  X(kTwo, kf::num(2))                 \
  X(kTen, kf::num(10))
KF_POOL(POOL)
#undef POOL

kf::Module module{"int2str", &_local_function_table_int2str, poolTable};

kf::Function int2strFn{module, "int2str", 1, 1, false, {"s"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfLog10(mxArray* x);

// s = int2str(x): the text of x rounded to integers; a matrix gives one text
// row per row, fields right-aligned and the common leading blanks removed.
mxArray* Mint2str(int nargout_, mxArray* x_) {
  kf::Frame frame(int2strFn);
  kf::Var s("s");
  kf::Var m("m");
  kf::Var n("n");
  kf::Var d("d");
  kf::Var f("f");
  kf::Var t("t");
  kf::Var x("x", x_);

  x = mlfRound(mlfReal(x()));
  if (mclLengthInt(x()) == 1) {
    s = mlfSprintf(nullptr, module[kFmtOneDecimal], x(), nullptr);
    if (!mlfTobool(mlfStrcmp(s(), module[kInf])) && !mlfTobool(mlfStrcmp(s(), module[kNaN]))) {
      mlfIndexDelete(s.slot(), "(?)",
                     mlfColon(mclMinus(mlfEnd(s.ref(), module[kOne], module[kOne]), module[kOne]),
                              mlfEnd(s.ref(), module[kOne], module[kOne]), nullptr));
    }
  } else {
    mlfSize(mlfVarargout(m.slot(), n.slot(), nullptr), x(), nullptr);
    d = mlfMax(nullptr, module[kOne],
               mlfMax(nullptr,
                      mlfCeil(mlfLog10(mclPlus(
                          mlfAbs(mclArrayRef1(x.ref(), mlfCreateColonIndex())),
                          mclEq(mclArrayRef1(x.ref(), mlfCreateColonIndex()), module[kZero])))),
                      nullptr, nullptr),
               nullptr);
    // A negative power of ten fills its whole field (-10 takes all five
    // characters of %5.1f) and would run into the number on its left; only
    // then do the fields get one more character, so that [10 -10] reads
    // "10 -10" instead of "10-10". Every other result is unchanged.
    if (mclGtBool(n(), module[kOne]) &&
        mlfTobool(mlfAny(mlfAny(mclEq(mclArrayRef2(x.ref(), mlfCreateColonIndex(),
                                                   mlfColon(module[kTwo], n(), nullptr)),
                                      mclUminus(mlfPower(module[kTen], d()))),
                                nullptr),
                         nullptr))) {
      d = mclPlus(d(), module[kOne]);
    }
    f = mlfHorzcat(module[kPercent],
                   mlfSprintf(nullptr, module[kFmtD], mclPlus(d(), module[kFour]), nullptr),
                   module[kDotOneF], nullptr);
    s = module[kEmptyText];
    for (int i = 1; mclLeBool(mlfScalar(i), m()); ++i) {
      t = module[kEmpty];
      for (int j = 1; mclLeBool(mlfScalar(j), n()); ++j) {
        t = mlfHorzcat(t(), mlfSprintf(nullptr, f(), mclIntArrayRef2(x.ref(), i, j), nullptr),
                       nullptr);
        mlfIndexDelete(t.slot(), "(?)",
                       mlfColon(mclMinus(mlfEnd(t.ref(), module[kOne], module[kOne]), module[kOne]),
                                mlfEnd(t.ref(), module[kOne], module[kOne]), nullptr));
      }
      s = mlfVertcat(s(), t(), nullptr);
    }
    if (!mlfTobool(mlfIsempty(s()))) {
      while (mlfTobool(
          mlfAll(mclEq(mclArrayRef2(s.ref(), mlfCreateColonIndex(), module[kOne]), module[kBlank]),
                 nullptr))) {
        mlfIndexDelete(s.slot(), "(?,?)", mlfCreateColonIndex(), module[kOne]);
      }
    }
  }
  return kf::finish(frame, nargout_, s);
}

mxArray* mlfInt2str(mxArray* x) { return kf::direct<Mint2str>(int2strFn, kf::outs(), kf::ins(x)); }

KF_FEVAL(mlxInt2str, Mint2str, int2strFn)

mexLocalFunctionTable _local_function_table_int2str = {0, nullptr};

void InitializeModule_int2str(void) { module.initialize(); }
void TerminateModule_int2str(void) { module.terminate(); }

}  // extern "C"

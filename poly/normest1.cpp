// The normest1 module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_normest1;

namespace {

#define POOL(X)                                                                             \
  X(kDouble, kf::text("double"))                                                            \
  X(kFunctionHandle, kf::text("function_handle"))                                           \
  X(kDim, kf::text("dim"))                                                                  \
  X(kReal, kf::text("real"))                                                                \
  X(kNotransp, kf::text("notransp"))                                                        \
  X(kTransp, kf::text("transp"))                                                            \
  X(kEmpty, kf::matrix(0, 0, {}))                                                           \
  X(kNotMatrix, kf::text("A must be a matrix or function"))                                 \
  X(kBadT, kf::text("T must be an integer between 1 and N = MAX(SIZE(A))."))                \
  X(kX0Should, kf::text("X0 should have "))                                                 \
  X(kColumns, kf::text(" columns."))                                                        \
  X(kTraceIt, kf::text("%g: "))                                                             \
  X(kTracePair, kf::text(" (%g, %6.2e)"))                                                   \
  X(kNewline, kf::text("\\n"))                                                              \
  X(kTraceRep, kf::text("     rep e_j = %g\\n"))                                            \
  X(kTraceLimit, kf::text("*Terminate: iteration limit reached.\\n"))                       \
  X(kTraceNotIncreased, kf::text("*Terminate: estimate not increased.\\n"))                 \
  X(kTraceRepeatedS, kf::text("*Terminate: repeated sign matrix.\\n"))                      \
  X(kTraceConverged, kf::text("*Terminate: power method convergence test.\\n"))             \
  X(kTraceRepeatedE, kf::text("*Terminate: repeated unit vectors.\\n"))                     \
  X(kTraceExact, kf::text("No iteration - norm computed exactly.\\n"))                      \
  X(kTraceParallel, kf::text("Parallel cols: %g\\n"))                                       \
  X(kTraceRepeated, kf::text("Repeated unit vectors: %g\\n"))                               \
  X(kTraceUndupli, kf::text("Unduplicate, rpt = %g\\n"))                                    \
  X(kFailedFmt, kf::text("function %s\\nfailed with the following error:\\n\\n%s"))         \
  X(kSizeFmt, kf::text("function %s\\nmust return a %d-by-%d matrix when flag == '%s'"))    \
  X(kDimFmt, kf::text("function %s\\nmust return a nonnegative integer when flag == '%s'")) \
  X(kRealFmt, kf::text("function %s\\nmust return 0 or 1 when flag == '%s'"))               \
  X(kZero, kf::num(0))                                                                      \
  X(kOne, kf::num(1))                                                                       \
  X(kTwo, kf::num(2))                                                                       \
  X(kThree, kf::num(3))                                                                     \
  X(kFour, kf::num(4))                                                                      \
  X(kFive, kf::num(5))                                                                      \
  X(kSix, kf::num(6))                                                                       \
  X(kMinusOne, kf::num(-1))                                                                 \
  X(kZeroOne, kf::matrix(1, 2, {0, 1}))                                                     \
  X(kZeroZero, kf::matrix(1, 2, {0, 0}))
KF_POOL(POOL)
#undef POOL

kf::Module module{"normest1", &_local_function_table_normest1, poolTable};

kf::Function normest1Fn{module, "normest1", 1, 3, true, {"est", "v", "w", "iter"}};
kf::Function normest1_undupliFn{module, "normest1/undupli", 201, 3, false, {"S", "r"}};
kf::Function normest1_mysignFn{module, "normest1/mysign", 235, 1, false, {"S"}};
kf::Function normest1_normappFn{module, "normest1/normapp", 241, 3, true, {"y"}};

KF_EXCEPTION_FUNCTION()

// Formatted print on the command window; the count it returns is not used.
void print(mxArray* format, mxArray* a = nullptr, mxArray* b = nullptr) {
  mxArray* out = b ? mlfNFprintf(0, format, a, b, nullptr)
                   : (a ? mlfNFprintf(0, format, a, nullptr) : mlfNFprintf(0, format, nullptr));
  if (out) mxDestroyArray(out);
}

// The extra arguments of the function form of A, as separate arguments.
mxArray* extra(const kf::Var& varargin) {
  return mlfIndexRef(varargin.ref(), "{?}", mlfCreateColonIndex());
}

}  // namespace

extern "C" {

mxArray* mlfNormest1_undupli(mxArray** r, mxArray* S, mxArray* S_old, mxArray* prnt);
mxArray* mlfNormest1_mysign(mxArray* A);
mxArray* mlfNormest1_normapp(mxArray* afun, mxArray* flag, mxArray* x, ...);
mxArray* mlfInt2str(mxArray* x);

// [est, v, w, iter] = normest1(A, t, X0, ...): a lower bound for the 1-norm of
// the square matrix A (or of the matrix a function applies), by a block power
// iteration on t columns; t < 0 traces the iteration.
mxArray* Mnormest1(mxArray** v_, mxArray** w_, mxArray** iter_, int nargout_, mxArray* A_,
                   mxArray* t_, mxArray* X_, mxArray* varargin_) {
  kf::Frame frame(normest1Fn);
  const int nargin_ = frame.nargin(A_, t_, X_, varargin_);
  kf::Var est("est");
  kf::Var n("n");
  kf::Var A_is_real("A_is_real");
  kf::Var prnt("prnt");
  kf::Var rpt_S("rpt_S");
  kf::Var rpt_e("rpt_e");
  kf::Var Y("Y");
  kf::Var temp("temp");
  kf::Var m("m");
  kf::Var red("red");
  kf::Var info("info");
  kf::Var itmax("itmax");
  kf::Var it("it");
  kf::Var nmv("nmv");
  kf::Var ind("ind");
  kf::Var vals("vals");
  kf::Var Zvals("Zvals");
  kf::Var S("S");
  kf::Var est_old("est_old");
  kf::Var vals_ind("vals_ind");
  kf::Var est_j("est_j");
  kf::Var S_old("S_old");
  kf::Var SS("SS");
  kf::Var np("np");
  kf::Var r("r");
  kf::Var Z("Z");
  kf::Var imax("imax");
  kf::Var ind_hist("ind_hist");
  kf::Var rep("rep");
  kf::Var j("j");
  kf::Var A("A", A_);
  kf::Var t("t", t_);
  kf::Var X("X", X_);
  kf::Var varargin("varargin", varargin_);

  const bool isDouble = mlfTobool(mlfIsa(A(), module[kDouble]));
  if (isDouble) {
    n = mlfMax(nullptr, mlfSize(mclValueVarargout(), A(), nullptr), nullptr, nullptr);
    A_is_real = mlfIsreal(A());
  } else if (mlfTobool(mlfIsa(A(), module[kFunctionHandle]))) {
    n = mlfNormest1_normapp(A(), module[kDim], module[kEmpty], extra(varargin), nullptr);
    A_is_real = mlfNormest1_normapp(A(), module[kReal], module[kEmpty], extra(varargin), nullptr);
  } else {
    mlfError(module[kNotMatrix]);
  }

  if (nargin_ < 2 || mlfTobool(mlfIsempty(t()))) t = module[kTwo];
  prnt = mclLt(t(), module[kZero]);
  t = mlfAbs(t());
  if (mclNeBool(t(), mlfRound(t())) || mclLtBool(t(), module[kOne]) ||
      mclGtBool(t(), mlfMax(nullptr, n(), module[kTwo], nullptr))) {
    mlfError(module[kBadT]);
  }
  rpt_S = module[kZero];
  rpt_e = module[kZero];

  // Small matrices, and blocks as wide as the matrix: computed exactly.
  if (mclEqBool(t(), n()) || mclLeBool(n(), module[kFour])) {
    if (isDouble) {
      Y = A.ref();
    } else {
      X = mlfEye(n(), n(), nullptr);
      Y = mlfNormest1_normapp(A(), module[kNotransp], X(), extra(varargin), nullptr);
    }
    temp = mlfSort(m.slot(), mlfSum(mlfAbs(Y()), nullptr), nullptr);
    est = mclArrayRef1(temp.ref(), n());
    mlfAssign(v_, mlfZeros(n(), module[kOne], nullptr));
    mclArrayAssign1(v_, module[kOne], mclArrayRef1(m.ref(), n()));
    mlfAssign(w_, mclArrayRef2(Y.ref(), mlfCreateColonIndex(), mclArrayRef1(m.ref(), n())));
    mlfAssign(iter_, module[kZeroOne]);
    red = module[kZeroZero];
    info = module[kSix];
    if (mlfTobool(prnt())) print(module[kTraceExact]);
    return kf::finish(frame, nargout_, est, {v_, w_, iter_});
  }

  if (nargin_ < 3 || mlfTobool(mlfIsempty(X()))) {
    X = mlfOnes(n(), t(), nullptr);
    mclArrayAssign2(
        X.slot(),
        mlfNormest1_mysign(mclMinus(
            mclMtimes(module[kTwo], mlfNRand(1, n(), mclMinus(t(), module[kOne]), nullptr)),
            mlfOnes(n(), mclMinus(t(), module[kOne]), nullptr))),
        mlfCreateColonIndex(), mlfColon(module[kTwo], t(), nullptr));
    X = mlfNormest1_undupli(nullptr, X(), module[kEmpty], prnt());
    X = mclMrdivide(X(), n());
  }
  if (mclNeBool(mlfSize(mclValueVarargout(), X(), module[kTwo]), t())) {
    mlfError(mlfHorzcat(module[kX0Should], mlfInt2str(t()), module[kColumns], nullptr));
  }

  itmax = module[kFive];
  it = module[kZero];
  nmv = module[kZero];
  ind = mlfZeros(t(), module[kOne], nullptr);
  vals = mlfZeros(t(), module[kOne], nullptr);
  Zvals = mlfZeros(n(), module[kOne], nullptr);
  S = mlfZeros(n(), t(), nullptr);
  est_old = module[kZero];

  for (;;) {
    it = mclPlus(it(), module[kOne]);
    if (isDouble) {
      Y = mclMtimes(A(), X());
    } else {
      Y = mlfNormest1_normapp(A(), module[kNotransp], X(), extra(varargin), nullptr);
    }
    nmv = mclPlus(nmv(), module[kOne]);

    vals = mlfSum(mlfAbs(Y()), nullptr);
    temp = mlfSort(m.slot(), vals(), nullptr);
    m = mclArrayRef1(m.ref(), mlfColon(t(), module[kMinusOne], module[kOne]));
    vals = mclArrayRef1(vals.ref(), m());
    vals_ind = mclArrayRef1(ind.ref(), m());
    est = mclIntArrayRef1(vals.ref(), 1);
    if (mclGtBool(est(), est_old()) || mclEqBool(it(), module[kTwo])) {
      est_j = mclIntArrayRef1(vals_ind.ref(), 1);
      mlfAssign(w_, mclArrayRef2(Y.ref(), mlfCreateColonIndex(), mclIntArrayRef1(m.ref(), 1)));
    }
    if (mlfTobool(prnt())) {
      print(module[kTraceIt], it());
      for (int i = 1; mclLeBool(mlfScalar(i), t()); ++i) {
        print(module[kTracePair], mclIntArrayRef1(vals_ind.ref(), i),
              mclIntArrayRef1(vals.ref(), i));
      }
      print(module[kNewline]);
    }
    if (mclGeBool(it(), module[kTwo]) && mclLeBool(est(), est_old())) {
      est = est_old.ref();
      info = module[kTwo];
      break;
    }
    est_old = est.ref();
    if (mclGtBool(it(), itmax())) {
      it = itmax.ref();
      info = module[kOne];
      break;
    }

    S_old = S.ref();
    S = mlfNormest1_mysign(Y());
    if (mlfTobool(A_is_real())) {
      SS = mclMtimes(mlfCtranspose(S_old()), S());
      np = mlfSum(mclEq(mlfMax(nullptr, mlfAbs(SS()), nullptr, nullptr), n()), nullptr);
      if (mclEqBool(np(), t())) {
        info = module[kThree];
        break;
      }
      S = mlfNormest1_undupli(r.slot(), S(), S_old(), prnt());
      rpt_S = mclPlus(rpt_S(), r());
    }

    if (isDouble) {
      Z = mclMtimes(mlfCtranspose(A()), S());
    } else {
      Z = mlfNormest1_normapp(A(), module[kTransp], S(), extra(varargin), nullptr);
    }
    nmv = mclPlus(nmv(), module[kOne]);

    Zvals = mlfMax(nullptr, mlfAbs(Z()), module[kEmpty], module[kTwo]);
    if (mclGeBool(it(), module[kTwo]) &&
        mclEqBool(mlfMax(nullptr, Zvals(), nullptr, nullptr), mclArrayRef1(Zvals.ref(), est_j()))) {
      info = module[kFour];
      break;
    }

    temp = mlfSort(m.slot(), Zvals(), nullptr);
    m = mclArrayRef1(m.ref(), mlfColon(n(), module[kMinusOne], module[kOne]));
    imax = t.ref();
    if (mclEqBool(it(), module[kOne])) {
      ind = mclArrayRef1(m.ref(), mlfColon(module[kOne], t(), nullptr));
      ind_hist = ind.ref();
    } else {
      rep = mlfSum(mlfIsmember(mclArrayRef1(m.ref(), mlfColon(module[kOne], t(), nullptr)),
                               ind_hist(), nullptr),
                   nullptr);
      rpt_e = mclPlus(rpt_e(), rep());
      if (mclNeBool(rep(), module[kZero]) && mlfTobool(prnt())) print(module[kTraceRep], rep());
      if (mclEqBool(rep(), t())) {
        info = module[kFive];
        break;
      }
      // New unit vectors: the best candidates not tried before.
      j = module[kOne];
      for (int i = 1; mclLeBool(mlfScalar(i), t()); ++i) {
        if (mclGtBool(j(), n())) {
          imax = mlfScalar(i - 1);
          break;
        }
        while (mlfTobool(mlfAny(mclEq(ind_hist(), mclArrayRef1(m.ref(), j())), nullptr))) {
          j = mclPlus(j(), module[kOne]);
          if (mclGtBool(j(), n())) {
            imax = mlfScalar(i - 1);
            break;
          }
        }
        if (mclGtBool(j(), n())) break;
        mclIntArrayAssign1(ind.slot(), mclArrayRef1(m.ref(), j()), i);
        j = mclPlus(j(), module[kOne]);
      }
      ind_hist = mlfVertcat(
          ind_hist(), mclArrayRef1(ind.ref(), mlfColon(module[kOne], imax(), nullptr)), nullptr);
    }

    X = mlfZeros(n(), t(), nullptr);
    for (int k = 1; mclLeBool(mlfScalar(k), imax()); ++k) {
      mclArrayAssign2(X.slot(), module[kOne], mclIntArrayRef1(ind.ref(), k), mlfScalar(k));
    }
  }

  if (mlfTobool(prnt())) {
    static const int kTraceOf[] = {
        0, kTraceLimit, kTraceNotIncreased, kTraceRepeatedS, kTraceConverged, kTraceRepeatedE};
    for (int code = 1; code <= 5; ++code) {
      if (mclEqBool(info(), mlfScalar(code))) print(module[kTraceOf[code]]);
    }
  }
  mlfAssign(iter_, mlfVertcat(it(), nmv(), nullptr));
  red = mlfVertcat(rpt_S(), rpt_e(), nullptr);
  mlfAssign(v_, mlfZeros(n(), module[kOne], nullptr));
  mclArrayAssign1(v_, module[kOne], est_j());
  if (mlfTobool(prnt())) {
    if (mlfTobool(A_is_real())) print(module[kTraceParallel], mclIntArrayRef1(red.ref(), 1));
    print(module[kTraceRepeated], mclIntArrayRef1(red.ref(), 2));
  }
  return kf::finish(frame, nargout_, est, {v_, w_, iter_});
}

// [S, r] = undupli(S, S_old, prnt): columns of the sign matrix S parallel to
// an earlier column (or to a column of S_old) are redrawn at random; r counts
// the columns that needed it.
mxArray* Mnormest1_undupli(mxArray** r_, int nargout_, mxArray* S_, mxArray* S_old_,
                           mxArray* prnt_) {
  kf::Frame frame(normest1_undupliFn);
  kf::Var S = kf::Var::fromInput("S", S_);
  kf::Var n("n");
  kf::Var t("t");
  kf::Var W("W");
  kf::Var last_col("last_col");
  kf::Var rpt("rpt");
  kf::Var S_old("S_old", S_old_);
  kf::Var prnt("prnt", prnt_);

  mlfSize(mlfVarargout(n.slot(), t.slot(), nullptr), S(), nullptr);
  mlfAssign(r_, module[kZero]);
  if (mclEqBool(t(), module[kOne])) return kf::finish(frame, nargout_, S, {r_});

  int jstart = 1;
  if (mlfTobool(mlfIsempty(S_old()))) {
    W = mlfHorzcat(mclArrayRef2(S.ref(), mlfCreateColonIndex(), module[kOne]),
                   mlfZeros(n(), mclMinus(t(), module[kOne]), nullptr), nullptr);
    jstart = 2;
    last_col = module[kOne];
  } else {
    W = mlfHorzcat(S_old(), mlfZeros(n(), mclMinus(t(), module[kOne]), nullptr), nullptr);
    last_col = t.ref();
  }

  for (int j = jstart; mclLeBool(mlfScalar(j), t()); ++j) {
    rpt = module[kZero];
    while (mclEqBool(
        mlfMax(nullptr,
               mlfAbs(mclMtimes(
                   mlfCtranspose(mclArrayRef2(S.ref(), mlfCreateColonIndex(), mlfScalar(j))),
                   mclArrayRef2(W.ref(), mlfCreateColonIndex(),
                                mlfColon(module[kOne], last_col(), nullptr)))),
               nullptr, nullptr),
        n())) {
      rpt = mclPlus(rpt(), module[kOne]);
      mclArrayAssign2(S.slot(),
                      mlfNormest1_mysign(
                          mclMinus(mclMtimes(module[kTwo], mlfNRand(1, n(), module[kOne], nullptr)),
                                   mlfOnes(n(), module[kOne], nullptr))),
                      mlfCreateColonIndex(), mlfScalar(j));
      if (mclGtBool(rpt(), mclMrdivide(n(), t()))) break;
    }
    if (mlfTobool(prnt()) && mclGtBool(rpt(), module[kZero])) print(module[kTraceUndupli], rpt());
    mlfAssign(r_, mclPlus(*r_, mlfSign(rpt())));
    if (mclLtBool(mlfScalar(j), t())) {
      last_col = mclPlus(last_col(), module[kOne]);
      mclArrayAssign2(W.slot(), mclArrayRef2(S.ref(), mlfCreateColonIndex(), mlfScalar(j)),
                      mlfCreateColonIndex(), last_col());
    }
  }
  return kf::finish(frame, nargout_, S, {r_});
}

// S = mysign(A): the signs of A, with +1 where A is zero.
mxArray* Mnormest1_mysign(int nargout_, mxArray* A_) {
  kf::Frame frame(normest1_mysignFn);
  kf::Var S("S");
  kf::Var A("A", A_);

  S = mlfSign(A());
  mclArrayAssign1(S.slot(), module[kOne], mlfFind(nullptr, nullptr, mclEq(S(), module[kZero])));
  return kf::finish(frame, nargout_, S);
}

// y = normapp(afun, flag, x, ...): the one gate to a matrix given as a
// function: calls it and checks its answer against the question asked.
mxArray* Mnormest1_normapp(int nargout_, mxArray* afun_, mxArray* flag_, mxArray* x_,
                           mxArray* varargin_) {
  kf::Frame frame(normest1_normappFn);
  kf::Var y("y");
  kf::Var afun("afun", afun_);
  kf::Var flag("flag", flag_);
  kf::Var x("x", x_);
  kf::Var varargin("varargin", varargin_);

  bool failed = false;
  mclEnterTryCatchContext();
  try {
    y = mlfFeval(mclValueVarargout(), afun(), flag(), x(), extra(varargin), nullptr);
    mclExitTryCatchContext();
  } catch (...) {
    mclExitTryCatchContext();
    failed = true;
  }
  if (failed) {
    mlfError(
        mlfSprintf(nullptr, module[kFailedFmt], mlfFunc2str(afun()), mlfLasterr(nullptr), nullptr));
  }

  if (mlfTobool(mlfIsequal(flag(), module[kNotransp], nullptr)) ||
      mlfTobool(mlfIsequal(flag(), module[kTransp], nullptr))) {
    if (!mlfTobool(mlfIsequal(mlfSize(mclValueVarargout(), y(), nullptr),
                              mlfSize(mclValueVarargout(), x(), nullptr), nullptr))) {
      mlfError(mlfSprintf(nullptr, module[kSizeFmt], mlfFunc2str(afun()),
                          mlfSize(mclValueVarargout(), x(), module[kOne]),
                          mlfSize(mclValueVarargout(), x(), module[kTwo]), flag(), nullptr));
    }
  } else if (mlfTobool(mlfIsequal(flag(), module[kDim], nullptr))) {
    if (mlfTobool(mclOr(mclNe(y(), mlfRound(y())), mclLt(y(), module[kZero])))) {
      mlfError(mlfSprintf(nullptr, module[kDimFmt], mlfFunc2str(afun()), flag(), nullptr));
    }
  } else if (mlfTobool(mlfIsequal(flag(), module[kReal], nullptr))) {
    if (mlfTobool(mclAnd(mclNe(y(), module[kZero]), mclNe(y(), module[kOne])))) {
      mlfError(mlfSprintf(nullptr, module[kRealFmt], mlfFunc2str(afun()), flag(), nullptr));
    }
  }
  return kf::finish(frame, nargout_, y);
}

mxArray* mlfNormest1(mxArray** v, mxArray** w, mxArray** iter, mxArray* A, mxArray* t, mxArray* X,
                     ...) {
  va_list ap;
  va_start(ap, X);
  kf::VaEnd end(ap);
  return kf::directVarargin<Mnormest1>(normest1Fn, kf::outs(v, w, iter), kf::ins(A, t, X), X, 0,
                                       ap);
}

KF_FEVAL(mlxNormest1, Mnormest1, normest1Fn)

mxArray* mlfNormest1_undupli(mxArray** r, mxArray* S, mxArray* S_old, mxArray* prnt) {
  return kf::direct<Mnormest1_undupli>(normest1_undupliFn, kf::outs(r), kf::ins(S, S_old, prnt));
}

KF_FEVAL(mlxNormest1_undupli, Mnormest1_undupli, normest1_undupliFn)

mxArray* mlfNormest1_mysign(mxArray* A) {
  return kf::direct<Mnormest1_mysign>(normest1_mysignFn, kf::outs(), kf::ins(A));
}

KF_FEVAL(mlxNormest1_mysign, Mnormest1_mysign, normest1_mysignFn)

mxArray* mlfNormest1_normapp(mxArray* afun, mxArray* flag, mxArray* x, ...) {
  va_list ap;
  va_start(ap, x);
  kf::VaEnd end(ap);
  return kf::directVarargin<Mnormest1_normapp>(normest1_normappFn, kf::outs(),
                                               kf::ins(afun, flag, x), x, 0, ap);
}

KF_FEVAL(mlxNormest1_normapp, Mnormest1_normapp, normest1_normappFn)

static mexFunctionTableEntry local_function_rows[3] = {
    {"undupli", mlxNormest1_undupli, 3, 2, nullptr},
    {"mysign", mlxNormest1_mysign, 1, 1, nullptr},
    {"normapp", mlxNormest1_normapp, -4, 1, nullptr},
};
mexLocalFunctionTable _local_function_table_normest1 = {3, local_function_rows};

void InitializeModule_normest1(void) { module.initialize(); }
void TerminateModule_normest1(void) { module.terminate(); }

}  // extern "C"

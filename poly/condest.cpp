// The condest module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "poly/warning_state_guard.h"

extern "C" mexLocalFunctionTable _local_function_table_condest;

namespace {

#define POOL(X)                                     \
  X(kOne, kf::num(1))                               \
  X(kTwo, kf::num(2))                               \
  X(kZero, kf::num(0))                              \
  X(kInf, kf::num(kf::kInf))                        \
  X(kEmpty, kf::matrix(0, 0, {}))                   \
  X(kNotSquare, kf::text("Matrix must be square.")) \
  X(kOff, kf::text("off"))                          \
  X(kDim, kf::text("dim"))                          \
  X(kReal, kf::text("real"))                        \
  X(kNotransp, kf::text("notransp"))                \
  X(kTransp, kf::text("transp"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"condest", &_local_function_table_condest, poolTable};

kf::Function condestFn{module, "condest", 1, 2, false, {"c", "v"}};
kf::Function condest_condestfFn{module, "condest/condestf", 52, 4, false, {"f"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfNormest1(mxArray** v, mxArray** w, mxArray** iter, mxArray* A, mxArray* t, mxArray* X,
                     ...);
void mlxCondest_condestf(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);

// [c, v] = condest(A, t): an estimate of the 1-norm condition number of the
// square matrix A, and a vector v with norm(A*v, 1) = norm(A, 1) / c.
mxArray* Mcondest(mxArray** v_, int nargout_, mxArray* A_, mxArray* t_) {
  kf::Frame frame(condestFn);
  const int nargin_ = frame.nargin(A_, t_);
  kf::Var c("c");
  kf::Var warns("warns");
  kf::Var L("L");
  kf::Var U("U");
  kf::Var k("k");
  kf::Var n("n");
  kf::Var Ainv_norm("Ainv_norm");
  kf::Var A_norm("A_norm");
  kf::Var unused("unused");
  kf::Var A("A", A_);
  kf::Var t("t", t_);

  if (mclNeBool(mlfSize(mclValueVarargout(), A(), module[kOne]),
                mlfSize(mclValueVarargout(), A(), module[kTwo]))) {
    mlfError(module[kNotSquare]);
  }
  if (mlfTobool(mlfIsempty(A()))) {
    c = module[kZero];
    mlfAssign(v_, module[kEmpty]);
    return kf::finish(frame, nargout_, c, {v_});
  }
  if (nargin_ <= 1) t = module[kEmpty];

  warns = mlfNWarning(1, nullptr);
  mlfNWarning(0, module[kOff], nullptr);
  // An error of the estimator must not leave the host's warnings off.
  kpoly::WarningStateGuard restoreOnError(warns.slot());

  L = mlfLu(U.slot(), nullptr, A(), nullptr);
  k = mlfFind(nullptr, nullptr, mclEq(mlfAbs(mlfDiag(U(), nullptr)), module[kZero]));
  if (!mlfTobool(mlfIsempty(k()))) {
    // A zero pivot: the matrix is singular; a null vector comes from the
    // leading triangle of U.
    c = module[kInf];
    n = mlfMax(nullptr, mlfSize(mclValueVarargout(), A(), nullptr), nullptr, nullptr);
    mlfAssign(v_, mlfZeros(n(), module[kOne], nullptr));
    k = mlfMin(nullptr, k(), nullptr, nullptr);
    mclArrayAssign1(v_, module[kOne], k());
    if (mclGtBool(k(), module[kOne])) {
      mxArray* head = mlfColon(module[kOne], mclMinus(k(), module[kOne]), nullptr);
      mclArrayAssign1(
          v_,
          mlfMldivide(
              mclArrayRef2(U.ref(), mlfColon(module[kOne], mclMinus(k(), module[kOne]), nullptr),
                           mlfColon(module[kOne], mclMinus(k(), module[kOne]), nullptr)),
              mclUminus(mclArrayRef2(
                  U.ref(), mlfColon(module[kOne], mclMinus(k(), module[kOne]), nullptr), k()))),
          head);
    }
  } else {
    mxArray* handle = mclCreateSimpleFunctionHandle(mlxCondest_condestf, "condestf");
    Ainv_norm =
        mlfNormest1(unused.slot(), v_, nullptr, handle, t(), module[kEmpty], L(), U(), nullptr);
    A_norm = mlfNorm(A(), module[kOne]);
    c = mclMtimes(Ainv_norm(), A_norm());
  }
  mlfAssign(v_, mclMrdivide(*v_, mlfNorm(*v_, module[kOne])));

  restoreOnError.dismiss();
  mlfNWarning(0, warns(), nullptr);
  return kf::finish(frame, nargout_, c, {v_});
}

// f = condestf(flag, X, L, U): the questions of the 1-norm estimator about
// inv(A), answered from the LU factors of A.
mxArray* Mcondest_condestf(int nargout_, mxArray* flag_, mxArray* X_, mxArray* L_, mxArray* U_) {
  kf::Frame frame(condest_condestfFn);
  kf::Var f("f");
  kf::Var flag("flag", flag_);
  kf::Var X("X", X_);
  kf::Var L("L", L_);
  kf::Var U("U", U_);

  if (mlfTobool(mlfIsequal(flag(), module[kDim], nullptr))) {
    f = mlfMax(nullptr, mlfSize(mclValueVarargout(), L(), nullptr), nullptr, nullptr);
  } else if (mlfTobool(mlfIsequal(flag(), module[kReal], nullptr))) {
    f = mclAnd(mlfIsreal(U()), mlfIsreal(L()));
  } else if (mlfTobool(mlfIsequal(flag(), module[kNotransp], nullptr))) {
    f = mlfMldivide(U(), mlfMldivide(L(), X()));
  } else if (mlfTobool(mlfIsequal(flag(), module[kTransp], nullptr))) {
    f = mlfMldivide(mlfCtranspose(L()), mlfMldivide(mlfCtranspose(U()), X()));
  }
  return kf::finish(frame, nargout_, f);
}

mxArray* mlfCondest(mxArray** v, mxArray* A, mxArray* t) {
  return kf::direct<Mcondest>(condestFn, kf::outs(v), kf::ins(A, t));
}

KF_FEVAL(mlxCondest, Mcondest, condestFn)

mxArray* mlfCondest_condestf(mxArray* flag, mxArray* X, mxArray* L, mxArray* U) {
  return kf::direct<Mcondest_condestf>(condest_condestfFn, kf::outs(), kf::ins(flag, X, L, U));
}

KF_FEVAL(mlxCondest_condestf, Mcondest_condestf, condest_condestfFn)

static mexFunctionTableEntry local_function_rows[1] = {
    {"condestf", mlxCondest_condestf, 4, 1, nullptr},
};
mexLocalFunctionTable _local_function_table_condest = {1, local_function_rows};

void InitializeModule_condest(void) { module.initialize(); }
void TerminateModule_condest(void) { module.terminate(); }

}  // extern "C"

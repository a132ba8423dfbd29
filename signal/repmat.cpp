// The repmat module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_repmat;

namespace {

#define POOL(X)             \
  X(kMinusOne, kf::num(-1)) \
  X(kZero, kf::num(0))      \
  X(kOne, kf::num(1))       \
  X(kTwo, kf::num(2))       \
  X(kTooFew, kf::text("Requires at least 2 inputs."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"repmat", &_local_function_table_repmat, poolTable};

kf::Function repmatFn{module, "repmat", 1, 3, false, {"B"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

// B = repmat(A, M, N) or repmat(A, siz): copies of A tiled M by N, or
// along every dimension as siz says, built by indexing A.
mxArray* Mrepmat(int nargout_, mxArray* A_, mxArray* M_, mxArray* N_) {
  kf::Frame frame(repmatFn);
  const int nargin_ = frame.nargin(A_, M_, N_);
  kf::Var B("B");
  kf::Var siz("siz");
  kf::Var nelems("nelems");
  kf::Var m("m");
  kf::Var n("n");
  kf::Var mind("mind");
  kf::Var nind("nind");
  kf::Var Asiz("Asiz");
  kf::Var i("i");
  kf::Var ind("ind");
  kf::Var subs("subs");
  kf::Var A("A", A_);
  kf::Var M("M", M_);
  kf::Var N("N", N_);

  if (nargin_ < 2) mlfError(module[kTooFew]);
  if (nargin_ == 2) {
    if (mclLengthInt(M()) == 1) {
      siz = mlfHorzcat(M(), M(), nullptr);
    } else {
      siz = M.ref();
    }
  } else {
    siz = mlfHorzcat(M(), N(), nullptr);
  }

  if (mclLengthInt(A()) == 1) {
    // A scalar: fill and reshape.
    nelems = mlfProd(siz(), nullptr);
    if (mclGtBool(nelems(), module[kZero])) {
      mclArrayAssign1(B.slot(), A(), nelems());
      mclArrayAssign1(B.slot(), A(), mlfCreateColonIndex());
      B = mlfReshape(B(), siz(), nullptr);
    } else {
      B = mclArrayRef1(A.ref(), mlfOnes(siz(), nullptr));
    }
  } else if (mclEqBool(mlfNdims(A()), module[kTwo]) && mclLengthInt(siz()) == 2) {
    // The common two-dimensional case.
    mlfSize(mlfVarargout(m.slot(), n.slot(), nullptr), A(), nullptr);
    mind = mlfCtranspose(mlfColon(module[kOne], m(), nullptr));
    nind = mlfCtranspose(mlfColon(module[kOne], n(), nullptr));
    mind = mclArrayRef2(mind.ref(), mlfCreateColonIndex(),
                        mlfOnes(module[kOne], mclIntArrayRef1(siz.ref(), 1), nullptr));
    nind = mclArrayRef2(nind.ref(), mlfCreateColonIndex(),
                        mlfOnes(module[kOne], mclIntArrayRef1(siz.ref(), 2), nullptr));
    B = mclArrayRef2(A.ref(), mind(), nind());
  } else {
    // Any number of dimensions: one index array per dimension.
    Asiz = mlfSize(mclValueVarargout(), A(), nullptr);
    Asiz = mlfHorzcat(
        Asiz(),
        mlfOnes(module[kOne], mlfScalar(mclLengthInt(siz()) - mclLengthInt(Asiz())), nullptr),
        nullptr);
    siz = mlfHorzcat(
        siz(),
        mlfOnes(module[kOne], mlfScalar(mclLengthInt(Asiz()) - mclLengthInt(siz())), nullptr),
        nullptr);
    for (int k = mclLengthInt(Asiz()); k >= 1; --k) {
      i = mlfScalar(k);
      ind = mlfCtranspose(mlfColon(module[kOne], mclArrayRef1(Asiz.ref(), i()), nullptr));
      mlfIndexAssign(subs.slot(), "{?}", i(),
                     mclArrayRef2(ind.ref(), mlfCreateColonIndex(),
                                  mlfOnes(module[kOne], mclArrayRef1(siz.ref(), i()), nullptr)));
    }
    B = mlfIndexRef(A.ref(), "(?)", mlfIndexRef(subs.ref(), "{?}", mlfCreateColonIndex()));
  }
  return kf::finish(frame, nargout_, B);
}

mxArray* mlfRepmat(mxArray* A, mxArray* M, mxArray* N) {
  return kf::direct<Mrepmat>(repmatFn, kf::outs(), kf::ins(A, M, N));
}

KF_FEVAL(mlxRepmat, Mrepmat, repmatFn)

mexLocalFunctionTable _local_function_table_repmat = {0, nullptr};

void InitializeModule_repmat(void) { module.initialize(); }
void TerminateModule_repmat(void) { module.terminate(); }

}  // extern "C"

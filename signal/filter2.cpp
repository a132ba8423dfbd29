// The filter2 module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_filter2;

namespace {

#define POOL(X)                           \
  X(kOne, kf::num(1))                     \
  X(kTwo, kf::num(2))                     \
  X(kThree, kf::num(3))                   \
  X(kEps, kf::num(2.220446049250313e-16)) \
  X(kSame, kf::text("same"))              \
  X(kDouble, kf::text("double"))          \
  X(kBlank, kf::text(" "))                \
  X(kShapeCodes, kf::text("svf"))         \
  X(kUnknownShape, kf::text("Unknown shape parameter."))
KF_POOL(POOL)
#undef POOL

kf::Module module{"filter2", &_local_function_table_filter2, poolTable};

kf::Function filter2Fn{module, "filter2", 1, 3, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfNargchk(mxArray* low, mxArray* high, mxArray* number);
mxArray* mlfRot90(mxArray* A, mxArray* k);

// y = filter2(b, x, shape): the correlation of x with the kernel b, as a
// convolution with the kernel turned by 180 degrees. A row or column kernel,
// or one of rank 1, is applied as two one-dimensional passes.
mxArray* Mfilter2(int nargout_, mxArray* b_, mxArray* x_, mxArray* shape_) {
  kf::Frame frame(filter2Fn);
  const int nargin_ = frame.nargin(b_, x_, shape_);
  kf::Var y("y");
  kf::Var code("code");
  kf::Var mx("mx");
  kf::Var nx("nx");
  kf::Var stencil("stencil");
  kf::Var ms("ms");
  kf::Var ns("ns");
  kf::Var u("u");
  kf::Var s("s");
  kf::Var v("v");
  kf::Var tol("tol");
  kf::Var rank("rank");
  kf::Var hcol("hcol");
  kf::Var hrow("hrow");
  kf::Var b("b", b_);
  kf::Var x("x", x_);
  kf::Var shape("shape", shape_);

  mlfError(mlfNargchk(module[kTwo], module[kThree], mlfScalar(nargin_)));
  if (nargin_ < 3) shape = module[kSame];
  if (!mlfTobool(mlfIsa(b(), module[kDouble]))) b = mlfDouble(b());
  if (!mlfTobool(mlfIsa(x(), module[kDouble]))) x = mlfDouble(x());

  code = mlfHorzcat(shape(), module[kBlank], nullptr);
  code = mclIntArrayRef1(code.ref(), 1);
  if (!mlfTobool(mlfAny(mclEq(code(), module[kShapeCodes]), nullptr)))
    mlfError(module[kUnknownShape]);

  mlfSize(mlfVarargout(mx.slot(), nx.slot(), nullptr), x(), nullptr);
  stencil = mlfRot90(b(), module[kTwo]);
  mlfSize(mlfVarargout(ms.slot(), ns.slot(), nullptr), stencil(), nullptr);

  if (mclEqBool(ms(), module[kOne])) {
    y = mlfConv2(module[kOne], stencil(), x(), shape());
  } else if (mclEqBool(ns(), module[kOne])) {
    y = mlfConv2(stencil(), module[kOne], x(), shape());
  } else if (mclGtBool(mclMtimes(ms(), ns()), mclMtimes(mx(), nx()))) {
    y = mlfConv2(x(), stencil(), shape(), nullptr);
  } else {
    u = mlfSvd(s.slot(), v.slot(), stencil(), nullptr);
    s = mlfDiag(s(), nullptr);
    tol = mclMtimes(
        mclMtimes(mlfScalar(mclLengthInt(stencil())), mlfMax(nullptr, s(), nullptr, nullptr)),
        module[kEps]);
    rank = mlfSum(mclGt(s(), tol()), nullptr);
    if (mclEqBool(rank(), module[kOne])) {
      hcol = mclMtimes(mclArrayRef2(u.ref(), mlfCreateColonIndex(), module[kOne]),
                       mlfSqrt(mclIntArrayRef1(s.ref(), 1)));
      hrow = mclMtimes(mlfConj(mclArrayRef2(v.ref(), mlfCreateColonIndex(), module[kOne])),
                       mlfSqrt(mclIntArrayRef1(s.ref(), 1)));
      // An all-integer kernel over all-integer data gives an integer result;
      // rounding removes what the factorization added.
      if (mlfTobool(mlfAll(mlfAll(mclEq(stencil(), mlfRound(stencil())), nullptr), nullptr)) &&
          mlfTobool(mlfAll(mlfAll(mclEq(x(), mlfRound(x())), nullptr), nullptr))) {
        y = mlfRound(mlfConv2(hcol(), hrow(), x(), shape()));
      } else {
        y = mlfConv2(hcol(), hrow(), x(), shape());
      }
    } else {
      y = mlfConv2(x(), stencil(), shape(), nullptr);
    }
  }
  return kf::finish(frame, nargout_, y);
}

mxArray* mlfFilter2(mxArray* b, mxArray* x, mxArray* shape) {
  return kf::direct<Mfilter2>(filter2Fn, kf::outs(), kf::ins(b, x, shape));
}

KF_FEVAL(mlxFilter2, Mfilter2, filter2Fn)

mexLocalFunctionTable _local_function_table_filter2 = {0, nullptr};

void InitializeModule_filter2(void) { module.initialize(); }
void TerminateModule_filter2(void) { module.terminate(); }

}  // extern "C"

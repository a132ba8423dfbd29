// The hanning module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_hanning;

namespace {

#define POOL(X)                                                                    \
  X(kZero, kf::num(0))                                                             \
  X(kOne, kf::num(1))                                                              \
  X(kTwo, kf::num(2))                                                              \
  X(kMinusOne, kf::num(-1))                                                        \
  X(kHalf, kf::num(0.5))                                                           \
  X(kTwoPi, kf::num(6.283185307179586))                                            \
  X(kSymmetric, kf::text("symmetric"))                                             \
  X(kPeriodic, kf::text("periodic"))                                               \
  X(kBadFlag, kf::text("Sampling flag must be either 'symmetric' or 'periodic'.")) \
  X(kAllSflags, kf::cell(1, 2, {kSymmetric, kPeriodic}))
KF_POOL(POOL)
#undef POOL

kf::Module module{"hanning", &_local_function_table_hanning, poolTable};

kf::Function hanningFn{module, "hanning", 1, 0, true, {"w"}};
kf::Function hanning_sym_hanningFn{module, "hanning/sym_hanning", 54, 1, false, {"w"}};
kf::Function hanning_calc_hanningFn{module, "hanning/calc_hanning", 72, 2, false, {"w"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfNargchk(mxArray* low, mxArray* high, mxArray* number);
void mlxSignal_private_check_order(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
mxArray* mlfHanning_sym_hanning(mxArray* n);
mxArray* mlfHanning_calc_hanning(mxArray* m, mxArray* n);

// w = hanning(n) or hanning(n, sflag): the Hann window of n points as a
// column, symmetric (default) or periodic.
mxArray* Mhanning(int nargout_, mxArray* varargin_) {
  kf::Frame frame(hanningFn);
  const int nargin_ = frame.nargin(varargin_);
  kf::Var w("w");
  kf::Var n("n");
  kf::Var trivialwin("trivialwin");
  kf::Var sflag("sflag");
  kf::Var allsflags("allsflags");
  kf::Var sflagindex("sflagindex");
  kf::Var varargin("varargin", varargin_);

  mlfError(mlfNargchk(module[kOne], module[kTwo], mlfScalar(nargin_)));
  mclFeval(mlfVarargout(n.slot(), w.slot(), trivialwin.slot(), nullptr),
           mlxSignal_private_check_order, mlfIndexRef(varargin.ref(), "{?}", module[kOne]),
           nullptr);
  if (mlfTobool(trivialwin())) return kf::finish(frame, nargout_, w);

  if (nargin_ == 1) {
    sflag = module[kSymmetric];
  } else {
    sflag = mclFeval(mclValueVarargout(), mlxLower,
                     mlfIndexRef(varargin.ref(), "{?}", module[kTwo]), nullptr);
  }
  allsflags = module[kAllSflags];
  sflagindex = mlfStrmatch(sflag(), allsflags(), nullptr);
  if (mclLengthInt(sflagindex()) != 1) mlfError(module[kBadFlag]);
  sflag = mlfIndexRef(allsflags.ref(), "{?}", sflagindex());

  if (mclSwitchCompare(sflag(), module[kPeriodic])) {
    w = mlfVertcat(module[kZero], mlfHanning_sym_hanning(mclMinus(n(), module[kOne])), nullptr);
  } else if (mclSwitchCompare(sflag(), module[kSymmetric])) {
    w = mlfHanning_sym_hanning(n());
  }
  return kf::finish(frame, nargout_, w);
}

// w = sym_hanning(n): the symmetric window, its first half computed and the
// second half mirrored.
mxArray* Mhanning_sym_hanning(int nargout_, mxArray* n_) {
  kf::Frame frame(hanning_sym_hanningFn);
  kf::Var w("w");
  kf::Var half("half");
  kf::Var n("n", n_);

  if (mclEqBool(mlfRem(n(), module[kTwo]), module[kZero])) {
    half = mclMrdivide(n(), module[kTwo]);
    w = mlfHanning_calc_hanning(half(), n());
    w = mlfVertcat(w(), mclArrayRef1(w.ref(), mlfColon(half(), module[kMinusOne], module[kOne])),
                   nullptr);
  } else {
    half = mclMrdivide(mclPlus(n(), module[kOne]), module[kTwo]);
    w = mlfHanning_calc_hanning(half(), n());
    w = mlfVertcat(
        w(),
        mclArrayRef1(w.ref(),
                     mlfColon(mclMinus(mlfEnd(w.ref(), module[kOne], module[kOne]), module[kOne]),
                              module[kMinusOne], module[kOne])),
        nullptr);
  }
  return kf::finish(frame, nargout_, w);
}

// w = calc_hanning(m, n): the first m points of the n-point symmetric window.
mxArray* Mhanning_calc_hanning(int nargout_, mxArray* m_, mxArray* n_) {
  kf::Frame frame(hanning_calc_hanningFn);
  kf::Var w("w");
  kf::Var m("m", m_);
  kf::Var n("n", n_);

  w = mclMtimes(
      module[kHalf],
      mclMinus(module[kOne],
               mlfCos(mclMrdivide(
                   mclMtimes(module[kTwoPi], mlfCtranspose(mlfColon(module[kOne], m(), nullptr))),
                   mclPlus(n(), module[kOne])))));
  return kf::finish(frame, nargout_, w);
}

mxArray* mlfHanning(mxArray* varargin, ...) {
  va_list ap;
  va_start(ap, varargin);
  kf::VaEnd end(ap);
  return kf::directVarargin<Mhanning>(hanningFn, kf::outs(), kf::ins(), varargin, 1, ap);
}

KF_FEVAL(mlxHanning, Mhanning, hanningFn)

mxArray* mlfHanning_sym_hanning(mxArray* n) {
  return kf::direct<Mhanning_sym_hanning>(hanning_sym_hanningFn, kf::outs(), kf::ins(n));
}

KF_FEVAL(mlxHanning_sym_hanning, Mhanning_sym_hanning, hanning_sym_hanningFn)

mxArray* mlfHanning_calc_hanning(mxArray* m, mxArray* n) {
  return kf::direct<Mhanning_calc_hanning>(hanning_calc_hanningFn, kf::outs(), kf::ins(m, n));
}

KF_FEVAL(mlxHanning_calc_hanning, Mhanning_calc_hanning, hanning_calc_hanningFn)

static mexFunctionTableEntry local_function_rows[2] = {
    {"sym_hanning", mlxHanning_sym_hanning, 1, 1, nullptr},
    {"calc_hanning", mlxHanning_calc_hanning, 2, 1, nullptr},
};
mexLocalFunctionTable _local_function_table_hanning = {2, local_function_rows};

void InitializeModule_hanning(void) { module.initialize(); }
void TerminateModule_hanning(void) { module.terminate(); }

}  // extern "C"

// The normest1 module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_normest1;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"normest1", &_local_function_table_normest1, poolTable};

kf::Function normest1Fn{module, "normest1", 1, 3, true, {"est", "v", "w", "iter"}};
kf::Function normest1_undupliFn{module, "normest1/undupli", 201, 3, false, {"S", "r"}};
kf::Function normest1_mysignFn{module, "normest1/mysign", 235, 1, false, {"S"}};
kf::Function normest1_normappFn{module, "normest1/normapp", 241, 3, true, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mnormest1(mxArray** /*v*/, mxArray** /*w*/, mxArray** /*iter*/, int /*nargout_*/,
                   mxArray* /*A*/, mxArray* /*t*/, mxArray* /*X*/, mxArray* /*varargin*/) {
  kf::Frame frame(normest1Fn);
  kf::notBuilt(normest1Fn);
}

mxArray* Mnormest1_undupli(mxArray** /*r*/, int /*nargout_*/, mxArray* /*S*/, mxArray* /*S_old*/,
                           mxArray* /*prnt*/) {
  kf::Frame frame(normest1_undupliFn);
  kf::notBuilt(normest1_undupliFn);
}

mxArray* Mnormest1_mysign(int /*nargout_*/, mxArray* /*A*/) {
  kf::Frame frame(normest1_mysignFn);
  kf::notBuilt(normest1_mysignFn);
}

mxArray* Mnormest1_normapp(int /*nargout_*/, mxArray* /*afun*/, mxArray* /*flag*/, mxArray* /*x*/,
                           mxArray* /*varargin*/) {
  kf::Frame frame(normest1_normappFn);
  kf::notBuilt(normest1_normappFn);
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

// The polyval module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_polyval;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"polyval", &_local_function_table_polyval, poolTable};

kf::Function polyvalFn{module, "polyval", 1, 4, false, {"y", "delta"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mpolyval(mxArray** /*delta*/, int /*nargout_*/, mxArray* /*p*/, mxArray* /*x*/,
                  mxArray* /*S*/, mxArray* /*mu*/) {
  kf::Frame frame(polyvalFn);
  kf::notBuilt(polyvalFn);
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

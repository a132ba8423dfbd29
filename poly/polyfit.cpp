// The polyfit module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_polyfit;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"polyfit", &_local_function_table_polyfit, poolTable};

kf::Function polyfitFn{module, "polyfit", 1, 3, false, {"p", "S", "mu"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mpolyfit(mxArray** /*S*/, mxArray** /*mu*/, int /*nargout_*/, mxArray* /*x*/,
                  mxArray* /*y*/, mxArray* /*n*/) {
  kf::Frame frame(polyfitFn);
  kf::notBuilt(polyfitFn);
}

mxArray* mlfPolyfit(mxArray** S, mxArray** mu, mxArray* x, mxArray* y, mxArray* n) {
  return kf::direct<Mpolyfit>(polyfitFn, kf::outs(S, mu), kf::ins(x, y, n));
}

mxArray* mlfNPolyfit(int nargout, mxArray** S, mxArray** mu, mxArray* x, mxArray* y, mxArray* n) {
  return kf::directN<Mpolyfit>(polyfitFn, nargout, kf::outs(S, mu), kf::ins(x, y, n));
}

void mlfVPolyfit(mxArray* x, mxArray* y, mxArray* n) {
  kf::directV<Mpolyfit>(polyfitFn, kf::ins(x, y, n));
}

KF_FEVAL(mlxPolyfit, Mpolyfit, polyfitFn)

mexLocalFunctionTable _local_function_table_polyfit = {0, nullptr};

void InitializeModule_polyfit(void) { module.initialize(); }
void TerminateModule_polyfit(void) { module.terminate(); }

}  // extern "C"

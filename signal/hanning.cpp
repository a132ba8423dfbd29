// The hanning module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_hanning;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"hanning", &_local_function_table_hanning, poolTable};

kf::Function hanningFn{module, "hanning", 1, 0, true, {"w"}};
kf::Function hanning_sym_hanningFn{module, "hanning/sym_hanning", 54, 1, false, {"w"}};
kf::Function hanning_calc_hanningFn{module, "hanning/calc_hanning", 72, 2, false, {"w"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mhanning(int /*nargout_*/, mxArray* /*varargin*/) {
  kf::Frame frame(hanningFn);
  kf::notBuilt(hanningFn);
}

mxArray* Mhanning_sym_hanning(int /*nargout_*/, mxArray* /*n*/) {
  kf::Frame frame(hanning_sym_hanningFn);
  kf::notBuilt(hanning_sym_hanningFn);
}

mxArray* Mhanning_calc_hanning(int /*nargout_*/, mxArray* /*m*/, mxArray* /*n*/) {
  kf::Frame frame(hanning_calc_hanningFn);
  kf::notBuilt(hanning_calc_hanningFn);
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

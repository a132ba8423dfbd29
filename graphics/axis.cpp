// The axis module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_axis;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"axis", &_local_function_table_axis, poolTable};

kf::Function axisFn{module, "axis", 1, 0, true, {"ans1", "ans2", "ans3"}};
kf::Function axis_LocGetLimitsFn{module, "axis/LocGetLimits", 180, 1, false, {"lims"}};
kf::Function axis_LocSetLimitsFn{module, "axis/LocSetLimits", 190, 2, false, {}};
kf::Function axis_LocSetAutoFn{module, "axis/LocSetAuto", 223, 2, false, {}};
kf::Function axis_LocSetTightFn{module, "axis/LocSetTight", 247, 1, false, {}};
kf::Function axis_LocSetFillFn{module, "axis/LocSetFill", 319, 2, false, {}};
kf::Function axis_LocSetEqualFn{module, "axis/LocSetEqual", 350, 2, false, {}};
kf::Function axis_LocSetImageFn{module, "axis/LocSetImage", 378, 2, false, {}};
kf::Function axis_LocGetStateFn{module, "axis/LocGetState",      394, 1,
                                false,  {"ans1", "ans2", "ans3"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Maxis(mxArray** /*ans2*/, mxArray** /*ans3*/, int /*nargout_*/, mxArray* /*varargin*/) {
  kf::Frame frame(axisFn);
  kf::notBuilt(axisFn);
}

mxArray* Maxis_LocGetLimits(int /*nargout_*/, mxArray* /*ax*/) {
  kf::Frame frame(axis_LocGetLimitsFn);
  kf::notBuilt(axis_LocGetLimitsFn);
}

void Maxis_LocSetLimits(mxArray* /*ax*/, mxArray* /*lims*/) {
  kf::Frame frame(axis_LocSetLimitsFn);
  kf::notBuilt(axis_LocSetLimitsFn);
}

void Maxis_LocSetAuto(mxArray* /*ax*/, mxArray* /*str*/) {
  kf::Frame frame(axis_LocSetAutoFn);
  kf::notBuilt(axis_LocSetAutoFn);
}

void Maxis_LocSetTight(mxArray* /*ax*/) {
  kf::Frame frame(axis_LocSetTightFn);
  kf::notBuilt(axis_LocSetTightFn);
}

void Maxis_LocSetFill(mxArray* /*ax*/, mxArray* /*pbarlimit*/) {
  kf::Frame frame(axis_LocSetFillFn);
  kf::notBuilt(axis_LocSetFillFn);
}

void Maxis_LocSetEqual(mxArray* /*ax*/, mxArray* /*pbarlimit*/) {
  kf::Frame frame(axis_LocSetEqualFn);
  kf::notBuilt(axis_LocSetEqualFn);
}

void Maxis_LocSetImage(mxArray* /*ax*/, mxArray* /*pbarlimit*/) {
  kf::Frame frame(axis_LocSetImageFn);
  kf::notBuilt(axis_LocSetImageFn);
}

mxArray* Maxis_LocGetState(mxArray** /*ans2*/, mxArray** /*ans3*/, int /*nargout_*/,
                           mxArray* /*ax*/) {
  kf::Frame frame(axis_LocGetStateFn);
  kf::notBuilt(axis_LocGetStateFn);
}

mxArray* mlfAxis(mxArray** ans2, mxArray** ans3, ...) {
  va_list ap;
  va_start(ap, ans3);
  kf::VaEnd end(ap);
  return kf::directVarargin<Maxis>(axisFn, kf::outs(ans2, ans3), kf::ins(), nullptr, 0, ap);
}

KF_FEVAL(mlxAxis, Maxis, axisFn)

mxArray* mlfAxis_LocGetLimits(mxArray* ax) {
  return kf::direct<Maxis_LocGetLimits>(axis_LocGetLimitsFn, kf::outs(), kf::ins(ax));
}

KF_FEVAL(mlxAxis_LocGetLimits, Maxis_LocGetLimits, axis_LocGetLimitsFn)

void mlfAxis_LocSetLimits(mxArray* ax, mxArray* lims) {
  kf::direct<Maxis_LocSetLimits>(axis_LocSetLimitsFn, kf::outs(), kf::ins(ax, lims));
}

KF_FEVAL(mlxAxis_LocSetLimits, Maxis_LocSetLimits, axis_LocSetLimitsFn)

void mlfAxis_LocSetAuto(mxArray* ax, mxArray* str) {
  kf::direct<Maxis_LocSetAuto>(axis_LocSetAutoFn, kf::outs(), kf::ins(ax, str));
}

KF_FEVAL(mlxAxis_LocSetAuto, Maxis_LocSetAuto, axis_LocSetAutoFn)

void mlfAxis_LocSetTight(mxArray* ax) {
  kf::direct<Maxis_LocSetTight>(axis_LocSetTightFn, kf::outs(), kf::ins(ax));
}

KF_FEVAL(mlxAxis_LocSetTight, Maxis_LocSetTight, axis_LocSetTightFn)

void mlfAxis_LocSetFill(mxArray* ax, mxArray* pbarlimit) {
  kf::direct<Maxis_LocSetFill>(axis_LocSetFillFn, kf::outs(), kf::ins(ax, pbarlimit));
}

KF_FEVAL(mlxAxis_LocSetFill, Maxis_LocSetFill, axis_LocSetFillFn)

void mlfAxis_LocSetEqual(mxArray* ax, mxArray* pbarlimit) {
  kf::direct<Maxis_LocSetEqual>(axis_LocSetEqualFn, kf::outs(), kf::ins(ax, pbarlimit));
}

KF_FEVAL(mlxAxis_LocSetEqual, Maxis_LocSetEqual, axis_LocSetEqualFn)

void mlfAxis_LocSetImage(mxArray* ax, mxArray* pbarlimit) {
  kf::direct<Maxis_LocSetImage>(axis_LocSetImageFn, kf::outs(), kf::ins(ax, pbarlimit));
}

KF_FEVAL(mlxAxis_LocSetImage, Maxis_LocSetImage, axis_LocSetImageFn)

mxArray* mlfAxis_LocGetState(mxArray** ans2, mxArray** ans3, mxArray* ax) {
  return kf::direct<Maxis_LocGetState>(axis_LocGetStateFn, kf::outs(ans2, ans3), kf::ins(ax));
}

KF_FEVAL(mlxAxis_LocGetState, Maxis_LocGetState, axis_LocGetStateFn)

static mexFunctionTableEntry local_function_rows[8] = {
    {"LocGetLimits", mlxAxis_LocGetLimits, 1, 1, nullptr},
    {"LocSetLimits", mlxAxis_LocSetLimits, 2, 0, nullptr},
    {"LocSetAuto", mlxAxis_LocSetAuto, 2, 0, nullptr},
    {"LocSetTight", mlxAxis_LocSetTight, 1, 0, nullptr},
    {"LocSetFill", mlxAxis_LocSetFill, 2, 0, nullptr},
    {"LocSetEqual", mlxAxis_LocSetEqual, 2, 0, nullptr},
    {"LocSetImage", mlxAxis_LocSetImage, 2, 0, nullptr},
    {"LocGetState", mlxAxis_LocGetState, 1, 3, nullptr},
};
mexLocalFunctionTable _local_function_table_axis = {8, local_function_rows};

void InitializeModule_axis(void) { module.initialize(); }
void TerminateModule_axis(void) { module.terminate(); }

}  // extern "C"

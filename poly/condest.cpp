// The condest module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_condest;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"condest", &_local_function_table_condest, poolTable};

kf::Function condestFn{module, "condest", 1, 2, false, {"c", "v"}};
kf::Function condest_condestfFn{module, "condest/condestf", 52, 4, false, {"f"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mcondest(mxArray** /*v*/, int /*nargout_*/, mxArray* /*A*/, mxArray* /*t*/) {
  kf::Frame frame(condestFn);
  kf::notBuilt(condestFn);
}

mxArray* Mcondest_condestf(int /*nargout_*/, mxArray* /*flag*/, mxArray* /*X*/, mxArray* /*L*/,
                           mxArray* /*U*/) {
  kf::Frame frame(condest_condestfFn);
  kf::notBuilt(condest_condestfFn);
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

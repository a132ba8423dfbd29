// The repmat module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_repmat;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"repmat", &_local_function_table_repmat, poolTable};

kf::Function repmatFn{module, "repmat", 1, 3, false, {"B"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mrepmat(int /*nargout_*/, mxArray* /*A*/, mxArray* /*M*/, mxArray* /*N*/) {
  kf::Frame frame(repmatFn);
  kf::notBuilt(repmatFn);
}

mxArray* mlfRepmat(mxArray* A, mxArray* M, mxArray* N) {
  return kf::direct<Mrepmat>(repmatFn, kf::outs(), kf::ins(A, M, N));
}

KF_FEVAL(mlxRepmat, Mrepmat, repmatFn)

mexLocalFunctionTable _local_function_table_repmat = {0, nullptr};

void InitializeModule_repmat(void) { module.initialize(); }
void TerminateModule_repmat(void) { module.terminate(); }

}  // extern "C"

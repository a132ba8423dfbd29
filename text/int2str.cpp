// The int2str module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_int2str;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"int2str", &_local_function_table_int2str, poolTable};

kf::Function int2strFn{module, "int2str", 1, 1, false, {"s"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mint2str(int /*nargout_*/, mxArray* /*x*/) {
  kf::Frame frame(int2strFn);
  kf::notBuilt(int2strFn);
}

mxArray* mlfInt2str(mxArray* x) { return kf::direct<Mint2str>(int2strFn, kf::outs(), kf::ins(x)); }

KF_FEVAL(mlxInt2str, Mint2str, int2strFn)

mexLocalFunctionTable _local_function_table_int2str = {0, nullptr};

void InitializeModule_int2str(void) { module.initialize(); }
void TerminateModule_int2str(void) { module.terminate(); }

}  // extern "C"

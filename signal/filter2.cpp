// The filter2 module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_filter2;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"filter2", &_local_function_table_filter2, poolTable};

kf::Function filter2Fn{module, "filter2", 1, 3, false, {"y"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mfilter2(int /*nargout_*/, mxArray* /*b*/, mxArray* /*x*/, mxArray* /*shape*/) {
  kf::Frame frame(filter2Fn);
  kf::notBuilt(filter2Fn);
}

mxArray* mlfFilter2(mxArray* b, mxArray* x, mxArray* shape) {
  return kf::direct<Mfilter2>(filter2Fn, kf::outs(), kf::ins(b, x, shape));
}

KF_FEVAL(mlxFilter2, Mfilter2, filter2Fn)

mexLocalFunctionTable _local_function_table_filter2 = {0, nullptr};

void InitializeModule_filter2(void) { module.initialize(); }
void TerminateModule_filter2(void) { module.terminate(); }

}  // extern "C"

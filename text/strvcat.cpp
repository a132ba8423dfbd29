// The strvcat module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_strvcat;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"strvcat", &_local_function_table_strvcat, poolTable};

kf::Function strvcatFn{module, "strvcat", 1, 0, true, {"s"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mstrvcat(int /*nargout_*/, mxArray* /*varargin*/) {
  kf::Frame frame(strvcatFn);
  kf::notBuilt(strvcatFn);
}

mxArray* mlfStrvcat(mxArray* varargin, ...) {
  va_list ap;
  va_start(ap, varargin);
  kf::VaEnd end(ap);
  return kf::directVarargin<Mstrvcat>(strvcatFn, kf::outs(), kf::ins(), varargin, 1, ap);
}

KF_FEVAL(mlxStrvcat, Mstrvcat, strvcatFn)

mexLocalFunctionTable _local_function_table_strvcat = {0, nullptr};

void InitializeModule_strvcat(void) { module.initialize(); }
void TerminateModule_strvcat(void) { module.terminate(); }

}  // extern "C"

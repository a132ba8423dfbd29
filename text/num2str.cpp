// The num2str module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "framework/not_built.h"

extern "C" mexLocalFunctionTable _local_function_table_num2str;

namespace {

#define POOL(X)
KF_POOL(POOL)
#undef POOL

kf::Module module{"num2str", &_local_function_table_num2str, poolTable};

kf::Function num2strFn{module, "num2str", 1, 2, false, {"s"}};
kf::Function num2str_formatimagFn{module, "num2str/formatimag", 83, 3, false, {"fi"}};
kf::Function num2str_lefttrimFn{module, "num2str/lefttrim", 91, 1, false, {"s"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* Mnum2str(int /*nargout_*/, mxArray* /*x*/, mxArray* /*f*/) {
  kf::Frame frame(num2strFn);
  kf::notBuilt(num2strFn);
}

mxArray* Mnum2str_formatimag(int /*nargout_*/, mxArray* /*f*/, mxArray* /*fi*/, mxArray* /*x*/) {
  kf::Frame frame(num2str_formatimagFn);
  kf::notBuilt(num2str_formatimagFn);
}

mxArray* Mnum2str_lefttrim(int /*nargout_*/, mxArray* /*s*/) {
  kf::Frame frame(num2str_lefttrimFn);
  kf::notBuilt(num2str_lefttrimFn);
}

mxArray* mlfNum2str(mxArray* x, mxArray* f) {
  return kf::direct<Mnum2str>(num2strFn, kf::outs(), kf::ins(x, f));
}

KF_FEVAL(mlxNum2str, Mnum2str, num2strFn)

mxArray* mlfNum2str_formatimag(mxArray* f, mxArray* fi, mxArray* x) {
  return kf::direct<Mnum2str_formatimag>(num2str_formatimagFn, kf::outs(), kf::ins(f, fi, x));
}

KF_FEVAL(mlxNum2str_formatimag, Mnum2str_formatimag, num2str_formatimagFn)

mxArray* mlfNum2str_lefttrim(mxArray* s) {
  return kf::direct<Mnum2str_lefttrim>(num2str_lefttrimFn, kf::outs(), kf::ins(s));
}

KF_FEVAL(mlxNum2str_lefttrim, Mnum2str_lefttrim, num2str_lefttrimFn)

static mexFunctionTableEntry local_function_rows[2] = {
    {"formatimag", mlxNum2str_formatimag, 3, 1, nullptr},
    {"lefttrim", mlxNum2str_lefttrim, 1, 1, nullptr},
};
mexLocalFunctionTable _local_function_table_num2str = {2, local_function_rows};

void InitializeModule_num2str(void) { module.initialize(); }
void TerminateModule_num2str(void) { module.terminate(); }

}  // extern "C"

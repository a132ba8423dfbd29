// Feval forms of host built-ins, so that the library can pass them as
// function values. Each one runs the built-in of the same name.
#include <string>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/values/handle.h"
#include "runtime/calls.h"

namespace {

void callBuiltin(const char* name, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  const kh::BuiltinFn* fn = kh::findBuiltin(name);
  if (!fn) kh::raise(std::string("The built-in '") + name + "' is not built yet.");
  std::vector<kh::Value> args;
  for (int k = 0; k < nrhs; ++k) args.push_back(kh::valueOf(prhs[k]));
  std::vector<kh::Value> out = (*fn)(nlhs, args);
  if (static_cast<int>(out.size()) < nlhs) kh::raise("Too many output arguments.");
  const int n = nlhs > 0 ? nlhs : (out.empty() ? 0 : 1);
  for (int k = 0; k < n; ++k) plhs[k] = kh::newHandle(std::move(out[k]), false);
}

}  // namespace

extern "C" {

void mlxLower(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  callBuiltin("lower", nlhs, plhs, nrhs, prhs);
}
void mlxIsempty(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  callBuiltin("isempty", nlhs, plhs, nrhs, prhs);
}
void mlxDiff(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  callBuiltin("diff", nlhs, plhs, nrhs, prhs);
}
void mlxIshandle(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  callBuiltin("ishandle", nlhs, plhs, nrhs, prhs);
}
void mlxMax(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  callBuiltin("max", nlhs, plhs, nrhs, prhs);
}
void mlxPlus(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  callBuiltin("plus", nlhs, plhs, nrhs, prhs);
}
void mlxMin(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  callBuiltin("min", nlhs, plhs, nrhs, prhs);
}
void mlxSize(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  callBuiltin("size", nlhs, plhs, nrhs, prhs);
}

}  // extern "C"

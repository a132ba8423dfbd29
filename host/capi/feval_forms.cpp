// Feval forms of host built-ins, so that the library can pass them as
// function values. Each one runs the built-in of the same name.
#include <string>

#include "host/builtins/arrays/reductions.h"
#include "host/builtins/registry.h"
#include "host/capi/door.h"
#include "host/core/errors.h"
#include "runtime/calls.h"

namespace {

// A built-in found by name, for those without a reader of their own here.
void byName(const char* name, kh::Call& c) {
  const kh::Builtin* b = kh::findBuiltin(name);
  if (!b) kh::raise(std::string("The built-in '") + name + "' is not built yet.");
  b->fn(c);
}

}  // namespace

extern "C" {

void mlxLower(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor([](kh::Call& c) { byName("lower", c); }, nlhs, plhs, nrhs, prhs);
}
void mlxIsempty(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor([](kh::Call& c) { byName("isempty", c); }, nlhs, plhs, nrhs, prhs);
}
void mlxDiff(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::diff, nlhs, plhs, nrhs, prhs);
}
void mlxIshandle(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor([](kh::Call& c) { byName("ishandle", c); }, nlhs, plhs, nrhs, prhs);
}
void mlxMax(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::max, nlhs, plhs, nrhs, prhs);
}
void mlxPlus(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor([](kh::Call& c) { byName("plus", c); }, nlhs, plhs, nrhs, prhs);
}
void mlxMin(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::min, nlhs, plhs, nrhs, prhs);
}
void mlxSize(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor([](kh::Call& c) { byName("size", c); }, nlhs, plhs, nrhs, prhs);
}

}  // extern "C"

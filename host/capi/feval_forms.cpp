// Feval forms of host built-ins, so that the library can pass them as
// function values. Each one runs the reader of the built-in of the same
// name.
#include "host/builtins/arith/elementwise.h"
#include "host/builtins/arrays/queries.h"
#include "host/builtins/arrays/reductions.h"
#include "host/builtins/graphics/graphics.h"
#include "host/builtins/text/text.h"
#include "host/capi/door.h"
#include "runtime/calls.h"

extern "C" {

void mlxLower(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::lower, nlhs, plhs, nrhs, prhs);
}
void mlxIsempty(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::isempty, nlhs, plhs, nrhs, prhs);
}
void mlxDiff(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::diff, nlhs, plhs, nrhs, prhs);
}
void mlxIshandle(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::ishandle, nlhs, plhs, nrhs, prhs);
}
void mlxMax(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::max, nlhs, plhs, nrhs, prhs);
}
void mlxPlus(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::binary<kh::BinOp::Plus>, nlhs, plhs, nrhs, prhs);
}
void mlxMin(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::min, nlhs, plhs, nrhs, prhs);
}
void mlxSize(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kh::fevalDoor(kh::builtin::size, nlhs, plhs, nrhs, prhs);
}

}  // extern "C"

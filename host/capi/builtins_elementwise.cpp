// C entry points of the element-wise built-ins.
#include "host/builtins/arith/elementwise.h"
#include "host/builtins/text/text.h"
#include "host/capi/door.h"
#include "runtime/builtins.h"

namespace {

// One door for all of them: a program calls several in a row, which then
// run the same code.
mxArray* unaryCall(kh::UnaryFn fn, mxArray* x) {
  return kh::Door(x).run([fn](kh::Call& c) { kh::builtin::unaryWith(c, fn); }, 1).result();
}

}  // namespace

extern "C" {

mxArray* mlfAbs(mxArray* x) { return unaryCall(kh::UnaryFn::Abs, x); }
mxArray* mlfCeil(mxArray* x) { return unaryCall(kh::UnaryFn::Ceil, x); }
mxArray* mlfConj(mxArray* x) { return unaryCall(kh::UnaryFn::Conj, x); }
mxArray* mlfCos(mxArray* x) { return unaryCall(kh::UnaryFn::Cos, x); }
mxArray* mlfDouble(mxArray* x) { return unaryCall(kh::UnaryFn::Double, x); }
mxArray* mlfFix(mxArray* x) { return unaryCall(kh::UnaryFn::Fix, x); }
mxArray* mlfFloor(mxArray* x) { return unaryCall(kh::UnaryFn::Floor, x); }
mxArray* mlfImag(mxArray* x) { return unaryCall(kh::UnaryFn::Imag, x); }
mxArray* mlfIsfinite(mxArray* x) { return unaryCall(kh::UnaryFn::Isfinite, x); }
mxArray* mlfIsinf(mxArray* x) { return unaryCall(kh::UnaryFn::Isinf, x); }
mxArray* mlfIsnan(mxArray* x) { return unaryCall(kh::UnaryFn::Isnan, x); }
mxArray* mlfLog(mxArray* x) { return unaryCall(kh::UnaryFn::Log, x); }
mxArray* mlfReal(mxArray* x) { return unaryCall(kh::UnaryFn::Real, x); }
mxArray* mlfRound(mxArray* x) { return unaryCall(kh::UnaryFn::Round, x); }
mxArray* mlfSign(mxArray* x) { return unaryCall(kh::UnaryFn::Sign, x); }
mxArray* mlfSqrt(mxArray* x) { return unaryCall(kh::UnaryFn::Sqrt, x); }

mxArray* mlfLower(mxArray* x) { return kh::Door(x).run(kh::builtin::lower, 1).result(); }

mxArray* mlfRem(mxArray* x, mxArray* y) { return kh::Door(x, y).run(kh::builtin::rem, 1).result(); }

}  // extern "C"

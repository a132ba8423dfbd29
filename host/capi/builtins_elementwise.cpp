// C entry points of the element-wise built-ins.
#include "host/capi/wrap.h"
#include "host/kernels/arith/elementwise.h"
#include "runtime/builtins.h"

namespace {

mxArray* unaryCall(kh::UnaryFn fn, mxArray* x) {
  kh::CallInputs in(x);
  return in.result(kh::unary(fn, kh::takeOrCopy(x, nullptr)));
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

mxArray* mlfLower(mxArray* x) {
  kh::CallInputs in(x);
  return in.result(kh::lower(kh::valueOf(x)));
}

mxArray* mlfRem(mxArray* x, mxArray* y) {
  kh::CallInputs in(x, y);
  return in.result(kh::rem(kh::valueOf(x), kh::valueOf(y)));
}

}  // extern "C"

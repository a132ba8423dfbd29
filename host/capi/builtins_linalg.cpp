// C entry points of convolution, singular value decomposition and norms.
#include "host/capi/wrap.h"
#include "host/core/errors.h"
#include "host/kernels/linalg/linalg.h"
#include "host/kernels/signal/convolution.h"
#include "runtime/builtins.h"

extern "C" {

// conv2(a, k), conv2(a, k, shape), conv2(hcol, hrow, a) and
// conv2(hcol, hrow, a, shape): a text third argument is the shape of the
// plain form; a numeric one makes the separable form.
mxArray* mlfConv2(mxArray* a, mxArray* b, mxArray* c, mxArray* shape) {
  kh::CallInputs in(a, b, c, shape);
  if (!a || !b) kh::raise("Not enough input arguments.");
  if (!c || kh::valueOf(c).isChar()) {
    if (c && shape) kh::raise("Too many input arguments.");
    const kh::ConvShape s = c ? kh::convShapeFromText(kh::valueOf(c)) : kh::ConvShape::Full;
    return in.result(kh::conv2(kh::valueOf(a), kh::valueOf(b), s));
  }
  const kh::ConvShape s = shape ? kh::convShapeFromText(kh::valueOf(shape)) : kh::ConvShape::Full;
  return in.result(kh::conv2Separable(kh::valueOf(a), kh::valueOf(b), kh::valueOf(c), s));
}

// s = svd(a); [u, s, v] = svd(a) with s and v through out-pointers, u as the
// result; a non-null econ asks for the economy-size factors.
mxArray* mlfSvd(mxArray** s, mxArray** v, mxArray* a, mxArray* econ) {
  kh::CallInputs in(a, econ);
  if (!s && !v) return in.result(kh::singularValues(kh::valueOf(a)));
  kh::SvdResult r = kh::svd(kh::valueOf(a), econ != nullptr);
  kh::setOutput(s, std::move(r.s));
  kh::setOutput(v, std::move(r.v));
  return in.result(std::move(r.u));
}

mxArray* mlfNorm(mxArray* x, mxArray* p) {
  kh::CallInputs in(x, p);
  return in.result(kh::norm(kh::valueOf(x), p ? &kh::valueOf(p) : nullptr));
}

}  // extern "C"

// C entry points of convolution, the decompositions, norms, random numbers
// and the filter.
#include "host/builtins/arith/random.h"
#include "host/builtins/linalg/linalg.h"
#include "host/builtins/signal/signal.h"
#include "host/capi/door.h"
#include "runtime/builtins.h"

extern "C" {

mxArray* mlfConv2(mxArray* a, mxArray* b, mxArray* c, mxArray* shape) {
  return kh::Door(a, b, c, shape).run(kh::builtin::conv2, 1).result();
}

// s = svd(a); [u, s, v] = svd(a) with s and v through out-pointers, u as the
// result; a non-null econ asks for the economy-size factors.
mxArray* mlfSvd(mxArray** s, mxArray** v, mxArray* a, mxArray* econ) {
  kh::Door<2, 3> d(a, econ);
  d.run(kh::builtin::svd, s || v ? 3 : 1).output(1, s).output(2, v);
  return d.result();
}

mxArray* mlfNorm(mxArray* x, mxArray* p) {
  return kh::Door(x, p).run(kh::builtin::norm, 1).result();
}

// [q, r] = qr(a) and qr(a, 0): q is the result, r goes through its
// out-pointer; with one output the result is the R factor.
mxArray* mlfQr(mxArray** r, mxArray** e, mxArray* a, mxArray* econ) {
  kh::Door<2, 3> d(a, econ);
  d.run(kh::builtin::qr, e ? 3 : r ? 2 : 1).output(1, r);
  return d.result();
}

// [l, u] = lu(a) and [l, u, p] = lu(a).
mxArray* mlfLu(mxArray** u, mxArray** p, mxArray* a, mxArray* thresh) {
  kh::Door<2, 3> d(a, thresh);
  d.run(kh::builtin::lu, p ? 3 : 2).output(1, u).output(2, p);
  return d.result();
}

mxArray* mlfNRand(int nargout, ...) {
  kh::ListDoor d;
  va_list ap;
  va_start(ap, nargout);
  d.addList(va_arg(ap, mxArray*), ap);
  va_end(ap);
  return d.run(kh::builtin::rand, nargout).result();
}

mxArray* mlfFilter(mxArray** zf, mxArray* b, mxArray* a, mxArray* x, mxArray* zi, mxArray* dim) {
  kh::Door<5, 2> d(b, a, x, zi, dim);
  d.run(kh::builtin::filter, zf ? 2 : 1).output(1, zf);
  return d.result();
}

}  // extern "C"

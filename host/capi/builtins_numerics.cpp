// C entry points of the factorizations, random numbers and the filter.
#include <optional>

#include "host/capi/wrap.h"
#include "host/core/errors.h"
#include "host/kernels/arith/random.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/linalg/decomp.h"
#include "host/kernels/signal/filter1d.h"
#include "runtime/builtins.h"

extern "C" {

// [q, r] = qr(a) and qr(a, 0): q is the result, r goes through its
// out-pointer. The column permutation output is not offered.
mxArray* mlfQr(mxArray** r, mxArray** e, mxArray* a, mxArray* econ) {
  kh::CallInputs in(a, econ);
  if (!a) kh::raise("Not enough input arguments.");
  if (e) kh::raise("QR with column pivoting is not supported.");
  if (econ) {
    const kh::Value& z = kh::valueOf(econ);
    if (!z.isDouble() || z.numel() != 1 || z.re()[0] != 0)
      kh::raise("Use qr(X,0) for economy size decomposition.");
  }
  kh::QrResult f = kh::qr(kh::valueOf(a), econ != nullptr);
  if (!r) {
    // One output: the R factor (upper triangle), as qr(A) alone gives it.
    return in.result(std::move(f.r));
  }
  kh::setOutput(r, std::move(f.r));
  return in.result(std::move(f.q));
}

// [l, u] = lu(a) and [l, u, p] = lu(a). The pivoting threshold is accepted
// only as 1 (plain partial pivoting).
mxArray* mlfLu(mxArray** u, mxArray** p, mxArray* a, mxArray* thresh) {
  kh::CallInputs in(a, thresh);
  if (!a) kh::raise("Not enough input arguments.");
  if (thresh && kh::scalarArg(kh::valueOf(thresh), "The pivoting threshold") != 1.0)
    kh::raise("Pivoting thresholds other than 1 are not supported.");
  kh::LuResult f = kh::lu(kh::valueOf(a), p != nullptr);
  kh::setOutput(u, std::move(f.u));
  kh::setOutput(p, std::move(f.p));
  return in.result(std::move(f.l));
}

mxArray* mlfNRand(int nargout, ...) {
  (void)nargout;
  kh::CallInputs in;
  va_list ap;
  va_start(ap, nargout);
  const auto handles = kh::readList(va_arg(ap, mxArray*), ap, in);
  va_end(ap);
  return kh::newTemp(kh::rand(kh::valuesOf(handles)));
}

mxArray* mlfFilter(mxArray** zf, mxArray* b, mxArray* a, mxArray* x, mxArray* zi, mxArray* dim) {
  kh::CallInputs in(b, a, x, zi, dim);
  if (!b || !a || !x) kh::raise("Not enough input arguments.");
  std::optional<std::size_t> d;
  if (dim) d = kh::dimArg(kh::valueOf(dim));
  kh::FilterResult r = kh::filter(kh::valueOf(b), kh::valueOf(a), kh::valueOf(x),
                                  zi ? &kh::valueOf(zi) : nullptr, d);
  kh::setOutput(zf, std::move(r.zf));
  return in.result(std::move(r.y));
}

}  // extern "C"

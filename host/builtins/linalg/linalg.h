// Dense linear algebra: svd, norm, qr, lu and the divisions, read once for
// every door.
#pragma once

#include "host/builtins/call.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/linalg/decomp.h"
#include "host/kernels/linalg/linalg.h"

namespace kh::builtin {

// s = svd(a); [u, s, v] = svd(a), svd(a, 0) economy size
void svd(Call& c);
// norm(x), norm(x, p); inline: the library takes norms at every step.
inline void norm(Call& c) {
  c.counts(1, 2);
  c.give(kh::norm(c.arg(0), c.nargin() > 1 ? &c.arg(1) : nullptr));
}
// r = qr(a); [q, r] = qr(a), qr(a, 0) economy size. Inline, as lu: the
// fitted estimate factors a matrix in every block.
inline void qr(Call& c) {
  c.counts(1, 2, 2);
  if (c.nargin() > 1) {
    const Value& z = c.arg(1);
    if (!(z.isDouble() && z.numel() == 1 && z.re()[0] == 0))
      raise("Use qr(X,0) for economy size decomposition.");
  }
  QrResult f = kh::qr(c.arg(0), c.nargin() > 1);
  if (c.nargout() <= 1) return c.give(std::move(f.r));
  c.give(std::move(f.q));
  c.give(std::move(f.r));
}

// [l, u] = lu(a), [l, u, p] = lu(a); lu(a, thresh) with the threshold 1
inline void lu(Call& c) {
  c.counts(1, 2, 3);
  // Only plain partial pivoting is done: a threshold other than 1 would
  // ask for another choice of pivots.
  if (c.nargin() > 1 && scalarArg(c.arg(1), "The pivoting threshold") != 1.0)
    raise("Pivoting thresholds other than 1 are not supported.");
  LuResult f = kh::lu(c.arg(0), c.nargout() > 2);
  c.give(std::move(f.l));
  c.give(std::move(f.u));
  if (c.nargout() > 2) c.give(std::move(f.p));
}
void mldivide(Call& c);  // mldivide(a, b): a \ b
void mrdivide(Call& c);  // mrdivide(a, b): a / b

}  // namespace kh::builtin

// Dense linear algebra: svd, norm, qr, lu and the divisions, read once for
// every door.
#pragma once

#include "host/builtins/call.h"
#include "host/kernels/linalg/linalg.h"

namespace kh::builtin {

// s = svd(a); [u, s, v] = svd(a), svd(a, 0) economy size
void svd(Call& c);
// norm(x), norm(x, p); inline: the library takes norms at every step.
inline void norm(Call& c) {
  c.counts(1, 2);
  c.give(kh::norm(c.arg(0), c.nargin() > 1 ? &c.arg(1) : nullptr));
}
// r = qr(a); [q, r] = qr(a), qr(a, 0) economy size
void qr(Call& c);
// [l, u] = lu(a), [l, u, p] = lu(a); lu(a, thresh) with the threshold 1
void lu(Call& c);
void mldivide(Call& c);  // mldivide(a, b): a \ b
void mrdivide(Call& c);  // mrdivide(a, b): a / b

}  // namespace kh::builtin

#include "host/builtins/linalg/linalg.h"

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/linalg/decomp.h"
#include "host/kernels/linalg/linalg.h"

namespace kh::builtin {

void svd(Call& c) {
  c.counts(1, 2, 3);
  if (c.nargout() <= 1) return c.give(singularValues(c.arg(0)));
  SvdResult r = kh::svd(c.arg(0), c.nargin() > 1);
  c.give(std::move(r.u));
  c.give(std::move(r.s));
  c.give(std::move(r.v));
}

void qr(Call& c) {
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

void lu(Call& c) {
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

void mldivide(Call& c) {
  c.counts(2, 2);
  c.give(kh::mldivide(c.arg(0), c.arg(1)));
}

void mrdivide(Call& c) {
  c.counts(2, 2);
  c.give(kh::mrdivide(c.arg(0), c.arg(1)));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("svd", svd);
  registerBuiltin("norm", norm);
  registerBuiltin("qr", qr);
  registerBuiltin("lu", lu);
  registerBuiltin("mldivide", mldivide);
  registerBuiltin("mrdivide", mrdivide);
  return true;
}();
}  // namespace

}  // namespace kh::builtin

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

#include "host/builtins/arrays/construct.h"

#include <cstdint>
#include <optional>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/concat.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/arrays/convert.h"

namespace kh::builtin {

void reshape(Call& c) {
  c.counts(2, SIZE_MAX);
  Dims d;
  std::optional<std::size_t> inferred;
  if (c.nargin() == 2) {
    const Value v = toNumeric(c.arg(1), "reshape");
    if (v.numel() < 2) raise("Size vector must have at least two elements.");
    for (std::size_t i = 0; i < v.numel(); ++i) d.push_back(sizeCount(v.at(i)));
  } else {
    for (std::size_t k = 1; k < c.nargin(); ++k) {
      const Value& a = c.arg(k);
      if (a.isEmpty()) {
        if (inferred) raise("Size can only have one unknown dimension.");
        inferred = k - 1;
        d.push_back(1);
        continue;
      }
      if (a.numel() != 1) raise("Size arguments must be scalars.");
      d.push_back(sizeCount(toNumeric(a, "reshape").at(0)));
    }
  }
  c.give(kh::reshape(c.arg(0), std::move(d), inferred));
}

void diag(Call& c) {
  c.counts(1, 2);
  const double k = c.has(1) ? scalarArg(c.arg(1), "k") : 0.0;
  c.give(kh::diag(c.arg(0), k));
}

void horzcat(Call& c) { c.give(kh::horzcat(inputsFrom(c))); }
void vertcat(Call& c) { c.give(kh::vertcat(inputsFrom(c))); }

namespace {
const bool kRegistered = [] {
  registerBuiltin("zeros", zeros);
  registerBuiltin("ones", ones);
  registerBuiltin("eye", eye);
  registerBuiltin("cell", cell);
  registerBuiltin("reshape", reshape);
  registerBuiltin("diag", diag);
  return true;
}();
}  // namespace

}  // namespace kh::builtin

#include "host/builtins/arrays/construct.h"

#include <cstdint>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/kernels/arrays/concat.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/arrays/convert.h"

namespace kh::builtin {

void zeros(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::zeros(inputsFrom(c)));
}
void ones(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::ones(inputsFrom(c)));
}
void eye(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::eye(inputsFrom(c)));
}
void cell(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::cellArray(inputsFrom(c)));
}

void reshape(Call& c) {
  c.counts(2, SIZE_MAX);
  c.give(kh::reshape(c.arg(0), inputsFrom(c, 1)));
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

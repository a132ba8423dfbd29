#include "host/builtins/arith/random.h"

#include <cstdint>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/kernels/arith/random.h"

namespace kh::builtin {

void rand(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::rand(inputsFrom(c)));
}

void randn(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::randn(inputsFrom(c)));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("rand", rand);
  registerBuiltin("randn", randn);
  return true;
}();
}  // namespace

}  // namespace kh::builtin

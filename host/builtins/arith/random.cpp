#include "host/builtins/arith/random.h"

#include <cstdint>
#include <string>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arith/random.h"
#include "host/kernels/arrays/convert.h"

namespace kh::builtin {
namespace {

// rand('seed', s), rand('state', s), rand('twister', s), and the same for
// randn: true when the call is such a one (the generator is then
// reseeded).
bool reseedCall(const Call& c, const char* fn) {
  if (c.nargin() == 0 || !c.arg(0).isChar()) return false;
  const std::string what = c.arg(0).utf8();
  if (what != "seed" && what != "state" && what != "twister")
    raise(std::string("Unknown ") + fn + " option '" + what + "'.");
  if (c.nargin() < 2) raise("Not enough input arguments.");
  if (c.nargin() > 2) raise("Too many input arguments.");
  const double s = scalarArg(c.arg(1), "The seed");
  // (A seed of 2^64 or more has no unsigned 64-bit value to convert to.)
  if (!(s >= 0) || !(s < 0x1p64))
    raise("The seed must be a non-negative finite number below 2^64.");
  seedRandom(static_cast<std::uint64_t>(s));
  return true;
}

}  // namespace

void rand(Call& c) {
  c.counts(0, SIZE_MAX);
  if (reseedCall(c, "rand")) return c.give(Value::empty());
  c.give(kh::rand(sizeArgs(c, 0, "rand")));
}

void randn(Call& c) {
  c.counts(0, SIZE_MAX);
  if (reseedCall(c, "randn")) return c.give(Value::empty());
  c.give(kh::randn(sizeArgs(c, 0, "randn")));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("rand", rand);
  registerBuiltin("randn", randn);
  return true;
}();
}  // namespace

}  // namespace kh::builtin

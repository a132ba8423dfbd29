#include "host/kernels/arith/random.h"

#include <cmath>
#include <optional>
#include <random>

#include "host/core/errors.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/arrays/convert.h"

namespace kh {
namespace {

constexpr std::uint64_t kStartSeed = 5489;

std::mt19937_64& generator() {
  static std::mt19937_64 g(kStartSeed);
  return g;
}

// The polar method draws normal numbers in pairs; the second one waits
// here for the next draw, and a reseed drops it.
std::optional<double>& spareNormal() {
  static std::optional<double> spare;
  return spare;
}

// rand('seed', s), rand('state', s), rand('twister', s), and the same for
// randn: true when args are such a call (the generator is then reseeded).
bool reseedCall(Values args, const char* fn) {
  if (args.empty() || !args[0].isChar()) return false;
  const std::string what = args[0].utf8();
  if (what != "seed" && what != "state" && what != "twister")
    raise(std::string("Unknown ") + fn + " option '" + what + "'.");
  if (args.size() < 2) raise("Not enough input arguments.");
  if (args.size() > 2) raise("Too many input arguments.");
  const double s = scalarArg(args[1], "The seed");
  // (A seed of 2^64 or more has no unsigned 64-bit value to convert to.)
  if (!(s >= 0) || !(s < 0x1p64))
    raise("The seed must be a non-negative finite number below 2^64.");
  seedRandom(static_cast<std::uint64_t>(s));
  return true;
}

template <typename Draw>
Value filled(Values args, const char* fn, Draw draw) {
  Value r = Value::numeric(sizeFromArgs(args, fn));
  double* x = r.numel() ? r.mutRe() : nullptr;
  for (std::size_t i = 0; i < r.numel(); ++i) x[i] = draw();
  return r;
}

}  // namespace

double uniformRandom() {
  for (;;) {
    // 53 random bits; zero is drawn again so the interval stays open.
    const double x = static_cast<double>(generator()() >> 11) * 0x1.0p-53;
    if (x > 0.0) return x;
  }
}

double normalRandom() {
  std::optional<double>& spare = spareNormal();
  if (spare) {
    const double z = *spare;
    spare.reset();
    return z;
  }
  for (;;) {
    const double u = 2.0 * uniformRandom() - 1.0, v = 2.0 * uniformRandom() - 1.0;
    const double s = u * u + v * v;
    if (s >= 1.0 || s == 0.0) continue;
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    spare = v * f;
    return u * f;
  }
}

void seedRandom(std::uint64_t seed) {
  generator().seed(seed);
  spareNormal().reset();
}

Value rand(Values args) {
  if (reseedCall(args, "rand")) return Value::empty();
  return filled(args, "rand", uniformRandom);
}

Value randn(Values args) {
  if (reseedCall(args, "randn")) return Value::empty();
  return filled(args, "randn", normalRandom);
}

}  // namespace kh

#include "host/ops/random.h"

#include <cmath>
#include <random>

#include "host/context/errors.h"
#include "host/ops/construct.h"
#include "host/ops/convert.h"

namespace kh {
namespace {

constexpr std::uint64_t kStartSeed = 5489;

std::mt19937_64& generator() {
  static std::mt19937_64 g(kStartSeed);
  return g;
}

}  // namespace

double uniformRandom() {
  for (;;) {
    // 53 random bits; zero is drawn again so the interval stays open.
    const double x = static_cast<double>(generator()() >> 11) * 0x1.0p-53;
    if (x > 0.0) return x;
  }
}

void seedRandom(std::uint64_t seed) { generator().seed(seed); }

Value rand(Values args) {
  if (!args.empty() && args[0].isChar()) {
    const std::string what = args[0].utf8();
    if (what != "seed" && what != "state" && what != "twister")
      raise("Unknown rand option '" + what + "'.");
    if (args.size() < 2) raise("Not enough input arguments.");
    const double s = scalarArg(args[1], "The seed");
    if (!std::isfinite(s) || s < 0) raise("The seed must be a non-negative finite number.");
    seedRandom(static_cast<std::uint64_t>(s));
    return Value::empty();
  }
  Value r = Value::numeric(sizeFromArgs(args, "rand"));
  double* x = r.numel() ? r.mutRe() : nullptr;
  for (std::size_t i = 0; i < r.numel(); ++i) x[i] = uniformRandom();
  return r;
}

}  // namespace kh

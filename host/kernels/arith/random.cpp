#include "host/kernels/arith/random.h"

#include <cmath>
#include <optional>
#include <random>

#include "host/core/errors.h"

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

template <typename Draw>
Value filled(const Dims& d, Draw draw) {
  Value r = Value::numeric(d);
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

Value rand(const Dims& d) { return filled(d, uniformRandom); }

Value randn(const Dims& d) { return filled(d, normalRandom); }

}  // namespace kh

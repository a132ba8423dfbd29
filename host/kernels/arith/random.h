// The host's random number generator: uniform numbers in the open interval
// (0, 1) from one generator with a fixed seed at start-up, and normally
// distributed ones drawn from the same generator.
#pragma once

#include <cstdint>
#include <vector>

#include "host/values/value.h"

namespace kh {

double uniformRandom();
// Mean 0, standard deviation 1.
double normalRandom();
// Restarts the generator from a seed (rand('seed', s), rand('state', s)):
// the numbers drawn after it repeat exactly after the same seed.
void seedRandom(std::uint64_t seed);
// Arrays of size d of uniform numbers, and of normally distributed ones.
Value rand(const Dims& d);
Value randn(const Dims& d);

}  // namespace kh

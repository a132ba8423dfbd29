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
// rand(args...): sizes as zeros takes them; rand('seed', s) and
// rand('state', s) reseed and return an empty value. randn likewise.
Value rand(Values args);
Value randn(Values args);

}  // namespace kh

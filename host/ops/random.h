// The host's random number generator: uniform numbers in the open interval
// (0, 1) from one generator with a fixed seed at start-up.
#pragma once

#include <cstdint>
#include <vector>

#include "host/array/value.h"

namespace kh {

double uniformRandom();
// Restarts the generator from a seed (rand('seed', s), rand('state', s)).
void seedRandom(std::uint64_t seed);
// rand(args...): sizes as zeros takes them; rand('seed', s) and
// rand('state', s) reseed and return an empty value.
Value rand(Values args);

}  // namespace kh

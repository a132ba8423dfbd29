// Reading the common kinds of argument of a built-in's call.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "host/builtins/call.h"
#include "host/values/value.h"

namespace kh::builtin {

// The working dimension given as input k, or none when it was not given.
std::optional<std::size_t> optionalDim(const Call& c, std::size_t k);

// The inputs from k on as a list of their own (sharing their data), read in
// place whichever door made the call: a few inputs take no allocation.
inline ValueList inputsFrom(const Call& c, std::size_t k = 0) {
  ValueList v;
  for (std::size_t j = k; j < c.nargin(); ++j) v.push_back(c.arg(j));
  return v;
}

// A count given as a size: 0 for a negative one, the whole part of a
// positive one; NaN and counts past the size limit are refused.
std::size_t sizeCount(double v);

// The size asked for by the inputs from k on of zeros, ones, eye, cell,
// rand and the like: none gives 1-by-1, one scalar n gives n-by-n, one
// vector gives that size, several scalars give those dimensions, and a
// trailing 'double' names the only class there is. Negative counts count
// as 0.
Dims sizeArgs(const Call& c, std::size_t k, const char* fn);

// The text of input k, which must be a character array ("The argument of fn
// must be a text." otherwise).
std::string textArg(const Call& c, std::size_t k, const char* fn);

// Gives each of out as the call's next output.
inline void giveAll(Call& c, ValueList out) {
  for (Value& v : out) c.give(std::move(v));
}

}  // namespace kh::builtin

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

namespace detail {
[[noreturn]] void sizeCountError(double v);
Dims sizeArgsSlow(const Call& c, std::size_t k, const char* fn);
}  // namespace detail

// A count given as a size: 0 for a negative one, the whole part of a
// positive one; NaN and counts past the size limit are refused.
inline std::size_t sizeCount(double v) {
  if (v >= 0 && v <= 4294967295.0) return static_cast<std::size_t>(v);  // the floor
  if (v < 0) return 0;
  detail::sizeCountError(v);
}

// The size asked for by the inputs from k on of zeros, ones, eye, cell,
// rand and the like: none gives 1-by-1, one scalar n gives n-by-n, one
// vector gives that size, several scalars give those dimensions, and a
// trailing 'double' names the only class there is. Negative counts count
// as 0.
// Inline for the usual forms, n and (m, n) with double scalars: the
// library sizes its work arrays at every step.
inline Dims sizeArgs(const Call& c, std::size_t k, const char* fn) {
  const std::size_t n = c.nargin() > k ? c.nargin() - k : 0;
  if (n == 0) return {1, 1};
  const Value& a = c.arg(k);
  if (n <= 2 && a.isDouble() && a.numel() == 1) {
    const std::size_t rows = sizeCount(a.re()[0]);
    if (n == 1) return {rows, rows};
    const Value& b = c.arg(k + 1);
    if (b.isDouble() && b.numel() == 1) return {rows, sizeCount(b.re()[0])};
  }
  return detail::sizeArgsSlow(c, k, fn);
}

// The text of input k, which must be a character array ("The argument of fn
// must be a text." otherwise).
std::string textArg(const Call& c, std::size_t k, const char* fn);

// Gives each of out as the call's next output.
inline void giveAll(Call& c, ValueList out) {
  for (Value& v : out) c.give(std::move(v));
}

}  // namespace kh::builtin

// One-dimensional rational (IIR/FIR) filter in direct form II transposed.
#pragma once

#include <optional>

#include "host/values/value.h"

namespace kh {

struct FilterResult {
  Value y;   // the filtered data, the size of x
  Value zf;  // the final delay states, (max(na, nb) - 1) by the number of vectors
};

// y(n) = (b(1) x(n) + ... + b(nb) x(n-nb+1) - a(2) y(n-1) - ... - a(na) y(n-na+1)) / a(1)
// along dim (0-based; by default the first non-singleton dimension), starting
// from the delay states zi (zeros when empty).
FilterResult filter(const Value& b, const Value& a, const Value& x, const Value* zi = nullptr,
                    std::optional<std::size_t> dim = std::nullopt);

}  // namespace kh

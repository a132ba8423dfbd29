// Dense linear algebra on Eigen: singular value decomposition and norms.
#pragma once

#include "host/values/value.h"

namespace kh {

struct SvdResult {
  Value u, s, v;  // u: m-by-m, s: m-by-n diagonal, v: n-by-n (economy: thinner)
};

// The full (or economy-size) decomposition a = u * s * v'.
SvdResult svd(const Value& a, bool economy);
// The singular values as a column, largest first.
Value singularValues(const Value& a);

// norm(x) and norm(x, p): vectors take p = 1, 2, Inf, -Inf, any positive p
// and 'fro'; matrices take 1, 2, Inf and 'fro'.
Value norm(const Value& x, const Value* p);

}  // namespace kh

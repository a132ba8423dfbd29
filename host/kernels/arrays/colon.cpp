#include "host/kernels/arrays/colon.h"

#include <cmath>
#include <cstdint>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh {

Value colonRange(double a, double s, double b) {
  if (std::isnan(a) || std::isnan(s) || std::isnan(b) || s == 0.0 || (s > 0 && a > b) ||
      (s < 0 && a < b))
    return Value::numeric({1, 0});
  const double q = (b - a) / s;
  // Allow for the rounding of the quotient, relative to its size.
  const double n = std::floor(q + std::max(1e-10, 4 * 2.220446049250313e-16 * std::fabs(q))) + 1;
  if (!std::isfinite(n) || n > 2147483647.0) raise(kSizeExceeded);
  const auto count = static_cast<std::size_t>(n);
  Value r = Value::numericForWrite({1, count});  // every element is written below
  double* z = r.mutRe();
  // count is below 2^31: a 32-bit counter converts to double in vector registers.
  const auto m = static_cast<std::int32_t>(count);
  for (std::int32_t k = 0; k < m; ++k) z[k] = a + static_cast<double>(k) * s;
  return r;
}

namespace {

// A range bound: the first element, or nothing for an empty operand.
bool bound(const Value& v, double* out) {
  if (v.isEmpty()) return false;
  *out = v.isDouble() ? v.at(0) : toNumeric(v, "colon").at(0);
  return true;
}

Value maybeChars(Value r, bool chars) { return chars ? charsFrom(r) : r; }

}  // namespace

Value colon(const Value& a, const Value& b) {
  double x, y;
  if (!bound(a, &x) || !bound(b, &y)) return Value::numeric({1, 0});
  return maybeChars(colonRange(x, 1.0, y), a.isChar() && b.isChar());
}

Value colon(const Value& a, const Value& step, const Value& b) {
  double x, s, y;
  if (!bound(a, &x) || !bound(step, &s) || !bound(b, &y)) return Value::numeric({1, 0});
  return maybeChars(colonRange(x, s, y), a.isChar() && b.isChar());
}

}  // namespace kh

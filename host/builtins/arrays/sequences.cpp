// Sequences and their running totals as host built-ins: linspace, cumsum,
// cumprod, fliplr and unique.
#include "host/builtins/arrays/sequences.h"

#include <cmath>
#include <optional>
#include <string>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arith/cumulative.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/ismember.h"
#include "host/kernels/arrays/unique.h"

namespace kh::builtin {
namespace {

// n points from a to b, a row; the first is a and the last b exactly. The
// points of the first half are stepped from a, those of the second from b,
// so that both ends are as accurate as the middle.
void spaced(double a, double b, std::size_t n, double* out) {
  if (n == 0) return;
  if (n == 1) {
    out[0] = b;
    return;
  }
  const double last = static_cast<double>(n - 1);
  double step = (b - a) / last;
  const bool overflow = std::isinf(b - a) && std::isfinite(a) && std::isfinite(b);
  for (std::size_t k = 0; k < n; ++k) {
    const double t = static_cast<double>(k);
    if (overflow) {
      // The span itself overflows (-realmax to realmax): weigh the ends.
      out[k] = a * ((last - t) / last) + b * (t / last);
    } else if (2 * k < n) {
      out[k] = a + t * step;
    } else {
      out[k] = b - (last - t) * step;
    }
  }
  out[0] = a;
  out[n - 1] = b;
}

}  // namespace

void linspace(Call& call) {
  const Values args = call.args();
  call.counts(2, 3);
  for (std::size_t k = 0; k < 2; ++k)
    if (!isNumericLike(args[k]) || args[k].numel() != 1)
      raise("The end points of linspace must be numeric scalars.");
  double n = 100;
  if (args.size() > 2) {
    if (!isNumericLike(args[2]) || args[2].numel() != 1)
      raise("The number of points must be a numeric scalar.");
    n = std::floor(toNumeric(args[2], "linspace").at(0));
    if (std::isnan(n) || std::isinf(n)) raise("The number of points must be finite.");
  }
  const std::size_t count = n < 1 ? 0 : countArg(n, kSizeExceeded);
  const Value a = toNumeric(args[0], "linspace"), b = toNumeric(args[1], "linspace");
  const bool complex = a.isComplex() || b.isComplex();
  Value r = Value::numeric({1, count}, complex);
  if (count == 0) return giveAll(call, {r});
  spaced(a.at(0), b.at(0), count, r.mutRe());
  // A complex line is a line in each part.
  if (complex) spaced(a.cat(0).imag(), b.cat(0).imag(), count, r.mutIm());
  r.dropZeroImag();
  return giveAll(call, {r});
}

namespace {
template <Value (*Run)(const Value&, std::optional<std::size_t>)>
void cumulative(Call& call) {
  call.counts(1, 2);
  std::optional<std::size_t> dim;
  if (call.nargin() > 1) dim = dimArg(call.arg(1));
  call.give(Run(call.arg(0), dim));
}
}  // namespace

void cumsum(Call& call) { cumulative<kh::cumsum>(call); }
void cumprod(Call& call) { cumulative<kh::cumprod>(call); }

// The columns in reverse order (along the second dimension, for any class).
void fliplr(Call& call) {
  const Values args = call.args();
  call.counts(1, 1);
  const Value& x = args[0];
  if (x.isPlaceholder()) raise("Undefined value used in fliplr.");
  const std::size_t rows = x.dim(0), cols = x.dim(1);
  const std::size_t pages = x.numel() ? x.numel() / (rows * cols) : 0;
  Value r = blankLike(x, x.dims());
  for (std::size_t p = 0; p < pages; ++p)
    for (std::size_t c = 0; c < cols; ++c)
      for (std::size_t i = 0; i < rows; ++i)
        copyElement(r, i + c * rows + p * rows * cols, x,
                    i + (cols - 1 - c) * rows + p * rows * cols);
  return giveAll(call, {r});
}

// [u, i, j] = unique(x, options...), the options 'sorted' (the default) or
// 'stable', and 'first' (the default) or 'last'.
void unique(Call& call) {
  const Values args = call.args();
  call.counts(1, 3, 3);
  bool stable = false, last = false;
  for (std::size_t k = 1; k < args.size(); ++k) {
    const std::string option = args[k].isChar() ? args[k].utf8() : "";
    if (option == "stable" || option == "sorted") {
      stable = option == "stable";
    } else if (option == "first" || option == "last") {
      last = option == "last";
    } else if (option == "rows") {
      raise("unique does not take the 'rows' option here; it works on elements.");
    } else {
      raise("Unknown option of unique; the options are 'sorted', 'stable', 'first' and 'last'.");
    }
  }
  Unique u = kh::unique(args[0], stable, last);
  return giveAll(call, {u.values, u.first, u.group});
}

void ismember(Call& call) {
  call.counts(2, 3);
  if (call.nargin() > 2 && call.arg(2).utf8() != "rows") raise("Unknown flag.");
  call.give(kh::ismember(call.arg(0), call.arg(1), call.nargin() > 2));
}

namespace {

const bool kRegistered = [] {
  registerBuiltin("linspace", linspace);
  registerBuiltin("cumsum", cumsum);
  registerBuiltin("cumprod", cumprod);
  registerBuiltin("fliplr", fliplr);
  registerBuiltin("unique", unique);
  registerBuiltin("ismember", ismember);
  return true;
}();

}  // namespace
}  // namespace kh::builtin

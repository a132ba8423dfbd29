#include "host/kernels/arrays/ismember.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh {
namespace {

bool sameText(const Value& a, const Value& b) {
  return a.isChar() && b.isChar() && a.u16() == b.u16() && (a.numel() == 0 || a.rows() == b.rows());
}

Value textInCell(const Value& a, const Value& s) {
  const bool cellA = a.isCell();
  const std::size_t n = cellA ? a.numel() : 1;
  Value r = Value::numeric(cellA ? a.dims() : Dims{1, 1});
  r.setLogical(true);
  for (std::size_t i = 0; i < n; ++i) {
    const Value& x = cellA ? a.cellAt(i) : a;
    bool found = false;
    for (std::size_t k = 0; k < s.numel() && !found; ++k) found = sameText(x, s.cellAt(k));
    r.mutRe()[i] = found ? 1.0 : 0.0;
  }
  return r;
}

}  // namespace

Value ismember(const Value& a0, const Value& s0, bool rows) {
  if (s0.isCell() || a0.isCell()) {
    if (!s0.isCell()) raise("Input must be cell arrays of strings.");
    return textInCell(a0, s0);
  }
  const Value a = toNumeric(a0, "ismember"), s = toNumeric(s0, "ismember");
  if (rows) {
    if (a.ndims() > 2 || s.ndims() > 2 || (a.cols() != s.cols() && !s.isEmpty()))
      raise("A and S must have the same number of columns.");
    const std::size_t m = a.rows(), ms = s.rows(), n = a.cols();
    Value r = Value::numeric({m, 1});
    r.setLogical(true);
    for (std::size_t i = 0; i < m; ++i) {
      bool found = false;
      for (std::size_t k = 0; k < ms && !found; ++k) {
        bool same = true;
        for (std::size_t j = 0; j < n && same; ++j) same = a.cat(i + j * m) == s.cat(k + j * ms);
        found = same;
      }
      if (m) r.mutRe()[i] = found ? 1.0 : 0.0;
    }
    return r;
  }
  // NaN never matches.
  Value r = Value::numeric(a.dims());
  r.setLogical(true);
  if (a.isEmpty()) return r;
  double* out = r.mutRe();
  if (!a.isComplex() && !s.isComplex()) {
    std::vector<double> sorted;
    for (std::size_t k = 0; k < s.numel(); ++k)
      if (!std::isnan(s.re()[k])) sorted.push_back(s.re()[k]);
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < a.numel(); ++i) {
      const double x = a.re()[i];
      out[i] = !std::isnan(x) && std::binary_search(sorted.begin(), sorted.end(), x) ? 1.0 : 0.0;
    }
    return r;
  }
  for (std::size_t i = 0; i < a.numel(); ++i) {
    bool found = false;
    for (std::size_t k = 0; k < s.numel() && !found; ++k) found = a.cat(i) == s.cat(k);
    out[i] = found ? 1.0 : 0.0;
  }
  return r;
}

}  // namespace kh

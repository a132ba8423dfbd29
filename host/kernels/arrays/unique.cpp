#include "host/kernels/arrays/unique.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>
#include <string>
#include <vector>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh {
namespace {

// The positions of x in ascending order (stable), and which neighbours in
// that order are equal.
struct Ordering {
  std::vector<std::size_t> order;
  std::vector<bool> sameAsPrevious;  // by position in `order`
};

template <typename Less, typename Equal>
Ordering orderBy(std::size_t n, Less less, Equal equal) {
  Ordering o;
  o.order.resize(n);
  std::iota(o.order.begin(), o.order.end(), std::size_t{0});
  std::stable_sort(o.order.begin(), o.order.end(), less);
  o.sameAsPrevious.assign(n, false);
  for (std::size_t k = 1; k < n; ++k) o.sameAsPrevious[k] = equal(o.order[k - 1], o.order[k]);
  return o;
}

Ordering orderOf(const Value& x) {
  const std::size_t n = x.numel();
  if (x.isCell()) {
    std::vector<std::u16string> keys(n);
    for (std::size_t k = 0; k < n; ++k) {
      if (!x.cellAt(k).isChar())
        raise("The distinct elements of a cell can only be found when all of them are texts.");
      keys[k] = x.cellAt(k).u16();
    }
    return orderBy(
        n, [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; },
        [&](std::size_t a, std::size_t b) { return keys[a] == keys[b]; });
  }
  const Value v = toNumeric(x, "unique");
  auto isNan = [](std::complex<double> c) { return std::isnan(c.real()) || std::isnan(c.imag()); };
  const bool complex = v.isComplex();
  return orderBy(
      n,
      [&](std::size_t a, std::size_t b) {
        const auto p = v.cat(a), q = v.cat(b);
        if (isNan(p)) return false;
        if (isNan(q)) return true;
        if (!complex) return p.real() < q.real();
        const double mp = std::abs(p), mq = std::abs(q);
        if (mp != mq) return mp < mq;
        return std::arg(p) < std::arg(q);
      },
      // NaN equals nothing, so each one stays.
      [&](std::size_t a, std::size_t b) { return !isNan(v.cat(a)) && v.cat(a) == v.cat(b); });
}

}  // namespace

Unique unique(const Value& x, bool stable, bool lastPosition) {
  if (!isNumericLike(x) && !x.isCell())
    raise("The distinct elements can only be found of numbers, texts and cells of texts.");
  const std::size_t n = x.numel();
  const Ordering o = orderOf(x);
  // Each run of equal elements in the ascending order is one group: its
  // first and last positions in x, in that order.
  struct Group {
    std::size_t first, last;
  };
  std::vector<Group> groups;
  std::vector<std::size_t> groupOf(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t p = o.order[k];
    if (k == 0 || !o.sameAsPrevious[k]) groups.push_back({p, p});
    groups.back().last = p;
    groupOf[p] = groups.size() - 1;
  }
  std::vector<std::size_t> rank(groups.size());
  std::iota(rank.begin(), rank.end(), std::size_t{0});
  if (stable) {
    std::vector<std::size_t> byFirst = rank;
    std::sort(byFirst.begin(), byFirst.end(),
              [&](std::size_t a, std::size_t b) { return groups[a].first < groups[b].first; });
    for (std::size_t r = 0; r < byFirst.size(); ++r) rank[byFirst[r]] = r;
  }
  const std::size_t m = groups.size();
  Dims shape{m, 1};
  if (x.ndims() == 2 && x.rows() == 1) shape = {1, m};
  if (x.ndims() == 2 && x.rows() == 0 && x.cols() == 0) shape = {0, 0};
  Unique u{blankLike(x, shape), Value::numeric({m, 1}), Value::numeric({n, 1})};
  for (std::size_t g = 0; g < m; ++g) {
    const std::size_t pos = lastPosition ? groups[g].last : groups[g].first;
    copyElement(u.values, rank[g], x, pos);
    u.first.mutRe()[rank[g]] = static_cast<double>(pos + 1);
  }
  for (std::size_t p = 0; p < n; ++p)
    u.group.mutRe()[p] = static_cast<double>(rank[groupOf[p]] + 1);
  if (u.values.isComplex()) u.values.dropZeroImag();
  return u;
}

}  // namespace kh

#include "host/kernels/text/strmatch.h"

#include <vector>

#include "host/core/errors.h"

namespace kh {
namespace {

std::vector<std::u16string> entriesOf(const Value& strs) {
  std::vector<std::u16string> rows;
  if (strs.isCell()) {
    for (std::size_t i = 0; i < strs.numel(); ++i) {
      const Value& e = strs.cellAt(i);
      if (!e.isChar() && !e.isEmpty())
        raise("Requires character array or cell array of strings as inputs.");
      rows.push_back(e.u16());
    }
    return rows;
  }
  if (!strs.isChar() && !strs.isEmpty())
    raise("Requires character array or cell array of strings as inputs.");
  const std::size_t m = strs.rows(), n = strs.cols();
  for (std::size_t r = 0; r < m; ++r) {
    std::u16string s;
    for (std::size_t c = 0; c < n; ++c) s.push_back(strs.chr()[r + c * m]);
    rows.push_back(s);
  }
  return rows;
}

std::u16string trimTrailing(std::u16string s) {
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\0')) s.pop_back();
  return s;
}

}  // namespace

Value strmatch(const Value& str, const Value& strs, bool exact) {
  if (!str.isChar() && !str.isEmpty())
    raise("Requires character array or cell array of strings as inputs.");
  const std::u16string key = str.u16();
  std::vector<double> hits;
  const auto rows = entriesOf(strs);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::u16string& row = rows[r];
    const bool match = exact ? trimTrailing(row) == trimTrailing(key)
                             : row.size() >= key.size() && row.compare(0, key.size(), key) == 0;
    if (match) hits.push_back(static_cast<double>(r + 1));
  }
  return Value::column(hits);
}

}  // namespace kh

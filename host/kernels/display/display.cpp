#include "host/kernels/display/display.h"

#include <algorithm>

#include "host/core/interrupt.h"
#include "host/kernels/display/display_format.h"
#include "host/kernels/display/number_format.h"

namespace kh {

namespace {
// "@sin", "@(x) x + c".
std::string handleText(const Value& v) {
  const FunctionRef& f = v.functionRef();
  return "@" + (f.callable ? f.callable->text() : f.name);
}
}  // namespace
namespace {

constexpr std::size_t kTerminalWidth = 80;

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// "0-by-3" style size of an empty array.
std::string emptyText(const Dims& d) {
  std::string s;
  for (std::size_t k = 0; k < d.size(); ++k) s += (k ? "-by-" : "") + std::to_string(d[k]);
  return s;
}

// Rows of a numeric page, split into column chunks that fit the terminal.
std::string numericPage(const Value& v, std::size_t offset, std::size_t rows, std::size_t cols) {
  const NumberLayout lay = layoutNumbers(v, offset, rows, cols);
  std::string out;
  const char* gap = displayFormat().compact ? "" : "\n";
  if (!lay.scaleLine.empty()) out += lay.scaleLine + "\n" + gap;
  const std::size_t perChunk = std::max<std::size_t>(1, kTerminalWidth / lay.width);
  const bool split = cols > perChunk;
  for (std::size_t c0 = 0; c0 < cols; c0 += perChunk) {
    const std::size_t c1 = std::min(cols, c0 + perChunk);
    if (split) {
      if (c1 - c0 == 1)
        out += "  Column " + std::to_string(c0 + 1) + "\n" + gap;
      else
        out +=
            "  Columns " + std::to_string(c0 + 1) + " through " + std::to_string(c1) + "\n" + gap;
    }
    for (std::size_t r = 0; r < rows; ++r) {
      std::string line;
      for (std::size_t c = c0; c < c1; ++c) line += lay.cells[c * rows + r];
      out += line + "\n";
    }
    if (split && c1 < cols) out += gap;
  }
  return out;
}

std::string sizeWord(const Value& v, const char* cls) { return dimsText(v.dims()) + " " + cls; }

// A text, a cell or a structure as it appears inside a cell display or as
// a field of a structure display; empty for any other value.
std::string nestedItem(const Value& e) {
  if (e.isChar()) {
    if (e.isEmpty()) return "''";
    if (e.rows() == 1 && e.ndims() == 2) return "'" + e.utf8() + "'";
    return "[" + sizeWord(e, "char") + "]";
  }
  if (e.isCell()) return "{" + sizeWord(e, "cell") + "}";
  if (e.isStruct()) return "[" + sizeWord(e, "struct") + "]";
  return {};
}

// A value as it appears inside a cell display.
std::string cellItem(const Value& e, bool& rightAlign) {
  rightAlign = false;
  if (std::string t = nestedItem(e); !t.empty()) return t;
  if (e.isFunction()) return "[1x1 function_handle]";
  if (e.isPlaceholder() || e.isEmpty()) {
    if (e.dims() == Dims{0, 0} || e.isPlaceholder()) return "[]";
    return "[" + sizeWord(e, "double") + "]";
  }
  if (e.isScalar()) {
    rightAlign = true;
    return compactNumber(e.re()[0], e.im() ? e.im()[0] : 0, e.im() != nullptr);
  }
  return "[" + sizeWord(e, "double") + "]";
}

std::string cellBody(const Value& v) {
  if (v.isEmpty()) {
    if (v.dims() == Dims{0, 0}) return "     {}\n";
    return "   Empty cell array: " + emptyText(v.dims()) + "\n";
  }
  const std::size_t rows = v.rows(), cols = v.cols();
  std::vector<std::string> items(rows * cols);
  std::vector<bool> right(rows * cols);
  std::vector<std::size_t> width(cols, 0);
  for (std::size_t c = 0; c < cols; ++c) {
    for (std::size_t r = 0; r < rows; ++r) {
      pollEvery(c * rows + r);
      bool ra = false;
      items[c * rows + r] = cellItem(v.cellAt(c * rows + r), ra);
      right[c * rows + r] = ra;
      const std::size_t w = items[c * rows + r].size() + (ra ? 2 : 0);
      width[c] = std::max(width[c], w);
    }
  }
  std::string out;
  for (std::size_t r = 0; r < rows; ++r) {
    std::string line;
    for (std::size_t c = 0; c < cols; ++c) {
      const std::string& s = items[c * rows + r];
      line += "    ";
      if (right[c * rows + r]) {
        // Numbers sit right-aligned inside brackets as wide as the column.
        line += "[" + std::string(width[c] - 2 - s.size(), ' ') + s + "]";
      } else {
        line += s + std::string(width[c] - s.size(), ' ');
      }
    }
    out += rtrim(line) + "\n";
  }
  return out;
}

// A field value as it appears in a structure display.
std::string fieldItem(const Value& e) {
  if (std::string t = nestedItem(e); !t.empty()) return t;
  if (e.isFunction()) return handleText(e);
  if (e.isPlaceholder() || (e.isEmpty() && e.dims() == Dims{0, 0})) return "[]";
  if (e.isScalar()) return compactNumber(e.re()[0], e.im() ? e.im()[0] : 0, e.im() != nullptr);
  return "[" + sizeWord(e, "double") + "]";
}

std::string structBody(const Value& v) {
  const auto& names = v.fieldNames();
  if (!v.isScalar()) {
    std::string out = dimsText(v.dims()) + " struct array ";
    if (names.empty()) return out + "with no fields.\n";
    out += "with fields:\n";
    for (const std::string& n : names) out += "    " + n + "\n";
    return out;
  }
  std::size_t w = 0;
  for (const std::string& n : names) w = std::max(w, n.size());
  std::string out;
  for (std::size_t f = 0; f < names.size(); ++f)
    out += "    " + std::string(w - names[f].size(), ' ') + names[f] + ": " +
           fieldItem(v.fieldAt(0, f)) + "\n";
  return out;
}

std::string charBody(const Value& v, std::size_t offset) {
  std::string out;
  const std::size_t rows = v.rows(), cols = v.dim(1);
  const char16_t* c = v.chr() + offset;
  for (std::size_t r = 0; r < rows; ++r) {
    std::u16string line;
    for (std::size_t k = 0; k < cols; ++k) line += c[k * rows + r];
    out += toUtf8(line) + "\n";
  }
  return out;
}

// Index text "(:,:,2,1)" of page p of an N-d array.
std::string pageSuffix(const Dims& d, std::size_t p) {
  std::string s = "(:,:";
  for (std::size_t k = 2; k < d.size(); ++k) {
    s += "," + std::to_string(p % d[k] + 1);
    p /= d[k];
  }
  return s + ")";
}

bool isNdPaged(const Value& v) { return v.ndims() > 2 && !v.isEmpty(); }

}  // namespace

std::string formatDisplay(std::string_view name, const Value& v) {
  // Loose: a blank line after "x =" and after the value; compact: none.
  const std::string gap = displayFormat().compact ? "" : "\n";
  const std::string head = std::string(name) + " =\n" + gap;
  if (v.isCell()) return std::string(name) + " = \n" + gap + cellBody(v) + gap;
  if (v.isStruct()) return std::string(name) + " = \n" + gap + structBody(v) + gap;
  if (v.isFunction())
    return std::string(name) + " = \n" + gap + "    " + handleText(v) + "\n" + gap;
  if (v.isChar()) {
    if (v.isEmpty()) return head + "     ''\n" + gap;
    if (!isNdPaged(v)) return head + charBody(v, 0) + gap;
  }
  if (v.isPlaceholder() || v.isEmpty()) {
    if (v.isPlaceholder() || v.dims() == Dims{0, 0}) return head + "     []\n" + gap;
    return head + "   Empty matrix: " + emptyText(v.dims()) + "\n" + gap;
  }
  if (isNdPaged(v)) {
    const std::size_t page = v.rows() * v.dim(1);
    std::string out;
    for (std::size_t p = 0; p * page < v.numel(); ++p) {
      out += std::string(name) + pageSuffix(v.dims(), p) + " =\n" + gap;
      out += v.isChar() ? charBody(v, p * page) : numericPage(v, p * page, v.rows(), v.dim(1));
      out += gap;
    }
    return out;
  }
  return head + numericPage(v, 0, v.rows(), v.cols()) + gap;
}

std::string formatDisp(const Value& v) {
  if (v.isCell()) return v.isEmpty() ? std::string() : cellBody(v);
  if (v.isStruct()) return structBody(v);
  if (v.isFunction()) return "    " + handleText(v) + "\n";
  if (v.isPlaceholder() || v.isEmpty()) return "";
  if (v.isChar() && !isNdPaged(v)) return charBody(v, 0);
  if (isNdPaged(v)) {
    const std::size_t page = v.rows() * v.dim(1);
    std::string out;
    for (std::size_t p = 0; p * page < v.numel(); ++p)
      out += v.isChar() ? charBody(v, p * page) : numericPage(v, p * page, v.rows(), v.dim(1));
    return out;
  }
  return numericPage(v, 0, v.rows(), v.cols());
}

}  // namespace kh

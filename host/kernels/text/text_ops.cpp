#include "host/kernels/text/text_ops.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh {
namespace {

void appendRows(const Value& v, std::vector<std::u16string>& rows) {
  if (v.isCell()) {
    for (std::size_t i = 0; i < v.numel(); ++i) appendRows(v.cellAt(i), rows);
    return;
  }
  if (!v.isChar() && !v.isDouble())
    raise("Cannot convert a value of class " + className(v) + " to char.");
  if (v.ndims() > 2) raise("Arguments of char must be 2-D.");
  const std::size_t m = v.rows(), n = v.cols();
  if (v.isEmpty()) {
    rows.emplace_back();  // an empty text still gives a (blank) row
    return;
  }
  for (std::size_t i = 0; i < m; ++i) {
    std::u16string r(n, u' ');
    for (std::size_t j = 0; j < n; ++j) {
      if (v.isChar()) {
        r[j] = v.chr()[i + j * m];
      } else {
        const double x = v.re()[i + j * m];
        r[j] = charCode(x);
      }
    }
    rows.push_back(std::move(r));
  }
}

Value matrixOf(const std::vector<std::u16string>& rows) {
  std::size_t width = 0;
  for (const auto& r : rows) width = std::max(width, r.size());
  if (rows.empty() || width == 0) return Value::chars({rows.size(), 0});
  Value out = Value::chars({rows.size(), width});
  char16_t* c = out.mutChr();
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = 0; j < rows[i].size(); ++j) c[i + j * rows.size()] = rows[i][j];
  return out;
}

bool blankChar(char16_t c) { return c == u' ' || c == u'\0'; }

}  // namespace

Value charRows(Values args) {
  if (args.size() == 1 && !args[0].isCell()) {
    const Value& v = args[0];
    if (v.isChar()) return v;
    if (!v.isDouble()) raise("Cannot convert a value of class " + className(v) + " to char.");
    Value out = Value::chars(v.dims());
    char16_t* c = v.numel() ? out.mutChr() : nullptr;
    for (std::size_t i = 0; i < v.numel(); ++i) {
      const double x = v.re()[i];
      c[i] = charCode(x);
    }
    return out;
  }
  std::vector<std::u16string> rows;
  for (const Value& a : args) appendRows(a, rows);
  return matrixOf(rows);
}

Value deblank(const Value& s) {
  if (s.isCell()) {
    Value out = s;
    for (std::size_t i = 0; i < s.numel(); ++i) out.mutCellAt(i) = deblank(s.cellAt(i));
    return out;
  }
  if (s.isEmpty()) return s.isChar() ? s : Value::str(std::string_view(""));
  if (!s.isChar()) raise("Input must be a string or cell array of strings.");
  if (s.ndims() > 2) raise("Input must be 2-D.");
  const std::size_t m = s.rows(), n = s.cols();
  std::size_t keep = n;
  while (keep > 0) {
    bool blank = true;
    for (std::size_t i = 0; i < m && blank; ++i) blank = blankChar(s.chr()[i + (keep - 1) * m]);
    if (!blank) break;
    --keep;
  }
  if (keep == n) return s;
  Value out = Value::chars({m, keep});
  if (keep > 0) std::copy(s.chr(), s.chr() + m * keep, out.mutChr());
  return out;
}

ScanResult scanNumbers(const std::string& text, const std::string& format, std::size_t limit) {
  std::vector<double> vals;
  std::size_t pos = 0;
  std::string error;
  bool progress = true;
  auto skipSpace = [&] {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  };
  while (pos < text.size() && vals.size() < limit && progress && error.empty()) {
    progress = false;
    for (std::size_t i = 0; i < format.size() && vals.size() < limit; ++i) {
      const char f = format[i];
      if (std::isspace(static_cast<unsigned char>(f))) {
        skipSpace();
        continue;
      }
      if (f != '%' || i + 1 == format.size()) {
        if (pos < text.size() && text[pos] == f) {
          ++pos;
          continue;
        }
        goto done;
      }
      if (format[i + 1] == '%') {
        ++i;
        if (pos < text.size() && text[pos] == '%') {
          ++pos;
          continue;
        }
        goto done;
      }
      std::size_t j = i + 1;
      while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j]))) ++j;
      if (j < format.size() && format[j] == 'l') ++j;
      if (j >= format.size() || std::string_view("fgeEdi").find(format[j]) == std::string::npos)
        raise("Only numeric conversions (%f %g %e %d %i) can be read.");
      const bool integer = format[j] == 'd' || format[j] == 'i';
      i = j;
      skipSpace();
      if (pos >= text.size()) goto done;
      const char* begin = text.c_str() + pos;
      char* end = nullptr;
      const double x =
          integer ? static_cast<double>(std::strtoll(begin, &end, 10)) : std::strtod(begin, &end);
      if (end == begin) {
        error = "Matching failure in format.";
        goto done;
      }
      pos += static_cast<std::size_t>(end - begin);
      vals.push_back(x);
      progress = true;
    }
  }
done:
  ScanResult r;
  r.count = vals.size();
  r.values = vals.empty() ? Value::empty() : Value::column(vals);
  r.error = error;
  r.next = pos + 1;
  return r;
}

}  // namespace kh

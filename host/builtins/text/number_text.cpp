// Numbers read from text and written as text: str2double and mat2str.
#include <cctype>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/builtins/text/text.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh::builtin {
namespace {

using cplx = std::complex<double>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A reader of one number written as text: an optional sign, digits (commas
// may separate groups of them), an optional fraction and exponent (e, E, d
// or D), or Inf or NaN in any case; an imaginary part ends in i or j.
class NumberReader {
 public:
  explicit NumberReader(std::string s) : s_(std::move(s)) {}

  // The whole text as a number, or nothing when it is not exactly one.
  std::optional<cplx> read() {
    skipBlanks();
    const double sign1 = sign();
    std::optional<double> a = magnitude();
    if (unit()) {
      // "2i", "-i": only an imaginary part.
      skipBlanks();
      if (!atEnd()) return std::nullopt;
      return cplx(0.0, sign1 * a.value_or(1.0));
    }
    if (!a) return std::nullopt;
    skipBlanks();
    if (atEnd()) return cplx(sign1 * *a, 0.0);
    if (peek() != '+' && peek() != '-') return std::nullopt;
    const double sign2 = sign();
    skipBlanks();
    const std::optional<double> b = magnitude();
    if (!unit()) return std::nullopt;
    skipBlanks();
    if (!atEnd()) return std::nullopt;
    return cplx(sign1 * *a, sign2 * b.value_or(1.0));
  }

 private:
  bool atEnd() const { return p_ >= s_.size(); }
  char peek() const { return atEnd() ? '\0' : s_[p_]; }
  static bool digit(char c) { return c >= '0' && c <= '9'; }
  void skipBlanks() {
    while (!atEnd() && (s_[p_] == ' ' || (s_[p_] >= '\t' && s_[p_] <= '\r'))) ++p_;
  }
  double sign() {
    if (peek() == '+' || peek() == '-') return s_[p_++] == '-' ? -1.0 : 1.0;
    return 1.0;
  }
  bool word(const char* w) {
    std::size_t k = 0;
    for (; w[k]; ++k)
      if (p_ + k >= s_.size() || std::tolower(static_cast<unsigned char>(s_[p_ + k])) != w[k])
        return false;
    p_ += k;
    return true;
  }
  bool unit() {
    if (peek() != 'i' && peek() != 'j') return false;
    ++p_;
    return true;
  }
  // An unsigned number, or nothing (the position unchanged) when none
  // starts here.
  std::optional<double> magnitude() {
    if (word("inf")) {
      word("inity");
      return std::numeric_limits<double>::infinity();
    }
    if (word("nan")) return kNaN;
    const std::size_t start = p_;
    std::string clean;
    while (digit(peek()) ||
           (peek() == ',' && !clean.empty() && p_ + 1 < s_.size() && digit(s_[p_ + 1]))) {
      if (s_[p_] != ',') clean += s_[p_];
      ++p_;
    }
    bool digits = !clean.empty();
    if (peek() == '.') {
      clean += s_[p_++];
      while (digit(peek())) {
        clean += s_[p_++];
        digits = true;
      }
    }
    if (!digits) {
      p_ = start;
      return std::nullopt;
    }
    if (peek() == 'e' || peek() == 'E' || peek() == 'd' || peek() == 'D') {
      std::size_t q = p_ + 1;
      if (q < s_.size() && (s_[q] == '+' || s_[q] == '-')) ++q;
      if (q < s_.size() && digit(s_[q])) {
        clean += 'e';
        clean.append(s_, p_ + 1, q - p_ - 1);
        p_ = q;
        while (digit(peek())) clean += s_[p_++];
      }
    }
    return std::strtod(clean.c_str(), nullptr);
  }

  std::string s_;
  std::size_t p_ = 0;
};

cplx numberOf(const std::u16string& text) {
  std::string s;
  for (char16_t c : text) {
    if (c == 0 || c > 127) return {kNaN, 0.0};
    s += static_cast<char>(c);
  }
  return NumberReader(std::move(s)).read().value_or(cplx(kNaN, 0.0));
}

}  // namespace

// str2double(s): the number a text holds, NaN when it holds anything else;
// of a cell, an array of the cell's size (NaN for elements that are not
// texts); of a character matrix, a column with a number per row; of any
// other value, NaN.
void str2double(Call& call) {
  const Values args = call.args();
  call.counts(1, 1);
  const Value& x = args[0];
  std::vector<cplx> numbers;
  Dims dims{1, 1};
  if (x.isCell()) {
    dims = x.dims();
    for (std::size_t k = 0; k < x.numel(); ++k) {
      const Value& e = x.cellAt(k);
      numbers.push_back(e.isChar() && e.rows() <= 1 ? numberOf(e.u16()) : cplx(kNaN, 0.0));
    }
  } else if (x.isChar() && x.rows() > 1 && x.ndims() == 2) {
    dims = {x.rows(), 1};
    for (std::size_t i = 0; i < x.rows(); ++i) numbers.push_back(numberOf(toU16(x.rowUtf8(i))));
  } else {
    numbers.push_back(x.isChar() ? numberOf(x.u16()) : cplx(kNaN, 0.0));
  }
  bool complex = false;
  for (const cplx& c : numbers) complex = complex || c.imag() != 0.0;
  Value r = Value::numeric(dims, complex);
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    r.mutRe()[k] = numbers[k].real();
    if (complex) r.mutIm()[k] = numbers[k].imag();
  }
  return giveAll(call, {r});
}

namespace {

std::string realText(double v, int digits) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
  if (v == 0) return "0";  // negative zero too
  char buf[160];           // 100 digits, sign, point and exponent at most
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  return buf;
}

std::string elementText(const Value& x, std::size_t k, int digits) {
  if (x.isLogical()) return x.re()[k] != 0 ? "true" : "false";
  const cplx c = x.cat(k);
  if (!x.isComplex()) return realText(c.real(), digits);
  const std::string im = realText(c.imag(), digits);
  const bool negative = std::signbit(c.imag()) && !std::isnan(c.imag()) && c.imag() != 0;
  return realText(c.real(), digits) + (negative ? "" : "+") + im + "i";
}

std::string quoted(const std::string& row) {
  std::string q = "'";
  for (char c : row) q += c == '\'' ? "''" : std::string(1, c);
  return q + "'";
}

}  // namespace

// mat2str(x, n): the text that, evaluated, gives x back: numbers with up to
// n significant digits (15 by default), logical values as true and false,
// a text in quotes; rows separated by ';', brackets around all but a single
// element.
void mat2str(Call& call) {
  const Values args = call.args();
  call.counts(1, 2);
  const Value& x = args[0];
  if (!x.isDouble() && !x.isChar())
    raise("mat2str writes numbers, logical values and texts; the argument is of class '" +
          className(x) + "'.");
  if (x.ndims() > 2) raise("mat2str writes two-dimensional arrays only.");
  int digits = 15;
  if (args.size() > 1) {
    const double n = scalarArg(args[1], "The precision");
    if (!(n >= 1 && n <= 100) || n != std::floor(n))
      raise("The precision must be a whole number from 1 to 100.");
    digits = static_cast<int>(n);
  }
  const std::size_t m = x.rows(), n = x.cols();
  if (x.isChar()) {
    if (m <= 1) return giveAll(call, {Value::str(std::string_view(quoted(x.utf8())))});
    std::string out = "[";
    for (std::size_t i = 0; i < m; ++i) {
      if (i) out += ';';
      out += quoted(x.rowUtf8(i));
    }
    return giveAll(call, {Value::str(std::string_view(out + "]"))});
  }
  if (x.isEmpty()) {
    if (m == 0 && n == 0) return giveAll(call, {Value::str("[]")});
    return giveAll(call, {Value::str(std::string_view("zeros(" + std::to_string(m) + "," +
                                                      std::to_string(n) + ")"))});
  }
  if (x.numel() == 1)
    return giveAll(call, {Value::str(std::string_view(elementText(x, 0, digits)))});
  std::string out = "[";
  for (std::size_t i = 0; i < m; ++i) {
    if (i) out += ';';
    for (std::size_t j = 0; j < n; ++j) {
      if (j) out += ' ';
      out += elementText(x, i + j * m, digits);
    }
  }
  return giveAll(call, {Value::str(std::string_view(out + "]"))});
}

namespace {

const bool kRegistered = [] {
  registerBuiltin("str2double", str2double);
  registerBuiltin("mat2str", mat2str);
  return true;
}();

}  // namespace
}  // namespace kh::builtin

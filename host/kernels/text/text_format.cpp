#include "host/kernels/text/text_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <variant>

#include "host/core/errors.h"

namespace kh {
namespace {

// One element to format: a whole text (for %s) or a number.
using Item = std::variant<std::string, double>;

std::vector<Item> itemsOf(Values args) {
  std::vector<Item> items;
  for (const Value& a : args) {
    if (a.isChar()) {
      items.emplace_back(a.utf8());
    } else if (a.isDouble()) {
      for (std::size_t i = 0; i < a.numel(); ++i) items.emplace_back(a.re()[i]);
    } else {
      raise("Only numbers and texts can be formatted; " + className(a) + " cannot.");
    }
  }
  return items;
}

std::string unescape(const std::string& f) {
  std::string out;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '\\' || i + 1 == f.size()) {
      out += f[i];
      continue;
    }
    const char c = f[++i];
    switch (c) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'a':
        out += '\a';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'v':
        out += '\v';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += '\\';
        out += c;
    }
  }
  return out;
}

std::string cformat(const std::string& pattern, auto... values) {
  const int n = std::snprintf(nullptr, 0, pattern.c_str(), values...);
  std::string s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  std::snprintf(s.data(), s.size() + 1, pattern.c_str(), values...);
  return s;
}

// The widest field and the longest precision a conversion may ask for: a
// format is a person's text, and '%2000000000d' is a slip, not a request
// for two gigabytes of blanks.
constexpr std::size_t kMaxFieldWidth = 100000;

void checkFieldSizes(const std::string& flags) {
  std::size_t n = 0;
  for (char c : flags) {
    if (c >= '0' && c <= '9') {
      n = n * 10 + static_cast<std::size_t>(c - '0');
      if (n > kMaxFieldWidth)
        raise("A field width or precision in a format is at most " +
              std::to_string(kMaxFieldWidth) + ".");
    } else {
      n = 0;
    }
  }
}

// The flags and width of a conversion without its precision.
std::string widthOf(const std::string& flags) { return flags.substr(0, flags.find('.')); }

// The fewest digits after the point with which %e writes x so that it
// reads back as x.
int shortestDigits(double x) {
  char buf[64];
  for (int p = 0; p < 17; ++p) {
    std::snprintf(buf, sizeof buf, "%.*e", p, x);
    if (std::strtod(buf, nullptr) == x) return p;
  }
  return 17;
}

std::string nonFinite(double x) { return std::isnan(x) ? "NaN" : (x > 0 ? "Inf" : "-Inf"); }

// Writes one conversion; `flags` holds everything between '%' and the letter.
std::string convert(const std::string& flags, char conv, const Item& item) {
  if (conv == 's' || conv == 'c') {
    std::string text;
    if (const auto* s = std::get_if<std::string>(&item)) {
      text = *s;
    } else {
      const double x = std::get<double>(item);
      // A whole number is a character code; any other number is written
      // in exponent form.
      if (std::isfinite(x) && x >= 0 && x < 65536 && x == std::floor(x))
        text = toUtf8(std::u16string(1, static_cast<char16_t>(x)));
      else
        text = std::isfinite(x) ? cformat("%e", x) : nonFinite(x);
    }
    return cformat("%" + flags + "s", text.c_str());
  }
  double x;
  if (const auto* s = std::get_if<std::string>(&item)) {
    // A text under a numeric conversion: one character is its code,
    // a longer text is written as it is.
    if (s->size() != 1) return cformat("%" + flags + "s", s->c_str());
    x = static_cast<unsigned char>((*s)[0]);
  } else {
    x = std::get<double>(item);
  }
  if (!std::isfinite(x)) {
    // Strip the precision: Inf and NaN take the width only.
    std::string w;
    for (char c : flags) {
      if (c == '.') break;
      w += c;
    }
    return cformat("%" + w + "s", nonFinite(x).c_str());
  }
  switch (conv) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
      if (x != std::floor(x)) return cformat("%" + flags + "e", x);  // not an integer
      // A whole number the conversion can write exactly: %d and %i take
      // -2^63 <= x < 2^63, the unsigned ones 0 <= x < 2^64. Any other is
      // written in exponent form with as many digits as it needs to read
      // back exactly (1e+300, 9.223372036854776e+18).
      constexpr double kTwo63 = 9223372036854775808.0, kTwo64 = 18446744073709551616.0;
      const bool sign = conv == 'd' || conv == 'i';
      if (sign && x >= -kTwo63 && x < kTwo63)
        return cformat("%" + flags + "lld", static_cast<long long>(x));
      if (!sign && conv == 'u' && x >= 0 && x < kTwo64)
        return cformat("%" + flags + "llu", static_cast<unsigned long long>(x));
      if (!sign && conv != 'u' && x >= 0 && x < kTwo64)
        return cformat("%" + flags + "ll" + conv, static_cast<unsigned long long>(x));
      return cformat(widthOf(flags).insert(0, 1, '%').append(".*e"), shortestDigits(x), x);
    }
    default:
      return cformat("%" + flags + conv, x);
  }
}

}  // namespace

std::string formatText(const std::string& format, Values args) {
  const std::string f = unescape(format);
  const std::vector<Item> items = itemsOf(args);
  std::string out;
  std::size_t next = 0;
  for (;;) {
    bool consumed = false;
    for (std::size_t i = 0; i < f.size(); ++i) {
      if (f[i] != '%') {
        out += f[i];
        continue;
      }
      if (i + 1 < f.size() && f[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      std::size_t j = i + 1;
      while (j < f.size() && std::string_view("-+ #0123456789.").find(f[j]) != std::string::npos)
        ++j;
      if (j >= f.size()) {
        out += f.substr(i);
        break;
      }
      const char conv = f[j];
      if (std::string_view("diuxXofeEgGcs").find(conv) == std::string::npos) {
        out += f.substr(i, j - i + 1);
        i = j;
        continue;
      }
      const std::string flags = f.substr(i + 1, j - i - 1);
      checkFieldSizes(flags);
      i = j;
      if (next >= items.size()) {
        // Arguments used up: the output stops here (the literal text before
        // the first conversion is still written when there were none).
        if (!items.empty() || consumed) return out;
        // No arguments at all: conversions print nothing.
        continue;
      }
      out += convert(flags, conv, items[next++]);
      consumed = true;
    }
    if (!consumed || next >= items.size()) return out;
  }
}

}  // namespace kh

#include "host/kernels/display/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/core/interrupt.h"
#include "host/kernels/display/display_format.h"

namespace kh {
namespace {

constexpr double kIntLimit = 1e9;

std::string printf1(const char* fmt, int digits, double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, digits, x);
  return buf;
}

// Integer text; -0 is written as 0.
std::string intText(double x) { return printf1("%.*f", 0, x + 0.0); }

std::string nonFinite(double x) {
  if (std::isnan(x)) return "NaN";
  return x > 0 ? "Inf" : "-Inf";
}

bool isInt(double x) { return std::isfinite(x) && x == std::floor(x); }

std::string padLeft(const std::string& s, std::size_t w) {
  return s.size() >= w ? s : std::string(w - s.size(), ' ') + s;
}

// The digits of the current style: decimals of the fixed styles,
// significant digits of the g styles.
struct Style {
  bool g = false;
  int digits = 4;
  double fixedBelow = 1000;  // a scale factor (or exponent form) from here up
  std::size_t width = 10;    // the narrowest column of decimals
};

Style currentStyle() {
  switch (displayFormat().style) {
    case NumberStyle::Long:
      return {false, 15, 100, 20};
    case NumberStyle::ShortG:
      return {true, 5, 0, 13};
    case NumberStyle::LongG:
      return {true, 15, 0, 25};
    case NumberStyle::Short:
      break;
  }
  return {};
}

// x with the style's digits: fixed decimals, or the shorter of fixed and
// exponent form for the g styles. Exact zeros and non-finite values bare.
std::string decimals(double x, const Style& st) {
  if (!std::isfinite(x)) return nonFinite(x);
  if (x == 0) return "0";
  return printf1(st.g ? "%.*g" : "%.*f", st.digits, x);
}

}  // namespace

std::string compactNumber(double re, double im, bool complex) {
  const Style st = currentStyle();
  auto one = [&](double x) -> std::string {
    if (!std::isfinite(x)) return nonFinite(x);
    if (isInt(x) && std::fabs(x) < kIntLimit) return intText(x);
    if (st.g) return printf1("%.*g", st.digits, x);
    const double a = std::fabs(x);
    if (a >= 0.001 && a < st.fixedBelow) return printf1("%.*f", st.digits, x);
    return printf1("%.*e", st.digits, x);
  };
  if (!complex) return one(re);
  auto part = [&](double x) -> std::string {
    if (!std::isfinite(x)) return nonFinite(x);
    if (st.g) return printf1("%.*g", st.digits, x);
    const double a = std::fabs(x);
    if (a == 0 || (a >= 0.001 && a < 1e5)) return printf1("%.*f", st.digits, x);
    return printf1("%.*e", st.digits, x);
  };
  const std::string r = part(re);
  std::string i = part(std::fabs(im));
  if (std::isnan(im)) i = "NaN";
  return r + (std::signbit(im) && !std::isnan(im) ? " - " : " + ") + i + "i";
}

NumberLayout layoutNumbers(const Value& v, std::size_t offset, std::size_t rows, std::size_t cols) {
  const Style st = currentStyle();
  NumberLayout out;
  const std::size_t n = rows * cols;
  const double* re = v.re() + offset;
  const double* im = v.im() ? v.im() + offset : nullptr;
  bool allInt = true;
  double maxAbs = 0;
  for (std::size_t i = 0; i < n; ++i) {
    pollEvery(i);
    for (double x : {re[i], im ? im[i] : 0.0}) {
      if (!std::isfinite(x)) continue;
      if (!isInt(x)) allInt = false;
      maxAbs = std::max(maxAbs, std::fabs(x));
    }
  }
  if (maxAbs >= kIntLimit) allInt = false;

  if (!im && allInt) {
    // Integers, in every style: right-aligned in columns of 6, or 12 for 4
    // digits and more.
    out.width = maxAbs >= 1000 ? 12 : 6;
    for (std::size_t i = 0; i < n; ++i) {
      pollEvery(i);
      const std::string s = std::isfinite(re[i]) ? intText(re[i]) : nonFinite(re[i]);
      out.cells.push_back(padLeft(s, out.width));
    }
    return out;
  }

  // Fixed styles: a common power-of-ten factor when the largest magnitude
  // is past the style's fixed range, or below 0.001. The g styles write
  // every number as it is.
  double scale = 1;
  if (!st.g && maxAbs > 0 && (maxAbs >= st.fixedBelow || maxAbs < 0.001)) {
    scale = std::pow(10.0, std::floor(std::log10(maxAbs)));
    out.scaleLine = "  " + printf1("%.*e", 1, scale) + " *";
  }
  if (!im) {
    if (n == 1 && scale != 1 && std::isfinite(re[0])) {
      // A lone number is written in exponent form rather than scaled.
      out.scaleLine.clear();
      const std::string s = printf1("%.*e", st.digits, re[0]);
      out.width = std::max<std::size_t>(st.width + 2, s.size() + 2);
      out.cells.push_back(padLeft(s, out.width));
      return out;
    }
    // Columns of the style's width; wider only when a value needs it
    // (keeping the blanks between columns).
    out.width = st.width;
    const std::size_t gap = st.g ? 3 : 2;
    for (std::size_t i = 0; i < n; ++i) {
      pollEvery(i);
      out.cells.push_back(decimals(re[i] / scale, st));
      out.width = std::max(out.width, out.cells.back().size() + gap);
    }
    for (std::string& c : out.cells) c = padLeft(c, out.width);
    return out;
  }
  std::vector<std::string> rs, is;
  std::vector<bool> neg;
  std::size_t rw = 0, iw = 0;
  for (std::size_t i = 0; i < n; ++i) {
    pollEvery(i);
    auto f = [&](double x) {
      return std::isfinite(x) ? printf1(st.g ? "%.*g" : "%.*f", st.digits, x) : nonFinite(x);
    };
    rs.push_back(f(re[i] / scale));
    const double y = im[i] / scale;
    neg.push_back(std::signbit(y) && !std::isnan(y));
    is.push_back(f(std::fabs(y)));
    rw = std::max(rw, rs.back().size());
    iw = std::max(iw, is.back().size());
  }
  rw += 3;
  for (std::size_t i = 0; i < n; ++i) {
    std::string imag = is[i];
    imag = std::string(iw - imag.size(), ' ') + imag;
    out.cells.push_back(padLeft(rs[i], rw) + (neg[i] ? " - " : " + ") + imag + "i");
  }
  out.width = rw + 3 + iw + 1;
  return out;
}

}  // namespace kh

#include "host/shell/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/context/interrupt.h"

namespace kh {
namespace {

constexpr double kIntLimit = 1e9;

std::string printf1(const char* fmt, double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, x);
  return buf;
}

// Integer text; -0 is written as 0.
std::string intText(double x) { return printf1("%.0f", x + 0.0); }

std::string nonFinite(double x) {
  if (std::isnan(x)) return "NaN";
  return x > 0 ? "Inf" : "-Inf";
}

bool isInt(double x) { return std::isfinite(x) && x == std::floor(x); }

std::string padLeft(const std::string& s, std::size_t w) {
  return s.size() >= w ? s : std::string(w - s.size(), ' ') + s;
}

// Fixed text of x (already divided by the scale) with four decimals; exact
// zeros and non-finite values are written bare.
std::string fixed4(double x) {
  if (!std::isfinite(x)) return nonFinite(x);
  if (x == 0) return "0";
  return printf1("%.4f", x);
}

}  // namespace

std::string compactNumber(double re, double im, bool complex) {
  auto one = [](double x) -> std::string {
    if (!std::isfinite(x)) return nonFinite(x);
    if (isInt(x) && std::fabs(x) < kIntLimit) return intText(x);
    const double a = std::fabs(x);
    if (a >= 0.001 && a < 1000) return printf1("%.4f", x);
    return printf1("%.4e", x);
  };
  if (!complex) return one(re);
  auto four = [](double x) -> std::string {
    if (!std::isfinite(x)) return nonFinite(x);
    const double a = std::fabs(x);
    if (a == 0 || (a >= 0.001 && a < 1e5)) return printf1("%.4f", x);
    return printf1("%.4e", x);
  };
  const std::string r = four(re);
  std::string i = four(std::fabs(im));
  if (std::isnan(im)) i = "NaN";
  return r + (std::signbit(im) && !std::isnan(im) ? " - " : " + ") + i + "i";
}

NumberLayout layoutNumbers(const Value& v, std::size_t offset, std::size_t rows, std::size_t cols) {
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
    // Integers: right-aligned in columns of 6, or 12 for 4 digits and more.
    out.width = maxAbs >= 1000 ? 12 : 6;
    for (std::size_t i = 0; i < n; ++i) {
      pollEvery(i);
      const std::string s = std::isfinite(re[i]) ? intText(re[i]) : nonFinite(re[i]);
      out.cells.push_back(padLeft(s, out.width));
    }
    return out;
  }

  // Decimals: four of them, with a common power-of-ten factor when the
  // largest magnitude is 1000 or more, or below 0.001.
  double scale = 1;
  if (maxAbs > 0 && (maxAbs >= 1000 || maxAbs < 0.001)) {
    scale = std::pow(10.0, std::floor(std::log10(maxAbs)));
    out.scaleLine = "  " + printf1("%.1e", scale) + " *";
  }
  if (!im) {
    if (n == 1 && scale != 1 && std::isfinite(re[0])) {
      // A lone number is written in exponent form rather than scaled.
      out.scaleLine.clear();
      out.width = 12;
      out.cells.push_back(padLeft(printf1("%.4e", re[0]), out.width));
      return out;
    }
    // Columns of 10; wider only when a value needs it (keeping a blank).
    out.width = 10;
    for (std::size_t i = 0; i < n; ++i) {
      pollEvery(i);
      out.cells.push_back(fixed4(re[i] / scale));
      out.width = std::max(out.width, out.cells.back().size() + 2);
    }
    for (std::string& c : out.cells) c = padLeft(c, out.width);
    return out;
  }
  std::vector<std::string> rs, is;
  std::vector<bool> neg;
  std::size_t rw = 0, iw = 0;
  for (std::size_t i = 0; i < n; ++i) {
    pollEvery(i);
    auto f = [](double x) { return std::isfinite(x) ? printf1("%.4f", x) : nonFinite(x); };
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

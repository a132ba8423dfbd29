#include "bench/pulse_floor.h"

#include <cmath>

namespace floorplan {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Mean over the window [i-n, i+n] without its middle [i-p+1, i+p-1], the
// record taken as zero outside; then, with outliers replaced by that mean,
// the plain mean over [i-n, i+n].
std::vector<double> tpsw(const std::vector<double>& x, std::size_t n, std::size_t p, double a) {
  const std::size_t len = x.size();
  std::vector<double> prefix(len + 1, 0.0);
  auto windowSum = [&](const std::vector<double>& pre, long lo, long hi) {
    lo = lo < 0 ? 0 : lo;
    hi = hi >= static_cast<long>(len) ? static_cast<long>(len) - 1 : hi;
    return hi < lo ? 0.0
                   : pre[static_cast<std::size_t>(hi) + 1] - pre[static_cast<std::size_t>(lo)];
  };
  for (std::size_t i = 0; i < len; ++i) prefix[i + 1] = prefix[i] + x[i];
  const double outer = 2.0 * static_cast<double>(n - p + 1);
  std::vector<double> clipped(x);
  for (std::size_t i = 0; i < len; ++i) {
    const long c = static_cast<long>(i), ln = static_cast<long>(n), lp = static_cast<long>(p);
    const double mx =
        (windowSum(prefix, c - ln, c + ln) - windowSum(prefix, c - lp + 1, c + lp - 1)) / outer;
    if (std::fabs(x[i] - mx) > std::fabs(mx - a * mx)) clipped[i] = mx;
  }
  for (std::size_t i = 0; i < len; ++i) prefix[i + 1] = prefix[i] + clipped[i];
  std::vector<double> out(len);
  const double all = static_cast<double>(2 * n + 1);
  for (std::size_t i = 0; i < len; ++i) {
    const long c = static_cast<long>(i), ln = static_cast<long>(n);
    out[i] = windowSum(prefix, c - ln, c + ln) / all;
  }
  return out;
}

std::size_t halfWindow(double w) { return static_cast<std::size_t>(std::floor(w / 2 + 0.5)); }

// Cross-fades the large window's estimate into `other` over [from, from +
// 2*fade + width), ramping in over the first fade samples and out over the last.
void blend(std::vector<double>& large, const std::vector<double>& other, long from, long width) {
  constexpr long kFade = 20;
  const long count = 2 * kFade + width;
  if (from + count > static_cast<long>(large.size())) return;
  for (long k = 0; k < count; ++k) {
    double w = 1.0;
    if (k < kFade) w = static_cast<double>(k) / kFade;
    if (k >= kFade + width) w = static_cast<double>(count - 1 - k) / kFade;
    const auto i = static_cast<std::size_t>(from + k);
    large[i] = (1 - w) * large[i] + w * other[i];
  }
}

std::vector<double> splice(const std::vector<double>& x, const Settings& s) {
  const std::vector<double> small = tpsw(x, halfWindow(s.nsmall), 5, 2);
  const std::vector<double> medium = tpsw(x, halfWindow(s.nmedium), 5, 2);
  std::vector<double> out = tpsw(x, halfWindow(s.nlarge), 5, 2);
  const long t1 = static_cast<long>(s.t1), w1 = static_cast<long>(s.t2 - s.t1),
             w2 = static_cast<long>(s.t3 - s.t2);
  blend(out, small, t1 - 20 - 1, w1);
  blend(out, medium, t1 + w1 - 20 - 1, w2);
  // The record's end tapered by the falling half of a 2049-point Hann window.
  constexpr std::size_t kTaper = 2049, kTail = 1025;
  const std::size_t len = out.size();
  for (std::size_t k = 0; k < kTail && k < len; ++k) {
    const double j = static_cast<double>(kTaper - kTail + 1 + k);
    out[len - kTail + k] *= 0.5 * (1 - std::cos(2 * kPi * j / (kTaper + 1)));
  }
  return out;
}

// Least-squares quadratic through (t, y), t = 1..m, by Householder QR of the
// Vandermonde matrix, evaluated back at t: what the fit of one block does.
void fitBlock(const double* y, std::size_t m, const double* weight, double* out, double* work) {
  double* V = work;  // m-by-3, column major: t^2, t, 1
  double* r = work + 3 * m;
  for (std::size_t i = 0; i < m; ++i) {
    const double t = static_cast<double>(i + 1);
    V[i] = t * t;
    V[m + i] = t;
    V[2 * m + i] = 1;
    r[i] = y[i];
  }
  double R[3][3] = {};
  for (std::size_t k = 0; k < 3; ++k) {
    double* v = V + k * m;
    double norm = 0;
    for (std::size_t i = k; i < m; ++i) norm += v[i] * v[i];
    norm = std::sqrt(norm);
    const double alpha = v[k] > 0 ? -norm : norm;
    v[k] -= alpha;
    double vv = 0;
    for (std::size_t i = k; i < m; ++i) vv += v[i] * v[i];
    auto reflect = [&](double* c) {
      double d = 0;
      for (std::size_t i = k; i < m; ++i) d += v[i] * c[i];
      const double f = 2 * d / vv;
      for (std::size_t i = k; i < m; ++i) c[i] -= f * v[i];
    };
    for (std::size_t j = k + 1; j < 3; ++j) reflect(V + j * m);
    reflect(r);
    R[k][k] = alpha;
    for (std::size_t j = k + 1; j < 3; ++j) R[k][j] = V[j * m + k];
  }
  double p[3];
  for (int k = 2; k >= 0; --k) {
    double s = r[k];
    for (int j = k + 1; j < 3; ++j) s -= R[k][j] * p[j];
    p[k] = s / R[k][k];
  }
  for (std::size_t i = 0; i < m; ++i) {
    const double t = static_cast<double>(i + 1);
    out[i] += ((p[0] * t + p[1]) * t + p[2]) * weight[i];
  }
}

std::vector<double> piecefit(const std::vector<double>& x, double winl) {
  auto seg = static_cast<std::size_t>(std::floor(winl + 0.5));
  while (seg % 4) --seg;
  const std::size_t sp = seg * 3 / 4, step = seg - sp;
  std::vector<double> w(seg), work(4 * seg), out(x.size(), 0.0);
  for (std::size_t k = 0; k < seg; ++k)
    w[k] =
        0.25 * (1 - std::cos(2 * kPi * static_cast<double>(k + 1) / static_cast<double>(seg + 1)));
  const std::size_t blocks = (x.size() - sp) / step;
  for (std::size_t b = 0; b < blocks; ++b)
    fitBlock(x.data() + b * step, seg, w.data(), out.data() + b * step, work.data());
  return out;
}

}  // namespace

std::vector<double> pulseEstimate(const std::vector<double>& x, const Settings& s) {
  std::vector<double> pe = splice(x, s);
  return s.fit ? piecefit(pe, s.lpoly) : pe;
}

}  // namespace floorplan

// Independent reference for the TPSW estimator and its splicing, written
// from the mathematics with plain loops and direct sums: nothing here calls
// the library or the host's run-time.
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace ref {

// Correlation of x with an odd-length kernel h centred on each sample;
// samples beyond the ends count as zero.
inline std::vector<double> centredCorrelation(const std::vector<double>& h,
                                              const std::vector<double>& x) {
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(x.size());
  const std::ptrdiff_t half = static_cast<std::ptrdiff_t>(h.size()) / 2;
  std::vector<double> y(x.size(), 0.0);
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    double acc = 0;
    for (std::ptrdiff_t j = -half; j <= half; ++j) {
      const double w = h[static_cast<std::size_t>(j + half)];
      const std::ptrdiff_t k = i + j;
      acc += w * (k >= 0 && k < n ? x[static_cast<std::size_t>(k)] : 0.0);
    }
    y[static_cast<std::size_t>(i)] = acc;
  }
  return y;
}

// Two-pass split-window estimate of x (a column) with half-length n, gap
// half-width p and threshold factor a.
inline std::vector<double> tpswma(std::vector<double> x, int n, int p, double a) {
  const int side = n - p + 1 > 0 ? n - p + 1 : 0;
  const int gap = 2 * p - 1 > 0 ? 2 * p - 1 : 0;
  std::vector<double> h;
  for (int k = 0; k < side; ++k) h.push_back(1);
  for (int k = 0; k < gap; ++k) h.push_back(0);
  for (int k = 0; k < side; ++k) h.push_back(1);
  const double norm1 = 2.0 * side;
  for (double& w : h) w /= norm1;  // 0/0 gives NaN taps when there are no ones
  const std::vector<double> mx = centredCorrelation(h, x);
  for (std::size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i] - mx[i]) > std::fabs(mx[i] - a * mx[i])) x[i] = mx[i];
  const std::vector<double> h2(h.size(), 1.0 / static_cast<double>(h.size()));
  return centredCorrelation(h2, x);
}

// The symmetric Hann window of n points.
inline std::vector<double> hann(int n) {
  std::vector<double> w(static_cast<std::size_t>(n));
  for (int k = 1; k <= n; ++k)
    w[static_cast<std::size_t>(k - 1)] = 0.5 * (1 - std::cos(2 * M_PI * k / (n + 1)));
  return w;
}

// Splicing of the small, medium and large estimates from each click on
// (1-based clicks), with 20-sample cross-fades and the end taper.
inline std::vector<double> spliceTpsw(const std::vector<double>& x, const std::vector<int>& clicks,
                                      const double wl[3], const int wt[2]) {
  std::vector<double> est[3];
  for (int k = 0; k < 3; ++k) est[k] = tpswma(x, static_cast<int>(std::round(wl[k] / 2)), 5, 2);
  const std::ptrdiff_t le = static_cast<std::ptrdiff_t>(x.size());
  std::vector<double>& out = est[2];
  const int fade = 20;
  // Weight of stretch sample j (0-based) of a blend of `len` samples.
  auto weight = [&](int j, int len) {
    if (j < fade) return j / 20.0;
    if (j >= fade + len) return (fade - 1 - (j - fade - len)) / 20.0;
    return 1.0;
  };
  for (int c : clicks) {
    const int starts[2] = {c, c + wt[0]};
    for (int s = 0; s < 2; ++s) {
      const int first = starts[s] - fade;  // 1-based
      const int count = 2 * fade + wt[s];
      if (first + count - 1 > le) continue;
      for (int j = 0; j < count; ++j) {
        const std::size_t i = static_cast<std::size_t>(first + j - 1);
        const double w = weight(j, wt[s]);
        out[i] = (1 - w) * out[i] + w * est[s][i];
      }
    }
  }
  const std::vector<double> win = hann(2049);
  for (int j = 0; j < 1025; ++j)
    out[static_cast<std::size_t>(le - 1025 + j)] *= win[static_cast<std::size_t>(1024 + j)];
  return out;
}

}  // namespace ref

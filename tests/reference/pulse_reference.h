// Independent reference for the piecewise polynomial fit and the pulse
// estimate, written from the mathematics with plain loops: the block fits are
// orthogonal projections computed on a centred, scaled basis, nothing here
// calls the library or the host's run-time.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "tests/reference/tpsw_reference.h"

namespace ref {

// Least-squares fit of degree `order` to y at the abscissae 1..n, returned as
// the fitted values (the projection of y on the polynomials of that degree).
// Modified Gram-Schmidt on the basis u^k with u = (x - centre) / halfwidth.
inline std::vector<double> polyFitValues(const std::vector<double>& y, int order) {
  const std::size_t n = y.size();
  const double centre = (static_cast<double>(n) + 1) / 2;
  const double half = n > 1 ? (static_cast<double>(n) - 1) / 2 : 1;
  std::vector<std::vector<double>> q;
  for (int k = 0; k <= order && q.size() < n; ++k) {
    std::vector<double> c(n);
    for (std::size_t i = 0; i < n; ++i)
      c[i] = std::pow((static_cast<double>(i + 1) - centre) / half, k);
    for (int pass = 0; pass < 2; ++pass) {
      for (const auto& b : q) {
        double dot = 0;
        for (std::size_t i = 0; i < n; ++i) dot += b[i] * c[i];
        for (std::size_t i = 0; i < n; ++i) c[i] -= dot * b[i];
      }
    }
    double norm = 0;
    for (double v : c) norm += v * v;
    norm = std::sqrt(norm);
    for (double& v : c) v /= norm;
    q.push_back(std::move(c));
  }
  std::vector<double> fit(n, 0.0);
  for (const auto& b : q) {
    double dot = 0;
    for (std::size_t i = 0; i < n; ++i) dot += b[i] * y[i];
    for (std::size_t i = 0; i < n; ++i) fit[i] += dot * b[i];
  }
  return fit;
}

// Overlap-add of block fits: blocks of `seg` samples (round(winl) lowered to
// a multiple of 4), hop seg/4, each fitted block weighted by half the Hann
// window of seg points; samples past the last whole block stay 0.
inline std::vector<double> piecefit(const std::vector<double>& x, double winl, int order) {
  int seg = static_cast<int>(std::round(winl));
  seg -= seg % 4;
  const int hop = seg / 4;
  const std::vector<double> w = hann(seg);
  std::vector<double> out(x.size(), 0.0);
  const int ls = static_cast<int>(x.size());
  const int nblocks = (ls - 3 * hop) / hop;  // fix() of a value known >= -3
  for (int k = 0; k < nblocks; ++k) {
    const std::size_t first = static_cast<std::size_t>(k * hop);
    const std::vector<double> bump(x.begin() + static_cast<std::ptrdiff_t>(first),
                                   x.begin() + static_cast<std::ptrdiff_t>(first) + seg);
    const std::vector<double> fit = polyFitValues(bump, order);
    for (int i = 0; i < seg; ++i)
      out[first + static_cast<std::size_t>(i)] +=
          fit[static_cast<std::size_t>(i)] * (w[static_cast<std::size_t>(i)] / 2);
  }
  return out;
}

// The pulse estimate: the TPSW estimates of windows small, medium and large
// spliced at the click T1 and the markers T2, T3; then, when `fit` is on, the
// piecewise fit of order 2 over blocks of Lpoly samples.
inline std::vector<double> pulseEstimate(const std::vector<double>& seg, double Nlarge,
                                         double Nmedium, double Nsmall, int T1, int T2, int T3,
                                         double Lpoly, bool fit) {
  const double wl[3] = {Nsmall, Nmedium, Nlarge};
  const int wt[2] = {T2 - T1, T3 - T2};
  std::vector<double> pe = spliceTpsw(seg, {T1}, wl, wt);
  if (fit) pe = piecefit(pe, Lpoly, 2);
  return pe;
}

}  // namespace ref

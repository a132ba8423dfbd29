// The editor's estimate written as plain loops over plain arrays, with no
// run-time in between: the floor that the library's per-call cost is
// measured against. Same steps as the library (two-pass split-window
// means spliced around the click, then least-squares quadratics by
// Householder QR over Hann-weighted blocks); the window sums run as
// running sums, the cheapest exact way to take them.
#pragma once

#include <cstddef>
#include <vector>

namespace floorplan {

struct Settings {
  double nsmall = 41, nmedium = 201, nlarge = 801;
  double t1 = 1200, t2 = 1700, t3 = 2750;
  double lpoly = 100;
  bool fit = false;
};

std::vector<double> pulseEstimate(const std::vector<double>& x, const Settings& s);

}  // namespace floorplan

// The map from an axes' data to the canvas (see Frame in draw.h).
#include <algorithm>
#include <cmath>

#include "host/graphics/access.h"
#include "host/graphics/render/draw.h"

namespace kh::gfx::render {
namespace {

double degrees(double v) {
  v = std::fmod(v, 360);
  return v < 0 ? v + 360 : v;
}

// Whether the view looks straight down the z axis with x to the right: the
// one view the host's dataToPixel describes.
bool plainView(Object* ax) {
  const Value& v = raw(ax, "View");
  return is2D(ax) && degrees(v.at(0)) == 0 && degrees(v.at(1)) == 90;
}

void flatFrame(Canvas& cv, Object* ax, Frame& f) {
  const auto& lx = f.lim[0];
  const auto& ly = f.lim[1];
  const auto p0 = dataToPixel(ax, lx[0], ly[0]);
  const auto p1 = dataToPixel(ax, lx[1], ly[1]);
  const double bx = (p1[0] - p0[0]) / (lx[1] - lx[0]);
  const double by = -(p1[1] - p0[1]) / (ly[1] - ly[0]);
  f.m[0][0] = bx;
  f.m[0][3] = p0[0] - bx * lx[0];
  f.m[1][1] = by;
  f.m[1][3] = cv.flipY(p0[1]) - by * ly[0];
  f.m[2][2] = 1;
  const Rect b = plotBox(ax);
  f.box = {b.x, cv.flipY(b.y + b.h), b.w, b.h};
}

// An orthographic view by azimuth and elevation, the plot box scaled to fit
// the axes' rectangle.
void projectedFrame(Canvas& cv, Object* ax, Frame& f) {
  const Value& view = raw(ax, "View");
  const double az = view.at(0) * M_PI / 180, el = view.at(1) * M_PI / 180;
  const double T[3][3] = {
      {std::cos(az), std::sin(az), 0},
      {-std::sin(el) * std::sin(az), std::sin(el) * std::cos(az), std::cos(el)},
      {std::cos(el) * std::sin(az), -std::cos(el) * std::cos(az), std::sin(el)}};
  const auto pbar = plotBoxAspectRatio(ax);
  static const char* const dirs[3] = {"XDir", "YDir", "ZDir"};
  double s[3], t[3];
  for (int d = 0; d < 3; ++d) {
    const auto& l = f.lim[d];
    s[d] = pbar[static_cast<std::size_t>(d)] / (l[1] - l[0]);
    if (rawText(ax, dirs[d]) == "reverse") s[d] = -s[d];
    t[d] = -s[d] * (l[0] + l[1]) / 2;
  }
  // The screen extent of the box's corners.
  double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
  for (int c = 0; c < 8; ++c) {
    const double u[3] = {((c & 1) ? 0.5 : -0.5) * pbar[0], ((c & 2) ? 0.5 : -0.5) * pbar[1],
                         ((c & 4) ? 0.5 : -0.5) * pbar[2]};
    for (int r = 0; r < 2; ++r) {
      const double v = T[r][0] * u[0] + T[r][1] * u[1] + T[r][2] * u[2];
      lo[r] = std::min(lo[r], v);
      hi[r] = std::max(hi[r], v);
    }
  }
  const Rect r = pixelRect(ax);
  const double k =
      std::min(r.w / std::max(hi[0] - lo[0], 1e-12), r.h / std::max(hi[1] - lo[1], 1e-12));
  const double cx = r.x + r.w / 2, cy = cv.flipY(r.y + r.h / 2);
  const double sc[2] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2};
  const double sign[3] = {k, -k, 1};
  for (int row = 0; row < 3; ++row) {
    double c = 0;
    for (int d = 0; d < 3; ++d) {
      f.m[row][d] = sign[row] * T[row][d] * s[d];
      c += T[row][d] * t[d];
    }
    f.m[row][3] = row == 0 ? cx + k * (c - sc[0]) : row == 1 ? cy - k * (c - sc[1]) : c;
  }
  f.box = {r.x, cv.flipY(r.y + r.h), r.w, r.h};
}

}  // namespace

Rect canvasRect(Canvas& cv, Object* o) {
  const Rect r = pixelRect(o);
  return {r.x, cv.flipY(r.y + r.h), r.w, r.h};
}

Frame frameOf(Canvas& cv, Object* ax) {
  Frame f;
  f.ax = ax;
  for (int d = 0; d < 4; ++d) f.lim[d] = limits(ax, d);
  f.flat = plainView(ax);
  if (f.flat)
    flatFrame(cv, ax, f);
  else
    projectedFrame(cv, ax, f);
  return f;
}

}  // namespace kh::gfx::render

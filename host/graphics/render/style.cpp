#include "host/graphics/render/style.h"

#include <algorithm>
#include <cmath>

#include "host/graphics/access.h"

namespace kh::gfx::render {

bool colorOf(const Value& v, Rgb* out) {
  if (!v.isDouble() || v.numel() != 3) return false;
  const double* d = v.re();
  for (int i = 0; i < 3; ++i) (*out)[i] = std::clamp(d[i], 0.0, 1.0);
  return true;
}

std::string colorWord(const Value& v) { return v.isChar() ? v.utf8() : std::string(); }

void setColor(cairo_t* cr, const Rgb& c) { cairo_set_source_rgb(cr, c[0], c[1], c[2]); }

ColorMap::ColorMap(Object* figure) {
  if (figure) map_ = raw(figure, "Colormap");
  if (map_.isDouble() && map_.ndims() == 2 && map_.cols() == 3) n_ = map_.rows();
}

Rgb ColorMap::at(std::size_t i) const {
  if (n_ == 0) return {0, 0, 0};
  i = std::min(i, n_ - 1);
  const double* d = map_.re();
  return {std::clamp(d[i], 0.0, 1.0), std::clamp(d[n_ + i], 0.0, 1.0),
          std::clamp(d[2 * n_ + i], 0.0, 1.0)};
}

Rgb ColorMap::direct(double c) const {
  if (!(c >= 1)) return at(0);  // NaN too
  if (c >= static_cast<double>(n_)) return at(n_ ? n_ - 1 : 0);
  return at(static_cast<std::size_t>(c) - 1);
}

Rgb ColorMap::scaled(double c, const std::array<double, 2>& clim) const {
  if (std::isnan(c) || n_ == 0) return at(0);
  const double span = clim[1] - clim[0];
  const double f = span > 0 ? (c - clim[0]) / span : 0.5;
  const double k = std::floor(f * static_cast<double>(n_));
  if (!(k >= 0)) return at(0);
  return at(k >= static_cast<double>(n_) ? n_ - 1 : static_cast<std::size_t>(k));
}

bool setLineStyle(cairo_t* cr, const std::string& style, double widthPx) {
  const DashStyle* s = dashStyle(style);
  if (!s) return false;
  const std::vector<double> d = dashLengths(*s, widthPx);
  cairo_set_dash(cr, d.data(), static_cast<int>(d.size()), 0);
  return true;
}

void setLineJoin(cairo_t* cr, Join join) {
  cairo_set_line_join(cr, join == Join::Round ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
}

}  // namespace kh::gfx::render

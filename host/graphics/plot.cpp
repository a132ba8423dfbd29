#include "host/graphics/plot.h"

#include <cstring>
#include <vector>

#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/properties.h"
#include "host/graphics/tree.h"

namespace kh::gfx {
namespace {

struct Series {
  Value x, y;
};

Value rowOf(const double* d, std::size_t n) {
  Value v = Value::numeric({1, n});
  if (n) std::memcpy(v.mutRe(), d, n * sizeof(double));
  return v;
}

Value counting(std::size_t n) {
  Value v = Value::numeric({1, n});
  double* d = v.mutRe();
  for (std::size_t i = 0; i < n; ++i) d[i] = static_cast<double>(i + 1);
  return v;
}

// Column c (or row c when byRows) of a real matrix.
Value slice(const Value& m, std::size_t c, bool byRows) {
  if (!byRows) return rowOf(m.re() + c * m.rows(), m.rows());
  const std::size_t n = m.cols();
  Value v = Value::numeric({1, n});
  double* d = v.mutRe();
  for (std::size_t j = 0; j < n; ++j) d[j] = m.re()[j * m.rows() + c];
  return v;
}

void requireReal(const Value& v) {
  if (!v.isDouble()) raise("plot takes numeric data.");
}

std::vector<Series> seriesOf(const Value* xp, const Value& yIn) {
  std::vector<Series> out;
  requireReal(yIn);
  if (!xp) {
    if (yIn.isComplex()) {
      Value re = Value::numeric(yIn.dims()), im = Value::numeric(yIn.dims());
      for (std::size_t i = 0; i < yIn.numel(); ++i) {
        re.mutRe()[i] = yIn.re()[i];
        im.mutRe()[i] = yIn.im()[i];
      }
      return seriesOf(&re, im);
    }
    if (yIn.isVector() || yIn.isEmpty())
      return {{counting(yIn.numel()), rowOf(yIn.re(), yIn.numel())}};
    for (std::size_t c = 0; c < yIn.cols(); ++c)
      out.push_back({counting(yIn.rows()), slice(yIn, c, false)});
    return out;
  }
  const Value& x = *xp;
  requireReal(x);
  const Value& y = yIn;
  const bool xv = x.isVector() || x.numel() <= 1, yv = y.isVector() || y.numel() <= 1;
  if (xv && yv) {
    if (x.numel() != y.numel()) raise("Vectors must be the same lengths.");
    return {{rowOf(x.re(), x.numel()), rowOf(y.re(), y.numel())}};
  }
  if (xv) {
    const bool byRows = y.rows() != x.numel();
    if (byRows && y.cols() != x.numel()) raise("Vectors must be the same lengths.");
    const std::size_t n = byRows ? y.rows() : y.cols();
    for (std::size_t c = 0; c < n; ++c)
      out.push_back({rowOf(x.re(), x.numel()), slice(y, c, byRows)});
    return out;
  }
  if (yv) {
    const bool byRows = x.rows() != y.numel();
    if (byRows && x.cols() != y.numel()) raise("Vectors must be the same lengths.");
    const std::size_t n = byRows ? x.rows() : x.cols();
    for (std::size_t c = 0; c < n; ++c)
      out.push_back({slice(x, c, byRows), rowOf(y.re(), y.numel())});
    return out;
  }
  if (x.rows() != y.rows() || x.cols() != y.cols()) raise("Matrix dimensions must agree.");
  for (std::size_t c = 0; c < x.cols(); ++c)
    out.push_back({slice(x, c, false), slice(y, c, false)});
  return out;
}

}  // namespace

bool parseLineSpec(std::string_view s, LineSpec* out) {
  LineSpec r;
  static const char* const kMarkers[][2] = {
      {".", "."},      {"o", "o"},         {"x", "x"},       {"+", "+"}, {"*", "*"},
      {"s", "square"}, {"d", "diamond"},   {"v", "v"},       {"^", "^"}, {"<", "<"},
      {">", ">"},      {"p", "pentagram"}, {"h", "hexagram"}};
  std::size_t i = 0;
  if (s.empty()) return false;
  while (i < s.size()) {
    const std::string_view rest = s.substr(i);
    if (rest.starts_with("--") || rest.starts_with("-.")) {
      if (r.lineStyle) return false;
      r.lineStyle = rest.starts_with("--") ? "--" : "-.";
      i += 2;
      continue;
    }
    if (rest[0] == '-' || rest[0] == ':') {
      if (r.lineStyle) return false;
      r.lineStyle = rest[0] == '-' ? "-" : ":";
      ++i;
      continue;
    }
    double rgb[3];
    if (std::strchr("bgrcmykw", rest[0]) && colorByName(rest.substr(0, 1), rgb)) {
      if (r.hasColor) return false;
      r.hasColor = true;
      std::memcpy(r.rgb, rgb, sizeof rgb);
      ++i;
      continue;
    }
    bool marker = false;
    for (const auto& m : kMarkers)
      if (rest[0] == m[0][0]) {
        if (r.marker) return false;
        r.marker = m[1];
        marker = true;
        break;
      }
    if (!marker) return false;
    ++i;
  }
  *out = r;
  return true;
}

Value plot(Values args) {
  struct Group {
    std::vector<Series> series;
    LineSpec spec;
    bool hasSpec = false;
  };
  std::vector<Group> groups;
  std::size_t k = 0;
  while (k < args.size() && !args[k].isChar()) {
    Group g;
    const bool two = k + 1 < args.size() && !args[k + 1].isChar();
    g.series = two ? seriesOf(&args[k], args[k + 1]) : seriesOf(nullptr, args[k]);
    k += two ? 2 : 1;
    if (k < args.size() && args[k].isChar() && parseLineSpec(args[k].utf8(), &g.spec)) {
      g.hasSpec = true;
      ++k;
    }
    groups.push_back(std::move(g));
  }
  if (groups.empty()) raise("Not enough input arguments.");
  const Values pairs = args.subspan(k);
  if (pairs.size() % 2) raise("Invalid parameter/value pair arguments.");
  for (std::size_t p = 0; p < pairs.size(); p += 2)
    if (!pairs[p].isChar()) raise("Invalid parameter/value pair arguments.");

  Object* ax = newplot();
  const Value order = raw(ax, "ColorOrder");
  const std::size_t colours = order.rows();
  std::size_t next = 0;
  std::vector<double> handles;
  for (const Group& g : groups) {
    for (const Series& s : g.series) {
      ValueList props{Value::str(std::string_view("XData")), s.x,
                      Value::str(std::string_view("YData")), s.y};
      Value colour;
      if (g.hasSpec && g.spec.hasColor) {
        colour = Value::row({g.spec.rgb[0], g.spec.rgb[1], g.spec.rgb[2]});
      } else {
        const std::size_t r = next++ % colours;
        colour = Value::row({order.re()[r], order.re()[colours + r], order.re()[2 * colours + r]});
      }
      props.push_back(Value::str(std::string_view("Color")));
      props.push_back(colour);
      if (g.hasSpec && (g.spec.lineStyle || g.spec.marker)) {
        props.push_back(Value::str(std::string_view("LineStyle")));
        props.push_back(Value::str(std::string_view(g.spec.lineStyle ? g.spec.lineStyle : "none")));
      }
      if (g.hasSpec && g.spec.marker) {
        props.push_back(Value::str(std::string_view("Marker")));
        props.push_back(Value::str(std::string_view(g.spec.marker)));
      }
      for (const Value& p : pairs) props.push_back(p);
      Object* line = createWith(Type::Line, ax, props);
      handles.push_back(line->handle);
    }
  }
  return Value::column(handles);
}

}  // namespace kh::gfx

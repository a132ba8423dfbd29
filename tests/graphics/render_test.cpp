// Figure export through the command window's print and saveas: the SVG as
// an XML reader sees it, the PNG's size and pixels where the host's
// geometry puts the data, and errors that leave no file behind.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/geometry.h"
#include "host/graphics/render/style_table.h"
#include "host/graphics/tree.h"
#include "tests/graphics/figure_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kt::runIn;

class Render : public kt::FigureTest {
 protected:
  kh::gfx::Object* axes() { return kh::gfx::currentAxes(kh::gfx::currentFigure(false), false); }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  kt::TempDir dir;
};

// The width and height in a PNG's IHDR chunk.
std::pair<std::uint32_t, std::uint32_t> pngSize(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char h[24] = {};
  in.read(reinterpret_cast<char*>(h), sizeof h);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 1), 3), "PNG");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 12), 4), "IHDR");
  auto be = [&](int at) {
    return std::uint32_t(h[at]) << 24 | std::uint32_t(h[at + 1]) << 16 |
           std::uint32_t(h[at + 2]) << 8 | h[at + 3];
  };
  return {be(16), be(20)};
}

// An SVG as Python's XML parser reads it, one line per item: "size W H",
// "stroke rgb(...)", "dashes rgb(...) N" (the number of lengths in its
// dash pattern) and "pattern rgb(...) WIDTH L1,L2,..." (its width and dash
// lengths) for every stroked path, and for every text of the searchable
// layer "text CONTENT" and "at CONTENT<tab>TRANSFORM<tab>X<tab>Y".
std::string readSvg(const std::string& svg) {
  const std::string script = svg + ".py";
  std::ofstream(script) << R"(import sys, re, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
print('size', root.get('width'), root.get('height'))
for p in root.iter('{http://www.w3.org/2000/svg}path'):
    m = re.search(r'stroke:(rgb\([^)]*\))', p.get('style') or '')
    if m: print('stroke', m.group(1))
    d = re.search(r'stroke-dasharray:([^;]*)', p.get('style') or '')
    if m: print('dashes', m.group(1), len(d.group(1).split(',')) if d else 0)
    w = re.search(r'stroke-width:([^;]*)', p.get('style') or '')
    if m and w: print('pattern', m.group(1), w.group(1), d.group(1) if d else '')
for t in root.iter('{http://www.w3.org/2000/svg}text'):
    print('text', t.text)
    print('at', '\t'.join([t.text, t.get('transform'), t.get('x'), t.get('y')]))
)";
  std::string out;
  EXPECT_EQ(kt::runCommand("/usr/bin/python3 " + script + " " + svg, &out), 0) << out;
  fs::remove(script);
  return out;
}

std::size_t lineCount(const std::string& text, const std::string& line) {
  std::size_t n = 0;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) n += l == line;
  return n;
}

// Where the text layer put a text: its transform and its start and baseline.
struct Placed {
  std::string transform;
  double x = 0, y = 0;
  bool found = false;
};

Placed placed(const std::string& svgSummary, const std::string& content) {
  std::istringstream in(svgSummary);
  for (std::string l; std::getline(in, l);) {
    if (l.rfind("at " + content + "\t", 0) != 0) continue;
    std::istringstream f(l.substr(3 + content.size() + 1));
    Placed p;
    std::string x, y;
    std::getline(f, p.transform, '\t');
    std::getline(f, x, '\t');
    std::getline(f, y, '\t');
    p.x = std::stod(x);
    p.y = std::stod(y);
    p.found = true;
    return p;
  }
  return {};
}

// The anchor of a placed text in figure pixels (the layer is in points,
// y downward).
std::array<double, 2> anchorOf(const Placed& p, double figureHeight = 420) {
  double x = NAN, y = NAN;
  std::sscanf(p.transform.c_str(), "translate(%lf,%lf)", &x, &y);
  return {x / 0.75, figureHeight - y / 0.75};
}

// A PNG read back by cairo, its pixels addressed in figure pixels (origin
// at the lower left) at a given scale.
class Png {
 public:
  Png(const std::string& file, double scale, double figureHeight)
      : s_(cairo_image_surface_create_from_png(file.c_str())), scale_(scale), h_(figureHeight) {
    EXPECT_EQ(cairo_surface_status(s_), CAIRO_STATUS_SUCCESS) << file;
  }
  ~Png() { cairo_surface_destroy(s_); }
  // [r g b] in 0..255 of the device pixel under figure pixel (x, y).
  std::array<int, 3> at(double x, double y) const {
    const int px = static_cast<int>(x * scale_), py = static_cast<int>((h_ - y) * scale_);
    const unsigned char* d = cairo_image_surface_get_data(s_);
    const int stride = cairo_image_surface_get_stride(s_);
    const bool inside = d && px >= 0 && py >= 0 && px < cairo_image_surface_get_width(s_) &&
                        py < cairo_image_surface_get_height(s_);
    EXPECT_TRUE(inside) << x << ", " << y;
    if (!inside) return {-1, -1, -1};
    std::uint32_t v;
    std::memcpy(&v, d + py * stride + px * 4, 4);
    return {int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)};
  }
  std::array<int, 3> atData(kh::gfx::Object* ax, double x, double y) const {
    const auto p = kh::gfx::dataToPixel(ax, x, y);
    return at(p[0], p[1]);
  }

 private:
  cairo_surface_t* s_;
  double scale_, h_;
};

using Rgb8 = std::array<int, 3>;
const Rgb8 kWhite{255, 255, 255}, kRed{255, 0, 0}, kFigureGrey{204, 204, 204};

TEST_F(Render, SvgIsXmlWithAPathPerLineTheTickLabelsAndTheTitle) {
  const std::string svg = dir.file("plot.svg"), pdf = dir.file("plot.pdf");
  ok("f = figure; plot(1:10, (1:10).^2, '-r'); line([3 3], [0 100], 'Color', 'g', 'LineWidth', 2);"
     "line([1 2 NaN 4 5], [50 60 NaN 70 80], 'Color', [0 0 1]);"
     "title('Growth & <decay>'); xlabel('time');");
  ok("print -dsvg " + svg);
  ok("saveas(f, '" + pdf + "')");
  const std::string out = readSvg(svg);
  auto count = [&](const std::string& line) { return lineCount(out, line); };
  EXPECT_EQ(count("size 420pt 315pt"), 1u) << out;
  // One path per line, the broken one included.
  EXPECT_EQ(count("stroke rgb(100%,0%,0%)"), 1u) << out;
  EXPECT_EQ(count("stroke rgb(0%,100%,0%)"), 1u) << out;
  EXPECT_EQ(count("stroke rgb(0%,0%,100%)"), 1u) << out;
  for (int d = 0; d < 2; ++d)
    for (const std::string& label : kh::gfx::tickLabels(kh::gfx::ticks(axes(), d)))
      EXPECT_EQ(count("text " + label), 1u) << label << "\n" << out;
  EXPECT_EQ(count("text Growth & <decay>"), 1u) << out;
  EXPECT_EQ(count("text time"), 1u) << out;

  std::ifstream in(pdf, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
  EXPECT_NE(bytes.find("%%EOF", bytes.size() - 8), std::string::npos);
}

TEST_F(Render, PngHasTheFigurePixelSizeTimesTheResolutionFactor) {
  struct Case {
    const char* figure;
    const char* command;  // %s: the file
    std::uint32_t w, h;
  } cases[] = {
      {"f = figure", "print -dpng %s", 560, 420},
      {"figure", "print -dpng -r192 %s", 1120, 840},
      {"figure", "print('-r0', '%s')", 560, 420},
      {"f = figure('Position', [0 0 301 200])", "print(f, '-dpng', '-r144', '%s')", 452, 300},
      {"figure('Units', 'inches', 'Position', [1 1 2.5 2])", "print -r48 %s", 120, 96},
      {"f = figure", "saveas(f, '%s')", 560, 420},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string file = dir.file("size" + std::to_string(++n) + ".png");
    std::string command = c.command;
    command.replace(command.find("%s"), 2, file);
    ok(std::string(c.figure) + "; plot(1:3);" + command);
    EXPECT_EQ(pngSize(file), std::make_pair(c.w, c.h)) << command;
  }
  // -f picks the figure; a name without extension takes the format's.
  ok("figure(7, 'Position', [0 0 200 100]); figure(8); print -f7 -dpng " + dir.file("seven"));
  EXPECT_EQ(pngSize(dir.file("seven.png")), std::make_pair(200u, 100u));
}

TEST_F(Render, PngPixelsLieWhereTheAxesPutTheData) {
  const std::string file = dir.file("pixels.png");
  // A thick red diagonal broken by NaN, in axes with x reversed, at twice
  // the screen's resolution.
  ok("ax = axes; plot([0 0.2 0.4 NaN 0.6 0.8 1], [0 0.2 0.4 NaN 0.6 0.8 1], 'r', 'LineWidth', 4);"
     "set(ax, 'XDir', 'reverse'); print -dpng -r192 " +
     file);
  kh::gfx::Object* ax = axes();
  const Png png(file, 2, 420);
  EXPECT_EQ(png.atData(ax, 0.1, 0.1), kRed);
  EXPECT_EQ(png.atData(ax, 0.9, 0.9), kRed);
  EXPECT_EQ(png.atData(ax, 0.5, 0.5), kWhite);  // the break
  EXPECT_EQ(png.atData(ax, 0.1, 0.9), kWhite);
  // x reversed: data x = 0.1 lies near the right side of the box.
  const kh::gfx::Rect box = kh::gfx::plotBox(ax);
  EXPECT_GT(kh::gfx::dataToPixel(ax, 0.1, 0.1)[0], box.x + box.w / 2);
  EXPECT_EQ(png.at(box.x / 2, box.y / 2), kFigureGrey);
  // The box: black on its left edge and under the tick labels' line.
  EXPECT_EQ(png.at(box.x, box.y + box.h / 2), (Rgb8{0, 0, 0}));
}

TEST_F(Render, ImagesAndControlsTakeTheirColoursAndPositions) {
  const std::string file = dir.file("controls.png");
  ok("f = figure('Colormap', [1 0 0; 0 1 0; 0 0 1]);"
     "ax = axes('Position', [0.1 0.3 0.8 0.6], 'NextPlot', 'add');"
     "image([1 2; 3 7], 'XData', [1 2], 'YData', [1 2]);"  // 7 clamps to the last colour
     "image([0 10], 'CDataMapping', 'scaled', 'XData', [3 4], 'YData', [1 1]);"
     "set(ax, 'XLim', [0.5 4.5], 'YLim', [0.5 2.5], 'CLim', [0 10]);"
     "uicontrol('Style', 'pushbutton', 'Position', [10 10 60 30], 'BackgroundColor', [0 0 1]);"
     "uicontrol('Style', 'edit', 'Position', [100 10 60 30], 'BackgroundColor', [0 1 0],"
     "          'Visible', 'off');"
     "h = axes('Position', [0.5 0.02 0.4 0.2], 'Visible', 'off');"
     "line([0 1], [0.5 0.5], 'Parent', h, 'Color', 'r', 'LineWidth', 6);");
  ok("print -dpng " + file);
  kh::gfx::Object* ax = kh::gfx::tree().find(sh.workspace().get("ax")->at(0));
  const Png png(file, 1, 420);
  // Direct mapping: row 1 of CData at y = 1 (the axes' y is upward).
  EXPECT_EQ(png.atData(ax, 1, 1), kRed);
  EXPECT_EQ(png.atData(ax, 2, 1), (Rgb8{0, 255, 0}));
  EXPECT_EQ(png.atData(ax, 1, 2), (Rgb8{0, 0, 255}));
  EXPECT_EQ(png.atData(ax, 2, 2), (Rgb8{0, 0, 255}));
  // Scaled: 0 and 10 are the ends of the colour limits.
  EXPECT_EQ(png.atData(ax, 3, 1), kRed);
  EXPECT_EQ(png.atData(ax, 4, 1), (Rgb8{0, 0, 255}));
  EXPECT_EQ(png.atData(ax, 3.5, 2.3), kWhite);
  // The button fills its rectangle; the hidden edit box is not drawn.
  EXPECT_EQ(png.at(40, 25), (Rgb8{0, 0, 255}));
  EXPECT_EQ(png.at(130, 25), kFigureGrey);
  // Hidden axes still show their children, but not their box.
  kh::gfx::Object* h = kh::gfx::tree().find(sh.workspace().get("h")->at(0));
  EXPECT_EQ(png.atData(h, 0.5, 0.5), kRed);
  const kh::gfx::Rect hb = kh::gfx::plotBox(h);
  EXPECT_EQ(png.at(hb.x + hb.w / 3, hb.y), kFigureGrey);
}

TEST_F(Render, TextIsPlacedAlignedRotatedAndReadAsTex) {
  const std::string svg = dir.file("text.svg");
  ok("ax = axes('XLim', [0 1], 'YLim', [0 1]);"
     "text(0.5, 0.5, 'right', 'HorizontalAlignment', 'right');"
     "text(0.25, 0.75, 'up', 'Rotation', 90);"
     "text(0.1, 0.1, 'x^2 \\alpha_{max}');"
     "text(0.1, 0.3, 'y^2', 'Interpreter', 'none');"
     "text('Position', [0.5 0.2], 'String', {'one', 'two'});"
     "text(0.6, 0.9, char([65 0 66 55296 67 10 68]));"
     "text(0.5, 0.5, 'hidden', 'Visible', 'off');"
     "text(0.75, 0.25, 'normalized', 'Units', 'normalized');"
     "print -dsvg " +
     svg);
  kh::gfx::Object* ax = axes();
  const std::string out = readSvg(svg);
  auto near = [](std::array<double, 2> a, std::array<double, 2> b) {
    return std::fabs(a[0] - b[0]) < 0.02 && std::fabs(a[1] - b[1]) < 0.02;
  };
  const Placed right = placed(out, "right");
  ASSERT_TRUE(right.found) << out;
  EXPECT_TRUE(near(anchorOf(right), kh::gfx::dataToPixel(ax, 0.5, 0.5))) << right.transform;
  EXPECT_LT(right.x, -10);  // the text ends at the anchor
  const Placed up = placed(out, "up");
  EXPECT_NE(up.transform.find("rotate(-90)"), std::string::npos) << up.transform;
  EXPECT_TRUE(near(anchorOf(up), kh::gfx::dataToPixel(ax, 0.25, 0.75)));
  EXPECT_EQ(lineCount(out, "text x2 αmax"), 1u) << out;
  EXPECT_EQ(lineCount(out, "text y^2"), 1u) << out;
  // Two lines at one anchor, the second below the first.
  const Placed one = placed(out, "one"), two = placed(out, "two");
  ASSERT_TRUE(one.found && two.found) << out;
  EXPECT_EQ(one.transform, two.transform);
  EXPECT_GT(two.y, one.y + 5);
  // Control characters, a lone surrogate and a line break.
  EXPECT_EQ(lineCount(out,
                      "text A B\xEF\xBF\xBD"
                      "C"),
            1u)
      << out;
  EXPECT_EQ(lineCount(out, "text D"), 1u) << out;
  EXPECT_EQ(lineCount(out, "text hidden"), 0u);
  EXPECT_TRUE(near(anchorOf(placed(out, "normalized")), kh::gfx::dataToPixel(ax, 0.75, 0.25)));
}

TEST_F(Render, PatchesSurfacesMarkersAndTickLabelsAsAsked) {
  const std::string png = dir.file("items.png"), svg = dir.file("items.svg");
  ok("f = figure('Colormap', [1 0 0; 0 1 0; 0 0 1]);"
     "ax = axes('XLim', [0 10], 'YLim', [0 10], 'CLim', [0 3]);"
     "patch([1 4 4 1], [1 1 4 4], [0 0 0 0], 'FaceColor', [0 0 1], 'EdgeColor', 'none');"
     "surface([6 9], [1 4], zeros(2), zeros(2), 'EdgeColor', 'none');"
     "surface([6 9], [6 9], zeros(2), [0 3; 0 3], 'FaceColor', 'interp', 'EdgeColor', 'none');"
     "line([1 2 3], [7 7 7], 'LineStyle', 'none', 'Marker', 'o', 'MarkerSize', 12,"
     "     'MarkerFaceColor', [0 1 0], 'MarkerEdgeColor', [0 0 0]);"
     "line([0 10], [9 9], 'Color', 'r', 'Visible', 'off');"
     "set(ax, 'XTick', [2 5 8], 'XTickLabel', {'lo', 'mid'});"
     "print -dpng " +
     png + "; print -dsvg " + svg);
  kh::gfx::Object* ax = axes();
  const Png img(png, 1, 420);
  EXPECT_EQ(img.atData(ax, 2.5, 2.5), (Rgb8{0, 0, 255}));  // the patch
  EXPECT_EQ(img.atData(ax, 7.5, 2.5), kRed);               // flat: CData 0, the first colour
  EXPECT_EQ(img.atData(ax, 7.5, 7.5), (Rgb8{0, 255, 0}));  // interpolated: 1.5, the middle one
  EXPECT_EQ(img.atData(ax, 2, 7), (Rgb8{0, 255, 0}));      // a marker's face
  EXPECT_EQ(img.atData(ax, 2.5, 7), kWhite);               // between markers
  EXPECT_EQ(img.atData(ax, 5, 9), kWhite);                 // the hidden line
  // Fewer labels than ticks: they repeat.
  const std::string out = readSvg(svg);
  EXPECT_EQ(lineCount(out, "text lo"), 2u) << out;
  EXPECT_EQ(lineCount(out, "text mid"), 1u) << out;
}

TEST_F(Render, EveryMarkerAndLineStyleIsDrawn) {
  const std::string png = dir.file("markers.png"), svg = dir.file("styles.svg");
  const char* const markers[] = {"+", "o", "*", ".", "x",         "square",  "diamond",
                                 "v", "^", ">", "<", "pentagram", "hexagram"};
  std::string text = "f = figure; ax = axes('XLim', [0 14], 'YLim', [0 2]);";
  for (int i = 0; i < 13; ++i)
    text += "line(" + std::to_string(i + 1) + ", 1, 'Marker', '" + markers[i] +
            "', 'MarkerSize', 16, 'LineWidth', 2, 'MarkerEdgeColor', [0 0 1],"
            "'MarkerFaceColor', [1 0 0]);";
  ok(text + "print -dpng " + png);
  kh::gfx::Object* ax = axes();
  const Png img(png, 1, 420);
  for (int i = 0; i < 13; ++i) {
    // Closed shapes show their face at the centre; the open ones and the
    // dot their edge colour.
    const std::string m = markers[i];
    const bool open = m == "+" || m == "x" || m == "*" || m == ".";
    EXPECT_EQ(img.atData(ax, i + 1, 1), open ? (Rgb8{0, 0, 255}) : kRed) << m;
    EXPECT_EQ(img.atData(ax, i + 1.5, 1), kWhite) << m;
    EXPECT_EQ(img.atData(ax, i + 1, 1.5), kWhite) << m;
  }
  // Dash patterns of the line styles, a dotted grid, and no line at all
  // for "none".
  ok("figure; axes('XGrid', 'on');"
     "line([0 1], [0 1], 'Color', [1 0 0], 'LineStyle', '-');"
     "line([0 1], [0 2], 'Color', [0 1 0], 'LineStyle', '--');"
     "line([0 1], [0 3], 'Color', [0 0 1], 'LineStyle', ':');"
     "line([0 1], [0 4], 'Color', [1 1 0], 'LineStyle', '-.');"
     "line([0 1], [0 5], 'Color', [1 0 1], 'LineStyle', 'none');"
     "print -dsvg " +
     svg);
  const std::string out = readSvg(svg);
  EXPECT_EQ(lineCount(out, "dashes rgb(100%,0%,0%) 0"), 1u) << out;
  EXPECT_EQ(lineCount(out, "dashes rgb(0%,100%,0%) 2"), 1u) << out;
  EXPECT_EQ(lineCount(out, "dashes rgb(0%,0%,100%) 2"), 1u) << out;
  EXPECT_EQ(lineCount(out, "dashes rgb(100%,100%,0%) 4"), 1u) << out;
  EXPECT_EQ(lineCount(out, "stroke rgb(100%,0%,100%)"), 0u) << out;
  EXPECT_EQ(lineCount(out, "dashes rgb(0%,0%,0%) 2"), 1u) << out;  // the grid, one path
}

// Each line style's dashes in an export, on a thin and a thick line: the
// style table's lengths in units of the line's width (a pixel at least),
// so a dotted line shows dots as long as the line is wide.
TEST_F(Render, DashesGrowWithTheLineWidthAsTheStyleTableSays) {
  namespace r = kh::gfx::render;
  struct Case {
    const r::DashStyle* style;
    double points;
    std::string color;  // as the SVG writes it
  };
  std::vector<Case> cases;
  std::string text = "figure; axes('XLim', [0 10], 'YLim', [0 10]);";
  for (const r::DashStyle& style : r::dashStyles())
    for (double points : {0.5, 3.0}) {
      const int k = static_cast<int>(cases.size()) + 1;
      cases.push_back({&style, points, "rgb(" + std::to_string(10 * k) + "%,0%,0%)"});
      text += "line([1 9], [" + std::to_string(k) + " " + std::to_string(k) + "], 'LineStyle', '" +
              style.name + "', 'LineWidth', " + std::to_string(points) + ", 'Color', [" +
              std::to_string(k / 10.0) + " 0 0]);";
    }
  ASSERT_EQ(cases.size(), 8u);  // four styles
  const std::string svg = dir.file("dashes.svg");
  ok(text + "print -dsvg " + svg);
  const std::string out = readSvg(svg);
  for (const Case& c : cases) {
    const std::string what = std::string(c.style->name) + " at " + std::to_string(c.points) + " pt";
    std::istringstream in(out);
    std::string l, width, lengths;
    std::size_t seen = 0;
    while (std::getline(in, l))
      if (l.rfind("pattern " + c.color + " ", 0) == 0) {
        ++seen;
        std::istringstream f(l.substr(9 + c.color.size()));
        f >> width >> lengths;
      }
    ASSERT_EQ(seen, 1u) << what << "\n" << out;
    const double w = std::stod(width);
    EXPECT_NEAR(w, c.points * 96 / 72, 1e-5) << what;
    std::vector<double> got;
    std::istringstream f(lengths);
    for (std::string v; std::getline(f, v, ',');) got.push_back(std::stod(v));
    ASSERT_EQ(got.size(), c.style->lengths.size()) << what << ": " << lengths;
    for (std::size_t i = 0; i < got.size(); ++i)
      EXPECT_NEAR(got[i], c.style->lengths[i] * std::max(w, 1.0), 1e-4) << what << ": " << lengths;
    // A dot of a line wider than a pixel is as long as the line is wide.
    if (std::string(c.style->name) == ":" && w >= 1) {
      EXPECT_NEAR(got[0], w, 1e-4) << what;
    }
  }
}

TEST_F(Render, ControlsShowTheirState) {
  const std::string png = dir.file("controls.png"), svg = dir.file("controls.svg");
  ok("f = figure;"
     "uicontrol('Style', 'slider', 'Position', [20 20 200 20], 'Value', 1,"
     "          'BackgroundColor', [0.5 0.5 0.5]);"
     "uicontrol('Style', 'slider', 'Position', [20 60 200 20], 'Value', 0,"
     "          'BackgroundColor', [0.5 0.5 0.5]);"
     "uicontrol('Style', 'checkbox', 'Position', [20 100 100 20], 'Value', 1, 'String', 'on');"
     "uicontrol('Style', 'checkbox', 'Position', [140 100 100 20], 'String', 'off');"
     "uicontrol('Style', 'radiobutton', 'Position', [20 140 100 20], 'Value', 1);"
     "uicontrol('Style', 'radiobutton', 'Position', [140 140 100 20]);"
     "uicontrol('Style', 'popupmenu', 'Position', [20 180 120 22], 'String', 'first|second|third',"
     "          'Value', 2);"
     "uicontrol('Style', 'edit', 'Position', [160 180 100 22], 'String', 'typed');"
     "uicontrol('Style', 'listbox', 'Position', [280 100 100 80], 'String', {'alpha', 'beta'});"
     "print -dpng " +
     png + "; print -dsvg " + svg);
  const Png img(png, 1, 420);
  // Slider thumbs (the background colour) at the ends their Value gives,
  // on a lighter track; the arrow buttons take 20 pixels at each end.
  const Rgb8 thumb{128, 128, 128}, track{143, 143, 143};
  EXPECT_EQ(img.at(193, 30), thumb);
  EXPECT_EQ(img.at(47, 30), track);
  EXPECT_EQ(img.at(47, 70), thumb);
  EXPECT_EQ(img.at(193, 70), track);
  // The darkest pixel inside a check box or radio button: the mark, or none.
  auto darkest = [&](double x0, double y0) {
    int least = 255;
    for (double x = x0 + 3; x < x0 + 11; ++x)
      for (double y = y0 + 3; y < y0 + 11; ++y) least = std::min(least, img.at(x, y)[0]);
    return least;
  };
  EXPECT_LT(darkest(22, 103.5), 80);
  EXPECT_GT(darkest(142, 103.5), 200);
  EXPECT_LT(darkest(22, 143.5), 80);
  EXPECT_GT(darkest(142, 143.5), 200);
  const std::string out = readSvg(svg);
  for (const char* shown : {"second", "typed", "alpha", "beta", "on", "off"})
    EXPECT_EQ(lineCount(out, std::string("text ") + shown), 1u) << shown << "\n" << out;
  EXPECT_EQ(lineCount(out, "text first") + lineCount(out, "text third"), 0u);
}

TEST_F(Render, FarAwayAndMalformedDataNeitherFailNorMisdraw) {
  const std::string png = dir.file("odd.png");
  ok("ax = axes('XLim', [0 1], 'YLim', [0 1], 'NextPlot', 'add');"
     // Far beyond what cairo's coordinates hold: cut where it leaves the canvas.
     "line([0 1e9], [0 1e9], 'Color', 'r', 'LineWidth', 3);"
     "line([0.2 Inf 0.4 1e300 -Inf], [0.8 0.5 0.6 NaN 1], 'Marker', 'o');"
     "line('XData', [], 'YData', [0.1 0.2 0.3]);"
     "image([]); image(ones(2, 2, 4)); patch([0 1 1], [0 1], [1 1 1]);"
     "surface([1 NaN; 3 4]); text(1e300, 0, 'far');"
     // True colour for two faces of three.
     "patch('XData', [5 6 7; 6 7 8; 5.5 6.5 7.5], 'YData', [0 0 0; 0 0 0; 1 1 1],"
     "      'CData', ones(1, 2, 3), 'FaceColor', 'flat');"
     "text(0.5, 0.5, 'enormous', 'FontSize', 1e6);"
     "print -dpng " +
     png + "; print -dsvg " + dir.file("odd.svg") + "; print -dpdf " + dir.file("odd.pdf"));
  kh::gfx::Object* ax = axes();
  const Png img(png, 1, 420);
  EXPECT_EQ(img.atData(ax, 0.3, 0.3), kRed);
  EXPECT_EQ(img.atData(ax, 0.95, 0.95), kRed);
  // A 3-D view projects the box's centre onto the middle of the axes.
  ok("figure; ax3 = axes('View', [-37.5 30], 'Position', [0.2 0.2 0.6 0.6]);"
     "patch([0 1 1 0], [0 0 1 1], [0 0 0 0], 'FaceColor', 'r', 'EdgeColor', 'none');"
     "print -dpng " +
     png);
  const Png projected(png, 1, 420);
  EXPECT_EQ(projected.at(280, 210), kRed);
  // A figure without area is an error, and writes nothing.
  const std::string flat = dir.file("flat.png");
  EXPECT_NE(fails("figure('Position', [0 0 0 100]); print -dpng " + flat)
                .find("The figure's size (0-by-100 pixels) cannot be exported."),
            std::string::npos);
  EXPECT_FALSE(fs::exists(flat));
}

TEST_F(Render, ErrorsAreClearAndLeaveNoFile) {
  const std::string kept = dir.file("kept.png");
  std::ofstream(kept) << "old";
  ok("f = figure; plot(1:3);");
  const std::string notDir = dir.file("plain");
  std::ofstream(notDir) << "x";
  const std::string folder = dir.file("folder.svg");
  fs::create_directory(folder);
  const std::vector<std::string> before{"folder.svg", "kept.png", "plain"};
  struct Case {
    std::string command, message;
  } cases[] = {
      {"print -dxyz " + kept, "Unknown print format '-dxyz': use -dsvg, -dpng or -dpdf."},
      {"print -q " + kept, "Unknown print option '-q'."},
      {"print -dpng -r", "Invalid resolution '-r'"},
      {"print -dpng -rfast " + kept, "Invalid resolution '-rfast'"},
      {"print -dpng", "print needs a file name"},
      {"print " + dir.file("a.txt"), "Cannot tell the format of '" + dir.file("a.txt") + "'"},
      {"print -dpng -r5000 " + kept, "lower the resolution"},
      {"print -f99 " + kept, "Invalid handle."},
      {"print(get(f, 'CurrentAxes'), '" + kept + "')", "print takes a figure handle."},
      {"saveas(f, '" + kept + "', 'jpg')", "Unknown format 'jpg' for saveas"},
      {"print -dpng " + dir.path() + "/missing/a.png",
       "Unable to write file '" + dir.path() + "/missing/a.png': No such file or directory."},
      {"print -dpng " + notDir + "/a.png",
       "Unable to write file '" + notDir + "/a.png': Not a directory."},
      {"print " + folder, "Unable to write file '" + folder + "': it is a folder."},
      // A write that fails is an error, not a success.
      {"print -dpng /dev/full", "Unable to write file '/dev/full': No space left on device."},
      {"close all; print -dpng " + kept, "There is no figure to export."},
  };
  for (const Case& c : cases) {
    const std::string err = fails(c.command);
    EXPECT_NE(err.find(c.message), std::string::npos) << c.command << "\n" << err;
    EXPECT_EQ(files(), before) << c.command;
  }
  {
    // A write that fails half-way (the file size limit) removes the
    // temporary file and keeps the old one.
    ok("f = figure; plot(1:3);");
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 2000;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string err = fails("print -dpng " + kept);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    EXPECT_NE(err.find("Unable to write file '" + kept + "': File too large."), std::string::npos)
        << err;
    EXPECT_EQ(files(), before);
  }
  std::ifstream in(kept);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "old");
  // A good export replaces the file whole and leaves nothing else behind.
  ok("figure; plot(1:3); print -dpng " + kept);
  EXPECT_EQ(pngSize(kept), std::make_pair(560u, 420u));
  EXPECT_EQ(files(), before);
}

}  // namespace

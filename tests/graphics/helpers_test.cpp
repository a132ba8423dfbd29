// The library's graphics helpers (gcf, gca, gcbf, allchild, hold, ishold and
// axis with its local functions) through the command window, with the
// journal telling which properties they write and read, in which order.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "host/graphics/commands.h"
#include "host/graphics/journal.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/library.h"

namespace {

using kh::Value;
using Kind = kh::gfx::JournalEntry::Kind;
using Pairs = std::initializer_list<std::pair<const char*, const char*>>;

std::string show(const Value& v) {
  if (v.isChar()) return v.utf8();
  std::ostringstream s;
  s << "[";
  for (std::size_t i = 0; i < v.numel(); ++i) s << (i ? " " : "") << v.at(i);
  s << "]";
  return s.str();
}

class Helpers : public ::testing::Test {
 protected:
  void SetUp() override {
    kt::ensureLibraryLoaded();
    kh::gfx::resetGraphics();
    reader_.take();
  }
  void TearDown() override { kh::gfx::resetGraphics(); }

  // Runs text that must succeed (recording property reads when asked);
  // returns what it printed.
  std::string ok(const std::string& text, bool reads = false) {
    std::optional<kh::gfx::RecordReads> rr;
    if (reads) rr.emplace();
    const kt::Ran r = kt::runIn(sh, text);
    EXPECT_TRUE(r.ok) << text << "\n" << r.err;
    return r.out;
  }
  // The message of text that must fail.
  std::string fails(const std::string& text) {
    const kt::Ran r = kt::runIn(sh, text);
    EXPECT_FALSE(r.ok) << text;
    return r.err.size() > 5 ? r.err.substr(4, r.err.size() - 5) : r.err;
  }
  Value var(const std::string& name) { return sh.workspace().get(name).value_or(Value()); }
  std::string text(const std::string& expr) {
    ok("r__ = " + expr + ";");
    return show(var("r__"));
  }
  // Names the objects held in the variables for the journal's lines.
  void name(const std::string& vars) {
    std::istringstream in(vars);
    for (std::string n; in >> n;) names_[var(n).at(0)] = n;
  }
  // The journal since the last call, for the named objects, joined by "; ":
  // "a.XLim=[1 5]" for a write, "a.parent?" for a read, "+axes" for a new
  // figure or axes. Writes of "Position" (which follow any of "Units") are
  // left out.
  std::string changes() {
    std::string out;
    auto add = [&](const std::string& s) { out += (out.empty() ? "" : "; ") + s; };
    for (const kh::gfx::JournalEntry& e : reader_.take()) {
      if (e.kind == Kind::Create && e.type == kh::gfx::Type::Figure) add("+figure");
      if (e.kind == Kind::Create && e.type == kh::gfx::Type::Axes) add("+axes");
      auto n = names_.find(e.handle);
      if (n == names_.end() || e.property == "Position") continue;
      if (e.kind == Kind::Set) add(n->second + "." + e.spelling + "=" + show(e.value));
      if (e.kind == Kind::Read) add(n->second + "." + e.spelling + "?");
    }
    return out;
  }

  kh::Shell sh;
  kh::gfx::Journal::Reader reader_{kh::gfx::journal()};
  std::map<double, std::string> names_;
};

TEST_F(Helpers, CurrentFigureAxesAndCallbackFigure) {
  ok("h1 = gcf; h2 = gcf;");
  EXPECT_EQ(changes(), "+figure");
  EXPECT_EQ(show(var("h1")), show(var("h2")));
  ok("close all; a = gca;");
  EXPECT_EQ(changes(), "+figure; +axes");
  // Given a figure without axes, gca makes them there, not in the current one.
  ok("f1 = figure; f2 = figure; a = gca(f1);");
  EXPECT_EQ(text("[get(a, 'parent') == f1, get(0, 'CurrentFigure') == f2]"), "[1 1]");
  EXPECT_EQ(text("get(f2, 'CurrentAxes')"), "[]");

  ok("g = gcbf; f = figure; a = axes; l = line([0 1], [0 1]);"
     "set(l, 'ButtonDownFcn', 'g1 = gcbf;'); set(f, 'ButtonDownFcn', 'g2 = gcbf;');"
     "uipress(l, 0.5, 0.5); uipress(f, 5, 5);");
  EXPECT_TRUE(var("g").isDouble());
  EXPECT_EQ(var("g").dims(), (kh::Dims{0, 0}));
  EXPECT_EQ(show(var("g1")) + show(var("g2")), show(var("f")) + show(var("f")));
}

TEST_F(Helpers, AllchildChecksHandlesAndPutsShowHiddenHandlesBack) {
  ok("f = figure; a = axes; l = line([0 1], [0 1], 'HandleVisibility', 'off');");
  names_[0] = "root";
  struct Case {
    const char* call;
    const char* error;  // "" when the call succeeds
    bool touches;       // whether ShowHiddenHandles is switched for the read
  } cases[] = {
      {"c = allchild('x');", "Invalid handles passed to ALLCHILD.", false},
      {"c = allchild([a 12345.5]);", "Invalid handles passed to ALLCHILD.", false},
      {"c = allchild;", "Not enough input arguments.", false},
      // A complex value names no object.
      {"c = allchild(a + 1i);", "Invalid handles passed to ALLCHILD.", false},
      // A truth value is not a handle, though true is 1 and figure 1 is open.
      {"c = allchild(true);", "Invalid handles passed to ALLCHILD.", false},
      {"c = allchild([]);", "", true},
      {"c = allchild(a);", "", true},
  };
  for (const std::string shown : {"off", "on"}) {
    ok("set(0, 'ShowHiddenHandles', '" + shown + "');");
    for (const Case& c : cases) {
      changes();
      EXPECT_EQ(*c.error ? fails(c.call) : (ok(c.call), ""), c.error) << c.call;
      EXPECT_EQ(changes(),
                c.touches ? "root.ShowHiddenHandles=on; root.ShowHiddenHandles=" + shown : "")
          << c.call;
      EXPECT_EQ(text("get(0, 'ShowHiddenHandles')"), shown) << c.call;
    }
  }
  // The hidden line and the hidden title and labels are children too.
  ok("set(0, 'ShowHiddenHandles', 'off'); c = allchild(a); v = get(a, 'Children'); e = "
     "allchild([]);");
  EXPECT_EQ(var("c").numel(), 5u);
  EXPECT_EQ(var("c").at(0), var("l").at(0));
  EXPECT_EQ(var("v").numel(), 0u);
  EXPECT_EQ(var("e").dims(), (kh::Dims{0, 0}));
}

TEST_F(Helpers, HoldWritesNextPlotAndIsholdReadsIt) {
  ok("f = figure; a = axes;");
  name("f a");
  changes();
  struct Step {
    const char* text;
    bool fails;
    const char* printed;  // or the error
    const char* writes;
  } steps[] = {
      {"hold", false, "Current plot held\n", "f.NextPlot=add; a.NextPlot=add"},
      {"hold", false, "Current plot released\n", "a.NextPlot=replace"},
      {"set(f, 'NextPlot', 'replace'); set(a, 'NextPlot', 'add'); hold", false,
       "Current plot held\n", "f.NextPlot=replace; a.NextPlot=add; f.NextPlot=add; a.NextPlot=add"},
      {"hold off", false, "", "a.NextPlot=replace"},
      {"hold on", false, "", "f.NextPlot=add; a.NextPlot=add"},
      {"hold ON", true, "Unknown command option.", ""},
      {"hold('of')", true, "Unknown command option.", ""},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(s.fails ? fails(s.text) : ok(s.text), s.printed) << s.text;
    EXPECT_EQ(changes(), s.writes) << s.text;
  }
  // Released while the figure still adds; only the first axes count.
  ok("hold off; r0 = ishold; a2 = axes; axes(a); hold on; r1 = ishold([a a2]);"
     "r2 = ishold([a2 a]);");
  EXPECT_EQ(text("[r0 r1 r2]"), "[0 1 0]");
  names_[0] = "root";
  changes();
  // The figure's NextPlot is read before the axes'.
  ok("r = ishold(a);", true);
  EXPECT_EQ(changes(), "a.parent?; f.nextplot?; a.nextplot?");
  ok("r = ishold;", true);
  EXPECT_EQ(changes(), "root.CurrentFigure?; f.currentaxes?; f.nextplot?; a.nextplot?");
  // No axes: none are made to find out; no figure: one is.
  names_.clear();
  ok("close all; r1 = ishold; f = figure; r2 = ishold;");
  EXPECT_EQ(text("[r1 r2]"), "[0 0]");
  EXPECT_EQ(changes(), "+figure; +figure");
}

TEST_F(Helpers, AxisLimitsQueriesAndVectors) {
  ok("r = axis;");
  EXPECT_EQ(changes(), "+figure; +axes");
  EXPECT_EQ(text("r"), "[0 1 0 1]");
  ok("a = gca; a2 = axes; r = axis([a a2]);");
  EXPECT_EQ(var("r").dims(), (kh::Dims{2, 1}));
  EXPECT_EQ(show(var("r").cellAt(1)), "[0 1 0 1]");
  for (auto [view, count] : {std::pair{"[0 45]", 4u}, {"[30 90]", 4u}, {"[-37.5 30]", 6u}}) {
    ok(std::string("set(a, 'View', ") + view + "); r = axis(a);");
    EXPECT_EQ(var("r").numel(), count) << view;
  }
  // Handles of figures 1 and 2 are limits, for the current axes.
  ok("close all; f1 = figure; f2 = figure; axis([1 2 1 2]);");
  EXPECT_EQ(text("[f1 f2 get(gca, 'XLim') get(gca, 'YLim') get(gca, 'Parent')]"),
            "[1 2 1 2 1 2 2]");

  const std::string xy =
      "a.XLim=[1 5]; a.XLimMode=manual; a.YLim=[2 8]; a.YLimMode=manual; a.XLimMode=manual; "
      "a.YLimMode=manual";
  const std::string z = "; a.ZLim=[0 1]; a.ZLimMode=manual; a.ZLimMode=manual";
  struct Case {
    const char* setup;
    const char* limits;
    std::string writes;
  } cases[] = {
      {"", "[1 5 2 8]", xy + "; a.view=[0 90]"},
      {"hold on;", "[1 5 2 8]'", xy},
      {"", "[1 5 2 8 0 1]", xy + z + "; a.view=[-37.5 30]"},
      {"set(a, 'View', [10 20]);", "[1 5 2 8 0 1]", xy + z},
      {"hold on;", "[1 5 2 8 0 1]", xy + z},
      {"", "[1 5 2 8 0 1 0 2]", xy + z + "; a.CLim=[0 2]; a.CLimMode=manual; a.CLimMode=manual"},
  };
  for (const Case& k : cases) {
    ok(std::string("close all; a = axes; ") + k.setup);
    name("a");
    changes();
    ok(std::string("axis(") + k.limits + ");");
    EXPECT_EQ(changes(), k.writes) << k.setup << k.limits;
  }
  for (const char* bad : {"[1 2 3 4 5]", "[]", "[1 2; 3 4]"}) {
    EXPECT_EQ(fails(std::string("axis(") + bad + ")"), "Vector must have 4, 6, or 8 elements.");
    EXPECT_EQ(changes(), "") << bad;
  }
}

TEST_F(Helpers, AxisWordsWriteTheirPropertiesInOrder) {
  const Pairs cases = {
      {"auto", "a.XLimMode=auto; a.YLimMode=auto; a.ZLimMode=auto"},
      {"autox", "a.XLimMode=auto; a.YLimMode=manual; a.ZLimMode=manual"},
      {"autozy", "a.XLimMode=manual; a.YLimMode=auto; a.ZLimMode=auto"},
      {"autoqq", "a.XLimMode=manual; a.YLimMode=manual; a.ZLimMode=manual"},
      {"manual", "a.XLimMode=manual; a.YLimMode=manual; a.ZLimMode=manual"},
      {"ij", "a.XDir=normal; a.YDir=reverse"},
      {"xy", "a.XDir=normal; a.YDir=normal"},
      {"square",
       "a.PlotBoxAspectRatio=[1 1 1]; a.PlotBoxAspectRatioMode=manual; a.DataAspectRatioMode=auto"},
      {"normal",
       "a.PlotBoxAspectRatioMode=auto; a.DataAspectRatioMode=auto; a.CameraViewAngleMode=auto"},
      {"off", "a.Visible=off; t.Visible=on"},
      {"on", "a.Visible=on"},
      {"vis3d",
       "a.type?; a.PlotBoxAspectRatio?; a.DataAspectRatio?; a.CameraViewAngle?; "
       "a.CameraViewAngle=[6.6086]; "
       "a.CameraViewAngleMode=manual; a.DataAspectRatio=[1 1 1]; a.DataAspectRatioMode=manual; "
       "a.PlotBoxAspectRatio=[1 1 1]; a.PlotBoxAspectRatioMode=manual"},
  };
  for (auto [word, writes] : cases) {
    ok("close all; a = axes('Units', 'pixels', 'Position', [10 10 300 300]); t = get(a, 'Title');");
    name("a t");
    changes();
    ok(std::string("axis(a, '") + word + "');", word == std::string("vis3d"));
    EXPECT_EQ(changes(), writes) << word;
  }
  for (const char* bad : {"aut", "AUTO", "TIGHT", "bogus", ""}) {
    EXPECT_EQ(fails(std::string("axis(a, '") + bad + "')"),
              std::string("Unknown command option '") + bad + "'");
    EXPECT_EQ(changes(), "") << bad;
  }
  // Every argument goes to the first axes before any goes to the second; a
  // bad one stops there, the earlier ones applied.
  ok("close all; a1 = axes; line([1 5], [2 8]); a2 = axes;");
  name("a1 a2");
  changes();
  ok("axis([a1 a2], 'ij', 'autox');");
  EXPECT_EQ(changes(),
            "a1.XDir=normal; a1.YDir=reverse; a1.XLimMode=auto; a1.YLimMode=manual; "
            "a1.ZLimMode=manual; a2.XDir=normal; a2.YDir=reverse; a2.XLimMode=auto; "
            "a2.YLimMode=manual; a2.ZLimMode=manual");
  EXPECT_EQ(fails("axis([a1 a2], 'tight', 'bogus')"), "Unknown command option 'bogus'");
  EXPECT_EQ(changes(), "a1.xlim=[1 5]; a1.XLimMode=manual; a1.ylim=[2 8]");
}

TEST_F(Helpers, AxisStateWarnsAndReportsModeVisibilityAndDirection) {
  for (auto [setup, state] : Pairs{{"", "auto on xy"},
                                   {"axis(a, 'manual');", "manual on xy"},
                                   {"set(a, 'XLimMode', 'manual');", "manual on xy"},
                                   {"axis(a, 'ij');", "auto on ij"},
                                   {"axis(a, 'off');", "auto off xy"}}) {
    ok(std::string("close all; a = axes; ") + setup);
    EXPECT_EQ(ok("[m, v, d] = axis(a, 'state');"),
              "Warning: AXIS('STATE') is obsolete and will be eliminated\n"
              "         in future versions. Use GET(GCA,...) instead.\n");
    EXPECT_EQ(show(var("m")) + " " + show(var("v")) + " " + show(var("d")), state) << setup;
  }
}

TEST_F(Helpers, TightFitsTheDataOfEveryChild) {
  const Pairs cases = {
      {"line([1 5], [2 8], 'HandleVisibility', 'off');", "a.xlim=[1 5]; a.ylim=[2 8]"},
      {"line(3, 4);", "a.xlim=[2 4]; a.ylim=[3 5]"},
      {"text(1, 1, 'words'); title('a title');", ""},
      {"image('XData', [1 10], 'YData', [1 5], 'CData', zeros(5, 10));",
       "a.xlim=[0.5 10.5]; a.ylim=[0.5 5.5]"},
      {"surface('XData', [0 1; 0 1], 'YData', [0 0; 1 1], 'ZData', [0 1; 1 2]);",
       "a.xlim=[0 1]; a.ylim=[0 1]; a.zlim=[0 2]"},
      {"line([0 1], [0 1], [7 7]); line([1 2], [0 1], [7 7]);", "a.xlim=[0 2]; a.ylim=[0 1]"},
      // A single column or row of pixels: each pixel one unit wide.
      {"image('XData', [4 4], 'YData', [1 3], 'CData', zeros(3, 1));",
       "a.xlim=[3.5 4.5]; a.ylim=[0.5 3.5]"},
      {"image('CData', 7); line([3 5], [1 2]);", "a.xlim=[0.5 5]; a.ylim=[0.5 2]"},
      {"image('XData', [1 10], 'CData', []); line([3 5], [1 2]);", "a.xlim=[3 5]; a.ylim=[1 2]"},
  };
  for (auto [children, writes] : cases) {
    ok(std::string("close all; a = axes; hold on; axis manual; ") + children);
    name("a");
    changes();
    ok("axis tight");
    EXPECT_EQ(changes(), writes) << children;
  }
  EXPECT_EQ(kt::callError("axis/LocSetTight", 0, {Value::scalar(12345.5)}),
            "Invalid handles passed to ALLCHILD.");
}

TEST_F(Helpers, FillEqualAndImageShapeTheBoxToThePixels) {
  const std::string units = "a.Units=pixels; a.Units=normalized; ";
  const struct {
    const char* setup;
    const char* word;
    std::string writes;
  } cases[] = {
      {"", "fill", ""},  // both ratios automatic: nothing to fill
      {"set(a, 'DataAspectRatioMode', 'manual');", "fill",
       units + "a.PlotBoxAspectRatio=[400 300 300]; a.PlotBoxAspectRatioMode=manual; "
               "a.xlimmode=auto"},
      {"set(a, 'Units', 'pixels', 'Position', [10 10 300 400], 'Units', 'normalized', "
       "'PlotBoxAspectRatioMode', 'manual');",
       "fill", units + "a.PlotBoxAspectRatio=[300 400 400]; a.ylimmode=auto"},
      {"line([0 4], [0 1]); axis(a, [0 4 0 1]);", "equal",
       units + "a.DataAspectRatio=[1 1 1]; a.DataAspectRatioMode=manual; "
               "a.PlotBoxAspectRatioMode=auto; a.PlotBoxAspectRatio=[400 300 600]; "
               "a.PlotBoxAspectRatioMode=manual; a.ylimmode=auto"},
      // An automatic box of [1 0.05 0.1] is clamped, then the limits fit.
      {"line([0 20], [0 1]);", "image",
       "a.DataAspectRatio=[1 1 1]; a.DataAspectRatioMode=manual; a.PlotBoxAspectRatioMode=auto; "
       "a.PlotBoxAspectRatio=[1 0.1 0.1]; a.PlotBoxAspectRatioMode=manual; a.xlim=[0 20]; "
       "a.XLimMode=manual; a.ylim=[0 1]; a.YLimMode=manual"},
  };
  for (const auto& c : cases) {
    ok("close all; a = axes('Units', 'pixels', 'Position', [10 10 400 300]);"
       "set(a, 'Units', 'normalized'); hold on;");
    ok(c.setup);
    name("a");
    changes();
    ok(std::string("axis(a, '") + c.word + "');");
    EXPECT_EQ(changes(), c.writes) << c.setup << c.word;
  }
  // Axes in a 3-D view are filled by themselves even when others are current.
  ok("close all; a = axes; line([0 4], [0 1], [0 2]);"
     "set(a, 'View', [30 30], 'DataAspectRatioMode', 'manual'); b = axes;");
  name("b");
  changes();
  ok("axis(a, 'fill');");
  EXPECT_EQ(changes(), "");
  EXPECT_EQ(text("[get(a, 'DataAspectRatio') get(a, 'XLim')]"), "[1 1 1 0 4]");
}

TEST_F(Helpers, UnassignedOutputAndLeaks) {
  ok("a = axes;");
  const std::size_t live = kt::liveArrays();
  // A call that only sets leaves ans1 unassigned: asked for, it warns.
  EXPECT_EQ(kt::runIn(sh, "q = axis(a, 'on');").out,
            "Warning: Output argument 'ans1' of 'axis' was not assigned a value.\n");
  EXPECT_EQ(ok("axis(a, [0 1 0 1]); axis(a, 'tight', 'equal', 'fill'); hold; hold;"
               "c = allchild(a); r = axis; [m, v, d] = axis('state');"),
            "Current plot held\nCurrent plot released\nWarning: AXIS('STATE') is obsolete and "
            "will be eliminated\n         in future versions. Use GET(GCA,...) instead.\n");
  fails("axis(a, 'bogus')");
  fails("c = allchild(a + 1i);");
  EXPECT_EQ(kt::liveArrays(), live);
}

}  // namespace

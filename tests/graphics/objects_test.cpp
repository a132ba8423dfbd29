// The graphics object system through the command window: properties and
// their checks, handles, the journal's order of writes, automatic limits,
// units, plot, and the C entry points.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>

#include "host/graphics/commands.h"
#include "host/graphics/journal.h"
#include "host/graphics/properties.h"
#include "host/values/handle.h"
#include "runtime/graphics.h"
#include "tests/graphics/figure_fixture.h"

namespace {

using kt::numbers;
using kt::runIn;

class Graphics : public kt::FigureTest {};

TEST_F(Graphics, PropertyChecksNameThePropertyAndTheType) {
  ok("f = figure; ax = axes('parent', f); h = line([1 2], [3 4]);");
  struct Case {
    const char* statement;
    const char* message;
  } cases[] = {
      {"set(h, 'Foo', 1)", "There is no 'Foo' property of line objects."},
      {"set(h, 'LineWidth', 'x')",
       "Invalid value for the 'LineWidth' property of line objects: expected a real finite "
       "scalar."},
      {"set(h, 'LineStyle', '~')", "'LineStyle' property of line objects: expected '-', '--'"},
      {"set(h, 'type', 'text')", "The 'Type' property of line objects cannot be set."},
      {"set(ax, 'CurrentPoint', [1 2 3; 4 5 6])",
       "The 'CurrentPoint' property of axes objects cannot be set."},
      {"set(ax, 'XLim', [2 1])", "the limits must be increasing"},
      {"set(h, 'Color', [2 0 0])", "expected [r g b] with values in 0..1"},
      {"set(f, 'CurrentAxes', h)", "expected axes of this figure"},
      {"get(h + 0.5, 'Type')", "Invalid handle."},
      {"set(h, 'Color')", "Not enough input arguments."},
      {"set(h, 'Color', 'r', 'LineWidth')", "Invalid parameter/value pair arguments."},
  };
  for (const Case& c : cases)
    EXPECT_NE(fails(c.statement).find(c.message), std::string::npos) << c.statement;
  // Names without regard to case, unambiguous abbreviations, stored forms.
  ok("set(h, 'COLOR', 'g', 'linew', 3, 'linestyle', '--', 'erasemode', 'XOR');");
  EXPECT_EQ(eval("get(h, 'Color')"), (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(eval("get(h, 'LineWidth')"), std::vector<double>{3});
  EXPECT_EQ(text("get(h, 'EraseMode')"), "xor");
  EXPECT_EQ(text("get(ax, 'nextplot')"), "replace");
  EXPECT_EQ(text("get(h, 'type')"), "line");
}

// Every property of every type, its every prefix, in three cases and with
// one character too many, is found as a plain scan of the names would find
// it: an exact match first, otherwise the one name the text begins.
TEST(PropertyNames, FoundAsAScanOfTheNamesFindsThem) {
  auto lower = [](std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
  };
  for (int t = 0; t < kh::gfx::kTypeCount; ++t) {
    const kh::gfx::TypeTable& tt = kh::gfx::table(static_cast<kh::gfx::Type>(t));
    auto scan = [&](const std::string& name) {
      int prefix = -1, prefixes = 0;
      for (std::size_t i = 0; i < tt.props.size(); ++i) {
        const std::string l = lower(tt.props[i].name);
        if (name.empty() || l.compare(0, name.size(), lower(name)) != 0) continue;
        if (l.size() == name.size()) return static_cast<int>(i);
        prefix = static_cast<int>(i);
        ++prefixes;
      }
      return prefixes == 1 ? prefix : -1;
    };
    for (const kh::gfx::PropSpec& p : tt.props) {
      const std::string name = p.name;
      for (std::size_t n = 0; n <= name.size(); ++n) {
        std::string upper = name.substr(0, n);
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        for (const std::string& q : {name.substr(0, n), lower(name.substr(0, n)), upper})
          ASSERT_EQ(tt.find(q), scan(q)) << q;
      }
      ASSERT_EQ(tt.find(name + "x"), scan(name + "x"));
    }
    EXPECT_EQ(tt.find(std::string(200, 'a')), -1);
  }
}

TEST_F(Graphics, SetAppliesPairsInOrderAndStopsAtTheFirstBadOne) {
  ok("f = figure; h = line([1 2], [3 4]); g = line([1 2], [5 6]);");
  kh::gfx::Journal::Reader reader(kh::gfx::journal());
  fails("set([h g], 'LineWidth', 4, 'Color', 'b', 'Marker', 'nonsense', 'Tag', 'late')");
  // The first object got the two good pairs; nothing after the bad one, and
  // nothing on the second object.
  std::vector<std::string> written;
  for (const auto& e : reader.take())
    if (e.kind == kh::gfx::JournalEntry::Kind::Set) written.push_back(e.property);
  EXPECT_EQ(written, (std::vector<std::string>{"LineWidth", "Color"}));
  EXPECT_EQ(eval("get(h, 'LineWidth')"), std::vector<double>{4});
  EXPECT_EQ(eval("get(g, 'LineWidth')"), std::vector<double>{0.5});
  EXPECT_EQ(text("get(h, 'Tag')"), "");
  // A stale handle among several changes nothing at all.
  ok("k = line([0 1], [0 1]); delete(k);");
  fails("set([h k], 'LineWidth', 9)");
  EXPECT_EQ(eval("get(h, 'LineWidth')"), std::vector<double>{4});
}

TEST_F(Graphics, JournalRecordsCreationWritesReadsAndDeletion) {
  kh::gfx::Journal::Reader reader(kh::gfx::journal());
  ok("f = figure; h = line([1 2], [3 4], 'Color', 'r');");
  {
    kh::gfx::RecordReads reads;
    ok("c = get(h, 'color'); delete(h);");
  }
  std::vector<std::string> seen;
  for (const auto& e : reader.take()) {
    using K = kh::gfx::JournalEntry::Kind;
    const char* kinds[] = {"create ", "delete ", "set ", "read "};
    std::string s = kinds[static_cast<int>(e.kind)];
    s += e.kind == K::Create || e.kind == K::Delete ? kh::gfx::typeName(e.type) : e.spelling;
    seen.push_back(s);
  }
  // The figure, the axes that line needs (with their title and labels),
  // then the line and its colour; the read keeps the caller's spelling.
  const std::vector<std::string> tail{"create line", "set XData",  "set YData",
                                      "set Color",   "read color", "delete line"};
  ASSERT_GE(seen.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(seen.end() - 6, seen.end()), tail);
  EXPECT_EQ(seen.front(), "create figure");
  EXPECT_NE(std::find(seen.begin(), seen.end(), "create axes"), seen.end());
}

TEST_F(Graphics, HandlesFiguresCurrentObjectsAndHiddenLabels) {
  ok("a = figure; b = figure; c = figure; close(b); d = figure;");
  EXPECT_EQ(eval("[a c d]"), (std::vector<double>{1, 3, 2}));
  EXPECT_EQ(eval("get(0, 'CurrentFigure')"), std::vector<double>{2});
  ok("figure(7); ax1 = axes; ax2 = axes; l1 = line([0 1], [0 1]); delete(l1); l2 = line([0 1], [0 "
     "1]);");
  EXPECT_EQ(eval("get(7, 'CurrentAxes')"), eval("ax2"));
  EXPECT_NE(eval("l1"), eval("l2"));  // never given again
  EXPECT_NE(std::fmod(eval("l2")[0], 1.0), 0.0);
  // Title and labels are hidden children, shown only with ShowHiddenHandles.
  EXPECT_EQ(eval("get(ax2, 'Children')"), eval("l2"));
  ok("set(0, 'ShowHiddenHandles', 'on'); n = length(get(ax2, 'Children')); "
     "set(0, 'ShowHiddenHandles', 'off');");
  EXPECT_EQ(eval("n"), std::vector<double>{5});
  EXPECT_EQ(eval("findobj(ax2, 'Type', 'text')").size(), 0u);
  ok("t = title('Pulse'); set(ax2, 'Visible', 'off');");
  EXPECT_EQ(eval("t"), eval("get(ax2, 'Title')"));
  EXPECT_EQ(text("get(t, 'String')"), "Pulse");
  // Multi-object reads.
  ok("c1 = get([ax1; ax2], 'Visible'); c2 = get([ax1 ax2], {'Visible', 'Type'});");
  EXPECT_EQ(eval("size(c1)"), (std::vector<double>{2, 1}));
  EXPECT_EQ(eval("size(c2)"), (std::vector<double>{2, 2}));
  EXPECT_EQ(text("c2{2, 1}"), "off");
  EXPECT_EQ(eval("size(get(ax1, {'XLim', 'YLim', 'ZLim'}))"), (std::vector<double>{1, 3}));
  ok("s = get(ax1);");
  EXPECT_TRUE(sh.workspace().get("s")->isStruct());
  ok("close all");
  EXPECT_TRUE(eval("get(0, 'CurrentFigure')").empty());
  EXPECT_EQ(eval("ishandle([a ax1 0])"), (std::vector<double>{0, 0, 1}));
}

TEST_F(Graphics, AutomaticLimitsFollowTheData) {
  struct Case {
    const char* make;
    std::vector<double> xlim, ylim;
  } cases[] = {
      {"line([1 5], [2 8])", {1, 5}, {2, 8}},
      {"line(3, 4, 'Marker', 'o')", {2, 4}, {3, 5}},
      {"line([0 0.93], [-12 317])", {0, 1}, {-50, 350}},
      {"line([1 NaN 10], [1 Inf 100])", {1, 10}, {0, 100}},
      {"image('XData', [1 10], 'YData', [1 5], 'CData', ones(5, 10))", {0, 11}, {0.5, 5.5}},
      {"text(5, 5, 'only text')", {0, 1}, {0, 1}},
  };
  for (const Case& c : cases) {
    ok("close all; figure; ax = axes; h = " + std::string(c.make) + ";");
    EXPECT_EQ(eval("get(ax, 'XLim')"), c.xlim) << c.make;
    EXPECT_EQ(eval("get(ax, 'YLim')"), c.ylim) << c.make;
  }
  // A write of the data moves the limits; setting them makes them manual.
  ok("close all; figure; ax = axes; h = line(1:10, 1:10);");
  EXPECT_EQ(eval("get(ax, 'YLim')"), (std::vector<double>{1, 10}));
  ok("set(h, 'YData', (1:10) * 30);");
  EXPECT_EQ(eval("get(ax, 'YLim')"), (std::vector<double>{0, 300}));
  ok("set(ax, 'YLim', [-1 1]); set(h, 'YData', 1:10);");
  EXPECT_EQ(text("get(ax, 'YLimMode')"), "manual");
  EXPECT_EQ(eval("get(ax, 'YLim')"), (std::vector<double>{-1, 1}));
  EXPECT_EQ(eval("get(ax, 'ZLim')"), (std::vector<double>{-1, 1}));
  EXPECT_EQ(eval("get(ax, 'XTick')"), (std::vector<double>{2, 4, 6, 8, 10}));
  ok("l = get(ax, 'XTickLabel');");
  EXPECT_EQ(text("l(1, :)"), "2 ");
  EXPECT_EQ(text("l(end, :)"), "10");
}

TEST_F(Graphics, UnitsConvertPositionsExactly) {
  ok("f = figure('Position', [10 20 400 300]); ax = axes('Units', 'normalized', "
     "'Position', [0.25 0.5 0.5 0.25]);");
  ok("set(ax, 'Units', 'pixels');");
  EXPECT_EQ(eval("get(ax, 'Position')"), (std::vector<double>{100, 150, 200, 75}));
  ok("set(ax, 'Units', 'inches');");
  EXPECT_EQ(eval("get(ax, 'Position')"),
            (std::vector<double>{100 / 96.0, 150 / 96.0, 200 / 96.0, 75 / 96.0}));
  ok("set(ax, 'Units', 'normalized');");
  const auto p = eval("get(ax, 'Position')");
  const double want[] = {0.25, 0.5, 0.5, 0.25};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(p[k], want[k], 1e-15);
  // The automatic plot box follows the pixel shape; "fill"-style manual
  // ratios widen the automatic limit.
  EXPECT_EQ(eval("get(ax, 'PlotBoxAspectRatio')"), (std::vector<double>{1, 0.375, 0.375}));
  ok("set(ax, 'Units', 'pixels', 'Position', [0 0 400 300], 'DataAspectRatio', [1 1 1], "
     "'PlotBoxAspectRatio', [400 300 300]); line([0 10], [0 10]);");
  const auto x = eval("get(ax, 'XLim')");
  EXPECT_NEAR(x[1] - x[0], 10 * 400.0 / 300.0, 1e-12);
  EXPECT_EQ(eval("get(ax, 'YLim')"), (std::vector<double>{0, 10}));
}

TEST_F(Graphics, PlotFormsStylesAndNextPlot) {
  ok("h = plot([1 2; 3 4; 5 6]);");
  EXPECT_EQ(eval("size(h)"), (std::vector<double>{2, 1}));
  EXPECT_EQ(eval("get(h(2), 'YData')"), (std::vector<double>{2, 4, 6}));
  EXPECT_EQ(eval("get(h(1), 'XData')"), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(eval("get(h(2), 'Color')"), (std::vector<double>{0, 0.5, 0}));
  // A new plot replaces what the axes held; with NextPlot "add" it adds.
  ok("h2 = plot(1:3, [4 5 6], 'r--o', 1:3, [1 1 1], ':', 'LineWidth', 2);");
  EXPECT_EQ(eval("ishandle(h)"), (std::vector<double>{0, 0}));
  EXPECT_EQ(eval("get(h2(1), 'Color')"), (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(text("get(h2(1), 'LineStyle')"), "--");
  EXPECT_EQ(text("get(h2(1), 'Marker')"), "o");
  EXPECT_EQ(text("get(h2(2), 'LineStyle')"), ":");
  EXPECT_EQ(eval("get(h2(2), 'LineWidth')"), std::vector<double>{2});
  // The name a legend shows: none until given, by plot's pairs or by set.
  EXPECT_EQ(text("get(h2(1), 'DisplayName')"), "");
  ok("h4 = plot(1:3, 'DisplayName', 'record'); set(h4, 'displayname', 'T1 (click)');");
  EXPECT_EQ(text("get(h4, 'DisplayName')"), "T1 (click)");
  EXPECT_NE(fails("set(h4, 'DisplayName', 5)").find("'DisplayName' property of line objects"),
            std::string::npos);
  ok("h2 = plot(1:3, [4 5 6], 'r--o', 1:3, [1 1 1], ':', 'LineWidth', 2);");
  ok("set(get(get(0, 'CurrentFigure'), 'CurrentAxes'), 'NextPlot', 'add'); h3 = plot([1 2], [3 4], "
     "'k.');");
  EXPECT_EQ(eval("length(get(get(get(0, 'CurrentFigure'), 'CurrentAxes'), 'Children'))"),
            std::vector<double>{3});
  EXPECT_EQ(text("get(h3, 'LineStyle')"), "none");
  EXPECT_NE(fails("plot(1:3, 1:4)").find("Vectors must be the same lengths."), std::string::npos);
  EXPECT_NE(fails("plot(1:3, 1:3, 'LineWidth')").find("Invalid parameter/value pair"),
            std::string::npos);
  // A reset of the axes puts their properties back.
  ok("set(get(get(0, 'CurrentFigure'), 'CurrentAxes'), 'NextPlot', 'replace', 'XLim', [0 5], "
     "'Tag', 'kept?'); plot(1:2);");
  EXPECT_EQ(text("get(get(get(0, 'CurrentFigure'), 'CurrentAxes'), 'XLimMode')"), "auto");
  EXPECT_EQ(text("get(get(get(0, 'CurrentFigure'), 'CurrentAxes'), 'Tag')"), "");
}

TEST_F(Graphics, LowLevelCreationForms) {
  ok("ax = axes; t = text(1, 2, {'two', 'lines'}); p = patch([0 1 1], [0 0 1], 'r');"
     "q = patch([0 1 1], [0 0 1], [5; 6; 7]); s = surface([1 2 3; 4 5 6; 7 8 9]);");
  EXPECT_EQ(eval("get(t, 'Position')"), (std::vector<double>{1, 2, 0}));
  EXPECT_EQ(text("get(t, 'Clipping')"), "off");
  EXPECT_EQ(eval("get(p, 'FaceColor')"), (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(eval("get(q, 'CData')"), (std::vector<double>{5, 6, 7}));
  EXPECT_EQ(text("get(q, 'FaceColor')"), "flat");
  EXPECT_EQ(eval("get(s, 'XData')"), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(eval("size(get(s, 'YData'))"), (std::vector<double>{3, 1}));
  // A picture fills fresh axes whole, first row at the top; held axes keep
  // their view.
  ok("close all; im = image(ones(4, 8)); ax = get(im, 'Parent');");
  EXPECT_EQ(eval("get(ax, 'XLim')"), (std::vector<double>{0.5, 8.5}));
  EXPECT_EQ(eval("get(ax, 'YLim')"), (std::vector<double>{0.5, 4.5}));
  EXPECT_EQ(text("get(ax, 'YDir')"), "reverse");
  ok("set(ax, 'NextPlot', 'add', 'XLim', [0 20]); image(ones(2), 'XData', [30 31]);");
  EXPECT_EQ(eval("get(ax, 'XLim')"), (std::vector<double>{0, 20}));
  EXPECT_EQ(eval("length(get(ax, 'Children'))"), std::vector<double>{2});
}

TEST_F(Graphics, CEntryPointsAreTheSameDoors) {
  using kh::Value;
  auto temp = [](Value v) { return kh::newTemp(std::move(v)); };
  // Results are temporaries, consumed when passed on; kept ones are held
  // as variables are.
  auto keep = [](mxArray* a) {
    a->temporary = false;
    return a;
  };
  const std::size_t live = kh::liveHandles();
  mxArray* fig = keep(mlfNFigure(1, nullptr));
  mxArray* ax = keep(mlfNAxes(1, temp(Value::str(std::string_view("parent"))), fig, nullptr));
  mxArray* lines = keep(
      mlfNPlot(1, temp(Value::row({1, 2, 3})), temp(Value::str(std::string_view("g"))), nullptr));
  mlfNSet(0, lines, temp(Value::str(std::string_view("YData"))), temp(Value::row({3, 2, 1})),
          temp(Value::str(std::string_view("Tag"))), temp(Value::str(std::string_view("x"))),
          nullptr);
  mxArray* names = temp(Value::cell({1, 2}));
  names->v.mutCellAt(0) = Value::str(std::string_view("ydata"));
  names->v.mutCellAt(1) = Value::str(std::string_view("tag"));
  mxArray* got = keep(mlfNGet(1, lines, names, nullptr));
  ASSERT_TRUE(got->v.isCell());
  EXPECT_EQ(got->v.cellAt(1).utf8(), "x");
  EXPECT_EQ(got->v.cellAt(0).at(0), 3);
  mxArray* found = mlfFindobj(fig, temp(Value::str(std::string_view("Tag"))),
                              temp(Value::str(std::string_view("x"))), nullptr);
  keep(found);
  EXPECT_EQ(found->v.at(0), lines->v.at(0));
  mxArray* alive = keep(mlfIshandle(ax, nullptr));
  EXPECT_EQ(alive->v.at(0), 1);
  for (mxArray* a : {fig, ax, lines, got, found, alive}) kh::destroyHandle(a);
  EXPECT_EQ(kh::liveHandles(), live);
}

}  // namespace

// The pulse editor end to end through its figure and the event commands a
// person's mouse drives: loading, sliders, the fit switch, the three
// markers' drags and their clamps, bad records, and the estimate against an
// independent reference. Also num2str and strvcat, which the editor uses.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/graphics/commands.h"
#include "host/graphics/events.h"
#include "host/graphics/geometry.h"
#include "host/graphics/hit_test.h"
#include "host/graphics/tree.h"
#include "tests/graphics/editor_fixture.h"

namespace {

using kh::Value;
using kt::Editor;
using kt::wave;

TEST_F(Editor, Num2strAndStrvcatWriteTheirTexts) {
  struct Case {
    const char* expr;
    std::vector<std::string> rows;
  } cases[] = {
      {"num2str(42)", {"42"}},
      {"num2str(-10)", {"-10"}},
      {"num2str(pi)", {"3.1416"}},
      {"num2str(pi, 4)", {"3.142"}},
      {"num2str([1 2; 30 4])", {" 1   2", "30   4"}},
      {"num2str(3 + 4i)", {"3+4i"}},
      {"num2str(2 - 0.5i)", {"2-0.5i"}},
      {"num2str(7, '%6.2f')", {"7.00"}},
      {"num2str('abc')", {"abc"}},
      {"strvcat('ab', '', 'cde')", {"ab ", "cde"}},
      {"strvcat(['ab'; 'cd'], 'efg')", {"ab ", "cd ", "efg"}},
      {"strvcat(65, 'b')", {"A", "b"}},
  };
  for (const Case& c : cases) {
    ok("t = " + std::string(c.expr) + ";");
    const Value t = *sh.workspace().get("t");
    ASSERT_TRUE(t.isChar()) << c.expr;
    ASSERT_EQ(t.rows(), c.rows.size()) << c.expr;
    for (std::size_t r = 0; r < c.rows.size(); ++r) EXPECT_EQ(t.rowUtf8(r), c.rows[r]) << c.expr;
  }
  EXPECT_EQ(eval("size(num2str([]))"), (std::vector<double>{0, 0}));
  EXPECT_NE(fails("num2str(1, '%d')").find("Format must contain field width."), std::string::npos);
  EXPECT_NE(fails("num2str(1, 'abc')").find("'abc' is an invalid format."), std::string::npos);
}

TEST_F(Editor, LoadingSetsTheGlobalsAndDrawsFiveLines) {
  record(6000, 1200);
  ok("kestrel_figure; set(findobj(gcf, 'Tag', 'slider9'), 'Value', 20.6);"
     "set(findobj(gcf, 'Tag', 'slider10'), 'Value', 20.4); uiclick pushbutton1;");
  EXPECT_EQ(eval("[T1 T2 T3 Nsmall Nmedium Nlarge Lpoly pf]"),
            (std::vector<double>{1200, 1700, 2750, 21, 20, 401, 100, 0}));
  EXPECT_EQ(eval("size(seg)"), (std::vector<double>{5000, 1}));
  EXPECT_EQ(eval("[get(psp1, 'XData') get(psp2, 'XData') get(psp3, 'XData')]"),
            (std::vector<double>{1200, 1200, 1700, 1700, 2750, 2750}));
  EXPECT_EQ(eval("get(psp1, 'Color')"), (std::vector<double>{1, 0.7, 0}));
  EXPECT_EQ(eval("get(psp2, 'LineWidth')"), std::vector<double>{1.3});
  EXPECT_EQ(eval("get(ppulse, 'LineWidth')"), std::vector<double>{2});
  EXPECT_EQ(text("get(psp3, 'ButtonDownFcn')"), "kestrel start3");
  EXPECT_EQ(text("get(psp3, 'EraseMode')"), "xor");
  EXPECT_EQ(eval("get(gca, 'XLim')"), (std::vector<double>{1, 5000}));
  EXPECT_EQ(eval("get(gca, 'YLim') - 1.1 * [min(seg) max(seg)]"), (std::vector<double>{0, 0}));
  EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{5});
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'slider9'), 'Enable')"), "on");
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'radiobutton1'), 'Enable')"), "on");
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'slider7'), 'Enable')"), "off");
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'pushbutton1'), 'Enable')"), "off");
  expectEstimateMatchesReference("first load");
  // A second load draws a second set of lines; the globals name the new ones.
  ok("old = ppulse;");
  reload();
  EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{10});
  EXPECT_NE(eval("old"), eval("ppulse"));
  // No bound on the click: the third marker may start beyond the record.
  record(5000, 4000);
  reload();
  EXPECT_EQ(eval("T3"), std::vector<double>{5550});
  EXPECT_EQ(eval("get(psp3, 'XData')"), (std::vector<double>{5550, 5550}));
}

TEST_F(Editor, DragsClampTheMarkers) {
  record(5000, 500);  // T1 500, T2 1000, T3 2050
  loaded();
  struct Drag {
    const char* line;
    double x;
    const char* global;
    double want;
  } drags[] = {
      {"psp2", 700.4, "T2", 700}, {"psp1", 10, "T1", 50},   {"psp1", 1e6, "T1", 650},
      {"psp3", 1e9, "T3", 4950},  {"psp3", -5, "T3", 750},  {"psp2", 1e6, "T2", 700},
      {"psp2", 0, "T2", 700},     {"psp1", 600, "T1", 600}, {"psp2", 0, "T2", 650},
  };
  for (const Drag& d : drags) {
    ok("uipress(" + std::string(d.line) + ", " + std::to_string(d.x) + ", 0);");
    EXPECT_EQ(text("get(gcf, 'WindowButtonMotionFcn')"), std::string("kestrel move") + d.line[3]);
    ok("uimove(gcf, " + std::to_string(d.x) + ", 0.3); uirelease(gcf, " + std::to_string(d.x) +
       ", 0.3);");
    EXPECT_EQ(num(d.global), d.want) << d.line << " to " << d.x;
    EXPECT_EQ(eval("get(" + std::string(d.line) + ", 'XData')"),
              (std::vector<double>{d.want, d.want}));
    // The release emptied both window callbacks: motion now runs nothing.
    EXPECT_EQ(text("get(gcf, 'WindowButtonMotionFcn')"), "");
    EXPECT_EQ(text("get(gcf, 'WindowButtonUpFcn')"), "");
  }
  expectEstimateMatchesReference("after the drags");
  // Crossed bounds: the lower bound wins.
  record(5000, 20);  // T1 20, T2 520
  reload();
  ok("uipress(psp2, 0, 0); uimove(gcf, 0, 0); uirelease(gcf, 0, 0);");
  EXPECT_EQ(eval("T2"), std::vector<double>{70});
  ok("uipress(psp1, 30, 0); uimove(gcf, 30, 0); uirelease(gcf, 30, 0);");
  EXPECT_EQ(eval("T1"), std::vector<double>{50});
}

TEST_F(Editor, SlidersFitSwitchTypedValuesAndUnknownWords) {
  record(5000, 1200);
  loaded();
  ok("uiset slider9 33.6");
  EXPECT_EQ(eval("Nsmall"), std::vector<double>{34});
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'edit1'), 'String')"), "34");
  // A typed value moves the slider (clamped) and runs its action.
  ok("uiset('edit2', '57'); uiset('edit3', '99999');");
  EXPECT_EQ(eval("[Nmedium Nlarge]"), (std::vector<double>{57, 2001}));
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'edit3'), 'String')"), "2001");
  ok("uiset('edit1', 'twenty');");
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'edit1'), 'String')"), "34");
  // The fit switch, twice, and the block length only while it is on.
  ok("uiclick radiobutton1; uiset slider7 64;");
  EXPECT_EQ(eval("[pf Lpoly]"), (std::vector<double>{1, 64}));
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'slider7'), 'Enable')"), "on");
  expectEstimateMatchesReference("fit on");
  ok("uiclick radiobutton1;");
  EXPECT_EQ(eval("pf"), std::vector<double>{0});
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'slider7'), 'Enable')"), "off");
  expectEstimateMatchesReference("fit off");
  // An unknown word changes nothing but still writes the estimate.
  ok("before = [T1 T2 T3 Nsmall Nmedium Nlarge Lpoly pf]; set(ppulse, 'YData', 0 * seg);"
     "kestrel nonsense;");
  EXPECT_EQ(eval("[T1 T2 T3 Nsmall Nmedium Nlarge Lpoly pf] - before"),
            std::vector<double>(8, 0.0));
  expectEstimateMatchesReference("unknown word");
}

// A typed value answers beside its box: what was used instead and why, or
// why the text was refused (the box then shows the value in use again). A
// box takes input only while its slider does, and shows the value the
// estimate uses.
TEST_F(Editor, TypedValuesSayWhatWasUsedAndWhy) {
  record(5000, 1200);
  ok("kestrel_figure;");
  auto box = [&](const std::string& tag, const char* prop) {
    return text("get(findobj(gcf, 'Tag', '" + tag + "'), '" + prop + "')");
  };
  // Before the first load every box is off with its slider.
  for (const char* tag : {"edit1", "edit2", "edit3", "edit4"}) {
    EXPECT_EQ(box(tag, "Enable"), "off") << tag;
    EXPECT_NE(fails(std::string("uiset('") + tag + "', '50')")
                  .find(std::string("The control '") + tag + "' is not enabled."),
              std::string::npos);
  }
  ok("uiclick pushbutton1;");
  EXPECT_EQ(box("edit1", "Enable"), "on");
  EXPECT_EQ(box("edit3", "Enable"), "on");
  EXPECT_EQ(box("edit4", "Enable"), "off");  // with the fit off
  const struct {
    const char* tag;
    const char* typed;
    const char* shown;
    const char* note;
    const char* global;
    double value;
  } cases[] = {
      {"edit1", "202", "201", "201 is the largest small window.", "Nsmall", 201},
      {"edit1", "-5", "3", "3 is the smallest small window.", "Nsmall", 3},
      {"edit1", "33.6", "34", "34 is used: a small window is a whole number of samples.", "Nsmall",
       34},
      {"edit1", "40", "40", "", "Nsmall", 40},
      {"edit2", "abc", "101", "'abc' is not a plain number: type one from 5 to 801.", "Nmedium",
       101},
      {"edit2", "0x10", "101", "'0x10' is not a plain number: type one from 5 to 801.", "Nmedium",
       101},
      {"edit2", "7,5", "101", "'7,5' is not a plain number: type one from 5 to 801.", "Nmedium",
       101},
      {"edit2", "[1 2]", "101", "'[1 2]' is not a plain number: type one from 5 to 801.", "Nmedium",
       101},
      {"edit2", "NaN", "101", "'NaN' is not a plain number: type one from 5 to 801.", "Nmedium",
       101},
      {"edit2", "5e", "101", "'5e' is not a plain number: type one from 5 to 801.", "Nmedium", 101},
      {"edit2", "1-2", "101", "'1-2' is not a plain number: type one from 5 to 801.", "Nmedium",
       101},
      {"edit2", "1e400", "101", "'1e400' is too large: type a number from 5 to 801.", "Nmedium",
       101},
      {"edit2", "", "101", "Type a number from 5 to 801.", "Nmedium", 101},
      {"edit2", "one hundred and fifty", "101",
       "'one hundred ...' is not a plain number: type one from 5 to 801.", "Nmedium", 101},
      {"edit2", " 250 ", "250", "", "Nmedium", 250},
      {"edit2", "+1e2", "100", "", "Nmedium", 100},
      {"edit3", "9999999", "2001", "2001 is the largest large window.", "Nlarge", 2001},
      {"radiobutton1", "", "", "", "pf", 1},
      {"edit4", "35", "32", "32 is used: the fit's blocks are a multiple of 4.", "Lpoly", 35},
      {"edit4", "33.6", "32", "32 is used: the fit's blocks are a multiple of 4.", "Lpoly", 34},
      {"edit4", "2000", "1000", "1000 is the largest block length.", "Lpoly", 1000},
      {"edit4", "3", "8", "8 is the smallest block length.", "Lpoly", 8},
      {"edit4", "64", "64", "", "Lpoly", 64},
  };
  for (const auto& c : cases) {
    const std::string tag = c.tag;
    if (tag == "radiobutton1") {
      ok("uiclick radiobutton1;");
      EXPECT_EQ(box("edit4", "Enable"), "on");
      continue;
    }
    const std::string note = "note" + tag.substr(4);
    ok("uiset('" + tag + "', '" + c.typed + "');");
    EXPECT_EQ(box(tag, "String"), c.shown) << c.typed;
    EXPECT_EQ(box(note, "String"), c.note) << c.typed;
    EXPECT_EQ(num(c.global), c.value) << c.typed;
  }
  // A refusal is told in red, what was used instead in grey-blue.
  ok("uiset('edit1', 'x');");
  EXPECT_EQ(eval("get(findobj(gcf, 'Tag', 'note1'), 'ForegroundColor')"),
            (std::vector<double>{0.7, 0, 0}));
  // A drag of the block-length slider shows the block the fit uses too.
  ok("uiset slider7 37");
  EXPECT_EQ(box("edit4", "String"), "36");
  EXPECT_EQ(box("note4", "String"), "36 is used: the fit's blocks are a multiple of 4.");
  expectEstimateMatchesReference("block length 37");
  // With the fit off the block length takes nothing.
  ok("uiclick radiobutton1;");
  EXPECT_EQ(box("edit4", "Enable"), "off");
  EXPECT_NE(fails("uiset('edit4', '50')").find("The control 'edit4' is not enabled."),
            std::string::npos);
  // A load clears the notes.
  reload();
  EXPECT_EQ(box("note1", "String"), "");
  EXPECT_EQ(box("note4", "String"), "");
}

// The figure's title and label survive the load (the first plot into the
// axes clears them), in the figure and in its exports; the lines get their
// names once lines have the property.
TEST_F(Editor, TheTitleAndLabelSurviveTheLoad) {
  record(5000, 1200);
  loaded();
  EXPECT_EQ(text("get(get(gca, 'Title'), 'String')"), "Pulse record and its estimate");
  EXPECT_EQ(text("get(get(gca, 'XLabel'), 'String')"), "sample");
  reload();
  EXPECT_EQ(text("get(get(gca, 'XLabel'), 'String')"), "sample");
  const std::string svg = dir.file("editor.svg");
  ok("print('-dsvg', '" + svg + "');");
  std::ifstream in(svg);
  const std::string drawn((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(drawn.find(">sample<"), std::string::npos);
  EXPECT_NE(drawn.find(">Pulse record and its estimate<"), std::string::npos);
  if (num("isfield(get(ppulse), 'DisplayName')") == 1) {
    EXPECT_EQ(eval("double([get(pseg, 'DisplayName') '|' get(ppulse, 'DisplayName') '|' "
                   "get(psp1, 'DisplayName') '|' get(psp2, 'DisplayName') '|' "
                   "get(psp3, 'DisplayName')])"),
              eval("double('record|estimate|T1 (click)|T2|T3')"));
  }
}

// A press as the page delivers it (the object under the pixel, then the
// press on it): anywhere along a marker, also where the estimate, which has
// no callback, is drawn over it, the marker is grabbed; elsewhere the
// topmost line is still what a press finds.
TEST_F(Editor, APressAlongAMarkerGrabsItAlsoUnderTheEstimate) {
  record(5000, 1200);
  loaded();
  using namespace kh::gfx;
  Object* fig = currentFigure(false);
  Object* ax = currentAxes(fig, false);
  const std::vector<double> pe = eval("get(ppulse, 'YData')");
  const double ppulse = num("ppulse");
  const struct {
    const char* line;
    int x;
  } markers[] = {{"psp1", 1200}, {"psp2", 1700}, {"psp3", 2750}};
  for (const auto& m : markers) {
    const double handle = num(m.line);
    // The marker's whole height in view, and the estimate's point on it.
    const std::vector<double> lim = eval("get(gca, 'YLim')");
    const double lo = std::max(-1.0, lim[0]), hi = std::min(1.0, lim[1]);
    std::vector<double> ys{pe[static_cast<std::size_t>(m.x) - 1]};
    for (int k = 0; k <= 40; ++k) ys.push_back(lo + (hi - lo) * (0.005 + 0.99 * k / 40));
    for (double y : ys) {
      const auto p = dataToPixel(ax, m.x, y);
      for (double dx : {-3.0, 0.0, 3.0}) {
        Object* found = objectAt(fig, p[0] + dx, p[1]);
        ASSERT_TRUE(found) << m.line;
        EXPECT_EQ(found->handle, handle) << m.line << " at y " << y << ", " << dx << " px";
      }
    }
    // The press itself starts the marker's drag.
    const auto p = dataToPixel(ax, m.x, pe[static_cast<std::size_t>(m.x) - 1]);
    press(objectAt(fig, p[0], p[1]), p[0], p[1]);
    EXPECT_EQ(text("get(gcf, 'WindowButtonMotionFcn')"), std::string("kestrel move") + m.line[3]);
    EXPECT_EQ(num("get(gcf, 'CurrentObject')"), handle);
    ok("uirelease(gcf, " + std::to_string(m.x) + ", 0);");
  }
  // Away from the markers the estimate, on top, is what a press finds.
  const auto p = dataToPixel(ax, 3500, pe[3499]);
  Object* found = objectAt(fig, p[0], p[1]);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->handle, ppulse);
  // Without its callback a marker under the estimate is not grabbed there.
  ok("set(psp1, 'ButtonDownFcn', '');");
  const auto q = dataToPixel(ax, 1200, pe[1199]);
  EXPECT_EQ(objectAt(fig, q[0], q[1])->handle, ppulse);
}

TEST_F(Editor, BadRecordsGiveClearErrorsAndTheEditorStaysUsable) {
  ok("kestrel_figure;");
  struct Bad {
    kh::NamedValues vars;
    const char* message;
  } bad[] = {
      {{{"cl", Value::scalar(1200)}}, "Undefined function or variable 's'."},
      {{{"s", Value::column(wave(5000))}}, "Undefined function or variable 'cl'."},
      {{{"s", Value::column(wave(4000))}, {"cl", Value::scalar(1200)}}, "Index exceeds"},
      {{{"s", Value::column(wave(5000))}, {"cl", Value::scalar(1200.5)}},
       "Subscript indices must either be real positive integers or logicals."},
      {{{"s", Value::column(wave(5000))}, {"cl", Value::scalar(-3)}},
       "Index into matrix is negative or zero."},
  };
  for (const Bad& b : bad) {
    record(b.vars);
    const kt::Ran r = kt::runIn(sh, "uiclick pushbutton1");
    EXPECT_NE(r.err.find(b.message), std::string::npos) << r.err;
    // Nothing was drawn, and the load button is still there to try again.
    EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{0});
    EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'pushbutton1'), 'Enable')"), "on");
  }
  const std::string junk = dir.file("junk.mat");
  ASSERT_EQ(std::system(("echo not a mat file > " + junk).c_str()), 0);
  kh::setRecordAlias("ex_pulse", junk);
  EXPECT_NE(kt::runIn(sh, "uiclick pushbutton1").err.find("junk.mat"), std::string::npos);
  // A good record then loads normally.
  record(5000, 1200);
  ok("uiclick pushbutton1;");
  EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{5});
  expectEstimateMatchesReference("after the bad records");
}

}  // namespace

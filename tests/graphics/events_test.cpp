// Event delivery: what the host sets before a callback, the callback object
// and its restoration, failing callbacks, controls and tags.
#include <gtest/gtest.h>

#include "host/graphics/commands.h"
#include "host/values/handle.h"
#include "tests/graphics/figure_fixture.h"

namespace {

using kt::numbers;
using kt::runIn;

class Events : public kt::FigureTest {
 protected:
  void SetUp() override {
    FigureTest::SetUp();
    ok("f = figure('Position', [0 0 500 400]); ax = axes('Units', 'pixels', "
       "'Position', [50 50 400 300], 'XLim', [0 100], 'YLim', [0 10]);"
       "h = line([20 20], [0 10], 'ButtonDownFcn', 'who = gcbo; p = get(ax, ''CurrentPoint'');');");
  }
};

TEST_F(Events, PressMoveAndReleaseSetPointsAndRunCallbacks) {
  ok("uipress(h, 20, 5);");
  EXPECT_EQ(eval("who"), eval("h"));
  EXPECT_EQ(eval("p"), (std::vector<double>{20, 20, 5, 5, 1, -1}));
  EXPECT_EQ(eval("get(f, 'CurrentPoint')"), (std::vector<double>{130, 200}));
  EXPECT_EQ(eval("get(f, 'CurrentObject')"), eval("h"));
  EXPECT_TRUE(eval("gcbo").empty());  // restored after the callback
  ok("set(f, 'WindowButtonMotionFcn', 'moved = [moved gcbo]; q = get(ax, ''CurrentPoint'');', "
     "'WindowButtonUpFcn', 'up = 1;'); moved = [];");
  ok("uimove(f, 75, 2.5); uimove(f, 50, 7.5); uirelease(f, 50, 7.5);");
  EXPECT_EQ(eval("moved"), (std::vector<double>{1, 1}));
  EXPECT_EQ(eval("q(1, 1:2)"), (std::vector<double>{50, 7.5}));
  EXPECT_EQ(eval("up"), std::vector<double>{1});
}

TEST_F(Events, AFailingCallbackIsReportedRestoredAndLeaksNothing) {
  ok("set(f, 'WindowButtonMotionFcn', 'n = n + 1; if n == 2, error(''broken at %d'', n), end');"
     "n = 0;");
  const std::size_t live = kh::liveHandles();
  const kt::Ran r = runIn(sh, "uimove(f, 1, 1); uimove(f, 2, 2); uimove(f, 3, 3);");
  // The callback's error is reported; the script of events goes on.
  EXPECT_TRUE(r.ok) << r.err;
  EXPECT_NE(r.err.find("??? broken at 2"), std::string::npos) << r.err;
  EXPECT_EQ(eval("n"), std::vector<double>{3});
  EXPECT_TRUE(eval("get(0, 'CallbackObject')").empty());
  EXPECT_EQ(kh::liveHandles(), live);
}

TEST_F(Events, ControlsClampToggleAndFindTags) {
  ok("s = uicontrol('Style', 'slider', 'Tag', 'slider9', 'Min', 5, 'Max', 500, 'Value', 21, "
     "'Callback', 'v = get(gcbo, ''Value'');');"
     "r = uicontrol('Style', 'radiobutton', 'Tag', 'radiobutton1', "
     "'Callback', 'w = get(gcbo, ''Value'');');"
     "e = uicontrol('Style', 'edit', 'Tag', 'edit1', 'Callback', 't = get(gcbo, ''String'');');"
     "b = uicontrol('Style', 'pushbutton', 'Tag', 'pushbutton1', 'Enable', 'off', "
     "'Callback', 'pressed = 1;');");
  ok("uiset('slider9', 57);");
  EXPECT_EQ(eval("v"), std::vector<double>{57});
  ok("uiset(s, 9999);");
  EXPECT_EQ(eval("v"), std::vector<double>{500});
  ok("uiclick('radiobutton1');");
  EXPECT_EQ(eval("w"), std::vector<double>{1});
  ok("uiclick(r);");
  EXPECT_EQ(eval("w"), std::vector<double>{0});
  ok("uiset('edit1', '57');");
  ok("same = strcmp(t, '57');");
  EXPECT_EQ(eval("same"), std::vector<double>{1});
  struct Bad {
    const char* statement;
    const char* message;
  } bad[] = {
      {"uiclick('pushbutton1')", "is not enabled"},
      {"uiset('nosuchtag', 1)", "No object of the current figure has the tag 'nosuchtag'."},
      {"uiset(s, NaN)", "takes one finite number"},
      {"uiset(r, 0.5)", "takes its Min or its Max"},
      {"uiclick(s)", "is not clicked"},
  };
  for (const Bad& c : bad) {
    const kt::Ran res = runIn(sh, c.statement);
    EXPECT_FALSE(res.ok) << c.statement;
    EXPECT_NE(res.err.find(c.message), std::string::npos) << c.statement << ": " << res.err;
  }
  ok("set(r, 'Tag', 'slider9');");
  const kt::Ran twice = runIn(sh, "uiset('slider9', 10)");
  EXPECT_NE(twice.err.find("Several objects"), std::string::npos) << twice.err;
}

}  // namespace

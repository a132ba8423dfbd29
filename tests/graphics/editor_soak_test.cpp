// A long session on the editor: random actions of every kind a person (or a
// confused page) can send, in random order, through event delivery. After
// every thousand actions, and at the end, the session must be whole: no
// handle left behind, the markers where the globals say, the estimate shown
// the reference estimate of the globals, the typed boxes showing the
// windows, and no drag left half-done.
//
// KESTREL_SOAK_ACTIONS sets the length (1000 by default; `make soak` runs
// 10000) and KESTREL_SOAK_SEED the random sequence.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "host/values/handle.h"
#include "tests/graphics/editor_fixture.h"

namespace {

long envNumber(const char* name, long fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

class EditorSoak : public kt::Editor {
 protected:
  std::mt19937 rng{static_cast<unsigned>(envNumber("KESTREL_SOAK_SEED", 1))};
  double uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  std::string x() { return std::to_string(uniform(-500, 9000)); }

  // Runs one action; failures are part of the session (a disabled control,
  // a stale handle, a bad record), so only the host's survival matters here.
  void act(const std::string& text) {
    kt::Ran r = kt::runIn(sh, text);
    if (!r.ok) ++failed;
    last = text;
  }

  void randomAction() {
    static const char* const sliders[] = {"slider9", "slider10", "slider12", "slider7"};
    static const char* const edits[] = {"edit1", "edit2", "edit3", "edit4"};
    static const char* const typed[] = {"12",  "-4",  "1e400", "abc",   "",
                                        "3.7", "NaN", "[1 2]", "99999", "0x1F"};
    static const char* const words[] = {"nonsense", "start4", "move0", "NSs extra", "", "ploat"};
    static const char* const markers[] = {"psp1", "psp2", "psp3"};
    // Each draw is its own statement, so that a seed means the same
    // session whatever order a compiler evaluates operands in.
    const int r = pick(100), which = pick(4);
    if (r < 14) {
      const double v = uniform(-300, 3000);
      act(std::string("uiset('") + sliders[which] + "', " + std::to_string(v) + ");");
    } else if (r < 24) {
      const int t = pick(10);
      act(std::string("uiset('") + edits[which] + "', '" + typed[t] + "');");
    } else if (r < 32) {
      act("uiclick radiobutton1;");
    } else if (r < 52) {
      // A press on a marker, when one is drawn (before the first load the
      // global is empty and the press fails).
      const std::string at = x();
      act(std::string("uipress(") + markers[which % 3] + ", " + at + ", 0);");
    } else if (r < 80) {
      const std::string at = x();
      const double y = uniform(-1, 1);
      act("uimove(gcf, " + at + ", " + std::to_string(y) + ");");
    } else if (r < 92) {
      act("uirelease(gcf, " + x() + ", 0);");
    } else if (r < 96) {
      act(std::string("kestrel ") + words[pick(6)]);
    } else if (r < 99) {
      // A new record, sometimes with a click past its end.
      const int n = 3000 + pick(5000), click = 50 + pick(4000);
      record(static_cast<std::size_t>(n), static_cast<double>(click));
      act("set(findobj(gcf, 'Tag', 'pushbutton1'), 'Enable', 'on'); uiclick pushbutton1;");
      ++loads;
    } else {
      kh::setRecordAlias("ex_pulse", junk);
      act("set(findobj(gcf, 'Tag', 'pushbutton1'), 'Enable', 'on'); uiclick pushbutton1;");
    }
  }

  // The session is whole: checked once a record is shown.
  void check(long done) {
    SCOPED_TRACE("after " + std::to_string(done) + " actions, the last: " + last);
    act("uirelease(gcf, 0, 0);");  // ends a drag left open
    if (eval("isempty(ppulse)") != std::vector<double>{0}) return;
    if (baseline == 0) baseline = kh::liveHandles();
    EXPECT_EQ(kh::liveHandles(), baseline);
    EXPECT_EQ(eval("[get(psp1, 'XData') get(psp2, 'XData') get(psp3, 'XData')]"),
              eval("[T1 T1 T2 T2 T3 T3]"));
    EXPECT_EQ(text("get(gcf, 'WindowButtonMotionFcn')"), "");
    EXPECT_EQ(text("get(gcf, 'WindowButtonUpFcn')"), "");
    EXPECT_EQ(eval("[strcmp(get(findobj(gcf, 'Tag', 'edit1'), 'String'), num2str(Nsmall)), "
                   "strcmp(get(findobj(gcf, 'Tag', 'edit2'), 'String'), num2str(Nmedium)), "
                   "strcmp(get(findobj(gcf, 'Tag', 'edit3'), 'String'), num2str(Nlarge))]"),
              (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(static_cast<long>(num("length(get(gca, 'Children'))")) % 5, 0);
    expectEstimateMatchesReference("soak");
    ++checks;
  }

  std::string junk, last;
  long failed = 0, loads = 0, checks = 0;
  std::size_t baseline = 0;
};

TEST_F(EditorSoak, RandomActionsLeaveTheSessionWhole) {
  const long actions = envNumber("KESTREL_SOAK_ACTIONS", 1000);
  junk = dir.file("junk.mat");
  ASSERT_EQ(std::system(("echo not a mat file > " + junk).c_str()), 0);
  // Actions come before the first load too: the figure only.
  ok("kestrel_figure;");
  record(5000, 1200);
  for (long k = 1; k <= actions; ++k) {
    randomAction();
    if (k % 1000 == 0 || k == actions) check(k);
    if (HasFailure()) break;
  }
  EXPECT_GT(checks, 0) << "no record was ever shown";
  std::printf(
      "soak: %ld actions, %ld loads, %ld failed as expected, %ld checks, %zu live handles\n",
      actions, loads, failed, checks, kh::liveHandles());
}

}  // namespace

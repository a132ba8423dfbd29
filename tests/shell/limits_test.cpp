// What stops work that cannot finish: arrays past the memory bound are
// refused before anything is allocated, a statement budget and an
// interrupt request stop any loop at its next statement, and none of them
// leaves handles behind or stops the next text from running.
#include <gtest/gtest.h>
#include <pthread.h>

#include <string>

#include "host/core/errors.h"
#include "host/core/interrupt.h"
#include "host/core/limits.h"
#include "host/values/handle.h"
#include "host/values/value.h"
#include "tests/shell/shell_fixture.h"

namespace {

// Goes down a kilobyte of stack a level, counting levels in `reached`,
// until the stack check stops it.
[[gnu::noinline]] int descend(int level, int& reached) {
  // The asm may read all of pad, so no compiler can shrink it to the one
  // byte the function touches.
  volatile char pad[1024];
  pad[0] = 0;
  asm volatile("" : : "r"(pad) : "memory");
  reached = level;
  if (level == 100000) return 0;  // a hundred megabytes: past any stack here
  kh::checkStackRoom("Levels are");
  return descend(level + 1, reached) + pad[0];
}

// The levels this thread reached before its stack check raised its error
// (-1 when something else was raised).
int levelsBeforeTheStackCheck() {
  int reached = 0;
  try {
    descend(0, reached);
  } catch (const kh::MError& e) {
    if (e.message() != "Levels are nested too deeply for the stack.") return -1;
  }
  return reached;
}

TEST(StackRoom, EachThreadStopsAtItsOwnStacksMargin) {
  // The main thread's stack is megabytes deep; a thread made with 1 MB keeps
  // half of it free, so it stops after some hundreds of levels. A bound
  // learnt on one thread and used on another would stop the second at once
  // or let it run off its stack.
  const int mainLevels = levelsBeforeTheStackCheck();
  int threadLevels = 0;
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, 1 << 20), 0);
  pthread_t t;
  ASSERT_EQ(pthread_create(
                &t, &attr,
                [](void* out) -> void* {
                  *static_cast<int*>(out) = levelsBeforeTheStackCheck();
                  return nullptr;
                },
                &threadLevels),
            0);
  pthread_join(t, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_GT(threadLevels, 100);
  EXPECT_LT(threadLevels, 1000);
  EXPECT_GT(mainLevels, threadLevels);
}

class Limits : public ::testing::Test {
 protected:
  void TearDown() override {
    kh::setMaxArrayBytes(saved_);
    kh::setStatementBudget(0);
    kh::clearInterrupt();
  }
  // Runs text that must fail with exactly `message`, leaving no handle.
  void expectStops(const std::string& text, const std::string& message) {
    const std::size_t before = kh::liveHandles();
    const kt::Ran r = kt::runIn(sh, text);
    EXPECT_FALSE(r.ok) << text;
    EXPECT_EQ(r.err, "??? " + message + "\n") << text;
    EXPECT_EQ(kh::liveHandles(), before) << text;
  }
  void expectRuns(const std::string& text) {
    const kt::Ran r = kt::runIn(sh, text);
    EXPECT_TRUE(r.ok) << text << "\n" << r.err;
  }
  kh::Shell sh;
  std::size_t saved_ = kh::maxArrayBytes();
};

TEST_F(Limits, ArraysPastTheMemoryBoundAreRefusedBeforeAllocation) {
  kh::setMaxArrayBytes(1 << 20);  // 131072 doubles
  for (const char* text :
       {"x = zeros(1000, 1000);", "x = ones(400, 400) + 1;", "x = 1:200000;", "x = cell(300, 300);",
        "x = []; x(200000) = 1;", "x = 'a'; x(600000) = 'b';",
        "x = ones(100); y = [x x x x x x x x x x x x x x];", "s(1:80000).a = 1;",
        "x = zeros(1, 100000) * 1i;"})
    expectStops(text, "Out of memory.");
  // Below the bound everything works as before, also right after a refusal.
  expectRuns("x = zeros(300, 300); y = cell(100, 100); z = 1:100000; w = 'a'; w(400000) = 'b';");
  expectRuns(
      "if numel(x) ~= 90000 || numel(z) ~= 100000 || numel(w) ~= 400000, error('wrong'), end");
}

TEST_F(Limits, TheBudgetEndsEveryKindOfLoop) {
  for (const char* text : {"while true, end", "while 1, x = 1; end", "for k = 1:1e6, end",
                           "while 1, try, x = y; catch, end, end",
                           "while 1, try, error('no'); catch, while 1, end, end, end",
                           "k = 0; while k >= 0, k = k + 1; end",
                           // Found by fuzzing: a structure array grown one element per step.
                           "for k = 1:3777777\n  s.a(k).b = k^-1;\nend"}) {
    kh::setStatementBudget(5000);
    expectStops(text, kh::kBudgetSpent);
  }
  // The display of a large array polls too. (Found by fuzzing: `i -1])`
  // once made a 45-by-49-by-93-by-41 array of the text's character codes.)
  kh::setStatementBudget(50);
  expectStops("x = ones(2000) + 0.5i", kh::kBudgetSpent);
  kh::setStatementBudget(0);
  expectStops("i -1])", "Size arguments of i must be numeric.");
  expectRuns("k = 0; while k < 20000, k = k + 1; end");
  EXPECT_EQ(kt::numbers(sh, "k"), std::vector<double>{20000});
}

TEST_F(Limits, AnInterruptStopsTheNextStatementOnce) {
  kh::requestInterrupt();
  expectStops("x = 1; while 1, end", kh::kInterrupted);
  EXPECT_FALSE(sh.workspace().get("x").has_value());  // stopped before its first statement
  expectRuns("x = 2;");                               // the request is used up
  EXPECT_EQ(kt::numbers(sh, "x"), std::vector<double>{2});
}

}  // namespace

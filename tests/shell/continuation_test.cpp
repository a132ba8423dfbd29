// The prompt's count of open brackets and blocks: it may say "complete" when
// the parser would not (the parser then decides), but never "open" for text
// that is complete, or the prompt would wait for lines that never come.
#include "host/language/continuation.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/language/parser.h"
#include "tests/shell/shell_fixture.h"

namespace {

TEST(Continuation, OpenOnlyWhileABracketOrABlockIsOpen) {
  struct Case {
    std::vector<const char*> lines;
    bool open;
  } cases[] = {
      {{"if x"}, true},
      {{"if x", "y = 1"}, true},
      {{"if x", "y = 1", "end"}, false},
      {{"for i = 1:3, disp(i), end"}, false},
      {{"while 1", "  if a, break, end"}, true},
      {{"switch k", "case 1", "otherwise", "end"}, false},
      {{"try", "x", "catch err", "end"}, false},
      {{"x = [1 2", "3 4]"}, false},
      {{"x = [1 2", "3 4"}, true},
      {{"c = {'a', ..."}, true},
      {{"y = x(end) + x(end - 1)"}, false},
      {{"s = 'if for while'"}, false},
      {{"% if"}, false},
      {{"disp if"}, false},
      {{"y = a'; if y, end"}, false},
      {{"end"}, false},
      {{"x = 'unterminated"}, false},
  };
  for (const Case& c : cases) {
    kh::ContinuationTracker t;
    std::string text;
    for (const char* l : c.lines) {
      t.addLine(l);
      text += std::string(l) + "\n";
    }
    EXPECT_EQ(!t.mayBeComplete(), c.open) << text;
    // Whenever the count says open, the parser agrees.
    if (c.open) {
      EXPECT_TRUE(kh::isIncompleteText(text)) << text;
    }
  }
}

TEST(Continuation, ALongBlockAtThePromptRunsOnceWhenItCloses) {
  kh::Shell sh;
  std::string text = "n = 0;\nfor k = 1:3\n";
  for (int i = 0; i < 5000; ++i) text += "  n = n + 1;\n";
  text += "end\ndisp(n)\n";
  std::istringstream in(text);
  kh::OutputCapture cap;
  sh.interact(in, false);
  EXPECT_EQ(cap.text(), "       15000\n");
  EXPECT_EQ(cap.errors(), "");
}

}  // namespace

// Statements, name resolution, errors, globals and the prompt, end to end
// through the command window.
#include <sstream>

#include "host/context/globals.h"
#include "host/core/errors.h"
#include "host/loader/registry.h"
#include "host/values/handle.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

// A stand-in library: "probe" returns its nlhs and nrhs; "quiet" has no
// outputs and prints; "mod1" has a local function "helper".
int g_quietCalls = 0;

void probe(int nlhs, mxArray* plhs[], int nrhs, mxArray*[]) {
  plhs[0] = kh::newHandle(kh::Value::scalar(nlhs), false);
  if (nlhs > 1) plhs[1] = kh::newHandle(kh::Value::scalar(nrhs), false);
}
void quiet(int nlhs, mxArray*[], int, mxArray*[]) {
  if (nlhs > 0) kh::raise("quiet was called with more than the declared number of outputs (0).");
  ++g_quietCalls;
}
void helper(int, mxArray* plhs[], int, mxArray*[]) {
  plhs[0] = kh::newHandle(kh::Value::str("helped"), false);
}

mexFunctionTableEntry g_locals[] = {{"helper", helper, 0, 1, nullptr}};
mexLocalFunctionTable g_localTable = {1, g_locals};
mexLocalFunctionTable g_noLocals = {0, nullptr};
mexFunctionTableEntry g_rows[] = {{"probe", probe, -1, 2, &g_noLocals},
                                  {"quiet", quiet, -1, 0, &g_noLocals},
                                  {"mod1", probe, 0, 2, &g_localTable}};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kh::setLibraryFunctionTable(g_rows, 3);
    g_quietCalls = 0;
  }
  void TearDown() override {
    kh::clearLibraryFunctionTable();
    kh::clearGlobals();
  }
  kh::Shell sh;
};

TEST_F(ShellTest, AnErrorIsReportedAndStopsTheText) {
  const kt::Ran r = kt::runIn(sh, "a = 1;\nb = undefined_thing + 1;\nc = 3;");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.err, "??? Undefined function or variable 'undefined_thing'.\n");
  EXPECT_TRUE(sh.workspace().has("a"));
  EXPECT_FALSE(sh.workspace().has("b"));
  EXPECT_FALSE(sh.workspace().has("c"));
  EXPECT_EQ(kh::lastError(), "Undefined function or variable 'undefined_thing'.");
}

TEST_F(ShellTest, RunTimeErrorsCarryTheOperationsMessage) {
  const struct {
    const char* text;
    const char* err;
  } cases[] = {
      {"[1 2] + [1 2 3]", "??? Matrix dimensions must agree.\n"},
      {"v = 1:3; v(5)", "??? Index exceeds matrix dimensions.\n"},
      {"v = 1:3; v(0)", "??? Index into matrix is negative or zero.\n"},
      {"error('my own message')", "??? my own message\n"},
      {"[1 2; 3]",
       "??? All rows in the bracketed expression must have the same number of "
       "columns.\n"},
      {"x = 1; x{1}", "??? Cell contents reference from a non-cell array object.\n"},
  };
  for (const auto& c : cases) {
    kh::Shell s;
    const kt::Ran r = kt::runIn(s, c.text);
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_EQ(r.err, c.err) << c.text;
  }
}

TEST_F(ShellTest, IndexedAssignmentGrowsAndCreates) {
  ASSERT_TRUE(kt::runIn(sh,
                        "x(3) = 7; y = [1 2; 3 4]; y(3, 3) = 9; z = 1:3; z(end+1) = 4;"
                        "z(2) = []; c{2} = 'b'; s.f(2) = 5; s.g.h = 'deep';")
                  .ok);
  EXPECT_EQ(kt::numbers(sh, "x"), (std::vector<double>{0, 0, 7}));
  EXPECT_EQ(kt::numbers(sh, "y"), (std::vector<double>{1, 3, 0, 2, 4, 0, 0, 0, 9}));
  EXPECT_EQ(kt::numbers(sh, "z"), (std::vector<double>{1, 3, 4}));
  const kh::Value c = *sh.workspace().get("c");
  ASSERT_TRUE(c.isCell());
  EXPECT_EQ(c.dims(), (kh::Dims{1, 2}));
  EXPECT_EQ(c.cellAt(1).utf8(), "b");
  const kt::Ran r = kt::runIn(sh, "s.f, s.g.h");
  EXPECT_EQ(r.out, "ans =\n\n     0     5\n\nans =\n\ndeep\n\n");
  // Cells and structure arrays grown one element at a time keep their
  // elements in order, and a copy taken on the way keeps its own.
  ASSERT_TRUE(kt::runIn(sh,
                        "for k = 1:50, g{k} = k; t(k).v = -k; if k == 20, g0 = g; t0 = t; end, end;"
                        "q = [numel(g) numel(g0) numel(t) numel(t0) g{50} g0{20} t(33).v t0(20).v];"
                        "e = isempty(t0(20).v) + isempty(g0{20});")
                  .ok);
  EXPECT_EQ(kt::numbers(sh, "q"), (std::vector<double>{50, 20, 50, 20, 50, 20, -33, -20}));
  EXPECT_EQ(kt::numbers(sh, "e"), std::vector<double>{0});
}

TEST_F(ShellTest, MultipleAssignment) {
  const kt::Ran r = kt::runIn(sh, "[m, n] = size(zeros(2, 5))");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "m =\n\n     2\n\nn =\n\n     5\n\n");
  ASSERT_TRUE(kt::runIn(sh, "[~, k] = size(ones(4, 6)); [a b] = probe(1, 2, 3);").ok);
  EXPECT_EQ(kt::numbers(sh, "k"), std::vector<double>{6});
  EXPECT_EQ(kt::numbers(sh, "a"), std::vector<double>{2});  // nlhs
  EXPECT_EQ(kt::numbers(sh, "b"), std::vector<double>{3});  // nrhs
  EXPECT_FALSE(kt::runIn(sh, "[p, q, r] = quiet(1)").ok);
  ASSERT_TRUE(kt::runIn(sh, "c = {4, 5}; [u, w] = c{:};").ok);
  EXPECT_EQ(kt::numbers(sh, "w"), std::vector<double>{5});
}

TEST_F(ShellTest, NargoutFollowsTheUse) {
  // A bare call asks for no output; a value that comes back becomes ans.
  kt::Ran r = kt::runIn(sh, "probe");
  EXPECT_EQ(r.out, "ans =\n\n     0\n\n");
  r = kt::runIn(sh, "x = probe;");
  EXPECT_EQ(kt::numbers(sh, "x"), std::vector<double>{1});
  r = kt::runIn(sh, "quiet\nquiet('a', 'b');");
  EXPECT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(g_quietCalls, 2);
  // Asking a function without outputs for a value is its own error.
  r = kt::runIn(sh, "y = quiet;");
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(sh.workspace().has("y"));
}

TEST_F(ShellTest, CommandSyntax) {
  // name word word: the words become text arguments, no output is asked for.
  kt::Ran r = kt::runIn(sh, "probe loadpulse\n[p, q] = probe('a', 'b');");
  EXPECT_EQ(r.out, "ans =\n\n     0\n\n");
  r = kt::runIn(sh, "disp hello, disp 'two words'");
  EXPECT_EQ(r.out, "hello\ntwo words\n");
  r = kt::runIn(sh, "quiet start2");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(g_quietCalls, 1);
  // A variable is never a command: "x -1" subtracts.
  r = kt::runIn(sh, "x = 5; x -1");
  EXPECT_EQ(r.out, "ans =\n\n     4\n\n");
  r = kt::runIn(sh, "probe - 1");  // spaces around the operator: an expression
  EXPECT_EQ(r.out, "ans =\n\n     0\n\n");
}

TEST_F(ShellTest, FevalReachesLibraryBuiltinsAndLocalFunctions) {
  ASSERT_TRUE(kt::runIn(sh,
                        "a = feval('probe', 1); b = feval('mod1/helper'); "
                        "c = feval('zeros', 1, 2); f = @probe; d = f(1, 2); e = feval(f);")
                  .ok);
  EXPECT_EQ(kt::numbers(sh, "a"), std::vector<double>{1});
  EXPECT_EQ(sh.workspace().get("b")->utf8(), "helped");
  EXPECT_EQ(kt::numbers(sh, "c"), (std::vector<double>{0, 0}));
  EXPECT_EQ(kt::numbers(sh, "d"), std::vector<double>{1});
  EXPECT_EQ(kt::numbers(sh, "e"), std::vector<double>{1});
  // Local functions are not reachable by their plain or slashed name.
  EXPECT_FALSE(kt::runIn(sh, "helper").ok);
  EXPECT_FALSE(kt::runIn(sh, "feval('nosuch')").ok);
}

TEST_F(ShellTest, GlobalsShareTheHostSlot) {
  ASSERT_TRUE(kt::runIn(sh, "global G1 G2\nG1 = [1 2 3];").ok);
  mxArray** slot = kh::findGlobalSlot("G1");
  ASSERT_NE(slot, nullptr);
  ASSERT_NE(*slot, nullptr);
  EXPECT_EQ((*slot)->v.numel(), 3u);
  // A write through the slot (as the library does) is seen by the shell.
  kh::destroyHandle(*slot);
  *slot = kh::newHandle(kh::Value::scalar(42), false);
  kt::Ran r = kt::runIn(sh, "G1");
  EXPECT_EQ(r.out, "G1 =\n\n    42\n\n");
  // A global not yet set reads as [].
  r = kt::runIn(sh, "G2");
  EXPECT_EQ(r.out, "G2 =\n\n     []\n\n");
  // clear removes the name from the workspace, the value stays global.
  ASSERT_TRUE(kt::runIn(sh, "clear G1").ok);
  EXPECT_FALSE(sh.workspace().has("G1"));
  ASSERT_TRUE(kt::runIn(sh, "global G1").ok);
  EXPECT_EQ(kt::numbers(sh, "G1"), std::vector<double>{42});
  // clear global empties the values but keeps the slots bound.
  ASSERT_TRUE(kt::runIn(sh, "clear global").ok);
  EXPECT_EQ(kh::findGlobalSlot("G1"), slot);
  EXPECT_EQ(*slot, nullptr);
}

TEST_F(ShellTest, ControlFlow) {
  kh::Shell s2;
  const kt::Ran r2 = kt::runIn(s2,
                               "s = 0;\n"
                               "for i = 1:10\n"
                               "  if i == 3, continue, end\n"
                               "  if i > 6\n    break\n  end\n"
                               "  s = s + i;\n"
                               "end\n"
                               "k = 0; while k < 5, k = k + 2; end\n"
                               "switch 'b'\n case {'a', 'b'}\n  w = 1;\n otherwise\n  w = 2;\nend\n"
                               "for col = [1 2; 3 4], last = col; end\n");
  ASSERT_TRUE(r2.ok) << r2.err;
  EXPECT_EQ(kt::numbers(s2, "s"), std::vector<double>{1 + 2 + 4 + 5 + 6});
  EXPECT_EQ(kt::numbers(s2, "k"), std::vector<double>{6});
  EXPECT_EQ(kt::numbers(s2, "w"), std::vector<double>{1});
  EXPECT_EQ(kt::numbers(s2, "last"), (std::vector<double>{2, 4}));
}

TEST_F(ShellTest, TryCatchAndLasterr) {
  const kt::Ran r = kt::runIn(sh,
                              "try\n  x = [1 2] * [3 4];\n  y = 1;\ncatch\n  y = 2;\nend\n"
                              "m = lasterr;\n"
                              "try, error('boom'), catch err, t = err.message; end");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(kt::numbers(sh, "y"), std::vector<double>{2});
  EXPECT_EQ(sh.workspace().get("m")->utf8(), "Inner matrix dimensions must agree.");
  EXPECT_EQ(sh.workspace().get("t")->utf8(), "boom");
}

TEST_F(ShellTest, WhoAndClear) {
  ASSERT_TRUE(kt::runIn(sh, "b = 1; a = 2; longername = 3;").ok);
  kt::Ran r = kt::runIn(sh, "who");
  EXPECT_EQ(r.out, "\nYour variables are:\n\na           b           longername\n\n");
  ASSERT_TRUE(kt::runIn(sh, "clear a b").ok);
  EXPECT_EQ(sh.workspace().names(), std::vector<std::string>{"longername"});
  ASSERT_TRUE(kt::runIn(sh, "clear").ok);
  EXPECT_TRUE(sh.workspace().names().empty());
  r = kt::runIn(sh, "who");
  EXPECT_EQ(r.out, "");
}

TEST_F(ShellTest, WarningsPrintAndCanBeSwitchedOff) {
  kt::Ran r = kt::runIn(sh, "warning('careful')");
  EXPECT_EQ(r.out, "Warning: careful\n");
  r = kt::runIn(sh, "warning off\nwarning('hidden')\nwarning on");
  EXPECT_EQ(r.out, "");
}

TEST_F(ShellTest, SubscriptsEndAndDynamicFields) {
  ASSERT_TRUE(kt::runIn(sh,
                        "v = 1:5; w = v(min(end, 9)); s.abc = 3; n = 'abc'; d = s.(n);"
                        "s.(n) = 4; c = {1, [7 8 9]}; e = c{end}(end);")
                  .ok);
  EXPECT_EQ(kt::numbers(sh, "w"), std::vector<double>{5});
  EXPECT_EQ(kt::numbers(sh, "d"), std::vector<double>{3});
  EXPECT_EQ(kt::numbers(sh, "e"), std::vector<double>{9});
  const kt::Ran r = kt::runIn(sh, "s.abc");
  EXPECT_EQ(r.out, "ans =\n\n     4\n\n");
  EXPECT_FALSE(kt::runIn(sh, "x = zeros(end)").ok);
}

TEST_F(ShellTest, PromptContinuesAfterErrorsAndReadsWholeBlocks) {
  std::istringstream in("x = 1;\nbad +\nfor i = 1:3\n  x = x * 2;\nend\nx\nexit\nx = 99\n");
  kh::OutputCapture cap;
  sh.interact(in, true);
  EXPECT_EQ(cap.text(), ">> >> >> >> x =\n\n     8\n\n>> ");
  EXPECT_NE(cap.errors().find("??? "), std::string::npos);
  EXPECT_EQ(kt::numbers(sh, "x"), std::vector<double>{8});

  // `end` inside a subscript does not close the block; an open bracket
  // continues on the next line.
  std::istringstream more("v = [];\nfor i = 1:3\n  v(end+1) = i;\nend\nm = [1 2\n3 4];\n");
  sh.interact(more, false);
  EXPECT_EQ(kt::numbers(sh, "v"), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(kt::numbers(sh, "m"), (std::vector<double>{1, 3, 2, 4}));
}

TEST_F(ShellTest, SaveAndLoadRoundTrip) {
  kt::TempDir dir;
  const std::string file = dir.file("vars");
  ASSERT_TRUE(kt::runIn(sh, "a = [1 2; 3 4]; s = 'text'; b = 5;").ok);
  kt::Ran r = kt::runIn(sh, "save " + file + " a s");
  ASSERT_TRUE(r.ok) << r.err;
  ASSERT_TRUE(kt::runIn(sh, "clear\nload " + file).ok);
  EXPECT_EQ(sh.workspace().names(), (std::vector<std::string>{"a", "s"}));
  EXPECT_EQ(kt::numbers(sh, "a"), (std::vector<double>{1, 3, 2, 4}));
  ASSERT_TRUE(kt::runIn(sh, "clear\nload " + file + ".mat s").ok);
  EXPECT_EQ(sh.workspace().names(), std::vector<std::string>{"s"});
  r = kt::runIn(sh, "save " + file + " nosuch");
  EXPECT_EQ(r.err, "??? Variable 'nosuch' not found.\n");
  r = kt::runIn(sh, "load " + dir.file("missing"));
  EXPECT_FALSE(r.ok);
}

TEST_F(ShellTest, NothingLeaksAcrossCallsAndErrors) {
  const std::size_t before = kh::liveHandles();
  kt::runIn(sh, "global G; G = 1:3; x = probe(1, 2); quiet('a'); y = G(2);");
  kt::runIn(sh, "z = probe(1, undefined_name)");
  kt::runIn(sh, "[a, b, c] = probe(1)");
  kh::clearGlobals();
  EXPECT_EQ(kh::liveHandles(), before);
}

}  // namespace

namespace {

TEST(Callbacks, RunInTheMostRecentShell) {
  kh::Shell outer;
  {
    kh::Shell inner;
    kh::OutputCapture cap;
    EXPECT_TRUE(kh::runCallbackText("cb = 1;"));
    EXPECT_TRUE(inner.workspace().has("cb"));
    EXPECT_FALSE(kh::runCallbackText("cb = nosuch;"));
    EXPECT_EQ(cap.errors(), "??? Undefined function or variable 'nosuch'.\n");
  }
  kh::OutputCapture cap;
  EXPECT_TRUE(kh::runCallbackText("cb = 2;"));
  EXPECT_TRUE(outer.workspace().has("cb"));
}

}  // namespace

namespace {

TEST(Statements, EarlierStatementsRunBeforeALaterParseError) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "a = 1;\nb = (2;\nc = 3;");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.err.rfind("??? Parse error", 0), 0u) << r.err;
  EXPECT_TRUE(sh.workspace().has("a"));
  EXPECT_FALSE(sh.workspace().has("c"));
}

TEST(Statements, ErrorMessagesCanBeFormatted) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "error('bad value %d in %s', 7, 'x')");
  EXPECT_EQ(r.err, "??? bad value 7 in x\n");
}

TEST(Statements, ExistTellsVariablesFromFunctions) {
  kh::Shell sh;
  ASSERT_TRUE(kt::runIn(sh, "v = 1; a = exist('v'); b = exist('zeros'); c = exist('nosuch');").ok);
  EXPECT_EQ(kt::numbers(sh, "a"), std::vector<double>{1});
  EXPECT_EQ(kt::numbers(sh, "b"), std::vector<double>{5});
  EXPECT_EQ(kt::numbers(sh, "c"), std::vector<double>{0});
}

TEST(Statements, ExitStopsTheText) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "a = 1; exit; b = 2;");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(sh.exitRequested());
  EXPECT_FALSE(sh.workspace().has("b"));
  EXPECT_TRUE(kt::runIn(sh, "b = 2;").ok);
  EXPECT_FALSE(sh.exitRequested());
}

}  // namespace

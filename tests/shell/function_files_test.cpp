// Function files on the data path and anonymous functions, through the
// command window: outputs and argument counts, subfunctions, recursion,
// re-reading a changed file, closures, handles of both kinds, and where an
// error happened as the prompt reports it.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "host/datafile/data_path.h"
#include "tests/shell/shell_fixture.h"

namespace {

namespace fs = std::filesystem;

// A folder of function files, on the data path for the whole test program.
const fs::path& folder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("kestrel-functions-" + std::to_string(getpid()));
    fs::create_directories(d);
    kh::addDataFolder(d.string());
    return d;
  }();
  return dir;
}

// Removes the folder when the test program ends.
class FolderCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder(), ec);
  }
};
[[maybe_unused]] ::testing::Environment* const kCleanup =
    ::testing::AddGlobalTestEnvironment(new FolderCleanup);

void write(const std::string& name, const std::string& text) {
  std::ofstream(folder() / (name + ".m"), std::ios::binary | std::ios::trunc) << text;
}

void writeAll() {
  static bool done = false;
  if (done) return;
  done = true;
  write("ff_two",
        "function [s, p] = ff_two(a, b)\n"
        "% sum and product\n"
        "s = a + b;\n"
        "p = a * b;\n");
  write("ff_counts",
        "function [a, b, c] = ff_counts(varargin)\n"
        "a = nargin; b = nargout; c = numel(varargin);\n");
  write("ff_var",
        "function varargout = ff_var(first, varargin)\n"
        "for k = 1:nargout\n"
        "  varargout{k} = first * k + numel(varargin);\n"
        "end\n");
  write("ff_sub",
        "function r = ff_sub(x)\n"
        "  r = helper(x) + 1;\n"
        "end\n"
        "\n"
        "function y = helper(x)\n"
        "  y = x * 10;\n"
        "end\n");
  write("ff_early",
        "function r = ff_early(x)\n"
        "r = 1;\n"
        "if x > 0\n"
        "  return\n"
        "end\n"
        "r = 2;\n");
  write("ff_unset", "function [a, b] = ff_unset()\na = 1;\n");
  write("ff_fact",
        "function r = ff_fact(n)\n"
        "if n <= 1\n"
        "  r = 1;\n"
        "else\n"
        "  r = n * ff_fact(n - 1);\n"
        "end\n");
  write("ff_deep", "function r = ff_deep(n)\nr = ff_deep(n + 1);\n");
  write("ff_apply", "function r = ff_apply(g, v)\nr = g(v);\n");
  write("ff_handle",
        "function [h, g] = ff_handle()\n"
        "h = @helper2;\n"
        "g = @(x) helper2(x) * 2;\n"
        "function y = helper2(x)\n"
        "y = x + 1000;\n");
  write("ff_glob", "function ff_glob()\nglobal G\nG = G + 1;\n");
  write("ff_peek", "function r = ff_peek()\nr = secret;\n");
  // Parameters, assigned names and loop variables are variables, never
  // commands: "a -1" subtracts.
  write("ff_cmd",
        "function r = ff_cmd(a)\n"
        "a -1;\n"
        "r = ans;\n"
        "for k = 1:2\n"
        "  k -1;\n"
        "  r = r + ans;\n"
        "end\n"
        "r -1;\n"
        "r = ans;\n");
  write("ff_outer",
        "function r = ff_outer(x)\n"
        "% calls the inner one\n"
        "r = ff_inner(x) + 1;\n");
  write("ff_inner",
        "function r = ff_inner(x)\n"
        "r = 0;\n"
        "if x > 0\n"
        "  error('inner failed');\n"
        "end\n");
  write("ff_catch",
        "function r = ff_catch()\n"
        "try\n"
        "  ff_inner(1);\n"
        "  r = 0;\n"
        "catch err\n"
        "  r = numel(err.message);\n"
        "end\n");
  write("ff_script", "z = ff_two(1, 2);\nff_outer(z);\n");
  write("ff_bad", "function r = ff_bad(x)\nr = x;\nr = (x + ;\n");
  write("ff_open", "function r = ff_open()\nif 1\n  r = 1;\n");
  write("ff_mixed", "function r = ff_mixed()\nr = 1;\nend\nfunction q = other()\nq = 2;\n");
  write("ff_stray", "function r = ff_stray()\nr = 1;\nfunction q = other()\nq = 2;\nend\n");
}

struct Case {
  const char* text;  // leaves y
  std::vector<double> y;
};

class FunctionFiles : public ::testing::TestWithParam<Case> {};

TEST_P(FunctionFiles, LeaveTheirValues) {
  writeAll();
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, GetParam().text);
  ASSERT_TRUE(r.ok) << GetParam().text << "\n" << r.err;
  EXPECT_EQ(kt::numbers(sh, "y"), GetParam().y) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, FunctionFiles,
    ::testing::Values(
        Case{"[s, p] = ff_two(3, 4); y = [s p];", {7, 12}}, Case{"y = ff_two(3, 4);", {7}},
        Case{"ff_two(3, 4); y = ans;", {7}},
        Case{"[a, b, c] = ff_counts(5, 6); y = [a b c];", {2, 3, 2}},
        Case{"a = ff_counts(); y = a;", {0}},
        Case{"[p, q, r] = ff_var(2, 'x', 'y'); y = [p q r];", {4, 6, 8}},
        Case{"y = ff_sub(2);", {21}}, Case{"y = [ff_early(1) ff_early(-1)];", {1, 2}},
        Case{"y = ff_fact(5);", {120}}, Case{"global G; G = 1; ff_glob(); ff_glob(); y = G;", {3}},
        Case{"y = ff_cmd(5);", {4}}, Case{"y = ff_catch();", {12}},
        // Closures keep the values they were made with.
        Case{"c = 2; f = @(x) x .^ 2 + c; c = 100; y = f(3);", {11}},
        Case{"c = 2; f = @(x) x + c; y = ff_apply(f, 1);", {3}},
        Case{"y = ff_apply(@ff_fact, 4);", {24}},
        Case{"k = 3; h = {@(x) x * k, @sin}; y = [h{1}(4) h{2}(0)];", {12, 0}},
        Case{"s.f = @(a, b) a - b; y = s.f(5, 2);", {3}}, Case{"f = @() 7; y = f() + 1;", {8}},
        Case{"f = @(varargin) numel(varargin); y = f(1, 2, 3);", {3}},
        Case{"f = @(x) ff_two(x, x); [a, b] = f(3); y = [a b];", {6, 9}},
        Case{"add = @(n) @(x) x + n; inc = add(1); y = inc(41);", {42}},
        Case{"y = [feval(@(x) -x, 3) feval(@ff_fact, 3) feval('ff_fact', 4)];", {-3, 6, 24}},
        // Handles to a file's own functions work from outside it.
        Case{"[h, g] = ff_handle(); y = [h(1) g(1) feval(h, 2)];", {1001, 2002, 1002}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

struct ErrCase {
  const char* text;
  const char* err;  // exactly what the prompt reports
};

class FunctionErrors : public ::testing::TestWithParam<ErrCase> {};

TEST_P(FunctionErrors, ReportMessageAndPlaces) {
  writeAll();
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, GetParam().text);
  EXPECT_FALSE(r.ok) << GetParam().text;
  EXPECT_EQ(r.err, GetParam().err) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FunctionErrors,
    ::testing::Values(
        ErrCase{"helper(2)", "??? Undefined function or variable 'helper'.\n"},
        ErrCase{"[p, q] = ff_unset();",
                "??? Output argument \"b\" (and maybe others) not assigned during call to "
                "\"ff_unset\".\n"},
        ErrCase{"ff_two(1, 2, 3)", "??? Too many input arguments.\n"},
        ErrCase{"[a, b, c] = ff_two(1, 2);", "??? Too many output arguments.\n"},
        ErrCase{"f = @(x) x; f(1, 2)", "??? Too many input arguments.\n"},
        ErrCase{"secret = 5; ff_peek()",
                "??? Undefined function or variable 'secret'.\n"
                "??? Error in ==> ff_peek.m at line 2\n"},
        ErrCase{"ff_deep(1)",
                "??? Maximum recursion limit of 256 reached.\n"
                "??? Error in ==> ff_deep.m at line 2\n"},
        ErrCase{"ff_outer(3)",
                "??? inner failed\n"
                "??? Error in ==> ff_inner.m at line 4\n"
                "??? Error in ==> ff_outer.m at line 3\n"},
        ErrCase{"x = 1; ff_script",
                "??? inner failed\n"
                "??? Error in ==> ff_inner.m at line 4\n"
                "??? Error in ==> ff_outer.m at line 3\n"
                "??? Error in ==> ff_script.m at line 2\n"},
        ErrCase{"g = @(v) ff_outer(v); g(1)",
                "??? inner failed\n"
                "??? Error in ==> ff_inner.m at line 4\n"
                "??? Error in ==> ff_outer.m at line 3\n"},
        ErrCase{"ff_bad(1)",
                "??? Parse error at \";\" (line 3): expected a value.\n"
                "??? Error in ==> ff_bad.m at line 3\n"},
        ErrCase{"ff_open()",
                "??? Parse error (line 3): the file ends inside an unfinished statement or "
                "block.\n"
                "??? Error in ==> ff_open.m at line 3\n"},
        ErrCase{"ff_mixed()",
                "??? Parse error (line 4): the function \"other\" has no \"end\", as the other "
                "functions of the file have.\n"
                "??? Error in ==> ff_mixed.m at line 4\n"},
        ErrCase{"ff_stray()",
                "??? Parse error (line 5): \"end\" closes no block here (the file's first "
                "function has no \"end\").\n"
                "??? Error in ==> ff_stray.m at line 5\n"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(FunctionFileErrors, CaughtErrorLeavesNoPlacesAndLasterrKeepsTheMessage) {
  writeAll();
  kh::Shell sh;
  ASSERT_TRUE(kt::runIn(sh, "y = ff_catch();").ok);
  EXPECT_EQ(kt::runIn(sh, "nosuchname_q").err,
            "??? Undefined function or variable 'nosuchname_q'.\n");
  EXPECT_FALSE(kt::runIn(sh, "ff_outer(1)").ok);
  ASSERT_TRUE(kt::runIn(sh, "m = lasterr;").ok);
  EXPECT_EQ(sh.workspace().get("m")->utf8(), "inner failed");
}

TEST(FunctionFileExit, ExitInsideAFunctionEndsTheRun) {
  write("ff_exit", "function ff_exit()\nexit\ndisp('after');\n");
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "ff_exit(); y = 1;");
  EXPECT_TRUE(r.ok) << r.err;
  EXPECT_TRUE(sh.exitRequested());
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(sh.workspace().has("y"));
}

TEST(FunctionFileCache, ReadsAChangedFileAgain) {
  kh::Shell sh;
  write("ff_change", "function r = ff_change()\nr = 1;\n");
  ASSERT_TRUE(kt::runIn(sh, "h = @ff_change; a = ff_change();").ok);
  write("ff_change", "function r = ff_change()\nr = 22;  % changed\n");
  ASSERT_TRUE(kt::runIn(sh, "b = ff_change(); c = h();").ok);
  EXPECT_EQ(kt::numbers(sh, "a"), std::vector<double>{1});
  EXPECT_EQ(kt::numbers(sh, "b"), std::vector<double>{22});
  EXPECT_EQ(kt::numbers(sh, "c"), std::vector<double>{22});  // the handle finds the file anew
  // A file that becomes a script runs as one.
  write("ff_change", "b = 5;\n");
  ASSERT_TRUE(kt::runIn(sh, "ff_change").ok);
  EXPECT_EQ(kt::numbers(sh, "b"), std::vector<double>{5});
}

TEST(AnonymousFunctions, ShowTheirText) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh,
                              "c = 1; f = @(x) x.^2+c\n"
                              "g = @(a,b) (a+b)*-a(end)'\n"
                              "h = @() [1 -2; {3}, 'it''s']\n");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out,
            "f = \n\n    @(x) x .^ 2 + c\n\n"
            "g = \n\n    @(a, b) (a + b) * -a(end)'\n\n"
            "h = \n\n    @() [1, -2; {3}, 'it''s']\n\n");
}

TEST(AnonymousFunctions, LongBodiesAreMadeShownAndCalled) {
  kh::Shell sh;
  std::string text = "f = @() 0";
  for (int i = 0; i < 100000; ++i) text += "+1";
  const kt::Ran r = kt::runIn(sh, text + "\ny = f();");
  ASSERT_TRUE(r.ok) << r.err.substr(0, 200);
  EXPECT_EQ(kt::numbers(sh, "y"), std::vector<double>{100000});
  EXPECT_EQ(r.out.size(), std::string("f = \n\n    @() 0\n\n").size() + 100000 * 4);
}

}  // namespace

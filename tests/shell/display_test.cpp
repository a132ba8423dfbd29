// What unsilenced results and disp show: the default "format short" style,
// and the others that `format` chooses.
#include "host/kernels/display/display_format.h"
#include "tests/shell/shell_fixture.h"

namespace {

struct Case {
  const char* text;
  const char* shown;
};

class Shows : public ::testing::TestWithParam<Case> {};

TEST_P(Shows, TheExpectedText) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, GetParam().text);
  ASSERT_TRUE(r.ok) << GetParam().text << ": " << r.err;
  EXPECT_EQ(r.out, GetParam().shown) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, Shows,
    ::testing::Values(
        Case{"x = 5", "x =\n\n     5\n\n"},
        Case{"x = [1 2; 3 4]", "x =\n\n     1     2\n     3     4\n\n"},
        Case{"x = [-1 20 300]", "x =\n\n    -1    20   300\n\n"},
        Case{"x = [1000 2]", "x =\n\n        1000           2\n\n"},
        Case{"x = pi", "x =\n\n    3.1416\n\n"}, Case{"x = -0.5", "x =\n\n   -0.5000\n\n"},
        Case{"x = [1.5 0 -2]", "x =\n\n    1.5000         0   -2.0000\n\n"},
        Case{"x = [1500.5 2]", "x =\n\n  1.0e+03 *\n\n    1.5005    0.0020\n\n"},
        Case{"x = [0.0001 0.0002]", "x =\n\n  1.0e-04 *\n\n    1.0000    2.0000\n\n"},
        Case{"x = 12345.678", "x =\n\n  1.2346e+04\n\n"},
        Case{"x = [1 Inf NaN]", "x =\n\n     1   Inf   NaN\n\n"},
        Case{"x = [0.5 -Inf]", "x =\n\n    0.5000      -Inf\n\n"},
        Case{"x = 3+4i", "x =\n\n   3.0000 + 4.0000i\n\n"},
        Case{"x = [1+2i 3-1i]", "x =\n\n   1.0000 + 2.0000i   3.0000 - 1.0000i\n\n"},
        Case{"x = []", "x =\n\n     []\n\n"},
        Case{"x = zeros(0, 3)", "x =\n\n   Empty matrix: 0-by-3\n\n"},
        Case{"x = 2 > 1", "x =\n\n     1\n\n"}, Case{"x = [-0 1]", "x =\n\n     0     1\n\n"},
        Case{"3 * 4", "ans =\n\n    12\n\n"},
        Case{"x = 1:15",
             "x =\n\n  Columns 1 through 13\n\n"
             "     1     2     3     4     5     6     7     8     9    10    11    12    13\n\n"
             "  Columns 14 through 15\n\n    14    15\n\n"},
        Case{"x = zeros(1, 2, 2)",
             "x(:,:,1) =\n\n     0     0\n\nx(:,:,2) =\n\n     0     0\n\n"}));

INSTANTIATE_TEST_SUITE_P(
    TextCellsStructs, Shows,
    ::testing::Values(Case{"s = 'abc'", "s =\n\nabc\n\n"},
                      Case{"s = ['ab'; 'cd']", "s =\n\nab\ncd\n\n"},
                      Case{"s = ''", "s =\n\n     ''\n\n"},
                      Case{"c = {[1 2 3], 'abc'}", "c = \n\n    [1x3 double]    'abc'\n\n"},
                      Case{"c = {1, 'abc'; [1 2 3], {2}}",
                           "c = \n\n    [         1]    'abc'\n    [1x3 double]    {1x1 cell}\n\n"},
                      Case{"c = {}", "c = \n\n     {}\n\n"},
                      Case{"S.R = zeros(2, 3); S.df = -1; S.normr = 0; S",
                           "S = \n\n        R: [2x3 double]\n       df: -1\n    normr: 0\n\n"},
                      Case{"S.name = 'pulse'; S.w = 0.25; S.c = {}; S",
                           "S = \n\n    name: 'pulse'\n       w: 0.2500\n       c: {0x0 cell}\n\n"},
                      Case{"S(2).a = 1", "S = \n\n1x2 struct array with fields:\n    a\n\n"},
                      Case{"f = @sin", "f = \n\n    @sin\n\n"}));

INSTANTIATE_TEST_SUITE_P(Disp, Shows,
                         ::testing::Values(Case{"disp([1 2; 3 4])", "     1     2\n     3     4\n"},
                                           Case{"disp(pi)", "    3.1416\n"},
                                           Case{"disp('hello')", "hello\n"}, Case{"disp([])", ""},
                                           Case{"disp({1, 'a'})", "    [1]    'a'\n"},
                                           Case{"x = 7; disp(x); x;", "     7\n"}));

// The other number styles and the compact spacing, each from a fresh
// default; the format is put back after every case.
class ShowsInFormat : public Shows {
 protected:
  void TearDown() override { kh::setDisplayFormat({}); }
};

TEST_P(ShowsInFormat, TheExpectedText) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, GetParam().text);
  ASSERT_TRUE(r.ok) << GetParam().text << ": " << r.err;
  EXPECT_EQ(r.out, GetParam().shown) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Styles, ShowsInFormat,
    ::testing::Values(Case{"format long; x = pi", "x =\n\n   3.141592653589793\n\n"},
                      Case{"format long; x = [pi; 10*pi]",
                           "x =\n\n   3.141592653589793\n  31.415926535897931\n\n"},
                      Case{"format long; x = 100*pi", "x =\n\n  3.141592653589793e+02\n\n"},
                      Case{"format long; x = [1 2 3]", "x =\n\n     1     2     3\n\n"},
                      Case{"format long; x = [150.5 1]",
                           "x =\n\n  1.0e+02 *\n\n   1.505000000000000   0.010000000000000\n\n"},
                      Case{"format long; x = 1-0.5i",
                           "x =\n\n   1.000000000000000 - 0.500000000000000i\n\n"},
                      Case{"format short g; x = [pi 1e-5 100]",
                           "x =\n\n       3.1416        1e-05          100\n\n"},
                      Case{"format short g; x = 123456.789", "x =\n\n   1.2346e+05\n\n"},
                      Case{"format long g; x = 1/3", "x =\n\n        0.333333333333333\n\n"},
                      Case{"format compact; x = [1 2]", "x =\n     1     2\n"},
                      Case{"format compact; x = 'hi'", "x =\nhi\n"},
                      Case{"format compact; c = {1}", "c = \n    [1]\n"},
                      Case{"format compact; format long; x = 0.5", "x =\n   0.500000000000000\n"},
                      Case{"format long; format; x = pi", "x =\n\n    3.1416\n\n"},
                      Case{"format long; c = {pi}", "c = \n\n    [3.141592653589793]\n\n"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(FormatCommand, RefusesWhatItDoesNotKnowAndKeepsTheFormat) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "format long; format medium");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.err.find("Unknown format \"medium\""), std::string::npos) << r.err;
  EXPECT_EQ(kt::runIn(sh, "x = 0.5").out, "x =\n\n   0.500000000000000\n\n");
  kh::setDisplayFormat({});
}

}  // namespace

namespace {

struct FormatCase {
  const char* call;
  const char* text;
};

class Formats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formats, AsSprintfWrites) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, std::string("t = ") + GetParam().call + ";");
  ASSERT_TRUE(r.ok) << GetParam().call << ": " << r.err;
  EXPECT_EQ(sh.workspace().get("t")->utf8(), GetParam().text) << GetParam().call;
}

INSTANTIATE_TEST_SUITE_P(Sprintf, Formats,
                         ::testing::Values(FormatCase{"sprintf('%d', 42)", "42"},
                                           FormatCase{"sprintf('%5.2f|', [1.5 2])", " 1.50| 2.00|"},
                                           FormatCase{"sprintf('%g %s', 0.5, 'ab')", "0.5 ab"},
                                           FormatCase{"sprintf('%d and %d\\n', 1)", "1 and "},
                                           FormatCase{"sprintf('%d,', [1 2 3])", "1,2,3,"},
                                           FormatCase{"sprintf('%d', 1.5)", "1.500000e+00"},
                                           FormatCase{"sprintf('%d %d', Inf, NaN)", "Inf NaN"},
                                           FormatCase{"sprintf('100%% done\\t!')", "100% done\t!"},
                                           FormatCase{"sprintf('%c%c', 72, 105)", "Hi"}));

TEST(Fprintf, WritesToTheCommandWindow) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "fprintf('x=%d\\n', 3); fprintf(1, '%s\\n', 'one');");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "x=3\none\n");
}

}  // namespace

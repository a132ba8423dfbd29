// The language through the command window: precedence, literals, ranges,
// whitespace inside brackets, quotes and transposes.
#include <cmath>

#include "tests/shell/shell_fixture.h"

namespace {

struct Case {
  const char* expr;
  std::vector<double> want;  // column order
  std::vector<std::size_t> dims;
};

class Evaluates : public ::testing::TestWithParam<Case> {};

TEST_P(Evaluates, ToTheExpectedArray) {
  const Case& c = GetParam();
  kh::Shell sh;
  const kt::Ran r =
      kt::runIn(sh, std::string("a = [1 2; 3 4]; v = [10 20 30];\nx = ") + c.expr + ";");
  ASSERT_TRUE(r.ok) << c.expr << ": " << r.err;
  const kh::Value x = *sh.workspace().get("x");
  EXPECT_EQ(x.dims(), kh::Dims(c.dims.begin(), c.dims.end())) << c.expr;
  const std::vector<double> got = kt::numbers(sh, "x");
  ASSERT_EQ(got.size(), c.want.size()) << c.expr;
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_DOUBLE_EQ(got[i], c.want[i]) << c.expr;
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, Evaluates,
    ::testing::Values(Case{"2^-1", {0.5}, {1, 1}}, Case{"-2^2", {-4}, {1, 1}},
                      Case{"2^3^2", {64}, {1, 1}}, Case{"1:3+1", {1, 2, 3, 4}, {1, 4}},
                      Case{"1+2*3", {7}, {1, 1}}, Case{"(1+2)*3", {9}, {1, 1}},
                      Case{"10-4-3", {3}, {1, 1}}, Case{"8/2/2", {2}, {1, 1}},
                      Case{"1 < 2 == 1", {1}, {1, 1}}, Case{"~0 + 1", {2}, {1, 1}},
                      Case{"1 | 0 & 0", {1}, {1, 1}}, Case{"2*3'", {6}, {1, 1}},
                      Case{"-a'", {-1, -2, -3, -4}, {2, 2}}, Case{"1:2:6", {1, 3, 5}, {1, 3}},
                      Case{"5:-2:1", {5, 3, 1}, {1, 3}}, Case{"1 == 1 && 0 || 1", {1}, {1, 1}}));

INSTANTIATE_TEST_SUITE_P(
    Brackets, Evaluates,
    ::testing::Values(Case{"[1 -2]", {1, -2}, {1, 2}}, Case{"[1 - 2]", {-1}, {1, 1}},
                      Case{"[1 -2 + 3]", {1, 1}, {1, 2}}, Case{"[1-2]", {-1}, {1, 1}},
                      Case{"[1 , 2;3 4]", {1, 3, 2, 4}, {2, 2}},
                      Case{"[a' a']", {1, 2, 3, 4, 1, 2, 3, 4}, {2, 4}},
                      Case{"[a(1,:) 5]", {1, 2, 5}, {1, 3}},
                      Case{"[v(end) v(1)]", {30, 10}, {1, 2}},
                      Case{"[1 2\n3 4]", {1, 3, 2, 4}, {2, 2}}, Case{"[]", {}, {0, 0}},
                      Case{"[1 2 ...\n 3]", {1, 2, 3}, {1, 3}}, Case{"[-1 +2]", {-1, 2}, {1, 2}},
                      Case{"[.5 1e-3 1.5e1]", {0.5, 0.001, 15}, {1, 3}}));

INSTANTIATE_TEST_SUITE_P(
    Indexing, Evaluates,
    ::testing::Values(Case{"a(2,1)", {3}, {1, 1}}, Case{"a(end,end)", {4}, {1, 1}},
                      Case{"a(:)'", {1, 3, 2, 4}, {1, 4}}, Case{"a(:,2)", {2, 4}, {2, 1}},
                      Case{"v(end-1:end)", {20, 30}, {1, 2}},
                      Case{"v([true false true])", {10, 30}, {1, 2}}, Case{"a(end)", {4}, {1, 1}},
                      Case{"v(v > 15)", {20, 30}, {1, 2}}));

TEST(Literals, TextQuotesAndTransposes) {
  kh::Shell sh;
  ASSERT_TRUE(kt::runIn(sh, "s = 'it''s'; t = ['ab' 'cd']; u = ('xy')';").ok);
  EXPECT_EQ(sh.workspace().get("s")->utf8(), "it's");
  EXPECT_EQ(sh.workspace().get("t")->utf8(), "abcd");
  EXPECT_EQ(sh.workspace().get("u")->dims(), (kh::Dims{2, 1}));
  ASSERT_TRUE(kt::runIn(sh, "z = 3+4i; w = 2j; n = [Inf -Inf NaN];").ok);
  EXPECT_EQ(sh.workspace().get("z")->cat(0), std::complex<double>(3, 4));
  EXPECT_EQ(sh.workspace().get("w")->cat(0), std::complex<double>(0, 2));
  const std::vector<double> n = kt::numbers(sh, "n");
  EXPECT_TRUE(std::isinf(n[0]) && n[0] > 0);
  EXPECT_TRUE(std::isinf(n[1]) && n[1] < 0);
  EXPECT_TRUE(std::isnan(n[2]));
}

TEST(Literals, CommentsAndSeparators) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "x = 1 % comment\ny = 2, z = 3; % more\n");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "x =\n\n     1\n\ny =\n\n     2\n\n");
}

TEST(Parsing, ErrorsAreReportedAndStopTheText) {
  const char* bad[] = {"x = (1 + 2", "x = [1 2", "x = 1 +* 2", "if 1\n x = 2\n", "x = 'open"};
  for (const char* text : bad) {
    kh::Shell sh;
    const kt::Ran r = kt::runIn(sh, text);
    EXPECT_FALSE(r.ok) << text;
    EXPECT_EQ(r.err.rfind("??? ", 0), 0u) << text << " -> " << r.err;
  }
}

}  // namespace

namespace {

TEST(Conditions, TruthOfValues) {
  const struct {
    const char* cond;
    bool taken;
  } cases[] = {{"[]", false}, {"[1 2]", true}, {"[1 0]", false}, {"'a'", true},
               {"0", false},  {"1i", true},    {"~[]", false},   {"1 && []", false}};
  for (const auto& c : cases) {
    kh::Shell sh;
    const kt::Ran r = kt::runIn(sh, std::string("t = 0; if ") + c.cond + ", t = 1; end");
    ASSERT_TRUE(r.ok) << c.cond << ": " << r.err;
    EXPECT_EQ(kt::numbers(sh, "t"), std::vector<double>{c.taken ? 1.0 : 0.0}) << c.cond;
  }
  kh::Shell sh;
  EXPECT_EQ(kt::runIn(sh, "if NaN, end").err, "??? NaN's cannot be converted to logicals.\n");
}

}  // namespace

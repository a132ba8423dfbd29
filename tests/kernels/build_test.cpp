// Ranges, concatenation and construction.
#include <gtest/gtest.h>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/colon.h"
#include "host/kernels/arrays/concat.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/messages.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::C;
using test::data;
using test::M;
using test::R;
using test::S;
using test::T;

// The built-in fn called by name, as the command window calls it: the
// reader of its arguments and the kernel together.
Value byName(const char* fn, ValueList args) { return callBuiltin(*findBuiltin(fn), 1, args)[0]; }

struct RangeCase {
  const char* name;
  double a, s, b;
  std::size_t n;
  double last;
};

class ColonTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(ColonTest, CountAndLast) {
  const auto& c = GetParam();
  const Value r = colonRange(c.a, c.s, c.b);
  EXPECT_EQ(r.dims(), (Dims{1, c.n}));
  if (c.n) {
    EXPECT_DOUBLE_EQ(r.at(c.n - 1), c.last);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColonTest,
    ::testing::Values(RangeCase{"tenths", 0, 0.1, 1, 11, 1.0},
                      RangeCase{"thirds", 0, 1.0 / 3, 1, 4, 1.0}, RangeCase{"unit", 1, 1, 5, 5, 5},
                      RangeCase{"down", 5, -1, 1, 5, 1},
                      RangeCase{"fractional_end", 1, 1, 3.5, 3, 3},
                      RangeCase{"empty_up", 2, 1, 1, 0, 0}, RangeCase{"empty_down", 1, -1, 2, 0, 0},
                      RangeCase{"zero_step", 1, 0, 2, 0, 0}, RangeCase{"nan", 1, 1, NAN, 0, 0},
                      RangeCase{"single", 3, 1, 3, 1, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Colon, ValueForms) {
  EXPECT_EQ(data(colon(S(1), S(3))), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(data(colon(S(3), S(-1), S(1))), (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(colon(Value::empty(), S(3)).dims(), (Dims{1, 0}));
  const Value c = colon(T("a"), T("c"));
  ASSERT_TRUE(c.isChar());
  EXPECT_EQ(c.utf8(), "abc");
  EXPECT_THROW(colonRange(0, 1, INFINITY), MError);
}

TEST(Concat, NumbersAndEmpties) {
  const Value h = horzcat({R({1, 2}), Value::empty(), S(3)});
  EXPECT_EQ(h.dims(), (Dims{1, 3}));
  EXPECT_EQ(data(h), (std::vector<double>{1, 2, 3}));
  const Value v = vertcat({M({{1, 2}}), M({{3, 4}})});
  EXPECT_EQ(v.dims(), (Dims{2, 2}));
  EXPECT_EQ(data(v), (std::vector<double>{1, 3, 2, 4}));
  EXPECT_EQ(vertcat({C({1, 2}), C({3})}).dims(), (Dims{3, 1}));
  EXPECT_EQ(horzcat({Value::empty(), Value::empty()}).dims(), (Dims{0, 0}));
  EXPECT_EQ(horzcat({Value::numeric({1, 0}), S(2)}).dims(), (Dims{1, 1}));
  EXPECT_EQ(horzcat({Value::numeric({3, 0}), Value::numeric({3, 0})}).dims(), (Dims{3, 0}));
}

TEST(Concat, MismatchMessages) {
  try {
    horzcat({C({1, 2}), C({1, 2, 3})});
    FAIL();
  } catch (const MError& e) {
    EXPECT_STREQ(e.what(), msg::kHorzcatRows);
  }
  try {
    vertcat({R({1, 2}), R({1, 2, 3})});
    FAIL();
  } catch (const MError& e) {
    EXPECT_STREQ(e.what(), msg::kVertcatCols);
  }
}

TEST(Concat, Classes) {
  const Value t = horzcat({T("ab"), S(99)});
  ASSERT_TRUE(t.isChar());
  EXPECT_EQ(t.utf8(), "abc");
  // Numbers that are not character codes become code 0 (found by fuzzing:
  // the conversion of -1 or 1e10 to a code was undefined).
  const Value odd = horzcat({R({-1, 65.7, 1e10, NAN}), T("a")});
  ASSERT_TRUE(odd.isChar());
  EXPECT_EQ(std::u16string(odd.chr(), odd.numel()), (std::u16string{0, 65, 0, 0, u'a'}));
  EXPECT_TRUE(horzcat({T(""), T("")}).isChar());
  Value cell = Value::cell({1, 1});
  const Value c = horzcat({cell, S(5)});
  ASSERT_TRUE(c.isCell());
  EXPECT_EQ(c.cellAt(1).at(0), 5);
  Value a = R({1});
  a.setLogical(true);
  EXPECT_TRUE(horzcat({a, a}).isLogical());
  EXPECT_FALSE(horzcat({a, S(2)}).isLogical());
  const Value z = vertcat({S(1), Value::complexScalar(0, 2)});
  EXPECT_TRUE(z.isComplex());
  EXPECT_EQ(z.im()[0], 0);
}

TEST(Concat, NdPages) {
  Value a = Value::numeric({2, 2, 2});
  for (std::size_t i = 0; i < 8; ++i) a.mutRe()[i] = static_cast<double>(i);
  const Value h = horzcat({a, a});
  EXPECT_EQ(h.dims(), (Dims{2, 4, 2}));
  EXPECT_EQ(h.re()[4], 0);  // second copy of page 1 starts at column 3
  EXPECT_EQ(h.re()[8], 4);  // page 2 starts with the first copy of page 2
}

TEST(Concat, BlocksOfEveryPart) {
  // Complex parts among real ones, in both directions.
  Value z = R({1, 2});
  z.mutIm()[1] = 5;
  const Value h = horzcat({R({7}), z, R({8, 9})});
  EXPECT_EQ(data(h), (std::vector<double>{7, 1, 2, 8, 9}));
  EXPECT_EQ(test::imagData(h), (std::vector<double>{0, 0, 5, 0, 0}));
  const Value v = vertcat({S(1), Value::complexScalar(0, 1), S(3)});
  EXPECT_EQ(v.dims(), (Dims{3, 1}));
  EXPECT_EQ(test::imagData(v), (std::vector<double>{0, 1, 0}));
  // Vertical concatenation interleaves the parts column by column.
  const Value m = vertcat({M({{1, 2, 3}}), M({{4, 5, 6}, {7, 8, 9}})});
  EXPECT_EQ(data(m), (std::vector<double>{1, 4, 7, 2, 5, 8, 3, 6, 9}));
  // Text rows and text matrices.
  EXPECT_EQ(vertcat({T("ab"), T("cd")}).utf8(), "acbd");
  EXPECT_EQ(horzcat({T("ab"), T(""), T("c")}).utf8(), "abc");
  // Pages: along the third dimension, and a part with fewer dimensions.
  Value p = Value::numeric({2, 1, 2});
  for (std::size_t i = 0; i < 4; ++i) p.mutRe()[i] = static_cast<double>(i + 1);
  const Value c3 = concat({p, C({5, 6})}, 2);
  EXPECT_EQ(c3.dims(), (Dims{2, 1, 3}));
  EXPECT_EQ(data(c3), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  const Value v3 = vertcat({p, p});
  EXPECT_EQ(v3.dims(), (Dims{4, 1, 2}));
  EXPECT_EQ(data(v3), (std::vector<double>{1, 2, 1, 2, 3, 4, 3, 4}));
  // A long row made of runs, as a split window is built.
  std::vector<double> ones(1000, 1.0), gap(9, 0.0);
  const Value w = horzcat({R(ones), R(gap), R(ones)});
  EXPECT_EQ(w.dims(), (Dims{1, 2009}));
  double sum = 0;
  for (std::size_t i = 0; i < w.numel(); ++i) sum += w.at(i);
  EXPECT_EQ(sum, 2000);
  EXPECT_EQ(w.at(1000), 0);
  EXPECT_EQ(w.at(1009), 1);
}

struct SizeCase {
  const char* name;
  ValueList args;
  Dims dims;
};

class SizeArgsTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeArgsTest, Zeros) {
  const auto& c = GetParam();
  const Value z = byName("zeros", c.args);
  EXPECT_EQ(z.dims(), c.dims);
  EXPECT_EQ(byName("ones", c.args).dims(), c.dims);
  EXPECT_EQ(byName("cell", c.args).dims(), c.dims);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeArgsTest,
    ::testing::Values(SizeCase{"none", {}, {1, 1}}, SizeCase{"square", {S(3)}, {3, 3}},
                      SizeCase{"two", {S(2), S(3)}, {2, 3}},
                      SizeCase{"three", {S(2), S(3), S(4)}, {2, 3, 4}},
                      SizeCase{"trailing_one", {S(2), S(3), S(1)}, {2, 3}},
                      SizeCase{"vector", {R({2, 3, 2})}, {2, 3, 2}},
                      SizeCase{"negative_is_zero", {S(1), S(-2)}, {1, 0}},
                      SizeCase{"zero_rows", {S(0), S(3)}, {0, 3}},
                      SizeCase{"empty_size", {Value::empty()}, {0, 0}},
                      SizeCase{"class_name", {S(2), S(3), Value::str("double")}, {2, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Construct, SizesThatAreNotSizesAreRefused) {
  // Text is not a size (zeros('ab') is not 97-by-98), and only double
  // arrays are made.
  for (const ValueList& args : {ValueList{Value::str("ab")},
                                {S(2), Value::str("ab"), S(1)},
                                {S(2), Value::str("single")},
                                {Value::str("double"), S(2)},
                                {S(NAN)},
                                {M({{1, 2}, {3, 4}})}})
    EXPECT_THROW(byName("zeros", args), MError);
}

TEST(Construct, EyeReshapeDiag) {
  EXPECT_EQ(data(byName("eye", {S(2), S(3)})), (std::vector<double>{1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(data(byName("ones", {S(1), S(2)})), (std::vector<double>{1, 1}));
  const Value r = byName("reshape", {R({1, 2, 3, 4, 5, 6}), S(2), S(3)});
  EXPECT_EQ(r.dims(), (Dims{2, 3}));
  EXPECT_EQ(byName("reshape", {R({1, 2, 3, 4}), R({2, 1, 2})}).dims(), (Dims{2, 1, 2}));
  EXPECT_EQ(byName("reshape", {R({1, 2, 3, 4, 5, 6}), Value::empty(), S(2)}).dims(), (Dims{3, 2}));
  EXPECT_THROW(byName("reshape", {R({1, 2, 3}), S(2), S(2)}), MError);
  // The kernel itself takes the size as dimensions.
  EXPECT_EQ(reshape(R({1, 2, 3, 4, 5, 6}), {1, 3}, 0).dims(), (Dims{2, 3}));
  EXPECT_THROW(reshape(R({1, 2, 3}), {2, 1}, 1), MError);
  EXPECT_EQ(data(eye({2, 3})), (std::vector<double>{1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(data(diag(R({1, 2}))), (std::vector<double>{1, 0, 0, 2}));
  EXPECT_EQ(data(diag(M({{1, 2}, {3, 4}}))), (std::vector<double>{1, 4}));
  EXPECT_EQ(data(diag(M({{1, 2}, {3, 4}}), 1)), (std::vector<double>{2}));
  EXPECT_EQ(diag(R({5}), -1).dims(), (Dims{2, 2}));
  EXPECT_EQ(diag(R({5}), -1).re()[1], 5);
}

}  // namespace
}  // namespace kh

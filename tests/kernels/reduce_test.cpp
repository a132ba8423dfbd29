// Reductions, searches and sorting.
#include "host/kernels/arrays/reduce.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/core/errors.h"
#include "host/kernels/arrays/sort.h"
#include "host/kernels/linalg/linalg.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::C;
using test::data;
using test::M;
using test::R;
using test::S;
using test::T;

const Value kMat = M({{1, 2, 3}, {4, 5, 6}});

struct ReduceCase {
  const char* name;
  Value (*fn)(const Value&, std::optional<std::size_t>);
  Value in;
  std::optional<std::size_t> dim;
  Dims dims;
  std::vector<double> values;
};

class ReduceTest : public ::testing::TestWithParam<ReduceCase> {};

TEST_P(ReduceTest, Result) {
  const auto& c = GetParam();
  const Value r = c.fn(c.in, c.dim);
  EXPECT_EQ(r.dims(), c.dims);
  EXPECT_EQ(data(r), c.values);
}

Value sumF(const Value& x, std::optional<std::size_t> d) { return sum(x, d); }
Value prodF(const Value& x, std::optional<std::size_t> d) { return prod(x, d); }
Value allF(const Value& x, std::optional<std::size_t> d) { return all(x, d); }
Value anyF(const Value& x, std::optional<std::size_t> d) { return any(x, d); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ReduceTest,
    ::testing::Values(
        ReduceCase{"sum_columns", sumF, kMat, std::nullopt, {1, 3}, {5, 7, 9}},
        ReduceCase{"sum_rows", sumF, kMat, 1, {2, 1}, {6, 15}},
        ReduceCase{"sum_row_vector", sumF, R({1, 2, 3}), std::nullopt, {1, 1}, {6}},
        ReduceCase{"sum_beyond_dims", sumF, R({1, 2}), 2, {1, 2}, {1, 2}},
        ReduceCase{"sum_of_empty_is_zero", sumF, Value::empty(), std::nullopt, {1, 1}, {0}},
        ReduceCase{"sum_of_0x3", sumF, Value::numeric({0, 3}), std::nullopt, {1, 3}, {0, 0, 0}},
        ReduceCase{"sum_of_text", sumF, T("ab"), std::nullopt, {1, 1}, {195}},
        ReduceCase{"prod", prodF, kMat, std::nullopt, {1, 3}, {4, 10, 18}},
        ReduceCase{"prod_of_empty_is_one", prodF, Value::empty(), std::nullopt, {1, 1}, {1}},
        ReduceCase{"all", allF, M({{1, 0}, {1, 1}}), std::nullopt, {1, 2}, {1, 0}},
        ReduceCase{"all_of_empty", allF, Value::empty(), std::nullopt, {1, 1}, {1}},
        ReduceCase{"any", anyF, M({{0, 0}, {1, 0}}), std::nullopt, {1, 2}, {1, 0}},
        ReduceCase{"any_along_rows", anyF, M({{0, 0}, {1, 0}}), 1, {2, 1}, {0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Extremes, IndexAndNaN) {
  const Extreme e = maxAlong(R({3, NAN, 7, 7, 1}));
  EXPECT_EQ(e.value.at(0), 7);
  EXPECT_EQ(e.index.at(0), 3);  // first of equal maxima
  const Extreme m = minAlong(kMat);
  EXPECT_EQ(data(m.value), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(data(m.index), (std::vector<double>{1, 1, 1}));
  const Extreme r = maxAlong(kMat, 1);
  EXPECT_EQ(data(r.value), (std::vector<double>{3, 6}));
  EXPECT_EQ(data(r.index), (std::vector<double>{3, 3}));
  EXPECT_TRUE(std::isnan(maxAlong(R({NAN, NAN})).value.at(0)));
  EXPECT_TRUE(maxAlong(Value::empty()).value.isEmpty());
  EXPECT_EQ(maxAlong(Value::complexScalar(3, 4)).value.re()[0], 3);
  EXPECT_EQ(maxAlong(R({-5, 4})).value.at(0), 4);
}

TEST(Extremes, TwoArrays) {
  EXPECT_EQ(data(maxOf(R({1, 5, NAN}), S(3))), (std::vector<double>{3, 5, 3}));
  EXPECT_EQ(data(minOf(R({1, 5, NAN}), S(3))), (std::vector<double>{1, 3, 3}));
  EXPECT_THROW(maxOf(R({1, 2}), R({1, 2, 3})), MError);
}

TEST(Find, Shapes) {
  EXPECT_EQ(find(R({0, 3, 0, 4})).dims(), (Dims{1, 2}));
  EXPECT_EQ(data(find(R({0, 3, 0, 4}))), (std::vector<double>{2, 4}));
  EXPECT_EQ(find(C({0, 3})).dims(), (Dims{1, 1}));
  EXPECT_EQ(data(find(kMat)), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(find(R({0, 0})).dims(), (Dims{1, 0}));
  EXPECT_EQ(find(C({0, 0})).dims(), (Dims{0, 1}));
  EXPECT_EQ(find(Value::empty()).dims(), (Dims{0, 0}));
  const Found f = findSubscripts(M({{0, 7}, {8, 0}}));
  EXPECT_EQ(data(f.rows), (std::vector<double>{2, 1}));
  EXPECT_EQ(data(f.cols), (std::vector<double>{1, 2}));
  EXPECT_EQ(data(f.values), (std::vector<double>{8, 7}));
}

TEST(Find, NonZeroKinds) {
  // NaN and negative zero: NaN is non-zero, -0 is zero; complex values count
  // when either part is non-zero.
  EXPECT_EQ(data(find(R({NAN, -0.0, -1, 0, INFINITY}))), (std::vector<double>{1, 3, 5}));
  Value z = R({0, 0, 3});
  z.mutIm()[1] = 2;
  EXPECT_EQ(data(find(z)), (std::vector<double>{2, 3}));
  EXPECT_EQ(data(find(T("a b"))), (std::vector<double>{1, 2, 3}));
  Value lg = test::L({1, 0, 1});
  EXPECT_EQ(data(find(lg)), (std::vector<double>{1, 3}));
  EXPECT_FALSE(find(lg).isLogical());
  EXPECT_EQ(find(Value::numeric({2, 0, 3})).dims(), (Dims{0, 1}));
  EXPECT_EQ(data(find(S(5))), (std::vector<double>{1}));
  EXPECT_EQ(find(S(0)).dims(), (Dims{1, 0}));
}

TEST(Norm, OneNormOfVectors) {
  const Value one = S(1);
  EXPECT_EQ(norm(R({1, -2, 3}), &one).at(0), 6);
  EXPECT_EQ(norm(C({-0.5, 0.25}), &one).at(0), 0.75);
  EXPECT_TRUE(std::isnan(norm(R({1, NAN, INFINITY}), &one).at(0)));
  EXPECT_EQ(norm(R({1, -INFINITY}), &one).at(0), INFINITY);
  EXPECT_EQ(norm(Value::numeric({1, 0}), &one).at(0), 0);
  Value z = R({3, 0});
  z.mutIm()[0] = 4;
  EXPECT_EQ(norm(z, &one).at(0), 5);
}

TEST(Diff, OrdersAndDims) {
  EXPECT_EQ(data(diff(R({1, 4, 9, 16}))), (std::vector<double>{3, 5, 7}));
  EXPECT_EQ(data(diff(R({1, 4, 9, 16}), 2)), (std::vector<double>{2, 2}));
  EXPECT_EQ(diff(kMat).dims(), (Dims{1, 3}));
  EXPECT_EQ(data(diff(kMat, 1, 1)), (std::vector<double>{1, 1, 1, 1}));
  EXPECT_EQ(data(diff(kMat, 1, 0)), (std::vector<double>{3, 3, 3}));
  EXPECT_EQ(diff(S(5)).numel(), 0u);
  EXPECT_EQ(diff(R({1, 2}), 3).numel(), 0u);
}

TEST(Sort, StableWithIndices) {
  const Sorted s = sortAlong(R({3, 1, 2, 1, NAN, 0}));
  EXPECT_EQ(s.index.dims(), (Dims{1, 6}));
  EXPECT_EQ(data(s.index), (std::vector<double>{6, 2, 4, 3, 1, 5}));
  EXPECT_TRUE(std::isnan(s.values.re()[5]));
  const Sorted m = sortAlong(M({{3, 1}, {1, 2}}));
  EXPECT_EQ(data(m.values), (std::vector<double>{1, 3, 1, 2}));
  EXPECT_EQ(data(m.index), (std::vector<double>{2, 1, 1, 2}));
  const Sorted r = sortAlong(M({{3, 1}, {1, 2}}), 1);
  EXPECT_EQ(data(r.values), (std::vector<double>{1, 1, 3, 2}));
  const Sorted t = sortAlong(T("cab"));
  ASSERT_TRUE(t.values.isChar());
  EXPECT_EQ(t.values.utf8(), "abc");
  EXPECT_THROW(sortAlong(Value::cell({1, 2})), MError);
}

}  // namespace
}  // namespace kh

namespace kh {
namespace {

TEST(Norm, TwoNormIsScaledAgainstOverflowAndUnderflow) {
  EXPECT_DOUBLE_EQ(norm(Value::column({3, 4}), nullptr).at(0), 5.0);
  EXPECT_DOUBLE_EQ(norm(Value::column({3e200, 4e200}), nullptr).at(0), 5e200);
  EXPECT_DOUBLE_EQ(norm(Value::column({3e-200, 4e-200}), nullptr).at(0), 5e-200);
  EXPECT_TRUE(std::isnan(norm(Value::column({1, NAN}), nullptr).at(0)));
  EXPECT_TRUE(std::isinf(norm(Value::column({1, INFINITY}), nullptr).at(0)));
}

}  // namespace
}  // namespace kh

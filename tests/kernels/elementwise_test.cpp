#include "host/kernels/arith/elementwise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <utility>
#include <vector>

#include "host/core/errors.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::C;
using test::data;
using test::imagData;
using test::M;
using test::R;
using test::S;
using test::T;
using test::Z;

struct BinCase {
  const char* name;
  BinOp op;
  Value a, b;
  Dims dims;
  std::vector<double> re;
};

class BinaryTest : public ::testing::TestWithParam<BinCase> {};

TEST_P(BinaryTest, Computes) {
  const auto& c = GetParam();
  const Value r = binary(c.op, c.a, c.b);
  EXPECT_EQ(r.dims(), c.dims);
  EXPECT_EQ(data(r), c.re);
  EXPECT_FALSE(r.isComplex());
  EXPECT_FALSE(r.isLogical());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BinaryTest,
    ::testing::Values(
        BinCase{"scalar_left", BinOp::Plus, S(1), M({{1, 2}, {3, 4}}), {2, 2}, {2, 4, 3, 5}},
        BinCase{"scalar_right", BinOp::Minus, R({5, 6}), S(1), {1, 2}, {4, 5}},
        BinCase{"same_size", BinOp::Times, C({1, 2}), C({3, 4}), {2, 1}, {3, 8}},
        BinCase{"divide", BinOp::Rdivide, R({1, 1}), R({2, 0}), {1, 2}, {0.5, INFINITY}},
        BinCase{"left_divide", BinOp::Ldivide, S(2), R({4, 6}), {1, 2}, {2, 3}},
        BinCase{"whole_power_of_negative", BinOp::Power, S(-2), R({2, 3}), {1, 2}, {4, -8}},
        BinCase{"chars_are_codes", BinOp::Plus, T("ab"), S(1), {1, 2}, {98, 99}},
        BinCase{"empty_with_scalar", BinOp::Plus, Value::numeric({0, 3}), S(1), {0, 3}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Elementwise, SizeMismatchIsAnError) {
  EXPECT_THROW(binary(BinOp::Plus, R({1, 2}), C({1, 2})), MError);
  EXPECT_THROW(binary(BinOp::Plus, R({1, 2}), R({1, 2, 3})), MError);
  EXPECT_THROW(binary(BinOp::Plus, Value::cell({1, 1}), S(1)), MError);
}

TEST(Elementwise, ComplexArithmetic) {
  const Value r = binary(BinOp::Times, Z(1, 2), R({1, 2}));
  EXPECT_EQ(data(r), (std::vector<double>{1, 2}));
  EXPECT_EQ(imagData(r), (std::vector<double>{2, 4}));
  // (1+2i)*(1-2i) = 5: the zero imaginary part is dropped.
  const Value p = binary(BinOp::Times, Z(1, 2), Z(1, -2));
  EXPECT_FALSE(p.isComplex());
  EXPECT_EQ(p.at(0), 5);
}

TEST(Elementwise, FractionalPowerOfNegativeIsComplex) {
  const Value r = binary(BinOp::Power, S(-4), S(0.5));
  ASSERT_TRUE(r.isComplex());
  EXPECT_NEAR(r.re()[0], 0, 1e-15);
  EXPECT_NEAR(r.im()[0], 2, 1e-15);
}

TEST(Elementwise, ComparisonsAreLogical) {
  const Value r = compare(CmpOp::Lt, R({1, 2, 3}), S(2));
  EXPECT_TRUE(r.isLogical());
  EXPECT_EQ(data(r), (std::vector<double>{1, 0, 0}));
  // Ordering compares real parts; equality compares both parts.
  EXPECT_EQ(compare(CmpOp::Lt, Z(1, 5), S(2)).at(0), 1);
  EXPECT_EQ(compare(CmpOp::Eq, Z(1, 5), S(1)).at(0), 0);
  EXPECT_EQ(compare(CmpOp::Ne, S(NAN), S(NAN)).at(0), 1);
  EXPECT_EQ(data(compare(CmpOp::Eq, T("abc"), T("abd"))), (std::vector<double>{1, 1, 0}));
}

TEST(Elementwise, LogicalOperators) {
  EXPECT_EQ(data(logicalAnd(R({1, 0, 2}), S(1))), (std::vector<double>{1, 0, 1}));
  EXPECT_EQ(data(logicalOr(R({0, 0}), R({0, 3}))), (std::vector<double>{0, 1}));
  const Value n = logicalNot(R({0, 5}));
  EXPECT_TRUE(n.isLogical());
  EXPECT_EQ(data(n), (std::vector<double>{1, 0}));
  EXPECT_EQ(logicalNot(Z(0, 1)).at(0), 0);
}

// Every operation, with the scalar on either side, on both, or on neither,
// against the same arithmetic written out element by element; the operands
// include NaN, infinities and signed zeros.
TEST(Elementwise, BroadcastFormsAgreeWithElementByElement) {
  const std::vector<double> xs = {3, -2, 0, -0.0, INFINITY, -INFINITY, NAN, 0.5, 7};
  const std::vector<double> ys = {2, 4, -0.0, 0, 2, INFINITY, 1, NAN, -3};
  const std::vector<std::pair<BinOp, double (*)(double, double)>> ops = {
      {BinOp::Plus, [](double u, double v) { return u + v; }},
      {BinOp::Minus, [](double u, double v) { return u - v; }},
      {BinOp::Times, [](double u, double v) { return u * v; }},
      {BinOp::Rdivide, [](double u, double v) { return u / v; }},
      {BinOp::Ldivide, [](double u, double v) { return v / u; }},
  };
  const auto same = [](double u, double v) {
    return (std::isnan(u) && std::isnan(v)) || (u == v && std::signbit(u) == std::signbit(v));
  };
  const Value X = R(xs), Y = R(ys);
  for (const auto& [op, f] : ops) {
    const Value both = binary(op, X, Y);
    for (std::size_t i = 0; i < xs.size(); ++i) {
      EXPECT_TRUE(same(both.at(i), f(xs[i], ys[i]))) << static_cast<int>(op) << " at " << i;
      const Value left = binary(op, S(xs[i]), Y), right = binary(op, X, S(ys[i]));
      EXPECT_EQ(left.dims(), Y.dims());
      EXPECT_EQ(right.dims(), X.dims());
      for (std::size_t j = 0; j < xs.size(); ++j) {
        EXPECT_TRUE(same(left.at(j), f(xs[i], ys[j]))) << static_cast<int>(op);
        EXPECT_TRUE(same(right.at(j), f(xs[j], ys[i]))) << static_cast<int>(op);
      }
      EXPECT_TRUE(same(binary(op, S(xs[i]), S(ys[i])).at(0), f(xs[i], ys[i])));
    }
  }
  const std::vector<std::pair<CmpOp, bool (*)(double, double)>> cmps = {
      {CmpOp::Eq, [](double u, double v) { return u == v; }},
      {CmpOp::Ne, [](double u, double v) { return u != v; }},
      {CmpOp::Lt, [](double u, double v) { return u < v; }},
      {CmpOp::Le, [](double u, double v) { return u <= v; }},
      {CmpOp::Gt, [](double u, double v) { return u > v; }},
      {CmpOp::Ge, [](double u, double v) { return u >= v; }},
  };
  for (const auto& [op, f] : cmps) {
    const Value both = compare(op, X, Y);
    EXPECT_TRUE(both.isLogical());
    for (std::size_t i = 0; i < xs.size(); ++i) {
      EXPECT_EQ(both.at(i), f(xs[i], ys[i]) ? 1.0 : 0.0);
      const Value left = compare(op, S(xs[i]), Y), right = compare(op, X, S(ys[i]));
      EXPECT_TRUE(left.isLogical() && right.isLogical());
      for (std::size_t j = 0; j < xs.size(); ++j) {
        EXPECT_EQ(left.at(j), f(xs[i], ys[j]) ? 1.0 : 0.0);
        EXPECT_EQ(right.at(j), f(xs[j], ys[i]) ? 1.0 : 0.0);
      }
    }
  }
  // and / or: NaN counts as true.
  EXPECT_EQ(data(logicalAnd(S(NAN), R({0, 1}))), (std::vector<double>{0, 1}));
  EXPECT_EQ(data(logicalOr(R({0, 0}), S(0))), (std::vector<double>{0, 0}));
  EXPECT_EQ(data(logicalOr(Z(0, 1), R({0, 0}))), (std::vector<double>{1, 1}));
  EXPECT_EQ(data(logicalAnd(R({1, 1}), Z(0, 1))), (std::vector<double>{1, 1}));
}

TEST(Elementwise, BroadcastEdgeShapesAndClasses) {
  // An empty operand against a scalar on either side keeps the empty shape.
  EXPECT_EQ(binary(BinOp::Minus, S(1), Value::numeric({2, 0})).dims(), (Dims{2, 0}));
  EXPECT_EQ(compare(CmpOp::Gt, Value::numeric({0, 3}), S(1)).dims(), (Dims{0, 3}));
  EXPECT_TRUE(compare(CmpOp::Gt, Value::numeric({0, 3}), S(1)).isLogical());
  EXPECT_EQ(logicalAnd(Value::numeric({0, 1}), S(1)).dims(), (Dims{0, 1}));
  // N-d operands.
  Value a = Value::numeric({2, 1, 2});
  for (std::size_t i = 0; i < 4; ++i) a.mutRe()[i] = static_cast<double>(i);
  const Value r = binary(BinOp::Minus, S(10), a);
  EXPECT_EQ(r.dims(), (Dims{2, 1, 2}));
  EXPECT_EQ(data(r), (std::vector<double>{10, 9, 8, 7}));
  // Characters on the right as on the left; logical inputs give doubles.
  EXPECT_EQ(data(binary(BinOp::Minus, S(100), T("ab"))), (std::vector<double>{3, 2}));
  EXPECT_FALSE(binary(BinOp::Plus, test::L({1, 0}), S(1)).isLogical());
  // Complex scalar with a real array on the right.
  const Value c = binary(BinOp::Rdivide, R({2, 4}), Z(0, 2));
  EXPECT_EQ(data(c), (std::vector<double>{0, 0}));
  EXPECT_EQ(imagData(c), (std::vector<double>{-1, -2}));
  // Fractional powers of negatives, scalar base or scalar exponent.
  EXPECT_TRUE(binary(BinOp::Power, R({4, -4}), S(0.5)).isComplex());
  EXPECT_FALSE(binary(BinOp::Power, R({4, 9}), S(0.5)).isComplex());
  EXPECT_EQ(data(binary(BinOp::Power, S(2), R({-1, 0, 10}))), (std::vector<double>{0.5, 1, 1024}));
  // Unary minus keeps complex parts and drops the logical flag.
  const Value u = uminus(Z(1, -2));
  EXPECT_EQ(u.cat(0), std::complex<double>(-1, 2));
  const Value ul = uminus(test::L({1, 0}));
  EXPECT_FALSE(ul.isLogical());
  EXPECT_EQ(data(ul), (std::vector<double>{-1, -0.0}));
  EXPECT_TRUE(std::signbit(ul.at(1)));
  EXPECT_EQ(uminus(Value::numeric({0, 2})).dims(), (Dims{0, 2}));
  EXPECT_EQ(data(uminus(T("a"))), (std::vector<double>{-97}));
}

struct UnaryCase {
  const char* name;
  UnaryFn fn;
  Value in;
  std::vector<double> re, im;
};

class UnaryTest : public ::testing::TestWithParam<UnaryCase> {};

TEST_P(UnaryTest, Computes) {
  const auto& c = GetParam();
  const Value r = unary(c.fn, c.in);
  EXPECT_EQ(data(r), c.re);
  EXPECT_EQ(imagData(r), c.im.empty() ? std::vector<double>(c.re.size(), 0.0) : c.im);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnaryTest,
    ::testing::Values(
        UnaryCase{
            "round_half_away", UnaryFn::Round, R({2.5, -2.5, 0.49, -0.5}), {3, -3, 0, -1}, {}},
        UnaryCase{"fix_toward_zero", UnaryFn::Fix, R({2.7, -2.7}), {2, -2}, {}},
        UnaryCase{"floor", UnaryFn::Floor, R({2.7, -2.2}), {2, -3}, {}},
        UnaryCase{"ceil", UnaryFn::Ceil, R({2.2, -2.7}), {3, -2}, {}},
        UnaryCase{"sign", UnaryFn::Sign, R({-3, 0, 4}), {-1, 0, 1}, {}},
        UnaryCase{"abs_complex", UnaryFn::Abs, Z(3, 4), {5}, {}},
        UnaryCase{"sqrt_negative", UnaryFn::Sqrt, R({-4, 9}), {0, 3}, {2, 0}},
        UnaryCase{"log_negative", UnaryFn::Log, S(-1), {0}, {M_PI}},
        UnaryCase{"sin", UnaryFn::Sin, R({0, M_PI / 2}), {0, 1}, {}},
        UnaryCase{"exp", UnaryFn::Exp, R({0, 1}), {1, M_E}, {}},
        UnaryCase{"atan_of_one", UnaryFn::Atan, S(1), {M_PI / 4}, {}},
        UnaryCase{"conj", UnaryFn::Conj, Z(1, 2), {1}, {-2}},
        UnaryCase{"imag", UnaryFn::Imag, Z(1, 2), {2}, {}},
        UnaryCase{"abs_of_char", UnaryFn::Abs, T("a"), {97}, {}},
        UnaryCase{"isnan", UnaryFn::Isnan, R({NAN, 1, INFINITY}), {1, 0, 0}, {}},
        UnaryCase{"isinf", UnaryFn::Isinf, R({NAN, 1, -INFINITY}), {0, 0, 1}, {}},
        UnaryCase{"isfinite", UnaryFn::Isfinite, R({NAN, 1, INFINITY}), {0, 1, 0}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Elementwise, RemKeepsTheSignOfTheDividend) {
  const Value r = rem(R({5, -5, 5, -5, 5, 4.5}), R({3, 3, -3, -3, 0, 1.5}));
  const auto d = data(r);
  EXPECT_EQ(d[0], 2);
  EXPECT_EQ(d[1], -2);
  EXPECT_EQ(d[2], 2);
  EXPECT_EQ(d[3], -2);
  EXPECT_TRUE(std::isnan(d[4]));
  EXPECT_EQ(d[5], 0);
}

TEST(Elementwise, LowerOnTextAndCells) {
  EXPECT_EQ(lower(T("AbC-1")).utf8(), "abc-1");
  EXPECT_EQ(lower(S(65)).at(0), 65);
  Value c = Value::cell({1, 1});
  c.mutCellAt(0) = T("XY");
  EXPECT_EQ(lower(c).cellAt(0).utf8(), "xy");
}

}  // namespace
}  // namespace kh

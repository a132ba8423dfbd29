#include "host/ops/elementwise.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/context/errors.h"
#include "tests/ops/values.h"

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

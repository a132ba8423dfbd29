// The lean paths the operations take for small real operands, against the
// general paths (GeneralPathsOnly) on the same inputs: the same values bit
// for bit, the same warnings and the same errors, over sizes on both sides of
// each threshold and over awkward inputs (empty, NaN, Inf, rank deficient,
// complex, text, logical).
#include "host/kernels/linalg/lean_paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/arrays/index.h"
#include "host/kernels/arrays/query.h"
#include "host/kernels/arrays/reduce.h"
#include "host/kernels/linalg/decomp.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::M;
using test::S;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// What one call gave: its values, or its error, and the last warning.
struct Outcome {
  std::vector<Value> values;
  std::string error;
  std::string warning;
};

using Op = std::function<std::vector<Value>()>;

Outcome run(const Op& op) {
  WarningStateGuard keep;
  setWarningsOn(false);  // still recorded as the last warning
  clearLastWarning();
  Outcome o;
  try {
    o.values = op();
  } catch (const MError& e) {
    o.error = e.message();
  }
  o.warning = lastWarning();
  return o;
}

// Equal bits, any NaN matching any NaN.
bool sameBits(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string describe(const Value& v) {
  std::string s = dimsText(v.dims()) + " " + className(v);
  if (v.isDouble())
    for (std::size_t i = 0; i < v.numel() && i < 12; ++i) s += " " + std::to_string(v.re()[i]);
  return s;
}

void expectSame(const Outcome& lean, const Outcome& general, const std::string& what) {
  EXPECT_EQ(lean.error, general.error) << what;
  EXPECT_EQ(lean.warning, general.warning) << what;
  ASSERT_EQ(lean.values.size(), general.values.size()) << what;
  for (std::size_t k = 0; k < lean.values.size(); ++k) {
    const Value &x = lean.values[k], &y = general.values[k];
    const std::string at =
        what + " output " + std::to_string(k + 1) + ": " + describe(x) + " vs " + describe(y);
    ASSERT_EQ(x.dims(), y.dims()) << at;
    ASSERT_EQ(x.cls(), y.cls()) << at;
    EXPECT_EQ(x.isLogical(), y.isLogical()) << at;
    ASSERT_EQ(x.isComplex(), y.isComplex()) << at;
    if (!x.isDouble()) continue;
    for (std::size_t i = 0; i < x.numel(); ++i) {
      EXPECT_TRUE(sameBits(x.re()[i], y.re()[i])) << at << " at " << i;
      if (x.isComplex()) {
        EXPECT_TRUE(sameBits(x.im()[i], y.im()[i])) << at << " at " << i;
      }
    }
  }
}

void checkBothPaths(const Op& op, const std::string& what) {
  const Outcome lean = run(op);
  Outcome general;
  {
    GeneralPathsOnly off;
    general = run(op);
  }
  expectSame(lean, general, what);
}

Value filled(std::size_t m, std::size_t n, const std::function<double(std::size_t)>& f) {
  Value v = Value::matrix(m, n);
  for (std::size_t i = 0; i < m * n; ++i) v.mutRe()[i] = f(i);
  return v;
}

// The inputs of one size: random, with a NaN, with an Inf, with equal
// columns, with a zero column, upper and lower triangular, integers with
// ties and signed zeros.
std::vector<std::pair<std::string, Value>> inputsOfSize(std::mt19937& g, std::size_t m,
                                                        std::size_t n) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> d(-2, 2);
  const std::string size = std::to_string(m) + "x" + std::to_string(n);
  std::vector<std::pair<std::string, Value>> in;
  in.emplace_back(size + " random", filled(m, n, [&](std::size_t) { return u(g); }));
  if (m * n == 0) return in;
  Value nan = filled(m, n, [&](std::size_t) { return u(g); });
  nan.mutRe()[(m * n) / 2] = kNaN;
  in.emplace_back(size + " NaN", nan);
  Value inf = filled(m, n, [&](std::size_t) { return u(g); });
  inf.mutRe()[m * n - 1] = -kInf;
  in.emplace_back(size + " Inf", inf);
  in.emplace_back(size + " ties", filled(m, n, [&](std::size_t i) {
                    const int k = d(g);
                    return k == 0 ? (i % 2 ? -0.0 : 0.0) : k;
                  }));
  if (n >= 2) {
    Value same = filled(m, n, [&](std::size_t) { return u(g); });
    for (std::size_t i = 0; i < m; ++i) same.mutRe()[i + m] = same.mutRe()[i];
    in.emplace_back(size + " equal columns", same);
    Value zero = filled(m, n, [&](std::size_t) { return u(g); });
    for (std::size_t i = 0; i < m; ++i) zero.mutRe()[i] = 0.0;
    in.emplace_back(size + " zero column", zero);
  }
  // Squares that overflow, and a column too small to reflect.
  in.emplace_back(size + " huge", filled(m, n, [&](std::size_t) { return u(g) * 1e200; }));
  in.emplace_back(size + " tiny",
                  filled(m, n, [&](std::size_t i) { return i % m == 0 ? u(g) : u(g) * 1e-300; }));
  in.emplace_back(size + " upper", filled(m, n, [&](std::size_t i) {
                    return i % m > i / m ? 0.0 : u(g) + (i % m == i / m ? 2.0 : 0.0);
                  }));
  in.emplace_back(size + " lower", filled(m, n, [&](std::size_t i) {
                    return i % m < i / m ? 0.0 : u(g) - (i % m == i / m ? 2.0 : 0.0);
                  }));
  return in;
}

std::vector<std::pair<std::string, Value>> allInputs() {
  std::mt19937 g(17);
  std::vector<std::pair<std::string, Value>> in;
  // Every shape up to 12-by-3 and the squares up to 6 (past the order of
  // the written-out solves), then the block fit's 100-by-3, squares on both
  // sides of lu's stack copy (16-by-16 and 17-by-17), inner dimensions on
  // both sides of the short products' (32 and 33), empty ones and a wide
  // one.
  std::vector<std::pair<std::size_t, std::size_t>> sizes;
  for (std::size_t m = 1; m <= 12; ++m)
    for (std::size_t n = 1; n <= 3; ++n) sizes.emplace_back(m, n);
  for (std::size_t n = 4; n <= 6; ++n) sizes.emplace_back(n, n);
  for (auto s : std::vector<std::pair<std::size_t, std::size_t>>{{100, 3},
                                                                 {16, 16},
                                                                 {17, 17},
                                                                 {40, 32},
                                                                 {40, 33},
                                                                 {0, 0},
                                                                 {0, 3},
                                                                 {3, 0},
                                                                 {1, 0},
                                                                 {2, 5}})
    sizes.push_back(s);
  for (auto [m, n] : sizes)
    for (auto& x : inputsOfSize(g, m, n)) in.push_back(std::move(x));
  // A column long enough for the 8-row blocks of a product.
  in.emplace_back("20x1 random", filled(20, 1, [&](std::size_t i) { return std::sin(i + 1.0); }));
  // Other classes and complex data go the general way in both modes.
  Value z = Value::numeric({2, 2}, true);
  for (std::size_t i = 0; i < 4; ++i) {
    z.mutRe()[i] = static_cast<double>(i) + 1;
    z.mutIm()[i] = i % 2 ? 0.5 : 0.0;
  }
  in.emplace_back("complex 2x2", z);
  in.emplace_back("text 1x3", test::T("abc"));
  in.emplace_back("logical 1x3", test::L({1, 0, 1}));
  return in;
}

// A right-hand side or second operand for a with `cols` columns.
Value partner(const Value& a, std::size_t rows, std::size_t cols) {
  return filled(rows, cols, [&](std::size_t i) {
    return a.isDouble() && a.numel() ? a.re()[i % a.numel()] * 0.5 + 1.0 : 1.0;
  });
}

TEST(LeanPaths, MatchTheGeneralPathsOnEveryInput) {
  const auto inputs = allInputs();
  ASSERT_GT(inputs.size(), 200u);
  for (const auto& input : inputs) {
    // (Named, not bound: lambdas below capture them.)
    const std::string& name = input.first;
    const Value& a = input.second;
    const std::size_t m = a.rows(), n = a.cols();
    const Value one = S(1);
    const std::vector<std::pair<std::string, Op>> ops = {
        {"qr economy",
         [&] {
           auto f = qr(a, true);
           return std::vector<Value>{f.q, f.r};
         }},
        {"qr full",
         [&] {
           auto f = qr(a, false);
           return std::vector<Value>{f.q, f.r};
         }},
        {"lu",
         [&] {
           auto f = lu(a, false);
           return std::vector<Value>{f.l, f.u};
         }},
        {"lu with p",
         [&] {
           auto f = lu(a, true);
           return std::vector<Value>{f.l, f.u, f.p};
         }},
        {"mldivide", [&] { return std::vector<Value>{mldivide(a, partner(a, m, 1))}; }},
        {"mldivide 3 columns", [&] { return std::vector<Value>{mldivide(a, partner(a, m, 3))}; }},
        {"mtimes", [&] { return std::vector<Value>{mtimes(a, partner(a, n, 1))}; }},
        {"mtimes 3 columns", [&] { return std::vector<Value>{mtimes(a, partner(a, n, 3))}; }},
        {"mtimes transposed", [&] { return std::vector<Value>{mtimes(transpose(a), a)}; }},
        {"sum", [&] { return std::vector<Value>{sum(a)}; }},
        {"sum along 2", [&] { return std::vector<Value>{sum(a, 1)}; }},
        {"max",
         [&] {
           auto e = maxAlong(a);
           return std::vector<Value>{e.value, e.index};
         }},
        {"min",
         [&] {
           auto e = minAlong(a);
           return std::vector<Value>{e.value, e.index};
         }},
        {"max of two", [&] { return std::vector<Value>{maxOf(a, partner(a, m, n))}; }},
        {"min with scalar", [&] { return std::vector<Value>{minOf(S(0.25), a)}; }},
        {"plus", [&] { return std::vector<Value>{binary(BinOp::Plus, a, partner(a, m, n))}; }},
        {"minus scalar", [&] { return std::vector<Value>{binary(BinOp::Minus, a, one)}; }},
        {"times", [&] { return std::vector<Value>{binary(BinOp::Times, a, partner(a, m, n))}; }},
        {"rdivide", [&] { return std::vector<Value>{binary(BinOp::Rdivide, one, a)}; }},
        {"ldivide", [&] { return std::vector<Value>{binary(BinOp::Ldivide, a, a)}; }},
        {"power", [&] { return std::vector<Value>{binary(BinOp::Power, a, S(0.5))}; }},
        {"mismatch",
         [&] { return std::vector<Value>{binary(BinOp::Plus, a, partner(a, m + 1, n))}; }},
        {"eq", [&] { return std::vector<Value>{compare(CmpOp::Eq, a, a)}; }},
        {"lt", [&] { return std::vector<Value>{compare(CmpOp::Lt, a, S(0))}; }},
        {"and", [&] { return std::vector<Value>{logicalAnd(a, partner(a, m, n))}; }},
        {"or", [&] { return std::vector<Value>{logicalOr(S(0), a)}; }},
        {"isequal",
         [&] {
           return std::vector<Value>{Value::logicalScalar(isEqual(a, a)),
                                     Value::logicalScalar(isEqual(a, partner(a, m, n)))};
         }},
    };
    for (const auto& [opName, op] : ops) checkBothPaths(op, opName + " of " + name);
  }
}

TEST(LeanPaths, TheBlockFitsSolvesWarnAsTheGeneralOnes) {
  // Triangles and squares that are singular, nearly singular or not finite:
  // the same warning text (RCOND included) from both routes.
  const std::vector<std::pair<std::string, Value>> cases = {
      {"nearly singular upper", M({{1, 1}, {0, 1e-17}})},
      {"nearly singular lower", M({{1, 0}, {1, 1e-17}})},
      {"zero pivot upper", M({{1, 2, 3}, {0, 0, 1}, {0, 0, 2}})},
      {"singular general", M({{1, 2, 3}, {2, 4, 6}, {1, 0, 1}})},
      {"close general", M({{2, 1, 1}, {1, 3, 2}, {1, 3, 2 + 4e-16}})},
      {"NaN general", M({{1, 2, 3}, {4, kNaN, 6}, {7, 8, 10}})},
      {"Inf upper", M({{1, kInf, 3}, {0, 1, 6}, {0, 0, 10}})},
      {"huge diagonal", M({{1e300, 1}, {0, 1e-300}})},
      {"4x4 diagonal", M({{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 5}})},
  };
  for (const auto& c : cases) {
    const std::string& name = c.first;
    const Value& a = c.second;
    checkBothPaths([&] { return std::vector<Value>{mldivide(a, partner(a, a.rows(), 2))}; }, name);
    checkBothPaths([&] { return std::vector<Value>{mldivide(a, Value::matrix(a.rows(), 0))}; },
                   name + " without columns");
  }
}

TEST(LeanPaths, ContainersCompareByTheirElements) {
  // isequal walks cells and structures; leaves take no list.
  Value c1 = Value::cell({1, 2}), c2 = Value::cell({1, 2});
  c1.mutCellAt(0) = M({{1, 2}});
  c2.mutCellAt(0) = M({{1, 2}});
  c1.mutCellAt(1) = test::T("x");
  c2.mutCellAt(1) = test::T("x");
  EXPECT_TRUE(isEqual(c1, c2));
  c2.mutCellAt(1) = test::T("y");
  EXPECT_FALSE(isEqual(c1, c2));
  EXPECT_FALSE(isEqual(c1, M({{1, 2}})));
  EXPECT_TRUE(isEqual(test::T("dim"), test::T("dim")));
  EXPECT_FALSE(isEqual(test::T("dim"), test::T("real")));
  EXPECT_TRUE(isEqual(test::T("a"), S(97)));
  EXPECT_FALSE(isEqual(S(kNaN), S(kNaN)));
}

TEST(LeanPaths, ANewMatrixBuiltFromOneColumnHasZerosElsewhere) {
  // V(:, 3) = v on a new variable: the columns before it are zeros even when
  // the storage it gets held other numbers before.
  for (int round = 0; round < 3; ++round) {
    {
      const Value dirty = filled(100, 3, [](std::size_t) { return 7.0; });
    }
    Value v;
    indexAssign(v, {colonIndex(), S(3)}, filled(100, 1, [](std::size_t i) { return i + 1.0; }));
    ASSERT_EQ(v.dims(), (Dims{100, 3}));
    for (std::size_t i = 0; i < 200; ++i) ASSERT_EQ(v.re()[i], 0.0) << i;
    for (std::size_t i = 0; i < 100; ++i) ASSERT_EQ(v.re()[200 + i], i + 1.0) << i;
  }
}

}  // namespace
}  // namespace kh

// The one-dimensional filter against its recurrence, and the random generator.
#include <gtest/gtest.h>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arith/random.h"
#include "host/kernels/signal/filter1d.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

// The built-in fn called by name, as the command window calls it: the
// reader of its arguments and the kernel together.
Value byName(const char* fn, ValueList args) { return callBuiltin(*findBuiltin(fn), 1, args)[0]; }

using test::C;
using test::data;
using test::M;
using test::R;

// y(n) = (sum b(k) x(n-k) - sum_{k>=1} a(k) y(n-k)) / a(0), written out.
std::vector<double> recurrence(const std::vector<double>& b, const std::vector<double>& a,
                               const std::vector<double>& x) {
  std::vector<double> y(x.size());
  for (std::size_t n = 0; n < x.size(); ++n) {
    double s = 0;
    for (std::size_t k = 0; k < b.size() && k <= n; ++k) s += b[k] * x[n - k];
    for (std::size_t k = 1; k < a.size() && k <= n; ++k) s -= a[k] * y[n - k];
    y[n] = s / a[0];
  }
  return y;
}

struct FilterCase {
  const char* name;
  std::vector<double> b, a;
};

class Filter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(Filter, MatchesTheRecurrence) {
  const std::vector<double> x = {1, -2, 3.5, 0, 0.25, 7, -1, 2, 2, -3};
  const FilterResult r = filter(R(GetParam().b), R(GetParam().a), R(x));
  const std::vector<double> want = recurrence(GetParam().b, GetParam().a, x);
  EXPECT_EQ(r.y.dims(), (Dims{1, x.size()}));
  for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(r.y.re()[i], want[i], 1e-12) << i;
}

INSTANTIATE_TEST_SUITE_P(Coefficients, Filter,
                         ::testing::Values(FilterCase{"movingSum", {1, 1, 1}, {1}},
                                           FilterCase{"firstOrderPole", {1}, {1, -0.5}},
                                           FilterCase{"normalizedByLeadingA", {2, 4}, {2, 1, 0.5}},
                                           FilterCase{
                                               "longerDenominator", {0.3}, {1, 0.1, -0.2, 0.05}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Filter, WorksDownColumnsAndAlongAChosenDimension) {
  const Value x = M({{1, 10}, {2, 20}, {3, 30}});
  EXPECT_EQ(data(filter(R({1, 1}), R({1}), x).y), (std::vector<double>{1, 3, 5, 10, 30, 50}));
  EXPECT_EQ(data(filter(R({1, 1}), R({1}), x, nullptr, 1).y),
            (std::vector<double>{1, 2, 3, 11, 22, 33}));
}

TEST(Filter, FinalStatesContinueAFilteredRecord) {
  const std::vector<double> x = {1, 2, 3, 4, 5, 6};
  const Value b = R({0.5, 0.25}), a = R({1, -0.3});
  const FilterResult whole = filter(b, a, R(x));
  const FilterResult first = filter(b, a, R({1, 2, 3}));
  const FilterResult second = filter(b, a, R({4, 5, 6}), &first.zf);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(second.y.re()[i], whole.y.re()[i + 3], 1e-12);
}

TEST(Filter, BadCoefficients) {
  EXPECT_THROW(filter(R({1}), R({0, 1}), R({1, 2})), MError);
  EXPECT_THROW(filter(Value::empty(), R({1}), R({1, 2})), MError);
}

TEST(Rand, UniformInTheOpenIntervalWithTheAskedSize) {
  const Value r = byName("rand", {test::S(200), test::S(3)});
  EXPECT_EQ(r.dims(), (Dims{200, 3}));
  double sum = 0;
  for (double v : data(r)) {
    EXPECT_GT(v, 0.0);
    EXPECT_LT(v, 1.0);
    sum += v;
  }
  EXPECT_NEAR(sum / 600, 0.5, 0.05);
  EXPECT_EQ(byName("rand", {}).dims(), (Dims{1, 1}));
  EXPECT_EQ(byName("rand", {R({2, 4})}).dims(), (Dims{2, 4}));
}

TEST(Rand, ReseedingRepeatsTheSequence) {
  byName("rand", {test::T("seed"), test::S(7)});
  const std::vector<double> a = data(byName("rand", {test::S(1), test::S(5)}));
  byName("rand", {test::T("state"), test::S(7)});
  const std::vector<double> b = data(byName("rand", {test::S(1), test::S(5)}));
  EXPECT_EQ(a, b);
  EXPECT_NE(a, data(byName("rand", {test::S(1), test::S(5)})));
  EXPECT_THROW(byName("rand", {test::T("bogus"), test::S(1)}), MError);
}

}  // namespace
}  // namespace kh

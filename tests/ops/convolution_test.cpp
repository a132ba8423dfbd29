// Convolution: every evaluation strategy against a naive sum, the three
// shapes, the separable form, and non-finite samples staying local.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "host/context/errors.h"
#include "host/ops/convolution.h"
#include "tests/ops/values.h"

namespace kh {
namespace {

std::vector<double> naive(const std::vector<double>& x, const std::vector<double>& h) {
  std::vector<double> y(x.size() + h.size() - 1, 0.0);
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = 0; j < h.size(); ++j) y[i + j] += x[i] * h[j];
  return y;
}

double maxRelDiff(const std::vector<double>& a, const double* b, double scale) {
  double worst = 0;
  for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(a[i] - b[i]) / scale);
  return worst;
}

enum class Kernel { Random, Box, Split };

struct StrategyCase {
  const char* name;
  std::size_t nx, nh;
  Kernel kind;
};

class ConvolutionStrategies : public ::testing::TestWithParam<StrategyCase> {};

TEST_P(ConvolutionStrategies, AgreeWithNaiveSumOnEverySegment) {
  const StrategyCase c = GetParam();
  std::mt19937 g(7);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> x(c.nx), h(c.nh);
  for (double& v : x) v = u(g) + 3.0;
  for (std::size_t j = 0; j < c.nh; ++j) {
    if (c.kind == Kernel::Random) h[j] = u(g);
    if (c.kind == Kernel::Box) h[j] = 1.0 / static_cast<double>(c.nh);
    if (c.kind == Kernel::Split) h[j] = (j > c.nh / 3 && j < 2 * c.nh / 3) ? 0.0 : 0.25;
  }
  const std::vector<double> ref = naive(x, h);
  double scale = 0;
  for (double v : h) scale += std::fabs(v) * 4.0;
  const std::size_t lo = ref.size() / 5, count = ref.size() - lo - 3;
  const std::vector<double> want(ref.begin() + lo, ref.begin() + lo + count);
  std::vector<double> out(count);
  convolveSegment(x.data(), c.nx, 1, h.data(), c.nh, lo, count, out.data(), 1);
  EXPECT_LT(maxRelDiff(want, out.data(), scale), 1e-13);
  convolveSegmentDirect(x.data(), c.nx, 1, h.data(), c.nh, lo, count, out.data(), 1);
  EXPECT_LT(maxRelDiff(want, out.data(), scale), 1e-13);
  convolveSegmentFft(x.data(), c.nx, 1, h.data(), c.nh, lo, count, out.data(), 1);
  EXPECT_LT(maxRelDiff(want, out.data(), scale), 1e-13);
  const auto runs = kernelRuns(h.data(), c.nh, 4);
  if (c.kind != Kernel::Random) {
    ASSERT_FALSE(runs.empty());
    convolveSegmentRuns(x.data(), c.nx, 1, runs, lo, count, out.data(), 1);
    EXPECT_LT(maxRelDiff(want, out.data(), scale), 1e-13);
  } else {
    EXPECT_TRUE(runs.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, ConvolutionStrategies,
    ::testing::Values(StrategyCase{"short_random", 300, 7, Kernel::Random},
                      StrategyCase{"long_random", 3000, 701, Kernel::Random},
                      StrategyCase{"kernel_longer_than_data", 200, 901, Kernel::Random},
                      StrategyCase{"long_box", 5000, 2001, Kernel::Box},
                      StrategyCase{"split_window", 4000, 201, Kernel::Split},
                      StrategyCase{"box_longer_than_data", 100, 301, Kernel::Box}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Conv2, ShapesTakeTheCentreAndTheValidPart) {
  const Value x = test::R({1, 2, 3});
  const Value k = test::R({1, 1});
  EXPECT_EQ(test::data(conv2(x, k, ConvShape::Full)), (std::vector<double>{1, 3, 5, 3}));
  EXPECT_EQ(test::data(conv2(x, k, ConvShape::Same)), (std::vector<double>{3, 5, 3}));
  EXPECT_EQ(test::data(conv2(x, k, ConvShape::Valid)), (std::vector<double>{3, 5}));
  EXPECT_EQ(conv2(x, test::R({1, 1, 1, 1}), ConvShape::Valid).dims(), (Dims{1, 0}));
}

TEST(Conv2, SeparableEqualsPlainWithTheOuterProduct) {
  const Value a = test::M({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}});
  const Value hc = test::C({1, 2}), hr = test::R({1, -1, 3});
  const Value k = test::M({{1, -1, 3}, {2, -2, 6}});
  for (ConvShape s : {ConvShape::Full, ConvShape::Same, ConvShape::Valid}) {
    const Value p = conv2(a, k, s), q = conv2Separable(hc, hr, a, s);
    EXPECT_EQ(p.dims(), q.dims());
    EXPECT_EQ(test::data(p), test::data(q));
  }
}

TEST(Conv2, ComplexOperandsCombineAllFourProducts) {
  const Value r = conv2(Value::complexScalar(1, 2), Value::complexScalar(0, 1), ConvShape::Full);
  EXPECT_EQ(r.cat(0), std::complex<double>(-2, 1));  // (1+2i) * i
  const Value s = conv2Separable(Value::complexScalar(0, 1), Value::complexScalar(0, 1),
                                 test::R({1, 2}), ConvShape::Full);
  EXPECT_EQ(test::data(s), (std::vector<double>{-1, -2}));  // i * i = -1, imaginary part dropped
  EXPECT_FALSE(s.isComplex());
}

TEST(Conv2, NonFiniteSamplesOnlyReachTheirWindow) {
  std::vector<double> x(3000, 1.0);
  x[1500] = std::numeric_limits<double>::quiet_NaN();
  x[100] = std::numeric_limits<double>::infinity();
  const Value y = conv2(Value::column(x), Value::column(std::vector<double>(201, 1.0 / 201)),
                        ConvShape::Same);
  std::size_t nans = 0, infs = 0;
  for (std::size_t i = 0; i < y.numel(); ++i) {
    nans += std::isnan(y.at(i));
    infs += std::isinf(y.at(i));
  }
  EXPECT_EQ(nans, 201u);
  EXPECT_EQ(infs, 201u);
  EXPECT_NEAR(y.at(1000), 1.0, 1e-14);
}

TEST(Conv2, UnknownShapeIsRejected) {
  EXPECT_THROW(convShapeFromText(test::T("Same")), MError);
  EXPECT_THROW(convShapeFromText(test::T("sx")), MError);
  EXPECT_THROW(convShapeFromText(test::S(1)), MError);
}

}  // namespace
}  // namespace kh

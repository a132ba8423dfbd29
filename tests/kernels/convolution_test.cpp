// Convolution: every evaluation strategy against a naive sum, the three
// shapes, the separable form, and non-finite samples staying local.
#include "host/kernels/signal/convolution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "host/core/errors.h"
#include "tests/kernels/values.h"

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
  for (std::size_t i = 0; i < a.size(); ++i)
    worst = std::max(worst, std::fabs(a[i] - b[i]) / scale);
  return worst;
}

Value S1() { return Value::scalar(1); }

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

// Kernels of constant runs by sliding sums, on strided input and output, with
// several runs of different lengths and outputs spanning many blocks; the
// segment may start before the data, end after it, or lie past it.
TEST(ConvolutionRuns, StridedSegmentsAgreeWithNaiveSum) {
  std::mt19937 g(11);
  std::uniform_real_distribution<double> u(-1, 1);
  const std::size_t nx = 6000;
  std::vector<double> x(nx);
  for (double& v : x) v = u(g) + 2.0;
  std::vector<double> h(1501, 0.0);
  for (std::size_t j = 0; j < 400; ++j) h[j] = 0.5;
  for (std::size_t j = 700; j < 1400; ++j) h[j] = -0.25;
  for (std::size_t j = 1400; j < 1501; ++j) h[j] = 1.0;
  const auto runs = kernelRuns(h.data(), h.size(), 4);
  ASSERT_EQ(runs.size(), 3u);
  const std::vector<double> ref = naive(x, h);
  double scale = 0;
  for (double v : h) scale += std::fabs(v) * 3.0;
  // x interleaved with another signal at stride 2; outputs at stride 3.
  std::vector<double> xs(2 * nx, 1e300);
  for (std::size_t i = 0; i < nx; ++i) xs[2 * i] = x[i];
  struct Segment {
    std::size_t lo, count;
  };
  for (const Segment seg : {Segment{0, ref.size()}, Segment{750, nx}, Segment{5990, 1400},
                            Segment{ref.size() - 5, 5}, Segment{3, 1}}) {
    std::vector<double> out(3 * seg.count, -7.0);
    convolveSegmentRuns(xs.data(), nx, 2, runs, seg.lo, seg.count, out.data(), 3);
    double worst = 0;
    for (std::size_t k = 0; k < seg.count; ++k) {
      worst = std::max(worst, std::fabs(out[3 * k] - ref[seg.lo + k]) / scale);
      if (3 * k + 1 < out.size()) {
        EXPECT_EQ(out[3 * k + 1], -7.0);  // between outputs: untouched
      }
    }
    EXPECT_LT(worst, 1e-13) << seg.lo << "+" << seg.count;
    std::vector<double> flat(seg.count);
    convolveSegmentRuns(x.data(), nx, 1, runs, seg.lo, seg.count, flat.data(), 1);
    for (std::size_t k = 0; k < seg.count; ++k) EXPECT_EQ(flat[k], out[3 * k]);
  }
  // Outputs wholly beyond the data are zero.
  std::vector<double> past(10, -1.0);
  convolveSegmentRuns(x.data(), nx, 1, runs, ref.size() + 100, 10, past.data(), 1);
  EXPECT_EQ(past, std::vector<double>(10, 0.0));
}

TEST(ConvolutionRuns, NonFiniteSamplesStayLocalInLongWindows) {
  // A split window of 2001 taps over records with a NaN and an Inf: in the
  // shorter one most outputs see one of them, in the longer one few do.
  for (const std::size_t n : {5000u, 12000u}) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) x[i] = std::sin(0.01 * static_cast<double>(i));
    const std::size_t nanAt = n / 2, infAt = 300;
    x[nanAt] = std::numeric_limits<double>::quiet_NaN();
    x[infAt] = -std::numeric_limits<double>::infinity();
    std::vector<double> h(2001, 1.0 / 1992);
    for (std::size_t j = 996; j < 1005; ++j) h[j] = 0.0;
    std::vector<double> out(n);
    convolveSegmentExact(x.data(), n, 1, h.data(), h.size(), 1000, n, out.data(), 1);
    for (std::size_t k = 0; k < n; ++k) {
      // Output k (full index k + 1000) is a sum over x[k + 1000 - j], taps j.
      const auto reaches = [&](std::size_t i) { return i <= k + 1000 && k + 1000 - i <= 2000; };
      // A zero tap meeting the Inf gives NaN, as in the written-out sum.
      if (reaches(nanAt) || (reaches(infAt) && h[k + 1000 - infAt] == 0.0)) {
        EXPECT_TRUE(std::isnan(out[k])) << n << ": " << k;
      } else if (reaches(infAt)) {
        EXPECT_EQ(out[k], -std::numeric_limits<double>::infinity()) << n << ": " << k;
      } else {
        double ref = 0;
        for (std::size_t j = 0; j < h.size(); ++j)
          if (k + 1000 >= j && k + 1000 - j < n) ref += h[j] * x[k + 1000 - j];
        ASSERT_NEAR(out[k], ref, 1e-13) << n << ": " << k;
      }
    }
  }
}

TEST(ConvolutionRuns, OverflowingSumsGiveInfinities) {
  // Finite samples whose window sums overflow: the outputs are infinite, as
  // in the written-out sum, and finite where the window holds few of them.
  std::vector<double> x(3000, 1e308);
  for (std::size_t i = 0; i < 1000; ++i) x[i] = 1.0;
  const std::vector<double> h(101, 1.0);
  std::vector<double> out(x.size());
  convolveSegmentExact(x.data(), x.size(), 1, h.data(), h.size(), 50, x.size(), out.data(), 1);
  EXPECT_NEAR(out[500], 101.0, 1e-12);
  EXPECT_EQ(out[2000], std::numeric_limits<double>::infinity());
  for (double v : out) EXPECT_FALSE(std::isnan(v));
}

TEST(ConvolutionRuns, ZeroTapsMeetingNonFiniteSamplesGiveNaN) {
  // Leading zero taps: the last outputs see x[49] only through them, which
  // makes them NaN as in direct evaluation, though no run's window holds it.
  std::vector<double> x(50, 1.0);
  x[49] = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> h(20, 1.0);
  for (std::size_t j = 0; j < 5; ++j) h[j] = 0.0;
  std::vector<double> out(24);
  convolveSegmentExact(x.data(), x.size(), 1, h.data(), h.size(), 30, out.size(), out.data(), 1);
  for (std::size_t k = 0; k < out.size(); ++k) {
    if (k + 30 >= 49)
      EXPECT_TRUE(std::isnan(out[k])) << k;
    else
      EXPECT_EQ(out[k], 15.0) << k;
  }
}

TEST(ConvolutionRuns, RandomRunKernelsAgreeWithDirectEvaluation) {
  // Kernels of up to four runs with gaps and zero ends, data with the odd
  // NaN or Inf, and segments anywhere around the full output.
  std::mt19937 g(5);
  auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(g); };
  std::uniform_real_distribution<double> u(-1, 1);
  for (int iter = 0; iter < 1500; ++iter) {
    const auto nx = static_cast<std::size_t>(pick(0, 200));
    const auto nh = static_cast<std::size_t>(pick(9, 90));
    std::vector<double> x(nx), h(nh, 0.0);
    for (double& v : x) v = u(g);
    for (int r = pick(1, 4); r > 0; --r) {
      const int first = pick(0, static_cast<int>(nh) - 1);
      const int len = pick(1, static_cast<int>(nh) - first);
      const double value = pick(1, 3) * (pick(0, 1) ? 1.0 : -1.0);
      for (int j = first; j < first + len; ++j) h[static_cast<std::size_t>(j)] = value;
    }
    if (nx && pick(0, 3) == 0)
      x[static_cast<std::size_t>(pick(0, static_cast<int>(nx) - 1))] =
          pick(0, 1) ? std::numeric_limits<double>::quiet_NaN()
                     : std::numeric_limits<double>::infinity();
    const std::size_t full = nx ? nx + nh - 1 : 0;
    const auto lo = static_cast<std::size_t>(pick(0, static_cast<int>(full) + 5));
    const auto count = static_cast<std::size_t>(pick(0, static_cast<int>(full) + 10));
    std::vector<double> got(count), want(count);
    convolveSegmentExact(x.data(), nx, 1, h.data(), nh, lo, count, got.data(), 1);
    convolveSegmentDirect(x.data(), nx, 1, h.data(), nh, lo, count, want.data(), 1);
    for (std::size_t k = 0; k < count; ++k) {
      if (std::isnan(want[k]))
        ASSERT_TRUE(std::isnan(got[k])) << iter << ": " << k;
      else if (std::isinf(want[k]))
        ASSERT_EQ(got[k], want[k]) << iter << ": " << k;
      else
        ASSERT_NEAR(got[k], want[k], 1e-12) << iter << ": " << k;
    }
  }
}

TEST(Conv2, SeparableShapesOnMatricesWithLongKernels) {
  // A box column kernel and a short row kernel over a matrix: every shape
  // against the plain form with the outer product.
  std::mt19937 g(3);
  std::uniform_real_distribution<double> u(-1, 1);
  Value a = Value::numeric({300, 4});
  for (std::size_t i = 0; i < a.numel(); ++i) a.mutRe()[i] = u(g);
  Value hc = Value::numeric({101, 1});
  for (std::size_t i = 0; i < 101; ++i) hc.mutRe()[i] = 1.0 / 101;
  const Value hr = test::R({0.5, -1});
  Value k = Value::numeric({101, 2});
  for (std::size_t i = 0; i < 101; ++i) {
    k.mutRe()[i] = 0.5 / 101;
    k.mutRe()[i + 101] = -1.0 / 101;
  }
  for (ConvShape s : {ConvShape::Full, ConvShape::Same, ConvShape::Valid}) {
    const Value p = conv2(a, k, s), q = conv2Separable(hc, hr, a, s);
    ASSERT_EQ(p.dims(), q.dims());
    for (std::size_t i = 0; i < p.numel(); ++i) EXPECT_NEAR(p.at(i), q.at(i), 1e-14);
  }
  // The column pass alone (a scalar 1 row kernel) and empty data.
  const Value c = conv2Separable(hc, S1(), a, ConvShape::Same);
  EXPECT_EQ(c.dims(), (Dims{300, 4}));
  EXPECT_EQ(conv2Separable(hc, S1(), Value::numeric({0, 3}), ConvShape::Same).dims(), (Dims{0, 3}));
  const Value f = conv2Separable(hc, S1(), Value::numeric({0, 3}), ConvShape::Full);
  EXPECT_EQ(f.dims(), (Dims{100, 3}));
  EXPECT_EQ(test::data(f), std::vector<double>(300, 0.0));
}

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
  const Value y =
      conv2(Value::column(x), Value::column(std::vector<double>(201, 1.0 / 201)), ConvShape::Same);
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

// The piecewise polynomial fit and the pulse estimate, through the loader,
// against the independent reference in tests/reference.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "host/context/output.h"
#include "tests/reference/pulse_reference.h"
#include "tests/support/library.h"

namespace {

using kh::Value;

// A positive record: a decaying pulse on a slow background, with noise and a
// few spikes.
std::vector<double> record(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> noise(0.0, 0.3);
  std::vector<double> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i);
    x[i] = 2 + 0.4 * std::sin(t / 70.0) + 3 * std::exp(-std::fabs(t - 1800) / 150.0) + noise(gen);
    if (i % 131 == 17) x[i] += 5;
  }
  return x;
}

void expectClose(const Value& got, const std::vector<double>& want, const std::string& what) {
  ASSERT_EQ(got.numel(), want.size()) << what;
  ASSERT_EQ(got.cols(), 1u) << what;
  for (std::size_t i = 0; i < want.size(); ++i) {
    const double a = got.at(i), b = want[i];
    ASSERT_LE(std::fabs(a - b), 1e-9 * std::fabs(b))
        << what << " at " << i << ": " << a << " vs " << b;
  }
}

Value piecefit(Value x, double winl, double po) {
  auto out =
      kt::call("kestrel/piecefit_mod", 1, {std::move(x), Value::scalar(winl), Value::scalar(po)});
  return out.empty() ? Value() : out[0];
}

TEST(PiecefitMod, AgreesWithTheReferenceForBlockLengths) {
  const std::vector<double> x = record(5000, 3);
  for (double winl : {202.0, 100.0, 61.0, 37.4, 7.0}) {
    expectClose(piecefit(Value::column(x), winl, 2), ref::piecefit(x, winl, 2),
                "winl " + std::to_string(winl));
  }
}

TEST(PiecefitMod, OrdersAndShapes) {
  const std::vector<double> x = record(600, 5);
  // Any orientation gives a column; order 0 and 1 fits agree too.
  expectClose(piecefit(Value::row(x), 40, 1), ref::piecefit(x, 40, 1), "row, order 1");
  expectClose(piecefit(Value::column(x), 40, 0), ref::piecefit(x, 40, 0), "order 0");
  // Exactly one block: the fitted block times the halved window.
  const std::vector<double> one(x.begin(), x.begin() + 40);
  expectClose(piecefit(Value::column(one), 40, 2), ref::piecefit(one, 40, 2), "one block");
}

TEST(PiecefitMod, ShortSignalGivesZeros) {
  const Value pa = piecefit(Value::column({1, 2, 3}), 8, 2);
  ASSERT_EQ(pa.numel(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(pa.at(i), 0);
}

TEST(PiecefitMod, RejectsBlockLengthsWithoutABlock) {
  // Non-finite lengths would never reach a multiple of 4; lengths below 4
  // leave no hop between blocks.
  const double nan = std::nan("");
  for (double winl : {nan, double(INFINITY), -double(INFINITY), 3.4, 0.0, -8.0}) {
    EXPECT_EQ(
        kt::callError("kestrel/piecefit_mod", 1,
                      {Value::column({1, 2, 3, 4, 5}), Value::scalar(winl), Value::scalar(2)}),
        "Block length winl must be finite and at least 4.")
        << winl;
  }
}

TEST(PiecefitMod, UnderdeterminedBlocksWarnOncePerBlock) {
  kh::OutputCapture out;
  const Value pa = piecefit(Value::column({1, 2, 3, 4, 5, 6}), 4, 4);
  ASSERT_EQ(pa.numel(), 6u);
  std::size_t count = 0;
  const std::string text = out.text();
  for (std::size_t at = 0; (at = text.find("Polynomial is not unique", at)) != std::string::npos;
       ++at)
    ++count;
  EXPECT_EQ(count, 3u);  // blocks starting at samples 1, 2 and 3
}

struct PulseCase {
  int T1;
  int T2;
  int T3;
  double Lpoly;
};

TEST(PulseEstimate, AgreesWithTheReferenceWithTheFitOnAndOff) {
  const std::vector<double> seg = record(5000, 11);
  const PulseCase cases[] = {
      {1000, 1500, 2550, 200}, {1000, 1500, 2550, 101}, {300, 300, 1000, 64},
      {2500, 2900, 3300, 150}, {3800, 4200, 4700, 37},
  };
  for (const PulseCase& c : cases) {
    for (bool pf : {false, true}) {
      auto out = kt::call("kestrel/pulse_estimate", 1,
                          {Value::column(seg), Value::scalar(301), Value::scalar(101),
                           Value::scalar(21), Value::scalar(c.T1), Value::scalar(c.T2),
                           Value::scalar(c.T3), Value::scalar(c.Lpoly), Value::logicalScalar(pf)});
      ASSERT_EQ(out.size(), 1u);
      expectClose(out[0], ref::pulseEstimate(seg, 301, 101, 21, c.T1, c.T2, c.T3, c.Lpoly, pf),
                  "T1 " + std::to_string(c.T1) + " Lpoly " + std::to_string(c.Lpoly) +
                      (pf ? " fit" : " no fit"));
    }
  }
}

}  // namespace

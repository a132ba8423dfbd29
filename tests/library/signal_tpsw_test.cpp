// The TPSW estimator and its splicing, through the loader, against the
// independent reference in tests/reference.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/reference/tpsw_reference.h"
#include "tests/support/library.h"

namespace {

using kh::Value;

// A positive test record: a slow wave with noise and a few spikes that the
// first pass must remove.
std::vector<double> record(std::size_t n, unsigned seed = 7) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> noise(0.0, 0.2);
  std::vector<double> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = 1.5 + 0.5 * std::sin(static_cast<double>(i) / 50.0) + noise(gen);
    if (i % 97 == 13) x[i] += 6;
  }
  return x;
}

// Largest relative difference, the test failing at the first place it
// exceeds 1e-9.
void expectClose(const Value& got, const std::vector<double>& want, const std::string& what) {
  ASSERT_EQ(got.numel(), want.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i) {
    const double a = got.at(i), b = want[i];
    if (std::isnan(b)) {
      ASSERT_TRUE(std::isnan(a)) << what << " at " << i;
      continue;
    }
    ASSERT_LE(std::fabs(a - b), 1e-9 * std::fabs(b))
        << what << " at " << i << ": " << a << " vs " << b;
  }
}

Value tpswma(kh::ValueList args) {
  auto out = kt::call("kestrel/tpswma", 1, std::move(args));
  return out.empty() ? Value() : out[0];
}

TEST(Tpswma, AgreesWithTheReferenceOverWindowShapes) {
  const std::vector<double> x = record(3000);
  struct Case {
    int n, p;
    double a;
  };
  // n = 100 and 25: the application's windows; n = 1, p = 1: the shortest
  // split window; n = 4 < p = 5: NaN first pass, plain 9-tap average.
  const Case cases[] = {{100, 5, 2}, {25, 5, 2}, {1, 1, 2}, {4, 5, 2}, {40, 3, 1.5}};
  for (const Case& c : cases) {
    const Value mx = tpswma({Value::column(x), Value::scalar(3000), Value::scalar(c.n),
                             Value::scalar(c.p), Value::scalar(c.a)});
    EXPECT_EQ(mx.dims(), (kh::Dims{3000, 1}));
    expectClose(mx, ref::tpswma(x, c.n, c.p, c.a), "n=" + std::to_string(c.n));
  }
}

TEST(Tpswma, NanWindowAveragesTheUnchangedSignal) {
  const std::vector<double> x = record(2000, 3);
  const Value mx = tpswma({Value::column(x), Value::scalar(2000), Value::scalar(4),
                           Value::scalar(5), Value::scalar(2)});
  // Nothing replaced: a plain 9-tap average of x itself.
  expectClose(mx, ref::centredCorrelation(std::vector<double>(9, 1.0 / 9), x), "9-tap");
}

TEST(Tpswma, RowInputGivesAColumnAndNptsTrims) {
  const std::vector<double> x = record(2500, 11);
  const Value mx = tpswma(
      {Value::row(x), Value::scalar(2000), Value::scalar(50), Value::scalar(5), Value::scalar(2)});
  EXPECT_EQ(mx.dims(), (kh::Dims{2000, 1}));
  expectClose(mx, ref::tpswma(std::vector<double>(x.begin(), x.begin() + 2000), 50, 5, 2),
              "trimmed row");
}

TEST(Tpswma, MatrixColumnsAreTrimmedAndStacked) {
  const std::vector<double> x = record(2400, 5);  // 1200-by-2 in column order
  Value m = Value::matrix(1200, 2);
  for (std::size_t i = 0; i < x.size(); ++i) m.mutRe()[i] = x[i];
  const Value mx =
      tpswma({m, Value::scalar(1000), Value::scalar(30), Value::scalar(5), Value::scalar(2)});
  std::vector<double> stacked(x.begin(), x.begin() + 1000);
  stacked.insert(stacked.end(), x.begin() + 1200, x.begin() + 2200);
  EXPECT_EQ(mx.dims(), (kh::Dims{2000, 1}));
  expectClose(mx, ref::tpswma(stacked, 30, 5, 2), "stacked");
}

TEST(Tpswma, DefaultsFollowTheRecordLength) {
  const std::vector<double> x = record(3000, 9);
  // npts = 3000, n = round(3000 * 0.04 / 2 + 1) = 61, p = round(61 / 8 + 1) = 9, a = 2.
  expectClose(tpswma({Value::column(x)}), ref::tpswma(x, 61, 9, 2), "one input");
  expectClose(tpswma({Value::column(x), Value::scalar(3000), Value::scalar(100)}),
              ref::tpswma(x, 100, 14, 2), "three inputs");
}

TEST(Tpswma, NanSamplesStayAndOnlyReachTheirWindow) {
  std::vector<double> x = record(3000, 4);
  x[1500] = std::nan("");
  const Value mx = tpswma({Value::column(x), Value::scalar(3000), Value::scalar(100),
                           Value::scalar(5), Value::scalar(2)});
  const std::vector<double> want = ref::tpswma(x, 100, 5, 2);
  expectClose(mx, want, "NaN sample");
  EXPECT_FALSE(std::isnan(want[1399]));
  EXPECT_TRUE(std::isnan(want[1400]));
  EXPECT_TRUE(std::isnan(want[1600]));
  EXPECT_FALSE(std::isnan(want[1601]));
}

TEST(Tpswma, ThresholdIsStrict) {
  // With a = 2 a sample is replaced when |x - mx| > |mx|. A lone 2 amid ones
  // with n = 1, p = 1 has mx = 1: |2 - 1| = 1 is not greater, so it stays.
  const std::vector<double> x = {1, 1, 2, 1, 1};
  const Value mx = tpswma(
      {Value::column(x), Value::scalar(5), Value::scalar(1), Value::scalar(1), Value::scalar(2)});
  expectClose(mx, {2.0 / 3, 4.0 / 3, 4.0 / 3, 4.0 / 3, 2.0 / 3}, "strict");
}

TEST(Tpswma, NptsBeyondTheRecordFails) {
  EXPECT_FALSE(kt::callError("kestrel/tpswma", 1,
                             {Value::column({1, 2, 3}), Value::scalar(5), Value::scalar(1),
                              Value::scalar(1), Value::scalar(2)})
                   .empty());
}

Value splice(const std::vector<double>& x, const std::vector<double>& clicks,
             std::vector<double> wl, std::vector<double> wt) {
  auto out = kt::call("kestrel/splice_tpsw", 1,
                      {Value::column(x), clicks.empty() ? Value::empty() : Value::row(clicks),
                       Value::row(wl), Value::row(wt)});
  return out.empty() ? Value() : out[0];
}

TEST(SpliceTpsw, AgreesWithTheReference) {
  const std::vector<double> x = record(4000, 21);
  struct Case {
    const char* what;
    std::vector<int> clicks;
    double wl[3];
    int wt[2];
  };
  const Case cases[] = {
      {"one click", {500}, {20, 60, 200}, {100, 300}},
      {"two overlapping clicks", {800, 900}, {20, 60, 200}, {150, 250}},
      {"small stretch past the end", {3950}, {20, 60, 200}, {100, 300}},
      {"medium stretch past the end", {3700}, {20, 60, 200}, {100, 300}},
      {"no small stretch", {1200}, {20, 60, 200}, {0, 100}},
      {"window below 9 (NaN first pass)", {1000}, {8, 60, 200}, {100, 300}},
  };
  for (const Case& c : cases) {
    const std::vector<double> clicks(c.clicks.begin(), c.clicks.end());
    const Value got = splice(x, clicks, {c.wl[0], c.wl[1], c.wl[2]},
                             {static_cast<double>(c.wt[0]), static_cast<double>(c.wt[1])});
    EXPECT_EQ(got.dims(), (kh::Dims{4000, 1})) << c.what;
    expectClose(got, ref::spliceTpsw(x, c.clicks, c.wl, c.wt), c.what);
  }
}

TEST(SpliceTpsw, EmptyClicksGiveAnEmptyColumnOfRecordLength) {
  const Value got = splice(record(3000), {}, {20, 60, 200}, {100, 300});
  EXPECT_EQ(got.dims(), (kh::Dims{3000, 0}));
}

TEST(SpliceTpsw, LastSampleIsTaperedByTheWindowEnd) {
  const std::vector<double> x = record(3000, 2);
  const Value got = splice(x, {1000}, {20, 60, 200}, {100, 300});
  const double large = ref::tpswma(x, 100, 5, 2).back();
  const double end = 0.5 * (1 - std::cos(2 * M_PI / 2050));
  EXPECT_NEAR(got.at(2999), large * end, 1e-12);
  EXPECT_GT(got.at(2999), 0);
}

TEST(SpliceTpsw, RunTimeRejectsWhatDoesNotFit) {
  const std::vector<double> x = record(3000);
  const Value wl = Value::row({20, 60, 200}), wt = Value::row({100, 300});
  struct Case {
    const char* what;
    Value x, clicks, wl, wt;
  };
  const Case cases[] = {
      {"click within the first 20 samples", Value::column(x), Value::scalar(10), wl, wt},
      {"record shorter than the taper", Value::column(record(800)), Value::scalar(100), wl, wt},
      {"two window lengths", Value::column(x), Value::scalar(500), Value::row({20, 60}), wt},
      {"one stretch length", Value::column(x), Value::scalar(500), wl, Value::scalar(100)},
  };
  for (const Case& c : cases)
    EXPECT_FALSE(kt::callError("kestrel/splice_tpsw", 1, {c.x, c.clicks, c.wl, c.wt}).empty())
        << c.what;
}

TEST(SpliceTpsw, LeavesNothingAlive) {
  const std::size_t before = kt::liveArrays();
  splice(record(2000), {300, 1500}, {20, 60, 200}, {100, 300});
  kt::callError("kestrel/splice_tpsw", 1,
                {Value::column(record(2000)), Value::scalar(5), Value::row({20, 60, 200}),
                 Value::row({100, 300})});
  EXPECT_EQ(kt::liveArrays(), before);
}

}  // namespace

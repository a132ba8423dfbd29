// Opening a record in the pulse editor as the page's "Open record…" does: a
// record the editor's load or the estimate cannot take is refused with its
// reason in the record's terms before anything changes, and the record shown
// stays whole (its lines, markers, estimate and export); the edge records
// they can take open. The click's bounds are held against the library's own
// estimate for markers near and far.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "host/context/context.h"
#include "host/datafile/data_path.h"
#include "host/datafile/matfile.h"
#include "host/server/record_files.h"
#include "tests/graphics/figure_fixture.h"
#include "tests/support/library.h"
#include "tests/support/temp_dir.h"

namespace {

using kh::NamedValues;
using kh::Value;

constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<double> wave(std::size_t n) {
  std::vector<double> s(n);
  for (std::size_t i = 0; i < n; ++i)
    s[i] = 0.3 * std::sin(0.013 * static_cast<double>(i)) + 0.05 * std::cos(0.7 * i) +
           (i > 1200 ? 0.8 * std::exp(-(i - 1200.0) / 300) * std::sin(i / 9.0) : 0.0);
  return s;
}

// s with sample k (from 1) set to v.
std::vector<double> with(std::vector<double> s, std::size_t k, double v) {
  s[k - 1] = v;
  return s;
}

NamedValues record(const std::vector<double>& s, Value cl) {
  return {{"s", Value::column(s)}, {"cl", std::move(cl)}};
}
NamedValues record(const std::vector<double>& s, double cl) { return record(s, Value::scalar(cl)); }

class OpenRecord : public kt::FigureTest {
 protected:
  void SetUp() override {
    FigureTest::SetUp();
    kt::ensureLibraryLoaded();
    static const bool pathSet = (kh::addDataFolder(KESTREL_SOURCE_DIR "/data"), true);
    (void)pathSet;
    ok("global seg T1 T2 T3 ppulse; kestrel_figure;");
  }
  // Opens the record as the page sends it; "" when it opened, else why not.
  std::string open(const NamedValues& vars) {
    const std::string file = dir.file("record" + std::to_string(++files) + ".mat");
    kh::saveMatFile(file, vars);
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string why;
    return kh::protect([&] { kh::server::openRecord(bytes.str()); }, &why) ? "" : why;
  }
  // The editor shows a whole record: its five lines, and an export.
  void expectWhole(const std::string& what) {
    EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{5}) << what;
    std::string why;
    EXPECT_TRUE(kh::protect([] { kh::server::recordMat(); }, &why)) << what << ": " << why;
  }
  kt::TempDir dir;
  int files = 0;
};

TEST_F(OpenRecord, WhatTheLoadCannotTakeIsRefusedAndTheShownRecordStays) {
  const std::vector<double> w = wave(6000);
  ASSERT_EQ(open(record(w, 1200)), "");
  const std::vector<double> shown = eval("get(ppulse, 'YData')");
  const std::string click =
      "The record's click 'cl' must be a whole sample number from 21 to 5000, not ";
  std::vector<double> flat(6000, 1.0), nans(6000, NAN), close(6000, 1.83031203136881);
  close[8] = 1.8303120313688102;  // 1.1 times either is the same number
  const struct {
    const char* what;
    NamedValues vars;
    std::string reason;
  } refused[] = {
      {"a click before the first", record(w, 20), click + "20."},
      {"the first sample as the click", record(w, 1), click + "1."},
      {"a click between samples", record(w, 1000.5), click + "1000.5."},
      {"a late click between samples", record(w, 4900.5), click + "4900.5."},
      {"a click past the samples", record(w, 5001), click + "5001."},
      {"a NaN click", record(w, NAN), click + "NaN."},
      {"an infinite click", record(w, kInf), click + "Inf."},
      {"two clicks", record(w, Value::row({100, 200})), click + "2 numbers."},
      {"no click",
       {{"s", Value::column(w)}},
       "The record needs 'cl', the click's sample number (a whole sample number from 21 to "
       "5000)."},
      {"no samples",
       {{"cl", Value::scalar(100)}},
       "The record needs 's', a real vector of at least 5000 samples."},
      {"too few samples", record(wave(4999), 100),
       "The record needs 's', a real vector of at least 5000 samples."},
      {"all samples equal", record(flat, 1000),
       "The record's samples 's' are all equal (1) in the first 5000: the editor's plot needs "
       "two different values."},
      {"one value among NaN", record(with(nans, 10, 7), 1000),
       "The record's samples 's' are all equal (7) in the first 5000: the editor's plot needs "
       "two different values."},
      {"all samples NaN", record(nans, 1000),
       "The record's samples 's' are all NaN in the first 5000."},
      {"an Inf sample", record(with(w, 3000, kInf), 1000),
       "The record's samples 's' must be finite (or NaN) in the first 5000, but sample 3000 is "
       "Inf."},
      {"a -Inf sample", record(with(w, 5000, -kInf), 1000),
       "The record's samples 's' must be finite (or NaN) in the first 5000, but sample 5000 is "
       "-Inf."},
      {"a sample too large to plot", record(with(w, 77, -1.7e308), 1000),
       "The record's samples 's' are too large for the editor's plot, which reaches 1.1 times "
       "them: sample 77 is -1.7e+308."},
      {"samples too close to plot", record(close, 1000),
       "The record's samples 's' lie too close together in the first 5000 (from "
       "1.83031203136881 to 1.8303120313688102) for the editor's plot."},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(open(c.vars), c.reason) << c.what;
    expectWhole(c.what);
    EXPECT_EQ(eval("[T1 T2 T3]"), (std::vector<double>{1200, 1700, 2750})) << c.what;
    EXPECT_EQ(eval("get(ppulse, 'YData')"), shown) << c.what;
  }

  // The edges the load takes: the first and the last click, NaN samples, an
  // infinite sample past the first 5000, two values only.
  const struct {
    const char* what;
    NamedValues vars;
    double cl;
  } taken[] = {
      {"the first click", record(w, 21), 21},
      {"the last click", record(w, 5000), 5000},
      {"NaN samples", record(with(with(w, 1, NAN), 3000, NAN), 1000), 1000},
      {"an Inf past the first 5000", record(with(w, 5001, kInf), 1000), 1000},
      {"two values among NaN", record(with(with(nans, 10, 1), 4000, -2), 1000), 1000},
  };
  for (const auto& c : taken) {
    EXPECT_EQ(open(c.vars), "") << c.what;
    expectWhole(c.what);
    EXPECT_EQ(eval("T1"), std::vector<double>{c.cl}) << c.what;
  }
}

TEST_F(OpenRecord, TheClicksBoundsAreThoseOfTheEstimateWhereverTheMarkersStand) {
  const Value seg = Value::column(wave(5000));
  // The markers' distances after the click: the editor's, the nearest and
  // farthest --markers allows, and two beyond it that move the bound.
  const struct {
    int t2, t3;
  } markers[] = {{500, 1550}, {50, 100}, {4949, 4999}, {4965, 4999}, {4990, 4999}};
  for (const auto& m : markers) {
    const kh::server::ClickRange r = kh::server::clickRange(m.t2, m.t3);
    EXPECT_EQ(r.last, 5000);
    const std::string what = std::to_string(m.t2) + "," + std::to_string(m.t3);
    auto estimate = [&](double cl) {
      return kt::callError("kestrel/pulse_estimate", 1,
                           {seg, Value::scalar(401), Value::scalar(101), Value::scalar(21),
                            Value::scalar(cl), Value::scalar(cl + m.t2), Value::scalar(cl + m.t3),
                            Value::scalar(100), Value::scalar(0)});
    };
    for (double cl : {1.0, r.first - 1.0, static_cast<double>(r.first), 21.0, 4999.0, 5000.0}) {
      if (cl < 1) continue;
      const std::string error = estimate(cl);
      EXPECT_EQ(error.empty(), cl >= r.first) << what << " at " << cl << ": " << error;
    }
    // The batch's check with these markers refuses exactly the clicks before.
    const Value s = seg;
    for (double cl : {r.first - 1.0, static_cast<double>(r.first)}) {
      if (cl < 1) continue;
      const Value c = Value::scalar(cl);
      std::string why;
      EXPECT_EQ(kh::protect([&] { kh::server::checkRecordInputs(&s, &c, m.t2, m.t3); }, &why),
                cl >= r.first)
          << what << " at " << cl << ": " << why;
    }
  }
  EXPECT_EQ(kh::server::clickRange().first, 21);
  EXPECT_EQ(kh::server::clickRange(4949, 4999).first, 21);
  EXPECT_EQ(kh::server::clickRange(4990, 4999).first, 1);
}

}  // namespace

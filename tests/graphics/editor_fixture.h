// The pulse editor's figure in a command window, over records written to a
// temporary folder, with short forms for its globals and a check of the
// estimate it shows against an independent reference.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/datafile/data_path.h"
#include "host/datafile/matfile.h"
#include "tests/graphics/figure_fixture.h"
#include "tests/reference/pulse_reference.h"
#include "tests/support/library.h"
#include "tests/support/temp_dir.h"

namespace kt {

inline std::vector<double> wave(std::size_t n) {
  std::vector<double> s(n);
  for (std::size_t i = 0; i < n; ++i)
    s[i] = 0.3 * std::sin(0.013 * static_cast<double>(i)) + 0.05 * std::cos(0.7 * i) +
           (i > 1200 ? 0.8 * std::exp(-(i - 1200.0) / 300) * std::sin(i / 9.0) : 0.0);
  return s;
}

class Editor : public FigureTest {
 protected:
  void SetUp() override {
    FigureTest::SetUp();
    ensureLibraryLoaded();
    static const bool pathSet = (kh::addDataFolder(KESTREL_SOURCE_DIR "/data"), true);
    (void)pathSet;
    ok("global seg Nsmall Nmedium Nlarge Lpoly pf T1 T2 T3 pseg psp1 psp2 psp3 ppulse");
  }
  void TearDown() override {
    kh::setRecordAlias("ex_pulse", "");
    FigureTest::TearDown();
  }
  // Makes "ex_pulse" mean a file with these variables.
  void record(kh::NamedValues vars) {
    const std::string file = dir.file("rec" + std::to_string(++files) + ".mat");
    kh::saveMatFile(file, vars);
    kh::setRecordAlias("ex_pulse", file);
  }
  void record(std::size_t n, double cl) {
    record({{"s", kh::Value::column(wave(n))}, {"cl", kh::Value::scalar(cl)}});
  }
  // The editor's figure, loaded by its button.
  void loaded() { ok("kestrel_figure; uiclick pushbutton1;"); }
  // A load again: the button is off after a load, so it is switched on first.
  void reload() {
    ok("set(findobj(gcf, 'Tag', 'pushbutton1'), 'Enable', 'on'); uiclick pushbutton1;");
  }
  double num(const std::string& expr) {
    const auto v = eval(expr);
    return v.size() == 1 ? v[0] : NAN;
  }
  // The estimate shown against the reference of the globals it was made from.
  void expectEstimateMatchesReference(const std::string& what) {
    const std::vector<double> seg = eval("seg");
    const std::vector<double> shown = eval("get(ppulse, 'YData')");
    const std::vector<double> want = ref::pulseEstimate(
        seg, num("Nlarge"), num("Nmedium"), num("Nsmall"), static_cast<int>(num("T1")),
        static_cast<int>(num("T2")), static_cast<int>(num("T3")), num("Lpoly"), num("pf") != 0);
    ASSERT_EQ(shown.size(), want.size()) << what;
    double worst = 0, scale = 0;
    for (double w : want) scale = std::max(scale, std::fabs(w));
    for (std::size_t i = 0; i < want.size(); ++i)
      worst = std::max(worst, std::fabs(shown[i] - want[i]));
    EXPECT_LE(worst, 1e-9 * scale) << what;
  }
  TempDir dir;
  int files = 0;
};

}  // namespace kt

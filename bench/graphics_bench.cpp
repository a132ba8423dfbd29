// The graphics system's hot paths while a person drags a marker: writing a
// line's YData (from the command window's set and from a library's
// mlfNSet), and reading automatic limits with and without a change since
// the last read.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/plot.h"
#include "host/values/handle.h"
#include "runtime/graphics.h"

namespace {

using kh::Value;

Value column(std::size_t n, double phase) {
  Value v = Value::numeric({n, 1});
  double* d = v.mutRe();
  for (std::size_t i = 0; i < n; ++i) d[i] = std::sin(0.01 * static_cast<double>(i) + phase);
  return v;
}

// A figure with five 5000-point lines; returns the axes and the lines.
struct Scene {
  Scene() {
    kh::gfx::resetGraphics();
    kh::ValueList args;
    for (int k = 0; k < 5; ++k) args.push_back(column(5000, k));
    lines = kh::gfx::plot(args);
    ax = kh::gfx::currentAxes(kh::gfx::currentFigure(false), false);
  }
  ~Scene() { kh::gfx::resetGraphics(); }
  Value lines;
  kh::gfx::Object* ax;
};

void BM_SetYData(benchmark::State& state) {
  Scene s;
  const Value h = Value::scalar(s.lines.at(0));
  const Value a = column(5000, 0.5), b = column(5000, 1.5);
  kh::ValueList pairs{Value::str(std::string_view("YData")), a};
  bool flip = false;
  for (auto _ : state) {
    pairs[1] = (flip = !flip) ? b : a;  // shares the data: no copy
    kh::gfx::set(h, pairs);
  }
}
BENCHMARK(BM_SetYData);

void BM_MlfNSetYData(benchmark::State& state) {
  Scene s;
  mxArray* h = kh::newHandle(Value::scalar(s.lines.at(0)), false);
  mxArray* name = kh::newHandle(Value::str(std::string_view("YData")), false);
  mxArray* a = kh::newHandle(column(5000, 0.5), false);
  mxArray* b = kh::newHandle(column(5000, 1.5), false);
  bool flip = false;
  for (auto _ : state) mlfNSet(0, h, name, (flip = !flip) ? b : a, nullptr);
  for (mxArray* x : {h, name, a, b}) kh::destroyHandle(x);
}
BENCHMARK(BM_MlfNSetYData);

void BM_GetXLimUnchanged(benchmark::State& state) {
  Scene s;
  kh::gfx::getProperty(s.ax, "XLim");
  for (auto _ : state) benchmark::DoNotOptimize(kh::gfx::getProperty(s.ax, "XLim"));
}
BENCHMARK(BM_GetXLimUnchanged);

void BM_GetXLimAfterYDataWrite(benchmark::State& state) {
  Scene s;
  kh::gfx::Object* line = kh::gfx::objectsOf(Value::scalar(s.lines.at(0)))[0];
  const Value a = column(5000, 0.5), b = column(5000, 1.5);
  bool flip = false;
  for (auto _ : state) {
    kh::gfx::setProperty(line, "YData", (flip = !flip) ? b : a);
    benchmark::DoNotOptimize(kh::gfx::getProperty(s.ax, "XLim"));
  }
}
BENCHMARK(BM_GetXLimAfterYDataWrite);

}  // namespace

BENCHMARK_MAIN();

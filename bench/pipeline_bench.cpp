// Speed of the estimation pipeline, called the way the host calls it: by name
// through the loaded library's feval forms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/pulse_floor.h"
#include "host/context/context.h"
#include "host/context/output.h"
#include "host/datafile/data_path.h"
#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/events.h"
#include "host/graphics/geometry.h"
#include "host/graphics/tree.h"
#include "host/loader/library.h"
#include "host/loader/registry.h"
#include "host/shell/shell.h"
#include "host/values/value.h"

namespace {

kh::LoadedLibrary& library() {
  static kh::LoadedLibrary lib;
  if (!lib.isOpen()) {
    const char* env = std::getenv("KESTREL_LIBRARY");
    lib.open(env && *env ? env : KESTREL_LIBRARY_PATH);
  }
  return lib;
}

// A deterministic pulse-like record: a slow background, a burst of
// oscillation and a few spikes; the same formula as the numpy reference.
kh::Value record(std::size_t n) {
  std::vector<double> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i + 1);
    x[i] = 0.5 + 0.3 * std::sin(t / 400.0) + 0.2 * std::sin(1.7 * t) * std::exp(-t / 2000.0);
    if ((i + 1) % 997 == 0) x[i] += 5.0;
  }
  return kh::Value::column(x);
}

void callOrSkip(benchmark::State& state, const mexFunctionTableEntry* fn,
                const kh::ValueList& args) {
  std::string msg;
  bool ok = true;
  for (auto _ : state) {
    ok = kh::protect([&] { benchmark::DoNotOptimize(kh::callFevalForm(fn->function, 1, args)); },
                     &msg);
    if (!ok) break;
  }
  if (!ok) state.SkipWithError(msg.c_str());
}

// tpswma(x, npts, n, 5, 2) with a window of 2n+1 taps.
void BM_tpswma(benchmark::State& state) {
  library();
  const auto samples = static_cast<std::size_t>(state.range(0));
  const auto taps = static_cast<double>(state.range(1));
  const mexFunctionTableEntry* fn = kh::findLibraryFunction("kestrel/tpswma", true);
  const kh::ValueList args = {record(samples), kh::Value::scalar(double(samples)),
                              kh::Value::scalar((taps - 1) / 2), kh::Value::scalar(5),
                              kh::Value::scalar(2)};
  callOrSkip(state, fn, args);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * samples));
}

BENCHMARK(BM_tpswma)
    ->ArgNames({"samples", "taps"})
    ->Args({5000, 21})
    ->Args({5000, 101})
    ->Args({5000, 401})
    ->Args({5000, 2001})
    ->Args({250000, 2001})
    ->Args({1000000, 2001})
    ->Args({2000000, 2001})
    ->Args({4000000, 2001})
    ->Unit(benchmark::kMicrosecond);

// pulse_estimate(seg, Nlarge, Nmedium, Nsmall, T1, T2, T3, Lpoly, pf) on a
// 5000-sample record with the markers where loading puts them; Lpoly 0 means
// the fit is off.
kh::ValueList pulseArgs(double lpoly) {
  return {record(5000),
          kh::Value::scalar(801),
          kh::Value::scalar(201),
          kh::Value::scalar(41),
          kh::Value::scalar(1200),
          kh::Value::scalar(1700),
          kh::Value::scalar(2750),
          kh::Value::scalar(lpoly > 0 ? lpoly : 100),
          kh::Value::scalar(lpoly > 0 ? 1 : 0)};
}

void BM_pulse_estimate(benchmark::State& state) {
  library();
  const mexFunctionTableEntry* fn = kh::findLibraryFunction("kestrel/pulse_estimate", true);
  callOrSkip(state, fn, pulseArgs(static_cast<double>(state.range(0))));
}

BENCHMARK(BM_pulse_estimate)
    ->ArgName("Lpoly")
    ->Arg(0)
    ->Arg(100)
    ->Arg(8)
    ->Unit(benchmark::kMicrosecond);

// The same estimate as plain loops (bench/pulse_floor.h): what the arithmetic
// costs without the run-time. The largest difference from the library's
// result is reported, so a floor that computed something else shows.
void BM_pulse_estimate_floor(benchmark::State& state) {
  library();
  const double lpoly = static_cast<double>(state.range(0));
  const kh::Value x = record(5000);
  const std::vector<double> seg(x.re(), x.re() + x.numel());
  floorplan::Settings s;
  s.lpoly = lpoly > 0 ? lpoly : 100;
  s.fit = lpoly > 0;
  const mexFunctionTableEntry* fn = kh::findLibraryFunction("kestrel/pulse_estimate", true);
  const kh::ValueList lib = kh::callFevalForm(fn->function, 1, pulseArgs(lpoly));
  const std::vector<double> ours = floorplan::pulseEstimate(seg, s);
  double diff = 0;
  for (std::size_t i = 0; i < ours.size(); ++i)
    diff = std::max(diff, std::fabs(ours[i] - lib[0].at(i)));
  for (auto _ : state) benchmark::DoNotOptimize(floorplan::pulseEstimate(seg, s));
  state.counters["max_diff"] = diff;
}

BENCHMARK(BM_pulse_estimate_floor)
    ->ArgName("Lpoly")
    ->Arg(0)
    ->Arg(100)
    ->Arg(8)
    ->Unit(benchmark::kMicrosecond);

// The editor as a person drives it: its figure with the windows set to
// those of BM_pulse_estimate (41, 201, 801) and the sample record loaded.
// Each event goes through event delivery, the callback text, the command
// window's evaluator and kestrel to the estimate line's YData.
struct EditorScene {
  explicit EditorScene(bool fit) {
    library();
    static const bool path = (kh::addDataFolder(KESTREL_DATA_DIR), true);
    (void)path;
    kh::gfx::resetGraphics();
    run("kestrel_figure;"
        "set(findobj(gcf, 'Tag', 'slider9'), 'Value', 41);"
        "set(findobj(gcf, 'Tag', 'slider10'), 'Value', 201);"
        "set(findobj(gcf, 'Tag', 'slider12'), 'Value', 801);"
        "uiclick pushbutton1;");
    if (fit) run("uiclick radiobutton1;");
    fig = kh::gfx::currentFigure(false);
    ax = kh::gfx::currentAxes(fig, false);
  }
  ~EditorScene() { kh::gfx::resetGraphics(); }
  void run(const std::string& text) {
    if (!shell.run(text)) std::abort();
    out.take();
  }
  kh::gfx::Object* control(const char* tag) { return kh::gfx::byTag(tag); }
  kh::OutputCapture out;
  kh::Shell shell;
  kh::gfx::Object* fig = nullptr;
  kh::gfx::Object* ax = nullptr;
};

// One timed pointer motion: bench/profile_callback.py counts instructions
// inside it only, so that the drag's first motions are left out.
[[gnu::noinline]] void timedMotion(kh::gfx::Object* fig, double px, double py) {
  kh::gfx::motion(fig, px, py);
}

// A pointer motion while marker 2 is dragged ("kestrel move2"), after the
// drag's first two, which find the text and its names for the rest.
void BM_editor_move2(benchmark::State& state) {
  EditorScene e(state.range(0) > 0);
  e.run("global psp2; uipress(psp2, 1700, 0);");
  const auto a = kh::gfx::dataToPixel(e.ax, 1690.4, 0), b = kh::gfx::dataToPixel(e.ax, 1710.2, 0);
  kh::gfx::motion(e.fig, a[0], a[1]);
  kh::gfx::motion(e.fig, b[0], b[1]);
  bool flip = false;
  for (auto _ : state) {
    const auto& p = (flip = !flip) ? a : b;
    timedMotion(e.fig, p[0], p[1]);
  }
  e.run("uirelease(gcf, 1700, 0);");
}
BENCHMARK(BM_editor_move2)->ArgName("Lpoly")->Arg(0)->Arg(100)->Unit(benchmark::kMicrosecond);

// A move of the small window's slider ("kestrel NSs").
void BM_editor_NSs(benchmark::State& state) {
  EditorScene e(state.range(0) > 0);
  kh::gfx::Object* slider = e.control("slider9");
  const kh::Value a = kh::Value::scalar(41), b = kh::Value::scalar(40.6);
  bool flip = false;
  for (auto _ : state) kh::gfx::setControlValue(slider, (flip = !flip) ? a : b);
}
BENCHMARK(BM_editor_NSs)->ArgName("Lpoly")->Arg(0)->Arg(100)->Unit(benchmark::kMicrosecond);

// The load button ("kestrel loadpulse": the file read, the five lines drawn
// and the estimate computed twice); the lines it drew are removed between
// runs, untimed.
void BM_editor_loadpulse(benchmark::State& state) {
  EditorScene e(state.range(0) > 0);
  kh::gfx::Object* button = e.control("pushbutton1");
  for (auto _ : state) {
    state.PauseTiming();
    kh::gfx::setProperty(button, "Enable", kh::Value::str(std::string_view("on")));
    kh::gfx::clearAxes(e.ax, false);
    e.out.take();
    state.ResumeTiming();
    kh::gfx::click(button);
  }
}
BENCHMARK(BM_editor_loadpulse)->ArgName("Lpoly")->Arg(0)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // Unload while the host's own state is still alive.
  library().close();
  return 0;
}

// Figure export: one figure of five 5000-point lines with a title and axis
// labels, written whole (drawing, encoding and the file's rename into place)
// as SVG and as PNG at the screen's resolution and at 192 dpi.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "host/graphics/commands.h"
#include "host/graphics/render/export.h"
#include "host/shell/shell.h"

namespace {

kh::gfx::Object* fiveLines() {
  static kh::Shell sh;
  static kh::gfx::Object* fig = [] {
    sh.run(
        "close all; figure; t = (0:4999) / 4999 * 20;"
        "plot(t, sin(t), t, cos(t), t, sin(2*t) / 2, t, cos(3*t) / 3, t, sin(t) .* cos(t));"
        "title('Five lines of 5000 points'); xlabel('t (s)'); ylabel('amplitude');");
    return kh::gfx::currentFigure(false);
  }();
  return fig;
}

std::string target(const char* ext) {
  return "/tmp/kestrel-render-bench-" + std::to_string(::getpid()) + "." + ext;
}

void Export(benchmark::State& state, kh::gfx::render::Format fmt, const char* ext, double dpi) {
  kh::gfx::Object* fig = fiveLines();
  const std::string file = target(ext);
  for (auto _ : state) kh::gfx::render::exportFigure(fig, file, fmt, dpi);
  ::unlink(file.c_str());
}

BENCHMARK_CAPTURE(Export, Svg, kh::gfx::render::Format::Svg, "svg", 96)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Export, Png, kh::gfx::render::Format::Png, "png", 96)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Export, Png192, kh::gfx::render::Format::Png, "png", 192)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Export, Pdf, kh::gfx::render::Format::Pdf, "pdf", 96)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Cost of the command window as its input grows: a script of many one-line
// statements, a long block typed at the prompt line by line, and one long
// sum. Each is fitted to a linear model (the "BigO" rows): the time per
// statement or per term must not grow with the size of the input.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "host/context/output.h"
#include "host/shell/shell.h"

namespace {

std::string statements(std::int64_t n) {
  std::string text;
  for (std::int64_t i = 0; i < n; ++i)
    text += "x" + std::to_string(i % 50) + " = " + std::to_string(i) + ";\n";
  return text;
}

void ScriptOfStatements(benchmark::State& state) {
  const std::string text = statements(state.range(0));
  for (auto _ : state) {
    kh::Shell sh;
    benchmark::DoNotOptimize(sh.run(text));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(ScriptOfStatements)
    ->RangeMultiplier(4)
    ->Range(2500, 160000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BlockAtThePrompt(benchmark::State& state) {
  const std::string text = "if 1\n" + statements(state.range(0)) + "end\n";
  for (auto _ : state) {
    kh::Shell sh;
    std::istringstream in(text);
    kh::OutputCapture quiet;
    sh.interact(in, false);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BlockAtThePrompt)
    ->RangeMultiplier(4)
    ->Range(625, 40000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void LongSum(benchmark::State& state) {
  std::string text = "x = 1";
  for (std::int64_t i = 1; i < state.range(0); ++i) text += "+1";
  text += ";";
  for (auto _ : state) {
    kh::Shell sh;
    benchmark::DoNotOptimize(sh.run(text));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(LongSum)
    ->RangeMultiplier(4)
    ->Range(2500, 160000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

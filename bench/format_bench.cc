// Formatting table cells: the fast fixed-point formatter against snprintf("%*.*f"), over
// the same spread of values a table holds.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "support/fixed_format.h"

namespace tabrix::bench {
namespace {

std::vector<float> cellValues() {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> spread(-5000.0f, 50000.0f);
  std::vector<float> values(4096);
  for (float& v : values) v = spread(random);
  return values;
}

void BM_FormatFixed(benchmark::State& state) {
  const std::vector<float> values = cellValues();
  char text[FixedTextCapacity];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatFixed(text, values[i++ & 4095], 7, 1));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatFixed);

void BM_Snprintf(benchmark::State& state) {
  const std::vector<float> values = cellValues();
  char text[64];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::snprintf(text, sizeof text, "%*.*f", 7, 1, static_cast<double>(values[i++ & 4095])));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Snprintf);

}  // namespace
}  // namespace tabrix::bench

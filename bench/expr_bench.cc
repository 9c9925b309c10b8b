// Expression evaluation: a table line's expression read from memory and computed over
// a workspace bank, as the composer has it done once per alternative.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "banks/workspace_bank.h"
#include "bench_support.h"
#include "expr/evaluator.h"
#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix::bench {
namespace {

// Observations per series (quarterly from 1960 covers 50 years).
constexpr int kObs = 200;
// Other series in the bank besides GDP and C.
constexpr int kFillerSeries = 500;

// A workspace bank with GDP, C and filler series, built once and opened for reading.
struct ExprFixture {
  ExprFixture() {
    ConsoleCapture quiet;
    if (!dir.ok()) {
      error = "cannot make a temporary directory";
      return;
    }
    {
      VexBank writer(dir.file("work"), "New", 1960, kObs, 1);
      if (!writer.isOpen()) {
        error = "cannot create the workspace bank";
        return;
      }
      writer.setFrequency(4);
      Series gdp{};
      Series c{};
      for (int t = 0; t < kObs; ++t) {
        gdp[t] = 1000.0f + 7.5f * static_cast<float>(t);
        c[t] = 600.0f + 4.0f * static_cast<float>(t);
      }
      if (writer.writeSeries("GDP", gdp, 'n', -1) < 0 || writer.writeSeries("C", c, 'n', -1) < 0) {
        error = "cannot store GDP and C";
        return;
      }
      for (int i = 0; i < kFillerSeries; ++i) {
        if (writer.writeSeries(seriesName(i), c, 'n', -1) < 0) {
          error = "cannot store a filler series";
          return;
        }
      }
    }
    bank = std::make_unique<VexBank>(dir.file("work"));
    if (!bank->isOpen()) error = "cannot open the workspace bank";
  }

  TempDir dir;
  std::string error;  // why the fixture is unusable, or ""
  std::unique_ptr<VexBank> bank;
};

ExprFixture& fixture() {
  static ExprFixture banks;
  return banks;
}

// Evaluates text over the fixture bank, once per iteration; slot 5 of the result must
// then hold `check`.
void evaluateText(benchmark::State& state, const std::string& text, float check) {
  ExprFixture& banks = fixture();
  if (!banks.error.empty()) {
    state.SkipWithError(banks.error.c_str());
    return;
  }
  Chopper reader;
  EvalContext context;
  auto result = std::make_unique<Series>();
  ConsoleCapture quiet;
  for (auto _ : state) {
    reader.setString(text);
    int16_t code = evaluate(context, reader, *result, *banks.bank, nullptr).status;
    benchmark::DoNotOptimize(result->data());
    if (code != EndedByLineEnd) {
      state.SkipWithError("the expression did not evaluate");
      break;
    }
    quiet.take();
  }
  if ((*result)[5] != check) state.SkipWithError("the expression gave a wrong value");
  state.SetItemsProcessed(state.iterations());
}

void BM_EvaluateGrowthShare(benchmark::State& state) { 
  // GDP at 5 is 1037.5; C at 4 is 616.
  evaluateText(state, "(GDP - C[1]) / GDP * 100", (1037.5f - 616.0f) / 1037.5f * 100.0f);
}
BENCHMARK(BM_EvaluateGrowthShare);

void BM_EvaluateSingleSeries(benchmark::State& state) { evaluateText(state, "GDP", 1037.5f); }
BENCHMARK(BM_EvaluateSingleSeries);

}  // namespace
}  // namespace tabrix::bench

// Bank lookups: finding and reading series spread over large banks of each kind the
// system writes or reads from its own writers (workspace, compressed, hashed).
#include <benchmark/benchmark.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "banks/comp_bank.h"
#include "banks/comp_bank_writer.h"
#include "banks/hash_bank.h"
#include "banks/hash_bank_writer.h"
#include "banks/workspace_bank.h"
#include "bench_support.h"
#include "dates/vex_date.h"
#include "platform/console.h"

namespace tabrix::bench {
namespace {

// Observations per series in every fixture bank.
constexpr int kObs = 200;
// Series per bank: a created workspace bank holds at most MaxNewSeries; the
// compressed bank's name area (32767 bytes) holds about 4,600 names of 7 bytes; the
// hashed bank has neither limit.
constexpr int kVexSeries = VexBank::MaxNewSeries;
constexpr int kCompSeries = 4000;
constexpr int kHashSeries = 20000;
// Names looked up in turn, spread over each bank.
constexpr int kLookups = 64;

// Series i: a smooth level with a little wobble, so packed records are not trivial.
Series seriesValues(int i) {
  Series values{};
  for (int t = 0; t < kObs; ++t) values[t] = 100.0f + static_cast<float>(i % 97) + 0.25f * static_cast<float>(t);
  return values;
}

// The three banks, built once in a temporary directory and opened for reading.
struct BankFixture {
  BankFixture() {
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
      writer.setFrequency(1);
      for (int i = 0; i < kVexSeries; ++i) {
        Series values = seriesValues(i);
        // The last store finds the bank full (-1) but keeps the series.
        if (writer.writeSeries(seriesName(i), values, 'n', -1) < 0 && i + 1 < kVexSeries) {
          error = "cannot store a workspace series";
          return;
        }
      }
    }
    VexDate start(1960, 1, 1);
    {
      CompBankWriter writer("bench");
      for (int i = 0; i < kCompSeries; ++i) {
        Series values = seriesValues(i);
        if (writer.addSeries(seriesName(i), start, std::span<const float>(values.data(), kObs)) != 0) {
          error = "cannot add a compressed series";
          return;
        }
      }
      if (writer.write(dir.file("comp")) != 0) {
        error = "cannot write the compressed bank";
        return;
      }
    }
    {
      HashBankWriter writer("bench");
      for (int i = 0; i < kHashSeries; ++i) {
        Series values = seriesValues(i);
        if (writer.addSeries(seriesName(i), start, std::span<const float>(values.data(), kObs)) != 0) {
          error = "cannot add a hashed series";
          return;
        }
      }
      if (writer.write(dir.file("hash")) != 0) {
        error = "cannot write the hashed bank";
        return;
      }
    }
    vex = std::make_unique<VexBank>(dir.file("work"));
    comp = std::make_unique<CompBank>(dir.file("comp"));
    hash = std::make_unique<HashBank>(dir.file("hash"));
    if (!vex->isOpen() || !comp->isOpen() || !hash->isOpen()) error = "cannot open a fixture bank";
  }
  // The compressed bank says goodbye on the console; keep it quiet.
  ~BankFixture() {
    ConsoleCapture quiet;
    vex.reset();
    comp.reset();
    hash.reset();
  }

  TempDir dir;
  std::string error;  // why the fixture is unusable, or ""
  std::unique_ptr<VexBank> vex;
  std::unique_ptr<CompBank> comp;
  std::unique_ptr<HashBank> hash;
};

BankFixture& fixture() {
  static BankFixture banks;
  return banks;
}

// Reads the spread names from bank in turn, one read per iteration.
void readSpread(benchmark::State& state, DataBank* bank, int size) {
  const BankFixture& banks = fixture();
  if (!banks.error.empty()) {
    state.SkipWithError(banks.error.c_str());
    return;
  }
  const std::vector<std::string> names = spreadNames(size, kLookups);
  Series values{};
  ConsoleCapture quiet;
  size_t k = 0;
  for (auto _ : state) {
    int16_t status = bank->readSeries(names[k], values, -1);
    benchmark::DoNotOptimize(status);
    benchmark::DoNotOptimize(values.data());
    if (status != 0) {
      state.SkipWithError("a fixture series was not read");
      break;
    }
    k = (k + 1) % names.size();
    quiet.take();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_VexFindSeries(benchmark::State& state) {
  const BankFixture& banks = fixture();
  if (!banks.error.empty()) {
    state.SkipWithError(banks.error.c_str());
    return;
  }
  const std::vector<std::string> names = spreadNames(kVexSeries, kLookups);
  size_t k = 0;
  for (auto _ : state) {
    int16_t position = banks.vex->findSeries(names[k]);
    benchmark::DoNotOptimize(position);
    k = (k + 1) % names.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VexFindSeries);

void BM_VexFindMissing(benchmark::State& state) {
  const BankFixture& banks = fixture();
  if (!banks.error.empty()) {
    state.SkipWithError(banks.error.c_str());
    return;
  }
  // Names just past the bank's last one: never found.
  std::vector<std::string> names;
  for (int k = 0; k < kLookups; ++k) names.push_back(seriesName(kVexSeries + k));
  size_t k = 0;
  for (auto _ : state) {
    int16_t position = banks.vex->findSeries(names[k]);
    benchmark::DoNotOptimize(position);
    k = (k + 1) % names.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VexFindMissing);

void BM_VexReadSeries(benchmark::State& state) { readSpread(state, fixture().vex.get(), kVexSeries); }
BENCHMARK(BM_VexReadSeries);

void BM_CompReadSeries(benchmark::State& state) { readSpread(state, fixture().comp.get(), kCompSeries); }
BENCHMARK(BM_CompReadSeries);

void BM_HashReadSeries(benchmark::State& state) { readSpread(state, fixture().hash.get(), kHashSeries); }
BENCHMARK(BM_HashReadSeries);

}  // namespace
}  // namespace tabrix::bench

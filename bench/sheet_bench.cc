// Worksheets: a table of 5,000 lines over 10 date columns (6 single years, 3 compound
// growth ranges, 1 average) with 10 alternatives in percentage deviations, composed onto
// a workbook (one worksheet per page) and saved as .xlsx; the save is also timed on its
// own. A table of 1,000 such lines is written as a WK1 file.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench_support.h"
#include "dates/vex_date.h"
#include "platform/console.h"
#include "sheet/wk1_writer.h"
#include "sheet/workbook_writer.h"
#include "support/constants.h"
#include "table/date_list.h"
#include "table/page.h"
#include "table/table_line.h"
#include "table/value_rows.h"
#include "table/page_counters.h"

namespace tabrix::bench {
namespace {

// The worksheet target a benchmark writes.
enum class Target { Wk1, Workbook };

constexpr int kLines = 5000;
// A WK1 file's rows run on across pages and a record addresses at most 32,768 of them:
// the WK1 table has 1,000 lines.
constexpr int kWk1Lines = 1000;
constexpr int kAlternatives = 10;
constexpr int kObservations = 60;  // 1990 to 2049
constexpr const char* kDates = "2015 2016 2017 2018 2019 2020 2015-2020 2010-2020 2000-2020 2010|2020 ";

// The table state of the run, its worksheet target opened for `name`.
void prepare(TableLine& table, std::string& name, Target form) {
  setDriverDefaults(table);
  table.noFormat = true;
  table.growthType = 'c';
  table.showMode = 'p';
  parseDateList(table, kDates);
  table.datesSet = true;
  table.altCount = kAlternatives;
  table.altTitlesKnown = true;
  table.headText = "Benchmark table";
  table.headSet = true;
  for (int k = 0; k < kAlternatives; ++k) {
    table.altTitles[static_cast<std::size_t>(k)] = "Alternative " + std::to_string(k + 1);
    table.values[static_cast<std::size_t>(k)].assign(MaxObs, MissingValue);
    table.altStart[static_cast<std::size_t>(k)] = VexDate(1990, 1, 1);
  }
  if (form == Target::Workbook) {
    table.sheet = std::make_unique<WorkbookWriter>(name, "", SheetTitles{"", table.headText, true});
  } else {
    table.sheet = std::make_unique<Wk1Writer>(name, "");
  }
}

// Composes the 5,000 lines, each with its own values.
bool composeTable(TableLine& table, int lines) {
  for (int line = 0; line < lines; ++line) {
    for (int k = 0; k < kAlternatives; ++k) {
      std::vector<float>& values = table.values[static_cast<std::size_t>(k)];
      for (int t = 0; t < kObservations; ++t) {
        values[static_cast<std::size_t>(t)] = 100.0f + static_cast<float>(line % 97) +
                                               static_cast<float>(t) * (1.0f + 0.01f * static_cast<float>(k));
      }
    }
    table.lineTitle = "Series " + std::to_string(line);
    if (composeLine(table) != 0) return false;
  }
  return true;
}

void composeAndSave(benchmark::State& state, Target form, bool saveOnly) {
  ConsoleCapture quiet;
  TempDir dir;
  if (!dir.ok()) {
    state.SkipWithError("no temporary directory");
    return;
  }
  std::size_t pages = 0;
  for (auto _ : state) {
    if (saveOnly) state.PauseTiming();
    TableLine table;
    std::string name = dir.file(form == Target::Workbook ? "table.xls" : "table");
    prepare(table, name, form);
    if (!table.sheet->isOpen() || !composeTable(table, form == Target::Workbook ? kLines : kWk1Lines)) {
      state.SkipWithError("the table could not be composed");
      break;
    }
    pages = static_cast<std::size_t>(PageCounters::pageNumber(table.page));
    if (saveOnly) state.ResumeTiming();
    (void)table.sheet->finishSheet(0, 0, PageCounters::sheetRow(table.page), table.dateCount());
    if (table.sheet->close() != 0) {
      state.SkipWithError("the target could not be written");
      break;
    }
    quiet.take();
  }
  state.counters["pages"] = static_cast<double>(pages);
  state.counters["rows"] = static_cast<double>((form == Target::Workbook ? kLines : kWk1Lines) * kAlternatives);
}

void BM_WorkbookComposeAndSave(benchmark::State& state) { composeAndSave(state, Target::Workbook, false); }
BENCHMARK(BM_WorkbookComposeAndSave)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WorkbookSave(benchmark::State& state) { composeAndSave(state, Target::Workbook, true); }
BENCHMARK(BM_WorkbookSave)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Wk1ComposeAndWrite(benchmark::State& state) { composeAndSave(state, Target::Wk1, false); }
BENCHMARK(BM_Wk1ComposeAndWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tabrix::bench

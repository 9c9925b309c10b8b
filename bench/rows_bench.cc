// Composing rows: one table line of three alternatives over twelve date columns (ten
// years and two growth ranges) written to a table file in memory.
#include <benchmark/benchmark.h>

#include <string>

#include "dates/vex_date.h"
#include "platform/console.h"
#include "support/constants.h"
#include "table/date_list.h"
#include "table/table_line.h"
#include "table/value_rows.h"
#include "table/page_counters.h"

namespace tabrix::bench {
namespace {

constexpr int kAlternatives = 3;
constexpr const char* kDates = "2015 2016 2017 2018 2019 2020 2021 2022 2023 2024 2015-2020 2020-2024";

// A table line as the run driver leaves it, with annual observations from 2000 on in
// each alternative (each a little above the one before).
void prepareLine(TableLine& table) {
  setDriverDefaults(table);
  table.out.openMemory();
  table.noFormat = true;
  parseDateList(table, kDates);
  table.datesSet = true;
  table.altCount = kAlternatives;
  for (int k = 0; k < kAlternatives; ++k) {
    table.values[k].assign(MaxObs, MissingValue);
    for (int t = 0; t < 40; ++t)
      table.values[k][t] = 1000.0f * (1.0f + 0.01f * static_cast<float>(k)) + 25.0f * static_cast<float>(t);
    table.altStart[k] = VexDate(2000, 1, 1);
  }
  table.lineTitle = "Gross domestic product";
}

// Composes the line in the middle of a long page, so every iteration writes the same
// three rows; the table file and the line counter start afresh each time.
void composeMidPage(benchmark::State& state, char showMode) {
  ConsoleCapture quiet;
  TableLine table;
  prepareLine(table);
  table.pageLength = 1000;
  table.showMode = showMode;
  size_t bytes = 0;
  for (auto _ : state) {
    table.out.openMemory();
    PageCounters::lineOnPage(table.page) = 5;
    if (composeLine(table) != 0) {
      state.SkipWithError("composeLine failed");
      break;
    }
    bytes += table.out.text().size();
    quiet.take();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_ComposeLevels(benchmark::State& state) { composeMidPage(state, 'a'); }
BENCHMARK(BM_ComposeLevels);

void BM_ComposePercentDeviations(benchmark::State& state) { composeMidPage(state, 'p'); }
BENCHMARK(BM_ComposePercentDeviations);

// Composes line after line on 66-line pages, so page headers and date header rows come
// in as they would in a run; only the collected text is dropped between iterations.
void BM_ComposeWithPages(benchmark::State& state) {
  ConsoleCapture quiet;
  TableLine table;
  prepareLine(table);
  table.tableTitle = "Gross domestic product by alternative";
  table.titleSet = true;
  size_t bytes = 0;
  for (auto _ : state) {
    table.out.openMemory();
    if (composeLine(table) != 0) {
      state.SkipWithError("composeLine failed");
      break;
    }
    bytes += table.out.text().size();
    quiet.take();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["pages"] = static_cast<double>(PageCounters::pageNumber(table.page));
}
BENCHMARK(BM_ComposeWithPages);

}  // namespace
}  // namespace tabrix::bench

// Shared fixture of the table tests: a table state with the run driver's defaults whose
// table file collects its text in memory.
#pragma once

#include <string>
#include <vector>

#include "support/constants.h"
#include "table/date_list.h"
#include "table/table_line.h"

namespace tabrix {

// A fresh state as the run driver leaves it, writing to memory.
inline void prepare(TableLine& table) {
  setDriverDefaults(table);
  table.out.openMemory();
}

// The first period of an annual series starting in year.
inline VexDate annualStart(int year) {
  VexDate date;
  date.year = static_cast<int16_t>(year);
  date.period = 1;
  date.frequency = 1;
  return date;
}

// The dates, and alternatives whose annual observations from 1990 on are given row by
// row (the rest missing).
inline void giveData(TableLine& table, const char* dates, const std::vector<std::vector<float>>& alternatives) {
  parseDateList(table, dates);
  table.datesSet = true;
  table.altCount = static_cast<int16_t>(alternatives.size());
  for (std::size_t k = 0; k < alternatives.size(); ++k) {
    table.values[k].assign(MaxObs, MissingValue);
    for (std::size_t i = 0; i < alternatives[k].size(); ++i) table.values[k][i] = alternatives[k][i];
    table.altStart[k] = annualStart(1990);
  }
}

// n blanks.
inline std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

}  // namespace tabrix

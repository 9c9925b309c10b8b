// Shared fixture of the table tests: a table state with the run driver's defaults whose
// table file collects its text in memory.
#pragma once

#include <string>

#include "table/table_line.h"

namespace tabrix {

// A fresh state as the run driver leaves it, writing to memory.
inline void prepare(TableLine& table) {
  setDriverDefaults(table);
  table.out.openMemory();
}

// n blanks.
inline std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

}  // namespace tabrix

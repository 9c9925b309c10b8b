// What the two VAM targets share: a VAM file opened from the workspace and read every
// way the program and the bank tool read one: elements and cells by name, slices of
// every kind, the bank tool's dump.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "banks/vam_csv.h"
#include "banks/vam_file.h"
#include "fuzz_support.h"

namespace tabrix::fuzz {

// Variables looked at by name and by slice (the rest of a file adds nothing new).
constexpr int kVamVariablesRead = 8;

// The numbers a slice of variable v is loaded with in each mode.
inline std::vector<int> sliceNumbers(const VamFile& file, int v, char mode) {
  const int rows = file.variableRows(v);
  const int columns = file.variableColumns(v);
  const int first = file.startYear();
  const int last = first + file.observations() - 1;
  switch (mode) {
    case 'r': return {1, 2, rows, rows + 1, 0, -1, INT_MIN, INT_MAX};
    case 'c': return {1, 2, columns, columns + 1, 0, INT_MIN, INT_MAX};
    case 'y': return {first, last, first - 1900, last + 1, 0, INT_MIN, INT_MAX};
    default: return {0};
  }
}

// Reads the open file `root` (".vam" appended).
inline void readVam(const std::string& root) {
  VamFile file(root);
  if (!file.isOpen()) return;
  if (file.observations() > MaxObs) __builtin_trap();
  file.printInfo(1);
  auto values = std::make_unique<std::array<float, MaxObs>>();
  const int shown = std::min(file.variableCount(), kVamVariablesRead);
  for (int v = 0; v < shown; ++v) {
    const std::string& name = file.variableName(v);
    const std::string rows = std::to_string(file.variableRows(v));
    const std::string columns = std::to_string(file.variableColumns(v));
    for (const std::string& series :
         {name + "1", name + rows, name + "0", name + "1.1", name + rows + "." + columns,
          name + "2.1", name + "1." + columns, name + ".1", name + "99999999999", name}) {
      static_cast<void>(file.readSeries(series, *values, -1));
    }
    for (char mode : {'x', 'r', 'c', 'y', 'q'}) {
      for (int number : sliceNumbers(file, v, mode)) {
        if (file.loadSlice(name, mode, number) == 0) {
          const SliceArray& slice = file.slice();
          if (!file.sliceLoaded() || slice.rows() < 0 || slice.columns() < 0) __builtin_trap();
          static_cast<void>(slice.at(slice.rows(), slice.columns()));
          // A row of a loaded slice is read from it.
          static_cast<void>(file.readSeries(name + "1", *values, -1));
        }
      }
    }
    file.unloadSlice();
  }
  for (const char* series : {"", "gdp", "x1", "x1.1"}) {
    static_cast<void>(file.readSeries(series, *values, -1));
  }
  file.listNames(nullptr, "*", 1);
  // The dump reads a packed matrix as its file stores it, whatever the directory
  // claims, so every packed matrix is dumped at any size. The variables kept in the
  // VAM file itself are walked cell by cell and year by year: files whose other
  // variables are of modest dimensions are dumped.
  int64_t cells = 0;
  for (int v = 0; v < file.variableCount(); ++v) {
    if (file.storage(v) == 'p') continue;
    cells += int64_t{file.variableRows(v)} * std::max(file.variableColumns(v), 1) * file.observations();
  }
  if (cells <= 1'000'000) {
    VamTable table;
    if (readVamTable(file, {}, table) == 0) static_cast<void>(formatVamCsv(table));
  }
}

}  // namespace tabrix::fuzz

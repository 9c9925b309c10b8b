// The bank tool's CSV reader of VAM files on any text. A text it accepts must read back
// the same through the tool's CSV writer, and a VAM file the tool makes of it must open
// and be dumped.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "banks/vam_csv.h"
#include "banks/vam_file.h"
#include "fuzz_support.h"

namespace {

using namespace tabrix;

std::vector<uint32_t> bitsOf(const std::vector<float>& values) {
  std::vector<uint32_t> bits;
  for (float value : values) bits.push_back(std::bit_cast<uint32_t>(value));
  return bits;
}

bool same(const VamTable& a, const VamTable& b) {
  if (a.title != b.title || a.firstYear != b.firstYear || a.lastYear != b.lastYear ||
      a.cells.size() != b.cells.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.cells.size(); ++i) {
    const VamCsvCell& x = a.cells[i];
    const VamCsvCell& y = b.cells[i];
    if (x.name != y.name || x.type != y.type || x.rows != y.rows || x.columns != y.columns ||
        x.row != y.row || x.column != y.column) {
      return false;
    }
    // Values not given are 0 either way.
    std::vector<uint32_t> xs = bitsOf(x.values);
    std::vector<uint32_t> ys = bitsOf(y.values);
    xs.resize(std::max(xs.size(), ys.size()), 0);
    ys.resize(xs.size(), 0);
    if (xs != ys) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  {
    fuzz::QuietInput quiet;
    VamTable table;
    if (parseVamCsv(fuzz::asText(data, size), "in.csv", table) != 0) return 0;
    VamTable again;
    if (parseVamCsv(formatVamCsv(table), "again.csv", again) != 0 || !same(table, again)) {
      __builtin_trap();  // the writer's CSV does not read back as the same file
    }
    fuzz::runInput([&] {
      if (writeVamTable(table, "fz", "in.csv") != 0) return;
      VamFile file("fz");
      if (!file.isOpen()) __builtin_trap();  // a file the tool made that does not open
      // The dump's work follows the variables' dimensions (see vam_target.h).
      int64_t cells = 0;
      for (int v = 0; v < file.variableCount(); ++v) {
        cells += int64_t{file.variableRows(v)} * std::max(file.variableColumns(v), 1) * file.observations();
      }
      VamTable dumped;
      if (cells <= 1'000'000 && readVamTable(file, {}, dumped) != 0) {
        __builtin_trap();  // a file the tool made that it cannot dump
      }
    });
  }
  workspace.sweep();
  return 0;
}

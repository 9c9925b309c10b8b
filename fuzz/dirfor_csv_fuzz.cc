// The bank tool's CSV reader of dirfor banks on any text. A text it accepts must read
// back the same through the tool's CSV writer, and a bank the tool makes of it must
// open and be dumped whole.
#include <cstdint>
#include <string>
#include <vector>

#include "banks/dirfor_bank.h"
#include "banks/dirfor_csv.h"
#include "fuzz_support.h"
#include "support/constants.h"

namespace {

using namespace tabrix;

bool same(const DirforTable& a, const DirforTable& b) {
  if (a.title != b.title || a.firstYear != b.firstYear || a.firstForecastYear != b.firstForecastYear ||
      a.lastYear != b.lastYear || a.series.size() != b.series.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.series.size(); ++i) {
    const DirforCsvSeries& x = a.series[i];
    const DirforCsvSeries& y = b.series[i];
    if (x.name != y.name || x.macro != y.macro || x.stem != y.stem || x.sector != y.sector ||
        fuzz::storedBits(x.values) != fuzz::storedBits(y.values)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  {
    fuzz::QuietInput quiet;
    DirforTable table;
    if (parseDirforCsv(fuzz::asText(data, size), "in.csv", table) != 0) return 0;
    DirforTable again;
    if (parseDirforCsv(formatDirforCsv(table), "again.csv", again) != 0 || !same(table, again)) {
      __builtin_trap();  // the writer's CSV does not read back as the same bank
    }
    fuzz::runInput([&] {
      if (writeDirforTable(table, "fz", "fz.dat", "in.csv") != 0) return;
      Dirfor bank("fz", "fz.dat");
      DirforTable dumped;
      if (!bank.isOpen() || readDirforTable(bank, {}, dumped) != 0) {
        __builtin_trap();  // a bank the tool made that it cannot read back
      }
    });
  }
  workspace.sweep();
  return 0;
}

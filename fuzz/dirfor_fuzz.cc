// A dirfor bank's four files from any bytes: the description file, the macro-names
// file, the data file (.dfr) and the history file (.dhs), opened as a bank and read
// every way the program and the bank tool read one.
//
// Input: the four files in that order (as file_parts.h lays out), written as fz.dat,
// fz.mac, fz.dfr and fz.dhs (the names the seeds' description file gives).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "banks/dirfor_bank.h"
#include "banks/dirfor_csv.h"
#include "file_parts.h"
#include "fuzz_support.h"
#include "support/constants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tabrix;
  const auto parts = fuzz::splitFiles(data, size, 4);
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  const char* const names[] = {"fz.dat", "fz.mac", "fz.dfr", "fz.dhs"};
  for (std::size_t i = 0; i < 4; ++i) {
    if (!writeWholeFile(names[i], parts[i])) __builtin_trap();  // the workspace cannot be written
  }
  {
    fuzz::QuietInput quiet;
    std::vector<std::string> macros;
    int16_t format = 0;
    if (parseMacroNames(parts[1], "fz.mac", macros, format) == 0 &&
        (macros.size() > Dirfor::MaxMacros || (format != 0 && format != 1))) {
      __builtin_trap();
    }
    fuzz::runInput([&] {
      Dirfor bank("fz", "fz.dat");
      if (!bank.isOpen()) return;
      if (bank.observations() > MaxObs || bank.forecastLength() > bank.recordLength()) __builtin_trap();
      bank.baseYear();
      bank.printInfo(1);
      auto values = std::make_unique<std::array<float, MaxObs>>();
      std::vector<std::string> series;
      bank.forEachName([&](std::string_view name, bool) {
        series.emplace_back(name);
        return series.size() < 300;
      });
      series.insert(series.end(), {"", "x", "0", "x0", "x99999999999", std::string(40, 'n')});
      for (const std::string& name : series) static_cast<void>(bank.readSeries(name, *values, -1));
      bank.listNames(nullptr, "*", 1);
      // The bank tool's dump: every series as a CSV row, one at a time, at any number
      // of declared series (the first one the files do not hold ends it).
      std::string dumped;
      static_cast<void>(dumpDirforCsv(bank, {}, dumped));
    });
  }
  workspace.sweep();
  return 0;
}

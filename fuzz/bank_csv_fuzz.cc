// The bank tool's CSV reader on any text. A text it accepts must come back the same
// through the tool's CSV writer, and must make a bank that the tool can describe and
// dump.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "banks/binary_io.h"
#include "banks/bank_tool.h"
#include "fuzz_support.h"
#include "support/constants.h"

namespace {

using namespace tabrix;

bool same(const BankTable& a, const BankTable& b) {
  if (a.title != b.title || a.baseYear != b.baseYear || a.firstMonth != b.firstMonth ||
      a.observations != b.observations || a.series.size() != b.series.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.series.size(); ++i) {
    const CsvSeries& x = a.series[i];
    const CsvSeries& y = b.series[i];
    if (x.name != y.name || x.frequency != y.frequency ||
        fuzz::storedBits(x.values) != fuzz::storedBits(y.values)) {
      return false;
    }
  }
  return true;
}

// A name that comes back whole from a listing of one name a line.
bool listable(const CsvSeries& series) {
  const std::string& name = series.name;
  return std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7f; }) &&
         name.back() != ' ';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::asText(data, size);
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  {
    fuzz::QuietInput quiet;
    BankTable table;
    if (parseBankCsv(text, "fuzz.csv", table) != 0) return 0;
    BankTable again;
    if (parseBankCsv(formatBankCsv(table), "again.csv", again) != 0 || !same(table, again)) {
      __builtin_trap();  // the writer's CSV does not read back as the same bank
    }
    // A bank of one kind (chosen by the text's length) from the file, then described
    // and dumped. Both must work, except that the dump finds its names in a listing of
    // one name a line without trailing blanks, so names that a line cannot carry
    // (blanks at the end, control characters) may fail it.
    const std::string kind(1, "wch"[size % 3]);
    if (!writeWholeFile("in.csv", {data, size})) __builtin_trap();
    BankSelection selection{"fuzzbank", kind[0], true, std::string(DefaultDirforDescription)};
    std::ostringstream said;
    if (createBank(selection, "in.csv", said) == BankToolStatus::kDone) {
      BankToolStatus status = BankToolStatus::kDone;
      std::unique_ptr<DataBank> bank = openToolBank(selection, false, status);
      if (bank == nullptr || showBankInfo(*bank, said) != BankToolStatus::kDone) __builtin_trap();
      const bool dumped = dumpBank(*bank, {}, said) == BankToolStatus::kDone;
      if (!dumped && std::all_of(table.series.begin(), table.series.end(), listable)) {
        __builtin_trap();  // a bank the tool made that it cannot dump
      }
    }
  }
  workspace.sweep();
  return 0;
}

// Add files and \fadd argument files from any bytes, run from a fixed stub against
// the workspace fixture banks (two workspace alternatives).
//
// Input: the length L of the add file (2 bytes, little-endian), the add file's bytes
// (L, or what is left), then the argument file's bytes. They are written into the
// workspace as "f.add" and "f.arg"; the stub runs the add file with three arguments,
// through \fadd once for every line of the argument file, and from inside itself.
#include <cstdint>
#include <string>
#include <string_view>

#include "banks/bank_factory.h"
#include "banks/binary_io.h"
#include "driver/run_driver.h"
#include "fuzz_support.h"
#include "stub/run_state.h"
#include "table/table_line.h"

namespace {

using namespace tabrix;

constexpr std::string_view kStub =
    "\\dates 1991 1995 90-95\n"
    "&\n"
    "\\add f.add gdp 2 \"A title\"\n"
    "gdp;After the add file\n"
    "\\fadd f.add f.arg\n"
    "\\add f.add\n"
    "cons;At the end\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::size_t addLength = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
  const std::string_view addFile = fuzz::asText(data + 2, addLength);
  const std::string_view argumentFile = fuzz::asText(data + 2 + addLength, size - 2 - addLength);
  if (fuzz::namesSystemFiles(addFile) || fuzz::namesSystemFiles(argumentFile)) return -1;
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  fuzz::fixtureBanks();
  fuzz::fixtureTexts();
  if (!writeWholeFile("f.add", {data + 2, addLength}) ||
      !writeWholeFile("f.arg", {data + 2 + addLength, size - 2 - addLength})) {
    __builtin_trap();
  }
  {
    fuzz::OpenFilesCheck closed;
    fuzz::QuietInput quiet;
    fuzz::MemoryFile stubFile(kStub);
    RunState run;
    TableLine table;
    setDriverDefaults(table);
    const char* roots[] = {"wbank", "wbank2"};
    for (const char* root : roots) {
      const int slot = run.bankCount;
      run.banks[static_cast<std::size_t>(slot)] = openBank('w', root);
      DataBank& bank = *run.banks[static_cast<std::size_t>(slot)];
      if (!bank.isOpen()) __builtin_trap();
      table.altStart[static_cast<std::size_t>(slot)] =
          VexDate(static_cast<int16_t>(bank.baseYear()), 1, 1);
      table.values[static_cast<std::size_t>(slot)].assign(MaxObs, 0.0f);
      ++run.bankCount;
    }
    table.altCount = 2;
    table.showMode = 'd';
    run.stubFile = stubFile.release();
    run.outputName = "table.out";
    table.out.openMemory();
    fuzz::runInput([&] { makeTable(run, table); });
  }
  workspace.sweep();
  return 0;
}

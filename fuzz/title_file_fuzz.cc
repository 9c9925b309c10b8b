// A sector-title file from any bytes, read from memory, from the file and as a
// TitleFile, whose titles are then looked up by number.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "banks/title_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tabrix;
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  {
    fuzz::QuietInput quiet;
    fuzz::MemoryFile memory(fuzz::asText(data, size));
    std::vector<std::string> fromMemory;
    const int16_t status = readTitles(memory.get(), "titles.txt", fromMemory);
    if (fromMemory.size() > TitleFile::MaxTitles || (status != 0 && !fromMemory.empty())) __builtin_trap();
    for (const std::string& title : fromMemory) {
      if (title.size() > TitleFile::MaxTitleLength) __builtin_trap();
    }
    if (!writeWholeFile("titles.txt", {data, size})) __builtin_trap();
    std::vector<std::string> fromFile;
    if (readTitleFile("titles.txt", fromFile) != status || fromFile != fromMemory) {
      __builtin_trap();  // the file and the same bytes in memory read differently
    }
    fuzz::runInput([&] {
      const TitleFile titles("titles.txt");
      if (titles.count() != static_cast<int>(fromMemory.size())) __builtin_trap();
      std::string buffer;
      for (int number : {INT_MIN, -1, 0, 1, 2, titles.count() / 2, titles.count(), titles.count() + 1, INT_MAX}) {
        const char* title = titles.titleOf(buffer, number);
        if ((title != nullptr) != (number >= 1 && number <= titles.count())) __builtin_trap();
      }
    });
  }
  workspace.sweep();
  return 0;
}

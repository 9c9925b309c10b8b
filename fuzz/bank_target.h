// What the three bank targets share: an input holding a bank's two files, written into
// the workspace and opened as a bank of one kind, then read every way the program
// reads a bank.
//
// Input: the length L of the data file (2 bytes, little-endian), the data file's bytes
// (L, or what is left), then the index file's bytes.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "banks/bank_factory.h"
#include "banks/binary_io.h"
#include "banks/data_bank.h"
#include "fuzz_support.h"

namespace tabrix::fuzz {

// The names a bank lists, one a line (names holding blanks come out cut; the read of
// such a name simply fails).
inline std::vector<std::string> listedNames(DataBank& bank) {
  std::vector<std::string> names;
  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* listing = ::open_memstream(&text, &length);
  if (listing == nullptr) return names;
  bank.listNames(listing, "", 0);
  std::fclose(listing);
  std::istringstream lines(std::string(text, length));
  std::free(text);
  for (std::string line; std::getline(lines, line) && names.size() < 200;) {
    const std::size_t end = line.find_last_not_of(' ');
    if (end != std::string::npos) names.push_back(line.substr(0, end + 1));
  }
  return names;
}

// Writes the two files of the input as root + the extensions, opens them as a bank of
// the kind, reads it, and hands it to `more` for the kind's own operations.
template <typename More>
void runBankInput(const uint8_t* data, std::size_t size, char kind, std::string_view dataExtension,
                  std::string_view indexExtension, More&& more) {
  if (size < 2) return;
  const std::size_t dataLength = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
  const uint8_t* dataFile = data + 2;
  const uint8_t* indexFile = dataFile + dataLength;
  const std::size_t indexLength = size - 2 - dataLength;
  Workspace& workspace = Workspace::get();
  const std::string root = "fuzzbank";
  if (!writeWholeFile(root + std::string(dataExtension), {dataFile, dataLength}) ||
      !writeWholeFile(root + std::string(indexExtension), {indexFile, indexLength})) {
    __builtin_trap();  // the workspace cannot be written
  }
  {
    QuietInput quiet;
    runInput([&] {
      std::unique_ptr<DataBank> bank = openBank(kind, root);
      if (bank == nullptr || !bank->isOpen()) return;
      bank->baseYear();
      bank->title();
      bank->printInfo(1);
      auto values = std::make_unique<std::array<float, MaxObs>>();
      std::vector<std::string> names = listedNames(*bank);
      names.insert(names.end(), {"", "gdp", "x", std::string(40, 'n')});
      for (const std::string& name : names) {
        static_cast<void>(bank->readSeries(name, *values, -1));
        static_cast<void>(bank->readSeries(name, *values, 7));
      }
      // The console listing pages; the used-up keys end it at the first page prompt.
      bank->listNames(nullptr, "*", 1);
      bank->listNames(nullptr, "g^p*", 0);
      more(*bank, names);
    });
  }
  workspace.sweep();
}

}  // namespace tabrix::fuzz

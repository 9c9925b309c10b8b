// A VAM file and its packed-matrix files from any bytes, with or without a companion
// workspace bank, read as vam_target.h reads one.
//
// Input: one byte choosing (bit 0: the fixture workspace bank "wbank" is copied in as
// the companion fz.bnk), then the VAM file and two packed-matrix files (as
// file_parts.h lays out), written as fz.vam, fz.pm1 and fz.pm2 (the names the seeds'
// VAM files give).
#include <cstdint>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "file_parts.h"
#include "vam_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tabrix;
  if (size < 1) return 0;
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  fuzz::fixtureBanks();
  const auto parts = fuzz::splitFiles(data + 1, size - 1, 3);
  const char* const names[] = {"fz.vam", "fz.pm1", "fz.pm2"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!writeWholeFile(names[i], parts[i])) __builtin_trap();  // the workspace cannot be written
  }
  if (data[0] & 1) {
    for (const char* extension : {".bnk", ".ind"}) {
      std::vector<uint8_t> bytes;
      if (!readWholeFile("wbank" + std::string(extension), bytes) ||
          !writeWholeFile("fz" + std::string(extension), bytes)) {
        __builtin_trap();
      }
    }
  }
  {
    fuzz::QuietInput quiet;
    fuzz::runInput([] { fuzz::readVam("fz"); });
  }
  workspace.sweep();
  return 0;
}

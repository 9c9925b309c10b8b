// A packed-matrix file from any bytes, named by a VAM file made once with the project's
// writer (years 2000 to 2004; "b" a 6 x 6 packed matrix in pm.pm1, "c" a 40 x 3 packed
// matrix in pm.pm2, "v" a vector): its header is decoded, and rows, columns and years
// of it are loaded as slices of the VAM file and directly, at shifted places, into
// slices of other sizes.
//
// Input: the packed-matrix file, written as pm.pm1 and pm.pm2.
#include <cstdint>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "banks/packed_matrix.h"
#include "banks/vam_writer.h"
#include "vam_target.h"

namespace {

using namespace tabrix;

// Writes pm.vam (and the writer's own pm.pm1 and pm.pm2, replaced by every input).
void makeVam() {
  static const bool made = [] {
    ConsoleCapture quiet;
    VamWriter writer("Packed matrices", 2000, 2004);
    std::string reason;
    const int b = writer.addVariable("b", 'p', 6, 6, reason);
    const int c = writer.addVariable("c", 'p', 40, 3, reason);
    const int v = writer.addVariable("v", 'v', 4, 1, reason);
    const std::vector<float> values = {1.5f, 2.5f, 3.5f, 4.5f, 5.5f};
    if (b < 0 || c < 0 || v < 0 || !writer.setCell(b, 2, 3, values, reason) ||
        !writer.setCell(c, 40, 1, values, reason) || !writer.setCell(v, 1, 1, values, reason) ||
        writer.write("pm") != 0) {
      __builtin_trap();
    }
    fuzz::Workspace::get().keep("pm.vam");
    return true;
  }();
  static_cast<void>(made);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  makeVam();
  const std::span<const uint8_t> bytes(data, size);
  if (!writeWholeFile("pm.pm1", bytes) || !writeWholeFile("pm.pm2", bytes)) __builtin_trap();
  {
    fuzz::QuietInput quiet;
    PackedMatrixHeader header;
    std::string reason;
    if (parsePackedHeader(bytes, static_cast<int64_t>(size), header, reason) &&
        (header.rows < 0 || header.columns < 0 || header.cells < 0 || header.years() < 1 ||
         header.fileSize() > static_cast<int64_t>(size))) {
      __builtin_trap();  // an accepted header that does not fit its file
    }
    fuzz::runInput([&] {
      fuzz::readVam("pm");
      VamFile file("pm");
      if (!file.isOpen()) __builtin_trap();
      for (const auto& [rows, columns] : {std::pair{0, 0}, std::pair{5, 7}, std::pair{40, 40}}) {
        SliceArray slice;
        slice.assign(rows, columns);
        for (const auto& [firstRow, firstColumn] : {std::pair{1, 1}, std::pair{3, -2}, std::pair{-40, 100}}) {
          for (char mode : {'r', 'c', 'y'}) {
            for (int number : {header.firstRow, header.lastRow, header.firstColumn, header.firstYear, 1, 2003}) {
              static_cast<void>(file.loadPacked(slice, 0, mode, number, firstRow, firstColumn));
            }
          }
        }
        static_cast<void>(file.loadPacked(slice, 2, 'r', 1, 1, 1));
      }
    });
  }
  workspace.sweep();
  return 0;
}

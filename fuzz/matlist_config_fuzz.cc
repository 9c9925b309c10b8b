// The matrix-listing configuration (matlist.cfg) from any bytes, read against a VAM file
// made once with the project's writer (years 2000 to 2004; the vectors "out" and "fd",
// the matrix "a" and the packed matrix "b", three sectors each), and the title files it
// names opened when it is accepted.
//
// Input: the configuration file, written as matlist.cfg. Prompts (a line without ';'
// waits for a key) read Escape, which ends the input.
#include <cstdint>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "banks/vam_file.h"
#include "banks/vam_writer.h"
#include "fuzz_support.h"
#include "matlist/listing_config.h"

namespace {

using namespace tabrix;

// Writes io.vam and a title file sectors.ttl, once per process.
void makeModel() {
  static const bool made = [] {
    ConsoleCapture quiet;
    VamWriter writer("Three sectors", 2000, 2004);
    std::string reason;
    const int out = writer.addVariable("out", 'v', 3, 1, reason);
    const int fd = writer.addVariable("fd", 'v', 3, 1, reason);
    const int a = writer.addVariable("a", 'm', 3, 3, reason);
    const int b = writer.addVariable("b", 'p', 3, 3, reason);
    const std::vector<float> values = {1.5f, 2.5f, 3.5f, 4.5f, 5.5f};
    bool ok = out >= 0 && fd >= 0 && a >= 0 && b >= 0;
    for (int row = 1; ok && row <= 3; ++row) {
      ok = writer.setCell(out, row, 1, values, reason) && writer.setCell(fd, row, 1, values, reason) &&
           writer.setCell(a, row, 4 - row, values, reason) && writer.setCell(b, row, row, values, reason);
    }
    const std::string titles = "1 \"Farming\"\n2 \"Making\"\n3 \"Services\"\n";
    if (!ok || writer.write("io") != 0 ||
        !writeWholeFile("sectors.ttl", {reinterpret_cast<const uint8_t*>(titles.data()), titles.size()})) {
      __builtin_trap();
    }
    fuzz::Workspace& workspace = fuzz::Workspace::get();
    for (const char* file : {"io.vam", "io.pm1", "sectors.ttl"}) workspace.keep(file);
    return true;
  }();
  static_cast<void>(made);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  makeModel();
  if (!writeWholeFile("matlist.cfg", {data, size})) __builtin_trap();
  {
    fuzz::QuietInput quiet;
    fuzz::OpenFilesCheck openFiles;
    fuzz::runInput([&] {
      const VamFile first("io");
      if (!first.isOpen()) __builtin_trap();
      MatListStruc config;
      if (readListingConfig(std::string("matlist.cfg"), first, config) != 0) return;
      // An accepted configuration fits its arrays and names variables of the file.
      if (config.termCount < 1 || config.termCount > MaxTerms ||
          config.matrixTermCount < 0 || config.matrixTermCount >= config.termCount) {
        __builtin_trap();
      }
      for (int t = 0; t < config.termCount; ++t) {
        const ListingTerm& term = config.terms[static_cast<size_t>(t)];
        if (term.vector < -1 || term.vector >= first.variableCount() || term.matrix < -1 ||
            term.matrix >= first.variableCount()) {
          __builtin_trap();
        }
        if (config.termLabels[static_cast<size_t>(t)].size() > TermLabelLength) __builtin_trap();
      }
      for (const std::string& name : config.titleFileNames) {
        if (name.size() > TitleFileNameLength) __builtin_trap();
        if (fuzz::namesSystemFiles(name)) return;
      }
      openTitleFiles(config);
    });
  }
  workspace.sweep();
  return 0;
}

// The whole program on any response file: the dialogue (count, bank kinds and names,
// show mode, stub, output file), the bank paths, and the run it leads to.
//
// Input: the response file. The workspace holds the fixture banks (wbank, wbank2, cbank,
// hbank, dbank with dirfor.dat, vbank) and two stubs, t.stb (every renderer attached,
// then a table of each kind of line) and e.stb (empty); the output file the responses name is written there and
// swept away after the input. Keys (a "(y/n)" question) are used up: every one reads as
// Escape. No file may be left open when the run has ended, whichever way it ended.
#include <cstdint>
#include <string>
#include <string_view>

#include "banks/binary_io.h"
#include "driver/run_driver.h"
#include "fuzz_support.h"

namespace {

using namespace tabrix;

// The stub attaches every renderer first, so every page also reaches them.
constexpr std::string_view kStub =
    "\\html\n"
    "\\markdown\n"
    "\\latex\n"
    "\\pdf\n"
    "\\svg\n"
    "\\title Fuzz table\n"
    "\\dates 1991 1995 2000 90-95\n"
    "&\n"
    "gdp;Gross product\n"
    "cons / gdp * 100;Share\n"
    ";A text line\n"
    "*3 1\n"
    "rate;Rate\n";

void writeFixtureStubs() {
  static const bool written = [] {
    fuzz::Workspace& workspace = fuzz::Workspace::get();
    auto write = [&](const char* name, std::string_view text) {
      if (!writeWholeFile(name, {reinterpret_cast<const uint8_t*>(text.data()), text.size()})) {
        __builtin_trap();
      }
      workspace.keep(name);
    };
    write("t.stb", kStub);
    write("e.stb", "");
    return true;
  }();
  static_cast<void>(written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view responses = fuzz::asText(data, size);
  if (fuzz::namesSystemFiles(responses)) return -1;
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  fuzz::fixtureBanks();
  fuzz::fixtureTexts();
  writeFixtureStubs();
  if (!writeWholeFile("responses", {data, size})) __builtin_trap();
  {
    fuzz::OpenFilesCheck closed;
    fuzz::QuietInput quiet;
    char program[] = "tabrix";
    char file[] = "responses";
    char* argv[] = {program, file, nullptr};
    runMain(2, argv);
  }
  workspace.sweep();
  return 0;
}

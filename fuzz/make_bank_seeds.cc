// Writes the seed inputs of the bank targets (fuzz/corpus/{workspace,comp,hash}_bank/)
// from banks made by the project's writers: the fixture banks, a bank of one series and
// an empty bank of each kind, each packed as bank_target.h describes.
//   fuzz_make_bank_seeds FOLDER     writes FOLDER/<target>/<name>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "banks/comp_bank_writer.h"
#include "banks/hash_bank_writer.h"
#include "banks/workspace_bank.h"
#include "fuzz_support.h"

namespace fs = std::filesystem;
using namespace tabrix;

namespace {

// One bank's two files as one input: the data file's length, the data file, the index.
bool pack(const std::string& root, const char* dataExtension, const char* indexExtension,
          const fs::path& out) {
  std::vector<uint8_t> data;
  std::vector<uint8_t> index;
  if (!readWholeFile(root + dataExtension, data) || !readWholeFile(root + indexExtension, index) ||
      data.size() > 0xffff) {
    std::fprintf(stderr, "cannot pack %s\n", root.c_str());
    return false;
  }
  std::vector<uint8_t> input;
  appendU16(input, static_cast<uint16_t>(data.size()));
  input.insert(input.end(), data.begin(), data.end());
  input.insert(input.end(), index.begin(), index.end());
  fs::create_directories(out.parent_path());
  return writeWholeFile(out.string(), input);
}

void makeSmallBanks() {
  ConsoleCapture quiet;
  std::array<float, MaxObs> values{};
  for (int i = 0; i < 12; ++i) values[static_cast<size_t>(i)] = 1.5f * static_cast<float>(i);
  {
    VexBank one("one", "New", 2000, 12, 1);
    one.setTitle("One series");
    one.setFrequency(4);
    one.writeSeries("gdp", values, 'y', 12);
  }
  { VexBank empty("empty", "New", 1990, 0, 1); }
  std::vector<float> some(values.begin(), values.begin() + 12);
  CompBankWriter comp("One series");
  comp.addSeries("gdp", VexDate(2000, 1, 4), some);
  comp.write("one");
  CompBankWriter().write("empty");
  HashBankWriter hash("One series", 2);
  hash.addSeries("gdp", VexDate(2000, 1, 12), some);
  hash.write("one");
  HashBankWriter().write("empty");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_bank_seeds FOLDER\n");
    return 2;
  }
  const fs::path out = fs::absolute(argv[1]);
  fs::create_directories(out);
  fuzz::prepare({out.string()}, false);
  fuzz::fixtureBanks();
  makeSmallBanks();
  struct Kind {
    const char* target;
    const char* dataExtension;
    const char* indexExtension;
    const char* fixture;
  };
  const Kind kinds[] = {{"workspace_bank", ".bnk", ".ind", "wbank"},
                        {"comp_bank", ".cbk", ".cin", "cbank"},
                        {"hash_bank", ".hbk", ".hin", "hbank"}};
  bool ok = true;
  for (const Kind& kind : kinds) {
    for (const char* root : {kind.fixture, "one", "empty"}) {
      ok = pack(root, kind.dataExtension, kind.indexExtension,
                out / kind.target / (std::string(root == kind.fixture ? "fixture" : root))) && ok;
    }
  }
  return ok ? 0 : 1;
}

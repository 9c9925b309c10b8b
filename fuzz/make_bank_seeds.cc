// Writes the seed inputs of the bank targets (fuzz/corpus/{workspace,comp,hash}_bank/)
// from banks made by the project's writers: the fixture banks, a bank of one series and
// an empty bank of each kind, each packed as bank_target.h describes; and those of the
// dirfor, VAM, packed-matrix and groups.bin targets, from their writers, packed as
// file_parts.h describes.
//   fuzz_make_bank_seeds FOLDER     writes FOLDER/<target>/<name>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "banks/comp_bank_writer.h"
#include "banks/dirfor_writer.h"
#include "banks/hash_bank_writer.h"
#include "banks/vam_writer.h"
#include "banks/workspace_bank.h"
#include "file_parts.h"
#include "fuzz_support.h"
#include "groups/groups_file.h"

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

// False when a writer failed.
bool makeSmallBanks() {
  ConsoleCapture quiet;
  std::array<float, MaxObs> values{};
  for (int i = 0; i < 12; ++i) values[static_cast<size_t>(i)] = 1.5f * static_cast<float>(i);
  bool ok = true;
  {
    VexBank one("one", "New", 2000, 12, 1);
    one.setTitle("One series");
    one.setFrequency(4);
    ok = one.writeSeries("gdp", values, 'y', 12) >= 0 && ok;
  }
  { VexBank empty("empty", "New", 1990, 0, 1); }
  std::vector<float> some(values.begin(), values.begin() + 12);
  CompBankWriter comp("One series");
  ok = comp.addSeries("gdp", VexDate(2000, 1, 4), some) == 0 && ok;
  ok = comp.write("one") == 0 && ok;
  ok = CompBankWriter().write("empty") == 0 && ok;
  HashBankWriter hash("One series", 2);
  ok = hash.addSeries("gdp", VexDate(2000, 1, 12), some) == 0 && ok;
  ok = hash.write("one") == 0 && ok;
  ok = HashBankWriter().write("empty") == 0 && ok;
  return ok;
}

std::vector<uint8_t> fileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!readWholeFile(path, bytes)) bytes.clear();
  return bytes;
}

bool writeSeed(const fs::path& out, const std::vector<uint8_t>& bytes) {
  fs::create_directories(out.parent_path());
  return writeWholeFile(out.string(), bytes);
}

// Dirfor banks as the dirfor target reads them: fz.dat, fz.mac, fz.dfr, fz.dhs.
bool makeDirforSeeds(const fs::path& out) {
  ConsoleCapture quiet;
  std::string reason;
  bool ok = true;
  auto pack = [&](const char* name) {
    ok = writeSeed(out / "dirfor" / name, fuzz::joinFiles({fileBytes("fz.dat"), fileBytes("fz.mac"),
                                                           fileBytes("fz.dfr"), fileBytes("fz.dhs")})) && ok;
    for (const char* file : {"fz.dat", "fz.mac", "fz.dfr", "fz.dhs"}) fs::remove(file);
  };
  {
    // History from 2000, forecast 2003 to 2006: two stems of 3 sectors, one of 2, macros.
    DirforWriter writer("Forecast of March", 2000, 2003, 4);
    const std::vector<float> values = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f};
    for (int sector = 1; sector <= 3; ++sector) {
      ok = writer.addSector("out", sector, values, reason) && ok;
      ok = writer.addSector("emp", sector, values, reason) && ok;
    }
    ok = writer.addSector("inv", 2, values, reason) && ok;
    ok = writer.addMacro("gdp", values, reason) && ok;
    ok = writer.addMacro("cpi", values, reason) && ok;
    ok = writer.write("fz", "fz.dat") == 0 && ok;
    pack("history");
  }
  {
    DirforWriter writer("No history", 2010, 2010, 3);
    const std::vector<float> values = {0.5f, 1.5f, 2.5f};
    ok = writer.addSector("x", 1, values, reason) && ok;
    ok = writer.addMacro("m", values, reason) && ok;
    ok = writer.write("fz", "fz.dat") == 0 && ok;
    pack("forecast_only");
  }
  return ok;
}

// VAM files as the vam target reads them (a choice byte, fz.vam, fz.pm1, fz.pm2), and
// the packed-matrix files of the packed_matrix target.
bool makeVamSeeds(const fs::path& out) {
  ConsoleCapture quiet;
  std::string reason;
  bool ok = true;
  VamWriter writer("Base run", 2000, 2003);
  const int out3 = writer.addVariable("out", 'v', 3, 1, reason);
  const int a = writer.addVariable("a", 'm', 3, 2, reason);
  const int b = writer.addVariable("b", 'p', 4, 4, reason);
  const int c = writer.addVariable("c", 'p', 2, 5, reason);
  const std::vector<float> values = {1.5f, 2.5f, 3.5f, 4.5f};
  ok = out3 >= 0 && a >= 0 && b >= 0 && c >= 0 && ok;
  ok = writer.setCell(out3, 2, 1, values, reason) && writer.setCell(a, 3, 2, values, reason) &&
       writer.setCell(b, 1, 4, values, reason) && writer.setCell(b, 3, 3, values, reason) &&
       writer.setCell(c, 2, 5, values, reason) && ok;
  ok = writer.write("fz") == 0 && ok;
  for (uint8_t choice : {0, 1}) {
    std::vector<uint8_t> input = {choice};
    const std::vector<uint8_t> files =
        fuzz::joinFiles({fileBytes("fz.vam"), fileBytes("fz.pm1"), fileBytes("fz.pm2")});
    input.insert(input.end(), files.begin(), files.end());
    ok = writeSeed(out / "vam" / (choice ? "with_companion" : "packed"), input) && ok;
  }
  ok = writeSeed(out / "packed_matrix" / "two_cells", fileBytes("fz.pm1")) && ok;
  ok = writeSeed(out / "packed_matrix" / "one_cell", fileBytes("fz.pm2")) && ok;
  VamWriter vectors("", 1995, 1995);
  ok = vectors.addVariable("v", 'v', 2, 1, reason) >= 0 && vectors.write("fz") == 0 && ok;
  std::vector<uint8_t> input = {0};
  const std::vector<uint8_t> files = fuzz::joinFiles({fileBytes("fz.vam"), {}, {}});
  input.insert(input.end(), files.begin(), files.end());
  ok = writeSeed(out / "vam" / "one_year", input) && ok;
  return ok;
}

// groups.bin files as the groups target reads them, with definitions after them.
bool makeGroupsSeeds(const fs::path& out) {
  auto encode = [](GroupsImage image) {
    image.groupCount = static_cast<int16_t>(image.definitions.size());
    computeRecordOffsets(image);
    std::vector<uint8_t> bytes = encodeGroupsHeader(image);
    for (const GroupDefn& group : image.definitions) {
      const std::vector<uint8_t> record = encodeGroupRecord(group);
      bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
  };
  auto text = [](std::string_view s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  GroupsImage image;
  GroupDefn east;
  east.groupName = "east";
  east.setMembers({1, 2, 3, 7});
  GroupDefn all;
  all.groupName = "all";
  all.setMembers({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  GroupDefn none;
  none.groupName = "none";
  image.definitions = {east, all, none};
  bool ok = writeSeed(out / "groups" / "three_groups",
                      fuzz::joinFiles({encode(image), text("west\n4-6, 8\nrest\n1-12 (:east)\n")}));
  ok = writeSeed(out / "groups" / "empty_file", fuzz::joinFiles({encode(GroupsImage{}), text("g\n3 1\n")})) && ok;
  ok = writeSeed(out / "groups" / "no_file", fuzz::joinFiles({{}, text("a\n10-20,\n30 (15)\nb\n:a 5\n")})) && ok;
  return ok;
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
  bool ok = makeSmallBanks();
  struct Kind {
    const char* target;
    const char* dataExtension;
    const char* indexExtension;
    const char* fixture;
  };
  const Kind kinds[] = {{"workspace_bank", ".bnk", ".ind", "wbank"},
                        {"comp_bank", ".cbk", ".cin", "cbank"},
                        {"hash_bank", ".hbk", ".hin", "hbank"}};
  for (const Kind& kind : kinds) {
    for (const char* root : {kind.fixture, "one", "empty"}) {
      ok = pack(root, kind.dataExtension, kind.indexExtension,
                out / kind.target / (std::string(root == kind.fixture ? "fixture" : root))) && ok;
    }
  }
  ok = makeDirforSeeds(out) && ok;
  ok = makeVamSeeds(out) && ok;
  ok = makeGroupsSeeds(out) && ok;
  return ok ? 0 : 1;
}

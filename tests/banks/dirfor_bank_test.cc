#include "banks/dirfor_bank.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bank_test_support.h"
#include "banks/bank_factory.h"
#include "banks/dirfor_writer.h"
#include "open_modes.h"
#include "platform/console.h"
#include "process_exit.h"
#include "record_bank_fixtures.h"
#include "support/constants.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;
using testing::Series;
using testing::TempDir;

// Values base, base + 1, ... (exact in single precision).
std::vector<float> rising(float base, int count) {
  std::vector<float> values;
  for (int i = 0; i < count; ++i) values.push_back(base + static_cast<float>(i));
  return values;
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Patches one float of a file at a byte offset.
void patchFloat(const std::string& path, int64_t offset, float value) {
  std::vector<uint8_t> bytes = testing::fileBytes(path);
  ASSERT_LE(offset + 4, static_cast<int64_t>(bytes.size()));
  encodeF32(bytes.data() + offset, value);
  testing::writeBytes(path, bytes);
}

// A bank with the first forecast year 2005, 20 forecast years and history from 1995
// (H = 11): the macros gdp (1000 + i in year 1995 + i) and cpi (50 + i), the stem out
// with 8 sectors (100 s + i) and the stem emp with 3 (10 s + i).
//
// Record numbers, from the layout the writer chooses: block 1 holds out (8 sectors,
// one stem), block 2 emp (3 sectors), block 6 the macros; s(1) = 1, s(2) = 9,
// s(3) .. s(6) = 12. So out7 is record 8, gdp record 13 and cpi record 14. Records
// hold R = 25 floats (the header needs 100 bytes) and history records H = 11.
struct DirforBank {
  TempDir dir{"tabrix-dirfor"};
  std::string root = dir.file("run");
  std::string description = dir.file("dirfor.dat");
  static constexpr int R = 25;
  static constexpr int H = 11;
  static constexpr int kOut7 = 8;
  static constexpr int kGdp = 13;
  static constexpr int kCpi = 14;

  explicit DirforBank(int firstYear = 1995) {
    DirforWriter writer("Test run", firstYear, 2005, 20);
    const int count = writer.observations();
    std::string reason;
    EXPECT_TRUE(writer.addMacro("gdp", rising(1000, count), reason)) << reason;
    EXPECT_TRUE(writer.addMacro("cpi", rising(50, count), reason)) << reason;
    for (int s = 1; s <= 8; ++s) EXPECT_TRUE(writer.addSector("out", s, rising(100.0f * s, count), reason));
    for (int s = 1; s <= 3; ++s) EXPECT_TRUE(writer.addSector("emp", s, rising(10.0f * s, count), reason));
    ConsoleCapture quiet;
    EXPECT_EQ(writer.write(root, description), 0) << quiet.text();
  }
  std::string dataFile() const { return root + ".dfr"; }
  std::string historyFile() const { return root + ".dhs"; }
  int64_t dataOffset(int record, int slot) const { return (int64_t{record} * R + slot) * 4; }
  int64_t historyOffset(int record, int slot) const { return (int64_t{record} * H + slot) * 4; }
};

TEST(DirforBankTest, OpensWithHistorySplicedInFront) {
  DirforBank made;
  ConsoleCapture capture;
  Dirfor bank(made.root, made.description);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  EXPECT_EQ(capture.take(), "");
  EXPECT_EQ(bank.kind(), 'd');
  EXPECT_EQ(bank.kindName(), "Dirfor");
  EXPECT_EQ(bank.title(), "Test run");
  EXPECT_EQ(bank.dataFileName(), made.root + ".dfr");
  // First forecast year 2005, F = 20, H = 11: base year 1995, 30 observations.
  EXPECT_EQ(bank.startYear(), 2005);
  EXPECT_EQ(bank.baseYear(), 1995);
  EXPECT_EQ(bank.historyStart(), 1995);
  EXPECT_EQ(bank.observations(), 30);
  EXPECT_EQ(bank.forecastLength(), 20);
  EXPECT_EQ(bank.recordLength(), 25);
  EXPECT_EQ(bank.historyLength(), 11);
  EXPECT_TRUE(bank.hasHistory());
  EXPECT_TRUE(bank.loaded());
  EXPECT_EQ(bank.blockCount(), 6);
  EXPECT_EQ(bank.macroCount(), 2);
  EXPECT_EQ(bank.macroFormat(), 0);
  EXPECT_EQ(bank.blockStart(2), 9);
  EXPECT_EQ(bank.blockStart(6), 12);
  EXPECT_EQ(bank.seriesCount(), 8 + 3 + 2);
  EXPECT_EQ(bank.frequency(), 1);
  EXPECT_EQ(bank.startPeriod(), 1);

  // The forecast starts in slot 10; the history before it meets it unscaled.
  Series values{};
  ASSERT_EQ(bank.readSeries("out7", values, -1), 0);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(values[static_cast<size_t>(i)], 700.0f + i) << i;
  ASSERT_EQ(bank.readSeries("gdp", values, -1), 0);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(values[static_cast<size_t>(i)], 1000.0f + i) << i;

  bank.printInfo(2);
  EXPECT_EQ(capture.take(),
            "\r\nIndex file read.\r\n\r\nTitle of assigned bank:\r\nTest run\r\nBase year 2005."
            "\r\nMax observations per series 30.  Contains 13 series.\r\nThis bank assigned as bank: c.\r\n");
}

TEST(DirforBankTest, NamesAreMacrosOrStemsWithSectorNumbers) {
  DirforBank made;
  ConsoleCapture capture;
  Dirfor bank(made.root, made.description);
  ASSERT_TRUE(bank.isOpen());
  const std::string unreadable = "\r\nSeries out9 in " + made.root +
                                 ".dfr cannot be read: sector 9 lies beyond the 8 sectors of out.\r\n";
  struct Case {
    const char* name;
    int16_t status;
    float first;  // slot 0 when found
    std::string printed;
  } cases[] = {
      {"out07", 0, 700, ""},  // the trailing digits are the sector: 7
      {"out", 0, 100, ""},    // no digits: sector 1
      {"emp3", 0, 30, ""},
      {"gdp", 0, 1000, ""},
      {"cpi", 0, 50, ""},
      {"GDP", -2, 0, ""},     // stored names are lower case
      {"OUT1", -2, 0, ""},
      {"nope2", -2, 0, ""},
      {"out0", -1, 0, ""},    // a sector number below 1
      {"out9", -1, 0, unreadable},
  };
  for (const Case& c : cases) {
    Series values{};
    values.fill(-5);
    EXPECT_EQ(bank.readSeries(c.name, values, -1), c.status) << c.name;
    if (c.status == 0) {
      EXPECT_EQ(values[0], c.first) << c.name;
    }
    if (c.status == -2) {
      EXPECT_EQ(values[10], 0.0f) << c.name;  // the first H slots cleared
    }
    EXPECT_EQ(capture.take(), c.printed) << c.name;
  }
}

// The history is scaled by (first forecast value) / (last history value): both are the
// first forecast year, so the spliced history meets the forecast.
TEST(DirforBankTest, HistoryIsScaledToMeetTheForecast) {
  DirforBank made;
  for (int j = 0; j < DirforBank::H; ++j) patchFloat(made.historyFile(), made.historyOffset(DirforBank::kGdp, j), 10.0f + j);
  // out7: a last history value of 0 gives no scale, so the history reads as 0.
  patchFloat(made.historyFile(), made.historyOffset(DirforBank::kOut7, DirforBank::H - 1), 0.0f);
  // cpi: a first forecast value of 0 zeroes every spliced history value.
  patchFloat(made.dataFile(), made.dataOffset(DirforBank::kCpi, 0), 0.0f);
  ConsoleCapture capture;
  Dirfor bank(made.root, made.description);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  Series values{};
  ASSERT_EQ(bank.readSeries("gdp", values, -1), 0);
  const float ratio = 1010.0f / 20.0f;  // gdp in 2005, over the patched history's last value
  for (int j = 0; j < 10; ++j) EXPECT_EQ(values[static_cast<size_t>(j)], (10.0f + j) * ratio) << j;
  EXPECT_EQ(values[10], 1010.0f);
  EXPECT_EQ(values[29], 1029.0f);

  ASSERT_EQ(bank.readSeries("out7", values, -1), 0);
  for (int j = 0; j < 10; ++j) EXPECT_EQ(values[static_cast<size_t>(j)], 0.0f) << j;
  EXPECT_EQ(values[10], 710.0f);

  ASSERT_EQ(bank.readSeries("cpi", values, -1), 0);
  for (int j = 0; j <= 10; ++j) EXPECT_EQ(values[static_cast<size_t>(j)], 0.0f) << j;
  EXPECT_EQ(values[11], 61.0f);
}

TEST(DirforBankTest, ValuesOutsideTheKeptMagnitudesReadAsZero) {
  DirforBank made;
  // Sector forecast values beyond 1e10 or below 1e-8 in magnitude become 0.
  patchFloat(made.dataFile(), made.dataOffset(DirforBank::kOut7, 1), 2e10f);
  patchFloat(made.dataFile(), made.dataOffset(DirforBank::kOut7, 2), -5e-9f);
  // A history value beyond 1e13 becomes 0.
  patchFloat(made.historyFile(), made.historyOffset(DirforBank::kOut7, 0), 2e13f);
  // Macro forecast values are kept as they are.
  patchFloat(made.dataFile(), made.dataOffset(DirforBank::kGdp, 1), 2e10f);
  // A macro history value with the undefined marker (bytes 55 44 FF FF) becomes 0.
  patchFloat(made.historyFile(), made.historyOffset(DirforBank::kCpi, 3), std::bit_cast<float>(0xFFFF4455u));
  patchFloat(made.historyFile(), made.historyOffset(DirforBank::kCpi, 4), std::bit_cast<float>(0x7FFF4455u));
  ConsoleCapture capture;
  Dirfor bank(made.root, made.description);
  ASSERT_TRUE(bank.isOpen());
  Series values{};
  ASSERT_EQ(bank.readSeries("out7", values, -1), 0);
  EXPECT_EQ(values[0], 0.0f);
  EXPECT_EQ(values[1], 701.0f);
  EXPECT_EQ(values[11], 0.0f);
  EXPECT_EQ(values[12], 0.0f);
  EXPECT_EQ(values[13], 713.0f);
  ASSERT_EQ(bank.readSeries("gdp", values, -1), 0);
  EXPECT_EQ(values[11], 2e10f);
  ASSERT_EQ(bank.readSeries("cpi", values, -1), 0);
  EXPECT_EQ(values[2], 52.0f);
  EXPECT_EQ(values[3], 0.0f);
  EXPECT_EQ(values[4], 0.0f);
  EXPECT_EQ(values[5], 55.0f);
}

TEST(DirforBankTest, BankWithoutHistoryYears) {
  DirforBank made(2005);  // the first year is the first forecast year
  EXPECT_FALSE(fs::exists(made.historyFile()));
  ConsoleCapture capture;
  Dirfor bank(made.root, made.description);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  EXPECT_EQ(capture.text(), "");
  EXPECT_FALSE(bank.hasHistory());
  EXPECT_EQ(bank.baseYear(), 2005);
  EXPECT_EQ(bank.observations(), 20);
  Series values{};
  ASSERT_EQ(bank.readSeries("emp2", values, -1), 0);
  EXPECT_EQ(values[0], 20.0f);
  EXPECT_EQ(values[19], 39.0f);
}

TEST(DirforBankTest, MissingFiles) {
  DirforBank made;
  {
    // A missing history file: the bank opens without history.
    fs::rename(made.historyFile(), made.dir.file("away.dhs"));
    ConsoleCapture capture;
    Dirfor bank(made.root, made.description);
    EXPECT_TRUE(bank.isOpen());
    EXPECT_EQ(capture.text(), "\r\nCannot open run.dhs.\r\n");
    EXPECT_EQ(bank.baseYear(), 2005);
    EXPECT_EQ(bank.observations(), 20);
    fs::rename(made.dir.file("away.dhs"), made.historyFile());
  }
  {
    ConsoleCapture capture;
    Dirfor bank(made.root, made.dir.file("none.dat"));
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(capture.text(), "\r\nCannot open " + made.dir.file("none.dat") + ".\r\n");
  }
  {
    ConsoleCapture capture;
    Dirfor bank(made.dir.file("other"), made.description);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(bank.kind(), 'd');
    EXPECT_EQ(capture.text(), "\r\nCannot open " + made.dir.file("other") + ".dfr.\r\n");
  }
  {
    // The data file may be named whole.
    ConsoleCapture capture;
    Dirfor bank(made.root + ".dfr", made.description);
    EXPECT_TRUE(bank.isOpen()) << capture.text();
  }
  // A missing macro-names file ends the process with status 1.
  fs::remove(made.root + ".mac");
  ConsoleCapture capture;
  EXPECT_EQ(testing::exitStatusOf([&] { Dirfor bank(made.root, made.description); }), 1);
  EXPECT_EQ(capture.text(), "\r\nCannot open run.mac.\r\n");
}

// The files are opened for reading only, so a bank in a read-only place can be tabled;
// and a '.' in a directory name does not keep the extension off.
TEST(DirforBankTest, OpensReadOnlyAndUnderDottedDirectories) {
  DirforBank made;
  fs::create_directory(made.dir.file("run.d"));
  for (const char* ext : {".dfr", ".dhs", ".mac"}) {
    fs::rename(made.root + ext, made.dir.file("run.d/run") + ext);
  }
  std::string text = testing::readFile(made.description);
  for (const char* name : {"run.dhs", "run.mac"}) {
    text.replace(text.find(name), std::string(name).size(), "run.d/" + std::string(name));
  }
  writeText(made.description, text);
  ConsoleCapture capture;
  Dirfor bank(made.dir.file("run.d/run"), made.description);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  for (const char* ext : {".dfr", ".dhs"}) {
    const std::vector<int> modes = testing::accessModesOf(made.dir.file("run.d/run") + ext);
    ASSERT_EQ(modes.size(), 1u) << ext;
    EXPECT_EQ(modes[0], O_RDONLY) << ext;
  }
}

// The history and macro-names files a description names are found beside it when the
// current directory does not hold them.
TEST(DirforBankTest, NamesInTheDescriptionAreFoundBesideIt) {
  DirforBank made;
  const fs::path saved = fs::current_path();
  fs::current_path(fs::temp_directory_path());
  {
    ConsoleCapture capture;
    Dirfor bank(made.root, made.description);
    EXPECT_TRUE(bank.isOpen()) << capture.text();
    EXPECT_TRUE(bank.hasHistory());
  }
  fs::current_path(saved);
}

TEST(DirforBankTest, ListsSectorVariablesThenMacros) {
  DirforBank made;
  ConsoleCapture capture;
  Dirfor bank(made.root, made.description);
  ASSERT_TRUE(bank.isOpen());
  auto padded = [](const std::string& name) { return name + std::string(15 - name.size(), ' '); };
  std::string expected;
  for (int s = 1; s <= 8; ++s) expected += padded("out" + std::to_string(s)) + "\n";
  for (int s = 1; s <= 3; ++s) expected += padded("emp" + std::to_string(s)) + "\n";
  expected += padded("gdp") + padded("cpi");
  int16_t status = 0;
  EXPECT_EQ(testing::listedNames(bank, "", 0, status), expected);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(testing::listedNames(bank, "*1", 0, status), padded("out1") + "\n" + padded("emp1"));
  EXPECT_EQ(testing::listedNames(bank, "^p^", 1, status), padded("cpi"));
  std::vector<std::string> names;
  bank.forEachName([&names](std::string_view name, bool) {
    names.emplace_back(name);
    return names.size() < 3;
  });
  EXPECT_EQ(names, (std::vector<std::string>{"out1", "out2", "out3"}));
}

// Damaged description files: each is refused with a message naming the file and its
// line, and the bank is not open.
TEST(DirforBankTest, DamagedDescriptionsAreRefused) {
  DirforBank made;
  const std::string good = testing::readFile(made.description);
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
  };
  const std::string file = made.dir.file("bad.dat");
  auto damaged = [&file](const std::string& what) { return "\r\n" + file + " is damaged: " + what + ".\r\n"; };
  // Lines as the writer lays them out: a label, then numbers at their columns.
  auto stem = [](int k, const std::string& name) { return "Stem  " + std::to_string(k) + std::string(24, ' ') + name; };
  const std::string sectors = "Sectors" + std::string(12, ' ');
  const std::string names = "Names" + std::string(14, ' ');
  struct Case {
    std::string text;
    std::string printed;
  } cases[] = {
      {replaced("0\n", "x\n"), damaged("line 1: the file does not start with a count of lines")},
      {replaced("Record length     25", "Record length      0"),
       damaged("line 3: no record length from 1 to 999 at column 17")},
      {replaced("History length    11", "History length     x"),
       damaged("line 5: no history length from 0 to 999 at column 17")},
      {replaced("\n6\nSectors", "\n13\nSectors"), damaged("line 7: the number of blocks must lie from 1 to 12")},
      {replaced(sectors + "8", sectors + "x"),
       damaged("line 8: no number of sectors for block 1 at column 16")},
      {replaced(names + "1", names.substr(0, names.size() - 2) + "176"),
       damaged("line 9: block 1 has 176 stems, more than 175")},
      {replaced(stem(1, "emp"), stem(2, "emp")), "Problem in DIRFOR.DAT file! Line is:\n" + stem(2, "emp") + "\n"},
      {replaced(stem(1, "out"), stem(1, "abcdefghijklmnopqrstu")),
       damaged("line 11: the stem abcdefghijklmnopqrstu is longer than 20 characters")},
      {replaced(stem(1, "out"), "Stem  1"), damaged("line 11: no variable stem at column 31")},
      {replaced("Floats in one record of the data file", std::string(239, 'x')),
       damaged("line 4: it is longer than 238 characters")},
      {replaced("Block  2", "Block  1"), damaged("line 14: block 1 is described twice")},
      {replaced("Block  2", "Block  9"), damaged("line 14: no block number from 1 to 6 at column 7")},
      {good.substr(0, good.find("History length")), damaged("the file ends before the history length")},
      {good.substr(0, good.find("Block  6")), damaged("it names no macro-names file (block 6)")},
      {"", damaged("the file ends before its first line")},
  };
  for (const Case& c : cases) {
    writeText(file, c.text);
    ConsoleCapture capture;
    Dirfor bank(made.root, file);
    EXPECT_FALSE(bank.isOpen()) << c.printed;
    EXPECT_EQ(capture.text(), c.printed);
  }
}

TEST(DirforBankTest, DescriptionVariantsThatOpen) {
  DirforBank made;
  const std::string good = testing::readFile(made.description);
  std::string crlf;
  for (char c : good) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::string cases[] = {
      crlf,
      replaced("0\n", "1\nfirst comment\nsecond comment\n"),  // K = 1: 2K + 1 lines skipped
      replaced("run.dhs\n", "run.dhs, history of the run\n"),  // cut at the first ','
      replaced("run.dhs\n", "run\n"),                          // ".dhs" appended
      replaced("Floats in one record of the data file", std::string(238, 'x')),
      good.substr(0, good.rfind("End of block 6")),           // the end of the file ends it early
  };
  const std::string file = made.dir.file("variant.dat");
  for (const std::string& text : cases) {
    writeText(file, text);
    ConsoleCapture capture;
    Dirfor bank(made.root, file);
    EXPECT_TRUE(bank.isOpen()) << capture.text() << text;
    EXPECT_TRUE(bank.hasHistory());
    Series values{};
    EXPECT_EQ(bank.readSeries("emp3", values, -1), 0);
    EXPECT_EQ(values[29], 59.0f);
  }
}

TEST(DirforBankTest, MacroNamesInEitherForm) {
  auto bytesOf = [](std::initializer_list<std::pair<size_t, std::vector<uint8_t>>> parts, size_t size) {
    std::vector<uint8_t> bytes(size, ' ');
    for (const auto& [at, part] : parts) std::copy(part.begin(), part.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
  };
  auto i16 = [](int v) { return std::vector<uint8_t>{static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF)}; };
  auto text = [](const char* t) { return std::vector<uint8_t>(t, t + std::strlen(t)); };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int16_t status;
    int16_t format;
    std::vector<std::string> names;
    std::string printed;
  } cases[] = {
      {"count at 0", bytesOf({{0, i16(2)}, {4, text("GDP")}, {12, text("ab cd")}}, 20), 0, 0, {"gdp", "ab"}, ""},
      {"count 1000 at 0, then at 5", bytesOf({{0, i16(1000)}, {5, i16(2)}, {9, text("pop")}, {17, text("r10y")}}, 25),
       0, 1, {"pop", "r10y"}, ""},
      {"negative count at 0", bytesOf({{0, i16(-1)}, {5, i16(1)}, {9, {'x', 'y', 0, 0, 0, 0, 0, 0}}}, 17), 0, 1, {"xy"}, ""},
      {"both counts out of range", bytesOf({{0, i16(1000)}, {5, i16(751)}}, 40), -1, 0, {},
       "Cannot read macronames on f.mac.\n"},
      {"names past the end", bytesOf({{0, i16(3)}}, 12), -1, 0, {}, "Error reading f.mac.\n"},
      {"one byte", {1}, -1, 0, {}, "Error reading f.mac.\n"},
      {"no second count", bytesOf({{0, i16(2000)}}, 6), -1, 0, {}, "Error reading f.mac.\n"},
      {"no names", bytesOf({{0, i16(0)}}, 2), 0, 0, {}, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names;
    int16_t format = -1;
    ConsoleCapture capture;
    EXPECT_EQ(parseMacroNames(c.bytes, "f.mac", names, format), c.status) << c.what;
    if (c.status == 0) {
      EXPECT_EQ(names, c.names) << c.what;
      EXPECT_EQ(format, c.format) << c.what;
    }
    EXPECT_EQ(capture.text(), c.printed) << c.what;
  }
}

// The hand-made banks of tests/data/banks (dirfor_*, written by
// dirfor_vam_make_fixtures.py), whose descriptions name their files without a directory.
TEST(DirforBankTest, HandMadeBanks) {
  using testing::fixture;
  {
    // The macro names with a count of 1000 at offset 0 are read from offset 9; gdp's
    // history (40, 45, 50) is scaled by 100 / 50 to meet its forecast.
    ConsoleCapture capture;
    Dirfor bank(fixture("dirfor_good"), fixture("dirfor_good") + ".dat");
    ASSERT_TRUE(bank.isOpen()) << capture.text();
    EXPECT_EQ(bank.macroFormat(), 1);
    EXPECT_EQ(bank.startYear(), 2000);  // stored as 100
    EXPECT_EQ(bank.baseYear(), 1998);
    EXPECT_EQ(bank.title(), "Fixture");
    const struct {
      const char* name;
      std::vector<float> values;
    } cases[] = {
        {"gdp", {80, 90, 100, 110, 120, 130}},
        {"cpi", {3, 4, 5, 6, 7, 8}},
        {"out1", {8, 9, 10, 11, 12, 13}},
        {"out2", {18, 19, 20, 21, 22, 23}},
    };
    for (const auto& c : cases) {
      Series values{};
      ASSERT_EQ(bank.readSeries(c.name, values, -1), 0) << c.name;
      EXPECT_EQ(std::vector<float>(values.begin(), values.begin() + 6), c.values) << c.name;
    }
  }
  struct Case {
    const char* root;
    std::string printed;
  } refused[] = {
      {"dirfor_bad_count", "Cannot read macronames on dirfor_bad_count.mac.\n"},
      {"dirfor_short_macros", "Error reading dirfor_short_macros.mac.\n"},
      {"dirfor_short_header", "Error reading Dirfor.\n"},
      {"dirfor_wild_forecast", "\r\n" + fixture("dirfor_wild_forecast") +
                                   ".dfr is damaged: the header gives 2000 forecast values for records of 25.\r\n"},
  };
  for (const Case& c : refused) {
    ConsoleCapture capture;
    Dirfor bank(fixture(c.root), fixture(c.root) + ".dat");
    EXPECT_FALSE(bank.isOpen()) << c.root;
    EXPECT_EQ(capture.text(), c.printed) << c.root;
  }
  // Records beyond the end of the data or history file: the series is refused.
  const struct {
    const char* root;
    const char* name;
    std::string file;
    int record;
  } cut[] = {
      {"dirfor_cut_data", "out2", fixture("dirfor_cut_data") + ".dfr", 3},
      {"dirfor_cut_data", "gdp", fixture("dirfor_cut_data") + ".dfr", 4},
      {"dirfor_cut_history", "out2", "dirfor_cut_history.dhs", 3},
  };
  for (const auto& c : cut) {
    ConsoleCapture capture;
    Dirfor bank(fixture(c.root), fixture(c.root) + ".dat");
    ASSERT_TRUE(bank.isOpen()) << capture.text();
    Series values{};
    EXPECT_EQ(bank.readSeries("out1", values, -1), 0);
    EXPECT_EQ(bank.readSeries(c.name, values, -1), -1);
    EXPECT_EQ(capture.text(), "\r\nSeries " + std::string(c.name) + " in " + c.file + " cannot be read: record " +
                                  std::to_string(c.record) + " lies beyond the end of the file.\r\n");
  }
}

TEST(DirforBankTest, FactoryOpensDirforBanks) {
  DirforBank made;
  ConsoleCapture capture;
  std::unique_ptr<DataBank> bank = openBank('d', made.root, made.description);
  ASSERT_NE(bank, nullptr);
  EXPECT_TRUE(bank->isOpen()) << capture.text();
  EXPECT_EQ(bank->kind(), 'd');
  EXPECT_EQ(bank->baseYear(), 1995);
}

}  // namespace
}  // namespace tabrix

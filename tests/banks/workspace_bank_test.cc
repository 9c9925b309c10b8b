#include "banks/workspace_bank.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "bank_test_support.h"
#include "platform/console.h"

namespace tabrix {
namespace {

using testing::fileBytes;
using testing::Series;
using testing::series;
using testing::TempDir;
using testing::writeBytes;

const std::string kCannotOpen = "\r\nCannot open %s\r\nNo bank now assigned\r\n";

std::string withName(std::string format, const std::string& name) {
  return format.replace(format.find("%s"), 2, name);
}

// Writes a created bank with the given (name, frequency, first values) series.
struct StoredSeries {
  std::string name;
  int16_t frequency;
  std::vector<float> values;
};

void makeBank(const std::string& root, uint16_t baseYear, uint16_t observations,
              uint16_t startPeriod, const std::vector<StoredSeries>& stored) {
  VexBank bank(root, "New", baseYear, observations, startPeriod);
  ASSERT_TRUE(bank.isOpen());
  for (const StoredSeries& s : stored) {
    Series values{};
    std::copy(s.values.begin(), s.values.end(), values.begin());
    bank.setFrequency(s.frequency);
    ASSERT_GE(bank.writeSeries(s.name, values, 'n', -1), 0) << s.name;
  }
}

TEST(VexBankTest, CreatedBankWritesExactFilesAndReopens) {
  TempDir dir;
  std::string root = dir.file("bank");
  {
    ConsoleCapture capture;
    makeBank(root, 1990, 3, 2, {{"gdp", 4, {1.5f, -2.0f, 1e6f}}, {"cpi", 12, {MissingValue}}});
    EXPECT_EQ(capture.text(), "");
  }
  // Destruction wrote the index: count, offsets 0, 4, 8, the names and one more byte.
  EXPECT_EQ(fileBytes(root + ".ind"),
            (std::vector<uint8_t>{2, 0, 0, 0, 4, 0, 8, 0, 'g', 'd', 'p', 0, 'c', 'p', 'i', 0, 0}));
  std::vector<uint8_t> data = fileBytes(root + ".bnk");
  ASSERT_EQ(data.size(), 86u + 2 * 13);
  EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + 6),
            (std::vector<uint8_t>{0xC6, 0x07, 2, 0, 3, 0}));
  EXPECT_EQ(data[86], 4);
  EXPECT_EQ(decodeF32(&data[87]), 1.5f);
  EXPECT_EQ(data[99], 12);
  EXPECT_EQ(decodeF32(&data[100]), MissingValue);

  ConsoleCapture capture;
  VexBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  EXPECT_EQ(bank.kind(), 'w');
  EXPECT_EQ(bank.kindName(), "VexBank");
  EXPECT_EQ(bank.accessMode(), 'r');
  EXPECT_EQ(bank.baseYear(), 1990);
  EXPECT_EQ(bank.startPeriod(), 2);
  EXPECT_EQ(bank.observations(), 3);
  EXPECT_EQ(bank.seriesCount(), 2);
  EXPECT_EQ(bank.title(), "");
  EXPECT_EQ(bank.nameAreaSize(), 9);
  EXPECT_EQ(bank.dataFileName(), root + ".bnk");
  EXPECT_EQ(bank.indexFileName(), root + ".ind");

  Series values = series({}, 99.0f);
  ASSERT_EQ(bank.readSeries("gdp", values, -1), 0);
  EXPECT_EQ(bank.frequency(), 4);
  EXPECT_EQ(values[0], 1.5f);
  EXPECT_EQ(values[1], -2.0f);
  EXPECT_EQ(values[2], 1e6f);
  EXPECT_EQ(values[3], 99.0f);  // beyond M: untouched
  ASSERT_EQ(bank.readSeries("cpi", values, -1), 0);
  EXPECT_EQ(bank.frequency(), 12);
  EXPECT_EQ(bank.lastFrequencyByte(), 12);
  EXPECT_EQ(values[0], MissingValue);

  // Names match exactly and case-sensitively; a miss prints nothing.
  EXPECT_EQ(bank.readSeries("GDP", values, -1), -1);
  EXPECT_EQ(bank.readSeries("gd", values, -1), -1);
  EXPECT_EQ(bank.findSeries("cpi"), 1);
  EXPECT_EQ(capture.text(), "");
}

TEST(VexBankTest, HeaderBaseYearBelow1900IsInTheTwentiethCentury) {
  struct Case {
    uint16_t stored;
    uint16_t opened;
  };
  for (Case c : {Case{85, 1985}, Case{1985, 1985}, Case{0, 1900}, Case{2010, 2010}}) {
    TempDir dir;
    makeBank(dir.file("b"), c.stored, 1, 1, {});
    VexBank bank(dir.file("b"));
    ASSERT_TRUE(bank.isOpen());
    EXPECT_EQ(bank.baseYear(), c.opened) << c.stored;
  }
}

TEST(VexBankTest, ReadCountLimitsTheSlotsTouched) {
  TempDir dir;
  std::vector<float> forty;
  for (int i = 0; i < 40; ++i) forty.push_back(static_cast<float>(i + 1));
  makeBank(dir.file("b"), 1970, 40, 1, {{"x", 1, forty}});
  VexBank bank(dir.file("b"));
  Series values = series({}, -5.0f);
  ASSERT_EQ(bank.readSeries("x", values, 5), 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(values[i], i + 1.0f);
  EXPECT_EQ(values[5], -5.0f);
  EXPECT_EQ(values[MaxObs - 1], -5.0f);

  // More than M clears the slots asked for but reads only the series' own M values.
  values = series({}, -5.0f);
  ASSERT_EQ(bank.readSeries("x", values, 50), 0);
  EXPECT_EQ(values[39], 40.0f);
  EXPECT_EQ(values[40], 0.0f);
  EXPECT_EQ(values[49], 0.0f);
  EXPECT_EQ(values[50], -5.0f);
}

TEST(VexBankTest, ShortRecordLeavesZerosAndMissingRecordFails) {
  TempDir dir;
  std::string root = dir.file("b");
  makeBank(root, 1970, 4, 1, {{"a", 1, {1, 2, 3, 4}}, {"b", 4, {5, 6, 7, 8}}});
  // Cut the file inside the second record's third value.
  std::vector<uint8_t> data = fileBytes(root + ".bnk");
  data.resize(86 + 17 + 1 + 4 * 2 + 2);
  writeBytes(root + ".bnk", data);
  {
    VexBank bank(root);
    ConsoleCapture capture;
    Series values = series({}, 9.0f);
    ASSERT_EQ(bank.readSeries("b", values, -1), 0);
    EXPECT_EQ(values[0], 5.0f);
    EXPECT_EQ(values[1], 6.0f);
    EXPECT_EQ(values[2], 0.0f);
    EXPECT_EQ(values[3], 0.0f);
    EXPECT_EQ(bank.frequency(), 4);
    EXPECT_EQ(capture.text(), "");
  }
  // Now only the frequency byte of the second record remains.
  data.resize(86 + 17 + 1);
  writeBytes(root + ".bnk", data);
  {
    VexBank bank(root);
    ConsoleCapture capture;
    Series values{};
    EXPECT_EQ(bank.readSeries("b", values, -1), -1);
    EXPECT_EQ(capture.text(), "\r\nCannot read b on " + root + ".bnk\r\n");
  }
  data.resize(86 + 17);
  writeBytes(root + ".bnk", data);
  {
    VexBank bank(root);
    ConsoleCapture capture;
    Series values{};
    EXPECT_EQ(bank.readSeries("b", values, -1), -1);
    EXPECT_EQ(capture.text(), "\r\nCannot read b on " + root + ".bnk\r\n");
    EXPECT_EQ(bank.readSeries("a", values, -1), 0);
  }
}

// A data file that shrinks while the bank is open: the reads past its new end are
// those of a bank opened on the shorter file (a short record leaves zeros, a missing
// one is refused), and the run goes on.
TEST(VexBankTest, ADataFileThatShrinksWhileOpenIsReadAsItIsNow) {
  TempDir dir;
  std::string root = dir.file("shrinks");
  std::vector<float> first(MaxObs), second(MaxObs), third(MaxObs);
  for (int j = 0; j < MaxObs; ++j) {
    first[j] = static_cast<float>(j);
    second[j] = static_cast<float>(10000 + j);
    third[j] = static_cast<float>(20000 + j);
  }
  // Records of 7997 bytes at 86, 8083 and 16080.
  makeBank(root, 1970, MaxObs, 1, {{"a", 1, first}, {"b", 4, second}, {"c", 12, third}});
  VexBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  ASSERT_EQ(truncate((root + ".bnk").c_str(), 8192), 0);
  VexBank reopened(root);
  ConsoleCapture capture;
  Series values = series({}, 9.0f);
  Series expected = series({}, 9.0f);
  ASSERT_EQ(bank.readSeries("b", values, -1), 0);
  ASSERT_EQ(reopened.readSeries("b", expected, -1), 0);
  EXPECT_EQ(values, expected);
  EXPECT_EQ(values[26], 10026.0f);
  EXPECT_EQ(values[27], 0.0f);
  EXPECT_EQ(bank.frequency(), 4);
  EXPECT_EQ(bank.readSeries("c", values, -1), -1);
  EXPECT_EQ(capture.take(), "\r\nCannot read c on " + root + ".bnk\r\n");
  ASSERT_EQ(bank.readSeries("a", values, -1), 0);
  EXPECT_EQ(values[MaxObs - 1], static_cast<float>(MaxObs - 1));
  EXPECT_EQ(capture.text(), "");
}

TEST(VexBankTest, StoringAnExistingNameOverwritesInPlace) {
  TempDir dir;
  std::string root = dir.file("b");
  VexBank bank(root, "New", 1980, 2, 1);
  ASSERT_TRUE(bank.isOpen());
  EXPECT_EQ(bank.accessMode(), 'w');
  EXPECT_EQ(bank.writeSeries("a", series({1, 2}), 'n', -1), 0);
  EXPECT_EQ(bank.writeSeries("b", series({3, 4}), 'n', -1), 1);
  bank.setFrequency(4);
  EXPECT_EQ(bank.writeSeries("a", series({7, 8}), 'n', -1), 0);
  EXPECT_EQ(bank.seriesCount(), 2);
  EXPECT_EQ(fileBytes(root + ".bnk").size(), 86u + 2 * 9);
  Series values{};
  ASSERT_EQ(bank.readSeries("a", values, -1), 0);
  EXPECT_EQ(values[0], 7.0f);
  EXPECT_EQ(values[1], 8.0f);
  EXPECT_EQ(bank.frequency(), 4);
}

TEST(VexBankTest, FlushWritesTheIndexAtOnce) {
  TempDir dir;
  std::string root = dir.file("b");
  VexBank writer(root, "New", 1980, 2, 1);
  // Before any store the index is the count alone; it opens as an empty bank.
  EXPECT_EQ(fileBytes(root + ".ind"), (std::vector<uint8_t>{0, 0}));
  {
    VexBank reader(root);
    EXPECT_TRUE(reader.isOpen());
    EXPECT_EQ(reader.seriesCount(), 0);
  }
  ASSERT_EQ(writer.writeSeries("a", series({1, 2}), 'y', -1), 0);
  VexBank reader(root);
  ASSERT_TRUE(reader.isOpen());
  EXPECT_EQ(reader.findSeries("a"), 0);
}

TEST(VexBankTest, EmptyCreatedBankWritesTheFiveByteIndex) {
  TempDir dir;
  std::string root = dir.file("b");
  VexBank bank(root, "New", 1980, 10, 1);
  ASSERT_EQ(bank.writeIndex(), 0);
  EXPECT_EQ(bank.nameAreaSize(), 1);
  EXPECT_EQ(fileBytes(root + ".ind"), (std::vector<uint8_t>{0, 0, 0, 0, 0}));
}

TEST(VexBankTest, SetTitleRewritesTheHeader) {
  TempDir dir;
  std::string root = dir.file("b");
  std::string longTitle(85, 't');
  {
    VexBank bank(root, "New", 1975, 1, 3);
    ASSERT_GE(bank.writeSeries("a", series({1}), 'n', -1), 0);
    const char* result = bank.setTitle("Base run, March");
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, "Base run, March");
    EXPECT_EQ(bank.title(), "Base run, March");
  }
  {
    VexBank bank(root);
    EXPECT_EQ(bank.title(), "Base run, March");
    EXPECT_EQ(bank.baseYear(), 1975);
    EXPECT_EQ(bank.startPeriod(), 3);
  }
  {
    VexBank bank(root, "New", 1975, 1, 3);
    ASSERT_NE(bank.setTitle(longTitle), nullptr);
    EXPECT_EQ(bank.title(), longTitle.substr(0, 80));  // kept in memory to 80
  }
  VexBank bank(root);
  EXPECT_EQ(bank.title(), longTitle.substr(0, 79));  // written to 79
}

TEST(VexBankTest, MissingFilesLeaveTheBankClosed) {
  TempDir dir;
  std::string root = dir.file("none");
  {
    ConsoleCapture capture;
    VexBank bank(root);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(bank.openState(), -1);
    EXPECT_EQ(bank.kind(), 'x');
    EXPECT_EQ(capture.text(), withName(kCannotOpen, root + ".bnk"));
    Series values{};
    EXPECT_EQ(bank.readSeries("a", values, -1), -1);
  }
  // A data file without its index.
  makeBank(root, 1990, 1, 1, {});
  std::filesystem::remove(root + ".ind");
  ConsoleCapture capture;
  VexBank bank(root);
  EXPECT_FALSE(bank.isOpen());
  EXPECT_EQ(capture.text(), "\r\n Cannot open index file " + root +
                                ".ind\r\nNo bank now assigned\r\n");
}

TEST(VexBankTest, CreateNeedsTheModeNewAndAWritablePlace) {
  TempDir dir;
  {
    ConsoleCapture capture;
    VexBank bank(dir.file("b"), "new", 1990, 1, 1);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(capture.text(), "VexBank constructor only works with New at present.\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.bnk")));
  }
  ConsoleCapture capture;
  std::string root = dir.file("no/such/dir/b");
  VexBank bank(root, "New", 1990, 1, 1);
  EXPECT_FALSE(bank.isOpen());
  EXPECT_EQ(bank.kind(), 'x');
  EXPECT_EQ(capture.text(), withName(kCannotOpen, root + ".bnk"));
}

TEST(VexBankTest, MoreThanMaxObsObservationsAreRefused) {
  TempDir dir;
  std::string root = dir.file("b");
  {
    ConsoleCapture capture;
    VexBank bank(root, "New", 1990, MaxObs + 1, 1);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(capture.text(), "\r\nCannot use " + root +
                                  ".bnk: 2000 observations per series, at most 1999.\r\n"
                                  "No bank now assigned\r\n");
  }
  makeBank(root, 1990, MaxObs, 1, {{"a", 1, {1}}});
  {
    VexBank bank(root);
    EXPECT_TRUE(bank.isOpen());
  }
  std::vector<uint8_t> data = fileBytes(root + ".bnk");
  encodeU16(&data[4], MaxObs + 1);
  writeBytes(root + ".bnk", data);
  ConsoleCapture capture;
  VexBank bank(root);
  EXPECT_FALSE(bank.isOpen());
  EXPECT_EQ(capture.text(), "\r\nCannot use " + root +
                                ".bnk: 2000 observations per series, at most 1999.\r\n"
                                "No bank now assigned\r\n");
}

// Keeps file writes of this process below a size for the life of the object.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

TEST(VexBankTest, FailedDataWriteTakesBackTheName) {
  TempDir dir;
  std::string root = dir.file("b");
  VexBank bank(root, "New", 1990, 100, 1);
  ASSERT_EQ(bank.writeSeries("kept", series({1}), 'n', -1), 0);
  {
    FileSizeLimit limit(200);  // ends inside the second record
    ConsoleCapture capture;
    EXPECT_EQ(bank.writeSeries("new", series({2}), 'n', -1), -1);
    EXPECT_EQ(capture.take(), "\r\nCannot write new on " + root + ".bnk");
    EXPECT_EQ(bank.seriesCount(), 1);
    EXPECT_EQ(bank.findSeries("new"), -1);
  }
  // An existing name whose record lies beyond the limit: N stays as well.
  ASSERT_EQ(bank.writeSeries("second", series({3}), 'n', -1), 1);
  {
    FileSizeLimit limit(86 + 401 + 10);
    ConsoleCapture capture;
    EXPECT_EQ(bank.writeSeries("second", series({4}), 'n', -1), -1);
    EXPECT_EQ(bank.seriesCount(), 2);
    EXPECT_EQ(bank.findSeries("second"), 1);
  }
  // The name area is as before: the next new name takes the place of the failed one.
  EXPECT_EQ(bank.writeSeries("third", series({5}), 'n', -1), 2);
  ASSERT_EQ(bank.writeIndex(), 0);
  VexBank reader(root);
  EXPECT_EQ(reader.seriesCount(), 3);
  EXPECT_EQ(reader.nameAt(2), "third");
}

TEST(VexBankTest, ReadOnlyBankRefusesStores) {
  TempDir dir;
  std::string root = dir.file("b");
  makeBank(root, 1990, 1, 1, {{"a", 1, {1}}});
  VexBank bank(root);
  ConsoleCapture capture;
  EXPECT_EQ(bank.writeSeries("b", series({1}), 'y', -1), -1);
  EXPECT_EQ(bank.seriesCount(), 1);
  EXPECT_EQ(capture.text(), "\r\nCannot write b on " + root + ".bnk");
}

const std::string kNoRoom = "\r\nNo room for any more variables in data bank\r\n";

TEST(VexBankTest, TheThreeThousandthSeriesFillsTheBank) {
  TempDir dir;
  std::string root = dir.file("b");
  VexBank bank(root, "New", 1990, 1, 1);
  ConsoleCapture capture;
  for (int i = 0; i < 2999; ++i) {
    ASSERT_EQ(bank.writeSeries("s" + std::to_string(i), series({float(i)}), 'n', -1), i);
  }
  EXPECT_EQ(capture.take(), "");
  // Names s0..s2999 take 10*3 + 90*4 + 900*5 + 2000*6 bytes with their NULs.
  const std::string counts = "\r\nSeries = 3000; Characters in names = 16890";
  EXPECT_EQ(bank.writeSeries("s2999", series({2999}), 'n', -1), -1);
  EXPECT_EQ(capture.take(), kNoRoom + counts);
  EXPECT_EQ(bank.findSeries("s2999"), 2999);

  // A new name is refused and not appended; an existing one is still stored.
  EXPECT_EQ(bank.writeSeries("extra", series({1}), 'n', -1), -1);
  EXPECT_EQ(capture.take(), kNoRoom + counts);
  EXPECT_EQ(bank.seriesCount(), 3000);
  EXPECT_EQ(bank.findSeries("extra"), -1);
  EXPECT_EQ(bank.writeSeries("s5", series({55}), 'n', -1), -1);
  capture.take();
  Series values{};
  ASSERT_EQ(bank.readSeries("s5", values, -1), 0);
  EXPECT_EQ(values[0], 55.0f);
  ASSERT_EQ(bank.readSeries("s2999", values, -1), 0);
  EXPECT_EQ(values[0], 2999.0f);
}

TEST(VexBankTest, TheNameAreaFillsAtOffset29981) {
  TempDir dir;
  VexBank bank(dir.file("b"), "New", 1990, 1, 1);
  ConsoleCapture capture;
  // 299 names of 99 characters end at offset 29900.
  for (int i = 0; i < 299; ++i) {
    std::string name = std::to_string(1000 + i) + std::string(95, 'n');
    ASSERT_EQ(bank.writeSeries(name, series({1}), 'n', -1), i);
  }
  // A name that would not fit with its NUL and the index's last byte is refused.
  EXPECT_EQ(bank.writeSeries(std::string(99, 'z'), series({1}), 'n', -1), -1);
  EXPECT_EQ(capture.take(), kNoRoom + "\r\nSeries = 299; Characters in names = 29900");
  EXPECT_EQ(bank.seriesCount(), 299);
  // 80 bytes fit and end at 29980: not yet full.
  EXPECT_EQ(bank.writeSeries(std::string(79, 'y'), series({1}), 'n', -1), 299);
  EXPECT_EQ(capture.take(), "");
  // The next store reaches 29981: stored, and reported full.
  EXPECT_EQ(bank.writeSeries("x", series({1}), 'n', -1), -1);
  EXPECT_EQ(capture.take(), kNoRoom + "\r\nSeries = 301; Characters in names = 29982");
  EXPECT_EQ(bank.findSeries("x"), 300);
  // Full: even a short new name is refused now.
  EXPECT_EQ(bank.writeSeries("w", series({1}), 'n', -1), -1);
  EXPECT_EQ(bank.findSeries("w"), -1);
  EXPECT_EQ(bank.seriesCount(), 301);
  capture.take();
  ASSERT_EQ(bank.writeIndex(), 0);
  EXPECT_EQ(bank.nameAreaSize(), 29983);
}

TEST(VexBankTest, LookupKeepsTheFirstOfRepeatedNames) {
  TempDir dir;
  std::string root = dir.file("b");
  makeBank(root, 1990, 1, 1, {{"a", 1, {1}}, {"b", 1, {2}}});
  // Rename "b" to "a" in the index: two entries named "a".
  std::vector<uint8_t> index = fileBytes(root + ".ind");
  index[10] = 'a';
  writeBytes(root + ".ind", index);
  VexBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  EXPECT_EQ(bank.findSeries("a"), 0);
  Series values{};
  ASSERT_EQ(bank.readSeries("a", values, -1), 0);
  EXPECT_EQ(values[0], 1.0f);
}

std::vector<uint8_t> indexBytes(uint16_t count, const std::vector<uint16_t>& offsets,
                                const std::string& names) {
  std::vector<uint8_t> bytes;
  appendU16(bytes, count);
  for (uint16_t o : offsets) appendU16(bytes, o);
  appendText(bytes, names);
  return bytes;
}

TEST(VexBankTest, DamagedIndexesAreRefusedCleanly) {
  using std::string_literals::operator""s;
  const std::string damaged = "\r\nIndex file %s is damaged.\r\nNo bank now assigned\r\n";
  struct Case {
    const char* what;
    std::vector<uint8_t> index;
    std::string message;  // %s stands for the index file's name
  };
  const std::vector<Case> cases = {
      {"empty file", {}, "\r\nCannot read index file.\r\n"},
      {"half a count", {2}, damaged},
      {"count without offsets", indexBytes(2, {}, ""), "\r\nIndex file not read \r\n"},
      {"offsets cut short", indexBytes(2, {0, 2}, ""), damaged},
      {"odd byte of offsets", {2, 0, 0, 0, 2, 0, 4}, damaged},
      {"offsets without names", indexBytes(2, {0, 2, 4}, ""), "\r\nIndex file not read.\r\n"},
      {"names shorter than offset N", indexBytes(2, {0, 2, 4}, "a\0b"s), damaged},
      {"offsets out of order", indexBytes(2, {0, 4, 2}, "a\0b\0\0"s), damaged},
      {"repeated offset", indexBytes(2, {0, 2, 2}, "a\0b\0\0"s), damaged},
      {"first offset not 0", indexBytes(1, {1, 3}, "xa\0\0"s), damaged},
      {"offset N past the names", indexBytes(2, {0, 2, 60000}, "a\0b\0\0"s), damaged},
      {"name not ended by NUL", indexBytes(2, {0, 2, 4}, "abcd\0"s), damaged},
      {"count beyond positions", indexBytes(40000, {0}, ""), damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    std::string root = dir.file("b");
    makeBank(root, 1990, 1, 1, {});
    writeBytes(root + ".ind", c.index);
    ConsoleCapture capture;
    VexBank bank(root);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(bank.seriesCount(), 0);
    std::string expected = c.message;
    if (expected.find("%s") != std::string::npos) expected = withName(expected, root + ".ind");
    EXPECT_EQ(capture.text(), expected);
    Series values{};
    EXPECT_EQ(bank.readSeries("a", values, -1), -1);
  }
}

TEST(VexBankTest, IndexWithoutItsLastPaddingByteOpens) {
  using std::string_literals::operator""s;
  TempDir dir;
  std::string root = dir.file("b");
  makeBank(root, 1990, 1, 1, {{"ab", 1, {1}}, {"c", 4, {2}}});
  writeBytes(root + ".ind", indexBytes(2, {0, 3, 5}, "ab\0c\0"s));
  VexBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  EXPECT_EQ(bank.findSeries("c"), 1);
  EXPECT_EQ(bank.nameAreaSize(), 6);
}

// Hand-made files in tests/data/banks (see the README there).
TEST(VexBankTest, CorruptFixturesAreRefused) {
  struct Case {
    const char* root;
    std::string message;
  };
  const std::string data = std::string(TABRIX_TEST_DATA) + "/banks/";
  const std::vector<Case> cases = {
      {"short_header", withName(kCannotOpen, data + "short_header.bnk")},
      {"too_many_obs", "\r\nCannot use " + data +
                           "too_many_obs.bnk: 2000 observations per series, at most 1999.\r\n"
                           "No bank now assigned\r\n"},
      {"cut_offsets", "\r\nIndex file " + data + "cut_offsets.ind is damaged.\r\nNo bank now assigned\r\n"},
      {"wild_offset", "\r\nIndex file " + data + "wild_offset.ind is damaged.\r\nNo bank now assigned\r\n"},
      {"cut_names", "\r\nIndex file " + data + "cut_names.ind is damaged.\r\nNo bank now assigned\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    ConsoleCapture capture;
    VexBank bank(data + c.root);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(capture.text(), c.message);
  }
  VexBank good(data + "good");
  ASSERT_TRUE(good.isOpen());
  EXPECT_EQ(good.title(), "Fixture");
  EXPECT_EQ(good.seriesCount(), 2);
  Series values{};
  ASSERT_EQ(good.readSeries("beta", values, -1), 0);
  EXPECT_EQ(good.frequency(), 4);
  EXPECT_EQ(values[0], 1.0f);
  EXPECT_EQ(values[1], 2.0f);
}

}  // namespace
}  // namespace tabrix

// HashBank: the hash, bucket lookup, reading and aligning series, the count warnings,
// and refusal of damaged files. Banks are written by HashBankWriter or, for the exact
// and the damaged cases, assembled byte by byte.
#include "banks/hash_bank.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "banks/binary_io.h"
#include "banks/hash_bank_writer.h"
#include "platform/console.h"
#include "record_bank_fixtures.h"
#include "support/constants.h"

namespace tabrix {
namespace {

using testing::Series;
using testing::TempDir;
using testing::floatRecord;
using testing::openFailure;
using testing::damaged;
using testing::listedNames;

// A hashed bank assembled byte by byte, names placed in their hash buckets.
struct RawHashBank {
  std::string title = "Raw hashed bank";
  std::vector<std::string> names;
  std::vector<std::vector<uint8_t>> records;
  uint16_t buckets = 3;
  int32_t dataCount() const { return static_cast<int32_t>(names.size()); }

  std::vector<uint8_t> hbk(int32_t count) const {
    std::vector<uint8_t> out;
    appendFixedText(out, title, 80);
    appendI32(out, count);
    for (const auto& r : records) out.insert(out.end(), r.begin(), r.end());
    return out;
  }
  std::vector<uint8_t> hbk() const { return hbk(dataCount()); }
  std::vector<uint8_t> hin(int32_t total) const {
    std::vector<std::vector<size_t>> members(buckets);
    std::vector<int32_t> offsets;
    int32_t offset = 84;
    for (size_t i = 0; i < names.size(); ++i) {
      members[HashBank::hashOf(names[i]) % buckets].push_back(i);
      offsets.push_back(offset);
      offset += static_cast<int32_t>(records[i].size());
    }
    std::vector<uint8_t> out;
    appendI32(out, total);
    appendU16(out, buckets);
    std::vector<uint16_t> bytes(buckets, 0);
    for (uint16_t b = 0; b < buckets; ++b) {
      for (size_t i : members[b]) bytes[b] = static_cast<uint16_t>(bytes[b] + names[i].size() + 1);
    }
    for (uint16_t b = 0; b < buckets; ++b) appendU16(out, static_cast<uint16_t>(members[b].size()));
    for (uint16_t b = 0; b < buckets; ++b) appendU16(out, bytes[b]);
    int32_t block = 6 + 8 * buckets;
    for (uint16_t b = 0; b < buckets; ++b) {
      appendI32(out, block);
      block += bytes[b] + 4 * static_cast<int32_t>(members[b].size());
    }
    for (uint16_t b = 0; b < buckets; ++b) {
      for (size_t i : members[b]) {
        appendText(out, names[i]);
        appendU8(out, 0);
      }
      for (size_t i : members[b]) appendI32(out, offsets[i]);
    }
    return out;
  }
  std::vector<uint8_t> hin() const { return hin(dataCount()); }
};

void writeRaw(const std::string& root, const std::vector<uint8_t>& hbk, const std::vector<uint8_t>& hin) {
  ASSERT_TRUE(writeWholeFile(root + ".hbk", hbk));
  ASSERT_TRUE(writeWholeFile(root + ".hin", hin));
}

const std::string kCountWarnings =
    "Warning: .hin file does not match .hbk file.\nWarning: # of series set to # in .hin file!\n";

TEST(HashBank, HashesNamesWithSignedBytes) {
  struct Case {
    std::string name;
    uint16_t hash;
  };
  const Case cases[] = {
      {"A", 65},
      {"AB", 31 * 65 + 66},
      {"", 0},
      {"\xC4", 65536 - 60},          // byte 196 is -60
      {"\xFF\xFF", 65504},           // (31 x 65535 - 1) modulo 65536
      {"\xE9t\xE9", 47006},
      {"ZED", 23161},                // 31 x (31 x 90 + 69) + 68, 88697 modulo 65536
  };
  for (const Case& c : cases) EXPECT_EQ(HashBank::hashOf(c.name), c.hash) << c.name;

  TempDir dir;
  const std::string root = dir.file("seven");
  HashBankWriter writer("", 7);
  ASSERT_EQ(writer.addSeries("A", VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  ASSERT_EQ(writer.write(root), 0);
  HashBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  EXPECT_EQ(bank.bucketCount(), 7);
  EXPECT_EQ(bank.hashName("A"), 2);
  EXPECT_EQ(bank.hashName("AB"), 2081 % 7);
}

TEST(HashBank, ReadsAQuarterlySeriesFrom1960) {
  TempDir dir;
  const std::string root = dir.file("quarterly");
  RawHashBank raw;
  raw.names = {"QF", "\xC4X"};
  raw.records = {floatRecord(60, 0x43, {1, 2, 3, 4, 5, 6, 7, 8}), floatRecord(95, 0x11, {9})};
  writeRaw(root, raw.hbk(), raw.hin());
  ConsoleCapture capture;
  HashBank bank(root);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  Series values;
  ASSERT_EQ(bank.readSeries("QF", values, -1), 0);
  for (int slot = 0; slot < MaxObs; ++slot) {
    const bool inside = slot >= 162 && slot <= 169;
    EXPECT_EQ(values[slot], inside ? static_cast<float>(slot - 161) : MissingValue) << slot;
  }
  EXPECT_EQ(bank.frequency(), 4);
  EXPECT_EQ(bank.seriesLength(), 170);
  EXPECT_EQ(bank.lastStartPeriod(), 3);
  ASSERT_EQ(bank.readSeries("\xC4X", values, -1), 0);
  EXPECT_EQ(values[75], 9.0f);
  EXPECT_EQ(bank.readSeries("\xC4", values, -1), -1);
  EXPECT_EQ(capture.text(), "");
}

// Many series over few or many buckets: every name is found, and nothing else.
TEST(HashBank, RoundTripThroughTheWriter) {
  for (uint16_t buckets : {uint16_t{1}, uint16_t{7}, uint16_t{0}, uint16_t{4096}}) {
    TempDir dir;
    const std::string root = dir.file("trip");
    HashBankWriter writer("Hashed round trip", buckets);
    const int count = 600;
    for (int i = 0; i < count; ++i) {
      const int frequency = (i % 3 == 0) ? 1 : (i % 3 == 1) ? 4 : 12;
      const VexDate start(1950 + i % 40, 1 + i % frequency, frequency);
      std::vector<float> values;
      for (int j = 0; j <= i % 50; ++j) values.push_back(static_cast<float>(i) + 0.25f * static_cast<float>(j));
      ASSERT_EQ(writer.addSeries("S" + std::to_string(i), start, values), 0);
    }
    ASSERT_EQ(writer.write(root), 0);

    ConsoleCapture capture;
    HashBank bank(root);
    ASSERT_TRUE(bank.isOpen()) << capture.text();
    EXPECT_EQ(bank.kind(), 'h');
    EXPECT_EQ(bank.kindName(), "HashBank");
    EXPECT_EQ(bank.title(), "Hashed round trip");
    EXPECT_EQ(bank.seriesCount(), count);
    EXPECT_EQ(bank.totalSeries(), count);
    EXPECT_EQ(bank.startYear(), 1920);
    EXPECT_EQ(bank.observations(), 1999);
    EXPECT_EQ(bank.bucketCount(), writer.bucketCount());
    for (int i = 0; i < count; ++i) {
      const int frequency = (i % 3 == 0) ? 1 : (i % 3 == 1) ? 4 : 12;
      const VexDate start(1950 + i % 40, 1 + i % frequency, frequency);
      const int k = periodsBetween(start, VexDate(1920, 1, frequency));
      const int n = i % 50 + 1;
      Series values;
      ASSERT_EQ(bank.readSeries("S" + std::to_string(i), values, -1), 0) << i;
      EXPECT_EQ(values[k], static_cast<float>(i)) << i;
      EXPECT_EQ(values[k + n - 1], static_cast<float>(i) + 0.25f * static_cast<float>(n - 1)) << i;
      EXPECT_EQ(values[k + n], MissingValue) << i;
      if (k > 0) {
        EXPECT_EQ(values[k - 1], MissingValue) << i;
      }
      EXPECT_EQ(bank.frequency(), frequency) << i;
      EXPECT_EQ(bank.seriesLength(), k + n) << i;
    }
    Series values;
    EXPECT_EQ(bank.readSeries("S600", values, -1), -1);
    EXPECT_EQ(bank.readSeries("s1", values, -1), -1);
    EXPECT_EQ(capture.text(), "");
  }
}

TEST(HashBank, CountMismatchesOnlyWarn) {
  struct Case {
    const char* what;
    int32_t dataCount;
    int32_t indexCount;
    bool warns;
    uint16_t seriesCount;
  };
  const Case cases[] = {
      {"counts agree", 2, 2, false, 2},
      {"counts differ", 5, 2, true, 2},
      {"low 16 bits agree", 65536 + 2, 2, false, 2},
      {"full counts agree past 65535", 65536 + 2, 65536 + 2, false, 2},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string root = dir.file("counts");
    RawHashBank raw;
    raw.names = {"A", "B"};
    raw.records = {floatRecord(95, 0x11, {1}), floatRecord(95, 0x11, {2})};
    writeRaw(root, raw.hbk(c.dataCount), raw.hin(c.indexCount));
    ConsoleCapture capture;
    HashBank bank(root);
    ASSERT_TRUE(bank.isOpen()) << c.what;
    EXPECT_EQ(capture.take(), c.warns ? kCountWarnings : "") << c.what;
    EXPECT_EQ(bank.totalSeries(), c.indexCount) << c.what;
    EXPECT_EQ(bank.seriesCount(), c.seriesCount) << c.what;
    Series values;
    ASSERT_EQ(bank.readSeries("B", values, -1), 0) << c.what;
    EXPECT_EQ(values[75], 2.0f) << c.what;
  }
}

TEST(HashBank, MissingFilesAreReported) {
  TempDir dir;
  const std::string root = dir.file("absent");
  {
    ConsoleCapture capture;
    HashBank bank(root);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(bank.kind(), 'h');
    Series values;
    EXPECT_EQ(bank.readSeries("A", values, -1), -1);
    EXPECT_EQ(capture.take(), openFailure(root + ".hbk"));
  }
  HashBankWriter writer;
  ASSERT_EQ(writer.addSeries("A", VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  ASSERT_EQ(writer.write(root), 0);
  std::filesystem::remove(root + ".hin");
  ConsoleCapture capture;
  {
    HashBank bank(root);
    EXPECT_FALSE(bank.isOpen());
  }
  // The destructor of the hashed bank prints nothing.
  EXPECT_EQ(capture.take(), openFailure(root + ".hin"));
}

TEST(HashBank, DamagedFilesAreRefusedAtOpen) {
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>& hbk, std::vector<uint8_t>& hin)> damage;
    const char* file;    // "hbk" or "hin"
    const char* reason;  // nullptr: only "Cannot open"
  };
  // Bucket arrays start at 6: counts at 6, name bytes at 6 + 2B, offsets at 6 + 4B (B = 3).
  const Case cases[] = {
      {"title short", [](auto& hbk, auto&) { hbk.resize(79); }, "hbk", nullptr},
      {"count short", [](auto& hbk, auto&) { hbk.resize(82); }, "hbk", "the header runs short"},
      {"index short", [](auto&, auto& hin) { hin.resize(5); }, "hin", "the file runs short"},
      {"no buckets", [](auto&, auto& hin) { encodeU16(hin.data() + 4, 0); }, "hin", "it has no buckets"},
      {"bucket arrays short", [](auto&, auto& hin) { hin.resize(20); }, "hin",
       "the bucket arrays run past the end of the file"},
      {"bucket count too large", [](auto&, auto& hin) { encodeU16(hin.data() + 4, 60000); }, "hin",
       "the bucket arrays run past the end of the file"},
      {"block offset negative", [](auto&, auto& hin) { encodeI32(hin.data() + 18, -2); }, "hin",
       "a bucket block runs past the end of the file"},
      {"block offset past the end", [](auto&, auto& hin) { encodeI32(hin.data() + 22, 5000); }, "hin",
       "a bucket block runs past the end of the file"},
      {"too many names in a bucket", [](auto&, auto& hin) { encodeU16(hin.data() + 6, 900); }, "hin",
       "a bucket block runs past the end of the file"},
      {"name block too large", [](auto&, auto& hin) { encodeU16(hin.data() + 12, 900); }, "hin",
       "a bucket block runs past the end of the file"},
      {"last block cut", [](auto&, auto& hin) { hin.pop_back(); }, "hin",
       "a bucket block runs past the end of the file"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string root = dir.file("bad");
    RawHashBank raw;
    raw.names = {"A", "B", "C", "D"};
    raw.records = {floatRecord(95, 0x11, {1}), floatRecord(95, 0x11, {2}), floatRecord(95, 0x11, {3}),
                   floatRecord(95, 0x11, {4})};
    std::vector<uint8_t> hbk = raw.hbk();
    std::vector<uint8_t> hin = raw.hin();
    c.damage(hbk, hin);
    writeRaw(root, hbk, hin);
    ConsoleCapture capture;
    HashBank bank(root);
    EXPECT_FALSE(bank.isOpen()) << c.what;
    Series values;
    EXPECT_EQ(bank.readSeries("A", values, -1), -1) << c.what;
    const std::string file = root + "." + c.file;
    EXPECT_EQ(capture.take(), c.reason ? damaged(file, c.reason) : openFailure(file)) << c.what;
  }
}

TEST(HashBank, DamagedSeriesAreRefusedOnRead) {
  TempDir dir;
  const std::string root = dir.file("badseries");
  RawHashBank raw;
  raw.buckets = 1;
  raw.names = {"A", "B", "C", "D"};
  raw.records = {floatRecord(95, 0x11, {1}), floatRecord(95, 0x11, {2}), floatRecord(95, 0x11, {3}),
                 floatRecord(95, 0x31, {4})};
  std::vector<uint8_t> hin = raw.hin();
  // One bucket: names "A\0B\0C\0D\0" at 14, record offsets at 22.
  encodeI32(hin.data() + 22, -1);       // A before the file
  encodeI32(hin.data() + 26, 1 << 20);  // B past the end
  std::vector<uint8_t> hbk = raw.hbk();
  encodeI16(hbk.data() + 84 + 9 * 2 + 3, 10);  // C claims ten floats, the file ends first
  writeRaw(root, hbk, hin);

  ConsoleCapture capture;
  HashBank bank(root);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  struct Case {
    const char* name;
    std::string message;
  };
  const std::string where = " in " + root + ".hbk cannot be read: ";
  const Case cases[] = {
      {"A", "\r\nSeries A" + where + "record offset outside the data file.\r\n"},
      {"B", "\r\nSeries B" + where + "record offset outside the data file.\r\n"},
      {"C", "\r\nSeries C" + where + "record runs past the end of the file.\r\n"},
      {"D", "Frequency must be 1, 4, or 12.\n\r\nSeries D" + where + "invalid start date.\r\n"},
  };
  for (const Case& c : cases) {
    Series values;
    EXPECT_EQ(bank.readSeries(c.name, values, -1), -1) << c.name;
    EXPECT_EQ(capture.take(), c.message) << c.name;
  }
}

// Files that shrink while the bank is open: a record or bucket past the new end is
// refused with the short read's message, and the run goes on.
TEST(HashBank, FilesThatShrinkWhileOpenAreRefusedPastTheirNewEnd) {
  TempDir dir;
  const std::string root = dir.file("shrinks");
  // Three records of 2000 floats (8005 bytes) at 84, 8089 and 16094; values that do
  // not pack, so the float form is kept.
  auto values = [](int series) {
    std::vector<float> out;
    for (int j = 0; j < 2000; ++j) out.push_back(std::bit_cast<float>(0x3F800000u + 7919u * (j + 2000u * series)));
    return out;
  };
  HashBankWriter writer("Shrinks", 1);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(writer.addSeries(std::string(1, 'A' + i), VexDate(1950, 1, 1), values(i)), 0);
  ASSERT_EQ(writer.write(root), 0);
  ConsoleCapture capture;
  HashBank bank(root);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  ASSERT_EQ(truncate((root + ".hbk").c_str(), 8192), 0);
  Series read;
  ASSERT_EQ(bank.readSeries("A", read, -1), 0);
  EXPECT_EQ(read[30], values(0)[0]);
  const std::string where = " in " + root + ".hbk cannot be read: ";
  EXPECT_EQ(bank.readSeries("B", read, -1), -1);
  EXPECT_EQ(capture.take(), "\r\nSeries B" + where + "record runs short.\r\n");
  EXPECT_EQ(bank.readSeries("C", read, -1), -1);
  EXPECT_EQ(capture.take(), "\r\nSeries C" + where + "record cannot be read.\r\n");
  ASSERT_EQ(bank.readSeries("A", read, -1), 0);
  EXPECT_EQ(read[MaxObs - 1], values(0)[MaxObs - 1 - 30]);  // the values past the last slot are dropped
  EXPECT_EQ(capture.text(), "");

  // An index past a page long, cut to its first page: names in buckets past it are
  // refused, the others still found.
  HashBankWriter many("Many", 7);
  for (int i = 0; i < 600; ++i) ASSERT_EQ(many.addSeries("S" + std::to_string(i), VexDate(1990, 1, 1), std::vector<float>{1.0f * i}), 0);
  ASSERT_EQ(many.write(root), 0);
  HashBank manyBank(root);
  ASSERT_TRUE(manyBank.isOpen()) << capture.text();
  ASSERT_EQ(truncate((root + ".hin").c_str(), 4096), 0);
  int found = 0;
  int refused = 0;
  for (int i = 0; i < 600; ++i) {
    const std::string name = "S" + std::to_string(i);
    if (manyBank.readSeries(name, read, -1) == 0) {
      EXPECT_EQ(read[70], 1.0f * i) << name;
      ++found;
    } else {
      EXPECT_EQ(capture.take(), "\r\nSeries " + name + " in " + root + ".hin cannot be read: its bucket cannot be read.\r\n");
      ++refused;
    }
  }
  EXPECT_GT(found, 0);
  EXPECT_GT(refused, 0);
}

TEST(HashBank, ListsBucketByBucketAndDescribesItself) {
  TempDir dir;
  const std::string root = dir.file("list");
  HashBankWriter writer("Hashed forecast", 2);
  // Buckets with B = 2: ZED 1, ALPHA 0, AB 1, ABC 0, M1 0.
  for (const char* name : {"ZED", "ALPHA", "AB", "ABC", "M1"}) {
    ASSERT_EQ(writer.addSeries(name, VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  }
  ASSERT_EQ(writer.write(root), 0);
  ConsoleCapture capture;
  HashBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  struct Case {
    const char* pattern;
    int16_t wide;
    std::string expected;
  };
  const Case cases[] = {
      {"", 1, "ALPHA          ABC            M1             ZED            AB             "},
      {"A^*", 0, "ALPHA          \nABC            \nAB             "},
  };
  for (const Case& c : cases) {
    int16_t status = 0;
    EXPECT_EQ(listedNames(bank, c.pattern, c.wide, status), c.expected) << c.pattern;
    EXPECT_EQ(status, 1) << c.pattern;
  }
  EXPECT_EQ(capture.take(), "");
  EXPECT_EQ(bank.printInfo(1), 0);
  EXPECT_EQ(capture.take(),
            "\r\nIndex file read.\r\n\r\nTitle of assigned bank:\r\nHashed forecast"
            "\r\nMax observations per series 1999.  Contains 5 series."
            "\r\nThis bank assigned as bank: b.\r\n");
}

TEST(HashBankWriter, RefusesBucketsThatOverflow) {
  TempDir dir;
  const std::string root = dir.file("full");
  HashBankWriter writer("", 1);
  ConsoleCapture capture;
  // One bucket's name block holds at most 65535 bytes.
  const std::string stem(1000, 'N');
  for (int i = 0; i < 66; ++i) {
    ASSERT_EQ(writer.addSeries(stem + std::to_string(i), VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  }
  EXPECT_EQ(writer.write(root), -1);
  EXPECT_EQ(capture.take(), "\r\nCannot write " + root + ".hin: bucket 0 holds too many names.\r\n");
  EXPECT_EQ(writer.addSeries(stem + "0", VexDate(1995, 1, 1), std::vector<float>{1}), -1);
}

}  // namespace
}  // namespace tabrix

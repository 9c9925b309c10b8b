// CompBank: opening, name lookup (first match, seriesCount limit), reading and
// aligning series, the messages, and refusal of damaged files. Banks are written by
// CompBankWriter or, for the exact and the damaged cases, assembled byte by byte.
#include "banks/comp_bank.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "banks/comp_bank_writer.h"
#include "platform/console.h"
#include "record_bank_fixtures.h"
#include "support/constants.h"

namespace tabrix {
namespace {

using testing::Series;
using testing::TempDir;
using testing::floatRecord;
using testing::packedRecord;
using testing::openFailure;
using testing::damaged;
using testing::listedNames;

// A compressed bank assembled byte by byte: header, records, offset table; name file.
struct RawCompBank {
  std::string title = "Raw bank";
  std::vector<std::string> names;
  std::vector<std::vector<uint8_t>> records;  // one per table entry
  uint32_t dataCount() const { return static_cast<uint32_t>(records.size()); }

  std::vector<uint8_t> cbk() const {
    std::vector<uint8_t> out;
    appendFixedText(out, title, 80);
    appendU32(out, dataCount());
    appendI32(out, 0);
    std::vector<int32_t> offsets;
    for (const auto& r : records) {
      offsets.push_back(static_cast<int32_t>(out.size()));
      out.insert(out.end(), r.begin(), r.end());
    }
    encodeI32(out.data() + 84, static_cast<int32_t>(out.size()));
    for (int32_t o : offsets) appendI32(out, o);
    return out;
  }
  std::vector<uint8_t> cin(uint32_t count) const {
    std::vector<uint8_t> area;
    for (const auto& n : names) {
      appendText(area, n);
      appendU8(area, 0);
    }
    std::vector<uint8_t> out;
    appendU32(out, count);
    appendI32(out, static_cast<int32_t>(area.size()));
    out.insert(out.end(), area.begin(), area.end());
    return out;
  }
  std::vector<uint8_t> cin() const { return cin(static_cast<uint32_t>(names.size())); }
};

void writeRaw(const std::string& root, const std::vector<uint8_t>& cbk, const std::vector<uint8_t>& cin) {
  ASSERT_TRUE(writeWholeFile(root + ".cbk", cbk));
  ASSERT_TRUE(writeWholeFile(root + ".cin", cin));
}

const std::string kDestructorMessage = "CompBank destructor called.  Freeing up memory.\n";

TEST(CompBank, ReadsAFloatAndAPackedSeries) {
  TempDir dir;
  const std::string root = dir.file("examples");
  RawCompBank raw;
  raw.names = {"QF", "PK"};
  // Quarterly, float form, from 1960 Q3, eight values.
  raw.records.push_back(floatRecord(60, 0x43, {1, 2, 3, 4, 5, 6, 7, 8}));
  // Annual 1995, packed: v0 1000, differences 10, 32767 and 5, shift 0, one decimal.
  raw.records.push_back(packedRecord(95, 0x11, 0x01, 1000, {10, 32767, 5}));
  writeRaw(root, raw.cbk(), raw.cin());

  ConsoleCapture capture;
  CompBank bank(root);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  EXPECT_EQ(capture.text(), "");

  Series values;
  ASSERT_EQ(bank.readSeries("QF", values, -1), 0);
  for (int slot = 0; slot < MaxObs; ++slot) {
    const bool inside = slot >= 162 && slot <= 169;
    EXPECT_EQ(values[slot], inside ? static_cast<float>(slot - 161) : MissingValue) << slot;
  }
  EXPECT_EQ(bank.frequency(), 4);
  EXPECT_EQ(bank.lastFrequency(), 4);
  EXPECT_EQ(bank.seriesLength(), 170);
  EXPECT_EQ(bank.lastLength(), 170);
  EXPECT_EQ(bank.lastStartPeriod(), 3);
  EXPECT_EQ(bank.startPeriod(), 3);
  EXPECT_EQ(bank.lastIndex(), 7);

  ASSERT_EQ(bank.readSeries("PK", values, 5), 0);
  const float expected[] = {100.0f, 101.0f, 0.0f, 101.5f};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(values[75 + i], expected[i]) << i;
  EXPECT_EQ(values[74], MissingValue);
  EXPECT_EQ(values[79], MissingValue);
  EXPECT_EQ(bank.frequency(), 1);
  EXPECT_EQ(bank.seriesLength(), 79);
  EXPECT_EQ(bank.lastIndex(), 3);
  EXPECT_EQ(bank.lastHeader().codeByte, 0x01);
  EXPECT_EQ(capture.text(), "");
}

TEST(CompBank, RoundTripThroughTheWriter) {
  TempDir dir;
  const std::string root = dir.file("trip");
  struct Stored {
    const char* name;
    VexDate start;
    std::vector<float> values;
    int firstSlot;
  };
  const std::vector<Stored> stored = {
      {"GDP", VexDate(1990, 1, 1), {100.5f, 102.25f, 0.0f, 104.75f}, 70},
      {"cpi", VexDate(1960, 3, 4), {1.1f, 2.7f, 1e7f, -3.3e-5f}, 162},
      {"M1", VexDate(2001, 12, 12), {5, 6, 7}, 81 * 12 + 11},
      {"EMPTY", VexDate(1930, 1, 1), {}, 10},
  };
  CompBankWriter writer("Round trip title");
  for (const Stored& s : stored) ASSERT_EQ(writer.addSeries(s.name, s.start, s.values), 0);
  ASSERT_EQ(writer.write(root), 0);

  ConsoleCapture capture;
  {
    CompBank bank(root);
    ASSERT_TRUE(bank.isOpen()) << capture.text();
    EXPECT_EQ(bank.kind(), 'c');
    EXPECT_EQ(bank.kindName(), "CompBank");
    EXPECT_EQ(bank.dataFileName(), root + ".cbk");
    EXPECT_EQ(bank.indexFileName(), root + ".cin");
    EXPECT_EQ(bank.title(), "Round trip title");
    EXPECT_EQ(bank.seriesCount(), 4);
    EXPECT_EQ(bank.startYear(), 1920);
    EXPECT_EQ(bank.baseYear(), 1920);
    EXPECT_EQ(bank.observations(), 1999);
    for (const Stored& s : stored) {
      Series values;
      values.fill(123.0f);
      ASSERT_EQ(bank.readSeries(s.name, values, -1), 0) << s.name;
      const int n = static_cast<int>(s.values.size());
      for (int slot = 0; slot < MaxObs; ++slot) {
        const int i = slot - s.firstSlot;
        const float want = (i >= 0 && i < n) ? s.values[static_cast<size_t>(i)] : MissingValue;
        EXPECT_EQ(std::bit_cast<uint32_t>(values[slot]), std::bit_cast<uint32_t>(want)) << s.name << slot;
      }
      EXPECT_EQ(bank.frequency(), s.start.frequency) << s.name;
      EXPECT_EQ(bank.lastStartPeriod(), s.start.period) << s.name;
      EXPECT_EQ(bank.seriesLength(), s.firstSlot + n) << s.name;
    }
    // Matching is exact and case-sensitive; a miss prints nothing.
    Series values;
    EXPECT_EQ(bank.readSeries("gdp", values, -1), -1);
    EXPECT_EQ(bank.readSeries("GD", values, -1), -1);
    EXPECT_EQ(bank.readSeries("GDPX", values, -1), -1);
    EXPECT_EQ(bank.readSeries("", values, -1), -1);
    EXPECT_EQ(capture.text(), "");
  }
  EXPECT_EQ(capture.text(), kDestructorMessage);
}

// A series given from observation 0 of a workspace-style base reads back at its dates.
TEST(CompBank, SeriesGivenFromABaseDateKeepTheirDates) {
  TempDir dir;
  const std::string root = dir.file("based");
  const float m = MissingValue;
  CompBankWriter writer;
  ASSERT_EQ(writer.addSeriesFromBase("Q", VexDate(1990, 1, 4), std::vector<float>{m, m, 1.5f, m, 2.5f, m}), 0);
  ASSERT_EQ(writer.addSeriesFromBase("NONE", VexDate(1900, 1, 1), std::vector<float>{m, m}), 0);
  ASSERT_EQ(writer.write(root), 0);
  ConsoleCapture capture;
  CompBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  Series values;
  ASSERT_EQ(bank.readSeries("Q", values, -1), 0);
  const int k = 70 * 4;  // 1990 Q1
  EXPECT_EQ(values[k + 1], MissingValue);
  EXPECT_EQ(values[k + 2], 1.5f);
  EXPECT_EQ(values[k + 3], MissingValue);
  EXPECT_EQ(values[k + 4], 2.5f);
  EXPECT_EQ(values[k + 5], MissingValue);
  EXPECT_EQ(bank.seriesLength(), k + 5);
  EXPECT_EQ(bank.lastStartPeriod(), 3);
  ASSERT_EQ(bank.readSeries("NONE", values, -1), 0);
  for (float v : values) EXPECT_EQ(v, MissingValue);
}

TEST(CompBank, NamesBeyondTheSeriesCountAreNotFound) {
  TempDir dir;
  const std::string root = dir.file("beyond");
  RawCompBank raw;
  raw.names = {"A", "B", "C"};
  raw.records = {floatRecord(95, 0x11, {1}), floatRecord(95, 0x11, {2})};
  // The name file names three series, the data file two: only a warning.
  writeRaw(root, raw.cbk(), raw.cin());
  ConsoleCapture capture;
  CompBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  EXPECT_EQ(capture.take(), "Warning: .cin file does not match .cbk file.\n");
  Series values;
  EXPECT_EQ(bank.readSeries("B", values, -1), 0);
  EXPECT_EQ(values[75], 2.0f);
  EXPECT_EQ(bank.readSeries("C", values, -1), -1);
  EXPECT_EQ(capture.take(), "");
  EXPECT_EQ(bank.findName("C"), -1);
}

TEST(CompBank, TheFirstOfTwoEqualNamesWins) {
  TempDir dir;
  const std::string root = dir.file("twice");
  RawCompBank raw;
  raw.names = {"X", "Y", "X"};
  raw.records = {floatRecord(95, 0x11, {1}), floatRecord(95, 0x11, {2}), floatRecord(95, 0x11, {3})};
  writeRaw(root, raw.cbk(), raw.cin());
  ConsoleCapture capture;
  CompBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  Series values;
  ASSERT_EQ(bank.readSeries("X", values, -1), 0);
  EXPECT_EQ(values[75], 1.0f);
  EXPECT_EQ(bank.findName("Y"), 1);
}

TEST(CompBank, ALastNameWithoutItsNulIsNotAName) {
  TempDir dir;
  const std::string root = dir.file("nonul");
  RawCompBank raw;
  raw.names = {"A", "B"};
  raw.records = {floatRecord(95, 0x11, {1}), floatRecord(95, 0x11, {2})};
  std::vector<uint8_t> cin = raw.cin();
  cin.pop_back();                          // drop B's NUL
  encodeI32(cin.data() + 4, 3);            // Z covers "A\0B"
  writeRaw(root, raw.cbk(), cin);
  ConsoleCapture capture;
  CompBank bank(root);
  ASSERT_TRUE(bank.isOpen());
  Series values;
  EXPECT_EQ(bank.readSeries("A", values, -1), 0);
  EXPECT_EQ(bank.readSeries("B", values, -1), -1);
}

TEST(CompBank, MissingFilesAreReported) {
  TempDir dir;
  const std::string root = dir.file("absent");
  {
    ConsoleCapture capture;
    CompBank bank(root);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(bank.openState(), -1);
    EXPECT_EQ(bank.kind(), 'c');
    Series values;
    EXPECT_EQ(bank.readSeries("A", values, -1), -1);
    EXPECT_EQ(capture.take(), openFailure(root + ".cbk"));
  }
  CompBankWriter writer;
  ASSERT_EQ(writer.addSeries("A", VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  ASSERT_EQ(writer.write(root), 0);
  std::filesystem::remove(root + ".cin");
  ConsoleCapture capture;
  {
    CompBank bank(root);
    EXPECT_FALSE(bank.isOpen());
    EXPECT_EQ(capture.take(), openFailure(root + ".cin"));
  }
  EXPECT_EQ(capture.take(), kDestructorMessage);
}

// Files that run short, areas that run past their ends, counts that the file sizes
// cannot hold: the bank is refused at open with a message, never read past its bytes.
TEST(CompBank, DamagedFilesAreRefusedAtOpen) {
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>& cbk, std::vector<uint8_t>& cin)> damage;
    const char* file;    // "cbk" or "cin"
    const char* reason;  // nullptr: only "Cannot open"
  };
  const Case cases[] = {
      {"header short", [](auto& cbk, auto&) { cbk.resize(87); }, "cbk", nullptr},
      {"empty data file", [](auto& cbk, auto&) { cbk.clear(); }, "cbk", nullptr},
      {"table offset negative", [](auto& cbk, auto&) { encodeI32(cbk.data() + 84, -4); }, "cbk",
       "the offset table lies outside the file"},
      {"table offset past the end", [](auto& cbk, auto&) { encodeI32(cbk.data() + 84, 1 << 30); }, "cbk",
       "the offset table lies outside the file"},
      {"count beyond the table", [](auto& cbk, auto&) { encodeU32(cbk.data() + 80, 40); }, "cbk",
       "the offset table lies outside the file"},
      {"table cut short", [](auto& cbk, auto&) { cbk.resize(cbk.size() - 1); }, "cbk",
       "the offset table lies outside the file"},
      {"name file short", [](auto&, auto& cin) { cin.resize(6); }, "cin", "the file runs short"},
      {"name area over 32767", [](auto&, auto& cin) { encodeI32(cin.data() + 4, 32768); }, "cin",
       "the name area size is out of range"},
      {"name area negative", [](auto&, auto& cin) { encodeI32(cin.data() + 4, -1); }, "cin",
       "the name area size is out of range"},
      {"name area past the end", [](auto&, auto& cin) { encodeI32(cin.data() + 4, 100); }, "cin",
       "the name area runs past the end of the file"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string root = dir.file("bad");
    RawCompBank raw;
    raw.names = {"A", "B"};
    raw.records = {floatRecord(95, 0x11, {1}), floatRecord(95, 0x11, {2})};
    std::vector<uint8_t> cbk = raw.cbk();
    std::vector<uint8_t> cin = raw.cin();
    c.damage(cbk, cin);
    writeRaw(root, cbk, cin);
    ConsoleCapture capture;
    {
      CompBank bank(root);
      EXPECT_FALSE(bank.isOpen()) << c.what;
      Series values;
      EXPECT_EQ(bank.readSeries("A", values, -1), -1) << c.what;
      const std::string file = root + "." + c.file;
      EXPECT_EQ(capture.take(), c.reason ? damaged(file, c.reason) : openFailure(file)) << c.what;
    }
  }
}

// A damaged record refuses that one series, naming it and the bank; the others read.
TEST(CompBank, DamagedSeriesAreRefusedOnRead) {
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>& cbk, size_t tableOffset)> damage;
    const char* reason;
    const char* dateMessage;
  };
  const Case cases[] = {
      {"record offset negative", [](auto& cbk, size_t table) { encodeI32(cbk.data() + table, -1); },
       "record offset outside the data file", ""},
      {"record offset past the end", [](auto& cbk, size_t table) { encodeI32(cbk.data() + table, 99999); },
       "record offset outside the data file", ""},
      {"record runs past the end",
       [](auto& cbk, size_t table) { encodeI32(cbk.data() + table, static_cast<int32_t>(table) - 5); },
       "record runs past the end of the file", ""},
      {"count larger than the file", [](auto& cbk, size_t) { encodeI16(cbk.data() + 88 + 3, 30000); },
       "record runs past the end of the file", ""},
      {"year byte 250", [](auto& cbk, size_t) { cbk[88] = 250; }, "invalid start date",
       "Year doesn't look right: 250.\n"},
      {"frequency nibble 2", [](auto& cbk, size_t) { cbk[89] = 0x21; }, "invalid start date",
       "Frequency must be 1, 4, or 12.\n"},
      {"shift of 15", [](auto& cbk, size_t) { cbk[90] = 0xF1; }, "shift of 15", ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string root = dir.file("badseries");
    RawCompBank raw;
    raw.names = {"A", "B"};
    raw.records = {packedRecord(95, 0x11, 0x00, 1, {1, 1}), floatRecord(95, 0x11, {2})};
    std::vector<uint8_t> cbk = raw.cbk();
    c.damage(cbk, static_cast<size_t>(decodeI32(cbk.data() + 84)));
    writeRaw(root, cbk, raw.cin());
    ConsoleCapture capture;
    CompBank bank(root);
    ASSERT_TRUE(bank.isOpen()) << c.what << capture.text();
    Series values;
    ASSERT_EQ(bank.readSeries("B", values, -1), 0) << c.what;
    const uint16_t length = bank.seriesLength();
    capture.take();
    EXPECT_EQ(bank.readSeries("A", values, -1), -1) << c.what;
    EXPECT_EQ(capture.take(), std::string(c.dateMessage) + "\r\nSeries A in " + root +
                                  ".cbk cannot be read: " + c.reason + ".\r\n")
        << c.what;
    // A refused read leaves what the last good read reported.
    EXPECT_EQ(bank.seriesLength(), length) << c.what;
    ASSERT_EQ(bank.readSeries("B", values, -1), 0) << c.what;
    EXPECT_EQ(values[75], 2.0f) << c.what;
  }
}

TEST(CompBank, PrintsItsDescription) {
  TempDir dir;
  const std::string root = dir.file("info");
  CompBankWriter writer("Forecast of May");
  ASSERT_EQ(writer.addSeries("A", VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  ASSERT_EQ(writer.addSeries("B", VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  ASSERT_EQ(writer.write(root), 0);
  ConsoleCapture capture;
  CompBank bank(root);
  EXPECT_EQ(bank.printInfo(2), 0);
  EXPECT_EQ(capture.take(),
            "\r\nIndex file read.\r\n\r\nTitle of assigned bank:\r\nForecast of May"
            "\r\nMax observations per series 1999.  Contains 2 series."
            "\r\nThis bank assigned as bank: c.\r\n");
  bank.printInfo(0);
  EXPECT_EQ(capture.take(),
            "\r\nIndex file read.\r\n\r\nTitle of assigned bank:\r\nForecast of May"
            "\r\nMax observations per series 1999.  Contains 2 series.");
}

TEST(CompBank, ListsNamesInNameAreaOrder) {
  TempDir dir;
  const std::string root = dir.file("list");
  CompBankWriter writer;
  for (const char* name : {"ZED", "ALPHA", "AB", "ABC", "M1"}) {
    ASSERT_EQ(writer.addSeries(name, VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  }
  ASSERT_EQ(writer.write(root), 0);
  ConsoleCapture capture;
  CompBank bank(root);
  struct Case {
    const char* pattern;
    int16_t wide;
    std::string expected;
  };
  const Case cases[] = {
      {"", 0, "ZED            \nALPHA          \nAB             \nABC            \nM1             "},
      {"A*", 1, "ALPHA          AB             ABC            "},
      {"A*C", 0, "ABC            "},
      // An invalid pattern counts as a match once a name reaches the "**".
      {"A**", 0, "ALPHA          \nAB             \nABC            "},
  };
  for (const Case& c : cases) {
    int16_t status = 0;
    EXPECT_EQ(listedNames(bank, c.pattern, c.wide, status), c.expected) << c.pattern;
    EXPECT_EQ(status, 1) << c.pattern;
  }
  EXPECT_EQ(capture.text(), "");
}

TEST(CompBankWriter, RefusesWhatTheBankCannotHold) {
  CompBankWriter writer;
  ConsoleCapture capture;
  ASSERT_EQ(writer.addSeries("A", VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  EXPECT_EQ(writer.addSeries("A", VexDate(1995, 1, 1), std::vector<float>{1}), -1);
  EXPECT_EQ(capture.take(), "\r\nSeries A cannot be stored: the name is already in the bank.\r\n");
  EXPECT_EQ(writer.addSeries("", VexDate(1995, 1, 1), std::vector<float>{1}), -1);
  EXPECT_EQ(writer.addSeries("OLD", VexDate(1900, 1, 1), std::vector<float>{1}), -1);
  EXPECT_EQ(capture.take(),
            "\r\nSeries  cannot be stored: a name must be non-empty text.\r\n"
            "\r\nSeries OLD cannot be stored: start year outside 1925 to 2099.\r\n");
  // The name area holds at most 32767 bytes, NULs included.
  const std::string longName(16380, 'N');
  ASSERT_EQ(writer.addSeries(longName + "1", VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  ASSERT_EQ(writer.addSeries(longName + "2", VexDate(1995, 1, 1), std::vector<float>{1}), 0);
  EXPECT_EQ(writer.addSeries("B", VexDate(1995, 1, 1), std::vector<float>{1}), -1);
  EXPECT_EQ(capture.take(), "\r\nSeries B cannot be stored: the name area is full.\r\n");
  EXPECT_EQ(writer.seriesCount(), 3u);
}

}  // namespace
}  // namespace tabrix

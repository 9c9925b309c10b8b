// The series record shared by the compressed and hashed banks: decoding both forms,
// alignment on period 1 of 1920, refusals of malformed records, and the writer's
// choice between the packed and the float form.
#include "banks/series_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "platform/console.h"
#include "record_bank_fixtures.h"
#include "support/constants.h"

namespace tabrix {
namespace {

using testing::floatRecord;
using testing::packedRecord;
using testing::Series;
using testing::TempDir;

// Decodes a record held in memory the way a bank reads it from its file.
struct Decoded {
  int16_t status = 0;
  std::vector<float> values;
  std::string reason;
  std::string printed;
};

Decoded decode(const std::vector<uint8_t>& record) {
  Decoded result;
  ConsoleCapture capture;
  const SeriesRecordHeader header = parseRecordHeader(record.data());
  std::span<const uint8_t> body(record.data() + kRecordHeaderSize, record.size() - kRecordHeaderSize);
  result.status = decodeRecordValues(header, body, result.values, result.reason) ? 0 : -1;
  if (result.status == 0) {
    VexDate start;
    if (!recordStartDate(header, start, result.reason)) result.status = -1;
  }
  result.printed = capture.text();
  return result;
}

TEST(SeriesRecord, PackedExampleWithZeroMarker) {
  // v0 = 1000, differences 10, 32767 and 5, shift 0, one decimal.
  const Decoded d = decode(packedRecord(95, 0x11, 0x01, 1000, {10, kZeroMarker, 5}));
  ASSERT_EQ(d.status, 0) << d.reason;
  EXPECT_EQ(d.values, (std::vector<float>{100.0f, 101.0f, 0.0f, 101.5f}));
}

TEST(SeriesRecord, PackedShiftAndDecimals) {
  struct Case {
    uint8_t code;
    int32_t base;
    std::vector<int16_t> differences;
    std::vector<float> expected;
  };
  const Case cases[] = {
      // Shift 3 multiplies each difference by 8.
      {0x30, 100, {1, -2}, {100.0f, 108.0f, 92.0f}},
      // Shift 14 is the largest usable multiplier (16384).
      {0xE0, 0, {1, 1}, {0.0f, 16384.0f, 32768.0f}},
      // Two decimals: the scale is 0.1 rounded to float, times 0.1, rounded again.
      {0x02, 12345, {-45}, {123.45f, 123.0f}},
      // A negative base value, and a zero marker right after it.
      {0x00, -7, {kZeroMarker, 2}, {-7.0f, 0.0f, -5.0f}},
      // No differences at all: the record holds just v0.
      {0x00, 42, {}, {42.0f}},
  };
  for (const Case& c : cases) {
    const Decoded d = decode(packedRecord(95, 0x11, c.code, c.base, c.differences));
    ASSERT_EQ(d.status, 0) << d.reason;
    EXPECT_EQ(d.values, c.expected) << "code " << int{c.code};
  }
}

TEST(SeriesRecord, ScaleAndValuesAreSinglePrecision) {
  EXPECT_EQ(packedScale(0), 1.0f);
  EXPECT_EQ(packedScale(1), 0.1f);
  EXPECT_EQ(packedScale(2), 0.01f);
  // Rounding after each step drifts one unit below the nearest float from 3 decimals on.
  EXPECT_EQ(std::bit_cast<uint32_t>(packedScale(3)), 0x3A83126Eu);  // 0.001f is ...6F
  EXPECT_EQ(std::bit_cast<uint32_t>(packedScale(6)), 0x358637BCu);  // 1e-6f is ...BD
  // 1015 x 0.1f is 101.5000015 in double precision; the value is its float, 101.5.
  EXPECT_EQ(packedValue(1015, packedScale(1)), 101.5f);
  EXPECT_EQ(packedValue(-123456789, packedScale(3)), -123456.78125f);
}

TEST(SeriesRecord, MalformedRecordsAreRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> record;
    const char* reason;
    const char* dateMessage;
  };
  std::vector<uint8_t> longFloat = floatRecord(95, 0x11, {});
  encodeI16(longFloat.data() + 3, 4000);
  longFloat.resize(kRecordHeaderSize + 4 * 4000, 0);
  std::vector<uint8_t> longPacked = packedRecord(95, 0x11, 0x00, 0, std::vector<int16_t>(3999, 1));
  std::vector<uint8_t> negative = floatRecord(95, 0x11, {});
  encodeI16(negative.data() + 3, -1);
  const Case cases[] = {
      {"shift of 15", packedRecord(95, 0x11, 0xF0, 1, {1}), "shift of 15", ""},
      {"float record over 3999 values", longFloat, "more than 3999 values", ""},
      {"packed record over 3998 differences", longPacked, "more than 3999 values", ""},
      {"negative count", negative, "negative number of values", ""},
      {"overflowing integers", packedRecord(95, 0x11, 0xE0, 2147483000, {1}), "packed values overflow", ""},
      {"year byte 200", floatRecord(200, 0x11, {1.0f}), "invalid start date", "Year doesn't look right: 200.\n"},
      {"frequency 3", floatRecord(95, 0x31, {1.0f}), "invalid start date", "Frequency must be 1, 4, or 12.\n"},
      {"frequency 0", floatRecord(95, 0x01, {1.0f}), "invalid start date", "Frequency must be 1, 4, or 12.\n"},
      {"period 0", floatRecord(95, 0x40, {1.0f}), "invalid start date", "Period must be >= 1, <= freq.\n"},
      {"period 5 of a quarter", floatRecord(95, 0x45, {1.0f}), "invalid start date", "Period must be >= 1, <= freq.\n"},
  };
  for (const Case& c : cases) {
    const Decoded d = decode(c.record);
    EXPECT_EQ(d.status, -1) << c.what;
    EXPECT_EQ(d.reason, c.reason) << c.what;
    EXPECT_EQ(d.printed, c.dateMessage) << c.what;
  }
}

TEST(SeriesRecord, AlignsOnFirstPeriodOf1920) {
  Series out;
  // Quarterly from 1960 Q3: k = 40 x 4 + 2 = 162.
  const std::vector<float> eight = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(alignOnBase(eight, VexDate(1960, 3, 4), out.data()), 170);
  for (int slot = 0; slot < MaxObs; ++slot) {
    if (slot >= 162 && slot <= 169) {
      EXPECT_EQ(out[slot], static_cast<float>(slot - 161)) << slot;
    } else {
      EXPECT_EQ(std::bit_cast<uint32_t>(out[slot]), 0xB58637BDu) << slot;
    }
  }
}

TEST(SeriesRecord, AlignmentDropsWhatFallsOutsideTheArray) {
  struct Case {
    const char* what;
    VexDate start;
    int values;
    int firstSlot;     // slot of the first kept value
    int firstKept;     // index of that value
    int keptCount;
    int16_t length;
  };
  const Case cases[] = {
      // Annual from 1915: the five values before 1920 are lost.
      {"annual from 1915", VexDate(1915, 1, 1), 8, 0, 5, 3, 3},
      // Monthly from 1919 March: ten months before 1920.
      {"monthly from March 1919", VexDate(1919, 3, 12), 12, 0, 10, 2, 2},
      // Ending before 1920: nothing kept, length 0.
      {"annual 1910-1914", VexDate(1910, 1, 1), 5, 0, 0, 0, 0},
      // Monthly from 2080: slot 1920 onwards, cut at slot 1998.
      {"monthly from 2080", VexDate(2080, 1, 12), 200, 1920, 0, 79, 1999},
      // An empty series: its last index is -1.
      {"empty from 1930", VexDate(1930, 1, 1), 0, 0, 0, 0, 10},
  };
  for (const Case& c : cases) {
    std::vector<float> values(static_cast<size_t>(c.values));
    for (int i = 0; i < c.values; ++i) values[static_cast<size_t>(i)] = static_cast<float>(i + 1);
    Series out;
    EXPECT_EQ(alignOnBase(values, c.start, out.data()), c.length) << c.what;
    int kept = 0;
    for (int slot = 0; slot < MaxObs; ++slot) {
      if (!isMissing(out[slot])) {
        EXPECT_EQ(out[slot], static_cast<float>(c.firstKept + (slot - c.firstSlot) + 1)) << c.what << slot;
        ++kept;
      }
    }
    EXPECT_EQ(kept, c.keptCount) << c.what;
  }
}

// Records read from a file: short ones, ones longer than the first read takes, the
// longest one, and a short one at the very end of the file. Each lands at slot k (by
// hand: periods from period 1 of 1920) with the missing marker elsewhere; read for its
// data only, the slots past its length are left alone.
TEST(SeriesRecord, ReadsRecordsOfEveryLengthFromAFile) {
  struct Case {
    const char* what;
    VexDate start;
    int count;
    bool mixed;  // magnitudes that force the float form
    int k;
  };
  const Case cases[] = {
      {"short packed", VexDate(1930, 1, 1), 3, false, 10},
      {"200 floats", VexDate(1925, 1, 4), 200, true, 20},
      {"1000 packed", VexDate(1950, 1, 12), 1000, false, 360},
      {"3999 floats", VexDate(1925, 1, 1), 3999, true, 5},
      {"short float at the end", VexDate(1930, 1, 1), 2, true, 10},
  };
  auto valueOf = [](const Case& c, int i) {
    return c.mixed ? (i % 2 == 0 ? 1e-3f * static_cast<float>(i + 1) : 1e6f + static_cast<float>(i))
                   : static_cast<float>(i * 3 - 7);
  };
  std::vector<uint8_t> file(10, 0xEE);  // something before the first record
  std::vector<int64_t> offsets;
  for (const Case& c : cases) {
    std::vector<float> values;
    for (int i = 0; i < c.count; ++i) values.push_back(valueOf(c, i));
    std::vector<uint8_t> record;
    std::string reason;
    ASSERT_TRUE(encodeSeriesRecord(c.start, values, record, reason)) << c.what << reason;
    EXPECT_EQ(record[2] == kFloatFormCode, c.mixed) << c.what;
    offsets.push_back(static_cast<int64_t>(file.size()));
    file.insert(file.end(), record.begin(), record.end());
  }
  TempDir dir;
  const std::string path = dir.file("records.bin");
  ASSERT_TRUE(writeWholeFile(path, file));
  BinaryFile in;
  ASSERT_TRUE(in.open(path, "rb", BinaryFile::Buffering::Unbuffered));
  for (size_t n = 0; n < std::size(cases); ++n) {
    const Case& c = cases[n];
    Series out;
    out.fill(42.0f);
    SeriesReadResult result;
    std::string reason;
    ASSERT_EQ(readSeriesRecord(in, offsets[n], static_cast<int64_t>(file.size()), out.data(), result, reason), 0)
        << c.what << reason;
    EXPECT_EQ(result.length, std::min(c.k + c.count, MaxObs)) << c.what;
    EXPECT_EQ(result.lastIndex, c.count - 1) << c.what;
    EXPECT_EQ(result.frequency, c.start.frequency) << c.what;
    for (int slot = 0; slot < MaxObs; ++slot) {
      const int i = slot - c.k;
      const float want = i >= 0 && i < c.count ? valueOf(c, i) : MissingValue;
      ASSERT_EQ(std::bit_cast<uint32_t>(out[slot]), std::bit_cast<uint32_t>(want)) << c.what << " slot " << slot;
    }
    // Reading the data only writes the same slots through the length, and no further.
    Series data;
    data.fill(42.0f);
    ASSERT_EQ(readSeriesRecord(in, offsets[n], static_cast<int64_t>(file.size()), data.data(), result, reason,
                               RecordFill::DataOnly),
              0)
        << c.what << reason;
    for (int slot = 0; slot < MaxObs; ++slot) {
      const float want = slot < result.length ? out[slot] : 42.0f;
      ASSERT_EQ(std::bit_cast<uint32_t>(data[slot]), std::bit_cast<uint32_t>(want)) << c.what << " slot " << slot;
    }
  }
}

// The writer keeps every value exactly, choosing the packed form whenever it can.
TEST(SeriesRecord, EncoderRoundTripsAndChoosesItsForm) {
  struct Case {
    const char* what;
    std::vector<float> values;
    bool packed;
    uint8_t code;  // expected code byte when packed
  };
  const Case cases[] = {
      {"whole numbers", {100, 101, 0, 101, -5}, true, 0x00},
      {"one decimal", {100.0f, 101.0f, 0.0f, 101.5f}, true, 0x01},
      {"two decimals", {1.25f, 3.75f, 2.5f}, true, 0x02},
      {"large steps need a shift", {0, 1 << 20, 2 << 20}, true, 0x60},
      {"single value", {3.5f}, true, 0x01},
      {"mixed magnitudes", {1e-3f, 1e6f, 12345.678f}, false, kFloatFormCode},
      {"missing value inside", {1.0f, MissingValue, 2.0f}, false, kFloatFormCode},
      {"not a number", {1.0f, std::nanf(""), 2.0f}, false, kFloatFormCode},
      {"negative zero", {-0.0f}, false, kFloatFormCode},
      {"empty", {}, false, kFloatFormCode},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> record;
    std::string reason;
    ASSERT_TRUE(encodeSeriesRecord(VexDate(1995, 2, 4), c.values, record, reason)) << c.what << reason;
    EXPECT_EQ(record[0], 95) << c.what;
    EXPECT_EQ(record[1], 0x42) << c.what;
    EXPECT_EQ(record[2], c.code) << c.what;
    EXPECT_EQ(record[2] != kFloatFormCode, c.packed) << c.what;
    const Decoded d = decode(record);
    ASSERT_EQ(d.status, 0) << c.what << d.reason;
    ASSERT_EQ(d.values.size(), c.values.size()) << c.what;
    for (size_t i = 0; i < c.values.size(); ++i) {
      EXPECT_EQ(std::bit_cast<uint32_t>(d.values[i]), std::bit_cast<uint32_t>(c.values[i])) << c.what << i;
    }
  }
}

TEST(SeriesRecord, EncoderRefusesWhatARecordCannotHold) {
  struct Case {
    const char* what;
    VexDate start;
    size_t values;
  };
  VexDate unset;
  const Case cases[] = {
      {"before 1925", VexDate(1924, 1, 1), 3},
      {"after 2099", VexDate(2100, 1, 1), 3},
      {"no frequency", unset, 3},
      {"4000 values", VexDate(1990, 1, 1), 4000},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> record;
    std::string reason;
    EXPECT_FALSE(encodeSeriesRecord(c.start, std::vector<float>(c.values, 1.0f), record, reason)) << c.what;
    EXPECT_FALSE(reason.empty()) << c.what;
  }
  // The bounds themselves are stored.
  std::vector<uint8_t> record;
  std::string reason;
  EXPECT_TRUE(encodeSeriesRecord(VexDate(1925, 1, 1), std::vector<float>(3999, 1.0f), record, reason));
  EXPECT_TRUE(encodeSeriesRecord(VexDate(2099, 12, 12), std::vector<float>{1.0f}, record, reason));
  EXPECT_EQ(record[0], 199);
}

// A series given from observation 0 of a workspace-style base keeps only its values,
// starting at its first one.
TEST(SeriesRecord, StoredRangeDropsMissingEnds) {
  const float m = MissingValue;
  struct Case {
    const char* what;
    VexDate base;
    std::vector<float> values;
    VexDate start;
    std::vector<float> kept;
  };
  const Case cases[] = {
      {"nothing to drop", VexDate(1990, 1, 1), {1, 2}, VexDate(1990, 1, 1), {1, 2}},
      {"leading and trailing", VexDate(1990, 1, 1), {m, m, 1, m, 2, m}, VexDate(1992, 1, 1), {1, m, 2}},
      {"quarters over a year end", VexDate(1990, 3, 4), {m, m, m, 5}, VexDate(1991, 2, 4), {5}},
      {"months", VexDate(1999, 12, 12), {m, 7}, VexDate(2000, 1, 12), {7}},
      {"empty, base before 1925", VexDate(1900, 1, 4), std::vector<float>(30, m), VexDate(1925, 1, 4), {}},
      {"empty at a storable base", VexDate(1990, 2, 4), {m, m}, VexDate(1990, 2, 4), {}},
  };
  for (const Case& c : cases) {
    VexDate start;
    std::span<const float> kept;
    storedRange(c.values, c.base, start, kept);
    EXPECT_EQ(std::vector<float>(kept.begin(), kept.end()), c.kept) << c.what;
    EXPECT_EQ(start.year, c.start.year) << c.what;
    EXPECT_EQ(start.period, c.start.period) << c.what;
    EXPECT_EQ(start.frequency, c.start.frequency) << c.what;
  }
  // Values after a base before 1925 move the start to the first value.
  std::vector<float> late(30, m);
  late[27] = 3;
  VexDate start;
  std::span<const float> kept;
  storedRange(late, VexDate(1900, 1, 1), start, kept);
  EXPECT_EQ(start.year, 1927);
  EXPECT_EQ(kept.size(), 1u);
}

}  // namespace
}  // namespace tabrix

#include "banks/binary_io.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "bank_test_support.h"
#include "support/constants.h"

namespace tabrix {
namespace {

using testing::TempDir;

TEST(BinaryIoTest, ValuesAreLaidOutLeastSignificantByteFirst) {
  std::vector<uint8_t> bytes;
  appendU16(bytes, 0x1234);
  appendI16(bytes, -2);
  appendU32(bytes, 0x89ABCDEF);
  appendI32(bytes, -1000);
  appendF32(bytes, MissingValue);
  appendF32(bytes, 1.0f);
  const std::vector<uint8_t> expected = {0x34, 0x12, 0xFE, 0xFF, 0xEF, 0xCD, 0xAB, 0x89,
                                         0x18, 0xFC, 0xFF, 0xFF, 0xBD, 0x37, 0x86, 0xB5,
                                         0x00, 0x00, 0x80, 0x3F};
  EXPECT_EQ(bytes, expected);

  EXPECT_EQ(decodeU16(&bytes[0]), 0x1234);
  EXPECT_EQ(decodeI16(&bytes[2]), -2);
  EXPECT_EQ(decodeU32(&bytes[4]), 0x89ABCDEFu);
  EXPECT_EQ(decodeI32(&bytes[8]), -1000);
  EXPECT_EQ(decodeF32(&bytes[12]), MissingValue);
  EXPECT_EQ(decodeF32(&bytes[16]), 1.0f);
}

TEST(BinaryIoTest, FloatBitPatternsSurviveExactly) {
  const std::array<float, 5> values = {-0.0f, 1e-40f, 3.4028235e38f, 0.1f, -123.456f};
  for (float v : values) {
    uint8_t b[4];
    encodeF32(b, v);
    float back = decodeF32(b);
    EXPECT_EQ(std::signbit(back), std::signbit(v));
    EXPECT_EQ(back, v);
  }
  uint8_t nan[4] = {0x01, 0x00, 0xC0, 0x7F};
  EXPECT_TRUE(std::isnan(decodeF32(nan)));
}

TEST(BinaryIoTest, FixedTextIsCutOrPadded) {
  std::vector<uint8_t> bytes;
  appendFixedText(bytes, "abc", 5);
  appendFixedText(bytes, "abcdef", 4);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{'a', 'b', 'c', 0, 0, 'a', 'b', 'c', 'd'}));
}

TEST(BinaryIoTest, ByteReaderNeverReadsPastItsBuffer) {
  const std::vector<uint8_t> bytes = {0x01, 0x02, 0x03, 'h', 'i', 0, 'x'};
  ByteReader reader(bytes);
  uint16_t u16 = 0;
  ASSERT_TRUE(reader.readU16(u16));
  EXPECT_EQ(u16, 0x0201);
  uint32_t u32 = 7;
  EXPECT_FALSE(reader.skip(6));
  ASSERT_TRUE(reader.skip(1));
  std::string text;
  ASSERT_TRUE(reader.readCString(text));
  EXPECT_EQ(text, "hi");
  // One byte left: wider reads and an unterminated string all fail and change nothing.
  EXPECT_FALSE(reader.readU32(u32));
  EXPECT_EQ(u32, 7u);
  EXPECT_FALSE(reader.readU16(u16));
  EXPECT_FALSE(reader.readCString(text));
  EXPECT_EQ(reader.position(), 6u);
  EXPECT_FALSE(reader.seek(8));
  EXPECT_TRUE(reader.seek(7));
  EXPECT_EQ(reader.remaining(), 0u);
  uint8_t u8;
  EXPECT_FALSE(reader.readU8(u8));
}

TEST(BinaryIoTest, FileReadsReportWhatArrived) {
  TempDir dir;
  std::string path = dir.file("data.bin");
  {
    BinaryFile out;
    ASSERT_TRUE(out.open(path, "w+b"));
    EXPECT_TRUE(out.writeU16(500));
    EXPECT_TRUE(out.writeI32(-7));
    EXPECT_TRUE(out.writeF32Array(std::vector<float>{1.5f, 2.5f}));
    EXPECT_TRUE(out.writeU8(9));  // a float's first byte only
  }
  BinaryFile in;
  ASSERT_TRUE(in.open(path, "rb"));
  EXPECT_EQ(in.size(), 15);
  uint16_t u16;
  int32_t i32;
  ASSERT_TRUE(in.readU16(u16));
  ASSERT_TRUE(in.readI32(i32));
  EXPECT_EQ(u16, 500);
  EXPECT_EQ(i32, -7);
  std::array<float, 4> values = {0, 0, 0, 42};
  EXPECT_EQ(in.readF32Array(values), 2u);  // the lone last byte is not a float
  EXPECT_EQ(values, (std::array<float, 4>{1.5f, 2.5f, 0, 42}));
  float f = 3;
  EXPECT_FALSE(in.readF32(f));
  EXPECT_EQ(f, 3);
  EXPECT_EQ(in.seek(-1), -1);
  ASSERT_EQ(in.seek(14), 0);
  uint8_t u8;
  EXPECT_TRUE(in.readU8(u8));
  EXPECT_EQ(u8, 9);
  EXPECT_FALSE(in.readU8(u8));

  BinaryFile closed;
  EXPECT_FALSE(closed.open(dir.file("missing/none.bin"), "rb"));
  EXPECT_EQ(closed.seek(0), -1);
  EXPECT_EQ(closed.read(&u8, 1), 0u);
  EXPECT_FALSE(closed.writeU8(1));
}

TEST(BinaryIoTest, PositionedReadsLeaveThePositionAlone) {
  TempDir dir;
  const std::string path = dir.file("positioned.bin");
  ASSERT_TRUE(writeWholeFile(path, std::vector<uint8_t>{10, 11, 12, 13, 14, 15}));
  for (auto buffering : {BinaryFile::Buffering::Buffered, BinaryFile::Buffering::Unbuffered}) {
    BinaryFile in;
    ASSERT_TRUE(in.open(path, "rb", buffering));
    uint8_t first = 0;
    ASSERT_TRUE(in.readU8(first));
    std::array<uint8_t, 4> got{};
    EXPECT_EQ(in.readAt(2, got.data(), 3), 3u);
    EXPECT_EQ(got, (std::array<uint8_t, 4>{12, 13, 14, 0}));
    // Past the end only what is there arrives; at or after the end, and before the
    // start, nothing.
    EXPECT_EQ(in.readAt(4, got.data(), 4), 2u);
    EXPECT_EQ(got[0], 14);
    EXPECT_EQ(got[1], 15);
    EXPECT_EQ(in.readAt(6, got.data(), 1), 0u);
    EXPECT_EQ(in.readAt(-1, got.data(), 1), 0u);
    // The stream goes on where it stood.
    uint8_t second = 0;
    ASSERT_TRUE(in.readU8(second));
    EXPECT_EQ(first, 10);
    EXPECT_EQ(second, 11);
  }
  // A created file's writes show once flushed.
  BinaryFile update;
  ASSERT_TRUE(update.open(dir.file("update.bin"), "w+b"));
  ASSERT_TRUE(update.writeU16(0x0201));
  ASSERT_EQ(update.flush(), 0);
  std::array<uint8_t, 2> back{};
  EXPECT_EQ(update.readAt(0, back.data(), 2), 2u);
  EXPECT_EQ(back, (std::array<uint8_t, 2>{1, 2}));
  BinaryFile closed;
  EXPECT_EQ(closed.readAt(0, back.data(), 1), 0u);
}

}  // namespace
}  // namespace tabrix

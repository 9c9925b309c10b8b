#include "support/fixed_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "support/constants.h"

namespace tabrix {
namespace {

// What the C library writes, the reference of every case here.
std::string reference(float value, int width, int decimals) {
  char text[512];
  std::snprintf(text, sizeof text, "%*.*f", width, decimals, static_cast<double>(value));
  return text;
}

std::string fast(float value, int width, int decimals) {
  char text[FixedTextCapacity];
  const int length = formatFixed(text, value, width, decimals);
  if (length < 0) return "(declined)";
  EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(text));
  return text;
}

float fromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(FormatFixedTest, HardCasesAgreeWithTheCLibrary) {
  const float cases[] = {
      0.0f, -0.0f, 0.125f, -0.125f, 0.375f, 2.5f, 3.5f, -2.5f, 0.5f, 1.5f,  // ties
      9.995f, 9.9949999f, 99.95f, 0.05f, 0.15f, 0.25f, 0.35f, 1.005f, 1234.5f,
      9.5f, 99.5f, 999.5f, 9999.5f, 0.95f, 0.995f, 9.9999f, 99999.99f, 999999.9f,
      1e7f, 16777215.0f, 16777216.0f, 16777217.0f, 33554434.0f, 1e10f, 1e20f, 1e30f,
      FLT_MAX, -FLT_MAX, FLT_MIN, -FLT_MIN, FLT_TRUE_MIN, -FLT_TRUE_MIN, 1e-10f, 5e-10f,
      4.9999e-10f, 0.0000005f, 0.00000049f, MissingValue, -0.0000011f, -0.0000009f,
      1.0f / 3.0f, 2.0f / 3.0f, 100.0f / 7.0f, 1999.0f, -1711.4f, 128.7f, 0.1f, 0.2f,
      0.3f, 0.7f, 123456.789f, 8388607.5f, 8388608.0f, 4194303.75f};
  for (float value : cases) {
    for (int decimals = 0; decimals <= 9; ++decimals) {
      for (int width : {0, 1, 5, 7, 10, 14, -8, 60, MaxFixedWidth, -MaxFixedWidth}) {
        ASSERT_EQ(fast(value, width, decimals), reference(value, width, decimals))
            << "value " << value << " width " << width << " decimals " << decimals;
      }
    }
  }
}

TEST(FormatFixedTest, DeclinesWhatItDoesNotCover) {
  char text[FixedTextCapacity];
  EXPECT_EQ(formatFixed(text, 1.0f, 7, 10), -1);
  EXPECT_EQ(formatFixed(text, 1.0f, 7, -1), -1);
  EXPECT_EQ(formatFixed(text, 1.0f, MaxFixedWidth + 1, 2), -1);
  EXPECT_EQ(formatFixed(text, 1.0f, -MaxFixedWidth - 1, 2), -1);
  EXPECT_EQ(formatFixed(text, std::numeric_limits<float>::infinity(), 7, 2), -1);
  EXPECT_EQ(formatFixed(text, std::numeric_limits<float>::quiet_NaN(), 7, 2), -1);
}

// A few million pseudo-random floats with a fixed seed: every bit pattern is as likely
// (all magnitudes), and as many of the magnitudes tables hold (1e-3 .. 1e7).
TEST(FormatFixedTest, RandomFloatsAgreeWithTheCLibrary) {
  std::mt19937 random(20261210);
  std::uniform_int_distribution<uint32_t> anyBits;
  std::uniform_real_distribution<double> exponent(-3.0, 7.0);
  std::uniform_int_distribution<int> anyDecimals(0, 9);
  std::uniform_int_distribution<int> anyWidth(0, 16);
  int checked = 0;
  for (int i = 0; i < 1500000; ++i) {
    const uint32_t bits = anyBits(random);
    const float value = fromBits(bits);
    if (!std::isfinite(value)) continue;
    const int decimals = anyDecimals(random);
    const int width = anyWidth(random);
    ASSERT_EQ(fast(value, width, decimals), reference(value, width, decimals))
        << "bits " << std::hex << bits << " width " << std::dec << width << " decimals " << decimals;
    float typical = static_cast<float>(std::pow(10.0, exponent(random)));
    if ((i & 1) != 0) typical = -typical;
    ASSERT_EQ(fast(typical, width, decimals), reference(typical, width, decimals))
        << "value " << typical << " width " << width << " decimals " << decimals;
    checked += 2;
  }
  EXPECT_GT(checked, 2900000);
}

}  // namespace
}  // namespace tabrix

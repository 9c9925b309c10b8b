// Helpers for the bank tests: series arrays and whole-file byte access (the temporary
// directory comes from test_files.h).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "banks/binary_io.h"
#include "banks/data_bank.h"
#include "support/constants.h"
#include "test_files.h"

namespace tabrix::testing {

using tabrix::testing::TempDir;

using Series = std::array<float, MaxObs>;

// A series holding the given leading values and `fill` everywhere after.
inline Series series(std::initializer_list<float> values, float fill = 0.0f) {
  Series out;
  out.fill(fill);
  size_t i = 0;
  for (float v : values) out[i++] = v;
  return out;
}

inline std::vector<uint8_t> fileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(readWholeFile(path, bytes)) << path;
  return bytes;
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(writeWholeFile(path, bytes)) << path;
}

}  // namespace tabrix::testing

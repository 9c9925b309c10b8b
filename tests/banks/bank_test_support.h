// Helpers for the bank tests: a temporary directory removed afterwards, series arrays
// and whole-file byte access.
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

namespace tabrix::testing {

// A fresh directory under the system's temporary directory, deleted with its files.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tabrix-banks-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = buffer.data();
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory's path joined with a file name.
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

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

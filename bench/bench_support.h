// Helpers shared by the benchmarks: a temporary directory for the fixture banks,
// removed with its files afterwards, series names and series arrays.
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "support/constants.h"

namespace tabrix::bench {

using Series = std::array<float, MaxObs>;

// A fresh directory under the system's temporary directory, deleted with its files.
// ok() is false when it could not be made.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tabrix-bench-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
  }
  ~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const { return !path_.empty(); }  // the directory exists
  // The directory's path joined with a file name.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The name of fixture series i: "S" and five digits.
inline std::string seriesName(int i) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "S%05d", i);
  return buffer;
}

// count names spread evenly over a bank of size series, the first at index `first`.
inline std::vector<std::string> spreadNames(int size, int count, int first = 7) {
  std::vector<std::string> names;
  for (int k = 0; k < count; ++k) names.push_back(seriesName((first + k * (size / count)) % size));
  return names;
}

}  // namespace tabrix::bench

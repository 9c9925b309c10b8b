// Inputs that hold several files: every file but the last is preceded by its length
// (2 bytes, little-endian; a length beyond what is left takes the rest), the last file
// is what remains. Missing files are empty.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tabrix::fuzz {

// The `count` files of an input.
inline std::vector<std::span<const uint8_t>> splitFiles(const uint8_t* data, std::size_t size,
                                                        std::size_t count) {
  std::vector<std::span<const uint8_t>> files;
  std::span<const uint8_t> rest(data, size);
  for (std::size_t i = 0; i + 1 < count; ++i) {
    std::size_t length = 0;
    if (rest.size() >= 2) {
      length = std::min<std::size_t>(rest[0] | (rest[1] << 8), rest.size() - 2);
      rest = rest.subspan(2);
    } else {
      rest = {};
    }
    files.push_back(rest.first(length));
    rest = rest.subspan(length);
  }
  files.push_back(rest);
  return files;
}

// The bytes of an input holding these files (the seeds' writer).
inline std::vector<uint8_t> joinFiles(const std::vector<std::vector<uint8_t>>& files) {
  std::vector<uint8_t> input;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i + 1 < files.size()) {
      const std::size_t length = std::min<std::size_t>(files[i].size(), 0xffff);
      input.push_back(static_cast<uint8_t>(length & 0xff));
      input.push_back(static_cast<uint8_t>(length >> 8));
      input.insert(input.end(), files[i].begin(), files[i].begin() + static_cast<std::ptrdiff_t>(length));
    } else {
      input.insert(input.end(), files[i].begin(), files[i].end());
    }
  }
  return input;
}

}  // namespace tabrix::fuzz

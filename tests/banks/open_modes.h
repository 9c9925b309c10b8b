// For the tests of banks that must open their files for reading only: the access modes
// of the descriptors this process holds on a file (from /proc, so the test holds also
// when run as root, who may write any file).
#pragma once

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tabrix::testing {

// O_RDONLY, O_WRONLY or O_RDWR of every open descriptor on path.
inline std::vector<int> accessModesOf(const std::string& path) {
  namespace fs = std::filesystem;
  std::vector<int> modes;
  std::error_code error;
  const fs::path wanted = fs::canonical(path, error);
  if (error) return modes;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
    const fs::path target = fs::read_symlink(entry.path(), error);
    if (error || target != wanted) continue;
    std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
    for (std::string line; std::getline(info, line);) {
      if (line.rfind("flags:", 0) == 0) modes.push_back(std::stoi(line.substr(6), nullptr, 8) & O_ACCMODE);
    }
  }
  return modes;
}

}  // namespace tabrix::testing

#include "sheet/save_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/run_files.h"

namespace tabrix {

std::string directoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int makeTemporaryBeside(const std::string& path, std::string& temporary, std::string& error) {
  std::string pattern = path + ".tmp-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int descriptor = mkstemp(buffer.data());
  if (descriptor < 0) {
    error = "cannot create a file in " + directoryOf(path);
    return -1;
  }
  // The finished file gets the permissions a newly made file would get.
  mode_t mask = umask(0);
  umask(mask);
  (void)fchmod(descriptor, 0666 & ~mask);
  close(descriptor);
  temporary = buffer.data();
  return 0;
}

int moveOnto(const std::string& temporary, const std::string& path, std::string& error) {
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    error = "cannot replace the file";
    return -1;
  }
  return 0;
}

int writeWholeFile(const std::string& path, std::string_view bytes, std::string& error) {
  std::string temporary;
  if (makeTemporaryBeside(path, temporary, error) != 0) return -1;
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) {
    error = std::strerror(errno);
    std::remove(temporary.c_str());
    return -1;
  }
  bool written = writeOutput(bytes.data(), bytes.size(), file) == bytes.size();
  if (closeOutput(file) != 0) written = false;
  if (!written) {
    error = "cannot write the file";
    std::remove(temporary.c_str());
    return -1;
  }
  return moveOnto(temporary, path, error);
}

}  // namespace tabrix

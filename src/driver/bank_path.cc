#include "driver/bank_path.h"

#include "platform/console.h"
#include "platform/files.h"

namespace tabrix {

namespace {

void cannotOpen(const std::string& file, const std::string& dir, const char* tail) {
  console().write("\n\nError:  when reading .in file.\n");
  console().printf("Cannot open %s bank in directory %s.\n%s", file.c_str(), dir.c_str(), tail);
}

constexpr const char* kTryFullPath =
    "Warning:  Try providing the full path, including the drive letter.\n";

}  // namespace

int resolveBankPath(std::string_view rootName, std::string_view extension,
                    std::string& rootPath) {
  std::string file = toPath(rootName);
  file += extension;
  const std::string cwd = currentDirectory();

  // An absolute name plays the part of a name with a drive letter.
  if (isAbsoluteName(rootName)) {
    if (fileExists(file)) {
      rootPath = file.substr(0, file.size() - extension.size());
      return 0;
    }
    cannotOpen(file, cwd, "");
    console().write(kTryFullPath);
    return -1;
  }

  std::string candidate;
  if (file.starts_with("..")) {
    // Strip leading "../" groups, each climbing one directory up from cwd.
    size_t groups = 0;
    std::string_view rest = file;
    while (rest.starts_with("../") && rest.size() > 3 * groups) {
      rest.remove_prefix(3);
      ++groups;
    }
    std::string dir = cwd;
    for (size_t i = 0; i < groups; ++i) {
      size_t slash = dir.find_last_of('/');
      if (slash == std::string::npos) {
        cannotOpen(file, cwd, "\n");
        return -1;
      }
      dir.erase(slash);
    }
    candidate = dir + "/" + std::string(rest);
    if (!fileExists(candidate)) {
      console().write(
          "Warning:  bank file cannot be found.  Try providing the full path, including the "
          "drive letter.\n");
      return -1;
    }
  } else {
    candidate = "/" + file;
    if (!fileExists(candidate)) {
      candidate = (cwd == "/" ? "" : cwd) + "/" + file;
      if (!fileExists(candidate)) {
        cannotOpen(file, cwd, "\n");
        console().write(kTryFullPath);
        return -1;
      }
    }
  }
  if (!fileExists(candidate)) {
    console().write("\nError:  bank is not accessible.\n");
    return -1;
  }
  rootPath = candidate.substr(0, candidate.size() - extension.size());
  return 0;
}

}  // namespace tabrix

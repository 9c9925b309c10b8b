#include "banks/bank_files.h"

#include "platform/files.h"

namespace tabrix {

std::string pathBeside(std::string_view name, std::string_view anchor) {
  std::string path = toPath(name);
  if (isAbsoluteName(name) || path.empty() || fileExists(path)) return path;
  std::string directory = directoryPart(toPath(anchor));
  if (directory.empty()) return path;
  std::string beside = directory + path;
  return fileExists(beside) ? beside : path;
}

bool fileNameHasDot(std::string_view path) {
  return namePart(path).find('.') != std::string::npos;
}

}  // namespace tabrix

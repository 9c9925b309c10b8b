#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace tabrix {

namespace {

bool hasDriveLetter(std::string_view name) {
  if (name.size() < 2 || name[1] != ':') return false;
  char c = name[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// The length of the directory part: up to and including the last separator, or the
// drive prefix alone ("C:name").
size_t directoryLength(std::string_view path) {
  size_t last = path.find_last_of("/\\");
  if (last != std::string_view::npos) return last + 1;
  return hasDriveLetter(path) ? 2 : 0;
}

}  // namespace

std::string toPath(std::string_view name) {
  bool needRoot = false;
  if (hasDriveLetter(name)) {
    name.remove_prefix(2);
    // The drive names the root of its file system: "C:x" is as absolute as "C:\x".
    needRoot = name.empty() || !isSeparator(name[0]);
  }
  std::string path;
  path.reserve(name.size() + 1);
  if (needRoot) path.push_back('/');
  for (char c : name) path.push_back(c == '\\' ? '/' : c);
  return path;
}

bool isAbsoluteName(std::string_view name) {
  return hasDriveLetter(name) || (!name.empty() && isSeparator(name[0]));
}

bool fileExists(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool directoryExists(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int deleteFile(const std::string& path) {
  if (path.empty()) return -1;
  return ::unlink(path.c_str()) == 0 ? 0 : -1;
}

std::string currentDirectory() {
  std::error_code error;
  std::string dir = std::filesystem::current_path(error).string();
  if (error) return std::string();
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

int changeDirectory(const std::string& path) {
  if (path.empty()) return -1;
  return ::chdir(path.c_str()) == 0 ? 0 : -1;
}

std::string directoryPart(std::string_view path) {
  return std::string(path.substr(0, directoryLength(path)));
}

std::string namePart(std::string_view path) {
  return std::string(path.substr(directoryLength(path)));
}

std::string extensionPart(std::string_view path) {
  std::string_view name = path.substr(directoryLength(path));
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

}  // namespace tabrix

// The libFuzzer build's start: before libFuzzer reads its arguments, the paths among
// them are made absolute (the target works in its own folder), and the target is
// prepared with the folders libFuzzer writes to as the only ones besides its own.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"

namespace fs = std::filesystem;

namespace {

// libFuzzer's flags that name a file or folder, and whether libFuzzer writes there.
struct PathFlag {
  std::string_view name;
  bool written;
};
constexpr PathFlag kPathFlags[] = {
    {"-artifact_prefix=", true},      {"-exact_artifact_path=", true},
    {"-merge_control_file=", true},   {"-features_dir=", true},
    {"-dict=", false},                {"-mutation_graph_file=", true},
};

// The folder a written path lands in: an artifact prefix ending in '/' is that folder,
// any other path lands in its parent.
std::string folderOf(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path;
  return fs::path(path).parent_path().string();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<std::string> arguments;
  static std::vector<char*> pointers;
  std::vector<std::string> writable;
  bool firstFolder = true;
  for (int i = 0; i < *argc; ++i) {
    std::string argument = (*argv)[i];
    if (i > 0 && !argument.empty() && argument[0] != '-') {
      argument = fs::absolute(argument).string();
      // New inputs go to the first corpus folder; the others are only read.
      if (firstFolder && fs::is_directory(argument)) writable.push_back(argument);
      firstFolder = false;
    }
    for (const PathFlag& flag : kPathFlags) {
      if (argument.rfind(flag.name, 0) != 0) continue;
      std::string path = argument.substr(flag.name.size());
      if (!path.empty() && path[0] != '/') {
        const bool folder = path.back() == '/';
        path = fs::absolute(path).string();
        if (folder && path.back() != '/') path += '/';
      }
      argument = std::string(flag.name) + path;
      if (flag.written) writable.push_back(folderOf(path));
    }
    arguments.push_back(argument);
  }
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  *argv = pointers.data();
  tabrix::fuzz::prepare(writable, true);
  return 0;
}

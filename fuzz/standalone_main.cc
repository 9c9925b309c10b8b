// The regression check's driver: runs a fuzz target once over each input file, without
// libFuzzer, so that the seed corpus and the saved reproducers can be checked by any
// compiler's sanitizer build. Arguments are files or folders (every file in a folder,
// in name order, except names starting with '.').
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path given(argv[i]);
    if (fs::is_directory(given)) {
      std::vector<fs::path> files;
      for (const fs::directory_entry& entry : fs::directory_iterator(given)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
          files.push_back(entry.path());
        }
      }
      std::sort(files.begin(), files.end());
      inputs.insert(inputs.end(), files.begin(), files.end());
    } else if (fs::is_regular_file(given)) {
      inputs.push_back(given);
    } else {
      std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
      return 2;
    }
  }
  // Inputs are read by absolute path: the target works in its own folder.
  for (fs::path& input : inputs) input = fs::absolute(input);
  tabrix::fuzz::prepare({}, false);
  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
      std::fprintf(stderr, "%s: cannot be read\n", input.c_str());
      return 2;
    }
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs run\n", inputs.size());
  return 0;
}

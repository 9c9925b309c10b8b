#include "driver/args.h"

#include <cstring>

#include "platform/files.h"

namespace tabrix {

namespace {
// A word after '-' is a switch. A word after '/' is one too (/S, /silent), unless it
// is a Linux path: it holds another '/' or names an existing file.
bool isSwitch(const char* word) {
  if (word[0] == '-') return true;
  if (word[0] != '/') return false;
  return std::strchr(word + 1, '/') == nullptr && !fileExists(word);
}
}  // namespace

Args::Args(int argc, const char* const* argv) : argumentCount_(argc) {
  for (int i = 0; i < argc; ++i) {
    const char* word = argv[i] != nullptr ? argv[i] : "";
    if (i > 0 && isSwitch(word)) {
      if (switchCount() < kMaxSwitches) switches_.emplace_back(word + 1);
    } else if (plainCount() < kMaxPlain) {
      plain_.emplace_back(word);
    }
  }
}

const char* Args::plain(int i) const {
  if (i < 0 || i >= plainCount()) return nullptr;
  return plain_[static_cast<size_t>(i)].c_str();
}

bool Args::hasSwitch(std::string_view text) const {
  for (const std::string& s : switches_) {
    if (s == text) return true;
  }
  return false;
}

}  // namespace tabrix

// Args: the command line split into switches (words after '-' or '/') and plain
// arguments (the program path first).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tabrix {

class Args {
 public:
  // Switches kept at most, and plain arguments kept at most (program path included).
  static constexpr int kMaxSwitches = 20;
  static constexpr int kMaxPlain = 10;

  Args(int argc, const char* const* argv);

  // Number of command-line words, program path included.
  int argumentCount() const { return argumentCount_; }
  int switchCount() const { return static_cast<int>(switches_.size()); }
  int plainCount() const { return static_cast<int>(plain_.size()); }
  // Plain argument i (0 is the program path), or nullptr when i is not below plainCount().
  const char* plain(int i) const;
  // True when a stored switch equals text exactly (case-sensitive).
  bool hasSwitch(std::string_view text) const;

 private:
  int argumentCount_;
  std::vector<std::string> switches_;
  std::vector<std::string> plain_;
};

}  // namespace tabrix

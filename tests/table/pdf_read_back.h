// Reading PDF and SVG files back with the poppler tools (pdfinfo, pdffonts, pdftotext,
// pdftoppm) and python3: a test that needs a tool that is not installed skips itself.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix::testing {

// True when the program is on the PATH.
inline bool haveTool(const std::string& program) {
  const std::string command = "command -v " + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Skips the test unless every program is installed.
#define TABRIX_NEED_TOOLS(...)                                          \
  do {                                                                  \
    for (const char* tool : {__VA_ARGS__}) {                            \
      if (!::tabrix::testing::haveTool(tool)) GTEST_SKIP() << tool << " is not installed"; \
    }                                                                   \
  } while (0)

// What a shell command writes to its standard output.
inline std::string commandOutput(const std::string& command) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

inline std::string quoted(const std::string& path) { return "'" + path + "'"; }

// The text of pages first..last (from 1) as pdftotext -layout gives it.
inline std::string pdfText(const std::string& path, int first = 0, int last = 0) {
  std::string range;
  if (first > 0) range = " -f " + std::to_string(first) + " -l " + std::to_string(last > 0 ? last : first);
  return commandOutput("pdftotext -layout" + range + " " + quoted(path) + " -");
}

// Page sizes in points, rounded, as pdfinfo reports them: {width, height} per page.
inline std::vector<std::pair<int, int>> pdfPageSizes(const std::string& path) {
  std::vector<std::pair<int, int>> sizes;
  const std::string info = commandOutput("pdfinfo -f 1 -l 100000 " + quoted(path));
  std::size_t at = 0;
  while ((at = info.find(" size: ", at)) != std::string::npos) {
    double w = 0, h = 0;
    if (std::sscanf(info.c_str() + at, " size: %lf x %lf", &w, &h) == 2) {
      sizes.emplace_back(static_cast<int>(w + 0.5), static_cast<int>(h + 0.5));
    }
    at += 7;
  }
  return sizes;
}

// The text with each run of blanks as one blank (proportional faces set "Page  3" with
// one blank's worth of space, which pdftotext gives as one).
inline std::string oneBlank(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

// True when the words occur in text in this order (runs of blanks count as one).
inline bool inOrder(std::string_view layout, const std::vector<std::string>& words, std::string* missing = nullptr) {
  const std::string text = oneBlank(layout);
  std::size_t at = 0;
  for (const std::string& given : words) {
    const std::string word = oneBlank(given);
    const std::size_t found = text.find(word, at);
    if (found == std::string::npos) {
      if (missing != nullptr) *missing = word;
      return false;
    }
    at = found + word.size();
  }
  return true;
}

}  // namespace tabrix::testing

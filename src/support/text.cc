#include "support/text.h"

#include <climits>
#include <cstring>

#include "platform/console.h"
#include "platform/keys.h"
#include "platform/process.h"
#include "support/constants.h"

namespace tabrix {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

bool startsIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a run of digits; a value too large for an int is held at INT_MAX.
int digitsValue(std::string_view digits) {
  int value = 0;
  for (char c : digits) {
    int d = c - '0';
    if (value > (INT_MAX - d) / 10) return INT_MAX;
    value = value * 10 + d;
  }
  return value;
}

// The start of the run of digits that ends at `end`.
size_t digitsStart(std::string_view text, size_t end) {
  size_t start = end;
  while (start > 0 && isDigit(text[start - 1])) --start;
  return start;
}

}  // namespace

void rtrim(std::string& text) {
  size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
}

void rtrim(char* text) {
  if (text == nullptr) return;
  size_t end = std::strlen(text);
  while (end > 0 && text[end - 1] == ' ') --end;
  text[end] = '\0';
}

char* copyEnd(char* dst, const char* src) {
  if (dst == nullptr) return nullptr;
  if (src == nullptr) src = "";
  size_t n = std::strlen(src) + 1;
  std::memmove(dst, src, n);
  return dst + n;
}

int wildcardMatch(std::string_view name, std::string_view pattern) {
  if (name.empty()) return 0;
  if (pattern.empty()) return 1;
  size_t n = 0;
  size_t p = 0;
  while (p < pattern.size()) {
    char c = pattern[p];
    if (c == '*') {
      if (p + 1 == pattern.size()) return 1;
      char next = pattern[p + 1];
      if (next == '*' || next == '^') return -1;
      // The first occurrence is taken; there is no backtracking.
      while (n < name.size() && name[n] != next) ++n;
      if (n == name.size()) return 0;
      ++n;
      p += 2;
    } else if (c == '^') {
      if (n == name.size()) return 0;
      ++n;
      ++p;
    } else {
      if (n == name.size() || name[n] != c) return 0;
      ++n;
      ++p;
    }
  }
  return n == name.size() ? 1 : 0;
}

int splitTrailingNumber(std::string_view text, std::string& dst) {
  size_t start = digitsStart(text, text.size());
  dst.assign(text.substr(0, start));
  if (start == text.size()) return 1;
  return digitsValue(text.substr(start));
}

int splitRowColumn(std::string_view text, std::string& dst, int& row) {
  size_t columnStart = digitsStart(text, text.size());
  int column = digitsValue(text.substr(columnStart));
  size_t nameEnd = columnStart;
  if (columnStart > 0 && text[columnStart - 1] == '.') {
    size_t dot = columnStart - 1;
    size_t rowStart = digitsStart(text, dot);
    row = rowStart == dot ? -1 : digitsValue(text.substr(rowStart, dot - rowStart));
    nameEnd = rowStart;
  }
  dst.assign(text.substr(0, nameEnd));
  return column;
}

int fillGap(float* values, int from, int count) {
  if (values == nullptr || count <= 0) return count < 0 ? 0 : count;
  int p = from < 0 ? 0 : from;
  while (p < count && !isMissing(values[p])) ++p;
  if (p >= count) return count;

  int gapStart = p;
  while (p < count && isMissing(values[p])) ++p;
  if (p == count) return count;
  int pb = p;
  // A gap at the very start has no value before it to draw the line from.
  if (gapStart == 0) return pb;

  int pa = gapStart - 1;
  // Starting inside a gap: its true start and the value before it lie behind `from`,
  // so there is no known value to draw from.
  if (isMissing(values[pa])) return pb;
  float a = values[pa];
  float b = values[pb];
  float step = (b - a) / static_cast<float>(pb - pa);
  for (int q = gapStart; q < pb; ++q) values[q] = values[q - 1] + step;
  return pb;
}

int16_t minimum(int16_t a, int16_t b) { return a < b ? a : b; }

void pausePrompt() {
  console().write("\nTap a key to continue.  ESC to exit.");
  waitForKey();
}

void waitForKey() {
  console().flush();
  int code = keySource().readKey();
  // An extended key comes as 0 and a scan code; take both so neither is left behind.
  if (code == 0) {
    keySource().readKey();
    return;
  }
  if (code == key::kEscape) endProcess(1);
}

void outOfMemory(std::string_view place) {
  Console& out = console();
  out.write("Out of memory");
  if (place.empty()) {
    out.write(".\n");
  } else {
    out.write(" at ");
    out.write(place);
    out.write(".\n");
  }
  endProcess(1);
}

}  // namespace tabrix

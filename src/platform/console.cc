#include "platform/console.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

namespace tabrix {

Console& console() {
  static Console instance;
  return instance;
}

void Console::write(std::string_view text) {
  if (capture_ != nullptr) {
    capture_->append(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void Console::printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
}

// The one place where a format is not checked at compile time: the formats handed in
// are the program's own constants, chosen at run time.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
void Console::printConstant(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
}

void Console::vprintConstant(const char* format, va_list args) { vprintf(format, args); }
#pragma GCC diagnostic pop

void Console::vprintf(const char* format, va_list args) {
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof small) {
    write(std::string_view(small, static_cast<size_t>(n)));
    return;
  }
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  write(std::string_view(big.data(), static_cast<size_t>(n)));
}

void Console::flush() {
  if (capture_ == nullptr) std::fflush(stdout);
}

bool Console::isTerminal() const {
  return capture_ == nullptr && isatty(STDOUT_FILENO) == 1;
}

void Console::clearScreen() {
  if (isTerminal()) write("\x1b[2J\x1b[H");
}

namespace {
// The console palette's order differs from ANSI's: swap red and blue.
int ansiColour(int colour) {
  static const int kMap[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  return kMap[colour & 7];
}
}  // namespace

void Console::setColours(int text, int background) {
  if (!isTerminal()) return;
  int fg = (text & 8 ? 90 : 30) + ansiColour(text);
  int bg = (background & 8 ? 100 : 40) + ansiColour(background);
  printf("\x1b[%d;%dm", fg, bg);
}

void Console::resetColours() {
  if (isTerminal()) write("\x1b[0m");
}

void Console::moveCursor(int row, int column) {
  if (isTerminal()) printf("\x1b[%d;%dH", row, column);
}

void Console::clearToLineEnd() {
  if (isTerminal()) write("\x1b[K");
}

ConsoleCapture::ConsoleCapture() : previous_(console().capture_) {
  console().capture_ = &text_;
}

ConsoleCapture::~ConsoleCapture() { console().capture_ = previous_; }

std::string ConsoleCapture::take() {
  std::string out;
  out.swap(text_);
  return out;
}

}  // namespace tabrix

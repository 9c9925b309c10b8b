// The console output layer. Every message of the program goes through console(),
// so tests can capture what a run prints. Screen control (clear, colours, cursor)
// is written as ANSI sequences only when standard output is a terminal.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace tabrix {

class Console {
 public:
  // Writes text as it is.
  void write(std::string_view text);
  // Writes a printf-style message; the format comes from the program, never from user text.
  void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void vprintf(const char* format, va_list args) __attribute__((format(printf, 2, 0)));
  // Writes a printf-style message whose format is a program constant chosen at run
  // time (an entry of the message catalogue or of a command's table of messages),
  // never user text. The call sites cannot be checked by the compiler, so keep them few.
  void printConstant(const char* format, ...);
  void vprintConstant(const char* format, va_list args);
  // Sends buffered output on (before waiting for a key, before exit).
  void flush();

  // True when output goes to a real terminal (never while captured).
  bool isTerminal() const;

  // Screen control; each does nothing unless isTerminal().
  void clearScreen();
  // Colours are the console's 0..15 palette (0 black, 7 light grey, 15 white).
  void setColours(int text, int background);
  void resetColours();
  // Row and column count from 1.
  void moveCursor(int row, int column);
  void clearToLineEnd();

 private:
  friend class ConsoleCapture;
  std::string* capture_ = nullptr;
};

// The process-wide console.
Console& console();

// While alive, console output is collected here instead of being written to stdout.
class ConsoleCapture {
 public:
  ConsoleCapture();
  ~ConsoleCapture();
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  const std::string& text() const { return text_; }
  // Returns what was captured so far and starts afresh.
  std::string take();

 private:
  std::string text_;
  std::string* previous_;
};

}  // namespace tabrix

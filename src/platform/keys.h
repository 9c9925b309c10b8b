// Key sources: where single keys come from. Extended keys arrive in the console's
// two-code form: a 0, then the scan code on the next read.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace tabrix {

// Key codes of the two-code form (after a leading 0) and the plain control keys.
namespace key {
constexpr int kEnter = 13;
constexpr int kBackspace = 8;
constexpr int kEscape = 27;
constexpr int kCtrlC = 3;
constexpr int kHome = 71;
constexpr int kEnd = 79;
constexpr int kLeft = 75;
constexpr int kRight = 77;
constexpr int kCtrlLeft = 115;
constexpr int kCtrlRight = 116;
constexpr int kUp = 72;
constexpr int kDown = 80;
constexpr int kF3 = 61;
constexpr int kDelete = 83;
constexpr int kInsert = 82;
constexpr int kCtrlPgUp = 132;
}  // namespace key

class KeySource {
 public:
  virtual ~KeySource() = default;
  // Reads one key code without echo. Extended keys give 0 and then their scan code.
  virtual int readKey() = 0;
  // True when keys come from a person at a terminal: the line editor edits and echoes.
  // Otherwise typed lines are read plainly, byte by byte up to the line end.
  virtual bool interactive() const { return false; }
  // True once a read found the input at its end (a script used up, a pipe closed, a
  // terminal hung up); from then on every read gives Escape. Prompts take that Escape
  // as it comes; the line editor, which would wait for more keys forever, ends there.
  virtual bool atEnd() const { return false; }
};

// Keys from standard input. On a terminal: raw mode while reading, escape sequences
// translated; otherwise one byte a read, with the end of input reported as Escape.
class StdinKeySource : public KeySource {
 public:
  StdinKeySource();
  ~StdinKeySource() override;
  int readKey() override;
  bool interactive() const override { return terminal_; }
  bool atEnd() const override { return ended_; }

 private:
  bool terminal_;
  bool ended_ = false;
  std::deque<int> pending_;
};

// Keys from a script, for tests. When the script is used up every read gives Escape
// and atEnd() is true.
class ScriptedKeys : public KeySource {
 public:
  ScriptedKeys() = default;
  explicit ScriptedKeys(std::string_view bytes, bool interactive = true);
  // Appends plain bytes (each one key).
  ScriptedKeys& type(std::string_view bytes);
  // Appends an extended key: 0 and its scan code.
  ScriptedKeys& extended(int scanCode);
  // Appends one code as it is.
  ScriptedKeys& code(int code);
  int readKey() override;
  bool interactive() const override { return interactive_; }
  bool atEnd() const override { return ended_; }
  void setInteractive(bool on) { interactive_ = on; }
  bool empty() const { return keys_.empty(); }

 private:
  std::deque<int> keys_;
  bool interactive_ = true;
  bool ended_ = false;
};

// Translates bytes read from a terminal into key codes: plain bytes as they are,
// escape sequences into two-code form, unknown sequences dropped whole, and an ESC
// with nothing after it (the end of `bytes`) as the Escape key.
std::deque<int> translateKeyBytes(std::string_view bytes);

// The process-wide key source (standard input unless replaced).
KeySource& keySource();

// While alive, keySource() answers the given source.
class ScopedKeySource {
 public:
  explicit ScopedKeySource(KeySource& source);
  ~ScopedKeySource();
  ScopedKeySource(const ScopedKeySource&) = delete;
  ScopedKeySource& operator=(const ScopedKeySource&) = delete;

 private:
  KeySource* previous_;
};

}  // namespace tabrix

#include "reader/line_editor.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/keys.h"
#include "process_exit.h"

namespace tabrix {
namespace {

// Runs the editor over a key script, one line per Enter, until the script's end
// (marked by a code -1, since a used-up interactive script answers Escape forever).
std::vector<std::string> typeLines(LineEditor& editor, ScriptedKeys& keys) {
  keys.code(-1);
  std::vector<std::string> lines;
  while (std::optional<std::string> line = editor.readLine(keys)) lines.push_back(*line);
  return lines;
}

std::vector<std::string> historyOf(const LineEditor& editor) {
  std::vector<std::string> out;
  for (int i = 0; i < editor.history().count(); ++i) out.push_back(editor.history().line(i));
  return out;
}

using Lines = std::vector<std::string>;

struct KeyCase {
  const char* what;
  ScriptedKeys keys;
  Lines lines;
};

TEST(LineEditorTest, EditingKeys) {
  std::vector<KeyCase> cases;
  auto add = [&](const char* what, Lines lines) -> ScriptedKeys& {
    cases.push_back({what, ScriptedKeys(), std::move(lines)});
    return cases.back().keys;
  };
  add("plain typing", {"abc\r\n"}).type("abc\r");
  add("line feed ends a line too", {"x\r\n"}).type("x\n");
  add("backspace", {"ac\r\n"}).type("abb").code(key::kBackspace).code(key::kBackspace).type("c\r");
  add("backspace at the start does nothing", {"a\r\n"}).code(key::kBackspace).type("a\r");
  add("left then insert", {"axbc\r\n"})
      .type("abc").extended(key::kLeft).extended(key::kLeft).type("x\r");
  add("home and end", {"xabcy\r\n"})
      .type("abc").extended(key::kHome).type("x").extended(key::kEnd).type("y\r");
  add("delete under the cursor", {"ac\r\n"})
      .type("abc").extended(key::kHome).extended(key::kRight).extended(key::kDelete)
      .extended(key::kEnd).extended(key::kDelete).type("\r");
  add("typeover overwrites, then appends at the end", {"aXYZ\r\n"})
      .type("abc").extended(key::kHome).extended(key::kRight).extended(key::kInsert)
      .type("XYZ\r");
  add("insert switches back", {"aXbc\r\n"})
      .type("abc").extended(key::kHome).extended(key::kRight).extended(key::kInsert)
      .extended(key::kInsert).type("X\r");
  add("each line starts in insert mode", {"X\r\n", "Yab\r\n"})
      .extended(key::kInsert).type("X\r").type("ab").extended(key::kHome).type("Y\r");
  add("escape clears the line", {"new\r\n"}).type("old text").code(key::kEscape).type("new\r");
  add("ctrl-left and ctrl-right by words", {"<one two  >three\r\n"})
      .type("one two  three").extended(key::kCtrlLeft).type(">").extended(key::kCtrlLeft)
      .extended(key::kCtrlLeft).extended(key::kCtrlLeft).type("<").extended(key::kCtrlRight)
      .extended(key::kCtrlRight).extended(key::kCtrlRight).type("\r");
  add("unknown extended keys do nothing", {"ab\r\n"}).type("a").extended(59).type("b\r");
  add("end of keys mid-line gives nothing", {}).type("partial");

  for (KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    ConsoleCapture capture;
    LineEditor editor;
    EXPECT_EQ(typeLines(editor, c.keys), c.lines);
  }
}

TEST(LineEditorTest, HistoryRecallWithUpAndDown) {
  ConsoleCapture capture;
  LineEditor editor;
  ScriptedKeys keys;
  keys.type("one\r").type("two\r").type("three\r");
  keys.extended(key::kUp).type("\r");                                            // three
  keys.extended(key::kUp).extended(key::kUp).type("\r");                        // two
  keys.extended(key::kUp).extended(key::kUp).extended(key::kUp).extended(key::kUp)
      .type("\r");                                                               // wraps: three
  keys.extended(key::kDown).type("\r");                                          // one
  keys.extended(key::kDown).extended(key::kDown).extended(key::kDown)
      .extended(key::kDown).type("\r");                                          // wraps: one
  keys.extended(key::kUp).type("!\r");                                           // edited: added
  keys.type("typed").extended(key::kUp).type("\r");                              // replaced
  EXPECT_EQ(typeLines(editor, keys), (Lines{"one\r\n", "two\r\n", "three\r\n", "three\r\n",
                                            "two\r\n", "three\r\n", "one\r\n", "one\r\n",
                                            "three!\r\n", "three!\r\n"}));
  EXPECT_EQ(historyOf(editor), (Lines{"one", "two", "three", "three!"}));
}

TEST(LineEditorTest, CopyingFromTheNewestLine) {
  ConsoleCapture capture;
  LineEditor editor;
  ScriptedKeys keys;
  keys.type("older\r").type("gdp 1990\r");
  // Right at the end copies one character at a time, continuing where it stopped.
  keys.extended(key::kRight).extended(key::kRight).extended(key::kRight).type("X")
      .extended(key::kRight).type("\r");
  // F3 copies the rest; only at the end of the line.
  keys.type("ab").extended(key::kHome).extended(key::kF3).extended(key::kEnd)
      .extended(key::kF3).type("\r");
  // F3 after a few Rights copies what is left.
  keys.extended(key::kRight).extended(key::kRight).extended(key::kF3).extended(key::kRight)
      .type("\r");
  EXPECT_EQ(typeLines(editor, keys),
            (Lines{"older\r\n", "gdp 1990\r\n", "gdpX \r\n", "abgdpX \r\n", "abgdpX \r\n"}));
}

TEST(LineEditorTest, CtrlPgUpEmptiesTheHistory) {
  ConsoleCapture capture;
  LineEditor editor;
  ScriptedKeys keys;
  keys.type("a\r").type("b\r").extended(key::kCtrlPgUp).extended(key::kUp).extended(key::kF3)
      .type("c\r");
  EXPECT_EQ(typeLines(editor, keys), (Lines{"a\r\n", "b\r\n", "c\r\n"}));
  EXPECT_EQ(historyOf(editor), (Lines{"c"}));
}

TEST(LineEditorTest, QuestionMarkListsTheHistory) {
  {
    ConsoleCapture capture;
    LineEditor editor;
    ScriptedKeys keys;
    keys.type("ab?x\r");
    EXPECT_EQ(typeLines(editor, keys), (Lines{"x\r\n"}));
    EXPECT_NE(capture.text().find("\n  buffer empty.\r\n:"), std::string::npos);
  }
  {
    ConsoleCapture capture;
    LineEditor editor;
    ScriptedKeys keys;
    keys.type("first\r").type("second\r").type("third\r");
    ScriptedKeys more;
    typeLines(editor, keys);
    capture.take();
    more.type("?\r");
    EXPECT_EQ(typeLines(editor, more), (Lines{"\r\n"}));
    std::string expected = "\r\n     first" + std::string(39 - 10, ' ') + "second" +
                           "\r\n     third\r\n:";
    EXPECT_NE(capture.text().find(expected), std::string::npos) << capture.text();
  }
}

TEST(LineEditorTest, TypeoverIndicator) {
  ConsoleCapture capture;
  LineEditor editor;
  ScriptedKeys keys;
  keys.extended(key::kInsert);
  keys.code(-1);
  editor.readLine(keys);
  EXPECT_NE(capture.text().find("Typovr"), std::string::npos);
  capture.take();
  ScriptedKeys back;
  back.extended(key::kInsert).extended(key::kInsert).type("\r");
  typeLines(editor, back);
  // Insert mode and the end of a line blank the indicator.
  EXPECT_NE(capture.text().find("Typovr"), std::string::npos);
  EXPECT_NE(capture.text().find("      \r\n"), std::string::npos);
}

TEST(LineEditorTest, EchoShowsTheLineAsItIsEdited) {
  ConsoleCapture capture;
  LineEditor editor;
  ScriptedKeys keys;
  keys.type("ac").extended(key::kLeft).type("b\r");
  typeLines(editor, keys);
  // "a", "c", back over "c", "bc" redrawn, back to after "b"; then the line end.
  EXPECT_EQ(capture.text(), "ac\bbc\b      \r\n");
}

TEST(LineEditorTest, CtrlCEndsTheRunWithStatus0) {
  ConsoleCapture capture;
  LineEditor editor;
  ScriptedKeys keys;
  keys.type("abc").code(key::kCtrlC).type("\r");
  EXPECT_EQ(testing::exitStatusOf([&] { editor.readLine(keys); }), 0);
}

// Keys that refuse to be read long after their end, so that an editor that goes on
// waiting fails the test instead of spinning.
class EndingKeys : public ScriptedKeys {
 public:
  using ScriptedKeys::ScriptedKeys;
  int readKey() override {
    if (empty() && ++readsAfterEnd_ > 100) throw std::runtime_error("the editor kept reading");
    return ScriptedKeys::readKey();
  }

 private:
  int readsAfterEnd_ = 0;
};

TEST(LineEditorTest, EndOfTheKeysEndsTheRunWithStatus0) {
  ConsoleCapture capture;
  LineEditor editor;
  EndingKeys keys("ab");
  EXPECT_EQ(testing::exitStatusOf([&] { editor.readLine(keys); }), 0);
  // An Escape typed before the end still clears the line.
  EndingKeys escaped("ab\x1b" "cd\r");
  EXPECT_EQ(editor.readLine(escaped), std::optional<std::string>("cd\r\n"));
}

// A terminal that hangs up while the editor waits: a read in raw mode gives nothing.
TEST(LineEditorTest, TerminalThatHangsUpEndsTheRunWithStatus0) {
  EXPECT_EXIT(
      {
        ::alarm(10);  // an editor that keeps waiting is killed, failing the test
        int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) std::_Exit(5);
        int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        if (terminal < 0) std::_Exit(5);
        ::dup2(terminal, STDIN_FILENO);
        ::close(terminal);
        StdinKeySource keys;
        if (!keys.interactive()) std::_Exit(6);
        ::close(master);  // the hang-up
        ConsoleCapture capture;
        LineEditor editor;
        std::optional<int> status = testing::exitStatusOf([&] { editor.readLine(keys); });
        std::_Exit(status == 0 && keys.atEnd() ? 0 : 7);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(LineEditorTest, PlainSourcesReadLines) {
  ConsoleCapture capture;
  LineEditor editor;
  ScriptedKeys keys("first\r\n?x\x1b[A\nlast", false);
  EXPECT_EQ(editor.readLine(keys), std::optional<std::string>("first\r\n"));
  EXPECT_EQ(editor.readLine(keys), std::optional<std::string>("?x\r\n"));  // Escape ends input
  EXPECT_EQ(editor.readLine(keys), std::optional<std::string>("[A\r\n"));
  EXPECT_EQ(editor.readLine(keys), std::optional<std::string>("last\r\n"));
  EXPECT_EQ(editor.readLine(keys), std::nullopt);
  EXPECT_EQ(editor.history().count(), 0);
  EXPECT_EQ(capture.text(), "");
}

TEST(LineHistoryTest, KeepsAtMost29Lines) {
  LineHistory history;
  for (int i = 0; i < 28; ++i) history.add("line" + std::to_string(i));
  history.add("new");
  EXPECT_EQ(history.count(), 29);
  EXPECT_EQ(history.line(0), "line0");  // 28 + 1: nothing dropped
  history.add("newer");
  EXPECT_EQ(history.count(), 29);
  EXPECT_EQ(history.line(0), "line1");  // 29 + 1: the oldest goes
  EXPECT_EQ(*history.newest(), "newer");
  history.add("");  // an empty line counts too
  EXPECT_EQ(history.count(), 29);
  EXPECT_EQ(history.line(0), "line2");
  EXPECT_EQ(*history.newest(), "");
}

TEST(LineHistoryTest, KeepsAtMost600Characters) {
  LineHistory history;
  for (int i = 0; i < 6; ++i) history.add(std::string(98, static_cast<char>('a' + i)));
  EXPECT_EQ(history.used(), 600);  // exactly full: nothing dropped
  EXPECT_EQ(history.count(), 6);
  history.add("x");  // needs 3: the oldest goes
  EXPECT_EQ(history.count(), 6);
  EXPECT_EQ(history.line(0)[0], 'b');
  EXPECT_EQ(history.used(), 503);
  history.add(std::string(290, 'y'));  // needs 292: two more go
  EXPECT_EQ(history.count(), 5);
  EXPECT_EQ(history.line(0)[0], 'd');
  EXPECT_EQ(history.used(), 3 * 100 + 3 + 292);
  history.add(std::string(598, 'z'));  // fills the whole area alone
  EXPECT_EQ(history.count(), 1);
  EXPECT_EQ(history.used(), 600);
  history.add(std::string(599, 'w'));  // could never fit: the history stays
  EXPECT_EQ(history.count(), 1);
  EXPECT_EQ(history.line(0)[0], 'z');
}

TEST(LineEditorTest, HistoryDropsThroughTheEditor) {
  ConsoleCapture capture;
  LineEditor editor;
  ScriptedKeys keys;
  for (int i = 0; i < 30; ++i) keys.type("l" + std::to_string(i) + "\r");
  typeLines(editor, keys);
  EXPECT_EQ(editor.history().count(), 29);
  EXPECT_EQ(editor.history().line(0), "l1");
  // The oldest kept line is reached by wrapping Down from the start.
  ScriptedKeys more;
  more.extended(key::kDown).type("\r");
  EXPECT_EQ(typeLines(editor, more), (Lines{"l1\r\n"}));
}

}  // namespace
}  // namespace tabrix

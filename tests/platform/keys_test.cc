#include "platform/keys.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <initializer_list>
#include <string>

namespace tabrix {
namespace {

std::deque<int> ext(int scan) { return {0, scan}; }

std::string printable(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u >= 127) {
      out += "<" + std::to_string(u) + ">";
    } else {
      out += c;
    }
  }
  return out;
}

TEST(TranslateKeyBytesTest, EveryTerminalFormOfEachKey) {
  struct Case {
    const char* bytes;
    int scan;
  } cases[] = {
      {"\x1b[A", key::kUp},          {"\x1bOA", key::kUp},
      {"\x1b[B", key::kDown},        {"\x1bOB", key::kDown},
      {"\x1b[C", key::kRight},       {"\x1bOC", key::kRight},
      {"\x1b[D", key::kLeft},        {"\x1bOD", key::kLeft},
      {"\x1b[1~", key::kHome},       {"\x1b[H", key::kHome},
      {"\x1bOH", key::kHome},        {"\x1b[7~", key::kHome},
      {"\x1b[4~", key::kEnd},        {"\x1b[F", key::kEnd},
      {"\x1bOF", key::kEnd},         {"\x1b[8~", key::kEnd},
      {"\x1b[3~", key::kDelete},     {"\x1b[2~", key::kInsert},
      {"\x1bOR", key::kF3},          {"\x1b[13~", key::kF3},
      {"\x1b[1;5D", key::kCtrlLeft}, {"\x1b[1;5C", key::kCtrlRight},
      {"\x1b[5;5~", key::kCtrlPgUp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(printable(c.bytes));
    EXPECT_EQ(translateKeyBytes(c.bytes), ext(c.scan));
  }
}

TEST(TranslateKeyBytesTest, PlainAndControlBytes) {
  struct Case {
    std::string bytes;
    std::deque<int> keys;
  } cases[] = {
      {"a", {'a'}},
      {"\r", {key::kEnter}},
      {"\x7f", {key::kBackspace}},
      {"\b", {key::kBackspace}},
      {"\x03", {key::kCtrlC}},
      {"\x1b", {key::kEscape}},
      {"\xe9", {0xe9}},
      {std::string("a\0b", 3), {'a', 'b'}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(printable(c.bytes));
    EXPECT_EQ(translateKeyBytes(c.bytes), c.keys);
  }
}

TEST(TranslateKeyBytesTest, UnknownAndBrokenSequences) {
  struct Case {
    const char* bytes;
    std::deque<int> keys;
  } cases[] = {
      // Unknown sequences are dropped whole, the keys around them kept.
      {"\x1b[99~a", {'a'}},
      {"a\x1b[1;2Ab", {'a', 'b'}},
      {"\x1bOZx", {'x'}},
      {"\x1b[5~", {}},
      {"\x1b[ Az", {'z'}},
      {"\x1b[[Ax", {'x'}},
      // A sequence cut off at the end of the bytes is dropped.
      {"a\x1b[", {'a'}},
      {"\x1b[1;5", {}},
      {"\x1bO", {}},
      // A control byte inside a sequence ends it; the byte is still a key.
      {"\x1b[1\r", {key::kEnter}},
      // ESC before a byte that starts no sequence is the Escape key itself.
      {"\x1bx", {key::kEscape, 'x'}},
      {"\x1b\x1b", {key::kEscape, key::kEscape}},
      {"\x1b\x1b[A", {key::kEscape, 0, key::kUp}},
      // The Linux console's F3.
      {"\x1b[[C", {0, key::kF3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(printable(c.bytes));
    EXPECT_EQ(translateKeyBytes(c.bytes), c.keys);
  }
}

TEST(TranslateKeyBytesTest, SeveralKeysInOneBuffer) {
  EXPECT_EQ(translateKeyBytes("ab\x1b[D\x1b[3~\x7f\x1bOHz\r"),
            (std::deque<int>{'a', 'b', 0, key::kLeft, 0, key::kDelete, key::kBackspace, 0,
                             key::kHome, 'z', key::kEnter}));
}

TEST(ScriptedKeysTest, GivesItsKeysThenEscape) {
  ScriptedKeys keys("a\xff");
  keys.extended(key::kF3).code(key::kEnter);
  EXPECT_TRUE(keys.interactive());
  EXPECT_EQ(keys.readKey(), 'a');
  EXPECT_EQ(keys.readKey(), 0xff);
  EXPECT_EQ(keys.readKey(), 0);
  EXPECT_EQ(keys.readKey(), key::kF3);
  EXPECT_EQ(keys.readKey(), key::kEnter);
  EXPECT_TRUE(keys.empty());
  EXPECT_FALSE(keys.atEnd());  // used up, but no read has found the end yet
  EXPECT_EQ(keys.readKey(), key::kEscape);
  EXPECT_TRUE(keys.atEnd());
  EXPECT_EQ(keys.readKey(), key::kEscape);
  EXPECT_FALSE(ScriptedKeys("x", false).interactive());
}

TEST(ScopedKeySourceTest, NestsAndRestores) {
  KeySource& standard = keySource();
  ScriptedKeys outer("o");
  ScriptedKeys inner("i");
  {
    ScopedKeySource a(outer);
    EXPECT_EQ(&keySource(), &outer);
    {
      ScopedKeySource b(inner);
      EXPECT_EQ(keySource().readKey(), 'i');
    }
    EXPECT_EQ(keySource().readKey(), 'o');
  }
  EXPECT_EQ(&keySource(), &standard);
}

// Standard input replaced by a pipe for the length of a test.
class PipedStdin {
 public:
  explicit PipedStdin(std::string_view bytes) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    EXPECT_EQ(::write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fds[1]);
    saved_ = ::dup(STDIN_FILENO);
    ::dup2(fds[0], STDIN_FILENO);
    ::close(fds[0]);
  }
  ~PipedStdin() {
    ::dup2(saved_, STDIN_FILENO);
    ::close(saved_);
  }

 private:
  int saved_;
};

TEST(StdinKeySourceTest, NonTerminalReadsOneByteAndEndsInEscape) {
  PipedStdin piped("a\x1b[A\n");
  StdinKeySource keys;
  EXPECT_FALSE(keys.interactive());
  // Bytes come as they are: no translation away from a terminal.
  for (int expected : std::initializer_list<int>{'a', 27, '[', 'A', '\n'}) {
    EXPECT_EQ(keys.readKey(), expected);
  }
  EXPECT_FALSE(keys.atEnd());
  EXPECT_EQ(keys.readKey(), 27);
  EXPECT_TRUE(keys.atEnd());
  EXPECT_EQ(keys.readKey(), 27);
}

}  // namespace
}  // namespace tabrix

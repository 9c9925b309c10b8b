#include "support/text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/keys.h"
#include "process_exit.h"
#include "support/constants.h"

namespace tabrix {
namespace {

constexpr float M = MissingValue;

TEST(TextTest, RtrimRemovesTrailingBlanks) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"AB  ", "AB"}, {"   ", ""}, {"A", "A"}, {" ", ""}, {"", ""},
      {" A B ", " A B"}, {"A\t", "A\t"}, {"x y", "x y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.in + "]");
    std::string s = c.in;
    rtrim(s);
    EXPECT_EQ(s, c.out);
    char buffer[16];
    std::strcpy(buffer, c.in);
    rtrim(buffer);
    EXPECT_STREQ(buffer, c.out);
  }
  rtrim(static_cast<char*>(nullptr));
}

TEST(TextTest, CopyEndChainsCopies) {
  char buffer[16];
  std::memset(buffer, 'z', sizeof buffer);
  char* p = copyEnd(buffer, "ab");
  EXPECT_EQ(p, buffer + 3);
  p = copyEnd(p, "");
  EXPECT_EQ(p, buffer + 4);
  p = copyEnd(p, "cde");
  EXPECT_EQ(p, buffer + 8);
  EXPECT_EQ(std::string(buffer, 8), std::string("ab\0\0cde\0", 8));
  EXPECT_EQ(buffer[8], 'z');
}

TEST(TextTest, WildcardMatch) {
  struct Case {
    const char* name;
    const char* pattern;
    int result;
  } cases[] = {
      {"ABC", "A*", 1},    {"ABC", "^B^", 1},   {"ABC", "A**", -1},  {"ABC", "AB", 0},
      {"ABC", "A*^", -1},  {"ABC", "*", 1},     {"ABC", "", 1},      {"", "", 0},
      {"", "A", 0},        {"", "*", 0},        {"ABC", "ABC", 1},   {"ABC", "ABCD", 0},
      {"ABC", "abc", 0},   {"ABC", "*C", 1},    {"ABC", "A*C", 1},   {"ABC", "*B", 0},
      // The scan after '*' takes the first occurrence and never backtracks.
      {"ABCB", "*B", 0},   {"ABCB", "*B*", 1},  {"ABAC", "*AC", 0},
      {"AB", "^^^", 0},    {"AB", "^^", 1},     {"ABC", "*D", 0},    {"ABC", "X**", 0},
      {"GDP95", "GDP^^", 1}, {"GDP", "GDP*", 1}, {"AXBXC", "A*X*C", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " ~ " + c.pattern);
    EXPECT_EQ(wildcardMatch(c.name, c.pattern), c.result);
  }
}

TEST(TextTest, SplitTrailingNumber) {
  struct Case {
    const char* text;
    int number;
    const char* rest;
  } cases[] = {
      {"GDP12", 12, "GDP"}, {"GDP", 1, "GDP"}, {"12", 12, ""},        {"", 1, ""},
      {"A007", 7, "A"},     {"A0", 0, "A"},    {"A1B2", 2, "A1B"},    {"X.", 1, "X."},
      {"A99999999999", INT_MAX, "A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string rest = "old";
    EXPECT_EQ(splitTrailingNumber(c.text, rest), c.number);
    EXPECT_EQ(rest, c.rest);
  }
}

TEST(TextTest, SplitRowColumn) {
  constexpr int kUnchanged = 99;
  struct Case {
    const char* text;
    int column;
    int row;
    const char* name;
  } cases[] = {
      {"A12.3", 3, 12, "A"},   {"B7", 7, kUnchanged, "B"}, {"A.5", 5, -1, "A"},
      {"ABC", 0, kUnchanged, "ABC"}, {"", 0, kUnchanged, ""}, {"A12.", 0, 12, "A"},
      {".5", 5, -1, ""},       {"12.34", 34, 12, ""},      {"X1.2.3", 3, 2, "X1."},
      {"M99999999999.1", 1, INT_MAX, "M"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string name = "old";
    int row = kUnchanged;
    EXPECT_EQ(splitRowColumn(c.text, name, row), c.column);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(name, c.name);
  }
}

TEST(TextTest, FillGapDrawsAStraightLineOverInnerGaps) {
  struct Case {
    const char* what;
    std::vector<float> values;
    int from;
    int returned;
    std::vector<float> after;
  } cases[] = {
      {"inner gap", {1, M, M, 4}, 0, 3, {1, 2, 3, 4}},
      {"one missing", {2, M, 6, 7}, 0, 2, {2, 4, 6, 7}},
      {"gap at start", {M, M, 3, 4}, 0, 2, {M, M, 3, 4}},
      {"gap at end", {1, 2, M, M}, 0, 4, {1, 2, M, M}},
      {"no gap", {1, 2, 3}, 0, 3, {1, 2, 3}},
      {"from past the gap", {1, M, 3, 4}, 2, 4, {1, M, 3, 4}},
      {"from inside a gap", {1, M, M, 4}, 2, 3, {1, M, M, 4}},
      {"from past the end", {1, M, 3}, 7, 3, {1, M, 3}},
      {"negative from", {1, M, 3}, -5, 2, {1, 2, 3}},
      {"all missing", {M, M}, 0, 2, {M, M}},
      {"near-missing values count", {0, -0.0000011f, -0.0000009f, 3}, 0, 3, {0, 1, 2, 3}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(fillGap(c.values.data(), c.from, static_cast<int>(c.values.size())), c.returned);
    EXPECT_EQ(c.values, c.after);
  }
  EXPECT_EQ(fillGap(nullptr, 0, 5), 5);
  float one = M;
  EXPECT_EQ(fillGap(&one, 0, 0), 0);
  EXPECT_EQ(fillGap(&one, 0, -3), 0);
}

TEST(TextTest, RepeatedFillGapFillsEveryInnerGap) {
  std::vector<float> values = {M, 1, M, 3, M, M, 6, 7, M};
  int count = static_cast<int>(values.size());
  std::vector<int> stops;
  for (int p = 0; p < count;) {
    p = fillGap(values.data(), p, count);
    stops.push_back(p);
  }
  EXPECT_EQ(stops, (std::vector<int>{1, 3, 6, 9}));
  EXPECT_EQ(values, (std::vector<float>{M, 1, 2, 3, 4, 5, 6, 7, M}));
}

TEST(TextTest, Minimum) {
  EXPECT_EQ(minimum(3, 5), 3);
  EXPECT_EQ(minimum(5, 3), 3);
  EXPECT_EQ(minimum(-32768, 32767), -32768);
  EXPECT_EQ(minimum(4, 4), 4);
}

TEST(MissingTest, TheMissingRange) {
  struct Case {
    double value;
    bool missing;
  } cases[] = {
      {MissingValue, true},
      {-0.000001f, true},
      {-0.000001, true},
      {-0.0000011, true},
      {-0.0000011f, true},
      {-0.0000009, true},
      {-0.0000009f, true},
      {-0.00000112, false},
      {-0.00000088, false},
      {0.0, false},
      {0.000001, false},
      {-1.0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(isMissing(c.value), c.missing);
  }
}

TEST(PausePromptTest, AnyKeyReturns) {
  for (const char* keys : {"x", "\r", " "}) {
    ScriptedKeys scripted(keys);
    ScopedKeySource source(scripted);
    ConsoleCapture capture;
    pausePrompt();
    EXPECT_EQ(capture.text(), "\nTap a key to continue.  ESC to exit.");
    EXPECT_TRUE(scripted.empty());
  }
}

TEST(PausePromptTest, ExtendedKeyIsTakenWhole) {
  ScriptedKeys scripted;
  scripted.extended(key::kUp).type("a");
  ScopedKeySource source(scripted);
  ConsoleCapture capture;
  pausePrompt();
  EXPECT_EQ(keySource().readKey(), 'a');
}

TEST(PausePromptTest, EscapeEndsTheProgramWithStatusOne) {
  ScriptedKeys scripted("\x1b" "x");
  ScopedKeySource source(scripted);
  ConsoleCapture capture;
  EXPECT_EQ(testing::exitStatusOf([] { pausePrompt(); }), 1);
  EXPECT_EQ(capture.text(), "\nTap a key to continue.  ESC to exit.");
}

TEST(PausePromptTest, EndOfScriptCountsAsEscape) {
  ScriptedKeys scripted;
  ScopedKeySource source(scripted);
  ConsoleCapture capture;
  EXPECT_EQ(testing::exitStatusOf([] { pausePrompt(); }), 1);
}

TEST(OutOfMemoryTest, PrintsThePlaceAndExitsWithStatusOne) {
  struct Case {
    const char* place;
    const char* printed;
  } cases[] = {{"readSeries", "Out of memory at readSeries.\n"}, {"", "Out of memory.\n"}};
  for (const Case& c : cases) {
    ConsoleCapture capture;
    EXPECT_EQ(testing::exitStatusOf([&] { outOfMemory(c.place); }), 1);
    EXPECT_EQ(capture.text(), c.printed);
  }
}

}  // namespace
}  // namespace tabrix

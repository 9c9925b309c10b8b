// The column-name operations: letters for numbers and back, offsets and neighbours, with
// their messages. Expected letters are worked out by hand (A = 1, Z = 26, AA = 27, IV = 256).
#include <gtest/gtest.h>

#include <string>

#include "platform/console.h"
#include "sheet/excel.h"

namespace tabrix {
namespace {

constexpr const char* kBeforeOrBeyond = "\nError:  cannot have columns before \"A\" or beyond \"IV\".\n";
constexpr const char* kBeyond = "\nError:  cannot have columns beyond \"IV\".\n";

struct NameCase {
  int number;
  const char* letters;
  const char* message;
};

TEST(ColumnNamesTest, ColName) {
  ConsoleCapture capture;
  for (NameCase c : {NameCase{1, "A", ""}, {26, "Z", ""}, {27, "AA", ""}, {52, "AZ", ""}, {53, "BA", ""},
                     {234, "HZ", ""}, {256, "IV", ""}, {257, "-1", kBeyond}, {259, "-1", kBeyond},
                     {260, "-1", kBeforeOrBeyond}, {0, "-1", kBeforeOrBeyond}, {-5, "-1", kBeforeOrBeyond}}) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(Excel::ColName(c.number), c.letters);
    EXPECT_EQ(capture.take(), c.message);
  }
}

TEST(ColumnNamesTest, ColNumber) {
  struct Case {
    const char* letters;
    int number;
  };
  // Only the first two characters are read; a second character that is no letter fails.
  for (Case c : {Case{"A", 1}, {"z", 26}, {"AA", 27}, {"iv", 256}, {"Iv", 256}, {"ZZ", 702}, {"ABC", 28},
                 {"", -1}, {"1", -1}, {"B5", -1}, {"-A", -1}}) {
    SCOPED_TRACE(c.letters);
    EXPECT_EQ(Excel::ColNumber(c.letters), c.number);
  }
}

TEST(ColumnNamesTest, ColOffset) {
  ConsoleCapture capture;
  struct Case {
    const char* letters;
    int k;
    const char* result;
    const char* message;
  };
  for (Case c : {Case{"Z", 1, "AA", ""}, {"AY", 1, "AZ", ""}, {"ay", 1, "AZ", ""}, {"B", 0, "B", ""},
                 {"C", -2, "A", ""}, {"C", -3, "-1", kBeforeOrBeyond}, {"IV", 1, "-1", kBeyond},
                 {"A1", 1, "-1", ""}, {"", 5, "E", ""}, {"A", 2000000000, "-1", kBeforeOrBeyond}}) {
    SCOPED_TRACE(std::string(c.letters) + " " + std::to_string(c.k));
    EXPECT_EQ(Excel::ColOffset(c.letters, c.k), c.result);
    EXPECT_EQ(capture.take(), c.message);
  }
}

TEST(ColumnNamesTest, NextAndPreviousColumn) {
  ConsoleCapture capture;
  struct Case {
    const char* letters;
    const char* next;
    const char* previous;
  };
  for (Case c : {Case{"A", "B", "-1"}, {"Y", "Z", "X"}, {"Z", "AA", "Y"}, {"AA", "AB", "Z"},
                 {"AZ", "BA", "AY"}, {"BA", "BB", "AZ"}, {"IV", "IW", "IU"}, {"a", "-1", "-1"},
                 {"A!", "-1", "-1"}}) {
    SCOPED_TRACE(c.letters);
    EXPECT_EQ(Excel::colmath(c.letters), c.next);
    EXPECT_EQ(Excel::ColMinusOne(c.letters), c.previous);
  }
  capture.take();
  EXPECT_EQ(Excel::ColMinusOne("A"), "-1");
  EXPECT_EQ(capture.take(), "\nError:  in Excel::ColMinusOne().\n\nCannot access column before 'A'.\n");
  EXPECT_EQ(Excel::colmath("ABC"), "-1");
  EXPECT_EQ(capture.take(), "\nError:  in Excel::colmath().\n");
  EXPECT_EQ(Excel::ColMinusOne(""), "-1");
  EXPECT_EQ(capture.take(), "\nError:  in Excel::ColMinusOne().\n");
  // After ZZ there is no two-letter column (the letters would run past 'Z').
  EXPECT_EQ(Excel::colmath("ZZ"), "-1");
  EXPECT_EQ(capture.take(), "\nError:  in Excel::colmath().\n");
}

}  // namespace
}  // namespace tabrix

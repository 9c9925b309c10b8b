#include "dates/vex_date.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>

#include "platform/console.h"

namespace tabrix {

// Readable failure output for dates.
void PrintTo(const VexDate& date, std::ostream* os) {
  *os << "{" << date.year << ", " << date.period << ", " << date.frequency << "}";
}

namespace {

// A date with exactly these fields, bypassing validation and the year rule.
VexDate fields(int year, int period, int frequency) {
  VexDate date;
  date.year = static_cast<int16_t>(year);
  date.period = static_cast<int16_t>(period);
  date.frequency = static_cast<int16_t>(frequency);
  return date;
}

const std::string kMixed = "Two dates of different frequencies cannot be compared.\n";

TEST(YearRuleTest, MapsShortYearsIntoTheTwoCenturies) {
  struct Case {
    int year;
    int expected;
  } cases[] = {
      {0, 2000},    {5, 2005},       {24, 2024},     {25, 1925},     {95, 1995},
      {100, 2000},  {199, 2099},     {1850, 3750},   {1899, 3799},   {1900, 1900},
      {2024, 2024}, {32767, 32767},  {-5, 1995},     {INT_MAX, INT_MAX},
      {INT_MIN, INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(applyYearRule(c.year), c.expected) << c.year;
}

TEST(VexDateTest, DefaultDateIsAllZero) {
  EXPECT_EQ(VexDate(), fields(0, 0, 0));
}

TEST(VexDateTest, ValidatedConstructionAppliesTheRuleOrReportsTheFirstFault) {
  struct Case {
    int year, period, frequency;
    VexDate expected;  // all zero when the date stays unset
    std::string message;
  } cases[] = {
      {95, 3, 4, fields(1995, 3, 4), ""},
      {5, 12, 12, fields(2005, 12, 12), ""},
      {1999, 1, 1, fields(1999, 1, 1), ""},
      {199, 1, 1, fields(2099, 1, 1), ""},
      {0, 4, 4, fields(2000, 4, 4), ""},
      {1999, 5, 4, VexDate(), "Period must be >= 1, <= freq.\n"},
      {1999, 0, 4, VexDate(), "Period must be >= 1, <= freq.\n"},
      {1999, 13, 12, VexDate(), "Period must be >= 1, <= freq.\n"},
      {1999, 1, 2, VexDate(), "Frequency must be 1, 4, or 12.\n"},
      {1999, 1, 0, VexDate(), "Frequency must be 1, 4, or 12.\n"},
      {1500, 1, 1, VexDate(), "Year doesn't look right: 1500.\n"},
      {200, 1, 1, VexDate(), "Year doesn't look right: 200.\n"},
      {1899, 1, 1, VexDate(), "Year doesn't look right: 1899.\n"},
      // Only the first fault is reported.
      {1500, 9, 2, VexDate(), "Year doesn't look right: 1500.\n"},
      // Years no 16-bit field can hold, and negative years, are refused too.
      {-1, 1, 1, VexDate(), "Year doesn't look right: -1.\n"},
      {40000, 1, 1, VexDate(), "Year doesn't look right: 40000.\n"},
      {INT_MIN, 1, 1, VexDate(), "Year doesn't look right: -2147483648.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << "/" << c.period << "/" << c.frequency);
    ConsoleCapture capture;
    EXPECT_EQ(VexDate(c.year, c.period, c.frequency), c.expected);
    EXPECT_EQ(capture.take(), c.message);

    // set() on a date that already holds a value keeps it on a fault.
    VexDate date = fields(1990, 2, 4);
    date.set(c.year, c.period, c.frequency);
    EXPECT_EQ(date, c.message.empty() ? c.expected : fields(1990, 2, 4));
    EXPECT_EQ(capture.take(), c.message);
  }
}

TEST(VexDateTest, TextConstruction) {
  struct Case {
    std::string text;
    VexDate expected;  // frequency 0 where an invalid period keeps the fresh date's 0
    bool invalidPeriod;
  } cases[] = {
      {"1995", fields(1995, 1, 1), false},
      {"95.3", fields(1995, 3, 4), false},
      {"2001.012", fields(2001, 12, 12), false},
      {"95.005", fields(1995, 5, 12), false},
      {"1995.0", fields(1995, 1, 1), false},
      {"1995.000", fields(1995, 1, 1), false},
      {"24", fields(2024, 1, 1), false},
      {"25", fields(1925, 1, 1), false},
      {"1850", fields(3750, 1, 1), false},
      {"100", fields(2000, 1, 1), false},
      // The period is not held to the frequency.
      {"1995.7", fields(1995, 7, 4), false},
      {"1995.099", fields(1995, 99, 12), false},
      // Two or four digits: the period is kept, the frequency is not set.
      {"1995.10", fields(1995, 10, 0), true},
      {"95.0003", fields(1995, 3, 0), true},
      {"1995.3abc", fields(1995, 3, 0), true},
      // A part after the dot that does not start with a digit makes the date annual.
      {"1995.", fields(1995, 1, 1), false},
      {"1995.x", fields(1995, 1, 1), false},
      {"1995.-3", fields(1995, 1, 1), false},
      // Texts without a leading number read as year 0, that is 2000.
      {"", fields(2000, 1, 1), false},
      {"abc", fields(2000, 1, 1), false},
      {"-95", fields(2000, 1, 1), false},
      {".3", fields(2000, 3, 4), false},
      {"95abc", fields(1995, 1, 1), false},
      // Huge numbers stop growing at the largest 16-bit value.
      {"99999999999", fields(32767, 1, 1), false},
      {"1995.9999999", fields(1995, 32767, 0), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ConsoleCapture capture;
    EXPECT_EQ(VexDate(std::string_view(c.text)), c.expected);
    EXPECT_EQ(capture.text(),
              c.invalidPeriod ? "Error in Date: " + c.text + ".  Invalid period.\n" : "");
  }
}

TEST(VexDateTest, TextInvalidPeriodKeepsTheEarlierFrequency) {
  ConsoleCapture capture;
  VexDate date = fields(1990, 2, 4);
  date.setFromText("1995.10");
  EXPECT_EQ(date, fields(1995, 10, 4));
  EXPECT_EQ(capture.text(), "Error in Date: 1995.10.  Invalid period.\n");

  date = fields(1990, 2, 12);
  date.setFromText("95.3");
  EXPECT_EQ(date, fields(1995, 3, 4));
}

TEST(VexDateTest, TextIsCutAtNineteenCharacters) {
  struct Case {
    std::string text;
    VexDate expected;
    std::string message;
  } cases[] = {
      // The twentieth character and beyond are never read: 16 digits after the dot
      // would still be invalid, but the text shown is the cut one.
      {"1995.123456789012345678", fields(1995, 32767, 0),
       "Error in Date: 1995.12345678901234.  Invalid period.\n"},
      // A year text padded past the cut: the dot at position 20 is not seen.
      {"1995" + std::string(15, ' ') + ".3", fields(1995, 1, 1), ""},
      // Nineteen characters exactly, ending in a three-digit month.
      {std::string(14, '0') + "2.012", fields(2002, 12, 12), ""},
      {std::string(5000, '9'), fields(32767, 1, 1), ""},
      // A terminator inside the view ends the text.
      {std::string("95.3\0.77", 8), fields(1995, 3, 4), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 30));
    ConsoleCapture capture;
    EXPECT_EQ(VexDate(std::string_view(c.text)), c.expected);
    EXPECT_EQ(capture.text(), c.message);
  }
}

TEST(VexDateTest, NumberConstruction) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float number;
    VexDate expected;
  } cases[] = {
      {1995.0f, fields(1995, 1, 1)},
      {1995.001f, fields(1995, 1, 12)},
      {1995.005f, fields(1995, 5, 12)},
      {1995.012f, fields(1995, 12, 12)},
      {1995.013f, fields(1995, 13, 12)},
      {1995.1f, fields(1995, 1, 4)},
      {1995.2f, fields(1995, 2, 4)},
      {1995.3f, fields(1995, 3, 4)},
      {1995.4f, fields(1995, 4, 4)},
      {1995.45f, fields(1995, 1, 1)},
      {1995.5f, fields(1995, 1, 2)},
      {1995.6f, fields(1995, 2, 2)},
      {95.1f, fields(1995, 1, 4)},
      {5.3f, fields(2005, 3, 4)},
      {0.0f, fields(2000, 1, 1)},
      {2024.012f, fields(2024, 12, 12)},
      // Numbers that cannot be a date leave it unset.
      {nan, VexDate()},
      {inf, VexDate()},
      {-inf, VexDate()},
      {-1.5f, VexDate()},
      {32768.0f, VexDate()},
      {1e30f, VexDate()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    ConsoleCapture capture;
    EXPECT_EQ(VexDate(c.number), c.expected);
    EXPECT_EQ(capture.text(), "");
  }

  VexDate kept = fields(1990, 2, 4);
  kept.setFromNumber(nan);
  EXPECT_EQ(kept, fields(1990, 2, 4));
}

TEST(VexDateTest, NumberConstructionReadsEveryMonthAndQuarterOfTheRuleYears) {
  // The numbers as a token reader would produce them: the float nearest the decimal.
  for (int year = 1925; year <= 2024; ++year) {
    for (int month = 1; month <= 12; ++month) {
      float number = static_cast<float>(year + month / 1000.0);
      EXPECT_EQ(VexDate(number), fields(year, month, 12)) << year << "." << month;
    }
    for (int quarter = 1; quarter <= 4; ++quarter) {
      float number = static_cast<float>(year + quarter / 10.0);
      EXPECT_EQ(VexDate(number), fields(year, quarter, 4)) << year << "." << quarter;
    }
    EXPECT_EQ(VexDate(static_cast<float>(year)), fields(year, 1, 1)) << year;
  }
}

// Every text of up to five characters over digits, dots and other bytes, and a sweep
// of float bit patterns: nothing may read out of bounds or overflow (the sanitizer
// build checks), and every date made is labelled within the capacity.
TEST(VexDateTest, ArbitraryInputGivesUsableDates) {
  ConsoleCapture capture;
  const char alphabet[] = {'9', '0', '.', 'x', '-', '\0'};
  std::string text;
  auto check = [](const VexDate& date) {
    EXPECT_GE(date.year, 1900);
    EXPECT_GE(date.period, 0);
    std::string label = format(date, 0);
    EXPECT_LT(label.size(), static_cast<size_t>(DateLabelCapacity));
    VexDate next = date;
    advance(next);
    indexFrom(next, date);
  };
  auto walk = [&](auto& self, int depth) -> void {
    check(VexDate(std::string_view(text)));
    if (depth == 5) return;
    for (char c : alphabet) {
      text.push_back(c);
      self(self, depth + 1);
      text.pop_back();
    }
  };
  walk(walk, 0);

  for (uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 0x10001u) {
    uint32_t pattern = static_cast<uint32_t>(bits);
    float number;
    std::memcpy(&number, &pattern, sizeof number);
    VexDate date(number);
    if (date.frequency == 0) continue;
    EXPECT_TRUE(date.frequency == 1 || date.frequency == 2 || date.frequency == 4 ||
                date.frequency == 12);
    check(date);
  }
}

TEST(ComparisonTest, ByYearFirstThenPeriodWithinOneFrequency) {
  struct Case {
    VexDate a, b;
    int before, notAfter, after;
  } cases[] = {
      {fields(1995, 2, 4), fields(1995, 3, 4), 1, 1, 0},
      {fields(1995, 3, 4), fields(1995, 3, 4), 0, 1, 0},
      {fields(1995, 12, 12), fields(1995, 1, 12), 0, 0, 1},
      {fields(1995, 1, 1), fields(1996, 1, 1), 1, 1, 0},
      // Different frequencies in different years: by year alone, silently.
      {fields(1994, 2, 4), fields(1995, 1, 1), 1, 1, 0},
      {fields(1996, 1, 1), fields(1995, 2, 4), 0, 0, 1},
      {fields(1994, 12, 12), fields(1995, 1, 4), 1, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
    ConsoleCapture capture;
    EXPECT_EQ(before(c.a, c.b), c.before);
    EXPECT_EQ(notAfter(c.a, c.b), c.notAfter);
    EXPECT_EQ(after(c.a, c.b), c.after);
    EXPECT_EQ(capture.text(), "");
  }
}

TEST(ComparisonTest, SameYearDifferentFrequenciesReportAndReturnMinusOne) {
  struct Case {
    VexDate a, b;
  } cases[] = {
      {fields(1995, 2, 4), fields(1995, 1, 1)},
      {fields(1995, 1, 1), fields(1995, 2, 4)},
      {fields(1995, 12, 12), fields(1995, 4, 4)},
      {fields(1995, 1, 2), fields(1995, 1, 4)},
  };
  using Compare = int16_t (*)(const VexDate&, const VexDate&);
  for (const Case& c : cases) {
    for (Compare compare : {Compare(before), Compare(notAfter), Compare(after)}) {
      ConsoleCapture capture;
      EXPECT_EQ(compare(c.a, c.b), -1);
      EXPECT_EQ(capture.text(), kMixed);
    }
  }
}

TEST(PeriodsBetweenTest, DifferenceInPeriodsOrMinusOne) {
  struct Case {
    VexDate a, b;
    int expected;
  } cases[] = {
      {fields(1996, 1, 4), fields(1995, 1, 4), 4},
      {fields(1995, 1, 4), fields(1996, 1, 4), -4},
      {fields(2001, 12, 12), fields(2001, 1, 12), 11},
      {fields(2002, 1, 12), fields(2001, 12, 12), 1},
      {fields(1990, 1, 1), fields(1960, 1, 1), 30},
      {fields(1995, 1, 1), fields(1995, 1, 4), -1},
      // Far-apart dates saturate instead of wrapping round to a negative count.
      {fields(32767, 12, 12), fields(1900, 1, 12), 32767},
      {fields(1900, 1, 12), fields(32767, 12, 12), -32768},
  };
  ConsoleCapture capture;
  for (const Case& c : cases) {
    EXPECT_EQ(periodsBetween(c.a, c.b), c.expected)
        << testing::PrintToString(c.a) << " - " << testing::PrintToString(c.b);
  }
  EXPECT_EQ(capture.text(), "");
}

TEST(IndexFromTest, IndexOrNegativeCodes) {
  struct Case {
    VexDate date, start;
    int expected;
    std::string message;
  } cases[] = {
      {fields(1996, 1, 4), fields(1995, 1, 4), 4, ""},
      {fields(1995, 1, 4), fields(1995, 1, 4), 0, ""},
      {fields(1994, 4, 4), fields(1995, 1, 4), -2, ""},
      {fields(1995, 1, 1), fields(1995, 1, 4), -1, ""},
      {fields(1996, 1, 1), fields(1995, 1, 4), -1, ""},
      {fields(1995, 3, 12), fields(1994, 12, 12), 3, ""},
      {fields(1990, 1, 1), fields(1960, 1, 1), 30, ""},
      {fields(1959, 1, 1), fields(1960, 1, 1), -2, ""},
      // An invalid date is reported, then placed by its own fields.
      {VexDate(1995.6f), VexDate(1995.5f), 1, "Frequency must be 1, 4, or 12.\n"},
      {VexDate("1995.7"), fields(1995, 1, 4), 6, "Period must be >= 1, <= freq.\n"},
      {fields(1500, 1, 1), fields(1400, 1, 1), 100, "Year doesn't look right: 1500.\n"},
      {VexDate(), fields(1995, 1, 4), -1, "Frequency must be 1, 4, or 12.\n"},
      // Beyond the 16-bit range the index saturates: still not "before the start".
      {fields(32767, 12, 12), fields(1900, 1, 12), 32767, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.date) + " from " + testing::PrintToString(c.start));
    ConsoleCapture capture;
    EXPECT_EQ(indexFrom(c.date, c.start), c.expected);
    EXPECT_EQ(capture.text(), c.message);
  }
}

TEST(AdvanceTest, MovesOnePeriodAndReturnsThePreviousDate) {
  struct Case {
    VexDate date, expected;
  } cases[] = {
      {fields(1995, 4, 4), fields(1996, 1, 4)},
      {fields(1995, 2, 4), fields(1995, 3, 4)},
      {fields(1995, 12, 12), fields(1996, 1, 12)},
      {fields(1995, 11, 12), fields(1995, 12, 12)},
      {fields(1995, 1, 1), fields(1996, 1, 1)},
      {fields(1995, 2, 2), fields(1996, 1, 2)},
      // A quarter past the end (from "1995.7") moves into the next year.
      {fields(1995, 7, 4), fields(1996, 1, 4)},
      // The last representable year stays; it does not wrap round.
      {fields(32767, 4, 4), fields(32767, 1, 4)},
  };
  for (const Case& c : cases) {
    VexDate date = c.date;
    EXPECT_EQ(advance(date), c.date);
    EXPECT_EQ(date, c.expected) << testing::PrintToString(c.date);
  }
}

TEST(AdvanceTest, StepsAgreeWithPeriodsBetween) {
  const VexDate start(1994, 10, 12);
  VexDate date = start;
  for (int step = 1; step <= 30; ++step) {
    advance(date);
    EXPECT_EQ(periodsBetween(date, start), step);
    EXPECT_EQ(indexFrom(date, start), step);
  }
  EXPECT_EQ(date, fields(1997, 4, 12));
}

TEST(FormatTest, Labels) {
  struct Case {
    VexDate date;
    int yearFormat;
    std::string label;
  } cases[] = {
      {fields(1995, 12, 12), 1, "1995.012"},
      {fields(1995, 12, 12), 0, "95.012"},
      {fields(1995, 3, 4), 4, "1995.3"},
      {fields(1995, 3, 4), 0, "95.3"},
      {fields(1995, 1, 1), 0, "95"},
      {fields(1995, 1, 1), 1, "1995"},
      {fields(2000, 1, 1), 0, "100"},
      {fields(2005, 1, 1), 0, "5"},
      {fields(2005, 1, 12), 0, "5.001"},
      {fields(1925, 4, 4), 0, "25.4"},
      {fields(1995, 7, 4), 1, "1995.7"},
      {fields(1995, 99, 12), 1, "1995.099"},
      // The widest fields still fit the label capacity.
      {fields(-32768, -32768, 12), 0, "-34668.-32768"},
      {fields(32767, 32767, 12), 1, "32767.32767"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.date));
    // A buffer of exactly the label capacity, followed by guard bytes.
    char buffer[DateLabelCapacity + 8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(format(c.date, buffer, c.yearFormat), buffer);
    EXPECT_STREQ(buffer, c.label.c_str());
    for (size_t i = DateLabelCapacity; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#');
    EXPECT_EQ(format(c.date, c.yearFormat), c.label);
  }
}

TEST(FormatTest, UnknownFrequencyLeavesTheBufferAsItWas) {
  for (const VexDate& date : {VexDate(), fields(1995, 1, 2), fields(1995, 1, 3)}) {
    char buffer[DateLabelCapacity] = "keep";
    EXPECT_EQ(format(date, buffer, 0), buffer);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(format(date, 1), "");
  }
  EXPECT_EQ(format(fields(1995, 1, 1), nullptr, 0), nullptr);
}

TEST(FormatTest, ShortLabelsReadBackForTheRuleYears) {
  ConsoleCapture capture;
  for (int year = 1925; year <= 2024; ++year) {
    for (int frequency : {1, 4, 12}) {
      for (int period = 1; period <= frequency; ++period) {
        VexDate date(year, period, frequency);
        std::string label = format(date, 0);
        EXPECT_EQ(VexDate(std::string_view(label)), date) << label;
      }
    }
  }
  EXPECT_EQ(capture.text(), "");
}

TEST(FormatTest, ShortLabelsOfLaterYearsReadBackACenturyEarly) {
  struct Case {
    int year;
    std::string label;
    int readBack;
  } cases[] = {
      {2025, "25", 1925},
      {2030, "30", 1930},
      {2099, "99", 1999},
  };
  for (const Case& c : cases) {
    VexDate date(c.year, 1, 1);
    EXPECT_EQ(format(date, 0), c.label);
    EXPECT_EQ(VexDate(std::string_view(c.label)), fields(c.readBack, 1, 1));
  }
}

}  // namespace
}  // namespace tabrix

#include "table/value_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/console.h"
#include "support/constants.h"
#include "table/date_list.h"
#include "table/table_line.h"
#include "table/page_counters.h"
#include "table_fixture.h"

namespace tabrix {
namespace {

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

// A table in the middle of a long page (so no header or page break interferes), with a
// 10-character title column, 7-character fields, the given dates, and alternatives
// whose observations from 1990 on are given row by row.
class Rows {
 public:
  Rows(const char* dates, const std::vector<std::vector<float>>& alternatives) {
    table.out.openMemory();
    table.titleWidth = 10;
    table.fieldWidth = 7;
    table.pageLength = 1000;
    PageCounters::lineOnPage(table.page) = 5;
    table.noFormat = true;
    giveData(table, dates, alternatives);
    table.lineTitle = "GDP";
  }

  // Composes the line and returns what it wrote.
  std::string compose() {
    EXPECT_EQ(composeLine(table), 0);
    std::string text = table.out.text();
    table.out.openMemory();
    return text;
  }

  TableLine table;
};

TEST(ValueRowsTest, WritesOneRowPerAlternativeInEachShowMode) {
  struct Case {
    char showMode;
    std::string expected;
  } cases[] = {
      {'a', "GDP         100.0  110.0\n            101.0  112.5\n            100.0    0.0\n"},
      {'d', "GDP         100.0  110.0\n              1.0    2.5\n              0.0 -110.0\n"},
      {'p', "GDP         100.0  110.0\n              1.0    2.3\n              0.0 -100.0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.showMode);
    Rows rows("1990 1991", {{100.0f, 110.0f}, {101.0f, 112.5f}, {100.0f, 0.0f}});
    rows.table.showMode = c.showMode;
    EXPECT_EQ(rows.compose(), c.expected);
    EXPECT_EQ(PageCounters::lineOnPage(rows.table.page), 5 + 3);
    EXPECT_EQ(PageCounters::sheetRow(rows.table.page), 3);
  }
}

TEST(ValueRowsTest, FormatsCellsBySettings) {
  struct Case {
    const char* what;
    const char* dates;
    std::vector<float> values;
    void (*set)(TableLine&);
    std::string expected;
  } cases[] = {
      {"decimals", "1990", {3.14159f}, [](TableLine& t) { t.decs = 3; }, "GDP         3.142\n"},
      {"coefficient decimals", "1990", {3.14159f}, [](TableLine& t) { t.coefMode = true; }, "GDP        3.1416\n"},
      {"growth decimals and width", "1990 1990-1991", {100.0f, 110.0f},
       [](TableLine& t) {
         t.growthDecs = 2;
         t.growthWidth = 9;
       },
       "GDP         100.0     9.53\n"},
      {"growth decimals in period-growth mode", "1991", {100.0f, 110.0f},
       [](TableLine& t) {
         t.growthMode = 'g';
         t.growthDecs = 3;
         t.growthType = 'p';
       },
       "GDP        10.000\n"},
      {"missing text", "1990 1991", {MissingValue, 1.0f}, [](TableLine&) {}, "GDP          -0.0    1.0\n"},
      {"own missing text", "1990", {MissingValue}, [](TableLine& t) { t.missingText = "n.a."; }, "GDP          n.a.\n"},
      {"missing text cut to the field", "1990", {MissingValue},
       [](TableLine& t) { t.missingText = "notavailable"; }, "GDP       notavai\n"},
      {"a value too wide is cut", "1990", {12345678.0f}, [](TableLine&) {}, "GDP       1234567\n"},
      {"blank zeroes", "1990 1991 1992", {0.0f, 1.0f, 0.0f}, [](TableLine& t) { t.blankZeroes = true; },
       "GDP                  1.0\n"},
      {"commas", "1990 1991", {1234567.5f, -1234.5f},
       [](TableLine& t) {
         t.commas = true;
         t.fieldWidth = 12;
         t.decs = 2;
       },
       "GDP       1,234,567.50   -1,234.50\n"},
      {"commas cut to the field", "1990", {123456789.0f},
       [](TableLine& t) {
         t.commas = true;
         t.decs = 0;
       },
       "GDP       123,456\n"},
      {"spacers", "1990 s3 1991", {1.0f, 2.0f}, [](TableLine&) {}, "GDP           1.0       2.0\n"},
      {"a long title is cut to its column", "1990", {1.0f},
       [](TableLine& t) { t.lineTitle = "Gross domestic product"; }, "Gross dome    1.0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rows rows(c.dates, {c.values});
    c.set(rows.table);
    EXPECT_EQ(rows.compose(), c.expected);
  }
}

TEST(ValueRowsTest, PrintFileLayoutQuotesTitlesAndBlankZeroes) {
  Rows rows("1990 1991", {{0.0f, 1.0f}, {0.0f, 2.0f}});
  rows.table.prnMode = true;
  rows.table.blankZeroes = true;
  // A zero cell is a quote, seven blanks and a quote, cut to the field: a quote and six blanks.
  EXPECT_EQ(rows.compose(),
            "\"GDP     \"\"          1.0\n"
            "\"        \"\"          2.0\n");
}

TEST(ValueRowsTest, WithoutTheBaseRowTheTitleHeadsTheSecondRow) {
  Rows rows("1990", {{100.0f}, {110.0f}, {120.0f}});
  rows.table.printBase = false;
  rows.table.showMode = 'd';
  // The base is not written but still serves for the deviations.
  EXPECT_EQ(rows.compose(), "GDP          10.0\n             20.0\n");
  EXPECT_EQ(PageCounters::lineOnPage(rows.table.page), 5 + 2);
}

TEST(ValueRowsTest, DropsRowsByLargestMagnitudeCarriedDownTheLine) {
  struct Case {
    const char* what;
    std::vector<std::vector<float>> alternatives;
    void (*set)(TableLine&);
    std::string expected;
  } cases[] = {
      {"noZeroRows keeps every row after a non-zero base", {{1.0f, 0.0f}, {0.0f, 0.0f}, {0.0f, 0.0f}},
       [](TableLine& t) { t.noZeroRows = true; },
       "GDP           1.0    0.0\n              0.0    0.0\n              0.0    0.0\n"},
      {"noZeroRows drops zero rows until a value appears", {{0.0f, 0.0f}, {0.0f, 2.0f}, {0.0f, 0.0f}},
       [](TableLine& t) { t.noZeroRows = true; }, "              0.0    2.0\n              0.0    0.0\n"},
      {"noZeroRows drops a line of zeros and missing values", {{0.0f, MissingValue}, {MissingValue, 0.0f}},
       [](TableLine& t) { t.noZeroRows = true; }, ""},
      {"noZeroRows without the base row still counts the base", {{5.0f, 0.0f}, {0.0f, 0.0f}},
       [](TableLine& t) {
         t.noZeroRows = true;
         t.printBase = false;
       },
       "GDP           0.0    0.0\n"},
      {"threshold", {{10.0f, 20.0f}, {60.0f, 1.0f}, {1.0f, 1.0f}}, [](TableLine& t) { t.threshold = 50.0f; },
       "             60.0    1.0\n              1.0    1.0\n"},
      {"threshold scaled by the divisor", {{10.0f, 20.0f}, {60.0f, 1.0f}},
       [](TableLine& t) {
         t.threshold = 5.0f;
         t.divisor = 10.0f;
       },
       "             60.0    1.0\n"},
      {"threshold reached exactly keeps the row", {{50.0f, 0.0f}}, [](TableLine& t) { t.threshold = 50.0f; },
       "GDP          50.0    0.0\n"},
      {"negative values count by magnitude", {{-60.0f, 0.0f}}, [](TableLine& t) { t.threshold = 50.0f; },
       "GDP         -60.0    0.0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rows rows("1990 1991", c.alternatives);
    c.set(rows.table);
    std::string expected = c.expected;
    EXPECT_EQ(rows.compose(), expected);
    int written = static_cast<int>(std::count(expected.begin(), expected.end(), '\n'));
    EXPECT_EQ(PageCounters::lineOnPage(rows.table.page), 5 + written);
  }
}

TEST(ValueRowsTest, SpacingAddsEmptyLinesAfterTheRows) {
  struct Case {
    int spacing;
    std::string after;
  } cases[] = {{0, ""}, {1, ""}, {2, "\n"}, {4, "\n\n\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spacing);
    Rows rows("1990", {{1.0f}});
    rows.table.spacing = static_cast<int16_t>(c.spacing);
    EXPECT_EQ(rows.compose(), "GDP           1.0\n" + c.after);
    EXPECT_EQ(PageCounters::lineOnPage(rows.table.page), 6 + static_cast<int>(c.after.size()));
  }
}

TEST(ValueRowsTest, RowsEndWithLineEnd) {
  Rows rows("1990", {{1.0f}, {2.0f}});
  rows.table.lineEnd = "\\par\n";
  rows.table.spacing = 2;
  EXPECT_EQ(rows.compose(), "GDP           1.0\\par\n              2.0\\par\n\\par\n");
}

TEST(ValueRowsTest, RowsAreCutAtTheRowCapacity) {
  Rows rows("1990 1991", {{1.0f, 2.0f}});
  rows.table.titleWidth = 300;
  rows.table.fieldWidth = 400;
  const std::string text = rows.compose();
  // Title, then the first cell's 400 characters, then 43 blanks of the second: 743 in all,
  // of which only blanks reach the second value's place, so the row ends at the first.
  EXPECT_EQ(text, "GDP" + blanks(297) + blanks(397) + "1.0\n");
}

TEST(ValueRowsTest, TextLines) {
  struct Case {
    const char* what;
    const char* title;
    void (*set)(TableLine&);
    std::string expected;
  } cases[] = {
      {"plain", "Prices and wages  ", [](TableLine&) {}, "Prices and wages\n"},
      {"cut to the page width", "Prices and wages", [](TableLine& t) { t.pageWidth = 6; }, "Prices\n"},
      {"centered", "Title", [](TableLine& t) {
         t.centerText = true;
         t.pageWidth = 20;
       },
       "       Title\n"},
      {"centered, odd room rounds down", "Title", [](TableLine& t) {
         t.centerText = true;
         t.pageWidth = 10;
       },
       "  Title\n"},
      {"centered without room is cut", "Prices and wages", [](TableLine& t) {
         t.centerText = true;
         t.pageWidth = 6;
       },
       "Prices\n"},
      {"print file", "Note", [](TableLine& t) { t.prnMode = true; }, "\"Note" + blanks(96) + "\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rows rows("1990", {{1.0f}});
    rows.table.textLine = true;
    rows.table.lineTitle = c.title;
    c.set(rows.table);
    EXPECT_EQ(rows.compose(), c.expected);
    EXPECT_EQ(PageCounters::lineOnPage(rows.table.page), 6);
  }
}

TEST(ValueRowsTest, TextLinesInRecordLayoutsAreComments) {
  for (bool gdata : {true, false}) {
    Rows rows("1990", {{1.0f}});
    rows.table.textLine = true;
    rows.table.gdataMode = gdata;
    rows.table.onePerLine = !gdata;
    rows.table.lineTitle = "Prices  ";
    EXPECT_EQ(rows.compose(), "# Prices\n");
    EXPECT_EQ(PageCounters::lineOnPage(rows.table.page), 5);  // comments are not counted
    rows.table.gdataComments = false;
    EXPECT_EQ(rows.compose(), "");
  }
}

TEST(ValueRowsTest, StopsWithoutDatesOrWithGrowthRangesInPeriodGrowthMode) {
  Rows rows("1990-1991", {{1.0f}});
  rows.table.growthMode = 'g';
  ConsoleCapture capture;
  EXPECT_EQ(composeLine(rows.table), -1);
  EXPECT_EQ(capture.take(),
            " You cannot specify the \\g command in the stub file and also \n"
            "   give growth rate ranges in the \\dates command.\n");
  rows.table.growthMode = 'n';
  rows.table.datesSet = false;
  EXPECT_EQ(composeLine(rows.table), -1);
  EXPECT_EQ(capture.take(), "\nError:  Dates not set.\n");
  EXPECT_EQ(rows.table.out.text(), "");
}

TEST(ValueRowsTest, BreaksThePageWhenTheRowsDoNotFit) {
  Rows rows("1990 1991", {{1.0f, 2.0f}, {3.0f, 4.0f}, {5.0f, 6.0f}});
  rows.table.pageLength = 66;
  rows.table.bottomMargin = 9;
  PageCounters::pageNumber(rows.table.page) = 1;
  // 55 + 3 rows > 57: a new page, its header and the date header row before the rows.
  PageCounters::lineOnPage(rows.table.page) = 55;
  const std::string text = rows.compose();
  EXPECT_EQ(text.substr(0, 10), std::string(9, '\n') + "\f");
  const std::string tail = blanks(10) + "   1990   1991\n" +
                           "GDP           1.0    2.0\n"
                           "              3.0    4.0\n"
                           "              5.0    6.0\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(PageCounters::pageNumber(rows.table.page), 2);
  EXPECT_LT(PageCounters::lineOnPage(rows.table.page), 30);

  // 54 + 3 fits.
  PageCounters::lineOnPage(rows.table.page) = 54;
  EXPECT_EQ(rows.compose().substr(0, 3), "GDP");
}

TEST(ValueRowsTest, StartsAPageAtTheTopOfAPage) {
  Rows rows("1990", {{1.0f}});
  PageCounters::lineOnPage(rows.table.page) = 0;
  const std::string text = rows.compose();
  EXPECT_EQ(text.substr(0, 3), "\n\n\n");  // the header's top margin
  EXPECT_EQ(text.substr(text.size() - 18), "GDP           1.0\n");
  EXPECT_EQ(PageCounters::pageNumber(rows.table.page), 1);
}

TEST(ValueRowsTest, CellMessagesArePrintedAndTheCellShowsZero) {
  Rows rows("1985 1990", {{1.0f}, {2.0f}});
  ConsoleCapture capture;
  EXPECT_EQ(rows.compose(), "GDP           0.0    1.0\n              0.0    2.0\n");
  EXPECT_EQ(capture.text(),
            "Date 1985 specified is before starting date for alternative 1.\n"
            "Date 1985 specified is before starting date for alternative 2.\n");
}

TEST(WithCommasTest, GroupsThousands) {
  struct Case {
    float value;
    int width;
    int decimals;
    const char* expected;
  } cases[] = {
      {1234567.5f, 12, 2, "1,234,567.50"}, {-1234.5f, 9, 1, "-1,234.5"}, {999.0f, 7, 0, "999"},
      {1000.0f, 7, 0, "1,000"},            {12345678.0f, 3, 0, "12,345,678"}, {0.5f, 7, 2, "0.50"},
      {-0.04f, 7, 1, "-0.0"},              {100000.0f, 1, 1, "100,000.0"},   {-999999.0f, 12, 0, "-999,999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(withCommas(c.value, c.width, c.decimals), c.expected);
    char buffer[32];
    EXPECT_EQ(withCommas(c.value, c.width, c.decimals, buffer, sizeof buffer),
              static_cast<int>(std::string(c.expected).size()));
    EXPECT_STREQ(buffer, c.expected);
  }
  char small[5];
  EXPECT_EQ(withCommas(1234567.0f, 7, 0, small, sizeof small), 4);
  EXPECT_STREQ(small, "1,23");
}

// Data records and one value per line.

class Records : public Rows {
 public:
  Records(const char* dates, const std::vector<float>& values) : Rows(dates, {values}) {
    table.gdataMode = true;
    table.yearFormat = 3;
    table.gdataPerLine = 2;
    table.lineExpression = "gdp";
    table.lineTitle = "";
  }
};

TEST(GdataRecordTest, WritesEveryPeriodFromTheFirstToTheLastColumn) {
  Records records("1990 s2 1994", {100.0f, 110.0f, 121.0f, MissingValue, 146.41f});
  records.table.lineTitle = "Gross product ";
  EXPECT_EQ(records.compose(),
            "# Gross product\n"
            "data gdp\n"
            " 1990    100.0  110.0\n"
            " 1992    121.0   -0.0\n"
            " 1994    146.4\n");
  EXPECT_EQ(PageCounters::lineOnPage(records.table.page), 5);
  records.table.lineTitle = "";
  EXPECT_EQ(gdataRecord(records.table, "GDP"), 0);
  EXPECT_EQ(records.table.out.text().substr(0, 9), "data GDP\n");
}

TEST(GdataRecordTest, AveragesSubPeriodsOfAHigherFrequency) {
  Records records("1990 1991", {});
  records.table.altStart[0].frequency = 4;
  for (int i = 0; i < 8; ++i) records.table.values[0][static_cast<std::size_t>(i)] = static_cast<float>(i);
  records.table.gdataKeyword = "series";
  records.table.gdataComments = false;
  records.table.lineTitle = "not written";
  records.table.decs = 2;
  EXPECT_EQ(records.compose(), "series gdp\n 1990     1.50   5.50\n");
}

TEST(GdataRecordTest, SkipsRefusesAndReports) {
  {
    Records records("1990 1992", {0.0f, 0.00005f, MissingValue});
    ConsoleCapture capture;
    EXPECT_EQ(gdataRecord(records.table), 1);
    EXPECT_EQ(records.table.out.text(), "");
    records.table.gdataSkipZeroes = false;
    EXPECT_EQ(gdataRecord(records.table), 0);
    EXPECT_EQ(records.table.out.text(), "data gdp\n 1990      0.0    0.0\n 1992     -0.0\n");
    EXPECT_EQ(capture.text(), "");
  }
  {
    Records records("1990 1991", {1.0f, 2.0f});
    records.table.altMissing[0] = true;
    EXPECT_EQ(gdataRecord(records.table), 0);
    EXPECT_EQ(records.table.out.text(), "");
  }
  struct Case {
    const char* dates;
    int frequency;
    std::string message;
  } cases[] = {
      {"1990-1991 1992", 1, "\\gdata option not legal with growth rates in dates.\n"},
      {"1990 1990-1992", 1, "\\gdata option not legal with growth rates in dates.\n"},
      {"1990.1 1990.4", 1, "Illegal date conversion for series. Date: 1990.1.\r\n"},
      {"1988 1992", 1, "Date 1988 specified is before starting date for alternative 1.\r\n"},
      {"1989 1992", 4, "Date 1989 specified is before starting date for alternative 1.\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dates);
    Records records(c.dates, {1.0f, 2.0f, 3.0f});
    records.table.altStart[0].frequency = static_cast<int16_t>(c.frequency);
    ConsoleCapture capture;
    EXPECT_EQ(composeLine(records.table), -1);
    EXPECT_EQ(capture.text(), c.message);
    EXPECT_EQ(records.table.out.text(), "");
  }
}

TEST(OnePerLineTest, WritesOneLinePerColumn) {
  Rows rows("1990 s1 1991 1990-1991", {{100.0f, MissingValue}});
  rows.table.onePerLine = true;
  rows.table.yearFormat = 3;
  EXPECT_EQ(rows.compose(),
            "GDP       1990  100.0\n"
            "GDP       1991   -0.0\n"
            "GDP       90-91   -0.0\n");
  EXPECT_EQ(PageCounters::lineOnPage(rows.table.page), 8);
}

TEST(OnePerLineTest, DropsTheRowByTheLimits) {
  Rows rows("1990 1991", {{0.0f, 0.0f}});
  rows.table.onePerLine = true;
  rows.table.noZeroRows = true;
  EXPECT_EQ(rows.compose(), "");
  rows.table.noZeroRows = false;
  rows.table.threshold = 0.5f;
  EXPECT_EQ(rows.compose(), "");
  rows.table.threshold = 0.0f;
  rows.table.yearFormat = 3;
  EXPECT_EQ(rows.compose(), "GDP       1990    0.0\nGDP       1991    0.0\n");
}

}  // namespace
}  // namespace tabrix

#include "table/date_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/console.h"
#include "platform/keys.h"
#include "table_fixture.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

using ColumnList = std::vector<std::string>;

TEST(DateStructTest, ParsesSingleDatesAndRanges) {
  struct Case {
    const char* dateSpec;
    bool growth, sum, average;
    int fromYear, fromPeriod, fromFrequency;
    int toYear, toPeriod, toFrequency;
  } cases[] = {
      {"1995", false, false, false, 1995, 1, 1, 0, 0, 0},
      {"95.3", false, false, false, 1995, 3, 4, 0, 0, 0},
      {"90-95", true, false, false, 1990, 1, 1, 1995, 1, 1},
      {"1990.1+1990.4", false, true, false, 1990, 1, 4, 1990, 4, 4},
      {"2001.001|2001.012", false, false, true, 2001, 1, 12, 2001, 12, 12},
      {"1990:1993", false, false, false, 1990, 1, 1, 0, 0, 0},  // names the single date a
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dateSpec);
    DateStruct d(c.dateSpec);
    EXPECT_EQ(d.isGrowth, c.growth);
    EXPECT_EQ(d.isSum, c.sum);
    EXPECT_EQ(d.isAverage, c.average);
    EXPECT_EQ(d.from.year, c.fromYear);
    EXPECT_EQ(d.from.period, c.fromPeriod);
    EXPECT_EQ(d.from.frequency, c.fromFrequency);
    EXPECT_EQ(d.to.year, c.toYear);
    EXPECT_EQ(d.to.period, c.toPeriod);
    EXPECT_EQ(d.to.frequency, c.toFrequency);
  }
}

TEST(DateStructTest, LabelsForEveryYearFormatAndFrequency) {
  struct Case {
    const char* dateSpec;
    const char* labels[4];  // year formats 0, 1, 2, 3
  } cases[] = {
      {"1995", {"95", "1995", "1995", "1995"}},
      {"2005", {"05", "2005", "2005", "2005"}},
      {"2000", {"00", "2000", "2000", "2000"}},
      {"1995.3", {"95.3", "1995.3", "1995.3", "1995.3"}},
      {"1995.012", {"95.012", "1995.012", "1995.012", "1995.012"}},
      {"90-95", {"90-95", "90-95", "1990-1995", "90-95"}},
      {"1998-2003", {"98-03", "98-03", "1998-2003", "98-03"}},
      {"1990.1-1995.4", {"90.1-95.4", "90.1-95.4", "1990.1-1995.4", "90.1-95.4"}},
      {"2001.001+2001.012", {"01.001+01.012", "01.001+01.012", "2001.001+2001.012", "01.001+01.012"}},
      {"1995|2000", {"95|00", "95|00", "1995|2000", "95|00"}},
  };
  for (const Case& c : cases) {
    for (int yearFormat = 0; yearFormat < 4; ++yearFormat) {
      SCOPED_TRACE(std::string(c.dateSpec) + " format " + std::to_string(yearFormat));
      EXPECT_EQ(DateStruct(c.dateSpec).label(yearFormat), c.labels[yearFormat]);
    }
  }
  ConsoleCapture capture;  // "1995.12" has an invalid period and no frequency
  EXPECT_EQ(DateStruct("1995.12").label(1), "");
}

TEST(DateTokenTest, TokensAndKinds) {
  std::string text = "  1990 90-95 95+00 95|00 90:93 S2\n 2000";
  std::size_t pos = 0;
  std::string token;
  int kind = -1;
  std::vector<std::pair<std::string, int>> got;
  while (nextDateToken(text, pos, token, kind)) got.emplace_back(token, kind);
  std::vector<std::pair<std::string, int>> expected = {
      {"1990", 0}, {"90-95", 1}, {"95+00", 2}, {"95|00", 3}, {"90:93", 4}, {"s2", 0}};
  EXPECT_EQ(got, expected);  // the line feed ends the list
}

class DateListTest : public testing::Test {
 protected:
  void SetUp() override { prepare(table); }
  TableLine table;
  ConsoleCapture capture;
};

TEST_F(DateListTest, ParsesDatesCommandLists) {
  struct Case {
    const char* text;
    int yearFormat;
    ColumnList columns;
    bool growth;
  } cases[] = {
      {" 1995 2000 2005 ", 1, {"1995", "2000", "2005"}, false},
      {" 1990:1993 ", 1, {"1990", "1991", "1992", "1993"}, false},
      {" 1990:1993 ", 0, {"90", "91", "92", "93"}, false},
      {" 1995.1:1995.4 ", 1, {"1995.1", "1995.2", "1995.3", "1995.4"}, false},
      {" 1995.4:1996.2 ", 1, {"1995.4", "1996.1", "1996.2"}, false},
      {" 90-95 ", 1, {"90-95"}, true},
      {" 1990 s2 1995 ", 1, {"1990", "s2", "1995"}, false},
      {" 1993:1990 ", 1, {}, false},
      {"", 1, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    table.yearFormat = static_cast<int16_t>(c.yearFormat);
    table.datesHaveGrowth = true;
    EXPECT_EQ(parseDateList(table, c.text), 0);
    EXPECT_EQ(table.dateSpecs, c.columns);
    EXPECT_EQ(table.dateCount(), static_cast<int>(c.columns.size()));
    EXPECT_EQ(table.datesHaveGrowth, c.growth);
  }
  EXPECT_EQ(capture.text(), "");
}

TEST_F(DateListTest, ShortYearsReadBackAsTheSameYears) {
  table.yearFormat = 0;
  parseDateList(table, " 1990:1993 ");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(DateStruct(table.dateSpecs[static_cast<std::size_t>(i)]).from.year, 1990 + i);
}

TEST_F(DateListTest, IllegalCharacterKeepsTheColumnsBeforeIt) {
  parseDateList(table, " 1990 1995x 2000 ");
  EXPECT_EQ(table.dateSpecs, (ColumnList{"1990"}));
  EXPECT_EQ(capture.text(), "Illegal character in date: x.\n");
}

TEST_F(DateListTest, ListsAreCutAt255Columns) {
  parseDateList(table, " 1900.001:2100.012 ");
  EXPECT_EQ(table.dateCount(), MaxDateSpecs);
  EXPECT_EQ(table.dateSpecs.back(), "1921.003");
  std::string many;
  for (int i = 0; i < 300; ++i) many += " 1995";
  parseDateList(table, many);
  EXPECT_EQ(table.dateCount(), MaxDateSpecs);
}

TEST_F(DateListTest, ResponseScriptLineStoresTokensAsGiven) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fputs("1990:1993  90-95 2000  \r\n1995\n", file);
  std::rewind(file);
  EXPECT_EQ(readDateList(table, file), 0);
  EXPECT_EQ(table.dateSpecs, (ColumnList{"1990:1993", "90-95", "2000"}));
  EXPECT_TRUE(table.datesHaveGrowth);
  // The growth flag is only ever set by a response-script list.
  EXPECT_EQ(readDateList(table, file), 0);
  EXPECT_EQ(table.dateSpecs, (ColumnList{"1995"}));
  EXPECT_TRUE(table.datesHaveGrowth);
  // Nothing more to read: the list is left empty.
  EXPECT_EQ(readDateList(table, file), -1);
  EXPECT_EQ(table.dateCount(), 0);
  std::fclose(file);
}

TEST_F(DateListTest, TypedLineIsReadFromTheKeys) {
  ScriptedKeys keys("1990 90-95 s1\n1999\n", false);
  ScopedKeySource source(keys);
  EXPECT_EQ(readDateList(table, nullptr), 0);
  EXPECT_EQ(table.dateSpecs, (ColumnList{"1990", "90-95", "s1"}));
}

class DateHeaderTest : public DateListTest {
 protected:
  void SetUp() override {
    DateListTest::SetUp();
    table.noFormat = true;
    table.datesSet = true;
    PageCounters::lineOnPage(table.page) = 10;
  }
  void dates(const char* text) { parseDateList(table, text); }
  const std::string& text() const { return table.out.text(); }
};

TEST_F(DateHeaderTest, RowsOfLabelsSpacersAndUnderlines) {
  struct Case {
    const char* dates;
    int titleWidth, fieldWidth, growthWidth;
    char underline;
    bool prn;
    std::string expected;
  } cases[] = {
      {" 1995 2000 2005 ", 32, 7, -1, 0, false, sp(32) + "   1995   2000   2005\n"},
      {" 1990 s2 1995 ", 10, 7, -1, 0, false, sp(10) + "   1990" + sp(2) + "   1995\n"},
      {" 1990 s2 1995 ", 10, 7, -1, '-', false,
       sp(10) + "   1990" + sp(2) + "   1995\n" + sp(10) + "   ----" + sp(2) + "   ----\n"},
      {" 90-95 1995.2 ", 4, 7, 9, 0, false, sp(4) + "    90-95 1995.2\n"},
      {" 90-95 ", 4, 5, -1, '=', false, sp(4) + "90-95\n" + sp(4) + "=====\n"},
      {" 1995 s1 ", 10, 6, -1, 0, true, "\"" + sp(8) + "\"" + "\"  1995\"" + " \n"},
      {" 1995 ", 4, 6, -1, '~', true, "\"  \"\"  1995\"\n\"  \"\"  ~~~~\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dates);
    table.out.openMemory();
    table.titleWidth = static_cast<int16_t>(c.titleWidth);
    table.fieldWidth = static_cast<int16_t>(c.fieldWidth);
    table.growthWidth = static_cast<int16_t>(c.growthWidth);
    table.underlineChar = c.underline;
    table.prnMode = c.prn;
    dates(c.dates);
    int before = PageCounters::lineOnPage(table.page);
    EXPECT_EQ(writeDateHeader(table), 0);
    EXPECT_EQ(text(), c.expected);
    EXPECT_EQ(PageCounters::lineOnPage(table.page) - before, c.underline ? 2 : 1);
  }
}

// A row is cut at 743 characters, the longest row the composer writes, whatever width
// a spacer or the field width asks for (expected rows counted by hand).
TEST_F(DateHeaderTest, RowsAreCutAtTheLongestRow) {
  struct Case {
    const char* dates;
    int fieldWidth;
    char underline;
    std::string expected;
  } cases[] = {
      {" s2147483647 1995 ", 7, 0, sp(743) + "\n"},
      {" s99999999999 ", 7, 0, sp(743) + "\n"},  // beyond the int range: as large
      {" 1995 s100000 2000 ", 7, '-', sp(32) + "   1995" + sp(743 - 39) + "\n" + sp(32) + "   ----" +
                                          sp(743 - 39) + "\n"},
      {" 1995 s697 2000 ", 7, 0, sp(32) + "   1995" + sp(697) + "   2000\n"},  // 743 exactly
      {" 1995 s698 2000 ", 7, 0, sp(32) + "   1995" + sp(698) + "   200\n"},
      {" 1995 ", 30000, 0, sp(743) + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dates);
    table.out.openMemory();
    table.fieldWidth = static_cast<int16_t>(c.fieldWidth);
    table.underlineChar = c.underline;
    dates(c.dates);
    EXPECT_EQ(writeDateHeader(table), 0);
    EXPECT_EQ(text(), c.expected);
  }
}

TEST_F(DateHeaderTest, LabelWiderThanItsFieldStopsTheRun) {
  table.fieldWidth = 5;
  dates(" 1995 1995.012 ");
  EXPECT_EQ(writeDateHeader(table), -1);
  EXPECT_EQ(capture.text(), "Date 1995.012 is wider than specified field width: 5.\n  Increase the field width.\n");
  // No part of the row is written.
  EXPECT_EQ(text(), "");
}

TEST_F(DateHeaderTest, NothingWithoutAListOrInRecordLayout) {
  dates(" 1995 ");
  table.datesSet = false;
  EXPECT_EQ(writeDateHeader(table), 0);
  table.datesSet = true;
  table.gdataMode = true;
  EXPECT_EQ(writeDateHeader(table), 0);
  EXPECT_EQ(text(), "");
}

TEST_F(DateHeaderTest, FullPageStartsANewOneFirst) {
  dates(" 1995 ");
  table.pageNumbers = false;
  PageCounters::pageNumber(table.page) = 1;
  PageCounters::lineOnPage(table.page) = 57;  // 66 - 9 < 57 + 1
  EXPECT_EQ(writeDateHeader(table), 0);
  EXPECT_EQ(text(), std::string(9, '\n') + "\f" + "\n\n\n\n\n" + sp(32) + "   1995\n");
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 6);
}

TEST_F(DateHeaderTest, DateFontAroundTheRows) {
  table.noFormat = false;
  table.fonts[DateFont].fontWord = "courierbold";
  table.underlineChar = '-';
  table.titleWidth = 2;
  dates(" 1995 ");
  EXPECT_EQ(writeDateHeader(table), 0);
  const std::string courierBold = "\033(s0p0s3b4099T";
  const std::string linePrinter = "\033(s0p16.67h0s0b0T";
  EXPECT_EQ(text(), sp(2) + courierBold + "   1995\n" + sp(2) + "   ----\n" + linePrinter);
}

}  // namespace
}  // namespace tabrix

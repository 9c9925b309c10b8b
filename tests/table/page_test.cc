#include "table/page.h"

#include <gtest/gtest.h>

#include "platform/console.h"
#include "table/fields.h"
#include "table_fixture.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

const std::string Portrait = "\033&l0O";

class PageTest : public testing::Test {
 protected:
  void SetUp() override { prepare(table); }
  const std::string& text() const { return table.out.text(); }
  TableLine table;
};

TEST_F(PageTest, DefaultHeaderOfTheFirstPage) {
  ASSERT_EQ(pageHeader(table), 0);
  // Setup code, three top lines, the head line with "Page  1" ending at column 130,
  // and the empty line closing the header.
  EXPECT_EQ(text(), Portrait + "\n\n\n" + sp(124) + "Page  1\n" + "\n");
  EXPECT_EQ(PageCounters::pageNumber(table.page), 1);
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 5);
  EXPECT_EQ(PageCounters::sheetRow(table.page), 5);
  EXPECT_EQ(table.tableWidth, 32 + 7);
}

TEST_F(PageTest, PageNumbersEndOnePlaceBeforeTheLastColumn) {
  struct Case {
    int previousPages;
    std::string headLine;
  } cases[] = {
      {6, sp(124) + "Page  7"},
      {41, sp(123) + "Page  42"},
      {122, sp(122) + "Page  123"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.previousPages);
    table.out.openMemory();
    PageCounters::pageNumber(table.page) = c.previousPages;
    PageCounters::lineOnPage(table.page) = 30;
    ASSERT_EQ(pageHeader(table), 0);
    // The previous page ends with nine empty lines and a form feed.
    EXPECT_EQ(text(), std::string(9, '\n') + "\f" + Portrait + "\n\n\n" + c.headLine + "\n\n");
    EXPECT_EQ(PageCounters::lineOnPage(table.page), 5);
  }
}

TEST_F(PageTest, HeadIsCutToLeaveOneBlankBeforeThePageText) {
  table.pageWidth = 40;
  table.headSet = true;
  table.headText = std::string(50, 'H');
  table.noFormat = true;
  struct Case {
    bool pageNumbers;
    std::string headLine;
  } cases[] = {
      // The page text takes columns 32..38; the head stops at 30, column 31 is blank.
      {true, std::string(31, 'H') + " Page  1"},
      {false, std::string(39, 'H')},
  };
  for (const Case& c : cases) {
    table.out.openMemory();
    PageCounters::pageNumber(table.page) = 0;
    table.pageNumbers = c.pageNumbers;
    EXPECT_EQ(pageHeader(table), 0);
    EXPECT_EQ(text(), "\n\n\n" + c.headLine + "\n\n");
  }
}

TEST_F(PageTest, HeaderTextsAreWrittenLiterally) {
  table.noFormat = true;
  table.headSet = true;
  table.headText = "100% of %s";
  table.pagePrefix = "p%d";
  table.titleSet = true;
  table.tableTitle = "Growth %d %s";
  EXPECT_EQ(pageHeader(table), 0);
  std::string head = "100% of %s";
  std::string page = "p%d 1";
  std::string line = head + sp(132 - 1 - static_cast<int>(page.size()) - static_cast<int>(head.size())) + page;
  EXPECT_EQ(text(), "\n\n\n" + line + "\n" + sp(13) + "Growth %d %s\n" + "\n");
}

TEST_F(PageTest, TitlesSubtitleAndSpaceHead) {
  table.noFormat = true;
  table.pageNumbers = false;
  table.spaceHead = 2;
  table.dateSpecs.assign(4, "2001");
  table.datesSet = true;  // tableWidth 60
  table.titleSet = true;
  table.tableTitle = "Real GDP";
  table.subtitleSet = true;
  table.subtitle = " billions of dollars   ";
  EXPECT_EQ(pageHeader(table), 0);
  // The title at (60 - 8) / 2; the subtitle right-trimmed first, at (60 - 20) / 2.
  EXPECT_EQ(text(), "\n\n\n\n\n\n" + sp(26) + "Real GDP\n" + sp(20) + " billions of dollars\n" + "\n");
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 3 + 1 + 2 + 2 + 1);
}

TEST_F(PageTest, TitleLongerThanTheTableStartsAtColumnZero) {
  table.noFormat = true;
  table.pageNumbers = false;
  table.titleSet = true;
  table.tableTitle = std::string(45, 'T');  // tableWidth 39
  EXPECT_EQ(pageHeader(table), 0);
  EXPECT_EQ(text(), "\n\n\n\n" + table.tableTitle + "\n\n");
}

TEST_F(PageTest, ContentsNumberTheTitle) {
  table.noFormat = true;
  table.pageNumbers = false;
  table.tocOn = true;
  for (const char* title : {"a", "b", "c", "Output"}) table.contents.addEntry(title, 1);
  table.titleSet = true;
  table.tableTitle = "Output";
  EXPECT_EQ(pageHeader(table), 0);
  // "TABLE  4.  Output" (17 characters) centred on 39 columns.
  EXPECT_EQ(text(), "\n\n\n\n" + sp(11) + "TABLE  4.  Output\n\n");
}

TEST_F(PageTest, OneAlternativeAgainstThree) {
  table.noFormat = true;
  table.pageNumbers = false;
  table.dateSpecs.assign(10, "2001");
  table.datesSet = true;  // tableWidth 102
  table.altTitlesKnown = true;
  table.altTitles[0] = "Base run";
  table.altTitles[1] = "High oil";
  table.altTitles[2] = "Low oil";
  table.showMode = 'p';

  table.altCount = 1;
  EXPECT_EQ(pageHeader(table), 0);
  EXPECT_EQ(text(), "\n\n\n\n\n");

  table.out.openMemory();
  PageCounters::pageNumber(table.page) = 0;
  table.altCount = 3;
  EXPECT_EQ(pageHeader(table), 0);
  // The heading at (102 - 24) / 2 = 39, the list 20 columns left of it.
  EXPECT_EQ(text(), "\n\n\n\n"
                    "\n" +
                        sp(39) + "Titles of Alternate Runs\n" + sp(19) + "Line 1: Base run\n" + sp(19) +
                        "Line 2: High oil - percent difference from base\n" + sp(19) +
                        "Line 3: Low oil - percent difference from base\n"
                        "\n" +
                        sp(12) + "Alternatives are shown in percentage deviations from base.\n" + "\n");
  // The indented sentence and the empty line after it.
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 3 + 1 + 1 + 1 + 3 + 1 + 2);
}

TEST_F(PageTest, ModeTextsAndSentences) {
  table.noFormat = true;
  table.pageNumbers = false;
  table.altTitlesKnown = true;
  table.altCount = 2;
  table.altTitles[0] = "A";
  table.altTitles[1] = "B";
  struct Case {
    char mode;
    const char* text;
    const char* sentence;  // with its line end; a lone line end for none
  } cases[] = {
      {'a', "values in levels", "Alternatives are shown as actual values.\n"},
      {'d', "difference from base", "Alternatives are shown in deviations from base values.\n"},
      {'p', "percent difference from base", "Alternatives are shown in percentage deviations from base.\n"},
      {'x', "values in levels", "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    table.out.openMemory();
    PageCounters::pageNumber(table.page) = 0;
    table.showMode = c.mode;
    EXPECT_EQ(pageHeader(table), 0);
    // tableWidth 39 puts the heading at 7 and the list at -13: both go to column 5.
    EXPECT_EQ(text(), "\n\n\n\n\n" + sp(5) + "Titles of Alternate Runs\n" + sp(5) + "Line 1: A\n" + sp(5) +
                          "Line 2: B - " + c.text + "\n\n" + sp(12) + c.sentence + "\n");
  }
  // A print file without a sentence gets the indent alone, as the plain file does.
  table.out.openMemory();
  PageCounters::pageNumber(table.page) = 0;
  table.prnMode = true;
  table.showMode = 'x';
  EXPECT_EQ(pageHeader(table), 0);
  EXPECT_NE(text().find("\n\n" + sp(12) + "\n\n"), std::string::npos);
}

TEST_F(PageTest, PrinterSetupCodes) {
  struct Case {
    bool landscape;
    int leftMargin;
    int linesPerPage;
    bool noFormat;
    std::string codes;
  } cases[] = {
      {false, 0, 0, false, "\033&l0O"},
      {true, 5, 66, false, "\033&a5L\033&l1O\033&l7.2727C"},
      {false, 12, 0, false, "\033&a12L\033&l0O"},
      {false, 0, 48, false, "\033&l0O\033&l10.0000C"},
      {true, 5, 66, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codes);
    table.out.openMemory();
    PageCounters::pageNumber(table.page) = 0;
    table.landscape = c.landscape;
    table.leftMargin = static_cast<int16_t>(c.leftMargin);
    table.linesPerPage = static_cast<int16_t>(c.linesPerPage);
    table.noFormat = c.noFormat;
    EXPECT_EQ(pageHeader(table), 0);
    EXPECT_EQ(text(), c.codes + "\n\n\n" + sp(124) + "Page  1\n\n");
  }
}

TEST_F(PageTest, PrintFileLayoutQuotesTheHeaderTexts) {
  table.noFormat = true;
  table.prnMode = true;
  table.headSet = true;
  table.headText = "Head";
  table.titleSet = true;
  table.tableTitle = "Title";
  PageCounters::pageNumber(table.page) = 3;  // no end of page in a print file
  EXPECT_EQ(pageHeader(table), 0);
  std::string head = quoteField("Head", 100);
  std::string title = quoteField("Title", 100);
  EXPECT_EQ(text(), "\n\n\n" + head + "\n" + title + "\n\n");
  // The quoted head line is not counted.
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 3 + 1 + 1);
}

TEST_F(PageTest, RecordAndOneValueLayoutsHaveNoHeaders) {
  table.gdataMode = true;
  EXPECT_EQ(pageHeader(table), 0);
  table.gdataMode = false;
  table.onePerLine = true;
  EXPECT_EQ(pageHeader(table), 0);
  EXPECT_EQ(text(), "");
  EXPECT_EQ(PageCounters::pageNumber(table.page), 0);
}

TEST_F(PageTest, TimeStampAtTheFootOfEveryPage) {
  const std::string stamp = "Mon Jan  1 09:30:00 2024\n\n";
  table.noFormat = true;
  table.pageNumbers = false;
  table.timestampText = stamp;
  EXPECT_EQ(pageHeader(table), 0);
  table.out.openMemory();
  EXPECT_EQ(pageHeader(table), 0);
  // An empty line, the stamp centred on 132 columns, nine empty lines, a form feed.
  EXPECT_EQ(text(), "\n" + sp(53) + stamp + "\n" + std::string(9, '\n') + "\f" + "\n\n\n\n\n");
}

TEST_F(PageTest, EndOfRunPutsTheTimeStampNearTheBottom) {
  const std::string stamp = "Mon Jan  1 09:30:00 2024\n\n";
  table.noFormat = true;
  table.pageNumbers = false;
  EXPECT_EQ(endOfRun(table), 0);  // no stamp: nothing
  table.timestampText = stamp;
  EXPECT_EQ(endOfRun(table), 0);  // no page begun: nothing
  EXPECT_EQ(text(), "");
  EXPECT_EQ(pageHeader(table), 0);  // five lines
  table.out.openMemory();
  EXPECT_EQ(endOfRun(table), 0);
  // Empty lines up to line 66 - 9 - 3 = 54, then the stamp; no form feed.
  EXPECT_EQ(text(), std::string(54 - 5, '\n') + sp(53) + stamp + "\n");
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 55);
}

TEST_F(PageTest, CenteredLineCutsAndCentres) {
  struct Case {
    std::string text;
    int width;
    std::string line;
  } cases[] = {
      {"abc", 10, sp(3) + "abc"},
      {"abcd", 10, sp(3) + "abcd"},
      {"abcdefghijkl", 10, "abcdefghij"},
      {"50% more", 8, "50% more"},
      {"x", 0, ""},
  };
  for (const Case& c : cases) {
    table.out.openMemory();
    EXPECT_EQ(centeredLine(table, c.text, c.width), 0);
    EXPECT_EQ(text(), c.line + "\n");
  }
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 5);
}

TEST_F(PageTest, RuleLineSpansTheTable) {
  table.dateSpecs.assign(4, "2001");
  table.datesSet = true;
  EXPECT_EQ(pageHeader(table), 0);
  table.out.openMemory();
  ruleLine(table, '-');
  ruleLine(table, '=');
  EXPECT_EQ(text(), std::string(60, '-') + "\n" + std::string(60, '=') + "\n");
  table.out.openMemory();
  table.prnMode = true;
  ruleLine(table, '-');
  EXPECT_EQ(text(), "\"" + std::string(60, '-') + sp(40) + "\"\n");
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 5 + 3);
}

TEST_F(PageTest, RtfLineEndsEndEveryLine) {
  table.noFormat = true;
  table.pageNumbers = false;
  table.lineEnd = "\\par\n";
  EXPECT_EQ(pageHeader(table), 0);
  EXPECT_EQ(text(), "\\par\n\\par\n\\par\n\\par\n\\par\n");
}

TEST_F(PageTest, PageBreakRules) {
  table.altCount = 2;
  PageCounters::lineOnPage(table.page) = 55;
  EXPECT_FALSE(tableLineNeedsPage(table));  // 55 + 2 = 57 fits in 66 - 9
  PageCounters::lineOnPage(table.page) = 56;
  EXPECT_TRUE(tableLineNeedsPage(table));
  EXPECT_TRUE(textLineNeedsPage(table) == false);
  PageCounters::lineOnPage(table.page) = 57;
  EXPECT_TRUE(textLineNeedsPage(table));
  PageCounters::lineOnPage(table.page) = 56;
  table.timestampText = "x";
  EXPECT_TRUE(textLineNeedsPage(table));  // one line kept for the stamp
}

}  // namespace
}  // namespace tabrix

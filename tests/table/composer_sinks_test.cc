// The composer against a recording sink: which calls a page, its header, its date row,
// table lines, text lines, rules and page breaks give every attached renderer.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/console.h"
#include "support/constants.h"
#include "table/date_list.h"
#include "table/outputs.h"
#include "table/page.h"
#include "table/printer_controls.h"
#include "table/value_rows.h"
#include "recording_sink.h"
#include "table_fixture.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

using Calls = std::vector<std::string>;

// A table as the driver leaves it, writing to memory, with a recording renderer
// attached under "rec".
class ComposerSinks : public testing::Test {
 protected:
  void SetUp() override {
    prepare(table);
    table.noFormat = true;
    sink = attach("rec");
  }

  RecordingSink* attach(const char* key) {
    auto made = std::make_unique<RecordingSink>(calls);
    RecordingSink* raw = made.get();
    EXPECT_EQ(attachRenderer(table, key, std::move(made)), 0);
    return raw;
  }

  // The dates, and alternatives whose observations from 1990 on are given row by row.
  void data(const char* dates, const std::vector<std::vector<float>>& alternatives) {
    giveData(table, dates, alternatives);
  }

  // The calls recorded since the last take.
  Calls take() {
    Calls taken = *calls;
    calls->clear();
    return taken;
  }

  TableLine table;
  std::shared_ptr<Calls> calls = std::make_shared<Calls>();
  RecordingSink* sink = nullptr;
};

TEST_F(ComposerSinks, HeaderLinesOfAPage) {
  // Head, titles, two alternatives in deviations, four date columns (tableWidth 60).
  auto setHeader = [](TableLine& t) {
    t.headSet = true;
    t.headText = "Outlook";
    t.titleSet = true;
    t.tableTitle = "Real GDP";
    t.subtitleSet = true;
    t.subtitle = "billions";
    t.spaceHead = 1;
    t.altTitlesKnown = true;
    t.altCount = 2;
    t.altTitles[0] = "Base";
    t.altTitles[1] = "High";
    t.showMode = 'd';
    t.dateSpecs.assign(4, "2001");
    t.datesSet = true;
    t.fonts[HeadFont].fontWord = "courier";
  };
  setHeader(table);
  ASSERT_EQ(pageHeader(table), 0);
  const std::string headLine = "Outlook" + sp(132 - 7 - 8) + "Page  1";
  EXPECT_EQ(take(), (Calls{
                        "beginPage 1 page 132x66 table 60 title 32 alts 2 d",
                        "margin 3",
                        "font head on",
                        "head 'Outlook' page 'Page  1' |" + headLine + "|",
                        "font head off",
                        "blank 1",
                        "font title on",
                        "title 'Real GDP' |" + sp(26) + "Real GDP|",
                        "font title off",
                        "font title on",
                        "subtitle 'billions' |" + sp(26) + "billions|",
                        "font title off",
                        "font bank on",
                        "blank 1",
                        "list 'Titles of Alternate Runs' |" + sp(5) + "Titles of Alternate Runs|",
                        "alt 'Line 1: Base' #1 |" + sp(5) + "Line 1: Base|",
                        "alt 'Line 2: High - difference from base' #2 |" + sp(5) +
                            "Line 2: High - difference from base|",
                        "blank 1",
                        "sentence 'Alternatives are shown in deviations from base values.' |" + sp(12) +
                            "Alternatives are shown in deviations from base values.|",
                        "blank 1",
                        "font bank off",
                    }));
  // The table file is what it is without the renderer: the sinks only watch.
  TableLine plain;
  prepare(plain);
  plain.noFormat = true;
  setHeader(plain);
  ASSERT_EQ(pageHeader(plain), 0);
  EXPECT_EQ(table.out.text(), plain.out.text());
}

TEST_F(ComposerSinks, PrintFileHeaderAndContentsNumber) {
  table.prnMode = true;
  table.headSet = true;
  table.headText = "Outlook";
  table.tocOn = true;
  table.contents.addEntry("Output", 1);
  table.titleSet = true;
  table.tableTitle = "Output";
  sink->recordFonts = false;
  ASSERT_EQ(pageHeader(table), 0);
  const Calls got = take();
  ASSERT_GE(got.size(), 4u);
  EXPECT_EQ(got[0], "beginPage 1 page 132x66 table 39 title 32 alts 1 a number 1");
  // The text is the content; the laid-out line is what the print file shows.
  EXPECT_EQ(got[2], "head 'Outlook' page '' |\"Outlook" + sp(93) + "\"|");
  EXPECT_EQ(got[3].substr(0, 31), "title 'TABLE  1.  Output' |\"Out");
}

TEST_F(ComposerSinks, DateRowAndUnderline) {
  data("1990 s3 1990-1991 1991", {{1.0f, 2.0f}});
  table.underlineChar = '-';
  table.growthWidth = 10;
  PageCounters::lineOnPage(table.page) = 10;
  ASSERT_EQ(writeDateHeader(table), 0);
  EXPECT_EQ(take(), (Calls{
                        "font date on",
                        "dates '1990'/7 s3 '90-91'/10g '1991'/7 |" + sp(35) + "1990" + sp(3) + sp(5) + "90-91" +
                            sp(3) + "1991|",
                        "underline - |" + sp(35) + "----" + sp(8) + "-----" + sp(3) + "----|",
                        "font date off",
                    }));
}

// A spacer's count beyond a row (up to the largest int) or below 0 reaches the sinks as
// a whole row's width or none, so no sink's column arithmetic can overflow.
TEST_F(ComposerSinks, SpacerWidthsAreHeldToARow) {
  data("1990 s2147483647 s-2147483648 1991", {{1.0f, 2.0f}});
  table.underlineChar = 0;
  PageCounters::lineOnPage(table.page) = 10;
  sink->recordFonts = false;
  ASSERT_EQ(writeDateHeader(table), 0);
  const Calls dates = take();
  ASSERT_EQ(dates.size(), 1u);
  EXPECT_EQ(dates[0].substr(0, dates[0].find('|')), "dates '1990'/7 s" + std::to_string(MaxRowLength) + " s0 '1991'/7 ");
  table.lineTitle = "GDP";
  ASSERT_EQ(composeLine(table), 0);
  const Calls rows = take();
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[1].substr(0, rows[1].find('|')),
            "row 0 titled '1.0'.1/7 spacer/" + std::to_string(MaxRowLength) + " spacer/0 '2.0'.1/7 ");
}

TEST_F(ComposerSinks, ValueRowsWithMissingBlankAndSpacerCells) {
  data("1990 s2 1991 1992", {{1234.5f, MissingValue, 0.0f}, {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 0.0f}});
  table.titleWidth = 6;
  table.blankZeroes = true;
  table.commas = true;
  table.missingText = "NA";
  table.lineTitle = "GDP";
  table.spacing = 2;
  PageCounters::lineOnPage(table.page) = 10;
  sink->recordFonts = false;
  ASSERT_EQ(composeLine(table), 0);
  EXPECT_EQ(take(), (Calls{
                        "line 'GDP'",
                        "row 0 titled '1,234.5'.1/7 spacer/2 missing'NA'/7 blank''/7 |GDP   1,234.5" + sp(7) + "NA|",
                        "row 1 '1.0'.1/7 spacer/2 '2.0'.1/7 '3.0'.1/7 |" + sp(10) + "1.0" + sp(6) + "2.0" + sp(4) +
                            "3.0|",
                        // The third alternative's row is all zeroes, shown blank.
                        "row 2 blank''/7 spacer/2 blank''/7 blank''/7",
                        "endLine",
                        "blank 1",
                    }));
}

TEST_F(ComposerSinks, DroppedRowsAndTheRowWithoutTheBase) {
  data("1990 1991", {{0.0f, 0.0f}, {5.0f, 6.0f}});
  table.lineTitle = "X";
  table.noZeroRows = true;
  PageCounters::lineOnPage(table.page) = 10;
  sink->recordFonts = false;
  sink->recordLaidOut = false;
  ASSERT_EQ(composeLine(table), 0);
  // The base row is dropped (all zero); the second row stays and shows no title.
  EXPECT_EQ(take(), (Calls{"line 'X'", "row 1 '5.0'.1/7 '6.0'.1/7", "endLine"}));

  table.noZeroRows = false;
  table.printBase = false;
  ASSERT_EQ(composeLine(table), 0);
  EXPECT_EQ(take(), (Calls{"line 'X'", "row 1 titled '5.0'.1/7 '6.0'.1/7", "endLine"}));

  // A line of which no row is kept gives no line at all.
  table.noZeroRows = true;
  table.values[1].assign(MaxObs, 0.0f);
  ASSERT_EQ(composeLine(table), 0);
  EXPECT_EQ(take(), Calls{});
}

TEST_F(ComposerSinks, TextLinesCentredAndNotAndRules) {
  data("1990", {{1.0f}});
  table.pageWidth = 20;
  PageCounters::lineOnPage(table.page) = 10;
  sink->recordFonts = false;
  table.textLine = true;
  table.lineTitle = "Notes";
  ASSERT_EQ(composeLine(table), 0);
  table.centerText = true;
  ASSERT_EQ(composeLine(table), 0);
  table.lineTitle = std::string(30, 'x');
  table.centerText = false;
  ASSERT_EQ(composeLine(table), 0);
  ASSERT_EQ(ruleLine(table, '='), 0);
  ASSERT_EQ(centeredLine(table, "Seller", 10), 0);
  EXPECT_EQ(take(), (Calls{
                        "text 'Notes' |Notes|",
                        "centred 'Notes' |" + sp(7) + "Notes|",
                        // The text is whole; the line is cut at the page width.
                        "text '" + std::string(30, 'x') + "' |" + std::string(20, 'x') + "|",
                        "rule = |" + std::string(132, '=') + "|",
                        "centred 'Seller' |  Seller|",
                    }));
}

TEST_F(ComposerSinks, RecordLayoutsGiveCommentsRecordsAndValueLines) {
  data("1990 1992", {{1.0f, 2.0f, 3.0f}});
  table.lineTitle = "GDP ";
  table.lineExpression = "gdp";
  table.gdataMode = true;
  table.gdataPerLine = 2;
  table.fieldWidth = 5;
  ASSERT_EQ(composeLine(table), 0);
  EXPECT_EQ(take(), (Calls{"comment 'GDP ' |# GDP|",
                           "record 'data' 'gdp' 3 values .1 by 2 |data gdp| | 1990    1.0  2.0| | 1992    3.0|"}));

  table.gdataMode = false;
  table.onePerLine = true;
  table.titleWidth = 4;
  ASSERT_EQ(composeLine(table), 0);
  EXPECT_EQ(take(), (Calls{"value 'GDP ' '1990' '1.0'.1 |GDP 1990  1.0|", "value 'GDP ' '1992' '3.0'.1 |GDP 1992  3.0|"}));
}

TEST_F(ComposerSinks, PageBreakEndsThePageWithItsFoot) {
  data("1990", {{1.0f}});
  table.timestampText = "Fri 11";
  table.pageLength = 20;
  table.bottomMargin = 2;
  table.lineTitle = "A";
  sink->recordFonts = false;
  sink->recordLaidOut = false;
  ASSERT_EQ(composeLine(table), 0);  // the first page
  take();
  PageCounters::lineOnPage(table.page) = 17;  // the next line does not fit
  ASSERT_EQ(composeLine(table), 0);
  EXPECT_EQ(take(), (Calls{
                        "margin 1",
                        "foot 'Fri 11'",
                        "margin 2",
                        "endPage",
                        "beginPage 2 page 132x20 table 39 title 32 alts 1 a",
                        "margin 3",
                        "head '' page 'Page  2'",
                        "blank 1",
                        "dates '1990'/7",
                        "line 'A'",
                        "row 0 titled '1.0'.1/7",
                        "endLine",
                    }));
  // The end of the run fills the last page and stamps it; finishing ends the page.
  ASSERT_EQ(endOfRun(table), 0);
  EXPECT_EQ(finishRenderers(table), 0);
  EXPECT_EQ(take(), (Calls{"margin 8", "foot 'Fri 11'", "endPage", "finish"}));
  EXPECT_FALSE(hasRenderer(table, "rec"));
}

TEST_F(ComposerSinks, RendererAttachedMidPageBeginsTheCurrentPage) {
  data("1990", {{1.0f}});
  table.lineTitle = "A";
  table.tocOn = true;
  table.contents.addEntry("Output", 1);
  sink->recordFonts = false;
  sink->recordLaidOut = false;
  ASSERT_EQ(composeLine(table), 0);
  take();
  RecordingSink* second = attach("second");
  second->recordFonts = false;
  second->recordLaidOut = false;
  EXPECT_EQ(take(), Calls{"beginPage 1 page 132x66 table 39 title 32 alts 1 a number 1"});
  EXPECT_TRUE(hasRenderer(table, "second"));
  EXPECT_EQ(renderer(table, "second"), second);
  EXPECT_EQ(renderer(table, "none"), nullptr);

  // Both get every call of the next line, in the order attached.
  ASSERT_EQ(composeLine(table), 0);
  EXPECT_EQ(take(), (Calls{"line 'A'", "line 'A'", "row 0 titled '1.0'.1/7", "row 0 titled '1.0'.1/7", "endLine",
                           "endLine"}));

  // Detaching ends the page for that renderer alone, then finishes it.
  EXPECT_EQ(detachRenderer(table, "second"), 0);
  EXPECT_EQ(take(), (Calls{"endPage", "finish"}));
  EXPECT_EQ(detachRenderer(table, "second"), 0);  // none there any more

  // At the end: the page ended, the contents, then finish.
  EXPECT_EQ(finishRenderers(table), 0);
  EXPECT_EQ(take(), (Calls{"endPage", "contents 'Page ' 'Output'@1", "finish"}));
  EXPECT_FALSE(table.outputFailed);
}

TEST_F(ComposerSinks, FailedRendererFailsTheRun) {
  sink->failing = true;
  // Attaching over it finishes it first and passes its status on.
  EXPECT_EQ(attachRenderer(table, "rec", std::make_unique<RecordingSink>(calls)), -1);
  EXPECT_TRUE(table.outputFailed);

  table.outputFailed = false;
  static_cast<RecordingSink*>(renderer(table, "rec"))->failing = true;
  EXPECT_EQ(finishRenderers(table), -1);
  EXPECT_TRUE(table.outputFailed);
}

TEST(ComposerSinksEnd, RenderersStillAttachedWhenTheTableGoesAreAbandoned) {
  auto calls = std::make_shared<Calls>();
  {
    TableLine table;
    prepare(table);
    EXPECT_EQ(attachRenderer(table, "rec", std::make_unique<RecordingSink>(calls)), 0);
  }
  EXPECT_EQ(*calls, Calls{"abandon"});
}

}  // namespace
}  // namespace tabrix

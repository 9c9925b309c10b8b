// Page control lines: whether the rows that follow fit the page, and what happens when
// they do not.
#include <gtest/gtest.h>

#include <string>

#include "stub/interpreter_fixture.h"
#include "table/table_line.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

using PageControlTest = testing::StubTest;

// The page has 66 lines with a bottom margin of 9, so 57 lines take rows. Expected
// outcomes worked out by hand from lineOnPage + m + altCount * n <= 57.
TEST_F(PageControlTest, RowsThatDoNotFitBreakNowOrAtTheNextLine) {
  enum Outcome { kFits, kDeferred, kBreaksNow };
  struct Case {
    const char* stub;
    int altCount;
    int lineOnPage;
    Outcome outcome;
  };
  const Case cases[] = {
      {"*3\n", 2, 51, kFits},            // 51 + 6 = 57
      {"*3\n", 2, 52, kDeferred},        // 58, and m is 0
      {"*3 1\n", 2, 50, kFits},          // 50 + 1 + 6 = 57
      {"*3 1\n", 2, 51, kBreaksNow},     // 58
      {"*\n", 1, 0, kBreaksNow},         // a lone '*'
      // Counts beyond the int range are taken as the largest int: they never fit.
      {"*3111111111\n", 1, 10, kDeferred},
      {"*1 3000000000\n", 1, 10, kBreaksNow},
      {"*300000000\n", 10, 0, kDeferred},  // 10 * n alone passes the int range
      {"*2147483647 2147483647\n", 10, 57, kBreaksNow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    table.altCount = static_cast<int16_t>(c.altCount);
    PageCounters::headerStarted(table.page) = true;
    PageCounters::pageNumber(table.page) = 1;
    PageCounters::lineOnPage(table.page) = c.lineOnPage;
    PageCounters::sheetRow(table.page) = 100;
    EXPECT_EQ(runStub(c.stub), InterpretEnd);
    switch (c.outcome) {
      case kFits:
        EXPECT_EQ(PageCounters::pageNumber(table.page), 1);
        EXPECT_EQ(PageCounters::lineOnPage(table.page), c.lineOnPage);
        break;
      case kDeferred:
        EXPECT_EQ(PageCounters::pageNumber(table.page), 1);
        EXPECT_EQ(PageCounters::lineOnPage(table.page), 66);
        break;
      case kBreaksNow:
        EXPECT_EQ(PageCounters::pageNumber(table.page), 2);
        if (std::string(c.stub) != "*\n") {
          EXPECT_GE(PageCounters::sheetRow(table.page), 100 + c.lineOnPage);
        }
        break;
    }
  }
}

}  // namespace
}  // namespace tabrix

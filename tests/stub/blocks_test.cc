// Totals, sorted blocks and the group commands run through the interpreter, on two
// workspace-bank alternatives written by the project's own bank writer.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "banks/workspace_bank.h"
#include "groups/group_home.h"
#include "platform/console.h"
#include "stub/interpreter.h"
#include "stub/interpreter_fixture.h"
#include "stub/run_state.h"
#include "support/constants.h"
#include "table/table_line.h"
#include "test_files.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

// The base value of each series in 1990; 1991 is half a unit more, and the second
// alternative holds the base values plus 100. "y" (7 and 7.5) is in the base bank only.
const std::map<std::string, float> kBase = {
    {"x1", 30}, {"x2", 10}, {"x3", 40}, {"x4", 20}, {"x5", 50},
    {"x6", 5},  {"x7", 3},  {"x8", 5},  {"x9", 1},  {"x10", 3}, {"x11", 5}, {"x12", 2},
};

class BlockTest : public testing::StubTest {
 protected:
  BlockTest() {
    for (std::size_t k = 0; k < 2; ++k) {
      const std::string root = dir.file("alt" + std::to_string(k + 1));
      {
        VexBank bank(root, "New", 1990, 2, 1);
        bank.setFrequency(1);
        std::array<float, MaxObs> values{};
        for (const auto& [name, base] : kBase) {
          values[0] = base + 100.0f * static_cast<float>(k);
          values[1] = values[0] + 0.5f;
          EXPECT_GE(bank.writeSeries(name, values, 'y', 2), 0);
        }
        if (k == 0) {
          values[0] = 7.0f;
          values[1] = 7.5f;
          EXPECT_GE(bank.writeSeries("y", values, 'y', 2), 0);
        }
      }
      run.banks[k] = std::make_unique<VexBank>(root);
      table.values[k].assign(MaxObs, 0.0f);
      table.altStart[k] = VexDate(1990, 1, 1);
    }
    run.bankCount = 2;
    table.altCount = 2;
    run.groups = std::make_unique<GroupHome>(dir.file("groups.bin"));
    // The middle of a long page: no header or page break interferes.
    table.out.openMemory();
    table.titleWidth = 10;
    table.fieldWidth = 7;
    table.pageLength = 1000;
    PageCounters::lineOnPage(table.page) = 5;
    PageCounters::headerStarted(table.page) = true;
    table.noFormat = true;
  }

  // Runs the stub and returns what it wrote to the table (starting afresh).
  std::string tableOf(const std::string& stub, int16_t expected = InterpretEnd) {
    EXPECT_EQ(runStub(stub), expected);
    std::string text = table.out.text();
    table.out.openMemory();
    return text;
  }

  testing::TempDir dir;
};

// The two rows of a table line, worked out from the bank contents above: the title in
// 10 columns, then 1990 and 1991 in fields of 7 with one decimal, for each alternative.
std::string rowsOf(const std::string& title, float base) {
  char text[128];
  std::snprintf(text, sizeof text, "%-10s%7.1f%7.1f\n%10s%7.1f%7.1f\n", title.c_str(), base,
                base + 0.5, "", base + 100.0, base + 100.5);
  return text;
}
std::string rowsOf(const std::string& series) { return rowsOf(series, kBase.at(series)); }

TEST_F(BlockTest, PrintSortWritesTheBlockByItsKeys) {
  struct Case {
    const char* arguments;
    std::vector<std::string> order;  // by the keys x1 30, x2 10, x3 40, x4 20
  };
  const Case cases[] = {
      {"", {"x3", "x1", "x4", "x2"}},       // descending, every line
      {" a 3", {"x2", "x4", "x1"}},         // the three smallest, smallest first
      {" 5", {"x3", "x1", "x4", "x2"}},     // a lone number is no count
      {" d 2", {"x3", "x1"}},
      {" ascending", {"x2", "x4", "x1", "x3"}},
      {" a 9", {"x2", "x4", "x1", "x3"}},   // at most the lines recorded
      {" a 0", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    std::string expected;
    for (const std::string& series : c.order) expected += rowsOf(series);
    // Nothing of the block is written before \printsort; the stub goes on after it.
    EXPECT_EQ(tableOf("\\dates 1990 1991\n\\ss 1990\nx1;x1\n  x2;x2\nx3;x3\nx4;x4\n\\es\n"
                      "x5;x5\n\\ps" + std::string(c.arguments) + "\nx5;x5\n"),
              rowsOf("x5") + expected + rowsOf("x5"));
    EXPECT_EQ(output, "");
    EXPECT_FALSE(run.sortTable);
    EXPECT_FALSE(run.sortInProgress);
  }
}

TEST_F(BlockTest, SevenLinesAreSortedByInsertionSoEqualKeysKeepTheirOrder) {
  // Keys 5 3 5 1 3 5 2: straight insertion keeps lines of equal keys in stub order.
  EXPECT_EQ(tableOf("\\dates 1990 1991\n\\startsort 1990\nx6;x6\nx7;x7\nx8;x8\nx9;x9\nx10;x10\n"
                    "x11;x11\nx12;x12\n\\endsort\n\\printsort a\n"),
            rowsOf("x9") + rowsOf("x12") + rowsOf("x7") + rowsOf("x10") + rowsOf("x6") +
                rowsOf("x8") + rowsOf("x11"));
}

TEST_F(BlockTest, ABlockKeepsLinesBeyondItsCapacity) {
  EXPECT_EQ(tableOf("\\dates 1990 1991\n\\ss 1990 2\nx1;x1\nx2;x2\nx3;x3\n\\es\n\\ps a\n"),
            rowsOf("x2") + rowsOf("x1") + rowsOf("x3"));
}

TEST_F(BlockTest, SortedLinesBreakPagesLikeOthers) {
  table.pageLength = 40;  // rows up to line 31, above the bottom margin of 9
  PageCounters::pageNumber(table.page) = 1;
  PageCounters::lineOnPage(table.page) = 27;
  const std::string text =
      tableOf("\\dates 1990 1991\n\\ss 1991\nx1;x1\nx2;x2\nx3;x3\nx4;x4\n\\es\n\\ps\n");
  // Two lines fit on the page; the third starts the next one.
  EXPECT_EQ(PageCounters::pageNumber(table.page), 2);
  EXPECT_LT(text.find("x1 "), text.find('\f'));
  EXPECT_LT(text.find('\f'), text.find("x4 "));
  const std::size_t x3 = text.find("x3 "), x1 = text.find("x1 "), x4 = text.find("x4 "),
                    x2 = text.find("x2 ");
  ASSERT_NE(x2, std::string::npos) << text;
  EXPECT_LT(x3, x1);
  EXPECT_LT(x1, x4);
  EXPECT_LT(x4, x2);
}

TEST_F(BlockTest, SortCommandsReportTheirMistakes) {
  struct Case {
    const char* stub;
    int16_t result;
    const char* message;
    std::vector<std::string> written;
  };
  const Case cases[] = {
      {"\\ps\nx1;x1\n", -1, "\nError:  need to provide series to sort before printing.\n", {}},
      {"\\ss 1990\n\\es\n\\ps\nx1;x1\n", InterpretEnd,
       "\nError:  need to provide series to sort before printing.\n", {"x1"}},
      {"\\es\nx1;x1\n", InterpretEnd,
       "You cannot give the endsort command before the startsort command.\n\r", {"x1"}},
      {"\\ss 19x0 10\nx1;x1\n", InterpretEnd,
       "Illegal character in date: x.\nCheck startsort (ss) command\r\n"
       " Format is \\startsort <datestring> [<alloc>]\r\n",
       {"x1"}},
      {"\\ss\nx1;x1\n", InterpretEnd,
       "Check startsort (ss) command\r\n Format is \\startsort <datestring> [<alloc>]\r\n", {"x1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    std::string expected;
    for (const std::string& series : c.written) expected += rowsOf(series);
    EXPECT_EQ(tableOf("\\dates 1990 1991\n" + std::string(c.stub), c.result), expected);
    EXPECT_EQ(output, c.message);
  }
}

TEST_F(BlockTest, ABlockEndsWithItsFile) {
  // The block's lines cannot be read again once the interpreter closed their file.
  EXPECT_EQ(tableOf("\\dates 1990 1991\n\\ss 1990\nx1;x1\n"), "");
  EXPECT_FALSE(run.sortTable);
  EXPECT_FALSE(run.sortInProgress);
  EXPECT_EQ(tableOf("x2;x2\n\\ps\n", -1), rowsOf("x2"));
}

TEST_F(BlockTest, PrintTotalWritesTheSumsOfTheBlock) {
  // x1 + x2 by position: 30 + 10 in 1990, 30.5 + 10.5 in 1991, 100 more for each in
  // the second alternative.
  char total[128];
  std::snprintf(total, sizeof total, "%-10s%7.1f%7.1f\n%10s%7.1f%7.1f\n", " Total", 40.0, 41.0, "",
                240.0, 241.0);
  EXPECT_EQ(tableOf("\\dates 1990 1991\n\\st\nx1;x1\nx2;x2\n\\et\n\\pt Total\n\\pt again\n"),
            rowsOf("x1") + rowsOf("x2") + total);
  EXPECT_EQ(output, "\r\nError on \\pt command: No \\et or \\st command given!\r\n");
  EXPECT_FALSE(table.accumulatingTotals);
  EXPECT_FALSE(table.totalsEnded);
  EXPECT_TRUE(table.totals[0].empty());
}

TEST_F(BlockTest, TotalsOfAlternativesWhereTheLastSeriesIsMissing) {
  // y is missing in the second alternative: that alternative's sum is x1 alone, and it
  // is shown, not zeroed because the block's last series was missing there.
  const std::string text = tableOf("\\dates 1990 1991\n\\st\nx1;x1\ny;y\n\\et\n\\pt Total\n");
  char total[128];
  std::snprintf(total, sizeof total, "%-10s%7.1f%7.1f\n%10s%7.1f%7.1f\n", " Total", 30.0 + 7.0,
                30.5 + 7.5, "", 130.0, 130.5);
  const std::string rows = rowsOf("x1");
  ASSERT_GT(text.size(), rows.size());
  EXPECT_EQ(text.substr(text.size() - std::string(total).size()), total);
  EXPECT_NE(output.find("(This is in bank 2.)  Continuing...\n"), std::string::npos);
}

TEST_F(BlockTest, TotalCommandsOutOfOrderReportAndChangeNothing) {
  EXPECT_EQ(tableOf("\\dates 1990 1991\n\\et\n\\st\nx1;x1\nx2;x2\n\\pt Total\n"),
            rowsOf("x1") + rowsOf("x2"));
  EXPECT_EQ(output,
            "\n\r Error on \\et command: No \\st command given!\r\n"
            "\r\nError on \\pt command: No \\et or \\st command given!\r\n");
  EXPECT_TRUE(table.accumulatingTotals);  // the block is still open
}

TEST_F(BlockTest, GroupCommands) {
  EXPECT_EQ(runStub("\\group 5-8, (6)\n"), InterpretEnd);
  EXPECT_EQ(run.groups->dynamicGroup(), (std::vector<int16_t>{5, 7, 8}));
  EXPECT_EQ(run.status, 4);  // the highest index of the list

  EXPECT_EQ(runStub("\\group east\n1-5, 8\n\\grouplist east\n\\glist\n\\pl 50\n\\glist nosuch\n"
                    "\\grp\n\\listgroups\n"),
            InterpretEnd);
  EXPECT_EQ(table.pageLength, 50);
  EXPECT_EQ(output,
            "\r\n Contents of group east:\n\r   1    2    3    4    5    8 \r\n"
            "\r\ngrouplist command needs a group name!\r\n"
            "\r\n Contents of group nosuch:\n\rGroup: nosuch is not defined\r\n"
            "\nNeed a group name or number."
            "\r\nNo groups loaded.  Sorry!\n\r");
  EXPECT_EQ(testing::readFile(dir.file("groups.bin")).size(), 1206u + 21u);

  run.groupsLoaded = true;
  EXPECT_EQ(runStub("\\listg\n"), InterpretEnd);
  EXPECT_EQ(output, "\r\nGroups currently loaded:\r\neast           \r\n");
}

}  // namespace
}  // namespace tabrix

// \xlgraph: chart blocks in a workbook, on two workspace-bank alternatives written by the
// project's own bank writer: the opening with its dates and type (digit-leading type
// words unquoted), the title keywords, the closing chart and the date list put back,
// and every error.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "banks/workspace_bank.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "sheet/workbook_writer.h"
#include "stub/interpreter.h"
#include "two_runs_fixture.h"
#include "stub/run_state.h"
#include "support/constants.h"
#include "table/table_line.h"
#include "test_files.h"

namespace tabrix {
namespace {

const std::string kSyntax = "Syntax is\n\txlgraph <date1><date2><graph style>\n\t...\n\txlgraph\n";

class ChartCommandTest : public testing::TwoRunsStubTest {
 protected:
  ~ChartCommandTest() override {
    if (table.sheet) (void)table.sheet->close();
  }
  // Opens the workbook, with the table's own date list 2005 2006.
  void openBook() {
    ASSERT_EQ(runStub("\\xls \"" + dir.file("book") + "\"\n\\dates 2005 2006\n"), InterpretEnd);
    ASSERT_NE(table.sheet, nullptr);
  }
  const Workbook& book() const { return *table.sheet->workbook()->excel().workbook(); }
  std::vector<const Chart*> charts() const {
    std::vector<const Chart*> found;
    for (const auto& sheet : book().sheets)
      if (sheet->kind == SheetKind::Chart) found.push_back(sheet->chart.get());
    return found;
  }
};

TEST_F(ChartCommandTest, ABlockMakesAChartAndPutsTheDatesBack) {
  openBook();
  EXPECT_EQ(runStub("\\xlgraph 2000 2010 Line\n"
                    "\\xlgraph title \"Real GDP\"\n"
                    "\\xlgraph subtitle \"bn at 2015 prices\"\n"
                    "\\xlgraph vaxtitle bn\n"
                    "\\xlgraph colour red\n"  // another keyword is ignored
                    "gdp;GDP\n"
                    "cons;Consumption\n"
                    "\\xlgraph\n"),
            InterpretEnd);
  EXPECT_EQ(output.find("Error"), std::string::npos) << output;
  EXPECT_FALSE(run.chartBlockOpen);
  EXPECT_FALSE(table.sheet->workbook()->recording());
  // The table's own dates are back.
  EXPECT_EQ(table.dateCount(), 2);
  EXPECT_EQ(table.dateSpecs, (std::vector<std::string>{"2005", "2006"}));
  const std::vector<const Chart*> made = charts();
  ASSERT_EQ(made.size(), 1u);
  const Chart& chart = *made[0];
  EXPECT_EQ(chart.gallery, 4);
  EXPECT_EQ(chart.title, "Real GDP\nbn at 2015 prices");
  EXPECT_EQ(chart.extraTitle, "bn at 2015 prices");
  EXPECT_EQ(chart.valueTitle, "bn");
  // Two lines of two alternatives: four series over the eleven years B..L, the date
  // row (a date series) as categories, the second rows labelled.
  ASSERT_EQ(chart.series.size(), 4u);
  const ChartSeries& first = chart.series[0];
  EXPECT_EQ(first.values.column1, 1);
  EXPECT_EQ(first.values.column2, 11);
  const Sheet& data = *chart.source;
  const SheetCell* year = data.find(first.categories.row1, 1);
  ASSERT_NE(year, nullptr);
  EXPECT_EQ(year->kind, CellType::Date);
  EXPECT_EQ(year->number, 36526);  // 1 January 2000, by hand
  EXPECT_EQ(data.find(first.categories.row1, 11)->kind, CellType::Date);
  EXPECT_EQ(data.find(chart.series[0].nameRow, 0)->text, "GDP");
  EXPECT_EQ(data.find(chart.series[1].nameRow, 0)->text, "Alternative 1a");
  EXPECT_EQ(data.find(chart.series[2].nameRow, 0)->text, "Consumption");
  EXPECT_EQ(data.find(chart.series[3].nameRow, 0)->text, "Alternative 2a");
  // cons of 2010 in the base (the last row's numbers are still waiting as a run).
  const SheetCell* value = data.find(chart.series[2].values.row1, 11);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->number, 110);

  // The next block starts without the titles of the last.
  EXPECT_EQ(runStub("\\xlgraph 2001 2002 BarStacked\ngdp;GDP\n\\xlgraph\n"), InterpretEnd);
  ASSERT_EQ(charts().size(), 2u);
  EXPECT_EQ(charts()[1]->title, "");
  EXPECT_EQ(charts()[1]->valueTitle, "");
  EXPECT_EQ(charts()[1]->series[0].values.column2, 2);
}

TEST_F(ChartCommandTest, TypeWordsThatBeginWithADigit) {
  openBook();
  struct Case {
    const char* opening;
    int32_t type;
    int16_t dateCount;
  };
  for (Case c : {Case{"\\xlgraph 2000 2004 3DColumn", -4100, 5}, Case{"\\xlgraph 2000 2004 \"3DPie\"", -4102, 5},
                 Case{"\\xlgraph 2000 3DLine", -4101, 1}, Case{"\\xlgraph 2000 2001 3dareastacked100", 79, 2},
                 Case{"\\xlgraph 2000 2002 line", 4, 3}, Case{"\\xlgraph 2000 2002 LINE", 4, 3}}) {
    SCOPED_TRACE(c.opening);
    EXPECT_EQ(runStub(std::string(c.opening) + "\n"), InterpretEnd);
    EXPECT_TRUE(run.chartBlockOpen);
    EXPECT_EQ(table.sheet->workbook()->chartType(), c.type);
    EXPECT_EQ(table.dateCount(), c.dateCount);
    EXPECT_EQ(runStub("gdp;GDP\n\\xlgraph\n"), InterpretEnd);
    EXPECT_FALSE(run.chartBlockOpen);
  }
  EXPECT_EQ(charts().size(), 6u);
}

TEST_F(ChartCommandTest, ErrorsStopTheRun) {
  // Without a workbook.
  EXPECT_EQ(runStub("\\xlgraph 2000 2001 Line\n"), -1);
  EXPECT_EQ(output, "\nError:  Excel spreadsheet is not open.  Cannot create graph.\n");
  openBook();
  struct Case {
    const char* stub;
    std::string message;
  };
  const std::vector<Case> opening = {
      {"\\xlgraph title x\n", "\nError:  After first \\xlgraph command, a valid date must follow.\n"},
      {"\\xlgraph 2010 2000 Line\n", "\nError:  Invalide date for xl graph.\n"},
      {"\\xlgraph 2000 2001 Lines\n", "\nError:  Invalide type for xl graph.\n"},
      {"\\xlgraph 2000 2001 3 DColumn\n", "\nError:  Invalide type for xl graph.\n"},
      {"\\xlgraph 2000 2001\n", "\nError:  Invalide type for xl graph.\n"},
  };
  for (const Case& c : opening) {
    SCOPED_TRACE(c.stub);
    EXPECT_EQ(runStub(c.stub), -1);
    EXPECT_EQ(output, c.message);
    // No block opened: the table's dates stay, nothing is collected.
    EXPECT_FALSE(run.chartBlockOpen);
    EXPECT_FALSE(table.sheet->workbook()->recording());
    EXPECT_EQ(table.dateSpecs, (std::vector<std::string>{"2005", "2006"}));
  }
  ASSERT_EQ(runStub("\\xlgraph 2000 2001 Line\n"), InterpretEnd);
  const std::vector<Case> inside = {
      {"\\xlgraph 5\n", "\nError:  Illegal specification for \\xlgraph.\n"},
      {"\\xlgraph title 5\n", "\nError:  Illegal specification for \\xlgraph title.\n"},
      {"\\xlgraph subtitle\n", "\nError:  Illegal specification for \\xlgraph subtitle.\n"},
  };
  for (const Case& c : inside) {
    SCOPED_TRACE(c.stub);
    EXPECT_EQ(runStub(c.stub), -1);
    EXPECT_EQ(output, c.message);
    EXPECT_TRUE(run.chartBlockOpen);
  }
  // Keywords are matched in their case: Title is no title keyword.
  EXPECT_EQ(runStub("\\xlgraph Title x\n\\xlgraph tiT y\n"), InterpretEnd);
  EXPECT_EQ(table.chartTitle, "y");
}

TEST_F(ChartCommandTest, ABlockWithoutTableLinesOrAcrossAPageMakesNoChart) {
  openBook();
  const std::string none =
      "\nError:  in \"xlgraph\"\nno table rows were collected; a chart block must hold table lines on one page.\n" +
      kSyntax;
  EXPECT_EQ(runStub("\\xlgraph 2000 2001 Line\n;a text line\n\\xlgraph\n"), InterpretEnd);
  EXPECT_EQ(output, none);
  // A page break inside the block starts a new worksheet, which ends the collection;
  // the run goes on, the rows stay written and the dates come back.
  table.pageLength = 14;
  EXPECT_EQ(runStub("\\xlgraph 2000 2001 Line\ngdp;GDP\ncons;Consumption\ngdp;Again\n\\xlgraph\n"), InterpretEnd);
  EXPECT_NE(output.find(none), std::string::npos) << output;
  EXPECT_TRUE(charts().empty());
  EXPECT_GE(book().worksheets().size(), 2u);
  EXPECT_EQ(table.dateSpecs, (std::vector<std::string>{"2005", "2006"}));
  EXPECT_FALSE(run.chartBlockOpen);
}

}  // namespace
}  // namespace tabrix

// \pdf and \svg through the interpreter, on two workspace-bank alternatives written by
// the project's own bank writer: the file names they take, the charts of \xlgraph blocks
// without a workbook, the PDF read back with the poppler tools, and the failures.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "banks/workspace_bank.h"
#include "stub/interpreter.h"
#include "two_runs_fixture.h"
#include "stub/run_state.h"
#include "support/constants.h"
#include "table/outputs.h"
#include "table/pdf_sink.h"
#include "table/table_line.h"
#include "table/pdf_read_back.h"
#include "test_files.h"

namespace tabrix {
namespace {

using testing::inOrder;
using testing::pdfPageSizes;
using testing::pdfText;

// The two runs, with their titles listed in the header.
class PdfCommandTest : public testing::TwoRunsStubTest {
 protected:
  PdfCommandTest() {
    table.altTitlesKnown = true;
    table.altTitles[0] = "Base";
    table.altTitles[1] = "High";
  }
  ~PdfCommandTest() override { (void)finishRenderers(table); }
};

TEST_F(PdfCommandTest, NamesTakeDotPdfWhenTheyHaveNoExtension) {
  struct Case {
    std::string argument;
    std::string file;
  };
  const std::string base = dir.path() + "/";
  const Case cases[] = {
      {"", "out.pdf"},  // the output file's name
      {base + "tables", "tables.pdf"},
      {base + "tables.v2.pdf", "tables.v2.pdf"},
      {base + "report.PDF", "report.PDF"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(runStub("\\pdf " + c.argument + "\n"), InterpretEnd) << output;
    EXPECT_TRUE(hasRenderer(table, "pdf"));
    ASSERT_EQ(runStub("\\pdf no\n"), InterpretEnd);
    EXPECT_FALSE(hasRenderer(table, "pdf"));
    EXPECT_TRUE(std::filesystem::exists(base + c.file)) << c.argument;
  }
}

TEST_F(PdfCommandTest, AChartBlockWithoutAWorkbookDrawsThePdfAndSvgCharts) {
  TABRIX_NEED_TOOLS("pdfinfo", "pdftotext");
  const std::string pdf = dir.file("t.pdf");
  const std::string svg = dir.file("svg");
  ASSERT_EQ(runStub("\\pdf " + pdf + "\n\\svg " + svg + "\n\\dates 2005 2006\n\\title Levels\n*\n&\n"
                    "gdp;Real GDP\n"
                    "\\xlgraph 2002 2008 LineMarkers\n\\xlgraph title \"GDP in two runs\"\n"
                    "\\xlgraph vaxtitle \"Index\"\ngdp;Real GDP\ncons;Consumption\n\\xlgraph\n"
                    "cons;Consumption after\n"),
            InterpretEnd)
      << output;
  EXPECT_EQ(output.find("Error"), std::string::npos) << output;
  EXPECT_EQ(table.dateCount(), 2);  // the table's dates are back
  ASSERT_EQ(finishRenderers(table), 0);
  // The table page, then the chart page of the block that closed on it.
  const std::vector<std::pair<int, int>> sizes = {{595, 842}, {842, 595}};
  EXPECT_EQ(pdfPageSizes(pdf), sizes);
  const std::string page = pdfText(pdf, 1);
  EXPECT_TRUE(inOrder(page, {"Levels", "2005", "2006", "Real GDP", "105.0", "106.0", "115.0", "116.0", "2002",
                             "2008", "Real GDP", "102.0", "108.0", "Consumption", "Consumption after"}))
      << page;
  const std::string chart = pdfText(pdf, 2);
  for (const char* word : {"GDP in two runs", "Index", "Real GDP", "Alternative 1a", "Consumption",
                           "Alternative 2a", "2002", "2008"}) {
    EXPECT_NE(chart.find(word), std::string::npos) << word << "\n" << chart;
  }
  EXPECT_TRUE(std::filesystem::exists(svg + "/chart-1.svg"));
  EXPECT_FALSE(std::filesystem::exists(svg + "/chart-2.svg"));
}

TEST_F(PdfCommandTest, WithoutAnyChartTargetXlgraphStillStopsTheRun) {
  EXPECT_EQ(runStub("\\dates 2005 2006\n\\xlgraph 2002 2008 Line\n"), -1);
  EXPECT_NE(output.find("Excel spreadsheet is not open.  Cannot create graph."), std::string::npos) << output;
  // An unknown chart type stops it with a PDF attached too, the dates kept.
  ASSERT_EQ(runStub("\\pdf " + dir.file("t") + "\n"), InterpretEnd);
  EXPECT_EQ(runStub("\\dates 2005 2006\n\\xlgraph 2002 2008 Wiggly\n"), -1);
  EXPECT_NE(output.find("Invalide type for xl graph."), std::string::npos) << output;
  EXPECT_EQ(table.dateCount(), 2);
  EXPECT_FALSE(hasRenderer(table, "xlgraph"));
}

TEST_F(PdfCommandTest, AFileThatCannotBeOpenedStopsTheRunWithTheFailureStatus) {
  EXPECT_EQ(runStub("\\pdf /nonexistent-dir/t.pdf\n"), -1);
  EXPECT_EQ(output, "Unable to open /nonexistent-dir/t.pdf for writing.\n");
  EXPECT_TRUE(table.outputFailed);
  EXPECT_FALSE(hasRenderer(table, "pdf"));
}

}  // namespace
}  // namespace tabrix

// The PDF renderer fed by hand-made composer calls, read back with the poppler tools:
// page count and sizes, embedded faces, every number of a page in order, charts on pages
// of their own after their table page, failures reported once.
#include "table/pdf_sink.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "table/pdf_chart.h"
#include "table/svg_sink.h"
#include "table/table_line.h"
#include "test_files.h"
#include "pdf_read_back.h"

namespace tabrix {
namespace {

using testing::commandOutput;
using testing::inOrder;
using testing::pdfPageSizes;
using testing::pdfText;
using testing::quoted;
using testing::TempDir;

// A table page to feed: its columns and rows, every number the text shows.
struct PageShape {
  int titleWidth = 32;
  int fieldWidth = 7;
  int columns = 4;
  int alternatives = 2;
  int lines = 6;
  std::string title = "Gross domestic product";
  double start = 1000.0;  // the first value; each next one adds 12.3
};

// The number texts of the page, in the order they are fed.
std::vector<std::string> numbersOf(const PageShape& shape) {
  std::vector<std::string> texts;
  double value = shape.start;
  for (int line = 0; line < shape.lines; ++line) {
    for (int alt = 0; alt < shape.alternatives; ++alt) {
      for (int c = 0; c < shape.columns; ++c) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", value);
        texts.emplace_back(text);
        value += 12.3;
      }
    }
  }
  return texts;
}

// Feeds one page as the composer hands it: head, titles, alternatives, sentence, date
// labels with their underline, rows, a text line, a rule and blank lines.
void feedPage(TableSink& sink, const PageShape& shape, int pageNumber, const ChartData* chart = nullptr) {
  PageSetup setup;
  setup.pageNumber = pageNumber;
  setup.titleWidth = shape.titleWidth;
  setup.tableWidth = shape.titleWidth + shape.columns * shape.fieldWidth;
  setup.altCount = shape.alternatives;
  sink.beginPage(setup);
  sink.blankLines(3);
  const std::string pageText = "Page  " + std::to_string(pageNumber);
  sink.headerLine({HeaderKind::Head, "Forecast comparison", "", pageText, 0});
  sink.headerLine({HeaderKind::Title, shape.title, "", "", 0});
  sink.headerLine({HeaderKind::Subtitle, "Billions of dollars", "", "", 0});
  sink.blankLines(1);
  sink.headerLine({HeaderKind::ListHeading, "Titles of Alternate Runs", "", "", 0});
  sink.headerLine({HeaderKind::Alternative, "Line 1: Base case", "            Line 1: Base case", "", 1});
  sink.headerLine({HeaderKind::Alternative, "Line 2: Fiscal - values in levels",
                   "            Line 2: Fiscal - values in levels", "", 2});
  sink.blankLines(1);
  sink.headerLine({HeaderKind::Sentence, "Alternatives are shown as actual values.",
                   "            Alternatives are shown as actual values.", "", 0});
  sink.blankLines(1);
  std::vector<std::string> labelTexts;
  std::vector<DateLabel> labels;
  for (int c = 0; c < shape.columns; ++c) labelTexts.push_back(std::to_string(2025 + c));
  for (int c = 0; c < shape.columns; ++c) labels.push_back({labelTexts[c], shape.fieldWidth, false, false});
  sink.dateRow(labels, "");
  sink.dateUnderline('-', "");
  const std::vector<std::string> numbers = numbersOf(shape);
  std::size_t next = 0;
  for (int line = 0; line < shape.lines; ++line) {
    const std::string title = "Line title " + std::to_string(line + 1);
    sink.beginLine(title);
    for (int alt = 0; alt < shape.alternatives; ++alt) {
      std::vector<Cell> cells;
      for (int c = 0; c < shape.columns; ++c) {
        Cell cell;
        cell.text = numbers[next++];
        cell.value = std::stof(std::string(cell.text));
        cell.decimals = 1;
        cell.width = shape.fieldWidth;
        cell.column = c;
        cells.push_back(cell);
      }
      ValueRow row;
      row.alternative = alt;
      row.carriesTitle = alt == 0;
      row.title = title;
      row.cells = cells;
      sink.valueRow(row);
    }
    sink.endLine();
  }
  if (chart != nullptr) sink.chart(*chart);
  sink.textLine("Source: national accounts", false, "Source: national accounts");
  sink.rule('-', "");
  sink.blankLines(9);
  sink.endPage();
}

ChartData sampleChart(int chartType) {
  ChartData chart;
  chart.chartType = chartType;
  chart.title = "Real GDP";
  chart.subtitle = "Three scenarios";
  chart.axisTitle = "Billions of 2017 dollars";
  chart.categories = {"2025", "2026", "2027", "2028", "2029"};
  chart.series = {{"Base case", {1700, 1750, 1790, 1830, 1880}},
                  {"Alternative 1a", {1700, 1760, std::nan(""), 1850, 1910}},
                  {"Alternative 1b", {1690, 1720, 1760, 1790, 1820}}};
  return chart;
}

TEST(PdfSink, PagesHoldEveryNumberInOrderWithEmbeddedFaces) {
  TABRIX_NEED_TOOLS("pdfinfo", "pdffonts", "pdftotext");
  TempDir dir;
  const std::string path = dir.file("tables.pdf");
  PdfSink sink;
  ASSERT_EQ(sink.open(path), 0);
  // Portrait at the body size; landscape; landscape and set smaller; one that runs off.
  const std::vector<PageShape> pages = {
      {32, 7, 4, 2, 6, "Narrow table", 1000.0},
      {32, 7, 14, 2, 6, "Wide table", 5000.0},
      {32, 9, 20, 3, 12, "Wider table", 20000.0},
      {32, 9, 2, 10, 5, "Long table", 700.0},
  };
  for (std::size_t i = 0; i < pages.size(); ++i) feedPage(sink, pages[i], static_cast<int>(i) + 1);
  ASSERT_EQ(sink.finish(), 0);

  const auto sizes = pdfPageSizes(path);
  const std::vector<std::pair<int, int>> expected = {{595, 842}, {842, 595}, {842, 595}, {595, 842}};
  EXPECT_EQ(sizes, expected);

  const std::string fonts = commandOutput("pdffonts " + quoted(path));
  EXPECT_NE(fonts.find("DejaVuSans"), std::string::npos) << fonts;
  // Every face embedded and subset: the columns emb and sub say yes on every line.
  std::size_t lines = 0;
  std::size_t at = fonts.find("---\n");
  ASSERT_NE(at, std::string::npos) << fonts;
  for (std::size_t start = fonts.find('\n', at) + 1; start < fonts.size();) {
    const std::size_t end = fonts.find('\n', start);
    const std::string line = fonts.substr(start, end - start);
    if (!line.empty()) {
      ++lines;
      EXPECT_NE(line.find("yes yes"), std::string::npos) << line;
    }
    start = end == std::string::npos ? fonts.size() : end + 1;
  }
  EXPECT_GE(lines, 2u);  // regular and bold

  for (std::size_t i = 0; i < pages.size(); ++i) {
    const int page = static_cast<int>(i) + 1;
    const std::string text = pdfText(path, page);
    std::vector<std::string> words = {"Forecast comparison", "Page  " + std::to_string(page), pages[i].title,
                                      "Billions of dollars", "Titles of Alternate Runs", "Line 1: Base case",
                                      "Alternatives are shown as actual values.", "2025"};
    std::string missing;
    EXPECT_TRUE(inOrder(text, words, &missing)) << "page " << page << " lacks " << missing << "\n" << text;
    const std::vector<std::string> numbers = numbersOf(pages[i]);
    EXPECT_TRUE(inOrder(text, numbers, &missing)) << "page " << page << " lacks " << missing << "\n" << text;
    EXPECT_NE(text.find("Source: national accounts"), std::string::npos);
    // The numbers of a line stand on one text line, right after its title.
    EXPECT_NE(text.find("Line title 1"), std::string::npos);
  }
}

TEST(PdfSink, AChartFollowsTheTablePageItBelongsTo) {
  TABRIX_NEED_TOOLS("pdfinfo", "pdftotext");
  TempDir dir;
  const std::string path = dir.file("charts.pdf");
  PdfSink sink;
  ASSERT_EQ(sink.open(path), 0);
  const ChartData chart = sampleChart(4);
  feedPage(sink, PageShape{}, 1, &chart);
  feedPage(sink, PageShape{}, 2);
  sink.chart(chart);  // between pages: a page of its own at once
  ASSERT_EQ(sink.finish(), 0);
  const std::vector<std::pair<int, int>> expected = {{595, 842}, {842, 595}, {595, 842}, {842, 595}};
  EXPECT_EQ(pdfPageSizes(path), expected);
  EXPECT_EQ(sink.pagesWritten(), 4);
  const std::string second = pdfText(path, 2);
  EXPECT_TRUE(inOrder(second, {"Real GDP", "Three scenarios"})) << second;
  for (const char* word : {"Billions of 2017 dollars", "Base case", "Alternative 1a", "Alternative 1b", "2025",
                           "2029"}) {
    EXPECT_NE(second.find(word), std::string::npos) << word << "\n" << second;
  }
  EXPECT_TRUE(inOrder(pdfText(path, 3), {"Page  2"}));
}

// Every kind the workbook maps to draws its texts: the title, the legend's labels (the
// categories' for pies and doughnuts), the categories and the value axis's title.
TEST(PdfChart, EveryKindShowsItsTitlesLegendAndCategories) {
  TABRIX_NEED_TOOLS("pdftotext");
  struct Case {
    const char* type;
    int constant;
    bool legendOfCategories;
    bool axisTitle;
  };
  const Case cases[] = {
      {"Line", 4, false, true},           {"LineMarkers", 65, false, true},
      {"LineStacked100", 64, false, true}, {"ColumnClustered", 51, false, true},
      {"ColumnStacked", 52, false, true},  {"BarClustered", 57, false, true},
      {"BarStacked100", 59, false, true},  {"Area", 1, false, true},
      {"AreaStacked", 76, false, true},    {"XYScatter", -4169, false, true},
      {"XYScatterSmooth", 72, false, true}, {"Pie", 5, true, false},
      {"Doughnut", -4120, true, false},    {"Radar", -4151, false, false},
      {"RadarFilled", 82, false, false},
  };
  TempDir dir;
  const std::string path = dir.file("kinds.pdf");
  PdfSink sink;
  ASSERT_EQ(sink.open(path), 0);
  for (const Case& c : cases) {
    ChartData chart = sampleChart(c.constant);
    chart.title = std::string("Chart ") + c.type;
    sink.chart(chart);
  }
  ASSERT_EQ(sink.finish(), 0);
  int page = 0;
  for (const Case& c : cases) {
    const std::string text = pdfText(path, ++page);
    std::vector<std::string> words = {std::string("Chart ") + c.type};
    if (c.legendOfCategories) {
      words.insert(words.end(), {"2025", "2026", "2029"});
    } else {
      words.insert(words.end(), {"2025", "2029", "Base case", "Alternative 1a", "Alternative 1b"});
    }
    if (c.axisTitle) words.push_back("Billions of 2017 dollars");
    for (const std::string& word : words) {
      EXPECT_NE(text.find(word), std::string::npos) << c.type << " lacks " << word << "\n" << text;
    }
  }
}

TEST(PdfChart, AxesTickAtRoundNumbers) {
  struct Case {
    double low, high;
    bool fromZero;
    double wantLow, wantHigh, wantStep;
    int decimals;
  };
  const Case cases[] = {
      {1690, 1910, false, 1650, 1950, 50, 0},  // a line chart: not from zero
      {1690, 1910, true, 0, 2000, 500, 0},     // columns keep zero
      {-3.2, 4.1, false, -4, 6, 2, 0},
      {0.012, 0.047, false, 0.01, 0.05, 0.01, 2},
      {-12, -3, true, -12.5, 0, 2.5, 1},
      {7, 7, false, 6, 8, 0.5, 1},             // one value: an axis around it
      {0, 0, true, 0, 1, 0.2, 1},
  };
  for (const Case& c : cases) {
    const AxisScale scale = niceScale(c.low, c.high, c.fromZero);
    EXPECT_NEAR(scale.low, c.wantLow, 1e-9) << c.low << ".." << c.high;
    EXPECT_NEAR(scale.high, c.wantHigh, 1e-9) << c.low << ".." << c.high;
    EXPECT_NEAR(scale.step, c.wantStep, 1e-9) << c.low << ".." << c.high;
    EXPECT_EQ(scale.decimals, c.decimals) << c.low << ".." << c.high;
  }
}

TEST(SvgSink, WritesEachChartAsAnSvgFileWithItsPaths) {
  TABRIX_NEED_TOOLS("python3");
  TempDir dir;
  SvgSink sink;
  const std::string charts = dir.file("charts/made");  // made when missing
  ASSERT_EQ(sink.open(charts), 0);
  sink.beginPage(PageSetup{});
  sink.chart(sampleChart(51));
  sink.endPage();
  sink.chart(sampleChart(5));
  ASSERT_EQ(sink.finish(), 0);
  EXPECT_EQ(sink.chartsWritten(), 2);
  for (int n = 1; n <= 2; ++n) {
    const std::string file = charts + "/chart-" + std::to_string(n) + ".svg";
    const std::string count = commandOutput(
        "python3 -c \"import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); "
        "print(r.tag, sum(1 for e in r.iter() if e.tag.endswith('}path')))\" " + quoted(file));
    int paths = 0;
    char tag[256] = "";
    ASSERT_EQ(std::sscanf(count.c_str(), "%255s %d", tag, &paths), 2) << file << ": " << count;
    EXPECT_STREQ(tag, "{http://www.w3.org/2000/svg}svg");
    EXPECT_GT(paths, 10) << file;
  }
}

TEST(PdfSink, FailuresAreReportedOnceAndNamed) {
  // A file that cannot be opened.
  PdfSink closed;
  EXPECT_EQ(closed.open("/nonexistent-dir/x.pdf"), -1);
  // A device that takes nothing: the failure is told once, naming the file.
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "/dev/full is missing";
  ConsoleCapture capture;
  PdfSink sink;
  ASSERT_EQ(sink.open("/dev/full"), 0);
  for (int page = 1; page <= 3; ++page) feedPage(sink, PageShape{}, page);
  EXPECT_EQ(sink.finish(), -1);
  EXPECT_EQ(sink.status(), -1);
  const std::string message = "\nError:  Could not write /dev/full; the table in it is incomplete.\r\n";
  EXPECT_EQ(capture.text(), message);
  // SVG: a directory that cannot be made.
  SvgSink svg;
  EXPECT_EQ(svg.open("/dev/full/charts"), -1);
}

// Text that is not valid UTF-8 (a Windows-1252 title, a cut character) is read as
// Windows-1252, as in the other renderers: the PDF is written whole and shows it.
TEST(PdfSink, TextThatIsNotUtf8IsReadAsWindows1252) {
  TABRIX_NEED_TOOLS("pdftotext");
  TempDir dir;
  const std::string name = dir.file("latin.pdf");
  ConsoleCapture capture;
  PdfSink sink;
  ASSERT_EQ(sink.open(name), 0);
  PageShape shape;
  shape.title = "Caf\xe9 \x82quoted\x93 and a cut \xc3";
  ChartData chart = sampleChart(51);
  chart.title = "Prix \xe0 la consommation";
  feedPage(sink, shape, 1, &chart);
  EXPECT_EQ(sink.finish(), 0);
  EXPECT_EQ(capture.text(), "");
  const std::string text = pdfText(name);
  EXPECT_NE(text.find("Caf\u00e9 \u201aquoted\u201c and a cut \u00c3"), std::string::npos) << text;
  EXPECT_NE(text.find("Prix \u00e0 la consommation"), std::string::npos) << text;
}

TEST(PdfSink, FontRolesApplyAndAMissingFaceIsNamedOnce) {
  TABRIX_NEED_TOOLS("pdffonts", "pdftotext");
  TempDir dir;
  const std::string path = dir.file("fonts.pdf");
  std::array<RoleFont, FontRoleCount> fonts{};
  fonts[BodyFont].font.setName("Garamond");  // not installed here
  fonts[TitleFont].font.setName("DejaVu Serif");
  fonts[TitleFont].font.setPitch(14);
  fonts[BankFont].font.setItalic(true);
  ConsoleCapture capture;
  PdfSink sink(&fonts);
  ASSERT_EQ(sink.open(path), 0);
  feedPage(sink, PageShape{}, 1);
  feedPage(sink, PageShape{}, 2);
  ASSERT_EQ(sink.finish(), 0);
  EXPECT_EQ(capture.text(), "Warning:  the font \"Garamond\" is not installed; DejaVu Sans is used.\n");
  const std::string used = commandOutput("pdffonts " + quoted(path));
  for (const char* face : {"DejaVuSans", "DejaVuSerif-Bold", "DejaVuSans-Oblique"}) {
    EXPECT_NE(used.find(face), std::string::npos) << face << "\n" << used;
  }
  EXPECT_TRUE(inOrder(pdfText(path, 1), numbersOf(PageShape{})));
}

}  // namespace
}  // namespace tabrix

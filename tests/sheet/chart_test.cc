// Charts: the chart-type names and the chart each is drawn as, setChart's chart sheets
// and series, and the writer's collection of rows, labels, limits and titles.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/console.h"
#include "sheet/chart_types.h"
#include "sheet/excel.h"
#include "sheet/wk1_file.h"
#include "test_files.h"

namespace tabrix {
namespace {

using tabrix::testing::TempDir;

const std::string kSyntax = "Syntax is\n\txlgraph <date1><date2><graph style>\n\t...\n\txlgraph\n";

// Every name with its constant, as listed for the application, and the chart the file
// draws it as (written out by hand from the rules: 3-D, cylinder, cone and pyramid forms
// are the flat chart of their grouping, stock lines, surfaces areas, bubbles scatter,
// exploded pies and pies of pies pies). "" in `drawn` means the chart itself.
TEST(ChartTypesTest, EveryNameItsConstantAndItsDrawing) {
  struct Case {
    const char* name;
    int32_t constant;
    const char* drawn;
  };
  const std::vector<Case> cases = {
      {"ColumnClustered", 51, ""},        {"ColumnStacked", 52, ""},
      {"ColumnStacked100", 53, ""},       {"3DColumnClustered", 54, "column"},
      {"3DColumnStacked", 55, "column stacked"}, {"3DColumnStacked100", 56, "column stacked 100%"},
      {"BarClustered", 57, ""},           {"BarStacked", 58, ""},
      {"BarStacked100", 59, ""},          {"3DBarClustered", 60, "bar"},
      {"3DBarStacked", 61, "bar stacked"}, {"3DBarStacked100", 62, "bar stacked 100%"},
      {"LineStacked", 63, ""},            {"LineStacked100", 64, ""},
      {"LineMarkers", 65, ""},            {"LineMarkersStacked", 66, ""},
      {"LineMarkersStacked100", 67, ""},  {"PieOfPie", 68, "pie"},
      {"PieExploded", 69, "pie"},         {"3DPieExploded", 70, "pie"},
      {"BarOfPie", 71, "pie"},            {"XYScatterSmooth", 72, ""},
      {"XYScatterSmoothNoMarkers", 73, ""}, {"XYScatterLines", 74, ""},
      {"XYScatterLinesNoMarkers", 75, ""}, {"AreaStacked", 76, ""},
      {"AreaStacked100", 77, ""},         {"3DAreaStacked", 78, "area stacked"},
      {"3DAreaStacked100", 79, "area stacked 100%"}, {"DoughnutExploded", 80, "doughnut"},
      {"RadarMarkers", 81, ""},           {"RadarFilled", 82, ""},
      {"Surface", 83, "area"},            {"SurfaceWireframe", 84, "area"},
      {"SurfaceTopView", 85, "area"},     {"SurfaceTopViewWireframe", 86, "area"},
      {"Bubble", 15, "scatter"},          {"Bubble3DEffect", 87, "scatter"},
      {"StockHLC", 88, "line"},           {"StockOHLC", 89, "line"},
      {"StockVHLC", 90, "line"},          {"StockVOHLC", 91, "line"},
      {"CylinderColClustered", 92, "column"}, {"CylinderColStacked", 93, "column stacked"},
      {"CylinderColStacked100", 94, "column stacked 100%"}, {"CylinderBarClustered", 95, "bar"},
      {"CylinderBarStacked", 96, "bar stacked"}, {"CylinderBarStacked100", 97, "bar stacked 100%"},
      {"CylinderCol", 98, "column"},      {"ConeColClustered", 99, "column"},
      {"ConeColStacked", 100, "column stacked"}, {"ConeColStacked100", 101, "column stacked 100%"},
      {"ConeBarClustered", 102, "bar"},   {"ConeBarStacked", 103, "bar stacked"},
      {"ConeBarStacked100", 104, "bar stacked 100%"}, {"ConeCol", 105, "column"},
      {"PyramidColClustered", 106, "column"}, {"PyramidColStacked", 107, "column stacked"},
      {"PyramidColStacked100", 108, "column stacked 100%"}, {"PyramidBarClustered", 109, "bar"},
      {"PyramidBarStacked", 110, "bar stacked"}, {"PyramidBarStacked100", 111, "bar stacked 100%"},
      {"PyramidCol", 112, "column"},      {"3DColumn", -4100, "column"},
      {"Line", 4, ""},                    {"3DLine", -4101, "line"},
      {"3DPie", -4102, "pie"},            {"Pie", 5, ""},
      {"XYScatter", -4169, ""},           {"3DArea", -4098, "area"},
      {"Area", 1, ""},                    {"Doughnut", -4120, ""},
      {"Radar", -4151, ""},
  };
  ASSERT_EQ(cases.size(), 73u);
  ASSERT_EQ(chartTypeNames().size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const ChartTypeName& entry = chartTypeNames()[i];  // the lookup order
    EXPECT_STREQ(entry.name, c.name);
    EXPECT_EQ(entry.constant, c.constant);
    EXPECT_EQ(entry.exact, *c.drawn == '\0');
    if (*c.drawn != '\0') {
      EXPECT_STREQ(drawingName(entry.drawing), c.drawn);
    }
    EXPECT_EQ(findChartType(c.name), &entry);
    EXPECT_EQ(chartTypeOf(c.constant), &entry);
  }
  // The charts drawn as themselves, with their markers.
  EXPECT_STREQ(drawingName(findChartType("ColumnStacked100")->drawing), "column stacked 100%");
  EXPECT_STREQ(drawingName(findChartType("LineMarkersStacked")->drawing), "line stacked with markers");
  EXPECT_STREQ(drawingName(findChartType("Line")->drawing), "line");
  EXPECT_STREQ(drawingName(findChartType("XYScatterSmoothNoMarkers")->drawing),
               "scatter with smooth lines, no markers");
  EXPECT_STREQ(drawingName(findChartType("RadarFilled")->drawing), "radar filled");
}

TEST(ChartTypesTest, NamesMatchCompletelyInAnyCase) {
  for (const char* name : {"line", "LINE", "Line", "3dcolumn", "xyscatterlines"})
    EXPECT_NE(findChartType(name), nullptr) << name;
  EXPECT_EQ(findChartType("line")->constant, 4);
  EXPECT_EQ(findChartType("LINE")->constant, 4);
  for (const char* name : {"", "Lin", "Lines", "3D", "DColumn", "Column", "Line "})
    EXPECT_EQ(findChartType(name), nullptr) << name;
  EXPECT_EQ(chartTypeOf(0), nullptr);
}

// A workbook with rows of numbers to chart: row 1 a date series in B..D, rows 2 and 3
// a title in A and numbers in B..D.
class SetChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
    ASSERT_EQ(excel.SetSheetName("Data"), 0);
    float first = 2000;
    ASSERT_EQ(excel.WriteNumberArray("B", 1, 'r', 3, std::span<const float>(&first, 1), true), 0);
    const float values[3] = {1, 2, 3};
    for (int row : {2, 3}) {
      ASSERT_EQ(excel.WriteString("A", row, "line " + std::to_string(row)), 0);
      ASSERT_EQ(excel.WriteNumberArray("B", row, 'r', 3, values, false), 0);
    }
    capture.take();
  }
  std::vector<std::string> sheetNames() const {
    std::vector<std::string> names;
    for (const auto& sheet : excel.workbook()->sheets) names.push_back(sheet->name);
    return names;
  }
  const Chart& chart(const std::string& name) const {
    for (const auto& sheet : excel.workbook()->sheets)
      if (sheet->name == name) return *sheet->chart;
    ADD_FAILURE() << "no sheet " << name;
    static const Chart none;
    return none;
  }

  ConsoleCapture capture;
  Excel excel;
};

TEST_F(SetChartTest, RowsBecomeSeriesOfAChartSheetBesideTheWorksheet) {
  std::vector<XLSeries> series = {{"A", 1, "D", 1}, {"A", 2, "D", 2}, {"A", 3, "D", 3}, {"A", 0, "D", 0},
                                  {"A", 9, "D", 9}};  // the list ends at the row 0
  ASSERT_EQ(excel.setChart(series, 4, "Title\nSub", "", "bn", "Sub", "r"), 0);
  EXPECT_EQ(capture.take(), "");  // a line chart is drawn as itself
  ASSERT_EQ(excel.setChart(series, 69, "Pies", "", "", "", "r"), 0);
  EXPECT_EQ(capture.take(), "Chart type PieExploded is drawn as pie.\n");
  // A later worksheet goes after the worksheet's charts; the worksheet stayed active.
  EXPECT_EQ(excel.workbook()->activeSheet, excel.worksheet());
  ASSERT_EQ(excel.CreateNew("Next", "ws", ""), 0);
  EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Data", "Chart1", "Chart2", "Next"}));

  const Chart& line = chart("Chart1");
  EXPECT_EQ(line.gallery, 4);
  EXPECT_EQ(line.drawing, (ChartDrawing{ChartKind::Line, false}));
  EXPECT_EQ(line.source, excel.workbook()->sheets[0].get());
  EXPECT_EQ(line.title, "Title\nSub");
  EXPECT_EQ(line.valueTitle, "bn");
  EXPECT_EQ(line.extraTitle, "Sub");
  EXPECT_TRUE(line.legend);
  // Two series, rows 2 and 3 (from 0: 1 and 2): names in A, values B..D, the date row's
  // B..D as categories.
  ASSERT_EQ(line.series.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    const ChartSeries& s = line.series[k];
    const int32_t row = static_cast<int32_t>(k) + 1;
    EXPECT_TRUE(s.hasName && s.nameRow == row && s.nameColumn == 0);
    EXPECT_TRUE(s.values.row1 == row && s.values.row2 == row && s.values.column1 == 1 && s.values.column2 == 3);
    EXPECT_TRUE(s.hasCategories && s.categories.row1 == 0 && s.categories.row2 == 0 &&
                s.categories.column1 == 1 && s.categories.column2 == 3);
  }
  EXPECT_EQ(chart("Chart2").drawing.kind, ChartKind::Pie);
}

TEST_F(SetChartTest, ByColumnsEachColumnIsASeries) {
  std::vector<XLSeries> series = {{"A", 1, "D", 1}, {"A", 2, "D", 3}};
  ASSERT_EQ(excel.setChart(series, 51, "", "", "", "", "c"), 0);
  const Chart& columns = chart("Chart1");
  // Columns B..D: names in row 1, values rows 2..3, categories A2..A3.
  ASSERT_EQ(columns.series.size(), 3u);
  const ChartSeries& last = columns.series[2];
  EXPECT_TRUE(last.nameRow == 0 && last.nameColumn == 3);
  EXPECT_TRUE(last.values.row1 == 1 && last.values.row2 == 2 && last.values.column1 == 3 && last.values.column2 == 3);
  EXPECT_TRUE(last.categories.column1 == 0 && last.categories.row1 == 1 && last.categories.row2 == 2);
  // By columns the rows must follow one another.
  std::vector<XLSeries> apart = {{"A", 1, "D", 1}, {"A", 3, "D", 3}};
  EXPECT_EQ(excel.setChart(apart, 51, "", "", "", "", "c"), -1);
  EXPECT_EQ(capture.take(), "Error:  in Excel::setChart().\n");
}

TEST_F(SetChartTest, RefusalsAddNoSheet) {
  struct Case {
    std::vector<XLSeries> series;
    int32_t type;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{{"A", 1, "D", 1}}, 4, "Error:  in 'setChart,' there are no values to chart.\n"},  // one range
      {{}, 4, "Error:  in 'setChart,' there are no values to chart.\n"},
      {{{"A", 1, "A", 1}, {"A", 2, "A", 2}}, 4, "Error:  in 'setChart,' there are no values to chart.\n"},
      {{{"A", 1, "D", 1}, {"A", 2, "D", 2}}, 7, "Error:  in Excel::setChart().\n"},  // no chart type
      {{{"A", 1, "D", 1}, {"?", 2, "D", 2}}, 4, "Error:  in Excel::setChart().\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(excel.setChart(c.series, c.type, "", "", "", "", "r"), -1);
    EXPECT_EQ(capture.take(), c.message);
  }
  EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Data"}));
  Excel closed;
  EXPECT_EQ(closed.setChart({}, 4, "", "", "", "", "r"), -1);
  EXPECT_EQ(capture.take(), "Error:  in 'setChart,' worksheet is not open.\n");
}

// A workbook writer collecting a chart: the date row of `columns` dates in row 2 (from
// 0), then `lines` table lines of `alternatives` rows each from row 3, numbers in B on.
class MakeChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = dir.file("charts");
    sheet = std::make_unique<WK1File>(name, 1, SheetForm::XLS, "", SheetTitles{});
    ASSERT_TRUE(sheet->isOpen());
    capture.take();
  }
  void collect(int lines, int alternatives, int columns) {
    sheet->setRecording(true);
    ASSERT_EQ(sheet->writeDateRow(2, 2, VexDate(2000, 1, 1), columns, VexFont(), VexFont()), 0);
    int row = 3;
    for (int line = 0; line < lines; ++line) {
      for (int k = 0; k < alternatives; ++k, ++row) {
        if (k == 0) {
          ASSERT_EQ(sheet->writeText(row, 0, "line " + std::to_string(line + 1), '\''), 0);
        }
        for (int c = 1; c <= columns; ++c) ASSERT_EQ(sheet->writeNumber(row, c, static_cast<float>(c), 1), 1);
      }
    }
  }
  ChartRequest request(int alternatives, int columns) const {
    ChartRequest r;
    r.altCount = alternatives;
    r.dateCount = columns;
    r.nameFont.setItalic(true);
    return r;
  }
  const Sheet& data() const { return *sheet->excel().workbook()->sheets[0]; }
  std::string text(int row, int column) const {
    const SheetCell* cell = data().find(row, column);
    return cell != nullptr && cell->kind == CellType::Text ? cell->text : "";
  }
  const Chart* chart() const {
    const auto& sheets = sheet->excel().workbook()->sheets;
    return sheets.size() > 1 ? sheets[1]->chart.get() : nullptr;
  }

  ConsoleCapture capture;
  TempDir dir;
  std::unique_ptr<WK1File> sheet;
};

TEST_F(MakeChartTest, TwoLinesOfTwoAlternativesMakeFourLabelledSeries) {
  collect(2, 2, 3);
  EXPECT_EQ(sheet->chartRows(), (std::vector<int32_t>{3, 4, 5, 6, 7}));
  ASSERT_EQ(sheet->setChartType("line"), 0);
  ASSERT_EQ(sheet->makeChart(request(2, 3)), 0);
  EXPECT_EQ(capture.take(), "");
  // The second and fourth table rows (worksheet rows 5 and 7, from 0 4 and 6) get the
  // labels; the base rows keep their titles.
  EXPECT_EQ(text(3, 0), "line 1");
  EXPECT_EQ(text(4, 0), "Alternative 1a");
  EXPECT_EQ(text(5, 0), "line 2");
  EXPECT_EQ(text(6, 0), "Alternative 2a");
  EXPECT_TRUE(sheet->excel().workbook()->styles.at(data().find(4, 0)->style).italic);  // the name font
  const Chart* made = chart();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->gallery, 4);
  // Five rows in the source: the date row gives the categories, four series.
  ASSERT_EQ(made->series.size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) {
    const ChartSeries& s = made->series[k];
    EXPECT_EQ(s.nameRow, static_cast<int32_t>(k) + 3);
    EXPECT_EQ(s.categories.row1, 2);
    EXPECT_EQ(s.values.column1, 1);
    EXPECT_EQ(s.values.column2, 3);  // ColOffset("A", 3) is D
  }
  // The workbook file is written with its chart sheet.
  EXPECT_EQ(sheet->close(), 0);
  EXPECT_EQ(capture.take(), "");
}

TEST_F(MakeChartTest, ThreeAlternativesAreLabelledAAndB) {
  collect(2, 3, 2);
  ASSERT_EQ(sheet->makeChart(request(3, 2)), 0);
  EXPECT_EQ(text(4, 0), "Alternative 1a");
  EXPECT_EQ(text(5, 0), "Alternative 1b");
  EXPECT_EQ(text(6, 0), "line 2");
  EXPECT_EQ(text(7, 0), "Alternative 2a");
  EXPECT_EQ(text(8, 0), "Alternative 2b");
}

TEST_F(MakeChartTest, TenDateColumnsAreOneSeries) {
  collect(1, 1, 10);
  ASSERT_EQ(sheet->makeChart(request(1, 10)), 0);
  ASSERT_NE(chart(), nullptr);
  ASSERT_EQ(chart()->series.size(), 1u);
  EXPECT_EQ(chart()->series[0].values.column1, 1);   // B
  EXPECT_EQ(chart()->series[0].values.column2, 10);  // K, ColOffset("A", 10)
  EXPECT_EQ(text(3, 0), "line 1");  // one alternative: nothing labelled
}

TEST_F(MakeChartTest, ThirtyRowsAtMost) {
  collect(29, 1, 2);  // with the date row, 30 rows
  ASSERT_EQ(sheet->makeChart(request(1, 2)), 0);
  ASSERT_NE(chart(), nullptr);
  EXPECT_EQ(chart()->series.size(), 29u);
  sheet->setRecording(false);
  collect(30, 1, 2);  // 31 rows
  EXPECT_EQ(sheet->chartRows().size(), 31u);
  EXPECT_EQ(sheet->makeChart(request(1, 2)), -1);
  EXPECT_EQ(capture.take(), "\nError:  in \"xlgraph\"\ntoo many series have been specified.  The limit is 30 "
                            "series.\n" + kSyntax);
  EXPECT_EQ(sheet->excel().workbook()->sheets.size(), 2u);  // no second chart
  EXPECT_EQ(text(3, 0), "line 1");                         // the cells stay
}

TEST_F(MakeChartTest, TitleAndSubtitle) {
  collect(1, 1, 2);
  ChartRequest r = request(1, 2);
  r.title = "Real GDP";
  r.subtitle = "bn at 2015 prices";
  r.axisTitle = "bn";
  ASSERT_EQ(sheet->makeChart(r), 0);
  ASSERT_NE(chart(), nullptr);
  EXPECT_EQ(chart()->title, "Real GDP\nbn at 2015 prices");
  EXPECT_EQ(chart()->extraTitle, "bn at 2015 prices");
  EXPECT_EQ(chart()->valueTitle, "bn");
  EXPECT_EQ(chart()->categoryTitle, "");
  sheet->setRecording(false);
  collect(1, 1, 2);
  r.subtitle.clear();
  ASSERT_EQ(sheet->makeChart(r), 0);
  EXPECT_EQ(sheet->excel().workbook()->sheets[2]->chart->title, "Real GDP");
}

TEST_F(MakeChartTest, FailuresKeepTheCells) {
  struct Case {
    const char* what;
    int dateCount;
    bool newPage;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"no dates", 0, false, "\nError:  in \"xlgraph, valid dates must be specified.\n" + kSyntax},
      {"a new page", 2, true,
       "\nError:  in \"xlgraph\"\nno table rows were collected; a chart block must hold table lines on one page.\n" +
           kSyntax},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    collect(2, 2, 2);
    if (c.newPage) {
      ASSERT_EQ(sheet->newSheet(SheetTitles{}), 0);
    }
    capture.take();
    EXPECT_EQ(sheet->makeChart(request(2, c.dateCount)), -1);
    EXPECT_EQ(capture.take(), c.message);
    sheet->setRecording(false);
  }
  for (const auto& s : sheet->excel().workbook()->sheets) EXPECT_EQ(s->kind, SheetKind::Worksheet);
  EXPECT_EQ(text(3, 0), "line 1");
}

TEST_F(MakeChartTest, ChartTypesByName) {
  EXPECT_EQ(sheet->setChartType("LINE"), 0);
  EXPECT_EQ(sheet->chartType(), 4);
  EXPECT_EQ(sheet->setChartType("Lines"), -1);
  EXPECT_EQ(sheet->chartType(), 4);  // unchanged
  EXPECT_EQ(sheet->setChartType("3dpie"), 0);
  EXPECT_EQ(sheet->chartType(), -4102);
  collect(1, 1, 2);
  ASSERT_EQ(sheet->makeChart(request(1, 2)), 0);
  EXPECT_EQ(capture.take(), "Chart type 3DPie is drawn as pie.\n");
}

TEST(MakeChartWk1Test, AWk1FileHasNoCharts) {
  ConsoleCapture capture;
  TempDir dir;
  std::string name = dir.file("plain");
  WK1File sheet(name, 1, SheetForm::WK1, "", SheetTitles{});
  EXPECT_EQ(sheet.makeChart(ChartRequest{}), -1);
  EXPECT_EQ(capture.take(), "\nError:  in \"xlgraph\" command.\n");
  EXPECT_EQ(sheet.close(), 0);
}

}  // namespace
}  // namespace tabrix

// The spreadsheet operations on the workbook model: sheet naming, the cell writes with
// their formats and fonts, date series, frozen panes, saving and the messages.
#include "sheet/excel.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "support/constants.h"
#include "test_files.h"

namespace tabrix {
namespace {

using tabrix::testing::TempDir;

// An Excel with a new workbook that has no file yet, its first sheet named Sheet1.
class ExcelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
    capture.take();
  }

  const SheetCell* cell(int row, int column) const { return excel.worksheet()->find(row - 1, column - 1); }
  const CellStyle& style(int row, int column) const {
    return excel.workbook()->styles.at(cell(row, column)->style);
  }
  std::vector<std::string> sheetNames() const {
    std::vector<std::string> names;
    for (const auto& sheet : excel.workbook()->sheets) names.push_back(sheet->name);
    return names;
  }

  ConsoleCapture capture;
  Excel excel;
};

TEST_F(ExcelTest, NewSheetsAreNamedUniquely) {
  struct Case {
    std::vector<std::string> existing;  // the first renames Sheet1, the others are added
    std::string name;
    std::string expected;
  };
  const std::string name31(31, 'x');
  const std::string cut29(29, 'x'), cut28(28, 'x');
  std::vector<std::string> tenPages = {name31};
  for (int k = 2; k <= 9; ++k) tenPages.push_back(cut29 + "-" + std::to_string(k));
  std::vector<Case> cases = {
      {{"Other"}, "Results", "Results"},
      {{"Results", "Results-2"}, "Results", "Results-3"},
      {{"Page-1"}, "Page", "Page-2"},
      {{"Page-1", "Page-2"}, "Page", "Page-3"},
      {{"Growth", "Growth-2"}, "Growth", "Growth-3"},
      // A name with a '-' of its own, and a name taken in another letter case.
      {{"GDP - Growth"}, "GDP - Growth", "GDP - Growth-2"},
      {{"GDP - Growth", "GDP - Growth-2"}, "GDP - Growth", "GDP - Growth-3"},
      {{"results"}, "Results", "Results-2"},
      // The next name taken in another letter case: the number moves on.
      {{"Summary", "summary-2"}, "Summary", "Summary-3"},
      // A full-length name is cut so that its number fits 31 characters.
      {{name31}, name31, cut29 + "-2"},
      {tenPages, name31, cut28 + "-10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    Excel book;
    ASSERT_EQ(book.CreateNew("", "wb", ""), 0);
    ASSERT_EQ(book.SetSheetName(c.existing[0]), 0);
    for (std::size_t i = 1; i < c.existing.size(); ++i) {
      ASSERT_EQ(book.CreateNew("x", "ws", ""), 0);
      ASSERT_EQ(book.SetSheetName(c.existing[i]), 0);
    }
    ASSERT_EQ(book.CreateNew(c.name, "ws", ""), 0) << capture.take();
    EXPECT_EQ(book.worksheet()->name, c.expected);
    EXPECT_EQ(book.workbook()->sheets.back().get(), book.worksheet());
  }
}

TEST_F(ExcelTest, AddedSheetGoesAfterTheActiveSheet) {
  ASSERT_EQ(excel.CreateNew("B", "ws", ""), 0);
  ASSERT_EQ(excel.CreateNew("C", "ws", ""), 0);
  EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Sheet1", "B", "C"}));
  EXPECT_EQ(excel.workbook()->activeSheet, excel.worksheet());
  // Without a name the sheet keeps the application's own name.
  ASSERT_EQ(excel.CreateNew("", "ws", ""), 0);
  EXPECT_EQ(sheetNames().back(), "Sheet4");
  Excel none;
  EXPECT_EQ(none.CreateNew("X", "ws", ""), -1);
  EXPECT_EQ(capture.take(), "Error:  Workbook is not open.  \nCannot add worksheet.\n");
}

TEST_F(ExcelTest, SheetNamesTheFileCannotHoldAreRefused) {
  ASSERT_EQ(excel.CreateNew("Other", "ws", ""), 0);
  ASSERT_EQ(excel.CreateNew("Mine", "ws", ""), 0);
  const std::string refused = "\nError:  cannot set worksheet name.\n";
  for (std::string name : {std::string(""), std::string(32, 'n'), std::string("a[b"), std::string("a]b"),
                           std::string("a:b"), std::string("a*b"), std::string("a?b"), std::string("a/b"),
                           std::string("a\\b"), std::string("'lead"), std::string("trail'"),
                           std::string("OTHER"), std::string("tab\there")}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(excel.SetSheetName(name), -1);
    EXPECT_EQ(capture.take(), refused);
    EXPECT_EQ(excel.worksheet()->name, "Mine");
  }
  // 31 characters, an inner apostrophe, the sheet's own name in other letters, and 31
  // accented letters (two bytes each) are all names the file holds.
  std::string accented;
  for (int i = 0; i < 31; ++i) accented += "\xC3\xA9";
  for (std::string name : {std::string(31, 'n'), std::string("it's"), std::string("MINE"), accented}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(excel.SetSheetName(name), 0);
    EXPECT_EQ(excel.worksheet()->name, name);
  }
  // A Latin-1 byte is read as its character.
  EXPECT_EQ(excel.SetSheetName("Caf\xE9"), 0);
  EXPECT_EQ(excel.worksheet()->name, "Caf\xC3\xA9");
  EXPECT_EQ(capture.take(), "");
}

TEST(ExcelClosedTest, OperationsWithoutAWorksheet) {
  ConsoleCapture capture;
  Excel excel;
  VexFont font;
  std::array<float, 1> one = {1.0f};
  struct Case {
    std::function<int()> operation;
    const char* message;
  };
  std::vector<Case> cases = {
      {[&] { return excel.WriteString("A", 1, "hi"); }, "Error:  in 'XL write \"hi\",\nworksheet is not open.\n"},
      {[&] { return excel.WriteNumberArray("A", 1, 'r', 1, one, false); },
       "\nError:  in \"XL write\", worksheet is not open.\n"},
      {[&] { return excel.setFormat("A", 1, "A", 1, "bold", 1); },
       "Error:  in 'setFormatText,' worksheet is not open.\n"},
      {[&] { return excel.setFormatDecimal("A", 1, "A", 1, 2); },
       "Error:  in 'setFormatDecimal,' worksheet is not open.\n"},
      {[&] { return excel.setFormula("A", 1, "A", 1, "=1"); }, "Error:  in 'setFormula,' worksheet is not open.\n"},
      {[&] { return excel.setColWidth("A", 10); }, "Error:  in \"Excel::setColWidth()\",\nworksheet is not open.\n"},
      {[&] { return excel.Freeze("5", "", "", "", ""); }, "Error:  in 'setFreeze,' worksheet is not open.\n"},
      {[&] { return excel.SetSheetName("A"); }, "Error:  Worksheet is not open.  \nCannot name worksheet.\n"},
      {[&] { return excel.SaveWorksheet("x", "", 2); },
       "Error:  Excel application not open, so you cannot save the worksheet.\n"},
      {[&] { return excel.SetVisible(1); }, "Warning:  Excel is not running, so cannot make invisible.\n"},
      {[&] { return excel.CheckStatus(); }, ""},
      {[&] { return excel.formatCell("A", 1, "A", 1, font); }, "Error:  in Excel::formatCell().\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(c.operation(), -1);
    EXPECT_EQ(capture.take(), c.message);
  }
  // Started but without a workbook: the save names what is missing; a save without a
  // worksheet does nothing.
  ASSERT_EQ(excel.OpenExcel(), 0);
  EXPECT_EQ(excel.SaveWorksheet("x", "", 2), -1);
  EXPECT_EQ(capture.take(), "Error:  Workbook is not open, so you cannot save the worksheet.\n");
  EXPECT_EQ(excel.SaveWorkbookAs("x", "", 2), 0);
  EXPECT_EQ(excel.CheckStatus(), 0);
  ASSERT_EQ(excel.OpenExcel(), 0);
  EXPECT_EQ(capture.take(), "\nWarning:  Excel already is running.  Closing and reopening Excel...\n");
}

TEST_F(ExcelTest, WriteStringSetsTextFormatAndFont) {
  excel.font.setBold(true);
  excel.font.alignHorizontal("right");
  ASSERT_EQ(excel.WriteString("B", 3, "Gross product"), 0);
  ASSERT_NE(cell(3, 2), nullptr);
  EXPECT_EQ(cell(3, 2)->kind, CellType::Text);
  EXPECT_EQ(cell(3, 2)->text, "Gross product");
  EXPECT_EQ(style(3, 2).numberFormat, "@");
  EXPECT_TRUE(style(3, 2).bold);
  EXPECT_EQ(style(3, 2).horizontal, xl::Right);
  // An empty text empties the cell and applies no format (the old one stays).
  excel.font.clear();
  excel.font.setItalic(true);
  ASSERT_EQ(excel.WriteString("B", 3, ""), 0);
  EXPECT_EQ(cell(3, 2)->kind, CellType::Empty);
  EXPECT_FALSE(style(3, 2).italic);
  EXPECT_TRUE(style(3, 2).bold);
  // A column the sheet cannot address fails as the application does.
  EXPECT_EQ(excel.WriteString("-1", 3, "x"), -1);
  EXPECT_EQ(capture.take(), "Error:  in Excel::WriteString().\n");
}

TEST_F(ExcelTest, WriteNumberArrayInEveryDirection) {
  std::array<float, 3> values = {1.0f, 2.0f, 3.0f};
  struct Case {
    const char* column;
    int row;
    char direction;
    std::array<std::pair<int, int>, 3> cells;  // (row, column) of values[0], [1], [2]
  };
  // By hand: 'u' from C10 fills C10, C9, C8 (so C8 holds 3); 'l' from E2 fills E2, D2, C2.
  for (Case c : {Case{"C", 10, 'u', {{{10, 3}, {9, 3}, {8, 3}}}}, Case{"C", 1, 'd', {{{1, 3}, {2, 3}, {3, 3}}}},
                 Case{"Y", 5, 'r', {{{5, 25}, {5, 26}, {5, 27}}}}, Case{"E", 2, 'l', {{{2, 5}, {2, 4}, {2, 3}}}}}) {
    SCOPED_TRACE(c.direction);
    ASSERT_EQ(excel.WriteNumberArray(c.column, c.row, c.direction, 3, values, false), 0);
    for (int i = 0; i < 3; ++i) {
      const SheetCell* written = cell(c.cells[i].first, c.cells[i].second);
      ASSERT_NE(written, nullptr);
      EXPECT_EQ(written->kind, CellType::Number);
      EXPECT_EQ(written->number, values[i]);
      EXPECT_EQ(style(c.cells[i].first, c.cells[i].second).numberFormat, "0.00");
    }
  }
  EXPECT_EQ(excel.WriteNumberArray("A", 1, 'x', 3, values, false), -1);
  EXPECT_EQ(capture.take(), "Error:  invalid direction;\n");
  // Left of column A and right of IV there is no column.
  EXPECT_EQ(excel.WriteNumberArray("B", 1, 'l', 3, values, false), -1);
  EXPECT_EQ(capture.take(), "\nError:  cannot have columns before \"A\" or beyond \"IV\".\n");
  EXPECT_EQ(excel.WriteNumberArray("IU", 1, 'r', 3, values, false), -1);
  EXPECT_EQ(capture.take(), "\nError:  cannot have columns beyond \"IV\".\n");
  EXPECT_EQ(excel.WriteNumberArray("A", 0, 'r', 1, values, false), -1);
  EXPECT_EQ(capture.take(),
            "\nError:  in Excel::WriteNumberArray().\nIn column A, row 0,  attempting to set as 1.000000.\n");
}

TEST_F(ExcelTest, MissingValuesInARunAreTextCells) {
  std::array<float, 3> values = {12.5f, MissingValue, 7.25f};
  excel.decimals = 1;
  // The marker number, until the writer hands over a text.
  ASSERT_EQ(excel.WriteNumberArray("B", 2, 'r', 3, values, false), 0);
  EXPECT_EQ(cell(2, 3)->kind, CellType::Number);
  EXPECT_EQ(cell(2, 3)->number, static_cast<double>(MissingValue));
  EXPECT_EQ(style(2, 3).numberFormat, "@");
  excel.missingValue.isText = true;
  excel.missingValue.text = "n.a.";
  ASSERT_EQ(excel.WriteNumberArray("B", 3, 'r', 3, values, false), 0);
  EXPECT_EQ(cell(3, 3)->kind, CellType::Text);
  EXPECT_EQ(cell(3, 3)->text, "n.a.");
  EXPECT_EQ(style(3, 3).numberFormat, "@");
  EXPECT_EQ(cell(3, 2)->number, 12.5);
  EXPECT_EQ(style(3, 2).numberFormat, "0.0");
  EXPECT_EQ(style(3, 4).numberFormat, "0.0");
  // A float keeps its shortest decimal form: 0.1f is the cell value 0.1.
  std::array<float, 1> tenth = {0.1f};
  ASSERT_EQ(excel.WriteNumberArray("A", 9, 'r', 1, tenth, false), 0);
  EXPECT_EQ(cell(9, 1)->number, 0.1);
}

TEST_F(ExcelTest, DecimalPatterns) {
  // "0", then "." and one "0" per decimal, by hand.
  for (auto [places, pattern] : {std::pair{0, "0"}, {1, "0.0"}, {2, "0.00"}, {3, "0.000"}, {9, "0.000000000"}}) {
    ASSERT_EQ(excel.setFormatDecimal("A", 1, "C", 2, places), 0);
    EXPECT_EQ(style(2, 3).numberFormat, pattern);
  }
  EXPECT_EQ(excel.setFormatDecimal("A", 1, "A", 1, 31), -1);
  EXPECT_EQ(capture.take(), "Error:  in Excel::setFormatDecimal().\n");
}

TEST_F(ExcelTest, FormatCellAppliesTheFont) {
  struct Case {
    const char* element;  // what the font sets
    std::function<void(VexFont&)> set;
    std::function<bool(const CellStyle&)> check;
  };
  std::vector<Case> cases = {
      {"underline =", [](VexFont& f) { f.setUnderline("="); },
       [](const CellStyle& s) { return s.underline == xl::UnderlineDouble; }},
      {"underline _", [](VexFont& f) { f.setUnderline("_"); },
       [](const CellStyle& s) { return s.underline == xl::UnderlineSingleAccounting; }},
      {"underline ~", [](VexFont& f) { f.setUnderline("~"); },
       [](const CellStyle& s) { return s.underline == xl::UnderlineDoubleAccounting; }},
      {"underline -", [](VexFont& f) { f.setUnderline("-"); },
       [](const CellStyle& s) { return s.underline == xl::UnderlineSingle; }},
      {"vcenter", [](VexFont& f) { f.alignVertical("vcenter"); },
       [](const CellStyle& s) { return s.vertical == xl::VerticalCenter; }},
      {"vjustify", [](VexFont& f) { f.alignVertical("vjustify"); },
       [](const CellStyle& s) { return s.vertical == xl::VerticalJustify; }},
      {"top", [](VexFont& f) { f.alignVertical("top"); }, [](const CellStyle& s) { return s.vertical == xl::Top; }},
      {"center", [](VexFont& f) { f.alignHorizontal("center"); },
       [](const CellStyle& s) { return s.horizontal == xl::Center; }},
      {"left", [](VexFont& f) { f.alignHorizontal("left"); },
       [](const CellStyle& s) { return s.horizontal == xl::Left; }},
      {"justify", [](VexFont& f) { f.alignHorizontal("justify"); },
       [](const CellStyle& s) { return s.horizontal == xl::Justify; }},
      {"italic", [](VexFont& f) { f.setItalic(true); }, [](const CellStyle& s) { return s.italic; }},
      {"Arial", [](VexFont& f) { f.setName("Arial"); }, [](const CellStyle& s) { return s.fontName == "Arial"; }},
      // The larger of point and pitch.
      {"point 9 pitch 12", [](VexFont& f) {
         f.setPoint(9);
         f.setPitch(12);
       },
       [](const CellStyle& s) { return s.size == 12; }},
      // Red is 255 in blue-green-red.
      {"Red", [](VexFont& f) { f.setColour("Red"); }, [](const CellStyle& s) { return s.colour == 255; }},
      {"None", [](VexFont& f) { f.setColour("None"); }, [](const CellStyle& s) { return s.colour == xl::NoColour; }},
  };
  int row = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    VexFont font;
    c.set(font);
    ASSERT_EQ(excel.WriteString("A", row, "x"), 0);
    ASSERT_EQ(excel.formatCell("A", row, "A", row, font), 0);
    EXPECT_TRUE(c.check(style(row, 1)));
    ++row;
  }
  // A size the application does not take stops the steps after the attributes before it.
  VexFont big;
  big.setBold(true);
  big.setPitch(500);
  big.setColour("Blue");
  ASSERT_EQ(excel.WriteString("A", row, "x"), 0);
  EXPECT_EQ(excel.formatCell("A", row, "A", row, big), -1);
  EXPECT_EQ(capture.take(), "\nError:  cannot set font size to \"500\" in Excel file.\n");
  EXPECT_TRUE(style(row, 1).bold);
  EXPECT_EQ(style(row, 1).colour, xl::NoColour);
  // Bold is only ever switched on.
  VexFont plain;
  ASSERT_EQ(excel.formatCell("A", row, "A", row, plain), 0);
  EXPECT_TRUE(style(row, 1).bold);
}

TEST_F(ExcelTest, SetFormatSetsOneAttribute) {
  struct Case {
    const char* value;
    int code;
    std::function<bool(const CellStyle&)> check;
  };
  std::vector<Case> cases = {
      {"BOLD", 1, [](const CellStyle& s) { return s.bold; }},
      {"bold", 0, [](const CellStyle& s) { return !s.bold; }},
      {"Italic", 1, [](const CellStyle& s) { return s.italic; }},
      {"=", 'u', [](const CellStyle& s) { return s.underline == xl::UnderlineDouble; }},
      {"~", 'u', [](const CellStyle& s) { return s.underline == xl::UnderlineDoubleAccounting; }},
      {"_", 'u', [](const CellStyle& s) { return s.underline == xl::UnderlineSingleAccounting; }},
      {"", 'u', [](const CellStyle& s) { return s.underline == xl::UnderlineNone; }},
      {"x", 'U', [](const CellStyle& s) { return s.underline == xl::UnderlineSingle; }},
      {"65280", 'c', [](const CellStyle& s) { return s.colour == 65280; }},
      {"Tahoma", 't', [](const CellStyle& s) { return s.fontName == "Tahoma"; }},
      {"10.5", 'n', [](const CellStyle& s) { return s.size == 10.5; }},
      {"Right", 'h', [](const CellStyle& s) { return s.horizontal == xl::Right; }},
      {"left", 'h', [](const CellStyle& s) { return s.horizontal == xl::Left; }},
      {"vcenter", 'v', [](const CellStyle& s) { return s.vertical == xl::VerticalCenter; }},
      {"vjustify", 'v', [](const CellStyle& s) { return s.vertical == xl::VerticalJustify; }},
      {"Bottom", 'v', [](const CellStyle& s) { return s.vertical == xl::Bottom; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " " + static_cast<char>(c.code));
    ASSERT_EQ(excel.setFormat("B", 2, "C", 3, c.value, c.code), 0);
    EXPECT_TRUE(c.check(style(3, 3)));
  }
  EXPECT_EQ(excel.setFormat("B", 2, "C", 3, "x", 'q'), -1);
  EXPECT_EQ(capture.take(), "");
  EXPECT_EQ(excel.setFormat("B", 2, "C", 3, "purple", 'c'), -1);
  EXPECT_EQ(excel.setFormat("B", 2, "C", 3, "0", 'n'), -1);
  EXPECT_EQ(capture.take(), "Error:  in Excel::setFormat().\nError:  in Excel::setFormat().\n");
}

TEST_F(ExcelTest, ConstantsByNameOrLetter) {
  struct Case {
    const char* text;
    int32_t underline;
  };
  for (Case c : {Case{"=", xl::UnderlineDouble}, {"xlUnderlineStyleDouble", xl::UnderlineDouble},
                 {"~", xl::UnderlineDoubleAccounting}, {"XLUNDERLINESTYLEDOUBLEACCOUNTING", xl::UnderlineDoubleAccounting},
                 {"", xl::UnderlineNone}, {"xlUnderlineStyleNone", xl::UnderlineNone}, {"-", xl::UnderlineSingle},
                 {"xlUnderlineStyleSingle", xl::UnderlineSingle}, {"_", xl::UnderlineSingleAccounting},
                 {"xlUnderlineStyleSingleAccounting", xl::UnderlineSingleAccounting}, {"wavy", xl::UnderlineNone}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(excel.setUnderlineStyle(c.text), 0);
    EXPECT_EQ(excel.underlineStyle, c.underline);
  }
  for (auto [text, value] : {std::pair{"j", xl::Justify}, {"Center", xl::Center}, {"r", xl::Right}, {"l", xl::Left},
                             {"", xl::Left}}) {
    excel.setHorizontal(text);
    EXPECT_EQ(excel.horizontalAlign, value) << text;
  }
  for (auto [text, value] : {std::pair{"t", xl::Top}, {"c", xl::VerticalCenter}, {"v", xl::VerticalCenter},
                             {"B", xl::Bottom}, {"j", xl::VerticalJustify}, {"", xl::VerticalJustify}}) {
    excel.setVertical(text);
    EXPECT_EQ(excel.verticalAlign, value) << text;
  }
}

TEST_F(ExcelTest, DateSeries) {
  // Day numbers by hand: 1 Jan 2012 is 40909, so 1 Mar 2012 is 40909 + 31 + 29 = 40969 and
  // 1 Jan 2013 is 40909 + 366 = 41275; 1 Jan 1995 is 34700, 1 Apr 1995 34790, 1 Jul 1995
  // 34881, 1 Oct 1995 34973.
  struct Case {
    float date;
    const char* format;
    std::array<double, 3> days;
  };
  int row = 1;
  for (Case c : {Case{2012.0f, "yyyy", {40909, 41275, 41640}}, Case{1995.2f, "mmm yyyy", {34790, 34881, 34973}},
                 Case{2012.003f, "mmm yyyy", {40969, 41000, 41030}}}) {
    SCOPED_TRACE(c.date);
    std::array<float, 1> first = {c.date};
    ASSERT_EQ(excel.WriteNumberArray("B", row, 'r', 3, first, true), 0);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(cell(row, 2 + i)->kind, CellType::Date);
      EXPECT_EQ(cell(row, 2 + i)->number, c.days[i]);
      EXPECT_EQ(style(row, 2 + i).numberFormat, c.format);
    }
    ++row;
  }
  std::array<float, 1> half = {1995.5f};  // a half-year
  EXPECT_EQ(excel.WriteNumberArray("B", 9, 'r', 3, half, true), -1);
  EXPECT_EQ(capture.take(), "Error:  Cannot set date series in Excel::WriteNumberArray().\n");
  std::array<float, 1> year = {2012.0f};
  EXPECT_EQ(excel.WriteNumberArray("B", 9, 'x', 3, year, true), -1);
  EXPECT_EQ(capture.take(), "Error:  invalid direction for printing dates.\n");
  ASSERT_EQ(excel.WriteNumberArray("C", 20, 'u', 2, year, true), 0);
  EXPECT_EQ(cell(19, 3)->number, 40909);
  EXPECT_EQ(cell(20, 3)->number, 41275);
  EXPECT_EQ(dayNumber(1900, 1), 1);
  EXPECT_EQ(dayNumber(1900, 3), 61);
}

TEST_F(ExcelTest, SetFormulaAndColumnWidth) {
  excel.font.setName("Courier New");
  ASSERT_EQ(excel.setFormula("A", 4, "A", 4, "=REPT(\"-\",600)"), 0);
  EXPECT_EQ(cell(4, 1)->kind, CellType::Formula);
  EXPECT_EQ(cell(4, 1)->text, "=REPT(\"-\",600)");
  EXPECT_EQ(style(4, 1).fontName, "Courier New");
  ASSERT_EQ(excel.setFormula("A", 4, "A", 4, ""), 0);
  EXPECT_EQ(cell(4, 1)->kind, CellType::Empty);
  ASSERT_EQ(excel.setColWidth("C", 32), 0);
  EXPECT_EQ(excel.worksheet()->columnWidths.at(2), 32);
  EXPECT_EQ(excel.setColWidth("C", 300), -1);
  EXPECT_EQ(capture.take(), "\nError:  in Excel setColWidth() function.\n");
}

TEST_F(ExcelTest, FreezeKeepsRowsAndColumnsInView) {
  struct Case {
    const char* cell;
    std::array<const char*, 4> scroll;  // row before, column before, column after, row after
    int32_t splitRow, splitColumn, scrollRow, scrollColumn;
  };
  for (Case c : {Case{"5", {"", "", "", ""}, 5, 0, 5, 1},          // rows 1-4 stay
                 Case{"B5", {"", "", "", ""}, 5, 2, 5, 2},         // rows 1-4 and column A
                 Case{"C", {"", "", "", ""}, 0, 3, 1, 3},          // columns A and B
                 Case{"10", {"3", "", "D", "20"}, 10, 0, 20, 4},  // rows 3-9, then scrolled
                 Case{"C12", {"4", "B", "E", "30"}, 12, 3, 30, 5}}) {
    SCOPED_TRACE(c.cell);
    ASSERT_EQ(excel.Freeze(c.cell, c.scroll[0], c.scroll[1], c.scroll[2], c.scroll[3]), 0);
    const SheetWindow& window = excel.worksheet()->window;
    EXPECT_TRUE(window.frozen);
    EXPECT_EQ(window.splitRow, c.splitRow);
    EXPECT_EQ(window.splitColumn, c.splitColumn);
    EXPECT_EQ(window.scrollRow, c.scrollRow);
    EXPECT_EQ(window.scrollColumn, c.scrollColumn);
    ASSERT_EQ(excel.Freeze("off", "", "", "", ""), 0);
    EXPECT_FALSE(excel.worksheet()->window.frozen);
  }
  EXPECT_EQ(excel.worksheet()->window.frozenTopRow, 4);
  EXPECT_EQ(excel.Freeze("5", "x", "", "", ""), -1);
  EXPECT_EQ(capture.take(), "Error:  in Excel::Freeze().\n");
}

// Runs in a temporary directory as the current directory, and goes back afterwards.
class InDirectory {
 public:
  explicit InDirectory(const std::string& path) : previous_(currentDirectory()) { EXPECT_EQ(changeDirectory(path), 0); }
  ~InDirectory() { (void)changeDirectory(previous_); }

 private:
  std::string previous_;
};

TEST(ExcelSaveTest, FileNamesAndFormats) {
  ConsoleCapture capture;
  TempDir dir;
  InDirectory inside(dir.path());
  struct Case {
    const char* name;
    const char* format;
    const char* written;
  };
  for (Case c : {Case{"out", "", "out.xlsx"}, Case{"old.xls", "WorkbookNormal", "old.xlsx"},
                 Case{"fam", "Excel9795", "fam.xlsx"}, Case{"raw.dat", "", "raw.dat"}, Case{"sub.dir/x", "", ""}}) {
    SCOPED_TRACE(c.name);
    Excel excel;
    ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
    if (*c.written == '\0') {
      ScriptedKeys keys("");
      ScopedKeySource source(keys);
      EXPECT_EQ(excel.SaveWorkbookAs(c.name, c.format, 2), -1);
      continue;
    }
    ASSERT_EQ(excel.SaveWorkbookAs(c.name, c.format, 2), 0);
    EXPECT_TRUE(fileExists(dir.file(c.written)));
    EXPECT_EQ(excel.fullName(), dir.file(c.written));
  }
  capture.take();
  // A format without a writer of its own: named .xlsx, warned once, any letter case.
  Excel excel;
  ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
  ASSERT_EQ(excel.SaveWorkbookAs("table", "dif", 2), 0);
  EXPECT_TRUE(fileExists(dir.file("table.xlsx")));
  EXPECT_EQ(capture.take(), "Warning:  The DIF format cannot be written; " + dir.file("table.xlsx") +
                                " is saved as an Excel workbook instead.\n");
  ASSERT_EQ(excel.SaveWorkbookAs("table.dif", "DIF", 1), 0);
  EXPECT_EQ(capture.take(), "");
  // A written format gets its own extension.
  ASSERT_EQ(excel.SaveWorkbookAs("table", "csv", 2), 0);
  EXPECT_TRUE(fileExists(dir.file("table.csv")));
  ASSERT_EQ(excel.SaveWorkbookAs("table", "dif", 2), 0);
  // An empty name saves under the present name.
  ASSERT_EQ(excel.WriteString("A", 1, "later"), 0);
  ASSERT_EQ(excel.SaveWorkbookAs("", "", 2), 0);
  EXPECT_EQ(excel.fullName(), dir.file("table.xlsx"));
  EXPECT_EQ(Excel::workbookFileName("a.b/out", ""), "a.b/out.xlsx");
  EXPECT_EQ(Excel::workbookFileName("dir\\out.XLS", ""), "dir/out.xlsx");
}

TEST(ExcelSaveTest, AFailedSaveIsReportedOnceNamingTheFile) {
  ConsoleCapture capture;
  ScriptedKeys keys("k", false);
  ScopedKeySource source(keys);
  TempDir dir;
  const std::string path = dir.file("missing/book");
  {
    Excel excel;
    ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
    ASSERT_EQ(excel.WriteString("A", 1, "x"), 0);
    EXPECT_EQ(excel.SaveWorksheet(path, "", 2), -1);
    std::string output = capture.take();
    EXPECT_EQ(output.rfind("\nError:  cannot write the workbook " + path + ".xlsx: ", 0), 0u) << output;
    EXPECT_NE(output.find("\nError:  in Excel::Save Worksheet().\nError\nError:  in Excel::CloseWorksheet().\n"),
              std::string::npos)
        << output;
    EXPECT_TRUE(keys.empty());  // the prompt read its key
  }
  EXPECT_EQ(capture.take(), "");  // closing does not report it again
}

TEST(ExcelSaveTest, CreatingAWorkbookSavesItAndClosingSavesChanges) {
  ConsoleCapture capture;
  TempDir dir;
  const std::string path = dir.file("book");
  {
    Excel excel;
    ASSERT_EQ(excel.CreateNew(path, "wb", ""), 0);
    ASSERT_TRUE(fileExists(path + ".xlsx"));
    EXPECT_EQ(excel.fullName(), path + ".xlsx");
    auto before = tabrix::testing::readFile(path + ".xlsx").size();
    for (int row = 1; row <= 50; ++row) ASSERT_EQ(excel.WriteString("A", row, "a longer text in each row"), 0);
    ASSERT_EQ(excel.CloseExcel(), 0);
    EXPECT_GT(tabrix::testing::readFile(path + ".xlsx").size(), before);
    EXPECT_FALSE(excel.applicationRunning());
  }
  // A workbook that cannot be saved where it is made fails to be made.
  ScriptedKeys keys("", false);
  ScopedKeySource source(keys);
  Excel excel;
  EXPECT_EQ(excel.CreateNew(dir.file("no/such/dir/book"), "wb", ""), -1);
  EXPECT_NE(capture.take().find("\nError:  cannot write the workbook " + dir.file("no/such/dir/book.xlsx")),
            std::string::npos);
}

}  // namespace
}  // namespace tabrix

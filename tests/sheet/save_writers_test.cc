// The save formats written from a workbook: CSV and text (compared with expected files,
// in every line-end form and in UTF-16), the HTML page, and the WK1 file record by
// record; the shown text of cells and the calendar of day numbers.
#include "sheet/save_writers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "sheet/cell_text.h"
#include "sheet/excel.h"
#include "sheet/wk1_records.h"
#include "test_files.h"

namespace tabrix {
namespace {

using tabrix::testing::readFile;
using tabrix::testing::TempDir;

std::string expectedFile(const char* name) { return readFile(std::string(TABRIX_TEST_DATA) + "/saves/" + name); }

std::string withLineEnds(std::string text, const std::string& lineEnd) {
  std::string result;
  for (char c : text) {
    if (c == '\n') {
      result += lineEnd;
    } else {
      result.push_back(c);
    }
  }
  return result;
}

// UTF-16LE with a byte-order mark of a UTF-8 text of one- to three-byte characters.
std::string utf16(const std::string& text) {
  std::string result = "\xFF\xFE";
  for (std::size_t i = 0; i < text.size();) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(text[k])); };
    unsigned code;
    if (byte(i) < 0x80) {
      code = byte(i);
      i += 1;
    } else if (byte(i) < 0xE0) {
      code = ((byte(i) & 0x1F) << 6) | (byte(i + 1) & 0x3F);
      i += 2;
    } else {
      code = ((byte(i) & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
      i += 3;
    }
    result.push_back(static_cast<char>(code & 0xFF));
    result.push_back(static_cast<char>(code >> 8));
  }
  return result;
}

// Two worksheets: Levels with a quoted title, a date row, numbers with one decimal, a
// missing value, a rule formula and a text with a tab; Rates with a non-ASCII title, a
// number with two decimals and a quarterly date row.
class SaveFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
    ASSERT_EQ(excel.SetSheetName("Levels"), 0);
    excel.missingValue.isText = true;
    excel.missingValue.text = "n.a.";
    excel.decimals = 1;
    ASSERT_EQ(excel.WriteString("A", 1, "Table, \"one\""), 0);
    float year = 2020;
    ASSERT_EQ(excel.WriteNumberArray("B", 2, 'r', 3, std::span<const float>(&year, 1), true), 0);
    ASSERT_EQ(excel.WriteString("A", 3, "Real GDP"), 0);
    const float gdp[3] = {100.0f, 101.5f, 103.26f};
    ASSERT_EQ(excel.WriteNumberArray("B", 3, 'r', 3, gdp, false), 0);
    ASSERT_EQ(excel.WriteString("A", 4, "  Consumption"), 0);
    const float cons[3] = {50.0f, -0.000001f, 52.0f};
    ASSERT_EQ(excel.WriteNumberArray("B", 4, 'r', 3, cons, false), 0);
    ASSERT_EQ(excel.setFormula("A", 5, "A", 5, "=REPT(\"-\",5)"), 0);
    ASSERT_EQ(excel.WriteString("A", 6, "tab\there"), 0);
    ASSERT_EQ(excel.CreateNew("Rates", "ws", ""), 0);
    ASSERT_EQ(excel.WriteString("A", 1, "Zinsen \xC3\xA9\xE2\x82\xAC"), 0);
    excel.decimals = 2;
    const float rate = 2.5f;
    ASSERT_EQ(excel.WriteNumberArray("B", 1, 'r', 1, std::span<const float>(&rate, 1), false), 0);
    float quarter = 1995.2f;
    ASSERT_EQ(excel.WriteNumberArray("B", 2, 'r', 2, std::span<const float>(&quarter, 1), true), 0);
    capture.take();
  }

  ConsoleCapture capture;
  TempDir dir;
  Excel excel;
};

TEST_F(SaveFormatTest, CsvAndTextWriteEveryWorksheetInTheirLineEnds) {
  struct Case {
    const char* format;
    const char* expected;
    const char* lineEnd;
  };
  const std::string csv = expectedFile("book.csv"), text = expectedFile("book.txt");
  ASSERT_FALSE(csv.empty());
  for (Case c : {Case{"CSV", "csv", "\n"}, Case{"csvmac", "csv", "\r"}, Case{"CSVMSDOS", "csv", "\r\n"},
                 Case{"CSVWindows", "csv", "\r\n"}, Case{"TextMac", "txt", "\r"}, Case{"TextMSDOS", "txt", "\r\n"},
                 Case{"TextWindows", "txt", "\r\n"}, Case{"TextPrinter", "txt", "\r\n"}}) {
    SCOPED_TRACE(c.format);
    ASSERT_EQ(excel.SaveWorkbookAs(dir.file("book"), c.format, 2), 0);
    const std::string written = std::string("book.") + c.expected;
    EXPECT_EQ(excel.fullName(), dir.file(written));
    EXPECT_EQ(readFile(dir.file(written)), withLineEnds(c.expected == std::string("csv") ? csv : text, c.lineEnd));
  }
  ASSERT_EQ(excel.SaveWorkbookAs(dir.file("wide"), "UnicodeText", 2), 0);
  EXPECT_EQ(readFile(dir.file("wide.txt")), utf16(withLineEnds(text, "\r\n")));
  EXPECT_EQ(capture.take(), "");
  // A name with an extension keeps it.
  ASSERT_EQ(excel.SaveWorkbookAs(dir.file("values.dat"), "CSV", 2), 0);
  EXPECT_EQ(readFile(dir.file("values.dat")), csv);
}

TEST_F(SaveFormatTest, HtmlHoldsEveryWorksheetAsATable) {
  ASSERT_EQ(excel.SaveWorkbookAs(dir.file("page"), "Html", 2), 0);
  const std::string page = readFile(dir.file("page.html"));
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_NE(page.find("<title>page</title>"), std::string::npos);
  EXPECT_NE(page.find("<h2>Levels</h2>\n<table"), std::string::npos);
  EXPECT_NE(page.find("<h2>Rates</h2>\n<table"), std::string::npos);
  // Escaped text running over the empty cells to its right; numbers to the right.
  EXPECT_NE(page.find("<td colspan=\"4\">Table, &quot;one&quot;</td>"), std::string::npos) << page;
  EXPECT_NE(page.find("<td style=\"text-align:right;\">101.5</td>"), std::string::npos);
  EXPECT_NE(page.find("<td style=\"text-align:right;\">Apr 1995</td>"), std::string::npos);
  EXPECT_NE(page.find("Zinsen \xC3\xA9\xE2\x82\xAC"), std::string::npos);
  EXPECT_EQ(page.substr(page.size() - 16), "</body>\n</html>\n");
}

TEST(HtmlTextTest, FontsAsInlineStylesAndEscapes) {
  ConsoleCapture capture;
  Excel excel;
  ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
  ASSERT_EQ(excel.SetSheetName("A<b>"), 0);
  VexFont font;
  font.setName("Arial");
  font.setPoint(12);
  font.setBold(true);
  font.setItalic(true);
  font.setUnderline("=");
  font.setColour("Red");
  font.alignHorizontal("center");
  font.alignVertical("top");
  excel.font = font;
  ASSERT_EQ(excel.WriteString("A", 1, "<x & 'y'>"), 0);
  ASSERT_EQ(excel.WriteString("B", 1, "next"), 0);
  const std::string page = htmlText(*excel.workbook(), "a&b");
  EXPECT_NE(page.find("<title>a&amp;b</title>"), std::string::npos);
  EXPECT_NE(page.find("<h2>A&lt;b&gt;</h2>"), std::string::npos);
  // By hand: Red is 255 (blue-green-red), so #FF0000; the style's quotes are escaped.
  EXPECT_NE(page.find("<td style=\"font-family:&#39;Arial&#39;;font-size:12pt;font-weight:bold;font-style:italic;"
                      "text-decoration:underline double;color:#FF0000;text-align:center;vertical-align:top;\">"
                      "&lt;x &amp; &#39;y&#39;&gt;</td>"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<col style=\"width:8.43ch\"><col style=\"width:8.43ch\"></colgroup>"), std::string::npos);
}

// Little-endian bytes written out by hand.
std::string bytes(std::initializer_list<int> values) {
  std::string text;
  for (int v : values) text.push_back(static_cast<char>(v));
  return text;
}

std::string doubleBytes(double value) {
  char raw[8];
  std::memcpy(raw, &value, 8);
  return std::string(raw, 8);
}

TEST(Wk1SaveTest, TheActiveWorksheetRecordByRecord) {
  ConsoleCapture capture;
  TempDir dir;
  Excel excel;
  ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
  ASSERT_EQ(excel.setColWidth("A", 12.5), 0);
  ASSERT_EQ(excel.WriteString("A", 1, "Title \xC3\xA9"), 0);
  float year = 2020;
  ASSERT_EQ(excel.WriteNumberArray("B", 2, 'r', 2, std::span<const float>(&year, 1), true), 0);
  VexFont right;
  right.alignHorizontal("right");
  excel.font = right;
  ASSERT_EQ(excel.WriteString("A", 3, "x"), 0);
  excel.font = VexFont();
  excel.decimals = 2;
  const float values[2] = {1.25f, -0.000001f};  // the second is missing: the number marker
  ASSERT_EQ(excel.WriteNumberArray("B", 3, 'r', 2, values, false), 0);
  ASSERT_EQ(excel.setFormula("A", 4, "A", 4, "=REPT(\"=\",3)"), 0);
  ASSERT_EQ(excel.SaveWorkbookAs(dir.file("sheet"), "WK1FMT", 2), 0);
  EXPECT_EQ(capture.take(), "");
  // By hand: BOF; COLW1 A 13 (12.5 rounded); row by row: A1 label left in Latin-1, the
  // dates B2 C2 as right-aligned labels, A3 right, B3 1.25 with 2 decimals, C3 the
  // marker -1e-6 in a text format (general: its decimals held at 15), A4 the rule's
  // text; RANGE 0, 0, 2, 3; EOF.
  std::string expected = bytes({0, 0, 2, 0, 0x06, 0x04});
  expected += bytes({8, 0, 3, 0, 0, 0, 13});
  expected += bytes({15, 0, 14, 0, 0x80, 0, 0, 0, 0, '\'', 'T', 'i', 't', 'l', 'e', ' ', 0xE9, 0});
  expected += bytes({15, 0, 11, 0, 0x80, 1, 0, 1, 0, '"', '2', '0', '2', '0', 0});
  expected += bytes({15, 0, 11, 0, 0x80, 2, 0, 1, 0, '"', '2', '0', '2', '1', 0});
  expected += bytes({15, 0, 8, 0, 0x80, 0, 0, 2, 0, '"', 'x', 0});
  expected += bytes({14, 0, 13, 0, 0x82, 1, 0, 2, 0}) + doubleBytes(1.25);
  expected += bytes({14, 0, 13, 0, 0x8F, 2, 0, 2, 0}) + doubleBytes(static_cast<double>(-0.000001f));
  expected += bytes({15, 0, 10, 0, 0x80, 0, 0, 3, 0, '\'', '=', '=', '=', 0});
  expected += bytes({6, 0, 8, 0, 0, 0, 0, 0, 2, 0, 3, 0});
  expected += bytes({1, 0, 0, 0});
  EXPECT_EQ(readFile(dir.file("sheet.wk1")), expected);
  // With a second worksheet only the active one (the last added) is written, and the
  // others are named in a warning.
  ASSERT_EQ(excel.CreateNew("Second", "ws", ""), 0);
  ASSERT_EQ(excel.WriteString("A", 1, "two"), 0);
  ASSERT_EQ(excel.SaveWorkbookAs(dir.file("both"), "WK1", 2), 0);
  EXPECT_EQ(capture.take(), "Warning:  " + dir.file("both.wk1") +
                                " holds only the worksheet Second: a WK1 file holds one worksheet, and the workbook "
                                "has 2.\n");
  EXPECT_EQ(readFile(dir.file("both.wk1")),
            bytes({0, 0, 2, 0, 0x06, 0x04}) + bytes({15, 0, 10, 0, 0x80, 0, 0, 0, 0, '\'', 't', 'w', 'o', 0}) +
                bytes({6, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + bytes({1, 0, 0, 0}));
}

TEST(Wk1SaveTest, ASheetBeyondTheFileIsRefused) {
  ConsoleCapture capture;
  ScriptedKeys keys("", false);
  ScopedKeySource source(keys);
  TempDir dir;
  Excel excel;
  ASSERT_EQ(excel.CreateNew("", "wb", ""), 0);
  ASSERT_EQ(excel.WriteString("A", 40000, "far"), 0);
  EXPECT_EQ(excel.SaveWorkbookAs(dir.file("far"), "WK1", 2), -1);
  EXPECT_NE(capture.take().find("cannot write the workbook " + dir.file("far.wk1")), std::string::npos);
  EXPECT_FALSE(fileExists(dir.file("far.wk1")));
}

TEST(CellTextTest, NumbersDatesAndFormulasAsTheyShow) {
  struct Case {
    CellType kind;
    double number;
    const char* text;
    const char* format;
    const char* shown;
  };
  // Day numbers by hand: 1 January 2020 is 43831, 1 March 1900 is 61, the counted
  // 29 February 1900 is 60, 1 January 1900 is 1.
  for (Case c : {Case{CellType::Number, 12.345, "", "0.00", "12.35"}, Case{CellType::Number, 12.0, "", "0", "12"},
                 Case{CellType::Number, 0.1, "", "", "0.1"}, Case{CellType::Number, 1e21, "", "@", "1e+21"},
                 Case{CellType::Date, 43831, "", "yyyy", "2020"}, Case{CellType::Date, 43922, "", "mmm yyyy", "Apr 2020"},
                 Case{CellType::Date, 61, "", "mmm yyyy", "Mar 1900"}, Case{CellType::Date, 60, "", "mmm yyyy", "Feb 1900"},
                 Case{CellType::Date, 1, "", "yyyy", "1900"}, Case{CellType::Date, 43831, "", "", "43831"},
                 Case{CellType::Formula, 0, "=REPT(\"ab\",2)", "", "abab"}, Case{CellType::Formula, 0, "=A1", "", "=A1"},
                 Case{CellType::Text, 0, "plain", "@", "plain"}, Case{CellType::Empty, 0, "", "", ""}}) {
    SCOPED_TRACE(c.shown);
    SheetCell cell;
    cell.kind = c.kind;
    cell.number = c.number;
    cell.text = c.text;
    CellStyle style;
    style.numberFormat = c.format;
    EXPECT_EQ(shownText(cell, style), c.shown);
  }
  int year = 0, month = 0, day = 0;
  ASSERT_TRUE(dateOfDay(2958465, year, month, day));
  EXPECT_EQ(year * 10000 + month * 100 + day, 99991231);
  ASSERT_TRUE(dateOfDay(60, year, month, day));
  EXPECT_EQ(year * 10000 + month * 100 + day, 19000229);
  ASSERT_TRUE(dateOfDay(59, year, month, day));
  EXPECT_EQ(year * 10000 + month * 100 + day, 19000228);
  EXPECT_FALSE(dateOfDay(0, year, month, day));
  EXPECT_FALSE(dateOfDay(2958466, year, month, day));
  EXPECT_FALSE(dateOfDay(1.5, year, month, day));
  EXPECT_EQ(formatDecimals("0.000"), 3);
  EXPECT_EQ(formatDecimals("0.0a"), -1);
  EXPECT_EQ(formatDecimals("@"), -1);
}

}  // namespace
}  // namespace tabrix

// The worksheet writer: the WK1 records byte for byte, the XLS form's runs of numbers,
// file and sheet names, dates, frozen panes and closing.
#include "sheet/wk1_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "support/constants.h"
#include "test_files.h"

namespace tabrix {
namespace {

using tabrix::testing::readFile;
using tabrix::testing::TempDir;

// Little-endian bytes of a record, written out by hand in the tests.
std::string bytes(std::initializer_list<int> values) {
  std::string text;
  for (int v : values) text.push_back(static_cast<char>(v));
  return text;
}

std::string doubleBytes(double value) {
  unsigned char raw[8];
  std::memcpy(raw, &value, 8);
  return std::string(reinterpret_cast<char*>(raw), 8);
}

const std::string kBof = bytes({0, 0, 2, 0, 0x06, 0x04});
const std::string kEof = bytes({1, 0, 0, 0});

TEST(Wk1FormTest, RecordsByteForByte) {
  ConsoleCapture capture;
  TempDir dir;
  std::string name = dir.file("out.txt");
  {
    WK1File sheet(name, 1, SheetForm::WK1, "", SheetTitles{});
    ASSERT_TRUE(sheet.isOpen());
    EXPECT_EQ(sheet.savePath(), dir.file("out.wk1"));
    EXPECT_EQ(sheet.setColumnWidth(0, 32), 1);
    EXPECT_EQ(sheet.writeText(3, 0, "abc", '"'), 1);
    EXPECT_EQ(sheet.writeNumber(4, 1, 12.5f, 2), 1);
    EXPECT_EQ(sheet.writeNumber(4, 2, 0.1f, 0), 1);
    // The fonts, formulas and missing-value texts of workbooks do nothing here.
    EXPECT_EQ(sheet.setFont(VexFont()), -1);
    EXPECT_EQ(sheet.setMissingText("n.a."), -1);
    EXPECT_EQ(sheet.writeFormula(5, 0, 5, 0, "=REPT(\"-\",600)"), 0);
    EXPECT_EQ(sheet.nameSheet("Any"), 0);
    EXPECT_EQ(sheet.newSheet(SheetTitles{}), 0);
    EXPECT_EQ(sheet.finishSheet(0, 0, 5, 3), 1);
    EXPECT_EQ(sheet.close(), 0);
  }
  EXPECT_EQ(name, dir.file("out.txt"));  // the WK1 form leaves the caller's name
  // By hand: opcode, body length, body (little-endian 16-bit fields).
  std::string expected = kBof;
  expected += bytes({8, 0, 3, 0, 0, 0, 32});                                   // COLW1 column 0, width 32
  expected += bytes({15, 0, 10, 0, 0x80, 0, 0, 3, 0, '"', 'a', 'b', 'c', 0});   // LABEL, body 3 + 7
  expected += bytes({14, 0, 13, 0, 0x82, 1, 0, 4, 0}) + doubleBytes(12.5);     // NUMBER, 2 decimals
  expected += bytes({14, 0, 13, 0, 0x80, 2, 0, 4, 0}) + doubleBytes(static_cast<double>(0.1f));
  expected += bytes({6, 0, 8, 0, 0, 0, 0, 0, 3, 0, 5, 0});                     // RANGE 0, 0, 3, 5
  expected += kEof;
  EXPECT_EQ(readFile(dir.file("out.wk1")), expected);
  EXPECT_EQ(capture.take(), "");
}

TEST(Wk1FormTest, NamesAndLimits) {
  ConsoleCapture capture;
  TempDir dir;
  struct Case {
    const char* given;
    const char* fileType;
    const char* written;
  };
  // A \filetype text leaves the WK1 file without an extension.
  for (Case c : {Case{"out", "", "out.wk1"}, Case{"out.txt", "", "out.wk1"}, Case{"a.b.c", "", "a.wk1"},
                 Case{"typed.txt", "CSV", "typed"}}) {
    SCOPED_TRACE(c.given);
    std::string name = dir.file(c.given);
    WK1File sheet(name, 1, SheetForm::WK1, c.fileType, SheetTitles{});
    ASSERT_TRUE(sheet.isOpen());
    ASSERT_EQ(sheet.close(), 0);
    EXPECT_EQ(readFile(dir.file(c.written)), kBof + kEof);
  }
  // Decimals beyond the format byte's four bits are held at 15; negative ones at 0.
  std::string name = dir.file("decimals");
  {
    WK1File sheet(name, 1, SheetForm::WK1, "", SheetTitles{});
    EXPECT_EQ(sheet.writeNumber(0, 0, 1.0f, 20), 1);
    EXPECT_EQ(sheet.writeNumber(0, 1, 1.0f, -1), 1);
    EXPECT_EQ(sheet.close(), 0);
  }
  std::string file = readFile(dir.file("decimals.wk1"));
  ASSERT_EQ(file.size(), kBof.size() + 2 * 17 + kEof.size());
  EXPECT_EQ(static_cast<unsigned char>(file[kBof.size() + 4]), 0x8F);
  EXPECT_EQ(static_cast<unsigned char>(file[kBof.size() + 17 + 4]), 0x80);
  // A column width beyond the record's byte is held at 255.
  std::string wide = dir.file("wide");
  {
    WK1File sheet(wide, 1, SheetForm::WK1, "", SheetTitles{});
    EXPECT_EQ(sheet.setColumnWidth(0, 300), 1);
    EXPECT_EQ(sheet.close(), 0);
  }
  EXPECT_EQ(readFile(dir.file("wide.wk1")), kBof + bytes({8, 0, 3, 0, 0, 0, 255}) + kEof);
  // A row no record can address is reported once and makes the close fail.
  std::string big = dir.file("big");
  WK1File sheet(big, 1, SheetForm::WK1, "", SheetTitles{});
  EXPECT_EQ(sheet.writeNumber(40000, 1, 1.0f, 1), 0);
  EXPECT_EQ(sheet.writeText(-1, 0, "x", '\''), 0);
  EXPECT_EQ(capture.take(), "\nError:  " + dir.file("big.wk1") +
                                " cannot hold row 40000, column 1; such cells are not written.\n");
  EXPECT_EQ(sheet.close(), -1);
  // A file that cannot be made.
  std::string missing = dir.file("no/such/dir/x");
  WK1File closed(missing, 1, SheetForm::WK1, "", SheetTitles{});
  EXPECT_FALSE(closed.isOpen());
  EXPECT_EQ(capture.take(), "Unable to open " + dir.file("no/such/dir/x.wk1") + " for writing.\n");
  EXPECT_EQ(closed.writeNumber(0, 0, 1.0f, 1), -1);
  EXPECT_EQ(closed.finishSheet(0, 0, 1, 1), -1);
}

TEST(Wk1FormTest, AFailedWriteIsReportedNamingTheFile) {
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ConsoleCapture capture;
  // A \filetype text keeps the name as given, so the records go to /dev/full.
  std::string name = "/dev/full";
  WK1File sheet(name, 1, SheetForm::WK1, "x", SheetTitles{});
  ASSERT_TRUE(sheet.isOpen());
  for (int row = 0; row < 100; ++row) (void)sheet.writeText(row, 0, "text", '\'');
  EXPECT_EQ(sheet.close(), -1);
  EXPECT_EQ(capture.take(), "\nError:  cannot write /dev/full.\n");
}

// An XLS-form writer on a workbook in a temporary directory.
class XlsFormTest : public ::testing::Test {
 protected:
  void open(const std::string& given, std::string_view fileType = "", const SheetTitles& titles = {}) {
    name = dir.file(given);
    sheet = std::make_unique<WK1File>(name, 1, SheetForm::XLS, fileType, titles);
  }
  const Sheet& current() const { return *sheet->excel().worksheet(); }
  const SheetCell* cell(int row, int column) const { return current().find(row, column); }
  const CellStyle& style(int row, int column) const {
    return sheet->excel().workbook()->styles.at(cell(row, column)->style);
  }
  std::vector<std::string> sheetNames() const {
    std::vector<std::string> names;
    for (const auto& s : sheet->excel().workbook()->sheets) names.push_back(s->name);
    return names;
  }

  ConsoleCapture capture;
  TempDir dir;
  std::string name;
  std::unique_ptr<WK1File> sheet;
};

TEST_F(XlsFormTest, FileNamesAndSaveFormats) {
  struct Case {
    const char* given;
    const char* fileType;
    const char* written;
    const char* format;
  };
  // The extension (or \filetype) is the format; the normal format and a format without
  // a writer of its own (DIF) are workbooks named .xlsx.
  for (Case c : {Case{"out", "", "out.xlsx", "xls"}, Case{"out.xls", "", "out.xlsx", "xls"},
                 Case{"out.txt", "", "out.xlsx", "txt"}, Case{"out.csv", "", "out.csv", "csv"},
                 Case{"out.xls", "CSVWindows", "out.csv", "CSVWindows"}, Case{"Mixed.Case", "", "Mixed.xlsx", "Case"},
                 Case{"page.html", "", "page.html", "html"}, Case{"notes.dif", "", "notes.xlsx", "dif"}}) {
    SCOPED_TRACE(std::string(c.given) + " " + c.fileType);
    open(c.given, c.fileType);
    ASSERT_TRUE(sheet->isOpen()) << capture.take();
    EXPECT_EQ(name, dir.file(c.written));
    EXPECT_EQ(sheet->savePath(), dir.file(c.written));
    EXPECT_EQ(sheet->saveFormat(), c.format);
    EXPECT_TRUE(fileExists(dir.file(c.written)));  // saved at once, empty
    EXPECT_EQ(sheet->close(), 0);
    sheet.reset();
    capture.take();
  }
  // A directory with a dot does not give the extension.
  ASSERT_EQ(mkdir(dir.file("v1.2").c_str(), 0700), 0);
  open("v1.2/table");
  ASSERT_TRUE(sheet->isOpen());
  EXPECT_EQ(name, dir.file("v1.2/table.xlsx"));
}

TEST_F(XlsFormTest, ARowReachesTheWorkbookOneRunAtATime) {
  open("runs");
  ASSERT_TRUE(sheet->isOpen());
  const Excel& excel = sheet->excel();
  // Columns 1 to 5 (B..F) of row 4: one run, written when the next row begins.
  for (int c = 1; c <= 5; ++c) EXPECT_EQ(sheet->writeNumber(4, c, static_cast<float>(c), 1), 1);
  EXPECT_EQ(excel.numberRuns(), 0u);
  EXPECT_EQ(sheet->writeNumber(5, 1, 1.0f, 1), 1);
  EXPECT_EQ(excel.numberRuns(), 1u);
  for (int c = 1; c <= 5; ++c) {
    ASSERT_NE(cell(4, c), nullptr);
    EXPECT_EQ(cell(4, c)->number, c);
    EXPECT_EQ(style(4, c).numberFormat, "0.0");
  }
  // A blank in column 3 splits row 5 into B..C and E..F.
  EXPECT_EQ(sheet->writeNumber(5, 2, 2.0f, 1), 1);
  EXPECT_EQ(sheet->writeNumber(5, 4, 4.0f, 1), 1);
  EXPECT_EQ(sheet->writeNumber(5, 5, 5.0f, 1), 1);
  // Two adjacent numbers with different decimals form two runs.
  EXPECT_EQ(sheet->writeNumber(6, 1, 1.0f, 1), 1);
  EXPECT_EQ(sheet->writeNumber(6, 2, 2.0f, 2), 1);
  EXPECT_EQ(sheet->writeNumber(7, 1, 1.0f, 1), 1);
  EXPECT_EQ(excel.numberRuns(), 5u);
  // Column 3 lies between the two runs: no value, no format.
  ASSERT_NE(cell(5, 3), nullptr);
  EXPECT_EQ(cell(5, 3)->kind, CellType::Empty);
  EXPECT_EQ(cell(5, 3)->style, 0u);
  EXPECT_EQ(style(6, 1).numberFormat, "0.0");
  EXPECT_EQ(style(6, 2).numberFormat, "0.00");
  EXPECT_EQ(capture.take(), "");
}

TEST_F(XlsFormTest, MissingValuesFontsAndTheFirstRow) {
  open("cells");
  ASSERT_TRUE(sheet->isOpen());
  ASSERT_EQ(sheet->setMissingText("-0.0"), 0);
  VexFont data;
  data.setItalic(true);
  ASSERT_EQ(sheet->setFont(data), 0);
  // A run in row 0 is written like any other.
  EXPECT_EQ(sheet->writeNumber(0, 1, 3.0f, 2), 1);
  EXPECT_EQ(sheet->writeNumber(0, 2, MissingValue, 2), 1);
  EXPECT_EQ(sheet->writeNumber(0, 3, 4.0f, 2), 1);
  VexFont name;
  name.setBold(true);
  ASSERT_EQ(sheet->setFont(name), 0);
  EXPECT_EQ(sheet->writeText(1, 0, "Output", '\''), 0);
  ASSERT_EQ(sheet->setFont(data), 0);
  EXPECT_EQ(sheet->writeNumber(1, 1, 5.0f, 2), 1);
  ASSERT_NE(cell(0, 2), nullptr);
  EXPECT_EQ(cell(0, 2)->kind, CellType::Text);
  EXPECT_EQ(cell(0, 2)->text, "-0.0");
  EXPECT_EQ(style(0, 2).numberFormat, "@");
  EXPECT_EQ(cell(0, 3)->number, 4.0);
  EXPECT_TRUE(style(0, 1).italic);  // the run keeps the font of its numbers
  EXPECT_FALSE(style(0, 1).bold);
  EXPECT_TRUE(style(1, 0).bold);
  EXPECT_EQ(style(1, 0).numberFormat, "@");
  // Negative rows and columns count as 0.
  EXPECT_EQ(sheet->writeText(-3, -1, "corner", '\''), 0);
  EXPECT_EQ(cell(0, 0)->text, "corner");
  // Decimals the writer cannot give: reported once, written with 9.
  EXPECT_EQ(sheet->writeNumber(2, 1, 1.0f, 12), 1);
  EXPECT_EQ(sheet->writeNumber(3, 1, 1.0f, 12), 1);
  EXPECT_EQ(sheet->writeNumber(4, 1, 1.0f, 1), 1);
  EXPECT_EQ(style(2, 1).numberFormat, "0.000000000");
  EXPECT_EQ(capture.take(), "\nError:  cannot format values in Excel file.\n");
  // A rule formula and a column width.
  ASSERT_EQ(sheet->writeFormula(6, 0, 6, 0, "=REPT(\"-\",600)"), 0);
  EXPECT_EQ(cell(6, 0)->kind, CellType::Formula);
  EXPECT_EQ(sheet->setColumnWidth(0, 32), 1);
  EXPECT_EQ(sheet->setColumnWidth(1, 300), 1);  // the widest a column holds
  EXPECT_EQ(current().columnWidths.at(0), 32);
  EXPECT_EQ(current().columnWidths.at(1), 255);
}

TEST_F(XlsFormTest, SheetsArePagesNamedAfterTheTitles) {
  struct Case {
    SheetTitles titles;
    std::vector<std::string> names;
  };
  const std::string head50 = "Table 4. Gross domestic product and its components";
  std::vector<Case> cases = {
      {SheetTitles{}, {"Page-1", "Page-2", "Page-3"}},
      {SheetTitles{"", "Growth", true}, {"Growth", "Growth-2", "Growth-3"}},
      // The \wstitle title comes before the head.
      {SheetTitles{"Summary", "Growth", true}, {"Summary", "Summary-2", "Summary-3"}},
      // A head set empty gives no name.
      {SheetTitles{"", "", true}, {"Page-1", "Page-2", "Page-3"}},
      // Cut to 31 characters, and further so that the number fits.
      {SheetTitles{"", head50, true}, {head50.substr(0, 31), head50.substr(0, 29) + "-2", head50.substr(0, 29) + "-3"}},
      // Characters a sheet name cannot hold become '_'.
      {SheetTitles{"", "'GDP: 1995/2000 [real]'", true},
       {"_GDP_ 1995_2000 _real__", "_GDP_ 1995_2000 _real__-2", "_GDP_ 1995_2000 _real__-3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names[0]);
    open("pages", "", c.titles);
    ASSERT_TRUE(sheet->isOpen()) << capture.take();
    ASSERT_EQ(sheet->newSheet(c.titles), 0) << capture.take();
    ASSERT_EQ(sheet->newSheet(c.titles), 0) << capture.take();
    EXPECT_EQ(sheetNames(), c.names);
    sheet.reset();
  }
  // A new page writes the pending run to the page it belongs to.
  open("pages");
  EXPECT_EQ(sheet->writeNumber(3, 1, 7.0f, 1), 1);
  ASSERT_EQ(sheet->newSheet(SheetTitles{}), 0);
  EXPECT_EQ(sheet->excel().workbook()->sheets[0]->find(3, 1)->number, 7.0);
  EXPECT_EQ(current().find(3, 1), nullptr);
  // \wstitle names the current sheet; a name the file cannot hold is refused.
  EXPECT_EQ(sheet->nameSheet("Results"), 0);
  EXPECT_EQ(current().name, "Results");
  EXPECT_EQ(sheet->nameSheet("Page-1"), -1);
  EXPECT_EQ(capture.take(), "\nError:  cannot set worksheet name.\n\nError:  Trouble setting worksheet name.\n");
}

TEST_F(XlsFormTest, DateRowsForCharts) {
  open("dates");
  VexFont dataFont, dateFont;
  dateFont.setBold(true);
  sheet->setRecording(true);
  EXPECT_EQ(sheet->writeNumber(1, 1, 2.0f, 1), 1);
  EXPECT_EQ(sheet->writeDateRow(2, 2, VexDate(2012, 1, 1), 3, dataFont, dateFont), 0);
  EXPECT_EQ(sheet->excel().numberRuns(), 1u);  // the run of row 1 went first
  // A run after the date row takes its own decimals.
  EXPECT_EQ(sheet->writeNumber(3, 1, 5.0f, 2), 1);
  EXPECT_EQ(sheet->writeNumber(4, 1, 6.0f, 2), 1);
  EXPECT_EQ(style(3, 1).numberFormat, "0.00");
  // Dates from column B (counted from 1 here): 2012, 2013, 2014 as day numbers.
  EXPECT_EQ(cell(2, 1)->kind, CellType::Date);
  EXPECT_EQ(cell(2, 1)->number, 40909);
  EXPECT_EQ(cell(2, 3)->number, 41640);
  EXPECT_TRUE(style(2, 1).bold);
  EXPECT_EQ(sheet->chartRows(), (std::vector<int32_t>{2, 3, 4, 5}));
  sheet->setRecording(false);
  EXPECT_TRUE(sheet->chartRows().empty());
  // Quarters start on their first month: the second quarter of 1995 is April.
  EXPECT_EQ(sheet->writeDateRow(8, 2, VexDate(1995, 2, 4), 2, dataFont, dateFont), 0);
  EXPECT_EQ(cell(8, 1)->number, 34790);
  EXPECT_EQ(style(8, 1).numberFormat, "mmm yyyy");
}

TEST_F(XlsFormTest, FreezePanes) {
  open("frozen");
  const int n = 'n', a = 'a', none = 0, end = 'f';
  struct Case {
    const char* t1;
    int y1;
    const char* t2;
    int y2;
    const char* t3;
    int y3;
    int result;
    int32_t splitRow, splitColumn;
  };
  for (Case c : {Case{"5", n, "", end, "", none, 0, 5, 0},        // rows 1-4 stay
                 Case{"B5", a, "", none, "", none, 0, 5, 2},      // the row above 5 and column A
                 Case{"C", a, "", end, "", none, 0, 0, 3},        // columns A and B
                 Case{"5", n, "2", n, "C20", a, 0, 5, 0},        // scrolled before and after
                 Case{"C12", a, "B4", a, "E30", a, 0, 12, 3},
                 Case{"D", a, "B", a, "E9", a, 0, 0, 4},
                 Case{"off", a, "", end, "", none, 0, 0, 0}}) {
    SCOPED_TRACE(c.t1);
    EXPECT_EQ(sheet->freezePanes(c.t1, c.y1, c.t2, c.y2, c.t3, c.y3), c.result);
    const SheetWindow& window = current().window;
    EXPECT_EQ(window.frozen, c.splitRow > 0 || c.splitColumn > 0);
    EXPECT_EQ(window.splitRow, c.splitRow);
    EXPECT_EQ(window.splitColumn, c.splitColumn);
  }
  EXPECT_EQ(capture.take(), "");
  const std::string syntax = "Syntax is\n\txl freeze <[r | c | rc | off]> [[r | c | rc] [rc]]>\n";
  for (Case c : {Case{"0", n, "", end, "", none, -1, 0, 0},          // no row 0
                 Case{"5", n, "7", n, "", none, -1, 0, 0},           // the first row shown is above 5
                 Case{"5", n, "B", a, "", none, -1, 0, 0},           // rows take a row number next
                 Case{"5", n, "", end, "C2", a, 0, 5, 0},            // token 3 only after a token 2
                 Case{"5", n, "2", n, "C3", a, -1, 0, 0},            // scrolled to a row above the freeze
                 Case{"C", a, "D", a, "", none, -1, 0, 0},           // first column right of C
                 Case{"B5", a, "C4", a, "", none, -1, 0, 0},         // scroll-before right of B
                 Case{"B5", a, "A6", a, "", none, -1, 0, 0},         // scroll-before below row 5
                 Case{",", ',', "", none, "", none, -1, 0, 0}}) {
    SCOPED_TRACE(std::string(c.t1) + " " + c.t2 + " " + c.t3);
    ASSERT_EQ(sheet->freezePanes("off", a, "", end, "", none), 0);
    EXPECT_EQ(sheet->freezePanes(c.t1, c.y1, c.t2, c.y2, c.t3, c.y3), c.result);
    EXPECT_EQ(capture.take(), c.result == 0 ? "" : syntax);
  }
  EXPECT_EQ(sheet->freezePanes("5.5", n, "", end, "", none), -1);
  EXPECT_EQ(capture.take(), "\nError:  in Excel \"freeze\" command.\n" + syntax);
}

TEST_F(XlsFormTest, ClosingSavesTheWorkbookOnce) {
  open("final");
  ASSERT_TRUE(sheet->isOpen());
  EXPECT_EQ(sheet->writeNumber(2, 1, 1.5f, 1), 1);
  EXPECT_EQ(sheet->finishSheet(0, 0, 3, 1), 1);
  auto before = readFile(dir.file("final.xlsx")).size();
  EXPECT_EQ(sheet->close(), 0);
  EXPECT_EQ(sheet->close(), 0);
  EXPECT_GT(readFile(dir.file("final.xlsx")).size(), before);
  EXPECT_FALSE(sheet->excel().applicationRunning());
  EXPECT_EQ(sheet->writeNumber(2, 1, 1.5f, 1), -1);
  EXPECT_EQ(capture.take(), "");
  // A workbook whose directory is gone by the end: reported naming the file, -1.
  ScriptedKeys keys("", false);
  ScopedKeySource source(keys);
  ASSERT_EQ(mkdir(dir.file("gone").c_str(), 0700), 0);
  open("gone/book");
  ASSERT_TRUE(sheet->isOpen());
  ASSERT_EQ(std::remove(dir.file("gone/book.xlsx").c_str()), 0);
  ASSERT_EQ(rmdir(dir.file("gone").c_str()), 0);
  EXPECT_EQ(sheet->close(), -1);
  std::string output = capture.take();
  EXPECT_EQ(output.rfind("\nError:  cannot write the workbook " + dir.file("gone/book.xlsx") + ": ", 0), 0u)
      << output;
  // A workbook that cannot be made at all; closing it saves nothing anywhere else.
  open("none/book");
  EXPECT_FALSE(sheet->isOpen());
  EXPECT_NE(capture.take().find("Unable to open " + dir.file("none/book") + " for writing.\n"), std::string::npos);
  EXPECT_EQ(sheet->close(), 0);
  EXPECT_FALSE(fileExists(currentDirectory() + "/Book1.xlsx"));
}

}  // namespace
}  // namespace tabrix

// The worksheet sink under the composer: pages of a WK1 file and of a workbook, where the
// lines go (no line written over another, nothing at row -1), dropped rows, missing
// values, blanked zeroes, fonts and rules.
#include "table/worksheet_sink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/console.h"
#include "sheet/wk1_writer.h"
#include "sheet/workbook_writer.h"
#include "support/constants.h"
#include "table/date_list.h"
#include "table/outputs.h"
#include "table/page.h"
#include "table/table_line.h"
#include "table/value_rows.h"
#include "recording_sink.h"
#include "test_files.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

using tabrix::testing::readFile;
using tabrix::testing::TempDir;

// One cell of a WK1 file: its record opcode, alignment prefix and text, or its number.
struct Wk1Cell {
  int opcode = 0;
  char align = 0;
  std::string text;
  double number = 0;
};

// The LABEL and NUMBER records of a WK1 file by (column, row); a second record for the
// same cell is counted in `overwritten`.
struct Wk1Cells {
  std::map<std::pair<int, int>, Wk1Cell> cells;
  int overwritten = 0;
};

int16_t read16(const std::string& data, std::size_t at) {
  return static_cast<int16_t>(static_cast<unsigned char>(data[at]) | (static_cast<unsigned char>(data[at + 1]) << 8));
}

Wk1Cells readCells(const std::string& data) {
  Wk1Cells result;
  for (std::size_t pos = 0; pos + 4 <= data.size();) {
    const int opcode = read16(data, pos);
    const std::size_t length = static_cast<uint16_t>(read16(data, pos + 2));
    const std::string body = data.substr(pos + 4, length);
    pos += 4 + length;
    if (opcode != 14 && opcode != 15) continue;
    Wk1Cell cell;
    cell.opcode = opcode;
    std::pair<int, int> at = {read16(body, 1), read16(body, 3)};
    if (opcode == 15) {
      cell.align = body[5];
      cell.text = body.substr(6, body.size() - 7);
    } else {
      std::memcpy(&cell.number, body.data() + 5, 8);
    }
    if (!result.cells.emplace(at, cell).second) ++result.overwritten;
  }
  return result;
}

// The cell at (column, row), empty when there is none.
Wk1Cell at(const Wk1Cells& sheet, int column, int row) {
  auto found = sheet.cells.find({column, row});
  return found == sheet.cells.end() ? Wk1Cell() : found->second;
}
bool has(const Wk1Cells& sheet, int column, int row) { return sheet.cells.count({column, row}) > 0; }

// A table of two alternatives over three annual columns from 2020, writing to a
// worksheet target in a temporary directory.
class SheetTable : public ::testing::Test {
 protected:
  void open(bool workbook) {
    setDriverDefaults(table);
    table.noFormat = !workbook;
    parseDateList(table, "2020 2021 2022 ");
    table.datesSet = true;
    table.altCount = 2;
    table.altTitlesKnown = true;
    table.altTitles[0] = "Base";
    table.altTitles[1] = "Other";
    for (int k = 0; k < 2; ++k) {
      table.values[k].assign(MaxObs, MissingValue);
      for (int i = 0; i < 3; ++i) table.values[k][i] = 10.0f * static_cast<float>(k + 1) + static_cast<float>(i);
      table.altStart[k] = VexDate(2020, 1, 1);
    }
    name = dir.file("table");
    if (workbook) {
      table.sheet = std::make_unique<WorkbookWriter>(name, "", SheetTitles{});
    } else {
      table.sheet = std::make_unique<Wk1Writer>(name, "");
    }
    ASSERT_TRUE(table.sheet->isOpen());
    useTableTarget(table, TableTarget::Worksheet);
  }

  // A table line with its title.
  void line(const char* title) {
    table.lineTitle = title;
    ASSERT_EQ(composeLine(table), 0);
  }

  // The target as a workbook writer.
  WorkbookWriter& book() { return *table.sheet->workbook(); }

  // Finishes the target and reads the WK1 file's cells.
  Wk1Cells closeWk1() {
    (void)table.sheet->finishSheet(0, 0, PageCounters::sheetRow(table.page), table.dateCount());
    EXPECT_EQ(table.sheet->close(), 0);
    return readCells(readFile(dir.file("table.wk1")));
  }

  ConsoleCapture capture;
  TempDir dir;
  std::string name;
  TableLine table;
};

TEST_F(SheetTable, Wk1PagesFollowOneAnotherWithoutOverwriting) {
  open(false);
  table.headText = "Growth";
  table.headSet = true;
  table.pageLength = 26;  // two table lines a page
  ASSERT_EQ(pageHeader(table), 0);
  ASSERT_EQ(writeDateHeader(table), 0);
  for (const char* title : {"One", "Two", "Three", "Four", "Five"}) line(title);
  Wk1Cells sheet = closeWk1();
  // By hand, page 1: the top margin counts 3; the head line goes to row 2 (a line's
  // row is the count of lines before it, minus one) and counts two; after the empty
  // line (6) the heading of the alternatives at 5 and their lines at 6 and 7 (9); after
  // an empty line (10) the sentence at 9 (counts two), the dates at 11 (13), the table
  // lines at 12-13 and 14-15 (17).
  EXPECT_EQ(sheet.overwritten, 0);
  ASSERT_TRUE(has(sheet, 0, 2));
  EXPECT_EQ(at(sheet, 0, 2).text.substr(0, 6), "Growth");
  EXPECT_EQ(at(sheet, 0, 6).text, "     Line 1: Base");
  EXPECT_EQ(at(sheet, 0, 9).text, "Alternatives are shown as actual values.");
  EXPECT_EQ(at(sheet, 1, 11).text, "   2020");
  EXPECT_EQ(at(sheet, 1, 11).align, '"');
  EXPECT_EQ(at(sheet, 0, 12).text, "One");
  EXPECT_EQ(at(sheet, 0, 12).align, '\'');
  EXPECT_EQ(at(sheet, 1, 12).number, 10.0);
  EXPECT_EQ(at(sheet, 3, 13).number, 22.0);
  EXPECT_EQ(at(sheet, 0, 14).text, "Two");
  // Page 2 goes on below: the 9 bottom-margin lines bring the count to 26, the 3
  // top-margin lines to 29, so its head line is at row 28, not at row 2 again.
  ASSERT_TRUE(has(sheet, 0, 28));
  EXPECT_EQ(at(sheet, 0, 28).text.substr(0, 6), "Growth");
  EXPECT_NE(at(sheet, 0, 28).text.find("Page  2"), std::string::npos);
  EXPECT_EQ(at(sheet, 0, 2).text.find("Page  2"), std::string::npos);
  int heads = 0;
  for (const auto& [at, cell] : sheet.cells)
    if (cell.text.rfind("Growth", 0) == 0) ++heads;
  EXPECT_EQ(heads, 3);
}

TEST_F(SheetTable, NoLineGoesAboveTheFirstRow) {
  open(false);
  table.topMargin = 0;
  table.altCount = 1;
  table.headText = "Top";
  table.headSet = true;
  ASSERT_EQ(pageHeader(table), 0);
  line("First");
  Wk1Cells sheet = closeWk1();
  EXPECT_EQ(sheet.overwritten, 0);
  for (const auto& [at, cell] : sheet.cells) EXPECT_GE(at.second, 0);
  ASSERT_TRUE(has(sheet, 0, 0));
  EXPECT_EQ(at(sheet, 0, 0).text.substr(0, 3), "Top");
}

TEST_F(SheetTable, DroppedRowsLeaveNothingAndValuesTakeTheirForms) {
  open(false);
  PageCounters::lineOnPage(table.page) = 5;  // within the page
  PageCounters::sheetRow(table.page) = 5;
  PageCounters::headerStarted(table.page) = true;
  PageCounters::pageNumber(table.page) = 1;
  table.missingText = "n.a.";
  table.noZeroRows = true;
  table.values[0][1] = MissingValue;
  line("Kept");
  const int zeroRow = PageCounters::sheetRow(table.page);
  for (int k = 0; k < 2; ++k) table.values[k].assign(MaxObs, 0.0f);
  line("Zero");  // dropped: both rows below 1e-6
  EXPECT_EQ(PageCounters::sheetRow(table.page), zeroRow);
  table.values[0].assign(MaxObs, 5.0f);
  table.values[1].assign(MaxObs, 0.0f);
  table.blankZeroes = true;
  line("Blank");
  Wk1Cells sheet = closeWk1();
  EXPECT_EQ(sheet.overwritten, 0);
  // Kept at row 4 (sheetRow 5 before it, minus one); its missing value a right-aligned
  // label of the missing text.
  EXPECT_EQ(at(sheet, 0, 4).text, "Kept");
  EXPECT_EQ(at(sheet, 2, 4).opcode, 15);
  EXPECT_EQ(at(sheet, 2, 4).text, "n.a.");
  EXPECT_EQ(at(sheet, 2, 4).align, '"');
  // The dropped line wrote nothing: Blank takes the next rows; its blanked zeroes have
  // no cell.
  EXPECT_EQ(at(sheet, 0, 6).text, "Blank");
  EXPECT_EQ(at(sheet, 1, 6).number, 5.0);
  EXPECT_FALSE(has(sheet, 1, 7));
  for (const auto& [at, cell] : sheet.cells) EXPECT_NE(cell.text, "Zero");
}

TEST_F(SheetTable, WorkbookPagesAreSheetsOfTheirOwn) {
  open(true);
  table.worksheetTitle = "Results";
  table.pageLength = 27;  // room for two lines and a rule
  table.missingText = "n.a.";
  book().setMissingText(table.missingText);
  table.fonts[NameFont].font.setBold(true);
  table.fonts[DataFont].font.setItalic(true);
  table.values[1][2] = MissingValue;
  ASSERT_EQ(pageHeader(table), 0);
  ASSERT_EQ(writeDateHeader(table), 0);
  line("One");
  ASSERT_EQ(ruleLine(table, '"'), 0);
  line("Two");
  line("Three");
  const Excel& excel = book().excel();
  const Workbook& book = *excel.workbook();
  ASSERT_EQ(book.sheets.size(), 2u);
  // The first sheet was named when the writer was made (no title then); later pages
  // after \wstitle's title.
  EXPECT_EQ(book.sheets[0]->name, "Page-1");
  EXPECT_EQ(book.sheets[1]->name, "Results");
  const Sheet& first = *book.sheets[0];
  const Sheet& second = *book.sheets[1];
  auto text = [](const Sheet& sheet, int row, int column) {
    const SheetCell* cell = sheet.find(row, column);
    return cell == nullptr ? std::string("(none)") : cell->text;
  };
  // Rows as in the WK1 file, restarting on each sheet; the head line leaves the page
  // number out, the labels their blanks.
  EXPECT_EQ(text(first, 11, 1), "2020");
  EXPECT_EQ(text(first, 12, 0), "One");
  EXPECT_TRUE(book.styles.at(first.find(12, 0)->style).bold);
  EXPECT_TRUE(book.styles.at(first.find(12, 1)->style).italic);
  EXPECT_EQ(first.find(13, 3)->text, "n.a.");
  // The rule: a formula, its quote written twice.
  EXPECT_EQ(first.find(14, 0)->kind, CellType::Formula);
  EXPECT_EQ(first.find(14, 0)->text, "=REPT(\"\"\"\",600)");
  EXPECT_EQ(text(first, 15, 0), "Two");
  EXPECT_EQ(text(second, 11, 2), "2021");
  EXPECT_EQ(text(second, 12, 0), "Three");
  EXPECT_EQ(second.columnWidths.at(0), 32);
  EXPECT_EQ(second.columnWidths.at(1), 7);
  EXPECT_EQ(table.sheet->close(), 0);
  EXPECT_EQ(capture.take(), "");
}

}  // namespace
}  // namespace tabrix

namespace tabrix {
namespace {

// While a chart is collected, the date header of a workbook is a date series from
// column B over every column, one counted line, and the first collected row.
TEST_F(SheetTable, AChartsDateRowIsADateSeries) {
  open(true);
  // A renderer beside the workbook gets the row as labels.
  auto calls = std::make_shared<std::vector<std::string>>();
  auto recording = std::make_unique<RecordingSink>(calls);
  recording->recordFonts = false;
  ASSERT_EQ(attachRenderer(table, "rec", std::move(recording)), 0);
  book().setRecording(true);
  PageCounters::sheetRow(table.page) = 4;
  PageCounters::lineOnPage(table.page) = 4;
  ASSERT_EQ(writeDateHeader(table), 0);
  EXPECT_EQ(PageCounters::sheetRow(table.page), 5);
  ASSERT_EQ(calls->size(), 1u);
  EXPECT_EQ(calls->front().substr(0, calls->front().find('|')), "dates '2020'/7 '2021'/7 '2022'/7 ");
  line("One");
  const Sheet& sheet = *book().excel().worksheet();
  // Row 3 (from 0): 2020, 2021, 2022 as day numbers (by hand: 43831, 44197, 44562).
  for (int c = 1; c <= 3; ++c) {
    const SheetCell* cell = sheet.find(3, c);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->kind, CellType::Date);
  }
  EXPECT_EQ(sheet.find(3, 1)->number, 43831);
  EXPECT_EQ(sheet.find(3, 3)->number, 44562);
  EXPECT_EQ(book().chartRows(), (std::vector<int32_t>{3, 4, 5}));
  // A date the workbook cannot hold (after the year 9999) cannot be a date series.
  parseDateList(table, "12000 ");
  EXPECT_EQ(writeDateHeader(table), -1);
  EXPECT_NE(capture.take().find("\nError:  When printing dates to worksheet.\n"), std::string::npos);
}

// A chart block that opens at the foot of a page goes on collecting on the new page.
TEST_F(SheetTable, AChartsDateRowAtTheFootOfAPageStartsTheNewPage) {
  open(true);
  PageCounters::pageNumber(table.page) = 1;
  PageCounters::lineOnPage(table.page) = table.pageLength - table.bottomMargin;
  book().setRecording(true);
  ASSERT_EQ(writeDateHeader(table), 0);
  EXPECT_EQ(book().excel().workbook()->worksheets().size(), 2u);
  EXPECT_TRUE(book().recording());
  ASSERT_EQ(book().chartRows().size(), 1u);
  const Sheet& page = *book().excel().worksheet();
  const SheetCell* first = page.find(book().chartRows()[0], 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->kind, CellType::Date);
}

}  // namespace
}  // namespace tabrix

// The composer's worksheet cells: where the lines of a table go on a worksheet target
// (\wk1, \xls) and the calls into the worksheet writer that every composer operation
// shares.
//
// Rows. A line's cells go to row sheetRow - 1 (sheetRow counted before the line), the
// same rule for header, date and table lines, in both forms. A row that would lie above
// a row already holding cells of the sheet, or at -1, moves down to the sheet's first
// free row, so no line is written over another. The XLS form starts every page on a
// worksheet of its own (both counters start again at 0); the WK1 form has one sheet on
// which the pages follow one another.
#pragma once

#include <string_view>

#include "sheet/sheet_writer.h"
#include "sheet/workbook_writer.h"
#include "table/table_line.h"

namespace tabrix {

// The worksheet writer while the table goes to a worksheet, else nullptr.
SheetWriter* worksheetOf(TableLine& table);
// The workbook writer while the table goes to an XLS (workbook) target, else nullptr.
WorkbookWriter* workbookOf(TableLine& table);
// True while the table goes to an XLS (workbook) target.
bool xlsWorksheet(const TableLine& table);

// The row of the line about to be written (see above).
int worksheetLineRow(const TableLine& table);
// Notes that a line's cells went to row: the rows up to it are taken.
void takeWorksheetRow(TableLine& table, int row);
// A text cell of the line about to be written, in column `column`.
void writeSheetText(TableLine& table, int column, std::string_view text, char align);

// The titles a new worksheet is named after: \wstitle's title, else the head.
SheetTitles worksheetTitles(const TableLine& table);

// The XLS form's start of a page after the first: a new worksheet named after the
// titles, the title column's width, and the counters back at 0. Returns 0, or -1 when
// the writer cannot start the worksheet.
[[nodiscard]] int startWorksheetPage(TableLine& table);

// The widths of a worksheet's columns as the first header gives them: every column 1 ..
// dateCount fieldWidth, spacers included.
void setDateColumnWidths(TableLine& table);

}  // namespace tabrix

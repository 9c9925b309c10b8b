// Writing a workbook model in the save formats other than the workbook file: CSV and
// text (every worksheet in order, one empty line between them), one HTML page (every
// worksheet a table) and a WK1 file (one worksheet). Cells are written as they show
// (cell_text.h); chart sheets are left out. Every file is written whole under a
// temporary name and moved into place (save_file.h).
#pragma once

#include <string>

#include "sheet/save_formats.h"
#include "sheet/workbook.h"

namespace tabrix {

// The CSV and text formats: each worksheet from A1 to its last row and column holding a
// value, a field per cell, separated by ',' (Csv kind) or a tab (Text kind), each row
// ended by the format's line end; a field holding the separator, a '"', a CR or a LF is
// quoted, its quotes doubled. Worksheets without values are left out. UTF-8, or UTF-16LE
// with a byte-order mark for the utf16 form. Returns 0, or -1 with the reason.
[[nodiscard]] int writeDelimited(const Workbook& workbook, const std::string& path, const SaveFormat& format,
                                 std::string& error);

// The bytes writeDelimited writes.
std::string delimitedText(const Workbook& workbook, const SaveFormat& format);

// One HTML page: each worksheet as a heading with its name and a table, its column
// widths, every cell with its font (typeface, size, bold, italic, underline, colour,
// alignment) as an inline style; texts escaped. A text runs over the empty cells to its
// right, as it does in the spreadsheet. Returns 0, or -1 with the reason.
[[nodiscard]] int writeHtml(const Workbook& workbook, const std::string& path, std::string& error);

// The page writeHtml writes; title is the page's title.
std::string htmlText(const Workbook& workbook, const std::string& title);

// A WK1 file of one worksheet, in the records of the worksheet writer's WK1 form: BOF,
// a COLW1 per column width, the cells row by row (texts as LABELs with their alignment
// prefix, numbers as NUMBERs with their decimals, dates and formulas as LABELs of the
// text they show), RANGE (0, 0, last column, last row) and EOF. Texts are written in
// Latin-1 ('?' for a character beyond it). A sheet with a cell beyond row 32,768 or
// column IV is refused. Returns 0, or -1 with the reason.
[[nodiscard]] int writeWk1Sheet(const Sheet& sheet, const StyleTable& styles, const std::string& path,
                                std::string& error);

// The records writeWk1Sheet writes; false with the reason when the sheet does not fit.
bool wk1SheetBytes(const Sheet& sheet, const StyleTable& styles, std::string& bytes, std::string& error);

// The last row and column of a sheet holding a value (from 0); -1, -1 for none.
void valueExtent(const Sheet& sheet, int32_t& lastRow, int32_t& lastColumn);

}  // namespace tabrix

// Pages of the table file: the page header (end of the previous page, printer setup,
// margins, the head line with the page number, titles, the list of alternatives and the
// mode sentence), centered lines, the \line rule and the end of the run, handed to the
// table's sinks (table/sink_set.h). Every line counts in lineOnPage and sheetRow unless
// noted.
#pragma once

#include <string_view>

#include "table/table_line.h"

namespace tabrix {

// Ends the current page (when one was begun) and writes the header of the next;
// brokenAtDates: the page is begun because the date header did not fit on the last one.
// Returns 0 (the status is kept for the callers that pass a failure on).
[[nodiscard]] int pageHeader(TableLine& table, bool brokenAtDates = false);

// Writes text (cut to width) centered in width, right-trimmed, and counts one line.
// Returns 0 (-1 for a worksheet target).
int centeredLine(TableLine& table, std::string_view text, int width);

// The \line rule: tableWidth copies of the character (quoted to 100 in prnMode),
// counted as one line. Returns 0.
int ruleLine(TableLine& table, char character);

// Called once after the stub ends: with a time stamp, fills the last page and writes
// the stamp near its foot (no form feed). Returns 0 (-1 for a worksheet target).
int endOfRun(TableLine& table);

// The page-break rules: a text line or the date header row needs a new page, and a
// table line of altCount rows needs one.
bool textLineNeedsPage(const TableLine& table);
bool tableLineNeedsPage(const TableLine& table);

// Counts lines composed on the page: lineOnPage and sheetRow.
void countLines(TableLine& table, int count);

// The page commands of the stub; the page state moves nowhere else.
// Begins the table: its first page header unless it has begun. Returns pageHeader's
// result (0 when it had begun).
[[nodiscard]] int beginTable(TableLine& table);
// Marks the table begun without a header (a text line starts the page itself).
void markTableBegun(TableLine& table);
// Makes the next line start a new page.
void breakAtNextLine(TableLine& table);
// Starts a new page now (the table is then begun); with skipRows the worksheet rows
// move on by the lines of the page left. Returns pageHeader's result.
[[nodiscard]] int breakPage(TableLine& table, bool skipRows);
// Starts the counting again for a new worksheet file: no pages, lines or rows.
void restartPages(TableLine& table);

}  // namespace tabrix

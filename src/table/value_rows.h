// Value rows: composing one stub line into the table file. A text line becomes one line
// of text; a table line becomes one row per alternative, a title area and one formatted
// cell per date column, filtered by noZeroRows and threshold. Two layouts replace the
// table: data records (gdataMode) and one value per output line (onePerLine). Cell
// values come from cellValue (table/cell_value.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "table/table_line.h"

namespace tabrix {

// Composes the current line (text line, table rows, data record or one-per-line rows),
// starting pages and date header rows as needed. Returns 0, or -1 when the run must
// stop: growth ranges in period-growth mode, no date list, a date header that does not
// fit, a failing page header or data record.
[[nodiscard]] int composeLine(TableLine& table);

// Writes the current series as a data record: keyword and name (name, or lineExpression
// when name is empty), then the value of every period from the first date column to the
// last, gdataPerLine to a line. Returns 0 when written (or when the series was not
// found), 1 when skipped as all near zero, -1 after a message.
int gdataRecord(TableLine& table, std::string_view name = {});

// Writes one line per date column for the only alternative: title, column label and
// value, unless the row is dropped by noZeroRows or threshold. Returns 0.
int onePerLineRows(TableLine& table);

// Writes "# text" right-trimmed with lineEnd (not counted) when gdataComments is on and
// returns 0; returns 1 and writes nothing when comments are off.
int commentLine(TableLine& table, std::string_view text);

// The value formatted with width and decimals, thousands grouped by commas, without
// blanks around it ("-1,234,567.89"). Writes at most capacity - 1 characters and a
// terminator into destination and returns the number of characters written.
int withCommas(float value, int width, int decimals, char* destination, std::size_t capacity);
// The same as a string.
std::string withCommas(float value, int width, int decimals);

}  // namespace tabrix

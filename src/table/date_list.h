// Date lists: the column entries of a table (single dates, growth ranges a-b,
// sums a+b, averages a|b and spacers sN), their labels, the two list readers (\dates
// and a line of the response script) and the date header row.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "dates/vex_date.h"
#include "table/table_line.h"

namespace tabrix {

// One parsed column entry.
struct DateStruct {
  DateStruct() = default;
  // Parses an entry (at most 21 characters are read).
  explicit DateStruct(std::string_view dateSpec);

  bool isGrowth = false;   // a growth range from-to
  bool isSum = false;      // a sum over from+to
  bool isAverage = false;  // an average over from|to
  VexDate from;            // the single date, or the first date of a range
  VexDate to;              // the last date of a range; all zero for a single date

  // True for any of the three ranges.
  bool isRange() const { return isGrowth || isSum || isAverage; }
  // The column label with the year format (see date_list.cc); "" for an unknown frequency.
  std::string label(int yearFormat) const;
};

// True when the entry is a spacer sN; width gets N, held at 0 .. MaxRowLength.
bool isSpacer(std::string_view dateSpec, int* width = nullptr);

// Reads the next token of a list from text at pos (advanced past it). Returns false at
// the end of the list: a line end or the end of the text before a token, or a character
// not allowed in dates (after "Illegal character in date: %c.\n"). kind: 1 holds '-',
// else 2 '+', 3 '|', 4 ':', 0 none. The letters s and S are stored as s.
bool nextDateToken(std::string_view text, std::size_t& pos, std::string& token, int& kind);

// The \dates list: replaces the columns by the tokens of text, a:b expanded to every
// period from a to b. Sets datesSet and datesHaveGrowth. Returns 0.
int parseDateList(TableLine& table, std::string_view text);

// The list read from one line of the response script: tokens stored as they are (a:b
// included), datesSet set, datesHaveGrowth only ever set. Returns 0.
int storeDateListLine(TableLine& table, std::string_view line);
// Reads one line (at most 600 characters) from the response file, or from the key source
// when file is nullptr, and stores it with storeDateListLine. Returns -1 when no line
// could be read (the list is then empty), 0 otherwise.
int readDateList(TableLine& table, std::FILE* file);

// Writes the date header row (and the underline row) when a list was given and gdataMode
// is off, starting a new page when the row does not fit. Returns -1 after the
// wider-than-field message when a label does not fit its column, 0 otherwise. While
// the workbook writer collects a chart, the row is the chart's date series instead
// (from column B, the first entry's date over every column); -1 after "When printing
// dates to worksheet" when the writer cannot write it.
[[nodiscard]] int writeDateHeader(TableLine& table);

}  // namespace tabrix

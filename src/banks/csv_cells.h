// The CSV files of the bank tool: splitting text into records of cells, the number
// and text forms of cells, the settings rows that open every layout, and the tool's
// messages ("tabrix-bank: file:line: message").
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix {

// Prints "tabrix-bank: message\n".
void toolReport(const std::string& message);
// Prints "tabrix-bank: file:line: message\n".
void toolReportAt(const std::string& file, int line, const std::string& message);

struct CsvCell {
  std::string text;
  bool quoted = false;
};

struct CsvRecord {
  int line = 0;  // the line the record starts on
  std::vector<CsvCell> cells;
};

// Splits CSV text into records: fields separated by commas, optionally in double
// quotes ("" inside quotes is one quote; quoted fields may hold commas and line
// breaks). Lines end in LF or CR LF; a leading byte-order mark is skipped. Unquoted
// fields are trimmed of blanks. False after a message naming the file and line.
bool splitCsv(std::string_view text, const std::string& file, std::vector<CsvRecord>& records);

// True when every cell of the record is empty and unquoted.
bool blankRecord(const CsvRecord& record);

// The last year a bank's CSV file may reach: its years are written with 4 digits.
constexpr int kLastCsvYear = 9999;
// True when `count` yearly values from `firstYear` run past kLastCsvYear.
inline bool pastLastYear(int firstYear, std::size_t count) {
  return count > 0 && static_cast<long long>(firstYear) + static_cast<long long>(count) - 1 > kLastCsvYear;
}

// ASCII capitals lowered.
std::string lowerCsvText(std::string text);

// A whole number cell (an optional '+' or '-', digits).
bool parseCsvInteger(const std::string& text, long& value);

// A number cell: a decimal number (sign, digits, point, exponent) that a 32-bit float
// can hold, read straight into a float (correctly rounded, whatever the locale).
bool parseCsvValue(const std::string& text, float& value);

// The text of a cell, quoted when it needs quotes.
std::string csvCell(const std::string& text);

// True for exactly the bits of MissingValue.
bool isMissingMarker(float value);

// The shortest text that reads back as the same 32-bit float.
std::string csvNumber(float value);

// The value cells of a row from cell `first` on: trailing empty cells dropped, an empty
// cell the missing value. False after a message (file, the record's line) naming the
// value that is no number.
bool csvValues(const CsvRecord& record, size_t first, const std::string& file,
               const std::string& seriesName, std::vector<float>& values);

// One settings row: its value cell and line.
struct CsvSetting {
  std::string value;
  int line = 0;
};

// Reads the settings rows (a key cell, a value cell) that come before the heading row
// (the first row whose first cell is "name", in any case). Keys are matched in any
// case and stored lower case; each may be given once. `keys` lists the keys allowed,
// `heading` describes the heading row for messages ("name,type,..."). Sets heading
// to the index of the heading row. 0, or -1 after a message naming file and line.
int16_t readCsvSettings(const std::vector<CsvRecord>& records, const std::string& file,
                        const std::vector<std::string>& keys, const std::string& heading,
                        std::map<std::string, CsvSetting>& settings, size_t& headingIndex);

// Reads a whole text file; false after "tabrix-bank: cannot open/read PATH".
bool readCsvFile(const std::string& path, std::string& text);

}  // namespace tabrix

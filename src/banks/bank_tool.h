// The bank tool behind the program tabrix-bank: makes a bank from a CSV file and shows
// or exports any bank through the bank interface (create, list, info, dump). Without
// -k, list, info and dump take the kind from the files that exist for the bank's name.
// Workspace, compressed and hashed banks share the layout below (also described in the
// README); dirfor banks and VAM files have their own (banks/dirfor_csv.h,
// banks/vam_csv.h).
//
//   title,Base run of March          optional, at most 79 characters
//   base year,1990                   required: the year of observation 0
//   first month,1                    optional (1): the first month covered
//   observations,40                  optional: values per series (default: the longest row)
//   name,frequency,1,2,3,...         the heading row; cells after "frequency" are labels
//   gdp,4,5012.5,5030.1,,5070.0      one row per series: name, 1/4/12, values from
//                                    observation 0; an empty cell is a missing value
//
// Every error names the file and the line ("file:line: message"). All output goes
// through the console.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix {

// One series row of the CSV layout.
struct CsvSeries {
  std::string name;           // the series name, as stored in the bank
  int16_t frequency = 1;      // 1, 4 or 12
  std::vector<float> values;  // observation 0 first; MissingValue for empty cells
  int line = 0;               // line of the CSV file the row starts on (0 when made)
};

// A bank's contents in the tool's neutral form, between a CSV file and a bank.
struct BankTable {
  std::string title;      // at most 79 characters
  int baseYear = 0;       // year of observation 0
  int firstMonth = 1;     // first month covered (period of observation 0)
  int observations = 0;   // values per series
  std::vector<CsvSeries> series;
};

// Parses CSV text in the layout above; fileName is used in messages. On error prints
// "tabrix-bank: file:line: message" and returns -1; 0 on success.
[[nodiscard]] int16_t parseBankCsv(std::string_view text, const std::string& fileName, BankTable& table);

// Reads and parses a CSV file; -1 (after a message) when it cannot be read or parsed.
[[nodiscard]] int16_t readBankCsv(const std::string& path, BankTable& table);

// The CSV text of a table in the same layout. Each value is written as the shortest
// text that reads back as the same 32-bit float; MissingValue (exactly) is an empty
// cell, and missing values at the end of a row are left off.
std::string formatBankCsv(const BankTable& table);

// Runs the tool on its arguments (without the program name); returns the exit status:
// 0 success, 1 failure, 2 a usage error.
int runBankTool(const std::vector<std::string>& args);

}  // namespace tabrix

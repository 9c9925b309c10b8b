// The operations of the bank tool (the program tabrix-bank, tools/bank.cc, holds the
// command line): make a bank from a CSV file and show or export any bank through the
// bank interface (create, list, info, dump), each writing to a stream. Without a kind
// given, list, info and dump take the kind from the files that exist for the bank's name.
// Workspace, compressed and hashed banks share the layout below (also described in
// docs/banks.md); dirfor banks and VAM files have their own (banks/dirfor_csv.h,
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
// Every error names the file and the line ("file:line: message"); messages go through
// the console, what an operation makes goes to its stream.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "banks/bank_factory.h"
#include "banks/data_bank.h"

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

// A bank as the tool's user names it.
struct BankSelection {
  std::string name;        // the root name, or the root name with the kind's extension
  char kind = 'w';         // the kind letter, as in the response file
  bool kindGiven = false;  // false: openToolBank finds the kind from the files of name
  std::string description{DefaultDirforDescription};  // a dirfor bank's description file
};

// How an operation ended.
enum class BankToolStatus {
  kDone,
  kFailed,      // after a message
  kKindUnclear  // files of several kinds exist for the name: the kind must be given
};

// Makes the bank (an existing one of that name is replaced) from a CSV file in the
// layout of its kind, then writes one line saying what it made to out.
[[nodiscard]] BankToolStatus createBank(const BankSelection& bank, const std::string& csvName,
                                        std::ostream& out);

// Opens a bank for reading; nullptr after a message, with status set. Without a kind
// given it is found from the files (bank.kind is then set) and, when announce, the
// tool says on the console which bank it opened.
std::unique_ptr<DataBank> openToolBank(BankSelection& bank, bool announce, BankToolStatus& status);

// The series names matching pattern ('*' any run of characters, '^' any one), one per
// line or 5 per line when wide, without trailing blanks.
[[nodiscard]] BankToolStatus listBank(DataBank& bank, std::string_view pattern, bool wide,
                                      std::ostream& out);

// The same listing on the console, a screenful at a time (for a terminal).
void pageBankNames(DataBank& bank, std::string_view pattern, bool wide);

// The title, base year, observations per series and number of series.
[[nodiscard]] BankToolStatus showBankInfo(DataBank& bank, std::ostream& out);

// The CSV text of the named series (every series when names is empty) in the layout of
// the bank's kind; nothing is written when a series cannot be read.
[[nodiscard]] BankToolStatus dumpBank(DataBank& bank, const std::vector<std::string>& names,
                                      std::ostream& out);

}  // namespace tabrix

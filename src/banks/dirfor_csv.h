// The bank tool's CSV layout of dirfor banks, one row per series:
//
//   title,Forecast of March        optional, at most 40 characters
//   first year,1995                optional: the year of the first value; the years
//                                  before the first forecast year are history
//                                  (default: the first forecast year, no history)
//   first forecast year,2005       required
//   last year,2024                 optional: the last forecast year (default: the
//                                  longest row decides)
//   name,type,1995,1996,...        the heading row; a cell after "type" that is a
//                                  whole number must be the year of its column
//   gdp,macro,512.5,...            a macro series (up to 8 characters)
//   out12,sector,88.1,...          sector 12 of the stem out
//
// An empty type cell means "sector" for a name that ends in digits and "macro" for
// any other. Names are lower case. An empty value cell is a missing value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix {

class Dirfor;

struct DirforCsvSeries {
  std::string name;    // as written (a sector series: stem + sector number)
  bool macro = false;  // a macro series, else a sector series
  std::string stem;    // a sector series' stem and sector number
  int sector = 0;
  std::vector<float> values;  // from the first year on
  int line = 0;               // line of the CSV file (0 when made)
};

struct DirforTable {
  std::string title;
  int firstYear = 0;          // year of the first value
  int firstForecastYear = 0;
  int lastYear = 0;           // last forecast year
  std::vector<DirforCsvSeries> series;
};

// Parses the layout above; 0, or -1 after "tabrix-bank: file:line: message".
int16_t parseDirforCsv(std::string_view text, const std::string& fileName, DirforTable& table);

// The CSV text of a table (missing values as empty cells, trailing ones left off).
std::string formatDirforCsv(const DirforTable& table);

// Builds the bank root + ".dfr", ".dhs", ".mac" and the description file; 0, or -1
// after a message (series that cannot be stored name their CSV line). Nothing is
// written when a series is refused.
int16_t writeDirforTable(const DirforTable& table, const std::string& rootName,
                         const std::string& descriptionFile, const std::string& csvName);

// Reads the named series (every series when names is empty) of an open bank; 0, or
// -1 after a message naming a series that cannot be read.
int16_t readDirforTable(Dirfor& bank, const std::vector<std::string>& names, DirforTable& table);

// The CSV text formatDirforCsv would give of readDirforTable's table, made one series at
// a time: the memory it takes follows the series the bank holds (a declared series
// the files do not hold ends it), not the number its description declares. 0, or -1
// after a message naming the series that cannot be read (text then empty).
int16_t dumpDirforCsv(Dirfor& bank, const std::vector<std::string>& names, std::string& text);

}  // namespace tabrix

// DirforWriter: builds a dirfor bank that Dirfor reads: the data file (root + ".dfr"),
// the history file (root + ".dhs", when there are history years), the macro-names file
// (root + ".mac") and the description file that names them.
//
// Every series is given from the first year on (history years first, then forecast
// years). Stems are put into blocks by their number of sectors, in the order they are
// first added: stems with the same number of sectors share a block (175 stems a block),
// blocks 1 to 5 and 7 to 12; block 6 holds the macro variables. Sectors of a stem that
// are not added, and years a series does not reach, hold the missing value. The history
// record of a series ends with its value in the first forecast year, so the history
// reads back unscaled.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tabrix {

class DirforWriter {
 public:
  static constexpr int MinRecordLength = 25;  // record 1 holds the 100-byte header
  static constexpr int MaxSector = 9999;      // sector counts fill a 4-column field
  static constexpr int MaxForecastLength = 999;
  static constexpr int MaxHistoryYears = 998;  // history years before the forecast

  // title: at most 40 characters are kept. Years as full years; firstYear lies from
  // firstForecastYear - MaxHistoryYears to firstForecastYear (equal: no history);
  // forecastLength from 1 to MaxForecastLength.
  DirforWriter(std::string_view title, int firstYear, int firstForecastYear, int forecastLength);

  // Adds a macro series. false with the reason when it cannot be stored: a name that
  // is empty, longer than 8 characters, holds a blank or a capital, or is given twice;
  // more than 750 macros; too many values, or values the bank would not give back.
  bool addMacro(std::string_view name, std::span<const float> values, std::string& reason);
  // Adds sector `sector` of a stem; false with the reason (as addMacro, with stems of
  // up to 20 characters and sectors 1 to 9999).
  bool addSector(std::string_view stem, int sector, std::span<const float> values,
                 std::string& reason);

  // Values a series holds: history years and forecast years.
  int observations() const { return historyLength_ > 0 ? historyLength_ - 1 + forecastLength_ : forecastLength_; }
  int historyLength() const { return historyLength_; }  // H, 0 without history
  int recordLength() const;                             // R

  // Writes the four files, replacing any that exist; 0, or -1 after printing msgbk 24
  // (a file that cannot be created), "\r\nCannot write %s.\r\n", or why the bank cannot
  // be laid out (more than 11 blocks of sector variables, a file name the description
  // cannot hold).
  int16_t write(const std::string& rootName, const std::string& descriptionFile) const;

 private:
  struct Stem {
    std::string name;
    int sectors = 0;                           // highest sector added
    std::unordered_map<int, size_t> series;    // sector -> index into values_
  };
  bool checkValues(std::string_view name, bool macro, std::span<const float> values,
                   std::string& reason) const;
  size_t keep(std::span<const float> values);

  std::string title_;
  int firstYear_;
  int firstForecastYear_;
  int forecastLength_;
  int historyLength_;                          // H: firstForecastYear - firstYear + 1, or 0
  std::vector<std::vector<float>> values_;     // every series added, padded to observations()
  std::vector<std::string> macroNames_;
  std::vector<size_t> macroSeries_;            // index into values_ of each macro
  std::vector<Stem> stems_;                    // in the order first added
  std::unordered_map<std::string, size_t> stemIndex_;
  std::unordered_set<std::string> names_;      // every series name, for the duplicate test
};

}  // namespace tabrix

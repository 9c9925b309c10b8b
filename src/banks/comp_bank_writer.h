// CompBankWriter: builds a compressed bank (root + ".cbk" and root + ".cin") that
// CompBank reads. Series are collected with their own start date and frequency and
// stored in the order they were added; each record takes the packed form when every
// value survives packing exactly, else the float form. The data file is laid out as
// header, records, then the table of record offsets.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "banks/series_record.h"
#include "dates/vex_date.h"

namespace tabrix {

class CompBankWriter {
 public:
  // Most series a bank holds (the readers use the low 16 bits of the count).
  static constexpr size_t kMaxSeries = 65535;

  // The title is cut to 80 characters.
  explicit CompBankWriter(std::string_view title = "");

  void setTitle(std::string_view title);  // replaces the title (cut to 80 characters)

  // Adds a series whose first value lies at `start`. 0, or -1 after printing why it
  // cannot be stored: an empty name or one holding a NUL, a name already added, a
  // start date outside 1925 .. 2099 or not valid, more than 3999 values, or a name
  // area or series count beyond the bank's limits.
  [[nodiscard]] int16_t addSeries(std::string_view name, const VexDate& start, std::span<const float> values);
  // Adds a series given from observation 0 at `base`, as a workspace bank holds it:
  // leading and trailing missing values are dropped, so the record starts at its
  // first value (see storedRange in banks/series_record.h). 0 or -1 as addSeries.
  [[nodiscard]] int16_t addSeriesFromBase(std::string_view name, const VexDate& base, std::span<const float> values);

  // Writes both files, replacing any that exist; 0, or -1 after printing msgbk 24
  // (a file that cannot be created) or the name of the file that could not be written.
  [[nodiscard]] int16_t write(const std::string& rootName) const;

  size_t seriesCount() const { return series_.size(); }  // series added so far

 private:
  std::string title_;                          // the bank's title
  SeriesRecordSet series_;                     // the series added, with their records
  size_t nameAreaBytes_ = 0;                   // bytes the names take with their NULs
};

}  // namespace tabrix

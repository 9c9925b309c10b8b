// HashBankWriter: builds a hashed bank (root + ".hbk" and root + ".hin") that HashBank
// reads. Series are collected with their own start date and frequency; each record
// takes the packed form when every value survives packing exactly, else the float
// form. Every name goes into the bucket HashBank::hashName gives, in the order the
// series were added.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "banks/series_record.h"
#include "dates/vex_date.h"

namespace tabrix {

class HashBankWriter {
 public:
  // The title is cut to 80 characters. bucketCount 0 lets the writer choose (the
  // smallest prime, at least 7, that gives about four names a bucket).
  explicit HashBankWriter(std::string_view title = "", uint16_t bucketCount = 0);

  void setTitle(std::string_view title);  // replaces the title (cut to 80 characters)

  // Adds a series whose first value lies at `start`. 0, or -1 after printing why it
  // cannot be stored: an empty name or one holding a NUL, a name already added, a
  // start date outside 1925 .. 2099 or not valid, more than 3999 values.
  [[nodiscard]] int16_t addSeries(std::string_view name, const VexDate& start, std::span<const float> values);
  // Adds a series given from observation 0 at `base`, as a workspace bank holds it:
  // leading and trailing missing values are dropped, so the record starts at its
  // first value (see storedRange in banks/series_record.h). 0 or -1 as addSeries.
  [[nodiscard]] int16_t addSeriesFromBase(std::string_view name, const VexDate& base, std::span<const float> values);

  // Writes both files, replacing any that exist; 0, or -1 after printing why: a bucket
  // whose names or name block exceed 65535, a data file beyond 2 GB, msgbk 24 (a file
  // that cannot be created) or the name of the file that could not be written.
  [[nodiscard]] int16_t write(const std::string& rootName) const;

  size_t seriesCount() const { return series_.size(); }  // series added so far
  // The number of buckets write() uses.
  uint16_t bucketCount() const;

 private:
  std::string title_;                          // the bank's title
  uint16_t requestedBuckets_ = 0;              // B asked for, 0 for the writer's choice
  SeriesRecordSet series_;                     // the series added, with their records
};

}  // namespace tabrix

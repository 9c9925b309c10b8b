// RecordBank: what the compressed and the hashed bank share. Both are read-only banks
// of series records (banks/series_record.h) in a data file with an index file beside
// it; both hand every series out over all MaxObs slots from period 1 of 1920 and keep
// the header and dates of the series last read. The kinds differ only in how a name
// leads to its record offset and in the layout of their headers and index files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "banks/data_bank.h"
#include "banks/series_record.h"
#include "platform/mapped_file.h"

namespace tabrix {

// Offers the first `limit` complete names of a name area (NUL-ended names, `size`
// bytes) to visit(name, ordinal) in order until it returns false. A last name
// without its NUL is not a name.
template <typename Visit>
void walkNameArea(const char* area, size_t size, size_t limit, Visit visit) {
  size_t position = 0;
  for (size_t ordinal = 0; ordinal < limit && position < size; ++ordinal) {
    const void* end = std::memchr(area + position, '\0', size - position);
    if (end == nullptr) return;
    const size_t length = static_cast<size_t>(static_cast<const char*>(end) - (area + position));
    if (!visit(std::string_view(area + position, length), ordinal)) return;
    position += length + 1;
  }
}

class RecordBank : public DataBank {
 public:
  // Fills all MaxObs slots (count is ignored); 0, or -1 when the name is not found
  // (no message) or the series cannot be read (message naming series and bank).
  [[nodiscard]] int16_t readSeries(std::string_view name, SeriesSpan values, int16_t count) final;
  // Reads like readSeries but writes only the slots that hold the series, 0 ..
  // seriesLength() - 1 (MissingValue before its first value, then its values); every
  // slot from there on stands for MissingValue and is left as it was. For callers that
  // work only over the observations in use.
  [[nodiscard]] int16_t readSeriesData(std::string_view name, SeriesSpan values);

  int16_t lastFrequency() const { return lastFrequency_; }      // of the series last read
  int16_t lastLength() const { return static_cast<int16_t>(lastLength_); }  // seriesLength
  int16_t lastStartPeriod() const { return lastStartPeriod_; }  // first period last read
  int16_t lastIndex() const { return lastCount_; }  // index of the last value read (q)
  const SeriesRecordHeader& lastHeader() const { return lastHeader_; }  // its first bytes

 protected:
  // Names the kind and both files: root plus each extension.
  RecordBank(std::string_view rootName, std::string_view kindName, char kind,
             std::string_view dataExtension, std::string_view indexExtension);

  // Settles the state once the files have been read: usable from period 1 of 1920 with
  // MaxObs observations, or failed with both files closed.
  void settleOpen(bool opened);
  // Prints the reason and msgbk 1 for a file refused at open; returns false.
  bool refuse(const std::string& fileName, std::string_view reason);
  // Takes the title from the first 80 bytes of a data-file header (up to its NUL).
  void takeTitle(const uint8_t* header);
  // The record offset of `name`: 0, or -1 when the bank is not open, the name is not
  // found (no message) or its index entry cannot be read (after a message).
  virtual int16_t locate(std::string_view name, int64_t& offset) = 0;
  // Reads the record of `name` at `offset` into `values` and remembers it; 0, or -1
  // (with a message naming series and data file when the record is malformed).
  int16_t readRecordAt(std::string_view name, int64_t offset, SeriesSpan values,
                       RecordFill fill = RecordFill::AllSlots);

  int64_t dataFileSize_ = 0;              // bytes in the data file (bounds checks)
  MappedFile dataMap_;                    // the data file mapped, when it could be
  SeriesRecordHeader lastHeader_;         // year, frequency and code bytes and n last read
  int16_t lastCount_ = 0;                 // index of the last value of the series last read
  int16_t lastFrequency_ = 1;             // frequency of the series last read
  int16_t lastStartPeriod_ = 1;           // first period of the series last read
};

}  // namespace tabrix

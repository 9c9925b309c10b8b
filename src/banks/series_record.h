// The series record shared by the compressed and the hashed bank: one series with its
// own start date and frequency, stored either as floats or packed as an integer base
// value with 16-bit differences. This module reads a record from a bank file, decodes
// it and hands it out aligned on the banks' fixed base date (period 1 of 1920) in an
// array of MaxObs observations; it also builds records for the bank writers.
//
// Record layout (little-endian):
//   0  1   start year byte (year rule of VexDate: below 25 -> 20xx, else 19xx)
//   1  1   high nibble frequency (1, 4, 12), low nibble first period
//   2  1   code: 255 float form; else high nibble shift s, low nibble decimals d
//   3  2   n, signed
//   5  4n  float form: n floats
//   5  4   packed form: base value v0 (signed 32-bit)
//   9  2n  packed form: n signed 16-bit differences; 32767 marks an observation of 0
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "banks/binary_io.h"
#include "dates/vex_date.h"
#include "platform/mapped_file.h"
#include "support/constants.h"

namespace tabrix {

// Bytes before the values: year, frequency/period, code and n.
constexpr int kRecordHeaderSize = 5;
// The code byte of the float form.
constexpr uint8_t kFloatFormCode = 255;
// The difference that marks an observation of 0 in the packed form.
constexpr int16_t kZeroMarker = 32767;
// Scratch capacity of a read: at most this many values (3998 packed differences).
constexpr int kMaxRecordValues = 3999;
// Bytes of the longest record a read takes: the header and 3999 floats.
constexpr size_t kMaxRecordBytes = kRecordHeaderSize + 4 * static_cast<size_t>(kMaxRecordValues);
// Bytes the first read of a record asks for (fewer at the end of the file): the
// header and the values of most records; a longer record takes one more read.
constexpr size_t kRecordReadAhead = 512;
// The largest usable shift: 2 to the 15 does not fit the 16-bit multiplier.
constexpr int kMaxShift = 14;
// Series are handed out aligned on period 1 of this year.
constexpr int kRecordBaseYear = 1920;
// Start years a year byte can name (25 .. 199 read as 1925 .. 2099).
constexpr int kFirstRecordYear = 1925;
constexpr int kLastRecordYear = 2099;

// The first five bytes of a record, as stored.
struct SeriesRecordHeader {
  uint8_t yearByte = 0;       // start year byte
  uint8_t frequencyByte = 0;  // frequency nibble and first-period nibble
  uint8_t codeByte = 0;       // 255 float form, else shift and decimals
  int16_t count = 0;          // n
};

// What a successful read tells the bank about the series.
struct SeriesReadResult {
  SeriesRecordHeader header;  // the record's first bytes
  int16_t lastIndex = 0;      // q: index of the series' last value (-1 when it has none)
  int16_t frequency = 1;      // the series' frequency
  int16_t startPeriod = 1;    // the series' first period
  int16_t length = 0;         // observations from observation 0 through the last value
};

// Parses the five header bytes (the caller guarantees they exist).
SeriesRecordHeader parseRecordHeader(const uint8_t* bytes);

// Size in bytes of the values that follow the header, or -1 for a negative n.
int64_t recordBodySize(const SeriesRecordHeader& header);

// The start date the header names, or false with a reason when the year byte or the
// frequency and period nibbles are not valid (the date messages are printed then).
bool recordStartDate(const SeriesRecordHeader& header, VexDate& start, std::string& reason);

// The packing scale: 1.0 multiplied `decimals` times by 0.1, rounded to single
// precision after each multiplication.
float packedScale(int decimals);
// One packed value: the integer times the scale, rounded to single precision.
float packedValue(int32_t integer, float scale);

// Decodes the values of a record from its body bytes (exactly recordBodySize bytes).
// False with a reason for a record the scratch arrays cannot hold, a shift of 15, or
// packed values that leave 32-bit integers.
bool decodeRecordValues(const SeriesRecordHeader& header, std::span<const uint8_t> body,
                        std::vector<float>& values, std::string& reason);

// Puts values whose first one lies at `start` into all MaxObs slots of `out`, aligned
// on period 1 of 1920 at the start's frequency, with MissingValue elsewhere; values
// before 1920 or beyond the last slot are dropped. Returns the observations from
// observation 0 through the last value, within 0 .. MaxObs.
int16_t alignOnBase(std::span<const float> values, const VexDate& start, float* out);
// The same, writing only the slots that hold the series: MissingValue before its first
// value, then its values, through the returned length; the slots from there on are
// left as they were.
int16_t alignOnBaseData(std::span<const float> values, const VexDate& start, float* out);

// Reads the record at `offset` of a bank file of `fileSize` bytes with positioned reads
// (one for most records, see kRecordReadAhead) and aligns it into `out` (MaxObs
// floats). Allocates nothing. 0 on success with `result` filled; -1 with a reason on
// a failing read or a malformed record.
int16_t readSeriesRecord(BinaryFile& file, int64_t offset, int64_t fileSize, float* out,
                         SeriesReadResult& result, std::string& reason);
// How much of `out` a record read writes.
enum class RecordFill { AllSlots, DataOnly };  // as alignOnBase, or as alignOnBaseData
int16_t readSeriesRecord(BinaryFile& file, int64_t offset, int64_t fileSize, float* out,
                         SeriesReadResult& result, std::string& reason, RecordFill fill);

// The same from the mapping of the file when it holds the record's header (bounds
// checked against the mapped length, no copy of the bytes); from the file with
// positioned reads when the file is not mapped or shrank while mapped.
int16_t readSeriesRecord(BinaryFile& file, const MappedFile& map, int64_t offset, int64_t fileSize, float* out,
                         SeriesReadResult& result, std::string& reason, RecordFill fill);

// Prints the refusal of a series that is stored but cannot be read.
void reportUnreadableSeries(std::string_view name, std::string_view bankFile,
                            std::string_view reason);

// The part of a series given from observation 0 at `base` (as a workspace bank holds
// it) that a record stores: leading and trailing missing values are dropped, `start`
// becomes the date of the first value kept and `kept` the values from there. A series
// without any value is kept empty at `base`, or at period 1 of 1925 when `base` lies
// before the first year a record can name.
void storedRange(std::span<const float> values, const VexDate& base, VexDate& start,
                 std::span<const float>& kept);

// Prints why a bank file is refused at open (the bank then prints msgbk 1 as well).
void reportDamagedBankFile(std::string_view fileName, std::string_view reason);

// Builds the record of a series whose first value lies at `start`: the packed form
// when every value comes back exactly (bit for bit) from packing, else the float
// form. False with a reason when the start date cannot be stored (frequency 1, 4 or
// 12, a valid period, years 1925 .. 2099) or there are more than 3999 values.
bool encodeSeriesRecord(const VexDate& start, std::span<const float> values,
                        std::vector<uint8_t>& out, std::string& reason);

// Reports a series a bank writer refuses: "\r\nSeries %s cannot be stored: %s.\r\n".
void reportUnstorableSeries(std::string_view name, std::string_view reason);
// Writes a whole bank file, replacing it; 0, or -1 after printing msgbk 24 (cannot be
// created) or "\r\nCannot write %s.\r\n".
[[nodiscard]] int16_t writeBankFile(const std::string& path, const std::vector<uint8_t>& bytes);

// The series a bank writer has collected: the names in the order added, each with
// its encoded record. The writers differ only in their limits and file layouts.
class SeriesRecordSet {
 public:
  // Whether a series of this name may join a set of at most `maxSeries`; false after
  // printing why not: an empty name or one holding a NUL, a name already added, or
  // the set full.
  bool admits(std::string_view name, size_t maxSeries) const;
  // Encodes the series whose first value lies at `start` and keeps it; false after
  // printing why it cannot be stored (see encodeSeriesRecord).
  bool add(std::string_view name, const VexDate& start, std::span<const float> values);

  size_t size() const { return names_.size(); }                        // series kept
  const std::vector<std::string>& names() const { return names_; }     // in the order added
  const std::vector<std::vector<uint8_t>>& records() const { return records_; }  // likewise

 private:
  std::vector<std::string> names_;             // series names, in the order added
  std::unordered_set<std::string> known_;      // the same names, for the duplicate test
  std::vector<std::vector<uint8_t>> records_;  // encoded record of each series
};

}  // namespace tabrix

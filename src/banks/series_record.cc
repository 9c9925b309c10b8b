#include "banks/series_record.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>

#include "platform/console.h"
#include "support/messages.h"

namespace tabrix {

namespace {

// The largest number of decimals the writer tries before falling back to floats.
constexpr int kMaxWriterDecimals = 15;

int frequencyNibble(uint8_t frequencyByte) { return frequencyByte >> 4; }
int periodNibble(uint8_t frequencyByte) { return frequencyByte & 0x0F; }
int shiftNibble(uint8_t codeByte) { return codeByte >> 4; }
int decimalsNibble(uint8_t codeByte) { return codeByte & 0x0F; }

bool sameBits(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

// The integers that reproduce `values` exactly at `decimals`, or false.
bool packAtDecimals(std::span<const float> values, int decimals, std::vector<int32_t>& integers,
                    std::vector<bool>& zeroMarked) {
  const float scale = packedScale(decimals);
  integers.assign(values.size(), 0);
  zeroMarked.assign(values.size(), false);
  for (size_t i = 0; i < values.size(); ++i) {
    const float v = values[i];
    if (i > 0 && sameBits(v, 0.0f)) {
      zeroMarked[i] = true;
      continue;
    }
    if (!std::isfinite(v)) return false;
    const double ratio = static_cast<double>(v) / static_cast<double>(scale);
    if (!(std::fabs(ratio) < 2147483647.0)) return false;
    const auto x = static_cast<int32_t>(std::llround(ratio));
    if (!sameBits(packedValue(x, scale), v)) return false;
    integers[i] = x;
  }
  return true;
}

// The smallest shift whose differences all fit 16 bits (the zero marker excluded), or -1.
int chooseShift(const std::vector<int32_t>& integers, const std::vector<bool>& zeroMarked) {
  for (int s = 0; s <= kMaxShift; ++s) {
    const int64_t multiplier = int64_t{1} << s;
    bool fits = true;
    int64_t running = integers[0];
    for (size_t i = 1; i < integers.size() && fits; ++i) {
      if (zeroMarked[i]) continue;
      const int64_t difference = int64_t{integers[i]} - running;
      running = integers[i];
      if (difference % multiplier != 0) {
        fits = false;
        break;
      }
      const int64_t stored = difference / multiplier;
      if (stored < std::numeric_limits<int16_t>::min() || stored >= kZeroMarker) fits = false;
    }
    if (fits) return s;
  }
  return -1;
}

}  // namespace

SeriesRecordHeader parseRecordHeader(const uint8_t* bytes) {
  SeriesRecordHeader header;
  header.yearByte = bytes[0];
  header.frequencyByte = bytes[1];
  header.codeByte = bytes[2];
  header.count = decodeI16(bytes + 3);
  return header;
}

int64_t recordBodySize(const SeriesRecordHeader& header) {
  if (header.count < 0) return -1;
  if (header.codeByte == kFloatFormCode) return int64_t{4} * header.count;
  return 4 + int64_t{2} * header.count;
}

namespace {

// The size of the values of the record at offset, checked against the file and the
// longest record: the size, or -1 with a reason.
int64_t checkedBodySize(const SeriesRecordHeader& header, int64_t offset, int64_t fileSize, std::string& reason) {
  const int64_t bodySize = recordBodySize(header);
  if (bodySize < 0) {
    reason = "negative number of values";
    return -1;
  }
  if (offset + kRecordHeaderSize + bodySize > fileSize) {
    reason = "record runs past the end of the file";
    return -1;
  }
  const int limit = header.codeByte == kFloatFormCode ? kMaxRecordValues : kMaxRecordValues - 1;
  if (header.count > limit) {
    reason = "more than 3999 values";
    return -1;
  }
  return bodySize;
}

}  // namespace

bool recordStartDate(const SeriesRecordHeader& header, VexDate& start, std::string& reason) {
  // The constructor prints the date message for a bad year, frequency or period and
  // then leaves the date unset (frequency 0).
  const VexDate date(header.yearByte, periodNibble(header.frequencyByte),
                     frequencyNibble(header.frequencyByte));
  if (date.frequency == 0) {
    reason = "invalid start date";
    return false;
  }
  start = date;
  return true;
}

float packedScale(int decimals) {
  float scale = 1.0f;
  for (int i = 0; i < decimals; ++i) scale = static_cast<float>(static_cast<double>(scale) * 0.1);
  return scale;
}

float packedValue(int32_t integer, float scale) {
  return static_cast<float>(static_cast<double>(integer) * static_cast<double>(scale));
}

namespace {

// Decodes the values of a record into values (room for kMaxRecordValues floats), as
// decodeRecordValues; the number of values, or -1 with a reason.
int decodeInto(const SeriesRecordHeader& header, std::span<const uint8_t> body, float* values,
               std::string& reason) {
  const int n = header.count;
  if (n < 0) {
    reason = "negative number of values";
    return -1;
  }
  if (header.codeByte == kFloatFormCode) {
    if (n > kMaxRecordValues) {
      reason = "more than 3999 values";
      return -1;
    }
    if (body.size() < static_cast<size_t>(4) * n) {
      reason = "record runs short";
      return -1;
    }
    for (int i = 0; i < n; ++i) values[i] = decodeF32(body.data() + 4 * i);
    return n;
  }

  if (n > kMaxRecordValues - 1) {
    reason = "more than 3999 values";
    return -1;
  }
  const int shift = shiftNibble(header.codeByte);
  if (shift > kMaxShift) {
    reason = "shift of 15";
    return -1;
  }
  if (body.size() < 4 + static_cast<size_t>(2) * n) {
    reason = "record runs short";
    return -1;
  }
  const auto multiplier = static_cast<int16_t>(1 << shift);
  const float scale = packedScale(decimalsNibble(header.codeByte));
  int32_t running = decodeI32(body.data());
  values[0] = packedValue(running, scale);
  for (int i = 1; i <= n; ++i) {
    const int16_t difference = decodeI16(body.data() + 4 + 2 * (i - 1));
    if (difference == kZeroMarker) {
      values[i] = 0.0f;
      continue;
    }
    const int64_t next = int64_t{running} + int64_t{difference} * multiplier;
    if (next < std::numeric_limits<int32_t>::min() || next > std::numeric_limits<int32_t>::max()) {
      reason = "packed values overflow";
      return -1;
    }
    running = static_cast<int32_t>(next);
    values[i] = packedValue(running, scale);
  }
  return n + 1;
}

}  // namespace

bool decodeRecordValues(const SeriesRecordHeader& header, std::span<const uint8_t> body,
                        std::vector<float>& values, std::string& reason) {
  std::array<float, kMaxRecordValues> decoded;
  const int count = decodeInto(header, body, decoded.data(), reason);
  if (count < 0) {
    values.clear();
    return false;
  }
  values.assign(decoded.begin(), decoded.begin() + count);
  return true;
}

namespace {

// Aligns as alignOnBase; with allSlots false it writes only the slots through the length.
int16_t alignInto(std::span<const float> values, const VexDate& start, float* out, bool allSlots) {
  const VexDate base(kRecordBaseYear, 1, start.frequency);
  const int k = periodsBetween(start, base);
  const int count = static_cast<int>(values.size());
  int length = (count - 1) + k + 1;
  if (length < 0) length = 0;
  if (length > MaxObs) length = MaxObs;
  // Slots before the first value; with allSlots every slot, the values then overwrite.
  const int missingTo = allSlots ? MaxObs : std::clamp(k, 0, length);
  for (int slot = 0; slot < missingTo; ++slot) out[slot] = MissingValue;
  for (int i = k < 0 ? -k : 0; i < count && i + k < MaxObs; ++i) out[i + k] = values[static_cast<size_t>(i)];
  return static_cast<int16_t>(length);
}

}  // namespace

int16_t alignOnBase(std::span<const float> values, const VexDate& start, float* out) {
  return alignInto(values, start, out, true);
}

int16_t alignOnBaseData(std::span<const float> values, const VexDate& start, float* out) {
  return alignInto(values, start, out, false);
}

int16_t readSeriesRecord(BinaryFile& file, int64_t offset, int64_t fileSize, float* out,
                         SeriesReadResult& result, std::string& reason) {
  return readSeriesRecord(file, offset, fileSize, out, result, reason, RecordFill::AllSlots);
}

int16_t readSeriesRecord(BinaryFile& file, int64_t offset, int64_t fileSize, float* out,
                         SeriesReadResult& result, std::string& reason, RecordFill fill) {
  reason.clear();
  if (offset < 0 || offset + kRecordHeaderSize > fileSize) {
    reason = "record offset outside the data file";
    return -1;
  }
  // The whole record lands here: one read of the header and the values that follow it
  // within kRecordReadAhead bytes, and one more read of the rest of a longer record.
  std::array<uint8_t, kMaxRecordBytes> bytes;
  const size_t ahead = static_cast<size_t>(std::min<int64_t>(kRecordReadAhead, fileSize - offset));
  const size_t got = file.readAt(offset, bytes.data(), ahead);
  if (got < static_cast<size_t>(kRecordHeaderSize)) {
    reason = "record cannot be read";
    return -1;
  }
  const SeriesRecordHeader header = parseRecordHeader(bytes.data());
  // Refuse over-long records before reading their bodies.
  const int64_t bodySize = checkedBodySize(header, offset, fileSize, reason);
  if (bodySize < 0) return -1;
  const size_t recordSize = kRecordHeaderSize + static_cast<size_t>(bodySize);
  if (got < recordSize &&
      file.readAt(offset + static_cast<int64_t>(got), bytes.data() + got, recordSize - got) != recordSize - got) {
    reason = "record runs short";
    return -1;
  }
  std::array<float, kMaxRecordValues> values;
  const int count = decodeInto(header, std::span<const uint8_t>(bytes.data() + kRecordHeaderSize, recordSize - kRecordHeaderSize),
                               values.data(), reason);
  if (count < 0) return -1;
  VexDate start;
  if (!recordStartDate(header, start, reason)) return -1;

  result.header = header;
  result.lastIndex = static_cast<int16_t>(count - 1);
  result.frequency = start.frequency;
  result.startPeriod = start.period;
  result.length = alignInto(std::span<const float>(values.data(), static_cast<size_t>(count)), start, out,
                            fill == RecordFill::AllSlots);
  return 0;
}

namespace {

// The values of a record whose header lies in the mapping, checked as the positioned
// read checks them; the count, or -1 with a reason.
int mappedValues(const MappedFile& map, int64_t offset, int64_t fileSize, const SeriesRecordHeader& header,
                 float* values, std::string& reason) {
  const int64_t bodySize = checkedBodySize(header, offset, fileSize, reason);
  if (bodySize < 0) return -1;
  const std::span<const uint8_t> body = map.bytes(offset + kRecordHeaderSize, static_cast<size_t>(bodySize));
  if (body.size() != static_cast<size_t>(bodySize)) {
    reason = "record runs short";
    return -1;
  }
  return decodeInto(header, body, values, reason);
}

}  // namespace

int16_t readSeriesRecord(BinaryFile& file, const MappedFile& map, int64_t offset, int64_t fileSize, float* out,
                         SeriesReadResult& result, std::string& reason, RecordFill fill) {
  reason.clear();
  if (offset < 0 || offset + kRecordHeaderSize > fileSize) {
    reason = "record offset outside the data file";
    return -1;
  }
  const std::span<const uint8_t> head = map.bytes(offset, kRecordHeaderSize);
  if (head.empty()) return readSeriesRecord(file, offset, fileSize, out, result, reason, fill);
  const SeriesRecordHeader header = parseRecordHeader(head.data());
  std::array<float, kMaxRecordValues> values;
  const int count = mappedValues(map, offset, fileSize, header, values.data(), reason);
  // A file that shrank under the mapping: what was read may be zeros; the positioned
  // read sees the file as it is now.
  if (!map.intact()) return readSeriesRecord(file, offset, fileSize, out, result, reason, fill);
  if (count < 0) return -1;
  VexDate start;
  if (!recordStartDate(header, start, reason)) return -1;

  result.header = header;
  result.lastIndex = static_cast<int16_t>(count - 1);
  result.frequency = start.frequency;
  result.startPeriod = start.period;
  result.length = alignInto(std::span<const float>(values.data(), static_cast<size_t>(count)), start, out,
                            fill == RecordFill::AllSlots);
  return 0;
}

void reportUnreadableSeries(std::string_view name, std::string_view bankFile,
                            std::string_view reason) {
  console().printf("\r\nSeries %.*s in %.*s cannot be read: %.*s.\r\n", static_cast<int>(name.size()),
                   name.data(), static_cast<int>(bankFile.size()), bankFile.data(),
                   static_cast<int>(reason.size()), reason.data());
}

void storedRange(std::span<const float> values, const VexDate& base, VexDate& start,
                 std::span<const float>& kept) {
  size_t first = 0;
  while (first < values.size() && isMissing(values[first])) ++first;
  size_t end = values.size();
  while (end > first && isMissing(values[end - 1])) --end;
  kept = values.subspan(first, end - first);
  start = base;
  if (kept.empty()) {
    if (base.year < kFirstRecordYear && base.frequency > 0) start = VexDate(kFirstRecordYear, 1, base.frequency);
    return;
  }
  if (base.frequency <= 0) return;  // the encoder refuses the date
  const long long periods = static_cast<long long>(base.period) - 1 + static_cast<long long>(first);
  start.year = static_cast<int16_t>(base.year + periods / base.frequency);
  start.period = static_cast<int16_t>(periods % base.frequency + 1);
}

void reportDamagedBankFile(std::string_view fileName, std::string_view reason) {
  console().printf("\r\n%.*s is damaged: %.*s.\r\n", static_cast<int>(fileName.size()),
                   fileName.data(), static_cast<int>(reason.size()), reason.data());
}

bool encodeSeriesRecord(const VexDate& start, std::span<const float> values,
                        std::vector<uint8_t>& out, std::string& reason) {
  out.clear();
  if (start.frequency != 1 && start.frequency != 4 && start.frequency != 12) {
    reason = "frequency must be 1, 4 or 12";
    return false;
  }
  if (start.period < 1 || start.period > start.frequency) {
    reason = "period outside the year";
    return false;
  }
  if (start.year < kFirstRecordYear || start.year > kLastRecordYear) {
    reason = "start year outside 1925 to 2099";
    return false;
  }
  if (values.size() > static_cast<size_t>(kMaxRecordValues)) {
    reason = "more than 3999 values";
    return false;
  }

  appendU8(out, static_cast<uint8_t>(start.year - 1900));
  appendU8(out, static_cast<uint8_t>((start.frequency << 4) | start.period));

  std::vector<int32_t> integers;
  std::vector<bool> zeroMarked;
  if (!values.empty()) {
    for (int d = 0; d <= kMaxWriterDecimals; ++d) {
      if (!packAtDecimals(values, d, integers, zeroMarked)) continue;
      const int s = chooseShift(integers, zeroMarked);
      if (s < 0) continue;
      appendU8(out, static_cast<uint8_t>((s << 4) | d));
      appendI16(out, static_cast<int16_t>(values.size() - 1));
      appendI32(out, integers[0]);
      int32_t running = integers[0];
      for (size_t i = 1; i < values.size(); ++i) {
        if (zeroMarked[i]) {
          appendI16(out, kZeroMarker);
          continue;
        }
        appendI16(out, static_cast<int16_t>((int64_t{integers[i]} - running) >> s));
        running = integers[i];
      }
      return true;
    }
  }

  appendU8(out, kFloatFormCode);
  appendI16(out, static_cast<int16_t>(values.size()));
  for (float v : values) appendF32(out, v);
  return true;
}

void reportUnstorableSeries(std::string_view name, std::string_view reason) {
  console().printf("\r\nSeries %.*s cannot be stored: %.*s.\r\n", static_cast<int>(name.size()),
                   name.data(), static_cast<int>(reason.size()), reason.data());
}

int16_t writeBankFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  BinaryFile file;
  if (!file.open(path, "wb")) {
    VexMessage messages;
    messages.print("msgbk", 24, path.c_str());
    return -1;
  }
  if (!file.writeBytes(bytes) || file.close() != 0) {
    console().printf("\r\nCannot write %s.\r\n", path.c_str());
    return -1;
  }
  return 0;
}

bool SeriesRecordSet::admits(std::string_view name, size_t maxSeries) const {
  if (name.empty() || name.find('\0') != std::string_view::npos) {
    reportUnstorableSeries(name, "a name must be non-empty text");
    return false;
  }
  if (known_.count(std::string(name)) != 0) {
    reportUnstorableSeries(name, "the name is already in the bank");
    return false;
  }
  if (names_.size() >= maxSeries) {
    reportUnstorableSeries(name, "the bank is full");
    return false;
  }
  return true;
}

bool SeriesRecordSet::add(std::string_view name, const VexDate& start, std::span<const float> values) {
  std::vector<uint8_t> record;
  std::string reason;
  if (!encodeSeriesRecord(start, values, record, reason)) {
    reportUnstorableSeries(name, reason);
    return false;
  }
  names_.emplace_back(name);
  known_.emplace(name);
  records_.push_back(std::move(record));
  return true;
}

}  // namespace tabrix

#include "banks/hash_bank_writer.h"

#include <algorithm>
#include <limits>

#include "banks/binary_io.h"
#include "banks/hash_bank.h"
#include "banks/series_record.h"
#include "platform/console.h"

namespace tabrix {

namespace {

bool isPrime(uint32_t n) {
  if (n < 2) return false;
  for (uint32_t d = 2; d * d <= n; ++d) {
    if (n % d == 0) return false;
  }
  return true;
}

}  // namespace

HashBankWriter::HashBankWriter(std::string_view title, uint16_t bucketCount)
    : requestedBuckets_(bucketCount) {
  setTitle(title);
}

void HashBankWriter::setTitle(std::string_view title) { title_.assign(title.substr(0, 80)); }

uint16_t HashBankWriter::bucketCount() const {
  if (requestedBuckets_ != 0) return requestedBuckets_;
  uint32_t b = std::max<uint32_t>(7, static_cast<uint32_t>(series_.size() / 4));
  while (b < 65521 && !isPrime(b)) ++b;
  return static_cast<uint16_t>(std::min<uint32_t>(b, 65521));
}

int16_t HashBankWriter::addSeries(std::string_view name, const VexDate& start,
                                  std::span<const float> values) {
  if (!series_.admits(name, static_cast<size_t>(std::numeric_limits<int32_t>::max()))) return -1;
  return series_.add(name, start, values) ? 0 : -1;
}

int16_t HashBankWriter::addSeriesFromBase(std::string_view name, const VexDate& base,
                                         std::span<const float> values) {
  VexDate start;
  std::span<const float> kept;
  storedRange(values, base, start, kept);
  return addSeries(name, start, kept);
}

int16_t HashBankWriter::write(const std::string& rootName) const {
  const std::string dataName = rootName + ".hbk";
  const std::string indexName = rootName + ".hin";

  const std::vector<std::string>& names = series_.names();
  std::vector<uint8_t> data;
  appendFixedText(data, title_, 80);
  appendI32(data, static_cast<int32_t>(series_.size()));
  std::vector<int32_t> offsets;
  for (const auto& record : series_.records()) {
    if (data.size() + record.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
      console().printf("\r\nCannot write %s: the data file would exceed 2 GB.\r\n", dataName.c_str());
      return -1;
    }
    offsets.push_back(static_cast<int32_t>(data.size()));
    data.insert(data.end(), record.begin(), record.end());
  }

  // Spread the series over the buckets, keeping the order they were added in.
  const uint16_t buckets = bucketCount();
  std::vector<std::vector<size_t>> members(buckets);
  for (size_t i = 0; i < names.size(); ++i) members[HashBank::hashOf(names[i]) % buckets].push_back(i);

  std::vector<uint8_t> index;
  appendI32(index, static_cast<int32_t>(series_.size()));
  appendU16(index, buckets);
  std::vector<size_t> nameBytes(buckets, 0);
  for (uint16_t b = 0; b < buckets; ++b) {
    for (size_t i : members[b]) nameBytes[b] += names[i].size() + 1;
    if (members[b].size() > 65535 || nameBytes[b] > 65535) {
      console().printf("\r\nCannot write %s: bucket %d holds too many names.\r\n", indexName.c_str(),
                       static_cast<int>(b));
      return -1;
    }
  }
  for (uint16_t b = 0; b < buckets; ++b) appendU16(index, static_cast<uint16_t>(members[b].size()));
  for (uint16_t b = 0; b < buckets; ++b) appendU16(index, static_cast<uint16_t>(nameBytes[b]));
  size_t blockOffset = index.size() + size_t{4} * buckets;
  for (uint16_t b = 0; b < buckets; ++b) {
    if (blockOffset > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
      console().printf("\r\nCannot write %s: the index file would exceed 2 GB.\r\n", indexName.c_str());
      return -1;
    }
    appendI32(index, static_cast<int32_t>(blockOffset));
    blockOffset += nameBytes[b] + 4 * members[b].size();
  }
  for (uint16_t b = 0; b < buckets; ++b) {
    for (size_t i : members[b]) {
      appendText(index, names[i]);
      appendU8(index, 0);
    }
    for (size_t i : members[b]) appendI32(index, offsets[i]);
  }

  if (writeBankFile(dataName, data) != 0) return -1;
  return writeBankFile(indexName, index);
}

}  // namespace tabrix

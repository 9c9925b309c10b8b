#include "banks/hash_bank.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "platform/console.h"

namespace tabrix {

HashBank::HashBank(std::string_view rootName)
    : RecordBank(rootName, "HashBank", 'h', ".hbk", ".hin") {
  const bool opened = open();
  settleOpen(opened);
  if (!opened) {
    bucketCount_ = 0;
    bucketEntries_.clear();
    bucketNameBytes_.clear();
    bucketOffsets_.clear();
    block_.clear();
    indexMap_.unmap();
  }
}

HashBank::~HashBank() = default;

bool HashBank::open() {
  uint8_t header[kHeaderSize];
  if (!dataFile_.open(dataFileName_, "rb", BinaryFile::Buffering::Unbuffered)) {
    printMessage(1, dataFileName_.c_str());
    return false;
  }
  const size_t got = dataFile_.read(header, sizeof header);
  if (got < 80) {
    printMessage(1, dataFileName_.c_str());
    return false;
  }
  if (got < sizeof header) return refuse(dataFileName_, "the header runs short");
  takeTitle(header);
  seriesCount_ = decodeU16(header + 80);
  dataFileSize_ = dataFile_.size();

  if (!indexFile_.open(indexFileName_, "rb", BinaryFile::Buffering::Unbuffered)) {
    printMessage(1, indexFileName_.c_str());
    return false;
  }
  const int64_t indexSize = indexFile_.size();
  uint8_t counts[kIndexHeaderSize];
  if (indexFile_.read(counts, sizeof counts) != sizeof counts) {
    return refuse(indexFileName_, "the file runs short");
  }
  const int32_t t = decodeI32(counts);
  bucketCount_ = decodeU16(counts + 4);
  if (bucketCount_ == 0) return refuse(indexFileName_, "it has no buckets");
  const size_t arrayBytes = size_t{8} * bucketCount_;
  std::vector<uint8_t> arrays;
  if (indexFile_.readBytes(arrays, arrayBytes) != arrayBytes) {
    return refuse(indexFileName_, "the bucket arrays run past the end of the file");
  }
  bucketEntries_.resize(bucketCount_);
  bucketNameBytes_.resize(bucketCount_);
  bucketOffsets_.resize(bucketCount_);
  for (size_t b = 0; b < bucketCount_; ++b) {
    bucketEntries_[b] = decodeU16(arrays.data() + 2 * b);
    bucketNameBytes_[b] = decodeU16(arrays.data() + 2 * (bucketCount_ + b));
    bucketOffsets_[b] = decodeI32(arrays.data() + 4 * (bucketCount_ + b));
  }
  // Every block must lie inside the index file, so that a lookup never reads short
  // (and the scratch block stays within the file's size).
  size_t largestBlock = 0;
  for (size_t b = 0; b < bucketCount_; ++b) {
    const size_t size = bucketNameBytes_[b] + size_t{4} * bucketEntries_[b];
    const int64_t end = int64_t{bucketOffsets_[b]} + static_cast<int64_t>(size);
    if (bucketOffsets_[b] < 0 || end > indexSize) {
      return refuse(indexFileName_, "a bucket block runs past the end of the file");
    }
    largestBlock = std::max(largestBlock, size);
  }
  block_.assign(largestBlock, 0);

  if (seriesCount_ != static_cast<uint32_t>(t)) {
    // The short count may only have lost the high bits: compare the full count.
    if (decodeI32(header + 80) != t) {
      console().write("Warning: .hin file does not match .hbk file.\n");
      console().write("Warning: # of series set to # in .hin file!\n");
      seriesCount_ = static_cast<uint16_t>(t);
    }
  }
  totalSeries_ = t;
  // Lookups walk their buckets in the mapping; without one, with positioned reads.
  static_cast<void>(indexMap_.map(fileno(indexFile_.handle())));
  return true;
}

uint16_t HashBank::hashOf(std::string_view name) {
  uint16_t h = 0;
  for (char c : name) h = static_cast<uint16_t>(31 * h + static_cast<signed char>(c));
  return h;
}

uint16_t HashBank::hashName(std::string_view name) const {
  return bucketCount_ == 0 ? 0 : static_cast<uint16_t>(hashOf(name) % bucketCount_);
}

bool HashBank::readBucket(uint16_t bucket) {
  const size_t size = blockSize(bucket);
  return indexFile_.readAt(bucketOffsets_[bucket], block_.data(), size) == size;
}

size_t HashBank::blockSize(uint16_t bucket) const {
  return bucketNameBytes_[bucket] + size_t{4} * bucketEntries_[bucket];
}

template <typename Visit>
void HashBank::walkBucket(uint16_t bucket, const uint8_t* block, Visit visit) const {
  const size_t nameBytes = bucketNameBytes_[bucket];
  walkNameArea(reinterpret_cast<const char*>(block), nameBytes, bucketEntries_[bucket],
               [&](std::string_view name, size_t j) {
                 return visit(name, decodeI32(block + nameBytes + 4 * j));
               });
}

int16_t HashBank::locate(std::string_view name, int64_t& offset) {
  if (!isOpen()) return -1;
  const uint16_t bucket = hashName(name);
  bool found = false;
  auto match = [&](std::string_view candidate, int32_t recordOffset) {
    if (candidate != name) return true;
    found = true;
    offset = recordOffset;
    return false;
  };
  if (indexMap_.isMapped()) {
    // Every block lies inside the file as it was at open, so the mapping holds it.
    const std::span<const uint8_t> block = indexMap_.bytes(bucketOffsets_[bucket], blockSize(bucket));
    if (block.size() == blockSize(bucket)) {
      walkBucket(bucket, block.data(), match);
      if (indexMap_.intact()) return found ? 0 : -1;
      found = false;
    }
  }
  if (!readBucket(bucket)) {
    reportUnreadableSeries(name, indexFileName_, "its bucket cannot be read");
    return -1;
  }
  walkBucket(bucket, block_.data(), match);
  return found ? 0 : -1;
}

int16_t HashBank::listNames(std::FILE* output, std::string_view pattern, int16_t wide) {
  NameLister lister(output, pattern, wide != 0 ? 5 : 1, messages_, seriesCount_ > 100);
  if (!isOpen()) return lister.result();
  for (uint16_t bucket = 0; bucket < bucketCount_ && !lister.stopped(); ++bucket) {
    if (!readBucket(bucket)) {
      reportDamagedBankFile(indexFileName_, "a bucket block cannot be read");
      break;
    }
    walkBucket(bucket, block_.data(), [&lister](std::string_view name, int32_t) { return lister.offer(name); });
  }
  return lister.result();
}

}  // namespace tabrix

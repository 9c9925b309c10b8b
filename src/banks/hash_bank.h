// HashBank: the read-only hashed bank, kind 'h', for banks with many series. The data
// file (root + ".hbk") holds an 80-byte title, the series count and the series records
// (banks/series_record.h); the index file (root + ".hin") spreads the names over B
// hash buckets. Only the bucket arrays stay in memory: a lookup walks the one block of
// its bucket (names and record offsets) anew in the index file's mapping; where the
// file cannot be mapped (or shrank under the mapping), with one positioned read of
// exactly its bytes into a scratch buffer sized at open for the largest block.
//
// Index file (little-endian): T (int32), B (uint16), B name counts (uint16), B name-
// block sizes (uint16), B block offsets (int32); each block holds the bucket's NUL-ended
// names followed by one int32 record offset per name.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "banks/record_bank.h"

namespace tabrix {

class HashBank : public RecordBank {
 public:
  // Bytes of the data file's header: title and series count.
  static constexpr int kHeaderSize = 84;
  // Bytes of the index file before the bucket arrays: T and B.
  static constexpr int kIndexHeaderSize = 6;

  // Opens root + ".hbk" and root + ".hin"; isOpen() tells whether it worked (the
  // failure has been printed).
  explicit HashBank(std::string_view rootName);
  ~HashBank() override;

  // Lists bucket by bucket, each bucket's names in block order; 1, or 0 when Escape
  // ended the listing.
  int16_t listNames(std::FILE* output, std::string_view pattern, int16_t wide) override;

  // The hash of a name: h = (31 h + c) modulo 65536 over its bytes c taken as signed.
  static uint16_t hashOf(std::string_view name);
  // The bucket of a name: its hash modulo B.
  uint16_t hashName(std::string_view name) const;

  int32_t totalSeries() const { return totalSeries_; }  // T from the index file
  uint16_t bucketCount() const { return bucketCount_; }  // B

 private:
  // Finds the name in its bucket; a bucket that cannot be read is reported.
  int16_t locate(std::string_view name, int64_t& offset) override;
  // Reads the headers and bucket arrays; false after printing why the bank cannot be used.
  bool open();
  // Reads bucket b's block (names, then record offsets) into block_ in one positioned
  // read; false when it fails.
  bool readBucket(uint16_t bucket);
  // Bytes of bucket b's block: its names and record offsets.
  size_t blockSize(uint16_t bucket) const;
  // Offers the names of bucket b's block (at `block`) in block order to
  // visit(name, recordOffset) until it returns false.
  template <typename Visit>
  void walkBucket(uint16_t bucket, const uint8_t* block, Visit visit) const;

  int32_t totalSeries_ = 0;               // T from the index file
  uint16_t bucketCount_ = 0;              // B
  std::vector<uint16_t> bucketEntries_;   // names per bucket
  std::vector<uint16_t> bucketNameBytes_;  // name-block size of each bucket
  std::vector<int32_t> bucketOffsets_;    // index-file offset of each bucket's block
  std::vector<uint8_t> block_;            // the block last read (room for the largest)
  MappedFile indexMap_;                   // the index file mapped, when it could be
};

}  // namespace tabrix

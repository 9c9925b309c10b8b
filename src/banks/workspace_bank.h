// VexBank: the workspace bank, kind 'w'. A data file (root + ".bnk": an 86-byte header,
// then one fixed-size record per series) and an index file (root + ".ind": the names).
// Opened read-only for an alternative, or created with the mode "New" as a scratch
// bank that the program writes. The only kind the system also writes.
//
// Data file, little-endian:
//   0   u16  base year (below 1900 read as 1900 + value)
//   2   u16  first month covered (startPeriod)
//   4   u16  observations per series, M (at most MaxObs)
//   6   80   title, NUL-padded (79 characters written at most)
//   86 + i*(4M+1): series i: frequency byte (signed), then M floats
// Index file:
//   0   u16  N, the number of series
//   2   N+1 u16 name offsets (entry 0 is 0; entry N is just past the last name)
//   then offset N + 1 bytes of names, each ended by NUL, plus one more byte (0)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "banks/data_bank.h"
#include "banks/name_index.h"
#include "platform/mapped_file.h"

namespace tabrix {

class VexBank : public DataBank {
 public:
  static constexpr int HeaderSize = 86;          // bytes before series record 0
  static constexpr int TitleBytes = 80;          // title field of the header
  static constexpr int MaxNewSeries = 3000;      // series a created bank holds
  static constexpr int NameAreaCapacity = 30000;  // name bytes a created bank holds
  static constexpr int FullNameOffset = 29981;   // name offset N from which it is full

  // Opens root + ".bnk" and root + ".ind" for reading. On failure prints the
  // catalogue message and the bank is not open (kind 'x').
  explicit VexBank(std::string_view rootName);
  // Creates (truncating) both files for update; mode must be "New". The header gets
  // an empty title. observations must lie in 0..MaxObs.
  VexBank(std::string_view rootName, std::string_view mode, uint16_t baseYear,
          uint16_t observations, uint16_t startPeriod);
  // A created bank writes its index first.
  ~VexBank() override;

  // The first index position holding exactly this name, or -1. Constant time: a flat
  // hash index beside the name area keeps each name's first position.
  int16_t findSeries(std::string_view name) const;

  // Reads count observations (-1: all M; more than M reads M) into values; the first
  // count slots are cleared first, so a short read leaves zeros and slots from count
  // on stay untouched. 0, or -1 when not found (no message) or not readable.
  [[nodiscard]] int16_t readSeries(std::string_view name, SeriesSpan values, int16_t count) override;

  // Stores a series with the frequency set by setFrequency(): overwrites the record of
  // an existing name, or appends a new name. flush 'y' rewrites the index afterwards.
  // count as for readSeries. Returns the position, or -1 when it failed (a new name
  // is taken back) or when the bank is full after this store (the series stays).
  [[nodiscard]] int16_t writeSeries(std::string_view name, ConstSeriesSpan values, char flush,
                      int16_t count);

  // Writes N, the N + 1 offsets and offset N + 1 name bytes at the start of the index
  // file (not truncated). 0 or -1.
  [[nodiscard]] int16_t writeIndex();

  // Replaces the title and rewrites the header; nullptr when the header write fails.
  const char* setTitle(std::string_view text) override;

  // Names in index order.
  int16_t listNames(std::FILE* output, std::string_view pattern, int16_t wide) override;

  // The name at index position i (0 <= i < seriesCount()).
  std::string_view nameAt(int i) const;
  char accessMode() const { return accessMode_; }      // 'r' opened, 'w' created
  uint16_t nameAreaSize() const { return nameAreaSize_; }  // name bytes read or written
  int8_t lastFrequencyByte() const { return lastFrequencyByte_; }

 private:
  // The name at a position, for the name index.
  auto nameOf() const {
    return [this](int i) { return nameAt(i); };
  }

  bool readHeader();
  bool readIndex();
  // Fails the bank: prints the damaged-index message and frees what was read.
  void refuseIndex();
  int64_t recordOffset(int i) const;
  // Undoes the append of the name at position N - 1.
  void takeBackName(std::string_view name);

  uint16_t nameAreaSize_ = 0;          // bytes of the name area read or written
  std::vector<char> nameArea_;         // the names, each ended by NUL
  std::vector<uint16_t> nameOffsets_;  // N + 1 offsets into nameArea_
  char accessMode_ = 'r';              // 'r' opened for reading, 'w' created
  int8_t lastFrequencyByte_ = 0;       // frequency byte of the series last read
  FlatNameIndex nameIndex_;            // name -> first position holding it
  MappedFile dataMap_;                 // the data file of a bank opened for reading, mapped
};

}  // namespace tabrix

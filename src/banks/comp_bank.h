// CompBank: the read-only compressed bank, kind 'c'. The data file (root + ".cbk")
// holds an 88-byte header (80-byte title, series count, offset of the record-offset
// table), the series records and the table; the name file (root + ".cin") holds the
// count, the size Z of the name area and the NUL-ended names in table order. Each
// series keeps its own start date and frequency and is handed out aligned on period
// 1 of 1920 (see banks/series_record.h).
//
// Names are found through a flat hash index built at open over the first seriesCount
// names of the name area; a name that occurs twice finds its first occurrence.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "banks/name_index.h"
#include "banks/record_bank.h"

namespace tabrix {

class CompBank : public RecordBank {
 public:
  // Size of the data file's header: title, count and table offset.
  static constexpr int kHeaderSize = 88;
  // Largest name area the name file may declare.
  static constexpr int32_t kMaxNameAreaBytes = 32767;

  // Opens root + ".cbk" and root + ".cin"; isOpen() tells whether it worked (the
  // failure has been printed).
  explicit CompBank(std::string_view rootName);
  // Prints "CompBank destructor called.  Freeing up memory.\n" and closes both files.
  ~CompBank() override;

  // Lists the names in name-area order; 1, or 0 when Escape ended the listing.
  int16_t listNames(std::FILE* output, std::string_view pattern, int16_t wide) override;

  // The name's ordinal in the table, or -1 (first match among seriesCount names).
  int findName(std::string_view name) const;

 private:
  // The record offset of the name's first occurrence.
  int16_t locate(std::string_view name, int64_t& offset) override;
  // Reads the files; false after printing why the bank cannot be used.
  bool open();

  uint16_t nameAreaBytes_ = 0;            // size of the name area
  std::vector<char> nameArea_;            // the names, NUL-ended
  std::vector<int32_t> seriesOffsets_;    // record offset of each series
  int32_t tableOffset_ = 0;               // offset of the table, as read
  std::vector<std::string_view> names_;   // name of each ordinal found, in the name area
  FlatNameIndex nameIndex_;               // name -> first ordinal
};

}  // namespace tabrix

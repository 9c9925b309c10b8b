// Dirfor: the read-only dirfor bank, kind 'd': the output of a multisectoral model as
// fixed-length records of annual values. Four files make one bank:
//
//   - the description file (dirfor.dat by default), text, says how the records are laid
//     out: blocks t = 1 .. 12 of sector variables (names(t) variable stems times
//     sectors(t) sectors each) and block 6, the macro block, whose names come from
//   - the macro-names file (binary): a 16-bit count M at offset 0 and M names of 8
//     bytes at 4 + 8i; when the count is negative or above 750, the count is at offset
//     5 and the names at 9 + 8i. A name ends at its first blank;
//   - the data file (".dfr"): records of R floats, record r at 4 R r. Record 1 is the
//     header (first forecast year at 0, F forecast values at 4, a 40-character title at
//     56); record 0 is not read;
//   - the history file (".dhs", optional): the same record numbers with H floats each,
//     the last one in the first forecast year. History is spliced in front of the
//     forecast, scaled to meet it.
//
// Series are a macro name, or a stem followed by its sector number ("out12" is sector 12
// of out; "out" is sector 1). Stored names are lower case, so names with capitals are
// never found. All files are opened for reading only.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "banks/data_bank.h"

namespace tabrix {

// What a description file says.
struct DirforLayout {
  static constexpr int MaxBlocks = 12;      // blocks t = 1 .. 12
  static constexpr int MacroBlock = 6;      // the block of macro variables
  static constexpr int MaxStems = 175;      // stems in one block of sector variables
  static constexpr size_t MaxStemLength = 20;  // characters in a stem
  static constexpr int MaxLineLength = 238;    // characters in a line of the file
  static constexpr int MaxRecordLength = 999;  // R and H are three-digit fields

  int recordLength = 0;             // R, floats per data record
  int historyLength = 0;            // H, floats per history record
  std::string historyFileName;      // as written in the file
  int blockCount = 0;               // NB
  std::array<int, MaxBlocks> blockSectors{};  // sectors(t), t - 1 indexing
  std::array<int, MaxBlocks> blockNames{};    // names(t)
  std::array<std::vector<std::string>, MaxBlocks> variableNames;  // stems, lower case
  std::string macroFileName;        // as written in the file (block 6)
};

// Reads a description file. 0, or -1 after a message: "Problem in DIRFOR.DAT file!
// Line is:\n" and the line for a running number out of order, otherwise "\r\n%s is
// damaged: %s.\r\n" naming the file, the line and what is wrong.
[[nodiscard]] int16_t readDirforLayout(std::FILE* file, const std::string& fileName,
                                       DirforLayout& layout);

// The macro names of a macro-names file's first bytes (at most MacroFileBytes of them
// are needed). 0 with names (lower case) and format (0: names at 4 + 8i; 1: at 9 + 8i),
// or -1 after "Cannot read macronames on %s.\n" (both counts out of range) or "Error
// reading %s.\n" (the file too short for its names).
[[nodiscard]] int16_t parseMacroNames(std::span<const uint8_t> bytes, const std::string& fileName,
                                      std::vector<std::string>& names, int16_t& format);

class Dirfor : public DataBank {
 public:
  static constexpr int MaxMacros = 750;          // names a macro-names file holds
  static constexpr int MacroNameBytes = 8;       // bytes of one macro name
  static constexpr size_t MacroFileBytes = 9 + 8 * MaxMacros;  // enough for either form
  static constexpr int HeaderBytes = 100;        // bytes of record 1 that are read
  static constexpr int TitleOffset = 56;         // of the title in record 1
  static constexpr int TitleBytes = 40;

  // Opens a bank: dataFileName is the data file (".dfr" is appended when the file
  // name part has no '.' and the name alone cannot be opened); descriptionFileName the
  // description file. isOpen() tells whether it worked (the failure has been printed).
  // A macro-names file that cannot be opened ends the process with status 1.
  Dirfor(std::string_view dataFileName, std::string_view descriptionFileName);
  ~Dirfor() override;

  // Year of observation 0: historyStart() with history, else startYear().
  uint16_t baseYear() const override;
  // Fills observations() slots (count is ignored). 0; -2 when the name is neither a
  // macro nor a known stem (no message); -1 when the series cannot be read (a message
  // naming series and file, or the read error's own message).
  int16_t readSeries(std::string_view name, SeriesSpan values, int16_t count) override;
  // The sector variables stem by stem, each with its sectors 1 .. sectors(t), block by
  // block; then the macro names, 5 per line with a page every 120 names.
  int16_t listNames(std::FILE* output, std::string_view pattern, int16_t wide) override;

  // Offers every series name in listing order to visit(name, isMacro) until it
  // returns false.
  void forEachName(const std::function<bool(std::string_view, bool)>& visit) const;
  // The index of a macro name, or -1 (exact match).
  int findMacro(std::string_view name) const;

  int16_t forecastLength() const { return forecastLength_; }  // F
  int16_t recordLength() const { return recordLength_; }      // R
  int16_t historyLength() const { return historyLength_; }    // H
  int16_t historyStart() const { return historyStart_; }      // first history year
  bool hasHistory() const { return hasHistory_ == 1; }        // the history file is open
  int16_t blockCount() const { return blockCount_; }          // NB
  bool loaded() const { return loaded_ == 1; }                // description read whole
  int16_t macroFormat() const { return macroFormat_; }        // 0 or 1
  int16_t macroCount() const { return macroCount_; }          // M
  const std::string& macroName(int m) const { return macroNames_[static_cast<size_t>(m)]; }
  // Block t (1 .. 12; 0 outside): its sectors, its number of names, its stems.
  int blockSectors(int t) const { return inBlocks(t) ? blockSectors_[static_cast<size_t>(t - 1)] : 0; }
  int blockNames(int t) const { return inBlocks(t) ? blockNames_[static_cast<size_t>(t - 1)] : 0; }
  // s(t) for t = 1 .. 13: the record before the block's first series record (0 outside).
  int64_t blockStart(int t) const {
    return t >= 1 && t <= DirforLayout::MaxBlocks + 1 ? blockStart_[static_cast<size_t>(t - 1)] : 0;
  }
  std::vector<std::string> variableNames(int t) const {
    return inBlocks(t) ? variableNames_[static_cast<size_t>(t - 1)] : std::vector<std::string>{};
  }
  const std::string& descriptionFileName() const { return descriptionFileName_; }
  const std::string& historyFileName() const { return historyFileName_; }
  const std::string& macroFileName() const { return macroFileName_; }

 private:
  static bool inBlocks(int t) { return t >= 1 && t <= DirforLayout::MaxBlocks; }
  // The steps of opening; each false after its message.
  bool readDescription(DirforLayout& layout);
  void openHistory(const DirforLayout& layout);
  bool readMacroNames(const DirforLayout& layout);
  bool openData(std::string_view dataFileName);
  bool readHeader();
  void settle(const DirforLayout& layout);

  // Reads `count` floats of record `record` of `file` (R or H floats a record) into
  // out. 0; -1 when the record lies beyond the file (message naming the series);
  // -2 when the seek or the read fails (the caller prints the kind's message).
  int readRecord(BinaryFile& file, int64_t fileSize, int64_t record, int count,
                 std::string_view name, const std::string& fileName, float* out);
  // Splices the history record in front of the forecast in values; 0 or -1.
  int16_t spliceHistory(std::string_view name, int64_t record, bool macro, SeriesSpan values);

  std::string descriptionFileName_;  // as given
  std::string historyFileName_;      // the history file opened (or tried)
  std::string macroFileName_;        // the macro-names file
  BinaryFile historyFile_;           // ".dhs", when hasHistory
  int64_t dataFileSize_ = 0;         // bytes of the data file
  int64_t historyFileSize_ = 0;      // bytes of the history file
  int16_t forecastLength_ = 0;       // F
  int16_t recordLength_ = 0;         // R
  int16_t historyLength_ = 0;        // H
  int16_t historyStart_ = 0;         // first forecast year - H + 1
  int16_t hasHistory_ = 0;           // 1 when the history file is open
  int16_t blockCount_ = 0;           // NB
  int16_t loaded_ = 0;               // 1 when the description was read completely
  int16_t macroFormat_ = 0;          // 0 names at 4 + 8i, 1 at 9 + 8i
  std::array<int, DirforLayout::MaxBlocks> blockSectors_{};    // sectors(t)
  std::array<int, DirforLayout::MaxBlocks> blockNames_{};      // names(t)
  std::array<int64_t, DirforLayout::MaxBlocks + 1> blockStart_{};  // s(t)
  int16_t macroCount_ = 0;           // M
  std::vector<std::string> macroNames_;  // lower case
  std::array<std::vector<std::string>, DirforLayout::MaxBlocks> variableNames_;  // stems
};

}  // namespace tabrix

// DataBank: the abstract data bank every alternative reads its series from. The five
// kinds (VexBank 'w', CompBank 'c', HashBank 'h', Dirfor 'd', VamFile 'v') derive from
// it. A bank is constructed once, reports through isOpen() whether it is usable, hands
// out series by name as arrays of MaxObs 32-bit floats, and is destroyed at the end of
// the run. Failing operations print their own catalogue message (module "msgbk") on
// the console and return a negative status; no exception leaves a bank.
//
// For writers of a new kind:
//   - call the matching base constructor (see below), then set in your constructor
//     kindName_, dataFileName_, indexFileName_ (if any), title_, startYear_,
//     seriesCount_, observations_, startPeriod_, and always openState_ and kind_;
//   - override readSeries and listNames (pure), and baseYear / printInfo / setTitle
//     only where the kind differs from the base behaviour described here;
//   - list names through NameLister so every kind pages and matches alike;
//   - print catalogue messages with printMessage(number, ...);
//   - read files through BinaryFile (banks/binary_io.h); dataFile_ and indexFile_ are
//     closed by their own destructors, so a destructor need only do kind-specific work.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "banks/binary_io.h"
#include "support/constants.h"
#include "support/messages.h"

namespace tabrix {

// The array every series travels in: MaxObs floats, observation 0 first. Binds to
// std::array<float, MaxObs> and float[MaxObs]; from a pointer, spell the extent:
// SeriesSpan(pointer, MaxObs).
using SeriesSpan = std::span<float, MaxObs>;
using ConstSeriesSpan = std::span<const float, MaxObs>;

// Longest title a bank keeps (longer texts are cut).
constexpr size_t MaxTitleLength = 80;

class DataBank {
 public:
  DataBank(const DataBank&) = delete;
  DataBank& operator=(const DataBank&) = delete;

  // ---- Virtual operations, in slot order ----

  // Slot 0. The base does nothing; each kind frees its names and closes its files.
  virtual ~DataBank();

  // Slot 1. Year of observation 0: returns startYear_ (Dirfor: its history start).
  virtual uint16_t baseYear() const;

  // Slot 2. Reads series `name` (matched exactly, byte for byte, case-sensitive) into
  // values. count: observations wanted, -1 meaning observations(); only the workspace
  // kind honours it, the others fill their own length. Returns 0 when found and read
  // (frequency() is then the series' frequency), negative when not found or not
  // readable (not found: no message; read errors: the kind's own message). On failure
  // the array's contents are undefined.
  [[nodiscard]] virtual int16_t readSeries(std::string_view name, SeriesSpan values,
                                           int16_t count) = 0;

  // Slot 3. Prints the names matching pattern (wildcardMatch; an invalid pattern
  // matches everything), 5 per line when wide is non-zero, else 1. output == stdout or
  // nullptr means the console (with paging); otherwise the names go to the file.
  // Returns 1 when the listing ran to its end, 0 when Escape ended it at a page prompt.
  virtual int16_t listNames(std::FILE* output, std::string_view pattern, int16_t wide) = 0;

  // Slot 4. Prints the bank's description: msgbk 19, 3 (title), the base-year line of
  // the kind (4 for 'w' with startYear_ and startPeriod_; 66 for 'd' and 'v' with
  // startYear_; none for 'c' and 'h'), 5 (observations_), 6 (seriesCount_), and when
  // bankNumber is non-zero 65 with the letter 'a' + bankNumber. Returns 0.
  virtual int16_t printInfo(int16_t bankNumber);

  // Slot 5. Replaces the title by a copy of text (cut to MaxTitleLength) and returns
  // it; nullptr on failure (the workspace kind also rewrites its file header).
  virtual const char* setTitle(std::string_view text);

  // ---- Accessors ----

  bool isOpen() const { return openState_ == 1; }          // usable
  int16_t openState() const { return openState_; }         // 1 usable, -1 failed
  char kind() const { return kind_; }                      // 'w','c','h','d','v'; 'x'
  const std::string& title() const { return title_; }      // at most 80 characters
  const std::string& kindName() const { return kindName_; }          // "VexBank", ...
  const std::string& dataFileName() const { return dataFileName_; }  // root + ext
  const std::string& indexFileName() const { return indexFileName_; }  // or ""
  uint16_t startYear() const { return startYear_; }        // year of observation 0
  uint16_t seriesCount() const { return seriesCount_; }    // series held
  // Frequency (1, 4, 12) of the series last read; a writer sets it before a store.
  int16_t frequency() const { return frequency_; }
  void setFrequency(int16_t frequency) { frequency_ = frequency; }
  uint16_t observations() const { return observations_; }  // observations per series
  uint16_t startPeriod() const { return startPeriod_; }    // period of observation 0
  // Compressed and hashed kinds: observations from 0 through the last value of the
  // series last read. Other kinds leave it 0 (callers use observations() for them).
  uint16_t seriesLength() const { return lastLength_; }

 protected:
  // The workspace kind's constructor: creates the message handle; seriesCount_ 0.
  DataBank();
  // Every other kind's: observations_ 1999, seriesCount_ 0, frequency_ 1,
  // startYear_ 1965 (the root name is the kind's business; it is not stored here).
  explicit DataBank(std::string_view rootName);

  // Prints catalogue entry msgbk `number` as a printf format with the arguments;
  // prints nothing when the catalogue has no such entry.
  void printMessage(int number, ...) const;

  std::string kindName_;       // name of the kind: "VexBank", "CompBank", ...
  std::string dataFileName_;   // full name of the data file (root plus extension)
  std::string indexFileName_;  // full name of the index file, where the kind has one
  std::string title_;          // the bank's title, at most MaxTitleLength characters
  char kind_ = 'x';            // 'w','c','h','d','v'; 'x' when the data file failed
  int16_t openState_ = -1;     // 1 usable, -1 opening failed
  BinaryFile dataFile_;        // the open data file
  BinaryFile indexFile_;       // the open index file (workspace, compressed, hashed)
  uint16_t startYear_ = 0;     // year of observation 0
  uint16_t seriesCount_ = 0;   // number of series the bank holds
  int16_t frequency_ = 0;      // frequency of the series last read (1, 4, 12)
  uint16_t observations_ = 0;  // observations per series
  uint16_t startPeriod_ = 0;   // period of observation 0 ("first month covered")
  uint16_t lastLength_ = 0;    // seriesLength() of the compressed and hashed kinds
  VexMessage messages_;        // handle on the message catalogue (module "msgbk")
};

// The name-listing rule shared by every kind: offer each name in the kind's order and
// the lister prints those that match. Per line: namesPerLine names, each "%-15s";
// lines end "\r\n" on the console and "\n" in a file. On the console only, before the
// name that starts a new page (every namesPerPage names printed) it prints "\r",
// msglsc 11 "=== more ====" and waits for a key from keySource(): Escape ends the
// listing, any other key clears the screen and goes on. Nothing follows the last name
// (no line end).
class NameLister {
 public:
  // output as for DataBank::listNames. namesPerPage 0 means 24 lines' worth. With
  // clearFirst (the kinds pass seriesCount > 100) the console is cleared first.
  NameLister(std::FILE* output, std::string_view pattern, int namesPerLine,
             const VexMessage& messages, bool clearFirst, int namesPerPage = 0);

  // Offers one name; prints it when it matches. Returns false once the listing has
  // been ended by Escape (then stop offering).
  bool offer(std::string_view name);

  bool stopped() const { return stopped_; }  // Escape ended the listing
  int printed() const { return printed_; }   // names printed so far
  // 1 when the listing ran to its end, 0 when Escape ended it (listNames' result).
  int16_t result() const { return stopped_ ? 0 : 1; }

 private:
  bool toConsole_;
  std::FILE* output_;
  std::string pattern_;
  int namesPerLine_;
  int namesPerPage_;
  const VexMessage& messages_;
  int printed_ = 0;
  bool stopped_ = false;
};

}  // namespace tabrix

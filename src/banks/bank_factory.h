// The bank factory: turns a kind letter and a root name from the response dialogue
// into a bank. Every kind is one row of the kinds table (bank_factory.cc); a kind
// whose class is not built yet answers a bank that reports itself not open, so the
// run driver treats it like any bank that failed to open.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "banks/data_bank.h"

namespace tabrix {

// The description file a dirfor bank uses when the dialogue names none.
constexpr std::string_view DefaultDirforDescription = "dirfor.dat";

// Constructs a bank of one kind from its root name (and, for dirfor banks, the
// description file name; other kinds ignore it).
using BankOpener = std::unique_ptr<DataBank> (*)(std::string_view rootName,
                                                 std::string_view descriptionFile);

// One row of the kinds table.
struct BankKind {
  char letter;                 // the response script's letter: 'w', 'c', 'h', 'd', 'v'
  std::string_view name;       // what users call it: "workspace", "compressed", ...
  std::string_view extension;  // extension of the data file, with its dot
  BankOpener open;             // nullptr while the kind is not available
};

// Every kind, in the order of the dialogue's prompt.
std::span<const BankKind> bankKinds();

// The row of a letter (case-sensitive), or nullptr for an unknown letter.
const BankKind* findBankKind(char letter);

// Constructs the bank of kind `letter` over rootName (no extension). An available
// kind answers its own bank (open or not, as its constructor decided); an unavailable
// kind answers an UnavailableBank; an unknown letter answers nullptr.
std::unique_ptr<DataBank> openBank(char letter, std::string_view rootName,
                                   std::string_view descriptionFile = DefaultDirforDescription);

// The bank of a kind that cannot be read yet: never open, holds nothing.
class UnavailableBank : public DataBank {
 public:
  // kind() is the letter asked for; dataFileName() the root plus the kind's extension.
  UnavailableBank(const BankKind& kind, std::string_view rootName);
  [[nodiscard]] int16_t readSeries(std::string_view name, SeriesSpan values, int16_t count) override;
  int16_t listNames(std::FILE* output, std::string_view pattern, int16_t wide) override;
};

}  // namespace tabrix

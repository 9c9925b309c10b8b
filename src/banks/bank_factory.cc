#include "banks/bank_factory.h"

#include <array>
#include <string>

#include "banks/comp_bank.h"
#include "banks/dirfor_bank.h"
#include "banks/hash_bank.h"
#include "banks/vam_file.h"
#include "banks/workspace_bank.h"

namespace tabrix {

namespace {

std::unique_ptr<DataBank> openWorkspace(std::string_view rootName, std::string_view) {
  return std::make_unique<VexBank>(rootName);
}

std::unique_ptr<DataBank> openCompressed(std::string_view rootName, std::string_view) {
  return std::make_unique<CompBank>(rootName);
}

std::unique_ptr<DataBank> openHashed(std::string_view rootName, std::string_view) {
  return std::make_unique<HashBank>(rootName);
}

// The data file is the root name itself when it names one, else root + ".dfr".
std::unique_ptr<DataBank> openDirfor(std::string_view rootName, std::string_view descriptionFile) {
  return std::make_unique<Dirfor>(rootName, descriptionFile);
}

std::unique_ptr<DataBank> openVam(std::string_view rootName, std::string_view) {
  return std::make_unique<VamFile>(rootName);
}

// A kind becomes available by naming its opener here.
constexpr std::array<BankKind, 5> kKinds{{
    {'w', "workspace", ".bnk", &openWorkspace},
    {'c', "compressed", ".cbk", &openCompressed},
    {'h', "hashed", ".hbk", &openHashed},
    {'d', "dirfor", ".dfr", &openDirfor},
    {'v', "vam", ".vam", &openVam},
}};

}  // namespace

std::span<const BankKind> bankKinds() { return kKinds; }

const BankKind* findBankKind(char letter) {
  for (const BankKind& kind : kKinds) {
    if (kind.letter == letter) return &kind;
  }
  return nullptr;
}

std::unique_ptr<DataBank> openBank(char letter, std::string_view rootName,
                                   std::string_view descriptionFile) {
  const BankKind* kind = findBankKind(letter);
  if (kind == nullptr) return nullptr;
  if (kind->open == nullptr) return std::make_unique<UnavailableBank>(*kind, rootName);
  return kind->open(rootName, descriptionFile);
}

UnavailableBank::UnavailableBank(const BankKind& kind, std::string_view rootName)
    : DataBank(rootName) {
  dataFileName_ = std::string(rootName) + std::string(kind.extension);
  kind_ = kind.letter;
  openState_ = -1;
}

int16_t UnavailableBank::readSeries(std::string_view, SeriesSpan, int16_t) { return -1; }

int16_t UnavailableBank::listNames(std::FILE*, std::string_view, int16_t) { return 1; }

}  // namespace tabrix

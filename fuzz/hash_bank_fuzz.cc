// A hashed bank's files (.hbk and .hin) from any bytes; see bank_target.h for the
// input's layout.
#include "bank_target.h"
#include "banks/hash_bank.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tabrix;
  fuzz::runBankInput(data, size, 'h', ".hbk", ".hin",
                     [](DataBank& bank, const std::vector<std::string>& names) {
                       auto& hashed = static_cast<HashBank&>(bank);
                       for (const std::string& name : names) hashed.hashName(name);
                     });
  return 0;
}

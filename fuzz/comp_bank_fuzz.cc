// A compressed bank's files (.cbk and .cin) from any bytes; see bank_target.h for the
// input's layout.
#include "bank_target.h"
#include "banks/comp_bank.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tabrix;
  fuzz::runBankInput(data, size, 'c', ".cbk", ".cin",
                     [](DataBank& bank, const std::vector<std::string>& names) {
                       auto& compressed = static_cast<CompBank&>(bank);
                       for (const std::string& name : names) compressed.findName(name);
                     });
  return 0;
}

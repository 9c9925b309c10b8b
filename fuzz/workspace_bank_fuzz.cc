// A workspace bank's files (.bnk and .ind) from any bytes; see bank_target.h for the
// input's layout.
#include "bank_target.h"
#include "banks/workspace_bank.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tabrix;
  fuzz::runBankInput(data, size, 'w', ".bnk", ".ind",
                     [](DataBank& bank, const std::vector<std::string>& names) {
                       auto& workspace = static_cast<VexBank&>(bank);
                       for (int i = 0; i < workspace.seriesCount() && i < 200; ++i) {
                         workspace.findSeries(workspace.nameAt(i));
                       }
                       for (const std::string& name : names) workspace.findSeries(name);
                     });
  return 0;
}

#include "stub/run_hooks.h"

#include <memory>
#include <string>

#include "banks/workspace_bank.h"
#include "groups/group_home.h"
#include "stub/definitions.h"
#include "stub/run_state.h"

namespace tabrix {

GroupHome& groupStore(RunState& run) {
  if (!run.groups) run.groups = std::make_unique<GroupHome>();
  return *run.groups;
}

int RunHooks::parseGroup(Chopper& reader, int limit, std::span<int16_t> marks, int& offset) {
  std::string text;
  return groupStore(run_).parseGroup(reader, text, limit, marks, offset);
}

VexBank* RunHooks::scratchBankFor(const DataBank& bank) {
  if (run_.bankCount <= 0 || !run_.banks[0]) return nullptr;
  makeScratchBanks(run_);
  for (int i = 0; i < run_.bankCount && i < MaxAlternatives; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (run_.banks[k].get() == &bank) return run_.scratchBanks[k].get();
  }
  return nullptr;
}

}  // namespace tabrix

// The run's side of what the function library asks of the layers above it: group
// definitions of @csum and the chain functions are read by the run's group store, and
// the scratch banks the chain functions store their indexes in are made the way the
// first \f makes them. RunState holds one and hands it to its evaluator context.
#pragma once

#include <cstdint>
#include <span>

#include "expr/function_hooks.h"

namespace tabrix {

class GroupHome;
struct RunState;

// The run's group store, made on first use when the run driver made none.
GroupHome& groupStore(RunState& run);

class RunHooks final : public GroupDefinitionReader, public ScratchBankMaker {
 public:
  explicit RunHooks(RunState& run) : run_(run) {}

  // GroupHome::parseGroup on the run's group store.
  int parseGroup(Chopper& reader, int limit, std::span<int16_t> marks, int& offset) override;

  // Makes the scratch banks when none exist (makeScratchBanks), then the one of the
  // alternative whose bank this is; nullptr when no bank is open or none is this one.
  VexBank* scratchBankFor(const DataBank& bank) override;

 private:
  RunState& run_;
};

}  // namespace tabrix

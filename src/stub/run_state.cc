#include "stub/run_state.h"

#include "banks/data_bank.h"
#include "banks/workspace_bank.h"
#include "groups/group_home.h"
#include "reader/chopper.h"
#include "stub/run_hooks.h"
#include "table/sort_table.h"

namespace tabrix {

RunState::RunState()
    : reader(std::make_unique<Chopper>()), hooks(std::make_unique<RunHooks>(*this)) {
  eval.setGroupReader(hooks.get());
  eval.setScratchMaker(hooks.get());
}

RunState::~RunState() {
  // Whatever path the run took, the files it opened are closed (standard input is not).
  if (stubFile != nullptr && stubFile != stdin) std::fclose(stubFile);
  if (responseSource != nullptr && responseSource != stdin) std::fclose(responseSource);
}

}  // namespace tabrix

#include "stub/run_state.h"

#include "banks/data_bank.h"
#include "banks/workspace_bank.h"
#include "reader/chopper.h"

namespace tabrix {

RunState::RunState() : reader(std::make_unique<Chopper>()) {}

RunState::~RunState() = default;

}  // namespace tabrix

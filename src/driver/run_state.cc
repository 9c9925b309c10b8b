#include "driver/run_state.h"

#include "banks/data_bank.h"
#include "banks/workspace_bank.h"
#include "stub/chopper.h"

namespace tabrix {

RunState::RunState() : reader(std::make_unique<Chopper>()) {}

RunState::~RunState() = default;

}  // namespace tabrix

// Definitions of new series: "\f name = expression" evaluates the expression once per
// alternative, against that alternative's bank and its scratch bank, and stores the
// result under the name in the scratch bank. Later table lines and definitions find
// the name there before they look in the alternative's bank.
//
// The scratch banks are workspace banks "tws0", "tws1", ... (one per alternative, in
// the current directory), created by the first \f of the run with the base year,
// observations and first period of alternative 1's bank, and destroyed by the run
// driver at the end of the run.
#pragma once

#include <cstdint>
#include <string>

namespace tabrix {

struct RunState;
struct StubContext;

// \f: reads the rest of the line as the definition and defines the name in every
// alternative. The result goes to run.status: 0, or -1 when the definition failed in
// at least one alternative (that alternative keeps what it had; the others are
// defined). Returns 0: a definition never stops the interpreter.
int16_t defineCommand(StubContext& context);

// Creates the scratch banks on the first call (scratchMade off) and titles each one
// "Tabrix workspace bank for: " with its alternative's bank title. A scratch bank that
// cannot be created ends the process with status 1 after a key is pressed.
void makeScratchBanks(RunState& run);

// The scratch bank name of alternative i (counting from 0): "tws0", "tws1", ...
std::string scratchBankName(int i);

}  // namespace tabrix

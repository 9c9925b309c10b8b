// RunState: the one process-wide state of a run. The run driver sets it up and owns
// what it holds; the stub interpreter, table lines, definitions and add files use it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "expr/evaluator.h"

namespace tabrix {

class DataBank;
class VexBank;
class Chopper;

// Maximum number of alternatives compared side by side.
constexpr int MaxAlternatives = 10;

struct RunState {
  RunState();
  ~RunState();
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  // Prompts and echoed answers are not shown.
  bool quiet = false;
  // Where answers are read: the response file, or nullptr for the keyboard.
  // Also the source of a date list requested by a '&' line.
  std::FILE* responseSource = nullptr;
  // The bank of each alternative, in dialogue order; index 0 is the base.
  std::array<std::unique_ptr<DataBank>, MaxAlternatives> banks;
  // Banks opened so far (the index of the next one).
  int16_t bankCount = 0;
  // Per alternative, the scratch bank of \f definitions; none until the first \f.
  std::array<std::unique_ptr<VexBank>, MaxAlternatives> scratchBanks;
  // The scratch banks exist.
  bool scratchMade = false;
  // Every alternative is a VAM file; gates the VAM-only commands.
  bool vamOnly = false;
  // The stub file and its name (118 characters).
  std::FILE* stubFile = nullptr;
  std::string stubName;
  // The name of the table text file (118 characters); the file is TableLine's `out`.
  std::string outputName;
  // groups.bin was read at start (the group store comes with the groups subsystem).
  bool groupsLoaded = false;
  // The one stub reader.
  std::unique_ptr<Chopper> reader;
  // Name of the matrix-listing configuration file.
  std::string matlistConfig = "matlist.cfg";
  // Echo stub text to the console (\debug).
  bool debugEcho = false;
  // Result of the last line-level operation; -1 means the run must stop.
  int16_t status = 0;
  // The expression evaluator's working state, shared by table lines and definitions.
  EvalContext eval;
};

}  // namespace tabrix

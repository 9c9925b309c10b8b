// RunState: the one process-wide state of a run. The run driver sets it up and owns
// what it holds; the stub interpreter, table lines, definitions and add files use it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "expr/evaluator.h"
#include "matlist/matlist.h"

namespace tabrix {

class DataBank;
class VexBank;
class Chopper;
class GroupHome;
class RunHooks;
struct SortTable;

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
  // The worksheet target is a workbook (\xls); off means a WK1 file.
  bool xlsTarget = false;
  // The group store: made by the run driver at start-up (and by the first group
  // command of a run without one).
  std::unique_ptr<GroupHome> groups;
  // groups.bin was read before the stub ran.
  bool groupsLoaded = false;
  // The sorted block being recorded or waiting for \printsort; none outside a block.
  std::unique_ptr<SortTable> sortTable;
  // Table lines are recorded into sortTable instead of written.
  bool sortInProgress = false;
  // The date-column entry whose base-alternative value is the sort key.
  std::string sortDate;
  // A chart block (\xlgraph) is open: its table lines are collected for a chart.
  bool chartBlockOpen = false;
  // The table's date list while a chart block's dates replace it, put back by the
  // closing \xlgraph: the columns (at most 255), and whether a list was set and held a
  // growth range.
  std::vector<std::string> chartSavedDateSpecs;
  bool chartSavedDatesSet = false;
  bool chartSavedDatesHaveGrowth = false;
  // The one stub reader.
  std::unique_ptr<Chopper> reader;
  // Name of the matrix-listing configuration file.
  std::string matlistConfig = "matlist.cfg";
  // The settings of the matrix listings (\row, \col, \coef, \flow, \cutoff, ...).
  MatListSettings matlist;
  // Echo stub text to the console (\debug).
  bool debugEcho = false;
  // Result of the last line-level operation; -1 means the run must stop.
  int16_t status = 0;
  // The expression evaluator's working state, shared by table lines and definitions.
  EvalContext eval;
  // What the function library asks of the run (the group store, the scratch banks);
  // eval holds a pointer to it.
  std::unique_ptr<RunHooks> hooks;
  // Add files running inside one another: 0 while the stub itself is read.
  int16_t addFileDepth = 0;
  // An add file was refused for nesting too deep: every add file running is being
  // ended, and the stub goes on after the line that ran the outermost one.
  bool addNestingRefused = false;
};

}  // namespace tabrix

// The commands that only make sense when every alternative is a VAM file (the
// matrix-listing settings, \matlist, \load), and \matcfg, which names the listing
// configuration. Off VAM files each of them says so and its line is skipped.
#include <algorithm>
#include <array>
#include <climits>
#include <string>

#include "banks/data_bank.h"
#include "banks/vam_file.h"
#include "matlist/matlist.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "stub/run_hooks.h"
#include "stub/run_state.h"

namespace tabrix {

namespace {

// \cutoff adds 1900 to a year below this (95 is 1995); full years, 1900 .. 1924 among
// them, stay as they are.
constexpr int kFullYear = 1900;

// True when every alternative is a VAM file; otherwise writes the command's message.
bool onVamFiles(const StubContext& context, const char* message) {
  if (context.run.vamOnly) return true;
  console().write(message);
  return false;
}

bool isMatrixType(char type) { return type == 'm' || type == 'p'; }

// The alternatives' VAM files, the base first (a bank of another kind ends the list).
std::vector<VamFile*> vamFiles(RunState& run) {
  std::vector<VamFile*> files;
  const int count = std::clamp<int>(run.bankCount, 0, MaxAlternatives);
  for (int i = 0; i < count; ++i) {
    auto* file = dynamic_cast<VamFile*>(run.banks[static_cast<std::size_t>(i)].get());
    if (file == nullptr) break;
    files.push_back(file);
  }
  return files;
}

}  // namespace

int16_t rowCommand(StubContext& context) {
  if (onVamFiles(context, "\\row command only allowed on Vam Files.  Continuing...\n"))
    context.run.matlist.listByRow = true;
  return 0;
}

int16_t colCommand(StubContext& context) {
  if (onVamFiles(context, "\\col command only allowed on Vam Files.  Continuing...\n"))
    context.run.matlist.listByRow = false;
  return 0;
}

int16_t coefCommand(StubContext& context) {
  if (onVamFiles(context, "\\coef command only allowed on Vam Files. Continuing...\n"))
    context.run.matlist.listFlows = false;
  return 0;
}

int16_t flowCommand(StubContext& context) {
  if (onVamFiles(context, "\\flow command only allowed on Vam Files. Continuing...\n"))
    context.run.matlist.listFlows = true;
  return 0;
}

int16_t noSubtotCommand(StubContext& context) {
  if (onVamFiles(context, "\\nosubtot command only allowed on Vam Files. Continuing...\n"))
    context.run.matlist.noSubtotals = true;
  return 0;
}

int16_t nstCommand(StubContext& context) {
  if (onVamFiles(context, "\\nst command only allowed on Vam Files. Continuing...\n"))
    context.run.matlist.noSectorTitles = true;
  return 0;
}

int16_t cutoffCommand(StubContext& context) {
  if (!onVamFiles(context, "\\cutoff command only allowed on Vam Files.  Continuing...\n")) return 0;
  Chopper& reader = context.reader;
  MatListSettings& settings = context.run.matlist;
  if (reader.nextToken() != token::kNumber) {
    console().write("cutoff rate must be a number\r\n");
    return 0;
  }
  settings.cutoffRate = static_cast<float>(reader.tokenNumber());
  if (!(settings.cutoffRate >= 0.0f && settings.cutoffRate <= 1.0f)) {
    console().write("cutoff rate is normally between zero and one.\r\n");
  }
  if (reader.nextToken() == token::kNumber) {
    int year = reader.tokenInteger();
    if (year < kFullYear) year += 1900;
    settings.cutoffYear = static_cast<int16_t>(std::clamp(year, 0, static_cast<int>(INT16_MAX)));
    console().printf("\n\rCutoff year is %d\n\r", settings.cutoffYear);
  }
  return 0;
}

int16_t loadCommand(StubContext& context) {
  if (!onVamFiles(context, "\\load command only allowed on Vam Files. Continuing...\n")) return 0;
  Chopper& reader = context.reader;
  if (reader.nextToken() != token::kWord) {
    console().write("Format for \\load command is \\load <vecname|matname> [<row>].\tContinuing...\n");
    return 0;
  }
  const std::string name = reader.tokenText();
  bool rowGiven = false;
  int row = 0;
  if (reader.nextToken() == token::kNumber) {
    rowGiven = true;
    row = reader.tokenInteger();
  }
  for (VamFile* file : vamFiles(context.run)) {
    const int v = file->findVariable(name);
    int16_t result = -1;
    if (v >= 0 && isMatrixType(file->storage(v))) {
      if (!rowGiven) {
        console().write("Must specify row for matrix on \\load command\n");
        return 0;
      }
      result = file->loadSlice(name, 'r', row);
    } else if (v >= 0) {
      result = file->loadSlice(name, 'x', 0);
    }
    if (result < 0) {
      console().printf("Unable to do load of %s.\n", name.c_str());
      return 0;
    }
  }
  return 0;
}

int16_t matlistCommand(StubContext& context) {
  if (!onVamFiles(context, "\\Matlist command only allowed on Vam Files. Continuing...\n")) return 0;
  RunState& run = context.run;
  const std::vector<VamFile*> files = vamFiles(run);
  MatListRun listing{context.reader, context.table, files, &groupStore(run), run.matlist, run.matlistConfig};
  return runMatrixListing(listing) == -2 ? -1 : 0;
}

int16_t matcfgCommand(StubContext& context) {
  std::string name = readTextAfterFirstBlank(context);
  name.erase(name.find_last_not_of(" \t\r") + 1);
  name.erase(0, std::min(name.size(), name.find_first_not_of(" \t")));
  if (name.empty()) {
    console().printf("\\matcfg needs a file name; the listings keep reading %s.\n",
                     context.run.matlistConfig.c_str());
    return 0;
  }
  context.run.matlistConfig = name;
  return 0;
}

}  // namespace tabrix

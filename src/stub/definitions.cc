#include "stub/definitions.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "banks/data_bank.h"
#include "banks/workspace_bank.h"
#include "expr/evaluator.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "platform/process.h"
#include "reader/chopper.h"
#include "stub/interpreter.h"
#include "stub/run_state.h"
#include "stub/table_lines.h"
#include "support/constants.h"

namespace tabrix {

namespace {

// Characters of a scratch bank's title written at most.
constexpr std::size_t kScratchTitleLength = 79;
// The definition keeps room for its CR LF and terminator.
constexpr std::size_t kDefinitionLength = ExpressionCapacity - 3;

// Waits for a key before the process ends.
void waitForKey() { static_cast<void>(keySource().readKey()); }

// Defines the name of the definition text (the reader stands at its start) in one
// alternative. 0, or -1 after a message.
int16_t defineIn(RunState& run, Chopper& reader, DataBank& bank, VexBank& scratch) {
  std::vector<float> work;
  try {
    work.assign(MaxObs, 0.0f);
  } catch (const std::bad_alloc&) {
    console().write("\r\n Out of memory in fcmd.\r\n");
    console().write("  If you're having problems with memory, try tabrixx.\r\n");
    console().write("  Hit a key, and Tabrix will quit:");
    waitForKey();
    endProcess(1);
  }
  if (reader.nextToken() != token::kWord) {
    console().printf("Illegal name %s in f command!\r\n", reader.tokenText().c_str());
    return -1;
  }
  const std::string name = reader.tokenText();
  if (reader.nextToken() != '=') {
    console().write("Need an = sign in f command!\r\n");
    return -1;
  }
  const EvalResult result =
      evaluate(run.eval, reader, SeriesSpan(work.data(), MaxObs), bank, &scratch);
  if (result.failed()) return -1;
  // A result without a frequency of its own (numbers only) is stored as annual.
  scratch.setFrequency(result.frequency > 0 ? result.frequency : 1);
  if (scratch.writeSeries(name, ConstSeriesSpan(work.data(), MaxObs), 'y', -1) < 0) return -1;
  return 0;
}

}  // namespace

std::string scratchBankName(int i) { return "tws" + std::to_string(i); }

void makeScratchBanks(RunState& run) {
  if (run.scratchMade) return;
  run.scratchMade = true;
  const DataBank& base = *run.banks[0];
  const uint16_t year = base.baseYear();
  const uint16_t observations = std::min<uint16_t>(base.observations(), MaxObs);
  const uint16_t period = base.startPeriod();
  for (int i = 0; i < run.bankCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const std::string name = scratchBankName(i);
    auto scratch = std::make_unique<VexBank>(name, "New", year, observations, period);
    if (!scratch->isOpen()) {
      console().printf("Unable to open %s scratch bank.  Probably you have too many banks.\r\n",
                       name.c_str());
      console().write("  Try using Tabrix 95.\r\n");
      console().write("  Hit a key and Tabrix will quit:");
      waitForKey();
      console().write("\r\n");
      endProcess(2);  // a file the run must write could not be: the status of a failed run
    }
    std::string title = "Tabrix workspace bank for: " + run.banks[k]->title();
    if (title.size() > kScratchTitleLength) title.resize(kScratchTitleLength);
    // A failing header write has printed its message naming the file; the bank works on.
    static_cast<void>(scratch->setTitle(title));
    run.scratchBanks[k] = std::move(scratch);
  }
}

int16_t defineCommand(StubContext& context) {
  RunState& run = context.run;
  Chopper& reader = context.reader;
  if (run.bankCount <= 0 || !run.banks[0]) {
    console().write("No bank is open to define a series in.  Command ignored.\r\n");
    run.status = -1;
    return 0;
  }
  makeScratchBanks(run);
  std::string text = readRestOfLine(context, kDefinitionLength);
  text += "\r\n";
  if (run.debugEcho) console().printf("%s\n", text.c_str());

  int16_t status = 0;
  for (int i = 0; i < run.bankCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (!run.banks[k] || !run.scratchBanks[k]) continue;
    reader.setString(text);
    if (defineIn(run, reader, *run.banks[k], *run.scratchBanks[k]) == -1) status = -1;
  }
  reader.setSource(context.file);
  run.status = status;
  return 0;
}

}  // namespace tabrix

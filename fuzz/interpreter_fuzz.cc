// A whole stub run as the driver runs it after the dialogue (commands, table lines,
// text, date header and page control lines, the end of the table and its contents)
// against the fixture banks.
//
// Input: one byte choosing the alternatives and the show mode, then the stub text.
//   byte % 8: 0 wbank; 1 cbank; 2 hbank; 3 wbank, cbank, hbank; 4 wbank, wbank2;
//             5 dbank (dirfor); 6 vbank (VAM); 7 wbank, dbank, vbank
//   byte / 8 % 3: show mode a, d or p (with more than one alternative)
// The stub is read from memory and the table collected in memory; a date list asked
// for by a '&' line comes from a fixed response line. The add files, argument file and
// @interp table of fixtureTexts() are there to be named. Files the stub makes (\break,
// \rtf, the scratch banks of \f) are written in the workspace and swept away after the
// input. Every renderer is attached before the stub runs (HTML, Markdown, LaTeX, PDF and
// SVG charts, each writing in the workspace), so every page also reaches them. No file
// may be left open when the run has ended.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "banks/bank_factory.h"
#include "driver/run_driver.h"
#include "platform/run_files.h"
#include "fuzz_support.h"
#include "stub/run_state.h"
#include "table/html_sink.h"
#include "table/latex_sink.h"
#include "table/markdown_sink.h"
#include "table/outputs.h"
#include "table/pdf_sink.h"
#include "table/svg_sink.h"
#include "table/table_line.h"

namespace {

using namespace tabrix;

struct Alternative {
  char kind;
  const char* root;
};

// The alternatives of each choice.
const std::vector<std::vector<Alternative>> kChoices = {
    {{'w', "wbank"}},
    {{'c', "cbank"}},
    {{'h', "hbank"}},
    {{'w', "wbank"}, {'c', "cbank"}, {'h', "hbank"}},
    {{'w', "wbank"}, {'w', "wbank2"}},
    {{'d', "dbank"}},
    {{'v', "vbank"}},
    {{'w', "wbank"}, {'d', "dbank"}, {'v', "vbank"}},
};
constexpr char kShowModes[] = {'a', 'd', 'p'};

// The response line a '&' line reads when the stub gave no date list.
constexpr std::string_view kResponseDates = "1991 1995 2000 90-95\n";

// Opens the alternatives as the dialogue does; false when one does not open.
bool openAlternatives(RunState& run, TableLine& table, const std::vector<Alternative>& chosen) {
  for (const Alternative& alternative : chosen) {
    const int slot = run.bankCount;
    run.banks[static_cast<std::size_t>(slot)] = openBank(alternative.kind, alternative.root);
    DataBank* bank = run.banks[static_cast<std::size_t>(slot)].get();
    if (bank == nullptr || !bank->isOpen()) return false;
    int frequency = bank->frequency();
    if (frequency != 1 && frequency != 4 && frequency != 12) frequency = 1;
    VexDate& start = table.altStart[static_cast<std::size_t>(slot)];
    start.year = static_cast<int16_t>(bank->baseYear());
    start.period = 1;
    start.frequency = static_cast<int16_t>(frequency);
    table.values[static_cast<std::size_t>(slot)].assign(MaxObs, 0.0f);
    ++run.bankCount;
  }
  table.altCount = static_cast<int16_t>(chosen.size());
  return true;
}

// Attaches every renderer under the key its stub command uses, as the commands do.
void attachRenderers(TableLine& table) {
  auto attach = [&](std::string_view key, auto sink, std::string_view name) {
    if (sink->open(name) != 0) __builtin_trap();  // the workspace takes any file
    if (attachRenderer(table, key, std::move(sink)) != 0) __builtin_trap();
  };
  attach("html", std::make_unique<HtmlSink>(), "table.html");
  attach("markdown", std::make_unique<MarkdownSink>(), "table.md");
  attach("latex", std::make_unique<LatexSink>(), "table.tex");
  attach("pdf", std::make_unique<PdfSink>(&table.fonts), "table.pdf");
  attach("svg", std::make_unique<SvgSink>(), "table-charts");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string_view stub = fuzz::asText(data + 1, size - 1);
  if (fuzz::namesSystemFiles(stub)) return -1;
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  fuzz::fixtureBanks();
  fuzz::fixtureTexts();
  const std::vector<Alternative>& chosen = kChoices[data[0] % kChoices.size()];
  {
    fuzz::OpenFilesCheck closed;
    fuzz::QuietInput quiet;
    fuzz::MemoryFile stubFile(stub);
    fuzz::MemoryFile responses(kResponseDates);
    RunState run;
    TableLine table;
    setDriverDefaults(table);
    if (!openAlternatives(run, table, chosen)) __builtin_trap();  // the fixtures are broken
    if (chosen.size() > 1) table.showMode = kShowModes[data[0] / kChoices.size() % 3];
    run.stubFile = stubFile.release();
    run.responseSource = responses.release();
    run.outputName = "table.out";
    table.out.openMemory();
    // Each input is a run of its own: the files an earlier one read are no inputs of it.
    resetRunFiles();
    attachRenderers(table);
    fuzz::runInput([&] { makeTable(run, table); });
  }
  workspace.sweep();
  return 0;
}

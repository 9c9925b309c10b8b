// The typeset outputs beside the table file: \pdf attaches the PDF renderer (tables and
// the charts of \xlgraph blocks), \svg writes each chart as an SVG file; and the charts
// of \xlgraph blocks as these renderers draw them (commands_sheet.cc opens and closes
// the blocks).
#include <algorithm>
#include <memory>
#include <string>

#include "platform/console.h"
#include "platform/files.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "stub/run_state.h"
#include "table/chart_collector.h"
#include "table/date_list.h"
#include "table/outputs.h"
#include "table/pdf_sink.h"
#include "table/svg_sink.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

// The keys of the two renderers.
constexpr std::string_view kPdfKey = "pdf";
constexpr std::string_view kSvgKey = "svg";

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isNo(const std::string& word) {
  return word.size() == 2 && (word[0] == 'n' || word[0] == 'N') && (word[1] == 'o' || word[1] == 'O');
}

// The output file's name with its extension replaced by `extension`, or `suffix`
// added to it without its extension when extension is empty.
std::string fromOutputName(const std::string& outputName, const std::string& replacement) {
  const std::string extension = extensionPart(outputName);
  return outputName.substr(0, outputName.size() - extension.size()) + replacement;
}

// Reports a renderer that cannot be opened: the run stops with the failure status.
int16_t unableToOpen(TableLine& table, const std::string& name) {
  console().printf("Unable to open %s for writing.\n", name.c_str());
  table.outputFailed = true;
  return -1;
}

}  // namespace

int16_t pdfCommand(StubContext& context) {
  TableLine& table = context.table;
  std::string name = trimmed(readTextAfterFirstBlank(context));
  if (isNo(name)) {
    (void)detachRenderer(table, kPdfKey);  // a failed write is reported and fails the run
    return 0;
  }
  if (name.empty()) {
    name = fromOutputName(context.run.outputName, ".pdf");
  } else if (extensionPart(name).empty()) {
    name += ".pdf";
  }
  auto sink = std::make_unique<PdfSink>(&table.fonts);
  if (sink->open(name) != 0) return unableToOpen(table, name);
  (void)attachRenderer(table, kPdfKey, std::move(sink));
  console().printf("Writing PDF to %s.\r\n", name.c_str());
  return 0;
}

int16_t svgCommand(StubContext& context) {
  TableLine& table = context.table;
  std::string name = trimmed(readTextAfterFirstBlank(context));
  if (isNo(name)) {
    (void)detachRenderer(table, kSvgKey);
    return 0;
  }
  if (name.empty()) name = fromOutputName(context.run.outputName, "-charts");
  auto sink = std::make_unique<SvgSink>();
  if (sink->open(name) != 0) return unableToOpen(table, name);
  (void)attachRenderer(table, kSvgKey, std::move(sink));
  console().printf("Writing charts as SVG files to %s.\r\n", name.c_str());
  return 0;
}

bool chartRenderersAttached(const TableLine& table) {
  return hasRenderer(table, kPdfKey) || hasRenderer(table, kSvgKey);
}

void startChartCollection(TableLine& table, int chartType) {
  if (!chartRenderersAttached(table)) return;
  (void)attachRenderer(table, ChartCollectorKey, std::make_unique<ChartCollector>(chartType));
}

void endChartCollection(TableLine& table, bool draw) {
  auto* collector = dynamic_cast<ChartCollector*>(renderer(table, ChartCollectorKey));
  if (collector == nullptr) return;
  if (draw) {
    ChartData chart = collector->collected(table.chartTitle, table.chartSubtitle, table.chartAxisTitle);
    // A workbook target takes the block's date row itself, so the renderers never see
    // it: the categories are then the block's dates.
    if (chart.categories.empty()) {
      const std::size_t count = std::min<std::size_t>(table.dateSpecs.size(), table.dateCount() > 0 ? table.dateCount() : 0);
      for (std::size_t i = 0; i < count; ++i) {
        const std::string& entry = table.dateSpecs[i];
        if (!isSpacer(entry)) chart.categories.push_back(DateStruct(entry).label(table.yearFormat));
      }
    }
    for (std::string_view key : {kPdfKey, kSvgKey}) {
      if (TableSink* sink = renderer(table, key)) sink->chart(chart);
    }
  }
  (void)detachRenderer(table, ChartCollectorKey);
}

}  // namespace tabrix

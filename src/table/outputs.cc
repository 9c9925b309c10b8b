#include "table/outputs.h"

#include <utility>

#include "table/text_table_sink.h"
#include "table/worksheet_sink.h"

namespace tabrix {

namespace {

int noted(TableLine& table, int status) {
  if (status != 0) table.outputFailed = true;
  return status;
}

}  // namespace

int attachRenderer(TableLine& table, std::string_view key, std::unique_ptr<TableSink> sink) {
  return noted(table, table.renderers.attach(key, std::move(sink)));
}

int detachRenderer(TableLine& table, std::string_view key) { return noted(table, table.renderers.detach(key)); }

bool hasRenderer(const TableLine& table, std::string_view key) { return table.renderers.find(key) != nullptr; }

TableSink* renderer(TableLine& table, std::string_view key) { return table.renderers.find(key); }

void useTableTarget(TableLine& table, TableTarget target) {
  switch (target) {
    case TableTarget::Text:
      table.renderers.setTarget(std::make_unique<TextTableSink>(table));
      return;
    case TableTarget::Worksheet:
      table.renderers.setTarget(std::make_unique<WorksheetSink>(table));
      return;
  }
}

void closeWorksheet(TableLine& table) {
  if (table.sheet == nullptr) return;
  (void)table.sheet->finishSheet(0, 0, table.page.sheetRow(), table.dateCount());
  if (table.sheet->close() != 0) table.outputFailed = true;
  table.sheet.reset();
}

int finishRenderers(TableLine& table) {
  // The run's last page ends here, for the table's own target too.
  table.renderers.endPage();
  if (table.tocOn) {
    table.renderers.eachRenderer([&table](TableSink& sink) { sink.contents(table.contents, table.pagePrefix); });
  }
  return noted(table, table.renderers.finishAll());
}

}  // namespace tabrix

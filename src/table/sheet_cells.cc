#include "table/sheet_cells.h"

#include <algorithm>
#include <string>

#include "table/date_list.h"
#include "table/page_counters.h"

namespace tabrix {

SheetWriter* worksheetOf(TableLine& table) { return table.sheetMode ? table.sheet.get() : nullptr; }

WorkbookWriter* workbookOf(TableLine& table) {
  SheetWriter* sheet = worksheetOf(table);
  return sheet != nullptr ? sheet->workbook() : nullptr;
}

bool xlsWorksheet(const TableLine& table) {
  return table.sheetMode && table.sheet != nullptr && table.sheet->workbook() != nullptr;
}

int worksheetLineRow(const TableLine& table) { return std::max(PageCounters::sheetRow(table.page) - 1, PageCounters::sheetFreeRow(table.page)); }

void takeWorksheetRow(TableLine& table, int row) { PageCounters::sheetFreeRow(table.page) = std::max(PageCounters::sheetFreeRow(table.page), row + 1); }

void writeSheetText(TableLine& table, int column, std::string_view text, char align) {
  SheetWriter* sheet = worksheetOf(table);
  if (sheet == nullptr || text.empty()) return;
  const int row = worksheetLineRow(table);
  (void)sheet->writeText(row, column, text, align);
  takeWorksheetRow(table, row);
}

SheetTitles worksheetTitles(const TableLine& table) {
  return SheetTitles{table.worksheetTitle, table.headText, table.headSet};
}

int startWorksheetPage(TableLine& table) {
  WorkbookWriter* sheet = workbookOf(table);
  if (sheet == nullptr) return 0;
  if (sheet->newSheet(worksheetTitles(table)) != 0) return -1;
  (void)sheet->setColumnWidth(0, table.titleWidth);
  PageCounters::sheetRow(table.page) = 0;
  PageCounters::lineOnPage(table.page) = 0;
  PageCounters::sheetFreeRow(table.page) = 0;
  return 0;
}

void setDateColumnWidths(TableLine& table) {
  SheetWriter* sheet = worksheetOf(table);
  if (sheet == nullptr) return;
  // Spacers too: a workbook's date row gives a spacer column its own width later.
  const int count = std::min<int>(table.dateCount, static_cast<int>(table.dateSpecs.size()));
  for (int j = 1; j <= count; ++j) (void)sheet->setColumnWidth(j, table.fieldWidth);
}

}  // namespace tabrix

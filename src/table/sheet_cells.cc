#include "table/sheet_cells.h"

#include <algorithm>
#include <string>

#include "table/date_list.h"
#include "table/page_counters.h"

namespace tabrix {

WK1File* worksheetOf(TableLine& table) { return table.sheetMode ? table.sheet.get() : nullptr; }

bool xlsWorksheet(const TableLine& table) {
  return table.sheetMode && table.sheet != nullptr && table.sheet->form() == SheetForm::XLS;
}

int worksheetLineRow(const TableLine& table) { return std::max(PageCounters::sheetRow(table.page) - 1, PageCounters::sheetFreeRow(table.page)); }

void takeWorksheetRow(TableLine& table, int row) { PageCounters::sheetFreeRow(table.page) = std::max(PageCounters::sheetFreeRow(table.page), row + 1); }

void writeSheetText(TableLine& table, int column, std::string_view text, char align) {
  WK1File* sheet = worksheetOf(table);
  if (sheet == nullptr || text.empty()) return;
  const int row = worksheetLineRow(table);
  (void)sheet->writeText(row, column, text, align);
  takeWorksheetRow(table, row);
}

SheetTitles worksheetTitles(const TableLine& table) {
  return SheetTitles{table.worksheetTitle, table.headText, table.headSet};
}

int startWorksheetPage(TableLine& table) {
  WK1File* sheet = worksheetOf(table);
  if (sheet == nullptr) return 0;
  if (sheet->newSheet(worksheetTitles(table)) != 0) return -1;
  (void)sheet->setColumnWidth(0, table.titleWidth);
  PageCounters::sheetRow(table.page) = 0;
  PageCounters::lineOnPage(table.page) = 0;
  PageCounters::sheetFreeRow(table.page) = 0;
  return 0;
}

void setDateColumnWidths(TableLine& table) {
  WK1File* sheet = worksheetOf(table);
  if (sheet == nullptr) return;
  const int count = std::min<int>(table.dateCount, static_cast<int>(table.dateSpecs.size()));
  for (int j = 0; j < count; ++j) {
    int blanks = 0;
    if (isSpacer(table.dateSpecs[static_cast<std::size_t>(j)], &blanks)) {
      // Only a workbook gives a spacer column its width.
      if (sheet->form() == SheetForm::XLS) (void)sheet->setColumnWidth(j + 1, blanks);
      continue;
    }
    (void)sheet->setColumnWidth(j + 1, table.fieldWidth);
  }
}

}  // namespace tabrix

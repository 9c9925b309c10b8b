#include "table/worksheet_sink.h"

#include <cstdio>

#include "platform/console.h"
#include "sheet/workbook_writer.h"
#include "table/date_list.h"
#include "table/fields.h"
#include "table/text_table_sink.h"

namespace tabrix {

namespace {

// Print-file texts are quoted fields of this width.
constexpr int PrnFieldWidth = 100;
// A workbook's rule repeats its character this many times across its cell.
constexpr int RuleRepeat = 600;

std::string_view withoutLeadingBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

}  // namespace

SheetTitles worksheetTitles(const TableLine& table) {
  return SheetTitles{table.worksheetTitle, table.headText, table.headSet};
}

SheetWriter* WorksheetSink::sheet() const { return table_.sheet.get(); }

WorkbookWriter* WorksheetSink::book() const {
  SheetWriter* writer = sheet();
  return writer != nullptr ? writer->workbook() : nullptr;
}

int WorksheetSink::lineRow() const { return std::max(table_.page.sheetRow() - firstRow_ - 1, freeRow_); }

void WorksheetSink::writeText(int column, std::string_view text, char align) {
  SheetWriter* writer = sheet();
  if (writer == nullptr || text.empty()) return;
  const int row = lineRow();
  (void)writer->writeText(row, column, text, align);
  takeRow(row);
}

TargetLayout WorksheetSink::layout() const {
  TargetLayout layout = textLayout(table_);
  if (sheet() != nullptr) {
    layout.timeStamp = false;
    layout.headings = false;
    layout.headRows = 2;
    layout.titleRows = 2;
  }
  if (WorkbookWriter* workbook = book()) {
    layout.pageNumbers = false;
    layout.underlineRow = false;
    layout.dateSeries = workbook->recording();
  }
  return layout;
}

void WorksheetSink::beginPage(const PageSetup& setup) {
  setup_ = setup;
  // A workbook's pages after the first each get a worksheet of their own (a print file's
  // pages stay on one), named after the titles, with the title column's width.
  WorkbookWriter* workbook = book();
  if (workbook == nullptr || setup.pageNumber <= 1 || table_.prnMode) return;
  const bool recording = workbook->recording();
  if (workbook->newSheet(worksheetTitles(table_)) != 0) return;  // reported; the writer is failed
  (void)workbook->setColumnWidth(0, table_.titleWidth);
  firstRow_ = table_.page.sheetRow();
  freeRow_ = 0;
  // The new worksheet ended the chart's collection; one whose date row begins the page
  // goes on here.
  if (setup.brokenAtDates && recording && !workbook->recording()) workbook->setRecording(true);
}

void WorksheetSink::beginBody() {
  // Each worksheet of a workbook, and the one sheet of a WK1 file, gets the date columns'
  // widths, spacers too (a workbook's date row gives a spacer column its own width later).
  SheetWriter* writer = sheet();
  if (writer == nullptr || (book() == nullptr && setup_.pageNumber != 1)) return;
  const int count = std::min<int>(table_.dateCount(), static_cast<int>(table_.dateSpecs.size()));
  for (int j = 1; j <= count; ++j) (void)writer->setColumnWidth(j, table_.fieldWidth);
}

void WorksheetSink::fontRole(FontRole role, bool on) {
  // A workbook takes the role's font setting as the font of the cells that follow.
  if (WorkbookWriter* workbook = book()) workbook->setFont(table_.fonts[on ? role : BodyFont].font);
}

void WorksheetSink::headerLine(const HeaderLine& line) {
  // A print file's head line stays off the worksheet.
  if (line.kind == HeaderKind::Head && table_.prnMode) return;
  // The sentence goes without its indent; a workbook's lines without the blanks that
  // centre them.
  if (line.kind == HeaderKind::Sentence || book() != nullptr) {
    writeText(0, withoutLeadingBlanks(line.laidOut), '\'');
  } else {
    writeText(0, line.laidOut, '\'');
  }
}

int WorksheetSink::dateSeries(std::span<const DateLabel> labels, std::string_view laidOut) {
  WorkbookWriter* workbook = book();
  if (workbook == nullptr || !workbook->recording()) {
    dateRow(labels, laidOut);
    return 0;
  }
  // The dates of a chart: a date series from column B, from the first entry's date over
  // every column; the writer collects the row.
  const int row = lineRow();
  const int count = std::min<int>(table_.dateCount(), static_cast<int>(table_.dateSpecs.size()));
  const DateStruct first(count > 0 ? std::string_view(table_.dateSpecs[0]) : std::string_view());
  const VexFont& dataFont = table_.fonts[DataFont].font;
  if (workbook->writeDateRow(row, 1, first.from, count, dataFont, table_.fonts[DateFont].font) != 0) {
    console().printf("\nError:  When printing dates to worksheet.\n");
    return -1;
  }
  takeRow(row);
  return 0;
}

void WorksheetSink::dateRow(std::span<const DateLabel> labels, std::string_view /*laidOut*/) {
  SheetWriter* writer = sheet();
  if (writer == nullptr) return;
  const int row = lineRow();
  WorkbookWriter* workbook = book();
  // Each label a right-aligned text cell in its column; a workbook's without its blanks,
  // and a spacer column with its width.
  labels_.clear();
  bool cells = false;
  for (std::size_t j = 0; j < labels.size(); ++j) {
    const DateLabel& label = labels[j];
    const int column = static_cast<int>(j) + 1;
    labels_.push_back(Label{label.width, label.spacer, label.label.size()});
    if (label.spacer) {
      (void)writer->setSpacerWidth(column, label.width);
      continue;
    }
    const std::size_t pad = static_cast<std::size_t>(label.width) - label.label.size();
    std::string text(label.label);
    if (workbook == nullptr) text.insert(0, pad, ' ');
    (void)writer->writeText(row, column, text, '"');
    cells = true;
  }
  if (cells) takeRow(row);
}

void WorksheetSink::dateUnderline(char character, std::string_view /*laidOut*/) {
  // The labels' shape in the underline character, as the last date row had them.
  SheetWriter* writer = sheet();
  if (writer == nullptr) return;
  const int row = lineRow();
  bool cells = false;
  for (std::size_t j = 0; j < labels_.size(); ++j) {
    const Label& label = labels_[j];
    const int column = static_cast<int>(j) + 1;
    if (label.spacer) {
      (void)writer->setSpacerWidth(column, label.width);
      continue;
    }
    const std::size_t pad = static_cast<std::size_t>(label.width) - label.length;
    (void)writer->writeText(row, column, std::string(pad, ' ') + std::string(label.length, character), '"');
    cells = true;
  }
  if (cells) takeRow(row);
}

void WorksheetSink::valueRow(const ValueRow& row) {
  // The title in column 0 (a workbook's in the name font), the values in their date
  // columns in the data font: a missing value is the text missingText in a WK1 file and
  // the missing marker (shown as the missing-value text) in a workbook; a blanked zero
  // gets no cell.
  SheetWriter* writer = sheet();
  if (writer == nullptr) return;
  const int at = lineRow();
  std::string title;
  if (row.carriesTitle) {
    title = table_.prnMode ? quoteField(row.title, std::max<int>(table_.titleWidth, 0)) : std::string(row.title);
  }
  if (!title.empty()) {
    if (book() != nullptr) writer->setFont(table_.fonts[NameFont].font);
    (void)writer->writeText(at, 0, title, '\'');
  }
  writer->setFont(table_.fonts[DataFont].font);
  bool cells = false;
  for (const Cell& cell : row.cells) {
    if (cell.kind == CellKind::Missing) {
      (void)writer->writeMissing(at, cell.column + 1, cell.decimals, table_.missingText);
    } else if (cell.kind == CellKind::Number) {
      (void)writer->writeNumber(at, cell.column + 1, cell.value, cell.decimals);
    } else {
      continue;
    }
    cells = true;
  }
  if (!title.empty() || cells) takeRow(at);
}

void WorksheetSink::endLine() {
  // The cells after the rows go back to the body font.
  if (SheetWriter* writer = sheet()) writer->setFont(table_.fonts[BodyFont].font);
}

void WorksheetSink::textLine(std::string_view text, bool centred, std::string_view /*laidOut*/) {
  // A text cell in column 0; a centred one without the blanks around it (a workbook
  // centres by the font, a WK1 file by the label's prefix).
  SheetWriter* writer = sheet();
  if (writer == nullptr) return;
  const std::size_t width = static_cast<std::size_t>(std::max<int>(table_.pageWidth, 0));
  const std::string shown = table_.prnMode ? quoteField(text, PrnFieldWidth) : std::string(text);
  std::string cell = rightTrimmed(shown.substr(0, width));
  if (!centred) {
    writeText(0, cell, '\'');
    return;
  }
  cell.erase(0, std::min(cell.size(), cell.find_first_not_of(' ')));
  const VexFont previous = writer->currentFont();
  VexFont centredFont = previous;
  centredFont.horizontal = 'c';
  writer->setFont(centredFont);
  writeText(0, cell, '^');
  writer->setFont(previous);
}

void WorksheetSink::rule(char character, std::string_view laidOut) {
  SheetWriter* writer = sheet();
  if (writer == nullptr) return;
  const int row = lineRow();
  if (WorkbookWriter* workbook = book()) {
    // The rule repeats its character across the cell, in the name font. A quote inside
    // the formula's text is written twice.
    char formula[32];
    if (character == '"') {
      std::snprintf(formula, sizeof formula, "=REPT(\"\"\"\",%d)", RuleRepeat);
    } else {
      std::snprintf(formula, sizeof formula, "=REPT(\"%c\",%d)", character, RuleRepeat);
    }
    workbook->setFont(table_.fonts[NameFont].font);
    const int result = workbook->writeFormula(row, 0, row, 0, formula);
    workbook->setFont(table_.fonts[BodyFont].font);
    if (result != 0) return;
  } else {
    (void)writer->writeText(row, 0, laidOut, '\'');
  }
  takeRow(row);
}

}  // namespace tabrix

// WorksheetSink: the worksheet targets (\wk1, \xls) as the table's own sink. It puts what
// the composer hands it into the worksheet writer the table holds (table.sheet): header,
// text and date lines as text cells in column 0 or in their date columns, the kept rows
// of a table line as number and missing cells, rules (a workbook's as a formula), the
// widths of the columns, and the role fonts of a workbook's cells. A workbook starts each
// page after the first on a worksheet of its own.
//
// Rows. A line's cells go to the row before the composer's worksheet row (sheetRow - 1,
// counted before the line), counted from where the current worksheet began. A row that
// would lie above a row already holding cells, or at -1, moves down to the first free row,
// so no line is written over another.
//
// The writer reports its own failures; it is finished and closed by the command that
// replaces it or by the driver at the end of the run.
#pragma once

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/sheet_writer.h"
#include "table/table_line.h"
#include "table/table_sink.h"

namespace tabrix {

class WorkbookWriter;

class WorksheetSink final : public TableSink {
 public:
  explicit WorksheetSink(TableLine& table) : table_(table) {}

  TargetLayout layout() const override;
  void beginPage(const PageSetup& setup) override;
  void endPage() override {}
  void beginBody() override;
  void fontRole(FontRole role, bool on) override;
  void headerLine(const HeaderLine& line) override;
  void dateRow(std::span<const DateLabel> labels, std::string_view laidOut) override;
  [[nodiscard]] int dateSeries(std::span<const DateLabel> labels, std::string_view laidOut) override;
  void dateUnderline(char character, std::string_view laidOut) override;
  void beginLine(std::string_view /*title*/) override {}
  void valueRow(const ValueRow& row) override;
  void endLine() override;
  void textLine(std::string_view text, bool centred, std::string_view laidOut) override;
  // A listing's centred headings stay off the worksheet.
  void heading(std::string_view /*text*/, std::string_view /*laidOut*/) override {}
  void rule(char character, std::string_view laidOut) override;
  void blankLines(int /*count*/) override {}
  // A workbook takes \pcontrol's words as a text table would (they set the body's
  // printer words unless \noformat is on); neither form writes the codes.
  bool printerCodes(std::string_view /*codes*/) override { return !table_.noFormat; }

  int status() const override { return 0; }
  [[nodiscard]] int finish() override { return 0; }
  void abandon() override {}

 private:
  // The writer while the table goes to a worksheet, else nullptr.
  SheetWriter* sheet() const;
  // The same when it is a workbook.
  WorkbookWriter* book() const;
  // The row of the line about to be written (see above).
  int lineRow() const;
  // Notes that a line's cells went to row: the rows up to it are taken.
  void takeRow(int row) { freeRow_ = std::max(freeRow_, row + 1); }
  // A text cell of the line about to be written; an empty text gives none.
  void writeText(int column, std::string_view text, char align);

  // One label of the last date row: the underline row repeats its shape.
  struct Label {
    int width = 0;
    bool spacer = false;
    std::size_t length = 0;  // the label's characters
  };

  TableLine& table_;
  PageSetup setup_;          // the current page's
  int firstRow_ = 0;         // the composer's worksheet row where this worksheet began
  int freeRow_ = 0;          // the first row of this worksheet holding no cells
  std::vector<Label> labels_;
};

// The titles a new worksheet is named after: \wstitle's title, else the head.
SheetTitles worksheetTitles(const TableLine& table);

}  // namespace tabrix

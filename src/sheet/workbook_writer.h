// WorkbookWriter: the worksheet target as a workbook built through Excel (excel.h), one
// worksheet per table page, saved when the writer is closed. Numbers of one row are
// gathered into runs of adjacent columns and handed to the workbook a run at a time.
// Rows and columns count from 0 here as everywhere in the writers; they become the
// column letters and rows from 1 of the spreadsheet operations only in the calls to
// Excel. A cell write that fails is reported by its message and leaves the writer
// failed (close() returns -1); the later cells are still written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dates/vex_date.h"
#include "sheet/excel.h"
#include "sheet/sheet_writer.h"

namespace tabrix {

class WorkbookWriter final : public SheetWriter {
 public:
  // The run fields' marker of "no run" in firstColumn.
  static constexpr int32_t NoRunColumn = 9999999;
  // Columns the run buffer holds (0 .. 255).
  static constexpr int RunColumns = 256;

  // Makes the workbook for `name`: the text after the name's first '.' (in its file
  // name) is the save format, and the first worksheet is named after the titles (else
  // Page-1). A \filetype text, when not empty, becomes the save format and the name loses
  // its extension. `name` receives the name of the workbook file written (out.xls
  // becomes out.xlsx). Failures print their message and leave the writer closed.
  WorkbookWriter(std::string& name, std::string_view fileType, const SheetTitles& titles);
  // Closes the workbook (close()) when that was not done.
  ~WorkbookWriter() override;

  int writeNumber(int row, int column, float value, int decimals) override;
  int writeMissing(int row, int column, int decimals, std::string_view missingText) override;
  int writeText(int row, int column, std::string_view text, char align) override;
  int setColumnWidth(int column, int width) override;
  int setSpacerWidth(int column, int width) override;
  void setFont(const VexFont& font) override;
  int finishSheet(int firstRow, int firstColumn, int lastRow, int lastColumn) override;
  // Writes the pending run and saves the workbook.
  [[nodiscard]] int close() override;
  WorkbookWriter* workbook() override { return this; }

  // A formula in the cells of the range.
  int writeFormula(int row1, int column1, int row2, int column2, std::string_view formula);
  // The text a missing number's cell shows.
  void setMissingText(std::string_view text);
  // Names the current worksheet; -1 when the name is refused.
  int nameSheet(std::string_view name);
  // Starts the worksheet of the next page, named after the titles (or Page-n); -1 when
  // it cannot be made (the writer then stays closed).
  int newSheet(const SheetTitles& titles);
  // The dates of a chart as a date series along a row: count dates from firstDate, from
  // `column` of `row`, the dates in dateFont (dataFont is in force while a pending run
  // of another row is written).
  int writeDateRow(int row, int column, const VexDate& firstDate, int count, const VexFont& dataFont,
                   const VexFont& dateFont);
  // \wsfreeze: up to three tokens (text and token type: 'n' number, 'a' word; 0, 'f' or
  // 'e' for none) checked and handed to Excel::Freeze; -1 after the syntax lines.
  int freezePanes(std::string_view token1, int type1, std::string_view token2, int type2,
                  std::string_view token3, int type3);
  // Chart-row collection on or off; off empties the collected rows. While it is on,
  // every row that receives a number or the date series is collected once, in the
  // order the rows are first written.
  void setRecording(bool on);
  bool recording() const { return recording_; }
  // Worksheet rows collected for a chart.
  const std::vector<int32_t>& chartRows() const { return chartRows_; }
  // The chart type of the next chart: 0 when name is one of the chart-type names
  // (chart_types.h, matched completely, ignoring case), -1 otherwise (unchanged).
  int setChartType(std::string_view name);
  int32_t chartType() const { return chartType_; }
  // Makes a chart sheet of the collected rows: the first (the date row) gives the
  // categories, each further row a series from column A (its title, or the label
  // "Alternative %d%c" written for the rows of the alternatives after the first) to
  // the last date column. At most 30 rows. -1 after the messages and the syntax lines.
  // The writer's font is set back to the pending run's afterwards.
  int makeChart(const ChartRequest& request);

  // The workbook model, for reading back.
  const Excel& excel() const { return excel_; }
  // The save format.
  const std::string& saveFormat() const { return saveFormat_; }

 private:
  // A run is waiting to be written (pendingRow holds a row with a run in it).
  bool runPending() const { return rowSet_ && firstColumn_ <= NoRunColumn - 1; }
  // Writes the pending run to the workbook; the message names the failure.
  int writeRun(const char* failureMessage);
  void clearRun();
  void open(std::string& working, const SheetTitles& titles);
  // A failed cell write: its message, and the writer failed. Returns -1.
  int failWrite(const char* message);

  bool writing_ = false;     // open for writing (construction succeeded, not stopped)
  Excel excel_;              // the application link
  std::array<float, RunColumns> runBuffer_{};  // values of the pending run, by column
  bool rowSet_ = false;      // pendingRow holds a row (a run, or a date row)
  int32_t pendingRow_ = 0;   // row of the pending run
  int32_t firstColumn_ = 0;  // columns of the pending run; NoRunColumn: no run in pendingRow
  int32_t lastColumn_ = 0;
  int32_t pendingDecimals_ = -99;  // decimals of the pending run; negative: not chosen yet
  VexFont pendingFont_;      // font the pending run is written with
  std::string saveFormat_;   // format name for saving the workbook
  std::vector<int32_t> chartRows_;  // worksheet rows collected for a chart
  bool recording_ = false;   // rows are being collected for a chart
  int32_t chartType_ = 51;   // chart constant chosen by setChartType (ColumnClustered first)
  bool decimalsWarned_ = false;  // the decimals message was given
  bool closed_ = false;      // close() ran
  int closeResult_ = 0;      // its result
};

}  // namespace tabrix

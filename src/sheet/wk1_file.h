// WK1File: the worksheet writer. The table composer hands it cells addressed by row and
// column (both from 0; column 0 is the title column) and it writes them into one of two
// targets chosen when it is made:
//  - the WK1 form: a Lotus 1-2-3 worksheet file, written record by record as the cells
//    arrive (BOF, COLW1, LABEL, NUMBER, RANGE, EOF);
//  - the XLS form: a workbook built through Excel (excel.h), one worksheet per table
//    page, saved when the writer is closed. Numbers of one row are gathered into runs of
//    adjacent columns and handed to the workbook a run at a time.
// The writer never sees the table state: the composer and the commands pass what it
// needs (file type, sheet titles, fonts, counts).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "dates/vex_date.h"
#include "sheet/excel.h"
#include "sheet/vex_font.h"
#include "sheet/wk1_records.h"

namespace tabrix {

enum class SheetForm : uint8_t {
  WK1,  // a Lotus WK1 file
  XLS,  // a workbook
};

// What makeChart needs of the table: the chart is drawn from the collected rows.
struct ChartRequest {
  int altCount = 1;      // rows per table line (the alternatives)
  VexFont nameFont;      // the font of the labels of the alternatives' rows
  int dateCount = 0;     // date columns of the block: each series spans A .. A + dateCount
  std::string title;     // the chart title
  std::string subtitle;  // its second line (and the extra title)
  std::string axisTitle;  // the value axis's title
};

// What a worksheet may be named after: the \wstitle title, else the running head.
struct SheetTitles {
  std::string worksheetTitle;  // \wstitle's title; empty when none was given
  std::string headText;        // the running head (\head)
  bool headSet = false;        // a running head was given
};


class WK1File {
 public:
  // The run fields' marker of "no run" in firstColumn.
  static constexpr int32_t NoRunColumn = 9999999;
  // Columns the run buffer holds (0 .. 255).
  static constexpr int RunColumns = 256;

  // Makes the target for `name` (mode 1 writes). The XLS form takes the text after the
  // name's first '.' (in its file name) as the save format and names the first
  // worksheet; the WK1 form gives the name the extension .wk1. A \filetype text, when
  // not empty, becomes the save format and the name loses its extension. In the XLS form
  // `name` receives the name of the workbook file written (out.xls becomes out.xlsx).
  // Failures print their message and leave the writer closed (isOpen false).
  WK1File(std::string& name, int mode, SheetForm form, std::string_view fileType, const SheetTitles& titles);
  // Closes the target (close()) when that was not done.
  ~WK1File();
  WK1File(const WK1File&) = delete;
  WK1File& operator=(const WK1File&) = delete;

  // Construction succeeded.
  bool isOpen() const { return opened_; }
  SheetForm form() const { return form_; }

  // A number cell with `decimals` decimals. WK1: 1 done, 0 the write failed. XLS: 1
  // (gathered into the row's run); -1 when a run could not be written. -1 when not open.
  int writeNumber(int row, int column, float value, int decimals);
  // A text cell; align is the WK1 alignment prefix ('\'' left, '"' right, '^' centre).
  // WK1: 1 done, 0 failed. XLS (aligned by the font): 0 done, -1 failed. -1 when not open.
  int writeText(int row, int column, std::string_view text, char align);
  // A column's width in characters: 1 done, 0 the WK1 write failed, -1 when not open.
  int setColumnWidth(int column, int width);
  // A formula in the cells of the range. XLS: 0 done, -1 failed. WK1: 0, nothing written.
  int writeFormula(int row1, int column1, int row2, int column2, std::string_view formula);
  // The font of the cells that follow. XLS: 0; WK1: -1 (stored, without effect).
  int setFont(const VexFont& font);
  // The font handed in last.
  const VexFont& currentFont() const { return currentFont_; }
  // The text a missing number's cell shows. XLS: 0; WK1: -1, nothing done.
  int setMissingText(std::string_view text);
  // Names the current worksheet. XLS: 0 done, -1 refused; WK1: 0.
  int nameSheet(std::string_view name);
  // Starts the worksheet of the next page, named after the titles (or Page-n). XLS: 0
  // done, -1 failed (the writer then stays closed); WK1: 0.
  int newSheet(const SheetTitles& titles);
  // The dates of a chart as a date series along a row: count dates from firstDate,
  // from `column` (counted from 1) of `row`, the dates in dateFont (dataFont is in force
  // while a pending run of another row is written). 0 done, -1 failed.
  int writeDateRow(int row, int column, const VexDate& firstDate, int count, const VexFont& dataFont,
                   const VexFont& dateFont);
  // The worksheet's dimensions. WK1: the RANGE record, 1 done, 0 failed. XLS: 1. -1 when
  // not open.
  int finishSheet(int firstRow, int firstColumn, int lastRow, int lastColumn);
  // \wsfreeze: up to three tokens (text and token type: 'n' number, 'a' word; 0, 'f' or
  // 'e' for none) checked and handed to Excel::Freeze. 0 done, -1 failed (with the
  // syntax lines).
  int freezePanes(std::string_view token1, int type1, std::string_view token2, int type2,
                  std::string_view token3, int type3);
  // Chart-row collection on or off; off empties the collected rows. While it is on,
  // every row that receives a number or the date series is collected once, in the
  // order the rows are first written.
  void setRecording(bool on);
  bool recording() const { return recording_; }
  // Worksheet rows (from 1) collected for a chart.
  const std::vector<int32_t>& chartRows() const { return chartRows_; }
  // The chart type of the next chart: 0 when name is one of the chart-type names
  // (chart_types.h, matched completely, ignoring case), -1 otherwise (unchanged).
  int setChartType(std::string_view name);
  int32_t chartType() const { return chartType_; }
  // Makes a chart sheet of the collected rows: the first (the date row) gives the
  // categories, each further row a series from column A (its title, or the label
  // "Alternative %d%c" written for the rows of the alternatives after the first) to
  // the last date column. At most 30 rows. 0 done; -1 after the messages and the
  // syntax lines. The writer's font is set back to the pending run's afterwards.
  int makeChart(const ChartRequest& request);

  // Ends the target as destruction does: the pending run is written and the workbook
  // saved (XLS), or the EOF record written and the file closed (WK1). Returns 0, or -1
  // when this or an earlier write of the target failed (each reported once, naming the
  // file). Later calls return the same result.
  [[nodiscard]] int close();
  // A write of the target failed (it was reported).
  bool failed() const { return failed_; }

  // The workbook model (XLS form), for reading back.
  const Excel& excel() const { return excel_; }
  // The full name the workbook is saved under (XLS), or the WK1 file's name.
  const std::string& savePath() const { return savePath_; }
  // The save format (XLS).
  const std::string& saveFormat() const { return saveFormat_; }

 private:
  bool isXls() const { return form_ == SheetForm::XLS; }
  // A run is waiting to be written (pendingRow holds a row with a run in it).
  bool runPending() const { return rowSet_ && firstColumn_ <= NoRunColumn - 1; }
  // Writes the pending run to the workbook; the message names the failure.
  int writeRun(const char* failureMessage);
  void clearRun();
  // Writes one WK1 record; false when the file write failed (reported once).
  bool writeRecord(uint16_t opcode, const std::string& body);
  // Reports a failed write of the target once.
  void reportFailure();
  // False (reported once) for a cell a WK1 record cannot address.
  bool wk1Addressable(int row, int column);
  void openXls(std::string& name, const SheetTitles& titles);
  void openWk1(const std::string& name);

  SheetForm form_;
  int32_t state_ = -1;       // 1 open for writing; -1 construction failed or the writer stopped
  bool opened_ = false;      // construction succeeded
  std::FILE* file_ = nullptr;  // the WK1 file
  Excel excel_;              // the application link (XLS form)
  std::array<float, RunColumns> runBuffer_{};  // values of the pending run, by column
  bool rowSet_ = false;      // pendingRow holds a row (a run, or a date row)
  int32_t pendingRow_ = 0;   // row of the pending run
  int32_t firstColumn_ = 0;  // columns of the pending run; NoRunColumn: no run in pendingRow
  int32_t lastColumn_ = 0;
  int32_t pendingDecimals_ = -99;  // decimals of the pending run; negative: not chosen yet
  VexFont currentFont_;      // font handed in by setFont
  VexFont pendingFont_;      // font the pending run is written with
  std::string saveFormat_;   // format name for saving the workbook
  std::string savePath_;     // full name the workbook is saved under
  std::string fileName_;     // the file as the user named it, for messages
  std::vector<int32_t> chartRows_;  // worksheet rows (from 1) collected for a chart
  bool recording_ = false;   // rows are being collected for a chart
  int32_t chartType_ = 51;   // chart constant chosen by setChartType (ColumnClustered first)
  bool failed_ = false;      // a write of the target failed
  bool decimalsWarned_ = false;  // the decimals message was given
  bool closed_ = false;      // close() ran
  int closeResult_ = 0;      // its result
};

// The name a worksheet takes from the titles: the \wstitle title, else the head when
// set, with characters a sheet name cannot hold replaced by '_' and cut to 31
// characters; "" when neither gives a name.
std::string sheetNameFrom(const SheetTitles& titles);

}  // namespace tabrix

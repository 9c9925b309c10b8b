// Excel: the spreadsheet operations. There is no spreadsheet application to drive on
// this platform: "the application" is a workbook model in memory (workbook.h), and
// starting, showing, checking and closing it act on that model. Every operation keeps
// its arguments, order, messages and results (0 done, -1 failed, after its own message);
// saving writes a real file: a workbook (.xlsx, through libxlsxwriter, with its chart
// sheets), or CSV, text, HTML or WK1 (save_writers.h). The column-name operations turn
// column numbers into letters ("A" .. "IV") and back.
//
// One Excel object holds at most one application, one open workbook and one current
// worksheet; the workbook writer (workbook_writer.h) owns one and is its only caller. Cells are
// addressed by column letters and rows counted from 1; a range by its first and last cell.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "sheet/excel_constants.h"
#include "sheet/save_formats.h"
#include "sheet/vex_font.h"
#include "sheet/workbook.h"

namespace tabrix {

// One chart series as setChart is given it: a range of the current worksheet, by column
// letters and rows counted from 1. A first row below 1 ends the list.
struct XLSeries {
  std::string startColumn;  // column letters of the first cell
  int32_t startRow = 0;     // row of the first cell
  std::string endColumn;    // column letters of the last cell
  int32_t endRow = 0;       // row of the last cell
};

// The series setChart reads at most.
constexpr int MaxChartSeries = 30;

// What a cell whose number is missing receives: a number (the missing-value marker at
// first) or, once the writer hands it over, the table's missing-value text.
struct MissingCellValue {
  bool isText = false;                                    // text rather than a number
  double number = static_cast<double>(-0.000001f);        // the number written
  std::string text;                                       // the text written
};

class Excel {
 public:
  Excel() = default;
  // Closes the application (CloseExcel), saving changes of a workbook that has a file.
  ~Excel();
  Excel(const Excel&) = delete;
  Excel& operator=(const Excel&) = delete;

  // --- Life cycle and files --------------------------------------------------------

  // Starts the application hidden, closing whatever was open first (with a warning).
  [[nodiscard]] int OpenExcel();
  // Closes the worksheet, the workbook (saving its changes when it has a file) and the
  // application, in that order.
  int CloseExcel();
  // Closes the worksheet and the workbook, saving the workbook's changes when it has a
  // file.
  int CloseWorkbook();
  // Lets go of the current worksheet (the workbook keeps it).
  int CloseWorksheet();
  // kind "worksheet" or "ws" (exactly): adds a worksheet after the active sheet, named
  // uniquely from name (name, name-2, name-3, ...). Any other kind: a new workbook with
  // one worksheet, saved at once under name in format when name is not empty.
  [[nodiscard]] int CreateNew(std::string_view name, std::string_view kind, std::string_view format);
  // Names the current worksheet. A name the workbook file cannot hold (empty, over 31
  // characters, one of []:*?/\ or a control character, an apostrophe first or last, the
  // name of another sheet ignoring case) is refused.
  [[nodiscard]] int SetSheetName(std::string_view name);
  // SaveWorkbookAs, once application, workbook and worksheet are all open.
  [[nodiscard]] int SaveWorksheet(std::string_view name, std::string_view format, int mode);
  // Saves the workbook under name (relative to the current directory; the present name
  // when empty) in format (the SaveWorkbookAs table, ignoring case). A name without an
  // extension gets the format's; ".xls" becomes ".xlsx". A format no writer exists for
  // is saved as a workbook named .xlsx, with one warning per workbook. Mode 2
  // overwrites without asking; any other mode is taken as 1 (and overwrites as well:
  // the model asks nothing).
  [[nodiscard]] int SaveWorkbookAs(std::string_view name, std::string_view format, int mode);
  // The file SaveWorkbookAs writes for a name and format, before the current directory
  // is put in front of a relative name: out and out.xls in the normal format are
  // out.xlsx, out in CSV is out.csv; a name with another extension keeps it.
  static std::string workbookFileName(std::string_view name, std::string_view format);
  // Shows or hides the application (and its screen updating).
  int SetVisible(int flag);
  // Waits while the application is busy; the model never is. -1 without an application.
  [[nodiscard]] int CheckStatus();

  // --- Cells -----------------------------------------------------------------------

  // A text cell in `font`, with the text number format "@"; an empty text empties the
  // cell and applies no format.
  [[nodiscard]] int WriteString(std::string_view column, int row, std::string_view text);
  // count values from the cell along direction 'd' down, 'u' up, 'r' right or 'l' left
  // (values[0] in the given cell), in `font` with `decimals` decimals; a missing value
  // gets `missingValue` as a text cell. With isDate, values[0] is a date number (year
  // and fraction) and the cells get successive dates of its frequency.
  [[nodiscard]] int WriteNumberArray(std::string_view column, int row, char direction, int count,
                                     std::span<const float> values, bool isDate);
  // The formula in every cell of the range, formatted with `font` first; an empty
  // formula empties the cells.
  [[nodiscard]] int setFormula(std::string_view column1, int row1, std::string_view column2, int row2,
                               std::string_view formula);
  // The width of a whole column, in characters (0 .. 255).
  [[nodiscard]] int setColWidth(std::string_view column, double width);
  // The number format "0", "0.0", "0.00", ... with `decimals` decimals on the range.
  [[nodiscard]] int setFormatDecimal(std::string_view column1, int row1, std::string_view column2,
                                     int row2, int decimals);
  // The font's attributes on the range, one after the other (underline, bold, italic,
  // alignments, name, size, colour), stopping at the first that fails. Bold and italic
  // are only ever switched on.
  [[nodiscard]] int formatCell(std::string_view column1, int row1, std::string_view column2, int row2,
                               const VexFont& cellFont);
  // One attribute on the range: value "bold"/"italic" with code on/off, or by code: 'u'
  // underline, 'c' colour, 't' typeface, 'n' size, 'h' / 'v' alignment. Another code: -1.
  [[nodiscard]] int setFormat(std::string_view column1, int row1, std::string_view column2, int row2,
                              std::string_view value, int code);
  // Choose the underline, horizontal and vertical constants by name or letter.
  int setUnderlineStyle(std::string_view text);
  int setHorizontal(std::string_view text);
  int setVertical(std::string_view text);
  // Freezes panes of the current worksheet: cell "off" unfreezes; a row number freezes
  // the rows above it; a cell (C12) the rows above and the columns left of it; column
  // letters the columns left of them. The scroll arguments (rows as decimal text,
  // columns as letters; empty when not given) set the window before and after.
  [[nodiscard]] int Freeze(std::string_view cell, std::string_view scrollRowBefore,
                           std::string_view scrollColumnBefore, std::string_view scrollColumnAfter,
                           std::string_view scrollRowAfter);

  // --- Charts -------------------------------------------------------------------------

  // Adds a chart sheet after the current worksheet (and after the chart sheets already
  // beside it); the worksheet stays the current and active sheet. The source is the
  // ranges of series, up to the first whose first row is below 1, read as one table:
  // their rows one under the other over the columns they span. Its first row gives the
  // category labels and its first column the series names. plotBy 'r' makes a series
  // of each further row, anything else a series of each further column (the rows must
  // then follow one another). chartType is a chart constant (chart_types.h); a type
  // the file draws as another chart says so in one line. The chart has a legend, the
  // title (a line feed breaks it), the axis titles when not empty, and keeps extraTitle.
  // -1 after a message when there is no worksheet, the source holds no values to chart
  // or the type or a range is refused.
  [[nodiscard]] int setChart(std::span<const XLSeries> series, int32_t chartType, std::string_view title,
                             std::string_view categoryTitle, std::string_view valueTitle,
                             std::string_view extraTitle, std::string_view plotBy);

  // --- Column names (no application needed; "-1" means failure) ----------------------

  // "A" for 1 .. "IV" for 256.
  static std::string ColName(int number);
  // The number of one or two column letters (either case), or -1.
  static int ColNumber(std::string_view letters);
  // The letters of the column k columns from the given one.
  static std::string ColOffset(std::string_view letters, int k);
  // The next column's letters.
  static std::string colmath(std::string_view letters);
  // The previous column's letters.
  static std::string ColMinusOne(std::string_view letters);

  // --- Settings the writer gives ----------------------------------------------------

  MissingCellValue missingValue;            // what a missing number's cell receives
  int32_t decimals = 2;                     // decimals of WriteNumberArray's numbers
  int32_t underlineStyle = xl::UnderlineSingle;  // set by setUnderlineStyle
  int32_t horizontalAlign = xl::General;    // set by setHorizontal
  int32_t verticalAlign = xl::Bottom;       // set by setVertical
  VexFont font;                             // the font of every cell the writes write

  // --- The model, for the writer and for reading back ---------------------------------

  bool applicationRunning() const { return application_; }
  bool visible() const { return visible_; }
  // The open workbook, or nullptr.
  const Workbook* workbook() const { return workbook_.get(); }
  // The current worksheet, or nullptr.
  const Sheet* worksheet() const { return worksheet_; }
  // The open workbook's full name (its file once saved), or "" without a workbook.
  std::string fullName() const { return workbook_ ? workbook_->fullName : std::string(); }
  // Runs of numbers written by WriteNumberArray so far (dates not counted).
  std::size_t numberRuns() const { return numberRuns_; }
  // Worksheet.Rows.Count and Worksheet.Columns.Count; -1 without a worksheet.
  int32_t rowCount() const { return worksheet_ ? xl::RowCount : -1; }
  int32_t columnCount() const { return worksheet_ ? xl::ColumnCount : -1; }

 private:
  // A range of the current worksheet, rows and columns from 1, first <= last.
  struct Area {
    int32_t row1 = 1, column1 = 1, row2 = 1, column2 = 1;
  };

  // Reads column letters and rows into an area inside the sheet; false when they do
  // not address cells.
  static bool makeArea(std::string_view column1, int row1, std::string_view column2, int row2, Area& area);
  // Gives every cell of the area the style that `change` makes of its present one.
  template <typename Change>
  void restyle(const Area& area, Change change);
  // The number format of `places` decimals on an area.
  int formatDecimals(const Area& area, int places);
  // The formatCell steps on an area.
  int formatArea(const Area& area, const VexFont& cellFont);
  // Saves the workbook model under path in a format; reports a failure naming the file.
  int saveModel(const std::string& path, const SaveFormat& format);
  // The name a new sheet gets from name: name itself, or name-k for the first k that
  // follows the sheets already named so, cut so that it fits a sheet name.
  std::string uniqueSheetName(const std::string& name, const Sheet* self) const;
  // True when the workbook file can hold name as the name of sheet self.
  bool sheetNameAllowed(const std::string& name, const Sheet* self) const;
  int writeDates(std::string_view column, int row, char direction, int count, float first);

  bool application_ = false;      // the application is running
  bool visible_ = false;          // the application is shown
  bool screenUpdating_ = false;   // the application updates its screen
  bool displayAlerts_ = true;     // the application would ask before overwriting
  int workbooksMade_ = 0;         // for the default names Book1, Book2, ...
  int sheetsMade_ = 0;            // for the default names of added sheets
  std::size_t numberRuns_ = 0;    // runs of numbers written
  int chartsMade_ = 0;            // for the names of chart sheets, Chart1, Chart2, ...
  bool formatWarned_ = false;     // the warning for a format written as a workbook was given
  bool wk1Warned_ = false;        // the warning for the worksheets a WK1 file leaves out was given
  std::unique_ptr<Workbook> workbook_;  // the open workbook
  Sheet* worksheet_ = nullptr;    // the current worksheet (a sheet of workbook_)
  bool hasRange_ = false;         // currentRange holds a range
  Area currentRange_;             // the range last addressed by a format or freeze
};

// The error prompt of the close and save operations: a title line "Error" and the
// message, then one key is read and not used.
void errorPrompt(std::string_view message);

}  // namespace tabrix

// The workbook model: what the spreadsheet operations (class Excel) build in memory and
// what the save formats write out. A workbook holds its sheets in order: worksheets,
// each with a name, its cells (texts, numbers, dates and formulas, each with a style),
// its column widths and its window (scroll position, frozen panes, selection), and
// chart sheets, each with one chart of ranges of a worksheet. The styles are kept once
// in a table shared by the sheets. Rows and columns count from 0 here; the
// operations above it address cells by column letters and rows from 1.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/chart_types.h"
#include "sheet/excel_constants.h"

namespace tabrix {

// How a cell looks: its number format and its font attributes, in the application's
// constants (excel_constants.h).
struct CellStyle {
  std::string numberFormat;                 // "" General, "@" text, "0.00", "yyyy", ...
  bool bold = false;                        // bold font
  bool italic = false;                      // italic font
  int32_t underline = xl::UnderlineNone;    // underline style constant
  int32_t horizontal = xl::General;         // horizontal alignment constant
  int32_t vertical = xl::Bottom;            // vertical alignment constant
  std::string fontName;                     // typeface; "" the workbook's default
  double size = 0;                          // font size in points; 0 the default
  int32_t colour = xl::NoColour;            // blue-green-red value, or NoColour

  auto operator<=>(const CellStyle&) const = default;
};

// The styles of a workbook, each kept once; cells refer to them by index. Index 0 is
// the default style.
class StyleTable {
 public:
  StyleTable();
  // The index of a style equal to `style`, added when it is new.
  uint32_t intern(const CellStyle& style);
  const CellStyle& at(uint32_t index) const { return styles_[index]; }
  std::size_t size() const { return styles_.size(); }

 private:
  std::vector<CellStyle> styles_;
  std::map<CellStyle, uint32_t> index_;
};

enum class CellType : uint8_t {
  Empty,    // no value (it may still carry a style)
  Text,     // text
  Number,   // a number
  Date,     // a date, held as the application's day number (1 = 1 January 1900)
  Formula,  // a formula, held as its text ("=REPT(\"-\",600)")
};

// One cell of a worksheet.
struct SheetCell {
  CellType kind = CellType::Empty;
  uint32_t style = 0;   // index in the workbook's style table
  double number = 0;    // the value of a Number or Date cell
  std::string text;     // the text of a Text cell, the formula of a Formula cell
};

// What the window shows of a sheet. Rows and columns here count from 1, as the
// application's window does.
struct SheetWindow {
  int32_t scrollRow = 1;       // first row shown (of the scrolling pane when frozen)
  int32_t scrollColumn = 1;    // first column shown (likewise)
  bool frozen = false;         // panes are frozen
  int32_t splitRow = 0;        // first row of the scrolling pane; 0 no row split
  int32_t splitColumn = 0;     // first column of the scrolling pane; 0 no column split
  int32_t frozenTopRow = 1;    // first row shown in the frozen pane
  int32_t frozenLeftColumn = 1;  // first column shown in the frozen pane
  // The selected range (first and last cell); the first is the active cell.
  int32_t selectionRow1 = 1, selectionColumn1 = 1, selectionRow2 = 1, selectionColumn2 = 1;
};

enum class SheetKind : uint8_t {
  Worksheet,  // cells
  Chart,      // a chart sheet: one chart of ranges of a worksheet
};

class Sheet;

// A rectangle of cells, rows and columns from 0, first <= last.
struct CellRange {
  int32_t row1 = 0, column1 = 0, row2 = 0, column2 = 0;
};

// One series of a chart, on the chart's source worksheet.
struct ChartSeries {
  bool hasName = false;            // the name is the text of a cell
  int32_t nameRow = 0, nameColumn = 0;  // that cell
  CellRange values;                // the values: one row or one column
  bool hasCategories = false;      // the categories are cells (else 1, 2, 3, ...)
  CellRange categories;            // those cells, as many as the values
};

// The chart of a chart sheet.
struct Chart {
  int32_t gallery = 0;             // the chart constant it was made with
  ChartDrawing drawing;            // the chart the file holds (chart_types.h)
  const Sheet* source = nullptr;   // the worksheet the series read (named when written)
  std::vector<ChartSeries> series;  // in order; a chart without series is not made
  std::string title;               // the chart title; a line feed breaks it into lines
  std::string categoryTitle;       // the category axis's title
  std::string valueTitle;          // the value axis's title
  std::string extraTitle;          // the series axis's title of a 3-D chart (kept; a flat chart has none)
  bool legend = true;              // a legend with the series names
};

class Sheet {
 public:
  Sheet(std::string name, SheetKind kind) : name(std::move(name)), kind(kind) {}

  std::string name;  // the sheet's name, unique in its workbook ignoring case
  SheetKind kind;    // worksheet or chart sheet

  // The cell at (row, column), or nullptr when the sheet holds none there.
  const SheetCell* find(int32_t row, int32_t column) const;
  // The cell at (row, column), made empty when there was none. Row and column must lie
  // inside the sheet (0 .. RowCount - 1, 0 .. ColumnCount - 1).
  SheetCell& at(int32_t row, int32_t column);
  // Rows that may hold cells (one past the last row written).
  int32_t rowCount() const { return static_cast<int32_t>(rows_.size()); }
  // The cells of a row, indexed by column (shorter than the widest row for most rows).
  const std::vector<SheetCell>& row(int32_t index) const { return rows_[static_cast<std::size_t>(index)]; }
  // Cells that hold a value (not Empty).
  std::size_t valueCount() const;

  std::map<int32_t, double> columnWidths;  // column -> width in characters
  SheetWindow window;                      // scroll position, panes and selection
  std::unique_ptr<Chart> chart;            // the chart of a chart sheet

 private:
  std::vector<std::vector<SheetCell>> rows_;
};

class Workbook {
 public:
  // An unsaved workbook named like the application names a new one ("Book1").
  explicit Workbook(std::string defaultName);

  std::vector<std::unique_ptr<Sheet>> sheets;  // in order; the addresses stay put
  Sheet* activeSheet = nullptr;                // the sheet the application shows
  StyleTable styles;                           // every style the cells use
  std::string fullName;      // the full file name once saved; the default name before
  bool hasFile = false;      // saved at least once: fullName is a file
  int32_t fileFormat = 0;    // the format constant it was last saved in
  bool dirty = false;        // changed since the last save

  // Inserts a sheet after `after` (at the end when after is nullptr) and returns it.
  Sheet& addSheet(std::string name, SheetKind kind, const Sheet* after);
  // The sheet a new sheet "after `sheet`" goes behind: `sheet`, or the last of the chart
  // sheets that directly follow it (so a worksheet's charts stay beside it).
  const Sheet* behindCharts(const Sheet* sheet) const;
  // The position of a sheet in `sheets` (counted from 0), or -1.
  int indexOf(const Sheet* sheet) const;
  // The sheet of that name, ignoring the case of ASCII letters; nullptr when none.
  Sheet* findSheet(std::string_view name);
  // Worksheets only (no chart sheets), in order.
  std::vector<Sheet*> worksheets() const;
};

// Text as the workbook file holds it: valid UTF-8. Well-formed UTF-8 sequences are kept;
// every other byte is read as a Latin-1 character.
std::string toUtf8(std::string_view text);
// The number of characters of a UTF-8 text (continuation bytes not counted).
std::size_t utf8Length(std::string_view text);
// The first `count` characters of a UTF-8 text.
std::string utf8Prefix(std::string_view text, std::size_t count);

// The day number of the first of a month as the application counts days (1 January
// 1900 is 1, and it counts a 29 February 1900); -1 outside the years 1900 .. 9999.
double dayNumber(int year, int month);

}  // namespace tabrix

// TableSink: what the composer hands every output form. The composer lays out a page
// (which lines, in which order, at which columns, with which texts) and calls the
// attached sinks in that order; a sink renders what it is handed and decides no layout
// of its own. Each call carries both the structured content (texts, cells, kinds) and,
// where the fixed-width table has one, the laid-out text line, so the text table writes
// exactly what the composer built while HTML, LaTeX or PDF use the structure.
//
// Failure is sticky: after the first failed write a sink ignores further calls and
// status() stays non-zero; finish() completes the file and returns the status (the
// failure reported once, naming the file); abandon() closes without completing.
//
// A page comes as: beginPage, marginLines (top), fontRole(HeadFont) headerLine(Head)
// fontRole(HeadFont, off), blankLines (\spacehead), the title and subtitle lines in
// TitleFont, fontRole(BankFont), [blankLines(1), headerLine(ListHeading),
// headerLine(Alternative) per alternative], blankLines(1), [headerLine(Sentence),
// blankLines(1)], fontRole(BankFont, off), beginBody; then the body: fontRole(DateFont)
// dateRow [dateUnderline] fontRole(DateFont, off), table lines (beginLine, valueRow per
// row kept, endLine; blankLines for \spacing), text lines, rules, a listing's headings;
// at its end pageFoot (with a time stamp), marginLines (bottom) and endPage. Every font
// switch of the composer comes, whether or not the role has printer words. While the
// target takes a chart block's date row as a date series (layout().dateSeries) it gets
// dateSeries in place of dateRow.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "table/contents.h"

namespace tabrix {

enum FontRole : int;  // table/table_line.h

// The setup of a page, as the composer begins it.
struct PageSetup {
  int pageNumber = 0;    // from 1
  int pageWidth = 132;   // columns of the head line, text lines and centred lines
  int pageLength = 66;   // lines per page
  int tableWidth = 132;  // titleWidth + the date columns' widths
  int titleWidth = 32;   // width of the title column
  bool landscape = false;
  char showMode = 'a';   // 'a' levels, 'd' deviations, 'p' percentage deviations
  int altCount = 1;      // rows per table line
  int tableNumber = 0;   // the table's number in the contents (0 without \toc)
  int leftMargin = 0;    // printer left margin in columns (0: none)
  int linesPerPage = 0;  // printer lines per 10 inches (0: none)
  // The page was begun because the date header did not fit on the last one: a chart
  // block that opens at the foot of a page goes on here.
  bool brokenAtDates = false;
};

// The record layouts that replace the table's pages: a data record per series
// (\gdata), one value per line (\oneperline).
enum class RecordLayout { None, DataRecords, OnePerLine };

// What the table's own target changes in the composer's layout. The plain text table
// takes the defaults; a print file (\prn) quotes and pads its text fields, leaves the
// page text and the count out of its head line and ends no page with a margin or a time
// stamp; the record layouts replace the pages. A worksheet counts the head line and the title as two rows each and has
// no time stamp, and a listing's centred headings take no row on it; a workbook also
// leaves the page text out of the head line, has no underline row (its date font
// carries the underline), and takes the date row of a chart block as the chart's date
// series (the labels are then not held to their columns' width).
struct TargetLayout {
  int headRows = 1;           // lines the head line counts
  int titleRows = 1;          // lines the table title counts
  bool pageNumbers = true;    // the head line may show the page text
  bool timeStamp = true;      // the time stamp at a page's foot and at the end of the run
  bool headings = true;       // a listing's centred headings are counted lines
  bool underlineRow = true;   // the \underline row under the date labels
  bool dateSeries = false;    // the next date row is a chart's date series
  bool quotedFields = false;  // a print file: text fields quoted and padded
  bool pageEnds = true;       // a page ends with its time stamp and bottom margin
  RecordLayout records = RecordLayout::None;  // records in place of pages
};

// The kinds of line in a page header.
enum class HeaderKind {
  Head,         // the running head and the page text
  Title,        // the table title (numbered "TABLE  n." with \toc)
  Subtitle,     // the second title line
  ListHeading,  // "Titles of Alternate Runs"
  Alternative,  // "Line k: <bank title>[ - <mode text>]"
  Sentence,     // "Alternatives are shown ..."
};

// One header line. `text` is the content alone (no layout blanks; for the head line the
// running head); `laidOut` is the line as the text table shows it (centred, quoted for
// a print file), without the line end.
struct HeaderLine {
  HeaderKind kind = HeaderKind::Head;
  std::string_view text;
  std::string_view laidOut;
  std::string_view pageText;  // Head only: "Page  3", "" without page numbers
  int alternative = 0;        // Alternative only: k, from 1
};

// One date label of the date-label row.
struct DateLabel {
  std::string_view label;  // "2025", "15-24", "2025.1"; "" for a spacer
  int width = 0;           // the column's width
  bool spacer = false;     // a spacer column sN
  bool growth = false;     // a growth-range column
};

// What a value cell holds.
enum class CellKind {
  Number,   // value, shown with decimals
  Missing,  // the \missing text
  Blank,    // blanks (a blanked zero)
  Spacer,   // a spacer column: blanks of its width, no value
};

// One cell of a value row.
struct Cell {
  CellKind kind = CellKind::Number;
  float value = 0.0f;     // the number (Number), the missing marker (Missing)
  int decimals = 0;       // decimals the table shows
  int width = 0;          // the column's width
  bool growth = false;    // a growth-rate column
  int column = 0;         // the date column's index, from 0
  std::string_view text;  // the text the table shows, without padding: "1,711.4", "-0.0", ""
};

// One row of a table line: the title area and the cells of one alternative.
struct ValueRow {
  int alternative = 0;          // from 0 (the base)
  bool carriesTitle = false;    // this row shows the line's title
  std::string_view title;       // the line's title (also on rows that do not carry it)
  std::span<const Cell> cells;  // one per date column
  std::string_view laidOut;     // the row as the text table shows it, right-trimmed
};

// A series as a data record (\gdata): the keyword and name, then the value of every
// period from the first date column to the last.
struct DataRecord {
  std::string_view keyword;        // "data"
  std::string_view name;           // the series' name
  std::span<const float> values;   // one per period
  int decimals = 0;                // decimals of the values
  int perLine = 5;                 // values per line
  // The record's lines as the table file shows them: the keyword and name, then each
  // line of values after its first period's label.
  std::span<const std::string> laidOut;
};

// One chart of a \xlgraph block.
struct ChartData {
  int chartType = 51;                 // the chart constant (chart_types.h)
  std::string title;
  std::string subtitle;
  std::string axisTitle;
  std::vector<std::string> categories;  // the date labels
  struct Series {
    std::string label;                  // the line's title, or "Alternative 2b" ...
    std::vector<double> values;         // one per category; NaN where missing
  };
  std::vector<Series> series;
};

class TableSink {
 public:
  virtual ~TableSink() = default;

  // The layout rules of this sink as the table's own target (see TargetLayout).
  virtual TargetLayout layout() const { return {}; }

  // Page structure.
  virtual void beginPage(const PageSetup& setup) = 0;
  virtual void endPage() = 0;
  // The page header has ended; the body follows.
  virtual void beginBody() {}
  // A font role switched on (`on`) or back to the body after it.
  virtual void fontRole(FontRole /*role*/, bool /*on*/) {}
  virtual void headerLine(const HeaderLine& line) = 0;
  // The date-label row; `laidOut` the row as the text table shows it.
  virtual void dateRow(std::span<const DateLabel> labels, std::string_view laidOut) = 0;
  // The date row of a chart block while this sink, as the table's own target, takes it
  // as the chart's date series (layout().dateSeries): 0, or -1 when it cannot hold the
  // dates (reported); the date header then ends there.
  [[nodiscard]] virtual int dateSeries(std::span<const DateLabel> labels, std::string_view laidOut) {
    dateRow(labels, laidOut);
    return 0;
  }
  // The rule under the date labels (the \underline character).
  virtual void dateUnderline(char character, std::string_view laidOut) = 0;

  // A table line: its rows, one per alternative shown, between beginLine and endLine.
  virtual void beginLine(std::string_view title) = 0;
  virtual void valueRow(const ValueRow& row) = 0;
  virtual void endLine() = 0;

  // A text line (';' or \center): the text, and the line as the table shows it.
  virtual void textLine(std::string_view text, bool centred, std::string_view laidOut) = 0;
  // A centred heading of a matrix listing; other sinks show it as a centred text line.
  virtual void heading(std::string_view text, std::string_view laidOut) { textLine(text, true, laidOut); }
  // The \line rule of `character` across the table width.
  virtual void rule(char character, std::string_view laidOut) = 0;
  // count empty lines.
  virtual void blankLines(int count) = 0;

  // A chart of a \xlgraph block, made after the rows it shows.
  virtual void chart(const ChartData& /*chart*/) {}
  // The table of contents, after the last page (with \toc).
  virtual void contents(const toc& /*entries*/, std::string_view /*pagePrefix*/) {}

  // The record layouts, which replace the table's pages: a comment line ("# text",
  // \gdata and \oneperline), a data record (\gdata), and one value of the only
  // alternative with its line's title and its column's label (\oneperline).
  virtual void comment(std::string_view /*text*/, std::string_view /*laidOut*/) {}
  virtual void dataRecord(const DataRecord& /*record*/) {}
  virtual void valueLine(std::string_view /*title*/, std::string_view /*label*/, const Cell& /*cell*/,
                         std::string_view /*laidOut*/) {}

  // Printer codes given by \pcontrol, written as they are where the table file has
  // reached. False when the sink sends no printer codes (\noformat, a WK1 file): the
  // word then sets nothing either.
  virtual bool printerCodes(std::string_view /*codes*/) { return false; }

  // The empty lines of a page's top and bottom margins and of the fill above the time
  // stamp on the last page: what only a page of fixed length shows.
  virtual void marginLines(int /*count*/) {}
  // The time stamp at the foot of a page (before its bottom margin), and its line as the
  // table shows it, centred on the page width.
  virtual void pageFoot(std::string_view /*stamp*/, std::string_view /*laidOut*/) {}

  // False for a sink that renders only the laid-out lines: while no attached sink uses
  // them, the composer leaves a value row's cells out (an empty span).
  virtual bool usesCells() const { return true; }

  // 0 while every write went through, -1 after a failure (reported once).
  virtual int status() const = 0;
  // Completes and closes the output: 0, or -1 when a write failed.
  [[nodiscard]] virtual int finish() = 0;
  // Closes without completing (the output is being thrown away).
  virtual void abandon() = 0;
};

}  // namespace tabrix

// TableLine: the table state of a run, made of its parts: TableSettings (what the stub's
// commands set: layout, number format, modes, texts, fonts), LineValues (the line being
// composed and its observations), DateList (the date columns), OutputTargets (the table
// file, the worksheet writer and the attached sinks), the table of contents and the
// composer's PageState, which only the composer moves. The run driver creates it; the
// interpreter changes its settings and values; the composer reads it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dates/vex_date.h"
#include "sheet/vex_font.h"
#include "sheet/sheet_writer.h"
#include "table/contents.h"
#include "table/page_state.h"
#include "table/sink_set.h"
#include "table/table_file.h"

namespace tabrix {

// Capacities of the state's text fields (characters, without the terminator). Writers
// cut longer texts at these lengths (assignCut).
constexpr std::size_t LineTextCapacity = 300;     // titles, head, line text, expression
constexpr std::size_t PagePrefixCapacity = 19;    // pagePrefix
constexpr std::size_t MissingTextCapacity = 15;   // missingText
constexpr std::size_t LineEndCapacity = 9;        // lineEnd
constexpr std::size_t GdataKeywordCapacity = 19;  // gdataKeyword
constexpr std::size_t FontWordCapacity = 39;      // a font role's fontWord
constexpr std::size_t SizeWordCapacity = 19;      // a font role's pointWord and pitchWord
constexpr std::size_t WorksheetTitleCapacity = 31;  // worksheetTitle

// Alternatives a table compares side by side (rows per table line).
constexpr int AltCapacity = 10;
// Date columns a list can hold, and the length of one column entry.
constexpr int MaxDateSpecs = 255;
constexpr std::size_t DateSpecCapacity = 21;
// Longest output row the composer builds.
constexpr int MaxRowLength = 743;
// Largest title column the numeric setting line and \titlewidth accept.
constexpr int MaxTitleWidth = 300;

// Stores text into a fixed-capacity field, cut at the capacity.
inline void assignCut(std::string& field, std::string_view text, std::size_t capacity) {
  field.assign(text.substr(0, capacity));
}

// The seven printer font roles, in their fixed order.
enum FontRole : int {
  BodyFont = 0,  // \font: the table body; every switch returns to it
  HeadFont,      // \fonthead: the head line of each page
  TitleFont,     // \fonttitle: the table title and subtitle
  DateFont,      // \fontdate: the date header row and its underline row
  BankFont,      // \fontbank: the list of alternatives and the mode sentence
  NameFont,      // \fontname: around every text line and table line
  DataFont,      // \fontdata: value cells (worksheet targets only)
};
constexpr int FontRoleCount = 7;

// One font role: its font setting and the three printer-control words sent
// when the role is switched on (a role with an empty fontWord sends nothing).
struct RoleFont {
  VexFont font;            // the font given by the role's font command
  std::string fontWord;    // typeface word, e.g. "lineprinter" (39 characters)
  std::string pointWord;   // point-size word, e.g. "point" or "point10" (19 characters)
  std::string pitchWord;   // pitch word, e.g. "pitch" or "pitch12" (19 characters)
};

// What the stub's commands set: the texts of the page, the layout, the number format,
// the modes, the worksheet and chart texts and the printer fonts.
struct TableSettings {
  // --- Texts of the page ---
  std::string tableTitle;       // table title, centered under the head on each page (300)
  bool titleSet = false;        // tableTitle was given (\title)
  std::string subtitle;         // second centered title line (300)
  bool subtitleSet = false;     // subtitle was given (\subtitle)
  std::string headText;         // running head at the left of the page-number line (300)
  bool headSet = false;         // headText was given (\head)
  std::string pagePrefix = "Page ";  // text before the page number (19)
  std::optional<std::string> timestampText;  // time stamp centered at each page's foot
  std::array<std::string, AltCapacity> altTitles;  // bank title per alternative; [0] is the base (300)
  bool altTitlesKnown = false;  // altTitles are filled in: the header lists the alternatives
  std::string missingText = "-0.0";  // printed in place of a missing value (15)
  std::string lineEnd = "\n";   // written at the end of every output line; "\\par\n" for RTF (9)

  // --- Layout ---
  int16_t pageWidth = 132;      // width for text lines, the head line and the time stamp (0..600)
  int16_t pageLength = 66;      // lines per page
  int16_t topMargin = 3;        // empty lines at the top of a page
  int16_t bottomMargin = 9;     // empty lines before the form feed, reserved at page breaks
  int16_t leftMargin = 0;       // printer left margin in columns; 0 sends no code
  int16_t linesPerPage = 0;     // printer lines per 10 inches (30..200); 0 sends no code
  bool landscape = false;       // landscape orientation code in every page header
  int16_t titleWidth = 25;      // width of the title column (the driver sets 32; at most 300)
  int16_t fieldWidth = 7;       // width of a value column and of a date label
  int16_t growthWidth = -1;     // width of growth-range columns; -1 means fieldWidth
  int16_t tableWidth = 132;     // titleWidth + dateCount() * fieldWidth, set by each page header
  int16_t spacing = 1;          // lines per table line; spacing - 1 empty lines follow it (0..600)
  int16_t spaceHead = 0;        // empty lines after the head line
  bool pageNumbers = true;      // print the page number on the head line (\pages)
  char underlineChar = 0;       // character of the rule under the date labels; 0 = none
  int16_t yearFormat = 1;       // year form of date labels: 0 short, 1 full, 2 full ranges, 3

  // --- Number format ---
  int16_t decs = 1;             // decimals of levels and deviations
  int16_t growthDecs = 1;       // decimals of growth-rate cells
  int16_t coefDecs = 4;         // decimals while coefMode is on
  bool coefMode = false;        // matrix listing: use coefDecs for non-growth cells
  bool commas = false;          // group thousands with commas
  bool blankZeroes = false;     // print values of magnitude <= 1e-6 as blanks
  bool noZeroRows = false;      // drop rows whose largest magnitude is below 1e-6
  float threshold = 0.0f;       // drop rows below threshold * divisor (\threshhold)
  float divisor = 1.0f;         // every fetched observation is divided by it (\div)
  bool printBase = true;        // print the base alternative's row

  // --- Modes ---
  char showMode = 'a';          // 'a' levels, 'd' deviations, 'p' percentage deviations
  char growthMode = 'n';        // 'g': every column is the growth from the previous period
  char growthType = 'e';        // 'p' percent change, 'c' compound, 'e' logarithmic
  char annualRates = 'y';       // 'y': annualize growth rates of sub-annual dates
  char aggType = 'i';           // annualization: 'i' times periods per year, 'b' compound
  int16_t altCount = 1;         // alternatives compared (1..10); rows per table line
  bool gdataMode = false;       // write series as data records (\gdata)
  int16_t gdataPerLine = 5;     // values per data-record line
  std::string gdataKeyword = "data";  // keyword opening each data record (19)
  bool gdataSkipZeroes = true;  // skip series whose values are all near zero
  bool gdataComments = true;    // write a comment line for each line title
  bool onePerLine = false;      // one value per output line (\oneperline)
  bool prnMode = false;         // print-file layout: text fields quoted and padded (\prn)
  bool noFormat = false;        // send no printer control codes
  bool rtfMode = false;         // the table file is RTF (\rtf)
  bool tocOn = false;           // number table titles and write a table of contents (\toc)

  // --- Worksheets and charts ---
  std::string fileType;         // \filetype's text: the save format of the next workbook
  std::string worksheetTitle;   // \wstitle's title: names the worksheets of later pages (31)
  std::string chartTitle;       // the title of the next chart (\xlgraph title) (300)
  std::string chartSubtitle;    // its second line, also its extra title (\xlgraph subtitle) (300)
  std::string chartAxisTitle;   // its value axis's title (\xlgraph vaxtitle) (300)

  // --- Printer fonts, indexed by FontRole ---
  std::array<RoleFont, FontRoleCount> fonts;
};

// The line being composed: its title and expression, each alternative's observations,
// and the running totals.
struct LineValues {
  std::string lineTitle;        // title of the line's first row, or a text line's text (300)
  std::string lineExpression;   // expression of the current table line; names \gdata series (300)
  bool textLine = false;        // the line being composed is a text line
  bool centerText = false;      // center the text line on pageWidth (\center)

  // --- Data of the current table line ---
  std::array<std::vector<float>, AltCapacity> values;  // per alternative, MaxObs observations / divisor
  // Per alternative, how many of the last slots of values[k] are known to hold
  // MissingValue (0: none known), so that the next line rewrites only what it must.
  // A writer of values other than the table-line handler sets it to 0.
  std::array<int, AltCapacity> valuesMissingTail{};
  std::array<VexDate, AltCapacity> altStart;           // per alternative, the date of values[k][0]
  std::array<bool, AltCapacity> altMissing{};          // the series was not found in that alternative
  std::array<std::vector<float>, AltCapacity> totals;  // running sums (\starttotal); empty = none
  bool accumulatingTotals = false;  // table lines add to totals
  bool totalsEnded = false;     // \endtotal was given
  bool printingTotals = false;  // the composer reads totals instead of values
};

// The date columns of the table.
struct DateList {
  std::vector<std::string> dateSpecs;  // the column entries (at most 255 of 21)
  bool datesSet = false;        // a list was given (\dates, or read for a '&' line)
  // Columns in the list: 1 until a list is given, then its entries.
  int16_t dateCount() const { return datesSet ? static_cast<int16_t>(dateSpecs.size()) : int16_t{1}; }
  bool datesHaveGrowth = false; // the list holds a growth range
};

// Where the table goes: the table file, the worksheet writer and the sinks.
struct OutputTargets {
  // The table text file; not open once a worksheet target replaced it. The driver
  // opens it, \break and \rtf replace it, and the driver closes it at the end.
  TableFile out;
  // The worksheet writer while the table goes to a worksheet: made by \wk1 and \xls,
  // finished and closed by the next of them or by the driver at the end of the run.
  std::unique_ptr<SheetWriter> sheet;
  // The table's own target (the text table or the worksheet) and the renderers attached
  // beside it (table/outputs.h); the composer hands each of them every page.
  SinkSet renderers;
  bool outputFailed = false;    // an output file could not be written whole (reported);
                                // the run ends with a failure status
};

// The table state of a run, by what its parts are: the settings, the line being
// composed, the date list and the output targets, with the table of contents gathered
// on the way and the composer's page state (read-only outside the composer).
class TableLine : public TableSettings, public LineValues, public DateList, public OutputTargets {
 public:
  // Every field at its initial value; the date role's font underlined double, centred.
  TableLine();
  TableLine(const TableLine&) = delete;
  TableLine& operator=(const TableLine&) = delete;

  // --- Table of contents ---
  toc contents;

  // --- The composer's place in the table, run-wide (read-only outside the composer) ---
  PageState page;
};

// Sets the six settings the run driver gives before the first alternative: pageLength 66,
// topMargin 3, bottomMargin 9, titleWidth 32, fieldWidth 7, decs 1.
void setDriverDefaults(TableSettings& table);

// Gives the date role's font its initial underline "UnderlineDouble" and alignment
// "center"; its other fields stay (\font after copying the body font, \fontdate).
void resetDateFont(TableSettings& table);

}  // namespace tabrix

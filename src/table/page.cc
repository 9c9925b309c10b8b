#include "table/page.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "table/fields.h"
#include "table/printer_controls.h"
#include "table/table_sink.h"
#include "table/page_counters.h"

namespace tabrix {

namespace {

// Print-file texts of the header are quoted fields of this width.
constexpr int PrnFieldWidth = 100;
// Blanks before the sentence saying how the alternatives are shown.
constexpr int SentenceIndent = 12;
// The list of alternatives starts this far left of its centred heading.
constexpr int ListShift = 20;
// Column of the heading and list when the centred position is out of range.
constexpr int ListFallbackColumn = 5;
// Highest column a centred subtitle or list may start at.
constexpr int MaxCentredColumn = 1000;

// The target is a print file: its text fields are quoted and padded.
bool quotedFields(const TableLine& table) { return table.renderers.layout().quotedFields; }

// Lines reserved at the foot of a page for the time stamp.
int stampLines(const TableLine& table) { return table.timestampText ? 1 : 0; }

std::string blanks(int count) { return std::string(count > 0 ? static_cast<std::size_t>(count) : 0, ' '); }

int length(const std::string& text) { return static_cast<int>(text.size()); }

// Empty lines for the sinks: the layout's (blank) or a margin's.
void sinkBlankLines(TableLine& table, int count) {
  if (count > 0) table.renderers.each([count](TableSink& sink) { sink.blankLines(count); });
}
void sinkMarginLines(TableLine& table, int count) {
  if (count > 0) table.renderers.each([count](TableSink& sink) { sink.marginLines(count); });
}

// text centred in width (cut to it), right-trimmed.
std::string centred(std::string_view text, int width) {
  if (width < 0) width = 0;
  std::string_view cut = text.substr(0, static_cast<std::size_t>(width));
  std::string line = blanks(width);
  placeAt(line, (width - static_cast<int>(cut.size())) / 2, cut);
  return rightTrimmed(line);
}

// A header line: the sinks get it with its kind and text, and the line as the text file
// shows it. The head line and the title take the rows the target's layout gives them.
void writeHeaderLine(TableLine& table, HeaderLine header, const std::string& line) {
  header.laidOut = line;
  table.renderers.each([&header](TableSink& sink) { sink.headerLine(header); });
  const TargetLayout layout = table.renderers.layout();
  countLines(table, header.kind == HeaderKind::Head ? layout.headRows
                    : header.kind == HeaderKind::Title ? layout.titleRows
                                                        : 1);
}

// The head line: the running head at the left, the page text at the right end.
void writeHeadLine(TableLine& table) {
  if (quotedFields(table)) {
    if (table.headSet) {
      useFont(table, HeadFont);
      // The print file's head line is not counted.
      const std::string line = quoteField(table.headText, PrnFieldWidth);
      table.renderers.each([&](TableSink& sink) {
        sink.headerLine(HeaderLine{HeaderKind::Head, table.headText, line, {}, 0});
      });
      useBody(table, HeadFont);
    }
    return;
  }
  const int width = table.pageWidth;
  std::string line = blanks(width);
  std::string pageText;
  // A workbook's head line leaves the page text out.
  const bool pageNumbers = table.pageNumbers && table.renderers.layout().pageNumbers;
  if (pageNumbers) {
    int digits = PageCounters::pageNumber(table.page) < 10 ? 1 : PageCounters::pageNumber(table.page) < 100 ? 2 : 3;
    char text[64];
    std::snprintf(text, sizeof text, "%s %*d", table.pagePrefix.c_str(), digits, PageCounters::pageNumber(table.page));
    pageText = text;
  }
  // The page text ends one column before the end, so the last column stays blank.
  const int pageColumn = width - length(pageText) - 1;
  if (table.headSet) {
    int room = pageNumbers ? pageColumn - 1 : width - 1;
    if (room > 0) placeAt(line, 0, std::string_view(table.headText).substr(0, static_cast<std::size_t>(room)));
  }
  if (pageNumbers) placeAt(line, pageColumn, pageText);
  useFont(table, HeadFont);
  writeHeaderLine(table, HeaderLine{HeaderKind::Head, table.headSet ? std::string_view(table.headText) : std::string_view(), {}, pageText, 0},
                  rightTrimmed(line));
  useBody(table, HeadFont);
}

// A title line: the text centred on tableWidth in the title font.
void writeTitleLine(TableLine& table, const HeaderLine& header, const std::string& text, int column) {
  std::string line = blanks(table.pageWidth);
  placeAt(line, column, text);
  useFont(table, TitleFont);
  writeHeaderLine(table, header, rightTrimmed(line));
  useBody(table, TitleFont);
}

void writeTitles(TableLine& table) {
  if (table.titleSet) {
    std::string text;
    std::string numbered;  // the title as the sinks get it
    if (table.tocOn) {
      char number[16];
      std::snprintf(number, sizeof number, "%2d", static_cast<int>(table.contents.entryCount()));
      numbered = "TABLE " + std::string(number) + ".  " + table.tableTitle;
    }
    if (quotedFields(table)) {
      text = quoteField(table.tableTitle, PrnFieldWidth);
    } else if (table.tocOn) {
      text = numbered;
    } else {
      text = table.tableTitle;
    }
    int column = (table.tableWidth - length(text)) / 2;
    const HeaderLine header{HeaderKind::Title, table.tocOn ? std::string_view(numbered) : table.tableTitle, {}, {}, 0};
    writeTitleLine(table, header, text, column < 0 ? 0 : column);
  }
  if (table.subtitleSet) {
    std::string text =
        rightTrimmed(quotedFields(table) ? quoteField(table.subtitle, PrnFieldWidth) : table.subtitle);
    int column = (table.tableWidth - length(text)) / 2;
    if (column < 0 || column > MaxCentredColumn) column = 0;
    writeTitleLine(table, HeaderLine{HeaderKind::Subtitle, table.subtitle, {}, {}, 0}, text, column);
  }
}

const char* modeText(char showMode) {
  switch (showMode) {
    case 'p': return "percent difference from base";
    case 'd': return "difference from base";
    default: return "values in levels";
  }
}

const char* modeSentence(char showMode) {
  switch (showMode) {
    case 'a': return "Alternatives are shown as actual values.";
    case 'd': return "Alternatives are shown in deviations from base values.";
    case 'p': return "Alternatives are shown in percentage deviations from base.";
    default: return nullptr;
  }
}

std::string prnQuoted(const TableLine& table, const std::string& text) {
  return quotedFields(table) ? quoteField(text, PrnFieldWidth) : text;
}

// The list of alternatives under its centred heading.
void writeAlternatives(TableLine& table) {
  sinkBlankLines(table, 1);
  countLines(table, 1);
  const std::string_view headingText = "Titles of Alternate Runs";
  std::string heading = prnQuoted(table, std::string(headingText));
  int difference = table.tableWidth - length(heading);
  int column = difference >= 0 ? difference / 2 : (difference - 1) / 2;  // rounded down
  int listColumn = column - ListShift;
  if (listColumn < 0 || listColumn > MaxCentredColumn) column = listColumn = ListFallbackColumn;
  writeHeaderLine(table, HeaderLine{HeaderKind::ListHeading, headingText, {}, {}, 0}, blanks(column) + heading);
  for (int k = 1; k <= table.altCount && k <= AltCapacity; ++k) {
    std::string text = "Line " + std::to_string(k) + ": " + table.altTitles[static_cast<std::size_t>(k - 1)];
    if (k > 1) text += std::string(" - ") + modeText(table.showMode);
    writeHeaderLine(table, HeaderLine{HeaderKind::Alternative, text, {}, {}, k},
                    blanks(listColumn) + prnQuoted(table, text));
  }
}

// The sentence saying how the alternatives are shown, indented by twelve blanks, and an
// empty line: two lines.
void writeModeSentence(TableLine& table) {
  const char* sentence = modeSentence(table.showMode);
  const std::string text = sentence != nullptr ? sentence : "";
  const std::string line = blanks(SentenceIndent) + (sentence != nullptr ? prnQuoted(table, text) : std::string());
  table.renderers.each([&](TableSink& sink) { sink.headerLine(HeaderLine{HeaderKind::Sentence, text, line, {}, 0}); });
  sinkBlankLines(table, 1);
  countLines(table, 2);
}

}  // namespace

void countLines(TableLine& table, int count) {
  PageCounters::lineOnPage(table.page) += count;
  PageCounters::sheetRow(table.page) += count;
}

int beginTable(TableLine& table) {
  if (table.page.headerStarted()) return 0;
  const int result = pageHeader(table);
  PageCounters::headerStarted(table.page) = true;
  return result;
}

void markTableBegun(TableLine& table) { PageCounters::headerStarted(table.page) = true; }

void breakAtNextLine(TableLine& table) { PageCounters::lineOnPage(table.page) = table.pageLength; }

int breakPage(TableLine& table, bool skipRows) {
  if (skipRows) PageCounters::sheetRow(table.page) += table.page.lineOnPage();
  const int result = pageHeader(table);
  PageCounters::headerStarted(table.page) = true;
  return result;
}

void restartPages(TableLine& table) {
  PageCounters::pageNumber(table.page) = 0;
  PageCounters::lineOnPage(table.page) = 0;
  PageCounters::sheetRow(table.page) = 0;
}

bool textLineNeedsPage(const TableLine& table) {
  return table.pageLength - (table.bottomMargin + stampLines(table)) < PageCounters::lineOnPage(table.page) + 1;
}

bool tableLineNeedsPage(const TableLine& table) {
  return PageCounters::lineOnPage(table.page) + table.altCount > table.pageLength - (table.bottomMargin + stampLines(table));
}

int pageHeader(TableLine& table, bool brokenAtDates) {
  const TargetLayout layout = table.renderers.layout();
  if (layout.records != RecordLayout::None) return 0;
  // End of the previous page: the time stamp after an empty line (when the target shows
  // it) and the bottom margin; a print file has neither.
  if (PageCounters::pageNumber(table.page) > 0 && layout.pageEnds) {
    if (table.timestampText && layout.timeStamp) {
      const std::string line = centred(*table.timestampText, table.pageWidth);
      sinkMarginLines(table, 1);
      table.renderers.each([&](TableSink& sink) { sink.pageFoot(*table.timestampText, line); });
      countLines(table, 1);
    }
    sinkMarginLines(table, table.bottomMargin);
    countLines(table, std::max<int>(table.bottomMargin, 0));
  }
  PageCounters::lineOnPage(table.page) = 0;
  const int16_t tableWidth = static_cast<int16_t>(table.titleWidth + table.dateCount() * table.fieldWidth);
  PageSetup setup;
  setup.pageNumber = PageCounters::pageNumber(table.page) + 1;
  setup.pageWidth = table.pageWidth;
  setup.pageLength = table.pageLength;
  setup.tableWidth = tableWidth;
  setup.titleWidth = table.titleWidth;
  setup.landscape = table.landscape;
  setup.showMode = table.showMode;
  setup.altCount = table.altCount;
  setup.tableNumber = table.tocOn ? table.contents.entryCount() : 0;
  setup.leftMargin = table.leftMargin;
  setup.linesPerPage = table.linesPerPage;
  setup.brokenAtDates = brokenAtDates;
  table.renderers.beginPage(setup);
  sinkMarginLines(table, table.topMargin);
  countLines(table, std::max<int>(table.topMargin, 0));
  ++PageCounters::pageNumber(table.page);
  writeHeadLine(table);
  sinkBlankLines(table, table.spaceHead);
  countLines(table, std::max<int>(table.spaceHead, 0));
  table.tableWidth = tableWidth;
  writeTitles(table);
  useFont(table, BankFont);
  if (table.altTitlesKnown && table.altCount > 1) writeAlternatives(table);
  sinkBlankLines(table, 1);
  countLines(table, 1);
  if (table.altCount > 1) writeModeSentence(table);
  useBody(table, BankFont);
  table.renderers.each([](TableSink& sink) { sink.beginBody(); });
  return 0;
}

int centeredLine(TableLine& table, std::string_view text, int width) {
  const std::string line = centred(text, width);
  const std::string_view cut = text.substr(0, static_cast<std::size_t>(std::max(width, 0)));
  table.renderers.each([&](TableSink& sink) { sink.heading(cut, line); });
  if (!table.renderers.layout().headings) return -1;
  countLines(table, 1);
  return 0;
}

int ruleLine(TableLine& table, char character) {
  std::string rule(table.tableWidth > 0 ? static_cast<std::size_t>(table.tableWidth) : 0, character);
  const std::string line = prnQuoted(table, rule);
  table.renderers.each([&](TableSink& sink) { sink.rule(character, line); });
  countLines(table, 1);
  return 0;
}

int endOfRun(TableLine& table) {
  const TargetLayout layout = table.renderers.layout();
  if (!layout.timeStamp) return -1;
  if (table.timestampText && PageCounters::pageNumber(table.page) > 0 && layout.pageEnds) {
    // The fill counts on the page only.
    const int fill = std::max(table.pageLength - table.bottomMargin - 3 - PageCounters::lineOnPage(table.page), 0);
    PageCounters::lineOnPage(table.page) += fill;
    const std::string line = centred(*table.timestampText, table.pageWidth);
    sinkMarginLines(table, fill);
    table.renderers.each([&](TableSink& sink) { sink.pageFoot(*table.timestampText, line); });
    countLines(table, 1);
  }
  return 0;
}

}  // namespace tabrix

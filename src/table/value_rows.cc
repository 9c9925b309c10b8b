#include "table/value_rows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/console.h"
#include "support/constants.h"
#include "support/fixed_format.h"
#include "support/text.h"
#include "table/cell_value.h"
#include "table/date_list.h"
#include "table/fields.h"
#include "table/page.h"
#include "table/printer_controls.h"
#include "table/table_sink.h"
#include "table/page_counters.h"

namespace tabrix {

namespace {

// Print-file text lines are quoted fields of this width.
constexpr int PrnFieldWidth = 100;
// A row whose largest magnitude stays below this is a zero row (noZeroRows).
constexpr double ZeroRowLimit = 1e-6;
// A cell of at most this magnitude prints as blanks with blankZeroes.
constexpr double BlankZeroLimit = 1e-6;
// A data record whose values all stay within this is skipped as zero (gdataSkipZeroes).
constexpr double GdataZeroLimit = 0.0001;

// The text of one cell, formatted without allocating for any ordinary width: a stack
// buffer, and a spill string (kept for reuse) for longer texts.
class CellText {
 public:
  void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The same as print("%*.*f", width, decimals, (double)value), through the fast
  // formatter where it applies.
  void printFixed(float value, int width, int decimals);
  std::string_view view() const { return view_; }

 private:
  char small_[512];
  std::string spill_;
  std::string_view view_;
};

void CellText::print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(small_, sizeof small_, format, args);
  va_end(args);
  if (needed < 0) {
    view_ = {};
  } else if (static_cast<std::size_t>(needed) < sizeof small_) {
    view_ = std::string_view(small_, static_cast<std::size_t>(needed));
  } else {
    spill_.resize(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(spill_.data(), spill_.size(), format, again);
    view_ = std::string_view(spill_.data(), static_cast<std::size_t>(needed));
  }
  va_end(again);
}

void CellText::printFixed(float value, int width, int decimals) {
  static_assert(sizeof small_ >= FixedTextCapacity);
  const int length = formatFixed(small_, value, width, decimals);
  if (length >= 0) {
    view_ = std::string_view(small_, static_cast<std::size_t>(length));
  } else {
    print("%*.*f", width, decimals, static_cast<double>(value));
  }
}

// One output row of at most MaxRowLength characters; whatever would go beyond is cut.
class RowBuffer {
 public:
  void clear() { length_ = 0; }
  void append(std::string_view text) {
    const std::size_t room = static_cast<std::size_t>(MaxRowLength - length_);
    const std::size_t count = std::min(room, text.size());
    std::copy_n(text.data(), count, text_ + length_);
    length_ += static_cast<int>(count);
  }
  void appendBlanks(int count) {
    count = std::clamp(count, 0, MaxRowLength - length_);
    std::fill_n(text_ + length_, count, ' ');
    length_ += count;
  }
  // The text cut or blank-padded to exactly width characters, as fitField gives it.
  void appendFitted(std::string_view text, int width) {
    if (width <= 0) return;
    const std::string_view cut = text.substr(0, static_cast<std::size_t>(width));
    append(cut);
    appendBlanks(width - static_cast<int>(cut.size()));
  }
  // Replaces the character at position when it has been written.
  void put(int position, char c) {
    if (position >= 0 && position < length_) text_[position] = c;
  }
  // The row without trailing blanks.
  std::string_view trimmed() const {
    int end = length_;
    while (end > 0 && text_[end - 1] == ' ') --end;
    return std::string_view(text_, static_cast<std::size_t>(end));
  }

 private:
  char text_[MaxRowLength];
  int length_ = 0;
};

// One date column of the current line, parsed once for all its rows.
struct Column {
  bool spacer = false;  // a spacer sN: width blanks and no value
  DateStruct date;      // the parsed entry (not for spacers)
  int width = 0;        // the column's width
  int decimals = 0;     // decimals of its values
};

// The columns of the current list, at most MaxDateSpecs of them.
struct ColumnPlan {
  std::array<Column, MaxDateSpecs> columns;
  int count = 0;
};

void planColumns(const TableLine& table, ColumnPlan& plan) {
  plan.count = static_cast<int>(std::min<std::size_t>(
      {static_cast<std::size_t>(std::max<int>(table.dateCount(), 0)), table.dateSpecs.size(),
       static_cast<std::size_t>(MaxDateSpecs)}));
  for (int j = 0; j < plan.count; ++j) {
    const std::string& dateSpec = table.dateSpecs[static_cast<std::size_t>(j)];
    Column& column = plan.columns[static_cast<std::size_t>(j)];
    int blanks = 0;
    column.spacer = isSpacer(dateSpec, &blanks);
    if (column.spacer) {
      column.date = DateStruct();
      column.width = blanks;
      column.decimals = 0;
      continue;
    }
    column.date = DateStruct(dateSpec);
    const bool growth = column.date.isGrowth;
    column.width = table.growthWidth != -1 && growth ? table.growthWidth : table.fieldWidth;
    if (growth || table.growthMode == 'g') {
      column.decimals = table.growthDecs;
    } else {
      column.decimals = table.coefMode ? table.coefDecs : table.decs;
    }
  }
}

// Rows stay when their largest magnitude reaches this: threshold scaled by the divisor.
float effectiveThreshold(const TableLine& table) {
  return table.divisor != 1.0f ? table.threshold * table.divisor : table.threshold;
}

// Which rule shapes a cell's text.
enum class ValueKind {
  Missing,    // missingText
  BlankZero,  // blanks (blankZeroes)
  Number,     // the value itself
};

ValueKind classify(const TableLine& table, float value) {
  if (isMissing(value)) return ValueKind::Missing;
  if (std::fabs(value) <= BlankZeroLimit && table.blankZeroes) return ValueKind::BlankZero;
  return ValueKind::Number;
}

// The laid-out text of a table row, as the text table shows it (a print file's fields
// quoted).
class TextRows {
 public:
  explicit TextRows(TableLine& table) : table_(table), quoted_(table.renderers.layout().quotedFields) {}

  void begin() { row_.clear(); }

  // The title area: the line's title on the row that carries it, blanks on the others.
  void title(bool carriesTitle) {
    const int width = std::max<int>(table_.titleWidth, 0);
    if (carriesTitle) {
      if (quoted_) {
        row_.appendFitted(quoteField(table_.lineTitle, width), width);
        row_.put(width - 1, '"');
      } else {
        row_.appendFitted(table_.lineTitle, width);
      }
      return;
    }
    row_.appendBlanks(width);
    if (quoted_) {
      row_.put(0, '"');
      row_.put(width - 1, '"');
    }
  }

  void spacer(int width) { row_.appendBlanks(width); }

  void value(int /*column*/, ValueKind kind, float v, int width, int decimals) {
    switch (kind) {
      case ValueKind::Missing:
        cell_.print("%*.*s", width, width, table_.missingText.c_str());
        break;
      case ValueKind::BlankZero:
        if (quoted_) {
          cell_.print("\"%*.*s\"", width, width, "");
        } else {
          cell_.print("%*.*s", width, width, "");
        }
        break;
      case ValueKind::Number:
        if (table_.commas) {
          withCommas(v, width, decimals, grouped_, sizeof grouped_);
          cell_.print("%*.*s", width, width, grouped_);
        } else {
          cell_.printFixed(v, width, decimals);
        }
        break;
    }
    row_.appendFitted(cell_.view(), width);
  }


  // The row laid out so far, right-trimmed, and the last cell's text as formatted.
  std::string_view text() const { return row_.trimmed(); }
  std::string_view cellText() const { return cell_.view(); }

 private:
  TableLine& table_;
  const bool quoted_;  // a print file's fields
  RowBuffer row_;
  CellText cell_;
  char grouped_[512];
};

// The sinks' form of the table rows: each kept row as its cells (kind, value, decimals,
// width and the text the table shows) and the line the text table shows; the first kept
// row begins the line.
class SinkRows {
 public:
  SinkRows(TableLine& table, const ColumnPlan& plan) : table_(table), plan_(plan), text_(table) {
    table.renderers.each([this](TableSink& sink) { cellsUsed_ = cellsUsed_ || sink.usesCells(); });
  }

  void begin() {
    ++alternative_;
    text_.begin();
    cells_.clear();
    spans_.clear();
    arena_.clear();
    carriesTitle_ = false;
  }

  void title(bool carriesTitle) {
    carriesTitle_ = carriesTitle;
    text_.title(carriesTitle);
  }

  void spacer(int width) {
    text_.spacer(width);
    if (!cellsUsed_) return;
    Cell cell;
    cell.kind = CellKind::Spacer;
    cell.width = width;
    cell.column = static_cast<int>(cells_.size());
    add(cell, {});
  }

  void value(int column, ValueKind kind, float v, int width, int decimals) {
    text_.value(column, kind, v, width, decimals);
    if (!cellsUsed_) return;
    Cell cell;
    cell.kind = kind == ValueKind::Missing ? CellKind::Missing
                : kind == ValueKind::BlankZero ? CellKind::Blank
                                               : CellKind::Number;
    cell.value = v;
    cell.decimals = decimals;
    cell.width = width;
    cell.growth = plan_.columns[static_cast<std::size_t>(column)].date.isGrowth;
    cell.column = column;
    std::string_view shown = cell.kind == CellKind::Blank ? std::string_view() : text_.cellText();
    shown = shown.substr(0, static_cast<std::size_t>(std::max(width, 0)));
    while (!shown.empty() && shown.front() == ' ') shown.remove_prefix(1);
    while (!shown.empty() && shown.back() == ' ') shown.remove_suffix(1);
    add(cell, shown);
  }

  void end(bool keep) {
    if (!keep) return;
    if (!lineBegun_) {
      lineBegun_ = true;
      table_.renderers.each([this](TableSink& sink) { sink.beginLine(table_.lineTitle); });
    }
    for (std::size_t i = 0; i < cells_.size(); ++i) {
      cells_[i].text = std::string_view(arena_).substr(spans_[i].first, spans_[i].second);
    }
    const ValueRow row{alternative_, carriesTitle_, table_.lineTitle, cells_, text_.text()};
    table_.renderers.each([&row](TableSink& sink) { sink.valueRow(row); });
  }

  // Ends the line when a row of it was kept.
  void finish() {
    if (lineBegun_) table_.renderers.each([](TableSink& sink) { sink.endLine(); });
  }

 private:
  void add(const Cell& cell, std::string_view shown) {
    spans_.emplace_back(arena_.size(), shown.size());
    arena_ += shown;
    cells_.push_back(cell);
  }

  TableLine& table_;
  const ColumnPlan& plan_;
  TextRows text_;
  int alternative_ = -1;
  bool carriesTitle_ = false;
  bool lineBegun_ = false;
  bool cellsUsed_ = false;  // a sink uses the cells: they are gathered
  std::vector<Cell> cells_;
  std::vector<std::pair<std::size_t, std::size_t>> spans_;  // each cell's text in arena_
  std::string arena_;
};

// A text line: the title, centered or cut to the page width.
int composeTextLine(TableLine& table) {
  const TargetLayout layout = table.renderers.layout();
  if (layout.records != RecordLayout::None) {
    commentLine(table, table.lineTitle);
    return 0;
  }
  if (textLineNeedsPage(table)) {
    if (pageHeader(table) != 0) return -1;
    if (writeDateHeader(table) != 0) return -1;
  }
  const std::string text = layout.quotedFields ? quoteField(table.lineTitle, PrnFieldWidth) : table.lineTitle;
  const std::size_t width = static_cast<std::size_t>(std::max<int>(table.pageWidth, 0));
  std::string line;
  if (table.centerText) {
    const std::size_t length = std::min(table.lineTitle.size(), width);
    const std::size_t pad = (width - length) / 2;
    if (pad > 0) {
      line.assign(pad, ' ');
      line += text;
    } else {
      line = text.substr(0, width);
    }
  } else {
    line = text.substr(0, width);
  }
  rtrim(line);
  table.renderers.each([&](TableSink& sink) { sink.textLine(table.lineTitle, table.centerText, line); });
  countLines(table, 1);
  return 0;
}

// The rows of a table line, one per alternative.
template <typename Rows>
void writeTableRows(TableLine& table, const ColumnPlan& plan, Rows& rows) {
  const float limit = effectiveThreshold(table);
  const int titleRow = table.printBase ? 0 : 1;
  const int rowCount = std::clamp<int>(table.altCount, 0, AltCapacity);
  // Carried from row to row: a row stays when any cell of it or of an earlier row of
  // the line reaches the limits.
  float largest = 0.0f;
  std::array<float, MaxDateSpecs> base{};  // the base row's cells, the reference of the others
  for (int k = 0; k < rowCount; ++k) {
    const bool printable = table.printBase || k > 0;
    rows.begin();
    if (printable) rows.title(k == titleRow);
    for (int j = 0; j < plan.count; ++j) {
      const Column& column = plan.columns[static_cast<std::size_t>(j)];
      if (column.spacer) {
        if (printable) rows.spacer(column.width);
        continue;
      }
      const std::size_t at = static_cast<std::size_t>(j);
      const float v = cellValue(table, k, column.date, base[at]);
      if (k == 0) base[at] = v;
      largest = std::max(largest, std::fabs(v));
      if (printable) rows.value(j, classify(table, v), v, column.width, column.decimals);
    }
    if (!printable) continue;
    const bool dropped = (table.noZeroRows && largest < ZeroRowLimit) || largest < limit;
    rows.end(!dropped);
    if (!dropped) countLines(table, 1);
  }
}

// The rows through the sinks.
void writeRows(TableLine& table, const ColumnPlan& plan) {
  SinkRows rows(table, plan);
  writeTableRows(table, plan, rows);
  rows.finish();
}

// A table line: one row per alternative.
int composeTableRows(TableLine& table) {
  if (!table.datesSet) {
    console().printf("%s", "\nError:  Dates not set.\n");
    return -1;
  }
  if (tableLineNeedsPage(table)) {
    if (pageHeader(table) != 0) return -1;
    if (writeDateHeader(table) != 0) return -1;
  }
  ColumnPlan plan;
  planColumns(table, plan);
  writeRows(table, plan);
  if (table.spacing > 1) {
    const int count = table.spacing - 1;
    table.renderers.each([count](TableSink& sink) { sink.blankLines(count); });
    countLines(table, count);
  }
  return 0;
}

// The first and the last column that is not a spacer; false when there is none.
bool outerColumns(const TableLine& table, DateStruct& first, DateStruct& last) {
  const std::size_t count = std::min<std::size_t>(
      static_cast<std::size_t>(std::max<int>(table.dateCount(), 0)), table.dateSpecs.size());
  int firstIndex = -1;
  int lastIndex = -1;
  for (std::size_t j = 0; j < count; ++j) {
    if (isSpacer(table.dateSpecs[j])) continue;
    if (firstIndex < 0) firstIndex = static_cast<int>(j);
    lastIndex = static_cast<int>(j);
  }
  if (firstIndex < 0) return false;
  first = DateStruct(table.dateSpecs[static_cast<std::size_t>(firstIndex)]);
  last = DateStruct(table.dateSpecs[static_cast<std::size_t>(lastIndex)]);
  return true;
}

}  // namespace

int composeLine(TableLine& table) {
  if (table.datesHaveGrowth && table.growthMode == 'g') {
    console().printf("%s", " You cannot specify the \\g command in the stub file and also \n");
    console().printf("%s", "   give growth rate ranges in the \\dates command.\n");
    return -1;
  }
  if (PageCounters::lineOnPage(table.page) == 0 && pageHeader(table) != 0) return -1;
  if (table.textLine) return composeTextLine(table);
  switch (table.renderers.layout().records) {
    case RecordLayout::DataRecords: return gdataRecord(table) == -1 ? -1 : 0;
    case RecordLayout::OnePerLine: return onePerLineRows(table);
    case RecordLayout::None: break;
  }
  return composeTableRows(table);
}

int gdataRecord(TableLine& table, std::string_view name) {
  DateStruct first;
  DateStruct last;
  if (!outerColumns(table, first, last)) {
    console().printf("%s", "\nError:  Dates not set.\n");
    return -1;
  }
  if (first.isGrowth || last.isGrowth) {
    console().printf("%s", "\\gdata option not legal with growth rates in dates.\n");
    return -1;
  }
  if (table.altMissing[0]) return 0;
  const SeriesView series = seriesOf(table, 0);
  std::vector<float> record;
  // No series holds more than MaxObs observations, so no record needs more periods.
  for (VexDate d = first.from; record.size() < static_cast<std::size_t>(MaxObs) && notAfter(d, last.from) != 0;
       advance(d)) {
    float value = 0.0f;
    char label[DateLabelCapacity] = "";
    switch (periodValue(series, d, value)) {
      case PeriodStatus::Ok:
        break;
      case PeriodStatus::BeforeStart:
        console().printf("Date %s specified is before starting date for alternative %d.\r\n",
                         format(d, label, table.yearFormat), 1);
        return -1;
      case PeriodStatus::IllegalConversion:
        console().printf("Illegal date conversion for series. Date: %s.\r\n",
                         format(first.from, label, table.yearFormat));
        return -1;
    }
    record.push_back(value);
  }
  if (table.gdataSkipZeroes &&
      std::all_of(record.begin(), record.end(),
                  [](float v) { return isMissing(v) || std::fabs(v) <= GdataZeroLimit; })) {
    return 1;
  }
  if (!table.lineTitle.empty()) commentLine(table, table.lineTitle);
  const std::string_view seriesName = name.empty() ? std::string_view(table.lineExpression) : name;
  const int decimals = table.coefMode ? table.coefDecs : table.decs;
  const std::size_t perLine = static_cast<std::size_t>(std::max<int>(table.gdataPerLine, 1));
  std::vector<std::string> lines;
  lines.reserve(record.size() / perLine + 2);
  lines.push_back(table.gdataKeyword + " " + std::string(seriesName));
  CellText text;
  VexDate d = first.from;
  for (std::size_t q = 0; q < record.size(); ++q, advance(d)) {
    if (q % perLine == 0) {
      char label[DateLabelCapacity] = "";
      text.print(" %3s  ", format(d, label, table.yearFormat));
      lines.emplace_back(text.view());
    }
    text.printFixed(record[q], table.fieldWidth, decimals);
    lines.back() += text.view();
  }
  const DataRecord data{table.gdataKeyword, seriesName, record, decimals, static_cast<int>(perLine), lines};
  table.renderers.each([&data](TableSink& sink) { sink.dataRecord(data); });
  return 0;
}

int onePerLineRows(TableLine& table) {
  ColumnPlan plan;
  planColumns(table, plan);
  float largest = 0.0f;
  std::array<float, MaxDateSpecs> values{};
  for (int j = 0; j < plan.count; ++j) {
    const Column& column = plan.columns[static_cast<std::size_t>(j)];
    if (column.spacer) continue;
    values[static_cast<std::size_t>(j)] = cellValue(table, 0, column.date, 0.0f);
    largest = std::max(largest, std::fabs(values[static_cast<std::size_t>(j)]));
  }
  if ((table.noZeroRows && largest < ZeroRowLimit) || largest < effectiveThreshold(table)) return 0;
  RowBuffer row;
  CellText text;
  for (int j = 0; j < plan.count; ++j) {
    const Column& column = plan.columns[static_cast<std::size_t>(j)];
    if (column.spacer) continue;
    row.clear();
    row.appendFitted(table.lineTitle, table.titleWidth);
    row.append(column.date.label(table.yearFormat));
    text.printFixed(values[static_cast<std::size_t>(j)], table.fieldWidth, column.decimals);
    row.appendFitted(text.view(), table.fieldWidth);
    if (!table.renderers.empty()) {
      const std::string label = column.date.label(table.yearFormat);
      Cell cell;
      cell.value = values[static_cast<std::size_t>(j)];
      cell.decimals = column.decimals;
      cell.width = table.fieldWidth;
      cell.growth = column.date.isGrowth;
      cell.column = j;
      std::string_view shown = text.view();
      while (!shown.empty() && shown.front() == ' ') shown.remove_prefix(1);
      cell.text = shown;
      const std::string_view line = row.trimmed();
      table.renderers.each([&](TableSink& sink) { sink.valueLine(table.lineTitle, label, cell, line); });
    }
    countLines(table, 1);
  }
  return 0;
}

int commentLine(TableLine& table, std::string_view text) {
  if (!table.gdataComments) return 1;
  std::string line = "# ";
  line += text;
  rtrim(line);
  table.renderers.each([&](TableSink& sink) { sink.comment(text, line); });
  return 0;
}

int withCommas(float value, int width, int decimals, char* destination, std::size_t capacity) {
  if (destination == nullptr || capacity == 0) return 0;
  CellText formatted;
  formatted.printFixed(value, width, decimals);
  const std::string_view text = formatted.view();
  // The decimals from the point on, and the run of digits before them; leading blanks
  // and the sign are not part of the run.
  const std::size_t point = text.rfind('.');
  const std::size_t digitsEnd = point == std::string_view::npos ? text.size() : point;
  std::size_t digitsStart = digitsEnd;
  while (digitsStart > 0 && text[digitsStart - 1] >= '0' && text[digitsStart - 1] <= '9') --digitsStart;
  std::size_t written = 0;
  auto put = [&](char c) {
    if (written + 1 < capacity) destination[written++] = c;
  };
  if (value < 0) put('-');
  for (std::size_t i = digitsStart; i < digitsEnd; ++i) {
    put(text[i]);
    const std::size_t remaining = digitsEnd - i - 1;
    if (remaining > 0 && remaining % 3 == 0) put(',');
  }
  for (std::size_t i = digitsEnd; i < text.size(); ++i) put(text[i]);
  destination[written] = '\0';
  return static_cast<int>(written);
}

std::string withCommas(float value, int width, int decimals) {
  CellText formatted;
  formatted.printFixed(value, width, decimals);
  // Commas add at most one character for every digit; the sign may be added.
  std::string result(formatted.view().size() * 2 + 2, '\0');
  result.resize(static_cast<std::size_t>(withCommas(value, width, decimals, result.data(), result.size())));
  return result;
}

}  // namespace tabrix

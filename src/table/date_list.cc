#include "table/date_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/console.h"
#include "reader/chopper.h"
#include "table/page.h"
#include "table/printer_controls.h"
#include "table/table_sink.h"

namespace tabrix {

namespace {

// Longest response-script line read as a date list.
constexpr int DateLineLength = 600;

// The two-digit year of a label: year - 2000 from 2000 on, year - 1900 before.
int shortYear(int year) { return year >= 2000 ? year - 2000 : year - 1900; }

bool isDateCharacter(char c) {
  return (c >= '0' && c <= '9') || std::strchr(".-+|:", c) != nullptr;
}

void storeSpec(TableLine& table, std::string_view dateSpec) {
  if (static_cast<int>(table.dateSpecs.size()) >= MaxDateSpecs) return;
  table.dateSpecs.emplace_back(dateSpec.substr(0, DateSpecCapacity));
}

void finishList(TableLine& table) {
  table.datesSet = true;
}

// Stores every period from a to b of the token a:b, formatted with the year format.
void storeExpanded(TableLine& table, const std::string& token) {
  std::size_t colon = token.find(':');
  VexDate d(std::string_view(token).substr(0, colon));
  VexDate e(std::string_view(token).substr(colon + 1));
  // Mixed frequencies in one year compare as -1, which goes on to the year's end.
  while (static_cast<int>(table.dateSpecs.size()) < MaxDateSpecs && notAfter(d, e) != 0) {
    storeSpec(table, format(d, table.yearFormat));
    advance(d);
  }
}

// The text of one header row, cut at MaxRowLength characters as the value rows are
// (a spacer or a field width from the stub can ask for far more).
class HeaderRow {
 public:
  void write(std::string_view text) {
    text = text.substr(0, room());
    kept_ += text;
    length_ += text.size();
  }
  const std::string& kept() const { return kept_; }
  void blanks(long count) {
    if (count <= 0) return;
    write(std::string(std::min(static_cast<std::size_t>(count), room()), ' '));
  }
  // The text right-aligned in width characters.
  void rightAligned(std::string_view text, int width) {
    blanks(static_cast<long>(width) - static_cast<long>(text.size()));
    write(text);
  }

 private:
  std::size_t room() const { return static_cast<std::size_t>(MaxRowLength) - length_; }

  std::size_t length_ = 0;
  std::string kept_;
};

// One row of the header: the title area, then each column's label (underlined gives
// the label's characters replaced by underlineChar), handed to the sinks whole. Returns
// -1 when a label is wider than its column (the sinks then get no row); the labels of a
// chart's date series are not held to their columns.
int writeHeaderRow(TableLine& table, bool underlined) {
  HeaderRow text;
  const TargetLayout layout = table.renderers.layout();
  const bool dateSeries = !underlined && layout.dateSeries;
  std::vector<std::string> labelTexts;  // the sinks' labels, and their columns
  std::vector<DateLabel> labels;
  const int titleWidth = table.titleWidth;
  std::string area(titleWidth > 0 ? static_cast<std::size_t>(titleWidth) : 0, ' ');
  if (layout.quotedFields && !area.empty()) area.front() = area.back() = '"';
  text.write(area);
  if (!underlined) useFont(table, DateFont);
  const int count = std::min<int>(table.dateCount(), static_cast<int>(table.dateSpecs.size()));
  for (int j = 0; j < count; ++j) {
    const std::string& dateSpec = table.dateSpecs[static_cast<std::size_t>(j)];
    int spacer = 0;
    if (isSpacer(dateSpec, &spacer)) {
      labelTexts.emplace_back();
      labels.push_back(DateLabel{{}, spacer, true, false});
      text.blanks(spacer);
      continue;
    }
    DateStruct date(dateSpec);
    int width = table.fieldWidth;
    if (table.growthWidth != -1 && date.isGrowth) width = table.growthWidth;
    std::string label = date.label(table.yearFormat);
    if (static_cast<int>(label.size()) > width && !dateSeries) {
      console().printf("Date %s is wider than specified field width: %d.\n  Increase the field width.\n",
                       label.c_str(), width);
      return -1;
    }
    if (underlined) label.assign(label.size(), table.underlineChar);
    labelTexts.push_back(label);
    labels.push_back(DateLabel{{}, width, false, date.isGrowth});
    if (layout.quotedFields) text.write("\"");
    text.rightAligned(label, width);
    if (layout.quotedFields) text.write("\"");
  }
  if (underlined) {
    table.renderers.each([&](TableSink& sink) { sink.dateUnderline(table.underlineChar, text.kept()); });
  } else {
    for (std::size_t i = 0; i < labels.size(); ++i) labels[i].label = labelTexts[i];
    if (dateSeries) {
      if (table.renderers.target()->dateSeries(labels, text.kept()) != 0) return -1;
      table.renderers.eachRenderer([&](TableSink& sink) { sink.dateRow(labels, text.kept()); });
    } else {
      table.renderers.each([&](TableSink& sink) { sink.dateRow(labels, text.kept()); });
    }
  }
  countLines(table, 1);
  return 0;
}

}  // namespace

DateStruct::DateStruct(std::string_view dateSpec) {
  dateSpec = dateSpec.substr(0, DateSpecCapacity);
  std::size_t split = dateSpec.find_first_of("-+|");
  if (split == std::string_view::npos) {
    from = VexDate(dateSpec);
    return;
  }
  from = VexDate(dateSpec.substr(0, split));
  to = VexDate(dateSpec.substr(split + 1));
  isGrowth = dateSpec[split] == '-';
  isSum = dateSpec[split] == '+';
  isAverage = dateSpec[split] == '|';
}

std::string DateStruct::label(int yearFormat) const {
  char text[64];
  text[0] = '\0';
  if (isRange()) {
    const char separator = isGrowth ? '-' : isSum ? '+' : '|';
    const bool full = yearFormat == 2;
    const int y1 = full ? from.year : shortYear(from.year);
    const int y2 = full ? to.year : shortYear(to.year);
    switch (from.frequency) {
      case 1:
        std::snprintf(text, sizeof text, full ? "%4d%c%4d" : "%02d%c%02d", y1, separator, y2);
        break;
      case 4:
        std::snprintf(text, sizeof text, full ? "%4d.%d%c%4d.%d" : "%02d.%d%c%02d.%d", y1,
                      static_cast<int>(from.period), separator, y2, static_cast<int>(to.period));
        break;
      case 12:
        std::snprintf(text, sizeof text, full ? "%4d.%03d%c%4d.%03d" : "%02d.%03d%c%02d.%03d", y1,
                      static_cast<int>(from.period), separator, y2, static_cast<int>(to.period));
        break;
      default:
        break;
    }
    return text;
  }
  const bool full = yearFormat != 0;
  const int year = full ? from.year : shortYear(from.year);
  switch (from.frequency) {
    case 1:
      std::snprintf(text, sizeof text, full ? "%4d" : "%02d", year);
      break;
    case 4:
      std::snprintf(text, sizeof text, full ? "%4d.%d" : "%02d.%d", year, static_cast<int>(from.period));
      break;
    case 12:
      std::snprintf(text, sizeof text, full ? "%4d.%03d" : "%02d.%03d", year, static_cast<int>(from.period));
      break;
    default:
      break;
  }
  return text;
}

bool isSpacer(std::string_view dateSpec, int* width) {
  if (dateSpec.empty() || (dateSpec[0] != 's' && dateSpec[0] != 'S')) return false;
  if (width != nullptr) {
    // A spacer is at most a whole row wide (the rows cut it there anyway) and a negative
    // count is none, so a column's position never overflows.
    long count = std::strtol(std::string(dateSpec.substr(1)).c_str(), nullptr, 10);
    *width = static_cast<int>(std::clamp<long>(count, 0, MaxRowLength));
  }
  return true;
}

bool nextDateToken(std::string_view text, std::size_t& pos, std::string& token, int& kind) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  // A carriage return is the end of a line as much as a line feed.
  if (pos >= text.size() || text[pos] == '\n' || text[pos] == '\r') return false;
  token.clear();
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c == ' ' || c == '\n' || c == '\r') break;
    if (isDateCharacter(c)) {
      token.push_back(c);
    } else if (c == 's' || c == 'S') {
      token.push_back('s');
    } else {
      console().printf("Illegal character in date: %c.\n", c);
      return false;
    }
  }
  if (token.find('-') != std::string::npos) {
    kind = 1;
  } else if (token.find('+') != std::string::npos) {
    kind = 2;
  } else if (token.find('|') != std::string::npos) {
    kind = 3;
  } else if (token.find(':') != std::string::npos) {
    kind = 4;
  } else {
    kind = 0;
  }
  return true;
}

int parseDateList(TableLine& table, std::string_view text) {
  table.dateSpecs.clear();
  table.datesHaveGrowth = false;
  std::size_t pos = 0;
  std::string token;
  int kind = 0;
  while (nextDateToken(text, pos, token, kind)) {
    if (kind == 1) table.datesHaveGrowth = true;
    if (kind == 4) {
      storeExpanded(table, token);
    } else {
      storeSpec(table, token);
    }
  }
  finishList(table);
  return 0;
}

int storeDateListLine(TableLine& table, std::string_view line) {
  table.dateSpecs.clear();
  std::size_t pos = 0;
  std::string token;
  int kind = 0;
  while (nextDateToken(line, pos, token, kind)) {
    if (kind == 1) table.datesHaveGrowth = true;
    storeSpec(table, token);
  }
  finishList(table);
  return 0;
}

int readDateList(TableLine& table, std::FILE* file) {
  std::string line;
  bool read = false;
  if (file != nullptr && file != stdin) {
    char buffer[DateLineLength + 2];
    if (std::fgets(buffer, DateLineLength + 1, file) != nullptr) {
      line = buffer;
      read = true;
    }
  } else {
    // Typed at the keyboard, through the line editor.
    Chopper keyboard;
    keyboard.setSource(stdin);
    for (int c = keyboard.nextChar(); c != -1 && c != '\n'; c = keyboard.nextChar()) {
      read = true;
      if (static_cast<int>(line.size()) < DateLineLength) line.push_back(static_cast<char>(c));
    }
    read = read || keyboard.currentChar() == '\n';
  }
  if (!read) {
    table.dateSpecs.clear();
    finishList(table);
    return -1;
  }
  return storeDateListLine(table, line);
}

int writeDateHeader(TableLine& table) {
  if (!table.datesSet || table.renderers.layout().records == RecordLayout::DataRecords) return 0;
  if (textLineNeedsPage(table) && pageHeader(table, true) != 0) return -1;
  int result = writeHeaderRow(table, false);
  if (result == 0 && table.underlineChar != 0 && table.renderers.layout().underlineRow) {
    result = writeHeaderRow(table, true);
  }
  if (result != 0) return result;
  useBody(table, DateFont);
  return 0;
}

}  // namespace tabrix

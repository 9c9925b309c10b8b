#include "banks/vam_csv.h"

#include <algorithm>
#include <bit>
#include <map>
#include <set>

#include "banks/csv_cells.h"
#include "banks/vam_file.h"
#include "banks/vam_writer.h"
#include "support/constants.h"

namespace tabrix {

namespace {

constexpr const char* kHeading = "name,type,rows,columns,row,column,...";
constexpr size_t kFirstValueCell = 6;

bool yearSetting(const CsvSetting& setting, const std::string& key, const std::string& file, int& year) {
  long value = 0;
  if (!parseCsvInteger(setting.value, value) || value < 1900 || value > 9999) {
    toolReportAt(file, setting.line, "\"" + key + "\" needs a year from 1900 to 9999, found \"" + setting.value + "\"");
    return false;
  }
  year = static_cast<int>(value);
  return true;
}

// The whole number in cell c of a record (empty: `empty`, when that is not negative).
bool numberCell(const CsvRecord& record, size_t c, const char* what, const std::string& name,
                const std::string& file, int empty, int& value) {
  const std::string text = c < record.cells.size() ? record.cells[c].text : std::string();
  long number = 0;
  if (text.empty() && empty >= 0) {
    value = empty;
    return true;
  }
  if (!parseCsvInteger(text, number) || number < 0 || number > 99999) {
    toolReportAt(file, record.line, "the " + std::string(what) + " of \"" + name +
                                        "\" must be a whole number, found \"" + text + "\"");
    return false;
  }
  value = static_cast<int>(number);
  return true;
}

bool anyBits(const std::vector<float>& values) {
  return std::any_of(values.begin(), values.end(), [](float v) { return std::bit_cast<uint32_t>(v) != 0; });
}

}  // namespace

int16_t parseVamCsv(std::string_view text, const std::string& fileName, VamTable& table) {
  table = VamTable{};
  std::vector<CsvRecord> records;
  if (!splitCsv(text, fileName, records)) return -1;
  std::map<std::string, CsvSetting> settings;
  size_t heading = 0;
  if (readCsvSettings(records, fileName, {"title", "first year", "last year"}, kHeading, settings,
                      heading) != 0) {
    return -1;
  }
  const CsvRecord& head = records[heading];
  static const char* const kColumns[] = {"name", "type", "rows", "columns", "row", "column"};
  for (size_t c = 0; c < kFirstValueCell; ++c) {
    if (c >= head.cells.size() || lowerCsvText(head.cells[c].text) != kColumns[c]) {
      toolReportAt(fileName, head.line, "the heading row must start with \"name,type,rows,columns,row,column\"");
      return -1;
    }
  }
  const auto first = settings.find("first year");
  if (first == settings.end()) {
    toolReportAt(fileName, head.line, "the \"first year\" row must come before the heading row");
    return -1;
  }
  if (!yearSetting(first->second, "first year", fileName, table.firstYear)) return -1;
  const auto last = settings.find("last year");
  if (last != settings.end()) {
    if (!yearSetting(last->second, "last year", fileName, table.lastYear)) return -1;
    if (table.lastYear < table.firstYear || table.lastYear - table.firstYear >= MaxObs) {
      toolReportAt(fileName, last->second.line, "the last year must lie from the first year to 1998 years after it");
      return -1;
    }
  }
  if (const auto title = settings.find("title"); title != settings.end()) {
    if (title->second.value.size() > static_cast<size_t>(VamFile::TitleBytes)) {
      toolReportAt(fileName, title->second.line, "the title is longer than 80 characters");
      return -1;
    }
    table.title = title->second.value;
  }
  for (size_t c = kFirstValueCell; c < head.cells.size(); ++c) {
    long label = 0;
    if (!parseCsvInteger(head.cells[c].text, label)) continue;
    const long year = table.firstYear + static_cast<long>(c - kFirstValueCell);
    if (label != year) {
      toolReportAt(fileName, head.line, "column " + std::to_string(c + 1) + " is headed " + std::to_string(label) +
                                            " but holds the year " + std::to_string(year));
      return -1;
    }
  }

  size_t longest = 1;
  for (size_t r = heading + 1; r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    if (blankRecord(record)) continue;
    VamCsvCell cell;
    cell.line = record.line;
    cell.name = record.cells[0].text;
    if (cell.name.empty()) {
      toolReportAt(fileName, record.line, "the row has no variable name");
      return -1;
    }
    const std::string type = record.cells.size() > 1 ? lowerCsvText(record.cells[1].text) : std::string();
    if (type.size() != 1 || std::string_view("vlmp").find(type[0]) == std::string_view::npos) {
      toolReportAt(fileName, record.line, "the type of \"" + cell.name + "\" must be v, l, m or p, found \"" +
                                              (record.cells.size() > 1 ? record.cells[1].text : std::string()) + "\"");
      return -1;
    }
    cell.type = type[0];
    const bool vector = cell.type == 'v' || cell.type == 'l';
    if (!numberCell(record, 2, "rows", cell.name, fileName, -1, cell.rows) ||
        !numberCell(record, 3, "columns", cell.name, fileName, vector ? 1 : -1, cell.columns) ||
        !numberCell(record, 4, "row", cell.name, fileName, -1, cell.row) ||
        !numberCell(record, 5, "column", cell.name, fileName, vector ? 1 : -1, cell.column) ||
        !csvValues(record, kFirstValueCell, fileName, cell.name, cell.values)) {
      return -1;
    }
    if (last != settings.end() && cell.values.size() > static_cast<size_t>(table.lastYear - table.firstYear + 1)) {
      toolReportAt(fileName, record.line, "\"" + cell.name + "\" has " + std::to_string(cell.values.size()) +
                                              " values, more than the years from " + std::to_string(table.firstYear) +
                                              " to " + std::to_string(table.lastYear));
      return -1;
    }
    if (cell.values.size() > static_cast<size_t>(MaxObs)) {
      toolReportAt(fileName, record.line, "\"" + cell.name + "\" has more than 1999 values");
      return -1;
    }
    if (pastLastYear(table.firstYear, cell.values.size())) {
      toolReportAt(fileName, record.line, "\"" + cell.name + "\" has values past the year 9999");
      return -1;
    }
    longest = std::max(longest, cell.values.size());
    table.cells.push_back(std::move(cell));
  }
  if (last == settings.end()) table.lastYear = table.firstYear + static_cast<int>(longest) - 1;
  return 0;
}

std::string formatVamCsv(const VamTable& table) {
  std::string out;
  out += "title," + csvCell(table.title) + "\n";
  out += "first year," + std::to_string(table.firstYear) + "\n";
  out += "last year," + std::to_string(table.lastYear) + "\n";
  out += "name,type,rows,columns,row,column";
  for (int year = table.firstYear; year <= table.lastYear; ++year) out += "," + std::to_string(year);
  out += "\n";
  for (const VamCsvCell& c : table.cells) {
    out += csvCell(c.name) + "," + std::string(1, c.type) + "," + std::to_string(c.rows) + "," +
           std::to_string(c.columns) + "," + std::to_string(c.row) + "," + std::to_string(c.column);
    size_t count = c.values.size();
    while (count > 0 && isMissingMarker(c.values[count - 1])) --count;
    for (size_t i = 0; i < count; ++i) {
      out += ",";
      if (!isMissingMarker(c.values[i])) out += csvNumber(c.values[i]);
    }
    out += "\n";
  }
  return out;
}

int16_t writeVamTable(const VamTable& table, const std::string& rootName, const std::string& csvName) {
  VamWriter writer(table.title, table.firstYear, table.lastYear);
  std::string reason;
  for (const VamCsvCell& c : table.cells) {
    const int v = writer.addVariable(c.name, c.type, c.rows, c.columns, reason);
    if (v < 0 || !writer.setCell(v, c.row, c.column, c.values, reason)) {
      toolReportAt(csvName, c.line, reason);
      return -1;
    }
  }
  if (writer.write(rootName) != 0) {
    toolReport("cannot write the vam file " + rootName);
    return -1;
  }
  return 0;
}

int16_t readVamTable(VamFile& file, const std::vector<std::string>& names, VamTable& table) {
  table = VamTable{};
  table.title = file.title().substr(0, VamFile::TitleBytes);
  table.firstYear = file.startYear();
  table.lastYear = file.startYear() + file.observations() - 1;
  std::vector<int> wanted;
  if (names.empty()) {
    for (int v = 0; v < file.variableCount(); ++v) wanted.push_back(v);
  } else {
    for (const std::string& name : names) {
      const int v = file.findVariable(name);
      if (v < 0) {
        toolReport("there is no variable \"" + name + "\" in " + file.dataFileName());
        return -1;
      }
      wanted.push_back(v);
    }
  }
  const int years = file.observations();
  for (int v : wanted) {
    const std::string& name = file.variableName(v);
    const int rows = file.variableRows(v);
    const int columns = file.variableColumns(v);
    VamCsvCell cell;
    cell.name = name;
    cell.type = file.storage(v);
    cell.rows = rows;
    cell.columns = columns;
    auto values = [&](int column) {
      std::vector<float> out(static_cast<size_t>(years));
      for (int y = 0; y < years; ++y) out[static_cast<size_t>(y)] = file.slice().at(y + 1, column);
      return out;
    };
    const bool byElement = cell.type != 'p' && columns == 1;
    bool anyCell = false;
    if (cell.type == 'p') {
      // As the packed file stores them: the work follows the file, not the claim.
      std::vector<PackedCell> stored;
      if (file.readPackedCells(v, stored) != 0) {
        toolReport("variable \"" + name + "\" cannot be read from " + file.dataFileName());
        return -1;
      }
      for (PackedCell& packed : stored) {
        if (!anyBits(packed.values)) continue;
        cell.row = packed.row;
        cell.column = packed.column;
        cell.values = std::move(packed.values);
        table.cells.push_back(cell);
        anyCell = true;
      }
    }
    for (int r = 1; cell.type != 'p' && r <= rows; ++r) {
      if ((byElement ? file.loadSlice(name, 'x', 0) : file.loadSlice(name, 'r', r)) != 0) {
        toolReport("variable \"" + name + "\" cannot be read from " + file.dataFileName());
        return -1;
      }
      for (int c = 1; c <= columns; ++c) {
        cell.row = r;
        cell.column = c;
        cell.values = values(byElement ? r : c);
        if (!byElement && !anyBits(cell.values)) continue;
        table.cells.push_back(cell);
        anyCell = true;
      }
    }
    if (!anyCell) {
      cell.row = 1;
      cell.column = 1;
      cell.values.assign(static_cast<size_t>(years), 0.0f);
      table.cells.push_back(cell);
    }
  }
  file.unloadSlice();
  return 0;
}

int vamVariableCount(const VamTable& table) {
  std::set<std::string> names;
  for (const VamCsvCell& c : table.cells) names.insert(c.name);
  return static_cast<int>(names.size());
}

}  // namespace tabrix

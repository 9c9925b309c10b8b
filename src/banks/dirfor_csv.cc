#include "banks/dirfor_csv.h"

#include <algorithm>
#include <map>
#include <memory>
#include <span>

#include "banks/csv_cells.h"
#include "banks/dirfor_bank.h"
#include "banks/dirfor_writer.h"
#include "support/constants.h"
#include "support/text.h"

namespace tabrix {

namespace {

constexpr const char* kHeading = "name,type,...";
constexpr int kFirstValueCell = 2;

bool endsInDigit(const std::string& name) {
  return !name.empty() && name.back() >= '0' && name.back() <= '9';
}

// A year setting: a whole number from 1900 to 9999.
bool yearSetting(const std::map<std::string, CsvSetting>& settings, const std::string& key,
                 const std::string& file, int& year) {
  const auto found = settings.find(key);
  if (found == settings.end()) return true;
  long value = 0;
  if (!parseCsvInteger(found->second.value, value) || value < 1900 || value > 9999) {
    toolReportAt(file, found->second.line, "\"" + key + "\" needs a year from 1900 to 9999, found \"" +
                                               found->second.value + "\"");
    return false;
  }
  year = static_cast<int>(value);
  return true;
}

// Cells after the first value cell that are whole numbers must be their columns' years.
bool checkYearLabels(const CsvRecord& heading, size_t first, int firstYear, const std::string& file) {
  for (size_t c = first; c < heading.cells.size(); ++c) {
    long label = 0;
    if (!parseCsvInteger(heading.cells[c].text, label)) continue;
    const long year = firstYear + static_cast<long>(c - first);
    if (label != year) {
      toolReportAt(file, heading.line, "column " + std::to_string(c + 1) + " is headed " +
                                           std::to_string(label) + " but holds the year " +
                                           std::to_string(year));
      return false;
    }
  }
  return true;
}

}  // namespace

int16_t parseDirforCsv(std::string_view text, const std::string& fileName, DirforTable& table) {
  table = DirforTable{};
  std::vector<CsvRecord> records;
  if (!splitCsv(text, fileName, records)) return -1;
  std::map<std::string, CsvSetting> settings;
  size_t heading = 0;
  if (readCsvSettings(records, fileName, {"title", "first year", "first forecast year", "last year"},
                      kHeading, settings, heading) != 0) {
    return -1;
  }
  const CsvRecord& head = records[heading];
  if (head.cells.size() < 2 || lowerCsvText(head.cells[1].text) != "type") {
    toolReportAt(fileName, head.line, "the heading row must start with \"name,type\"");
    return -1;
  }
  if (settings.count("first forecast year") == 0) {
    toolReportAt(fileName, head.line, "the \"first forecast year\" row must come before the heading row");
    return -1;
  }
  if (const auto title = settings.find("title"); title != settings.end()) {
    if (title->second.value.size() > static_cast<size_t>(Dirfor::TitleBytes)) {
      toolReportAt(fileName, title->second.line, "the title is longer than 40 characters");
      return -1;
    }
    table.title = title->second.value;
  }
  if (!yearSetting(settings, "first forecast year", fileName, table.firstForecastYear)) return -1;
  table.firstYear = table.firstForecastYear;
  if (!yearSetting(settings, "first year", fileName, table.firstYear)) return -1;
  if (table.firstYear > table.firstForecastYear ||
      table.firstForecastYear - table.firstYear > DirforWriter::MaxHistoryYears) {
    toolReportAt(fileName, settings["first year"].line,
                 "the first year must lie from 998 years before the first forecast year to it");
    return -1;
  }
  const bool haveLast = settings.count("last year") != 0;
  if (haveLast) {
    if (!yearSetting(settings, "last year", fileName, table.lastYear)) return -1;
    const int forecast = table.lastYear - table.firstForecastYear + 1;
    if (forecast < 1 || forecast > DirforWriter::MaxForecastLength) {
      toolReportAt(fileName, settings["last year"].line,
                   "the last year must lie from the first forecast year to 998 years after it");
      return -1;
    }
  }
  if (!checkYearLabels(head, kFirstValueCell, table.firstYear, fileName)) return -1;

  const int history = table.firstForecastYear - table.firstYear;
  int longest = history + 1;
  for (size_t r = heading + 1; r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    if (blankRecord(record)) continue;
    DirforCsvSeries row;
    row.line = record.line;
    row.name = record.cells[0].text;
    if (row.name.empty()) {
      toolReportAt(fileName, record.line, "the series has no name");
      return -1;
    }
    const std::string type = record.cells.size() > 1 ? lowerCsvText(record.cells[1].text) : std::string();
    if (type == "macro") {
      row.macro = true;
    } else if (type == "sector" || (type.empty() && endsInDigit(row.name))) {
      row.macro = false;
    } else if (type.empty()) {
      row.macro = true;
    } else {
      toolReportAt(fileName, record.line, "the type of \"" + row.name + "\" must be macro or sector, found \"" +
                                              record.cells[1].text + "\"");
      return -1;
    }
    if (!row.macro) {
      row.sector = splitTrailingNumber(row.name, row.stem);
      if (!endsInDigit(row.name) || row.sector < 1) {
        toolReportAt(fileName, record.line, "the sector series \"" + row.name +
                                                "\" must be a stem followed by a sector number from 1");
        return -1;
      }
    }
    if (!csvValues(record, kFirstValueCell, fileName, row.name, row.values)) return -1;
    if (haveLast && row.values.size() > static_cast<size_t>(table.lastYear - table.firstYear + 1)) {
      toolReportAt(fileName, record.line, "\"" + row.name + "\" has " + std::to_string(row.values.size()) +
                                              " values, more than the years from " +
                                              std::to_string(table.firstYear) + " to " +
                                              std::to_string(table.lastYear));
      return -1;
    }
    if (pastLastYear(table.firstYear, row.values.size())) {
      toolReportAt(fileName, record.line, "\"" + row.name + "\" has values past the year 9999");
      return -1;
    }
    longest = std::max(longest, static_cast<int>(row.values.size()));
    table.series.push_back(std::move(row));
  }
  if (!haveLast) {
    const int forecast = std::min(longest - history, DirforWriter::MaxForecastLength);
    table.lastYear = table.firstForecastYear + forecast - 1;
    for (const DirforCsvSeries& row : table.series) {
      if (row.values.size() > static_cast<size_t>(history + forecast)) {
        toolReportAt(fileName, row.line, "\"" + row.name + "\" has more than 999 forecast values");
        return -1;
      }
    }
  }
  return 0;
}

namespace {

void appendHeading(const std::string& title, int firstYear, int firstForecastYear, int lastYear, std::string& out) {
  out += "title," + csvCell(title) + "\n";
  out += "first year," + std::to_string(firstYear) + "\n";
  out += "first forecast year," + std::to_string(firstForecastYear) + "\n";
  out += "last year," + std::to_string(lastYear) + "\n";
  out += "name,type";
  for (int year = firstYear; year <= lastYear; ++year) out += "," + std::to_string(year);
  out += "\n";
}

void appendRow(const std::string& name, bool macro, std::span<const float> values, std::string& out) {
  out += csvCell(name) + (macro ? ",macro" : ",sector");
  size_t count = values.size();
  while (count > 0 && isMissingMarker(values[count - 1])) --count;
  for (size_t i = 0; i < count; ++i) {
    out += ",";
    if (!isMissingMarker(values[i])) out += csvNumber(values[i]);
  }
  out += "\n";
}

}  // namespace

std::string formatDirforCsv(const DirforTable& table) {
  std::string out;
  appendHeading(table.title, table.firstYear, table.firstForecastYear, table.lastYear, out);
  for (const DirforCsvSeries& s : table.series) appendRow(s.name, s.macro, s.values, out);
  return out;
}

int16_t dumpDirforCsv(Dirfor& bank, const std::vector<std::string>& names, std::string& text) {
  text.clear();
  appendHeading(bank.title().substr(0, Dirfor::TitleBytes), bank.baseYear(), bank.startYear(),
                bank.startYear() + bank.forecastLength() - 1, text);
  auto values = std::make_unique<std::array<float, MaxObs>>();
  const std::size_t count = static_cast<std::size_t>(std::min<int>(bank.observations(), MaxObs));
  int16_t result = 0;
  // One series at a time, read and written out before the next is named: memory
  // follows what the bank holds, not how many series its description declares.
  auto dumpOne = [&](const std::string& name, bool macro) {
    values->fill(MissingValue);
    if (bank.readSeries(name, *values, -1) < 0) {
      toolReport("series \"" + name + "\" cannot be read from " + bank.dataFileName());
      result = -1;
      return false;
    }
    appendRow(name, macro, std::span<const float>(values->data(), count), text);
    return true;
  };
  if (names.empty()) {
    std::string name;
    bank.forEachName([&](std::string_view declared, bool macro) {
      name.assign(declared);
      return dumpOne(name, macro);
    });
  } else {
    for (const std::string& name : names) {
      if (!dumpOne(name, bank.findMacro(name) >= 0)) break;
    }
  }
  if (result != 0) text.clear();
  return result;
}

int16_t writeDirforTable(const DirforTable& table, const std::string& rootName,
                         const std::string& descriptionFile, const std::string& csvName) {
  DirforWriter writer(table.title, table.firstYear, table.firstForecastYear,
                      table.lastYear - table.firstForecastYear + 1);
  std::string reason;
  for (const DirforCsvSeries& s : table.series) {
    const bool added = s.macro ? writer.addMacro(s.name, s.values, reason)
                               : writer.addSector(s.stem, s.sector, s.values, reason);
    if (!added) {
      toolReportAt(csvName, s.line, reason);
      return -1;
    }
  }
  if (writer.write(rootName, descriptionFile) != 0) {
    toolReport("cannot write the dirfor bank " + rootName);
    return -1;
  }
  return 0;
}

int16_t readDirforTable(Dirfor& bank, const std::vector<std::string>& names, DirforTable& table) {
  table = DirforTable{};
  table.title = bank.title().substr(0, Dirfor::TitleBytes);
  table.firstYear = bank.baseYear();
  table.firstForecastYear = bank.startYear();
  table.lastYear = bank.startYear() + bank.forecastLength() - 1;
  std::vector<std::pair<std::string, bool>> wanted;
  if (names.empty()) {
    bank.forEachName([&wanted](std::string_view name, bool macro) {
      wanted.emplace_back(std::string(name), macro);
      return true;
    });
  } else {
    for (const std::string& name : names) wanted.emplace_back(name, bank.findMacro(name) >= 0);
  }
  auto values = std::make_unique<std::array<float, MaxObs>>();
  for (const auto& [name, macro] : wanted) {
    values->fill(MissingValue);
    if (bank.readSeries(name, *values, -1) < 0) {
      toolReport("series \"" + name + "\" cannot be read from " + bank.dataFileName());
      return -1;
    }
    DirforCsvSeries row;
    row.name = name;
    row.macro = macro;
    if (!macro) row.sector = splitTrailingNumber(name, row.stem);
    row.values.assign(values->begin(), values->begin() + std::min<int>(bank.observations(), MaxObs));
    table.series.push_back(std::move(row));
  }
  return 0;
}

}  // namespace tabrix

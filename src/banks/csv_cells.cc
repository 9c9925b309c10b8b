#include "banks/csv_cells.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "platform/console.h"
#include "support/constants.h"

namespace tabrix {

namespace {

constexpr const char* kTool = "tabrix-bank";

std::string trimBlanks(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return std::string(text.substr(begin, end - begin + 1));
}

}  // namespace

void toolReport(const std::string& message) {
  console().printf("%s: %s\n", kTool, message.c_str());
}

void toolReportAt(const std::string& file, int line, const std::string& message) {
  console().printf("%s: %s:%d: %s\n", kTool, file.c_str(), line, message.c_str());
}

bool splitCsv(std::string_view text, const std::string& file, std::vector<CsvRecord>& records) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // spreadsheet BOM
  size_t i = 0;
  int line = 1;
  while (i < text.size()) {
    CsvRecord record;
    record.line = line;
    bool endOfRecord = false;
    while (!endOfRecord) {
      CsvCell cell;
      std::string raw;
      // Leading blanks before an opening quote are allowed.
      size_t start = i;
      while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
      if (i < text.size() && text[i] == '"') {
        cell.quoted = true;
        int quoteLine = line;
        ++i;
        bool closed = false;
        while (i < text.size()) {
          char c = text[i++];
          if (c == '"') {
            if (i < text.size() && text[i] == '"') {
              cell.text.push_back('"');
              ++i;
            } else {
              closed = true;
              break;
            }
          } else {
            if (c == '\n') ++line;
            cell.text.push_back(c);
          }
        }
        if (!closed) {
          toolReportAt(file, quoteLine, "a quoted cell has no closing quote");
          return false;
        }
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) ++i;
        if (i < text.size() && text[i] != ',' && text[i] != '\n') {
          toolReportAt(file, line, "text after the closing quote of a cell");
          return false;
        }
      } else {
        i = start;
        while (i < text.size() && text[i] != ',' && text[i] != '\n') raw.push_back(text[i++]);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        cell.text = trimBlanks(raw);
      }
      record.cells.push_back(std::move(cell));
      if (i >= text.size()) {
        endOfRecord = true;
      } else if (text[i] == ',') {
        ++i;
      } else {  // '\n'
        ++i;
        ++line;
        endOfRecord = true;
      }
    }
    records.push_back(std::move(record));
  }
  return true;
}

bool blankRecord(const CsvRecord& record) {
  return std::all_of(record.cells.begin(), record.cells.end(),
                     [](const CsvCell& c) { return c.text.empty() && !c.quoted; });
}

std::string lowerCsvText(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool parseCsvInteger(const std::string& text, long& value) {
  if (text.empty()) return false;
  const char* begin = text.data();
  if (*begin == '+') ++begin;
  auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool parseCsvValue(const std::string& text, float& value) {
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  const char* digits = (begin != end && *begin == '-') ? begin + 1 : begin;
  if (digits == end || !(std::isdigit(static_cast<unsigned char>(*digits)) || *digits == '.')) {
    return false;  // no "inf" or "nan"
  }
  float number = 0;
  auto [stop, error] = std::from_chars(begin, end, number);
  if (error != std::errc() || stop != end || !std::isfinite(number)) return false;
  value = number;
  return true;
}

std::string csvCell(const std::string& text) {
  bool needsQuotes = text.find_first_of(",\"\r\n") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                                        text.back() == ' ' || text.back() == '\t'));
  if (!needsQuotes) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

bool isMissingMarker(float value) {
  return std::bit_cast<uint32_t>(value) == std::bit_cast<uint32_t>(MissingValue);
}

std::string csvNumber(float value) {
  std::array<char, 32> buffer;
  auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), written.ptr);
}

bool csvValues(const CsvRecord& record, size_t first, const std::string& file,
               const std::string& seriesName, std::vector<float>& values) {
  values.clear();
  // Trailing empty cells (a spreadsheet's padding) are no values.
  size_t last = record.cells.size();
  while (last > first && record.cells[last - 1].text.empty()) --last;
  for (size_t c = first; c < last; ++c) {
    const std::string& cell = record.cells[c].text;
    float value = MissingValue;
    if (!cell.empty() && !parseCsvValue(cell, value)) {
      toolReportAt(file, record.line, "value " + std::to_string(c - first + 1) + " of \"" + seriesName +
                                          "\" is not a number a 32-bit float can hold: \"" + cell + "\"");
      return false;
    }
    values.push_back(value);
  }
  return true;
}

int16_t readCsvSettings(const std::vector<CsvRecord>& records, const std::string& file,
                        const std::vector<std::string>& keys, const std::string& heading,
                        std::map<std::string, CsvSetting>& settings, size_t& headingIndex) {
  settings.clear();
  for (size_t r = 0; r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    if (blankRecord(record)) continue;
    const std::string key = lowerCsvText(record.cells[0].text);
    if (key == "name") {
      headingIndex = r;
      return 0;
    }
    for (size_t c = 2; c < record.cells.size(); ++c) {
      if (!record.cells[c].text.empty()) {
        toolReportAt(file, record.line, "a setting has one value, in the second cell");
        return -1;
      }
    }
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
      std::string expected;
      for (size_t k = 0; k < keys.size(); ++k) {
        expected += (k == 0 ? "\"" : k + 1 == keys.size() ? " or \"" : ", \"") + keys[k] + "\"";
      }
      toolReportAt(file, record.line, "expected " + expected + ", or the heading row \"" + heading +
                                          "\", found \"" + record.cells[0].text + "\"");
      return -1;
    }
    CsvSetting setting;
    setting.value = record.cells.size() > 1 ? record.cells[1].text : std::string();
    setting.line = record.line;
    if (!settings.emplace(key, setting).second) {
      toolReportAt(file, record.line, "\"" + key + "\" is given twice");
      return -1;
    }
  }
  const int line = records.empty() ? 1 : records.back().line;
  toolReportAt(file, line, "no heading row \"" + heading + "\" was found");
  return -1;
}

bool readCsvFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    toolReport("cannot open " + path);
    return false;
  }
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) {
    toolReport("cannot read " + path);
    return false;
  }
  text = out.str();
  return true;
}

}  // namespace tabrix

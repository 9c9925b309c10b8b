#include "banks/bank_tool.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "banks/bank_factory.h"
#include "banks/comp_bank_writer.h"
#include "banks/data_bank.h"
#include "banks/hash_bank_writer.h"
#include "banks/workspace_bank.h"
#include "platform/console.h"
#include "support/constants.h"
#include "support/text.h"

namespace tabrix {

namespace {

constexpr const char* kTool = "tabrix-bank";
constexpr size_t kMaxCsvTitle = VexBank::TitleBytes - 1;

void report(const std::string& message) {
  console().printf("%s: %s\n", kTool, message.c_str());
}

void reportAt(const std::string& file, int line, const std::string& message) {
  console().printf("%s: %s:%d: %s\n", kTool, file.c_str(), line, message.c_str());
}

// ---- CSV records ----

struct CsvCell {
  std::string text;
  bool quoted = false;
};

struct CsvRecord {
  int line = 0;  // the line the record starts on
  std::vector<CsvCell> cells;
};

std::string trimBlanks(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return std::string(text.substr(begin, end - begin + 1));
}

// Splits CSV text into records: fields separated by commas, optionally in double
// quotes ("" inside quotes is one quote; quoted fields may hold commas and line
// breaks). Lines end in LF or CR LF. Unquoted fields are trimmed of blanks.
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
          reportAt(file, quoteLine, "a quoted cell has no closing quote");
          return false;
        }
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) ++i;
        if (i < text.size() && text[i] != ',' && text[i] != '\n') {
          reportAt(file, line, "text after the closing quote of a cell");
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

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool parseInteger(const std::string& text, long& value) {
  if (text.empty()) return false;
  const char* begin = text.data();
  if (*begin == '+') ++begin;
  auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// A number cell: a decimal number (sign, digits, point, exponent) that a 32-bit float
// can hold, read straight into a float (correctly rounded, whatever the locale).
bool parseValue(const std::string& text, float& value) {
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

// Whether the names fit a workspace bank, stored in this order: the same rule as
// VexBank::writeSeries, so the last store may fill the bank but none is refused.
const CsvSeries* firstSeriesWithoutRoom(const std::vector<CsvSeries>& series) {
  size_t end = 0;
  for (size_t k = 0; k < series.size(); ++k) {
    if (k >= static_cast<size_t>(VexBank::MaxNewSeries) ||
        end >= static_cast<size_t>(VexBank::FullNameOffset) ||
        end + series[k].name.size() + 2 > static_cast<size_t>(VexBank::NameAreaCapacity)) {
      return &series[k];
    }
    end += series[k].name.size() + 1;
  }
  return nullptr;
}

}  // namespace

int16_t parseBankCsv(std::string_view text, const std::string& fileName, BankTable& table) {
  table = BankTable{};
  std::vector<CsvRecord> records;
  if (!splitCsv(text, fileName, records)) return -1;

  size_t r = 0;
  bool haveYear = false;
  bool haveObservations = false;
  std::set<std::string> settingsSeen;
  for (; r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    if (blankRecord(record)) continue;
    std::string key = lowerCase(record.cells[0].text);
    if (key == "name") break;
    std::string value = record.cells.size() > 1 ? record.cells[1].text : std::string();
    for (size_t c = 2; c < record.cells.size(); ++c) {
      if (!record.cells[c].text.empty()) {
        reportAt(fileName, record.line, "a setting has one value, in the second cell");
        return -1;
      }
    }
    if (key != "title" && key != "base year" && key != "first month" && key != "observations") {
      reportAt(fileName, record.line,
               "expected \"title\", \"base year\", \"first month\", \"observations\" or the "
               "heading row \"name,frequency,...\", found \"" + record.cells[0].text + "\"");
      return -1;
    }
    if (!settingsSeen.insert(key).second) {
      reportAt(fileName, record.line, "\"" + key + "\" is given twice");
      return -1;
    }
    long number = 0;
    if (key == "title") {
      if (value.size() > kMaxCsvTitle) {
        reportAt(fileName, record.line, "the title is longer than 79 characters");
        return -1;
      }
      table.title = value;
    } else if (!parseInteger(value, number)) {
      reportAt(fileName, record.line, "\"" + key + "\" needs a whole number, found \"" + value + "\"");
      return -1;
    } else if (key == "base year") {
      if (number < 1900 || number > 9999) {
        reportAt(fileName, record.line, "the base year must lie from 1900 to 9999");
        return -1;
      }
      table.baseYear = static_cast<int>(number);
      haveYear = true;
    } else if (key == "first month") {
      if (number < 1 || number > 12) {
        reportAt(fileName, record.line, "the first month must lie from 1 to 12");
        return -1;
      }
      table.firstMonth = static_cast<int>(number);
    } else {
      if (number < 1 || number > MaxObs) {
        reportAt(fileName, record.line, "observations must lie from 1 to 1999");
        return -1;
      }
      table.observations = static_cast<int>(number);
      haveObservations = true;
    }
  }
  if (r == records.size()) {
    int line = records.empty() ? 1 : records.back().line;
    reportAt(fileName, line, "no heading row \"name,frequency,...\" was found");
    return -1;
  }
  if (!haveYear) {
    reportAt(fileName, records[r].line, "the \"base year\" row must come before the heading row");
    return -1;
  }

  std::set<std::string> names;
  int longest = 0;
  for (++r; r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    if (blankRecord(record)) continue;
    CsvSeries row;
    row.line = record.line;
    row.name = record.cells[0].text;
    if (row.name.empty()) {
      reportAt(fileName, record.line, "the series has no name");
      return -1;
    }
    if (row.name.find('\0') != std::string::npos) {
      reportAt(fileName, record.line, "the series name holds a NUL character");
      return -1;
    }
    if (!names.insert(row.name).second) {
      reportAt(fileName, record.line, "the series \"" + row.name + "\" is given twice");
      return -1;
    }
    std::string frequencyText = record.cells.size() > 1 ? record.cells[1].text : std::string();
    long frequency = 0;
    if (!parseInteger(frequencyText, frequency) ||
        (frequency != 1 && frequency != 4 && frequency != 12)) {
      reportAt(fileName, record.line, "the frequency of \"" + row.name +
                                          "\" must be 1, 4 or 12, found \"" + frequencyText + "\"");
      return -1;
    }
    row.frequency = static_cast<int16_t>(frequency);
    // Trailing empty cells (a spreadsheet's padding) are no observations.
    size_t last = record.cells.size();
    while (last > 2 && record.cells[last - 1].text.empty()) --last;
    for (size_t c = 2; c < last; ++c) {
      const std::string& cell = record.cells[c].text;
      float value = MissingValue;
      if (!cell.empty() && !parseValue(cell, value)) {
        reportAt(fileName, record.line, "value " + std::to_string(c - 1) + " of \"" + row.name +
                                            "\" is not a number a 32-bit float can hold: \"" + cell + "\"");
        return -1;
      }
      row.values.push_back(value);
    }
    if (haveObservations && row.values.size() > static_cast<size_t>(table.observations)) {
      reportAt(fileName, record.line, "\"" + row.name + "\" has " +
                                          std::to_string(row.values.size()) + " values, more than " +
                                          std::to_string(table.observations) + " observations");
      return -1;
    }
    if (row.values.size() > static_cast<size_t>(MaxObs)) {
      reportAt(fileName, record.line, "\"" + row.name + "\" has more than 1999 values");
      return -1;
    }
    longest = std::max(longest, static_cast<int>(row.values.size()));
    table.series.push_back(std::move(row));
  }
  if (!haveObservations) table.observations = std::max(longest, 1);
  return 0;
}

int16_t readBankCsv(const std::string& path, BankTable& table) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    report("cannot open " + path);
    return -1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    report("cannot read " + path);
    return -1;
  }
  return parseBankCsv(text.str(), path, table);
}

namespace {

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

}  // namespace

std::string formatBankCsv(const BankTable& table) {
  std::string out;
  out += "title," + csvCell(table.title) + "\n";
  out += "base year," + std::to_string(table.baseYear) + "\n";
  out += "first month," + std::to_string(table.firstMonth) + "\n";
  out += "observations," + std::to_string(table.observations) + "\n";
  out += "name,frequency";
  for (int i = 1; i <= table.observations; ++i) out += "," + std::to_string(i);
  out += "\n";
  for (const CsvSeries& s : table.series) {
    out += csvCell(s.name) + "," + std::to_string(s.frequency);
    size_t count = s.values.size();
    while (count > 0 && isMissingMarker(s.values[count - 1])) --count;
    for (size_t i = 0; i < count; ++i) {
      out += ",";
      if (isMissingMarker(s.values[i])) continue;
      // The shortest text that reads back as the same float.
      std::array<char, 32> buffer;
      auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), s.values[i]);
      out.append(buffer.data(), written.ptr);
    }
    out += "\n";
  }
  return out;
}

namespace {

// ---- Writing banks of each kind ----

// Writes a whole bank of one kind from a parsed table; 0, or -1 after a message.
using BankWriter = int16_t (*)(const std::string& root, const BankTable& table,
                               const std::string& csvName);

int16_t writeWorkspaceBank(const std::string& root, const BankTable& table,
                           const std::string& csvName) {
  if (const CsvSeries* full = firstSeriesWithoutRoom(table.series)) {
    reportAt(csvName, full->line,
             "no room for \"" + full->name + "\": a workspace bank holds 3000 series and "
             "30000 characters of names");
    return -1;
  }
  VexBank bank(root, "New", static_cast<uint16_t>(table.baseYear),
               static_cast<uint16_t>(table.observations), static_cast<uint16_t>(table.firstMonth));
  if (!bank.isOpen()) {
    report("cannot create the bank " + root);
    return -1;
  }
  if (!table.title.empty() && bank.setTitle(table.title) == nullptr) {
    report("cannot write the title of " + root);
    return -1;
  }
  auto values = std::make_unique<std::array<float, MaxObs>>();
  for (const CsvSeries& s : table.series) {
    values->fill(MissingValue);
    std::copy(s.values.begin(), s.values.end(), values->begin());
    bank.setFrequency(s.frequency);
    // The store that fills the bank answers -1 although the series is stored.
    if (bank.writeSeries(s.name, *values, 'n', -1) < 0 && bank.findSeries(s.name) < 0) {
      reportAt(csvName, s.line, "cannot store \"" + s.name + "\" in " + bank.dataFileName());
      return -1;
    }
  }
  if (bank.writeIndex() != 0) {
    report("cannot write the index " + bank.indexFileName());
    return -1;
  }
  return 0;
}

// The base date of a CSV series in a compressed or hashed bank: each series keeps its
// own frequency, starting at the bank's base year and first month.
VexDate csvBase(const BankTable& table, const CsvSeries& s) {
  return VexDate(table.baseYear, s.frequency == 1 ? 1 : table.firstMonth, s.frequency);
}

// Compressed and hashed banks are written whole by their writers.
template <typename Writer>
int16_t writeRecordBank(Writer& writer, const std::string& root, const BankTable& table,
                        const std::string& csvName) {
  for (const CsvSeries& s : table.series) {
    if (writer.addSeriesFromBase(s.name, csvBase(table, s), s.values) != 0) {
      reportAt(csvName, s.line, "cannot store \"" + s.name + "\"");
      return -1;
    }
  }
  if (writer.write(root) != 0) {
    report("cannot write the bank " + root);
    return -1;
  }
  return 0;
}

int16_t writeCompressedBank(const std::string& root, const BankTable& table,
                            const std::string& csvName) {
  CompBankWriter writer(table.title);
  return writeRecordBank(writer, root, table, csvName);
}

int16_t writeHashedBank(const std::string& root, const BankTable& table,
                        const std::string& csvName) {
  HashBankWriter writer(table.title);
  return writeRecordBank(writer, root, table, csvName);
}

// What the tool can do with each kind beyond reading it through the factory. Adding
// a kind the tool can create is one row here.
struct ToolKind {
  char letter;
  BankWriter create;  // nullptr: the tool cannot make banks of this kind
};

constexpr std::array<ToolKind, 3> kToolKinds{{
    {'w', &writeWorkspaceBank},
    {'c', &writeCompressedBank},
    {'h', &writeHashedBank},
}};

const ToolKind* findToolKind(char letter) {
  for (const ToolKind& kind : kToolKinds) {
    if (kind.letter == letter) return &kind;
  }
  return nullptr;
}

// ---- The command line ----

struct Options {
  char kind = 'w';
  std::string description{DefaultDirforDescription};
  bool wide = false;
  std::vector<std::string> positional;
};

const char* const kUsage =
    "usage: tabrix-bank COMMAND [options] BANK ...\n"
    "  create [-k KIND] BANK FILE.csv         make a bank from a CSV file\n"
    "  list   [-k KIND] [-w] BANK [PATTERN]   list names (-w: 5 per line; * and ^ wildcards)\n"
    "  info   [-k KIND] BANK                  describe the bank\n"
    "  dump   [-k KIND] BANK FILE.csv|- [NAME...]  write series to CSV (- for the screen)\n"
    "BANK is the root name without extension. KIND: w workspace (default), c compressed,\n"
    "h hashed, d dirfor (-d DIRFOR.DAT names its description file), v vam.\n";

int usage(const std::string& message) {
  if (!message.empty()) report(message);
  console().write(kUsage);
  return 2;
}

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  bool optionsDone = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && (arg == "-k" || arg == "-d")) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      const std::string& value = args[++i];
      if (arg == "-d") {
        options.description = value;
      } else if (value.size() != 1 || findBankKind(value[0]) == nullptr) {
        error = "unknown bank kind \"" + value + "\"";
        return false;
      } else {
        options.kind = value[0];
      }
    } else if (!optionsDone && (arg == "-w" || arg == "--wide")) {
      options.wide = true;
    } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else {
      options.positional.push_back(arg);
    }
  }
  return true;
}

// The root name: the bank name without the kind's extension, if the user gave it.
std::string rootName(const std::string& bank, const BankKind& kind) {
  if (bank.size() > kind.extension.size() && bank.ends_with(kind.extension)) {
    return bank.substr(0, bank.size() - kind.extension.size());
  }
  return bank;
}

// Opens a bank for reading; nullptr after a message when it is not open.
std::unique_ptr<DataBank> openForReading(const Options& options, const std::string& bank) {
  const BankKind& kind = *findBankKind(options.kind);
  std::string root = rootName(bank, kind);
  std::unique_ptr<DataBank> opened = openBank(kind.letter, root, options.description);
  if (opened == nullptr || !opened->isOpen()) {
    if (kind.open == nullptr) {
      report("banks of the " + std::string(kind.name) + " kind cannot be read yet");
    } else {
      report("cannot open the " + std::string(kind.name) + " bank " + root);
    }
    return nullptr;
  }
  return opened;
}

// Lists names into a file in memory and gives back its text (no paging). No temporary
// file is made, so a listing works where nothing can be written.
bool listToText(DataBank& bank, std::string_view pattern, int16_t wide, std::string& text) {
  char* buffer = nullptr;
  size_t length = 0;
  std::FILE* file = ::open_memstream(&buffer, &length);
  if (file == nullptr) {
    report("cannot list the names in memory");
    return false;
  }
  bank.listNames(file, pattern, wide);
  const bool closed = std::fclose(file) == 0;
  if (closed) text.assign(buffer, length);
  std::free(buffer);
  if (!closed) report("cannot list the names in memory");
  return closed;
}

// The series names of a bank in its listing order, one per line of its listing.
bool allNames(DataBank& bank, std::vector<std::string>& names) {
  std::string text;
  if (!listToText(bank, "", 0, text)) return false;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    rtrim(line);
    if (!line.empty()) names.push_back(line);
  }
  return true;
}

// The observations a read gave back: the series' own length for the compressed and
// hashed kinds, the bank's observations for the others.
int lengthOfLastRead(const DataBank& bank) {
  int length = (bank.kind() == 'c' || bank.kind() == 'h') ? bank.seriesLength() : bank.observations();
  return std::clamp(length, 0, MaxObs);
}

int runCreate(const Options& options) {
  if (options.positional.size() != 2) return usage("create needs BANK and FILE.csv");
  const BankKind& kind = *findBankKind(options.kind);
  const ToolKind* toolKind = findToolKind(kind.letter);
  if (toolKind == nullptr || toolKind->create == nullptr) {
    report("the tool cannot create banks of the " + std::string(kind.name) + " kind");
    return 1;
  }
  const std::string& csvName = options.positional[1];
  BankTable table;
  if (readBankCsv(csvName, table) != 0) return 1;
  std::string root = rootName(options.positional[0], kind);
  if (toolKind->create(root, table, csvName) != 0) return 1;
  console().printf("%s: %s bank %s: %d series of %d observations\n", kTool,
                   std::string(kind.name).c_str(), root.c_str(),
                   static_cast<int>(table.series.size()), table.observations);
  return 0;
}

int runList(const Options& options) {
  if (options.positional.empty() || options.positional.size() > 2) {
    return usage("list needs BANK and at most one PATTERN");
  }
  std::unique_ptr<DataBank> bank = openForReading(options, options.positional[0]);
  if (bank == nullptr) return 1;
  std::string pattern = options.positional.size() > 1 ? options.positional[1] : "";
  int16_t wide = options.wide ? 1 : 0;
  if (console().isTerminal()) {
    // On a terminal the listing pages and waits for keys.
    bank->listNames(stdout, pattern, wide);
    console().write("\r\n");
    return 0;
  }
  std::string text;
  if (!listToText(*bank, pattern, wide, text)) return 1;
  // Redirected: plain lines without the columns' trailing blanks.
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    rtrim(line);
    console().write(line + "\n");
  }
  return 0;
}

int runInfo(const Options& options) {
  if (options.positional.size() != 1) return usage("info needs BANK");
  std::unique_ptr<DataBank> bank = openForReading(options, options.positional[0]);
  if (bank == nullptr) return 1;
  bank->printInfo(0);
  console().write("\n");
  return 0;
}

int runDump(const Options& options) {
  if (options.positional.size() < 2) return usage("dump needs BANK and FILE.csv (or -)");
  std::unique_ptr<DataBank> bank = openForReading(options, options.positional[0]);
  if (bank == nullptr) return 1;
  const std::string& target = options.positional[1];
  std::vector<std::string> names(options.positional.begin() + 2, options.positional.end());
  if (names.empty() && !allNames(*bank, names)) return 1;

  BankTable table;
  table.title = bank->title().substr(0, kMaxCsvTitle);
  table.baseYear = bank->baseYear();
  table.firstMonth = bank->kind() == 'w' ? bank->startPeriod() : 1;
  auto values = std::make_unique<std::array<float, MaxObs>>();
  int longest = 1;
  for (const std::string& name : names) {
    values->fill(MissingValue);
    if (bank->readSeries(name, *values, -1) < 0) {
      report("series \"" + name + "\" cannot be read from " + bank->dataFileName());
      return 1;
    }
    CsvSeries row;
    row.name = name;
    row.frequency = bank->frequency();
    int length = lengthOfLastRead(*bank);
    row.values.assign(values->begin(), values->begin() + length);
    while (!row.values.empty() && std::bit_cast<uint32_t>(row.values.back()) ==
                                      std::bit_cast<uint32_t>(MissingValue)) {
      row.values.pop_back();
    }
    longest = std::max(longest, static_cast<int>(row.values.size()));
    table.series.push_back(std::move(row));
  }
  bool ownLengths = bank->kind() == 'c' || bank->kind() == 'h';
  table.observations = ownLengths ? longest : std::clamp<int>(bank->observations(), 1, MaxObs);
  std::string text = formatBankCsv(table);
  if (target == "-") {
    console().write(text);
    return 0;
  }
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    report("cannot write " + target);
    return 1;
  }
  return 0;
}

struct Command {
  std::string_view name;
  int (*run)(const Options& options);
};

constexpr std::array<Command, 4> kCommands{{
    {"create", &runCreate},
    {"list", &runList},
    {"info", &runInfo},
    {"dump", &runDump},
}};

}  // namespace

int runBankTool(const std::vector<std::string>& args) {
  if (args.empty()) return usage("");
  if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    console().write(kUsage);
    return 0;
  }
  for (const Command& command : kCommands) {
    if (args[0] != command.name) continue;
    Options options;
    std::string error;
    if (!parseOptions(args, options, error)) return usage(error);
    return command.run(options);
  }
  return usage("unknown command \"" + args[0] + "\"");
}

}  // namespace tabrix

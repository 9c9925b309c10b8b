#include "banks/bank_tool.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>

#include "banks/bank_factory.h"
#include "banks/comp_bank_writer.h"
#include "banks/csv_cells.h"
#include "banks/data_bank.h"
#include "banks/dirfor_bank.h"
#include "banks/dirfor_csv.h"
#include "banks/hash_bank_writer.h"
#include "banks/vam_csv.h"
#include "banks/vam_file.h"
#include "banks/workspace_bank.h"
#include "platform/console.h"
#include "platform/files.h"
#include "support/constants.h"
#include "support/text.h"

namespace tabrix {

namespace {

constexpr size_t kMaxCsvTitle = VexBank::TitleBytes - 1;

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
    std::string key = lowerCsvText(record.cells[0].text);
    if (key == "name") break;
    std::string value = record.cells.size() > 1 ? record.cells[1].text : std::string();
    for (size_t c = 2; c < record.cells.size(); ++c) {
      if (!record.cells[c].text.empty()) {
        toolReportAt(fileName, record.line, "a setting has one value, in the second cell");
        return -1;
      }
    }
    if (key != "title" && key != "base year" && key != "first month" && key != "observations") {
      toolReportAt(fileName, record.line,
               "expected \"title\", \"base year\", \"first month\", \"observations\" or the "
               "heading row \"name,frequency,...\", found \"" + record.cells[0].text + "\"");
      return -1;
    }
    if (!settingsSeen.insert(key).second) {
      toolReportAt(fileName, record.line, "\"" + key + "\" is given twice");
      return -1;
    }
    long number = 0;
    if (key == "title") {
      if (value.size() > kMaxCsvTitle) {
        toolReportAt(fileName, record.line, "the title is longer than 79 characters");
        return -1;
      }
      table.title = value;
    } else if (!parseCsvInteger(value, number)) {
      toolReportAt(fileName, record.line, "\"" + key + "\" needs a whole number, found \"" + value + "\"");
      return -1;
    } else if (key == "base year") {
      if (number < 1900 || number > 9999) {
        toolReportAt(fileName, record.line, "the base year must lie from 1900 to 9999");
        return -1;
      }
      table.baseYear = static_cast<int>(number);
      haveYear = true;
    } else if (key == "first month") {
      if (number < 1 || number > 12) {
        toolReportAt(fileName, record.line, "the first month must lie from 1 to 12");
        return -1;
      }
      table.firstMonth = static_cast<int>(number);
    } else {
      if (number < 1 || number > MaxObs) {
        toolReportAt(fileName, record.line, "observations must lie from 1 to 1999");
        return -1;
      }
      table.observations = static_cast<int>(number);
      haveObservations = true;
    }
  }
  if (r == records.size()) {
    int line = records.empty() ? 1 : records.back().line;
    toolReportAt(fileName, line, "no heading row \"name,frequency,...\" was found");
    return -1;
  }
  if (!haveYear) {
    toolReportAt(fileName, records[r].line, "the \"base year\" row must come before the heading row");
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
      toolReportAt(fileName, record.line, "the series has no name");
      return -1;
    }
    if (row.name.find('\0') != std::string::npos) {
      toolReportAt(fileName, record.line, "the series name holds a NUL character");
      return -1;
    }
    if (!names.insert(row.name).second) {
      toolReportAt(fileName, record.line, "the series \"" + row.name + "\" is given twice");
      return -1;
    }
    std::string frequencyText = record.cells.size() > 1 ? record.cells[1].text : std::string();
    long frequency = 0;
    if (!parseCsvInteger(frequencyText, frequency) ||
        (frequency != 1 && frequency != 4 && frequency != 12)) {
      toolReportAt(fileName, record.line, "the frequency of \"" + row.name +
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
      if (!cell.empty() && !parseCsvValue(cell, value)) {
        toolReportAt(fileName, record.line, "value " + std::to_string(c - 1) + " of \"" + row.name +
                                            "\" is not a number a 32-bit float can hold: \"" + cell + "\"");
        return -1;
      }
      row.values.push_back(value);
    }
    if (haveObservations && row.values.size() > static_cast<size_t>(table.observations)) {
      toolReportAt(fileName, record.line, "\"" + row.name + "\" has " +
                                          std::to_string(row.values.size()) + " values, more than " +
                                          std::to_string(table.observations) + " observations");
      return -1;
    }
    if (row.values.size() > static_cast<size_t>(MaxObs)) {
      toolReportAt(fileName, record.line, "\"" + row.name + "\" has more than 1999 values");
      return -1;
    }
    longest = std::max(longest, static_cast<int>(row.values.size()));
    table.series.push_back(std::move(row));
  }
  if (!haveObservations) table.observations = std::max(longest, 1);
  return 0;
}

int16_t readBankCsv(const std::string& path, BankTable& table) {
  std::string text;
  if (!readCsvFile(path, text)) return -1;
  return parseBankCsv(text, path, table);
}

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
      out += csvNumber(s.values[i]);
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
    toolReportAt(csvName, full->line,
             "no room for \"" + full->name + "\": a workspace bank holds 3000 series and "
             "30000 characters of names");
    return -1;
  }
  VexBank bank(root, "New", static_cast<uint16_t>(table.baseYear),
               static_cast<uint16_t>(table.observations), static_cast<uint16_t>(table.firstMonth));
  if (!bank.isOpen()) {
    toolReport("cannot create the bank " + root);
    return -1;
  }
  if (!table.title.empty() && bank.setTitle(table.title) == nullptr) {
    toolReport("cannot write the title of " + root);
    return -1;
  }
  auto values = std::make_unique<std::array<float, MaxObs>>();
  for (const CsvSeries& s : table.series) {
    values->fill(MissingValue);
    std::copy(s.values.begin(), s.values.end(), values->begin());
    bank.setFrequency(s.frequency);
    // The store that fills the bank answers -1 although the series is stored.
    if (bank.writeSeries(s.name, *values, 'n', -1) < 0 && bank.findSeries(s.name) < 0) {
      toolReportAt(csvName, s.line, "cannot store \"" + s.name + "\" in " + bank.dataFileName());
      return -1;
    }
  }
  if (bank.writeIndex() != 0) {
    toolReport("cannot write the index " + bank.indexFileName());
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
      toolReportAt(csvName, s.line, "cannot store \"" + s.name + "\"");
      return -1;
    }
  }
  if (writer.write(root) != 0) {
    toolReport("cannot write the bank " + root);
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

// ---- Opening banks by name ----

// The root name: the bank name without the kind's extension, if the user gave it.
std::string rootName(const std::string& bank, const BankKind& kind) {
  if (bank.size() > kind.extension.size() && bank.ends_with(kind.extension)) {
    return bank.substr(0, bank.size() - kind.extension.size());
  }
  return bank;
}

// Without a kind given, the kind whose data file exists for the bank name: kDone with
// bank.kind set; otherwise the status after a message (none found, or several).
BankToolStatus findKind(BankSelection& bank) {
  std::vector<const BankKind*> found;
  std::string tried;
  for (const BankKind& kind : bankKinds()) {
    const std::string file = rootName(bank.name, kind) + std::string(kind.extension);
    if (fileExists(toPath(file))) found.push_back(&kind);
    tried += (tried.empty() ? "" : ", ") + file;
  }
  if (found.empty()) {
    toolReport("no bank named " + bank.name + " (none of " + tried + " exists)");
    return BankToolStatus::kFailed;
  }
  if (found.size() > 1) {
    std::string kinds;
    for (const BankKind* kind : found) {
      kinds += (kinds.empty() ? "" : ", ") + rootName(bank.name, *kind) + std::string(kind->extension);
    }
    toolReport(bank.name + " names banks of more than one kind (" + kinds + "): give -k");
    return BankToolStatus::kKindUnclear;
  }
  bank.kind = found.front()->letter;
  return BankToolStatus::kDone;
}

// Lists names into a file in memory and gives back its text (no paging). No temporary
// file is made, so a listing works where nothing can be written.
bool listToText(DataBank& bank, std::string_view pattern, int16_t wide, std::string& text) {
  char* buffer = nullptr;
  size_t length = 0;
  std::FILE* file = ::open_memstream(&buffer, &length);
  if (file == nullptr) {
    toolReport("cannot list the names in memory");
    return false;
  }
  bank.listNames(file, pattern, wide);
  const bool closed = std::fclose(file) == 0;
  if (closed) text.assign(buffer, length);
  std::free(buffer);
  if (!closed) toolReport("cannot list the names in memory");
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

// ---- Each kind's CSV layout ----

// Writes a whole bank of one kind from a CSV file and says so on out.
using CsvCreate = BankToolStatus (*)(const BankSelection& bank, const std::string& root,
                                     const std::string& csvName, std::ostream& out);
// Writes the CSV text of named series (every series when names is empty); 0, or -1.
using CsvDump = int16_t (*)(DataBank& bank, const std::vector<std::string>& names, std::string& text);

template <BankWriter write>
BankToolStatus createSeriesBank(const BankSelection& bank, const std::string& root,
                                const std::string& csvName, std::ostream& out) {
  BankTable table;
  if (readBankCsv(csvName, table) != 0) return BankToolStatus::kFailed;
  if (write(root, table, csvName) != 0) return BankToolStatus::kFailed;
  const BankKind& kind = *findBankKind(bank.kind);
  out << "tabrix-bank: " << kind.name << " bank " << root << ": " << table.series.size()
      << " series of " << table.observations << " observations\n";
  return BankToolStatus::kDone;
}

BankToolStatus createDirfor(const BankSelection& bank, const std::string& root,
                            const std::string& csvName, std::ostream& out) {
  std::string text;
  DirforTable table;
  if (!readCsvFile(csvName, text) || parseDirforCsv(text, csvName, table) != 0) return BankToolStatus::kFailed;
  if (writeDirforTable(table, root, bank.description, csvName) != 0) return BankToolStatus::kFailed;
  out << "tabrix-bank: dirfor bank " << root << ": " << table.series.size() << " series from "
      << table.firstYear << ", forecast " << table.firstForecastYear << " to " << table.lastYear
      << ", described by " << bank.description << "\n";
  return BankToolStatus::kDone;
}

BankToolStatus createVam(const BankSelection&, const std::string& root, const std::string& csvName,
                         std::ostream& out) {
  std::string text;
  VamTable table;
  if (!readCsvFile(csvName, text) || parseVamCsv(text, csvName, table) != 0) return BankToolStatus::kFailed;
  if (writeVamTable(table, root, csvName) != 0) return BankToolStatus::kFailed;
  out << "tabrix-bank: vam file " << root << ": " << vamVariableCount(table) << " variables, "
      << table.firstYear << " to " << table.lastYear << "\n";
  return BankToolStatus::kDone;
}

int16_t dumpSeriesBank(DataBank& bank, const std::vector<std::string>& wanted, std::string& text) {
  std::vector<std::string> names = wanted;
  if (names.empty() && !allNames(bank, names)) return -1;
  BankTable table;
  table.title = bank.title().substr(0, kMaxCsvTitle);
  table.baseYear = bank.baseYear();
  table.firstMonth = bank.kind() == 'w' ? bank.startPeriod() : 1;
  auto values = std::make_unique<std::array<float, MaxObs>>();
  int longest = 1;
  for (const std::string& name : names) {
    values->fill(MissingValue);
    if (bank.readSeries(name, *values, -1) < 0) {
      toolReport("series \"" + name + "\" cannot be read from " + bank.dataFileName());
      return -1;
    }
    CsvSeries row;
    row.name = name;
    row.frequency = bank.frequency();
    int length = lengthOfLastRead(bank);
    row.values.assign(values->begin(), values->begin() + length);
    while (!row.values.empty() && isMissingMarker(row.values.back())) row.values.pop_back();
    longest = std::max(longest, static_cast<int>(row.values.size()));
    table.series.push_back(std::move(row));
  }
  bool ownLengths = bank.kind() == 'c' || bank.kind() == 'h';
  table.observations = ownLengths ? longest : std::clamp<int>(bank.observations(), 1, MaxObs);
  text = formatBankCsv(table);
  return 0;
}

int16_t dumpDirfor(DataBank& bank, const std::vector<std::string>& names, std::string& text) {
  return dumpDirforCsv(static_cast<Dirfor&>(bank), names, text);
}

int16_t dumpVam(DataBank& bank, const std::vector<std::string>& names, std::string& text) {
  VamTable table;
  if (readVamTable(static_cast<VamFile&>(bank), names, table) != 0) return -1;
  text = formatVamCsv(table);
  return 0;
}

// What the tool does with each kind beyond reading it through the factory: one row a
// kind, found by its letter (banks of kind 'd' are Dirfor, of kind 'v' VamFile).
struct ToolKind {
  char letter;
  CsvCreate create;
  CsvDump dump;
};

constexpr std::array<ToolKind, 5> kToolKinds{{
    {'w', &createSeriesBank<&writeWorkspaceBank>, &dumpSeriesBank},
    {'c', &createSeriesBank<&writeCompressedBank>, &dumpSeriesBank},
    {'h', &createSeriesBank<&writeHashedBank>, &dumpSeriesBank},
    {'d', &createDirfor, &dumpDirfor},
    {'v', &createVam, &dumpVam},
}};

const ToolKind* findToolKind(char letter) {
  for (const ToolKind& kind : kToolKinds) {
    if (kind.letter == letter) return &kind;
  }
  return nullptr;
}

}  // namespace

// ---- The operations ----

BankToolStatus createBank(const BankSelection& bank, const std::string& csvName, std::ostream& out) {
  const BankKind* kind = findBankKind(bank.kind);
  const ToolKind* toolKind = kind == nullptr ? nullptr : findToolKind(kind->letter);
  if (toolKind == nullptr || toolKind->create == nullptr) {
    toolReport("the tool cannot create banks of the " +
               (kind == nullptr ? std::string(1, bank.kind) : std::string(kind->name)) + " kind");
    return BankToolStatus::kFailed;
  }
  return toolKind->create(bank, rootName(bank.name, *kind), csvName, out);
}

std::unique_ptr<DataBank> openToolBank(BankSelection& bank, bool announce, BankToolStatus& status) {
  if (!bank.kindGiven && (status = findKind(bank)) != BankToolStatus::kDone) return nullptr;
  status = BankToolStatus::kFailed;
  const BankKind* kind = findBankKind(bank.kind);
  if (kind == nullptr) {
    toolReport("unknown bank kind \"" + std::string(1, bank.kind) + "\"");
    return nullptr;
  }
  std::string root = rootName(bank.name, *kind);
  std::unique_ptr<DataBank> opened = openBank(kind->letter, root, bank.description);
  if (opened == nullptr || !opened->isOpen()) {
    if (kind->open == nullptr) {
      toolReport("banks of the " + std::string(kind->name) + " kind cannot be read yet");
    } else {
      toolReport("cannot open the " + std::string(kind->name) + " bank " + root);
    }
    return nullptr;
  }
  if (!bank.kindGiven && announce) toolReport("opened the " + std::string(kind->name) + " bank " + root);
  status = BankToolStatus::kDone;
  return opened;
}

BankToolStatus listBank(DataBank& bank, std::string_view pattern, bool wide, std::ostream& out) {
  std::string text;
  if (!listToText(bank, pattern, wide ? 1 : 0, text)) return BankToolStatus::kFailed;
  // Plain lines, without the columns' trailing blanks.
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    rtrim(line);
    out << line << "\n";
  }
  return out ? BankToolStatus::kDone : BankToolStatus::kFailed;
}

void pageBankNames(DataBank& bank, std::string_view pattern, bool wide) {
  bank.listNames(stdout, pattern, wide ? 1 : 0);
  console().write("\r\n");
}

BankToolStatus showBankInfo(DataBank& bank, std::ostream& out) {
  std::string text;
  {
    // The bank interface writes its description to the console.
    ConsoleCapture capture;
    bank.printInfo(0);
    text = capture.text();
  }
  out << text << "\n";
  return out ? BankToolStatus::kDone : BankToolStatus::kFailed;
}

BankToolStatus dumpBank(DataBank& bank, const std::vector<std::string>& names, std::ostream& out) {
  const ToolKind* toolKind = findToolKind(bank.kind());
  std::string text;
  if (toolKind == nullptr || toolKind->dump(bank, names, text) != 0) return BankToolStatus::kFailed;
  out << text;
  return out ? BankToolStatus::kDone : BankToolStatus::kFailed;
}

}  // namespace tabrix

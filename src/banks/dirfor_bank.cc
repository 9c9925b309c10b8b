#include "banks/dirfor_bank.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>

#include "banks/bank_files.h"
#include "banks/series_record.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/run_files.h"
#include "support/text.h"

namespace tabrix {

namespace {

// Values of smaller magnitude are read as 0, in forecast and history records alike.
constexpr float kSmallestValue = 0.00000001f;
// Values of larger magnitude are read as 0: forecast (sector) values and history values.
constexpr float kLargestForecast = 1e10f;
constexpr float kLargestHistory = 1e13f;
// The two bit patterns (bytes 55 44 FF FF and 55 44 FF 7F) that mark an undefined
// history value of a macro variable.
constexpr uint32_t kUndefinedMarkers[] = {0xFFFF4455u, 0x7FFF4455u};
// Columns of the description file, counted from 0.
constexpr size_t kLengthColumn = 17;      // R and H, "%3d"
constexpr size_t kFirstBlockColumn = 16;  // sectors(t) and names(t), one every 4 columns
constexpr size_t kBlockColumnWidth = 4;
constexpr size_t kBlockTypeColumn = 7;
constexpr size_t kRunningNumberColumn = 6;
constexpr size_t kStemColumn = 31;
// A first forecast year beyond this is no year.
constexpr int kLastYear = 9999;

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// An integer read as "%Nd" reads it from `column`: blanks skipped, then up to `width`
// characters of sign and digits (at least one digit). Values are held within 9 digits.
bool scanInt(const std::string& line, size_t column, size_t width, long& value) {
  size_t i = column;
  while (i < line.size() && isBlank(line[i])) ++i;
  bool negative = false;
  size_t used = 0;
  if (i < line.size() && (line[i] == '-' || line[i] == '+') && width > 1) {
    negative = line[i] == '-';
    ++i;
    ++used;
  }
  long number = 0;
  size_t digits = 0;
  while (i < line.size() && used < width && isDigit(line[i]) && digits < 9) {
    number = number * 10 + (line[i] - '0');
    ++i;
    ++used;
    ++digits;
  }
  if (digits == 0) return false;
  value = negative ? -number : number;
  return true;
}

// The integer that fills the field of `width` columns from `column`, blanks around it.
bool fieldInt(const std::string& line, size_t column, size_t width, long& value) {
  if (column >= line.size()) return false;
  const std::string field = line.substr(column, width);
  const size_t begin = field.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  const std::string text = field.substr(begin, field.find_last_not_of(" \t") + 1 - begin);
  const size_t firstDigit = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (firstDigit == text.size() || !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(firstDigit),
                                                text.end(), isDigit)) {
    return false;
  }
  return scanInt(text, 0, text.size(), value);
}

// A file name written on a line of its own: cut at the first ',', blanks trimmed.
std::string nameOnLine(const std::string& line) {
  std::string name = line.substr(0, line.find(','));
  size_t begin = name.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  size_t end = name.find_last_not_of(" \t") + 1;
  return name.substr(begin, end - begin);
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = asciiLower(c);
  return text;
}

// The lines of a description file, each without its line end (LF or CR LF).
class DescriptionLines {
 public:
  DescriptionLines(std::FILE* file, const std::string& fileName) : file_(file), fileName_(fileName) {}

  // The next line; false at the end of the file, or (tooLong() then set, with its
  // message printed) for a line longer than the file allows.
  bool next(std::string& line) {
    if (tooLong_) return false;
    line.clear();
    bool sawAny = false;
    size_t length = 0;
    for (int c; (c = std::fgetc(file_)) != EOF;) {
      sawAny = true;
      if (c == '\n') break;
      ++length;
      if (line.size() <= static_cast<size_t>(DirforLayout::MaxLineLength)) {
        line.push_back(static_cast<char>(c));
      }
    }
    if (!sawAny) return false;
    ++number_;
    if (!line.empty() && line.back() == '\r' && line.size() == length) {
      line.pop_back();
      --length;
    }
    if (length > static_cast<size_t>(DirforLayout::MaxLineLength)) {
      refuse("it is longer than 238 characters");
      tooLong_ = true;
      return false;
    }
    return true;
  }

  // Prints why the file is refused, naming the current line; returns -1.
  int16_t refuse(const std::string& what) const {
    reportDamagedBankFile(fileName_, number_ > 0 ? "line " + std::to_string(number_) + ": " + what : what);
    return -1;
  }
  // The same for the end of the file coming too soon.
  int16_t endsBefore(const std::string& what) const {
    reportDamagedBankFile(fileName_, "the file ends before " + what);
    return -1;
  }

  bool tooLong() const { return tooLong_; }

 private:
  std::FILE* file_;
  const std::string& fileName_;
  int number_ = 0;
  bool tooLong_ = false;
};

}  // namespace

int16_t readDirforLayout(std::FILE* file, const std::string& fileName, DirforLayout& layout) {
  layout = DirforLayout{};
  DescriptionLines lines(file, fileName);
  std::string line;
  // Reads the next line that must be there; false (message printed) when it is not.
  auto need = [&](const char* what) {
    if (lines.next(line)) return true;
    if (!lines.tooLong()) lines.endsBefore(what);
    return false;
  };

  long skipped = 0;
  if (!need("its first line")) return -1;
  if (!scanInt(line, 0, 9, skipped) || skipped < 0) {
    return lines.refuse("the file does not start with a count of lines");
  }
  for (long i = 0; i < 2 * skipped + 1; ++i) {
    if (!need("the record length")) return -1;
  }

  long value = 0;
  if (!need("the record length")) return -1;
  if (!scanInt(line, kLengthColumn, 3, value) || value < 1 || value > DirforLayout::MaxRecordLength) {
    return lines.refuse("no record length from 1 to 999 at column 17");
  }
  layout.recordLength = static_cast<int>(value);
  if (!need("the history length")) return -1;
  if (!need("the history length")) return -1;
  if (!scanInt(line, kLengthColumn, 3, value) || value < 0 || value > DirforLayout::MaxRecordLength) {
    return lines.refuse("no history length from 0 to 999 at column 17");
  }
  layout.historyLength = static_cast<int>(value);
  if (!need("the history file's name")) return -1;
  layout.historyFileName = nameOnLine(line);

  if (!need("the number of blocks")) return -1;
  if (!scanInt(line, 0, 9, value) || value < 1 || value > DirforLayout::MaxBlocks) {
    return lines.refuse("the number of blocks must lie from 1 to 12");
  }
  layout.blockCount = static_cast<int>(value);
  for (int row = 0; row < 2; ++row) {
    if (!need(row == 0 ? "the sectors of the blocks" : "the names of the blocks")) return -1;
    for (int t = 1; t <= layout.blockCount; ++t) {
      size_t column = kFirstBlockColumn + kBlockColumnWidth * static_cast<size_t>(t - 1);
      if (!fieldInt(line, column, kBlockColumnWidth, value) || value < 0) {
        return lines.refuse(std::string(row == 0 ? "no number of sectors" : "no number of names") +
                            " for block " + std::to_string(t) + " at column " + std::to_string(column));
      }
      if (row == 1 && t != DirforLayout::MacroBlock && value > DirforLayout::MaxStems) {
        return lines.refuse("block " + std::to_string(t) + " has " + std::to_string(value) +
                            " stems, more than 175");
      }
      (row == 0 ? layout.blockSectors : layout.blockNames)[static_cast<size_t>(t - 1)] =
          static_cast<int>(value);
    }
  }

  // The block descriptions; the end of the file ends them early.
  std::array<bool, DirforLayout::MaxBlocks> described{};
  bool ended = false;
  for (int b = 0; b < layout.blockCount && !ended; ++b) {
    if (!lines.next(line)) break;
    if (!scanInt(line, kBlockTypeColumn, 9, value) || value < 1 || value > layout.blockCount) {
      return lines.refuse("no block number from 1 to " + std::to_string(layout.blockCount) +
                          " at column 7");
    }
    const int t = static_cast<int>(value);
    if (described[static_cast<size_t>(t - 1)]) {
      return lines.refuse("block " + std::to_string(t) + " is described twice");
    }
    described[static_cast<size_t>(t - 1)] = true;
    if (t == DirforLayout::MacroBlock) {
      for (int i = 0; i < 3 && !ended; ++i) ended = !lines.next(line);
      if (!ended) layout.macroFileName = nameOnLine(line);
    } else {
      std::vector<std::string>& stems = layout.variableNames[static_cast<size_t>(t - 1)];
      for (int k = 1; k <= layout.blockNames[static_cast<size_t>(t - 1)] && !ended; ++k) {
        if (!lines.next(line)) {
          ended = true;
          break;
        }
        long number = 0;
        if (!scanInt(line, kRunningNumberColumn, 9, number) || number != k) {
          console().printf("Problem in DIRFOR.DAT file! Line is:\n%s\n", line.c_str());
          return -1;
        }
        size_t begin = kStemColumn;
        while (begin < line.size() && isBlank(line[begin])) ++begin;
        size_t end = begin;
        while (end < line.size() && !isBlank(line[end])) ++end;
        if (begin >= line.size()) return lines.refuse("no variable stem at column 31");
        std::string stem = lowerCase(line.substr(begin, end - begin));
        if (stem.size() > DirforLayout::MaxStemLength) {
          return lines.refuse("the stem " + stem + " is longer than 20 characters");
        }
        stems.push_back(std::move(stem));
        ended = !lines.next(line);
      }
    }
    if (!ended) ended = !lines.next(line);
  }
  if (lines.tooLong()) return -1;
  if (layout.macroFileName.empty()) {
    reportDamagedBankFile(fileName, "it names no macro-names file (block 6)");
    return -1;
  }
  return 0;
}

int16_t parseMacroNames(std::span<const uint8_t> bytes, const std::string& fileName,
                        std::vector<std::string>& names, int16_t& format) {
  names.clear();
  if (bytes.size() < 2) {
    console().printf("Error reading %s.\n", fileName.c_str());
    return -1;
  }
  int count = decodeI16(bytes.data());
  size_t first = 4;
  format = 0;
  if (count < 0 || count > Dirfor::MaxMacros) {
    if (bytes.size() < 7) {
      console().printf("Error reading %s.\n", fileName.c_str());
      return -1;
    }
    count = decodeI16(bytes.data() + 5);
    first = 9;
    format = 1;
    if (count < 0 || count > Dirfor::MaxMacros) {
      console().printf("Cannot read macronames on %s.\n", fileName.c_str());
      return -1;
    }
  }
  if (count > 0 && bytes.size() < first + static_cast<size_t>(Dirfor::MacroNameBytes) * static_cast<size_t>(count)) {
    console().printf("Error reading %s.\n", fileName.c_str());
    return -1;
  }
  names.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const char* text = reinterpret_cast<const char*>(bytes.data() + first + 8 * static_cast<size_t>(i));
    std::string name(text, strnlen(text, Dirfor::MacroNameBytes));
    name = name.substr(0, name.find(' '));
    names.push_back(lowerCase(std::move(name)));
  }
  return 0;
}

// ---- Dirfor ----

Dirfor::Dirfor(std::string_view dataFileName, std::string_view descriptionFileName)
    : DataBank(dataFileName), descriptionFileName_(descriptionFileName) {
  kindName_ = "Dirfor";
  kind_ = 'd';
  DirforLayout layout;
  bool opened = readDescription(layout);
  if (opened) {
    openHistory(layout);
    opened = readMacroNames(layout);
  }
  if (opened) {
    loaded_ = 1;
    opened = openData(dataFileName) && readHeader();
  }
  if (!opened) {
    openState_ = -1;
    dataFile_.close();
    historyFile_.close();
    hasHistory_ = 0;
    macroNames_.clear();
    macroCount_ = 0;
    for (auto& stems : variableNames_) stems.clear();
    return;
  }
  settle(layout);
}

Dirfor::~Dirfor() = default;

bool Dirfor::readDescription(DirforLayout& layout) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      openRunInput(descriptionFileName_, "r"), &std::fclose);
  if (file == nullptr) {
    printMessage(24, descriptionFileName_.c_str());
    return false;
  }
  if (readDirforLayout(file.get(), descriptionFileName_, layout) != 0) return false;
  recordLength_ = static_cast<int16_t>(layout.recordLength);
  historyLength_ = static_cast<int16_t>(layout.historyLength);
  blockCount_ = static_cast<int16_t>(layout.blockCount);
  blockSectors_ = layout.blockSectors;
  blockNames_ = layout.blockNames;
  variableNames_ = layout.variableNames;
  blockStart_[0] = 1;
  for (int t = 1; t <= DirforLayout::MaxBlocks; ++t) {
    const size_t i = static_cast<size_t>(t - 1);
    blockStart_[i + 1] = blockStart_[i] + int64_t{blockSectors_[i]} * blockNames_[i];
  }
  return true;
}

void Dirfor::openHistory(const DirforLayout& layout) {
  // A bank without history years has nothing to splice.
  if (layout.historyLength == 0) return;
  std::string name = layout.historyFileName;
  if (!historyFile_.open(pathBeside(name, descriptionFileName_), "rb") && !fileNameHasDot(name)) {
    name += ".dhs";
    historyFile_.open(pathBeside(name, descriptionFileName_), "rb");
  }
  historyFileName_ = name;
  if (!historyFile_.isOpen()) {
    printMessage(24, name.c_str());
    return;
  }
  historyFileSize_ = historyFile_.size();
  hasHistory_ = 1;
}

bool Dirfor::readMacroNames(const DirforLayout& layout) {
  macroFileName_ = layout.macroFileName;
  BinaryFile file;
  if (!file.open(pathBeside(macroFileName_, descriptionFileName_), "rb")) {
    printMessage(24, macroFileName_.c_str());
    endProcess(1);
  }
  std::vector<uint8_t> bytes;
  file.readBytes(bytes, MacroFileBytes);
  if (parseMacroNames(bytes, macroFileName_, macroNames_, macroFormat_) != 0) return false;
  macroCount_ = static_cast<int16_t>(macroNames_.size());
  return true;
}

bool Dirfor::openData(std::string_view dataFileName) {
  std::string name(dataFileName);
  if (!dataFile_.open(toPath(name), "rb") && !fileNameHasDot(name)) {
    name += ".dfr";
    dataFile_.open(toPath(name), "rb");
  }
  dataFileName_ = name;
  if (!dataFile_.isOpen()) {
    printMessage(24, name.c_str());
    return false;
  }
  dataFileSize_ = dataFile_.size();
  return true;
}

bool Dirfor::readHeader() {
  const int64_t position = int64_t{4} * recordLength_;
  if (dataFile_.seek(position) != 0) {
    console().printf("Error fseeking on Dirfor file.  Pos=%lld.\n", static_cast<long long>(position));
    return false;
  }
  uint8_t header[HeaderBytes];
  if (dataFile_.read(header, sizeof header) != sizeof header) {
    console().write("Error reading Dirfor.\n");
    return false;
  }
  int year = decodeU16(header);
  if (year < 1900) year += 1900;
  const int forecast = decodeI16(header + 4);
  if (year > kLastYear) {
    reportDamagedBankFile(dataFileName_, "the first forecast year " + std::to_string(year) +
                                             " lies beyond 9999");
    return false;
  }
  if (forecast < 1 || forecast > recordLength_) {
    reportDamagedBankFile(dataFileName_, "the header gives " + std::to_string(forecast) +
                                             " forecast values for records of " +
                                             std::to_string(recordLength_));
    return false;
  }
  startYear_ = static_cast<uint16_t>(year);
  forecastLength_ = static_cast<int16_t>(forecast);
  const char* title = reinterpret_cast<const char*>(header + TitleOffset);
  title_.assign(title, strnlen(title, TitleBytes));
  return true;
}

void Dirfor::settle(const DirforLayout& layout) {
  if (hasHistory_ == 1) {
    historyStart_ = static_cast<int16_t>(startYear_ - historyLength_ + 1);
    observations_ = static_cast<uint16_t>(forecastLength_ + historyLength_ - 1);
  } else {
    historyStart_ = static_cast<int16_t>(startYear_);
    observations_ = static_cast<uint16_t>(forecastLength_);
  }
  int64_t count = macroCount_;
  for (int t = 1; t <= DirforLayout::MaxBlocks; ++t) {
    if (t == DirforLayout::MacroBlock) continue;
    const size_t i = static_cast<size_t>(t - 1);
    count += static_cast<int64_t>(layout.variableNames[i].size()) * blockSectors_[i];
  }
  seriesCount_ = static_cast<uint16_t>(std::min<int64_t>(count, 65535));
  startPeriod_ = 1;
  frequency_ = 1;
  openState_ = 1;
}

uint16_t Dirfor::baseYear() const {
  return hasHistory_ == 1 ? static_cast<uint16_t>(historyStart_) : startYear_;
}

int Dirfor::findMacro(std::string_view name) const {
  for (size_t m = 0; m < macroNames_.size(); ++m) {
    if (macroNames_[m] == name) return static_cast<int>(m);
  }
  return -1;
}

namespace {

enum RecordRead { kRecordRead = 0, kRecordBeyond = -1, kSeekFailed = -2, kReadFailed = -3 };

void zeroFirst(SeriesSpan values, int count) {
  if (count > 0) std::fill_n(values.begin(), std::min(count, MaxObs), 0.0f);
}

}  // namespace

int Dirfor::readRecord(BinaryFile& file, int64_t fileSize, int64_t record, int count,
                       std::string_view name, const std::string& fileName, float* out) {
  const int64_t position = record * count * 4;
  if (position + int64_t{4} * count > fileSize) {
    reportUnreadableSeries(name, fileName, "record " + std::to_string(record) +
                                               " lies beyond the end of the file");
    return kRecordBeyond;
  }
  if (file.seek(position) != 0) return kSeekFailed;
  if (file.readF32Array(std::span<float>(out, static_cast<size_t>(count))) !=
      static_cast<size_t>(count)) {
    return kReadFailed;
  }
  return kRecordRead;
}

int16_t Dirfor::readSeries(std::string_view name, SeriesSpan values, int16_t /*count*/) {
  if (!isOpen()) return -1;
  const int R = recordLength_;
  const int H = historyLength_;
  const int m = findMacro(name);
  if (m >= 0) {
    const int64_t record = blockStart_[DirforLayout::MacroBlock - 1] + m + 1;
    const int read = readRecord(dataFile_, dataFileSize_, record, R, name, dataFileName_, values.data());
    if (read == kRecordBeyond) return -1;
    if (read != kRecordRead) {
      // The data file fails under a record that lies inside it.
      if (read == kSeekFailed) {
        console().printf("Error fseeking on Dirfor file.  Pos=%lld.\n",
                         static_cast<long long>(record * R * 4));
      } else {
        console().write("Error reading Dirfor.\n");
      }
      endProcess(1);
    }
    if (hasHistory_ != 1) return 0;
    return spliceHistory(name, record, true, values);
  }

  zeroFirst(values, H - 1);
  std::string stem;
  const int sector = splitTrailingNumber(name, stem);
  if (sector < 1) return -1;
  int block = 0;
  int stemIndex = -1;
  for (int t = 1; t <= DirforLayout::MaxBlocks && stemIndex < 0; ++t) {
    if (t == DirforLayout::MacroBlock) continue;
    const std::vector<std::string>& stems = variableNames_[static_cast<size_t>(t - 1)];
    for (size_t k = 0; k < stems.size(); ++k) {
      if (stems[k] == stem) {
        block = t;
        stemIndex = static_cast<int>(k);
        break;
      }
    }
  }
  if (stemIndex < 0) {
    zeroFirst(values, H);
    return -2;
  }
  const size_t i = static_cast<size_t>(block - 1);
  if (sector > blockSectors_[i]) {
    reportUnreadableSeries(name, dataFileName_, "sector " + std::to_string(sector) +
                                                    " lies beyond the " +
                                                    std::to_string(blockSectors_[i]) +
                                                    " sectors of " + stem);
    return -1;
  }
  const int64_t record = blockStart_[i] + int64_t{sector - 1} * blockNames_[i] + stemIndex + 1;
  const int read = readRecord(dataFile_, dataFileSize_, record, R, name, dataFileName_, values.data());
  if (read != kRecordRead) {
    if (read == kSeekFailed) {
      console().printf("Error fseeking on Dirfor file.  Pos=%lld.\n",
                       static_cast<long long>(record * R * 4));
    } else if (read == kReadFailed) {
      console().write("Error reading Dirfor.\n");
    }
    zeroFirst(values, H - 1);
    return -1;
  }
  for (int j = 0; j < R; ++j) {
    const float magnitude = std::fabs(values[static_cast<size_t>(j)]);
    if (magnitude < kSmallestValue || magnitude > kLargestForecast) values[static_cast<size_t>(j)] = 0.0f;
  }
  if (hasHistory_ != 1) return 0;
  return spliceHistory(name, record, false, values);
}

int16_t Dirfor::spliceHistory(std::string_view name, int64_t record, bool macro, SeriesSpan values) {
  const int F = forecastLength_;
  const int H = historyLength_;
  const int D = static_cast<int>(startYear_) - historyStart_;  // H - 1
  std::copy_backward(values.begin(), values.begin() + F, values.begin() + F + D);
  std::fill_n(values.begin(), D, 0.0f);

  std::array<float, DirforLayout::MaxRecordLength> history{};
  const int read = readRecord(historyFile_, historyFileSize_, record, H, name, historyFileName_,
                              history.data());
  if (read != kRecordRead) {
    if (read == kSeekFailed) {
      console().printf("Error fseeking on Dirhis file.  Pos=%lld.\n",
                       static_cast<long long>(record * H * 4));
    } else if (read == kReadFailed) {
      console().write("Error reading Dirhis.\n");
    }
    return -1;
  }
  for (int j = 0; j < H; ++j) {
    float& value = history[static_cast<size_t>(j)];
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    if (macro && (bits == kUndefinedMarkers[0] || bits == kUndefinedMarkers[1])) value = 0.0f;
    const float magnitude = std::fabs(value);
    if (magnitude < kSmallestValue || magnitude > kLargestHistory) value = 0.0f;
  }
  // The last history value and the first forecast value are the same year: scale the
  // history so that the two meet.
  const float last = history[static_cast<size_t>(H - 1)];
  const float ratio = last == 0.0f ? 0.0f : values[static_cast<size_t>(D)] / last;
  for (int j = 0; j < H - 1; ++j) values[static_cast<size_t>(j)] = history[static_cast<size_t>(j)] * ratio;
  return 0;
}

void Dirfor::forEachName(const std::function<bool(std::string_view, bool)>& visit) const {
  std::string name;
  for (int t = 1; t <= DirforLayout::MaxBlocks; ++t) {
    if (t == DirforLayout::MacroBlock) continue;
    const size_t i = static_cast<size_t>(t - 1);
    for (const std::string& stem : variableNames_[i]) {
      for (int sector = 1; sector <= blockSectors_[i]; ++sector) {
        name = stem + std::to_string(sector);
        if (!visit(name, false)) return;
      }
    }
  }
  for (const std::string& macro : macroNames_) {
    if (!visit(macro, true)) return;
  }
}

int16_t Dirfor::listNames(std::FILE* output, std::string_view pattern, int16_t wide) {
  NameLister sectors(output, pattern, wide != 0 ? 5 : 1, messages_, seriesCount_ > 100);
  bool stopped = false;
  forEachName([&](std::string_view name, bool isMacro) {
    if (isMacro) return false;
    stopped = !sectors.offer(name);
    return !stopped;
  });
  if (stopped) return 0;
  // The macro names follow on a line of their own, 5 a line, a page every 120 names.
  const bool anyMacro = std::any_of(macroNames_.begin(), macroNames_.end(), [&](const std::string& m) {
    return wildcardMatch(m, pattern) != 0;
  });
  if (sectors.printed() > 0 && anyMacro) {
    if (output == nullptr || output == stdout) {
      console().write("\r\n");
    } else {
      std::fputs("\n", output);
    }
  }
  NameLister macros(output, pattern, 5, messages_, false, 120);
  for (const std::string& macro : macroNames_) {
    if (!macros.offer(macro)) return 0;
  }
  return 1;
}

}  // namespace tabrix

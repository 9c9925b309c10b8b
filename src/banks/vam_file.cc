#include "banks/vam_file.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>

#include "banks/bank_files.h"
#include "banks/packed_matrix.h"
#include "banks/series_record.h"
#include "platform/console.h"
#include "platform/files.h"
#include "support/text.h"

namespace tabrix {

namespace {

// The stored first year may be written without its century.
int fullYear(int year) { return year < 1900 ? year + 1900 : year; }

// The largest first year a header may give.
constexpr double kLastFirstYear = 9999;

const char* const kDefaultTitle = "Base VAM file, before simulations";

// splitRowColumn leaves the row as it was when the name has no row.
constexpr int kNoRow = INT_MIN;

std::string trimmedText(const uint8_t* bytes, size_t width) {
  const char* text = reinterpret_cast<const char*>(bytes);
  std::string out(text, strnlen(text, width));
  rtrim(out);
  return out;
}

// Where each stored row's cells start among the file's non-zero cells (rows + 1
// entries, the last the count of cells): true, or false after the damage message.
bool readRowStarts(BinaryFile& file, const std::string& name, const PackedMatrixHeader& header,
                   std::vector<int64_t>& before) {
  const std::size_t rows = static_cast<std::size_t>(header.rows);
  std::vector<uint8_t> counts;
  if (file.seek(PackedMatrixHeader::Size) != 0 || file.readBytes(counts, 2 * rows) != 2 * rows) {
    reportDamagedBankFile(name, "its row counts cannot be read");
    return false;
  }
  before.assign(rows + 1, 0);
  for (std::size_t k = 0; k < rows; ++k) before[k + 1] = before[k] + decodeU16(counts.data() + 2 * k);
  if (before[rows] != header.cells) {
    reportDamagedBankFile(name, "its row counts do not add up to its non-zero cells");
    return false;
  }
  return true;
}

}  // namespace

// ---- SliceArray ----

void SliceArray::assign(int rows, int columns) {
  rows_ = std::max(rows, 0);
  columns_ = std::max(columns, 0);
  values_.assign(static_cast<size_t>(rows_) * static_cast<size_t>(columns_), 0.0f);
}

void SliceArray::clear() {
  rows_ = 0;
  columns_ = 0;
  values_.clear();
  values_.shrink_to_fit();
}

void SliceArray::fill(float value) { std::fill(values_.begin(), values_.end(), value); }

float SliceArray::at(int row, int column) const {
  if (row < 1 || row > rows_ || column < 1 || column > columns_) return 0.0f;
  return values_[static_cast<size_t>(row - 1) * static_cast<size_t>(columns_) + static_cast<size_t>(column - 1)];
}

bool SliceArray::set(int row, int column, float value) {
  if (row < 1 || row > rows_ || column < 1 || column > columns_) return false;
  values_[static_cast<size_t>(row - 1) * static_cast<size_t>(columns_) + static_cast<size_t>(column - 1)] = value;
  return true;
}

std::span<float> SliceArray::row(int row) {
  if (row < 1 || row > rows_) return {};
  return std::span<float>(values_).subspan(static_cast<size_t>(row - 1) * static_cast<size_t>(columns_),
                                           static_cast<size_t>(columns_));
}

// ---- VamFile ----

VamFile::VamFile(std::string_view name) : DataBank(name) {
  kindName_ = "VamFile";
  if (!open(name)) {
    openState_ = -1;
    dataFile_.close();
    names_.clear();
    return;
  }
  titleText_ = title_;
  if (title_.empty()) title_ = kDefaultTitle;
  sliceLoaded_ = 'n';
  sliceMode_ = 'x';
  sliceName_.clear();
  kind_ = 'v';
  openState_ = 1;
  openCompanion(name);
  int64_t count = 0;
  for (size_t v = 0; v < names_.size(); ++v) {
    if (variableColumns_[v] == 1) count += variableRows_[v];
  }
  if (companionOpen_) count += companion_->seriesCount();
  seriesCount_ = static_cast<uint16_t>(std::min<int64_t>(count, 65535));
  startPeriod_ = 1;
  frequency_ = 1;
}

VamFile::~VamFile() = default;

bool VamFile::refuse(const std::string& what) {
  reportDamagedBankFile(dataFileName_, what);
  return false;
}

bool VamFile::open(std::string_view name) {
  dataFileName_ = std::string(name);
  if (!fileNameHasDot(dataFileName_)) dataFileName_ += ".vam";
  std::vector<uint8_t> header;
  if (!dataFile_.open(toPath(dataFileName_), "rb")) {
    printMessage(24, dataFileName_.c_str());
    kind_ = 'x';
    return false;
  }
  fileSize_ = dataFile_.size();
  if (dataFile_.readBytes(header, HeaderSize) != static_cast<size_t>(HeaderSize)) {
    kind_ = 'x';
    return refuse("the header runs short");
  }
  kind_ = 'v';
  firstYear_ = decodeF32(header.data());
  lastYear_ = decodeF32(header.data() + 4);
  blockFloats_ = decodeI32(header.data() + 8);
  dataStart_ = decodeI32(header.data() + 12);
  title_ = trimmedText(header.data() + TitleOffset, TitleBytes);

  const double first = firstYear_;
  const double span = static_cast<double>(lastYear_) - first;
  if (!std::isfinite(first) || !std::isfinite(span) || first < 0 || first > kLastFirstYear ||
      span < 0 || span > MaxObs - 1) {
    return refuse("its years must run from a first year to a last year at most 1999 years on");
  }
  startYear_ = static_cast<uint16_t>(fullYear(static_cast<int>(first)));
  observations_ = static_cast<uint16_t>(static_cast<int>(span + 1.0));
  if (blockFloats_ < 0 || dataStart_ < 0) {
    return refuse("a negative year-block size or offset");
  }
  return readDirectory(header);
}

bool VamFile::readDirectory(const std::vector<uint8_t>& header) {
  const size_t n = decodeU16(header.data() + 16);
  const int16_t packedCount = decodeI16(header.data() + 20);
  const size_t p = packedCount < 0 ? 0 : static_cast<size_t>(packedCount);

  // Everything up to the name area has a size known from N and P: check it against the
  // file before reading it.
  const int64_t fixedBytes = int64_t{PackedNameBytes} * static_cast<int64_t>(p) +
                             int64_t{2} * static_cast<int64_t>(n + 1) + int64_t{11} * static_cast<int64_t>(n);
  if (HeaderSize + fixedBytes > fileSize_) return refuse("its directory runs past the end of the file");
  std::vector<uint8_t> bytes;
  if (dataFile_.readBytes(bytes, static_cast<size_t>(fixedBytes)) != static_cast<size_t>(fixedBytes)) {
    return refuse("its directory cannot be read");
  }
  ByteReader in(bytes);
  packedFiles_.resize(p);
  for (size_t i = 0; i < p; ++i) {
    std::array<uint8_t, PackedNameBytes> text;
    in.readBytes(text.data(), text.size());
    packedFiles_[i] = trimmedText(text.data(), text.size());
  }
  nameOffsets_.resize(n + 1);
  for (uint16_t& offset : nameOffsets_) in.readU16(offset);
  if (nameOffsets_[n] < nameOffsets_[0]) nameOffsets_[0] = 0;
  variableSize_.resize(n);
  for (int32_t& size : variableSize_) in.readI32(size);
  variableRows_.resize(n);
  for (int16_t& rows : variableRows_) in.readI16(rows);
  variableColumns_.resize(n);
  for (int16_t& columns : variableColumns_) in.readI16(columns);
  packedIndex_.resize(n);
  for (int16_t& index : packedIndex_) in.readI16(index);
  storage_.resize(n);
  for (char& letter : storage_) {
    uint8_t byte = 0;
    in.readU8(byte);
    letter = static_cast<char>(byte);
  }

  const size_t areaSize = nameOffsets_[n];
  const int64_t restBytes = static_cast<int64_t>(areaSize) + int64_t{2 * TextBytes} * static_cast<int64_t>(n);
  if (HeaderSize + fixedBytes + restBytes > fileSize_) {
    return refuse("its name area runs past the end of the file");
  }
  if (dataFile_.readBytes(bytes, static_cast<size_t>(restBytes)) != static_cast<size_t>(restBytes)) {
    return refuse("its name area cannot be read");
  }
  nameArea_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(areaSize));
  names_.resize(n);
  firstTexts_.resize(n);
  secondTexts_.resize(n);
  for (size_t v = 0; v < n; ++v) {
    const size_t start = nameOffsets_[v];
    const void* end = start < areaSize ? std::memchr(nameArea_.data() + start, '\0', areaSize - start) : nullptr;
    if (end == nullptr) {
      return refuse("the name of variable " + std::to_string(v + 1) + " lies outside its name area");
    }
    const char* begin = nameArea_.data() + start;
    names_[v].assign(begin, static_cast<size_t>(static_cast<const char*>(end) - begin));
    firstTexts_[v] = trimmedText(bytes.data() + areaSize + TextBytes * v, TextBytes);
    secondTexts_[v] = trimmedText(bytes.data() + areaSize + TextBytes * (n + v), TextBytes);
  }

  // Each variable must fit its dimensions, and the year blocks the file.
  variableOffset_.assign(n, 0);
  int64_t running = 0;
  for (size_t v = 0; v < n; ++v) {
    const std::string& name = names_[v];
    const int rows = variableRows_[v];
    const int columns = variableColumns_[v];
    if (rows < 0 || columns < 0) {
      return refuse("variable " + name + " has " + std::to_string(rows) + " rows and " +
                    std::to_string(columns) + " columns");
    }
    if (storage_[v] == 'p') {
      if (packedIndex_[v] < 0 || static_cast<size_t>(packedIndex_[v]) >= p) {
        return refuse("variable " + name + " names packed-matrix file " + std::to_string(packedIndex_[v]) +
                      " of " + std::to_string(p));
      }
      continue;
    }
    if (variableSize_[v] != int64_t{rows} * columns) {
      return refuse("variable " + name + " holds " + std::to_string(variableSize_[v]) +
                    " values a year, not its rows times its columns");
    }
    variableOffset_[v] = running;
    running += variableSize_[v];
  }
  if (running > blockFloats_) {
    return refuse("its variables take " + std::to_string(running) + " values a year, more than the " +
                  std::to_string(blockFloats_) + " of a year block");
  }
  if (dataStart_ + int64_t{4} * blockFloats_ * observations_ > fileSize_) {
    return refuse("its year blocks run past the end of the file");
  }
  return true;
}

void VamFile::openCompanion(std::string_view name) {
  std::string root(name);
  if (fileNameHasDot(root)) root.erase(root.rfind('.'));
  const std::string path = toPath(root);
  if (!fileExists(path + ".bnk")) return;
  companion_ = std::make_unique<VexBank>(path);
  companionOpen_ = companion_->isOpen();
  companionShift_ = static_cast<int>(startYear_) - static_cast<int>(companion_->baseYear());
}

int VamFile::findVariable(std::string_view name) const {
  for (size_t v = 0; v < names_.size(); ++v) {
    if (names_[v] == name) return static_cast<int>(v);
  }
  return -1;
}

int64_t VamFile::elementOffset(int v, int year, int64_t element) const {
  return int64_t{dataStart_} +
         4 * (int64_t{year} * blockFloats_ + variableOffset_[static_cast<size_t>(v)] + element - 1);
}

bool VamFile::readCompanion(std::string_view name, SeriesSpan values) {
  if (!companionOpen_) return false;
  auto theirs = std::make_unique<std::array<float, MaxObs>>();
  theirs->fill(MissingValue);
  if (companion_->readSeries(name, *theirs, -1) < 0) return false;
  const int length = std::min<int>(companion_->observations(), MaxObs);
  for (int i = 0; i < MaxObs; ++i) {
    const int j = i + companionShift_;
    values[static_cast<size_t>(i)] = (j >= 0 && j < length) ? (*theirs)[static_cast<size_t>(j)] : MissingValue;
  }
  return true;
}

int16_t VamFile::readSeries(std::string_view name, SeriesSpan values, int16_t /*count*/) {
  if (!isOpen()) return -1;
  const std::string text(name);
  std::string stem;
  int row = kNoRow;
  const int element = splitRowColumn(name, stem, row);
  const int v = element > 0 ? findVariable(stem) : -1;
  std::string outside;  // why the name lies outside its variable
  if (v >= 0) {
    const int rows = variableRows_[static_cast<size_t>(v)];
    const int columns = variableColumns_[static_cast<size_t>(v)];
    const bool hasRow = row != kNoRow && row != -1;
    if (columns > 1 && !hasRow) {
      console().printf(" Error in matrix expression: %s.\n", text.c_str());
      console().printf("%s not found.\n", text.c_str());
      return -1;
    }
    // A vector element is the cell (element, 1).
    const int r = hasRow ? row : element;
    const int c = hasRow ? element : 1;
    const int years = observations_;
    if (r < 1 || r > rows || c < 1 || c > columns) {
      outside = hasRow ? "cell (" + std::to_string(r) + ", " + std::to_string(c) + ") lies outside the " +
                             std::to_string(rows) + " x " + std::to_string(columns) + " cells of " + stem
                       : "element " + std::to_string(r) + " lies outside the " + std::to_string(rows) +
                             " elements of " + stem;
    } else if (sliceLoaded_ == 'y' && sliceVariable_ == v && sliceMode_ == 'x') {
      const int cell = (r - 1) * columns + c;
      for (int i = 0; i < years; ++i) values[static_cast<size_t>(i)] = slice_.at(i + 1, cell);
      return 0;
    } else if (sliceLoaded_ == 'y' && sliceVariable_ == v && sliceMode_ == 'r' && sliceNumber_ == r) {
      for (int i = 0; i < years; ++i) values[static_cast<size_t>(i)] = slice_.at(i + 1, c);
      return 0;
    } else if (storage_[static_cast<size_t>(v)] == 'p' || columns > 1) {
      if (loadSlice(stem, 'r', r) != 0) {
        console().printf("Unable to do load of %s.\n", stem.c_str());
        console().printf("%s not found.\n", text.c_str());
        return -1;
      }
      for (int i = 0; i < years; ++i) values[static_cast<size_t>(i)] = slice_.at(i + 1, c);
      return 0;
    } else {
      const int64_t cell = int64_t{r - 1} * columns + c;
      bool read = true;
      for (int y = 0; y < years && read; ++y) {
        float value = 0;
        if (dataFile_.seek(elementOffset(v, y, cell)) != 0) {
          console().write("Seek in Vam file failed.\n");
          read = false;
        } else if (!dataFile_.readF32(value)) {
          console().write("fread in vam file failed.\n");
          read = false;
        } else {
          values[static_cast<size_t>(y)] = value;
        }
      }
      if (read) return 0;
    }
  }
  if (readCompanion(name, values)) return 0;
  if (!outside.empty()) {
    reportUnreadableSeries(name, dataFileName_, outside);
    return -1;
  }
  console().printf("%s not found.\n", text.c_str());
  return -1;
}

bool VamFile::readForSlice(int64_t offset, std::span<float> out, bool waitOnFailure) {
  if (dataFile_.seek(offset) != 0) {
    if (waitOnFailure) {
      console().write("Fseek failed in loadcmd. Tap.\n");
      waitForKey();
    }
    console().write("Cannot read all of vector.\n");
    return false;
  }
  if (dataFile_.readF32Array(out) != out.size()) {
    if (waitOnFailure) {
      console().write("Fread failed in loadcmd. Tap.\n");
      waitForKey();
    }
    console().write("Cannot read all of vector.\n");
    return false;
  }
  return true;
}

int16_t VamFile::loadFromBlocks(int v, char mode, int number) {
  const int years = observations_;
  const int rows = variableRows_[static_cast<size_t>(v)];
  const int columns = variableColumns_[static_cast<size_t>(v)];
  switch (mode) {
    case 'x':
      for (int y = 0; y < years; ++y) {
        if (!readForSlice(elementOffset(v, y, 1), slice_.row(y + 1), true)) return -1;
      }
      return 0;
    case 'r':
      for (int y = 0; y < years; ++y) {
        if (!readForSlice(elementOffset(v, y, int64_t{number - 1} * columns + 1), slice_.row(y + 1), true)) {
          return -1;
        }
      }
      return 0;
    case 'c':
      for (int y = 0; y < years; ++y) {
        for (int j = 1; j <= rows; ++j) {
          float value = 0;
          if (!readForSlice(elementOffset(v, y, int64_t{j - 1} * columns + number), std::span<float>(&value, 1),
                            false)) {
            return -1;
          }
          slice_.set(y + 1, j, value);
        }
      }
      return 0;
    default: {  // 'y'
      const int year = fullYear(number) - startYear_;
      for (int j = 1; j <= rows; ++j) {
        if (!readForSlice(elementOffset(v, year, int64_t{j - 1} * columns + 1), slice_.row(j), true)) return -1;
      }
      return 0;
    }
  }
}

int16_t VamFile::loadSlice(std::string_view name, char mode, int number) {
  if (!isOpen()) return -1;
  const int v = findVariable(name);
  if (sliceLoaded_ == 'y' && v >= 0 && sliceVariable_ == v && sliceMode_ == mode && sliceNumber_ == number) {
    return 0;
  }
  unloadSlice();
  if (v < 0) return -1;
  const std::string text(name);
  const bool packed = storage_[static_cast<size_t>(v)] == 'p';
  const int years = observations_;
  const int rows = variableRows_[static_cast<size_t>(v)];
  const int columns = variableColumns_[static_cast<size_t>(v)];
  int64_t sliceRows = years;
  int64_t sliceColumns = 0;
  switch (mode) {
    case 'x':
      sliceColumns = packed ? 0 : variableSize_[static_cast<size_t>(v)];
      break;
    case 'r':
      sliceColumns = columns;
      break;
    case 'c':
      sliceColumns = rows;
      break;
    case 'y':
      sliceRows = rows;
      sliceColumns = columns;
      if (sliceRows * sliceColumns > MaxYearSlice) {
        console().write("Error: Matrix size too large to load\n");
        return -1;
      }
      break;
    default:
      console().write("Error: Invalid view.\n");
      return -1;
  }
  if (sliceRows * sliceColumns > MaxSliceValues) {
    console().printf("Error: %s is too large to load as one slice.\n", text.c_str());
    return -1;
  }
  int16_t result = 0;
  if (packed) {
    slice_.assign(static_cast<int>(sliceRows), static_cast<int>(sliceColumns));
    result = loadPacked(slice_, packedIndex_[static_cast<size_t>(v)], mode, number, 1, 1);
    if (result != 0) console().write("Pmload failed\n");
  } else {
    // The packed kind checks its numbers against its own file; these against the directory.
    if (mode == 'r' && (number < 1 || number > rows)) {
      console().printf("Error: Invalid row number: %d!\n", number);
      return -1;
    }
    if (mode == 'c' && (number < 1 || number > columns)) {
      console().printf("Error: Invalid column number: %d!\n", number);
      return -1;
    }
    if (mode == 'y' && (fullYear(number) < startYear_ || fullYear(number) >= startYear_ + years)) {
      console().printf("Error: Invalid year : %d!\n", number);
      return -1;
    }
    slice_.assign(static_cast<int>(sliceRows), static_cast<int>(sliceColumns));
    result = loadFromBlocks(v, mode, number);
  }
  if (result != 0) {
    slice_.clear();
    return -1;
  }
  sliceVariable_ = v;
  sliceName_ = text.substr(0, SliceNameLength);
  sliceMode_ = mode;
  sliceNumber_ = number;
  sliceWidth_ = slice_.columns();
  sliceLoaded_ = 'y';
  return 0;
}

const std::string* VamFile::openPacked(int fileIndex, BinaryFile& file, PackedMatrixHeader& header) const {
  if (fileIndex < 0 || fileIndex >= packedFileCount()) {
    console().printf("Error: there is no packed-matrix file %d.\n", fileIndex);
    return nullptr;
  }
  const std::string& name = packedFiles_[static_cast<std::size_t>(fileIndex)];
  if (!file.open(pathBeside(name, dataFileName_), "rb")) {
    console().printf("Error: Can not open file %s, load command failed.\n", name.c_str());
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  file.readBytes(bytes, PackedMatrixHeader::Size);
  std::string reason;
  if (!parsePackedHeader(bytes, file.size(), header, reason)) {
    reportDamagedBankFile(name, reason);
    return nullptr;
  }
  return &name;
}

int16_t VamFile::loadPacked(SliceArray& slice, int fileIndex, char mode, int number, int firstRow,
                            int firstColumn) {
  BinaryFile file;
  PackedMatrixHeader header;
  const std::string* opened = openPacked(fileIndex, file, header);
  if (opened == nullptr) return -1;
  const std::string& name = *opened;
  auto damaged = [&name](const std::string& what) {
    reportDamagedBankFile(name, what);
    return int16_t{-1};
  };
  switch (mode) {
    case 'r':
      if (number < header.firstRow || number > header.lastRow) {
        console().printf("Error: Invalid row number: %d!\n", number);
        return -1;
      }
      break;
    case 'c':
      if (number < header.firstColumn || number > header.lastColumn) {
        console().printf("Error: Invalid column number: %d!\n", number);
        return -1;
      }
      break;
    case 'y':
      if (fullYear(number) < header.firstYear || fullYear(number) > header.lastYear) {
        console().printf("Error: Invalid year : %d!\n", number);
        return -1;
      }
      break;
    default:
      console().write("Error: Invalid view.\n");
      return -1;
  }

  // Where each row's cells start among the Z cells.
  const size_t rows = static_cast<size_t>(header.rows);
  std::vector<int64_t> before;
  if (!readRowStarts(file, name, header, before)) return -1;

  auto readColumns = [&](size_t k, std::vector<int>& columns) {
    const size_t count = static_cast<size_t>(before[k + 1] - before[k]);
    std::vector<uint8_t> raw;
    if (file.seek(header.columnsOffset() + 2 * before[k]) != 0 || file.readBytes(raw, 2 * count) != 2 * count) {
      return false;
    }
    columns.resize(count);
    for (size_t i = 0; i < count; ++i) columns[i] = decodeU16(raw.data() + 2 * i);
    return true;
  };
  auto readValues = [&](int block, int64_t cell, std::span<float> out) {
    return file.seek(header.valuesOffset(block) + 4 * cell) == 0 && file.readF32Array(out) == out.size();
  };
  // Slice row j of a by-year slice is the VAM's year startYear + j - 1.
  auto blockOf = [&](int j) {
    const int block = static_cast<int>(startYear_) + j - 1 - header.firstYear;
    return block >= 0 && block < header.years() ? block : -1;
  };
  const std::string cannotRead = "its cells cannot be read";
  slice.fill(0.0f);
  std::vector<int> columns;
  std::vector<float> values;
  if (mode == 'r') {
    const size_t k = static_cast<size_t>(number - header.firstRow);
    if (k >= rows) return damaged("row " + std::to_string(number) + " lies beyond its rows");
    if (!readColumns(k, columns)) return damaged(cannotRead);
    values.resize(columns.size());
    for (int j = 1; j <= slice.rows(); ++j) {
      const int block = blockOf(j);
      if (block < 0) continue;
      if (!readValues(block, before[k], values)) return damaged(cannotRead);
      for (size_t i = 0; i < columns.size(); ++i) {
        if (!slice.set(j, firstColumn + columns[i] - header.firstColumn, values[i])) {
          return damaged("column " + std::to_string(columns[i]) + " lies outside the matrix");
        }
      }
    }
    packedRowCount_ = static_cast<int>(columns.size());
    return 0;
  }
  if (mode == 'c') {
    std::vector<std::pair<size_t, int64_t>> cells;  // row, and the cell's place among the Z
    for (size_t k = 0; k < rows; ++k) {
      if (!readColumns(k, columns)) return damaged(cannotRead);
      const auto found = std::find(columns.begin(), columns.end(), number);
      if (found != columns.end()) cells.emplace_back(k, before[k] + (found - columns.begin()));
    }
    float value = 0;
    for (int j = 1; j <= slice.rows(); ++j) {
      const int block = blockOf(j);
      if (block < 0) continue;
      for (const auto& [k, cell] : cells) {
        if (!readValues(block, cell, std::span<float>(&value, 1))) return damaged(cannotRead);
        if (!slice.set(j, firstRow + static_cast<int>(k), value)) {
          return damaged("row " + std::to_string(header.firstRow + static_cast<int>(k)) +
                         " lies outside the matrix");
        }
      }
    }
    return 0;
  }
  const int block = fullYear(number) - header.firstYear;
  for (size_t k = 0; k < rows; ++k) {
    if (!readColumns(k, columns)) return damaged(cannotRead);
    values.resize(columns.size());
    if (!readValues(block, before[k], values)) return damaged(cannotRead);
    for (size_t i = 0; i < columns.size(); ++i) {
      if (!slice.set(firstRow + static_cast<int>(k), firstColumn + columns[i] - header.firstColumn, values[i])) {
        return damaged("cell (" + std::to_string(header.firstRow + static_cast<int>(k)) + ", " +
                       std::to_string(columns[i]) + ") lies outside the matrix");
      }
    }
  }
  return 0;
}

int16_t VamFile::readPackedCells(int v, std::vector<PackedCell>& cells) {
  cells.clear();
  const std::size_t at = static_cast<std::size_t>(v);
  const int fileIndex = packedIndex_[at];
  BinaryFile file;
  PackedMatrixHeader header;
  const std::string* opened = openPacked(fileIndex, file, header);
  if (opened == nullptr) return -1;
  const std::string& name = *opened;
  auto damaged = [&name](const std::string& what) {
    reportDamagedBankFile(name, what);
    return int16_t{-1};
  };
  const int rows = variableRows_[at];
  const int columns = variableColumns_[at];
  // Rows 1 .. rows of the directory must be rows of the file.
  if (rows >= 1 && (header.firstRow > 1 || rows > header.lastRow)) {
    console().printf("Error: Invalid row number: %d!\n", header.firstRow > 1 ? 1 : header.lastRow + 1);
    return -1;
  }
  if (rows >= 1 && rows - header.firstRow >= header.rows) {
    return damaged("row " + std::to_string(rows) + " lies beyond its rows");
  }
  std::vector<int64_t> before;
  if (!readRowStarts(file, name, header, before)) return -1;
  std::vector<uint8_t> raw;
  const std::size_t count = static_cast<std::size_t>(header.cells);
  if (file.seek(header.columnsOffset()) != 0 || file.readBytes(raw, 2 * count) != 2 * count) {
    return damaged("its cells cannot be read");
  }
  std::vector<int> cellColumns(count);
  for (std::size_t i = 0; i < count; ++i) cellColumns[i] = decodeU16(raw.data() + 2 * i);
  // The years of this file the packed file holds, a block of Z values each.
  const int years = observations_;
  std::vector<std::vector<float>> blocks(static_cast<std::size_t>(years));
  bool anyYear = false;
  for (int j = 0; j < years; ++j) {
    const int block = static_cast<int>(startYear_) + j - header.firstYear;
    if (block < 0 || block >= header.years()) continue;
    std::vector<float>& values = blocks[static_cast<std::size_t>(j)];
    values.resize(count);
    if (file.seek(header.valuesOffset(block)) != 0 || file.readF32Array(values) != values.size()) {
      return damaged("its cells cannot be read");
    }
    anyYear = true;
  }
  if (!anyYear) return 0;  // no year in common: every cell is 0
  for (int r = 1; r <= rows; ++r) {
    const std::size_t k = static_cast<std::size_t>(r - header.firstRow);
    std::vector<std::pair<int, int64_t>> row;  // column, the cell's place among the Z
    for (int64_t cell = before[k]; cell < before[k + 1]; ++cell) {
      const int column = 1 + cellColumns[static_cast<std::size_t>(cell)] - header.firstColumn;
      if (column < 1 || column > columns) {
        return damaged("column " + std::to_string(cellColumns[static_cast<std::size_t>(cell)]) +
                       " lies outside the matrix");
      }
      row.emplace_back(column, cell);
    }
    // By column; of a column stored twice the later cell counts.
    std::stable_sort(row.begin(), row.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i + 1 < row.size() && row[i + 1].first == row[i].first) continue;
      PackedCell out;
      out.row = r;
      out.column = row[i].first;
      out.values.assign(static_cast<std::size_t>(years), 0.0f);
      for (int j = 0; j < years; ++j) {
        const std::vector<float>& values = blocks[static_cast<std::size_t>(j)];
        if (!values.empty()) out.values[static_cast<std::size_t>(j)] = values[static_cast<std::size_t>(row[i].second)];
      }
      cells.push_back(std::move(out));
    }
  }
  return 0;
}

void VamFile::unloadSlice() {
  slice_.clear();
  sliceLoaded_ = 'n';
  sliceMode_ = 'x';
  sliceName_.clear();
  sliceVariable_ = -1;
  sliceNumber_ = 0;
  sliceWidth_ = 0;
}

int16_t VamFile::listNames(std::FILE* output, std::string_view pattern, int16_t wide) {
  NameLister lister(output, pattern, wide != 0 ? 5 : 1, messages_, seriesCount_ > 100);
  for (size_t v = 0; v < names_.size(); ++v) {
    if (variableColumns_[v] != 1) continue;
    for (int e = 1; e <= variableRows_[v]; ++e) {
      if (!lister.offer(names_[v] + std::to_string(e))) return 0;
    }
  }
  return 1;
}

}  // namespace tabrix

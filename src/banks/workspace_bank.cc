#include "banks/workspace_bank.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/console.h"

namespace tabrix {

namespace {

// Refusals the catalogue has no entry for: a header the system's arrays cannot hold,
// and an index whose offsets and names do not fit together.
constexpr const char* kTooManyObservations =
    "\r\nCannot use %s: %d observations per series, at most %d.\r\nNo bank now assigned\r\n";
constexpr const char* kDamagedIndex =
    "\r\nIndex file %s is damaged.\r\nNo bank now assigned\r\n";
// The catalogue's write message (msgbk 8) formats the file name with %f; this is the
// same text with the name printed as text.
constexpr const char* kCannotWrite = "\r\nCannot write %s on %s";
constexpr const char* kCannotRead = "\r\nCannot read %s on %s\r\n";

// An index cannot hold more positions than findSeries can return.
constexpr int kMaxIndexCount = 32767;

}  // namespace

VexBank::VexBank(std::string_view rootName) : DataBank() {
  kindName_ = "VexBank";
  dataFileName_ = std::string(rootName) + ".bnk";
  if (!dataFile_.open(dataFileName_, "rb", BinaryFile::Buffering::Unbuffered) || !readHeader()) {
    printMessage(1, dataFileName_.c_str());
    dataFile_.close();
    kind_ = 'x';
    openState_ = -1;
    return;
  }
  if (observations_ > MaxObs) {
    console().printf(kTooManyObservations, dataFileName_.c_str(),
                     static_cast<int>(observations_), MaxObs);
    dataFile_.close();
    kind_ = 'x';
    openState_ = -1;
    return;
  }
  indexFileName_ = std::string(rootName) + ".ind";
  accessMode_ = 'r';
  if (!indexFile_.open(indexFileName_, "rb", BinaryFile::Buffering::Unbuffered)) {
    printMessage(2, indexFileName_.c_str());
    dataFile_.close();
    openState_ = -1;
    return;
  }
  if (!readIndex()) {
    nameArea_.clear();
    nameOffsets_.clear();
    nameIndex_.clear();
    seriesCount_ = 0;
    dataFile_.close();
    indexFile_.close();
    openState_ = -1;
    return;
  }
  kind_ = 'w';
  openState_ = 1;
  frequency_ = 1;
  // Records are read from the mapping from now on; without one, with positioned reads.
  static_cast<void>(dataMap_.map(fileno(dataFile_.handle())));
}

VexBank::VexBank(std::string_view rootName, std::string_view mode, uint16_t baseYear,
                 uint16_t observations, uint16_t startPeriod)
    : DataBank() {
  if (mode != "New") {
    console().write("VexBank constructor only works with New at present.\r\n");
    openState_ = -1;
    return;
  }
  startYear_ = baseYear;
  observations_ = observations;
  startPeriod_ = startPeriod;
  kindName_ = "VexBank";
  dataFileName_ = std::string(rootName) + ".bnk";
  if (observations_ > MaxObs) {
    console().printf(kTooManyObservations, dataFileName_.c_str(),
                     static_cast<int>(observations_), MaxObs);
    openState_ = -1;
    return;
  }
  std::array<uint8_t, HeaderSize> header{};
  encodeU16(header.data(), startYear_);
  encodeU16(header.data() + 2, startPeriod_);
  encodeU16(header.data() + 4, observations_);
  if (!dataFile_.open(dataFileName_, "w+b") || !dataFile_.writeBytes(header) ||
      dataFile_.flush() != 0) {
    printMessage(1, dataFileName_.c_str());
    dataFile_.close();
    kind_ = 'x';
    openState_ = -1;
    return;
  }
  indexFileName_ = std::string(rootName) + ".ind";
  accessMode_ = 'w';
  bool failed = false;
  if (!indexFile_.open(indexFileName_, "w+b")) {
    printMessage(2, indexFileName_.c_str());
    failed = true;
  } else if (indexFile_.seek(0) != 0) {
    printMessage(15);
    failed = true;
  } else if (!indexFile_.writeU16(0) || indexFile_.flush() != 0) {
    console().write("Unable to write to index.\r\n");
    failed = true;
  }
  if (failed) {
    dataFile_.close();
    indexFile_.close();
    openState_ = -1;
    return;
  }
  nameOffsets_.assign(MaxNewSeries + 1, 0);
  nameArea_.assign(NameAreaCapacity, 0);
  nameAreaSize_ = 0;
  kind_ = 'w';
  openState_ = 1;
  // Stores take their frequency byte from frequency(); start from annual.
  frequency_ = 1;
}

VexBank::~VexBank() {
  if (openState_ != 1 || accessMode_ != 'w') return;
  static_cast<void>(writeIndex());  // reports its failure
  // A close that fails loses what was still buffered: say which file.
  if (dataFile_.isOpen() && dataFile_.close() != 0) console().printf("Error:  cannot write %s.\r\n", dataFileName_.c_str());
  if (indexFile_.isOpen() && indexFile_.close() != 0) console().printf("Error:  cannot write %s.\r\n", indexFileName_.c_str());
}

bool VexBank::readHeader() {
  std::array<uint8_t, HeaderSize> header;
  if (dataFile_.read(header.data(), header.size()) != header.size()) return false;
  uint16_t year = decodeU16(header.data());
  startYear_ = year < 1900 ? static_cast<uint16_t>(year + 1900) : year;
  startPeriod_ = decodeU16(header.data() + 2);
  observations_ = decodeU16(header.data() + 4);
  const char* title = reinterpret_cast<const char*>(header.data() + 6);
  title_.assign(title, strnlen(title, TitleBytes));
  return true;
}

void VexBank::refuseIndex() { console().printf(kDamagedIndex, indexFileName_.c_str()); }

bool VexBank::readIndex() {
  if (indexFile_.seek(0) != 0) {
    printMessage(15);
    return false;
  }
  std::array<uint8_t, 2> countBytes;
  size_t got = indexFile_.read(countBytes.data(), countBytes.size());
  if (got == 0) {
    printMessage(16);
    return false;
  }
  if (got != countBytes.size()) {
    refuseIndex();
    return false;
  }
  int count = decodeU16(countBytes.data());
  if (count > kMaxIndexCount) {
    refuseIndex();
    return false;
  }

  std::vector<uint8_t> offsetBytes;
  size_t offsetSize = 2 * static_cast<size_t>(count + 1);
  got = indexFile_.readBytes(offsetBytes, offsetSize);
  if (got == 0 && count == 0) {
    // The index a created bank starts with: the count alone, no names.
    offsetBytes.assign(2, 0);
  } else if (got == 0) {
    printMessage(17);
    return false;
  } else if (got != offsetSize) {
    refuseIndex();
    return false;
  }
  nameOffsets_.resize(static_cast<size_t>(count + 1));
  for (int i = 0; i <= count; ++i) nameOffsets_[i] = decodeU16(offsetBytes.data() + 2 * i);
  // Every name takes at least its NUL, so the offsets must rise strictly from 0.
  if (nameOffsets_[0] != 0) {
    refuseIndex();
    return false;
  }
  for (int i = 0; i < count; ++i) {
    if (nameOffsets_[i + 1] <= nameOffsets_[i]) {
      refuseIndex();
      return false;
    }
  }

  size_t namesEnd = nameOffsets_[count];
  std::vector<uint8_t> names;
  got = indexFile_.readBytes(names, namesEnd + 1);
  if (got == 0 && namesEnd > 0) {
    printMessage(18);
    return false;
  }
  // The byte after the last NUL is padding; the names themselves must all be there.
  if (got < namesEnd) {
    refuseIndex();
    return false;
  }
  names.resize(namesEnd + 1, 0);
  for (int i = 0; i < count; ++i) {
    if (names[nameOffsets_[i + 1] - 1] != 0) {
      refuseIndex();
      return false;
    }
  }
  nameArea_.assign(names.begin(), names.end());
  nameAreaSize_ = static_cast<uint16_t>(namesEnd + 1);
  seriesCount_ = static_cast<uint16_t>(count);
  nameIndex_.clear();
  nameIndex_.reserve(static_cast<size_t>(count));
  // A name that occurs twice keeps its first position.
  for (int i = 0; i < count; ++i) nameIndex_.insert(nameAt(i), i, nameOf());
  return true;
}

std::string_view VexBank::nameAt(int i) const {
  if (i < 0 || i >= static_cast<int>(seriesCount_)) return {};
  size_t begin = nameOffsets_[i];
  size_t end = nameOffsets_[i + 1] - 1;  // the name's NUL
  std::string_view slot(nameArea_.data() + begin, end - begin);
  return slot.substr(0, slot.find('\0'));
}

int16_t VexBank::findSeries(std::string_view name) const {
  return static_cast<int16_t>(nameIndex_.find(name, nameOf()));
}

int64_t VexBank::recordOffset(int i) const {
  return HeaderSize + static_cast<int64_t>(i) * (4 * static_cast<int64_t>(observations_) + 1);
}

int16_t VexBank::readSeries(std::string_view name, SeriesSpan values, int16_t count) {
  int16_t i = findSeries(name);
  if (i < 0) return -1;
  int wanted = count < 0 ? observations_ : std::min<int>(count, MaxObs);
  size_t toRead = static_cast<size_t>(std::max(0, std::min<int>(wanted, observations_)));
  // The frequency byte and the observations wanted: from the mapping as far as the
  // file held them at open, else in one positioned read. Writes of a created bank are
  // flushed as they are made, so the read sees them.
  std::array<uint8_t, 1 + 4 * MaxObs> record;
  const uint8_t* bytes = nullptr;
  size_t got = 0;
  if (dataMap_.isMapped() && recordOffset(i) < static_cast<int64_t>(dataMap_.size())) {
    const auto offset = static_cast<size_t>(recordOffset(i));
    got = std::min(1 + 4 * toRead, dataMap_.size() - offset);
    bytes = dataMap_.bytes(recordOffset(i), got).data();
  }
  if (bytes == nullptr) {
    got = dataFile_.readAt(recordOffset(i), record.data(), 1 + 4 * toRead);
    bytes = record.data();
  }
  if (got == 0) {
    const std::string nameText(name);
    console().printf(kCannotRead, nameText.c_str(), dataFileName_.c_str());
    return -1;
  }
  const auto frequencyByte = static_cast<int8_t>(bytes[0]);
  // The slots wanted whose float did not arrive whole (or lie past M) become 0.0.
  const size_t floats = toRead == 0 ? 0 : (got - 1) / 4;
  if (wanted > 0 && floats > 0) {
    for (size_t j = 0; j < floats; ++j) values[j] = decodeF32(bytes + 1 + 4 * j);
  }
  // A file that shrank under the mapping: what was read may be zeros; the positioned
  // read sees the file as it is now.
  if (bytes != record.data() && !dataMap_.intact()) return readSeries(name, values, count);
  lastFrequencyByte_ = frequencyByte;
  frequency_ = frequencyByte;
  if (wanted == 0) return 0;
  std::fill(values.begin() + static_cast<std::ptrdiff_t>(floats), values.begin() + wanted, 0.0f);
  if (toRead > 0 && floats == 0) {
    const std::string nameText(name);
    console().printf(kCannotRead, nameText.c_str(), dataFileName_.c_str());
    return -1;
  }
  return 0;
}

void VexBank::takeBackName(std::string_view name) {
  nameIndex_.erase(name, nameOf());
  --seriesCount_;
  nameArea_[nameOffsets_[seriesCount_]] = 0;
  nameOffsets_[seriesCount_ + 1] = 0;
}

int16_t VexBank::writeSeries(std::string_view name, ConstSeriesSpan values, char flush,
                             int16_t count) {
  std::string nameText(name);
  if (openState_ != 1 || accessMode_ != 'w' || name.empty() ||
      name.find('\0') != std::string_view::npos) {
    console().printf(kCannotWrite, nameText.c_str(), dataFileName_.c_str());
    return -1;
  }
  uint8_t frequencyByte = static_cast<uint8_t>(frequency_ & 0xFF);
  int16_t i = findSeries(name);
  bool appended = false;
  if (i < 0) {
    int n = seriesCount_;
    size_t end = nameOffsets_[n];
    // A full bank takes no new name; nor does a name that, with its NUL and the
    // index's trailing byte, would not fit in the name area.
    if (n >= MaxNewSeries || end >= static_cast<size_t>(FullNameOffset) ||
        end + name.size() + 2 > static_cast<size_t>(NameAreaCapacity)) {
      printMessage(9);
      printMessage(10, n, static_cast<int>(end));
      return -1;
    }
    std::memcpy(nameArea_.data() + end, name.data(), name.size());
    nameArea_[end + name.size()] = 0;
    nameOffsets_[n + 1] = static_cast<uint16_t>(end + name.size() + 1);
    seriesCount_ = static_cast<uint16_t>(n + 1);
    nameIndex_.insert(name, n, nameOf());
    i = static_cast<int16_t>(n);
    appended = true;
  }
  if (dataFile_.seek(recordOffset(i)) != 0) {
    printMessage(7);
    if (appended) takeBackName(name);
    return -1;
  }
  size_t toWrite = count < 0 ? observations_ : std::min<size_t>(count, observations_);
  // Flushing makes a failed write show here, not later when the buffer goes out.
  if (!dataFile_.writeU8(frequencyByte) || !dataFile_.writeF32Array(values.first(toWrite)) ||
      dataFile_.flush() != 0) {
    console().printf(kCannotWrite, nameText.c_str(), dataFileName_.c_str());
    if (appended) takeBackName(name);
    return -1;
  }
  if (flush == 'y' && writeIndex() != 0) {
    if (appended) takeBackName(name);
    return -1;
  }
  int n = seriesCount_;
  if (n >= MaxNewSeries || nameOffsets_[n] >= FullNameOffset) {
    printMessage(9);
    printMessage(10, n, static_cast<int>(nameOffsets_[n]));
    return -1;
  }
  return i;
}

int16_t VexBank::writeIndex() {
  // The catalogue's message says what failed; the line after it names the file.
  auto failed = [this](int message) {
    printMessage(message);
    console().printf("Error:  cannot write %s.\r\n", indexFileName_.c_str());
    return int16_t{-1};
  };
  if (indexFile_.seek(0) != 0) return failed(11);
  int n = seriesCount_;
  if (!indexFile_.writeU16(static_cast<uint16_t>(n))) return failed(12);
  std::vector<uint8_t> bytes;
  bytes.reserve(2 * static_cast<size_t>(n + 1));
  for (int i = 0; i <= n; ++i) appendU16(bytes, nameOffsets_[i]);
  if (!indexFile_.writeBytes(bytes)) return failed(13);
  size_t nameBytes = static_cast<size_t>(nameOffsets_[n]) + 1;
  if (nameArea_.size() < nameBytes) nameArea_.resize(nameBytes, 0);
  if (indexFile_.write(nameArea_.data(), nameBytes) != nameBytes || indexFile_.flush() != 0) return failed(14);
  nameAreaSize_ = static_cast<uint16_t>(nameBytes);
  return 0;
}

const char* VexBank::setTitle(std::string_view text) {
  DataBank::setTitle(text);
  if (dataFile_.seek(0) != 0) {
    printMessage(15);
    return nullptr;
  }
  std::vector<uint8_t> header;
  header.reserve(HeaderSize);
  appendU16(header, startYear_);
  appendU16(header, startPeriod_);
  appendU16(header, observations_);
  appendFixedText(header, std::string_view(title_).substr(0, TitleBytes - 1), TitleBytes);
  if (!dataFile_.writeBytes(header) || dataFile_.flush() != 0) {
    printMessage(1, dataFileName_.c_str());
    return nullptr;
  }
  return title_.c_str();
}

int16_t VexBank::listNames(std::FILE* output, std::string_view pattern, int16_t wide) {
  NameLister lister(output, pattern, wide != 0 ? 5 : 1, messages_, seriesCount_ > 100);
  for (int i = 0; i < seriesCount_; ++i) {
    if (!lister.offer(nameAt(i))) break;
  }
  return lister.result();
}

}  // namespace tabrix

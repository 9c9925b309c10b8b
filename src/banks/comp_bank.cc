#include "banks/comp_bank.h"

#include <cstring>

#include "platform/console.h"

namespace tabrix {

namespace {

// Offers the first `limit` complete names of the name area to `visit` in order, with
// their ordinals, until it returns false. A last name without its NUL is not a name.
template <typename Visit>
void walkNames(const std::vector<char>& area, uint16_t limit, Visit visit) {
  size_t position = 0;
  for (uint16_t ordinal = 0; ordinal < limit && position < area.size(); ++ordinal) {
    const void* end = std::memchr(area.data() + position, '\0', area.size() - position);
    if (end == nullptr) return;
    const size_t length = static_cast<size_t>(static_cast<const char*>(end) - (area.data() + position));
    if (!visit(std::string_view(area.data() + position, length), ordinal)) return;
    position += length + 1;
  }
}

}  // namespace

CompBank::CompBank(std::string_view rootName) : DataBank(rootName) {
  kindName_ = "CompBank";
  dataFileName_ = std::string(rootName) + ".cbk";
  indexFileName_ = std::string(rootName) + ".cin";
  kind_ = 'c';
  if (open()) {
    startYear_ = kRecordBaseYear;
    frequency_ = 1;
    observations_ = MaxObs;
    openState_ = 1;
  } else {
    openState_ = -1;
    nameIndex_.clear();
    nameArea_.clear();
    seriesOffsets_.clear();
    nameAreaBytes_ = 0;
    dataFile_.close();
    indexFile_.close();
  }
}

CompBank::~CompBank() { console().write("CompBank destructor called.  Freeing up memory.\n"); }

bool CompBank::refuse(const std::string& fileName, std::string_view reason) {
  reportDamagedBankFile(fileName, reason);
  printMessage(1, fileName.c_str());
  return false;
}

bool CompBank::open() {
  uint8_t header[kHeaderSize];
  if (!dataFile_.open(dataFileName_, "rb") || dataFile_.read(header, sizeof header) != sizeof header) {
    printMessage(1, dataFileName_.c_str());
    return false;
  }
  title_.assign(reinterpret_cast<const char*>(header), strnlen(reinterpret_cast<const char*>(header), 80));
  seriesCount_ = static_cast<uint16_t>(decodeU32(header + 80) & 0xFFFF);
  tableOffset_ = decodeI32(header + 84);

  dataFileSize_ = dataFile_.size();
  const int64_t tableBytes = int64_t{4} * seriesCount_;
  if (dataFileSize_ < 0 || tableOffset_ < 0 || tableOffset_ + tableBytes > dataFileSize_) {
    return refuse(dataFileName_, "the offset table lies outside the file");
  }
  std::vector<uint8_t> table;
  if (dataFile_.seek(tableOffset_) != 0 ||
      dataFile_.readBytes(table, static_cast<size_t>(tableBytes)) != static_cast<size_t>(tableBytes)) {
    return refuse(dataFileName_, "the offset table cannot be read");
  }
  seriesOffsets_.resize(seriesCount_);
  for (size_t i = 0; i < seriesOffsets_.size(); ++i) seriesOffsets_[i] = decodeI32(table.data() + 4 * i);

  if (!indexFile_.open(indexFileName_, "rb")) {
    printMessage(1, indexFileName_.c_str());
    return false;
  }
  uint8_t counts[8];
  if (indexFile_.read(counts, sizeof counts) != sizeof counts) {
    return refuse(indexFileName_, "the file runs short");
  }
  if ((decodeU32(counts) & 0xFFFF) != seriesCount_) {
    console().write("Warning: .cin file does not match .cbk file.\n");
  }
  const int32_t z = decodeI32(counts + 4);
  if (z < 0 || z > kMaxNameAreaBytes) return refuse(indexFileName_, "the name area size is out of range");
  std::vector<uint8_t> names;
  if (indexFile_.readBytes(names, static_cast<size_t>(z)) != static_cast<size_t>(z)) {
    return refuse(indexFileName_, "the name area runs past the end of the file");
  }
  nameAreaBytes_ = static_cast<uint16_t>(z);
  nameArea_.assign(names.begin(), names.end());

  // A repeated name keeps its first ordinal.
  walkNames(nameArea_, seriesCount_, [this](std::string_view name, uint16_t ordinal) {
    nameIndex_.try_emplace(name, ordinal);
    return true;
  });
  return true;
}

int CompBank::findName(std::string_view name) const {
  const auto found = nameIndex_.find(name);
  return found == nameIndex_.end() ? -1 : found->second;
}

int16_t CompBank::readSeries(std::string_view name, SeriesSpan values, int16_t /*count*/) {
  if (!isOpen()) return -1;
  const int ordinal = findName(name);
  if (ordinal < 0) return -1;
  SeriesReadResult result;
  std::string reason;
  if (readSeriesRecord(dataFile_, seriesOffsets_[static_cast<size_t>(ordinal)], dataFileSize_,
                       values.data(), result, reason) != 0) {
    if (!reason.empty()) reportUnreadableSeries(name, dataFileName_, reason);
    return -1;
  }
  lastHeader_ = result.header;
  lastCount_ = result.lastIndex;
  frequency_ = lastFrequency_ = result.frequency;
  lastStartPeriod_ = result.startPeriod;
  startPeriod_ = static_cast<uint16_t>(result.startPeriod);
  lastLength_ = static_cast<uint16_t>(result.length);
  return 0;
}

int16_t CompBank::listNames(std::FILE* output, std::string_view pattern, int16_t wide) {
  NameLister lister(output, pattern, wide != 0 ? 5 : 1, messages_, seriesCount_ > 100);
  walkNames(nameArea_, seriesCount_,
            [&lister](std::string_view name, uint16_t) { return lister.offer(name); });
  return lister.result();
}

}  // namespace tabrix

#include "banks/comp_bank.h"

#include "platform/console.h"

namespace tabrix {

CompBank::CompBank(std::string_view rootName)
    : RecordBank(rootName, "CompBank", 'c', ".cbk", ".cin") {
  const bool opened = open();
  settleOpen(opened);
  if (!opened) {
    nameIndex_.clear();
    names_.clear();
    nameArea_.clear();
    seriesOffsets_.clear();
    nameAreaBytes_ = 0;
  }
}

CompBank::~CompBank() { console().write("CompBank destructor called.  Freeing up memory.\n"); }

bool CompBank::open() {
  uint8_t header[kHeaderSize];
  if (!dataFile_.open(dataFileName_, "rb", BinaryFile::Buffering::Unbuffered) || dataFile_.read(header, sizeof header) != sizeof header) {
    printMessage(1, dataFileName_.c_str());
    return false;
  }
  takeTitle(header);
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

  if (!indexFile_.open(indexFileName_, "rb", BinaryFile::Buffering::Unbuffered)) {
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
  walkNameArea(nameArea_.data(), nameArea_.size(), seriesCount_,
               [this](std::string_view name, size_t) {
                 names_.push_back(name);
                 return true;
               });
  nameIndex_.reserve(names_.size());
  const auto nameOf = [this](int ordinal) { return names_[static_cast<size_t>(ordinal)]; };
  for (size_t ordinal = 0; ordinal < names_.size(); ++ordinal) {
    nameIndex_.insert(names_[ordinal], static_cast<int>(ordinal), nameOf);
  }
  return true;
}

int CompBank::findName(std::string_view name) const {
  return nameIndex_.find(name, [this](int ordinal) { return names_[static_cast<size_t>(ordinal)]; });
}

int16_t CompBank::locate(std::string_view name, int64_t& offset) {
  if (!isOpen()) return -1;
  const int ordinal = findName(name);
  if (ordinal < 0) return -1;
  offset = seriesOffsets_[static_cast<size_t>(ordinal)];
  return 0;
}

int16_t CompBank::listNames(std::FILE* output, std::string_view pattern, int16_t wide) {
  NameLister lister(output, pattern, wide != 0 ? 5 : 1, messages_, seriesCount_ > 100);
  walkNameArea(nameArea_.data(), nameArea_.size(), seriesCount_,
               [&lister](std::string_view name, size_t) { return lister.offer(name); });
  return lister.result();
}

}  // namespace tabrix

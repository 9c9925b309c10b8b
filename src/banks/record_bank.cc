#include "banks/record_bank.h"

#include <cstdio>
#include <cstring>

namespace tabrix {

RecordBank::RecordBank(std::string_view rootName, std::string_view kindName, char kind,
                       std::string_view dataExtension, std::string_view indexExtension)
    : DataBank(rootName) {
  kindName_ = std::string(kindName);
  dataFileName_ = std::string(rootName) + std::string(dataExtension);
  indexFileName_ = std::string(rootName) + std::string(indexExtension);
  kind_ = kind;
}

void RecordBank::settleOpen(bool opened) {
  if (opened) {
    startYear_ = kRecordBaseYear;
    frequency_ = 1;
    observations_ = MaxObs;
    openState_ = 1;
    // Records are read from the mapping from now on; without one, with positioned reads.
    static_cast<void>(dataMap_.map(fileno(dataFile_.handle())));
  } else {
    dataMap_.unmap();
    openState_ = -1;
    dataFile_.close();
    indexFile_.close();
  }
}

bool RecordBank::refuse(const std::string& fileName, std::string_view reason) {
  reportDamagedBankFile(fileName, reason);
  printMessage(1, fileName.c_str());
  return false;
}

void RecordBank::takeTitle(const uint8_t* header) {
  const char* text = reinterpret_cast<const char*>(header);
  title_.assign(text, strnlen(text, 80));
}

int16_t RecordBank::readSeries(std::string_view name, SeriesSpan values, int16_t /*count*/) {
  int64_t offset = 0;
  if (locate(name, offset) != 0) return -1;
  return readRecordAt(name, offset, values, RecordFill::AllSlots);
}

int16_t RecordBank::readSeriesData(std::string_view name, SeriesSpan values) {
  int64_t offset = 0;
  if (locate(name, offset) != 0) return -1;
  return readRecordAt(name, offset, values, RecordFill::DataOnly);
}

int16_t RecordBank::readRecordAt(std::string_view name, int64_t offset, SeriesSpan values, RecordFill fill) {
  SeriesReadResult result;
  std::string reason;
  if (readSeriesRecord(dataFile_, dataMap_, offset, dataFileSize_, values.data(), result, reason, fill) != 0) {
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

}  // namespace tabrix

#include "banks/comp_bank_writer.h"

#include "banks/binary_io.h"
#include "banks/comp_bank.h"
#include "banks/series_record.h"

namespace tabrix {

CompBankWriter::CompBankWriter(std::string_view title) { setTitle(title); }

void CompBankWriter::setTitle(std::string_view title) { title_.assign(title.substr(0, 80)); }

int16_t CompBankWriter::addSeries(std::string_view name, const VexDate& start,
                                  std::span<const float> values) {
  if (!series_.admits(name, kMaxSeries)) return -1;
  if (nameAreaBytes_ + name.size() + 1 > static_cast<size_t>(CompBank::kMaxNameAreaBytes)) {
    reportUnstorableSeries(name, "the name area is full");
    return -1;
  }
  if (!series_.add(name, start, values)) return -1;
  nameAreaBytes_ += name.size() + 1;
  return 0;
}

int16_t CompBankWriter::addSeriesFromBase(std::string_view name, const VexDate& base,
                                         std::span<const float> values) {
  VexDate start;
  std::span<const float> kept;
  storedRange(values, base, start, kept);
  return addSeries(name, start, kept);
}

int16_t CompBankWriter::write(const std::string& rootName) const {
  std::vector<uint8_t> data;
  appendFixedText(data, title_, 80);
  appendU32(data, static_cast<uint32_t>(series_.size()));
  appendI32(data, 0);  // the table offset, known once the records are in
  std::vector<int32_t> offsets;
  for (const auto& record : series_.records()) {
    offsets.push_back(static_cast<int32_t>(data.size()));
    data.insert(data.end(), record.begin(), record.end());
  }
  encodeI32(data.data() + 84, static_cast<int32_t>(data.size()));
  for (int32_t offset : offsets) appendI32(data, offset);

  std::vector<uint8_t> index;
  appendU32(index, static_cast<uint32_t>(series_.size()));
  appendI32(index, static_cast<int32_t>(nameAreaBytes_));
  for (const auto& name : series_.names()) {
    appendText(index, name);
    appendU8(index, 0);
  }

  if (writeBankFile(rootName + ".cbk", data) != 0) return -1;
  return writeBankFile(rootName + ".cin", index);
}

}  // namespace tabrix

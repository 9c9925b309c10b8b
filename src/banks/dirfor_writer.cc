#include "banks/dirfor_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "banks/binary_io.h"
#include "banks/dirfor_bank.h"
#include "platform/console.h"
#include "platform/files.h"
#include "support/constants.h"
#include "support/messages.h"

namespace tabrix {

namespace {

// The magnitudes a dirfor bank gives back; others are read as 0.
constexpr double kSmallestValue = 0.00000001;
constexpr double kLargestForecast = 1e10;
constexpr double kLargestHistory = 1e13;
// The blocks that hold sector variables, in the order they are filled.
constexpr std::array<int, 11> kSectorBlocks{1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12};

bool hasCapitalOrBlank(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || c == ' ' || c == '\t' || c == '\0' || c == ',' ||
           c == '\r' || c == '\n';
  });
}

// Whether a value comes back as itself from a record that keeps magnitudes up to
// `largest` (zero always does).
bool keptValue(float value, double largest) {
  const double magnitude = std::fabs(static_cast<double>(value));
  return magnitude == 0.0 || (magnitude >= kSmallestValue && magnitude <= largest);
}

// The number right-aligned in `width` columns ("%*d"), or left-aligned ("%-*d").
std::string aligned(int value, size_t width, bool left = false) {
  std::string text = std::to_string(value);
  if (text.size() >= width) return text;
  const std::string padding(width - text.size(), ' ');
  return left ? text + padding : padding + text;
}

// Writes one whole file from bytes: 0, or -1 after msgbk 24 or "Cannot write".
int16_t writeFile(const std::string& path, std::span<const uint8_t> bytes) {
  BinaryFile file;
  if (!file.open(path, "wb")) {
    VexMessage().print("msgbk", 24, path.c_str());
    return -1;
  }
  if (!file.writeBytes(bytes) || file.close() != 0) {
    console().printf("\r\nCannot write %s.\r\n", path.c_str());
    return -1;
  }
  return 0;
}

// How the description file names a file: by its name alone beside the description
// file, else by its full path. Empty when the line could not hold it.
std::string nameForDescription(const std::string& file, const std::string& description) {
  std::string name = toPath(file);
  if (directoryPart(name) == directoryPart(toPath(description))) {
    name = namePart(name);
  } else if (name.empty() || name[0] != '/') {
    name = currentDirectory() + "/" + name;
  }
  if (name.size() >= static_cast<size_t>(DirforLayout::MaxLineLength) ||
      name.find(',') != std::string::npos) {
    return std::string();
  }
  return name;
}

}  // namespace

DirforWriter::DirforWriter(std::string_view title, int firstYear, int firstForecastYear,
                           int forecastLength)
    : title_(title.substr(0, Dirfor::TitleBytes)),
      firstYear_(firstYear),
      firstForecastYear_(firstForecastYear),
      forecastLength_(std::clamp(forecastLength, 1, MaxForecastLength)),
      historyLength_(firstYear < firstForecastYear
                         ? std::min(firstForecastYear - firstYear, MaxHistoryYears) + 1
                         : 0) {}

int DirforWriter::recordLength() const { return std::max(forecastLength_, MinRecordLength); }

bool DirforWriter::checkValues(std::string_view name, bool macro, std::span<const float> values,
                               std::string& reason) const {
  const std::string text(name);
  if (values.size() > static_cast<size_t>(observations())) {
    reason = "\"" + text + "\" has " + std::to_string(values.size()) + " values, more than the " +
             std::to_string(observations()) + " years from " + std::to_string(firstYear_);
    return false;
  }
  const int D = historyLength_ > 0 ? historyLength_ - 1 : 0;
  for (size_t p = 0; p < values.size(); ++p) {
    const float v = values[p];
    const int year = firstYear_ + static_cast<int>(p);
    const bool history = historyLength_ > 0 && static_cast<int>(p) <= D;
    const bool forecast = static_cast<int>(p) >= D;
    if (history && !keptValue(v, kLargestHistory)) {
      reason = "the value of \"" + text + "\" in " + std::to_string(year) +
               " would read back as 0: a history value needs a magnitude from 1e-08 to 1e+13";
      return false;
    }
    if (forecast && !macro && !keptValue(v, kLargestForecast)) {
      reason = "the value of \"" + text + "\" in " + std::to_string(year) +
               " would read back as 0: a forecast value needs a magnitude from 1e-08 to 1e+10";
      return false;
    }
  }
  // The history is scaled by the value in the first forecast year: a 0 there would
  // give back a history of zeros.
  if (historyLength_ > 1) {
    const float first = static_cast<size_t>(D) < values.size() ? values[static_cast<size_t>(D)] : MissingValue;
    const bool anyHistory = std::any_of(values.begin(), values.begin() + std::min<std::ptrdiff_t>(D, static_cast<std::ptrdiff_t>(values.size())),
                                        [](float v) { return v != 0.0f; });
    if (first == 0.0f && anyHistory) {
      reason = "the value of \"" + text + "\" in the first forecast year " +
               std::to_string(firstForecastYear_) +
               " is 0, so its history years would read back as 0";
      return false;
    }
  }
  return true;
}

size_t DirforWriter::keep(std::span<const float> values) {
  std::vector<float> padded(values.begin(), values.end());
  padded.resize(static_cast<size_t>(observations()), MissingValue);
  values_.push_back(std::move(padded));
  return values_.size() - 1;
}

bool DirforWriter::addMacro(std::string_view name, std::span<const float> values, std::string& reason) {
  const std::string text(name);
  if (name.empty() || name.size() > static_cast<size_t>(Dirfor::MacroNameBytes) ||
      hasCapitalOrBlank(name)) {
    reason = "the macro name \"" + text + "\" must be 1 to 8 characters without blanks or capitals";
    return false;
  }
  if (names_.count(text) != 0) {
    reason = "the series \"" + text + "\" is given twice";
    return false;
  }
  if (macroNames_.size() >= static_cast<size_t>(Dirfor::MaxMacros)) {
    reason = "a dirfor bank holds at most 750 macro series";
    return false;
  }
  if (!checkValues(name, true, values, reason)) return false;
  names_.insert(text);
  macroNames_.push_back(text);
  macroSeries_.push_back(keep(values));
  return true;
}

bool DirforWriter::addSector(std::string_view stem, int sector, std::span<const float> values,
                             std::string& reason) {
  const std::string text(stem);
  const std::string name = text + std::to_string(sector);
  if (stem.empty() || stem.size() > DirforLayout::MaxStemLength || hasCapitalOrBlank(stem) ||
      (stem.back() >= '0' && stem.back() <= '9')) {
    reason = "the stem \"" + text +
             "\" must be 1 to 20 characters without blanks or capitals, not ending in a digit";
    return false;
  }
  if (sector < 1 || sector > MaxSector) {
    reason = "the sector number of \"" + name + "\" must lie from 1 to 9999";
    return false;
  }
  if (names_.count(name) != 0) {
    reason = "the series \"" + name + "\" is given twice";
    return false;
  }
  if (!checkValues(name, false, values, reason)) return false;
  auto found = stemIndex_.find(text);
  if (found == stemIndex_.end()) {
    found = stemIndex_.emplace(text, stems_.size()).first;
    stems_.push_back(Stem{text, 0, {}});
  }
  Stem& entry = stems_[found->second];
  names_.insert(name);
  entry.sectors = std::max(entry.sectors, sector);
  entry.series[sector] = keep(values);
  return true;
}

int16_t DirforWriter::write(const std::string& rootName, const std::string& descriptionFile) const {
  // Lay the stems out in blocks: same number of sectors, 175 stems a block.
  struct Block {
    int sectors = 0;
    std::vector<size_t> stems;  // indexes into stems_
  };
  std::array<Block, DirforLayout::MaxBlocks> blocks{};
  size_t used = 0;  // sector blocks filled so far
  for (size_t s = 0; s < stems_.size(); ++s) {
    Block* home = nullptr;
    for (size_t b = 0; b < used && home == nullptr; ++b) {
      Block& block = blocks[static_cast<size_t>(kSectorBlocks[b] - 1)];
      if (block.sectors == stems_[s].sectors && block.stems.size() < static_cast<size_t>(DirforLayout::MaxStems)) {
        home = &block;
      }
    }
    if (home == nullptr) {
      if (used == kSectorBlocks.size()) {
        console().write("\r\nA dirfor bank holds at most 11 blocks of sector variables (one for "
                        "each number of sectors, 175 stems a block).\r\n");
        return -1;
      }
      home = &blocks[static_cast<size_t>(kSectorBlocks[used++] - 1)];
      home->sectors = stems_[s].sectors;
    }
    home->stems.push_back(s);
  }
  Block& macroBlock = blocks[DirforLayout::MacroBlock - 1];
  macroBlock.sectors = 1;
  const int blockCount = used == 0 ? DirforLayout::MacroBlock
                                   : std::max(DirforLayout::MacroBlock, kSectorBlocks[used - 1]);
  auto namesOf = [&](int t) {
    return t == DirforLayout::MacroBlock ? static_cast<int>(macroNames_.size())
                                         : static_cast<int>(blocks[static_cast<size_t>(t - 1)].stems.size());
  };

  const std::string dataFile = rootName + ".dfr";
  const std::string historyFile = rootName + ".dhs";
  const std::string macroFile = rootName + ".mac";
  const std::string historyName = nameForDescription(historyFile, descriptionFile);
  const std::string macroName = nameForDescription(macroFile, descriptionFile);
  if (historyName.empty() || macroName.empty()) {
    console().printf("\r\nThe description file cannot name the files of %s: a name must be "
                     "shorter than 238 characters and hold no ','.\r\n",
                     rootName.c_str());
    return -1;
  }

  // The description file.
  std::string text;
  text += "0\n";
  text += "Dirfor bank written by tabrix-bank\n";
  text += "Record length    " + aligned(recordLength(), 3) + "\n";
  text += "Floats in one record of the data file\n";
  text += "History length   " + aligned(historyLength_, 3) + "\n";
  text += historyName + "\n";
  text += std::to_string(blockCount) + "\n";
  std::string sectorsLine = "Sectors         ";
  std::string namesLine = "Names           ";
  for (int t = 1; t <= blockCount; ++t) {
    sectorsLine += aligned(blocks[static_cast<size_t>(t - 1)].sectors, 4);
    namesLine += aligned(namesOf(t), 4);
  }
  text += sectorsLine + "\n" + namesLine + "\n";
  for (int t = 1; t <= blockCount; ++t) {
    text += "Block  " + std::to_string(t) + "\n";
    if (t == DirforLayout::MacroBlock) {
      text += "Macro variables\nNames file:\n" + macroName + "\n";
    } else {
      const Block& block = blocks[static_cast<size_t>(t - 1)];
      for (size_t k = 0; k < block.stems.size(); ++k) {
        text += "Stem  " + aligned(static_cast<int>(k + 1), 25, true) + stems_[block.stems[k]].name + "\n";
        text += "      sectors 1 to " + std::to_string(block.sectors) + "\n";
      }
    }
    text += "End of block " + std::to_string(t) + "\n";
  }

  // The macro-names file: the count, two spare bytes, 8 bytes a name.
  std::vector<uint8_t> macros;
  appendI16(macros, static_cast<int16_t>(macroNames_.size()));
  appendU16(macros, 0);
  for (const std::string& name : macroNames_) {
    std::string padded = name;
    padded.resize(static_cast<size_t>(Dirfor::MacroNameBytes), ' ');
    appendText(macros, padded);
  }

  // The data and history files, record by record in record-number order.
  const int R = recordLength();
  const int H = historyLength_;
  const int D = H > 0 ? H - 1 : 0;
  BinaryFile data;
  BinaryFile history;
  if (!data.open(dataFile, "wb")) {
    VexMessage().print("msgbk", 24, dataFile.c_str());
    return -1;
  }
  if (H > 0 && !history.open(historyFile, "wb")) {
    VexMessage().print("msgbk", 24, historyFile.c_str());
    return -1;
  }
  bool dataOk = true;
  bool historyOk = true;
  std::vector<float> record(static_cast<size_t>(R));
  std::vector<float> past(static_cast<size_t>(std::max(H, 1)));
  auto put = [&](const std::vector<float>* series) {
    std::fill(record.begin(), record.end(), 0.0f);
    std::fill(past.begin(), past.end(), 0.0f);
    if (series == nullptr) {
      std::fill_n(record.begin(), forecastLength_, MissingValue);
      std::fill(past.begin(), past.end(), MissingValue);
    } else {
      std::copy_n(series->begin() + D, forecastLength_, record.begin());
      if (H > 0) std::copy_n(series->begin(), H, past.begin());
    }
    dataOk = dataOk && data.writeF32Array(record);
    if (H > 0) historyOk = historyOk && history.writeF32Array(std::span<const float>(past.data(), static_cast<size_t>(H)));
  };
  // Record 0, then the header record.
  std::fill(record.begin(), record.end(), 0.0f);
  dataOk = data.writeF32Array(record);
  std::vector<uint8_t> header(static_cast<size_t>(4 * R), 0);
  encodeU16(header.data(), static_cast<uint16_t>(firstForecastYear_));
  encodeI16(header.data() + 4, static_cast<int16_t>(forecastLength_));
  std::copy(title_.begin(), title_.end(), header.begin() + Dirfor::TitleOffset);
  dataOk = dataOk && data.writeBytes(header);
  if (H > 0) {
    std::vector<float> zeros(static_cast<size_t>(2 * H), 0.0f);
    historyOk = history.writeF32Array(zeros);
  }
  for (int t = 1; t <= blockCount; ++t) {
    const Block& block = blocks[static_cast<size_t>(t - 1)];
    if (t == DirforLayout::MacroBlock) {
      for (size_t index : macroSeries_) put(&values_[index]);
      continue;
    }
    for (int sector = 1; sector <= block.sectors; ++sector) {
      for (size_t s : block.stems) {
        const auto found = stems_[s].series.find(sector);
        put(found == stems_[s].series.end() ? nullptr : &values_[found->second]);
      }
    }
  }
  if (!dataOk || data.close() != 0) {
    console().printf("\r\nCannot write %s.\r\n", dataFile.c_str());
    return -1;
  }
  if (H > 0 && (!historyOk || history.close() != 0)) {
    console().printf("\r\nCannot write %s.\r\n", historyFile.c_str());
    return -1;
  }
  if (writeFile(macroFile, macros) != 0) return -1;
  const std::vector<uint8_t> description(text.begin(), text.end());
  return writeFile(descriptionFile, description);
}

}  // namespace tabrix

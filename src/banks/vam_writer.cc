#include "banks/vam_writer.h"

#include <algorithm>
#include <bit>

#include "banks/binary_io.h"
#include "banks/packed_matrix.h"
#include "banks/vam_file.h"
#include "platform/console.h"
#include "platform/files.h"
#include "support/constants.h"
#include "support/messages.h"

namespace tabrix {

namespace {

int16_t cannotCreate(const std::string& path) {
  VexMessage().print("msgbk", 24, path.c_str());
  return -1;
}

int16_t cannotWrite(const std::string& path) {
  console().printf("\r\nCannot write %s.\r\n", path.c_str());
  return -1;
}

}  // namespace

VamWriter::VamWriter(std::string_view title, int firstYear, int lastYear)
    : title_(title.substr(0, VamFile::TitleBytes)),
      firstYear_(firstYear),
      lastYear_(std::clamp(lastYear, firstYear, firstYear + MaxObs - 1)) {}

int VamWriter::addVariable(std::string_view name, char type, int rows, int columns, std::string& reason) {
  const std::string text(name);
  if (name.empty() || name.find('\0') != std::string_view::npos) {
    reason = "a variable needs a name";
    return -1;
  }
  const char last = name.back();
  if ((last >= '0' && last <= '9') || last == '.') {
    reason = "the variable name \"" + text +
             "\" must not end in a digit or '.': its series add the element number to it";
    return -1;
  }
  if (type != 'v' && type != 'l' && type != 'm' && type != 'p') {
    reason = "the type of \"" + text + "\" must be v, l, m or p";
    return -1;
  }
  if (rows < 1 || rows > MaxDimension || columns < 1 || columns > MaxDimension) {
    reason = "the rows and columns of \"" + text + "\" must lie from 1 to 32767";
    return -1;
  }
  if ((type == 'v' || type == 'l') && columns != 1) {
    reason = "the vector \"" + text + "\" must have 1 column";
    return -1;
  }
  const auto found = index_.find(text);
  if (found != index_.end()) {
    const Variable& known = variables_[static_cast<size_t>(found->second)];
    if (known.type != type || known.rows != rows || known.columns != columns) {
      reason = "\"" + text + "\" was given before as type " + std::string(1, known.type) + " with " +
               std::to_string(known.rows) + " rows and " + std::to_string(known.columns) + " columns";
      return -1;
    }
    return found->second;
  }
  Variable variable;
  variable.name = text;
  variable.type = type;
  variable.rows = rows;
  variable.columns = columns;
  variables_.push_back(std::move(variable));
  const int index = static_cast<int>(variables_.size()) - 1;
  index_.emplace(text, index);
  return index;
}

bool VamWriter::setCell(int v, int row, int column, std::span<const float> values, std::string& reason) {
  if (v < 0 || v >= variableCount()) {
    reason = "no such variable";
    return false;
  }
  Variable& variable = variables_[static_cast<size_t>(v)];
  if (row < 1 || row > variable.rows || column < 1 || column > variable.columns) {
    reason = "cell (" + std::to_string(row) + ", " + std::to_string(column) + ") lies outside the " +
             std::to_string(variable.rows) + " x " + std::to_string(variable.columns) + " cells of \"" +
             variable.name + "\"";
    return false;
  }
  if (values.size() > static_cast<size_t>(years())) {
    reason = "\"" + variable.name + "\" has " + std::to_string(values.size()) + " values, more than the " +
             std::to_string(years()) + " years from " + std::to_string(firstYear_) + " to " +
             std::to_string(lastYear_);
    return false;
  }
  auto [place, added] = variable.cells.try_emplace({row, column}, values.begin(), values.end());
  if (!added) {
    reason = "cell (" + std::to_string(row) + ", " + std::to_string(column) + ") of \"" + variable.name +
             "\" is given twice";
    return false;
  }
  place->second.resize(static_cast<size_t>(years()), 0.0f);
  return true;
}

int16_t VamWriter::write(const std::string& rootName) const {
  const size_t n = variables_.size();
  const int years = this->years();
  std::vector<uint8_t> names;
  std::vector<uint16_t> offsets;
  std::vector<std::string> packedFiles;
  int64_t blockFloats = 0;
  for (const Variable& variable : variables_) {
    offsets.push_back(static_cast<uint16_t>(std::min<size_t>(names.size(), 65535)));
    appendText(names, variable.name);
    appendU8(names, 0);
    if (variable.type == 'p') {
      packedFiles.push_back(namePart(toPath(rootName)) + ".pm" + std::to_string(packedFiles.size() + 1));
      if (packedFiles.back().size() > MaxPackedNameLength) {
        console().printf("\r\nThe packed-matrix file name %s is longer than 31 characters.\r\n",
                         packedFiles.back().c_str());
        return -1;
      }
    } else {
      blockFloats += int64_t{variable.rows} * variable.columns;
    }
  }
  if (names.size() > 65535) {
    console().write("\r\nThe variable names take more than the 65535 bytes of a VAM file's name area.\r\n");
    return -1;
  }
  offsets.push_back(static_cast<uint16_t>(names.size()));
  if (blockFloats * years > MaxYearBlockValues) {
    console().printf("\r\nThe variables take %lld values over all years, more than a VAM file made "
                     "here may hold (%lld).\r\n",
                     static_cast<long long>(blockFloats * years), static_cast<long long>(MaxYearBlockValues));
    return -1;
  }

  std::vector<uint8_t> head;
  appendF32(head, static_cast<float>(firstYear_));
  appendF32(head, static_cast<float>(lastYear_));
  appendI32(head, static_cast<int32_t>(blockFloats));
  appendI32(head, 0);  // the first block's offset, known once the directory is laid out
  appendU16(head, static_cast<uint16_t>(n));
  appendU16(head, 0);
  appendI16(head, static_cast<int16_t>(packedFiles.size()));
  appendFixedText(head, title_, VamFile::TitleBytes);
  for (const std::string& file : packedFiles) appendFixedText(head, file, VamFile::PackedNameBytes);
  for (uint16_t offset : offsets) appendU16(head, offset);
  for (const Variable& variable : variables_) appendI32(head, variable.rows * variable.columns);
  for (const Variable& variable : variables_) appendI16(head, static_cast<int16_t>(variable.rows));
  for (const Variable& variable : variables_) appendI16(head, static_cast<int16_t>(variable.columns));
  int16_t packedIndex = 0;
  for (const Variable& variable : variables_) appendI16(head, variable.type == 'p' ? packedIndex++ : int16_t{0});
  for (const Variable& variable : variables_) appendU8(head, static_cast<uint8_t>(variable.type));
  head.insert(head.end(), names.begin(), names.end());
  head.resize(head.size() + 2 * VamFile::TextBytes * n, 0);
  encodeI32(head.data() + 12, static_cast<int32_t>(head.size()));

  const std::string vamPath = toPath(rootName) + ".vam";
  BinaryFile file;
  if (!file.open(vamPath, "wb")) return cannotCreate(vamPath);
  bool ok = file.writeBytes(head);
  std::vector<float> block;
  for (int y = 0; y < years && ok; ++y) {
    for (const Variable& variable : variables_) {
      if (variable.type == 'p') continue;
      block.assign(static_cast<size_t>(variable.rows) * static_cast<size_t>(variable.columns), 0.0f);
      for (const auto& [cell, values] : variable.cells) {
        block[static_cast<size_t>(cell.first - 1) * static_cast<size_t>(variable.columns) +
              static_cast<size_t>(cell.second - 1)] = values[static_cast<size_t>(y)];
      }
      ok = ok && file.writeF32Array(block);
    }
  }
  if (!ok || file.close() != 0) return cannotWrite(vamPath);

  const std::string directory = directoryPart(toPath(rootName));
  size_t packed = 0;
  for (const Variable& variable : variables_) {
    if (variable.type != 'p') continue;
    std::vector<PackedCell> cells;
    for (const auto& [cell, values] : variable.cells) {
      const bool nonZero = std::any_of(values.begin(), values.end(),
                                       [](float v) { return std::bit_cast<uint32_t>(v) != 0; });
      if (nonZero) cells.push_back(PackedCell{cell.first, cell.second, values});
    }
    const std::string path = directory + packedFiles[packed++];
    const std::vector<uint8_t> bytes =
        encodePackedMatrix(variable.name, firstYear_, lastYear_, variable.rows, variable.columns, std::move(cells));
    BinaryFile out;
    if (!out.open(path, "wb")) return cannotCreate(path);
    if (!out.writeBytes(bytes) || out.close() != 0) return cannotWrite(path);
  }
  return 0;
}

}  // namespace tabrix

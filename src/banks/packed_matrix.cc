#include "banks/packed_matrix.h"

#include <algorithm>
#include <cstring>

#include "banks/binary_io.h"

namespace tabrix {

namespace {

int fullYear(int year) { return year < 1900 ? year + 1900 : year; }

}  // namespace

bool parsePackedHeader(std::span<const uint8_t> bytes, int64_t fileSize, PackedMatrixHeader& header,
                       std::string& reason) {
  if (bytes.size() < static_cast<size_t>(PackedMatrixHeader::Size)) {
    reason = "the header runs short";
    return false;
  }
  const char* title = reinterpret_cast<const char*>(bytes.data());
  header.title.assign(title, strnlen(title, 80));
  header.firstYear = fullYear(decodeU16(bytes.data() + 80));
  header.lastYear = fullYear(decodeU16(bytes.data() + 82));
  header.rows = decodeI16(bytes.data() + 86);
  header.columns = decodeI16(bytes.data() + 88);
  header.firstRow = decodeI16(bytes.data() + 90);
  header.firstColumn = decodeI16(bytes.data() + 92);
  header.lastRow = decodeI16(bytes.data() + 94);
  header.lastColumn = decodeI16(bytes.data() + 96);
  header.cells = decodeI32(bytes.data() + 98);
  if (header.rows < 0 || header.columns < 0 || header.cells < 0) {
    reason = "negative rows, columns or cells";
    return false;
  }
  if (header.lastYear < header.firstYear) {
    reason = "the last year lies before the first";
    return false;
  }
  if (header.fileSize() > fileSize) {
    reason = "its cells run past the end of the file";
    return false;
  }
  return true;
}

std::vector<uint8_t> encodePackedMatrix(const std::string& title, int firstYear, int lastYear,
                                        int rows, int columns, std::vector<PackedCell> cells) {
  std::sort(cells.begin(), cells.end(), [](const PackedCell& a, const PackedCell& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  });
  const int years = lastYear - firstYear + 1;
  std::vector<uint8_t> out;
  appendFixedText(out, title, 80);
  appendU16(out, static_cast<uint16_t>(firstYear));
  appendU16(out, static_cast<uint16_t>(lastYear));
  appendU16(out, 0);
  appendI16(out, static_cast<int16_t>(rows));
  appendI16(out, static_cast<int16_t>(columns));
  appendI16(out, 1);
  appendI16(out, 1);
  appendI16(out, static_cast<int16_t>(rows));
  appendI16(out, static_cast<int16_t>(columns));
  appendI32(out, static_cast<int32_t>(cells.size()));
  out.resize(PackedMatrixHeader::Size, 0);
  std::vector<uint16_t> perRow(static_cast<size_t>(rows), 0);
  for (const PackedCell& cell : cells) ++perRow[static_cast<size_t>(cell.row - 1)];
  for (uint16_t count : perRow) appendU16(out, count);
  for (const PackedCell& cell : cells) appendU16(out, static_cast<uint16_t>(cell.column));
  for (int y = 0; y < years; ++y) {
    for (const PackedCell& cell : cells) {
      const size_t i = static_cast<size_t>(y);
      appendF32(out, i < cell.values.size() ? cell.values[i] : 0.0f);
    }
  }
  return out;
}

}  // namespace tabrix

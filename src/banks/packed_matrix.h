// Packed-matrix files: a matrix of a VAM file kept in a file of its own, with only its
// non-zero cells. The same cells are stored for every year (a cell that is non-zero
// in any year); rows are numbered from the first row number, columns likewise.
//
// Layout (little-endian):
//   0    80   title
//   80   u16  first year                 82  u16  last year
//   84   2    (not used)
//   86   i16  R, rows                    88  i16  C, columns
//   90   i16  first row number           92  i16  first column number
//   94   i16  last row number            96  i16  last column number
//   98   i32  Z, non-zero cells a year
//   102  17   (not used)
//   119  2R   u16 number of non-zero cells in each row
//   119 + 2R        2Z   u16 column numbers of the cells, row by row
//   119 + 2R + 2Z   4Z a year: the cells' values, row by row, a block per year from
//                   the first year on
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tabrix {

struct PackedMatrixHeader {
  static constexpr int Size = 119;  // bytes before the row counts

  std::string title;
  int firstYear = 0;    // full years: a stored year below 1900 is 1900 plus it
  int lastYear = 0;
  int rows = 0;         // R
  int columns = 0;      // C
  int firstRow = 0;     // first row number
  int firstColumn = 0;  // first column number
  int lastRow = 0;
  int lastColumn = 0;
  int32_t cells = 0;    // Z

  int years() const { return lastYear - firstYear + 1; }
  // Offsets in the file of the column numbers and of year block b's values.
  int64_t columnsOffset() const { return Size + int64_t{2} * rows; }
  int64_t valuesOffset(int block) const {
    return columnsOffset() + int64_t{2} * cells + int64_t{4} * cells * block;
  }
  // Bytes a file with this header takes.
  int64_t fileSize() const { return valuesOffset(years()); }
};

// Decodes the first Size bytes of a packed-matrix file. False with the reason when the
// header cannot describe a file of fileSize bytes: negative rows, columns or cells, a
// last year before the first, or cells running past the end of the file.
bool parsePackedHeader(std::span<const uint8_t> bytes, int64_t fileSize, PackedMatrixHeader& header,
                       std::string& reason);

// One non-zero cell of a packed matrix, with a value for every year.
struct PackedCell {
  int row = 0;     // 1 .. rows
  int column = 0;  // 1 .. columns
  std::vector<float> values;  // one a year, from the first year
};

// The bytes of a packed-matrix file over rows x columns numbered from 1, with the given
// cells (sorted by row and column here; each with `years` values).
std::vector<uint8_t> encodePackedMatrix(const std::string& title, int firstYear, int lastYear,
                                        int rows, int columns, std::vector<PackedCell> cells);

}  // namespace tabrix

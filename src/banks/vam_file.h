// VamFile: the read-only vector-and-matrix bank, kind 'v'. One file (".vam") holds, for
// every year of a model run, its vectors (output by sector, ...) and matrices (input-
// output coefficients, flows); some matrices live in packed-matrix files of their own
// that store only their non-zero cells (banks/packed_matrix.h). A workspace bank of the
// same root, when there is one, is the companion: names the VAM file does not hold
// are looked up there.
//
// File layout (little-endian):
//   0    f32  first year          4  f32  last year
//   8    i32  floats in one year block
//   12   i32  file offset of the first year block
//   16   u16  N, variables        18 2    (not used)
//   20   i16  P, packed-matrix files (negative counts as 0)
//   22   80   title
//   102  32P  names of the packed-matrix files
// then the directory, each array in turn: N + 1 u16 name offsets (entry N is the size
// of the name area; when it is smaller than entry 0, entry 0 is taken as 0), N i32
// sizes (floats a year), N i16 rows, N i16 columns, N i16 packed-file indexes (from
// 0), N type letters (m matrix, p packed matrix, v or l vector), the name area (names
// ended by NUL), and two 30-byte texts per variable (kept, not used).
//
// Year y (from 0) starts at the first block's offset + 4 y (floats in a block); in it
// the variables not stored packed follow one another in directory order. A matrix
// keeps its cells row by row.
//
// Series names: a stem with an element number ("out12", element 12 of the vector
// out), or a stem with a row, a point and a column ("a3.7", cell (3, 7) of matrix a).
// Whole rows, columns or years of a variable are loaded into the file's one slice.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "banks/data_bank.h"
#include "banks/packed_matrix.h"
#include "banks/workspace_bank.h"

namespace tabrix {

// A slice: a two-dimensional array of floats addressed from 1 in both dimensions.
// Reads outside it give 0; writes outside it are refused.
class SliceArray {
 public:
  SliceArray() = default;
  // rows x columns values, all 0.0.
  void assign(int rows, int columns);
  void clear();
  void fill(float value);

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  bool empty() const { return values_.empty(); }
  // The value at (row, column), or 0 outside the array.
  float at(int row, int column) const;
  // Sets (row, column); false (nothing written) outside the array.
  bool set(int row, int column, float value);
  // The `columns()` values of a row (1 .. rows()), for reading a whole row at once.
  std::span<float> row(int row);

 private:
  int rows_ = 0;
  int columns_ = 0;
  std::vector<float> values_;
};

class VamFile : public DataBank {
 public:
  static constexpr int HeaderSize = 102;          // bytes before the packed-file names
  static constexpr int TitleOffset = 22;
  static constexpr int TitleBytes = 80;
  static constexpr int PackedNameBytes = 32;      // one packed-matrix file name
  static constexpr int TextBytes = 30;            // each of a variable's two texts
  static constexpr int MaxYearSlice = 30000;      // cells of a year slice (mode y)
  static constexpr int64_t MaxSliceValues = 1 << 24;  // values of any other slice
  static constexpr size_t SliceNameLength = 21;   // characters of sliceName kept

  // Opens name + ".vam" (".vam" is appended when the file-name part has no '.') for
  // reading, and the companion root + ".bnk" when it exists. isOpen() tells whether
  // the file can be used (the failure has been printed); kind() is 'x' when the file
  // cannot be opened or its header read.
  explicit VamFile(std::string_view name);
  ~VamFile() override;

  // Reads a vector element or a matrix cell for every year (count is ignored), or a
  // companion series aligned on the VAM years. 0, or -1 after a message.
  int16_t readSeries(std::string_view name, SeriesSpan values, int16_t count) override;
  // The vector elements as name plus element number, vector by vector.
  int16_t listNames(std::FILE* output, std::string_view pattern, int16_t wide) override;

  // The first variable of this name in directory order, or -1.
  int findVariable(std::string_view name) const;

  // Loads a slice of variable `name`: mode 'x' the whole variable for every year
  // (years x size), 'r' row `number` (years x columns), 'c' column `number` (years x
  // rows), 'y' every cell in year `number` (rows x columns, at most MaxYearSlice
  // cells). Rows of a by-year slice are the VAM's years from 1. 0, or -1 (after a
  // message, except for an unknown name). A failing seek or read of the file waits for
  // a key first; Escape then ends the process with status 1.
  int16_t loadSlice(std::string_view name, char mode, int number);
  // Loads rows, a column or a year of the packed matrix of file `fileIndex` into
  // slice, cells from (firstRow, firstColumn) of the slice; 0 or -1 after a message.
  int16_t loadPacked(SliceArray& slice, int fileIndex, char mode, int number, int firstRow,
                     int firstColumn);
  // Frees the slice.
  void unloadSlice();

  // ---- The file ----
  float firstYear() const { return firstYear_; }             // as stored
  float lastYear() const { return lastYear_; }
  int32_t blockFloats() const { return blockFloats_; }       // floats in one year block
  int32_t dataStart() const { return dataStart_; }           // offset of year 0's block
  int variableCount() const { return static_cast<int>(names_.size()); }  // N
  int packedFileCount() const { return static_cast<int>(packedFiles_.size()); }  // P
  const std::string& packedFile(int i) const { return packedFiles_[static_cast<size_t>(i)]; }
  // Variable v (0 .. variableCount() - 1):
  const std::string& variableName(int v) const { return names_[static_cast<size_t>(v)]; }
  int32_t variableSize(int v) const { return variableSize_[static_cast<size_t>(v)]; }
  int64_t variableOffset(int v) const { return variableOffset_[static_cast<size_t>(v)]; }
  int variableRows(int v) const { return variableRows_[static_cast<size_t>(v)]; }
  int variableColumns(int v) const { return variableColumns_[static_cast<size_t>(v)]; }
  int packedIndex(int v) const { return packedIndex_[static_cast<size_t>(v)]; }
  char storage(int v) const { return storage_[static_cast<size_t>(v)]; }  // m, p, v, l

  // ---- The slice ----
  bool sliceLoaded() const { return sliceLoaded_ == 'y'; }
  char sliceMode() const { return sliceMode_; }
  int sliceVariable() const { return sliceVariable_; }
  int sliceNumber() const { return sliceNumber_; }
  int sliceWidth() const { return sliceWidth_; }
  const std::string& sliceName() const { return sliceName_; }
  const SliceArray& slice() const { return slice_; }
  // The cells of packed matrix v as its file stores them, read once: each stored cell
  // (row and column from 1 within the directory's rows and columns) with a value for
  // every year of this file (0 for years the packed file does not hold), ordered by row
  // and column; a column stored twice in a row keeps its later value. The work follows
  // the packed file's size, not the directory's claim. 0, or -1 after a message (a file
  // that cannot be opened, or is damaged: a row or column the directory or the file
  // claims beyond what the file holds).
  int16_t readPackedCells(int v, std::vector<PackedCell>& cells);

  // Non-zero cells of the packed row loaded last.
  int packedRowCount() const { return packedRowCount_; }

  // ---- The companion workspace bank ----
  bool companionOpen() const { return companionOpen_; }
  int companionShift() const { return companionShift_; }
  const VexBank* companion() const { return companion_.get(); }

 private:
  // Opens packed-matrix file `fileIndex` (beside the data file) and reads its header:
  // the file's name, or nullptr after the message (no such file, one that cannot be
  // opened, a damaged header).
  const std::string* openPacked(int fileIndex, BinaryFile& file, PackedMatrixHeader& header) const;
  bool open(std::string_view name);
  bool readDirectory(const std::vector<uint8_t>& header);
  void openCompanion(std::string_view name);
  // Prints why the file is refused; false.
  bool refuse(const std::string& what);

  // Offset in the file of element `element` (from 1) of variable v in year y.
  int64_t elementOffset(int v, int year, int64_t element) const;
  // Reads count floats at offset into out for a slice load; false after the messages
  // (and the key wait) when the seek or the read fails.
  bool readForSlice(int64_t offset, std::span<float> out, bool waitOnFailure);
  int16_t loadFromBlocks(int v, char mode, int number);
  // Reads the companion's series and aligns it on the VAM years; false when not there.
  bool readCompanion(std::string_view name, SeriesSpan values);

  float firstYear_ = 0;             // as stored in the header
  float lastYear_ = 0;
  int32_t blockFloats_ = 0;         // floats in one year block
  int32_t dataStart_ = 0;           // offset of the first year block
  int64_t fileSize_ = 0;
  std::string titleText_;           // the header's title
  std::vector<std::string> packedFiles_;     // names of the packed-matrix files
  std::vector<uint16_t> nameOffsets_;        // N + 1 offsets into the name area
  std::vector<int32_t> variableSize_;        // floats a year of each variable
  std::vector<int64_t> variableOffset_;      // O(v): its first float within a year block
  std::vector<int16_t> variableRows_;
  std::vector<int16_t> variableColumns_;
  std::vector<int16_t> packedIndex_;         // its packed-matrix file
  std::vector<char> storage_;                // type letter
  std::vector<char> nameArea_;
  std::vector<std::string> names_;           // the names, from the name area
  std::vector<std::string> firstTexts_;      // the two 30-byte texts, kept
  std::vector<std::string> secondTexts_;

  int sliceVariable_ = -1;          // the variable in the slice
  int sliceNumber_ = 0;             // its row, column or year
  int sliceWidth_ = 0;              // columns of the slice
  char sliceLoaded_ = 'n';          // 'y' when a slice is loaded
  char sliceMode_ = 'x';            // x, r, c or y
  std::string sliceName_;           // the variable's name, cut to SliceNameLength
  SliceArray slice_;
  int packedRowCount_ = 0;          // non-zero cells of the packed row loaded last

  std::unique_ptr<VexBank> companion_;  // root + ".bnk", when it exists
  bool companionOpen_ = false;
  int companionShift_ = 0;          // VAM first year - the companion's base year
};

}  // namespace tabrix

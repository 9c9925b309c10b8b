// VamWriter: builds a VAM file that VamFile reads (root + ".vam"), with each packed
// matrix in a packed-matrix file of its own beside it (root's file name + ".pm1",
// ".pm2", ... in the order the packed matrices were added; the VAM file names them
// without their directory, so the files travel together). Variables are laid out in
// the order they were added; cells not set hold 0.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tabrix {

class VamWriter {
 public:
  static constexpr int MaxDimension = 32767;      // rows or columns of a variable
  static constexpr int64_t MaxYearBlockValues = int64_t{1} << 26;  // all years, all variables
  static constexpr size_t MaxPackedNameLength = 31;  // a packed-matrix file's name

  // title: at most 80 characters are kept; years as full years, lastYear from
  // firstYear to firstYear + 1998.
  VamWriter(std::string_view title, int firstYear, int lastYear);

  // Declares a variable: type 'v' or 'l' (vector, columns 1), 'm' (matrix) or 'p'
  // (packed matrix). Declaring it again with the same type and dimensions gives the
  // same variable. The index, or -1 with the reason.
  int addVariable(std::string_view name, char type, int rows, int columns, std::string& reason);
  // Sets cell (row, column) of variable v for the years from the first on (at most
  // years() values). false with the reason when the cell lies outside the variable or
  // was set before.
  bool setCell(int v, int row, int column, std::span<const float> values, std::string& reason);

  int years() const { return lastYear_ - firstYear_ + 1; }
  int variableCount() const { return static_cast<int>(variables_.size()); }

  // Writes the VAM file and the packed-matrix files, replacing any that exist; 0, or -1
  // after printing msgbk 24, "\r\nCannot write %s.\r\n" or why the file cannot be laid
  // out (names beyond the 65535 bytes of the name area, a packed-matrix file name
  // longer than 31 characters, year blocks beyond MaxYearBlockValues).
  int16_t write(const std::string& rootName) const;

 private:
  struct Variable {
    std::string name;
    char type = 'v';
    int rows = 0;
    int columns = 0;
    std::map<std::pair<int, int>, std::vector<float>> cells;  // (row, column) -> values
  };

  std::string title_;
  int firstYear_;
  int lastYear_;
  std::vector<Variable> variables_;
  std::unordered_map<std::string, int> index_;
};

}  // namespace tabrix

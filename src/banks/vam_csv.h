// The bank tool's CSV layout of VAM files, one row per vector element or matrix cell:
//
//   title,Base run of March                      optional, at most 80 characters
//   first year,1995                              required
//   last year,2010                               optional (default: the longest row)
//   name,type,rows,columns,row,column,1995,...   the heading row; a cell after
//                                                "column" that is a whole number
//                                                must be the year of its column
//   out,v,3,1,2,1,10.5,11.2,...                  element 2 of the 3-element vector out
//   a,m,3,3,1,2,0.25,0.26,...                    cell (1, 2) of the 3 x 3 matrix a
//   b,p,3,3,2,3,0.1,...                          cell (2, 3) of the packed matrix b
//
// Types: v or l a vector (1 column; the column cell may be empty), m a matrix, p a
// packed matrix (written to a file of its own). Every row of a variable repeats its
// rows and columns. Cells not given are 0; an empty value cell is a missing value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix {

class VamFile;

struct VamCsvCell {
  std::string name;
  char type = 'v';
  int rows = 0;
  int columns = 0;
  int row = 0;     // the element of a vector
  int column = 0;  // 1 for a vector
  std::vector<float> values;  // from the first year on
  int line = 0;
};

struct VamTable {
  std::string title;
  int firstYear = 0;
  int lastYear = 0;
  std::vector<VamCsvCell> cells;
};

// Parses the layout above; 0, or -1 after "tabrix-bank: file:line: message".
int16_t parseVamCsv(std::string_view text, const std::string& fileName, VamTable& table);

// The CSV text of a table.
std::string formatVamCsv(const VamTable& table);

// Builds root + ".vam" and its packed-matrix files; 0, or -1 after a message (cells
// that cannot be stored name their CSV line). Nothing is written when a cell is
// refused.
int16_t writeVamTable(const VamTable& table, const std::string& rootName, const std::string& csvName);

// Reads the named variables (every variable when names is empty) of an open VAM
// file: every element of a vector, the non-zero cells of a matrix (cell (1, 1) of a
// matrix without any). 0, or -1 after a message.
int16_t readVamTable(VamFile& file, const std::vector<std::string>& names, VamTable& table);

// How many variables a table holds.
int vamVariableCount(const VamTable& table);

}  // namespace tabrix

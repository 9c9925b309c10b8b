// The matrix-listing configuration (matlist.cfg by default): the accounting identity a
// listing explains, the sector-title files that name the sectors, and a label per term.
//
// Layout, a text file:
//
//     Input-output identity; out = a*out + fd      a line: any text, ';', the identity
//     "sectors.ttl"                                 matrixTermCount + 1 title-file names,
//     "sectors.ttl"                                   each in double quotes (29 characters)
//     "Output"                                      termCount labels, each in double
//     "Intermediate sales"                            quotes (39 characters), the left
//     "Final demand"                                  side's first
//
// The identity: a left-side vector, '=', then terms joined by '+' or '-'; a term is a
// matrix '*' a vector, or a vector alone. Names are variables of the first
// alternative's VAM file: type letter m or p a matrix, v or l a vector. Whatever the
// bytes, the reader keeps at most MaxTerms terms and cuts names and labels to their
// fields; the title files themselves are opened by openTitleFiles.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "banks/title_file.h"
#include "table/table_line.h"

namespace tabrix {

class VamFile;

// Terms of an identity, the left side included.
constexpr int MaxTerms = 40;
// Characters kept of a title-file name and of a term label.
constexpr std::size_t TitleFileNameLength = 29;
constexpr std::size_t TermLabelLength = 39;

// One term of the identity: variable indexes in the first VAM file (-1 = none) and its
// operator ('=' for the left side, '+' or '-').
struct ListingTerm {
  int16_t vector = -1;
  int16_t matrix = -1;
  char op = '+';
};

// The listing configuration, built by readListingConfig for one \matlist command.
struct MatListStruc {
  int32_t leftSize = 0;                 // elements of the left-side vector
  int16_t yearsPlusOne = 0;             // years of the first VAM file + 1
  int16_t currentSector = 0;            // the sector being listed
  // Per alternative, by year 1 .. years; only alternative 0's is filled.
  std::array<std::vector<float>, AltCapacity> referenceValues;
  int16_t termCount = 0;                // terms, the left side (term 0) included
  std::array<ListingTerm, MaxTerms + 1> terms;
  int16_t matrixTermCount = 0;          // terms with a matrix
  std::array<std::string, MaxTerms> titleFileNames;  // title file 0 and one per matrix term
  std::array<std::string, MaxTerms> termLabels;      // a label per term
  int16_t currentTerm = 0;              // the term being listed
  const VamFile* firstFile = nullptr;   // the first alternative's VAM file
  // The open title files (openTitleFiles), indexed like titleFileNames.
  std::vector<std::unique_ptr<TitleFile>> titleFiles;
};

// Reads the configuration file at `path` against the first alternative's VAM file.
// 0, or -1 after the message of what makes it unusable ("\nCannot open %s" and
// "\nPrepare it before using the matlist command.\n" for a file that cannot be opened).
[[nodiscard]] int16_t readListingConfig(const std::string& path, const VamFile& first,
                                        MatListStruc& config);
// The same on the configuration's bytes; `name` names it in messages.
[[nodiscard]] int16_t readListingConfig(std::string_view bytes, const std::string& name,
                                        const VamFile& first, MatListStruc& config);

// Opens the matrixTermCount + 1 title files of a configuration read. A title file that
// cannot be read ends the process with status 1, after its message.
void openTitleFiles(MatListStruc& config);

}  // namespace tabrix

// The matrix listing (\matlist): for each sector of a list, how the sector's value in an
// accounting identity of the model is made up, listed as table lines of the current
// table. In row mode a matrix term lists the sector's row (its sales to every other
// sector), in column mode the sector's column (its purchases), as coefficients or as
// flows (coefficient times the vector element), with the counterparts that pass the
// cutoff, a "SUM: " subtotal per matrix term and, in row mode, the other terms and the
// left side. The identity, the title files and the labels come from the listing
// configuration (matlist/listing_config.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "banks/vam_file.h"
#include "matlist/listing_config.h"
#include "table/table_line.h"

namespace tabrix {

class Chopper;
class GroupHome;

// The settings of the VAM-only commands; they keep their values for the whole run.
struct MatListSettings {
  bool listByRow = true;      // listings run along rows (\row) or along columns (\col)
  bool listFlows = true;      // flows (\flow) or coefficients (\coef)
  float cutoffRate = 0.0f;    // smallest share a listing shows (\cutoff)
  int16_t cutoffYear = -1;    // the year the cutoff is applied to; -1 every year
  bool noSubtotals = false;   // leave out "SUM: " lines and the final left side (\nosubtot)
  bool noSectorTitles = false;  // leave out the headings and section titles (\nst)
};

// What a listing reads and writes.
struct MatListRun {
  Chopper& reader;                   // the stub reader; the sector list follows the command
  TableLine& table;                  // the table the lines are written to
  std::span<VamFile* const> files;   // the alternatives' VAM files, the base first
  GroupHome* groups;                 // the group store, or null
  const MatListSettings& settings;
  std::string configName;            // the configuration file
};

// Smallest reference value or share the cutoff tests tell from zero.
constexpr double CutoffTolerance = 0.0000000001;

// One term of one sector: its selected counterparts and, per alternative, its cells
// (coefficients or flows) and their sums by year.
struct MatList {
  char op = '+';              // the term's operator
  int32_t vectorSize = 0;     // elements of the term's vector
  int16_t vector = -1;        // the vector's index in the first VAM file
  int16_t matrix = -1;        // the matrix's index; -1 for a vector term
  std::vector<int> selected;  // the counterparts listed, ascending
  // Per alternative: the term's cells by year (rows 1 .. years) and counterpart, and
  // their sums by year (index 1 .. years).
  std::array<SliceArray, AltCapacity> cells;
  std::array<std::vector<float>, AltCapacity> termSums;
};

// Runs one listing: reads the sector list and the configuration, lists every sector,
// then unloads the alternatives' slices. 0 when listed; -1 when the configuration
// could not be used (the listing ends without listing, after its message); -2 when
// the table could not be written (the run must stop).
[[nodiscard]] int16_t runMatrixListing(MatListRun& run);

// The steps of a listing, for one sector (config.currentSector) and term
// (config.currentTerm).

// Loads the reference vector (the left side in row mode, term 1's vector in column mode)
// from the first file and keeps its element s by year. 0, or -1 after a message.
[[nodiscard]] int16_t loadReference(const MatListRun& run, MatListStruc& config);
// Loads the current term of sector s in every alternative and, for the base, selects
// the counterparts. 0, or -1 after "Error in loading data\n".
[[nodiscard]] int16_t loadTerm(const MatListRun& run, const MatListStruc& config, int s, MatList& term);
// Selects the counterparts of a loaded matrix term by the cutoff rules. 0, or -1 when
// the base's slice is not loaded.
int16_t selectCounterparts(const MatListRun& run, const MatListStruc& config, MatList& term);
// Writes the current term (matrix-term number m) to the table. 0, or -1 when the table
// could not be written. headingFlag: the section title is still to come for vector terms.
[[nodiscard]] int16_t printTerm(const MatListRun& run, const MatListStruc& config, const MatList& term,
                                int m, bool& headingFlag);

}  // namespace tabrix

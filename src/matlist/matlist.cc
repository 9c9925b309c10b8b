#include "matlist/matlist.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dates/vex_date.h"
#include "matlist/sector_list.h"
#include "platform/console.h"
#include "platform/process.h"
#include "reader/chopper.h"
#include "support/constants.h"
#include "table/date_list.h"
#include "table/page.h"
#include "table/table_sink.h"
#include "table/value_rows.h"

namespace tabrix {

namespace {

int alternativeCount(const MatListRun& run) {
  return std::clamp<int>(std::min<int>(run.table.altCount, static_cast<int>(run.files.size())), 0,
                         AltCapacity);
}

const std::string& variableName(const MatListStruc& config, int index) {
  return config.firstFile->variableName(index);
}

// The year (1 .. years of the base) the cutoff is applied to, or 0 for every year.
int cutoffIndex(const MatListRun& run) {
  const int year = run.settings.cutoffYear;
  if (year < 0 || run.files.empty() || run.files[0] == nullptr) return 0;
  const int index = year - static_cast<int>(run.files[0]->baseYear()) + 1;
  return index >= 1 && index <= run.files[0]->observations() ? index : 0;
}

// |share| - cutoffRate above the tolerance.
bool aboveCutoff(const MatListRun& run, double share) {
  return std::fabs(share) - static_cast<double>(run.settings.cutoffRate) > CutoffTolerance;
}

// A title from a title file, or the number alone when the file has none for it.
std::string titleText(const MatListStruc& config, int file, int number) {
  std::string buffer;
  if (file >= 0 && file < static_cast<int>(config.titleFiles.size()) &&
      config.titleFiles[static_cast<std::size_t>(file)] != nullptr &&
      config.titleFiles[static_cast<std::size_t>(file)]->titleOf(buffer, number) != nullptr) {
    return buffer;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%3d ", number);
  return text;
}

// True when the listing goes out as data records (\gdata) in place of pages.
bool asRecords(const TableLine& table) { return table.renderers.layout().records == RecordLayout::DataRecords; }

// Writes the current line as a table row or, as data records, as a data record.
int writeLine(TableLine& table, const std::string& recordName) {
  if (asRecords(table)) return gdataRecord(table, recordName) == -1 ? -1 : 0;
  return composeLine(table);
}

// Fills each alternative's values from a per-year source: values[d][y - 1] = sign x
// value(d, y), divided by the divisor, from the file's first year on.
template <typename Source>
void fillValues(const MatListRun& run, float sign, Source value) {
  TableLine& table = run.table;
  const int alternatives = alternativeCount(run);
  for (int d = 0; d < alternatives; ++d) {
    const VamFile& file = *run.files[static_cast<std::size_t>(d)];
    std::vector<float>& values = table.values[static_cast<std::size_t>(d)];
    values.assign(MaxObs, MissingValue);
    // The values run from the file's first year.
    table.altStart[static_cast<std::size_t>(d)] = VexDate(file.baseYear(), 1, 1);
    const int years = std::min<int>(file.observations(), MaxObs);
    // Every slot after the years is missing; what an earlier table line said of its own
    // values no longer holds.
    table.valuesMissingTail[static_cast<std::size_t>(d)] = MaxObs - years;
    for (int y = 1; y <= years; ++y) {
      float v = sign * value(d, y);
      if (table.divisor != 1.0f) v /= table.divisor;
      values[static_cast<std::size_t>(y - 1)] = v;
    }
  }
  table.altMissing.fill(false);
  table.textLine = false;
}

}  // namespace

int16_t loadReference(const MatListRun& run, MatListStruc& config) {
  VamFile& first = *run.files[0];
  const int s = config.currentSector;
  const ListingTerm& source = config.terms[run.settings.listByRow ? 0 : 1];
  const std::string& name = variableName(config, source.vector);
  if (s < 1 || s > first.variableSize(source.vector)) {
    console().printf("Sector %d is beyond the %d elements of %s.\n", s, first.variableSize(source.vector),
                     name.c_str());
    return -1;
  }
  if (first.loadSlice(name, 'x', 0) != 0) {
    console().write("Error in loading data\n");
    return -1;
  }
  std::vector<float>& reference = config.referenceValues[0];
  const int years = std::min<int>(first.observations(), config.yearsPlusOne - 1);
  reference.assign(static_cast<std::size_t>(std::max(config.yearsPlusOne, int16_t{1})), 0.0f);
  for (int y = 1; y <= years; ++y) reference[static_cast<std::size_t>(y)] = first.slice().at(y, s);
  return 0;
}

int16_t selectCounterparts(const MatListRun& run, const MatListStruc& config, MatList& term) {
  if (!run.files[0]->sliceLoaded()) {
    console().printf("Matrix/Vector must be loaded to do %s\n", "cutoff");
    return -1;
  }
  const SliceArray& cells = term.cells[0];
  const std::vector<float>& reference = config.referenceValues[0];
  const int years = std::min<int>(cells.rows(), static_cast<int>(reference.size()) - 1);
  const int only = cutoffIndex(run);
  term.selected.clear();
  for (int k = 1; k <= cells.columns(); ++k) {
    bool selected = false;
    for (int y = only > 0 ? only : 1; y <= (only > 0 ? std::min(only, years) : years) && !selected; ++y) {
      const double r = reference[static_cast<std::size_t>(y)];
      if (std::fabs(r) <= CutoffTolerance) {
        selected = true;
        break;
      }
      const double a = run.settings.listFlows ? r : 1.0;
      selected = aboveCutoff(run, cells.at(y, k) / a);
    }
    if (selected) term.selected.push_back(k);
  }
  return 0;
}

int16_t loadTerm(const MatListRun& run, const MatListStruc& config, int s, MatList& term) {
  if (s == 0) {
    console().write("Illegal call to Load, sector_no = 0!\r\n");
    endProcess(1);
  }
  const ListingTerm& source = config.terms[static_cast<std::size_t>(config.currentTerm)];
  term = MatList{};
  term.op = source.op;
  term.vector = source.vector;
  term.matrix = source.matrix;
  term.vectorSize = config.firstFile->variableSize(source.vector);
  const std::string& vectorName = variableName(config, source.vector);
  const bool byRow = run.settings.listByRow;
  const bool flows = run.settings.listFlows;
  const int alternatives = alternativeCount(run);

  for (int i = 0; i < alternatives; ++i) {
    VamFile& file = *run.files[static_cast<std::size_t>(i)];
    SliceArray& cells = term.cells[static_cast<std::size_t>(i)];
    if (file.loadSlice(vectorName, 'x', 0) != 0) {
      console().write("Error in loading data\n");
      return -1;
    }
    if (term.matrix < 0) {
      cells = file.slice();
      continue;
    }
    const SliceArray vector = file.slice();  // set aside while the matrix is loaded
    if (file.loadSlice(variableName(config, term.matrix), byRow ? 'r' : 'c', s) != 0) {
      console().write("Error in loading data\n");
      return -1;
    }
    cells = file.slice();
    std::vector<float>& sums = term.termSums[static_cast<std::size_t>(i)];
    sums.assign(static_cast<std::size_t>(cells.rows()) + 1, 0.0f);
    for (int y = 1; y <= cells.rows(); ++y) {
      float sum = 0.0f;
      for (int k = 1; k <= cells.columns(); ++k) {
        float cell = cells.at(y, k);
        if (flows) cell *= vector.at(y, byRow ? k : s);
        (void)cells.set(y, k, cell);
        sum += cell;
      }
      sums[static_cast<std::size_t>(y)] = sum;
    }
  }

  if (term.matrix >= 0) return selectCounterparts(run, config, term);
  // A vector term's one counterpart is the sector itself, kept when it passes the cutoff.
  const SliceArray& cells = term.cells[0];
  const std::vector<float>& reference = config.referenceValues[0];
  const int years = std::min<int>(cells.rows(), static_cast<int>(reference.size()) - 1);
  const int only = cutoffIndex(run);
  bool kept = false;
  for (int y = only > 0 ? only : 1; y <= (only > 0 ? std::min(only, years) : years) && !kept; ++y) {
    const double r = reference[static_cast<std::size_t>(y)];
    if (std::fabs(r) < CutoffTolerance) {
      kept = only > 0;
      continue;
    }
    const double c = flows ? cells.at(y, s) : 1.0;
    kept = aboveCutoff(run, c / r);
  }
  if (kept) term.selected.push_back(s);
  return 0;
}

int16_t printTerm(const MatListRun& run, const MatListStruc& config, const MatList& term, int m,
                  bool& headingFlag) {
  TableLine& table = run.table;
  const MatListSettings& settings = run.settings;
  const bool isMatrix = term.matrix >= 0;
  const int s = config.currentSector;
  const int t = config.currentTerm;
  const int width = table.fieldWidth * table.dateCount() + table.titleWidth;
  const bool records = asRecords(table);
  auto noRoom = [&table, records](int k) {
    return !records && table.page.lineOnPage() + table.altCount + k > table.pageLength - table.bottomMargin;
  };
  auto newPage = [&table]() { return pageHeader(table) != 0 ? -1 : 0; };

  // 1. Whether there is anything to write.
  if (!isMatrix && term.selected.empty()) return 0;
  bool nonZeroSum = false;
  if (isMatrix) {
    for (float v : term.termSums[0]) nonZeroSum = nonZeroSum || v != 0.0f;
  }

  // 2. The sector's heading.
  std::string heading;
  if (!settings.noSectorTitles) {
    heading = settings.listByRow ? "Seller: " : "Buyer : ";
    heading += titleText(config, settings.listByRow ? 0 : m, s);
  }
  table.coefMode = !settings.listFlows;
  const std::string continued = heading + " (Continued)";

  // 3. The heading opens the sector; later terms repeat it on a new page.
  if (t == 1) {
    if (noRoom(isMatrix ? 8 : 7)) {
      if (newPage() != 0) return -1;
    } else if (!records) {
      table.lineTitle.clear();
      table.textLine = true;
      const int result = composeLine(table);
      table.textLine = false;
      if (result != 0) return -1;
    }
    if (records) {
      commentLine(table, heading);
    } else {
      centeredLine(table, heading, width);
      if (writeDateHeader(table) != 0) return -1;
    }
  } else if (noRoom(1)) {
    if (newPage() != 0) return -1;
    centeredLine(table, continued, width);
    if (writeDateHeader(table) != 0) return -1;
  }

  // 4. The section title.
  std::string section;
  if (!settings.noSectorTitles) {
    section = settings.listByRow ? "Sales to " : "Purchases from ";
    section += isMatrix ? config.termLabels[static_cast<std::size_t>(t)] : std::string("Other Final Demand");
  }
  if (isMatrix || headingFlag) {
    if (noRoom(3) && newPage() != 0) return -1;
    if (records) {
      commentLine(table, section);
    } else if (!settings.noSectorTitles && !term.selected.empty()) {
      centeredLine(table, section, width);
    }
  }
  if (!isMatrix) headingFlag = false;
  table.textLine = false;
  table.centerText = false;

  // 5. One line per counterpart.
  const float sign = term.op == '-' ? -1.0f : 1.0f;
  const std::string& vectorName = variableName(config, term.vector);
  for (std::size_t p = 0; p < term.selected.size(); ++p) {
    const int j = term.selected[p];
    if (noRoom(0)) {
      if (newPage() != 0) return -1;
      centeredLine(table, continued, width);
      if (writeDateHeader(table) != 0) return -1;
      if (!settings.noSectorTitles) centeredLine(table, p > 0 ? section + " (Continued)" : section, width);
    }
    const std::string title = isMatrix ? titleText(config, settings.listByRow ? m : 0, j)
                                       : config.termLabels[static_cast<std::size_t>(t)];
    assignCut(table.lineTitle, title, LineTextCapacity);
    fillValues(run, sign, [&term, j](int d, int y) { return term.cells[static_cast<std::size_t>(d)].at(y, j); });
    char name[96];
    if (isMatrix) {
      std::snprintf(name, sizeof name, "%s%03d%d", variableName(config, term.matrix).c_str(), s, j);
    } else {
      std::snprintf(name, sizeof name, "%s%d", vectorName.c_str(), s);
    }
    if (writeLine(table, name) != 0) return -1;
  }

  // 6. The subtotal of a matrix term.
  if (isMatrix && nonZeroSum && !settings.noSubtotals) {
    if (noRoom(0)) {
      if (!records) {
        if (newPage() != 0) return -1;
        if (writeDateHeader(table) != 0) return -1;
      }
      if (records) {
        commentLine(table, section + " (Continued)");
      } else {
        centeredLine(table, section + " (Continued)", width);
      }
    }
    assignCut(table.lineTitle, "SUM: " + config.termLabels[static_cast<std::size_t>(t)], LineTextCapacity);
    const float sumSign = term.op == '+' ? 1.0f : -1.0f;
    fillValues(run, sumSign, [&term](int d, int y) {
      const std::vector<float>& sums = term.termSums[static_cast<std::size_t>(d)];
      return y >= 0 && static_cast<std::size_t>(y) < sums.size() ? sums[static_cast<std::size_t>(y)] : 0.0f;
    });
    char name[96];
    std::snprintf(name, sizeof name, "%stot%d", variableName(config, term.matrix).c_str(), s);
    if (writeLine(table, name) != 0) return -1;
  }
  return 0;
}

int16_t runMatrixListing(MatListRun& run) {
  const std::vector<int> sectors = parseSectorList(run.reader, run.groups);
  if (run.files.empty() || run.files[0] == nullptr) return -1;
  for (VamFile* file : run.files) {
    if (file == nullptr) return -1;
  }
  MatListStruc config;
  if (readListingConfig(run.configName, *run.files[0], config) != 0) return -1;
  openTitleFiles(config);

  TableLine& table = run.table;
  const MatListSettings& settings = run.settings;
  if (settings.cutoffYear >= 0 && cutoffIndex(run) == 0) {
    console().printf("Cutoff year %d is outside the years of the base; the cutoff is applied to every year.\n",
                     settings.cutoffYear);
  }
  // Like a table line, the first listing of a table starts its first page.
  if (!sectors.empty() && !table.page.headerStarted()) {
    if (beginTable(table) != 0) return -2;
  }
  const bool coefMode = table.coefMode;
  int16_t result = 0;
  MatList term;
  for (int s : sectors) {
    console().printf("\rProcessing sector %3d", s);
    config.currentSector = static_cast<int16_t>(s);
    if (loadReference(run, config) != 0) continue;
    bool headingFlag = true;
    int m = 0;
    const int n = settings.listByRow ? config.termCount : 2;
    for (int t = 1; t <= n && result == 0; ++t) {
      if (t == n) {
        if (settings.noSubtotals || !settings.listByRow) break;
        config.currentTerm = 0;
        headingFlag = false;
      } else {
        config.currentTerm = static_cast<int16_t>(t);
      }
      const ListingTerm& source = config.terms[static_cast<std::size_t>(config.currentTerm)];
      if (source.matrix >= 0) ++m;
      if (source.matrix < 0 && !settings.listFlows) continue;
      if (loadTerm(run, config, s, term) != 0) continue;
      if (printTerm(run, config, term, m, headingFlag) != 0) result = -2;
    }
    if (result != 0) break;
  }
  console().write("\n");
  for (VamFile* file : run.files) file->unloadSlice();
  table.coefMode = coefMode;
  return result;
}

}  // namespace tabrix

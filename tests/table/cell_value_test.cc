#include "table/cell_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/console.h"
#include "support/constants.h"
#include "table/date_list.h"
#include "table/table_line.h"

namespace tabrix {
namespace {

// A date with exactly these fields.
VexDate on(int year, int period, int frequency) {
  VexDate date;
  date.year = static_cast<int16_t>(year);
  date.period = static_cast<int16_t>(period);
  date.frequency = static_cast<int16_t>(frequency);
  return date;
}

// Gives alternative k a series starting at start with the given observations; the rest
// of its MaxObs observations are missing, as the line handler leaves them.
void setSeries(TableLine& table, int k, VexDate start, const std::vector<float>& observations) {
  std::vector<float>& values = table.values[static_cast<std::size_t>(k)];
  values.assign(MaxObs, MissingValue);
  for (std::size_t i = 0; i < observations.size(); ++i) values[i] = observations[i];
  table.altStart[static_cast<std::size_t>(k)] = start;
}

// Annual 1990..1995, growing 10% a year.
const std::vector<float> kAnnual = {100.0f, 110.0f, 121.0f, 133.1f, 146.41f, 161.051f};

// Quarterly from 1990.1: 100, 101, 102, ... (observation i is 100 + i), 28 quarters.
std::vector<float> quarterly() {
  std::vector<float> values;
  for (int i = 0; i < 28; ++i) values.push_back(100.0f + static_cast<float>(i));
  return values;
}

// Monthly from 1995.001: 10, 11, 12, ...
std::vector<float> monthly() {
  std::vector<float> values;
  for (int i = 0; i < 24; ++i) values.push_back(10.0f + static_cast<float>(i));
  return values;
}

enum class Data { Annual, Quarterly, QuarterlyOneMissing, QuarterlyFromThird, Monthly, AnnualWithGaps, AnnualZeroStart, AnnualSignChange };

void load(TableLine& table, Data data) {
  switch (data) {
    case Data::Annual: setSeries(table, 0, on(1990, 1, 1), kAnnual); break;
    case Data::Quarterly: setSeries(table, 0, on(1990, 1, 4), quarterly()); break;
    case Data::QuarterlyOneMissing: {
      std::vector<float> values = quarterly();
      values[21] = MissingValue;  // 1995.2
      setSeries(table, 0, on(1990, 1, 4), values);
      break;
    }
    case Data::QuarterlyFromThird: setSeries(table, 0, on(1990, 3, 4), quarterly()); break;
    case Data::Monthly: setSeries(table, 0, on(1995, 1, 12), monthly()); break;
    case Data::AnnualWithGaps:
      setSeries(table, 0, on(1990, 1, 1), {100.0f, MissingValue, 121.0f, MissingValue, MissingValue});
      break;
    case Data::AnnualZeroStart: setSeries(table, 0, on(1990, 1, 1), {0.0f, 5.0f, 10.0f}); break;
    case Data::AnnualSignChange: setSeries(table, 0, on(1990, 1, 1), {-10.0f, 5.0f, 10.0f}); break;
  }
}

const double kLn = std::log(1.61051);  // ln of 1995 over 1990 in kAnnual

struct Case {
  const char* what;
  Data data;
  const char* dateSpec;
  double expected;       // checked within 1e-4 relative; kMissing for the marker
  std::string message = "";
  char growthType = 'e';
  char annualRates = 'y';
  char aggType = 'i';
  char growthMode = 'n';
};

constexpr double kMissing = -1e30;

TEST(CellValueTest, ComputesEveryKindOfColumn) {
  const std::vector<Case> cases = {
      // Single dates and conversion by averaging sub-periods.
      {"annual at annual date", Data::Annual, "1992", 121.0},
      {"quarterly at quarterly date", Data::Quarterly, "1991.2", 105.0},
      {"quarterly at annual date averages the four quarters", Data::Quarterly, "1995", (120 + 121 + 122 + 123) / 4.0},
      {"a missing quarter is left out of the average", Data::QuarterlyOneMissing, "1995", (120 + 122 + 123) / 3.0},
      {"monthly at quarterly date averages three months", Data::Monthly, "1995.2", (13 + 14 + 15) / 3.0},
      {"monthly at annual date averages twelve months", Data::Monthly, "1996", (22 + 33) / 2.0},
      {"annual at quarterly date cannot be converted", Data::Annual, "1995.2", 0.0,
       "Illegal date conversion for series. Date: 1995.2.\n"},
      {"date before the series start", Data::Annual, "1985", 0.0,
       "Date 1985 specified is before starting date for alternative 1.\n"},
      {"annual date whose first quarter is before the start", Data::QuarterlyFromThird, "1990", 0.0,
       "Date 1990 specified is before starting date for alternative 1.\n"},
      {"a date beyond the stored observations is missing", Data::Annual, "4000", kMissing},
      {"a missing observation", Data::AnnualWithGaps, "1991", kMissing},

      // Growth ranges on annual data: the three growth types.
      {"annual range, logarithmic", Data::Annual, "1990-1995", kLn * 100 / 5},
      {"annual range, compound", Data::Annual, "1990-1995", (std::exp(kLn / 5) - 1) * 100, "", 'c'},
      {"annual range, percent change", Data::Annual, "1990-1995", (1.61051 - 1) * 100 / 5, "", 'p'},
      {"annual range, the aggregation type does not apply", Data::Annual, "1990-1995", kLn * 100 / 5, "", 'e',
       'y', 'b'},
      {"a backwards range", Data::Annual, "1995-1990", 0.0, "Growth rate 95-90 is backwards!\n"},
      {"a range starting before the series", Data::Annual, "1985-1995", 0.0,
       "Date 1985 specified is before starting date for alternative 1.\n"},
      {"a range from a zero value", Data::AnnualZeroStart, "1990-1992", kMissing},
      {"a range whose values change sign", Data::AnnualSignChange, "1990-1992", kMissing},
      {"a range ending at a missing value", Data::AnnualWithGaps, "1990-1993", kMissing},
      {"a range of no length", Data::Annual, "1992-1992", kMissing},

      // Growth ranges on quarterly data: annual rates and the two aggregation types.
      {"quarterly range, annual rates by multiplying", Data::Quarterly, "1990.1-1995.1", std::log(1.2) * 100 / 5},
      {"quarterly range, rates per quarter", Data::Quarterly, "1990.1-1995.1", std::log(1.2) * 100 / 20, "", 'e', 'n'},
      {"quarterly range, compound per year", Data::Quarterly, "1990.1-1991.3", (std::exp(std::log(1.06) / 1.5) - 1) * 100,
       "", 'c'},
      {"quarterly range, percent change per year", Data::Quarterly, "1990.1-1991.3", (1.06 - 1) * 100 / 1.5, "", 'p'},
      {"quarterly range, compound annual aggregation", Data::Quarterly, "1990.1-1995.1",
       (std::exp(std::log(1.2) * 4 / 20) - 1) * 100, "", 'p', 'y', 'b'},
      {"quarterly series, annual range uses annual averages", Data::Quarterly, "1990-1995",
       std::log(121.5 / 101.5) * 100 / 5},
      {"annual series, quarterly range cannot be converted", Data::Annual, "1990.1-1995.1", 0.0,
       "Illegal date conversion for series. Date: 1990.1.\n"},

      // Sums and averages.
      {"sum", Data::Annual, "1990+1992", 331.0},
      {"sum leaves out missing values", Data::AnnualWithGaps, "1990+1993", 221.0},
      {"sum of a backwards range is 0", Data::Annual, "1992+1990", 0.0},
      {"sum past the stored observations", Data::Annual, "1994+4000", 146.41 + 161.051},
      {"sum starting before the series", Data::Annual, "1985+1992", 0.0,
       "Date 1985 specified is before starting date for alternative 1.\n"},
      {"average", Data::Annual, "1990|1992", 331.0 / 3},
      {"average leaves out missing values", Data::AnnualWithGaps, "1990|1993", 110.5},
      {"average without values is 0", Data::AnnualWithGaps, "1993|1994", 0.0},
      {"sum of annual dates on a quarterly series has no value", Data::Quarterly, "1990+1991", 0.0,
       "Illegal date conversion for series. Date: 1990.\n"},

      // Period-growth mode: growth from the previous period.
      {"period growth, annual, logarithmic", Data::Annual, "1992", std::log(1.1) * 100, "", 'e', 'y', 'i', 'g'},
      {"period growth, annual, percent", Data::Annual, "1992", 10.0, "", 'p', 'y', 'i', 'g'},
      {"period growth, quarterly, annualised", Data::Quarterly, "1995.1", std::log(120.0 / 119) * 100 * 4, "", 'e',
       'y', 'i', 'g'},
      {"period growth, quarterly, per quarter", Data::Quarterly, "1995.1", (120.0 - 119) * 100 / 119, "", 'p', 'n',
       'i', 'g'},
      {"period growth, quarterly, compound annualised", Data::Quarterly, "1995.1",
       (std::exp(std::log(120.0 / 119) * 4) - 1) * 100, "", 'p', 'y', 'b', 'g'},
      {"period growth of annual averages of a quarterly series", Data::Quarterly, "1995",
       (121.5 - 117.5) * 100 / 117.5, "", 'c', 'y', 'i', 'g'},
      {"period growth at the first period has no previous value", Data::Annual, "1990", 0.0, "", 'e', 'y', 'i',
       'g'},
      {"period growth ignores the range and uses its first date", Data::Annual, "1992-1995", std::log(1.1) * 100,
       "", 'e', 'y', 'i', 'g'},
      {"period growth of an annual series at a quarterly date", Data::Annual, "1992.1", 0.0,
       "Illegal date conversion for series. Date: 1992.1.\n", 'e', 'y', 'i', 'g'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TableLine table;
    load(table, c.data);
    table.growthType = c.growthType;
    table.annualRates = c.annualRates;
    table.aggType = c.aggType;
    table.growthMode = c.growthMode;
    ConsoleCapture capture;
    const float value = cellValue(table, 0, DateStruct(c.dateSpec), 0.0f);
    EXPECT_EQ(capture.text(), c.message);
    if (c.expected == kMissing) {
      EXPECT_TRUE(isMissing(value)) << value;
    } else {
      EXPECT_NEAR(value, c.expected, 1e-4 * std::max(1.0, std::fabs(c.expected)));
    }
  }
}

TEST(CellValueTest, ShowsOtherAlternativesAgainstTheBase) {
  struct ShowCase {
    const char* what;
    char showMode;
    float base;
    float alternative;
    double expected;  // kMissing for the marker
  };
  const ShowCase cases[] = {
      {"levels", 'a', 200.0f, 210.0f, 210.0},
      {"deviation", 'd', 200.0f, 210.0f, 10.0},
      {"percentage deviation", 'p', 200.0f, 210.0f, 5.0},
      {"negative percentage deviation", 'p', 200.0f, 150.0f, -25.0},
      {"percentage from a zero base", 'p', 0.0f, 210.0f, 0.0},
      {"percentage from a missing base", 'p', MissingValue, 210.0f, kMissing},
      {"deviation from a missing base", 'd', MissingValue, 210.0f, kMissing},
      {"deviation of a missing value", 'd', 200.0f, MissingValue, kMissing},
      {"levels keep a missing value", 'a', 200.0f, MissingValue, kMissing},
      {"an unknown mode shows 0", 'x', 200.0f, 210.0f, 0.0},
  };
  for (const ShowCase& c : cases) {
    SCOPED_TRACE(c.what);
    TableLine table;
    table.altCount = 2;
    table.showMode = c.showMode;
    setSeries(table, 0, on(1990, 1, 1), {c.base});
    setSeries(table, 1, on(1990, 1, 1), {c.alternative});
    const DateStruct dateSpec("1990");
    const float base = cellValue(table, 0, dateSpec, 0.0f);
    EXPECT_EQ(base, c.base);  // the base is always shown as computed
    const float value = cellValue(table, 1, dateSpec, base);
    if (c.expected == kMissing) {
      EXPECT_TRUE(isMissing(value)) << value;
    } else {
      EXPECT_NEAR(value, c.expected, 1e-4);
    }
  }
}

TEST(CellValueTest, SeriesNotFoundShowZeroAndAreABaseOfZero) {
  TableLine table;
  table.altCount = 3;
  table.showMode = 'd';
  for (int k = 0; k < 3; ++k) setSeries(table, k, on(1990, 1, 1), {100.0f + static_cast<float>(k)});
  const DateStruct dateSpec("1990");
  EXPECT_EQ(cellValue(table, 0, dateSpec, 0.0f), 100.0f);
  table.altMissing[0] = true;
  table.altMissing[2] = true;
  const float base = cellValue(table, 0, dateSpec, 0.0f);
  EXPECT_EQ(base, 0.0f);
  EXPECT_EQ(cellValue(table, 1, dateSpec, base), 101.0f);
  EXPECT_EQ(cellValue(table, 2, dateSpec, base), 0.0f);
}

TEST(CellValueTest, ReadsTotalsWhilePrintingThem) {
  TableLine table;
  setSeries(table, 0, on(1990, 1, 1), {1.0f});
  table.totals[0].assign(MaxObs, 0.0f);
  table.totals[0][0] = 42.0f;
  table.printingTotals = true;
  EXPECT_EQ(cellValue(table, 0, DateStruct("1990"), 0.0f), 42.0f);
  // An alternative without arrays reads as missing rather than out of bounds.
  table.totals[0].clear();
  EXPECT_TRUE(isMissing(cellValue(table, 0, DateStruct("1990"), 0.0f)));
}

TEST(CellValueTest, NamesTheAlternativeAndUsesTheYearFormat) {
  TableLine table;
  table.altCount = 3;
  table.yearFormat = 0;
  for (int k = 0; k < 3; ++k) setSeries(table, k, on(1990, 1, 1), {1.0f});
  ConsoleCapture capture;
  cellValue(table, 2, DateStruct("1985"), 0.0f);
  EXPECT_EQ(capture.text(), "Date 85 specified is before starting date for alternative 3.\n");
}

TEST(CellValueTest, UnusableFrequenciesAreIllegalConversions) {
  // A series or date without a valid frequency must not divide by zero.
  TableLine table;
  setSeries(table, 0, on(1990, 1, 0), {1.0f});
  ConsoleCapture capture;
  EXPECT_EQ(cellValue(table, 0, DateStruct("1990"), 0.0f), 0.0f);
  EXPECT_EQ(capture.take(), "Illegal date conversion for series. Date: 1990.\n");
  setSeries(table, 0, on(1990, 1, 4), {1.0f});
  DateStruct dateSpec("1990");
  dateSpec.from.frequency = 0;
  EXPECT_EQ(cellValue(table, 0, dateSpec, 0.0f), 0.0f);
  table.growthMode = 'g';
  EXPECT_EQ(cellValue(table, 0, dateSpec, 0.0f), 0.0f);
}

}  // namespace
}  // namespace tabrix

#include "table/cell_value.h"

#include <algorithm>
#include <cmath>

#include "platform/console.h"
#include "support/constants.h"

namespace tabrix {

namespace {

// Below this magnitude a growth base, a growth end value or a percentage base counts as
// zero.
constexpr double TinyValue = 1e-7;

constexpr const char* BeforeStartMessage =
    "Date %s specified is before starting date for alternative %d.\n";
constexpr const char* IllegalConversionMessage = "Illegal date conversion for series. Date: %s.\n";
constexpr const char* BackwardsMessage = "Growth rate %s is backwards!\n";

void reportBeforeStart(const TableLine& table, const VexDate& date, int row) {
  char label[DateLabelCapacity] = "";
  console().printf(BeforeStartMessage, format(date, label, table.yearFormat), row + 1);
}

void reportIllegalConversion(const TableLine& table, const VexDate& date) {
  char label[DateLabelCapacity] = "";
  console().printf(IllegalConversionMessage, format(date, label, table.yearFormat));
}

// True when a series of frequency K can be shown at dates of frequency J: the same
// frequency, or a whole number of sub-periods per date.
bool convertible(int K, int J) { return K > 0 && J > 0 && K % J == 0; }

// The period (1..K) of the first sub-period of date when a date of frequency J is made
// of K / J sub-periods.
int firstSubPeriod(const VexDate& date, int K, int J) {
  return J == 1 ? 1 : (K / J) * (date.period - 1) + 1;
}

// The average of the non-missing observations from index first on, count of them;
// false when none has a value. Indexes outside the stored range count as missing.
bool averageOf(const SeriesView& series, long first, int count, double& average) {
  double sum = 0.0;
  int present = 0;
  for (int i = 0; i < count; ++i) {
    float value = series.at(first + i);
    if (isMissing(value)) continue;
    sum += value;
    ++present;
  }
  if (present == 0) return false;
  average = sum / present;
  return true;
}

// Growth of ratio R over periods periods by the growth type; 0 for an unknown type.
double growthOver(char growthType, double R, double periods) {
  switch (growthType) {
    case 'p': return (R - 1.0) * 100.0 / periods;
    case 'c': return (std::exp(std::log(R) / periods) - 1.0) * 100.0;
    case 'e': return std::log(R) * 100.0 / periods;
    default: return 0.0;
  }
}

// Period-growth mode: the growth of the column's period over the period before it.
float periodGrowth(const TableLine& table, const SeriesView& series, const VexDate& date) {
  const int K = series.start.frequency;
  const int J = date.frequency;
  if (!convertible(K, J)) {
    reportIllegalConversion(table, date);
    return 0.0f;
  }
  const int N = K / J;
  // Raw index of the first sub-period; the window before it may reach before the start,
  // where observations simply count as missing.
  const long first = static_cast<long>(date.year - series.start.year) * K +
                     firstSubPeriod(date, K, J) - series.start.period;
  double O = 0.0;
  double Q = 0.0;
  const bool present = averageOf(series, first, N, O) && averageOf(series, first - N, N, Q);
  const bool usable = present && std::fabs(Q) >= TinyValue;
  // A log of a ratio that is not positive has no value: the cell shows as missing.
  const bool needsLog = table.growthType == 'e' || (table.annualRates == 'y' && table.aggType == 'b');
  if (usable && needsLog && O / Q <= 0.0) return MissingValue;
  double g = 0.0;
  if (usable) {
    if (table.growthType == 'p' || table.growthType == 'c') {
      g = (O - Q) * 100.0 / Q;
    } else if (table.growthType == 'e') {
      g = std::log(O / Q) * 100.0;
    }
  }
  if (table.annualRates == 'y') {
    if (table.aggType == 'b') {
      g = usable ? (std::exp(std::log(O / Q) * J) - 1.0) * 100.0 : 0.0;
    } else {
      g *= J;
    }
  }
  return static_cast<float>(g);
}

// A growth range from-to.
float rangeGrowth(const TableLine& table, int row, const SeriesView& series, const DateStruct& dateSpec) {
  const VexDate& a = dateSpec.from;
  const VexDate& b = dateSpec.to;
  const int K = series.start.frequency;
  const int J = a.frequency;
  float Q = 0.0f;
  float O = 0.0f;
  long n = 0;
  if (K == J && K > 0) {
    const int16_t ia = indexFrom(a, series.start);
    if (ia < 0) {
      reportBeforeStart(table, a, row);
      return 0.0f;
    }
    const int16_t ib = indexFrom(b, series.start);
    if (ib < 0) {
      reportBeforeStart(table, b, row);
      return 0.0f;
    }
    n = ib - ia;
    if (n < 0) {
      console().printf(BackwardsMessage, dateSpec.label(table.yearFormat).c_str());
      return 0.0f;
    }
    Q = series.at(ia);
    O = series.at(ib);
  } else if (convertible(K, J)) {
    for (const VexDate* date : {&a, &b}) {
      float& value = date == &a ? Q : O;
      switch (periodValue(series, *date, value)) {
        case PeriodStatus::Ok: break;
        case PeriodStatus::BeforeStart: reportBeforeStart(table, *date, row); return 0.0f;
        case PeriodStatus::IllegalConversion: reportIllegalConversion(table, *date); return 0.0f;
      }
    }
    // Counted in periods of the dates' frequency; -1 (mixed frequencies) and -2 (b before
    // a) are both a range that does not run forwards.
    n = indexFrom(b, a);
    if (n < 0) {
      console().printf(BackwardsMessage, dateSpec.label(table.yearFormat).c_str());
      return 0.0f;
    }
  } else {
    reportIllegalConversion(table, a);
    return 0.0f;
  }
  if (isMissing(Q) || isMissing(O) || std::fabs(Q) < TinyValue || std::fabs(O) < TinyValue) {
    return MissingValue;
  }
  const double R = static_cast<double>(O) / Q;
  // A range of no length has no rate; a change of sign has no growth rate either.
  if (R < 0.0 || n == 0) return MissingValue;
  if (R < TinyValue) return 0.0f;
  double rate = 0.0;
  if (J == 1 || table.annualRates != 'y') {
    rate = growthOver(table.growthType, R, static_cast<double>(n));
  } else if (table.aggType == 'b') {
    rate = (std::exp(std::log(R) * J / static_cast<double>(n)) - 1.0) * 100.0;
  } else {
    rate = growthOver(table.growthType, R, static_cast<double>(n) / J);
  }
  return static_cast<float>(rate);
}

// A sum a+b or an average a|b over the observations of the range.
float rangeTotal(const TableLine& table, int row, const SeriesView& series, const DateStruct& dateSpec) {
  const int K = series.start.frequency;
  const int J = dateSpec.from.frequency;
  if (K != J || K <= 0) {
    // Only ranges at the series' own frequency have a sum or an average.
    reportIllegalConversion(table, dateSpec.from);
    return 0.0f;
  }
  const int16_t ia = indexFrom(dateSpec.from, series.start);
  if (ia < 0) {
    reportBeforeStart(table, dateSpec.from, row);
    return 0.0f;
  }
  // A negative index for b (before the start, or another frequency) lies before a.
  const long ib = std::min<long>(indexFrom(dateSpec.to, series.start), series.size - 1L);
  double sum = 0.0;
  int present = 0;
  for (long i = ia; i <= ib; ++i) {
    const float value = series.at(i);
    if (isMissing(value)) continue;
    sum += value;
    ++present;
  }
  if (dateSpec.isAverage) return present == 0 ? 0.0f : static_cast<float>(sum / present);
  return static_cast<float>(sum);
}

// The cell's value before it is shown against the base.
float computedValue(const TableLine& table, int row, const DateStruct& dateSpec) {
  const SeriesView series = seriesOf(table, row);
  if (table.growthMode == 'g') return periodGrowth(table, series, dateSpec.from);
  if (dateSpec.isGrowth) return rangeGrowth(table, row, series, dateSpec);
  if (dateSpec.isSum || dateSpec.isAverage) return rangeTotal(table, row, series, dateSpec);
  float value = 0.0f;
  switch (periodValue(series, dateSpec.from, value)) {
    case PeriodStatus::Ok: return value;
    case PeriodStatus::BeforeStart: reportBeforeStart(table, dateSpec.from, row); return 0.0f;
    case PeriodStatus::IllegalConversion: reportIllegalConversion(table, dateSpec.from); return 0.0f;
  }
  return 0.0f;
}

}  // namespace

float SeriesView::at(long index) const {
  if (data == nullptr || index < 0 || index >= size) return MissingValue;
  return data[index];
}

SeriesView seriesOf(const TableLine& table, int row) {
  SeriesView series;
  if (row < 0 || row >= AltCapacity) return series;
  const std::size_t k = static_cast<std::size_t>(row);
  const std::vector<float>& array = table.printingTotals ? table.totals[k] : table.values[k];
  series.data = array.data();
  series.size = static_cast<int>(std::min<std::size_t>(array.size(), MaxObs));
  // Values known to end in missing slots read the same without them.
  if (!table.printingTotals) series.size = std::max(0, series.size - table.valuesMissingTail[k]);
  series.start = table.altStart[static_cast<std::size_t>(row)];
  return series;
}

PeriodStatus periodValue(const SeriesView& series, const VexDate& date, float& value) {
  const int K = series.start.frequency;
  const int J = date.frequency;
  if (K == J && K > 0) {
    const int16_t index = indexFrom(date, series.start);
    if (index < 0) return PeriodStatus::BeforeStart;
    value = series.at(index);
    return PeriodStatus::Ok;
  }
  if (!convertible(K, J)) return PeriodStatus::IllegalConversion;
  VexDate sub;
  sub.year = date.year;
  sub.period = static_cast<int16_t>(firstSubPeriod(date, K, J));
  sub.frequency = static_cast<int16_t>(K);
  // The sub-periods of one date are consecutive; only the first can lie before the start.
  const int16_t first = indexFrom(sub, series.start);
  if (first < 0) return PeriodStatus::BeforeStart;
  double average = 0.0;
  value = averageOf(series, first, K / J, average) ? static_cast<float>(average) : MissingValue;
  return PeriodStatus::Ok;
}

float cellValue(const TableLine& table, int row, const DateStruct& dateSpec, float base) {
  if (row < 0 || row >= AltCapacity) return 0.0f;
  // A series not found shows 0, and as the base it is a base of 0.
  const float r = table.altMissing[static_cast<std::size_t>(row)] ? 0.0f : computedValue(table, row, dateSpec);
  if (row == 0) return r;
  if (table.altMissing[static_cast<std::size_t>(row)]) return 0.0f;
  switch (table.showMode) {
    case 'a': return r;
    case 'd': return isMissing(r) || isMissing(base) ? MissingValue : r - base;
    case 'p':
      if (isMissing(r) || isMissing(base)) return MissingValue;
      if (std::fabs(base) < TinyValue) return 0.0f;
      return static_cast<float>((static_cast<double>(r) - base) / base * 100.0);
    default: return 0.0f;
  }
}

}  // namespace tabrix

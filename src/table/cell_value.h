// Cell values of the table composer: the number one table cell shows for one alternative
// and one date column. A column is a single date (with conversion from a series of higher
// frequency by averaging its sub-periods), a growth rate over a range, a sum or an
// average; in period-growth mode every column is the growth from the previous period.
// The base alternative's cell of a column is the reference for the deviations and
// percentage deviations of the other alternatives in that column; the caller keeps it
// and hands it in.
#pragma once

#include "dates/vex_date.h"
#include "table/date_list.h"
#include "table/table_line.h"

namespace tabrix {

// The observations of one alternative's current series, as the composer reads them.
struct SeriesView {
  const float* data = nullptr;  // observation 0 lies at start
  int size = 0;                 // observations stored (at most MaxObs)
  VexDate start;                // the date of observation 0

  // The observation at index; the missing marker outside the stored range.
  float at(long index) const;
};

// The series cells of alternative row read: its values, or its totals while
// printingTotals is set. An alternative without an array reads as all missing.
SeriesView seriesOf(const TableLine& table, int row);

// How a period value came out.
enum class PeriodStatus {
  Ok,                 // value holds the observation or the sub-period average
  BeforeStart,        // the date (or one of its sub-periods) lies before the series start
  IllegalConversion,  // the series frequency is not a multiple of the date's
};

// The value of the series at date: the observation when the frequencies agree, else the
// average of the non-missing observations of the date's sub-periods (the missing marker
// when none has a value). Prints nothing; value is set only for Ok.
PeriodStatus periodValue(const SeriesView& series, const VexDate& date, float& value);

// The value of the cell of alternative row (0 is the base) for the parsed date-column
// entry dateSpec: 0 for an alternative whose series was not found, else the level,
// growth rate, sum or average; for the other alternatives shown as a deviation or
// percentage deviation from base (the base row's value of the same column, as this
// function gave it for row 0; not used for row 0) by showMode. The before-start,
// illegal-conversion and backwards messages are printed here, and the cell is then 0.
float cellValue(const TableLine& table, int row, const DateStruct& dateSpec, float base);

}  // namespace tabrix

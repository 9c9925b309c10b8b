// The two ranges that stub commands set for the function library: sumRange, the dates
// @sum adds up over, and chainRange, the dates @qchain and @pchain chain over. They
// are the library's only run-wide values; until a command sets them they hold zero
// dates, with which those functions refuse to compute.
#pragma once

#include "banks/data_bank.h"
#include "dates/vex_date.h"

namespace tabrix {

// The first and last date of @sum, as date numbers (1990, 1990.2, 1990.011).
struct SumRange {
  float first = 0.0f;
  float last = 0.0f;
};

// The first and last date of the chain functions.
struct ChainRange {
  VexDate first;
  VexDate last;
};

SumRange& sumRange();
ChainRange& chainRange();

// A date number taken apart: the integer part is the year; the thousandths decide the
// frequency: .001 to .013 a month, .014 to .449 a quarter (period = thousandths / 100),
// .000 and .450 the year itself (period 0), above .450 a half-year (period =
// (thousandths - 400) / 100).
struct DateNumber {
  int year = 0;
  int period = 0;
  int frequency = 0;
};

// Splits a date number; false for a number that is negative, not finite or from 32768.
bool splitDateNumber(double number, DateNumber& date);

// True when a split date number names a real period: an annual date, a month 1 .. 12,
// a quarter 1 .. 4 or a half-year 1 .. 2. The range commands accept only these.
bool isWholeDate(const DateNumber& date);

// The observation index of a date number in a series of the bank: period + (year -
// baseYear) x frequency - the bank's first month expressed in that frequency (month 1
// for kinds other than the workspace bank; 0 for annual dates). May lie outside the
// series; callers check.
long sumIndex(const DateNumber& date, const DataBank& bank);

}  // namespace tabrix

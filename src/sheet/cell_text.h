// The text a cell shows, as the text save formats (CSV, text, HTML) and the WK1 save
// write it: what the spreadsheet program would display for the cell's value in its
// number format.
#pragma once

#include <string>
#include <string_view>

#include "sheet/workbook.h"

namespace tabrix {

// The text of a cell in its style: a text as it is; a number with the decimals of its
// number format ("0", "0.0", "0.00", ...) or else in the general form; a date by its
// format "yyyy" (2020) or "mmm yyyy" (Mar 2020), else as its day number; a formula the
// text it shows (=REPT("-",600) shows 600 dashes), else the formula itself; "" for an
// empty cell. A number that is not finite shows as nan, inf or -inf.
std::string shownText(const SheetCell& cell, const CellStyle& style);

// The decimals of a number format "0", "0.0", "0.00", ...; -1 for any other format.
int formatDecimals(std::string_view numberFormat);

// The general form of a number: the shortest text that reads back as the number.
std::string generalNumber(double value);

// The decimals of a number's general form (0 .. 15): the digits after its point.
int generalDecimals(double value);

// The calendar date of a day number as the application counts days (1 is 1 January
// 1900; it counts a 29 February 1900 as day 60). False for a day outside 1 .. 2958465
// (31 December 9999) or not whole.
bool dateOfDay(double day, int& year, int& month, int& dayOfMonth);

}  // namespace tabrix

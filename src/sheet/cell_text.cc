#include "sheet/cell_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "sheet/xlsx_file.h"

namespace tabrix {

namespace {

constexpr double LastDay = 2958465;  // 31 December 9999
constexpr const char* MonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string fixedNumber(double value, int decimals) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::string dateText(double day, const std::string& numberFormat) {
  int year = 0, month = 0, dayOfMonth = 0;
  if (!dateOfDay(day, year, month, dayOfMonth)) return generalNumber(day);
  if (numberFormat == "yyyy") return std::to_string(year);
  if (numberFormat == "mmm yyyy") return std::string(MonthNames[month - 1]) + " " + std::to_string(year);
  return generalNumber(day);
}

}  // namespace

int formatDecimals(std::string_view numberFormat) {
  if (numberFormat.empty() || numberFormat[0] != '0') return -1;
  if (numberFormat.size() == 1) return 0;
  if (numberFormat[1] != '.') return -1;
  for (std::size_t i = 2; i < numberFormat.size(); ++i)
    if (numberFormat[i] != '0') return -1;
  return static_cast<int>(numberFormat.size() - 2);
}

std::string generalNumber(double value) {
  if (!std::isfinite(value)) return nonFiniteText(value);
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return fixedNumber(value, 6);
  return std::string(buffer, end);
}

int generalDecimals(double value) {
  if (!std::isfinite(value)) return 0;
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (error != std::errc()) return 0;
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  std::size_t point = text.find('.');
  if (point == std::string_view::npos) return 0;
  return static_cast<int>(std::min<std::size_t>(text.size() - point - 1, 15));
}

bool dateOfDay(double day, int& year, int& month, int& dayOfMonth) {
  if (!(day >= 1 && day <= LastDay) || day != std::floor(day)) return false;
  long days = static_cast<long>(day);
  if (days == 60) {
    // The day the application counts that the calendar does not have.
    year = 1900;
    month = 2;
    dayOfMonth = 29;
    return true;
  }
  // Days from 1 January 1970; before March 1900 the application's count is one lower.
  long unixDays = days - (days < 60 ? 25568 : 25569);
  // The civil date of a day count (proleptic Gregorian), counted in eras of 400 years
  // from 1 March of year 0.
  long z = unixDays + 719468;
  long era = (z >= 0 ? z : z - 146096) / 146097;
  long dayOfEra = z - era * 146097;
  long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  long shifted = (5 * dayOfYear + 2) / 153;  // months from March
  dayOfMonth = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return true;
}

std::string shownText(const SheetCell& cell, const CellStyle& style) {
  switch (cell.kind) {
    case CellType::Empty:
      return "";
    case CellType::Text:
      return cell.text;
    case CellType::Number: {
      if (!std::isfinite(cell.number)) return nonFiniteText(cell.number);
      int decimals = formatDecimals(style.numberFormat);
      return decimals >= 0 ? fixedNumber(cell.number, decimals) : generalNumber(cell.number);
    }
    case CellType::Date:
      return dateText(cell.number, style.numberFormat);
    case CellType::Formula: {
      std::string shown;
      return formulaText(cell.text, shown) ? shown : cell.text;
    }
  }
  return "";
}

}  // namespace tabrix

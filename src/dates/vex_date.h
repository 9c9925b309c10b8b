// VexDate: a period of a year at a frequency (1 annual, 4 quarterly, 12 monthly;
// 2 half-yearly only from the numeric constructor). Small value type, freely copied.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabrix {

// Longest label format() writes, terminator included; every caller's buffer holds this.
inline constexpr int DateLabelCapacity = 16;
// Date texts are read up to this many characters; the rest is ignored.
inline constexpr int DateTextCapacity = 19;

class VexDate {
 public:
  // Year, period and frequency 0: not a valid date until set.
  VexDate() = default;
  // Validated: prints a message and leaves the date unchanged on a bad year (200..1899,
  // or outside 0..32767), frequency or period. The year rule maps 0..24 to 20xx and
  // 25..1899 to 19xx.
  VexDate(int year, int period, int frequency);
  // From a date text such as "1995", "95.3" or "2001.012" (at most 19 characters read).
  explicit VexDate(std::string_view text);
  // From a number year.fraction: .001-.013 monthly, .1-.4 quarterly, .5/.6 half-years.
  // NaN, infinities, negative numbers and numbers from 32768 on leave the date unset.
  explicit VexDate(float number);

  // Sets the fields from year, period and frequency with the same validation as the
  // constructor; a bad value leaves this date unchanged.
  void set(int year, int period, int frequency);
  // Reads a date text into this date; an invalid period keeps the current frequency.
  void setFromText(std::string_view text);
  // Reads a year.fraction number into this date; an unusable number changes nothing.
  void setFromNumber(float number);

  // Field-by-field equality.
  bool operator==(const VexDate& other) const = default;

  int16_t year = 0;
  int16_t period = 0;
  int16_t frequency = 0;
};

// Comparisons: 1 true, 0 false, -1 when same-year dates differ in frequency (after a message).
int16_t before(const VexDate& a, const VexDate& b);
int16_t notAfter(const VexDate& a, const VexDate& b);
int16_t after(const VexDate& a, const VexDate& b);

// a - b in periods, or -1 when the frequencies differ.
int16_t periodsBetween(const VexDate& a, const VexDate& b);

// Observation index of date in a series starting at start: -1 different frequencies,
// -2 before the start. Prints the validation message of an invalid date first.
int16_t indexFrom(const VexDate& date, const VexDate& start);

// Moves the date one period on; returns its previous value.
VexDate advance(VexDate& date);

// The date's label ("95", "1995.3", "95.012"); yearFormat 0 shows the short year.
// Writes into buffer (at least 16 characters) and returns it; an unknown frequency
// leaves the buffer as it was.
char* format(const VexDate& date, char* buffer, int yearFormat);
// The same label as a string; empty for an unknown frequency.
std::string format(const VexDate& date, int yearFormat);

// The year rule: below 25 -> 20xx, 25..1899 -> +1900, from 1900 on unchanged.
int applyYearRule(int year);

}  // namespace tabrix

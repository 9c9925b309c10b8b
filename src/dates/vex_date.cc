#include "dates/vex_date.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/console.h"

namespace tabrix {

namespace {

constexpr const char* kBadYear = "Year doesn't look right: %d.\n";
constexpr const char* kBadFrequency = "Frequency must be 1, 4, or 12.\n";
constexpr const char* kBadPeriod = "Period must be >= 1, <= freq.\n";
constexpr const char* kBadTextPeriod = "Error in Date: %s.  Invalid period.\n";
constexpr const char* kMixedFrequencies =
    "Two dates of different frequencies cannot be compared.\n";

// Fields are 16-bit; wider intermediate results saturate instead of wrapping.
int16_t clamp16(long long value) {
  if (value > INT16_MAX) return INT16_MAX;
  if (value < INT16_MIN) return INT16_MIN;
  return static_cast<int16_t>(value);
}

// The decimal digits at the start of text (0 when it starts with anything else).
// Long digit runs stop growing at INT16_MAX, so no date field can overflow.
int leadingInteger(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > INT16_MAX) value = INT16_MAX;
  }
  return value;
}

// Prints the message for the first thing wrong with the fields; true when they are usable.
bool validate(int year, int period, int frequency) {
  if ((year >= 200 && year <= 1899) || year < 0 || year > INT16_MAX) {
    console().printf(kBadYear, year);
    return false;
  }
  if (frequency != 1 && frequency != 4 && frequency != 12) {
    console().printf("%s", kBadFrequency);
    return false;
  }
  if (period < 1 || period > frequency) {
    console().printf("%s", kBadPeriod);
    return false;
  }
  return true;
}

}  // namespace

int applyYearRule(int year) {
  if (year < 25) return year >= INT_MIN + 2000 ? year + 2000 : INT_MIN;
  if (year < 1900) return year + 1900;
  return year;
}

VexDate::VexDate(int year, int period, int frequency) { set(year, period, frequency); }

VexDate::VexDate(std::string_view text) { setFromText(text); }

VexDate::VexDate(float number) { setFromNumber(number); }

void VexDate::set(int year, int period, int frequency) {
  if (!validate(year, period, frequency)) return;
  this->year = clamp16(applyYearRule(year));
  this->period = static_cast<int16_t>(period);
  this->frequency = static_cast<int16_t>(frequency);
}

void VexDate::setFromText(std::string_view text) {
  // The text is a fixed-capacity field: only its first 19 characters (up to a
  // terminator) count.
  text = text.substr(0, DateTextCapacity);
  text = text.substr(0, text.find('\0'));

  size_t dot = text.find('.');
  if (dot == std::string_view::npos) {
    year = clamp16(applyYearRule(leadingInteger(text)));
    period = 1;
    frequency = 1;
    return;
  }
  year = clamp16(applyYearRule(leadingInteger(text.substr(0, dot))));
  std::string_view fraction = text.substr(dot + 1);
  int value = leadingInteger(fraction);
  if (value == 0) {
    period = 1;
    frequency = 1;
    return;
  }
  // The number of digits written after the dot says the frequency; the period itself
  // is not checked against it (95.7 is quarter 7).
  period = static_cast<int16_t>(value);
  if (fraction.size() == 1) {
    frequency = 4;
  } else if (fraction.size() == 3) {
    frequency = 12;
  } else {
    std::string whole(text);
    console().printf(kBadTextPeriod, whole.c_str());
  }
}

void VexDate::setFromNumber(float number) {
  // Only numbers whose whole part can be a 16-bit year are dates; anything else
  // (NaN, infinities, negative or huge values) would make the arithmetic below
  // undefined, so it leaves the date as it was.
  if (!std::isfinite(number) || number < 0.0f || number >= 32768.0f) return;

  // The first three decimals, rounded up by half a unit of the third so that
  // 1995.1 stored as 1995.09997... still reads as .100.
  float a = number + 0.0005f;
  int whole = static_cast<int>(a);
  int e = static_cast<int>(a * 1000.0f) - whole * 1000;

  year = clamp16(applyYearRule(static_cast<int>(number)));
  frequency = 1;
  period = 1;
  if (e >= 1 && e <= 13) {
    frequency = 12;
    period = static_cast<int16_t>(e);
  } else if (e >= 14 && e <= 449) {
    frequency = 4;
    period = static_cast<int16_t>(e / 100);
  } else if (e >= 451) {
    frequency = 2;
    period = static_cast<int16_t>((e - 400) / 100);
  }
}

int16_t before(const VexDate& a, const VexDate& b) {
  if (a.year < b.year) return 1;
  if (a.year > b.year) return 0;
  if (a.frequency != b.frequency) {
    console().printf("%s", kMixedFrequencies);
    return -1;
  }
  return a.period < b.period ? 1 : 0;
}

int16_t notAfter(const VexDate& a, const VexDate& b) {
  if (a.year < b.year) return 1;
  if (a.year > b.year) return 0;
  if (a.frequency != b.frequency) {
    console().printf("%s", kMixedFrequencies);
    return -1;
  }
  return a.period <= b.period ? 1 : 0;
}

int16_t after(const VexDate& a, const VexDate& b) {
  if (a.year > b.year) return 1;
  if (a.year < b.year) return 0;
  if (a.frequency != b.frequency) {
    console().printf("%s", kMixedFrequencies);
    return -1;
  }
  return a.period > b.period ? 1 : 0;
}

int16_t periodsBetween(const VexDate& a, const VexDate& b) {
  if (a.frequency != b.frequency) return -1;
  return clamp16(static_cast<long long>(a.year - b.year) * a.frequency + a.period - b.period);
}

int16_t indexFrom(const VexDate& date, const VexDate& start) {
  // Only the messages matter here: an invalid date is still placed by its own fields.
  validate(date.year, date.period, date.frequency);
  if (date.frequency != start.frequency) return -1;
  if (after(start, date) == 1) return -2;
  return clamp16(static_cast<long long>(date.year - start.year) * date.frequency +
                 date.period - start.period);
}

VexDate advance(VexDate& date) {
  VexDate previous = date;
  int next = date.period + 1;
  if (next > date.frequency) {
    date.period = 1;
    if (date.year < INT16_MAX) ++date.year;
  } else {
    date.period = static_cast<int16_t>(next);
  }
  return previous;
}

char* format(const VexDate& date, char* buffer, int yearFormat) {
  if (buffer == nullptr) return buffer;
  int shown = date.year;
  if (yearFormat == 0) shown = date.year <= 2000 ? date.year - 1900 : date.year - 2000;

  // Built in a roomy local buffer, then copied with a cut at the label capacity, so no
  // field values can write past a caller's 16 characters.
  char label[48];
  switch (date.frequency) {
    case 1:
      std::snprintf(label, sizeof label, "%d", shown);
      break;
    case 4:
      std::snprintf(label, sizeof label, "%d.%d", shown, static_cast<int>(date.period));
      break;
    case 12:
      std::snprintf(label, sizeof label, "%d.%03d", shown, static_cast<int>(date.period));
      break;
    default:
      return buffer;
  }
  size_t length = std::strlen(label);
  const size_t limit = DateLabelCapacity - 1;
  if (length > limit) length = limit;
  std::memcpy(buffer, label, length);
  buffer[length] = '\0';
  return buffer;
}

std::string format(const VexDate& date, int yearFormat) {
  char buffer[DateLabelCapacity] = "";
  return format(date, buffer, yearFormat);
}

}  // namespace tabrix

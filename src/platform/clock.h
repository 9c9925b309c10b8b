// The clock of the files Tabrix writes. When SOURCE_DATE_EPOCH holds a time (seconds
// since 1970-01-01 UTC, digits only), every time written into a file is that time, so
// the same inputs give the same files; otherwise it is the current time.
#pragma once

#include <ctime>
#include <optional>

namespace tabrix {

// The time of SOURCE_DATE_EPOCH, or nothing when it is not set or holds no time.
std::optional<std::time_t> sourceDateEpoch();

// The time to write into files: SOURCE_DATE_EPOCH's, else the current time.
std::time_t fileTime();

// The calendar form of fileTime() for texts in files: UTC under SOURCE_DATE_EPOCH (so
// the text does not depend on the time zone), else local time.
std::tm fileCalendarTime();

}  // namespace tabrix

#include "platform/clock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tabrix {

std::optional<std::time_t> sourceDateEpoch() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (text == nullptr || *text == '\0' || std::strspn(text, "0123456789") != std::strlen(text)) {
    return std::nullopt;
  }
  errno = 0;
  char* end = nullptr;
  const unsigned long long seconds = std::strtoull(text, &end, 10);
  // Beyond what the calendar functions can turn into a date (year 9999).
  if (errno != 0 || seconds > 253402300799ULL) return std::nullopt;
  return static_cast<std::time_t>(seconds);
}

std::time_t fileTime() {
  if (std::optional<std::time_t> epoch = sourceDateEpoch()) return *epoch;
  return std::time(nullptr);
}

std::tm fileCalendarTime() {
  std::tm calendar{};
  if (std::optional<std::time_t> epoch = sourceDateEpoch()) {
    gmtime_r(&*epoch, &calendar);
  } else {
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &calendar);
  }
  return calendar;
}

}  // namespace tabrix

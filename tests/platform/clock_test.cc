#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace tabrix {
namespace {

// Sets SOURCE_DATE_EPOCH (or unsets it, for nullptr) for the life of the object.
class ScopedEpoch {
 public:
  explicit ScopedEpoch(const char* value) {
    if (const char* old = std::getenv("SOURCE_DATE_EPOCH")) saved_ = old;
    if (value == nullptr) {
      ::unsetenv("SOURCE_DATE_EPOCH");
    } else {
      ::setenv("SOURCE_DATE_EPOCH", value, 1);
    }
  }
  ~ScopedEpoch() {
    if (saved_) {
      ::setenv("SOURCE_DATE_EPOCH", saved_->c_str(), 1);
    } else {
      ::unsetenv("SOURCE_DATE_EPOCH");
    }
  }

 private:
  std::optional<std::string> saved_;
};

TEST(ClockTest, SourceDateEpochFixesTheTimeOfFiles) {
  struct Case {
    const char* value;
    std::optional<std::time_t> epoch;
  };
  const Case cases[] = {
      {"1700000000", 1700000000},
      {"0", 0},
      {nullptr, std::nullopt},
      {"", std::nullopt},
      {"17e8", std::nullopt},
      {"-5", std::nullopt},
      {" 1700000000", std::nullopt},
      {"99999999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value == nullptr ? "(unset)" : c.value);
    ScopedEpoch epoch(c.value);
    EXPECT_EQ(sourceDateEpoch(), c.epoch);
    const std::time_t before = std::time(nullptr);
    const std::time_t time = fileTime();
    if (c.epoch) {
      EXPECT_EQ(time, *c.epoch);
    } else {
      EXPECT_GE(time, before);
      EXPECT_LE(time, std::time(nullptr));
    }
  }
}

TEST(ClockTest, CalendarTimeIsUtcUnderSourceDateEpoch) {
  ScopedEpoch epoch("1700000000");
  const char* zone = std::getenv("TZ");
  const std::string savedZone = zone != nullptr ? zone : "";
  ::setenv("TZ", "Pacific/Auckland", 1);
  ::tzset();
  const std::tm calendar = fileCalendarTime();
  if (zone != nullptr) {
    ::setenv("TZ", savedZone.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
  EXPECT_EQ(calendar.tm_year, 123);
  EXPECT_EQ(calendar.tm_mon, 10);
  EXPECT_EQ(calendar.tm_mday, 14);
  EXPECT_EQ(calendar.tm_hour, 22);
  EXPECT_EQ(calendar.tm_min, 13);
}

}  // namespace
}  // namespace tabrix

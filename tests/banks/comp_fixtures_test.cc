// Hand-made damaged compressed banks (tests/data/banks/comp_*, written by
// comp_hash_make_fixtures.py): refused at open, or open with the damaged series
// refused one by one, and never read past their bytes.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "banks/comp_bank.h"
#include "platform/console.h"
#include "record_bank_fixtures.h"
#include "support/constants.h"

namespace tabrix {
namespace {

using testing::damaged;
using testing::fixture;
using testing::openFailure;

TEST(CompBankFixtures, DamagedBanksAreRefusedAtOpen) {
  struct Case {
    const char* root;
    const char* file;
    const char* reason;  // nullptr: only "Cannot open"
  };
  const Case cases[] = {
      {"comp_short_header", "cbk", nullptr},
      {"comp_table_outside", "cbk", "the offset table lies outside the file"},
      {"comp_count_too_large", "cbk", "the offset table lies outside the file"},
      {"comp_name_area_short", "cin", "the name area runs past the end of the file"},
      {"comp_name_area_too_large", "cin", "the name area size is out of range"},
  };
  for (const Case& c : cases) {
    const std::string root = fixture(c.root);
    const std::string file = root + "." + c.file;
    ConsoleCapture capture;
    CompBank bank(root);
    EXPECT_FALSE(bank.isOpen()) << c.root;
    EXPECT_EQ(capture.take(), c.reason ? damaged(file, c.reason) : openFailure(file)) << c.root;
  }
}

TEST(CompBankFixtures, DamagedSeriesAreRefusedOneByOne) {
  const std::string root = fixture("comp_bad_records");
  ConsoleCapture capture;
  CompBank bank(root);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  EXPECT_EQ(capture.take(), "Warning: .cin file does not match .cbk file.\n");
  struct Case {
    const char* name;
    std::string printed;
  };
  const std::string in = " in " + root + ".cbk cannot be read: ";
  const Case cases[] = {
      {"OUTSIDE", "\r\nSeries OUTSIDE" + in + "record offset outside the data file.\r\n"},
      {"SHIFT", "\r\nSeries SHIFT" + in + "shift of 15.\r\n"},
      {"YEAR", "Year doesn't look right: 230.\n\r\nSeries YEAR" + in + "invalid start date.\r\n"},
      {"PERIOD", "Period must be >= 1, <= freq.\n\r\nSeries PERIOD" + in + "invalid start date.\r\n"},
      {"OVERFLOW", "\r\nSeries OVERFLOW" + in + "packed values overflow.\r\n"},
      {"LONG", "\r\nSeries LONG" + in + "record runs past the end of the file.\r\n"},
  };
  std::array<float, MaxObs> values;
  for (const Case& c : cases) {
    EXPECT_EQ(bank.readSeries(c.name, values, -1), -1) << c.name;
    EXPECT_EQ(capture.take(), c.printed) << c.name;
  }
  ASSERT_EQ(bank.readSeries("GOOD", values, -1), 0);
  EXPECT_EQ(values[75], 1.5f);
  EXPECT_EQ(values[76], 2.5f);
  EXPECT_EQ(bank.seriesLength(), 77);
}

}  // namespace
}  // namespace tabrix

// Hand-made damaged hashed banks (tests/data/banks/hash_*, written by
// comp_hash_make_fixtures.py): refused at open, or open with the damaged series
// refused one by one, and never read past their bytes.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "banks/hash_bank.h"
#include "platform/console.h"
#include "record_bank_fixtures.h"
#include "support/constants.h"

namespace tabrix {
namespace {

using testing::damaged;
using testing::fixture;

TEST(HashBankFixtures, DamagedBanksAreRefusedAtOpen) {
  struct Case {
    const char* root;
    const char* reason;
  };
  const Case cases[] = {
      {"hash_no_buckets", "it has no buckets"},
      {"hash_block_outside", "a bucket block runs past the end of the file"},
      {"hash_arrays_short", "the bucket arrays run past the end of the file"},
  };
  for (const Case& c : cases) {
    const std::string file = fixture(c.root) + ".hin";
    ConsoleCapture capture;
    HashBank bank(fixture(c.root));
    EXPECT_FALSE(bank.isOpen()) << c.root;
    EXPECT_EQ(capture.take(), damaged(file, c.reason)) << c.root;
  }
}

TEST(HashBankFixtures, DamagedSeriesAreRefusedOneByOne) {
  const std::string root = fixture("hash_bad_records");
  ConsoleCapture capture;
  HashBank bank(root);
  ASSERT_TRUE(bank.isOpen()) << capture.text();
  // The data file says 70000 series (4464 on 16 bits), the index 5.
  EXPECT_EQ(capture.take(),
            "Warning: .hin file does not match .hbk file.\nWarning: # of series set to # in .hin file!\n");
  EXPECT_EQ(bank.totalSeries(), 5);
  struct Case {
    const char* name;
    std::string printed;
  };
  const std::string in = " in " + root + ".hbk cannot be read: ";
  const Case cases[] = {
      {"OUTSIDE", "\r\nSeries OUTSIDE" + in + "record offset outside the data file.\r\n"},
      {"SHIFT", "\r\nSeries SHIFT" + in + "shift of 15.\r\n"},
      {"YEAR", "Year doesn't look right: 230.\n\r\nSeries YEAR" + in + "invalid start date.\r\n"},
      {"LONG", "\r\nSeries LONG" + in + "record runs past the end of the file.\r\n"},
  };
  std::array<float, MaxObs> values;
  for (const Case& c : cases) {
    EXPECT_EQ(bank.readSeries(c.name, values, -1), -1) << c.name;
    EXPECT_EQ(capture.take(), c.printed) << c.name;
  }
  ASSERT_EQ(bank.readSeries("\xE9t\xE9", values, -1), 0);
  EXPECT_EQ(values[75], 1.5f);
  EXPECT_EQ(bank.seriesLength(), 77);
}

}  // namespace
}  // namespace tabrix

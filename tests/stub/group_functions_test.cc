// @csum and the chain functions run as table lines of a stub: their group definitions
// read by the run's own group store (groups.bin in the test's directory), and the chain
// indexes stored in scratch banks that the chain itself makes when no \f has. Expected
// values are worked out by hand, beside each check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/ranges.h"
#include "groups/group_home.h"
#include "stub/interpreter.h"
#include "stub/run_state.h"
#include "table/table_line.h"
#include "work_dir_fixture.h"

namespace tabrix {
namespace {

using testing::FixtureSeries;

class GroupFunctionTest : public testing::WorkDirTest {
 protected:
  ~GroupFunctionTest() override { chainRange() = ChainRange{}; }

  // The first n values alternative k's line showed.
  std::vector<float> shown(int k, int n = 3) const {
    const std::vector<float>& values = table.values[static_cast<size_t>(k)];
    return std::vector<float>(values.begin(), values.begin() + n);
  }

  // x1, x3, x5 hold 10k + i (there is no x2), and the two goods of the chain from 1990:
  // quantities q1 1 1 4, q2 1 4 1; prices p1 1 4 1, p2 1 1 4 (times `scale` for the
  // quantities).
  void addAlternative(const std::string& title, float scale) {
    auto member = [](int k) { return [k](int i) { return static_cast<float>(10 * k + i); }; };
    auto first3 = [](std::vector<float> v, float by) {
      return [v, by](int i) { return i < 3 ? v[static_cast<size_t>(i)] * by : 1.0f; };
    };
    addBank(title, {{"x1", 1, member(1)},
                    {"x3", 1, member(3)},
                    {"x5", 1, member(5)},
                    {"q1", 1, first3({1, 1, 4}, scale)},
                    {"q2", 1, first3({1, 4, 1}, scale)},
                    {"p1", 1, first3({1, 4, 1}, 1.0f)},
                    {"p2", 1, first3({1, 1, 4}, 1.0f)}});
    table.altStart[static_cast<size_t>(run.bankCount - 1)] = VexDate(1990, 1, 1);
  }
};

TEST_F(GroupFunctionTest, CsumAddsTheMembersOfANamedGroupAndSkipsAMissingOne) {
  addAlternative("Base", 1.0f);
  // The group east is 1, 2, 3, 5; x2 does not exist: x1 + x3 + x5 = 90 + 3i.
  EXPECT_EQ(runStub("\\group east\n1-3, 5\n\\dates 1990 1992\n@csum(x, :east); East\n"
                    "@csum(x, 5, 1); Five and one\n@csum(x, 1-3, (2))[1]; Lagged\n"),
            InterpretEnd);
  EXPECT_EQ(output, "x2 can't be found \r\n");
  ASSERT_TRUE(run.groups);
  EXPECT_EQ(run.groups->groupSize("east"), 4);
  // The lines shown last: x1 + x3 = 40 + 2i lagged one year.
  EXPECT_EQ(shown(0), (std::vector<float>{0.0f, 40.0f, 42.0f}));
  // At 1990 and 1992: East 10 + 30 + 50 = 90 and 12 + 32 + 52 = 96; x5 + x1 is 50 + 10
  // and 52 + 12; the lagged line is 0.0 at 1990 and x1 + x3 of 1991 = 11 + 31 at 1992.
  const std::string text = table.out.text();
  EXPECT_NE(text.find(" East                              90.0   96.0\n"
                      " Five and one                      60.0   64.0\n"
                      " Lagged                             0.0   42.0\n"),
            std::string::npos)
      << text;
}

TEST_F(GroupFunctionTest, CsumSyntaxErrorsAreReportedPerAlternative) {
  addAlternative("Base", 1.0f);
  // A group of @csum spans at most 500 numbers: from 101, up to 600.
  EXPECT_EQ(runStub("\\dates 1990\n@csum(x 1); Bad\n@csum(x, :nosuch); Unknown group\n"
                    "@csum(x, 101, 700); Too wide\n"),
            InterpretEnd);
  EXPECT_EQ(output,
            "Syntax error in @csum(name,groupdefn)\n(This is in bank 1.)  Continuing...\n"
            "\nReferenced group does not exist.Syntax error in @csum(name,groupdefn)\n"
            "(This is in bank 1.)  Continuing...\n"
            "\nNumber 700 is outside the group's range (0 to 600).Syntax error in "
            "@csum(name,groupdefn)\n(This is in bank 1.)  Continuing...\n");
}

TEST_F(GroupFunctionTest, ChainsStoreTheirIndexesInScratchBanksTheyMake) {
  addAlternative("Base", 1.0f);
  addAlternative("Twice the quantities", 2.0f);
  ASSERT_FALSE(run.scratchMade);
  // By hand (see the expression tests): links 2 and 1 for both indexes; with the base
  // 1991 PI = 0.5, 1, 1 and QI = (q1 + q2 at 1991) x (1, 2, 2) / 2: 5 / 2 x (1, 2, 2)
  // in the base, twice that with twice the quantities.
  EXPECT_EQ(runStub("\\chainrange 1990 1992\n\\dates 1990 1992\n"
                    "@qchain(q(1-2), p(1-2), 1991); Real\nchwpi; Deflator\n"),
            InterpretEnd);
  EXPECT_EQ(output, "");
  ASSERT_TRUE(run.scratchMade);
  EXPECT_EQ(shown(0), (std::vector<float>{0.5f, 1.0f, 1.0f}));
  EXPECT_EQ(shown(1), (std::vector<float>{0.5f, 1.0f, 1.0f}));
  // Outside the range the stored indexes hold 0.0.
  int16_t frequency = 0;
  EXPECT_EQ(scratchSeries(0, "chwqi", &frequency),
            (std::vector<float>{2.5f, 5.0f, 5.0f, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(frequency, 1);
  EXPECT_EQ(scratchSeries(1, "chwqi"), (std::vector<float>{5.0f, 10.0f, 10.0f, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(scratchSeries(1, "chwpi"), (std::vector<float>{0.5f, 1.0f, 1.0f, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(GroupFunctionTest, ChainRefusalsAreReportedPerAlternative) {
  addAlternative("Base", 1.0f);
  EXPECT_EQ(runStub("\\dates 1990\n@qchain(q1, q2, p1, p2); Unset\n\\chainrange 1990 1992\n"
                    "@pchain(q(1-2), p1); Odd\n@pchain(q1, p1, 1995); Late base\n"),
            InterpretEnd);
  EXPECT_EQ(output,
            "Error in @chain function: no chain range is set; give one with \\chainrange first "
            "last.\r\n(This is in bank 1.)  Continuing...\n"
            "Error in @chain function: Odd number of series: 3.\r\n"
            "(This is in bank 1.)  Continuing...\n"
            "Error in @chain function: the base date 1995 lies outside the chain range.\r\n"
            "(This is in bank 1.)  Continuing...\n");
  EXPECT_FALSE(run.scratchMade);  // nothing was stored
}

}  // namespace
}  // namespace tabrix

// The functions over groups and lists of series: @csum and the Fisher chain indexes
// @qchain and @pchain. The group definitions are read by a small stand-in for the run's
// group store; the chains' expected values were worked out by hand (see each case).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "banks/workspace_bank.h"
#include "expr/function_hooks.h"
#include "expr/ranges.h"
#include "function_fixture.h"
#include "reader/chopper.h"

namespace tabrix {
namespace {

using testing::FunctionTest;
using testing::kObs;
using testing::Series;
using testing::seriesBy;
using testing::seriesOf;

// A stand-in for the group store: numbers and ranges a-b joined by commas, ended by any
// other token (the ')' of the call, or a line end). The first number n gives the offset
// n - 1; the test's numbers never go below it.
class ListGroups final : public GroupDefinitionReader {
 public:
  int parseGroup(Chopper& reader, int limit, std::span<int16_t> marks, int& offset) override {
    const int size = std::min<int>(limit, static_cast<int>(marks.size()));
    std::fill(marks.begin(), marks.begin() + size, int16_t{0});
    offset = 0;
    bool first = true;
    int last = 0;
    auto mark = [&](int number) {
      if (first) offset = number - 1;
      first = false;
      if (number - offset >= 1 && number - offset < size) marks[static_cast<size_t>(number - offset)] = 1;
    };
    for (int type = reader.nextToken();; type = reader.nextToken()) {
      if (type == token::kNumber) {
        last = reader.tokenInteger();
        mark(last);
      } else if (type == '-' && reader.nextToken() == token::kNumber) {
        for (int v = last; v <= reader.tokenInteger(); ++v) mark(v);
        last = reader.tokenInteger();
      } else if (type != ',') {
        break;
      }
    }
    return static_cast<int>(std::count(marks.begin() + 1, marks.begin() + size, int16_t{1}));
  }
};

// --- @csum ------------------------------------------------------------------------

class CsumTest : public FunctionTest {
 protected:
  void SetUp() override {
    context.setGroupReader(&groups);
    // x1, x2, x4, x5 hold k * 10 + i; x3 does not exist; y7 is quarterly.
    auto member = [](int k) { return seriesBy([k](int i) { return static_cast<float>(10 * k + i); }); };
    makeBank({{"x1", {1, member(1)}},
              {"x2", {1, member(2)}},
              {"x4", {1, member(4)}},
              {"x5", {1, member(5)}},
              {"y6", {1, member(6)}},
              {"y7", {4, member(7)}}});
  }
  ListGroups groups;
};

TEST_F(CsumTest, SumsTheMembersOfTheGroupAndSkipsMissingOnes) {
  struct Case {
    const char* text;
    const char* output;
    std::function<double(int)> want;
  };
  const Case cases[] = {
      // x1 + x2 + x4: 70 + 3i; x3 is reported and left out.
      {"@csum(x, 1-4)", "x3 can't be found \r\n", [](int i) { return 70.0 + 3 * i; }},
      {"@csum(x, 1, 5)", "", [](int i) { return 60.0 + 2 * i; }},
      {"@csum(x, 2)", "", [](int i) { return 20.0 + i; }},
      {"2 * @csum(x, 4-5) + 1", "", [](int i) { return 2 * (90.0 + 2 * i) + 1; }},
      // No member exists: 0.0.
      {"@csum(z, 1-2)", "z1 can't be found \r\nz2 can't be found \r\n", [](int) { return 0.0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), EndedByLineEnd);
    EXPECT_EQ(output, c.output);
    expectSeries(c.want, kObs);
  }
  EXPECT_EQ(run("@csum(x, 1-2)"), EndedByLineEnd);
  EXPECT_EQ(frequency, 1);
}

TEST_F(CsumTest, ASuffixAfterTheCallAppliesOnceToTheSum) {
  // The sum x1 + x2 = 30 + 2i, lagged by 2: slots 0 and 1 are 0.0.
  EXPECT_EQ(run("@csum(x, 1-2)[2]"), EndedByLineEnd);
  EXPECT_EQ(output, "");
  expectSeries([](int i) { return i < 2 ? 0.0 : 30.0 + 2 * (i - 2); }, kObs);
  // At 1990 (observation 30): 30 + 60 = 90 in every slot.
  EXPECT_EQ(run("@csum(x, 1-2){1990}"), EndedByLineEnd);
  expectSeries([](int) { return 90.0; }, kObs);
  // No member found: 0.0, and the suffix is still read.
  EXPECT_EQ(run("@csum(z, 1){1990} + 1"), EndedByLineEnd);
  EXPECT_EQ(output, "z1 can't be found \r\n");
  expectSeries([](int) { return 1.0; }, kObs);
}

TEST_F(CsumTest, MalformedCallsAndMixedFrequenciesAreRefused) {
  const char* syntax = "Syntax error in @csum(name,groupdefn)\n";
  struct Case {
    const char* text;
    std::string message;
  };
  const Case cases[] = {
      {"@csum x", syntax},
      {"@csum(1, 2)", syntax},
      {"@csum(x 1)", syntax},
      {"@csum(x, 1-2", syntax},   // the definition ends with the line, not with ')'
      {"@csum(x, 1-2;", syntax},
      {"@csum(y, 6-7)", "\nFrequency conflict in expression.\n"},
      {"@csum(x, 1)[2", "Missing bracket. "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), -1);
    EXPECT_EQ(output, c.message);
  }
  context.setGroupReader(nullptr);
  EXPECT_EQ(run("@csum(x, 1)"), -1);
  EXPECT_EQ(output, "\n@csum: no group store is available to read the group.\n");
}

// --- @qchain and @pchain ------------------------------------------------------------

// Two goods over 1990 .. 1992 (observations 30 .. 32 of the bank from 1960):
//   quantities q1: 1 1 4   q2: 1 4 1     prices p1: 1 4 1   p2: 1 1 4
// Worked out by hand, with A = sum P(t-1) Q(t), H = sum P(t-1) Q(t-1), I = sum P(t)
// Q(t-1), F = sum P(t) Q(t):
//   1990 -> 1991: A = 5, H = 2, I = 5, F = 8: Laspeyres quantity 2.5, Paasche 1.6,
//                 Fisher sqrt(4) = 2; price likewise sqrt(2.5 * 1.6) = 2.
//   1991 -> 1992: A = 17, H = 8, I = 17, F = 8: Laspeyres 2.125, Paasche 8/17,
//                 Fisher 1, for both.
// So the chained indexes are QI = PI = 1, 2, 2 before the base is applied. With the
// base 1990: PI = 1, 2, 2 and QI x (q1 + q2 at 1990 = 2) = 2, 4, 4. With the base
// 1991: PI = 0.5, 1, 1 and QI x (5 / 2) = 2.5, 5, 5.
class ChainTest : public FunctionTest {
 protected:
  void SetUp() override {
    context.setGroupReader(&groups);
    chainRange() = ChainRange{VexDate(1990, 1, 1), VexDate(1992, 1, 1)};
    // Outside the range the series hold 9.0, which must not enter the chain.
    auto around = [](std::vector<float> values) {
      return seriesBy([values](int i) { return i >= 30 && i < 33 ? values[static_cast<size_t>(i - 30)] : 9.0f; });
    };
    makeBank({{"q1", {1, around({1, 1, 4})}},
              {"q2", {1, around({1, 4, 1})}},
              {"p1", {1, around({1, 4, 1})}},
              {"p2", {1, around({1, 1, 4})}},
              {"zero", {1, seriesBy([](int) { return 0.0f; })}},
              {"tiny", {1, around({1, 1e-8f, 1})}},
              {"one", {1, seriesBy([](int) { return 1.0f; })}},
              {"cut", {1, around({1, 0, 1})}},
              {"qq", {4, seriesBy([](int) { return 1.0f; })}}});
  }
  void TearDown() override {
    chainRange() = ChainRange{};
    FunctionTest::TearDown();
  }
  // The expected index: values at observations 30 .. 32, 0.0 elsewhere.
  static std::function<double(int)> at1990(double a, double b, double c) {
    return [=](int i) { return i == 30 ? a : i == 31 ? b : i == 32 ? c : 0.0; };
  }
  ListGroups groups;
};

TEST_F(ChainTest, TwoGoodFisherChainWorkedOutByHand) {
  struct Case {
    const char* text;
    std::function<double(int)> want;
  };
  const Case cases[] = {
      {"@qchain(q1, q2, p1, p2)", at1990(2, 4, 4)},
      {"@pchain(q1, q2, p1, p2)", at1990(1, 2, 2)},
      {"@qchain(q1, q2, p1, p2, 1991)", at1990(2.5, 5, 5)},
      {"@pchain(q1, q2, p1, p2, 1991)", at1990(0.5, 1, 1)},
      {"@qchain(q1, q2, p1, p2, 1990)", at1990(2, 4, 4)},  // the first date is the default
      {"@pchain(q(1-2), p(1, 2), 1991)", at1990(0.5, 1, 1)},
      {"@qchain(q(1-2),\n p1 p2)", at1990(2, 4, 4)},  // line ends and commas are skipped
      {"10 * @pchain(q1, q2, p1, p2)", at1990(10, 20, 20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), EndedByLineEnd);
    EXPECT_EQ(output, "");
    EXPECT_EQ(frequency, 1);
    expectSeries(c.want, MaxObs, 1e-6);
  }
}

TEST_F(ChainTest, AShorterRangeChainsOnlyItsOwnPeriods) {
  // 1991 .. 1992 alone: the one link of 1991 -> 1992 is 1 (above), so PI = 1, 1 and
  // QI = (q1 + q2 at 1991 = 5) x 1.
  chainRange() = ChainRange{VexDate(1991, 1, 1), VexDate(1992, 1, 1)};
  EXPECT_EQ(run("@qchain(q1, q2, p1, p2)"), EndedByLineEnd);
  expectSeries([](int i) { return i == 31 || i == 32 ? 5.0 : 0.0; }, MaxObs, 1e-6);
  EXPECT_EQ(run("@pchain(q1, q2, p1, p2)"), EndedByLineEnd);
  expectSeries([](int i) { return i == 31 || i == 32 ? 1.0 : 0.0; }, MaxObs, 1e-6);
}

TEST_F(ChainTest, BothIndexesAreStoredInTheScratchBank) {
  ConsoleCapture quiet;
  VexBank scratch(dir.file("tws0"), "New", 1960, kObs, 1);
  ASSERT_TRUE(scratch.isOpen());
  EXPECT_EQ(run("@pchain(q1, q2, p1, p2, 1991)", nullptr, &scratch), EndedByLineEnd);
  EXPECT_EQ(output, "");
  Series stored{};
  ASSERT_EQ(scratch.readSeries("chwqi", stored, -1), 0);
  EXPECT_EQ(scratch.frequency(), 1);
  EXPECT_NEAR(stored[30], 2.5, 1e-6);
  EXPECT_NEAR(stored[31], 5.0, 1e-6);
  EXPECT_NEAR(stored[32], 5.0, 1e-6);
  ASSERT_EQ(scratch.readSeries("chwpi", stored, -1), 0);
  EXPECT_NEAR(stored[30], 0.5, 1e-6);
  EXPECT_NEAR(stored[31], 1.0, 1e-6);
  EXPECT_NEAR(stored[32], 1.0, 1e-6);
  // A later expression finds them there before the bank.
  EXPECT_EQ(run("chwqi", nullptr, &scratch), EndedByLineEnd);
  expectSeries(at1990(2.5, 5, 5), MaxObs, 1e-6);
}

TEST_F(ChainTest, AFailedStoreIsReportedNamingTheFile) {
  ConsoleCapture quiet;
  {
    VexBank made(dir.file("readonly"), "New", 1960, kObs, 1);
  }
  VexBank opened(dir.file("readonly"));  // opened for reading: writes are refused
  ASSERT_TRUE(opened.isOpen());
  EXPECT_EQ(run("@qchain(q1, q2, p1, p2)", nullptr, &opened), EndedByLineEnd);
  const std::string file = opened.dataFileName();
  EXPECT_NE(output.find("Error in chain function: chwqi could not be stored in " + file + ".\r\n"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("Error in chain function: chwpi could not be stored in " + file + ".\r\n"),
            std::string::npos)
      << output;
  expectSeries(at1990(2, 4, 4), MaxObs, 1e-6);  // the result itself stands
}

TEST_F(ChainTest, BadListsAndRangesAreRefused) {
  const std::string chainError = "Error in chain function!\r\n";
  std::string many = "@qchain(";
  for (int i = 0; i < 201; ++i) many += "q1, ";
  many += ")";
  struct Case {
    const char* note;
    std::string text;
    std::string message;
    ChainRange range = ChainRange{VexDate(1990, 1, 1), VexDate(1992, 1, 1)};
  };
  const Case cases[] = {
      {"odd", "@qchain(q1, q2, p1)", "Error in @chain function: Odd number of series: 3.\r\n"},
      {"odd group", "@pchain(q(1-2), p1)", "Error in @chain function: Odd number of series: 3.\r\n"},
      {"empty", "@qchain()", "Error in @chain function: no series are listed.\r\n"},
      {"empty with base", "@qchain(1990)", "Error in @chain function: no series are listed.\r\n"},
      {"no (", "@qchain q1", chainError},
      {"after the base", "@qchain(q1, p1, 1990, p2)", chainError},
      {"unclosed", "@qchain(q1, p1", chainError},
      {"unclosed group", "@qchain(q(1-2", chainError},
      {"other token", "@qchain(q1; p1)", chainError},
      {"too many", many, "Error in @chain function: more than 100 pairs of series.\r\n"},
      {"missing", "@qchain(q1, nosuch, p1, p2)", "nosuch can't be found \r\n" + chainError},
      {"unset", "@qchain(q1, p1)",
       "Error in @chain function: no chain range is set; give one with \\chainrange first last.\r\n",
       ChainRange{}},
      {"frequency", "@qchain(qq, one)",
       "Error in @chain function: qq has frequency 4, the chain range frequency 1.\r\n"},
      {"quarterly range", "@qchain(q1, p1)",
       "Error in @chain function: q1 has frequency 1, the chain range frequency 4.\r\n",
       ChainRange{VexDate(1960, 1, 4), VexDate(1960, 3, 4)}},
      {"before", "@qchain(q1, p1)",
       "Error in @chain function: the chain range lies outside the series' observations.\r\n",
       ChainRange{VexDate(1958, 1, 1), VexDate(1961, 1, 1)}},
      {"after", "@qchain(q1, p1)",
       "Error in @chain function: the chain range lies outside the series' observations.\r\n",
       ChainRange{VexDate(2018, 1, 1), VexDate(2020, 1, 1)}},
      {"backwards", "@qchain(q1, p1)",
       "Error in @chain function: the chain range lies outside the series' observations.\r\n",
       ChainRange{VexDate(1992, 1, 1), VexDate(1990, 1, 1)}},
      {"base before", "@qchain(q1, p1, 1989)",
       "Error in @chain function: the base date 1989 lies outside the chain range.\r\n"},
      {"base after", "@qchain(q1, p1, 1993)",
       "Error in @chain function: the base date 1993 lies outside the chain range.\r\n"},
      {"base quarterly", "@qchain(q1, p1, 1991.2)",
       "Error in @chain function: the base date 1991.2 lies outside the chain range.\r\n"},
      // Quantities of 0 at 1990: H = 0, so no link from 1990 to 1991.
      {"zero sums", "@qchain(zero, p1)",
       "Error in @chain function: no Fisher link from 1990 to 1991 (a value sum is zero or a "
       "link is negative).\r\n"},
      // Quantities (1, 1) then (1, 0), prices (1, 1) then (0, 1): A = 1, H = 2, I = 1,
      // F = 0, so both indexes are 0 at 1991.
      {"zero price index", "@pchain(one, cut, cut, one, 1991)",
       "Error, price is zero in base year!\r\n" + chainError,
       ChainRange{VexDate(1990, 1, 1), VexDate(1991, 1, 1)}},
      // Quantities falling to 1e-8 of themselves, prices steady: QI = 1e-8 at 1991.
      {"zero quantity index", "@qchain(tiny, one, 1991)",
       "Error, quantity is zero in base year!\r\n" + chainError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.note) + ": " + c.text);
    chainRange() = c.range;
    EXPECT_EQ(run(c.text), -1);
    EXPECT_EQ(output, c.message);
  }
  // A list refused in the middle leaves no token behind for the next expression.
  EXPECT_EQ(run(many), -1);
  EXPECT_EQ(run("q1"), EndedByLineEnd);
  EXPECT_EQ(output, "");
}

}  // namespace
}  // namespace tabrix

// Frequency conversions: averaging and end-of-period conversions to a lower frequency,
// cubic interpolation to a higher one, and @atoqi. The expected series are closed
// formulas worked out by hand in the comments; interpolated values are compared to a
// relative 1e-5 (the weights are single precision).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "banks/comp_bank.h"
#include "banks/comp_bank_writer.h"
#include "dates/vex_date.h"
#include "function_fixture.h"

namespace tabrix {
namespace {

using testing::FunctionTest;
using testing::kObs;
using testing::Series;
using testing::seriesBy;
using testing::seriesOf;

constexpr double kTolerance = 1e-5;

// Flows a + b i for the periods from..to, 0.0 elsewhere.
Series linear(float a, float b, int from, int to) {
  return seriesBy([=](int i) { return i >= from && i <= to ? a + b * static_cast<float>(i) : 0.0f; });
}

// A curved series 100 + 3i + i^2/2 over 0..9.
float curved(int i) { return 100.0f + 3.0f * i + 0.5f * static_cast<float>(i * i); }

// A quarterly indicator without zeros: a trend with a seasonal pattern, 48 quarters.
float indicator(int j) { return 10.0f + 0.3f * j + (j % 4 == 1 ? 2.0f : 0.0f) - (j % 4 == 3 ? 1.5f : 0.0f); }

class ConversionTest : public FunctionTest {
 protected:
  void SetUp() override {
    makeBank({{"q10", {4, seriesBy([](int i) { return 10.0f + static_cast<float>(i * i); }, 10)}},
              {"m9", {12, seriesBy([](int i) { return 1.0f + 2.0f * i; }, 9)}},
              {"late", {4, seriesBy([](int i) { return i < 2 ? 0.0f : 1.0f + i; }, 11)}},
              {"const", {1, seriesBy([](int) { return 7.0f; }, 10)}},
              {"lin", {1, linear(5.0f, 2.0f, 0, 9)}},
              {"linlate", {1, linear(5.0f, 2.0f, 3, 9)}},
              {"curved", {1, seriesBy(curved, 10)}},
              {"two", {1, seriesOf({4, 6})}},
              {"three", {1, seriesOf({4, 6, 8})}},
              {"a", {1, seriesBy([](int i) { return 1.0f + i; })}},
              {"ind", {4, seriesBy(indicator, 48)}},
              {"ones", {4, seriesBy([](int) { return 1.0f; }, 48)}}});
  }
};

// --- To a lower frequency -------------------------------------------------------

TEST_F(ConversionTest, LowerFrequenciesByGroupsFromObservationZero) {
  auto q = [](int i) { return 10.0 + i * i; };  // q10's ten quarters
  auto m = [](int i) { return 1.0 + 2 * i; };    // m9's nine months
  struct Case {
    const char* text;
    int16_t frequency;
    int groups;  // whole groups; every later slot is 0.0
    std::function<double(int)> want;
  };
  const Case cases[] = {
      // Ten quarters: two whole years, the two quarters left over become 0.0.
      {"@qtoa(q10)", 1, 2, [&](int j) { return (q(4 * j) + q(4 * j + 1) + q(4 * j + 2) + q(4 * j + 3)) / 4; }},
      {"@qtoae(q10)", 1, 2, [&](int j) { return q(4 * j + 3); }},
      {"@qtos(q10)", 2, 5, [&](int j) { return (q(2 * j) + q(2 * j + 1)) / 2; }},
      {"@mtoq(m9)", 4, 3, [&](int j) { return (m(3 * j) + m(3 * j + 1) + m(3 * j + 2)) / 3; }},
      {"@mtoqe(m9)", 4, 3, [&](int j) { return m(3 * j + 2); }},
      // Leading zeros count in the groups: quarters 0 and 1 are 0.0, 2 .. 10 hold i + 1.
      {"@qtoa(late)", 1, 2, [](int j) { return j == 0 ? (3 + 4) / 4.0 : (5 + 6 + 7 + 8) / 4.0; }},
      {"@qtoa(0 * q10)", 1, 0, [](int) { return 0.0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), EndedByLineEnd);
    EXPECT_EQ(output, "");
    EXPECT_EQ(frequency, c.frequency);
    expectSeries(c.want, c.groups);
  }
}

TEST_F(ConversionTest, ConversionsGiveTheirFrequencyToTheExpression) {
  EXPECT_EQ(run("@qtoa(q10) + a"), EndedByLineEnd);
  EXPECT_EQ(frequency, 1);
  EXPECT_EQ(run("@qtoa(q10) + q10"), -1);
  EXPECT_EQ(output, "\nFrequency conflict in expression.\n");
  EXPECT_EQ(run("@atoq(lin) + q10"), EndedByLineEnd);
  EXPECT_EQ(frequency, 4);
}

// --- To a higher frequency ------------------------------------------------------

TEST_F(ConversionTest, FlowFormsAverageBackToTheOldValues) {
  // The cumulated flows of a + b i are the quadratic G(u) = a u + b u (u - 1) / 2, which
  // the cubic reproduces; so sub-period q of period i is k (G(i + (q+1)/k) - G(i + q/k))
  // = a + b (i + q/k - (k - 1) / (2k)).
  struct Case {
    const char* text;
    int k;
    int16_t frequency;
    int from;  // first low-frequency period with a value
  };
  const Case cases[] = {
      {"@atoq(lin)", 4, 4, 0}, {"@atoq(linlate)", 4, 4, 3}, {"@qtom(lin)", 3, 12, 0},
      {"@qtom(linlate)", 3, 12, 3}, {"@stoq(lin)", 2, 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), EndedByLineEnd);
    EXPECT_EQ(output, "");
    EXPECT_EQ(frequency, c.frequency);
    const int k = c.k;
    const int from = c.from;
    expectSeries([&](int j) {
      const int i = j / k;
      const int q = j % k;
      if (i < from || i > 9) return 0.0;
      return 5.0 + 2.0 * (i + static_cast<double>(q) / k - (k - 1) / (2.0 * k));
    }, kObs, kTolerance);
  }
}

TEST_F(ConversionTest, EndFormsPlaceEachValueAtTheLastSubPeriod) {
  // Linear values are reproduced: sub-period ik + k - 1 + q holds x[i] + b q / k, from
  // the end of the first period (3 or 2) to the end of the last (4 x 9 + 3 or 3 x 9 + 2).
  struct Case {
    const char* text;
    int k;
    int16_t frequency;
    int from;
  };
  const Case cases[] = {{"@atoqe(lin)", 4, 4, 0}, {"@atoqe(linlate)", 4, 4, 3}, {"@qtome(lin)", 3, 12, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), EndedByLineEnd);
    EXPECT_EQ(output, "");
    EXPECT_EQ(frequency, c.frequency);
    const int k = c.k;
    const int start = c.from * k + k - 1;
    const int end = 9 * k + k - 1;
    expectSeries([&](int j) {
      if (j < start || j > end) return 0.0;
      const double u = static_cast<double>(j - (k - 1)) / k;  // in periods
      return 5.0 + 2.0 * u;
    }, kObs, kTolerance);
  }
}

TEST_F(ConversionTest, AConstantStaysConstant) {
  EXPECT_EQ(run("@atoq(const)"), EndedByLineEnd);
  expectSeries([](int) { return 7.0; }, 40, kTolerance);
  EXPECT_EQ(run("@atoqe(const)"), EndedByLineEnd);
  expectSeries([](int j) { return j < 3 ? 0.0 : 7.0; }, 40, kTolerance);
}

TEST_F(ConversionTest, LowerAfterHigherGivesBackTheSeries) {
  EXPECT_EQ(run("@qtoa(@atoq(curved))"), EndedByLineEnd);
  EXPECT_EQ(frequency, 1);
  expectSeries([](int i) { return curved(i); }, 10, kTolerance);
  EXPECT_EQ(run("@qtoae(@atoqe(curved))"), EndedByLineEnd);
  expectSeries([](int i) { return curved(i); }, 10, kTolerance);
  EXPECT_EQ(run("@mtoq(@qtom(curved))"), EndedByLineEnd);
  expectSeries([](int i) { return curved(i); }, 10, kTolerance);
}

TEST_F(ConversionTest, ResultsAreCutAtTheBanksObservations) {
  // 60 annual values would make 240 quarters; the first 60 are kept. a = 1 + i.
  EXPECT_EQ(run("@atoq(a)"), EndedByLineEnd);
  expectSeries([](int j) { return 1.0 + (j / 4 + (j % 4) / 4.0 - 3.0 / 8.0); }, kObs, kTolerance);
}

TEST_F(ConversionTest, InputsTooShortAreRepeatedOverTheirSubPeriods) {
  struct Case {
    const char* text;
    const char* message;
    int k;
    int count;  // values of the input
  };
  const Case cases[] = {
      {"@atoq(two)", "\n@atoq: fewer than 3 periods to interpolate; each value is repeated over its sub-periods.\n", 4, 2},
      {"@stoq(two)", "\n@stoq: fewer than 3 periods to interpolate; each value is repeated over its sub-periods.\n", 2, 2},
      {"@atoqe(three)", "\n@atoqe: fewer than 4 periods to interpolate; each value is repeated over its sub-periods.\n", 4, 3},
      {"@qtome(three)", "\n@qtome: fewer than 4 periods to interpolate; each value is repeated over its sub-periods.\n", 3, 3},
      {"@atoqi(two, ind)", "\n@atoqi: fewer than 3 periods to interpolate; each value is repeated over its sub-periods.\n", 4, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), EndedByLineEnd);
    EXPECT_EQ(output, c.message);
    expectSeries([&](int j) { return 4.0 + 2.0 * (j / c.k); }, c.count * c.k);
  }
  // Nothing but zeros converts to zeros, without a message.
  EXPECT_EQ(run("@atoq(0 * a)"), EndedByLineEnd);
  EXPECT_EQ(output, "");
  expectSeries([](int) { return 0.0; }, 0);
}

// --- @atoqi ---------------------------------------------------------------------

TEST_F(ConversionTest, AtoqiFollowsTheIndicator) {
  // When the annual values are the indicator's yearly averages times c, the cumulated
  // values are c / 4 times the cumulated indicator, a straight line through the nodes,
  // so the quarters are c times the indicator itself.
  EXPECT_EQ(run("@atoqi(@qtoa(ind), ind)"), EndedByLineEnd);
  EXPECT_EQ(frequency, 4);
  EXPECT_EQ(output, "");
  expectSeries([](int j) { return indicator(j); }, 48, kTolerance);
  EXPECT_EQ(run("@atoqi(3 * @qtoa(ind), ind)"), EndedByLineEnd);
  expectSeries([](int j) { return 3.0 * indicator(j); }, 48, kTolerance);
  // A flat indicator gives the cubic interpolation of @atoq (formula above).
  EXPECT_EQ(run("@atoqi(linlate, ones)"), EndedByLineEnd);
  expectSeries([](int j) {
    const int i = j / 4;
    return i < 3 ? 0.0 : 5.0 + 2.0 * (i + (j % 4) / 4.0 - 3.0 / 8.0);
  }, 40, kTolerance);
}

// --- Long series ----------------------------------------------------------------

// A compressed bank hands out all 1999 observations: conversions of a long series stay
// within the arrays (the sub-periods past the last slot are dropped).
TEST(LongConversionTest, SubPeriodsPastTheLastSlotAreDropped) {
  testing::TempDir dir("tabrix-functions");
  {
    std::vector<float> annual(1500);
    for (size_t i = 0; i < annual.size(); ++i) annual[i] = 1.0f + static_cast<float>(i % 7);
    CompBankWriter writer("long");
    ASSERT_EQ(writer.addSeries("y", VexDate(1925, 1, 1), annual), 0);
    ASSERT_EQ(writer.write(dir.file("long")), 0);
  }
  ConsoleCapture quiet;
  CompBank comp(dir.file("long"));
  ASSERT_TRUE(comp.isOpen());
  EvalContext context;
  Chopper reader;
  Series result{};
  for (const char* text : {"@atoq(y)\r\n", "@atoqe(y)\r\n", "@qtom(y)\r\n", "@qtome(y)\r\n",
                           "@stoq(y)\r\n", "@atoqi(y, y)\r\n", "@qtoa(@atoq(y))\r\n"}) {
    SCOPED_TRACE(text);
    reader.setString(text);
    EXPECT_EQ(evaluate(context, reader, result, comp, nullptr).status, EndedByLineEnd);
  }
  // @qtoa(@atoq(y)) gives y back over the whole years that fit: 1999 / 4 = 499. The
  // bank hands the series out from 1920, the five years before 1925 missing.
  for (int i = 0; i < 499; ++i) {
    const float want = i < 5 ? MissingValue : 1.0f + static_cast<float>((i - 5) % 7);
    ASSERT_NEAR(result[static_cast<size_t>(i)], want, 1e-4) << i;
  }
}

}  // namespace
}  // namespace tabrix

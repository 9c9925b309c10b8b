// The function library: element-wise functions, cumulation, @rand, @sum, @lint, @bmk
// and the errors of every function. Expected series come from the formula given in
// each case, or were worked out by hand where the case says so.
#include "expr/functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "expr/ranges.h"
#include "function_fixture.h"

namespace tabrix {
namespace {

using testing::FunctionTest;
using testing::kObs;
using testing::M;
using testing::Series;
using testing::seriesBy;
using testing::seriesOf;

// v[i] = (i - 5) / 2: negative, then exactly 0.0 at 5, then positive.
float v(int i) { return static_cast<float>(i - 5) * 0.5f; }

class ElementWiseTest : public FunctionTest {
 protected:
  void SetUp() override {
    makeBank({{"v", {1, seriesBy(v)}}, {"q", {4, seriesBy([](int i) { return 1.0f + i; })}}});
  }
};

TEST_F(ElementWiseTest, EachObservationIsTransformed) {
  struct Case {
    const char* text;
    std::function<double(int)> want;  // the definition of the function, per observation
  };
  const Case cases[] = {
      {"@exp(v)", [](int i) { return std::exp(v(i)); }},
      {"@log(v)", [](int i) { return v(i) > 0 ? std::log(v(i)) : 0.0; }},  // 0.0 and below: 0.0
      {"@sin(v)", [](int i) { return std::sin(v(i)); }},
      {"@fabs(v)", [](int i) { return std::fabs(v(i)); }},
      {"@sq(v)", [](int i) { return v(i) * v(i); }},
      {"@pos(v)", [](int i) { return v(i) >= 0 ? v(i) : 0.0; }},
      {"@ifpos(v)", [](int i) { return v(i) > 0 ? 1.0 : 0.0; }},  // 0.0 gives 0.0
      {"@pow(v, 3)", [](int i) { return std::pow(v(i), 3.0); }},
      {"@pow(@fabs(v), 0.5)", [](int i) { return std::sqrt(std::fabs(v(i))); }},
      {"2 * @sq(v + 1) - 1", [](int i) { return 2.0 * (v(i) + 1) * (v(i) + 1) - 1.0; }},
      {"@log(@exp(v))", [](int i) { return v(i); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), EndedByLineEnd);
    EXPECT_EQ(output, "");
    EXPECT_EQ(frequency, 1);
    expectSeries(c.want, kObs, 2e-6);
  }
}

TEST_F(ElementWiseTest, TheArgumentsFrequencyIsKept) {
  EXPECT_EQ(run("@sq(q)"), EndedByLineEnd);
  EXPECT_EQ(frequency, 4);
  EXPECT_EQ(run("@log(2)"), EndedByLineEnd);
  EXPECT_EQ(frequency, 0);
  expectSeries([](int) { return std::log(2.0f); }, kObs);
  EXPECT_EQ(run("@sq(q) + v"), -1);
  EXPECT_EQ(output, "\nFrequency conflict in expression.\n");
}

// --- Cumulation -----------------------------------------------------------------

class CumulationTest : public FunctionTest {
 protected:
  void SetUp() override {
    makeBank({{"x", {4, seriesBy([](int i) { return 1.0f + static_cast<float>(i % 5); })}},
              {"half", {4, seriesBy([](int) { return 0.5f; })}},
              // For @peak: a rise, a fall below 0.9 of the peak, a recovery, a fall.
              {"pk", {1, seriesOf({10, 12, 5, 11, 13, 2})}}});
  }
  float x(int i) const { return 1.0f + static_cast<float>(i % 5); }
};

TEST_F(CumulationTest, CumWithSpill) {
  // Spill 0: the running sum.
  EXPECT_EQ(run("@cum(out, x, 0)"), EndedByLineEnd);
  EXPECT_EQ(frequency, 4);
  expectSeries([&](int i) {
    double sum = 0;
    for (int j = 0; j <= i; ++j) sum += x(j);
    return sum;
  }, kObs);
  // Spill 1: the input itself.
  EXPECT_EQ(run("@cum(out, x, 1)"), EndedByLineEnd);
  expectSeries([&](int i) { return x(i); }, kObs);
  // A spill series of 0.5: y[i] = 0.5 y[i-1] + x[i], here summed in closed form
  // y[i] = sum over j <= i of 0.5^(i-j) x[j].
  EXPECT_EQ(run("@cum(out, x * 2, half)"), EndedByLineEnd);
  expectSeries([&](int i) {
    double sum = 0;
    for (int j = 0; j <= i; ++j) sum += std::pow(0.5, i - j) * 2 * x(j);
    return sum;
  }, kObs, 1e-6);
}

TEST_F(CumulationTest, PeakDecaysByTheNumber) {
  // By hand: 10; max(12, 9) = 12; max(5, 10.8) = 10.8; max(11, 9.72) = 11; 13;
  // max(2, 11.7) = 11.7; then the zeros give 11.7 x 0.9^k.
  EXPECT_EQ(run("@peak(out, pk, 0.1)"), EndedByLineEnd);
  EXPECT_EQ(frequency, 1);
  const double byHand[] = {10, 12, 10.8, 11, 13, 11.7};
  expectSeries([&](int i) { return i < 6 ? byHand[i] : 11.7 * std::pow(0.9, i - 5); }, kObs, 1e-6);
}

// --- @rand ----------------------------------------------------------------------

TEST_F(FunctionTest, RandDrawsSixteenthsOfAHalfWithoutFrequency) {
  makeBank({{"a", {1, seriesBy([](int i) { return 1.0f + i; })}}});
  EXPECT_EQ(run("@rand()"), EndedByLineEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(frequency, 0);
  std::set<float> distinct;
  Series first = result;
  for (int i = 0; i < kObs; ++i) {
    const float r = result[static_cast<size_t>(i)];
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 0.5f);
    const float scaled = r * 65536.0f;
    ASSERT_EQ(scaled, std::floor(scaled)) << "r / 65536 with r whole";
    distinct.insert(r);
  }
  EXPECT_GT(distinct.size(), 50u);
  for (int i = kObs; i < MaxObs; ++i) ASSERT_EQ(result[static_cast<size_t>(i)], 0.0f);
  // The generator is never seeded: a new run's context draws the same numbers.
  EvalContext fresh;
  reader.setString("@rand()\r\n");
  EXPECT_EQ(evaluate(fresh, reader, result, *bank, nullptr).status, EndedByLineEnd);
  EXPECT_EQ(result, first);
}

// --- @sum -----------------------------------------------------------------------

class SumTest : public FunctionTest {
 protected:
  void SetUp() override {
    makeBank({{"a", {1, seriesBy([](int i) { return 1.0f + i; })}},
              {"q", {4, seriesBy([](int i) { return 1.0f + i; })}},
              {"m", {12, seriesBy([](int i) { return 1.0f + i; })}}});
  }
  void TearDown() override {
    sumRange() = SumRange{};
    FunctionTest::TearDown();
  }
  // The sum of 1 + i for i from `from` to `to`, placed at `to`.
  std::function<double(int)> sumAt(int from, int to) {
    return [=](int i) {
      if (i != to) return 0.0;
      double s = 0;
      for (int j = from; j <= to; ++j) s += 1 + j;
      return s;
    };
  }
};

TEST_F(SumTest, SumsOverTheRangeAtItsLastObservation) {
  struct Case {
    float first, last;
    const char* text;
    int from, to;  // observation indexes of the range, by hand from the base 1960.1
  };
  const Case cases[] = {
      {1990.0f, 1995.0f, "@sum(a)", 30, 35},
      {1960.0f, 1960.0f, "@sum(a)", 0, 0},
      {1960.0f, 2019.0f, "@sum(a)", 0, 59},
      {1960.2f, 1961.1f, "@sum(q)", 1, 4},
      {1962.4f, 1963.4f, "@sum(q)", 11, 15},
      {1960.001f, 1960.012f, "@sum(m)", 0, 11},
      {1961.003f, 1962.002f, "@sum(m)", 14, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + " " + std::to_string(c.last));
    sumRange() = SumRange{c.first, c.last};
    EXPECT_EQ(run(c.text), EndedByLineEnd);
    EXPECT_EQ(output, "");
    expectSeries(sumAt(c.from, c.to), MaxObs);
  }
}

TEST_F(SumTest, CountsFromTheFirstMonthOfTheBank) {
  // A bank from March 1990: March is observation 0 and the first quarter's index is
  // counted from quarter 1 (month 3 lies in it).
  makeBank({{"m", {12, seriesBy([](int i) { return 1.0f + i; }, 24)}},
            {"q", {4, seriesBy([](int i) { return 1.0f + i; }, 24)}}},
           1990, 24, 3);
  sumRange() = SumRange{1990.005f, 1990.007f};
  EXPECT_EQ(run("@sum(m)"), EndedByLineEnd);
  expectSeries(sumAt(2, 4), MaxObs);
  sumRange() = SumRange{1990.2f, 1990.3f};
  EXPECT_EQ(run("@sum(q)"), EndedByLineEnd);
  expectSeries(sumAt(1, 2), MaxObs);
}

TEST_F(SumTest, RangesOutsideTheObservationsAreRefused) {
  struct Case {
    SumRange range;
    const char* message;
  };
  const char* outside = "\n@sum: the sum range lies outside the series' observations.\n";
  const Case cases[] = {
      {{0.0f, 0.0f}, "\n@sum: no sum range is set; give one with \\sumrange first last.\n"},
      {{1950.0f, 1961.0f}, outside},  // before the first observation
      {{2019.0f, 2020.0f}, outside},  // past the 60th
      {{1995.0f, 1990.0f}, outside},  // backwards
      {{1990.0f, 30000.0f}, outside},
      {{-5.0f, 1990.0f}, outside},
  };
  for (const Case& c : cases) {
    sumRange() = c.range;
    result.fill(3.0f);
    EXPECT_EQ(run("@sum(a)"), -1);
    EXPECT_EQ(output, c.message);
  }
}

TEST(DateNumberTest, ThousandthsDecideTheFrequency) {
  struct Case {
    float number;
    int year, period, frequency;
  };
  const Case cases[] = {
      {1990.0f, 1990, 0, 1},  {1990.45f, 1990, 0, 1},  {1990.001f, 1990, 1, 12},
      {1990.012f, 1990, 12, 12}, {1990.013f, 1990, 13, 12}, {1990.1f, 1990, 1, 4},
      {1990.4f, 1990, 4, 4},  {1990.05f, 1990, 0, 4},  {1990.5f, 1990, 1, 2},
      {1990.6f, 1990, 2, 2},
  };
  for (const Case& c : cases) {
    DateNumber d;
    ASSERT_TRUE(splitDateNumber(c.number, d)) << c.number;
    EXPECT_EQ(d.year, c.year) << c.number;
    EXPECT_EQ(d.period, c.period) << c.number;
    EXPECT_EQ(d.frequency, c.frequency) << c.number;
  }
  DateNumber d;
  EXPECT_FALSE(splitDateNumber(-1.0, d));
  EXPECT_FALSE(splitDateNumber(40000.0, d));
  EXPECT_FALSE(splitDateNumber(std::nan(""), d));
}

// --- @lint ----------------------------------------------------------------------

TEST_F(FunctionTest, LintFillsInnerGapsOnAStraightLine) {
  // By hand: 3 .. 9 over two missing values gives 5 and 7; 10 .. 14 over one gives 12.
  // The run after the leading zeros and the run to the end stay missing.
  Series gaps = seriesBy([](int) { return M; });
  const float start[] = {0, 0, M, 3, M, M, 9, 10, M, 14};
  for (int i = 0; i < 10; ++i) gaps[static_cast<size_t>(i)] = start[i];
  Series inner = seriesBy([](int i) { return 1.0f + i; });
  inner[1] = inner[2] = M;
  makeBank({{"gaps", {4, gaps}}, {"inner", {1, inner}}});

  EXPECT_EQ(run("@lint(gaps)"), EndedByLineEnd);
  EXPECT_EQ(frequency, 4);
  EXPECT_EQ(output, "\n@lint: a run of missing values at the start or end stays missing.\n");
  const float filled[] = {0, 0, M, 3, 5, 7, 9, 10, 12, 14};
  expectSeries([&](int i) { return i < 10 ? filled[i] : M; }, kObs, 1e-6);

  EXPECT_EQ(run("@lint(inner)"), EndedByLineEnd);
  EXPECT_EQ(output, "");
  expectSeries([](int i) { return 1.0 + i; }, kObs, 1e-6);

  // Nothing but missing values: all stay.
  EXPECT_EQ(run("@lint(gaps{2000})"), EndedByLineEnd);
  expectSeries([](int) { return M; }, kObs);
}

// --- @bmk -----------------------------------------------------------------------

class BenchmarkTest : public FunctionTest {
 protected:
  static float mover(int i) { return 10.0f + i; }
  void SetUp() override {
    Series only5 = seriesBy([](int) { return M; });
    only5[5] = 30.0f;
    Series several = seriesBy([](int) { return M; });
    several[2] = 20.0f;
    several[3] = 33.0f;
    several[7] = 80.0f;
    Series first = seriesBy([](int) { return M; });
    first[0] = 20.0f;
    first[4] = 70.0f;
    first[5] = 75.0f;
    Series moverGap = seriesBy(mover);
    moverGap[9] = M;
    makeBank({{"only5", {1, only5}},
              {"several", {1, several}},
              {"first", {1, first}},
              {"none", {1, seriesBy([](int) { return M; })}},
              {"mover", {1, seriesBy(mover)}},
              {"movergap", {1, moverGap}}});
  }
};

TEST_F(BenchmarkTest, BenchKnownOnlyAtFiveScalesTheWholeMover) {
  EXPECT_EQ(run("@bmk(only5, mover)"), EndedByLineEnd);
  EXPECT_EQ(frequency, 1);
  expectSeries([](int i) { return mover(i) * 30.0 / 15.0; }, kObs, 1e-6);
}

TEST_F(BenchmarkTest, SegmentsBetweenKnownValuesMeetTheBench) {
  // By hand: before 2 the ratio at 2 (20 / 12); 2 and 3 copied; 4 .. 7 the ratio at 3
  // (33 / 13) plus (i - 3) / 4 of the miss at 7; after 7 the ratio at 7 (80 / 17).
  EXPECT_EQ(run("@bmk(several, mover)"), EndedByLineEnd);
  const double miss7 = 80.0 - 17.0 * 33.0 / 13.0;
  expectSeries([&](int i) -> double {
    if (i < 2) return mover(i) * 20.0 / 12.0;
    if (i == 2) return 20.0;
    if (i == 3) return 33.0;
    if (i <= 7) return mover(i) * 33.0 / 13.0 + (i - 3) / 4.0 * miss7;
    return mover(i) * 80.0 / 17.0;
  }, kObs, 1e-5);
}

TEST_F(BenchmarkTest, KnownFirstValueScalesUpToTheNextKnownOne) {
  // By hand: bench known at 0: the ratio there (20 / 10) up to 3; 4 and 5 copied;
  // after 5 the ratio at 5 (75 / 15).
  EXPECT_EQ(run("@bmk(first, mover)"), EndedByLineEnd);
  expectSeries([&](int i) -> double {
    if (i < 4) return mover(i) * 2.0;
    if (i == 4) return 70.0;
    if (i == 5) return 75.0;
    return mover(i) * 5.0;
  }, kObs, 1e-6);
}

TEST_F(BenchmarkTest, MissingMoverStaysMissingAndNoBenchGivesZeros) {
  EXPECT_EQ(run("@bmk(only5, movergap)"), EndedByLineEnd);
  expectSeries([](int i) { return i == 9 ? M : mover(i) * 2.0; }, kObs, 1e-6);
  EXPECT_EQ(run("@bmk(none, mover)"), EndedByLineEnd);
  expectSeries([](int) { return 0.0; }, kObs);
  // A mover of 0 at the bench date gives the ratio 0.
  EXPECT_EQ(run("@bmk(only5, mover - 15)"), EndedByLineEnd);
  expectSeries([](int i) { return i == 5 ? 30.0 : 0.0; }, kObs);
}

// --- Errors ---------------------------------------------------------------------

TEST_F(FunctionTest, MalformedCallsPrintTheFunctionsMessage) {
  makeBank({{"a", {1, seriesBy([](int i) { return 1.0f + i; })}}});
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"@exp a", "\n error in @exp function \n"},
      {"@log(a, a)", "\n error in @log function \n"},
      {"@log(a", "\n error in @log function \n"},
      {"@log(nosuch)", "nosuch can't be found \r\n\n error in @log function \n"},
      {"@sin(a;", "\n error in @sin function \n"},
      {"@fabs(a,", "\n error in @abs function \n"},
      {"@sq a", "\n error in @sq function \n"},
      {"@pos[a]", "\n error in @pos function \n"},
      {"@ifpos(a $)", "\nUnrecognized element in expression\n\n error in @ifpos function \n"},
      {"@pow(a)", "\n error in @pow function \n"},
      {"@pow(a, a)", "\n error in @pow function \n"},
      {"@pow(a, 2", "\n error in @pow function \n"},
      {"@cum(a, 0)", "syntax error in @cum(output,input,spill)"},
      {"@cum(1, a, 0)", "syntax error in @cum(output,input,spill)"},
      {"@cum(out a, 0)", "syntax error in @cum(output,input,spill)"},
      {"@cum(out, a, 0, 1)", "syntax error in @cum(output,input,spill)"},
      {"@peak(out, a)", "syntax error in @peak(output,input,spill)"},
      {"@peak(out, a, a)", "syntax error in @peak(output,input,spill)"},
      {"@peak(out, a, 0.1,", "syntax error in @peak(output,input,spill)"},
      {"@rand(1)", "error in @rand\n"},
      {"@rand", "error in @rand\n"},
      {"@sum(a, a)", "\n error in @sum function \n"},
      {"@bmk(a)", "syntax error in @bmk(bench,mover)\r\n"},
      {"@bmk(a, a, a)", "syntax error in @bmk(bench,mover)\r\n"},
      {"@lint(a,", "\nError in @lshort  function\n"},
      {"@qtoa(a,", "syntax error in conversion function"},
      {"@qtoae a", "syntax error in conversion function"},
      {"@mtoq(a", "syntax error in conversion function"},
      {"@mtoqe(", "\nUnrecognized element in expression\nsyntax error in conversion function"},
      {"@qtos(a $)", "\nUnrecognized element in expression\nsyntax error in conversion function"},
      {"@atoq(a,", "syntax error in interpolation function"},
      {"@atoqe a", "syntax error in interpolation function"},
      {"@qtom(a;", "syntax error in interpolation function"},
      {"@qtome(a=", "syntax error in interpolation function"},
      {"@stoq(a, a)", "syntax error in interpolation function"},
      {"@atoqi(a)", "\nError in inint.\n"},
      {"@atoqi(a, a, a)", "\nError in inint.\n"},
      {"@interp(5, a)", "\nError in interp function.\n"},
      {"@interp a", "\nError in interp function.\n"},
      {"@nosuch(a)", " nosuch is not a recognized function"},
      {"@Log(a)", " Log is not a recognized function"},
      {"@(a)", "@ must be followed by function name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), -1);
    EXPECT_EQ(output, c.message);
  }
}

}  // namespace
}  // namespace tabrix

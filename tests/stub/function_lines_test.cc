// Table lines with functions and constants, and the range commands of the functions,
// run as stubs against a workspace bank written by our own writer.
#include <gtest/gtest.h>

#include <memory>
#include <vector>
#include <string>

#include "banks/comp_bank.h"
#include "banks/comp_bank_writer.h"
#include "banks/hash_bank.h"
#include "banks/hash_bank_writer.h"
#include "banks/workspace_bank.h"
#include "expr/ranges.h"
#include "stub/interpreter_fixture.h"
#include "test_files.h"

namespace tabrix {
namespace {

// A bank from 1990 with 40 observations: GDP annual 100 + 10 i, Q quarterly 1 + i.
class FunctionLineTest : public testing::StubTest {
 protected:
  void SetUp() override {
    {
      ConsoleCapture quiet;
      VexBank w(dir.file("base"), "New", 1990, 40, 1);
      ASSERT_TRUE(w.isOpen());
      std::array<float, MaxObs> values{};
      for (int i = 0; i < 40; ++i) values[static_cast<size_t>(i)] = 100.0f + 10.0f * i;
      w.setFrequency(1);
      ASSERT_GE(w.writeSeries("GDP", values, 'y', -1), 0);
      for (int i = 0; i < 40; ++i) values[static_cast<size_t>(i)] = 1.0f + i;
      w.setFrequency(4);
      ASSERT_GE(w.writeSeries("Q", values, 'y', -1), 0);
    }
    ConsoleCapture quiet;
    run.banks[0] = std::make_unique<VexBank>(dir.file("base"));
    ASSERT_TRUE(run.banks[0]->isOpen());
    run.bankCount = 1;
    table.altCount = 1;
    table.altStart[0] = VexDate(1990, 1, 1);
    table.values[0].assign(MaxObs, 0.0f);
    table.out.openMemory();
  }
  void TearDown() override {
    ConsoleCapture quiet;
    run.banks[0].reset();
    sumRange() = SumRange{};
    chainRange() = ChainRange{};
  }
  testing::TempDir dir{"tabrix-function-lines"};
};

// The rows of the table text, from the first table line on (the page header before
// it is the composer's business).
std::string rows(const std::string& text, const std::string& first) {
  const size_t at = text.find(first);
  return at == std::string::npos ? text : text.substr(at);
}

TEST_F(FunctionLineTest, ConstantLinesTakeTheFrequencyOfTheLastSeries) {
  // Before any series is read a constant is annual; after Q it is quarterly, which the
  // annual dates average. No date-conversion message either way.
  EXPECT_EQ(runStub("\\dates 1991 1993\n100; constant\nGDP; series\n100; again\n"
                    "Q; quarterly\n2*3; after quarterly\n"),
            InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(rows(table.out.text(), " constant"),
            " constant                  100.0  100.0\n"
            " series                    110.0  130.0\n"
            " again                     100.0  100.0\n"
            " quarterly                   6.5   14.5\n"
            " after quarterly             6.0    6.0\n");
  EXPECT_EQ(table.altStart[0].frequency, 4);
}

TEST_F(FunctionLineTest, ConstantLinesAtQuarterlyDates) {
  EXPECT_EQ(runStub("\\dates 1991.2 1991.3\nQ; quarterly\n5; five\n@rand()*0+1; one\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(rows(table.out.text(), " quarterly"),
            " quarterly                   6.0    7.0\n"
            " five                        5.0    5.0\n"
            " one                         1.0    1.0\n");
}

// A compressed bank's alternative: before any series is read a constant is annual and
// covers the whole bank; after a series it takes that series' frequency and length.
TEST_F(FunctionLineTest, ConstantLinesOfACompressedBank) {
  {
    CompBankWriter writer("compressed");
    const std::vector<float> values = {5, 6, 7, 8, 9, 10, 11, 12};  // as Q's from 1991
    ASSERT_EQ(writer.addSeries("Q", VexDate(1991, 1, 4), values), 0);
    ASSERT_EQ(writer.write(dir.file("comp")), 0);
  }
  ConsoleCapture quiet;
  run.banks[1] = std::make_unique<CompBank>(dir.file("comp"));
  ASSERT_TRUE(run.banks[1]->isOpen());
  run.bankCount = 2;
  table.altCount = 2;
  table.values[1].assign(MaxObs, 0.0f);
  table.showMode = 'a';
  EXPECT_EQ(runStub("\\dates 1991 1992\n100; constant\nQ; quarterly\n7; seven\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(rows(table.out.text(), " constant"),
            " constant                  100.0  100.0\n"
            "                           100.0  100.0\n"
            " quarterly                   6.5   10.5\n"
            "                             6.5   10.5\n"
            " seven                       7.0    7.0\n"
            "                             7.0    7.0\n");
  EXPECT_EQ(table.altStart[1].frequency, 4);
  run.banks[1].reset();
}

// Hashed banks: a short series after a long one shows missing cells past its own end,
// and the long one after it shows all of its cells again. By hand: L holds 100 + i
// (alternative 2: 200 + i) over 1990 .. 2010, S holds 10, 11, 12 (20, 21, 22) over
// 1990 .. 1992; averages take the observations present, and a missing cell shows
// as the missing marker printed (-0.0).
TEST_F(FunctionLineTest, ShortSeriesAfterLongOnesShowMissingPastTheirEnd) {
  for (int a = 0; a < 2; ++a) {
    HashBankWriter writer("hashed", 5);
    std::vector<float> l, sh;
    for (int i = 0; i < 21; ++i) l.push_back(100.0f * static_cast<float>(a + 1) + static_cast<float>(i));
    for (int i = 0; i < 3; ++i) sh.push_back(10.0f * static_cast<float>(a + 1) + static_cast<float>(i));
    ASSERT_EQ(writer.addSeries("L", VexDate(1990, 1, 1), l), 0);
    ASSERT_EQ(writer.addSeries("S", VexDate(1990, 1, 1), sh), 0);
    ASSERT_EQ(writer.write(dir.file("h" + std::to_string(a))), 0);
  }
  ConsoleCapture quiet;
  for (size_t a = 0; a < 2; ++a) {
    run.banks[a] = std::make_unique<HashBank>(dir.file("h" + std::to_string(a)));
    ASSERT_TRUE(run.banks[a]->isOpen());
    table.values[a].assign(MaxObs, 0.0f);
  }
  run.bankCount = 2;
  table.altCount = 2;
  table.showMode = 'a';
  EXPECT_EQ(runStub("\\dates 1991 2000 1991|2000\nL; long\nS; short\nL; again\nS-S[1]; diff\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(rows(table.out.text(), " long"),
            " long                      101.0  110.0  105.5\n"
            "                           201.0  210.0  205.5\n"
            " short                      11.0   -0.0   11.5\n"
            "                            21.0   -0.0   21.5\n"
            " again                     101.0  110.0  105.5\n"
            "                           201.0  210.0  205.5\n"
            " diff                        1.0   -0.0    1.0\n"
            "                             1.0   -0.0    1.0\n");
  // The last line read S (observations 0 .. 72 from 1920): the slots L filled after
  // it hold the missing marker again.
  for (int i = 73; i < MaxObs; ++i) ASSERT_EQ(table.values[0][static_cast<size_t>(i)], MissingValue) << i;
  run.banks[1].reset();
}

TEST_F(FunctionLineTest, ConversionsShowAtTheirNewFrequency) {
  // By hand: the quarters of 1991 are observations 4 .. 7, holding 5 .. 8.
  EXPECT_EQ(runStub("\\dates 1991 1993\n@qtoa(Q); annual\n@qtoa(Q) + GDP; sum\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(rows(table.out.text(), " annual"),
            " annual                      6.5   14.5\n"
            " sum                       116.5  144.5\n");
  EXPECT_EQ(table.altStart[0].frequency, 1);
}

TEST_F(FunctionLineTest, SumRangeCommandSetsTheRangeOfSum) {
  // By hand: 110 + 120 + 130 = 360, shown at 1993; every other year 0.0.
  EXPECT_EQ(runStub("\\dates 1991 1993\n\\SumRange 1991 1993\n@sum(GDP); total\n"
                    "\\sumrange 1991-1992\n@sum(GDP); shorter\n"),
            InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(rows(table.out.text(), " total"),
            " total                       0.0  360.0\n"
            " shorter                     0.0    0.0\n");
  EXPECT_EQ(sumRange().first, 1991.0f);
  EXPECT_EQ(sumRange().last, 1992.0f);
}

TEST_F(FunctionLineTest, SumOutsideTheObservationsIsReportedPerBank) {
  EXPECT_EQ(runStub("\\dates 1991\n@sum(GDP); unset\n\\sumrange 2020 2040\n@sum(GDP); late\n"),
            InterpretEnd);
  EXPECT_EQ(output,
            "\n@sum: no sum range is set; give one with \\sumrange first last.\n"
            "(This is in bank 1.)  Continuing...\n"
            "\n@sum: the sum range lies outside the series' observations.\n"
            "(This is in bank 1.)  Continuing...\n");
}

TEST_F(FunctionLineTest, BadRangesAreRefusedAndTheRangeStays) {
  struct Case {
    const char* stub;
    const char* message;
  };
  const Case cases[] = {
      {"\\sumrange 1995 1990\n", "Illegal sum range: 1995 1990.\tCommand ignored.\n"},
      {"\\sumrange 1990\n", "Illegal sum range: 1990.\tCommand ignored.\n"},
      {"\\sumrange\n", "Illegal sum range: (none).\tCommand ignored.\n"},
      {"\\sumrange 1990 1991 1992\n", "Illegal sum range: 1990 1991 1992.\tCommand ignored.\n"},
      {"\\sumrange 1990.1 1995\n", "Illegal sum range: 1990.1 1995.\tCommand ignored.\n"},
      {"\\sumrange 1990.05 1991.1\n", "Illegal sum range: 1990.05 1991.1.\tCommand ignored.\n"},
      {"\\sumrange 1990.013 1991.001\n", "Illegal sum range: 1990.013 1991.001.\tCommand ignored.\n"},
      {"\\sumrange gdp 1991\n", "Illegal sum range: gdp 1991.\tCommand ignored.\n"},
      {"\\sumrange 1990+1991\n", "Illegal sum range: 1990 + 1991.\tCommand ignored.\n"},
      {"\\sumrange 99999 99999\n", "Illegal sum range: 99999 99999.\tCommand ignored.\n"},
      {"\\chainrange 1995.4 1995.1\n", "Illegal chain range: 1995.4 1995.1.\tCommand ignored.\n"},
      {"\\chainrange 1990.5 1991.1\n", "Illegal chain range: 1990.5 1991.1.\tCommand ignored.\n"},
      {"\\chainrange 1990 1991.1\n", "Illegal chain range: 1990 1991.1.\tCommand ignored.\n"},
      {"\\chainrange 1990.01 1991.01\n",
       "Error in Date: 1990.01.  Invalid period.\nIllegal chain range: 1990.01 1991.01.\tCommand ignored.\n"},
      {"\\chainrange 1990\n", "Illegal chain range: 1990.\tCommand ignored.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    sumRange() = SumRange{1980.0f, 1985.0f};
    chainRange() = ChainRange{VexDate(1980, 1, 4), VexDate(1985, 4, 4)};
    EXPECT_EQ(runStub(std::string(c.stub) + "\\pl 44\n"), InterpretEnd);
    EXPECT_EQ(output, c.message);
    EXPECT_EQ(table.pageLength, 44);  // the next line is read as usual
    EXPECT_EQ(sumRange().first, 1980.0f);
    EXPECT_EQ(sumRange().last, 1985.0f);
    EXPECT_EQ(chainRange().first, VexDate(1980, 1, 4));
    EXPECT_EQ(chainRange().last, VexDate(1985, 4, 4));
    table.pageLength = 0;
  }
}

TEST_F(FunctionLineTest, ChainRangeCommandSetsTheChainDates) {
  EXPECT_EQ(runStub("\\chainrange 1991.2 1995.4\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(chainRange().first, VexDate(1991, 2, 4));
  EXPECT_EQ(chainRange().last, VexDate(1995, 4, 4));
  EXPECT_EQ(runStub("\\CHAINRANGE 91-91\n"), InterpretEnd);
  EXPECT_EQ(chainRange().first, VexDate(1991, 1, 1));
  EXPECT_EQ(chainRange().last, VexDate(1991, 1, 1));
}

}  // namespace
}  // namespace tabrix

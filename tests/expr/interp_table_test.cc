// @interp and its table file: the reader on good and hostile bytes, the cubic look-up
// (values worked out by hand), and the function's messages.
#include "expr/interp_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "function_fixture.h"

namespace tabrix {
namespace {

using testing::FunctionTest;
using testing::kObs;
using testing::seriesOf;

InterpTableStatus parse(std::string_view bytes, InterpTable& table, std::string& problem) {
  return parseInterpTable(bytes, table, problem);
}

// n pairs "i i*i" on lines of their own.
std::string pairs(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += std::to_string(i) + " " + std::to_string(i * i) + "\n";
  return text;
}

TEST(InterpTableTest, ReadsPairsSeparatedByAnyBlanks) {
  InterpTable table;
  std::string problem;
  ASSERT_EQ(parse("0 0\n1 1.5\r\n2\t-2\n\n  3e0 +4 4.5 5", table, problem), InterpTableStatus::Ok);
  EXPECT_EQ(table.points, (std::vector<float>{0, 1, 2, 3, 4.5f}));
  EXPECT_EQ(table.values, (std::vector<float>{0, 1.5f, -2, 4, 5}));
  ASSERT_EQ(parse(pairs(100), table, problem), InterpTableStatus::Ok);
  EXPECT_EQ(table.points.size(), 100u);
}

TEST(InterpTableTest, RefusesWhatIsNoTable) {
  struct Case {
    std::string bytes;
    InterpTableStatus status;
    const char* problem;
  };
  const Case cases[] = {
      {"", InterpTableStatus::TooFewPairs, ""},
      {pairs(3), InterpTableStatus::TooFewPairs, ""},
      {pairs(101), InterpTableStatus::TooManyPairs, ""},
      {pairs(4) + "7", InterpTableStatus::OddCount, ""},
      {"0 0 1 1 1 2 3 3", InterpTableStatus::NotAscending, ""},
      {"0 0 2 1 1 2 3 3", InterpTableStatus::NotAscending, ""},
      {"0 0 1 x 2 2 3 3", InterpTableStatus::NotANumber, "x"},
      {"0 0 1 1,5 2 2 3 3", InterpTableStatus::NotANumber, "1,5"},
      {"0 0 1 nan 2 2 3 3", InterpTableStatus::NotANumber, "nan"},
      {"0 0 1 inf 2 2 3 3", InterpTableStatus::NotANumber, "inf"},
      {"0 0 1 1e99 2 2 3 3", InterpTableStatus::NotANumber, "1e99"},
      {"0 0 1 ++1 2 2 3 3", InterpTableStatus::NotANumber, "++1"},
      {std::string("0 0 1\0 1 2 2 3 3", 16), InterpTableStatus::NotANumber, "1?"},
      {"0 0 1 \x80\xff 2 2", InterpTableStatus::NotANumber, "??"},
      {"1 " + std::string(200, '9') + "x", InterpTableStatus::NotANumber,
       "999999999999999999999999..."},
      {std::string(MaxInterpFileBytes + 1, ' '), InterpTableStatus::TooLarge, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 40));
    InterpTable table;
    table.points = {9};
    std::string problem = "old";
    EXPECT_EQ(parse(c.bytes, table, problem), c.status);
    EXPECT_EQ(problem, c.problem);
    EXPECT_TRUE(table.points.empty());
    EXPECT_TRUE(table.values.empty());
  }
}

TEST(InterpTableTest, CubicThroughFourNeighbours) {
  InterpTable table;
  std::string problem;
  // Zigzag values: which four points are used shows in the result. By hand:
  //  0.5: points 0..3 (0, 1, 0, 1): 1 x L1(0.5) + 1 x L3(0.5) = 0.9375 + 0.0625 = 1;
  //  2.5: points 1..4 (1, 0, 1, 0): -0.0625 + 0.5625 = 0.5;
  //  4.5: points 2..5 (moved inwards; 0, 1, 0, 1): -0.3125 + 0.3125 = 0.
  ASSERT_EQ(parse("0 0 1 1 2 0 3 1 4 0 5 1", table, problem), InterpTableStatus::Ok);
  EXPECT_DOUBLE_EQ(interpolate(table, 0.5), 1.0);
  EXPECT_DOUBLE_EQ(interpolate(table, 2.5), 0.5);
  EXPECT_NEAR(interpolate(table, 4.5), 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(interpolate(table, 3.0), 1.0);  // at a point, its value
  EXPECT_DOUBLE_EQ(interpolate(table, -7.0), 0.0);  // below the first point: the first value
  EXPECT_DOUBLE_EQ(interpolate(table, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(interpolate(table, 5.01), 1.0);  // above the last: the last value
  EXPECT_TRUE(std::isnan(interpolate(table, std::nan(""))));
}

class InterpFunctionTest : public FunctionTest {
 protected:
  void SetUp() override {
    makeBank({{"v", {4, seriesOf({-1, 0.5f, 1.5f, 2, 2.5f, 3.7f, 4, 5})}}});
    write("cubic.txt", "0 0\n1 1\n2 8\n3 27\n4 64\n");  // Y = X^3, which the cubic reproduces
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir.file(name), std::ios::binary) << text;
  }
  std::string call(const std::string& file, const std::string& x = "v") {
    return "@interp(\"" + dir.file(file) + "\", " + x + ")";
  }
};

TEST_F(InterpFunctionTest, LooksUpEachObservation) {
  EXPECT_EQ(run(call("cubic.txt")), EndedByLineEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(frequency, 4);
  // -1 is below the first point: 0; 5 above the last: 64; the slots after hold 0.0,
  // which is a point with the value 0.
  const double want[] = {0, 0.125, 3.375, 8, 15.625, 50.653, 64, 64};
  expectSeries([&](int i) { return i < 8 ? want[i] : 0.0; }, kObs, 1e-6);
}

TEST_F(InterpFunctionTest, RefusedTablesNameTheFileAndTheReason) {
  write("three.txt", pairs(3));
  write("many.txt", pairs(101));
  write("bad.txt", "0 0 1 one 2 2 3 3");
  write("down.txt", "3 0 2 1 1 2 0 3");
  const std::string missing = dir.file("missing.txt");
  struct Case {
    std::string text;
    std::string message;
  };
  const std::string error = "\nError in interp function.\n";
  const Case cases[] = {
      {call("missing.txt"), "\nCannot open " + missing + "\n" + error},
      {call("three.txt"), "\n@interp: " + dir.file("three.txt") + " holds fewer than 4 pairs.\n" + error},
      {call("many.txt"), "\n@interp: " + dir.file("many.txt") + " holds more than 100 pairs.\n" + error},
      {call("bad.txt"), "\n@interp: " + dir.file("bad.txt") + " \"one\" is not a number.\n" + error},
      {call("down.txt"),
       "\n@interp: " + dir.file("down.txt") + " has points that are not in ascending order.\n" + error},
      {call(".", "v"), "\nCannot open " + dir.file(".") + "\n" + error},  // a directory
      {call("cubic.txt", "v,"), error},
      {"@interp(\"" + dir.file("cubic.txt") + "\" v)", error},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), -1);
    EXPECT_EQ(output, c.message);
  }
}

}  // namespace
}  // namespace tabrix

#include "support/arrays.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/console.h"
#include "support/messages.h"

namespace tabrix {
namespace {

TEST(ArraysTest, VectorIsAddressedByYear) {
  ConsoleCapture capture;
  FloatVector v = vector(1990, 2010);
  ASSERT_TRUE(v.valid());
  EXPECT_EQ(v.size(), 21);
  EXPECT_EQ(v.lo(), 1990);
  EXPECT_EQ(v.hi(), 2010);
  EXPECT_TRUE(v.contains(1990));
  EXPECT_TRUE(v.contains(2010));
  EXPECT_FALSE(v.contains(1989));
  EXPECT_FALSE(v.contains(2011));
  for (int year = 1990; year <= 2010; ++year) {
    EXPECT_EQ(v[year], 0.0f);
    v[year] = static_cast<float>(year);
  }
  EXPECT_EQ(v.data()[0], 1990.0f);
  EXPECT_EQ(v.data()[20], 2010.0f);
  EXPECT_EQ(capture.text(), "");
}

TEST(ArraysTest, IntegerVectorsTakeNegativeBases) {
  ShortVector lags = ivector(-4, 0);
  ASSERT_TRUE(lags.valid());
  EXPECT_EQ(lags.size(), 5);
  lags[-4] = 7;
  EXPECT_EQ(lags.data()[0], 7);

  LongVector one = lvector(1, 1);
  ASSERT_TRUE(one.valid());
  one[1] = 100000;
  EXPECT_EQ(one.size(), 1);
  EXPECT_EQ(one[1], 100000);
}

TEST(ArraysTest, EmptyRangesAreInvalidWithoutMessage) {
  ConsoleCapture capture;
  EXPECT_FALSE(vector(5, 4).valid());
  EXPECT_FALSE(ivector(5, -100).valid());
  EXPECT_FALSE(lvector(INT_MAX, INT_MIN).valid());
  EXPECT_FALSE(matrix(1, 0, 1, 5).valid());
  EXPECT_FALSE(matrix(1, 5, 3, 2).valid());
  EXPECT_FALSE(IndexedArray<float>(3, 1).valid());
  EXPECT_FALSE(FloatVector().contains(0));
  EXPECT_EQ(capture.text(), "");
}

TEST(ArraysTest, UnaddressableRangesReportThroughTheCatalogue) {
  ConsoleCapture capture;
  EXPECT_FALSE(vector(INT_MIN, INT_MAX).valid());
  EXPECT_EQ(capture.take(), "Not enough space for vector, -2147483648 to 2147483647.\n");
  EXPECT_FALSE(ivector(-1, INT_MAX).valid());
  EXPECT_EQ(capture.take(), "Not enough space for ivector, -1 to 2147483647.\n");
  EXPECT_FALSE(lvector(INT_MIN, 0).valid());
  EXPECT_EQ(capture.take(), "Not enough space for lvector, -2147483648 to 0.\n");

  EXPECT_FALSE(matrix(INT_MIN, INT_MAX, 1, 2).valid());
  EXPECT_EQ(capture.take(), "Not enough space for matrix, -2147483648,2147483647,1,2.\n");
  EXPECT_FALSE(matrix(3, 4, INT_MIN, INT_MAX).valid());
  EXPECT_EQ(capture.take(), "Unable to allocate memory for row 3 in matrix.\r\n");

  // The allocators hold the catalogue only while they print.
  EXPECT_EQ(VexMessage::users(), 0);
}

TEST(ArraysTest, MatrixRowsAndColumnsKeepTheirBases) {
  Matrix m = matrix(1, 3, 0, 4);
  ASSERT_TRUE(m.valid());
  EXPECT_EQ(m.rlo(), 1);
  EXPECT_EQ(m.rhi(), 3);
  EXPECT_EQ(m.clo(), 0);
  EXPECT_EQ(m.chi(), 4);
  for (int r = 1; r <= 3; ++r) {
    ASSERT_TRUE(m[r].valid());
    EXPECT_EQ(m[r].lo(), 0);
    EXPECT_EQ(m[r].hi(), 4);
    for (int c = 0; c <= 4; ++c) m[r][c] = static_cast<float>(10 * r + c);
  }
  // Rows are separate blocks: writing one leaves the others alone.
  EXPECT_EQ(m[1][4], 14.0f);
  EXPECT_EQ(m[2][0], 20.0f);
  EXPECT_EQ(m[3][4], 34.0f);
}

}  // namespace
}  // namespace tabrix

#include "platform/console.h"

#include <gtest/gtest.h>

namespace tabrix {
namespace {

TEST(ConsoleTest, CaptureCollectsTextAndSuppressesScreenControl) {
  ConsoleCapture capture;
  console().clearScreen();
  console().setColours(15, 1);
  console().printf("Cannot open %s\r\n", "x.bnk");
  console().write("%d stays literal");
  EXPECT_FALSE(console().isTerminal());
  EXPECT_EQ(capture.text(), "Cannot open x.bnk\r\n%d stays literal");
}

TEST(ConsoleTest, LongMessagesAreNotCut) {
  ConsoleCapture capture;
  std::string big(2000, 'x');
  console().printf("<%s>", big.c_str());
  EXPECT_EQ(capture.text(), "<" + big + ">");
}

TEST(ConsoleTest, NestedCapturesRestoreTheOuterOne) {
  ConsoleCapture outer;
  console().write("a");
  {
    ConsoleCapture inner;
    console().write("b");
    EXPECT_EQ(inner.text(), "b");
  }
  console().write("c");
  EXPECT_EQ(outer.text(), "ac");
}

}  // namespace
}  // namespace tabrix

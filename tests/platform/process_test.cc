#include "platform/process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <new>

#include "platform/console.h"

namespace tabrix {
namespace {

void noteFailure() {}

TEST(ProcessDeathTest, ExitProcessFlushesAndUsesTheStatus) {
  EXPECT_EXIT(
      {
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
        console().write("unfinished line");
        exitProcess(3);
      },
      ::testing::ExitedWithCode(3), "^unfinished line$");
  EXPECT_EXIT(exitProcess(0), ::testing::ExitedWithCode(0), "");
}

TEST(ProcessTest, AllocationFailureHandlerIsTheNewHandler) {
  std::new_handler previous = std::get_new_handler();
  setAllocationFailureHandler(noteFailure);
  EXPECT_EQ(std::get_new_handler(), &noteFailure);
  setAllocationFailureHandler(previous);
  EXPECT_EQ(std::get_new_handler(), previous);
}

}  // namespace
}  // namespace tabrix

#include "platform/process.h"

#include <gtest/gtest.h>

#include <new>

#include "platform/console.h"

namespace tabrix {
namespace {

void noteFailure() {}

TEST(ProcessTest, EndProcessTravelsToMainWithItsStatus) {
  for (int status : {0, 1, 3}) {
    int cleanedUp = 0;
    struct Guard {
      int& count;
      ~Guard() { ++count; }
    };
    int result = runToExit([&] {
      Guard guard{cleanedUp};
      endProcess(status);
      return 99;
    });
    EXPECT_EQ(result, status);
    EXPECT_EQ(cleanedUp, 1);  // destructors on the way up ran
  }
  EXPECT_EQ(runToExit([] { return 7; }), 7);
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

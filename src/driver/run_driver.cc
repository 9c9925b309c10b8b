#include "driver/run_driver.h"

#include "platform/console.h"

namespace tabrix {

namespace {
constexpr const char* kVersion = "6.592";
}

void showBanner() {
  Console& out = console();
  out.setColours(15, 1);
  out.clearScreen();
  out.write("\r\n                              TABRIX FOR WINDOWS");
  out.printf("\r\n                                 Version %s", kVersion);
}

int runMain(int /*argc*/, char** /*argv*/) {
  showBanner();
  console().write("\r\n");
  console().resetColours();
  console().flush();
  return 0;
}

}  // namespace tabrix

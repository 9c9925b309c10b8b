// tabrix-bank: make, list, describe and export data banks (see src/banks/bank_tool.h
// and the README's "The bank tool").
#include <string>
#include <vector>

#include "banks/bank_tool.h"
#include "platform/console.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = tabrix::runToExit([&] { return tabrix::runBankTool(args); });
  tabrix::console().flush();
  return status;
}

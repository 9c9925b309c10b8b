#include "platform/process.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/console.h"

namespace tabrix {

void exitProcess(int status) {
  console().flush();
  std::fflush(nullptr);
  std::exit(status);
}

void setAllocationFailureHandler(AllocationFailureHandler handler) {
  std::set_new_handler(handler);
}

}  // namespace tabrix

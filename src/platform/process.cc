#include "platform/process.h"

#include <cstdio>
#include <new>

#include "platform/console.h"

namespace tabrix {

void endProcess(int status) {
  console().flush();
  std::fflush(nullptr);
  throw ProcessExit(status);
}

void setAllocationFailureHandler(AllocationFailureHandler handler) {
  std::set_new_handler(handler);
}

}  // namespace tabrix

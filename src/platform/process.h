// Ending the process, and the hook for allocation failure.
#pragma once

namespace tabrix {

// Flushes the console and ends the program with the status.
[[noreturn]] void exitProcess(int status);

// Installs a handler that runs when memory cannot be had; the handler is expected to
// print its message and end the program (the run driver prints its own warning).
using AllocationFailureHandler = void (*)();
void setAllocationFailureHandler(AllocationFailureHandler handler);

}  // namespace tabrix

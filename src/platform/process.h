// Ending the run early, and the hook for allocation failure.
//
// Where the program must end at once (a missing add-file argument, Ctrl-C in the line
// editor, Escape at a "Tap a key" prompt, more than 500 tables, ...), library code calls
// endProcess, which throws ProcessExit. Nothing catches it on the way up but the
// program's main (runMain and the tools' mains), which returns its status, so every
// destructor on the way closes its files and the terminal is restored.
#pragma once

namespace tabrix {

// The one exception that crosses module boundaries: the process is to end with status().
class ProcessExit {
 public:
  explicit ProcessExit(int status) : status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// Flushes the console and throws ProcessExit(status).
[[noreturn]] void endProcess(int status);

// Runs body and returns its result; a ProcessExit thrown inside gives its status. For
// main functions.
template <typename Body>
int runToExit(Body&& body) {
  try {
    return body();
  } catch (const ProcessExit& exit) {
    return exit.status();
  }
}

// Installs a handler that runs when memory cannot be had; the handler is expected to
// print its message and end the program with endProcess (the run driver prints its
// own warning).
using AllocationFailureHandler = void (*)();
void setAllocationFailureHandler(AllocationFailureHandler handler);

}  // namespace tabrix

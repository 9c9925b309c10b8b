// For tests of the places that end the run: the status a call ends the process with.
#pragma once

#include <optional>

#include "platform/process.h"

namespace tabrix::testing {

// Runs body; the status of the ProcessExit it threw, or nothing when it returned.
template <typename Body>
std::optional<int> exitStatusOf(Body&& body) {
  try {
    body();
  } catch (const ProcessExit& exit) {
    return exit.status();
  }
  return std::nullopt;
}

}  // namespace tabrix::testing

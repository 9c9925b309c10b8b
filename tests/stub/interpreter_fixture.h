// The fixture of the interpreter tests: a run state, a fresh table state and a console
// capture; stubs given as strings are run through the interpreter.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "stub/run_state.h"
#include "platform/console.h"
#include "stub/interpreter.h"
#include "table/table_line.h"

namespace tabrix::testing {

class StubTest : public ::testing::Test {
 protected:
  // Writes the stub to a temporary file and interprets it into target; keeps the
  // console output and whether the interpreter cleared the file reference.
  int16_t runStub(std::string_view stub) { return runStub(stub, table); }
  int16_t runStub(std::string_view stub, TableLine& target) {
    std::FILE* file = std::tmpfile();
    std::fwrite(stub.data(), 1, stub.size(), file);
    std::rewind(file);
    int16_t result = interpret(run, file, target);
    fileCleared = file == nullptr;
    if (file != nullptr) std::fclose(file);
    output = capture.take();
    return result;
  }

  RunState run;
  TableLine table;
  ConsoleCapture capture;
  std::string output;
  bool fileCleared = false;
};

}  // namespace tabrix::testing

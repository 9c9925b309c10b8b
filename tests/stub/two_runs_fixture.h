// The fixture of the chart and PDF command tests: the interpreter fixture over two
// workspace-bank alternatives written by the project's own bank writer, gdp and cons
// annual from 2000 to 2010, the second alternative 10 higher, with the table file
// out.txt open in a temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "banks/workspace_bank.h"
#include "interpreter_fixture.h"
#include "stub/run_state.h"
#include "support/constants.h"
#include "table/table_line.h"
#include "test_files.h"

namespace tabrix::testing {

class TwoRunsStubTest : public StubTest {
 protected:
  TwoRunsStubTest() {
    for (std::size_t k = 0; k < 2; ++k) {
      const std::string root = dir.file("alt" + std::to_string(k + 1));
      {
        VexBank bank(root, "New", 2000, 11, 1);
        bank.setFrequency(1);
        std::array<float, MaxObs> values{};
        for (const char* name : {"gdp", "cons"}) {
          for (int i = 0; i < 11; ++i) values[static_cast<std::size_t>(i)] = 100.0f + static_cast<float>(i + 10 * k);
          EXPECT_GE(bank.writeSeries(name, values, 'y', 11), 0);
        }
      }
      run.banks[k] = std::make_unique<VexBank>(root);
      table.values[k].assign(MaxObs, 0.0f);
      table.altStart[k] = VexDate(2000, 1, 1);
    }
    run.bankCount = 2;
    table.altCount = 2;
    run.outputName = dir.file("out.txt");
    EXPECT_EQ(table.out.open(run.outputName), 0);
  }

  TempDir dir;
};

}  // namespace tabrix::testing

// The one-series workspace bank the driver tests run against: "Base run", GDP annual
// from firstYear, 20 observations 100, 101, ..., written by the project's own writer.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "banks/workspace_bank.h"
#include "support/constants.h"

namespace tabrix::testing {

inline void makeBaseBank(const std::string& root, int firstYear) {
  VexBank bank(root, "New", firstYear, 20, 1);
  ASSERT_TRUE(bank.isOpen());
  bank.setTitle("Base run");
  std::array<float, MaxObs> values{};
  for (int i = 0; i < 20; ++i) values[static_cast<std::size_t>(i)] = 100.0f + static_cast<float>(i);
  bank.setFrequency(1);
  ASSERT_GE(bank.writeSeries("GDP", values, 'y', 20), 0);
}

}  // namespace tabrix::testing

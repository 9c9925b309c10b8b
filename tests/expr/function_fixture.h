// The fixture of the function-library tests: a workspace bank written by our own writer
// (annual from 1960, 60 observations, first month 1) that holds whatever series a test
// stores in it, and expressions evaluated from memory against it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "banks/workspace_bank.h"
#include "expr/evaluator.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "support/constants.h"
#include "test_files.h"

namespace tabrix::testing {

using Series = std::array<float, MaxObs>;

// Observations per series of the fixture's bank.
constexpr int kObs = 60;
constexpr float M = MissingValue;

// A series from its first values; the other slots 0.0.
inline Series seriesOf(const std::vector<float>& values) {
  Series s{};
  for (size_t i = 0; i < values.size() && i < s.size(); ++i) s[i] = values[i];
  return s;
}

// A series of f(i) for i below length; the other slots 0.0.
inline Series seriesBy(const std::function<float(int)>& f, int length = kObs) {
  Series s{};
  for (int i = 0; i < length; ++i) s[static_cast<size_t>(i)] = f(i);
  return s;
}

class FunctionTest : public ::testing::Test {
 protected:
  // One series to store: its frequency and values.
  struct Stored {
    int16_t frequency;
    Series values;
  };

  // Writes the series into a fresh bank and opens it for reading.
  void makeBank(const std::map<std::string, Stored>& series, uint16_t baseYear = 1960,
                uint16_t observations = kObs, uint16_t firstMonth = 1) {
    ConsoleCapture quiet;
    bank.reset();
    const std::string root = dir.file("bank" + std::to_string(++banksMade));
    {
      VexBank w(root, "New", baseYear, observations, firstMonth);
      ASSERT_TRUE(w.isOpen());
      for (const auto& [name, stored] : series) {
        w.setFrequency(stored.frequency);
        ASSERT_GE(w.writeSeries(name, stored.values, 'y', -1), 0) << name;
      }
    }
    bank = std::make_unique<VexBank>(root);
    ASSERT_TRUE(bank->isOpen());
  }

  void TearDown() override {
    ConsoleCapture quiet;
    bank.reset();
  }

  // Evaluates the text (an end of line is appended) against the bank (and the scratch
  // bank, when given); keeps the console output and the result's frequency, returns the
  // status.
  int16_t run(const std::string& text, DataBank* on = nullptr, DataBank* scratch = nullptr) {
    reader.setString(text + "\r\n");
    ConsoleCapture capture;
    const EvalResult evaluated =
        evaluate(context, reader, result, on != nullptr ? *on : *bank, scratch);
    output = capture.text();
    frequency = evaluated.frequency;
    return evaluated.status;
  }

  // Checks every slot: f(i) below length, 0.0 from there on; relative tolerance
  // `tolerance` (0: 4 ulp).
  void expectSeries(const std::function<double(int)>& f, int length, double tolerance = 0.0) {
    for (int i = 0; i < MaxObs; ++i) {
      const double want = i < length ? f(i) : 0.0;
      if (tolerance == 0.0) {
        ASSERT_FLOAT_EQ(result[static_cast<size_t>(i)], static_cast<float>(want)) << "slot " << i;
      } else {
        ASSERT_NEAR(result[static_cast<size_t>(i)], want, tolerance * std::max(1.0, std::fabs(want)))
            << "slot " << i;
      }
    }
  }

  TempDir dir{"tabrix-functions"};
  int banksMade = 0;
  std::unique_ptr<VexBank> bank;
  Chopper reader;
  EvalContext context;
  Series result{};
  std::string output;
  int16_t frequency = 0;
};

}  // namespace tabrix::testing

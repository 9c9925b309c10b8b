// The fixture of the definition and add-file tests: the interpreter fixture run inside
// a fresh temporary directory made the current one (add files are named relative to
// it, and the scratch banks tws0, tws1, ... are created in it), with the alternatives'
// workspace banks written there by the project's own writer.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "banks/workspace_bank.h"
#include "interpreter_fixture.h"
#include "stub/run_state.h"
#include "table/table_line.h"
#include "test_files.h"

namespace tabrix::testing {

// Observations per series of the fixture banks (annual from 1990).
constexpr int kFixtureObservations = 10;
constexpr int kFixtureBaseYear = 1990;

// One series of a fixture bank: its name, frequency and value at observation i.
struct FixtureSeries {
  std::string name;
  int16_t frequency;
  std::function<float(int)> value;
};

class WorkDirTest : public StubTest {
 protected:
  WorkDirTest() : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir.path());
    setDriverDefaults(table);
    table.out.openMemory();
  }
  ~WorkDirTest() override {
    // The scratch banks write their index on the way out, inside the directory.
    for (auto& bank : run.scratchBanks) bank.reset();
    for (auto& bank : run.banks) bank.reset();
    std::filesystem::current_path(saved_);
  }

  // Writes a text file in the directory.
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(dir.file(name), std::ios::binary) << text;
  }

  // Writes a workspace bank "bank<n>" with the series and opens it as the next
  // alternative.
  void addBank(const std::string& title, const std::vector<FixtureSeries>& series) {
    const std::string root = dir.file("bank" + std::to_string(run.bankCount + 1));
    {
      VexBank writer(root, "New", kFixtureBaseYear, kFixtureObservations, 1);
      ASSERT_TRUE(writer.isOpen());
      writer.setTitle(title);
      for (const FixtureSeries& s : series) {
        std::array<float, MaxObs> values{};
        for (int i = 0; i < kFixtureObservations; ++i) values[static_cast<size_t>(i)] = s.value(i);
        writer.setFrequency(s.frequency);
        ASSERT_GE(writer.writeSeries(s.name, values, 'y', -1), 0);
      }
    }
    auto bank = std::make_unique<VexBank>(root);
    ASSERT_TRUE(bank->isOpen());
    const auto k = static_cast<size_t>(run.bankCount);
    table.altTitles[k] = title;
    run.banks[k] = std::move(bank);
    ++run.bankCount;
    table.altCount = run.bankCount;
  }

  // The first kFixtureObservations values of a series of alternative k's scratch bank,
  // or nothing when it has no such series; frequency gets the stored frequency.
  std::vector<float> scratchSeries(int k, const std::string& name, int16_t* frequency = nullptr) {
    VexBank* scratch = run.scratchBanks[static_cast<size_t>(k)].get();
    if (scratch == nullptr) return {};
    std::array<float, MaxObs> values{};
    if (scratch->readSeries(name, values, -1) != 0) return {};
    if (frequency != nullptr) *frequency = scratch->frequency();
    return std::vector<float>(values.begin(), values.begin() + kFixtureObservations);
  }

  TempDir dir{"tabrix-stub"};

 private:
  std::filesystem::path saved_;
};

// The values f(0) .. f(kFixtureObservations - 1).
inline std::vector<float> expectedSeries(const std::function<float(int)>& f) {
  std::vector<float> values;
  for (int i = 0; i < kFixtureObservations; ++i) values.push_back(f(i));
  return values;
}

}  // namespace tabrix::testing

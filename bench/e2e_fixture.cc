// e2e_fixture: writes the fixture of the end-to-end benchmark (bench/run_e2e.sh) into a
// folder: ten banks alt0 .. alt9 of one kind, a stub of 5,000 table lines and the
// response file that compares the ten banks in percentage deviations (run it in that
// folder: tabrix -s e2e.in).
//
//   e2e_fixture h DIR   hashed banks of 20,000 annual series (60 observations, 1,009 buckets)
//   e2e_fixture w DIR   workspace banks of 3,000 annual series (60 observations)
//
// The stub's lines: 60% a plain series, 20% a ratio a/b*100, 20% a first difference
// x-x[1]; ten date columns: six single years, three compound growth ranges, one
// average. Every value is made by a fixed rule, so the table is the same every time.
#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "banks/hash_bank_writer.h"
#include "banks/workspace_bank.h"
#include "dates/vex_date.h"
#include "platform/console.h"
#include "support/constants.h"

namespace {

constexpr int kAlternatives = 10;
constexpr int kObservations = 60;  // 1970 .. 2029
constexpr int kBaseYear = 1970;
constexpr int kLines = 5000;
constexpr uint16_t kBuckets = 1009;

std::string seriesName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "s%05d", i);
  return name;
}

// Observation t of series i in alternative a: a level that grows, with a wobble.
float value(int a, int i, int t) {
  const unsigned h = static_cast<unsigned>(i) * 2654435761u + static_cast<unsigned>(t) * 40503u;
  const float wobble = static_cast<float>(h % 1000u) / 1000.0f;
  return (100.0f + static_cast<float>(i % 997)) * (1.0f + 0.02f * static_cast<float>(t)) +
         wobble + 0.5f * static_cast<float>(a);
}

bool writeHashed(const std::string& dir, int seriesCount) {
  for (int a = 0; a < kAlternatives; ++a) {
    tabrix::HashBankWriter writer("Alternative " + std::to_string(a), kBuckets);
    std::vector<float> values(kObservations);
    for (int i = 0; i < seriesCount; ++i) {
      for (int t = 0; t < kObservations; ++t) values[static_cast<std::size_t>(t)] = value(a, i, t);
      if (writer.addSeries(seriesName(i), tabrix::VexDate(kBaseYear, 1, 1), values) != 0) return false;
    }
    if (writer.write(dir + "/alt" + std::to_string(a)) != 0) return false;
  }
  return true;
}

bool writeWorkspace(const std::string& dir, int seriesCount) {
  for (int a = 0; a < kAlternatives; ++a) {
    tabrix::VexBank bank(dir + "/alt" + std::to_string(a), "New", kBaseYear, kObservations, 1);
    if (!bank.isOpen()) return false;
    bank.setTitle("Alternative " + std::to_string(a));
    bank.setFrequency(1);
    std::array<float, tabrix::MaxObs> values{};
    for (int i = 0; i < seriesCount; ++i) {
      for (int t = 0; t < kObservations; ++t) values[static_cast<std::size_t>(t)] = value(a, i, t);
      // The store that fills the bank (its 3,000th series) keeps the series and says the
      // bank is full.
      const bool filling = i + 1 == tabrix::VexBank::MaxNewSeries;
      if (bank.writeSeries(seriesName(i), values, 'n', kObservations) < 0 && !filling) return false;
    }
  }
  return true;
}

bool writeStub(const std::string& dir, int seriesCount) {
  std::ofstream stub(dir + "/e2e.stb", std::ios::binary);
  stub << "\\noformat\n\\growthtype c\n"
          "\\dates 2020 2021 2022 2023 2024 2025 2000-2010 2010-2020 2020-2029 2025|2029\n"
          "\\title End-to-end benchmark\n*\n&\n";
  for (int n = 0; n < kLines; ++n) {
    const int i = (n * 7919) % seriesCount;
    const int j = (n * 104729 + 13) % seriesCount;
    switch (n % 5) {
      case 3: stub << seriesName(i) << "/" << seriesName(j) << "*100"; break;
      case 4: stub << seriesName(i) << "-" << seriesName(i) << "[1]"; break;
      default: stub << seriesName(i); break;
    }
    char title[16];
    std::snprintf(title, sizeof title, "L%05d", n + 1);
    stub << ";" << title << "\n";
  }
  return static_cast<bool>(stub);
}

// The names are relative: the job runs in the folder (a bank name may hold no '.').
bool writeResponse(const std::string& dir, char kind) {
  std::ofstream in(dir + "/e2e.in", std::ios::binary);
  in << kAlternatives << "\n";
  for (int a = 0; a < kAlternatives; ++a) in << kind << "\nalt" << a << "\n";
  in << "p\ne2e.stb\ne2e.txt\n";
  return static_cast<bool>(in);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (argv[1][0] != 'h' && argv[1][0] != 'w') || argv[1][1] != '\0') {
    std::fprintf(stderr, "usage: e2e_fixture h|w DIR\n");
    return 2;
  }
  const char kind = argv[1][0];
  const std::string dir = argv[2];
  const int seriesCount = kind == 'h' ? 20000 : 3000;
  tabrix::ConsoleCapture quiet;  // the writers' own messages are not wanted here
  const bool ok = (kind == 'h' ? writeHashed(dir, seriesCount) : writeWorkspace(dir, seriesCount)) &&
                  writeStub(dir, seriesCount) && writeResponse(dir, kind);
  if (!ok) {
    std::string said = quiet.take();
    std::fprintf(stderr, "e2e_fixture: could not write the fixture in %s\n%s", dir.c_str(), said.c_str());
    return 1;
  }
  return 0;
}

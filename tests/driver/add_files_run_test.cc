// Whole runs of tabrix with add files and definitions: the table a stub builds from an
// add file called with arguments, defining a series inside it, compared byte for byte
// with a table file worked out by hand; and the missing-argument end of the run.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "banks/workspace_bank.h"
#include "driver/run_driver.h"
#include "platform/console.h"
#include "test_files.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;

// A fresh folder made the current directory for one run (add files are named relative
// to it and the scratch banks are made in it); the previous one is restored afterwards.
class RunDir : public testing::TempDir {
 public:
  RunDir() : testing::TempDir("tabrix-addrun"), saved_(fs::current_path()) {
    fs::current_path(path());
  }
  ~RunDir() { fs::current_path(saved_); }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(file(name), std::ios::binary) << text;
  }

 private:
  fs::path saved_;
};

// Writes an annual workspace bank of 6 observations from 1990 with the series given.
void makeBank(const std::string& root, const std::string& title,
              const std::vector<std::pair<std::string, std::array<float, 6>>>& series) {
  VexBank bank(root, "New", 1990, 6, 1);
  ASSERT_TRUE(bank.isOpen());
  bank.setTitle(title);
  for (const auto& [name, values] : series) {
    std::array<float, MaxObs> all{};
    std::copy(values.begin(), values.end(), all.begin());
    bank.setFrequency(1);
    ASSERT_GE(bank.writeSeries(name, all, 'y', -1), 0);
  }
}

// Runs tabrix quietly on a response file; the exit status and the console text.
std::pair<int, std::string> runTabrix(const std::string& responseFile) {
  ConsoleCapture capture;
  std::string program = "tabrix";
  std::string quiet = "-s";
  std::string response = responseFile;
  char* argv[] = {program.data(), quiet.data(), response.data()};
  const int status = runMain(3, argv);
  return {status, capture.text()};
}

// Two alternatives; the stub runs one add file twice with different arguments. Each
// call defines gap as the difference of its two series arguments (so the second call
// redefines it) and writes a block: the date header, the first series and gap.
//
// The expected numbers, by hand (deviations from the base, one decimal):
//   gdp   base 1991 1993 1995: 1010 1050 1100; high growth 1020 1070 1130: 10 20 30
//   gap   = gdp - gdpp: base 1010-1005=5, 1050-1040=10, 1100-1090=10;
//           high 1020-1010=10, 1070-1050=20, 1130-1110=20: deviations 5 10 10
//   gdpp  base 1005 1040 1090; high 1010 1050 1110: deviations 5 10 20
//   gap   = gdpp - gdp: base -5 -10 -10; high -10 -20 -20: deviations -5 -10 -10
TEST(AddFileRunTest, TableFromADefinitionInAnAddFileWithArguments) {
  RunDir dir;
  makeBank("base", "Base run",
           {{"gdp", {1000, 1010, 1030, 1050, 1080, 1100}},
            {"gdpp", {990, 1005, 1020, 1040, 1060, 1090}}});
  makeBank("alt", "High growth",
           {{"gdp", {1000, 1020, 1045, 1070, 1095, 1130}},
            {"gdpp", {990, 1010, 1030, 1050, 1080, 1110}}});
  dir.write("block.add", "\\f gap = %1 - %2\n\\title %3 gap\n&\n%1;%3\ngap;%3 gap\n");
  dir.write("t.stb",
            "\\dates 1991 1993 1995\n\\add block.add gdp gdpp Output\n"
            "\\add block.add gdpp gdp Prices\n;end\n");
  dir.write("t.in", "2\nw\nbase\nw\nalt\nd\nt.stb\nt.out\n");

  const auto [status, console] = runTabrix(dir.file("t.in"));
  EXPECT_EQ(status, 0) << console;
  const std::string expected =
      testing::readFile(std::string(TABRIX_TEST_DATA) + "/tables/definitions_in_add_file.txt");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(testing::readFile(dir.file("t.out")), expected);
  EXPECT_TRUE(fs::exists(dir.file("tws0.bnk")));
  EXPECT_TRUE(fs::exists(dir.file("tws1.ind")));
}

// A mark of an argument that was not given ends the whole program with status 1.
TEST(AddFileRunTest, MissingAddFileArgumentEndsTabrixWithStatusOne) {
  RunDir dir;
  makeBank("base", "Base run", {{"GDP", {1, 2, 3, 4, 5, 6}}});
  dir.write("sub.add", "\\echo %1 %2\n\\echo %3\n");
  dir.write("t.stb", "\\add sub.add 1990 GDP\n\\echo not reached\n");
  dir.write("t.in", "1\nw\nbase\nt.stb\nt.out\n");

  const auto [status, console] = runTabrix(dir.file("t.in"));
  EXPECT_EQ(status, 1);
  const std::string tail =
      "  1990 GDP\r\n"
      "You called an add file that required argument %3, but you did not \r\n"
      "   provide it!  Hey, be a little more careful with your stub files!\r\n"
      "Quitting Now...\r\n";
  ASSERT_GE(console.size(), tail.size());
  EXPECT_EQ(console.substr(console.size() - tail.size()), tail);
}

}  // namespace
}  // namespace tabrix

// A whole run of tabrix that ends in an add file: a mark of an argument the \add line
// did not give ends the program with status 1. (The tables that add files and
// definitions build are golden cases: tests/data/golden/addfiles.)
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

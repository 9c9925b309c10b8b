// The run driver's group store: groups.bin in the current directory is read before the
// stub runs, so groups defined in one run are listed in the next; a damaged file is
// refused and kept.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "banks/workspace_bank.h"
#include "driver/run_driver.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "test_files.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;

// A temporary directory that is the current one while the test runs.
class WorkDir : public testing::TempDir {
 public:
  WorkDir() : testing::TempDir("tabrix-groups"), saved_(fs::current_path()) { fs::current_path(path()); }
  ~WorkDir() { fs::current_path(saved_); }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(file(name), std::ios::binary) << text;
  }

 private:
  fs::path saved_;
};

// Runs the program quietly on one workspace bank and the stub; returns the console.
std::string runStub(const WorkDir& dir, const std::string& stub) {
  {
    VexBank bank(dir.file("base"), "New", 1990, 2, 1);
    bank.setTitle("Base run");
    bank.setFrequency(1);
    std::array<float, MaxObs> values{};
    EXPECT_GE(bank.writeSeries("GDP", values, 'y', 2), 0);
  }
  dir.write("t.stb", stub);
  dir.write("t.in", "1\nw\n" + dir.file("base") + "\n" + dir.file("t.stb") + "\n" + dir.file("t.out") + "\n");
  ScriptedKeys keys("", false);
  ScopedKeySource source(keys);
  ConsoleCapture capture;
  std::string in = dir.file("t.in");
  char program[] = "tabrix";
  char quiet[] = "-s";
  char* argv[] = {program, quiet, in.data()};
  EXPECT_EQ(runMain(3, argv), 0);
  return capture.text();
}

// What the program prints before the stub runs.
std::string heading(const WorkDir& dir) {
  return "\r\n                              TABRIX FOR WINDOWS"
         "\r\n                                 Version 6.592"
         "\r\nNow making the table as file " + dir.file("t.out") + ".\r\n\r\n"
         "    Simulations being compared:\r\n  1. Base run\r\n\r\n";
}

TEST(DriverGroups, GroupsOfOneRunAreListedInTheNext) {
  WorkDir dir;
  // Without groups.bin at the start nothing counts as loaded, even after a definition.
  EXPECT_EQ(runStub(dir, "\\group east\n1-5, 8\n\\listgroups\n"),
            heading(dir) + "\r\nNo groups loaded.  Sorry!\n\r");
  EXPECT_EQ(testing::readFile(dir.file("groups.bin")).size(), 1206u + 21u);

  EXPECT_EQ(runStub(dir, "\\group west\n101-103\n\\listgroups\n\\glist east\n"),
            heading(dir) + "\r\nGroups currently loaded:\r\neast           west           \r\n"
                           "\r\n Contents of group east:\n\r   1    2    3    4    5    8 \r\n");
}

TEST(DriverGroups, ADamagedFileIsRefusedAndKept) {
  WorkDir dir;
  const std::string damaged = std::string("\x05\x00", 2) + std::string(40, 'x');
  dir.write("groups.bin", damaged);
  const std::string refusal =
      "Error reading header!  Help!\n\r\ngroups.bin is damaged: the file ends inside its "
      "1206-byte header.\r\nNo groups are loaded; the file is left as it is until a new "
      "\\group definition is made.\r\n";
  // Refused when the store is made at start-up and again when it is read for the stub.
  const std::string out = runStub(dir, "\\listgroups\n");
  EXPECT_EQ(out, refusal + heading(dir) + refusal + "\r\nNo groups loaded.  Sorry!\n\r");
  EXPECT_EQ(testing::readFile(dir.file("groups.bin")), damaged);
}

}  // namespace
}  // namespace tabrix

// Whole runs with the publication renderers: the files they write beside the table
// file, the pages each receives when a stub switches them, and the exit status of a
// run whose renderer file cannot be opened or written.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "banks/workspace_bank.h"
#include "driver/run_driver.h"
#include "platform/console.h"
#include "platform/files.h"
#include "test_files.h"
#include "base_bank.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;
using testing::readFile;

class RenderRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::makeBaseBank(dir.file("base"), 1990);
  }

  // Runs the stub; the console output and the exit status.
  int runStub(const std::string& stub) {
    std::ofstream(dir.file("t.stb")) << stub;
    std::ofstream(dir.file("t.in")) << "1\nw\n" + dir.file("base") + "\n" + dir.file("t.stb") +
                                           "\n" + dir.file("t.txt") + "\n";
    ConsoleCapture capture;
    std::string response = dir.file("t.in");
    std::vector<char*> argv = {const_cast<char*>("tabrix"), const_cast<char*>("-s"),
                               response.data()};
    int status = runMain(static_cast<int>(argv.size()), argv.data());
    console = capture.text();
    return status;
  }

  testing::TempDir dir{"tabrix-render-run"};
  std::string console;
};

// Three pages, each with its own title.
constexpr const char* kPages =
    "\\dates 1991 1995\n\\title First\n*\n&\nGDP;Gross product\n"
    "\\title Second\n*\n&\nGDP*2;Twice the product\n"
    "\\title Third\n*\n&\nGDP*3;Three times\n";

TEST_F(RenderRunTest, TheRenderersWriteBesideTheTableFile) {
  EXPECT_EQ(runStub(std::string("\\html\n\\markdown\n\\latex\n") + kPages), 0);
  std::string text = readFile(dir.file("t.txt"));
  std::string html = readFile(dir.file("t.html"));
  std::string md = readFile(dir.file("t.md"));
  std::string tex = readFile(dir.file("t.tex"));
  // 1991 and 1995 of GDP, twice and three times it: as the text table shows them.
  for (const char* number : {"101.0", "105.0", "202.0", "210.0", "303.0", "315.0"}) {
    SCOPED_TRACE(number);
    EXPECT_NE(text.find(number), std::string::npos);
    EXPECT_NE(html.find(std::string("<td>") + number + "</td>"), std::string::npos);
    EXPECT_NE(md.find(std::string(" ") + number + " |"), std::string::npos);
    EXPECT_NE(tex.find(std::string(" & ") + number), std::string::npos);
  }
  EXPECT_NE(html.find("<h1>First</h1>"), std::string::npos);
  EXPECT_NE(md.find("## Third"), std::string::npos);
  EXPECT_NE(tex.find("% table 3 end"), std::string::npos);
}

TEST_F(RenderRunTest, EachFileHoldsThePagesComposedWhileItWasAttached) {
  const std::string stub = "\\dates 1991 1995\n\\title First\n*\n&\nGDP;Gross product\n"
                           "\\html " + dir.file("a") + "\n"
                           "\\title Second\n*\n&\nGDP*2;Twice the product\n"
                           "\\html " + dir.file("b") + "\n"
                           "\\title Third\n*\n&\nGDP*3;Three times\n"
                           "\\html no\n"
                           "\\title Fourth\n*\n&\nGDP*4;Four times\n";
  EXPECT_EQ(runStub(stub), 0);
  std::string a = readFile(dir.file("a.html"));
  std::string b = readFile(dir.file("b.html"));
  // Attached in the middle of the first page, a renderer shows the rest of it.
  EXPECT_EQ(a.find("Gross product"), std::string::npos);
  EXPECT_NE(a.find("Twice the product"), std::string::npos);
  EXPECT_EQ(a.find("Three times"), std::string::npos);
  EXPECT_NE(b.find("Three times"), std::string::npos);
  EXPECT_EQ(b.find("Four times"), std::string::npos);
  EXPECT_TRUE(a.ends_with("</html>\n"));
  EXPECT_TRUE(b.ends_with("</html>\n"));
  EXPECT_NE(readFile(dir.file("t.txt")).find("Four times"), std::string::npos);
}

TEST_F(RenderRunTest, ARendererFileThatCannotBeOpenedEndsTheRunWithStatus2) {
  EXPECT_EQ(runStub("\\latex " + dir.file("none/t") + "\n" + kPages), RunFailed);
  EXPECT_NE(console.find("Unable to open " + dir.file("none/t.tex") + " for writing.\n"),
            std::string::npos)
      << console;
  // The run stopped there: no table line was composed.
  EXPECT_EQ(readFile(dir.file("t.txt")).find("Gross product"), std::string::npos);
}

TEST_F(RenderRunTest, ARendererFileThatCannotBeWrittenEndsTheRunWithStatus2) {
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  fs::create_symlink("/dev/full", dir.file("full.md"));
  EXPECT_EQ(runStub("\\markdown " + dir.file("full.md") + "\n" + kPages), RunFailed);
  const std::string message =
      "\nError:  Could not write " + dir.file("full.md") + "; the table in it is incomplete.\r\n";
  std::size_t first = console.find(message);
  ASSERT_NE(first, std::string::npos) << console;
  EXPECT_EQ(console.find(message, first + 1), std::string::npos) << console;
  // The table file is whole.
  EXPECT_NE(readFile(dir.file("t.txt")).find("Three times"), std::string::npos);
}

}  // namespace
}  // namespace tabrix

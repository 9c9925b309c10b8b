// With SOURCE_DATE_EPOCH set, every output form gives the same bytes run after run,
// and the time written into a file is the epoch's.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "banks/workspace_bank.h"
#include "driver/run_driver.h"
#include "platform/console.h"
#include "test_files.h"
#include "base_bank.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;

struct Form {
  const char* name;
  const char* stub;    // the commands before the table
  const char* output;  // the file the form is written to
  const char* stamp;   // a text of the epoch's time the file must hold ("" for none)
};

const Form kForms[] = {
    {"text", "\\timestamp\n", "t.out", "Tue Nov 14 22:13:20 2023"},
    {"printer codes", "\\timestamp\n\\font courier 12\n", "t.out", "Tue Nov 14 22:13:20 2023"},
    {"rtf", "\\rtf\n\\timestamp\n", "t.rtf", "Tue Nov 14 22:13:20 2023"},
    {"prn", "\\prn\n\\timestamp\n", "t.out", ""},
    {"data records", "\\gdata 3\n", "t.out", ""},
    {"one per line", "\\oneperline\n", "t.out", ""},
    {"wk1", "\\wk1 sheet\n", "sheet.wk1", ""},
    {"workbook", "\\xls book\n", "book.xlsx", ""},
    {"workbook csv", "\\xls book.csv\n", "book.csv", ""},
    {"workbook text", "\\filetype UnicodeText\n\\xls book\n", "book.txt", ""},
    {"workbook html", "\\filetype Html\n\\xls book\n", "book.html", ""},
    {"workbook wk1", "\\filetype WK1\n\\xls book\n", "book.wk1", ""},
};

class ReproducibleTest : public ::testing::Test {
 protected:
  ReproducibleTest() : dir_("tabrix-repro"), saved_(fs::current_path()) {
    if (const char* old = std::getenv("SOURCE_DATE_EPOCH")) savedEpoch_ = old;
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  }
  ~ReproducibleTest() override {
    fs::current_path(saved_);
    if (savedEpoch_.empty()) {
      ::unsetenv("SOURCE_DATE_EPOCH");
    } else {
      ::setenv("SOURCE_DATE_EPOCH", savedEpoch_.c_str(), 1);
    }
  }

  // Runs one form in its own folder (made the first time) and gives back the file.
  std::string run(const Form& form, int index) {
    const std::string folder = dir_.file("form" + std::to_string(index));
    fs::create_directories(folder);
    fs::current_path(folder);
    if (!fs::exists("base.bnk")) makeBank("base");
    std::ofstream("t.stb") << form.stub << "\\head Reproducible\n\\dates 2000 2001 2002\n*\n&\nGDP;Output\n";
    std::ofstream("t.in") << "1\nw\nbase\nt.stb\nt.out\n";
    std::string argv0 = "tabrix", quiet = "-s", in = "t.in";
    std::array<char*, 3> argv{argv0.data(), quiet.data(), in.data()};
    ConsoleCapture capture;
    EXPECT_EQ(runMain(3, argv.data()), 0) << capture.text();
    return testing::readFile(form.output);
  }

  static void makeBank(const std::string& root) { testing::makeBaseBank(root, 1995); }

  testing::TempDir dir_;
  fs::path saved_;
  std::string savedEpoch_;
};

TEST_F(ReproducibleTest, EveryOutputFormGivesTheSameBytesTwice) {
  std::map<std::string, std::string> first;
  int index = 0;
  for (const Form& form : kForms) first[form.name] = run(form, index++);
  // The clock moves on between the two runs of every form.
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  index = 0;
  for (const Form& form : kForms) {
    SCOPED_TRACE(form.name);
    const std::string again = run(form, index++);
    EXPECT_FALSE(again.empty());
    EXPECT_TRUE(again == first[form.name]) << "the two runs' " << form.output << " differ";
    if (*form.stamp != '\0') {
      EXPECT_NE(again.find(form.stamp), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tabrix

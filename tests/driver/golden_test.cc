// Golden whole-table tests. Each folder under tests/data/golden/ is one case (its layout
// is in tests/data/golden/README.md): the banks are made from the case's CSV files with
// the bank tool, tabrix runs every response file of the case with -s in a fresh
// temporary folder, and every file of the case's expected/ folder must equal what the
// run wrote, byte for byte (NAME.console: what the run of NAME.in printed).
//
// The expected files hold what the program writes; the numbers in their tables are
// worked out independently of the program, from the CSV data by the table's formulas,
// by tests/golden_numbers.py (the CTest test golden_numbers), so a wrong number in an
// expected file fails the suite there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "banks/bank_tool.h"
#include "driver/run_driver.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "platform/run_files.h"
#include "test_files.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = fs::path(TABRIX_TEST_DATA) / "golden";

// The case folders, in name order.
std::vector<std::string> goldenCases() {
  std::vector<std::string> cases;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kGoldenDir, error)) {
    if (entry.is_directory()) cases.push_back(entry.path().filename().string());
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// The names of the regular files in a folder, in name order.
std::vector<std::string> fileNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The lines of inputs.txt: files of the source tree, given from its root, that the case
// uses besides its own. '#' starts a comment.
std::vector<fs::path> listedInputs(const fs::path& caseDir) {
  std::vector<fs::path> inputs;
  std::ifstream in(caseDir / "inputs.txt");
  for (std::string line; std::getline(in, line);) {
    line = line.substr(0, line.find('#'));
    line.erase(line.find_last_not_of(" \t\r") + 1);
    line.erase(0, line.find_first_not_of(" \t"));
    if (!line.empty()) inputs.push_back(fs::path(TABRIX_SOURCE_DIR) / line);
  }
  return inputs;
}

// Where two texts first differ: the line number and both lines; "" when they are equal.
std::string firstDifference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return "";
  std::istringstream e(expected);
  std::istringstream a(actual);
  std::string lineE;
  std::string lineA;
  for (int number = 1;; ++number) {
    bool moreE = static_cast<bool>(std::getline(e, lineE));
    bool moreA = static_cast<bool>(std::getline(a, lineA));
    if (!moreE && !moreA) return "the texts differ in their last line end";
    if (!moreE || !moreA || lineE != lineA) {
      return "first difference in line " + std::to_string(number) + "\n  expected: " +
             (moreE ? lineE : "(end of file)") + "\n  written:  " + (moreA ? lineA : "(end of file)");
    }
  }
}

// The bank a CSV file makes: NAME.K.csv is the bank NAME of kind K (w, c, h, d or v; a
// dirfor bank NAME is described by NAME.dat), NAME.csv a workspace bank. False for a
// file that is no CSV file.
bool bankOfCsv(const std::string& fileName, std::string& root, std::string& kind) {
  if (!fileName.ends_with(".csv") || fileName.size() <= 4) return false;
  root = fileName.substr(0, fileName.size() - 4);
  kind = "w";
  const std::size_t n = root.size();
  if (n > 2 && root[n - 2] == '.' && std::string_view("wchdv").find(root[n - 1]) != std::string_view::npos) {
    kind = root.substr(n - 1);
    root.resize(n - 2);
  }
  return true;
}

// Runs tabrix in a folder, as `tabrix -s response` there; the current directory is
// restored afterwards.
struct RunResult {
  int status = -1;
  std::string console;
};

RunResult runIn(const fs::path& folder, const std::string& response) {
  struct RestoreDirectory {
    fs::path saved = fs::current_path();
    ~RestoreDirectory() { fs::current_path(saved); }
  } restore;
  fs::current_path(folder);
  ScriptedKeys noKeys("", false);  // a question would be answered by the end of input
  ScopedKeySource keys(noKeys);
  ConsoleCapture capture;
  std::vector<std::string> words{"tabrix", "-s", response};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  RunResult result;
  result.status = runMain(static_cast<int>(argv.size()), argv.data());
  result.console = capture.text();
  return result;
}

// Copies the case's files into the folder and makes its banks.
void prepareCase(const fs::path& caseDir, const fs::path& run) {
  for (const std::string& name : fileNames(caseDir)) {
    if (name == "README.md" || name == "inputs.txt") continue;
    fs::copy_file(caseDir / name, run / name);
  }
  for (const fs::path& input : listedInputs(caseDir)) {
    ASSERT_TRUE(fs::is_regular_file(input)) << "inputs.txt names " << input << ", which is not a file";
    fs::copy_file(input, run / input.filename(), fs::copy_options::overwrite_existing);
  }
  for (const std::string& name : fileNames(run)) {
    std::string root;
    std::string kind;
    if (!bankOfCsv(name, root, kind)) continue;
    ConsoleCapture quiet;
    const std::string description = (run / (root + ".dat")).string();
    const BankSelection bank{(run / root).string(), kind[0], true, description};
    std::ostringstream said;
    EXPECT_EQ(createBank(bank, (run / name).string(), said), BankToolStatus::kDone)
        << "making the bank " << root << " from " << name << ":\n" << quiet.text();
  }
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, TablesMatchTheExpectedFiles) {
  const fs::path caseDir = kGoldenDir / GetParam();
  testing::TempDir dir("tabrix-golden");
  const fs::path run(dir.path());

  // The inputs (the case's own files and those named in inputs.txt) and the banks.
  prepareCase(caseDir, run);
  if (HasFatalFailure()) return;

  // Every response file, in name order.
  std::map<std::string, std::string> consoles;
  int responses = 0;
  for (const std::string& name : fileNames(run)) {
    if (!name.ends_with(".in")) continue;
    ++responses;
    RunResult result = runIn(run, name);
    EXPECT_EQ(result.status, 0) << "tabrix -s " << name << " printed:\n" << result.console;
    consoles[name.substr(0, name.size() - 3) + ".console"] = result.console;
  }
  ASSERT_GT(responses, 0) << "the case has no response file";

  const std::vector<std::string> expected = fileNames(caseDir / "expected");
  ASSERT_FALSE(expected.empty()) << "the case has no expected files";
  for (const std::string& name : expected) {
    const std::string want = testing::readFile((caseDir / "expected" / name).string());
    std::string got;
    if (consoles.count(name) != 0) {
      got = consoles[name];
    } else {
      ASSERT_TRUE(fs::is_regular_file(run / name)) << "the run wrote no " << name;
      got = testing::readFile((run / name).string());
    }
    const std::string difference = firstDifference(want, got);
    EXPECT_TRUE(difference.empty()) << name << " differs from its expected file: " << difference;
  }
}


// How many times the messages of a failed output occur in a run's console.
int failureMessages(const std::string& console) {
  int count = 0;
  for (const char* message : {"Error:  Could not write ", "Error:  cannot write ", "Unable to write ",
                              "Unable to open ", "Cannot open ", "Cannot write "}) {
    for (std::size_t at = console.find(message); at != std::string::npos; at = console.find(message, at + 1)) {
      // A bank's "Unable to write to index." comes before the message naming its file.
      if (console.compare(at, std::strlen(message) + 8, std::string(message) + "to index") != 0) ++count;
    }
  }
  return count;
}

// Every output operation of every response file fails in turn (the Nth write, flush or
// close, N = 1, 2, ... until the run completes without reaching N): each such run ends
// with status 2 and one report naming the file (a bank's own message and the message
// of the command that needed the bank count as one); none crashes, hangs or succeeds.
TEST_P(GoldenTest, EveryFailedOutputOperationEndsTheRunWithStatus2) {
  if (!faultInjectionBuilt()) GTEST_SKIP() << "a build without fault injection";
  const fs::path caseDir = kGoldenDir / GetParam();
  testing::TempDir prepared("tabrix-golden");
  prepareCase(caseDir, prepared.path());
  for (const std::string& response : fileNames(prepared.path())) {
    if (!response.ends_with(".in")) continue;
    for (long n = 1;; ++n) {
      SCOPED_TRACE(response + ", output operation " + std::to_string(n));
      testing::TempDir dir("tabrix-golden");
      fs::copy(prepared.path(), dir.path(), fs::copy_options::recursive);
      failOutputOperation(n, n % 2 == 0 ? EIO : ENOSPC);
      const RunResult result = runIn(dir.path(), response);
      const bool reached = outputOperations() >= n;
      failOutputOperation(0, 0);
      if (!reached) {
        EXPECT_EQ(result.status, 0) << result.console;
        break;
      }
      EXPECT_EQ(result.status, RunFailed) << result.console;
      // Reported once: by the writer, and for a bank also by the command that needed it.
      const int messages = failureMessages(result.console);
      EXPECT_TRUE(messages == 1 || messages == 2) << messages << " messages:\n" << result.console;
      if (::testing::Test::HasFailure()) break;  // one failing operation tells enough
    }
  }
}

std::string caseTestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, ::testing::ValuesIn(goldenCases()), caseTestName);

}  // namespace
}  // namespace tabrix

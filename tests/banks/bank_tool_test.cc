#include "banks/bank_tool.h"

#include <gtest/gtest.h>

#include <bit>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bank_test_support.h"
#include "tool_run.h"
#include "banks/workspace_bank.h"
#include "platform/console.h"

namespace tabrix {
namespace {

using testing::TempDir;

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

uint32_t bits(float value) { return std::bit_cast<uint32_t>(value); }

// Runs the program tabrix-bank; returns its status and keeps what it wrote (standard
// output, then standard error).
int run(const std::vector<std::string>& args, std::string& output) {
  testing::ToolOutcome outcome = testing::runBankToolProgram(args);
  output = outcome.out + outcome.err;
  return outcome.status;
}

const char* const kSample =
    "\xEF\xBB\xBFtitle,\"Base run, March\"\r\n"
    "base year,1990\r\n"
    "first month,4\r\n"
    "observations,6\r\n"
    "\r\n"
    "Name,Frequency,1990.1,1990.2,1990.3,1990.4,1991.1,1991.2\r\n"
    "gdp,4,5012.5,5030.1,,5070,0.1,-0\r\n"
    "cpi,12,1e-40,3.4028235e38,-3.4028235e38,,,\r\n"
    "\"rate, long\",1,  7 ,\"8\"\r\n"
    "empty,1\r\n"
    ",,,\r\n";

TEST(BankToolTest, CreateThenDumpGivesBackTheSameFloats) {
  TempDir dir;
  writeText(dir.file("in.csv"), kSample);
  std::string output;
  ASSERT_EQ(run({"create", dir.file("base"), dir.file("in.csv")}, output), 0) << output;
  EXPECT_EQ(output, "tabrix-bank: workspace bank " + dir.file("base") +
                        ": 4 series of 6 observations\n");

  {
    VexBank bank(dir.file("base"));
    ASSERT_TRUE(bank.isOpen());
    EXPECT_EQ(bank.title(), "Base run, March");
    EXPECT_EQ(bank.baseYear(), 1990);
    EXPECT_EQ(bank.startPeriod(), 4);
    EXPECT_EQ(bank.observations(), 6);
    testing::Series values{};
    ASSERT_EQ(bank.readSeries("gdp", values, -1), 0);
    EXPECT_EQ(bank.frequency(), 4);
    EXPECT_EQ(values[1], 5030.1f);
    EXPECT_EQ(bits(values[2]), bits(MissingValue));
    EXPECT_EQ(bits(values[5]), bits(-0.0f));
    ASSERT_EQ(bank.readSeries("empty", values, -1), 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bits(values[i]), bits(MissingValue));
  }

  ASSERT_EQ(run({"dump", dir.file("base"), dir.file("out.csv")}, output), 0) << output;
  EXPECT_EQ(output, "tabrix-bank: opened the workspace bank " + dir.file("base") + "\n");
  std::string dumped = readText(dir.file("out.csv"));
  EXPECT_EQ(dumped,
            "title,\"Base run, March\"\n"
            "base year,1990\n"
            "first month,4\n"
            "observations,6\n"
            "name,frequency,1,2,3,4,5,6\n"
            "gdp,4,5012.5,5030.1,,5070,0.1,-0\n"
            "cpi,12,1e-40,3.4028235e+38,-3.4028235e+38\n"
            "\"rate, long\",1,7,8\n"
            "empty,1\n");

  // Both files parse to the same values, bit for bit.
  BankTable original;
  BankTable back;
  {
    ConsoleCapture quiet;
    ASSERT_EQ(parseBankCsv(kSample, "in.csv", original), 0);
    ASSERT_EQ(parseBankCsv(dumped, "out.csv", back), 0);
  }
  ASSERT_EQ(back.series.size(), original.series.size());
  for (size_t s = 0; s < original.series.size(); ++s) {
    const CsvSeries& a = original.series[s];
    const CsvSeries& b = back.series[s];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.frequency, b.frequency);
    for (size_t i = 0; i < 6; ++i) {
      float va = i < a.values.size() ? a.values[i] : MissingValue;
      float vb = i < b.values.size() ? b.values[i] : MissingValue;
      EXPECT_EQ(bits(va), bits(vb)) << a.name << " " << i;
    }
  }

  // A bank made from the dump dumps to the same text.
  ASSERT_EQ(run({"create", dir.file("again.bnk"), dir.file("out.csv")}, output), 0) << output;
  ASSERT_EQ(run({"dump", dir.file("again"), "-"}, output), 0);
  EXPECT_EQ(output, dumped);
}

TEST(BankToolTest, DumpOfNamedSeriesKeepsTheirOrder) {
  TempDir dir;
  writeText(dir.file("in.csv"), kSample);
  std::string output;
  ASSERT_EQ(run({"create", dir.file("base"), dir.file("in.csv")}, output), 0);
  ASSERT_EQ(run({"dump", dir.file("base"), "-", "cpi", "gdp"}, output), 0);
  EXPECT_NE(output.find("name,frequency,1,2,3,4,5,6\ncpi,12,"), std::string::npos) << output;
  EXPECT_NE(output.find("\ngdp,4,"), std::string::npos);
  EXPECT_EQ(output.find("rate"), std::string::npos);

  EXPECT_EQ(run({"dump", dir.file("base"), "-", "gdp", "GDP"}, output), 1);
  EXPECT_EQ(output, "tabrix-bank: series \"GDP\" cannot be read from " + dir.file("base") +
                        ".bnk\n");
}

TEST(BankToolTest, ListAndInfoReachTheBankInterface) {
  TempDir dir;
  writeText(dir.file("in.csv"), kSample);
  std::string output;
  ASSERT_EQ(run({"create", dir.file("base"), dir.file("in.csv")}, output), 0);
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"list", dir.file("base")}, "gdp\ncpi\nrate, long\nempty\n"},
      {{"list", dir.file("base"), "^p*"}, "cpi\n"},
      {{"list", "-w", dir.file("base")},
       "gdp            cpi            rate, long     empty\n"},
      {{"list", dir.file("base"), "zz*"}, ""},
      {{"info", dir.file("base")},
       "\r\nIndex file read.\r\n\r\nTitle of assigned bank:\r\nBase run, March"
       "\r\nBase year 1990; first month covered 4\r\nMax observations per series 6.  "
       "Contains 4 series.\n"},
  };
  // Without -k the tool finds the kind from the files and says so first.
  const std::string opened = "tabrix-bank: opened the workspace bank " + dir.file("base") + "\n";
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.args, output), 0);
    EXPECT_EQ(output, opened + c.expected) << c.args[0];
    std::vector<std::string> withKind = c.args;
    withKind.insert(withKind.begin() + 1, {"-k", "w"});
    EXPECT_EQ(run(withKind, output), 0);
    EXPECT_EQ(output, c.expected) << c.args[0];
  }
}

TEST(BankToolTest, CsvErrorsNameTheFileAndLine) {
  const std::string head = "base year,1990\nname,frequency\n";
  struct Case {
    std::string csv;
    std::string message;  // after "tabrix-bank: f.csv:"
  };
  const std::vector<Case> cases = {
      {"name,frequency\ngdp,1,2\n", "1: the \"base year\" row must come before the heading row"},
      {"base year,1990\n", "1: no heading row \"name,frequency,...\" was found"},
      {"", "1: no heading row \"name,frequency,...\" was found"},
      {"base year,85\nname,frequency\n", "1: the base year must lie from 1900 to 9999"},
      {"base year,19x0\n", "1: \"base year\" needs a whole number, found \"19x0\""},
      {"title,a\nstart,1990\n",
       "2: expected \"title\", \"base year\", \"first month\", \"observations\" or the heading "
       "row \"name,frequency,...\", found \"start\""},
      {"base year,1990\nBase Year,1991\n", "2: \"base year\" is given twice"},
      {"base year,1990,1991\n", "1: a setting has one value, in the second cell"},
      {"first month,13\n", "1: the first month must lie from 1 to 12"},
      {"observations,2000\n", "1: observations must lie from 1 to 1999"},
      {"title," + std::string(80, 't') + "\n", "1: the title is longer than 79 characters"},
      {head + "gdp,2,1\n", "3: the frequency of \"gdp\" must be 1, 4 or 12, found \"2\""},
      {head + "gdp,,1\n", "3: the frequency of \"gdp\" must be 1, 4 or 12, found \"\""},
      {head + "a,1,1\n,1,2\n", "4: the series has no name"},
      {head + "a,1,1\nb,1\na,4,3\n", "5: the series \"a\" is given twice"},
      {head + "gdp,1,1,x\n", "3: value 2 of \"gdp\" is not a number a 32-bit float can hold: \"x\""},
      {head + "gdp,1,1e39\n",
       "3: value 1 of \"gdp\" is not a number a 32-bit float can hold: \"1e39\""},
      {head + "gdp,1,inf\n",
       "3: value 1 of \"gdp\" is not a number a 32-bit float can hold: \"inf\""},
      {head + "gdp,1,\"1,5\"\n",
       "3: value 1 of \"gdp\" is not a number a 32-bit float can hold: \"1,5\""},
      {"base year,1990\nobservations,2\nname,frequency\ngdp,1,1,2,3,,\n",
       "4: \"gdp\" has 3 values, more than 2 observations"},
      {head + "\"open,1,2\nnext,1,2\n", "3: a quoted cell has no closing quote"},
      {head + "\"gdp\"x,1,2\n", "3: text after the closing quote of a cell"},
      // A quoted cell over two lines: the next record starts on line 5.
      {head + "\"two\nlines\",1\n,1\n", "5: the series has no name"},
  };
  for (const Case& c : cases) {
    BankTable table;
    ConsoleCapture capture;
    EXPECT_EQ(parseBankCsv(c.csv, "f.csv", table), -1) << c.csv;
    EXPECT_EQ(capture.text(), "tabrix-bank: f.csv:" + c.message + "\n") << c.csv;
  }
}

TEST(BankToolTest, ObservationsDefaultToTheLongestRow) {
  BankTable table;
  ASSERT_EQ(parseBankCsv("base year,2000\nname,frequency\na,1,1,2\nb,4,1,2,3,,,\n", "f", table), 0);
  EXPECT_EQ(table.observations, 3);
  EXPECT_EQ(table.firstMonth, 1);
  EXPECT_EQ(table.title, "");
  ASSERT_EQ(table.series.size(), 2u);
  EXPECT_EQ(table.series[1].line, 4);
  ASSERT_EQ(parseBankCsv("base year,2000\nname,frequency\na,1\n", "f", table), 0);
  EXPECT_EQ(table.observations, 1);
}

TEST(BankToolTest, ABadCsvLeavesAnExistingBankAlone) {
  TempDir dir;
  writeText(dir.file("in.csv"), kSample);
  writeText(dir.file("bad.csv"), "base year,1990\nname,frequency\ngdp,3\n");
  std::string output;
  ASSERT_EQ(run({"create", dir.file("base"), dir.file("in.csv")}, output), 0);
  EXPECT_EQ(run({"create", dir.file("base"), dir.file("bad.csv")}, output), 1);
  EXPECT_EQ(output, "tabrix-bank: " + dir.file("bad.csv") +
                        ":3: the frequency of \"gdp\" must be 1, 4 or 12, found \"3\"\n");
  VexBank bank(dir.file("base"));
  EXPECT_EQ(bank.seriesCount(), 4);
}

TEST(BankToolTest, AWorkspaceBankTakesThreeThousandSeries) {
  TempDir dir;
  std::string csv = "base year,1990\nname,frequency\n";
  for (int i = 0; i < 3000; ++i) csv += "s" + std::to_string(i) + ",1," + std::to_string(i) + "\n";
  writeText(dir.file("full.csv"), csv);
  writeText(dir.file("over.csv"), csv + "extra,1,1\n");
  std::string output;
  EXPECT_EQ(run({"create", dir.file("over"), dir.file("over.csv")}, output), 1);
  EXPECT_EQ(output, "tabrix-bank: " + dir.file("over.csv") +
                        ":3003: no room for \"extra\": a workspace bank holds 3000 series and "
                        "30000 characters of names\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("over.bnk")));

  // The last store fills the bank; the bank says so, and the series is kept.
  EXPECT_EQ(run({"create", dir.file("full"), dir.file("full.csv")}, output), 0);
  EXPECT_EQ(output.find("\r\nNo room for any more variables in data bank\r\n"), 0u);
  VexBank bank(dir.file("full"));
  EXPECT_EQ(bank.seriesCount(), 3000);
  testing::Series values{};
  ASSERT_EQ(bank.readSeries("s2999", values, -1), 0);
  EXPECT_EQ(values[0], 2999.0f);
}

// The program's command line: --help and --version on standard output with status 0;
// usage errors with the usage on standard error (status 2; 1 for a word beginning with
// "--" that is not an option); failed operations with status 1.
TEST(BankToolTest, CommandLineErrors) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string firstLine;
  };
  const std::vector<Case> cases = {
      {{}, 2, "usage: tabrix-bank COMMAND [options] BANK ..."},
      {{"--help"}, 0, "usage: tabrix-bank COMMAND [options] BANK ..."},
      {{"info", "x", "--help"}, 0, "usage: tabrix-bank COMMAND [options] BANK ..."},
      {{"--version"}, 0, "tabrix-bank 6.592"},
      {{"list", "--wide", "x"}, 1, "tabrix-bank: unknown option --wide"},
      {{"--", "info", "x"}, 1, "tabrix-bank: unknown option --"},
      {{"make", "x"}, 2, "tabrix-bank: unknown command \"make\""},
      {{"create", "x"}, 2, "tabrix-bank: create needs BANK and FILE.csv"},
      {{"list", "-k", "q", "x"}, 2, "tabrix-bank: unknown bank kind \"q\""},
      {{"list", "-k"}, 2, "tabrix-bank: -k needs a value"},
      {{"info", "-z", "x"}, 2, "tabrix-bank: unknown option -z"},
      {{"create", dir.file("b"), dir.file("none.csv")}, 1,
       "tabrix-bank: cannot open " + dir.file("none.csv")},
      {{"create", "-k", "d", dir.file("b"), dir.file("none.csv")}, 1,
       "tabrix-bank: cannot open " + dir.file("none.csv")},
      {{"info", dir.file("b")}, 1,
       "tabrix-bank: no bank named " + dir.file("b") + " (none of " + dir.file("b.bnk") + ", " +
           dir.file("b.cbk") + ", " + dir.file("b.hbk") + ", " + dir.file("b.dfr") + ", " +
           dir.file("b.vam") + " exists)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
    testing::ToolOutcome outcome = testing::runBankToolProgram(c.args);
    EXPECT_EQ(outcome.status, c.status);
    // Usage errors and their usage go to standard error, everything else to standard output.
    const bool usageError = c.status == 2 || (c.status == 1 && c.firstLine.find("unknown option") != std::string::npos);
    const std::string& shown = usageError ? outcome.err : outcome.out;
    EXPECT_EQ((usageError ? outcome.out : outcome.err), "");
    EXPECT_EQ(shown.substr(0, shown.find('\n')), c.firstLine);
  }
  // A missing workspace bank: the bank's own message, then the tool's.
  std::string output;
  EXPECT_EQ(run({"info", "-k", "w", dir.file("none")}, output), 1);
  EXPECT_EQ(output, "\r\nCannot open " + dir.file("none") +
                        ".bnk\r\nNo bank now assigned\r\ntabrix-bank: cannot open the workspace "
                        "bank " + dir.file("none") + "\n");
}

}  // namespace
}  // namespace tabrix

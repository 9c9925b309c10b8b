#include <gtest/gtest.h>
#include <sys/resource.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "banks/comp_bank_writer.h"
#include "banks/dirfor_writer.h"
#include "banks/hash_bank_writer.h"
#include "banks/vam_writer.h"
#include "banks/workspace_bank.h"
#include "driver/args.h"
#include "driver/bank_path.h"
#include "driver/run_driver.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "reader/line_editor.h"
#include "test_files.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;

// A fresh folder for one test; the current directory is restored afterwards.
class TempDir : public testing::TempDir {
 public:
  TempDir() : testing::TempDir("tabrix-driver"), saved_(fs::current_path()) {}
  ~TempDir() { fs::current_path(saved_); }
  void write(const std::string& name, const std::string& text) const {
    fs::create_directories(fs::path(file(name)).parent_path());
    std::ofstream(file(name), std::ios::binary) << text;
  }

 private:
  fs::path saved_;
};

using testing::readFile;

// Writes a workspace bank with one annual series from 1990.
void makeBank(const std::string& root, const std::string& title, float first) {
  VexBank bank(root, "New", 1990, 20, 1);
  ASSERT_TRUE(bank.isOpen());
  bank.setTitle(title);
  std::array<float, MaxObs> values{};
  for (int i = 0; i < 20; ++i) values[static_cast<size_t>(i)] = first + static_cast<float>(i);
  bank.setFrequency(1);
  ASSERT_GE(bank.writeSeries("GDP", values, 'y', 20), 0);
}

// What a run of the program printed, and its exit status.
struct Outcome {
  std::string console;
  int status;
};

// Runs the program on a response file, with the keys given for (y/n) questions.
Outcome run(const std::vector<std::string>& words, std::string_view keys = "") {
  ScriptedKeys script(keys, false);
  ScopedKeySource source(script);
  ConsoleCapture capture;
  std::vector<const char*> argv{"tabrix"};
  for (const std::string& w : words) argv.push_back(w.c_str());
  std::vector<char*> mutableArgv;
  for (const char* a : argv) mutableArgv.push_back(const_cast<char*>(a));
  int status = runMain(static_cast<int>(mutableArgv.size()), mutableArgv.data());
  return {capture.text(), status};
}

TEST(ArgsTest, SplitsSwitchesAndPlainArguments) {
  const char* argv[] = {"tabrix", "-s", "/S", "run.in", "/tmp/x/run.in", "-silent"};
  Args args(6, argv);
  EXPECT_EQ(args.argumentCount(), 6);
  EXPECT_EQ(args.switchCount(), 3);
  EXPECT_TRUE(args.hasSwitch("s"));
  EXPECT_TRUE(args.hasSwitch("S"));
  EXPECT_TRUE(args.hasSwitch("silent"));
  EXPECT_FALSE(args.hasSwitch("SILENT"));
  ASSERT_EQ(args.plainCount(), 3);
  EXPECT_STREQ(args.plain(1), "run.in");
  EXPECT_STREQ(args.plain(2), "/tmp/x/run.in");  // a Linux path is no switch
  EXPECT_EQ(args.plain(3), nullptr);
}

TEST(ReadAnswerTest, TrimsAndBoundsAnswers) {
  TempDir dir;
  dir.write("r.in", "  w  \t\r\nabcdefghij\n   \n\nlast");
  std::FILE* f = std::fopen(dir.file("r.in").c_str(), "r");
  ASSERT_NE(f, nullptr);
  LineEditor editor;
  std::string answer;
  struct Case {
    int bound;
    const char* expected;
  };
  const Case cases[] = {
      {79, "w"},       // blanks, tab and CR LF trimmed, leading blanks removed
      {4, "abcd"},     // cut at the bound ...
      {79, "efghij"},  // ... the rest is the next answer
      {79, " "},       // all blanks: the first stays
      {79, ""},        // an empty line
      {79, "last"},    // a last line without a line end
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(readAnswer(f, answer, c.bound, editor));
    EXPECT_EQ(answer, c.expected);
  }
  EXPECT_FALSE(readAnswer(f, answer, 79, editor));
  EXPECT_EQ(answer, "last");  // the end of input keeps the previous answer
  std::fclose(f);
}

TEST(ReadAnswerTest, KeyboardAnswersAreBounded) {
  ScriptedKeys keys(std::string(100, 'x') + "\nshort\n", false);
  ScopedKeySource source(keys);
  LineEditor editor;
  std::string answer;
  EXPECT_TRUE(readAnswer(nullptr, answer, 79, editor));
  EXPECT_EQ(answer.size(), 79u);
}

TEST(StripQuotesTest, RemovesSurroundingQuotesOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"\"my bank\"", "my bank"}, {"\"\"", "\"\""}, {"\"a", "\"a"}, {"plain", "plain"}};
  for (const auto& [in, out] : cases) {
    std::string s = in;
    stripQuotes(s);
    EXPECT_EQ(s, out) << in;
  }
}

TEST(BankPathTest, ResolvesRelativeAbsoluteAndClimbingNames) {
  TempDir dir;
  dir.write("a/b/c/.keep", "");
  dir.write("a/us.vam", "v");
  dir.write("a/b/c/data/us.bnk", "w");
  fs::current_path(fs::path(dir.path()) / "a/b/c");
  ConsoleCapture capture;
  std::string root;

  EXPECT_EQ(resolveBankPath("..\\..\\us", ".vam", root), 0);
  EXPECT_EQ(root, dir.file("a/us"));
  EXPECT_EQ(resolveBankPath("data\\us", ".bnk", root), 0);
  EXPECT_EQ(root, dir.file("a/b/c/data/us"));
  EXPECT_EQ(resolveBankPath(dir.file("a/b/c/data/us"), ".bnk", root), 0);
  EXPECT_EQ(capture.take(), "");

  EXPECT_EQ(resolveBankPath("nothere", ".bnk", root), -1);
  EXPECT_EQ(capture.take(), "\n\nError:  when reading .in file.\nCannot open nothere.bnk bank in directory " +
                                fs::current_path().string() +
                                ".\n\nWarning:  Try providing the full path, including the drive letter.\n");
  EXPECT_EQ(resolveBankPath("..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\x", ".vam", root), -1);
  EXPECT_NE(capture.take().find("Cannot open"), std::string::npos);
  EXPECT_EQ(resolveBankPath("..\\missing", ".vam", root), -1);
  EXPECT_EQ(capture.take(),
            "Warning:  bank file cannot be found.  Try providing the full path, including the drive "
            "letter.\n");
}

TEST(RunDriverTest, QuietRunShowsBannerAndHeadingOnly) {
  TempDir dir;
  makeBank(dir.file("base"), "Base run", 100);
  makeBank(dir.file("alt"), "Alternative", 110);
  dir.write("t.stb", "\\dates 1991 1995\n");
  dir.write("t.in", "2\nw\n" + dir.file("base") + "\nw\n" + dir.file("alt") + "\nd\n" +
                        dir.file("t.stb") + "\n" + dir.file("t.out") + "\n");
  auto [out, status] = run({"-s", dir.file("t.in")});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out,
            "\r\n                              TABRIX FOR WINDOWS"
            "\r\n                                 Version 6.592"
            "\r\nNow making the table as file " + dir.file("t.out") + ".\r\n\r\n"
            "    Simulations being compared:\r\n"
            "  1. Base run\r\n"
            "  2. Alternative\r\n"
            "\r\n");
  EXPECT_TRUE(fileExists(dir.file("t.out")));
}

TEST(RunDriverTest, WritesComparisonTable) {
  TempDir dir;
  makeBank(dir.file("base"), "Base run", 100);
  makeBank(dir.file("alt"), "Alternative", 110);
  dir.write("t.stb", "\\dates 1991 1995\n&\nGDP;Gross product\nNOPE;Missing\nGDP;Twice\n");
  dir.write("t.in", "2\nw\n" + dir.file("base") + "\nw\n" + dir.file("alt") + "\nd\n" +
                        dir.file("t.stb") + "\n" + dir.file("t.out") + "\n");
  auto [out, status] = run({"-s", dir.file("t.in")});
  EXPECT_EQ(status, 0);  // a series missing in a bank is no failure of the run
  EXPECT_NE(out.find("(This is in bank 1.)  Continuing...\n"), std::string::npos);
  EXPECT_NE(out.find("(This is in bank 2.)  Continuing...\n"), std::string::npos);
  std::string table = readFile(dir.file("t.out"));
  EXPECT_NE(table.find("Gross product"), std::string::npos) << table;
  EXPECT_NE(table.find("101.0"), std::string::npos) << table;
  EXPECT_NE(table.find("10.0"), std::string::npos) << table;  // the deviation of the alternative
}

// A table line reads its series from compressed and hashed alternatives, each series
// aligned on its own start date.
TEST(RunDriverTest, TablesFromCompressedAndHashedBanks) {
  TempDir dir;
  makeBank(dir.file("base"), "Base run", 100);
  std::vector<float> values;
  for (int i = 0; i < 20; ++i) values.push_back(120.0f + static_cast<float>(i));
  CompBankWriter comp("Compressed run");
  ASSERT_EQ(comp.addSeries("GDP", VexDate(1990, 1, 1), values), 0);
  ASSERT_EQ(comp.write(dir.file("comp")), 0);
  HashBankWriter hash("Hashed run");
  ASSERT_EQ(hash.addSeries("GDP", VexDate(1992, 1, 1), values), 0);
  ASSERT_EQ(hash.write(dir.file("hash")), 0);
  dir.write("t.stb", "\\dates 1992 1995\nGDP;Gross product\n");
  dir.write("t.in", "3\nw\n" + dir.file("base") + "\nc\n" + dir.file("comp") + "\nh\n" +
                        dir.file("hash") + "\na\n" + dir.file("t.stb") + "\n" + dir.file("t.out") + "\n");
  EXPECT_EQ(run({"-s", dir.file("t.in")}).status, 0);
  std::string table = readFile(dir.file("t.out"));
  EXPECT_NE(table.find("Gross product                     102.0  105.0"), std::string::npos) << table;
  EXPECT_NE(table.find("                                  122.0  125.0"), std::string::npos) << table;
  EXPECT_NE(table.find("                                  120.0  123.0"), std::string::npos) << table;
}

// A dirfor and a VAM alternative beside a workspace base: each reads out2 aligned on its
// own first year (the base from 1990, the dirfor bank from its first history year
// 1995, the VAM file from 1995).
TEST(RunDriverTest, TablesFromDirforAndVamBanks) {
  TempDir dir;
  {
    VexBank base(dir.file("base"), "New", 1990, 20, 1);
    base.setTitle("Base run");
    std::array<float, MaxObs> values{};
    for (int i = 0; i < 20; ++i) values[static_cast<size_t>(i)] = 100.0f + static_cast<float>(i);
    base.setFrequency(1);
    ASSERT_GE(base.writeSeries("out2", values, 'y', 20), 0);
  }
  std::vector<float> dirforValues;
  for (int i = 0; i < 11; ++i) dirforValues.push_back(200.0f + static_cast<float>(i));
  DirforWriter dirfor("Dirfor run", 1995, 2000, 6);
  std::string reason;
  ASSERT_TRUE(dirfor.addSector("out", 2, dirforValues, reason)) << reason;
  ASSERT_EQ(dirfor.write(dir.file("run"), dir.file("run.dat")), 0);
  VamWriter vam("VAM run", 1995, 2005);
  const int out = vam.addVariable("out", 'v', 3, 1, reason);
  std::vector<float> vamValues;
  for (int i = 0; i < 11; ++i) vamValues.push_back(300.0f + static_cast<float>(i));
  ASSERT_TRUE(vam.setCell(out, 2, 1, vamValues, reason)) << reason;
  ASSERT_EQ(vam.write(dir.file("model")), 0);

  dir.write("t.stb", "\\dates 1996 1999\nout2;Output\n");
  dir.write("t.in", "3\nw\n" + dir.file("base") + "\nd\n" + dir.file("run") + "\n" + dir.file("run.dat") +
                        "\nv\n" + dir.file("model") + "\na\n" + dir.file("t.stb") + "\n" + dir.file("t.out") + "\n");
  const Outcome first = run({"-s", dir.file("t.in")});
  EXPECT_EQ(first.status, 0);
  const std::string& out2 = first.console;
  EXPECT_NE(out2.find("  1. Base run\r\n  2. Dirfor run\r\n  3. VAM run\r\n"), std::string::npos) << out2;
  std::string table = readFile(dir.file("t.out"));
  EXPECT_NE(table.find("Output                            106.0  109.0"), std::string::npos) << table;
  EXPECT_NE(table.find("                                  201.0  204.0"), std::string::npos) << table;
  EXPECT_NE(table.find("                                  301.0  304.0"), std::string::npos) << table;

  // The dirfor bank named with its data file's extension opens the same.
  dir.write("t.in", "1\nd\n" + dir.file("run.dfr") + "\n" + dir.file("run.dat") + "\n" + dir.file("t.stb") +
                        "\n" + dir.file("t2.out") + "\n");
  EXPECT_EQ(run({"-s", dir.file("t.in")}).status, 0);
  EXPECT_NE(readFile(dir.file("t2.out")).find("201.0  204.0"), std::string::npos);
}

// The sixth wrong answer ends the run with the warning and status 2: no table is
// written. Wrong counts, a typo in a bank kind, and a response file that ends early
// (its last answer read again and again) all get there.
TEST(RunDriverTest, WrongAnswerLimitEndsTheRunWithStatus2) {
  TempDir dir;
  struct Case {
    const char* what;
    std::string response;
    const char* printed;
  };
  const Case cases[] = {
      {"counts", "0\n11\n-1\n0\n12\n0\n", "\r\nSorry, you can't have 11 alternatives.\r\n"},
      {"bank kind", "1\nq\nq\nq\nq\nq\nq\n", "Illegal choice.  Pick w,c,h,d or v\n"},
      {"ends early", "2\nw\n", "Must give root name of bank.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir.write("t.in", c.response);
    auto [out, status] = run({dir.file("t.in")});
    EXPECT_EQ(status, RunFailed);
    EXPECT_NE(out.find(c.printed), std::string::npos) << out;
    EXPECT_NE(out.find("\r\n\r\nTabrix Warning Message:\r\nThere have been more than 5 wrong responses.\n\r"
                       "Check the input response file, or what you are typing.\n\r"),
              std::string::npos);
    EXPECT_EQ(out.find("With what stub?"), std::string::npos);
  }
}

// --help and --version answer on standard output with status 0; any other word that
// begins with "--" is refused with the usage on standard error and status 1; other
// words are left to the run.
TEST(CommandLineOptionTest, LongOptions) {
  struct Case {
    std::vector<const char*> words;
    int status;
    const char* out;  // the start of what goes to standard output
    const char* err;  // the start of what goes to standard error
  };
  const Case cases[] = {
      {{"--help"}, 0, "Usage: tabrix [-s] [RESPONSE-FILE]\n", ""},
      {{"-s", "run.in", "--version"}, 0, "tabrix 6.592\n", ""},
      {{"--version", "--help"}, 0, "tabrix 6.592\n", ""},
      {{"--silent"}, 1, "", "tabrix: unknown option --silent\nUsage: tabrix"},
      {{"--help", "--"}, 1, "", "tabrix: unknown option --\nUsage: tabrix"},
      {{"-s", "/S", "-silent", "run.in"}, -1, "", ""},
      {{"-help"}, -1, "", ""},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"tabrix"};
    argv.insert(argv.end(), c.words.begin(), c.words.end());
    SCOPED_TRACE(argv[1]);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(commandLineOption(static_cast<int>(argv.size()), argv.data(), out, err), c.status);
    EXPECT_TRUE(out.str().starts_with(c.out)) << out.str();
    EXPECT_TRUE(err.str().starts_with(c.err)) << err.str();
    if (c.status == 0) {
      EXPECT_EQ(err.str(), "");
    } else {
      EXPECT_EQ(out.str(), "");
    }
  }
}

TEST(RunDriverTest, DialogueMessagesForBadBankAnswers) {
  TempDir dir;
  makeBank(dir.file("base"), "Base run", 100);
  dir.write("t.stb", "");
  dir.write("t.in", "1\nx\nw\nbase.bnk\nw\n\nv\nmodel.vam\nw\n" + dir.file("base") + "\n" +
                        dir.file("t.stb") + "\n" + dir.file("t.out") + "\n");
  auto [out, status] = run({dir.file("t.in")});
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("Illegal choice.  Pick w,c,h,d or v\n"), std::string::npos);
  EXPECT_NE(out.find("Do not give file extension.  It will be assumed!\n"), std::string::npos);
  EXPECT_NE(out.find("Must give root name of bank.\n"), std::string::npos);
  EXPECT_NE(out.find("Do not give file extension.  It will be assumed!\r\n"), std::string::npos);
  // One alternative: no show-mode prompt; the bank's title heads the list.
  EXPECT_EQ(out.find("Show alternatives as"), std::string::npos);
  EXPECT_NE(out.find("  1. Base run\r\n"), std::string::npos);
}

TEST(RunDriverTest, UnopenableBankAsksToContinueFromTheKeys) {
  TempDir dir;
  dir.write("bad.bnk", "xx");  // exists, but is no bank
  dir.write("t.in", "1\nw\n" + dir.file("bad") + "\n");
  auto [out, status] = run({dir.file("t.in")}, "n");
  EXPECT_EQ(status, RunFailed);
  EXPECT_NE(out.find("Unable to open " + dir.file("bad") + "\r\nDo you want to continue? (y/n):"),
            std::string::npos);
  EXPECT_EQ(out.find("With what stub?"), std::string::npos);
}

TEST(RunDriverTest, StubFoundBesideTheResponseFile) {
  TempDir dir;
  dir.write("run/t.stb", "");
  makeBank(dir.file("run/base"), "Base run", 100);
  dir.write("run/t.in", "1\nw\n" + dir.file("run/base") + "\nt.stb\nt.out\n");
  fs::current_path(dir.path());
  auto [out, status] = run({"-s", "run/t.in"});
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("\nFound stub file t.stb in " + dir.file("run/t.stb") +
                     ".  Changing directory to " + dir.file("run/") + ".\n"),
            std::string::npos);
  EXPECT_TRUE(fileExists(dir.file("run/t.out")));  // the output is taken relative to it
}

// The number of file descriptors the process holds open.
int openDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// Every run that stops because a file it needs cannot be opened ends with RunFailed,
// and leaves no file open (the response file and the stub included).
TEST(RunDriverTest, FilesThatCannotBeOpenedEndTheRunWithStatus2) {
  TempDir dir;
  makeBank(dir.file("base"), "Base run", 100);
  dir.write("t.stb", "GDP;Gross product\n");
  const std::string bank = "1\nw\n" + dir.file("base") + "\n";
  struct Case {
    const char* what;
    std::string response;  // "" : no response file at all
    const char* printed;
  };
  const Case cases[] = {
      {"response file", "", "Cannot open "},
      {"bank path", "1\nw\n" + dir.file("none/base") + "\n", "Cannot open "},
      {"stub", bank + "missing.stb\n", "\nError:  Stub file is not accessible.\n"},
      {"output file", bank + dir.file("t.stb") + "\n" + dir.file("none/t.out") + "\n",
       "\nError: Can't open "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string in = dir.file("t.in");
    if (c.response.empty()) {
      in = dir.file("nothere.in");
    } else {
      dir.write("t.in", c.response);
    }
    const int descriptors = openDescriptors();
    auto [out, status] = run({"-s", in});
    EXPECT_EQ(status, RunFailed);
    EXPECT_NE(out.find(c.printed), std::string::npos) << out;
    EXPECT_EQ(openDescriptors(), descriptors);
  }
}

// A table file that cannot be written whole is reported, and the run fails.
TEST(RunDriverTest, TableFileThatCannotBeWrittenEndsTheRunWithStatus2) {
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TempDir dir;
  makeBank(dir.file("base"), "Base run", 100);
  dir.write("t.stb", "\\dates 1991 1995\n&\nGDP;Gross product\n");
  dir.write("t.in", "1\nw\n" + dir.file("base") + "\n" + dir.file("t.stb") + "\n/dev/full\n");
  auto [out, status] = run({"-s", dir.file("t.in")});
  EXPECT_EQ(status, RunFailed);
  EXPECT_NE(out.find("\nError:  Could not write /dev/full; the table in it is incomplete.\r\n"),
            std::string::npos)
      << out;
}

// Every kind of table text output reports a write that fails, naming its file, and the
// run fails: a table file opened by \break, the RTF file of \rtf, the print-file layout
// and data records. Each case runs in a child process whose files may not grow beyond
// a few hundred bytes, as on a full disk.
TEST(RunDriverTest, EveryTableOutputReportsAWriteThatFails) {
  TempDir dir;
  makeBank(dir.file("base"), "Base run", 100);
  std::string lines;
  for (int i = 0; i < 50; ++i) lines += "GDP;Gross product\n";
  struct Case {
    const char* what;
    std::string stub;
    std::string failedFile;
  };
  const Case cases[] = {
      {"\\break", "\\break /dev/full\n\\dates 1991 1995\n" + lines, "/dev/full"},
      {"\\rtf", "\\rtf\n\\dates 1991 1995\n" + lines, dir.file("t.rtf")},
      {"\\prn", "\\prn\n\\dates 1991 1995\n" + lines, dir.file("t.out")},
      {"\\gdata", "\\gdata\n\\dates 1991 1995\n" + lines, dir.file("t.out")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir.write("t.stb", c.stub);
    dir.write("t.in", "1\nw\n" + dir.file("base") + "\n" + dir.file("t.stb") + "\n" +
                          dir.file("t.out") + "\n");
    const std::string message =
        "\nError:  Could not write " + c.failedFile + "; the table in it is incomplete.\r\n";
    auto child = [&] {
      std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails instead
      struct rlimit limit = {400, 400};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      Outcome outcome = run({"-s", dir.file("t.in")});
      size_t first = outcome.console.find(message);
      bool once = first != std::string::npos &&
                  outcome.console.find(message, first + 1) == std::string::npos;
      std::_Exit(outcome.status == RunFailed && once ? 0 : 1);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
  }
}

}  // namespace
}  // namespace tabrix

// No output over an input: every output of a run (the output-file answer, \break,
// \rtf, \wk1, \xls, data records) that names a file the run reads is refused, the file
// keeps its bytes, and the run ends with status 2.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "banks/workspace_bank.h"
#include "driver/run_driver.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "platform/run_files.h"
#include "test_files.h"
#include "base_bank.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void makeBank(const std::string& root) { testing::makeBaseBank(root, 1990); }

struct Outcome {
  std::string console;
  int status;
};

Outcome run(const std::string& responses) {
  ScriptedKeys script("", false);
  ScopedKeySource source(script);
  ConsoleCapture capture;
  std::string program = "tabrix", silent = "-s", file = responses;
  char* argv[] = {program.data(), silent.data(), file.data(), nullptr};
  const int status = runMain(3, argv);
  return {capture.text(), status};
}

// Each output command against each kind of input. The output's file is a second name
// (a hard link) of the input, except where the input's own name is given: the check
// knows a file by its inode, whatever it is called.
TEST(RunInputsTest, NoOutputIsOpenedOverAFileTheRunReads) {
  struct Input {
    const char* kind;
    const char* file;
  };
  const Input inputs[] = {
      {"bank data file", "base.bnk"}, {"bank index file", "base.ind"}, {"stub", "t.stb"},
      {"response file", "t.in"},      {"add file", "a.add"},           {"argument file", "args.txt"},
      {"@interp table", "tab.txt"},
  };
  struct Output {
    const char* command;
    std::string line;  // the stub line that opens it ("" : the output-file answer)
    std::string name;  // the file it opens, as it names it
    std::string ownMessage;  // what the command says when the file cannot be opened
  };
  const Output outputs[] = {
      {"output-file answer", "", "out.txt", "\nError: Can't open "},
      {"\\break", "\\break brk.txt\n", "brk.txt", "Sorry, but I can't open "},
      {"\\rtf", "\\rtf\n", "t.rtf", "Unable to open "},
      {"\\wk1", "\\wk1 sheet\n", "sheet.wk1", "Unable to open "},
      {"\\xls", "\\xls book.xlsx\n", "book.xlsx", "Unable to open "},
      {"\\gdata", "\\gdata\n\\break data.txt\n", "data.txt", "Sorry, but I can't open "},
      {"\\html", "\\html page.html\n", "page.html", "Unable to open "},
      {"\\markdown", "\\markdown page.md\n", "page.md", "Unable to open "},
      {"\\latex", "\\latex page.tex\n", "page.tex", "Unable to open "},
      {"\\pdf", "\\pdf page.pdf\n", "page.pdf", "Unable to open "},
  };
  for (const Output& output : outputs) {
    for (const Input& input : inputs) {
      // The answer is opened before the stub runs: only the banks, the response file
      // and the stub are inputs by then.
      const std::string kind = input.kind;
      if (output.line.empty() && (kind == "add file" || kind == "argument file" || kind == "@interp table")) {
        continue;
      }
      SCOPED_TRACE(std::string(output.command) + " over the " + input.kind);
      testing::TempDir dir("tabrix-inputs");
      const fs::path saved = fs::current_path();
      fs::current_path(dir.path());
      makeBank("base");
      writeText("a.add", "GDP;Added\n");
      writeText("sub.add", "%1;From the argument file\n");
      writeText("args.txt", "GDP\n");
      writeText("tab.txt", "0 0\n50 100\n100 200\n150 300\n200 400\n");
      writeText("t.stb", "\\dates 1991 1995\n\\add a.add\n\\fadd sub.add args.txt\n@interp(\"tab.txt\", GDP);Looked up\n" +
                             output.line + "GDP;Gross product\n");
      const std::string answer = output.line.empty() ? output.name : "t.out";
      writeText("t.in", "1\nw\nbase\nt.stb\n" + answer + "\n");
      ASSERT_EQ(::link(input.file, output.name.c_str()), 0) << output.name;
      const std::string before = testing::readFile(input.file);

      const Outcome outcome = run("t.in");
      EXPECT_EQ(outcome.status, RunFailed);
      const std::string refusal = "Error:  " + output.name + " is an input of this run; it is not overwritten.\n";
      const std::size_t at = outcome.console.find(refusal);
      EXPECT_NE(at, std::string::npos) << outcome.console;
      EXPECT_EQ(outcome.console.find(refusal, at + 1), std::string::npos) << outcome.console;
      EXPECT_NE(outcome.console.find(output.ownMessage, at), std::string::npos) << outcome.console;
      EXPECT_EQ(testing::readFile(input.file), before);
      fs::current_path(saved);
    }
  }
}

// The slip of the report: \break naming the run's own bank keeps the bank, and the
// rest of the run still reads from it.
TEST(RunInputsTest, BreakNamingTheBankKeepsTheBank) {
  testing::TempDir dir("tabrix-inputs");
  const fs::path saved = fs::current_path();
  fs::current_path(dir.path());
  makeBank("base");
  writeText("t.stb", "\\dates 1991 1995\nGDP;Before\n\\break base.bnk\nGDP;After\n");
  writeText("t.in", "1\nw\nbase\nt.stb\nt.out\n");
  const std::string bank = testing::readFile("base.bnk");
  const Outcome outcome = run("t.in");
  EXPECT_EQ(outcome.status, RunFailed);
  EXPECT_NE(outcome.console.find("Error:  base.bnk is an input of this run; it is not overwritten.\n"
                                 "Sorry, but I can't open base.bnk as a table file.\r\n Continuing with t.out\r\n"),
            std::string::npos)
      << outcome.console;
  EXPECT_EQ(outcome.console.find("Cannot read"), std::string::npos) << outcome.console;
  EXPECT_EQ(testing::readFile("base.bnk"), bank);
  const std::string table = testing::readFile("t.out");
  EXPECT_NE(table.find("After"), std::string::npos) << table;
  fs::current_path(saved);
}

// The check itself: by inode for existing files (a link or another spelling of the
// path), by resolved path for files not made yet, and forgotten when a run begins.
TEST(RunInputsTest, OutputsAreKnownByInodeOrResolvedPath) {
  testing::TempDir dir("tabrix-inputs");
  writeText(dir.file("in.txt"), "x");
  fs::create_directory(dir.file("sub"));
  resetRunFiles();
  std::FILE* file = openRunInput(dir.file("in.txt"), "r");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  noteRunInput(dir.file("sub/later.txt"));  // noted before it exists
  ASSERT_EQ(::symlink(dir.file("in.txt").c_str(), dir.file("link.txt").c_str()), 0);
  struct Case {
    std::string name;
    bool allowed;
  } cases[] = {
      {dir.file("in.txt"), false},
      {dir.file("sub/../in.txt"), false},
      {dir.file("link.txt"), false},
      {dir.file("sub/later.txt"), false},
      {dir.file("other.txt"), true},
      {dir.file("sub/in.txt"), true},
  };
  ConsoleCapture capture;
  for (const Case& c : cases) {
    EXPECT_EQ(outputAllowed(c.name), c.allowed) << c.name;
    EXPECT_EQ(capture.take(), c.allowed ? "" : "Error:  " + c.name + " is an input of this run; it is not overwritten.\n");
  }
  EXPECT_EQ(refusedOutputs(), 4);
  // A file deleted since it was read may leave its inode number to a new file.
  fs::remove(dir.file("link.txt"));
  fs::remove(dir.file("in.txt"));
  writeText(dir.file("new.txt"), "y");
  EXPECT_TRUE(outputAllowed(dir.file("new.txt")));
  resetRunFiles();
  EXPECT_TRUE(outputAllowed(dir.file("sub/later.txt")));
  EXPECT_EQ(refusedOutputs(), 0);
}

}  // namespace
}  // namespace tabrix

// Add files: \add with its arguments and nested argument tables, \fadd with an
// argument file, the keyboard add file, the prefix rule, the messages of bad input,
// an add file that stops, and the nesting limit. The add files echo what they see,
// so the console shows the order of the lines read and the arguments replaced.
#include "stub/add_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/console.h"
#include "platform/keys.h"
#include "process_exit.h"
#include "stub/interpreter.h"
#include "stub/run_state.h"
#include "table/table_line.h"
#include "work_dir_fixture.h"

namespace tabrix {
namespace {

using AddFileTest = testing::WorkDirTest;

// Counts the occurrences of a text.
int occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(AddFileTest, ArgumentsReplaceTheMarksOfTheAddFile) {
  write("sub.add", "\\echo %1|%2\n");
  struct Case {
    const char* line;
    const char* echoed;
  };
  const Case cases[] = {
      {"\\add sub.add 1990 GDP\n", "  1990|GDP\r\n"},
      {"\\add sub.add \"two words\" x\n", "  two words|x\r\n"},
      {"\\add sub.add 1990.2 -\n", "  1990.2|-\r\n"},
      {"\\add \"sub.add\" a b c\n", "  a|b\r\n"},
      // The prefix rule: "ad" and anything longer, in any case.
      {"\\ad sub.add a b\n", "  a|b\r\n"},
      {"\\addx sub.add a b\n", "  a|b\r\n"},
      {"\\ADDFILE sub.add a b\n", "  a|b\r\n"},
      {"\\a sub.add a b\n", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runStub(c.line), InterpretEnd) << c.line;
    EXPECT_EQ(output, c.echoed) << c.line;
  }
  EXPECT_EQ(run.status, InterpretEnd);
}

// Each add file sees its own arguments, passes them on by its marks, and gets them back
// after the add file it called; the stub reads on after the \add line, with no table.
TEST_F(AddFileTest, NestedAddFilesEachSeeTheirOwnArguments) {
  write("outer.add", "\\echo outer %1 %2\n\\add inner.add %2 X\n\\echo outer again %1\n");
  write("inner.add", "\\echo inner %1 %2\n");
  EXPECT_EQ(runStub("\\add outer.add A B\n\\echo 100%1\n"), InterpretEnd);
  EXPECT_EQ(output, "  outer A B\r\n  inner B X\r\n  outer again A\r\n  100%1\r\n");
  EXPECT_EQ(run.reader->arguments(), nullptr);
  EXPECT_EQ(run.addFileDepth, 0);
}

TEST_F(AddFileTest, WithoutArgumentsTheMarksStayAsTheyAre) {
  write("sub.add", "\\echo 50%2\n");
  EXPECT_EQ(runStub("\\add sub.add\n"), InterpretEnd);
  EXPECT_EQ(output, "  50%2\r\n");
}

TEST_F(AddFileTest, AMissingArgumentEndsTheRunWithStatusOne) {
  write("sub.add", "\\echo %1 %2\n\\echo %3\n");
  std::FILE* stub = std::tmpfile();
  std::fputs("\\add sub.add 1990 GDP\n\\echo not reached\n", stub);
  std::rewind(stub);
  std::optional<int> status =
      testing::exitStatusOf([&] { static_cast<void>(interpret(run, stub, table)); });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(capture.take(),
            "  1990 GDP\r\n"
            "You called an add file that required argument %3, but you did not \r\n"
            "   provide it!  Hey, be a little more careful with your stub files!\r\n"
            "Quitting Now...\r\n");
  if (stub != nullptr) std::fclose(stub);
}

TEST_F(AddFileTest, TooManyArgumentsAreReportedAndTheFirstTenKept) {
  write("sub.add", "\\echo %1 %9\n");
  EXPECT_EQ(runStub("\\add sub.add 1 2 3 4 5 6 7 8 9 10 11 12\n"), InterpretEnd);
  EXPECT_EQ(output, "Add file sub.add takes at most 10 arguments; 2 more ignored.\r\n  1 9\r\n");
}

TEST_F(AddFileTest, BadInputIsReportedAndTheStubGoesOn) {
  write("sub.add", "\\echo sub %1\n");
  write("args.txt", "1990\n");
  struct Case {
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"\\add missing.stb\n", "Error opening add file missing.stb.\r\n"},
      {"\\add missing.stb 1 2\n", "Error opening add file missing.stb.\r\n"},
      {"\\add 12\n", "Illegal filename: 12.\n"},
      {"\\add (x)\n", "Illegal filename: (.\n"},
      {"\\add\n", "Illegal filename: \n.\n"},
      {"\\fadd sub.add\n", "Bad Filename: \n.\n"},
      {"\\fadd 3 args.txt\n", "Bad Filename: 3.\n"},
      {"\\fadd sub.add 4\n", "Bad Filename: 4.\n"},
      {"\\fadd sub.add nofile.txt\n", "Unable to open nofile.txt.\n"},
      {"\\fadd nosub.add args.txt\n", "Unable to open nosub.add.\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runStub(std::string(c.line) + "\\echo next\n"), InterpretEnd) << c.line;
    EXPECT_EQ(output, std::string(c.message) + "  next\r\n") << c.line;
    EXPECT_EQ(run.status, -1) << c.line;
  }
}

// An add file that stops the run ends only itself; the stub goes on after the \add line.
TEST_F(AddFileTest, AnAddFileThatStopsEndsOnlyItself) {
  write("stop.add", "\\echo in\n\\printbase maybe\n\\echo not reached\n");
  EXPECT_EQ(runStub("\\add stop.add\n\\echo after\n"), InterpretEnd);
  EXPECT_EQ(output, "  in\r\n\nError:  invalid argument for printbase.\n  after\r\n");
  EXPECT_EQ(run.status, -1);
}

TEST_F(AddFileTest, ArgumentFileRunsTheAddFileOncePerLine) {
  write("row.add", "\\echo row %1 %2\n");
  // A comment line, an empty line, blanks before arguments, a ';' after blanks, a
  // line with only a comment, a CR LF line, and a last line without its line feed.
  write("args.txt", "1990 GDP\n; 1995 CPI\n\n   2000 CPI\n  ;x y\n# none\n2005 \"a b\"\r\n2010 Z");
  write("outer.add", "\\fadd row.add args.txt\n\\echo back %1\n");
  EXPECT_EQ(runStub("\\add outer.add Q\n\\echo after %1\n"), InterpretEnd);
  EXPECT_EQ(output,
            "  row 1990 GDP\r\n  row 2000 CPI\r\n  row 2005 a b\r\n  row 2010 Z\r\n"
            "  back Q\r\n  after %1\r\n");
  EXPECT_EQ(run.status, InterpretEnd);

  // The prefix: "fad" and longer.
  write("one.txt", "7 8\n");
  EXPECT_EQ(runStub("\\fad row.add one.txt\n\\FADDX row.add one.txt\n"), InterpretEnd);
  EXPECT_EQ(output, "  row 7 8\r\n  row 7 8\r\n");
}

// A line longer than 599 characters keeps its first 599; the rest is not read as a
// line of its own.
TEST_F(AddFileTest, LongArgumentLinesAreCut) {
  write("row.add", "\\echo row %1\n");
  const std::string fits = "alpha" + std::string(594, ' ');             // 599 characters
  const std::string tooLong = "first" + std::string(594, ' ') + "second";  // 605 characters
  write("args.txt", fits + "\n" + tooLong + "\nlast\n");
  EXPECT_EQ(runStub("\\fadd row.add args.txt\n"), InterpretEnd);
  EXPECT_EQ(output,
            "  row alpha\r\n"
            "Line 2 of args.txt is longer than 599 characters; the rest of it is ignored.\r\n"
            "  row first\r\n"
            "  row last\r\n");
}

TEST_F(AddFileTest, TheKeyboardAddFileReadsTypedLines) {
  ScriptedKeys keys("\\echo typed %1\n\\pl 40\n", false);
  ScopedKeySource source(keys);
  EXPECT_EQ(runStub("\\add keyboard K\n\\echo after\n"), InterpretEnd);
  // Typed lines are taken as they are: argument marks are replaced in files only.
  EXPECT_EQ(output, "  typed %1\r\n  after\r\n");
  EXPECT_EQ(table.pageLength, 40);

  // A line that stops the run ends the keyboard add file; the stub goes on.
  ScriptedKeys stopping("\\printbase maybe\n\\pl 30\n", false);
  ScopedKeySource stoppingSource(stopping);
  EXPECT_EQ(runStub("\\add keyboard\n\\echo after\n"), InterpretEnd);
  EXPECT_EQ(output, "\nError:  invalid argument for printbase.\n  after\r\n");
  EXPECT_EQ(table.pageLength, 40);

  // Only the exact lower-case name is the keyboard.
  EXPECT_EQ(runStub("\\add Keyboard\n"), InterpretEnd);
  EXPECT_EQ(output, "Error opening add file Keyboard.\r\n");
}

// An add file that runs itself is refused past the nesting limit; every add file
// running ends, and the stub goes on.
TEST_F(AddFileTest, NestingDeeperThanTheLimitIsRefused) {
  const std::string refusal =
      "Add file self.add not run: add files are nested more than 50 deep.\r\n"
      "  Does an add file call itself?  Ending the add files running.\r\n";
  write("self.add", "\\echo level\n\\add self.add\n\\echo unwound\n");
  EXPECT_EQ(runStub("\\add self.add\n\\echo after\n"), InterpretEnd);
  EXPECT_EQ(occurrences(output, "  level\r\n"), MaxAddFileDepth);
  EXPECT_EQ(occurrences(output, "unwound"), 0);
  EXPECT_EQ(output.substr(output.size() - refusal.size() - 9), refusal + "  after\r\n");
  EXPECT_EQ(run.addFileDepth, 0);
  EXPECT_FALSE(run.addNestingRefused);

  // Through \fadd, with two argument lines at every level.
  write("two.txt", "a\nb\n");
  write("selff.add", "\\echo level %1\n\\fadd selff.add two.txt\n\\echo unwound\n");
  EXPECT_EQ(runStub("\\fadd selff.add two.txt\n\\echo after\n"), InterpretEnd);
  EXPECT_EQ(occurrences(output, "  level a\r\n"), MaxAddFileDepth);
  EXPECT_EQ(occurrences(output, "  level b\r\n"), 0);
  EXPECT_EQ(occurrences(output, "not run"), 1);
  EXPECT_EQ(occurrences(output, "unwound"), 0);
  EXPECT_NE(output.find("  after\r\n"), std::string::npos);
  EXPECT_FALSE(run.addNestingRefused);

  // Fifty add files inside one another are allowed.
  for (int level = 1; level <= MaxAddFileDepth; ++level) {
    const std::string next = level < MaxAddFileDepth
                                 ? "\\add chain" + std::to_string(level + 1) + ".add\n"
                                 : "\\echo deepest\n";
    write("chain" + std::to_string(level) + ".add", next);
  }
  EXPECT_EQ(runStub("\\add chain1.add\n"), InterpretEnd);
  EXPECT_EQ(output, "  deepest\r\n");
}

}  // namespace
}  // namespace tabrix

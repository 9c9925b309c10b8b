// The output-target commands of the text-file target: \prn, \gdata, \oneperline,
// \gzeroes, \nocomment with their conflicts, \pcontrol and \noformat, the seven font
// commands, \line, \break and \rtf.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>

#include "stub/run_state.h"
#include "platform/console.h"
#include "stub/commands.h"
#include "stub/interpreter.h"
#include "stub/interpreter_fixture.h"
#include "table/printer_controls.h"
#include "table/table_line.h"
#include "test_files.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

using testing::readFile;
using testing::TempDir;
using OutputCommandTest = testing::StubTest;

std::string str(bool value) { return value ? "1" : "0"; }

struct ModeCase {
  const char* stub;
  std::function<void(TableLine&)> before;  // the state the stub meets
  std::function<std::string(const TableLine&)> probe;
  const char* expected;
  const char* messages;
};

TEST_F(OutputCommandTest, RecordLayoutsAndTheirConflicts) {
  using T = const TableLine&;
  auto none = [](TableLine&) {};
  auto twoAlternatives = [](TableLine& t) { t.altCount = 2; };
  auto printFile = [](TableLine& t) { t.prnMode = true; };
  auto records = [](TableLine& t) { t.gdataMode = true; };
  auto gdata = [](T t) {
    return str(t.gdataMode) + " " + std::to_string(t.gdataPerLine) + " " + t.gdataKeyword + " " +
           std::to_string(t.yearFormat);
  };
  auto prn = [](T t) { return str(t.prnMode); };
  auto onePerLine = [](T t) { return str(t.onePerLine) + " " + std::to_string(t.yearFormat); };
  const ModeCase cases[] = {
      {"\\prn\n", none, prn, "1", ""},
      {"\\prn yes\n", none, prn, "1", ""},
      {"\\prn\n\\prn no\n", none, prn, "0", ""},
      {"\\prn\n\\prn 0\n", none, prn, "1", ""},
      {"\\prn\n", records, prn, "0",
       "\\gdata and \\prn options inconsistent.\nTurning off \\prn option. \n"},
      {"\\gdata\n", none, gdata, "1 5 data 3", ""},
      {"\\gdata 8 series\n", none, gdata, "1 8 series 3", ""},
      {"\\gdata 8 series\n\\gdata 8\n", none, gdata, "1 8 data 3", ""},
      {"\\gdata 0\n", none, gdata, "1 5 data 3", ""},
      {"\\gdata\n\\gdata no\n", none, gdata, "0 5 data 3", ""},
      {"\\gdata a_very_long_keyword_indeed\n", none, gdata, "1 5 data 3", ""},
      {"\\gdata 4 a_very_long_keyword_indeed\n", none, gdata, "1 4 a_very_long_keyword 3", ""},
      {"\\gdata\n", twoAlternatives, gdata, "0 5 data 1",
       "\\gdata option only allowed with one alternative.\nTurning this option off...\n"},
      {"\\gdata no\n", twoAlternatives, gdata, "0 5 data 1", ""},
      {"\\gdata\n", printFile, gdata, "0 5 data 1",
       "\\prn (or \\wk1) option and \\gdata option inconsistent.\nTurning off gdata...\n"},
      {"\\oneperline\n", none, onePerLine, "1 3", ""},
      {"\\one\n\\one no\n", none, onePerLine, "0 3", ""},
      {"\\one\n", twoAlternatives, onePerLine, "0 1",
       "\\OnePerLine option only allowed with one alternative.\nTurning this option off...\n"},
      {"\\oneperline yes\n", printFile, onePerLine, "0 1",
       "\\prn (or \\wk1) option and \\oneperline option inconsistent.\n"
       "Turning off oneperline...\n"},
      {"\\gz yes\n", none, [](T t) { return str(t.gdataSkipZeroes); }, "0", ""},
      {"\\gz yes\n\\gzeroes\n", none, [](T t) { return str(t.gdataSkipZeroes); }, "1", ""},
      {"\\nocomment\n", none, [](T t) { return str(t.gdataComments); }, "0", ""},
      {"\\nocomment please\n", none, [](T t) { return str(t.gdataComments); }, "1", ""},
  };
  for (const ModeCase& c : cases) {
    TableLine fresh;
    c.before(fresh);
    EXPECT_EQ(runStub(c.stub, fresh), InterpretEnd) << c.stub;
    EXPECT_EQ(c.probe(fresh), c.expected) << c.stub;
    EXPECT_EQ(output, c.messages) << c.stub;
  }
}

TEST_F(OutputCommandTest, PcontrolWritesAndStoresTheWord) {
  table.out.openMemory();
  EXPECT_EQ(runStub("\\pcontrol courierbold   \n"), InterpretEnd);
  EXPECT_EQ(table.out.text(), "\033(s0p0s3b4099T");
  EXPECT_EQ(table.fonts[BodyFont].fontWord, "courierbold");

  table.out.openMemory();
  EXPECT_EQ(runStub("\\pc point 10\n\\pc Bold\n\\pc point\n"), InterpretEnd);
  EXPECT_EQ(table.out.text(), "\033(s10.00V\033(s3B");

  table.out.openMemory();
  EXPECT_EQ(runStub("\\noformat\n\\pcontrol courier\n"), InterpretEnd);
  EXPECT_EQ(table.out.text(), "");
  EXPECT_EQ(output, "");
}

TEST_F(OutputCommandTest, FontSpreadsTheBodyFontButOnlyItsWords) {
  EXPECT_EQ(runStub("\\font Arial 10 bold\n"), InterpretEnd);
  const RoleFont& body = table.fonts[BodyFont];
  EXPECT_EQ(body.font.name, "Arial");
  EXPECT_EQ(body.font.pitch, 10);
  EXPECT_TRUE(body.font.bold);
  EXPECT_EQ(body.fontWord, "Arial");
  EXPECT_EQ(body.pointWord, "point");
  EXPECT_EQ(body.pitchWord, "pitch10");
  for (FontRole role : {HeadFont, TitleFont, DateFont, BankFont, NameFont, DataFont}) {
    EXPECT_EQ(table.fonts[role].font.name, "Arial") << role;
    EXPECT_TRUE(table.fonts[role].font.bold) << role;
    EXPECT_EQ(table.fonts[role].fontWord, "") << role;
    EXPECT_EQ(table.fonts[role].pitchWord, "pitch") << role;
  }
  EXPECT_EQ(table.fonts[DateFont].font.underline, '=');
  EXPECT_EQ(table.fonts[DateFont].font.horizontal, 'c');
  EXPECT_EQ(table.fonts[HeadFont].font.underline, 0);
  EXPECT_EQ(output, "");
}

TEST_F(OutputCommandTest, RoleFontCommandsChangeOnlyTheirRole) {
  EXPECT_EQ(runStub("\\fonthead Times point 12\n\\fontdate courier left\n"), InterpretEnd);
  EXPECT_EQ(table.fonts[HeadFont].font.name, "Times");
  EXPECT_EQ(table.fonts[HeadFont].fontWord, "Times");
  EXPECT_EQ(table.fonts[HeadFont].pointWord, "point12");
  EXPECT_EQ(table.fonts[BodyFont].fontWord, "lineprinter");
  EXPECT_EQ(table.fonts[BodyFont].font.name, "");
  // \fontdate starts from the date font's double underline and then applies the line.
  EXPECT_EQ(table.fonts[DateFont].font.name, "courier");
  EXPECT_EQ(table.fonts[DateFont].font.underline, '=');
  EXPECT_EQ(table.fonts[DateFont].font.horizontal, 'l');
  EXPECT_EQ(table.fonts[DateFont].fontWord, "courier");
}

TEST_F(OutputCommandTest, RejectedFontLinesWriteTheirRolesMessage) {
  struct Case {
    const char* command;
    FontRole role;
    const char* message;
  };
  const Case cases[] = {
      {"font", BodyFont, "Error in font command\n"},
      {"fonthead", HeadFont, "Error in headfont command\n"},
      {"fonttitle", TitleFont, "Error in fonttitle command\n"},
      {"fontdate", DateFont, "Error in fontdate command\n"},
      {"fontbank", BankFont, "Error in fontbank command\n"},
      {"fontname", NameFont, "Error in fontname command\n"},
      {"fontdata", DataFont, "Error in fontdata command\n"},
  };
  for (const Case& c : cases) {
    TableLine fresh;
    std::string before = fresh.fonts[c.role].fontWord;
    std::string stub = std::string("\\") + c.command + " Arial , bold\n\\pl 50\n";
    EXPECT_EQ(runStub(stub, fresh), InterpretEnd) << c.command;
    EXPECT_EQ(output,
              std::string("Error:  Unrecognized element \",\" in font routine.\n") + c.message)
        << c.command;
    // The elements before the error stay, but the role keeps its printer words and the
    // rest of the line is dropped.
    EXPECT_EQ(fresh.fonts[c.role].font.name, "Arial") << c.command;
    EXPECT_FALSE(fresh.fonts[c.role].font.bold) << c.command;
    EXPECT_EQ(fresh.fonts[c.role].fontWord, before) << c.command;
    EXPECT_EQ(fresh.pageLength, 50) << c.command;
  }
}

TEST_F(OutputCommandTest, LineWritesARuleOfTheTableWidth) {
  table.out.openMemory();
  table.tableWidth = 60;
  EXPECT_EQ(runStub("\\line\n\\line =\n"), InterpretEnd);
  EXPECT_EQ(table.out.text(), std::string(60, '-') + "\n" + std::string(60, '=') + "\n");
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 2);
}

TEST_F(OutputCommandTest, BreakMovesToANewTableFile) {
  TempDir dir;
  run.outputName = dir.file("first.txt");
  ASSERT_EQ(table.out.open(run.outputName), 0);
  table.out.write("one\n");

  std::string second = dir.file("second.txt");
  EXPECT_EQ(runStub("\\break " + second + "  \n"), InterpretEnd);
  EXPECT_EQ(output, "\r\nWriting " + second + " ...\r\n");
  EXPECT_EQ(run.outputName, second);
  table.out.write("two\n");

  std::string missing = dir.file("no/such/dir.txt");
  EXPECT_EQ(runStub("\\br " + missing + "\n"), InterpretEnd);
  EXPECT_EQ(output, "Sorry, but I can't open " + missing + " as a table file.\r\n Continuing with " +
                        second + "\r\n");
  table.out.write("three\n");
  EXPECT_EQ(table.out.close(), 0);

  EXPECT_EQ(readFile(dir.file("first.txt")), "one\n");
  EXPECT_EQ(readFile(second), "two\nthree\n");
}

TEST_F(OutputCommandTest, RtfReplacesTheTextFile) {
  TempDir dir;
  run.outputName = dir.file("tables.out");
  ASSERT_EQ(table.out.open(run.outputName), 0);
  table.out.write("text so far\n");

  EXPECT_EQ(runStub("\\rtf\n"), InterpretEnd);
  std::string rtf = dir.file("tables.rtf");
  EXPECT_EQ(output, "You gave the \\rtf command.  Output will be in " + rtf + ".\r\n");
  EXPECT_EQ(run.outputName, rtf);
  EXPECT_TRUE(table.rtfMode);
  EXPECT_TRUE(table.noFormat);
  EXPECT_EQ(table.lineEnd, "\\par\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("tables.out")));

  // A second \rtf and \rtf no leave the RTF file alone.
  table.out.write("row");
  EXPECT_EQ(runStub("\\rtf\n\\rtf no\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_TRUE(table.rtfMode);
  EXPECT_EQ(table.out.close(), 0);
  EXPECT_EQ(readFile(rtf), std::string(RtfHeader) + "row");
}

TEST_F(OutputCommandTest, RtfNoKeepsTheTextFile) {
  TempDir dir;
  run.outputName = dir.file("tables.out");
  ASSERT_EQ(table.out.open(run.outputName), 0);
  EXPECT_EQ(runStub("\\rtf no\n\\rtf 1\n"), InterpretEnd);
  EXPECT_FALSE(table.rtfMode);
  EXPECT_EQ(run.outputName, dir.file("tables.out"));
  EXPECT_TRUE(std::filesystem::exists(dir.file("tables.out")));
  EXPECT_EQ(output, "");
}

TEST_F(OutputCommandTest, RtfThatCannotBeOpenedStopsTheRun) {
  TempDir dir;
  run.outputName = dir.file("gone/tables.out");
  EXPECT_EQ(runStub("\\rtf\n\\pl 50\n"), -1);
  EXPECT_EQ(output, "Unable to open " + dir.file("gone/tables.rtf") +
                        " for writing.  Check if it is open in WordPad.\r\n");
  EXPECT_EQ(table.pageLength, 66);
}

TEST_F(OutputCommandTest, BreakInRtfKeepsBothFilesWhole) {
  TempDir dir;
  run.outputName = dir.file("a.txt");
  ASSERT_EQ(table.out.open(run.outputName), 0);
  EXPECT_EQ(runStub("\\rtf\n"), InterpretEnd);
  table.out.write("first");
  EXPECT_EQ(runStub("\\break " + dir.file("b.rtf") + "\n"), InterpretEnd);
  table.out.write("second");
  EXPECT_EQ(table.out.close(), 0);
  EXPECT_EQ(readFile(dir.file("a.rtf")), std::string(RtfHeader) + "first\n}");
  EXPECT_EQ(readFile(dir.file("b.rtf")), std::string(RtfHeader) + "second");
}

}  // namespace
}  // namespace tabrix

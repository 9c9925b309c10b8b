// The command interpreter driven by small stubs: the command table and its prefix rule,
// the line loop, the numeric setting line, and the layout, format, mode, text and
// miscellaneous commands with their messages.
#include "stub/interpreter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "stub/run_state.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "stub/interpreter_fixture.h"
#include "table/table_line.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

using InterpreterTest = testing::StubTest;

// ---------------------------------------------------------------------------------
// The command table

TEST(CommandTable, HoldsNinetySixEntriesInOrder) {
  std::set<int> numbers;
  int last = 0;
  for (const CommandName& name : commandNames()) {
    EXPECT_GE(name.number, last) << name.name;
    last = name.number;
    numbers.insert(name.number);
    for (const char* p = name.name; *p != '\0'; ++p) {
      EXPECT_FALSE(*p >= 'A' && *p <= 'Z') << name.name;
    }
  }
  EXPECT_EQ(numbers.size(), 96u);
  EXPECT_EQ(*numbers.begin(), 1);
  EXPECT_EQ(*numbers.rbegin(), 96);
}

// No name is swallowed by the prefix of an earlier one: each name finds its own entry.
TEST(CommandTable, EveryNameReachesItsOwnEntry) {
  for (const CommandName& name : commandNames()) {
    const CommandName* found = findCommand(name.name);
    ASSERT_NE(found, nullptr) << name.name;
    EXPECT_EQ(found->number, name.number) << name.name;
  }
}

// The commands added after the original table (\sumrange, \chainrange, \html,
// \markdown, \latex, \pdf, \svg) were words no command matched, and they match no command's name:
// every entry of the table is checked, prefix rule included.
TEST(CommandTable, AddedCommandsChangeNoOtherWord) {
  const std::string_view ranges[] = {"sumrange", "chainrange", "html", "markdown", "latex", "pdf", "svg"};
  for (const CommandName& name : commandNames()) {
    for (std::string_view range : ranges) {
      if (name.name == range) {
        EXPECT_EQ(name.prefix, 0) << range;
        continue;
      }
      EXPECT_FALSE(commandMatches(name, range)) << name.name << " takes " << range;
      const CommandName* own = findCommand(range);
      ASSERT_NE(own, nullptr);
      EXPECT_FALSE(commandMatches(*own, name.name)) << range << " takes " << name.name;
    }
  }
}

TEST(CommandTable, MatchesWordsByOrderAndPrefix) {
  struct Case {
    const char* word;
    int number;  // 0: no command
  };
  const Case cases[] = {
      {"pagelength", 61}, {"pl", 61},        {"head", 25},      {"help", 25},
      {"he", 25},         {"h", 0},          {"timestamp", 75}, {"titlewidth", 64},
      {"title", 77},      {"tixyz", 77},     {"ti", 77},        {"tell", 81},
      {"coef", 34},       {"col", 33},       {"color", 33},     {"co", 0},
      {"mem", 46},        {"mi", 29},        {"missingtext", 29}, {"me", 0},
      {"ad", 1},          {"addx", 1},       {"a", 0},          {"fad", 2},
      {"fa", 0},          {"f", 16},         {"field", 17},     {"font", 59},
      {"fonthead", 53},   {"fontx", 0},      {"dates", 12},     {"date", 12},
      {"dat", 0},         {"datesx", 12},    {"announce", 4},   {"ann", 4},
      {"an", 0},          {"echo", 4},       {"break", 7},      {"br", 7},
      {"bz", 6},          {"thres", 68},     {"threshold", 68}, {"thre", 0},
      {"under", 69},      {"underline", 69}, {"land", 41},      {"lan", 0},
      {"one", 48},        {"mode", 89},      {"mo", 89},        {"more", 89},
      {"nosu", 38},       {"nst", 39},       {"nstx", 39},      {"nf", 47},
      {"g", 18},          {"n", 30},         {"gz", 21},        {"gdata", 20},
      {"pc", 52},         {"pcontrolx", 52}, {"pages", 50},     {"pp", 51},
      {"listg", 27},      {"list", 0},       {"st", 83},        {"sp", 67},
      {"subti", 80},      {"sub", 0},        {"center", 76},    {"ce", 76},
      {"xlgr", 71},       {"wk1", 72},       {"xls", 72},       {"wsti", 78},
      {"ws", 0},          {"cut", 37},       {"matl", 36},      {"mat", 0},
      // The range commands of the functions match whole words only, and take no word
      // of an earlier command.
      {"sumrange", 90},   {"chainrange", 91}, {"sum", 0},       {"sumr", 0},
      {"sumranges", 0},   {"chain", 0},      {"chainr", 0},     {"su", 0},
      {"subtitle", 80},   {"subtix", 80},    {"ch", 0},         {"check", 9},
      {"ce", 76},         {"centre", 76},
  };
  for (const Case& c : cases) {
    const CommandName* found = findCommand(c.word);
    if (c.number == 0) {
      EXPECT_EQ(found, nullptr) << c.word << " found " << (found ? found->name : "");
    } else {
      ASSERT_NE(found, nullptr) << c.word;
      EXPECT_EQ(found->number, c.number) << c.word;
    }
  }
}

// ---------------------------------------------------------------------------------
// Settings and messages, one stub each

std::string str(int value) { return std::to_string(value); }
std::string str(char value) { return value == 0 ? std::string("\\0") : std::string(1, value); }
std::string str(float value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

struct SettingCase {
  const char* stub;
  std::function<std::string(const TableLine&)> probe;
  const char* expected;
  const char* messages;
};

TEST_F(InterpreterTest, CommandsSetTheirSettingsAndReportBadArguments) {
  using T = const TableLine&;
  const SettingCase cases[] = {
      // Layout, any case of the command word.
      {"\\PageLength 60\n", [](T t) { return str(t.pageLength); }, "60", ""},
      {"\\pl 60\n", [](T t) { return str(t.pageLength); }, "60", ""},
      {"\\pagelength abc\n", [](T t) { return str(t.pageLength); }, "66",
       "Illegal pagelength: abc.\tCommand ignored.\n"},
      {"\\TM 5\n", [](T t) { return str(t.topMargin); }, "5", ""},
      {"\\topmargin x\n", [](T t) { return str(t.topMargin); }, "3",
       "Illegal top margin: x.\tCommand ignored.\n"},
      {"\\bm 4\n", [](T t) { return str(t.bottomMargin); }, "4", ""},
      {"\\bottommargin -\n", [](T t) { return str(t.bottomMargin); }, "9",
       "Illegal bottom margin: -.\tCommand ignored.\n"},
      {"\\tw 40\n", [](T t) { return str(t.titleWidth); }, "40", ""},
      {"\\titlewidth 400\n", [](T t) { return str(t.titleWidth); }, "20",
       "Title width can be no longer than 300!\r\n  Setting to 20.\r\n"},
      {"\\tw 300\n", [](T t) { return str(t.titleWidth); }, "300", ""},
      {"\\tw x\n", [](T t) { return str(t.titleWidth); }, "25",
       "Illegal title width: x.\tCommand ignored.\n"},
      {"\\pw 100\n\\pw 700\n", [](T t) { return str(t.pageWidth); }, "132",
       "Bad width: 700.\tCommand ignored.\n"},
      {"\\pagewidth 600\n", [](T t) { return str(t.pageWidth); }, "600", ""},
      {"\\pw wide\n", [](T t) { return str(t.pageWidth); }, "132",
       "Illegal pagewidth: wide.  Command ignored.\n"},
      {"\\sp 2\n", [](T t) { return str(t.spacing); }, "2", ""},
      {"\\sp 3\n\\spacing 700\n", [](T t) { return str(t.spacing); }, "1",
       "Bad Spacing: 700.\tCommand ignored.\n"},
      {"\\sp 3\n\\spacing double\n", [](T t) { return str(t.spacing); }, "3",
       "Illegal spacing: double.\tCommand ignored.\n"},
      {"\\lm 5\n", [](T t) { return str(t.leftMargin); }, "5", ""},
      {"\\leftmargin x\n", [](T t) { return str(t.leftMargin); }, "0",
       "Illegal left margin: x.\tCommand ignored.\n"},
      {"\\lpp 66\n", [](T t) { return str(t.linesPerPage); }, "66", ""},
      {"\\lpp 20\n", [](T t) { return str(t.linesPerPage); }, "0",
       "Illegal linesperpage: 20.  Command ignored.\n"},
      {"\\linesperpage many\n", [](T t) { return str(t.linesPerPage); }, "0",
       "Illegal linesperpage: many.  Command ignored.\n"
       "Illegal linesperpage: many.  Command ignored.\n"},
      {"\\lpp 100\n\\lpp many\n", [](T t) { return str(t.linesPerPage); }, "100",
       "Illegal linesperpage: many.  Command ignored.\n"},
      {"\\spacehead 2\n", [](T t) { return str(t.spaceHead); }, "2", ""},
      {"\\spacehead x\n", [](T t) { return str(t.spaceHead); }, "0",
       "spacehead illegal field: x.  Command ignored.\n"},
      {"\\pw 100\n\\landscape\n", [](T t) { return str(t.landscape) + str(t.pageWidth); },
       "1167", ""},
      {"\\land yes\n\\landscape off\n",
       [](T t) { return str(t.landscape) + str(t.pageWidth); }, "0132", ""},
      {"\\pw 100\n\\landscape 5\n", [](T t) { return str(t.landscape) + str(t.pageWidth); },
       "0100", ""},
      {"\\pages off\n", [](T t) { return str(t.pageNumbers); }, "0", ""},
      {"\\pages off\n\\pages\n", [](T t) { return str(t.pageNumbers); }, "1", ""},
      {"\\pages off\n\\pages 3\n", [](T t) { return str(t.pageNumbers); }, "0", ""},
      {"\\pageprefix Seite\n", [](T t) { return t.pagePrefix; }, " Seite", ""},
      {"\\pp A prefix of thirty characters\n", [](T t) { return t.pagePrefix; },
       " A prefix of thirty", ""},
      {"\\underline =\n", [](T t) { return str(t.underlineChar); }, "=", ""},
      {"\\underline *\n", [](T t) { return str(t.underlineChar); }, "*", ""},
      {"\\underline UnderlineDouble\n", [](T t) { return str(t.underlineChar); }, "=", ""},
      {"\\underline underlinesingle\n", [](T t) { return str(t.underlineChar); }, "-", ""},
      {"\\under UNDERLINEDOUBLEACCOUNTING\n", [](T t) { return str(t.underlineChar); }, "~",
       ""},
      {"\\underline UnderlineSingleAccounting\n",
       [](T t) { return str(t.underlineChar) + str(t.fonts[DateFont].font.underline); }, "__",
       ""},
      {"\\underline =\n\\underline none\n",
       [](T t) { return str(t.underlineChar) + str(t.fonts[DateFont].font.underline); },
       "\\0=", ""},
      {"\\underline =\n\\underline UnderlineNone\n",
       [](T t) { return str(t.underlineChar) + str(t.fonts[DateFont].font.underline); },
       "\\0\\0", ""},
      {"\\underline\n", [](T t) { return str(t.underlineChar); }, "-", ""},

      // Number format.
      {"\\decs 3\n", [](T t) { return str(t.decs); }, "3", ""},
      {"\\decs x\n", [](T t) { return str(t.decs); }, "1", "Illegal decs: x.\tCommand ignored.\n"},
      {"\\field 9\n", [](T t) { return str(t.fieldWidth); }, "9", ""},
      {"\\field x\n", [](T t) { return str(t.fieldWidth); }, "7",
       "Illegal field: x.  Command ignored.\n"},
      {"\\gd 2\n", [](T t) { return str(t.growthDecs); }, "2", ""},
      {"\\growthdecs x\n", [](T t) { return str(t.growthDecs); }, "1",
       "Illegal growthdecs: x.  Command ignored.\n"},
      {"\\gw 9\n", [](T t) { return str(t.growthWidth); }, "9", ""},
      {"\\growthwidth x\n", [](T t) { return str(t.growthWidth); }, "-1",
       "Illegal growthwidth: x.  Command ignored.\n"},
      {"\\cd 3\n", [](T t) { return str(t.coefDecs); }, "3", ""},
      {"\\coefdecs x\n", [](T t) { return str(t.coefDecs); }, "4",
       "Illegal coefdecs: x.  Command ignored.\n"},
      {"\\commas on\n", [](T t) { return str(t.commas); }, "1", ""},
      {"\\commas on\n\\commas off\n", [](T t) { return str(t.commas); }, "0", ""},
      {"\\commas on\n\\commas 1\n\\commas\n", [](T t) { return str(t.commas); }, "1", ""},
      {"\\commas maybe\n", [](T t) { return str(t.commas); }, "0",
       "Illegal commas command.\tCommand ignored.\n"},
      {"\\bz yes\n", [](T t) { return str(t.blankZeroes); }, "1", ""},
      {"\\bz yes\n\\bz\n", [](T t) { return str(t.blankZeroes); }, "0", ""},
      {"\\nzr\n", [](T t) { return str(t.noZeroRows); }, "1", ""},
      {"\\nzr\n\\nozerorows no\n", [](T t) { return str(t.noZeroRows); }, "0", ""},
      {"\\nf\n", [](T t) { return str(t.noFormat); }, "1", ""},
      {"\\nf\n\\noformat no\n", [](T t) { return str(t.noFormat); }, "0", ""},
      {"\\nf yes\n\\nf 0\n", [](T t) { return str(t.noFormat); }, "1", ""},
      {"\\threshhold 0.5\n", [](T t) { return str(t.threshold); }, "0.5", ""},
      {"\\thresh 2\n", [](T t) { return str(t.threshold); }, "2", ""},
      {"\\threshhold x\n", [](T t) { return str(t.threshold); }, "0",
       "\\threshhold command must take a number. Command ignored.\n"},
      {"\\div 1000\n", [](T t) { return str(t.divisor); }, "1000", ""},
      {"\\div x\n", [](T t) { return str(t.divisor); }, "1",
       "\\div command must take a number. Command ignored.\n"},
      {"\\div 0\n", [](T t) { return str(t.divisor); }, "1",
       "\\div command must take a non-zero number. Command ignored.\n"},
      {"\\printbase off\n", [](T t) { return str(t.printBase); }, "0", ""},
      {"\\printbase 0\n", [](T t) { return str(t.printBase); }, "0", ""},
      {"\\printbase false\n\\printbase on\n", [](T t) { return str(t.printBase); }, "1", ""},
      {"\\printbase no\n\\printbase otherwise\n", [](T t) { return str(t.printBase); }, "1",
       ""},
      {"\\printbase no\n\\printbase yes\n", [](T t) { return str(t.printBase); }, "1", ""},
      {"\\printbase no\n\\printbase true\n", [](T t) { return str(t.printBase); }, "1", ""},
      {"\\printbase 2\n", [](T t) { return str(t.printBase); }, "1", ""},

      // Modes.
      {"\\yf 2\n", [](T t) { return str(t.yearFormat); }, "0", ""},
      {"\\yf 4\n", [](T t) { return str(t.yearFormat); }, "2", ""},
      {"\\yearformat 3\n", [](T t) { return str(t.yearFormat); }, "3", ""},
      {"\\yf 2\n\\yf 9\n", [](T t) { return str(t.yearFormat); }, "1", ""},
      {"\\gt p\n", [](T t) { return str(t.growthType); }, "p", ""},
      {"\\growthtype compound\n", [](T t) { return str(t.growthType); }, "c", ""},
      {"\\gt x\n", [](T t) { return str(t.growthType); }, "e",
       "Illegal growthtype: x.  Command ignored.\n"},
      {"\\at b\n", [](T t) { return str(t.aggType); }, "b", ""},
      {"\\aggtype x\n", [](T t) { return str(t.aggType); }, "i",
       "Illegal aggtype: x.  Command ignored.\n"},
      {"\\pr\n", [](T t) { return str(t.annualRates); }, "n", ""},
      {"\\pr\n\\ar\n", [](T t) { return str(t.annualRates); }, "y", ""},
      {"\\g\n", [](T t) { return str(t.growthMode); }, "g", ""},
      {"\\g\n\\n\n", [](T t) { return str(t.growthMode); }, "n", ""},
      {"\\mode D\n", [](T t) { return str(t.showMode); }, "d", ""},
      {"\\mo percent\n", [](T t) { return str(t.showMode); }, "p", ""},
      {"\\mode d\n\\mode q\n", [](T t) { return str(t.showMode); }, "a",
       "Illegal mode q.  Defaults to 'a'.\n"},
      {"\\missing NA\n", [](T t) { return t.missingText; }, "NA", ""},
      {"\\mi  n/a  \n", [](T t) { return t.missingText; }, " n/a  ", ""},
      {"\\missing a very long missing text\n", [](T t) { return t.missingText; },
       "a very long mis", ""},
      {"\\toc\n", [](T t) { return str(t.tocOn); }, "1", ""},

      // Text commands; arguments keep their case.
      {"\\HEAD My Head\n", [](T t) { return t.headText + "|" + str(t.headSet); }, "My Head|1",
       ""},
      {"\\help Me\n", [](T t) { return t.contents.title(); }, "Me", ""},
      {"\\title   Table 1  \n", [](T t) { return t.tableTitle + "|" + str(t.titleSet); },
       "Table 1  |1", ""},
      {"\\subtitle  Sub\n", [](T t) { return t.subtitle + "|" + str(t.subtitleSet); },
       "  Sub|1", ""},
      {"\\subtitle\n", [](T t) { return t.subtitle + "|" + str(t.subtitleSet); }, "|1", ""},
      {"\\center Centered\n",
       [](T t) { return t.lineTitle + "|" + str(t.textLine) + str(t.centerText); },
       " Centered|00", ""},
      {"\\echo Hello\n", [](T) { return std::string(); }, "", "  Hello\r\n"},
      {"\\ann Hi there\n", [](T) { return std::string(); }, "", "  Hi there\r\n"},
      {"\\echo\n", [](T) { return std::string(); }, "", " \r\n"},
      {"\\mem\n", [](T) { return std::string(); }, "",
       "This command is not meaningful under this environment.\r\n"},
      {"\\check anything at all\n", [](T) { return std::string(); }, "", ""},
      {"\\ts\n", [](T t) { return str(t.timestampText.has_value()); }, "1", ""},
  };
  for (const SettingCase& c : cases) {
    TableLine fresh;
    EXPECT_EQ(runStub(c.stub, fresh), InterpretEnd) << c.stub;
    EXPECT_EQ(c.probe(fresh), c.expected) << c.stub;
    EXPECT_EQ(output, c.messages) << c.stub;
  }
}

TEST_F(InterpreterTest, DebugSwitchesTheEcho) {
  runStub("\\debug on\n");
  EXPECT_TRUE(run.debugEcho);
  runStub("\\debug off\n");
  EXPECT_FALSE(run.debugEcho);
  runStub("\\debug on\n\\debug\n");
  EXPECT_FALSE(run.debugEcho);
}

// ---------------------------------------------------------------------------------
// The line loop

TEST_F(InterpreterTest, EndOfInputClosesTheFileAndClearsTheReference) {
  EXPECT_EQ(runStub("\\pl 50\n"), InterpretEnd);
  EXPECT_TRUE(fileCleared);
  EXPECT_EQ(runStub(""), InterpretEnd);
  EXPECT_TRUE(fileCleared);
}

TEST_F(InterpreterTest, LineKinds) {
  // Blanks before a command, comments, empty lines, CR LF line ends and a last line
  // without a line feed.
  EXPECT_EQ(runStub("   \\pl 50\n# \\pl 5\n\n\r\n\\tm 4\r\n\\bm 2"), InterpretEnd);
  EXPECT_EQ(table.pageLength, 50);
  EXPECT_EQ(table.topMargin, 4);
  EXPECT_EQ(table.bottomMargin, 2);
  EXPECT_EQ(output, "");
}

TEST_F(InterpreterTest, UnrecognisedLineStartIsReportedAndSkipped) {
  PageCounters::pageNumber(table.page) = 3;
  PageCounters::lineOnPage(table.page) = 12;
  EXPECT_EQ(runStub("\tx \\pl 5\n!\n\\pl 50\n"), InterpretEnd);
  EXPECT_EQ(output,
            "\r\nLine beginning \t not recognized, page 3 line 12."
            "\r\nLine beginning ! not recognized, page 3 line 12.");
  EXPECT_EQ(table.pageLength, 50);
}

TEST_F(InterpreterTest, TheRestOfACommandLineIsSkipped) {
  // Extra arguments, unknown commands with arguments, a backslash before neither a
  // word nor a number: all skipped up to the line feed, and never beyond it.
  EXPECT_EQ(runStub("\\pl 60 70 \\tm 1\n"
                    "\\frobnicate 60 70\n"
                    "\\ + 5\n"
                    "\\toc extra words\n"
                    "\\bm 5\n"),
            InterpretEnd);
  EXPECT_EQ(table.pageLength, 60);
  EXPECT_EQ(table.topMargin, 3);
  EXPECT_EQ(table.bottomMargin, 5);
  EXPECT_TRUE(table.tocOn);
  EXPECT_EQ(output, "");
}

TEST_F(InterpreterTest, ACommandNeverTakesItsArgumentFromTheNextLine) {
  EXPECT_EQ(runStub("\\decs\n\\pl 50\n\\landscape\n\\tm 4\n\\nocomment\n\\bm 7\n"
                    "\\gdata 8\n\\lm 2\n\\dates\n\\field 9\n\\fonthead\n\\sp 2\n"),
            InterpretEnd);
  EXPECT_EQ(output, "Illegal decs: \n.\tCommand ignored.\n");
  EXPECT_EQ(table.pageLength, 50);
  EXPECT_TRUE(table.landscape);
  EXPECT_EQ(table.topMargin, 4);
  EXPECT_FALSE(table.gdataComments);
  EXPECT_EQ(table.bottomMargin, 7);
  EXPECT_EQ(table.gdataKeyword, "data");
  EXPECT_EQ(table.leftMargin, 2);
  EXPECT_EQ(table.fieldWidth, 9);
  EXPECT_EQ(table.spacing, 2);
}

TEST_F(InterpreterTest, TextAndPageLinesGoToTheLineHandlerWithTheirLine) {
  EXPECT_EQ(runStub(";text \\pl 6\n*\n\\pl 50\n"), InterpretEnd);
  EXPECT_EQ(table.pageLength, 50);
  EXPECT_EQ(output, "");
}

TEST_F(InterpreterTest, VamCommandsOffVamFilesSaySoAndSkipTheirLine) {
  EXPECT_EQ(runStub("\\zebra 3\n\\color 3\n\\cutoff 0.5 1990\n\\pl 50\n"), InterpretEnd);
  EXPECT_EQ(table.pageLength, 50);
  // \zebra is no command at all and stays silent; \color is \col by its prefix, which
  // like \cutoff is refused off VAM files.
  EXPECT_EQ(output,
            "\\col command only allowed on Vam Files.  Continuing...\n"
            "\\cutoff command only allowed on Vam Files.  Continuing...\n");
}

TEST_F(InterpreterTest, InvalidPrintbaseStopsTheRunAndLeavesTheFileOpen) {
  EXPECT_EQ(runStub("\\printbase maybe\n\\pl 50\n"), -1);
  EXPECT_FALSE(fileCleared);
  EXPECT_EQ(output, "\nError:  invalid argument for printbase.\n");
  EXPECT_EQ(table.pageLength, 66);
  EXPECT_EQ(runStub("\\printbase\n"), -1);
  EXPECT_EQ(runStub("\\printbase 'x'\n"), -1);
}

// ---------------------------------------------------------------------------------
// The numeric setting line

TEST_F(InterpreterTest, NumericSettingLineSetsUpToSixSettings) {
  EXPECT_EQ(runStub("\\ 8 2 60\n"), InterpretEnd);
  EXPECT_EQ(table.fieldWidth, 8);
  EXPECT_EQ(table.decs, 2);
  EXPECT_EQ(table.pageLength, 60);
  EXPECT_EQ(table.topMargin, 3);
  EXPECT_EQ(table.bottomMargin, 9);
  EXPECT_EQ(table.titleWidth, 25);

  EXPECT_EQ(runStub("\\9 3 70 4 8 40\n"), InterpretEnd);
  EXPECT_EQ(table.fieldWidth, 9);
  EXPECT_EQ(table.topMargin, 4);
  EXPECT_EQ(table.bottomMargin, 8);
  EXPECT_EQ(table.titleWidth, 40);
  EXPECT_EQ(output, "");

  EXPECT_EQ(runStub("\\7 1 66 3 9 400\n"), InterpretEnd);
  EXPECT_EQ(table.titleWidth, 20);
  EXPECT_EQ(output, "Title width can be no longer than 300!\r\n  Setting to 20.\r\n");

  // A token that is not a number ends the line; the settings read stay.
  EXPECT_EQ(runStub("\\10 x 50 \n\\tm 2\n"), InterpretEnd);
  EXPECT_EQ(table.fieldWidth, 10);
  EXPECT_EQ(table.decs, 1);
  EXPECT_EQ(table.pageLength, 66);
  EXPECT_EQ(table.topMargin, 2);
}

// ---------------------------------------------------------------------------------
// Dates, titles and contents

TEST(JoinDateTokens, KeepsRangesTogether) {
  struct Case {
    const char* line;
    const char* joined;
  };
  const Case cases[] = {
      {"1990 - 2000 2005", " 1990-2000 2005 "},
      {"1995:1 1990+5", " 1995:1 1990+5 "},
      {"90 | 95", " 90|95 "},
      {"1990 s2 1995", " 1990 s2 1995 "},
      {"s2 - 5", " s2 -5 "},
      {"", " "},
  };
  for (const Case& c : cases) {
    Chopper reader;
    reader.setString(c.line);
    EXPECT_EQ(joinDateTokens(reader), c.joined) << c.line;
  }
}

TEST_F(InterpreterTest, DatesCommandGivesTheJoinedListToTheParser) {
  EXPECT_EQ(runStub("\\dates 1990 - 2000 2005\n"), InterpretEnd);
  EXPECT_TRUE(table.datesSet);
  EXPECT_TRUE(table.datesHaveGrowth);
  ASSERT_EQ(table.dateCount(), 2);
  EXPECT_EQ(table.dateSpecs[0], "1990-2000");
  EXPECT_EQ(table.dateSpecs[1], "2005");

  EXPECT_EQ(runStub("\\date 1990:1993\n"), InterpretEnd);
  EXPECT_EQ(table.dateCount(), 4);
  EXPECT_FALSE(table.datesHaveGrowth);
}

TEST_F(InterpreterTest, HeadTitleStandsForTheBaseTitle) {
  table.altTitles[0] = "Base forecast";
  EXPECT_EQ(runStub("\\head title\n"), InterpretEnd);
  EXPECT_EQ(table.headText, "Base forecast");
  EXPECT_EQ(table.contents.title(), "Base forecast");
}

TEST_F(InterpreterTest, TitlesAreRecordedInTheContents) {
  PageCounters::pageNumber(table.page) = 4;
  EXPECT_EQ(runStub("\\title First\n\\title Second\n"), InterpretEnd);
  ASSERT_EQ(table.contents.entryCount(), 2);
  EXPECT_EQ(table.contents.entry(0).title, "First");
  EXPECT_EQ(table.contents.entry(1).title, "Second");
  EXPECT_EQ(table.contents.entry(1).page, 5);
  EXPECT_EQ(table.tableTitle, "Second");
}

TEST(TellText, ClockAndPhraseByHour) {
  struct Case {
    int hour;
    const char* text;
  };
  const Case cases[] = {
      {0, "It is now 12:05:09 in the morning, on 03/07/24.\n"},
      {9, "It is now  9:05:09 in the morning, on 03/07/24.\n"},
      {12, "It is now 12:05:09 Lunch Time!, on 03/07/24.\n"},
      {13, "It is now  1:05:09 in the afternoon, on 03/07/24.\n"},
      {16, "It is now  4:05:09 in the evening, on 03/07/24.\n"},
      {19, "It is now  7:05:09 Dinner Time!, on 03/07/24.\n"},
      {21, "It is now  9:05:09 in the evening, on 03/07/24.\n"},
      {22, "It is now 10:05:09 at night, on 03/07/24.\n"},
  };
  for (const Case& c : cases) {
    std::tm local{};
    local.tm_hour = c.hour;
    local.tm_min = 5;
    local.tm_sec = 9;
    local.tm_mon = 2;
    local.tm_mday = 7;
    local.tm_year = 124;
    EXPECT_EQ(tellText(local), c.text) << c.hour;
  }
}

TEST(TimestampText, IsTheLibraryFormWithOneMoreLineFeed) {
  std::time_t moment = 1700000000;
  std::tm calendar{};
  gmtime_r(&moment, &calendar);
  EXPECT_EQ(timestampText(calendar), "Tue Nov 14 22:13:20 2023\n\n");
}

// ---------------------------------------------------------------------------------
// Echo of the stub while \debug is on

TEST_F(InterpreterTest, DebugEchoesBlanksAndTextArguments) {
  EXPECT_EQ(runStub("\\debug on\n  \\echo Hi\n \\pl 50\n"), InterpretEnd);
  // The blanks before each line and the text argument with its line feed are echoed,
  // then \echo writes its own line.
  EXPECT_EQ(output, "   Hi\n  Hi\r\n ");
}

}  // namespace
}  // namespace tabrix

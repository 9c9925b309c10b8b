// The worksheet commands: \wk1 and \xls with the table file they replace, \filetype,
// \wstitle, \wsfreeze, and \missing and the numeric setting line on a workbook.
#include <gtest/gtest.h>

#include <string>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "sheet/workbook_writer.h"
#include "stub/interpreter_fixture.h"
#include "stub/run_state.h"
#include "table/table_line.h"
#include "table/table_sink.h"
#include "table/worksheet_sink.h"
#include "test_files.h"

namespace tabrix {
namespace {

using testing::TempDir;

// A run whose table file is open in a temporary directory.
class SheetCommandTest : public testing::StubTest {
 protected:
  void SetUp() override {
    run.outputName = dir.file("out.txt");
    ASSERT_EQ(table.out.open(run.outputName), 0);
  }
  void TearDown() override {
    if (table.sheet) (void)table.sheet->close();
  }
  TempDir dir;
};

TEST_F(SheetCommandTest, Wk1ReplacesTheTableFile) {
  EXPECT_EQ(runStub("\\wk1\n"), InterpretEnd);
  EXPECT_FALSE(fileExists(dir.file("out.txt")));
  EXPECT_EQ(run.outputName, dir.file("out"));
  EXPECT_EQ(output, "Writing Lotus WK1 spreadsheet to " + dir.file("out") + ".wk1.\r\n");
  ASSERT_NE(table.sheet, nullptr);
  EXPECT_EQ(table.sheet->workbook(), nullptr);
  EXPECT_TRUE(table.noFormat);
  EXPECT_FALSE(table.out.isOpen());
  // The worksheet takes the table: the text table is no target any more.
  EXPECT_NE(dynamic_cast<WorksheetSink*>(table.renderers.target()), nullptr);
  // \wk1 no ends the target: the WK1 file is finished, no target is left.
  EXPECT_EQ(runStub("\\wk1 no\n"), InterpretEnd);
  EXPECT_EQ(table.sheet, nullptr);
  // BOF, the title column's width, RANGE and EOF.
  EXPECT_EQ(tabrix::testing::readFile(dir.file("out.wk1")).size(), 6u + 7u + 12u + 4u);
}

TEST_F(SheetCommandTest, XlsStaysTheKindAndNamesItsWorkbook) {
  const std::string book = dir.file("book");
  EXPECT_EQ(runStub("\\xls \"" + book + ".xls\"\n"), InterpretEnd);
  EXPECT_TRUE(run.xlsTarget);
  EXPECT_EQ(run.outputName, book + ".xlsx");
  EXPECT_EQ(output, "Writing Excel XLS spreadsheet to " + book + ".xlsx.\r\n");
  EXPECT_FALSE(fileExists(dir.file("out.txt")));
  EXPECT_FALSE(table.noFormat);
  // \wk1 after \xls goes on with a workbook (a new one under the name given).
  EXPECT_EQ(runStub("\\wk1 \"" + dir.file("second") + "\"\n"), InterpretEnd);
  ASSERT_NE(table.sheet, nullptr);
  ASSERT_NE(table.sheet->workbook(), nullptr);
  EXPECT_TRUE(fileExists(book + ".xlsx"));  // the first one was saved on closing
  EXPECT_EQ(run.outputName, dir.file("second.xlsx"));
  // \filetype gives the next workbook its save format.
  EXPECT_EQ(runStub("\\filetype CSVWindows\n\\xls \"" + dir.file("third") + "\"\n"), InterpretEnd);
  EXPECT_EQ(table.sheet->workbook()->saveFormat(), "CSVWindows");
  EXPECT_EQ(runStub("\\filetype 12\n"), -1);
  EXPECT_EQ(output, "\nError:  Illegal specification for \\filetype.\n");
}

TEST_F(SheetCommandTest, NoTargetLeavesTheTableFile) {
  // With no worksheet open, \xls no and a \gdata conflict keep the table file.
  EXPECT_EQ(runStub("\\xls no\n"), InterpretEnd);
  EXPECT_TRUE(table.out.isOpen());
  EXPECT_FALSE(run.xlsTarget);
  table.gdataMode = true;
  EXPECT_EQ(runStub("\\xls\n"), InterpretEnd);
  EXPECT_EQ(output, "\\gdata and \\xls options inconsistent.\nTurning off \\xls option. \n");
  EXPECT_EQ(runStub("\\wk1\n"), InterpretEnd);
  EXPECT_EQ(output, "\\gdata and \\wk1 options inconsistent.\nTurning off \\wk1 option. \n");
  EXPECT_TRUE(table.out.isOpen());
  EXPECT_TRUE(fileExists(dir.file("out.txt")));
}

TEST_F(SheetCommandTest, AWorkbookThatCannotBeMadeStopsTheRun) {
  ScriptedKeys keys("", false);  // the error prompt's key
  ScopedKeySource source(keys);
  EXPECT_EQ(runStub("\\xls \"" + dir.file("no/such/book") + "\"\n"), -1);
  EXPECT_EQ(table.sheet, nullptr);
  EXPECT_TRUE(table.outputFailed);
  EXPECT_NE(output.find("Unable to open " + dir.file("no/such/book") + " for writing.\n"), std::string::npos);
}

TEST_F(SheetCommandTest, WorksheetTitles) {
  const std::string forty = "Gross domestic product by expenditure ab";
  EXPECT_EQ(runStub("\\wstitle   " + forty + "  \n"), InterpretEnd);
  EXPECT_EQ(table.worksheetTitle, forty.substr(0, 31));
  EXPECT_EQ(output, "Warning:  Abbreviating worksheet title to \"" + forty.substr(0, 31) + "\".\n");
  // With a workbook open the current worksheet takes the title at once.
  EXPECT_EQ(runStub("\\xls \"" + dir.file("book") + "\"\n\\wstit Summary\n"), InterpretEnd);
  ASSERT_NE(table.sheet, nullptr);
  EXPECT_EQ(table.sheet->workbook()->excel().worksheet()->name, "Summary");
  EXPECT_EQ(runStub("\\wstitle bad:name\n"), InterpretEnd);
  EXPECT_EQ(output, "\nError:  cannot set worksheet name.\n\nError:  Trouble setting worksheet name.\n");
  EXPECT_EQ(table.worksheetTitle, "bad:name");
  EXPECT_EQ(table.sheet->workbook()->excel().worksheet()->name, "Summary");
}

TEST_F(SheetCommandTest, FreezeMissingTextAndTitleWidth) {
  // Without a workbook \wsfreeze does nothing.
  EXPECT_EQ(runStub("\\wsfreeze 5\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(runStub("\\xls \"" + dir.file("book") + "\"\n\\wsfreeze 5\n\\missing n.a.\n\\ 7 1 66 3 9 40\n"),
            InterpretEnd);
  ASSERT_NE(table.sheet, nullptr);
  const Sheet& sheet = *table.sheet->workbook()->excel().worksheet();
  EXPECT_TRUE(sheet.window.frozen);
  EXPECT_EQ(sheet.window.splitRow, 5);
  EXPECT_EQ(table.sheet->workbook()->excel().missingValue.text, "n.a.");
  EXPECT_EQ(sheet.columnWidths.at(0), 40);
  const std::string trouble = "\nError:  Trouble freezing worksheet pane.\n";
  const std::string syntax = "Syntax is\n\txl freeze <[r | c | rc | off]> [[r | c | rc] [rc]]>\n";
  EXPECT_EQ(runStub("\\wsfreeze\n"), InterpretEnd);
  EXPECT_EQ(output, trouble);
  EXPECT_EQ(runStub("\\wsfreeze 0\n"), InterpretEnd);
  EXPECT_EQ(output, syntax + trouble);
  EXPECT_EQ(runStub("\\wsfreeze 5 , 3\n"), InterpretEnd);
  EXPECT_EQ(output, syntax + trouble);
  EXPECT_EQ(runStub("\\wsfreeze off\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_FALSE(table.sheet->workbook()->excel().worksheet()->window.frozen);
  EXPECT_EQ(runStub("\\wsfreeze B5 A3 C20\n"), InterpretEnd);
  EXPECT_EQ(output, "");
  EXPECT_EQ(table.sheet->workbook()->excel().worksheet()->window.splitColumn, 2);
}

}  // namespace
}  // namespace tabrix

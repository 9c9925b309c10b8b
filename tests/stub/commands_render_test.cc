// The publication commands \html, \markdown and \latex: the file names they choose,
// "no", a second name, and the files that cannot be opened or written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "stub/interpreter_fixture.h"
#include "stub/run_state.h"
#include "table/document_sink.h"
#include "table/outputs.h"
#include "table/table_line.h"
#include "test_files.h"

namespace tabrix {
namespace {

using testing::readFile;
using testing::TempDir;

class RenderCommandTest : public testing::StubTest {
 protected:
  void SetUp() override { run.outputName = dir.file("res.txt"); }
  void TearDown() override { static_cast<void>(finishRenderers(table)); }
  std::string at(const std::string& name) const { return dir.file(name); }

  TempDir dir{"tabrix-render"};
};

// The last text of a finished file of each format.
constexpr std::string_view kHtmlEnd = "</body>\n</html>\n";
constexpr std::string_view kLatexEnd = "\\end{document}\n";

TEST_F(RenderCommandTest, NamesTheFileByTheArgumentOrTheOutputFile) {
  struct Case {
    std::string stub;
    const char* key;
    std::string file;  // the file attached under the key
  };
  const Case cases[] = {
      {"\\html\n", "html", "res.html"},
      {"\\markdown\n", "markdown", "res.md"},
      {"\\latex\n", "latex", "res.tex"},
      {"\\HTML   \n", "html", "res.html"},
      {"\\html " + at("pages") + "\n", "html", "pages.html"},
      {"\\html " + at("pages.htm") + "  \n", "html", "pages.htm"},
      {"\\markdown " + at("notes.txt.d/t") + "\n", "markdown", "notes.txt.d/t.md"},
      {"\\latex " + at("paper.tex") + "\n", "latex", "paper.tex"},
  };
  std::filesystem::create_directories(at("notes.txt.d"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    EXPECT_EQ(runStub(c.stub), 'e');
    EXPECT_EQ(output, "");
    EXPECT_TRUE(hasRenderer(table, c.key));
    EXPECT_TRUE(fileExists(at(c.file)));
    EXPECT_EQ(finishRenderers(table), 0);
    std::filesystem::remove(at(c.file));
  }
  // An output file without an extension gets the format's.
  run.outputName = at("plain");
  EXPECT_EQ(runStub("\\latex\n"), 'e');
  EXPECT_TRUE(fileExists(at("plain.tex")));
}

TEST_F(RenderCommandTest, NoFinishesTheFileAtOnce) {
  EXPECT_EQ(runStub("\\html\n\\latex\n\\html No\n"), 'e');
  EXPECT_FALSE(hasRenderer(table, "html"));
  EXPECT_TRUE(hasRenderer(table, "latex"));
  EXPECT_TRUE(readFile(at("res.html")).ends_with(kHtmlEnd));
  EXPECT_EQ(readFile(at("res.tex")), "");  // still being written
  // "no" without a renderer does nothing.
  EXPECT_EQ(runStub("\\markdown no\n"), 'e');
  EXPECT_EQ(output, "");
  EXPECT_FALSE(fileExists(at("no.md")));
  EXPECT_FALSE(table.outputFailed);
}

TEST_F(RenderCommandTest, ASecondNameFinishesTheFirstFile) {
  EXPECT_EQ(runStub("\\latex " + at("one") + "\n\\latex " + at("two") + "\n"), 'e');
  EXPECT_TRUE(readFile(at("one.tex")).ends_with(kLatexEnd));
  EXPECT_EQ(readFile(at("two.tex")), "");
  EXPECT_EQ(dynamic_cast<DocumentSink*>(renderer(table, "latex"))->name(), at("two.tex"));
  // The same name again goes on with the file.
  TableSink* current = renderer(table, "latex");
  EXPECT_EQ(runStub("\\latex " + at("two.tex") + "\n"), 'e');
  EXPECT_EQ(renderer(table, "latex"), current);
  EXPECT_FALSE(table.outputFailed);
}

TEST_F(RenderCommandTest, AFileThatCannotBeOpenedStopsTheRun) {
  struct Case {
    std::string stub;
    std::string name;  // as the message names it
  };
  const Case cases[] = {
      {"\\html " + at("none/x") + "\n", at("none/x.html")},
      // Never over the table file, nor over another renderer's file.
      {"\\markdown " + at("res.txt") + "\n", at("res.txt")},
      {"\\html " + at("both.x") + "\n\\latex " + at("both.x") + "\n", at("both.x")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    table.outputFailed = false;
    EXPECT_EQ(runStub(c.stub + "\\echo not reached\n"), -1);
    EXPECT_EQ(output, "Unable to open " + c.name + " for writing.\n");
    EXPECT_TRUE(table.outputFailed);
    EXPECT_EQ(finishRenderers(table), 0);
  }
}

TEST_F(RenderCommandTest, AFailedWriteIsReportedOnceAndFailsTheRun) {
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  // Files that take nothing, as on a full disk.
  std::filesystem::create_symlink("/dev/full", at("full.html"));
  std::filesystem::create_symlink("/dev/full", at("full.tex"));
  const std::string message =
      "\nError:  Could not write " + at("full.html") + "; the table in it is incomplete.\r\n";
  EXPECT_EQ(runStub("\\html " + at("full") + "\n\\html no\n\\html no\n"), 'e');
  EXPECT_EQ(output, message);
  EXPECT_TRUE(table.outputFailed);
  // Also when a second name finishes the file.
  table.outputFailed = false;
  EXPECT_EQ(runStub("\\latex " + at("full") + "\n\\latex " + at("next") + "\n"), 'e');
  EXPECT_EQ(output, "\nError:  Could not write " + at("full.tex") +
                        "; the table in it is incomplete.\r\n");
  EXPECT_TRUE(table.outputFailed);
}

}  // namespace
}  // namespace tabrix

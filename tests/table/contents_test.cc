#include "table/contents.h"

#include <gtest/gtest.h>

#include "platform/console.h"
#include "process_exit.h"
#include "table_fixture.h"

namespace tabrix {
namespace {

std::string contentsOf(const toc& contents, int width, const char* prefix = "Page ") {
  TableFile file;
  file.openMemory();
  EXPECT_EQ(contents.writeContents(file, width, prefix, "\n"), 0);
  return file.text();
}

std::string entryLine(const std::string& title, const std::string& page) {
  std::string line = title;
  line.resize(80, ' ');
  return line + page;
}

TEST(ContentsTest, EntriesWithTheirPages) {
  toc contents;
  EXPECT_EQ(contents.addEntry("Output", 1), 1);
  EXPECT_EQ(contents.addEntry("Prices", 3), 2);
  EXPECT_EQ(contents.addEntry("Jobs 50% up", 12), 3);
  EXPECT_EQ(contents.entryCount(), 3);
  // No head: the contents start with the heading at (132 - 17) / 2 - 15 = 42.
  EXPECT_EQ(contentsOf(contents, 132), sp(42) + "TABLE OF CONTENTS\n\n\n" +
                                           entryLine("TABLE  1. Output", "Page  1") + "\n\n" +
                                           entryLine("TABLE  2. Prices", "Page  3") + "\n\n" +
                                           entryLine("TABLE  3. Jobs 50% up", "Page  12") + "\n\n");
}

TEST(ContentsTest, TitleOfTheContentsIsTheLatestHead) {
  toc contents;
  contents.setContentsTitle("First head");
  contents.setContentsTitle("US Outlook");
  EXPECT_EQ(contentsOf(contents, 132), "\n\n\n" + sp(46) + "US Outlook\n\n\n" + sp(42) + "TABLE OF CONTENTS\n\n\n");
  // Narrow pages put the titles at column 0.
  EXPECT_EQ(contentsOf(contents, 40), "\n\n\nUS Outlook\n\n\nTABLE OF CONTENTS\n\n\n");
}

TEST(ContentsTest, LongTitleIsOverwrittenByThePageText) {
  toc contents;
  std::string title(90, 'x');
  contents.addEntry(title, 2);
  std::string line = "TABLE  1. " + std::string(70, 'x') + "Pg 2";
  EXPECT_EQ(contentsOf(contents, 132, "Pg"), sp(42) + "TABLE OF CONTENTS\n\n\n" + line + "\n\n");
}

TEST(ContentsTest, LinesAreCutAtTheWidth) {
  toc contents;
  contents.setContentsTitle("A head longer than the page is wide");
  contents.addEntry("Output", 1);
  EXPECT_EQ(contentsOf(contents, 20), "\n\n\nA head longer than t\n\n\nTABLE OF CONTENTS\n\n\nTABLE  1. Output    \n\n");
}

TEST(ContentsTest, MoreThan500TablesEndTheProgram) {
  toc contents;
  for (int i = 0; i < MaxContentsEntries; ++i) contents.addEntry("t", 1);
  EXPECT_EQ(contents.entryCount(), 500);
  ConsoleCapture capture;
  EXPECT_EQ(testing::exitStatusOf([&] { contents.addEntry("one too many", 2); }), 1);
  EXPECT_EQ(capture.text(),
            "You have requested more than the maximum (500) number of tables.\r\n"
            "Now exiting ...\r\n");
}

}  // namespace
}  // namespace tabrix

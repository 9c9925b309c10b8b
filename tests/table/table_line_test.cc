#include "table/table_line.h"

#include <gtest/gtest.h>

#include "table/table_file.h"
#include "test_files.h"
#include "table/page_counters.h"

namespace tabrix {
namespace {

TEST(TableLineTest, FreshStateAfterDriverDefaults) {
  TableLine table;
  EXPECT_EQ(table.titleWidth, 25);
  setDriverDefaults(table);
  EXPECT_EQ(table.showMode, 'a');
  EXPECT_EQ(table.decs, 1);
  EXPECT_EQ(table.fieldWidth, 7);
  EXPECT_EQ(table.titleWidth, 32);
  EXPECT_EQ(table.pageLength, 66);
  EXPECT_EQ(table.topMargin, 3);
  EXPECT_EQ(table.bottomMargin, 9);
  EXPECT_EQ(table.pageWidth, 132);
  EXPECT_TRUE(table.pageNumbers);
  EXPECT_EQ(table.pagePrefix, "Page ");
  EXPECT_EQ(table.dateCount(), 1);
  EXPECT_FALSE(table.datesSet);
  EXPECT_EQ(table.lineEnd, "\n");
  EXPECT_EQ(table.missingText, "-0.0");
  EXPECT_EQ(table.gdataKeyword, "data");
  EXPECT_EQ(table.growthWidth, -1);
  EXPECT_EQ(PageCounters::pageNumber(table.page), 0);
  EXPECT_EQ(PageCounters::lineOnPage(table.page), 0);
  EXPECT_EQ(PageCounters::sheetRow(table.page), 0);
  EXPECT_EQ(table.contents.entryCount(), 0);
}

TEST(TableLineTest, FontRolesStartWithOnlyTheBodyActive) {
  TableLine table;
  EXPECT_EQ(table.fonts[BodyFont].fontWord, "lineprinter");
  for (int role = 0; role < FontRoleCount; ++role) {
    SCOPED_TRACE(role);
    if (role != BodyFont) {
      EXPECT_EQ(table.fonts[role].fontWord, "");
    }
    EXPECT_EQ(table.fonts[role].pointWord, "point");
    EXPECT_EQ(table.fonts[role].pitchWord, "pitch");
  }
  EXPECT_EQ(table.fonts[DateFont].font.underline, '=');
  EXPECT_EQ(table.fonts[DateFont].font.horizontal, 'c');
  EXPECT_EQ(table.fonts[BodyFont].font.underline, 0);
}

TEST(TableLineTest, AssignCutStopsAtTheCapacity) {
  std::string field;
  assignCut(field, "a missing text longer than fifteen", MissingTextCapacity);
  EXPECT_EQ(field, "a missing text ");
  assignCut(field, "short", MissingTextCapacity);
  EXPECT_EQ(field, "short");
}

TEST(TableFileTest, WritesReplacesAndClosesFiles) {
  testing::TempDir dir;
  std::string first = dir.file("table_file_a.out");
  std::string second = dir.file("table_file_b.out");
  TableFile file;
  EXPECT_FALSE(file.isOpen());
  file.write("dropped while closed");
  ASSERT_EQ(file.open(first), 0);
  file.write("one\n");
  file.put('2');
  TableFile next;
  ASSERT_EQ(next.open(second), 0);
  next.write("b");
  file = std::move(next);  // the first file is closed here
  EXPECT_EQ(file.name(), second);
  EXPECT_EQ(file.close(), 0);
  auto contents = [](const std::string& path) {
    std::string text;
    std::FILE* in = std::fopen(path.c_str(), "r");
    for (int c; in != nullptr && (c = std::fgetc(in)) != EOF;) text.push_back(static_cast<char>(c));
    if (in != nullptr) std::fclose(in);
    return text;
  };
  EXPECT_EQ(contents(first), "one\n2");
  EXPECT_EQ(contents(second), "b");
  EXPECT_EQ(file.open(dir.file("no/such/dir/x.out")), -1);
  EXPECT_FALSE(file.isOpen());
}

}  // namespace
}  // namespace tabrix

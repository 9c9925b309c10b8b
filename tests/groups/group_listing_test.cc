// The listings of the group store: the names five to a line with a pause every 120
// names, and one group's members fifteen to a line.
#include <gtest/gtest.h>

#include <string>

#include "groups/group_fixtures.h"
#include "groups/group_home.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "test_files.h"

namespace tabrix {
namespace {

using testing::TempDir;
using testing::defineAll;

// Definitions of groups named g1 .. gN, group gi holding 1 .. i.
std::string numberedGroups(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "g" + std::to_string(i) + "\n1-" + std::to_string(i) + "\n";
  return text;
}

// The members 1 .. count as showGroup prints them, built by hand: " %3d" and a blank,
// a line end after every 15th, and one at the end unless the last line was full.
std::string shownMembers(int count) {
  std::string out;
  for (int m = 1; m <= count; ++m) {
    char cell[16];
    std::snprintf(cell, sizeof cell, " %3d", m);
    out += cell;
    out += m % 15 == 0 ? "\r\n" : " ";
  }
  if (count == 0 || count % 15 != 0) out += "\r\n";
  return out;
}

TEST(GroupListing, ShowsMembersFifteenToALine) {
  TempDir dir;
  ConsoleCapture capture;
  GroupHome home(dir.file("groups.bin"));
  defineAll(home, numberedGroups(16) + "empty\n\nbig\n1-501\n");
  capture.take();
  EXPECT_EQ(shownMembers(15),
            "   1    2    3    4    5    6    7    8    9   10   11   12   13   14   15\r\n");
  for (int count : {1, 14, 15, 16}) {
    SCOPED_TRACE(count);
    EXPECT_EQ(home.showGroup("g" + std::to_string(count)), 0);
    EXPECT_EQ(capture.take(), shownMembers(count));
  }
  EXPECT_EQ(home.showGroup("empty"), 0);
  EXPECT_EQ(capture.take(), "\r\n");
  EXPECT_EQ(home.showGroup("nosuch"), -1);
  EXPECT_EQ(capture.take(), "Group: nosuch is not defined\r\n");
  EXPECT_EQ(home.showGroup("big"), -2);
  EXPECT_EQ(capture.take(), "Group big has too many elements!\r\n");
}

TEST(GroupListing, ListsNamesFiveToALine) {
  TempDir dir;
  ConsoleCapture capture;
  GroupHome home(dir.file("groups.bin"));
  defineAll(home, numberedGroups(7));
  capture.take();
  home.listGroups();
  EXPECT_EQ(capture.take(),
            "g1             g2             g3             g4             g5             \r\n"
            "g6             g7             \r\n");
}

TEST(GroupListing, PausesBeforeThe120thName) {
  TempDir dir;
  ConsoleCapture capture;
  GroupHome home(dir.file("groups.bin"));
  std::string text;
  for (int i = 1; i <= 125; ++i) text += "g" + std::to_string(i) + "\n1\n";
  defineAll(home, text);
  capture.take();

  // 119 names make 23 full lines and 4 names, then the pause prompt.
  std::string first;
  for (int i = 1; i <= 119; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%-15s", ("g" + std::to_string(i)).c_str());
    first += name;
    if (i % 5 == 0) first += "\r\n";
  }
  first += "\r=== more ====";

  ScriptedKeys escape(std::string(1, 27));
  {
    ScopedKeySource keys(escape);
    home.listGroups();
  }
  EXPECT_EQ(capture.take(), first);

  // Any other key (here an extended one, both its codes taken) goes on with the rest.
  ScriptedKeys arrow;
  arrow.extended(key::kDown).type("x");
  {
    ScopedKeySource keys(arrow);
    home.listGroups();
  }
  EXPECT_EQ(capture.take(), first + "g120           \r\ng121           g122           g123           "
                                    "g124           g125           \r\n\r\n");
  EXPECT_FALSE(arrow.empty());
}

}  // namespace
}  // namespace tabrix

// Reading group definitions: numbers, ranges, exclusions, offsets that move the
// marks, ':' references, continuation lines, the errors that end a list, and the
// dynamic group.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "groups/group_fixtures.h"
#include "groups/group_home.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "test_files.h"

namespace tabrix {
namespace {

using testing::DefinitionText;
using testing::TempDir;
using testing::defineAll;
using testing::describeGroups;

class GroupDefinitionTest : public ::testing::Test {
 protected:
  // A store holding hi = 101 102 105 (kept in the temporary directory).
  GroupDefinitionTest() : home(dir.file("groups.bin")) {
    defineAll(home, "hi\n101-102, 105\n");
    capture.take();
  }

  // The members a definition gives, as "m1 m2 ..." ("-" for a refused definition).
  std::string membersOf(const std::string& definition) {
    defineAll(home, "t\n" + definition + "\n");
    const int position = home.findGroup("t");
    if (position < 0) return "-";
    std::string out;
    for (int16_t member : home.definition(position).members) out += (out.empty() ? "" : " ") + std::to_string(member);
    return out;
  }

  TempDir dir;
  ConsoleCapture capture;
  GroupHome home;
};

TEST_F(GroupDefinitionTest, ListsGiveTheirMembers) {
  struct Case {
    const char* definition;
    const char* members;  // worked out by hand
    const char* message;  // printed while reading
  };
  const Case cases[] = {
      {"1-5, 8", "1 2 3 4 5 8", ""},
      {"1-10 (4-6)", "1 2 3 7 8 9 10", ""},
      {"5-8, (6)", "5 7 8", ""},
      {"101, 103-105", "101 103 104 105", ""},
      {"10, 5", "5 10", ""},
      {"10 5-7 2", "2 5 6 7 10", ""},
      {"8-3", "3 4 5 6 7 8", ""},
      {"1-3,\n7", "1 2 3 7", ""},
      {"4,\n\n9", "4", ""},  // an empty line after a comma ends the list
      {"", "", ""},
      {"1, 2) 3", "1 2", ""},
      {"1 (2 (3) 4) 5", "1 3 5", ""},
      // ':' marks the referenced members at their own numbers, whatever the offset.
      {"110, :hi", "101 102 105 110", ""},
      {"103, :hi", "101 102 103 105", ""},
      {":hi, 104", "101 102 104 105", ""},
      {"100-106 (:hi)", "100 103 104 106", ""},
      {"3500, 1", "1 3500", ""},
      // Errors end the list; what was marked before stays.
      {"1, :nosuch, 4", "1", "\nReferenced group does not exist."},
      {"1, : , 4", "1", "\nA : must be followed by a name or number."},
      {"1, 2 - x", "1 2", "\nA - must be followed by a number."},
      {"- 5", "", "\nA number must procede a -."},
      {"1, x, 4", "1", "\nUnrecognized element x"},
      {"1, 3600", "1", "\nNumber 3600 is outside the group's range (0 to 3500)."},
      {"3501, 1", "3501", "\nNumber 1 is outside the group's range (2 to 7000)."},
      {"2, 40000", "2", "\nNumber 40000 is outside the group's range (0 to 3501)."},
      {"32767, 32768", "32767", "\nNumber 32768 is outside the group's range (29268 to 32767)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.definition);
    EXPECT_EQ(membersOf(c.definition), c.members);
    EXPECT_EQ(capture.take(), c.message);
  }
}

TEST_F(GroupDefinitionTest, ParsesWithinTheCallersLimit) {
  // A limit of 501 marks numbers 1 .. 500 above the offset.
  DefinitionText input("201, 300-302, :hi, (301)\n");
  std::vector<int16_t> marks(501, 7);
  std::string text;
  int offset = -1;
  EXPECT_EQ(home.parseGroup(input.reader, text, 501, marks, offset), 6);
  EXPECT_EQ(offset, 100);  // moved down from 200 by the members of hi
  EXPECT_EQ(text, "201 , 300 - 302 , : hi , ( 301 ) ");
  std::vector<int> marked;
  for (int i = 1; i < 501; ++i) {
    if (marks[static_cast<std::size_t>(i)] != 0) marked.push_back(i + offset);
  }
  EXPECT_EQ(marked, (std::vector<int>{101, 102, 105, 201, 300, 302}));

  DefinitionText far("1, 501\n");
  EXPECT_EQ(home.parseGroup(far.reader, text, 501, marks, offset), 1);
  EXPECT_EQ(capture.take(), "\nNumber 501 is outside the group's range (0 to 500).");
}

TEST_F(GroupDefinitionTest, NamesAreCheckedAndCut) {
  DefinitionText noName(", 1-2\n");
  EXPECT_EQ(home.defineGroup(noName.reader), -1);
  EXPECT_EQ(capture.take(), "\nNeed a group name or number.");
  DefinitionText empty("\"\" more words\n1-2\n");
  EXPECT_EQ(home.defineGroup(empty.reader), -1);
  EXPECT_EQ(capture.take(), "\nGroup name must not be NULL.");
  EXPECT_EQ(home.groupCount(), 1);

  // The rest of the name line is skipped; a name keeps 21 characters.
  defineAll(home, "abcdefghijklmnopqrstuvwxyz 9 9 9\n4\n12\n6\n");
  EXPECT_EQ(describeGroups(home), "hi: 101 102 105\nabcdefghijklmnopqrstu: 4\n12: 6\n");
  EXPECT_EQ(home.groupSize("abcdefghijklmnopqrstu"), 1);
}

TEST_F(GroupDefinitionTest, LooksGroupsUpByTheirWholeName) {
  defineAll(home, "Hi\n7\n");
  EXPECT_EQ(home.findGroup("hi"), 0);
  EXPECT_EQ(home.findGroup("Hi"), 1);
  EXPECT_EQ(home.findGroup("h"), -1);
  EXPECT_EQ(home.groupSize("hi"), 3);
  EXPECT_EQ(home.groupSize("none"), -1);

  std::vector<int16_t> out(2, 0);
  EXPECT_EQ(home.groupMembers("hi", out), 2);  // cut at the room given
  EXPECT_EQ(out, (std::vector<int16_t>{101, 102}));
  EXPECT_EQ(home.groupMembers("none", out), -1);

  // Flags below the limit only: 105 lies beyond a limit of 105.
  std::vector<int16_t> flags(200, 9);
  EXPECT_EQ(home.groupFlags("hi", 105, flags), 0);
  for (int i = 0; i < 200; ++i) {
    const int expected = i == 101 || i == 102 ? 1 : i < 105 ? 0 : 9;
    EXPECT_EQ(flags[static_cast<std::size_t>(i)], expected) << i;
  }
}

TEST(DynamicGroup, TakesTheListedNumbers) {
  struct Case {
    const char* list;
    const char* members;  // worked out by hand
  };
  const Case cases[] = {
      {"5-8, (6)", "5 7 8"},
      {"101, 103", "101 103"},
      {"3 1", "3"},  // 1 lies below the first number: refused by the list reader
      {"32760-32770", "32760 32761 32762 32763 32764 32765 32766 32767"},
  };
  TempDir dir;
  ConsoleCapture capture;
  GroupHome home(dir.file("groups.bin"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    DefinitionText input(std::string(c.list) + "\n");
    NumberFlags flags{};
    int base = 0;
    const int highest = input.reader.parseNumberList(flags, base);
    home.setDynamicGroup(flags, base, highest);
    std::string out;
    for (int16_t member : home.dynamicGroup()) out += (out.empty() ? "" : " ") + std::to_string(member);
    EXPECT_EQ(out, c.members);
  }
  EXPECT_NE(capture.text().find("\nNumbers above 32767 cannot be group members; they are left out."),
            std::string::npos);
  // An empty list leaves the group as it was.
  NumberFlags none{};
  home.setDynamicGroup(none, 0, 0);
  EXPECT_EQ(home.dynamicCount(), 8);
}

}  // namespace
}  // namespace tabrix

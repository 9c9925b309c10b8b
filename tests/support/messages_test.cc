#include "support/messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace tabrix {
namespace {

// Each test starts with no holder alive, so the use count is observable.
class VexMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(VexMessage::users(), 0);
    ASSERT_FALSE(VexMessage::built());
  }
};

struct EntryCase {
  const char* key;
  int number;
  const char* text;  // nullptr: the entry holds no text
};

TEST_F(VexMessageTest, FetchGivesExactTextsAndNoneElsewhere) {
  const EntryCase cases[] = {
      {"msgbk", 1, "\r\nCannot open %s\r\nNo bank now assigned\r\n"},
      {"msgbk", 2, "\r\n Cannot open index file %s\r\nNo bank now assigned\r\n"},
      {"msgbk", 3, "\r\nTitle of assigned bank:\r\n%s"},
      {"msgbk", 5, "\r\nMax observations per series %d.  "},
      {"msgbk", 11, " \r\nCannot fseek.\r\n"},
      {"msgbk", 13, "\r\nIndex file not written \r\n"},
      {"msgbk", 15, "\r\nCannot fseek.\r\n"},
      {"msgbk", 19, "\r\nIndex file read.\r\n"},
      {"msgbk", 24, "\r\nCannot open %s.\r\n"},
      {"msgbk", 65, "\r\nThis bank assigned as bank: %c.\r\n"},
      {"msgbk", 66, "\r\nBase year %d."},
      {"msglsc", 11, "=== more ===="},
      {"msgutil", 1, "Not enough space for %s, %d to %d.\n"},
      {"msgutil", 2, "Not enough space for %s, %d,%d,%d,%d.\n"},
      {"msgutil", 3, "Unable to allocate memory for row %d in %s.\r\n"},
      // Known groups, entries without text, and numbers outside a group.
      {"msgbk", 0, nullptr},
      {"msgbk", 20, nullptr},
      {"msgbk", 69, nullptr},
      {"msgbk", 70, nullptr},
      {"msgbk", -1, nullptr},
      {"msgvex", 0, nullptr},
      {"msgrhs", 39, nullptr},
      {"msgutil", 4, nullptr},
      {"msgutil", 100000, nullptr},
      // msgbpl is known but never filled; other keys are unknown.
      {"msgbpl", 0, nullptr},
      {"msgbpl", 1, nullptr},
      {"msgxyz", 1, nullptr},
      {"MSGBK", 19, nullptr},
      {"", 0, nullptr},
      {"msgb", 19, nullptr},
  };
  VexMessage messages;
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.number));
    const char* text = messages.fetch(c.key, c.number);
    if (c.text == nullptr) {
      EXPECT_EQ(text, nullptr);
    } else {
      ASSERT_NE(text, nullptr);
      EXPECT_STREQ(text, c.text);
    }
  }
}

TEST_F(VexMessageTest, UseCountBuildsOnFirstAcquireAndFreesOnLastRelease) {
  auto first = std::make_unique<VexMessage>();
  EXPECT_EQ(VexMessage::users(), 1);
  EXPECT_TRUE(VexMessage::built());
  {
    VexMessage second;
    VexMessage copy(second);
    EXPECT_EQ(VexMessage::users(), 3);
  }
  // The other holders are gone; the first one still reads the catalogue.
  EXPECT_EQ(VexMessage::users(), 1);
  EXPECT_TRUE(VexMessage::built());
  EXPECT_STREQ(first->fetch("msgbk", 19), "\r\nIndex file read.\r\n");

  first.reset();
  EXPECT_EQ(VexMessage::users(), 0);
  EXPECT_FALSE(VexMessage::built());

  // A later acquire builds every group again.
  VexMessage again;
  EXPECT_TRUE(VexMessage::built());
  EXPECT_STREQ(again.fetch("msglsc", 11), "=== more ====");
  EXPECT_STREQ(again.fetch("msgutil", 3), "Unable to allocate memory for row %d in %s.\r\n");
}

TEST_F(VexMessageTest, AssignmentKeepsTheCount) {
  VexMessage a;
  VexMessage b;
  a = b;
  EXPECT_EQ(VexMessage::users(), 2);
}

// A holder in static storage that was set up before the catalogue was first used, so
// it is destroyed after everything constructed later: a bank kept for the length of a
// process, for instance.
std::optional<VexMessage> gLongLivedHolder;

TEST_F(VexMessageTest, CatalogueOutlivesHoldersDestroyedAtProcessEnd) {
  EXPECT_EXIT(
      {
        gLongLivedHolder.emplace();
        std::exit(gLongLivedHolder->fetch("msgbk", 19) != nullptr ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tabrix

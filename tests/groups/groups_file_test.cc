// groups.bin: the bytes the store writes, definitions kept from one run to the next,
// records moved by a redefinition, the empty file, and damaged files refused without
// touching them.
#include "groups/groups_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "groups/group_fixtures.h"
#include "groups/group_home.h"
#include "platform/console.h"
#include "test_files.h"

namespace tabrix {
namespace {

using testing::FileBytes;
using testing::TempDir;
using testing::defineAll;
using testing::describeGroups;
using testing::readFile;

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The header for records of the given sizes, worked out by hand: record 0 at 1206,
// each next one where the one before ends.
std::vector<long> offsetsFor(const std::vector<int>& sizes) {
  std::vector<long> offsets;
  long offset = 1206;
  for (int size : sizes) {
    offsets.push_back(offset);
    offset += size;
  }
  return offsets;
}

TEST(GroupsFile, EastIsOneRecordOfTwentyOneBytes) {
  TempDir dir;
  const std::string path = dir.file("groups.bin");
  ConsoleCapture capture;
  GroupHome home(path);
  EXPECT_FALSE(home.groupsPresent());
  defineAll(home, "east\n1-5, 8\n");

  // 4 + 2 * 6 + 5 = 21 bytes after the 1206-byte header.
  FileBytes expected;
  expected.header(1, {1206}).record("east", {1, 2, 3, 4, 5, 8});
  ASSERT_EQ(expected.bytes.size(), 1227u);
  EXPECT_EQ(readFile(path), expected.str());
  EXPECT_EQ(home.definition(0).recordSize, 21);
  EXPECT_EQ(capture.text(), "");
}

TEST(GroupsFile, DefinitionsOfOneRunAreReadInTheNext) {
  TempDir dir;
  const std::string path = dir.file("groups.bin");
  ConsoleCapture capture;
  {
    GroupHome first(path);
    defineAll(first, "east\n1-5, 8\nwest\n101, 103-104\n\"big sectors\"\n7, 2,\n 9\n");
  }
  GroupHome second(path);
  EXPECT_TRUE(second.groupsPresent());
  EXPECT_EQ(describeGroups(second), "east: 1 2 3 4 5 8\nwest: 101 103 104\nbig sectors: 2 7 9\n");
  EXPECT_EQ(second.readGroups(), 0);
  EXPECT_EQ(describeGroups(second), "east: 1 2 3 4 5 8\nwest: 101 103 104\nbig sectors: 2 7 9\n");
  EXPECT_EQ(capture.text(), "");
}

TEST(GroupsFile, RedefinitionReplacesMembersAndMovesTheLaterRecords) {
  TempDir dir;
  const std::string path = dir.file("groups.bin");
  ConsoleCapture capture;
  GroupHome home(path);
  defineAll(home, "a\n1-3\nb\n7, 9\n");
  defineAll(home, "a\n1-5\n");
  EXPECT_EQ(home.groupCount(), 2);
  EXPECT_EQ(home.redefinitions(), 1);

  // a: 1 + 2 * 5 + 5 = 16 bytes, so b now starts at 1222.
  FileBytes expected;
  expected.header(2, offsetsFor({16, 10})).record("a", {1, 2, 3, 4, 5}).record("b", {7, 9});
  EXPECT_EQ(readFile(path), expected.str());

  // A shorter redefinition rewrites in place; the file is never cut, so the bytes
  // after the new last record stay.
  defineAll(home, "a\n2\n");
  const std::string bytes = readFile(path);
  FileBytes shorter;
  shorter.header(2, offsetsFor({8, 10})).record("a", {2}).record("b", {7, 9});
  ASSERT_EQ(bytes.size(), expected.bytes.size());
  EXPECT_EQ(bytes.substr(0, shorter.bytes.size()), shorter.str());
  GroupHome again(path);
  EXPECT_EQ(describeGroups(again), "a: 2\nb: 7 9\n");
}

TEST(GroupsFile, EmptyFilesGetTheEmptyHeader) {
  FileBytes empty;
  empty.header(0, {1206});
  FileBytes noCount;  // N = 0 with stale offsets: nothing is recorded
  noCount.header(0, {1206, 1300, 1400});
  for (const std::string& bytes : {std::string(), noCount.str()}) {
    TempDir dir;
    const std::string path = dir.file("groups.bin");
    writeBytes(path, bytes);
    ConsoleCapture capture;
    GroupHome home(path);
    EXPECT_TRUE(home.groupsPresent());
    EXPECT_EQ(home.groupCount(), 0);
    EXPECT_FALSE(home.fileRefused());
    EXPECT_EQ(readFile(path), empty.str());
    EXPECT_EQ(capture.text(), "");
  }
}

TEST(GroupsFile, MissingFileIsCreatedByTheFirstDefinition) {
  TempDir dir;
  const std::string path = dir.file("groups.bin");
  ConsoleCapture capture;
  GroupHome home(path);
  EXPECT_EQ(home.readGroups(), -1);
  EXPECT_FALSE(std::filesystem::exists(path));
  defineAll(home, "x\n4\n");
  FileBytes expected;
  expected.header(1, {1206}).record("x", {4});
  EXPECT_EQ(readFile(path), expected.str());
}

TEST(GroupsFile, FailedWritesAreReportedWithTheFileName) {
  ConsoleCapture capture;
  {
    // A directory where the file should be: it cannot be created.
    TempDir dir;
    const std::string path = dir.file("groups.bin");
    std::filesystem::create_directory(path);
    GroupHome home(path);
    defineAll(home, "x\n4\n");
    EXPECT_EQ(capture.take(), "\r\nUnable to open " + path + "\r\n" + "\r\nUnable to open " + path + "\r\n");
  }
  if (std::filesystem::exists("/dev/full")) {
    // Every write to /dev/full fails when it is flushed.
    GroupHome home("/dev/full");
    EXPECT_NE(capture.take().find("\r\nUnable to write /dev/full\r\n"), std::string::npos);
  }
}

// Damaged files: each is refused with its reason; the store stays empty and the file
// keeps its bytes, also when the stub saves without a new definition.
TEST(GroupsFile, DamagedFilesAreRefusedAndKept) {
  const std::vector<long> one = {1206};
  struct Case {
    const char* what;
    std::string bytes;
    GroupsFileStatus status;
    std::string message;  // what the store prints
  };
  const std::string keep =
      ".\r\nNo groups are loaded; the file is left as it is until a new \\group definition "
      "is made.\r\n";
  auto damaged = [&](const std::string& reason) { return "\r\n@ is damaged: " + reason + keep; };
  const Case cases[] = {
      {"header cut short", FileBytes().i16(1).i32(1206).zeros(94).str(), GroupsFileStatus::ShortHeader,
       "Error reading header!  Help!\n" + damaged("the file ends inside its 1206-byte header")},
      {"count above 300", FileBytes().header(301, one).record("a", {1}).str(), GroupsFileStatus::BadCount,
       damaged("it claims 301 groups (at most 300)")},
      {"negative count", FileBytes().header(-1, one).record("a", {1}).str(), GroupsFileStatus::BadCount,
       damaged("it claims -1 groups (at most 300)")},
      {"more groups than records", FileBytes().header(2, one).record("a", {1}).str(),
       GroupsFileStatus::BadRecord, damaged("record 2 is said to start at 0, outside the file's 1214 bytes")},
      {"offset beyond the file", FileBytes().header(1, {5000}).record("a", {1}).str(),
       GroupsFileStatus::BadRecord, damaged("record 1 is said to start at 5000, outside the file's 1214 bytes")},
      {"offset inside the header", FileBytes().header(1, {10}).record("a", {1}).str(),
       GroupsFileStatus::BadRecord, damaged("record 1 is said to start at 10, outside the file's 1214 bytes")},
      {"too many members", FileBytes().header(1, one).i16(7010).i16(3501).zeros(20).str(),
       GroupsFileStatus::BadRecord, damaged("record 1 claims 3501 members")},
      {"negative member count", FileBytes().header(1, one).i16(10).i16(-2).zeros(20).str(),
       GroupsFileStatus::BadRecord, damaged("record 1 claims -2 members")},
      {"size too small", FileBytes().header(1, one).i16(6).i16(1).i16(1).text("a").zeros(1).str(),
       GroupsFileStatus::BadRecord, damaged("record 1 has a size of 6 bytes, too small for its 1 members")},
      {"record cut short", FileBytes().header(1, one).i16(21).i16(6).i16(1).i16(2).str(),
       GroupsFileStatus::ShortRecord,
       "Error reading group definition.\n" + damaged("record 1 runs past the end of the file")},
      {"name without NUL", FileBytes().header(1, one).i16(10).i16(1).i16(1).text("abcd").str(),
       GroupsFileStatus::BadRecord, damaged("record 1 has a name not ended by its record's last byte")},
      {"NUL inside the name", FileBytes().header(1, one).i16(10).i16(1).i16(1).text("a").zeros(1).text("b").zeros(1).str(),
       GroupsFileStatus::BadRecord, damaged("record 1 has a name not ended by its record's last byte")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GroupsImage image;
    const std::vector<uint8_t> bytes(c.bytes.begin(), c.bytes.end());
    const GroupsFileResult result = readGroupsImage(bytes, image);
    EXPECT_EQ(result.status, c.status);
    EXPECT_TRUE(result.refused());
    EXPECT_TRUE(image.definitions.empty());

    TempDir dir;
    const std::string path = dir.file("groups.bin");
    writeBytes(path, c.bytes);
    ConsoleCapture capture;
    GroupHome home(path);
    std::string expected = c.message;
    expected.replace(expected.find('@'), 1, path);
    EXPECT_EQ(capture.take(), expected);
    EXPECT_EQ(home.groupCount(), 0);
    EXPECT_TRUE(home.fileRefused());
    EXPECT_EQ(home.readGroups(), -1);
    capture.take();
    // A failed definition (an empty name) makes nothing to keep: the file stays.
    testing::DefinitionText input("\"\"\n1-3\n");
    EXPECT_EQ(home.defineGroup(input.reader), -1);
    EXPECT_EQ(home.writeHeader(), -1);
    EXPECT_EQ(readFile(path), c.bytes);
    // A new definition is kept and replaces the damaged file.
    defineAll(home, "fresh\n2-3\n");
    GroupHome next(path);
    EXPECT_EQ(describeGroups(next), "fresh: 2 3\n");
  }
}

TEST(GroupsFile, ReadsRecordsWrittenByHandAtTheirOffsets) {
  // Records placed out of order and with a gap: each is read where its offset says.
  FileBytes bytes;
  bytes.header(2, {1224, 1206}).record("second", {3, 4}).zeros(3).record("first", {-5, 7, 300});
  GroupsImage image;
  ASSERT_EQ(readGroupsImage(bytes.bytes, image).status, GroupsFileStatus::Ok);
  ASSERT_EQ(image.definitions.size(), 2u);
  EXPECT_EQ(image.definitions[0].groupName, "first");
  EXPECT_EQ(image.definitions[0].members, (std::vector<int16_t>{-5, 7, 300}));
  EXPECT_EQ(image.definitions[0].recordSize, 5 + 6 + 5);
  EXPECT_EQ(image.definitions[1].groupName, "second");
  EXPECT_EQ(image.definitions[1].memberCount, 2);

  TempDir dir;
  const std::string path = dir.file("groups.bin");
  writeBytes(path, bytes.str());
  GroupsImage fromFile;
  ASSERT_EQ(readGroupsImage(path, fromFile).status, GroupsFileStatus::Ok);
  EXPECT_EQ(fromFile.definitions.size(), 2u);
  EXPECT_EQ(readGroupsImage(dir.file("none.bin"), fromFile).status, GroupsFileStatus::ReadError);
}

TEST(GroupsFile, ThreeHundredGroupsFitAndTheNextIsRefused) {
  TempDir dir;
  const std::string path = dir.file("groups.bin");
  ConsoleCapture capture;
  GroupHome home(path);
  std::string text;
  for (int i = 1; i <= 300; ++i) text += "g" + std::to_string(i) + "\n" + std::to_string(i) + "\n";
  defineAll(home, text);
  ASSERT_EQ(home.groupCount(), 300);
  const std::string before = readFile(path);
  // Records of name length + 2 + 5 bytes: names of 2, 3 and 4 characters.
  EXPECT_EQ(before.size(), 1206u + 9 * (2 + 2 + 5) + 90 * (3 + 2 + 5) + 201 * (4 + 2 + 5));
  capture.take();

  defineAll(home, "g301\n301\n");
  EXPECT_EQ(capture.take(), "\nGroup g301 is not kept: " + path + " holds at most 300 groups.");
  EXPECT_EQ(home.groupCount(), 300);
  EXPECT_EQ(readFile(path), before);
  // Redefining one of the 300 is still possible.
  defineAll(home, "g300\n1-2\n");
  EXPECT_EQ(home.groupSize("g300"), 2);
}

}  // namespace
}  // namespace tabrix

// groups.bin from any bytes, read from memory and from the file, then kept by a group
// store that lists and shows its groups, takes new definitions (which may name the
// groups read with ':') and saves them: what it saves must read back the same.
//
// Input: groups.bin (as file_parts.h lays out), then definitions, each a name on a line
// and its numbers on the next line(s), as after \group.
#include <cstdint>
#include <string>
#include <vector>

#include "file_parts.h"
#include "fuzz_support.h"
#include "groups/group_home.h"
#include "groups/groups_file.h"
#include "reader/chopper.h"

namespace {

using namespace tabrix;

bool sameGroups(const std::vector<GroupDefn>& a, const std::vector<GroupDefn>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].groupName != b[i].groupName || a[i].members != b[i].members ||
        a[i].memberCount != b[i].memberCount || a[i].recordSize != b[i].recordSize) {
      return false;
    }
  }
  return true;
}

// An accepted image keeps within the store's capacities and agrees with itself.
void checkImage(const GroupsImage& image) {
  if (image.groupCount < 0 || image.groupCount > MaxGroups ||
      image.definitions.size() != static_cast<std::size_t>(image.groupCount)) {
    __builtin_trap();
  }
  for (const GroupDefn& group : image.definitions) {
    if (group.members.size() != static_cast<std::size_t>(group.memberCount) ||
        group.memberCount > MaxGroupMembers || group.recordSize != group.computedSize()) {
      __builtin_trap();
    }
  }
}

// The groups a store holds.
std::vector<GroupDefn> groupsOf(const GroupHome& home) {
  std::vector<GroupDefn> groups;
  for (int i = 0; i < home.groupCount(); ++i) groups.push_back(home.definition(i));
  return groups;
}

// The bytes the store would write for an image.
std::vector<uint8_t> encode(GroupsImage image) {
  computeRecordOffsets(image);
  std::vector<uint8_t> bytes = encodeGroupsHeader(image);
  for (const GroupDefn& group : image.definitions) {
    const std::vector<uint8_t> record = encodeGroupRecord(group);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = fuzz::splitFiles(data, size, 2);
  fuzz::Workspace& workspace = fuzz::Workspace::get();
  {
    fuzz::QuietInput quiet;
    GroupsImage fromBytes;
    const GroupsFileResult bytesResult = readGroupsImage(parts[0], fromBytes);
    if (!writeWholeFile(GroupsFileName, parts[0])) __builtin_trap();
    GroupsImage fromFile;
    const GroupsFileResult fileResult = readGroupsImage(std::string(GroupsFileName), fromFile);
    if (bytesResult.status != fileResult.status || bytesResult.problem != fileResult.problem ||
        !sameGroups(fromBytes.definitions, fromFile.definitions)) {
      __builtin_trap();  // the two readers disagree
    }
    if (bytesResult.status == GroupsFileStatus::Ok) {
      checkImage(fromBytes);
      GroupsImage again;
      if (readGroupsImage(encode(fromBytes), again).status != GroupsFileStatus::Ok ||
          !sameGroups(again.definitions, fromBytes.definitions)) {
        __builtin_trap();  // an accepted file does not come back through the writer
      }
    }

    fuzz::runInput([&] {
      GroupHome home;
      if (bytesResult.status == GroupsFileStatus::Ok &&
          !sameGroups(fromBytes.definitions, groupsOf(home))) {
        __builtin_trap();  // the store holds other groups than the file
      }
      static_cast<void>(home.readGroups());
      home.listGroups();
      std::vector<int16_t> buffer(MaxGroupMembers + 1);
      for (int i = 0; i < home.groupCount() && i < 50; ++i) {
        const std::string name = home.definition(i).groupName;
        home.showGroup(name);
        home.groupFlags(name, 200, buffer);
        home.groupMembers(name, std::span<int16_t>(buffer).first(10));
        home.groupSize(name);
      }
      home.showGroup("");

      Chopper reader;
      reader.setString(fuzz::asText(parts[1].data(), parts[1].size()));
      bool defined = false;
      for (std::size_t step = 0; step <= parts[1].size(); ++step) {
        if (home.defineGroup(reader) == 0) defined = true;
        if (reader.currentChar() < 0 || reader.tokenType() == token::kEnd) break;
      }
      if (!defined) return;
      if (home.writeHeader() != 0 || home.writeRecords() != 0) __builtin_trap();
      std::vector<uint8_t> saved;
      GroupsImage reread;
      if (!readWholeFile(GroupsFileName, saved)) __builtin_trap();
      const GroupsFileResult result = readGroupsImage(saved, reread);
      if (result.status != GroupsFileStatus::Ok || !sameGroups(reread.definitions, groupsOf(home))) {
        __builtin_trap();  // the saved groups do not read back
      }
      checkImage(reread);
    });
  }
  workspace.sweep();
  return 0;
}

// groups.bin: the file that keeps the named groups from one run to the next. It is
// little-endian and laid out as
//
//   offset 0     int16       N, the number of groups (0 .. 300)
//   offset 2     int32       the offset of the first record, 1206
//   offset 6     300 int32   the offset of record i (i = 0 .. 299); unused entries 0
//   offset 1206  the records, one after another, in definition order
//
// and each record as
//
//   0        int16       S, the record's size: name length + 2n + 5
//   2        int16       n, the number of members
//   4        n int16     the members, ascending
//   4 + 2n   S - 2n - 4  the name and its terminating NUL
//
// Record i starts where record i - 1 ends. This module decodes and encodes that
// layout; GroupHome (groups/group_home.h) keeps the file open and decides what to do
// with what was read. Decoding never trusts the file: every count and offset is
// checked against the file's size and the store's capacities before it is used, so a
// damaged file is refused with the reason, never read past its end.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "banks/binary_io.h"

namespace tabrix {

// The capacities of the store and of the file.
constexpr int MaxGroups = 300;          // named groups the header has offsets for
constexpr int MaxGroupMembers = 3500;   // members of one named group
constexpr int GroupNameCapacity = 21;   // characters of a group name written by \group
constexpr int GroupsHeaderSize = 1206;  // 2 + 4 + 4 * 300: where the first record starts
constexpr int GroupRecordFixedSize = 5; // S and n (2 + 2) and the name's NUL

// The file's fixed name, in the current directory.
constexpr const char* GroupsFileName = "groups.bin";

// One named group.
struct GroupDefn {
  int16_t recordSize = GroupRecordFixedSize;  // bytes of the record: name length + 2n + 5
  int16_t memberCount = 0;                    // number of members
  std::vector<int16_t> members;               // the member numbers, ascending
  std::string groupName;                      // the name, matched exactly

  // Sets the members and recomputes memberCount and recordSize.
  void setMembers(std::vector<int16_t> numbers);
  // The record size the name and the members take: name length + 2n + 5.
  int computedSize() const;
};

// What a groups.bin holds: the count, the header's offsets and the definitions.
struct GroupsImage {
  int16_t groupCount = 0;                           // N
  std::array<int32_t, MaxGroups + 1> recordOffsets{};  // entry 0: 1206; entry i: record i - 1
  std::vector<GroupDefn> definitions;               // N definitions, in file order
};

// How reading a groups.bin came out.
enum class GroupsFileStatus {
  Ok,           // the header and every record were read; the image holds them
  Empty,        // the file is empty (no bytes, or N = 0): no groups
  ShortHeader,  // the file ends inside the 1206-byte header
  BadCount,     // N is negative or above 300
  BadRecord,    // a record lies outside the file, or its sizes do not agree
  ShortRecord,  // a record runs past the end of the file
  ReadError,    // the file could not be read
};

struct GroupsFileResult {
  GroupsFileStatus status = GroupsFileStatus::Ok;
  std::string problem;  // for a refused file: what is wrong, for the user ("" when Ok)

  bool refused() const {
    return status != GroupsFileStatus::Ok && status != GroupsFileStatus::Empty;
  }
};

// Reads a whole groups.bin held in memory into image (left empty unless Ok). This is
// the entry point for fuzzing: any bytes give a status, never a read out of bounds, and
// allocations stay bounded by the capacities above.
[[nodiscard]] GroupsFileResult readGroupsImage(std::span<const uint8_t> bytes, GroupsImage& image);
// The same for a file; only the header and the records it points to are read.
[[nodiscard]] GroupsFileResult readGroupsImage(BinaryFile& file, GroupsImage& image);
// The same for a file named by its path (ReadError when it cannot be opened).
[[nodiscard]] GroupsFileResult readGroupsImage(const std::string& path, GroupsImage& image);

// Recomputes the header's offsets from the record sizes: entry 0 and entry 1 are 1206,
// record i starts where record i - 1 ends, entries past the last record are 0.
void computeRecordOffsets(GroupsImage& image);
// The 1206 header bytes: N, entry 0 and the 300 record offsets.
std::vector<uint8_t> encodeGroupsHeader(const GroupsImage& image);
// The bytes of one record: S, n, the members, the name and its NUL.
std::vector<uint8_t> encodeGroupRecord(const GroupDefn& group);

}  // namespace tabrix

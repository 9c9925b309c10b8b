// Fixtures of the group store tests: groups.bin files built byte by byte, and group
// definitions fed to the store through a stub reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "groups/group_home.h"
#include "reader/chopper.h"
#include "reader/stub_test_support.h"

namespace tabrix::testing {

// Little-endian bytes written out by hand, independent of the store's encoder.
class FileBytes {
 public:
  FileBytes& i16(int value) {
    bytes.push_back(static_cast<uint8_t>(value & 0xff));
    bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xff));
    return *this;
  }
  FileBytes& i32(long value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>((value >> shift) & 0xff));
    return *this;
  }
  FileBytes& text(std::string_view characters) {
    bytes.insert(bytes.end(), characters.begin(), characters.end());
    return *this;
  }
  FileBytes& zeros(std::size_t count) {
    bytes.insert(bytes.end(), count, 0);
    return *this;
  }
  // A header: the count, entry 0 (1206) and the 300 record offsets, unused ones 0.
  FileBytes& header(int count, const std::vector<long>& offsets) {
    i16(count).i32(1206);
    for (long offset : offsets) i32(offset);
    return zeros(4 * (300 - offsets.size()));
  }
  // A record: S = name length + 2n + 5, n, the members, the name and its NUL.
  FileBytes& record(std::string_view name, const std::vector<int>& members) {
    i16(static_cast<int>(name.size() + 2 * members.size() + 5)).i16(static_cast<int>(members.size()));
    for (int member : members) i16(member);
    return text(name).zeros(1);
  }
  std::string str() const { return std::string(bytes.begin(), bytes.end()); }

  std::vector<uint8_t> bytes;
};

// Reads definitions and \group-style name lines from a text through a stub reader.
class DefinitionText {
 public:
  explicit DefinitionText(std::string_view text) : stub_(text) { reader.setSource(stub_.get()); }

  Chopper reader;

 private:
  TempStub stub_;
};

// The members of every group of the store, as "name: m1 m2 ..." lines.
inline std::string describeGroups(const GroupHome& home) {
  std::string out;
  for (int i = 0; i < home.groupCount(); ++i) {
    const GroupDefn& group = home.definition(i);
    out += group.groupName + ":";
    for (int16_t member : group.members) out += " " + std::to_string(member);
    out += "\n";
  }
  return out;
}

// Defines one group per "name" line followed by its definition line(s), as \group
// name does (the command word itself left out), and saves the store after each. The
// rest of the line a definition ended on is skipped, as the interpreter does.
inline void defineAll(GroupHome& home, std::string_view text) {
  DefinitionText input(text);
  for (;;) {
    int type = input.reader.nextToken();
    if (type == token::kEnd) break;
    if (type == token::kLineEnd) continue;
    input.reader.pushBackToken();
    if (home.defineGroup(input.reader) == 0) {
      (void)home.writeHeader();
      (void)home.writeRecords();
    }
    input.reader.pushBackCurrent();
    input.reader.skipLine();
  }
}

}  // namespace tabrix::testing

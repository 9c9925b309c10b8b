#include "groups/groups_file.h"

#include <cstring>
#include <functional>

namespace tabrix {

namespace {

// Fetches `count` bytes at `offset` into dst; false when they are not all there.
using ByteFetch = std::function<bool(int64_t offset, uint8_t* dst, std::size_t count)>;

GroupsFileResult refusal(GroupsFileStatus status, std::string problem) {
  return GroupsFileResult{status, std::move(problem)};
}

std::string recordText(int i) { return "record " + std::to_string(i + 1); }

// Decodes the file whose `size` bytes `fetch` hands out.
GroupsFileResult decodeGroups(const ByteFetch& fetch, int64_t size, GroupsImage& image) {
  image = GroupsImage{};
  if (size == 0) return refusal(GroupsFileStatus::Empty, "");
  if (size < GroupsHeaderSize) {
    return refusal(GroupsFileStatus::ShortHeader, "the file ends inside its " +
                                                      std::to_string(GroupsHeaderSize) +
                                                      "-byte header");
  }
  std::array<uint8_t, GroupsHeaderSize> header{};
  if (!fetch(0, header.data(), header.size())) {
    return refusal(GroupsFileStatus::ReadError, "its header cannot be read");
  }
  const int count = decodeI16(header.data());
  if (count < 0 || count > MaxGroups) {
    return refusal(GroupsFileStatus::BadCount,
                   "it claims " + std::to_string(count) + " groups (at most " +
                       std::to_string(MaxGroups) + ")");
  }
  GroupsImage read;
  read.groupCount = static_cast<int16_t>(count);
  for (int i = 0; i <= MaxGroups; ++i) {
    read.recordOffsets[static_cast<std::size_t>(i)] =
        decodeI32(header.data() + 2 + 4 * static_cast<std::size_t>(i));
  }
  if (count == 0) {
    image = std::move(read);
    return refusal(GroupsFileStatus::Empty, "");
  }

  read.definitions.reserve(static_cast<std::size_t>(count));
  std::vector<uint8_t> body;
  for (int i = 0; i < count; ++i) {
    const int64_t offset = read.recordOffsets[static_cast<std::size_t>(i) + 1];
    if (offset < GroupsHeaderSize || offset > size - 4) {
      return refusal(GroupsFileStatus::BadRecord, recordText(i) + " is said to start at " +
                                                      std::to_string(offset) +
                                                      ", outside the file's " +
                                                      std::to_string(size) + " bytes");
    }
    uint8_t sizes[4];
    if (!fetch(offset, sizes, sizeof sizes)) {
      return refusal(GroupsFileStatus::ReadError, recordText(i) + " cannot be read");
    }
    const int recordSize = decodeI16(sizes);
    const int members = decodeI16(sizes + 2);
    if (members < 0 || members > MaxGroupMembers) {
      return refusal(GroupsFileStatus::BadRecord, recordText(i) + " claims " +
                                                      std::to_string(members) + " members");
    }
    // The name takes S - 2n - 4 bytes, its NUL included, so at least one.
    if (recordSize < 2 * members + GroupRecordFixedSize) {
      return refusal(GroupsFileStatus::BadRecord,
                     recordText(i) + " has a size of " + std::to_string(recordSize) +
                         " bytes, too small for its " + std::to_string(members) + " members");
    }
    if (offset + recordSize > size) {
      return refusal(GroupsFileStatus::ShortRecord, recordText(i) + " runs past the end of the file");
    }
    body.resize(static_cast<std::size_t>(recordSize) - 4);
    if (!fetch(offset + 4, body.data(), body.size())) {
      return refusal(GroupsFileStatus::ReadError, recordText(i) + " cannot be read");
    }
    GroupDefn group;
    group.members.resize(static_cast<std::size_t>(members));
    for (std::size_t k = 0; k < group.members.size(); ++k) {
      group.members[k] = decodeI16(body.data() + 2 * k);
    }
    const uint8_t* name = body.data() + 2 * static_cast<std::size_t>(members);
    const std::size_t nameBytes = body.size() - 2 * static_cast<std::size_t>(members);
    // The name ends with its only NUL, so that the record size follows from the name.
    if (name[nameBytes - 1] != 0 || std::memchr(name, 0, nameBytes - 1) != nullptr) {
      return refusal(GroupsFileStatus::BadRecord,
                     recordText(i) + " has a name not ended by its record's last byte");
    }
    group.groupName.assign(reinterpret_cast<const char*>(name), nameBytes - 1);
    group.memberCount = static_cast<int16_t>(members);
    group.recordSize = static_cast<int16_t>(recordSize);
    read.definitions.push_back(std::move(group));
  }
  image = std::move(read);
  return GroupsFileResult{};
}

}  // namespace

void GroupDefn::setMembers(std::vector<int16_t> numbers) {
  members = std::move(numbers);
  memberCount = static_cast<int16_t>(members.size());
  recordSize = static_cast<int16_t>(computedSize());
}

int GroupDefn::computedSize() const {
  return static_cast<int>(groupName.size()) + 2 * static_cast<int>(members.size()) +
         GroupRecordFixedSize;
}

GroupsFileResult readGroupsImage(std::span<const uint8_t> bytes, GroupsImage& image) {
  auto fetch = [bytes](int64_t offset, uint8_t* dst, std::size_t count) {
    if (offset < 0 || static_cast<uint64_t>(offset) > bytes.size() ||
        count > bytes.size() - static_cast<std::size_t>(offset)) {
      return false;
    }
    if (count > 0) std::memcpy(dst, bytes.data() + offset, count);
    return true;
  };
  return decodeGroups(fetch, static_cast<int64_t>(bytes.size()), image);
}

GroupsFileResult readGroupsImage(BinaryFile& file, GroupsImage& image) {
  image = GroupsImage{};
  const int64_t size = file.size();
  if (size < 0) return refusal(GroupsFileStatus::ReadError, "its size cannot be found");
  auto fetch = [&file](int64_t offset, uint8_t* dst, std::size_t count) {
    return file.seek(offset) == 0 && file.read(dst, count) == count;
  };
  return decodeGroups(fetch, size, image);
}

GroupsFileResult readGroupsImage(const std::string& path, GroupsImage& image) {
  BinaryFile file;
  if (!file.open(path, "rb")) {
    image = GroupsImage{};
    return refusal(GroupsFileStatus::ReadError, "it cannot be opened");
  }
  return readGroupsImage(file, image);
}

void computeRecordOffsets(GroupsImage& image) {
  image.recordOffsets.fill(0);
  image.recordOffsets[0] = GroupsHeaderSize;
  int32_t offset = GroupsHeaderSize;
  const std::size_t count = std::min<std::size_t>(image.definitions.size(), MaxGroups);
  for (std::size_t i = 0; i < count; ++i) {
    image.recordOffsets[i + 1] = offset;
    offset += image.definitions[i].recordSize;
  }
  // With no record, entry 1 still names where the first one will go.
  image.recordOffsets[1] = GroupsHeaderSize;
}

std::vector<uint8_t> encodeGroupsHeader(const GroupsImage& image) {
  std::vector<uint8_t> bytes;
  bytes.reserve(GroupsHeaderSize);
  appendI16(bytes, image.groupCount);
  for (int32_t offset : image.recordOffsets) appendI32(bytes, offset);
  return bytes;
}

std::vector<uint8_t> encodeGroupRecord(const GroupDefn& group) {
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(group.computedSize()));
  appendI16(bytes, group.recordSize);
  appendI16(bytes, group.memberCount);
  for (int16_t member : group.members) appendI16(bytes, member);
  appendText(bytes, group.groupName);
  appendU8(bytes, 0);
  return bytes;
}

}  // namespace tabrix

#include "groups/group_home.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/run_files.h"
#include "reader/chopper.h"

namespace tabrix {

namespace {

// \listgroups shows this many names before it waits for a key.
constexpr int kNamesPerScreen = 120;
// Names on one line of \listgroups, members on one line of \grouplist.
constexpr int kNamesPerLine = 5;
constexpr int kMembersPerLine = 15;

}  // namespace

GroupHome::GroupHome(std::string path) : path_(std::move(path)) {
  groupsPresent_ = fileExists(path_);
  if (groupsPresent_) (void)load();
}

int16_t GroupHome::readGroups() {
  if (!fileExists(path_)) return -1;
  return load();
}

int16_t GroupHome::load() {
  image_ = GroupsImage{};
  keepFile_ = false;
  GroupsImage read;
  GroupsFileResult result;
  {
    // Readers share the lock: no run replaces the file while it is read.
    FileLock lock;
    if (lockable() && lock.acquire(lockPath(), false, lockWaitMs_) == -2) return lockRefused(true);
    result = readGroupsImage(path_, read);
  }
  if (result.status == GroupsFileStatus::ReadError && result.problem == "it cannot be opened") {
    console().printf("\r\nUnable to open %s\r\n", path_.c_str());
    return -1;
  }
  if (result.status == GroupsFileStatus::Empty) {
    // Nothing is recorded: the file starts again with an empty header.
    computeRecordOffsets(image_);
    return writeHeader() == 0 ? 0 : -1;
  }
  if (result.refused()) {
    if (result.status == GroupsFileStatus::ShortHeader) {
      console().write("Error reading header!  Help!\n");
    } else if (result.status == GroupsFileStatus::ShortRecord) {
      console().write("Error reading group definition.\n");
    }
    console().printf(
        "\r\n%s is damaged: %s.\r\nNo groups are loaded; the file is left as it is until a "
        "new \\group definition is made.\r\n",
        path_.c_str(), result.problem.c_str());
    keepFile_ = true;
    return -1;
  }
  image_ = std::move(read);
  return 0;
}

int16_t GroupHome::defineGroup(Chopper& reader) {
  const int type = reader.nextToken();
  if (type != token::kWord && type != token::kNumber) {
    console().write("\nNeed a group name or number.");
    return -1;
  }
  std::string name = reader.tokenText();
  // The definition itself is on the following line(s).
  reader.skipToLineEnd();
  if (name.empty()) {
    console().write("\nGroup name must not be NULL.");
    return -1;
  }
  if (name.size() > static_cast<std::size_t>(GroupNameCapacity)) name.resize(GroupNameCapacity);

  std::string text;
  int offset = 0;
  const int count = parseGroup(reader, text, GroupMarkCount, marks_, offset);
  std::vector<int16_t> members;
  members.reserve(static_cast<std::size_t>(count));
  for (int j = 1; j < GroupMarkCount && static_cast<int>(members.size()) < count; ++j) {
    if (marks_[static_cast<std::size_t>(j)] == 1) members.push_back(static_cast<int16_t>(offset + j));
  }

  GroupsImage before = image_;
  const int applied = applyDefinition(image_, name, members);
  if (applied < 0) return -1;
  if (applied == 1) ++redefinitions_;
  before_ = std::move(before);
  pending_ = GroupDefn{};
  pending_.groupName = std::move(name);
  pending_.setMembers(std::move(members));
  hasPending_ = true;
  // A new definition is the user's wish to keep the store: the file may be written.
  keepFile_ = false;
  return 0;
}

int GroupHome::applyDefinition(GroupsImage& image, const std::string& name, std::vector<int16_t> members) {
  std::vector<GroupDefn>& definitions = image.definitions;
  const auto same = std::find_if(definitions.begin(), definitions.end(),
                                 [&](const GroupDefn& group) { return group.groupName == name; });
  int result = 0;
  if (same != definitions.end()) {
    same->setMembers(std::move(members));
    result = 1;
  } else if (static_cast<int>(definitions.size()) >= MaxGroups) {
    console().printf("\nGroup %s is not kept: %s holds at most %d groups.", name.c_str(),
                     path_.c_str(), MaxGroups);
    return -1;
  } else {
    GroupDefn group;
    group.groupName = name;
    group.setMembers(std::move(members));
    definitions.push_back(std::move(group));
  }
  image.groupCount = static_cast<int16_t>(definitions.size());
  return result;
}

int GroupHome::parseGroup(Chopper& reader, std::string& text, int limit,
                          std::span<int16_t> marks, int& offset) {
  // Marks 1 .. size - 1 can be set.
  const int size = std::clamp(limit, 0, static_cast<int>(marks.size()));
  std::fill(marks.begin(), marks.begin() + size, int16_t{0});
  int16_t mark = 1;
  int depth = 0;
  bool offsetSet = false;
  offset = 0;
  int last = -1;         // index of the last number marked
  int highest = -9999;   // highest index mentioned

  // The index of a member number in the marks, moving the offset (and the marks set so
  // far) down for a number below the first; -1 after a message when it does not fit.
  auto place = [&](long number) -> int {
    long index = offsetSet ? number - offset : 1;
    bool fits = number >= INT16_MIN && number <= INT16_MAX && size >= 2 && index < size;
    if (fits && index < 1) fits = highest + (1 - index) <= size - 1;
    if (!fits) {
      // Typed numbers are never negative, so the range shown starts at 0 at the lowest.
      long lowest = offsetSet ? std::max<long>(offset + highest - size + 2, 0) : 0;
      long top = offsetSet ? std::min<long>(offset + size - 1, INT16_MAX) : INT16_MAX;
      console().printf("\nNumber %ld is outside the group's range (%ld to %ld).", number, lowest, top);
      return -1;
    }
    if (!offsetSet) {
      offset = static_cast<int>(number) - 1;
      offsetSet = true;
    } else if (index < 1) {
      // Every mark keeps its number: the marks move up by the amount the offset goes down.
      const int shift = static_cast<int>(1 - index);
      for (int i = highest; i >= 1; --i) marks[static_cast<std::size_t>(i + shift)] = marks[static_cast<std::size_t>(i)];
      std::fill(marks.begin() + 1, marks.begin() + 1 + shift, int16_t{0});
      offset -= shift;
      highest += shift;
      if (last > 0) last += shift;
      index = 1;
    }
    highest = std::max(highest, static_cast<int>(index));
    return static_cast<int>(index);
  };
  auto append = [&] {
    text += reader.tokenText();
    text += ' ';
  };

  int previous = 0;
  for (;;) {
    const int type = reader.nextToken();
    if (type == token::kEnd) break;
    if (type == token::kLineEnd) {
      // A trailing comma continues the list on the next line.
      if (previous == ',') {
        previous = type;
        continue;
      }
      break;
    }
    previous = type;
    append();
    if (type == token::kNumber) {
      const int index = place(reader.tokenInteger());
      if (index < 0) break;
      marks[static_cast<std::size_t>(index)] = mark;
      last = index;
    } else if (type == '-') {
      if (reader.nextToken() != token::kNumber) {
        console().write("\nA - must be followed by a number.");
        break;
      }
      append();
      if (last < 0) {
        console().write("\nA number must procede a -.");
        break;
      }
      const int index = place(reader.tokenInteger());
      if (index < 0) break;
      std::fill(marks.begin() + std::min(last, index), marks.begin() + std::max(last, index) + 1, mark);
      last = index;
    } else if (type == '(') {
      mark = static_cast<int16_t>(1 - mark);
      ++depth;
    } else if (type == ')') {
      mark = static_cast<int16_t>(1 - mark);
      if (--depth < 0) break;
    } else if (type == ',') {
      // separates elements
    } else if (type == ':') {
      const int nameType = reader.nextToken();
      if (nameType != token::kWord && nameType != token::kNumber) {
        console().write("\nA : must be followed by a name or number.");
        break;
      }
      append();
      const int position = findGroup(reader.tokenText());
      if (position < 0 || definition(position).members.empty()) {
        console().write("\nReferenced group does not exist.");
        break;
      }
      // The members keep their own numbers: each is marked at member - offset.
      bool placed = true;
      for (int16_t member : definition(position).members) {
        const int index = place(member);
        if (index < 0) {
          placed = false;
          break;
        }
        marks[static_cast<std::size_t>(index)] = mark;
      }
      if (!placed) break;
    } else {
      console().printf("\nUnrecognized element %s", reader.tokenText().c_str());
      break;
    }
  }
  int count = 0;
  for (int i = 1; i < size; ++i) {
    if (marks[static_cast<std::size_t>(i)] != 0) ++count;
  }
  return count;
}

int GroupHome::findGroup(std::string_view name) const {
  const std::vector<GroupDefn>& definitions = image_.definitions;
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    if (definitions[i].groupName == name) return static_cast<int>(i);
  }
  return -1;
}

int GroupHome::groupSize(std::string_view name) const {
  const int position = findGroup(name);
  return position < 0 ? -1 : definition(position).memberCount;
}

int GroupHome::groupMembers(std::string_view name, std::span<int16_t> out) const {
  const int position = findGroup(name);
  if (position < 0) return -1;
  const std::vector<int16_t>& members = definition(position).members;
  const std::size_t count = std::min(members.size(), out.size());
  std::copy_n(members.begin(), count, out.begin());
  return static_cast<int>(count);
}

int GroupHome::groupFlags(std::string_view name, int limit, std::span<int16_t> flags) {
  marks_.fill(0);
  const int size = std::clamp(limit, 0, static_cast<int>(flags.size()));
  std::fill(flags.begin(), flags.begin() + size, int16_t{0});
  const int position = findGroup(name);
  if (position < 0) return 0;
  for (int16_t member : definition(position).members) {
    if (member >= 0 && member < size) flags[static_cast<std::size_t>(member)] = 1;
  }
  return 0;
}

std::string GroupHome::lockPath() const { return path_ + ".lock"; }

bool GroupHome::lockable() const {
  // A device or other special file named as the store is written where it is, unlocked:
  // no lock file is made beside it.
  struct stat info;
  return ::stat(path_.c_str(), &info) != 0 || S_ISREG(info.st_mode);
}

int16_t GroupHome::lockRefused(bool reading) {
  console().printf("\r\nCannot lock %s: another run has held it for %d s; %s.\r\n", path_.c_str(),
                   lockWaitMs_ / 1000, reading ? "no groups are loaded" : "the definition is not made");
  return -1;
}

int16_t GroupHome::writeFailed() {
  console().printf("\r\nUnable to write %s\r\n", path_.c_str());
  return -1;
}

int16_t GroupHome::writeHeader() { return save(); }

int16_t GroupHome::writeRecords() { return save(); }

int16_t GroupHome::save() {
  if (keepFile_) {
    console().printf("\r\n%s was not loaded; it is left as it is.\r\n", path_.c_str());
    return -1;
  }
  if (directoryExists(path_)) {
    console().printf("\r\nUnable to open %s\r\n", path_.c_str());
    return -1;
  }
  // From the read to the rename no other run changes the file, so that what it defined
  // meanwhile is read here and kept.
  FileLock lock;
  const bool regular = lockable();
  if (regular) {
    const int locked = lock.acquire(lockPath(), true, lockWaitMs_);
    if (locked == -1) {
      console().printf("\r\nUnable to open %s\r\n", lockPath().c_str());
      return -1;
    }
    if (locked == -2) {
      // The definition is not made: the store is as before it.
      if (hasPending_) image_ = before_;
      hasPending_ = false;
      return lockRefused(false);
    }
  }
  // The file as it is now: its bytes stay where the new image does not reach, as when
  // records were written over it in place.
  std::string bytes;
  if (regular && fileExists(path_)) {
    std::ifstream in(path_, std::ios::binary);
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    GroupsImage current;
    const std::vector<uint8_t> view(bytes.begin(), bytes.end());
    if (!readGroupsImage(view, current).refused()) {
      // What the file holds now (another run's definitions too), with this run's last
      // definition applied over it. A damaged file is replaced by the store as it is.
      if (hasPending_ && applyDefinition(current, pending_.groupName, pending_.members) < 0) {
        image_ = before_;
        hasPending_ = false;
        return -1;
      }
      image_ = std::move(current);
    }
  }
  image_.groupCount = static_cast<int16_t>(image_.definitions.size());
  computeRecordOffsets(image_);
  const std::vector<uint8_t> header = encodeGroupsHeader(image_);
  auto place = [&bytes](std::size_t offset, const std::vector<uint8_t>& part) {
    if (bytes.size() < offset + part.size()) bytes.resize(offset + part.size(), '\0');
    std::copy(part.begin(), part.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
  };
  place(0, header);
  for (std::size_t i = 0; i < image_.definitions.size(); ++i) {
    place(static_cast<std::size_t>(image_.recordOffsets[i + 1]), encodeGroupRecord(image_.definitions[i]));
  }
  std::string error;
  const int replaced = regular ? replaceFile(path_, bytes, error) : writeInPlace(bytes);
  if (replaced == -1) {
    console().printf("\r\nUnable to open %s\r\n", path_.c_str());
    return -1;
  }
  if (replaced != 0) return writeFailed();
  return 0;
}

int GroupHome::writeInPlace(const std::string& bytes) {
  std::FILE* file = std::fopen(path_.c_str(), "r+b");
  if (file == nullptr) return -1;
  const bool written = writeOutput(bytes.data(), bytes.size(), file) == bytes.size();
  const bool closed = closeOutput(file) == 0;
  return written && closed ? 0 : -2;
}

void GroupHome::listGroups() {
  const std::vector<GroupDefn>& definitions = image_.definitions;
  for (std::size_t k = 0; k < definitions.size(); ++k) {
    const int i = static_cast<int>(k) + 1;
    if (i % kNamesPerScreen == 0) {
      console().write("\r");
      console().write("=== more ====");
      console().flush();
      const int key = keySource().readKey();
      if (key == key::kEscape) return;
      if (key == 0) (void)keySource().readKey();  // an extended key's scan code
      console().clearScreen();
      console().moveCursor(1, 1);
    }
    console().printf("%-15s", definitions[k].groupName.c_str());
    if (i % kNamesPerLine == 0) console().write("\r\n");
  }
  console().write("\r\n");
}

int GroupHome::showGroup(std::string_view name) {
  const std::string text(name);
  const int position = findGroup(name);
  if (position < 0) {
    console().printf("Group: %s is not defined\r\n", text.c_str());
    return -1;
  }
  const std::vector<int16_t>& members = definition(position).members;
  const int count = static_cast<int>(members.size());
  if (count > MaxShownMembers) {
    console().printf("Group %s has too many elements!\r\n", text.c_str());
    return -2;
  }
  for (int k = 0; k < count; ++k) {
    console().printf(" %3d", members[static_cast<std::size_t>(k)]);
    console().write((k + 1) % kMembersPerLine == 0 ? "\r\n" : " ");
  }
  if (count == 0 || count % kMembersPerLine != 0) console().write("\r\n");
  return 0;
}

void GroupHome::setDynamicGroup(std::span<const int8_t> flags, int base, int highest) {
  if (highest <= 0) return;
  std::vector<int16_t> members;
  bool leftOut = false;
  const int top = std::min(highest, static_cast<int>(flags.size()) - 1);
  for (int index = 1; index <= top; ++index) {
    if (flags[static_cast<std::size_t>(index)] != 1) continue;
    const long number = static_cast<long>(index) + base;
    if (number > INT16_MAX || number < INT16_MIN) {
      leftOut = true;
      continue;
    }
    members.push_back(static_cast<int16_t>(number));
  }
  if (leftOut) console().printf("\nNumbers above %d cannot be group members; they are left out.", INT16_MAX);
  dynamicGroup_ = std::move(members);
}

}  // namespace tabrix

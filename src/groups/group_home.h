// GroupHome: the one group store of a run. It holds the named groups kept in
// groups.bin (read when the store is built and again before the stub runs, replaced
// whole after every \group definition, under a lock shared with other runs), the dynamic group set by \group with a number
// list, and the reader of group definitions that \group, the group sums and the matrix
// listings share.
//
// A groups.bin that cannot be read safely (a count or an offset beyond the file, sizes
// that do not agree) is refused with a message: the store stays empty and the file is
// not written until a new \group definition is made, so reading never loses what a
// user kept.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "banks/binary_io.h"
#include "groups/groups_file.h"

namespace tabrix {

class Chopper;

// Marks a definition is parsed into: index 0 unused, then one per member number above
// the definition's offset.
constexpr int GroupMarkCount = MaxGroupMembers + 1;
// Members of the dynamic group.
constexpr int MaxDynamicMembers = 3500;
// showGroup lists groups of at most this many members.
constexpr int MaxShownMembers = 500;

class GroupHome {
 public:
  // Builds the store from groups.bin in the current directory (or the file named).
  // A missing file leaves the store empty (groupsPresent() false); a file with no
  // groups is rewritten with an empty header; a damaged file is refused with a message.
  explicit GroupHome(std::string path = GroupsFileName);
  GroupHome(const GroupHome&) = delete;
  GroupHome& operator=(const GroupHome&) = delete;

  // Re-reads every definition from the file (opened again, so a change of the current
  // directory since the store was built is followed). 0 when the groups were read (or
  // the file holds none), -1 when the file could not be opened or was refused.
  [[nodiscard]] int16_t readGroups();

  // The \group command with a name: reads the name from the reader, skips the rest of
  // its line and parses the definition from the following line(s); replaces the group
  // of that name or adds a new one. 0, or -1 after a message (no name, an empty name,
  // no room for a 301st group). The caller then saves with writeHeader and writeRecords.
  [[nodiscard]] int16_t defineGroup(Chopper& reader);

  // Reads a group definition: numbers, ranges a-b, parentheses that exclude what they
  // hold, ':' references to named groups, up to the end of a line not after ',' or a
  // ')' that closes no '('. Each token's text and a blank are appended to `text`. The
  // first number n fixes `offset` = n - 1 and member m is marked at index m - offset,
  // 1 .. limit - 1 (limit at most marks.size()); a lower number moves the offset down
  // and the marks with it. A number that cannot be marked there (or above 32767) is
  // refused with "\nNumber %d is outside the group's range (%d to %d)." and ends the
  // list. Returns the count of non-zero marks.
  int parseGroup(Chopper& reader, std::string& text, int limit, std::span<int16_t> marks,
                 int& offset);

  // The position of the first group of that name (exact match), or -1.
  int findGroup(std::string_view name) const;
  // Its member count, or -1 when there is no such group.
  int groupSize(std::string_view name) const;
  // Copies its members into out (at most out.size()); the count copied, or -1.
  int groupMembers(std::string_view name, std::span<int16_t> out) const;
  // Clears the marks and the first `limit` flags (at most flags.size()), then sets
  // flags[m] = 1 for every member m of the group below the limit. Returns 0.
  int groupFlags(std::string_view name, int limit, std::span<int16_t> flags);

  // Saves the store: under an exclusive lock (flock on <file>.lock, waited for at most
  // 10 s) the file is read again, so that definitions another run made meanwhile are
  // kept, the last definition is applied to what it holds, and the header (offsets
  // recomputed from the record sizes) and the records are written over its bytes as a
  // whole new file: a temporary file beside it, synced and renamed over it. A crash or a
  // failure at any step leaves the old file as it was. groups.bin is created when it
  // does not exist. 0, or -1 after a message (a lock not had in time: the definition is
  // not made). The two names do the same; either saves everything.
  [[nodiscard]] int16_t writeHeader();
  [[nodiscard]] int16_t writeRecords();

  // The longest wait for the lock, in milliseconds (10 s).
  void setLockWait(int milliseconds) { lockWaitMs_ = milliseconds; }

  // The \listgroups listing: the names five to a line, pausing every 120 names.
  void listGroups();
  // The \grouplist listing of one group's members, fifteen to a line. 0; -1 for an
  // undefined name; -2 for a group of more than 500 members.
  int showGroup(std::string_view name);

  // The dynamic group: the numbers (index + base) whose flag is 1, in index order,
  // when highest is above 0 (otherwise the group is left as it is). Numbers above
  // 32767 are refused with a message.
  void setDynamicGroup(std::span<const int8_t> flags, int base, int highest);
  const std::vector<int16_t>& dynamicGroup() const { return dynamicGroup_; }
  int dynamicCount() const { return static_cast<int>(dynamicGroup_.size()); }

  // The named groups, in order of definition.
  int groupCount() const { return static_cast<int>(image_.definitions.size()); }
  const GroupDefn& definition(int position) const {
    return image_.definitions[static_cast<std::size_t>(position)];
  }
  // groups.bin existed when the store was built.
  bool groupsPresent() const { return groupsPresent_; }
  // Groups replaced by a new definition of the same name.
  int redefinitions() const { return redefinitions_; }
  // The file was refused and is kept as it is until a new definition is made.
  bool fileRefused() const { return keepFile_; }

 private:
  // Opens and reads the file into the store; 0 or -1 (see readGroups).
  int16_t load();
  // Saves the store (see writeHeader).
  int16_t save();
  // Replaces the named group's members or adds the group to the image: 0 added, 1
  // replaced, -1 after a message when the image holds MaxGroups already.
  int applyDefinition(GroupsImage& image, const std::string& name, std::vector<int16_t> members);
  // The lock file beside the store, and whether the store is a file that is locked and
  // replaced whole (not a device).
  std::string lockPath() const;
  bool lockable() const;
  // Writes a special file where it is: 0, -1 when it cannot be opened, -2 when a write fails.
  int writeInPlace(const std::string& bytes);
  // Reports a lock not had in time naming the file (when reading or saving); returns -1.
  int16_t lockRefused(bool reading);
  // Reports a failed write naming the file; returns -1.
  int16_t writeFailed();

  std::string path_;                         // groups.bin, or the file named
  GroupsImage image_;                        // the count, the offsets and the named groups
  std::vector<int16_t> dynamicGroup_;        // members of the dynamic group
  bool groupsPresent_ = false;               // the file existed when the store was built
  GroupsImage before_;                       // the store before the pending definition
  GroupDefn pending_;                        // the last definition made, to be saved
  bool hasPending_ = false;
  int lockWaitMs_ = 10000;                   // the longest wait for the lock
  std::array<int16_t, GroupMarkCount> marks_{};  // scratch marks of a definition
  int redefinitions_ = 0;                    // groups replaced by a new definition
  bool keepFile_ = false;                    // a refused file: not to be written
};

}  // namespace tabrix

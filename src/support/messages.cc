#include "support/messages.h"

#include "platform/console.h"

#include <cstdarg>
#include <optional>
#include <string>
#include <vector>

namespace tabrix {

namespace {

// One catalogue entry: an owned text, or none.
class Msg {
 public:
  // Releases the old text and keeps a copy of the new one.
  void set(const char* text) { text_ = std::string(text); }
  // The text, or nullptr when the entry holds none.
  const char* text() const { return text_ ? text_->c_str() : nullptr; }

 private:
  std::optional<std::string> text_;
};

// One module's messages, addressed by number from 0.
struct Group {
  const char* key;
  std::vector<Msg> entries;
};

// The shared groups and the number of live holders.
struct Catalogue {
  int users = 0;
  bool built = false;
  std::vector<Group> groups;
};

Catalogue& catalogue() {
  static Catalogue instance;
  return instance;
}

struct GroupSize {
  const char* key;
  int entries;
};

// Every module key with its number of entries; msgbpl is known but never filled.
constexpr GroupSize kGroupSizes[] = {
    {"msgbk", 70}, {"msgvex", 45}, {"msglsc", 65}, {"msgrhs", 40}, {"msgutil", 10}, {"msgbpl", 0},
};

struct EntryText {
  const char* key;
  int number;
  const char* text;
};

// The entries this program prints.
constexpr EntryText kEntryTexts[] = {
    {"msgbk", 1, "\r\nCannot open %s\r\nNo bank now assigned\r\n"},
    {"msgbk", 2, "\r\n Cannot open index file %s\r\nNo bank now assigned\r\n"},
    {"msgbk", 3, "\r\nTitle of assigned bank:\r\n%s"},
    {"msgbk", 4, "\r\nBase year %d; first month covered %d"},
    {"msgbk", 5, "\r\nMax observations per series %d.  "},
    {"msgbk", 6, "Contains %d series."},
    {"msgbk", 7, "\r\nCannot position to write "},
    {"msgbk", 8, "\r\nCannot write %s on %f"},
    {"msgbk", 9, "\r\nNo room for any more variables in data bank\r\n"},
    {"msgbk", 10, "\r\nSeries = %d; Characters in names = %d"},
    {"msgbk", 11, " \r\nCannot fseek.\r\n"},
    {"msgbk", 12, "\r\nCannot write index file.\r\n"},
    {"msgbk", 13, "\r\nIndex file not written \r\n"},
    {"msgbk", 14, "\r\nIndex file not written.\r\n"},
    {"msgbk", 15, "\r\nCannot fseek.\r\n"},
    {"msgbk", 16, "\r\nCannot read index file.\r\n"},
    {"msgbk", 17, "\r\nIndex file not read \r\n"},
    {"msgbk", 18, "\r\nIndex file not read.\r\n"},
    {"msgbk", 19, "\r\nIndex file read.\r\n"},
    {"msgbk", 24, "\r\nCannot open %s.\r\n"},
    {"msgbk", 65, "\r\nThis bank assigned as bank: %c.\r\n"},
    {"msgbk", 66, "\r\nBase year %d."},
    {"msglsc", 11, "=== more ===="},
    {"msgutil", 1, "Not enough space for %s, %d to %d.\n"},
    {"msgutil", 2, "Not enough space for %s, %d,%d,%d,%d.\n"},
    {"msgutil", 3, "Unable to allocate memory for row %d in %s.\r\n"},
};

Group* findGroup(Catalogue& cat, std::string_view key) {
  for (Group& group : cat.groups) {
    if (key == group.key) return &group;
  }
  return nullptr;
}

void build(Catalogue& cat) {
  cat.groups.clear();
  for (const GroupSize& size : kGroupSizes) {
    cat.groups.push_back(Group{size.key, std::vector<Msg>(static_cast<size_t>(size.entries))});
  }
  for (const EntryText& entry : kEntryTexts) {
    Group* group = findGroup(cat, entry.key);
    if (group != nullptr && entry.number >= 0 &&
        static_cast<size_t>(entry.number) < group->entries.size()) {
      group->entries[static_cast<size_t>(entry.number)].set(entry.text);
    }
  }
  cat.built = true;
}

void acquire() {
  Catalogue& cat = catalogue();
  if (!cat.built) build(cat);
  ++cat.users;
}

}  // namespace

VexMessage::VexMessage() { acquire(); }

VexMessage::VexMessage(const VexMessage&) { acquire(); }

VexMessage::~VexMessage() {
  Catalogue& cat = catalogue();
  if (cat.users > 0) --cat.users;
  if (cat.users == 0) {
    // Free the storage itself, not just the contents, so a later acquire starts afresh.
    std::vector<Group>().swap(cat.groups);
    cat.built = false;
  }
}

const char* VexMessage::fetch(std::string_view key, int number) const {
  Catalogue& cat = catalogue();
  if (!cat.built) return nullptr;
  const Group* group = findGroup(cat, key);
  if (group == nullptr || number < 0 || static_cast<size_t>(number) >= group->entries.size()) {
    return nullptr;
  }
  return group->entries[static_cast<size_t>(number)].text();
}

void VexMessage::print(std::string_view key, int number, ...) const {
  const char* format = fetch(key, number);
  if (format == nullptr) return;
  va_list args;
  va_start(args, number);
  console().vprintConstant(format, args);
  va_end(args);
}

int VexMessage::users() { return catalogue().users; }

bool VexMessage::built() { return catalogue().built; }

}  // namespace tabrix

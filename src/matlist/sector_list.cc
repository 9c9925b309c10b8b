#include "matlist/sector_list.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "groups/group_home.h"
#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix {

namespace {

class SectorListParser {
 public:
  SectorListParser(Chopper& reader, GroupHome* groups) : reader_(reader), groups_(groups) {}

  std::vector<int> parse() {
    bool afterComma = false;
    for (bool more = true; more;) {
      const int type = reader_.nextToken();
      const bool comma = type == ',';
      switch (type) {
        case token::kNumber:
          more = markNumber();
          break;
        case '-':
          more = markRange();
          break;
        case '(':
          flip();
          ++depth_;
          break;
        case ')':
          flip();
          more = --depth_ >= 0;
          break;
        case ',':
          break;
        case ':':
          more = markGroup();
          break;
        case token::kLineEnd:
          more = afterComma;
          break;
        case token::kEnd:
          more = false;
          break;
        default:
          console().printf("\r\nUnrecognized element %s", reader_.tokenText().c_str());
          more = false;
          break;
      }
      afterComma = comma;
    }
    std::vector<int> sectors;
    for (int s = 1; s <= highest_; ++s) {
      if (marks_[static_cast<std::size_t>(s)] == 1) sectors.push_back(s);
    }
    return sectors;
  }

 private:
  // The number just read, or 0 after the out-of-range message.
  int sectorNumber() {
    const int v = reader_.tokenInteger();
    if (v < 1 || v > MaxSector) {
      console().printf("\r\nSector %d is outside 1 to %d.", v, MaxSector);
      return 0;
    }
    return v;
  }

  void mark(int sector, int8_t value) {
    marks_[static_cast<std::size_t>(sector)] = value;
    highest_ = std::max(highest_, sector);
  }

  void flip() { mark_ = mark_ == 1 ? 0 : 1; }

  bool markNumber() {
    const int v = sectorNumber();
    if (v == 0) return false;
    mark(v, mark_);
    last_ = v;
    return true;
  }

  bool markRange() {
    if (reader_.nextToken() != token::kNumber) {
      console().write("\r\nA - must be followed by a number.");
      return false;
    }
    if (last_ == 0) {
      console().write("\r\nA number must procede a -.");
      return false;
    }
    const int w = sectorNumber();
    if (w == 0) return false;
    for (int s = std::min(last_, w); s <= std::max(last_, w); ++s) mark(s, mark_);
    last_ = w;
    return true;
  }

  bool markGroup() {
    const int type = reader_.nextToken();
    if (type == token::kWord || type == token::kNumber) {
      const std::string name = reader_.tokenText();
      if (groups_ == nullptr || groups_->findGroup(name) < 0) {
        console().write("\nReferenced group does not exist.");
        return false;
      }
      std::array<int16_t, MaxSector + 1> members{};
      (void)groups_->groupFlags(name, MaxSector + 1, members);
      for (int s = 1; s <= MaxSector; ++s) {
        if (members[static_cast<std::size_t>(s)] == 1) mark(s, mark_);
      }
      return true;
    }
    if (type == token::kLineEnd || type == ')') {
      if (groups_ != nullptr) {
        for (int16_t member : groups_->dynamicGroup()) {
          if (member >= 1 && member <= MaxSector) mark(member, 1);
        }
      }
      reader_.pushBackToken();  // the line end or ')' still counts
      return true;
    }
    console().write("\r\nA : must be followed by a number.");
    return false;
  }

  Chopper& reader_;
  GroupHome* groups_;
  std::array<int8_t, MaxSector + 1> marks_{};
  int8_t mark_ = 1;
  int depth_ = 0;
  int last_ = 0;     // the last number named; 0 before the first
  int highest_ = 0;  // the highest sector marked
};

}  // namespace

std::vector<int> parseSectorList(Chopper& reader, GroupHome* groups) {
  return SectorListParser(reader, groups).parse();
}

}  // namespace tabrix

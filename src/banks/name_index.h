// FlatNameIndex: series name -> position, for banks whose names lie together in one
// name area. One contiguous open-addressing table (linear probing, at most half full)
// of slots holding a name's hash and its position; the names themselves stay in the
// bank's area and are compared there. A lookup reads one slot line and the one name,
// instead of chasing a node per entry as a node-based map does.
//
// The index does not hold the names: every operation that compares names takes
// nameOf(position), which gives the name at a position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tabrix {

class FlatNameIndex {
 public:
  // The hash of a name (FNV-1a over its bytes).
  static uint32_t hashOf(std::string_view name) {
    uint32_t h = 2166136261u;
    for (char c : name) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    return h;
  }

  // Removes every entry (the table's memory is kept).
  void clear() {
    slots_.assign(slots_.size(), Slot{});
    count_ = 0;
  }
  // Makes room for `count` entries without growing on the way there.
  void reserve(size_t count) {
    if (2 * count > slots_.size()) rehash(2 * count);
  }
  size_t size() const { return count_; }

  // The position stored for `name`, or -1.
  template <typename NameOf>
  int find(std::string_view name, NameOf nameOf) const {
    if (slots_.empty()) return -1;
    const uint32_t hash = hashOf(name);
    for (size_t i = hash & mask(); slots_[i].position >= 0; i = (i + 1) & mask()) {
      if (slots_[i].hash == hash && nameOf(slots_[i].position) == name) return slots_[i].position;
    }
    return -1;
  }

  // Stores `position` for `name` unless the name is there already (a name that occurs
  // twice keeps its first position); true when it was stored.
  template <typename NameOf>
  bool insert(std::string_view name, int position, NameOf nameOf) {
    if (find(name, nameOf) >= 0) return false;
    if (2 * (count_ + 1) > slots_.size()) rehash(2 * (count_ + 1));
    const uint32_t hash = hashOf(name);
    size_t i = hash & mask();
    while (slots_[i].position >= 0) i = (i + 1) & mask();
    slots_[i] = Slot{hash, position};
    ++count_;
    return true;
  }

  // Removes the entry of `name`, if any.
  template <typename NameOf>
  void erase(std::string_view name, NameOf nameOf) {
    if (slots_.empty()) return;
    const uint32_t hash = hashOf(name);
    size_t i = hash & mask();
    for (;; i = (i + 1) & mask()) {
      if (slots_[i].position < 0) return;
      if (slots_[i].hash == hash && nameOf(slots_[i].position) == name) break;
    }
    // Backward shift: the entries after the hole that may not stay behind it move up,
    // so that no probe sequence is broken by an empty slot.
    size_t hole = i;
    for (size_t j = (i + 1) & mask(); slots_[j].position >= 0; j = (j + 1) & mask()) {
      const size_t home = slots_[j].hash & mask();
      // Whether home lies cyclically in (hole, j]: then the entry stays.
      const bool stays = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
      if (!stays) {
        slots_[hole] = slots_[j];
        hole = j;
      }
    }
    slots_[hole] = Slot{};
    --count_;
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    int32_t position = -1;  // -1: empty
  };

  size_t mask() const { return slots_.size() - 1; }

  // Resizes to a power of two of at least `least` slots (and 16) and places every
  // entry again.
  void rehash(size_t least) {
    size_t size = 16;
    while (size < least) size *= 2;
    std::vector<Slot> old(size);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.position < 0) continue;
      size_t i = slot.hash & mask();
      while (slots_[i].position >= 0) i = (i + 1) & mask();
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;  // power-of-two many, or none
  size_t count_ = 0;         // entries stored
};

}  // namespace tabrix

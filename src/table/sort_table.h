// Sorted blocks: the table lines between \startsort and \endsort are not written when
// they are read. For each one the block keeps its start position in the stub file and
// a sort key (its base-alternative value at the sort date); \printsort then writes the
// lines in ascending or descending order of their keys by reading each one again
// through the sorted-line handler the stub layer hands in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <vector>

namespace tabrix {

// The capacity a block gets when \startsort names none.
constexpr int DefaultSortCapacity = 500;

// Reads the stub line at the stub file's current position and composes it; returns 0,
// or -1 when the run must stop.
using SortedLineHandler = std::function<int16_t()>;

// One recorded block.
struct SortTable {
  int count = 0;                // lines recorded so far
  std::FILE* file = nullptr;    // the stub file the block is read from (not owned)
  long start = -1;              // position of the \startsort line
  long end = -1;                // position of the \endsort line
  std::vector<long> positions;  // start position of each recorded line
  std::vector<float> keys;      // sort key of each recorded line
};

// Makes room for capacity lines and records the start position. A block takes more
// lines than its capacity when they come: the capacity only sizes the first room.
void reserve(SortTable& table, long start, int capacity);

// Appends one line; returns its index.
int record(SortTable& table, long position, float key);

// Writes count of the recorded lines (at most all of them) in ascending order of their
// keys when order is 'a', else descending: seeks the block's file to each line and lets
// the handler read and compose it. With no line recorded, prints "\nError:  need to
// provide series to sort before printing.\n" and returns 0. Returns the count written,
// or -1 as soon as the handler asks the run to stop.
int printSorted(SortTable& table, int count, char order, const SortedLineHandler& line);

// Sorts index[0 .. n - 1] (filled with 0 .. n - 1 by the caller) so that
// keys[index[0]] <= keys[index[1]] <= ...: a quicksort with a pseudo-random pivot,
// straight insertion for ranges of 7 or fewer entries, and an explicit stack of the
// ranges still to sort. Equal keys keep no particular order.
void sortIndex(int n, std::span<const float> keys, std::span<int> index);

}  // namespace tabrix

#include "table/sort_table.h"

#include <algorithm>
#include <numeric>

#include "platform/console.h"

namespace tabrix {

namespace {

// The first reservation is cut here, whatever capacity the stub asks for; the block
// still grows line by line.
constexpr int kLargestReservation = 10000;
// Ranges of at most this many entries beyond the first are sorted by insertion.
constexpr int kInsertionSpan = 6;
// The pending-range stack the sort was laid out for, in entries (two per range).
constexpr std::size_t kStackEntries = 50;
// The pivot's pseudo-random sequence.
constexpr long kSeedFactor = 211;
constexpr long kSeedIncrement = 1663;
constexpr long kSeedModulus = 7875;

}  // namespace

void reserve(SortTable& table, long start, int capacity) {
  table.start = start;
  const std::size_t room = static_cast<std::size_t>(std::clamp(capacity, 0, kLargestReservation));
  table.positions.reserve(room);
  table.keys.reserve(room);
}

int record(SortTable& table, long position, float key) {
  table.positions.push_back(position);
  table.keys.push_back(key);
  table.count = static_cast<int>(table.positions.size());
  return table.count - 1;
}

int printSorted(SortTable& table, int count, char order, const SortedLineHandler& line) {
  const int n = static_cast<int>(std::min(table.positions.size(), table.keys.size()));
  if (n == 0) {
    console().write("\nError:  need to provide series to sort before printing.\n");
    return 0;
  }
  std::vector<int> index(static_cast<std::size_t>(n));
  std::iota(index.begin(), index.end(), 0);
  sortIndex(n, table.keys, index);
  count = std::clamp(count, 0, n);
  for (int i = 0; i < count; ++i) {
    const int entry = index[static_cast<std::size_t>(order == 'a' ? i : n - 1 - i)];
    const long position = table.positions[static_cast<std::size_t>(entry)];
    if (table.file == nullptr || std::fseek(table.file, position, SEEK_SET) != 0) {
      console().write("\nError:  cannot return to a line of the sorted block.\n");
      return i;
    }
    if (line() == -1) return -1;
  }
  return count;
}

void sortIndex(int n, std::span<const float> keys, std::span<int> index) {
  n = std::min({n, static_cast<int>(index.size()), static_cast<int>(keys.size())});
  if (n < 2) return;
  auto key = [&](int i) { return keys[static_cast<std::size_t>(index[static_cast<std::size_t>(i)])]; };
  auto at = [&](int i) -> int& { return index[static_cast<std::size_t>(i)]; };
  std::vector<int> stack;
  int l = 0;
  int r = n - 1;
  long seed = 0;
  for (;;) {
    if (r - l <= kInsertionSpan) {
      for (int j = l + 1; j <= r; ++j) {
        const int a = at(j);
        const float k = keys[static_cast<std::size_t>(a)];
        int i = j - 1;
        while (i >= l && key(i) > k) {
          at(i + 1) = at(i);
          --i;
        }
        at(i + 1) = a;
      }
      if (stack.empty()) return;
      r = stack.back();
      stack.pop_back();
      l = stack.back();
      stack.pop_back();
      continue;
    }
    seed = (seed * kSeedFactor + kSeedIncrement) % kSeedModulus;
    const int p = l + static_cast<int>(static_cast<long>(r - l + 1) * seed / kSeedModulus);
    const int a = at(p);
    const float k = keys[static_cast<std::size_t>(a)];
    at(p) = at(l);
    int i = l;
    int j = r;
    for (;;) {
      while (j >= 0 && key(j) > k) --j;
      if (j <= i) {
        at(i) = a;
        break;
      }
      at(i) = at(j);
      ++i;
      while (i < n && key(i) < k) ++i;
      if (j <= i) {
        at(j) = a;
        i = j;
        break;
      }
      at(j) = at(i);
      --j;
    }
    // The larger part waits on the stack; the smaller one is sorted next.
    if (r - i < i - l) {
      stack.push_back(l);
      stack.push_back(i - 1);
      l = i + 1;
    } else {
      stack.push_back(i + 1);
      stack.push_back(r);
      r = i - 1;
    }
    if (stack.size() > kStackEntries) console().write("NSTACK too small in QCKSRT");
  }
}

}  // namespace tabrix

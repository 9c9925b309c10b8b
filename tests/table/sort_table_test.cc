// Sorted blocks: the index sort on many key sets, insertion order for short blocks,
// and printing in either order through a line handler.
#include "table/sort_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "platform/console.h"

namespace tabrix {
namespace {

// Sorts 0 .. n - 1 by the keys and checks the result against the keys themselves: a
// permutation whose keys do not decrease.
void expectSorted(const std::vector<float>& keys) {
  std::vector<int> index(keys.size());
  std::iota(index.begin(), index.end(), 0);
  sortIndex(static_cast<int>(keys.size()), keys, index);
  std::vector<int> seen = index;
  std::sort(seen.begin(), seen.end());
  std::vector<int> all(keys.size());
  std::iota(all.begin(), all.end(), 0);
  EXPECT_EQ(seen, all);
  for (std::size_t i = 1; i < index.size(); ++i) {
    EXPECT_LE(keys[static_cast<std::size_t>(index[i - 1])], keys[static_cast<std::size_t>(index[i])]) << i;
  }
}

TEST(SortIndex, SortsKeySetsOfEveryShape) {
  ConsoleCapture capture;
  unsigned state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7fff;
  };
  for (int n : {0, 1, 2, 7, 8, 9, 20, 100, 1000, 20000}) {
    SCOPED_TRACE(n);
    std::vector<float> random, few, ascending, descending, equal, organ;
    for (int i = 0; i < n; ++i) {
      random.push_back(static_cast<float>(next()) - 16000.0f);
      few.push_back(static_cast<float>(next() % 3));
      ascending.push_back(static_cast<float>(i));
      descending.push_back(static_cast<float>(n - i));
      equal.push_back(1.5f);
      organ.push_back(static_cast<float>(std::min(i, n - i)));
    }
    for (const auto* keys : {&random, &few, &ascending, &descending, &equal, &organ}) expectSorted(*keys);
  }
  // The pending ranges never outgrow the stack the sort was laid out for.
  EXPECT_EQ(capture.text(), "");
}

TEST(SortIndex, ShortRangesKeepEqualKeysInOrder) {
  // Seven entries or fewer are sorted by straight insertion, which moves an entry only
  // past larger keys.
  const std::vector<float> keys = {5, 3, 5, 1, 3, 5, 2};
  std::vector<int> index = {0, 1, 2, 3, 4, 5, 6};
  sortIndex(7, keys, index);
  EXPECT_EQ(index, (std::vector<int>{3, 6, 1, 4, 0, 2, 5}));
}

// A file of numbered lines; the handler reads the line at the file's position.
class Lines {
 public:
  Lines() : file_(std::tmpfile()) {
    for (int i = 0; i < 5; ++i) {
      positions.push_back(std::ftell(file_));
      std::fprintf(file_, "line %d\n", i);
    }
  }
  ~Lines() { std::fclose(file_); }

  SortTable block(const std::vector<float>& keys) {
    SortTable table;
    table.file = file_;
    reserve(table, 0, 3);
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(record(table, positions[i], keys[i]), static_cast<int>(i));
    return table;
  }
  SortedLineHandler reader(int stopAfter = 99) {
    return [this, stopAfter]() -> int16_t {
      char text[32] = {};
      if (std::fgets(text, sizeof text, file_) == nullptr) return -1;
      read += text;
      return static_cast<int16_t>(++calls >= stopAfter ? -1 : 0);
    };
  }

  std::vector<long> positions;
  std::string read;
  int calls = 0;

 private:
  std::FILE* file_;
};

TEST(PrintSorted, WritesTheLinesInEitherOrder) {
  struct Case {
    char order;
    int count;
    int printed;
    const char* lines;
  };
  // Keys 4 1 3 0 2: ascending is lines 3 1 4 2 0.
  const Case cases[] = {
      {'a', 5, 5, "line 3\nline 1\nline 4\nline 2\nline 0\n"},
      {'d', 5, 5, "line 0\nline 2\nline 4\nline 1\nline 3\n"},
      {'a', 2, 2, "line 3\nline 1\n"},
      {'x', 1, 1, "line 0\n"},  // anything but a is descending
      {'a', 9, 5, "line 3\nline 1\nline 4\nline 2\nline 0\n"},
      {'d', 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.order) + std::to_string(c.count));
    Lines lines;
    SortTable table = lines.block({4, 1, 3, 0, 2});
    EXPECT_EQ(table.count, 5);
    EXPECT_EQ(printSorted(table, c.count, c.order, lines.reader()), c.printed);
    EXPECT_EQ(lines.read, c.lines);
  }
}

TEST(PrintSorted, StopsWhenTheLineHandlerStopsAndReportsAnEmptyBlock) {
  Lines lines;
  SortTable table = lines.block({4, 1, 3, 0, 2});
  EXPECT_EQ(printSorted(table, 5, 'a', lines.reader(2)), -1);
  EXPECT_EQ(lines.read, "line 3\nline 1\n");

  ConsoleCapture capture;
  SortTable empty = lines.block({});
  EXPECT_EQ(printSorted(empty, 5, 'a', lines.reader()), 0);
  EXPECT_EQ(capture.text(), "\nError:  need to provide series to sort before printing.\n");
}

}  // namespace
}  // namespace tabrix

// FlatNameIndex against a plain map over a long run of inserts, lookups and erases,
// in a table small enough that probe chains overlap and wrap around its end.
#include "banks/name_index.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace tabrix {
namespace {

TEST(FlatNameIndexTest, AgreesWithAMapThroughInsertsAndErases) {
  std::vector<std::string> names;  // position -> name, as a bank's name area
  for (int i = 0; i < 300; ++i) names.push_back("N" + std::to_string(i % 250));  // 50 repeats
  const auto nameOf = [&names](int position) { return std::string_view(names[static_cast<size_t>(position)]); };
  FlatNameIndex index;
  std::map<std::string, int> model;
  std::mt19937 random(26);
  for (int step = 0; step < 20000; ++step) {
    const int position = static_cast<int>(random() % names.size());
    const std::string& name = names[static_cast<size_t>(position)];
    switch (random() % 3) {
      case 0: {
        const bool stored = index.insert(name, position, nameOf);
        EXPECT_EQ(stored, model.emplace(name, position).second) << step;
        break;
      }
      case 1:
        index.erase(name, nameOf);
        model.erase(name);
        break;
      default:
        break;
    }
    ASSERT_EQ(index.size(), model.size()) << step;
    const auto found = model.find(name);
    ASSERT_EQ(index.find(name, nameOf), found == model.end() ? -1 : found->second) << step;
  }
  for (const auto& [name, position] : model) EXPECT_EQ(index.find(name, nameOf), position) << name;
  EXPECT_EQ(index.find("absent", nameOf), -1);
  index.clear();
  EXPECT_EQ(index.find(names[0], nameOf), -1);
  EXPECT_EQ(index.size(), 0u);
}

// A name that occurs twice keeps its first position, as a bank's lookup wants.
TEST(FlatNameIndexTest, KeepsTheFirstPositionOfARepeatedName) {
  const std::vector<std::string> names = {"GDP", "CPI", "GDP", ""};
  const auto nameOf = [&names](int position) { return std::string_view(names[static_cast<size_t>(position)]); };
  FlatNameIndex index;
  EXPECT_EQ(index.find("GDP", nameOf), -1);  // empty table
  for (int i = 0; i < 4; ++i) index.insert(names[static_cast<size_t>(i)], i, nameOf);
  EXPECT_EQ(index.find("GDP", nameOf), 0);
  EXPECT_EQ(index.find("CPI", nameOf), 1);
  EXPECT_EQ(index.find("", nameOf), 3);
  EXPECT_EQ(index.find("GD", nameOf), -1);
  EXPECT_EQ(index.size(), 3u);
}

}  // namespace
}  // namespace tabrix

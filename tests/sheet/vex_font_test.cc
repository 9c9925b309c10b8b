#include "sheet/vex_font.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tabrix {
namespace {

TEST(VexFontTest, Setters) {
  VexFont font;
  EXPECT_EQ(font.setPoint(0), -1);
  EXPECT_EQ(font.setPitch(-3), -1);
  EXPECT_EQ(font.point, 0);
  EXPECT_EQ(font.setPoint(9), 0);
  EXPECT_EQ(font.setPitch(12), 0);
  EXPECT_EQ(font.size(), 12);

  struct Text {
    const char* text;
    int result;
    char value;
  };
  for (Text t : {Text{"underline", 0, '-'}, {"UnderlineSingle", 0, '-'}, {"-", 0, '-'},
                 {"UnderlineDouble", 0, '='}, {"=", 0, '='}, {"UnderlineSingleAccounting", 0, '_'},
                 {"_", 0, '_'}, {"UnderlineDoubleAccounting", 0, '~'}, {"~", 0, '~'},
                 {"Underline", -1, '~'}, {"UnderlineNone", 0, 0}, {"=", 0, '='}, {"", 0, 0}}) {
    SCOPED_TRACE(t.text);
    EXPECT_EQ(font.setUnderline(t.text), t.result);
    EXPECT_EQ(font.underline, t.value);
  }
  for (Text t : {Text{"left", 0, 'l'}, {"Center", 0, 'c'}, {"RIGHT", 0, 'r'}, {"j", 0, 'j'},
                 {"middle", -1, 'j'}, {"", -1, 'j'}}) {
    SCOPED_TRACE(t.text);
    EXPECT_EQ(font.alignHorizontal(t.text), t.result);
    EXPECT_EQ(font.horizontal, t.value);
  }
  for (Text t : {Text{"top", 0, 't'}, {"VJustify", 0, 'j'}, {"vcenter", 0, 'c'}, {"v", 0, 'c'},
                 {"Bottom", 0, 'b'}, {"center", -1, 'b'}, {"", -1, 'b'}}) {
    SCOPED_TRACE(t.text);
    EXPECT_EQ(font.alignVertical(t.text), t.result);
    EXPECT_EQ(font.vertical, t.value);
  }
  VexFont copy(font);
  VexFont other;
  other.copyFrom(font);
  EXPECT_EQ(copy.point, 9);
  EXPECT_EQ(other.vertical, 'b');
  font.clear();
  EXPECT_EQ(font.name, "");
  EXPECT_EQ(font.point, 0);
  EXPECT_EQ(font.pitch, 0);
  EXPECT_FALSE(font.italic || font.bold);
  EXPECT_EQ(font.underline, 0);
  EXPECT_EQ(font.horizontal, 0);
  EXPECT_EQ(font.vertical, 0);
  EXPECT_EQ(font.colour, "");
}

TEST(VexFontTest, ColourTable) {
  struct Case {
    const char* name;
    const char* stored;  // nullptr: refused
  } cases[] = {
      {"None", "536870911"},   {"aqua", "16776960"},  {"Black", "0"},
      {"", "0"},               {"BLUE", "16711680"},  {"Cream", "15793151"},
      {"Dark", "8421504"},     {"darkgrey", "8421504"}, {"Fuchsia", "16711935"},
      {"Gray", "8421504"},     {"Green", "32768"},    {"Lime", "65280"},
      {"Light", "12632256"},   {"Maroon", "128"},     {"Medium", "10789024"},
      {"Mint", "12639424"},    {"Navy", "8388608"},   {"Olive", "32896"},
      {"Purple", "8388736"},   {"Red", "255"},        {"Silver", "12632256"},
      {"Sky", "15780518"},     {"Teal", "8421376"},   {"White", "16777215"},
      {"Yellow", "65535"},     {"Olive green", "32896"},
      {"Oliv", nullptr},       {"Grey", nullptr},     {"Reddish", nullptr},
      {"Dar", nullptr},        {"Sk", nullptr},       {"Orange", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VexFont font;
    font.colour = "old";
    EXPECT_EQ(font.setColour(c.name), c.stored != nullptr ? 0 : -1);
    EXPECT_EQ(font.colour, c.stored != nullptr ? c.stored : "old");
    EXPECT_EQ(isColourName(c.name), c.stored != nullptr && c.name[0] != '\0');
  }
  EXPECT_EQ(colourTable().size(), 23u);
  for (const ColourEntry& entry : colourTable()) {
    SCOPED_TRACE(entry.name);
    VexFont font;
    EXPECT_EQ(font.setColour(entry.name), 0);
    EXPECT_EQ(font.colour, std::to_string(entry.value));
  }
}

TEST(VexFontTest, FontNameList) {
  auto names = fontNames();
  ASSERT_EQ(names.size(), 237u);
  EXPECT_EQ(std::string(names[0]), "Courier New");
  EXPECT_EQ(std::string(names[3]), "Times");
  EXPECT_EQ(std::string(names[236]), "Wingdings 3");
  std::set<std::string> distinct(names.begin(), names.end());
  EXPECT_EQ(distinct.size(), 233u);
  // The four names listed first come again in their alphabetical place.
  for (const char* twice : {"Courier New", "Arial", "Times New Roman", "Times"}) {
    int count = 0;
    for (const char* name : names) count += std::string(name) == twice;
    EXPECT_EQ(count, 2) << twice;
  }
  for (const char* yes : {"Arial", "arial", "TIMES NEW ROMAN", "Modern No. 20", "courieritalic",
                          "Wingdings 2", "Lucida Sans Typewriter Bold Oblique"})
    EXPECT_TRUE(isFontName(yes)) << yes;
  for (const char* no : {"", "Helvetica", "Arial ", "Wingdings 4", "Times New"})
    EXPECT_FALSE(isFontName(no)) << no;
}

}  // namespace
}  // namespace tabrix

#include "banks/title_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/console.h"
#include "process_exit.h"
#include "test_files.h"

namespace tabrix {
namespace {

using testing::TempDir;

std::string titleFile(const TempDir& dir, const std::string& text) {
  const std::string path = dir.file("titles.txt");
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(TitleFileTest, TitleLinesAreNumberedInFileOrder) {
  TempDir dir;
  const std::string path = titleFile(
      dir,
      "  0 \"Heading\"\r\n"
      "  1 \"Agriculture\"  extra\r\n"
      "abc\r\n"                               // shorter than 5: not a title line
      "    \r\n"                              // 4 blanks: not a title line
      "  2 \"Mining, quarrying\"\n"
      "\"12345\n"                             // no closing quote: the title runs to the end
      "  4 \"" + std::string(130, 'x') + "\"\n"
      "  5 \"\"");                            // empty title, no line end at the end
  ConsoleCapture capture;
  TitleFile titles(path);
  EXPECT_EQ(titles.kindName(), "TitlFile");
  ASSERT_EQ(titles.count(), 6);
  std::string buffer;
  const struct {
    int number;
    std::string text;
  } cases[] = {
      {1, "  1 Heading"},
      {2, "  2 Agriculture"},
      {3, "  3 Mining, quarrying"},
      {4, "  4 12345"},
      {5, "  5 " + std::string(115, 'x')},  // titles are cut at 115 characters
      {6, "  6 "},
  };
  for (const auto& c : cases) {
    ASSERT_NE(titles.titleOf(buffer, c.number), nullptr) << c.number;
    EXPECT_EQ(buffer, c.text);
  }
  EXPECT_EQ(capture.text(), "");
  for (int number : {0, 7, -3}) {
    EXPECT_EQ(titles.titleOf(buffer, number), nullptr);
    EXPECT_EQ(capture.take(), "Error: sector number " + std::to_string(number) + " is illegal.\n");
  }
}

TEST(TitleFileTest, BadFilesEndTheProcess) {
  TempDir dir;
  std::string many;
  for (int i = 1; i <= 3501; ++i) many += std::to_string(i) + " \"Title\"\n";
  const struct {
    std::string text;
    std::string printed;
  } cases[] = {
      {"  1 \"Farms\"\n  2 Mines\n", "\nNo opening quote on the line:\n  2 Mines\nin file PATH, line 2\n"},
      {"\n\n   \n  7 Seven\r\n", "\nNo opening quote on the line:\n  7 Seven\nin file PATH, line 4\n"},
      {many, "Too many names in titlefile PATH: 3501.\n"},
  };
  for (const auto& c : cases) {
    const std::string path = titleFile(dir, c.text);
    std::string printed = c.printed;
    printed.replace(printed.find("PATH"), 4, path);
    ConsoleCapture capture;
    EXPECT_EQ(testing::exitStatusOf([&] { TitleFile titles(path); }), 1);
    EXPECT_EQ(capture.text(), printed);
  }
  // 3500 title lines are accepted.
  many.erase(many.rfind("3501"));
  {
    const std::string path = titleFile(dir, many);
    TitleFile titles(path);
    EXPECT_EQ(titles.count(), 3500);
  }
  ConsoleCapture capture;
  EXPECT_EQ(testing::exitStatusOf([&] { TitleFile titles(dir.file("none.txt")); }), 1);
  EXPECT_EQ(capture.text(), "\nCannot open " + dir.file("none.txt") + ".\n");
  // The reader itself reports by status, for callers that must not end the process.
  std::vector<std::string> titles;
  EXPECT_EQ(readTitleFile(dir.file("none.txt"), titles), -1);
}

}  // namespace
}  // namespace tabrix

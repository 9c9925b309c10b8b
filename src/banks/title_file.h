// TitleFile: a sector-title file, the text file that gives each sector of a model its
// name for the matrix listing. Every line of 5 or more characters (line end not
// counted) is a title line, numbered from 1 in file order; its title stands between
// its first and its second double quote (or runs to the end of the line when the
// second is missing):
//
//     1 "Agriculture, forestry and fishing"
//     2 "Mining"
//
// The titles are read once, when the file is opened, and kept in memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix {

class TitleFile {
 public:
  // Most title lines a file may hold.
  static constexpr int MaxTitles = 3500;
  // Longest title kept; longer titles are cut.
  static constexpr size_t MaxTitleLength = 115;

  // Opens and reads the file. A file that cannot be opened, holds more than MaxTitles
  // title lines or a title line without a quote ends the process with status 1, after
  // its message.
  explicit TitleFile(std::string_view fileName);

  // The buffer, holding the number as "%3d " and the title, or nullptr after
  // "Error: sector number %d is illegal.\n" when number lies outside 1 .. count().
  const char* titleOf(std::string& buffer, int number) const;

  int count() const { return static_cast<int>(titles_.size()); }  // title lines
  const std::string& kindName() const { return kindName_; }       // "TitlFile"
  const std::string& fileName() const { return fileName_; }       // as given

 private:
  std::string kindName_ = "TitlFile";
  std::string fileName_;             // the file's name as given
  std::vector<std::string> titles_;  // title i + 1, cut to MaxTitleLength
};

// Reads the titles of an open title file (fileName for the messages). 0, or -1 after
// printing why the file cannot be used: more than MaxTitles title lines ("Too many
// names in titlefile %s: %d.\n") or a title line without a quote ("\nNo opening quote
// on the line:\n%s\nin file %s, line %d\n", with the file's own line number). Memory
// stays bounded whatever the file holds.
[[nodiscard]] int16_t readTitles(std::FILE* file, const std::string& fileName,
                                 std::vector<std::string>& titles);

// Opens `path` and reads its titles: 0, or -1 after a message ("\nCannot open %s.\n"
// when it cannot be opened). Never ends the process (for tests and fuzzing).
[[nodiscard]] int16_t readTitleFile(const std::string& path, std::vector<std::string>& titles);

}  // namespace tabrix

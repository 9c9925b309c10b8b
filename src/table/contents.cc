#include "table/contents.h"

#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/process.h"
#include "table/fields.h"

namespace tabrix {

namespace {

// Column of each entry's page text.
constexpr int PageTextColumn = 80;

// Centred titles of the contents stand this far left of the page's centre.
constexpr int TitleShift = 15;

// A line of width holding text at column, ending after the text and cut at width.
std::string placedLine(std::string_view text, int column, int width) {
  std::string line;
  placeAt(line, column, text);
  if (width < 0) width = 0;
  if (line.size() > static_cast<std::size_t>(width)) line.resize(static_cast<std::size_t>(width));
  return line;
}

int titleColumn(int width, int length) {
  int column = (width - length) / 2 - TitleShift;
  return column < 0 ? 0 : column;
}

}  // namespace

void toc::setContentsTitle(std::string_view text) {
  title_.assign(text);
  hasTitle_ = true;
}

int16_t toc::addEntry(std::string_view text, int page) {
  if (entries_.size() >= static_cast<std::size_t>(MaxContentsEntries)) {
    console().printf("You have requested more than the maximum (%d) number of tables.\r\n",
                     MaxContentsEntries);
    console().write("Now exiting ...\r\n");
    endProcess(1);
  }
  entries_.push_back(TocEntry{std::string(text), page});
  return entryCount();
}

int toc::writeContents(TableFile& file, int width, std::string_view pagePrefix,
                       std::string_view lineEnd) const {
  auto lineEnds = [&](int count) {
    for (int i = 0; i < count; ++i) file.write(lineEnd);
  };
  if (hasTitle_) {
    lineEnds(3);
    file.write(placedLine(title_, titleColumn(width, static_cast<int>(title_.size())), width));
    lineEnds(3);
  }
  const std::string heading = "TABLE OF CONTENTS";
  file.write(placedLine(heading, titleColumn(width, static_cast<int>(heading.size())), width));
  lineEnds(3);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%2d", static_cast<int>(i + 1));
    std::string line = "TABLE " + std::string(number) + ". " + entries_[i].title;
    // The page text goes over whatever of the title reaches column 80, and ends the line.
    std::string pageText = std::string(pagePrefix) + " " + std::to_string(entries_[i].page);
    line.resize(PageTextColumn, ' ');
    line += pageText;
    if (width < 0) width = 0;
    if (line.size() > static_cast<std::size_t>(width)) line.resize(static_cast<std::size_t>(width));
    file.write(line);
    lineEnds(2);
  }
  return 0;
}

}  // namespace tabrix

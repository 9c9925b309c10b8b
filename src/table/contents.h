// The table of contents: every \title is recorded with the page on which its table
// begins; with \toc the titles are numbered in the page headers and the contents are
// written at the end of the table file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "table/table_file.h"

namespace tabrix {

// Tables the contents can record; one more ends the program.
constexpr int MaxContentsEntries = 500;

// One recorded table.
struct TocEntry {
  std::string title;  // the table's title as given to \title
  int page = 0;       // the page on which the table begins
};

class toc {
 public:
  toc() = default;

  // Replaces the contents' title (the latest \head text).
  void setContentsTitle(std::string_view text);
  // Records a table; returns the new count. With 500 entries already recorded it prints
  // the too-many-tables message and ends the program with status 1.
  int16_t addEntry(std::string_view text, int page);
  // Entries recorded so far; the page header numbers the current table with it.
  int16_t entryCount() const { return static_cast<int16_t>(entries_.size()); }
  // Entry i, counted from 0.
  const TocEntry& entry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
  // The contents' title, "" when none was given.
  const std::string& title() const { return title_; }
  bool hasTitle() const { return hasTitle_; }

  // Writes the contents: the title, "TABLE OF CONTENTS" and one line per table with its
  // page text at column 80, every line cut at width. Returns 0.
  int writeContents(TableFile& file, int width, std::string_view pagePrefix,
                    std::string_view lineEnd) const;

 private:
  std::string title_;
  bool hasTitle_ = false;
  std::vector<TocEntry> entries_;
};

}  // namespace tabrix

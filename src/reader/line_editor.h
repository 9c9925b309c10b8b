// The keyboard line editor of the stub reader: reads one typed line key by key from
// the key source, draws it on the console, and keeps a history of the typed lines
// (recalled with Up and Down, copied from with Right and F3, listed with '?').
// When the keys do not come from a person at a terminal, lines are read plainly.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/keys.h"

namespace tabrix {

// The typed lines, oldest first. Each line takes its length plus 2 characters of a
// 600-character area, and at most 29 lines are kept; adding a line drops the oldest
// ones until the new line fits.
class LineHistory {
 public:
  static constexpr int kArea = 600;     // characters of the history area
  static constexpr int kMaxLines = 29;  // lines kept at most

  // Adds a line, first dropping the oldest lines as needed (at least one when 29 are
  // held or the line would not fit). A line that cannot fit even an empty area
  // (more than 598 characters) is not added and the history stays as it was.
  void add(std::string_view line);
  // Forgets every line.
  void clear();
  // Number of lines held.
  int count() const { return static_cast<int>(lines_.size()); }
  // Line i, 0 the oldest.
  const std::string& line(int i) const { return lines_[static_cast<std::size_t>(i)]; }
  // The newest line, or nullptr when empty.
  const std::string* newest() const { return lines_.empty() ? nullptr : &lines_.back(); }
  // Characters of the area in use (each line's length plus 2).
  int used() const { return used_; }

 private:
  std::deque<std::string> lines_;
  int used_ = 0;
};

class LineEditor {
 public:
  // Longest line the editor accepts (the reader's line buffer less its line end).
  static constexpr int kMaxLength = 1197;

  // Reads one line from `keys`. Interactive keys are edited and echoed (the keys of
  // the editor's table; Ctrl-C ends the process with status 0, and so does the end of
  // the keys, a terminal that hung up); other sources give a plain line up to the line
  // feed (a CR before it is dropped). Returns the text followed by "\r\n", or nothing
  // at the end of input (a plain source's Escape, or a negative key code).
  std::optional<std::string> readLine(KeySource& keys);

  // The history of typed lines.
  LineHistory& history() { return history_; }
  const LineHistory& history() const { return history_; }

 private:
  std::optional<std::string> readPlain(KeySource& keys);
  std::optional<std::string> readEdited(KeySource& keys);

  LineHistory history_;
};

// Reads a plain line from keys: bytes up to a line feed (not included; a CR right
// before it is dropped, NUL bytes are dropped, at most `limit` characters kept).
// Escape or a negative code ends the input: with nothing read the result is empty.
std::optional<std::string> readPlainKeyLine(KeySource& keys, std::size_t limit);

}  // namespace tabrix

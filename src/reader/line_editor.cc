#include "reader/line_editor.h"

#include <algorithm>

#include "platform/console.h"
#include "platform/process.h"

namespace tabrix {

// --- History ---------------------------------------------------------------------

void LineHistory::add(std::string_view line) {
  int need = static_cast<int>(line.size()) + 2;
  if (need > kArea) return;  // could never fit: keep what is there
  if (count() >= kMaxLines || used_ + need > kArea) {
    // Drop the oldest lines, at least one, until the new line fits.
    do {
      used_ -= static_cast<int>(lines_.front().size()) + 2;
      lines_.pop_front();
    } while (!lines_.empty() && (count() >= kMaxLines || used_ + need > kArea));
  }
  lines_.emplace_back(line);
  used_ += need;
}

void LineHistory::clear() {
  lines_.clear();
  used_ = 0;
}

// --- Plain lines -----------------------------------------------------------------

std::optional<std::string> readPlainKeyLine(KeySource& keys, std::size_t limit) {
  std::string line;
  bool readAny = false;
  for (;;) {
    int code = keys.readKey();
    if (code < 0 || code == key::kEscape) {
      if (!readAny) return std::nullopt;
      break;  // a last line without a line feed
    }
    readAny = true;
    if (code == '\n') break;
    if (code == 0) continue;
    if (line.size() < limit) line.push_back(static_cast<char>(code));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> LineEditor::readLine(KeySource& keys) {
  return keys.interactive() ? readEdited(keys) : readPlain(keys);
}

std::optional<std::string> LineEditor::readPlain(KeySource& keys) {
  std::optional<std::string> line = readPlainKeyLine(keys, kMaxLength);
  if (line) line->append("\r\n");
  return line;
}

// --- The editor ------------------------------------------------------------------

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The line being edited and its image on the screen. The editor keeps the screen
// cursor in step with the line by backspacing and rewriting, so it needs no cursor
// queries and draws the same on any terminal.
class EditLine {
 public:
  explicit EditLine(Console& console) : console_(console) {}

  const std::string& text() const { return text_; }
  std::size_t cursor() const { return cursor_; }
  std::size_t size() const { return text_.size(); }

  // Moves the cursor to position i of the line.
  void moveTo(std::size_t i) {
    i = std::min(i, text_.size());
    if (i < screen_) {
      console_.write(std::string(screen_ - i, '\b'));
    } else if (i > screen_) {
      console_.write(std::string_view(text_).substr(screen_, i - screen_));
    }
    screen_ = i;
    cursor_ = i;
  }

  // Replaces the text from position `from` on and redraws it; the cursor goes to
  // `cursor`.
  void replace(std::size_t from, std::string_view tail, std::size_t cursor) {
    std::size_t oldSize = text_.size();
    moveTo(std::min(from, cursor_));
    from = std::min(from, text_.size());
    text_.replace(from, std::string::npos, tail);
    // Redraw from where the screen cursor stands.
    console_.write(std::string_view(text_).substr(screen_));
    std::size_t drawn = text_.size();
    if (oldSize > text_.size()) {
      std::size_t extra = oldSize - text_.size();
      console_.write(std::string(extra, ' '));
      console_.write(std::string(extra, '\b'));
    }
    screen_ = drawn;
    moveTo(cursor);
  }

  // Forgets the line without touching the screen (after a listing).
  void reset() {
    text_.clear();
    cursor_ = 0;
    screen_ = 0;
  }

 private:
  Console& console_;
  std::string text_;
  std::size_t cursor_ = 0;  // where the next key acts
  std::size_t screen_ = 0;  // where the screen cursor stands, as a line position
};

// Shows the typeover indicator at row 1, column 73, or blanks it, leaving the cursor
// (and the colours) where they were.
void showMode(Console& console, bool typeover) {
  bool terminal = console.isTerminal();
  if (terminal) console.write("\0337");
  console.moveCursor(1, 73);
  if (typeover) {
    console.setColours(0, 7);  // attribute 112: black on light grey
    console.write("Typovr");
  } else {
    console.write("      ");
  }
  if (terminal) console.write("\0338");
}

// Lists the history, two lines to a screen row (the second at column 40).
void listHistory(Console& console, const LineHistory& history) {
  if (history.count() == 0) {
    console.write("\n  buffer empty.");
  } else {
    std::size_t column = 0;
    for (int i = 0; i < history.count(); ++i) {
      const std::string& line = history.line(i);
      if (i % 2 == 0) {
        console.printf("\r\n     %s", line.c_str());
        column = 5 + line.size();
      } else {
        console.write(column < 39 ? std::string(39 - column, ' ') : std::string(1, ' '));
        console.write(line);
      }
    }
  }
  console.write("\r\n:");
}

}  // namespace

std::optional<std::string> LineEditor::readEdited(KeySource& keys) {
  Console& screen = console();
  EditLine line(screen);
  bool insert = true;
  int recall = -1;               // history line shown by Up / Down, -1 none
  bool recalledUnedited = false;  // the line is a recalled one, not changed since
  std::size_t copied = 0;        // next character of the newest line for Right / F3

  auto edited = [&] { recalledUnedited = false; };
  auto putChar = [&](char c) {
    std::size_t at = line.cursor();
    if (insert || at >= line.size()) {
      if (line.size() >= static_cast<std::size_t>(kMaxLength)) return;
      std::string tail(1, c);
      tail.append(line.text(), at, std::string::npos);
      line.replace(at, tail, at + 1);
    } else {
      std::string tail = line.text().substr(at);
      tail[0] = c;
      line.replace(at, tail, at + 1);
    }
    edited();
  };
  auto appendText = [&](std::string_view more) {
    std::size_t room = static_cast<std::size_t>(kMaxLength) - line.size();
    more = more.substr(0, room);
    if (more.empty()) return;
    line.replace(line.size(), more, line.size() + more.size());
    edited();
  };
  auto recallLine = [&](int index) {
    recall = index;
    const std::string& text = history_.line(index);
    line.replace(0, text, text.size());
    recalledUnedited = true;
  };

  screen.flush();
  for (;;) {
    int code = keys.readKey();
    if (code < 0) return std::nullopt;
    if (code == 0) {
      int scan = keys.readKey();
      if (scan < 0) return std::nullopt;
      const std::string* newest = history_.newest();
      switch (scan) {
        case key::kHome:
          line.moveTo(0);
          break;
        case key::kEnd:
          line.moveTo(line.size());
          break;
        case key::kLeft:
          if (line.cursor() > 0) line.moveTo(line.cursor() - 1);
          break;
        case key::kRight:
          if (line.cursor() < line.size()) {
            line.moveTo(line.cursor() + 1);
          } else if (newest != nullptr && copied < newest->size()) {
            appendText(std::string_view(*newest).substr(copied, 1));
            ++copied;
          }
          break;
        case key::kCtrlLeft: {
          std::size_t i = line.cursor();
          while (i > 0 && isBlank(line.text()[i - 1])) --i;
          while (i > 0 && !isBlank(line.text()[i - 1])) --i;
          line.moveTo(i);
          break;
        }
        case key::kCtrlRight: {
          std::size_t i = line.cursor();
          while (i < line.size() && !isBlank(line.text()[i])) ++i;
          while (i < line.size() && isBlank(line.text()[i])) ++i;
          line.moveTo(i);
          break;
        }
        case key::kUp:
          if (history_.count() > 0)
            recallLine(recall < 0 ? history_.count() - 1
                                  : (recall + history_.count() - 1) % history_.count());
          break;
        case key::kDown:
          if (history_.count() > 0) recallLine(recall < 0 ? 0 : (recall + 1) % history_.count());
          break;
        case key::kF3:
          if (line.cursor() == line.size() && newest != nullptr && copied < newest->size()) {
            appendText(std::string_view(*newest).substr(copied));
            copied = newest->size();
          }
          break;
        case key::kDelete:
          if (line.cursor() < line.size()) {
            line.replace(line.cursor(), line.text().substr(line.cursor() + 1), line.cursor());
            edited();
          }
          break;
        case key::kInsert:
          insert = !insert;
          showMode(screen, !insert);
          break;
        case key::kCtrlPgUp:
          history_.clear();
          recall = -1;
          copied = 0;
          break;
        default:
          break;  // other extended keys do nothing
      }
      screen.flush();
      continue;
    }
    switch (code) {
      case key::kCtrlC:
        endProcess(0);
      case key::kBackspace:
        if (line.cursor() > 0) {
          std::size_t at = line.cursor() - 1;
          line.replace(at, line.text().substr(at + 1), at);
          edited();
        }
        break;
      case '?':
        listHistory(screen, history_);
        line.reset();
        recall = -1;
        recalledUnedited = false;
        copied = 0;
        break;
      case key::kEscape:
        // The end of the keys (a terminal that hung up) answers Escape forever: nobody
        // is left to type, so the wait ends as Ctrl-C ends it.
        if (keys.atEnd()) endProcess(0);
        line.replace(0, "", 0);
        edited();
        copied = 0;
        break;
      case key::kEnter:
      case '\n': {
        std::string text = line.text();
        if (!recalledUnedited) history_.add(text);
        showMode(screen, false);
        screen.write("\r\n");
        screen.flush();
        text.append("\r\n");
        return text;
      }
      default:
        putChar(static_cast<char>(code));
        break;
    }
    screen.flush();
  }
}

}  // namespace tabrix

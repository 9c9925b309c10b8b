#include "banks/title_file.h"

#include <memory>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/run_files.h"

namespace tabrix {

namespace {

// A line shorter than this (line end not counted) is no title line.
constexpr size_t kMinTitleLine = 5;
// How much of a line a message quotes.
constexpr size_t kQuotedLineLength = 238;

// One line as the reader sees it: its length, the start of its text for messages and,
// when it holds a quote, its title.
struct TitleLine {
  size_t length = 0;       // characters, line end not counted
  std::string preview;     // the first kQuotedLineLength characters
  bool quoted = false;     // an opening quote was seen
  bool closed = false;     // ... and the closing one
  std::string title;       // the text after the opening quote, cut to MaxTitleLength
  bool carriageReturn = false;  // the last character taken was a CR

  void take(char c) {
    ++length;
    carriageReturn = c == '\r';
    if (preview.size() < kQuotedLineLength) preview.push_back(c);
    if (!quoted) {
      quoted = c == '"';
    } else if (!closed) {
      if (c == '"') {
        closed = true;
      } else if (title.size() < TitleFile::MaxTitleLength) {
        title.push_back(c);
      }
    }
  }

  // The CR of a CR LF line end belongs to the line end, not to the line.
  void endLine() {
    if (!carriageReturn) return;
    if (preview.size() == length) preview.pop_back();
    --length;
    if (quoted && !closed && !title.empty() && title.back() == '\r') title.pop_back();
  }
};

}  // namespace

int16_t readTitles(std::FILE* file, const std::string& fileName, std::vector<std::string>& titles) {
  titles.clear();
  int lineNumber = 0;
  bool atEnd = false;
  while (!atEnd) {
    TitleLine line;
    bool sawAny = false;
    for (int c; (c = std::fgetc(file)) != EOF;) {
      sawAny = true;
      if (c == '\n') break;
      line.take(static_cast<char>(c));
    }
    if (std::feof(file) || std::ferror(file)) atEnd = true;
    if (!sawAny) break;
    ++lineNumber;
    line.endLine();
    if (line.length < kMinTitleLine) continue;
    if (!line.quoted) {
      console().printf("\nNo opening quote on the line:\n%s\nin file %s, line %d\n",
                       line.preview.c_str(), fileName.c_str(), lineNumber);
      titles.clear();
      return -1;
    }
    if (static_cast<int>(titles.size()) >= TitleFile::MaxTitles) {
      console().printf("Too many names in titlefile %s: %d.\n", fileName.c_str(),
                       static_cast<int>(titles.size()) + 1);
      titles.clear();
      return -1;
    }
    titles.push_back(std::move(line.title));
  }
  return 0;
}

int16_t readTitleFile(const std::string& path, std::vector<std::string>& titles) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openRunInput(path, "r"),
                                                       &std::fclose);
  if (file == nullptr) {
    console().printf("\nCannot open %s.\n", path.c_str());
    titles.clear();
    return -1;
  }
  return readTitles(file.get(), path, titles);
}

TitleFile::TitleFile(std::string_view fileName) : fileName_(fileName) {
  if (readTitleFile(fileName_, titles_) != 0) endProcess(1);
}

const char* TitleFile::titleOf(std::string& buffer, int number) const {
  if (number < 1 || number > count()) {
    console().printf("Error: sector number %d is illegal.\n", number);
    return nullptr;
  }
  char head[16];
  std::snprintf(head, sizeof head, "%3d ", number);
  buffer = head;
  buffer += titles_[static_cast<size_t>(number - 1)];
  return buffer.c_str();
}

}  // namespace tabrix

// DocumentSink: the common part of the publication renderers (HTML, Markdown, LaTeX).
// It keeps the page the composer hands it, call by call, and when the page ends hands
// it whole to the format, which writes the document's part for it: a format needs to
// know a page's widest row and what follows the date labels before it writes the
// table's first line. The file is written through a buffer; the first failed write
// stops all further output, and finish() reports it once, naming the file.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "table/table_sink.h"

namespace tabrix {

// One value cell as the table shows it.
struct DocumentCell {
  CellKind kind = CellKind::Number;
  // The text the table shows, without padding. A Number's text is the composer's figure:
  // digits, a sign, '.' and ',', or the asterisks of a field too narrow, nothing else.
  std::string text;
  bool growth = false;    // a growth-rate column
  bool negative = false;  // a number below zero
};

// One row of a table line: one alternative's cells.
struct DocumentRow {
  int alternative = 0;
  bool carriesTitle = false;  // the row shows the line's title
  std::string title;          // the line's title, right-trimmed ("" when not carried)
  std::vector<DocumentCell> cells;
};

// One date label.
struct DocumentLabel {
  std::string label;  // "" for a spacer
  bool spacer = false;
  bool growth = false;
};

// What a part of a page's body is.
enum class PageItemKind {
  Line,   // a table line: rows, one per alternative shown
  Text,   // a text line
  Rule,   // a \line rule
  Dates,  // a row of date labels
  Gap,    // empty lines between two other items
};

struct PageItem {
  PageItemKind kind = PageItemKind::Line;
  std::string text;                   // Text: the text, right-trimmed
  bool centred = false;               // Text: centred on the page
  char character = 0;                 // Rule: its character; Dates: the underline's, 0 none
  std::vector<DocumentRow> rows;      // Line
  std::vector<DocumentLabel> labels;  // Dates
};

// A page as the composer handed it. Texts are UTF-8 (utf8Text).
struct DocumentPage {
  PageSetup setup;
  bool hasHead = false;
  std::string head;      // the running head
  std::string pageText;  // "Page  3", "" without page numbers
  bool hasTitle = false;
  std::string title;
  bool hasSubtitle = false;
  std::string subtitle;
  bool hasListHeading = false;
  std::string listHeading;                // "Titles of Alternate Runs"
  std::vector<std::string> alternatives;  // "Line 1: Base run", ...
  bool hasSentence = false;
  std::string sentence;
  // The date row heading the page's table: items[headingItem], a Dates item before any
  // line, text or rule; -1 when there is none.
  int headingItem = -1;
  std::vector<PageItem> items;
  int columns = 0;  // date columns of the widest date row or value row
  std::string stamp;  // the time stamp at the page's foot, "" for none
  double width = 0;   // estimatedWidth of the page, set when the page ends
};

// The width a page's table would take set at 10 points, in points: the widest text of
// each column (digits 5 points, letters 4.6 on average) and 12 points between columns;
// a text line wider than that counts in full. Formats choose upright or turned pages
// and a smaller size from it.
double estimatedWidth(const DocumentPage& page);

class DocumentSink : public TableSink {
 public:
  DocumentSink() = default;
  // Closes the file if it is still open, unfinished: each format's destructor finishes
  // it first (finishOnDestruction), while the format's part is still there.
  ~DocumentSink() override;
  DocumentSink(const DocumentSink&) = delete;
  DocumentSink& operator=(const DocumentSink&) = delete;

  // Opens the named file for writing (emptied); the name may use '\' and a drive letter
  // (toPath). Returns 0, or -1 when it cannot be opened.
  [[nodiscard]] int open(std::string_view name);
  // The name the file was opened under.
  const std::string& name() const { return name_; }

  void beginPage(const PageSetup& setup) override;
  void endPage() override;
  void headerLine(const HeaderLine& line) override;
  void dateRow(std::span<const DateLabel> labels, std::string_view laidOut) override;
  void dateUnderline(char character, std::string_view laidOut) override;
  void beginLine(std::string_view title) override;
  void valueRow(const ValueRow& row) override;
  void endLine() override;
  void textLine(std::string_view text, bool centred, std::string_view laidOut) override;
  void rule(char character, std::string_view laidOut) override;
  void blankLines(int count) override;
  void contents(const toc& entries, std::string_view pagePrefix) override;
  void pageFoot(std::string_view stamp, std::string_view laidOut) override;

  int status() const override { return failed_ ? -1 : 0; }
  [[nodiscard]] int finish() override;
  void abandon() override;

 protected:
  // The document's start, before its first page (first: nullptr when it has none).
  virtual void writeStart(const DocumentPage* first) = 0;
  virtual void writePage(const DocumentPage& page) = 0;
  // The table of contents, after the last page (pageShown: which entries to link).
  virtual void writeContents(const toc& entries, std::string_view pagePrefix) = 0;
  // The document's end.
  virtual void writeEnd() = 0;

  // Completes the file if it is still open (a failed write is still reported); every
  // format's destructor calls it.
  void finishOnDestruction();

  // The text waiting to be written; formats append to it.
  std::string& out() { return buffer_; }
  // True when page number n was written into this document.
  bool pageShown(int n) const;

 private:
  // The one place the output file is opened.
  static std::FILE* openOutputFile(const std::string& path);
  bool accepting() const { return file_ != nullptr && !failed_; }
  void ensurePage();
  void ensureStarted(const DocumentPage* first);
  PageItem& addItem(PageItemKind kind);
  void recyclePage();
  void flush();
  void close(bool complete);

  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string name_;
  std::string buffer_;
  bool failed_ = false;
  bool started_ = false;
  bool inPage_ = false;
  bool inLine_ = false;
  DocumentPage page_;
  std::vector<PageItem> spareItems_;  // parts of earlier pages, kept for their buffers
  std::vector<DocumentRow> spareRows_;
  std::vector<std::string> spareTexts_;
  std::vector<int> shownPages_;
};

}  // namespace tabrix

#include "table/document_sink.h"

#include <algorithm>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/run_files.h"
#include "table/markup_text.h"

namespace tabrix {

namespace {

// Buffered text is written out once it passes this size (and at every page's end).
constexpr std::size_t kFlushSize = 1 << 18;

std::string rightTrimmed(std::string_view text) {
  std::size_t end = text.find_last_not_of(' ');
  return utf8Text(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

// The space between two columns at 10 points (\tabcolsep on either side).
constexpr double kColumnGap = 12.0;

// Estimated width of a text at 10 points: digits are 5 points wide, punctuation and
// blanks about 3, letters 4.6 on average (capitals more).
double textWidth(std::string_view text) {
  double width = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      width += 5.0;
    } else if (c == '.' || c == ',' || c == ' ' || c == ':' || c == ';' || c == '-') {
      width += 3.0;
    } else if (c >= 'A' && c <= 'Z') {
      width += 7.0;
    } else {
      width += 4.6;
    }
  }
  return width;
}

}  // namespace

double estimatedWidth(const DocumentPage& page) {
  // The longest text of each column is measured (texts of one column are alike: numbers
  // of the same form, titles), so that a page costs one pass over its lengths.
  std::vector<std::string_view> longest(static_cast<std::size_t>(page.columns) + 1);
  double spanning = 0;
  auto widen = [&](std::size_t column, std::string_view text) {
    if (text.size() > longest[column].size()) longest[column] = text;
  };
  for (const PageItem& item : page.items) {
    switch (item.kind) {
      case PageItemKind::Dates:
        for (std::size_t c = 0; c < item.labels.size(); ++c) widen(c + 1, item.labels[c].label);
        break;
      case PageItemKind::Line:
        for (const DocumentRow& row : item.rows) {
          widen(0, row.title);
          for (std::size_t c = 0; c < row.cells.size(); ++c) widen(c + 1, row.cells[c].text);
        }
        break;
      case PageItemKind::Text:
        spanning = std::max(spanning, textWidth(item.text));
        break;
      default:
        break;
    }
  }
  double table = kColumnGap * static_cast<double>(longest.size() - 1);
  for (std::string_view text : longest) table += textWidth(text);
  return std::max(table, spanning);
}


DocumentSink::~DocumentSink() {
  if (file_) close(false);
}

void DocumentSink::finishOnDestruction() {
  if (file_) close(true);
}

std::FILE* DocumentSink::openOutputFile(const std::string& path) {
  if (!outputAllowed(path)) return nullptr;
  return std::fopen(path.c_str(), "w");
}

int DocumentSink::open(std::string_view name) {
  if (file_) close(true);
  std::FILE* file = openOutputFile(toPath(name));
  if (file == nullptr) return -1;
  file_.reset(file);
  name_.assign(name);
  failed_ = false;
  started_ = false;
  inPage_ = false;
  inLine_ = false;
  shownPages_.clear();
  return 0;
}

void DocumentSink::ensurePage() {
  if (!inPage_) beginPage(PageSetup{});
}

void DocumentSink::ensureStarted(const DocumentPage* first) {
  if (started_) return;
  started_ = true;
  writeStart(first);
}

PageItem& DocumentSink::addItem(PageItemKind kind) {
  ensurePage();
  inLine_ = false;
  if (spareItems_.empty()) {
    page_.items.emplace_back();
  } else {
    page_.items.push_back(std::move(spareItems_.back()));
    spareItems_.pop_back();
  }
  PageItem& item = page_.items.back();
  item.kind = kind;
  return item;
}

void DocumentSink::recyclePage() {
  // The parts of the last page keep their buffers for the next one: a long table makes
  // the same rows page after page.
  for (PageItem& item : page_.items) {
    for (DocumentRow& row : item.rows) spareRows_.push_back(std::move(row));
    item.rows.clear();
    item.labels.clear();
    item.text.clear();
    item.centred = false;
    item.character = 0;
    spareItems_.push_back(std::move(item));
  }
  page_.items.clear();
  for (std::string& text : page_.alternatives) spareTexts_.push_back(std::move(text));
  std::vector<PageItem> items = std::move(page_.items);
  page_ = DocumentPage{};
  page_.items = std::move(items);
}

void DocumentSink::beginPage(const PageSetup& setup) {
  if (!accepting()) return;
  if (inPage_) endPage();
  recyclePage();
  page_.setup = setup;
  inPage_ = true;
  inLine_ = false;
}

void DocumentSink::endPage() {
  if (!accepting() || !inPage_) return;
  inPage_ = false;
  inLine_ = false;
  // Empty lines count only between two other parts of the page.
  auto& items = page_.items;
  while (!items.empty() && items.back().kind == PageItemKind::Gap) items.pop_back();
  page_.width = estimatedWidth(page_);
  ensureStarted(&page_);
  writePage(page_);
  shownPages_.push_back(page_.setup.pageNumber);
  if (buffer_.size() >= kFlushSize) flush();
}

void DocumentSink::headerLine(const HeaderLine& line) {
  if (!accepting()) return;
  ensurePage();
  std::string_view text = trimmedText(line.text);
  switch (line.kind) {
    case HeaderKind::Head:
      page_.hasHead = true;
      assignUtf8(page_.head, text);
      assignUtf8(page_.pageText, trimmedText(line.pageText));
      break;
    case HeaderKind::Title:
      page_.hasTitle = true;
      assignUtf8(page_.title, text);
      break;
    case HeaderKind::Subtitle:
      page_.hasSubtitle = true;
      assignUtf8(page_.subtitle, text);
      break;
    case HeaderKind::ListHeading:
      page_.hasListHeading = true;
      assignUtf8(page_.listHeading, text);
      break;
    case HeaderKind::Alternative:
      // Every page lists the same alternatives: their buffers go from page to page.
      if (spareTexts_.empty()) {
        page_.alternatives.emplace_back();
      } else {
        page_.alternatives.push_back(std::move(spareTexts_.back()));
        spareTexts_.pop_back();
      }
      assignUtf8(page_.alternatives.back(), text);
      break;
    case HeaderKind::Sentence:
      page_.hasSentence = true;
      assignUtf8(page_.sentence, text);
      break;
  }
}

void DocumentSink::dateRow(std::span<const DateLabel> labels, std::string_view /*laidOut*/) {
  if (!accepting()) return;
  bool heading = page_.headingItem < 0 &&
                 std::none_of(page_.items.begin(), page_.items.end(), [](const PageItem& item) {
                   return item.kind != PageItemKind::Gap;
                 });
  if (heading) page_.items.clear();
  PageItem& item = addItem(PageItemKind::Dates);
  item.labels.reserve(labels.size());
  for (const DateLabel& label : labels) {
    item.labels.push_back(
        DocumentLabel{utf8Text(trimmedText(label.label)), label.spacer, label.growth});
  }
  page_.columns = std::max(page_.columns, static_cast<int>(labels.size()));
  if (heading) page_.headingItem = static_cast<int>(page_.items.size()) - 1;
}

void DocumentSink::dateUnderline(char character, std::string_view /*laidOut*/) {
  if (!accepting()) return;
  // The underline belongs to the date row just before it.
  if (!page_.items.empty() && page_.items.back().kind == PageItemKind::Dates) {
    page_.items.back().character = character;
  }
}

void DocumentSink::beginLine(std::string_view title) {
  if (!accepting()) return;
  PageItem& item = addItem(PageItemKind::Line);
  item.text = rightTrimmed(title);
  inLine_ = true;
}

void DocumentSink::valueRow(const ValueRow& row) {
  if (!accepting()) return;
  if (!inLine_) beginLine(row.title);
  PageItem& item = page_.items.back();
  if (spareRows_.empty()) {
    item.rows.emplace_back();
  } else {
    item.rows.push_back(std::move(spareRows_.back()));
    spareRows_.pop_back();
  }
  DocumentRow& out = item.rows.back();
  out.alternative = row.alternative;
  out.carriesTitle = row.carriesTitle;
  std::string_view title = row.title.substr(0, row.title.find_last_not_of(' ') + 1);
  assignUtf8(out.title, row.carriesTitle ? title : std::string_view());
  out.cells.resize(row.cells.size());
  for (std::size_t k = 0; k < row.cells.size(); ++k) {
    const Cell& cell = row.cells[k];
    DocumentCell& shown = out.cells[k];
    shown.kind = cell.kind;
    switch (cell.kind) {
      case CellKind::Number:
      case CellKind::Blank:
        shown.text.assign(cell.text);  // the composer's own figures: ASCII, unpadded
        break;
      case CellKind::Missing:
        assignUtf8(shown.text, trimmedText(cell.text));  // the user's \missing text
        break;
      case CellKind::Spacer:
        shown.text.clear();
        break;
    }
    shown.growth = cell.growth;
    shown.negative = cell.kind == CellKind::Number && cell.value < 0.0f;
  }
  page_.columns = std::max(page_.columns, static_cast<int>(row.cells.size()));
}

void DocumentSink::endLine() { inLine_ = false; }

void DocumentSink::textLine(std::string_view text, bool centred, std::string_view /*laidOut*/) {
  if (!accepting()) return;
  PageItem& item = addItem(PageItemKind::Text);
  item.text = utf8Text(trimmedText(text));
  item.centred = centred;
}

void DocumentSink::rule(char character, std::string_view /*laidOut*/) {
  if (!accepting()) return;
  addItem(PageItemKind::Rule).character = character;
}

void DocumentSink::blankLines(int count) {
  if (!accepting() || count <= 0) return;
  ensurePage();
  // Only a gap after something else on the page; several in a row are one.
  if (page_.items.empty() || page_.items.back().kind == PageItemKind::Gap) return;
  addItem(PageItemKind::Gap);
}

void DocumentSink::contents(const toc& entries, std::string_view pagePrefix) {
  if (!accepting()) return;
  if (inPage_) endPage();
  ensureStarted(nullptr);
  writeContents(entries, utf8Text(pagePrefix));
}

void DocumentSink::pageFoot(std::string_view stamp, std::string_view /*laidOut*/) {
  if (!accepting()) return;
  ensurePage();
  page_.stamp = utf8Text(trimmedText(stamp.substr(0, stamp.find_last_not_of("\r\n") + 1)));
}

bool DocumentSink::pageShown(int n) const {
  return std::find(shownPages_.begin(), shownPages_.end(), n) != shownPages_.end();
}

void DocumentSink::flush() {
  if (!file_ || failed_ || buffer_.empty()) {
    buffer_.clear();
    return;
  }
  if (writeOutput(buffer_.data(), buffer_.size(), file_.get()) != buffer_.size()) {
    failed_ = true;
  }
  buffer_.clear();
}

void DocumentSink::close(bool complete) {
  if (complete && !failed_) {
    if (inPage_) endPage();
    ensureStarted(nullptr);
    writeEnd();
    flush();
  }
  buffer_.clear();
  bool failed = failed_ || std::ferror(file_.get()) != 0;
  failed = closeOutput(file_.release()) != 0 || failed;
  if (complete && failed) {
    console().printf("\nError:  Could not write %s; the table in it is incomplete.\r\n",
                     name_.c_str());
  }
  failed_ = failed;
}

int DocumentSink::finish() {
  if (!file_) return status();
  close(true);
  return status();
}

void DocumentSink::abandon() {
  if (!file_) return;
  close(false);
  failed_ = false;
}

}  // namespace tabrix

#include "table/document_sink.h"

#include <algorithm>

#include "platform/console.h"
#include "platform/files.h"
#include "table/markup_text.h"

namespace tabrix {

namespace {

// Buffered text is written out once it passes this size (and at every page's end).
constexpr std::size_t kFlushSize = 1 << 16;

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
  std::vector<double> widths(static_cast<std::size_t>(page.columns) + 1, 0.0);
  double spanning = 0;
  auto widen = [&](std::size_t column, std::string_view text) {
    widths[column] = std::max(widths[column], textWidth(text));
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
  double table = kColumnGap * static_cast<double>(widths.size() - 1);
  for (double width : widths) table += width;
  return std::max(table, spanning);
}


DocumentSink::~DocumentSink() {
  if (file_) close(false);
}

void DocumentSink::finishOnDestruction() {
  if (file_) close(true);
}

std::FILE* DocumentSink::openOutputFile(const std::string& path) {
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
  page_.items.emplace_back();
  page_.items.back().kind = kind;
  return page_.items.back();
}

void DocumentSink::beginPage(const PageSetup& setup) {
  if (!accepting()) return;
  if (inPage_) endPage();
  page_ = DocumentPage{};
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
  ensureStarted(&page_);
  writePage(page_);
  shownPages_.push_back(page_.setup.pageNumber);
  if (buffer_.size() >= kFlushSize) flush();
}

void DocumentSink::headerLine(const HeaderLine& line) {
  if (!accepting()) return;
  ensurePage();
  std::string text = utf8Text(trimmedText(line.text));
  switch (line.kind) {
    case HeaderKind::Head:
      page_.hasHead = true;
      page_.head = std::move(text);
      page_.pageText = utf8Text(trimmedText(line.pageText));
      break;
    case HeaderKind::Title:
      page_.hasTitle = true;
      page_.title = std::move(text);
      break;
    case HeaderKind::Subtitle:
      page_.hasSubtitle = true;
      page_.subtitle = std::move(text);
      break;
    case HeaderKind::ListHeading:
      page_.hasListHeading = true;
      page_.listHeading = std::move(text);
      break;
    case HeaderKind::Alternative:
      page_.alternatives.push_back(std::move(text));
      break;
    case HeaderKind::Sentence:
      page_.hasSentence = true;
      page_.sentence = std::move(text);
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
  DocumentRow& out = item.rows.emplace_back();
  out.alternative = row.alternative;
  out.carriesTitle = row.carriesTitle;
  out.title = rightTrimmed(row.title);
  out.cells.reserve(row.cells.size());
  for (const Cell& cell : row.cells) {
    DocumentCell& shown = out.cells.emplace_back();
    shown.kind = cell.kind;
    shown.text = cell.kind == CellKind::Spacer ? std::string() : utf8Text(trimmedText(cell.text));
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
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size()) {
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
  failed = std::fclose(file_.release()) != 0 || failed;
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

#include "table/markdown_sink.h"

#include <cstdio>
#include <string>

#include "table/markup_text.h"

namespace tabrix {

namespace {

// A title cell: escaped, its leading blanks (an indent in the text table) kept as
// no-break spaces, which a Markdown table does not strip.
void appendTitleCell(std::string& o, std::string_view title) {
  std::size_t indent = 0;
  while (indent < title.size() && title[indent] == ' ') ++indent;
  for (std::size_t i = 0; i < indent; ++i) o += "\u00a0";
  appendMarkdown(o, title.substr(indent), false);
}

std::string anchor(int pageNumber) { return "page-" + std::to_string(pageNumber); }

}  // namespace

void MarkdownSink::writeStart(const DocumentPage* /*first*/) {}

void MarkdownSink::startRow(std::string_view title) {
  std::string& o = out();
  o += "| ";
  appendTitleCell(o, title);
  o += " |";
}

void MarkdownSink::addCell(std::string_view text, bool bold) {
  std::string& o = out();
  o += ' ';
  if (bold && !text.empty()) {
    o += "**";
    appendMarkdown(o, text, false);
    o += "**";
  } else {
    appendMarkdown(o, text, false);
  }
  o += " |";
}

void MarkdownSink::endRow(std::size_t cells, int columns) {
  std::string& o = out();
  for (auto shown = static_cast<int>(cells); shown < columns; ++shown) o += "  |";
  o += '\n';
}

void MarkdownSink::writePage(const DocumentPage& page) {
  std::string& o = out();
  o += "<a id=\"";
  o += anchor(page.setup.pageNumber);
  o += "\"></a>\n\n";
  if (page.hasHead) {
    o += "#### ";
    appendMarkdown(o, page.head, false);
    if (!page.pageText.empty()) {
      o += " \u2014 ";
      appendMarkdown(o, page.pageText, false);
    }
    o += "\n\n";
  }
  if (page.hasTitle) {
    o += "## ";
    appendMarkdown(o, page.title, false);
    o += "\n\n";
  }
  if (page.hasSubtitle) {
    o += "### ";
    appendMarkdown(o, page.subtitle, false);
    o += "\n\n";
  }
  if (page.hasListHeading) {
    o += "**";
    appendMarkdown(o, page.listHeading, false);
    o += "**\n\n";
  }
  if (!page.alternatives.empty()) {
    for (const std::string& alternative : page.alternatives) {
      o += "- ";
      appendMarkdown(o, alternative, true);
      o += '\n';
    }
    o += '\n';
  }
  if (page.hasSentence) {
    appendMarkdown(o, page.sentence, true);
    o += "\n\n";
  }

  bool hasBody = false;
  for (std::size_t i = 0; i < page.items.size(); ++i) {
    if (static_cast<int>(i) != page.headingItem && page.items[i].kind != PageItemKind::Gap) {
      hasBody = true;
    }
  }
  if (hasBody || page.headingItem >= 0) writeTable(page);
  if (!page.stamp.empty()) {
    o += '*';
    appendMarkdown(o, page.stamp, false);
    o += "*\n\n";
  }
}

void MarkdownSink::writeTable(const DocumentPage& page) {
  std::string& o = out();

  // The header: the heading date row, or an empty one.
  const int columns = page.columns;
  startRow("");
  std::size_t headingCells = 0;
  if (page.headingItem >= 0) {
    const auto& labels = page.items[static_cast<std::size_t>(page.headingItem)].labels;
    for (const DocumentLabel& label : labels) addCell(label.label, false);
    headingCells = labels.size();
  }
  endRow(headingCells, columns);
  o += "|:---|";
  for (int c = 0; c < columns; ++c) o += "---:|";
  o += '\n';

  for (std::size_t i = 0; i < page.items.size(); ++i) {
    const PageItem& item = page.items[i];
    switch (item.kind) {
      case PageItemKind::Dates:
        if (static_cast<int>(i) == page.headingItem) break;
        startRow("");
        for (const DocumentLabel& label : item.labels) addCell(label.label, true);
        endRow(item.labels.size(), columns);
        break;
      case PageItemKind::Line:
        for (const DocumentRow& row : item.rows) {
          startRow(row.carriesTitle ? std::string_view(row.title) : std::string_view());
          for (const DocumentCell& cell : row.cells) {
            // Figures need no escaping but for the asterisks of a field too narrow.
            if (cell.kind == CellKind::Number && cell.text.find('*') == std::string::npos) {
              o += ' ';
              o += cell.text;
              o += " |";
            } else {
              addCell(cell.text, false);
            }
          }
          endRow(row.cells.size(), columns);
        }
        break;
      case PageItemKind::Text:
        startRow(item.text);
        endRow(0, columns);
        break;
      case PageItemKind::Rule:
      case PageItemKind::Gap:
        break;  // a pipe table has no rules between its rows
    }
  }
  o += '\n';
}

void MarkdownSink::writeContents(const toc& entries, std::string_view pagePrefix) {
  std::string& o = out();
  o += "<a id=\"contents\"></a>\n\n";
  if (entries.hasTitle()) {
    o += "# ";
    appendMarkdown(o, utf8Text(entries.title()), false);
    o += "\n\n";
  }
  o += "## TABLE OF CONTENTS\n\n";
  for (int i = 0; i < entries.entryCount(); ++i) {
    const TocEntry& entry = entries.entry(i);
    char number[16];
    std::snprintf(number, sizeof number, "TABLE %2d. ", i + 1);
    bool linked = pageShown(entry.page);
    o += "- ";
    if (linked) o += '[';
    o += number;
    appendMarkdown(o, utf8Text(entry.title), false);
    if (linked) {
      o += "](#";
      o += anchor(entry.page);
      o += ')';
    }
    o += " \u2014 ";
    appendMarkdown(o, pagePrefix, false);
    o += ' ';
    o += std::to_string(entry.page);
    o += '\n';
  }
  o += '\n';
}

void MarkdownSink::writeEnd() {}

}  // namespace tabrix

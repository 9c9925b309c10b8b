// MarkdownSink: the tables as GitHub-flavoured Markdown. Each table page is an anchor,
// the head line and the title as headings, the alternatives as a list, the sentence,
// then one pipe table: the date labels as its header, number columns right-aligned
// (---:), each row's title in the first column, text lines as rows with the text in
// that column. Markup characters of the texts (| among them) are escaped. With \toc
// the contents are a list of links to the pages.
#pragma once

#include "table/document_sink.h"

namespace tabrix {

class MarkdownSink final : public DocumentSink {
 public:
  MarkdownSink() = default;
  ~MarkdownSink() override { finishOnDestruction(); }
  MarkdownSink(const MarkdownSink&) = delete;
  MarkdownSink& operator=(const MarkdownSink&) = delete;

 protected:
  void writeStart(const DocumentPage* first) override;
  void writePage(const DocumentPage& page) override;
  void writeContents(const toc& entries, std::string_view pagePrefix) override;
  void writeEnd() override;

 private:
  void writeTable(const DocumentPage& page);
  // A row: its title cell, its cells (bold for date labels), then empty cells up to the
  // table's columns.
  void startRow(std::string_view title);
  void addCell(std::string_view text, bool bold);
  void endRow(std::size_t cells, int columns);
};

}  // namespace tabrix

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
  // One row: the title cell, then the cells given, padded to columns.
  void writeRow(std::string_view title, const std::vector<std::string>& cells, int columns);
  std::vector<std::string> cells_;  // the cells of the row being written
};

}  // namespace tabrix

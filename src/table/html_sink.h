// HtmlSink: the tables as one self-contained UTF-8 HTML page (inline CSS, no script, no
// external resource). Each table page is a <section>: the head line and page number,
// the title and subtitle as headings, the alternatives as a list and the sentence
// under it, then one <table> whose <thead> holds the date labels and in which each
// table line's rows are one <tbody>, the line's title in a <th scope="row">. Numbers are
// right-aligned in tabular figures with the text the table shows; growth columns have
// the class "growth", missing values "missing", blanked ones "blank", and in deviation
// and percentage modes a negative number has the class "neg". Text lines span the table;
// rules and the date underline are borders. With \toc the contents link to the
// sections. Printed, each table page takes a page of its own, turned and smaller
// when the table is wide.
#pragma once

#include "table/document_sink.h"

namespace tabrix {

class HtmlSink final : public DocumentSink {
 public:
  HtmlSink() = default;
  ~HtmlSink() override { finishOnDestruction(); }
  HtmlSink(const HtmlSink&) = delete;
  HtmlSink& operator=(const HtmlSink&) = delete;

 protected:
  void writeStart(const DocumentPage* first) override;
  void writePage(const DocumentPage& page) override;
  void writeContents(const toc& entries, std::string_view pagePrefix) override;
  void writeEnd() override;

 private:
  void writeDateRow(const PageItem& item, int columns, bool heading);
  void writeLine(const PageItem& item, int columns, bool signedMode);
  void writeSpanningRow(std::string_view rowClass, std::string_view cellClass,
                        std::string_view text, int columns);
};

}  // namespace tabrix

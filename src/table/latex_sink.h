// LatexSink: the tables as a standalone LaTeX document (article class with booktabs,
// longtable and pdflscape). Each table page is its headings and one longtable between
// "% table N begin" and "% table N end" comment lines (N counting the tables of the
// file from 1), so that it can be cut out into a paper: \toprule, the date labels,
// \midrule, the rows with numbers in right-aligned columns, \bottomrule. Text lines are
// \multicolumn rows; every special character of a text is escaped. A table wider than
// the text block goes on a landscape page, in a smaller size if it needs it. With \toc
// the contents list each table with its page (\pageref: run pdflatex twice).
#pragma once

#include "table/document_sink.h"

namespace tabrix {

class LatexSink final : public DocumentSink {
 public:
  LatexSink() = default;
  ~LatexSink() override { finishOnDestruction(); }
  LatexSink(const LatexSink&) = delete;
  LatexSink& operator=(const LatexSink&) = delete;

 protected:
  void writeStart(const DocumentPage* first) override;
  void writePage(const DocumentPage& page) override;
  void writeContents(const toc& entries, std::string_view pagePrefix) override;
  void writeEnd() override;

 private:
  void writeTable(const DocumentPage& page);
  int tables_ = 0;  // longtables written
  int parts_ = 0;   // pages and contents written (each after the first starts a new page)
};

}  // namespace tabrix

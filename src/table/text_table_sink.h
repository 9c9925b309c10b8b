// TextTableSink: the table text file as a sink. It writes each line it is handed, as laid
// out, followed by the table's line end, into the table file (table.out) in the form the
// settings give: plain text, with the PCL printer codes of the page setup and the font
// roles, quoted for a print file (\prn, the quoting is in the laid-out lines) or as RTF
// (\rtf: the header, the "\par" line end and the closing brace). \break and \rtf replace
// the file under it; the sink writes to whichever file the table holds.
#pragma once

#include <string>

#include "table/table_line.h"
#include "table/table_sink.h"

namespace tabrix {

// The layout the settings give the text forms: a print file's quoted fields and page
// ends (\prn), and the record layouts (\gdata, \oneperline). A worksheet target starts
// from it too.
TargetLayout textLayout(const TableSettings& settings);

class TextTableSink final : public TableSink {
 public:
  explicit TextTableSink(TableLine& table) : table_(table) {}

  void beginPage(const PageSetup& setup) override;
  void endPage() override {}
  void fontRole(FontRole role, bool on) override;
  void headerLine(const HeaderLine& line) override { writeLine(line.laidOut); }
  void dateRow(std::span<const DateLabel> labels, std::string_view laidOut) override;
  void dateUnderline(char /*character*/, std::string_view laidOut) override { writeLine(laidOut); }
  void beginLine(std::string_view /*title*/) override {}
  void valueRow(const ValueRow& row) override { writeLine(row.laidOut); }
  void endLine() override {}
  void textLine(std::string_view /*text*/, bool /*centred*/, std::string_view laidOut) override { writeLine(laidOut); }
  void rule(char /*character*/, std::string_view laidOut) override { writeLine(laidOut); }
  void blankLines(int count) override { lineEnds(count); }
  void marginLines(int count) override { lineEnds(count); }
  void pageFoot(std::string_view /*stamp*/, std::string_view laidOut) override { writeLine(laidOut); }
  void comment(std::string_view /*text*/, std::string_view laidOut) override { writeLine(laidOut); }
  void dataRecord(const DataRecord& record) override {
    for (const std::string& line : record.laidOut) writeLine(line);
  }
  void valueLine(std::string_view /*title*/, std::string_view /*label*/, const Cell& /*cell*/,
                 std::string_view laidOut) override {
    writeLine(laidOut);
  }
  TargetLayout layout() const override { return textLayout(table_); }
  bool printerCodes(std::string_view codes) override;
  // The contents after a form feed (none in a print file).
  void contents(const toc& entries, std::string_view pagePrefix) override;

  bool usesCells() const override { return false; }
  int status() const override { return 0; }
  // Ends an RTF file with its brace and closes the file: 0, or -1 when a write failed
  // (reported by the file).
  [[nodiscard]] int finish() override;
  // Nothing to throw away here: the table file is the table's, closed or deleted by the
  // run or by the command that replaces it.
  void abandon() override {}

 private:
  void writeLine(std::string_view text);
  void lineEnds(int count);
  // The printer words of a role's font ("" without a font word or with noFormat).
  std::string fontCodes(FontRole role) const;
  // Codes held back to go after the title area of the date row.
  void flushPending();

  TableLine& table_;
  std::string pending_;
};

}  // namespace tabrix

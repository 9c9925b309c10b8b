// RecordingSink: a TableSink that writes down every call it gets as one short line of
// text, so a composer test reads as "this stub gives these calls". Texts are quoted
// with '; the laid-out line of a call follows a '|'.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "table/table_sink.h"

namespace tabrix {

class RecordingSink : public TableSink {
 public:
  // The calls go to calls (shared, so that a test keeps them after the sink is gone).
  explicit RecordingSink(std::shared_ptr<std::vector<std::string>> calls) : calls_(std::move(calls)) {}

  // finish() reports failed when set (a write that failed).
  bool failing = false;
  // Leave the font switches and the laid-out lines out of the record.
  bool recordFonts = true;
  bool recordLaidOut = true;

  void beginPage(const PageSetup& setup) override {
    add("beginPage " + std::to_string(setup.pageNumber) + " page " + std::to_string(setup.pageWidth) + "x" +
        std::to_string(setup.pageLength) + " table " + std::to_string(setup.tableWidth) + " title " +
        std::to_string(setup.titleWidth) + " alts " + std::to_string(setup.altCount) + " " + setup.showMode +
        (setup.tableNumber != 0 ? " number " + std::to_string(setup.tableNumber) : std::string()));
  }
  void endPage() override { add("endPage"); }
  void fontRole(FontRole role, bool on) override {
    static const char* const names[FontRoleCount] = {"body", "head", "title", "date", "bank", "name", "data"};
    if (recordFonts) add(std::string("font ") + names[role] + (on ? " on" : " off"));
  }
  void headerLine(const HeaderLine& line) override {
    static const char* const kinds[] = {"head", "title", "subtitle", "list", "alt", "sentence"};
    std::string call = std::string(kinds[static_cast<int>(line.kind)]) + " " + quoted(line.text);
    if (line.kind == HeaderKind::Head) call += " page " + quoted(line.pageText);
    if (line.kind == HeaderKind::Alternative) call += " #" + std::to_string(line.alternative);
    add(call, line.laidOut);
  }
  void dateRow(std::span<const DateLabel> labels, std::string_view laidOut) override {
    std::string call = "dates";
    for (const DateLabel& label : labels) {
      call += label.spacer ? " s" + std::to_string(label.width)
                           : " " + quoted(label.label) + "/" + std::to_string(label.width) + (label.growth ? "g" : "");
    }
    add(call, laidOut);
  }
  void dateUnderline(char character, std::string_view laidOut) override {
    add(std::string("underline ") + character, laidOut);
  }
  void beginLine(std::string_view title) override { add("line " + quoted(title)); }
  void valueRow(const ValueRow& row) override {
    std::string call = "row " + std::to_string(row.alternative) + (row.carriesTitle ? " titled" : "");
    for (const Cell& cell : row.cells) {
      switch (cell.kind) {
        case CellKind::Number: call += " " + quoted(cell.text) + "." + std::to_string(cell.decimals); break;
        case CellKind::Missing: call += " missing" + quoted(cell.text); break;
        case CellKind::Blank: call += " blank" + quoted(cell.text); break;
        case CellKind::Spacer: call += " spacer"; break;
      }
      call += "/" + std::to_string(cell.width) + (cell.growth ? "g" : "");
    }
    add(call, row.laidOut);
  }
  void endLine() override { add("endLine"); }
  void textLine(std::string_view text, bool centred, std::string_view laidOut) override {
    add(std::string(centred ? "centred " : "text ") + quoted(text), laidOut);
  }
  void rule(char character, std::string_view laidOut) override { add(std::string("rule ") + character, laidOut); }
  void blankLines(int count) override { add("blank " + std::to_string(count)); }
  void comment(std::string_view text, std::string_view laidOut) override { add("comment " + quoted(text), laidOut); }
  void dataRecord(const DataRecord& record) override {
    std::string call = "record " + quoted(record.keyword) + " " + quoted(record.name) + " " +
                       std::to_string(record.values.size()) + " values ." + std::to_string(record.decimals) + " by " +
                       std::to_string(record.perLine);
    for (const std::string& line : record.laidOut) call += " |" + line + "|";
    add(call);
  }
  void valueLine(std::string_view title, std::string_view label, const Cell& cell, std::string_view laidOut) override {
    add("value " + quoted(title) + " " + quoted(label) + " " + quoted(cell.text) + "." + std::to_string(cell.decimals),
        laidOut);
  }
  void marginLines(int count) override { add("margin " + std::to_string(count)); }
  void pageFoot(std::string_view stamp, std::string_view laidOut) override { add("foot " + quoted(stamp), laidOut); }
  void contents(const toc& entries, std::string_view pagePrefix) override {
    std::string call = "contents " + quoted(pagePrefix);
    for (int i = 0; i < entries.entryCount(); ++i) {
      call += " " + quoted(entries.entry(i).title) + "@" + std::to_string(entries.entry(i).page);
    }
    add(call);
  }
  int status() const override { return failing ? -1 : 0; }
  int finish() override {
    add("finish");
    return status();
  }
  void abandon() override { add("abandon"); }

 private:
  static std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }
  void add(std::string call, std::string_view laidOut = {}) {
    if (recordLaidOut && !laidOut.empty()) call += " |" + std::string(laidOut) + "|";
    calls_->push_back(std::move(call));
  }

  std::shared_ptr<std::vector<std::string>> calls_;
};

}  // namespace tabrix

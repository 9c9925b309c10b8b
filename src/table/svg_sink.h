// SvgSink: the charts of \xlgraph blocks as SVG files, chart-1.svg, chart-2.svg, ... in
// one directory, in the order they are made. It takes nothing else of the pages. The
// directory is made when it does not exist.
#pragma once

#include <string>
#include <string_view>

#include "table/pango_text.h"
#include "table/table_sink.h"

namespace tabrix {

class SvgSink final : public TableSink {
 public:
  SvgSink() = default;

  // Takes the directory (made when missing; the name may use '\' and a drive letter).
  // Returns 0, or -1 when it is not a directory and cannot be made (the caller reports
  // it).
  [[nodiscard]] int open(std::string_view directory);
  // The directory as named.
  const std::string& name() const { return name_; }
  // The path of chart number n (from 1).
  std::string chartPath(int n) const;
  // Charts written so far.
  int chartsWritten() const { return written_; }

  void beginPage(const PageSetup&) override {}
  void endPage() override {}
  void headerLine(const HeaderLine&) override {}
  void dateRow(std::span<const DateLabel>, std::string_view) override {}
  void dateUnderline(char, std::string_view) override {}
  void beginLine(std::string_view) override {}
  void valueRow(const ValueRow&) override {}
  void endLine() override {}
  void textLine(std::string_view, bool, std::string_view) override {}
  void rule(char, std::string_view) override {}
  void blankLines(int) override {}
  // Writes the chart as the next file; a file that cannot be opened or written is
  // reported, and later charts are dropped.
  void chart(const ChartData& chart) override;
  bool usesCells() const override { return false; }
  int status() const override { return failed_; }
  [[nodiscard]] int finish() override { return failed_; }
  void abandon() override {}

 private:
  std::string name_;
  std::string path_;  // the directory as a path
  TextSetter text_;
  int written_ = 0;
  int failed_ = 0;
};

}  // namespace tabrix

// ChartCollector: the rows of a \xlgraph block, collected as they are composed, for the
// charts drawn beside the workbook's (PDF pages and SVG files). Attached as a renderer
// while the block is open, it keeps the block's date labels as the categories and every
// value row as a series: the row that shows the line's title is named by it, the rows of
// the other alternatives "Alternative " with the line's number and a letter ('a' for the
// second alternative, 'b' for the third ...), as the workbook labels them.
#pragma once

#include <string>
#include <string_view>

#include "table/table_sink.h"

namespace tabrix {

// The key the collector is attached under while a block is open.
inline constexpr std::string_view ChartCollectorKey = "xlgraph";

class ChartCollector final : public TableSink {
 public:
  explicit ChartCollector(int chartType) { chart_.chartType = chartType; }

  // The chart of the rows collected so far, with its titles.
  ChartData collected(std::string_view title, std::string_view subtitle, std::string_view axisTitle) const;

  void beginPage(const PageSetup&) override {}
  void endPage() override {}
  void headerLine(const HeaderLine&) override {}
  // The block's date row gives the categories; a date row repeated on a later page
  // does not.
  void dateRow(std::span<const DateLabel> labels, std::string_view laidOut) override;
  void dateUnderline(char, std::string_view) override {}
  void beginLine(std::string_view) override { ++lines_; }
  // One series; missing values are NaN, blanked zeros 0.
  void valueRow(const ValueRow& row) override;
  void endLine() override {}
  void textLine(std::string_view, bool, std::string_view) override {}
  void rule(char, std::string_view) override {}
  void blankLines(int) override {}
  int status() const override { return 0; }
  [[nodiscard]] int finish() override { return 0; }
  void abandon() override {}

 private:
  ChartData chart_;
  bool haveDates_ = false;
  int lines_ = 0;  // table lines begun in the block
};

}  // namespace tabrix

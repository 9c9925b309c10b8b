// PdfSink: the table as a typeset PDF file, drawn with cairo and set with pango, its
// faces embedded as subsets. Each table page the composer hands it becomes one A4
// page: portrait when the table fits across at the body size, landscape otherwise (or
// when the table asks for landscape), the size of the whole page reduced, down to 6 pt,
// before the table would run off it. The composer's columns are kept: a column of w
// characters is w digits of the body face wide, numbers stand right-aligned on their
// column's right edge in tabular figures, and the head line carries the page text at
// the right margin. Each chart handed over within a page is drawn on a page of its own
// after that page; the table of contents, with \toc, on a page of its own at the end.
#pragma once

#include <cairo.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "table/pango_text.h"
#include "table/table_line.h"
#include "table/table_sink.h"

namespace tabrix {

// A4 in points, portrait.
inline constexpr double A4Width = 595.276;
inline constexpr double A4Height = 841.89;
// The margin on every side of a page.
inline constexpr double PageMargin = 36.0;
// The body size of a table page, and the least it is reduced to.
inline constexpr double BodySize = 9.0;
inline constexpr double LeastBodySize = 6.0;
// Baseline to baseline, in body sizes.
inline constexpr double LineSpacing = 1.2;

class PdfSink final : public TableSink {
 public:
  // fonts: the table's font roles, read as each page begins (nullptr: the defaults).
  explicit PdfSink(const std::array<RoleFont, FontRoleCount>* fonts = nullptr);
  ~PdfSink() override;
  PdfSink(const PdfSink&) = delete;
  PdfSink& operator=(const PdfSink&) = delete;

  // Opens the named file for writing (emptied); the name may use '\' and a drive letter.
  // Returns 0, or -1 when it cannot be opened (the caller reports it).
  [[nodiscard]] int open(std::string_view name);
  // The name the file was opened under.
  const std::string& name() const { return name_; }
  // Pages written so far (table, chart and contents pages).
  int pagesWritten() const { return pagesWritten_; }

  void beginPage(const PageSetup& setup) override;
  void endPage() override;
  void headerLine(const HeaderLine& line) override;
  void dateRow(std::span<const DateLabel> labels, std::string_view laidOut) override;
  void dateUnderline(char character, std::string_view laidOut) override;
  void beginLine(std::string_view title) override;
  void valueRow(const ValueRow& row) override;
  void endLine() override;
  void textLine(std::string_view text, bool centred, std::string_view laidOut) override;
  void rule(char character, std::string_view laidOut) override;
  void blankLines(int count) override;
  void pageFoot(std::string_view stamp, std::string_view laidOut) override;
  void chart(const ChartData& chart) override;
  void contents(const toc& entries, std::string_view pagePrefix) override;
  int status() const override;
  [[nodiscard]] int finish() override;
  void abandon() override;

 private:
  // One line of a page, kept until the page ends and its size is known.
  struct Item {
    enum Kind { Head, Centred, Indented, Dates, Underline, Row, Text, Rule, Blank, Foot } kind = Blank;
    FontRole role = BodyFont;
    std::string text;      // the text; Head: the running head
    std::string extra;     // Head: the page text
    int column = 0;        // Indented, Text, Row: the column the text starts at
    int count = 1;         // Blank: lines
    char character = 0;    // Underline, Rule: the rule's character
    bool emphasis = false; // Centred: a title (bold)
    struct Piece {
      int right = 0;        // the column after the piece's last
      int width = 0;        // the column's width
      std::string text;
    };
    std::vector<Piece> pieces;  // Dates, Underline: the labels; Row: the cells
  };

  static cairo_status_t writeOut(void* closure, const unsigned char* data, unsigned int length);
  bool ready() const { return cr_ != nullptr && failed_ == 0 && !abandoned_; }
  void add(Item item);
  void drawPage();
  void drawCharts();
  void noteFailure();
  TextStyle roleStyle(FontRole role) const { return styles_[static_cast<std::size_t>(role)]; }

  const std::array<RoleFont, FontRoleCount>* fonts_;
  std::string name_;
  std::FILE* file_ = nullptr;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  TextSetter text_;
  std::array<TextStyle, FontRoleCount> styles_;  // the roles' styles at the body size
  PageSetup setup_;
  bool pageOpen_ = false;
  std::vector<Item> items_;
  std::vector<ChartData> charts_;  // the charts of the page being composed
  std::vector<TextSetter::Placed> placed_;  // scratch: a row's cells
  int pagesWritten_ = 0;
  int failed_ = 0;          // -1 after a failed write (reported once)
  bool abandoned_ = false;
  bool finished_ = false;
};

}  // namespace tabrix

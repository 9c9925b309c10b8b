#include "table/html_sink.h"

#include <cstdio>
#include <string>

#include "table/markup_text.h"

namespace tabrix {

namespace {

constexpr std::string_view kStyle = R"(body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; color: #111; margin: 2em; }
section.page { margin: 0 0 3em; overflow-x: auto; }
p.head { display: flex; justify-content: space-between; gap: 2em; margin: 0 0 .6em; padding-bottom: .2em; border-bottom: 1px solid #bbb; color: #444; font-size: .9em; }
h1 { font-size: 1.25em; margin: .4em 0 .2em; }
h2 { font-size: 1em; font-weight: normal; margin: 0 0 .6em; }
h3 { font-size: .9em; margin: .6em 0 .2em; }
ul.alternatives { list-style: none; margin: 0 0 .4em; padding: 0 0 0 1em; font-size: .9em; }
p.sentence { font-size: .9em; margin: .2em 0 .8em; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums lining-nums; }
th, td { padding: .12em .55em; vertical-align: baseline; }
thead th, tbody.dates th { text-align: right; font-weight: 600; border-bottom: 1px solid #333; white-space: nowrap; }
thead.underlined th, tbody.dates.underlined th { border-bottom: 2px solid #333; }
thead.double th, tbody.dates.double th { border-bottom: 3px double #333; }
th[scope="row"] { text-align: left; font-weight: normal; white-space: pre; }
tbody.line td { text-align: right; white-space: nowrap; font-variant-numeric: tabular-nums lining-nums; }
td.neg { color: #b0102a; }
td.missing { color: #777; }
.spacer { width: 1em; padding: 0; }
td.text { text-align: left; white-space: pre-wrap; }
td.text.centred { text-align: center; }
tr.rule td { border-top: 1px solid #333; padding: 0; height: 0; }
tr.rule.double td { border-top: 3px double #333; }
tr.gap td { height: .6em; padding: 0; }
p.stamp { font-size: .8em; color: #555; margin: .8em 0 0; }
nav.contents ul { list-style: none; padding: 0; }
nav.contents li { display: flex; justify-content: space-between; max-width: 48em; }
@page { size: A4; margin: 1.5cm; }
@page wide { size: A4 landscape; }
section.landscape { page: wide; }
@media print {
  body { margin: 0; font-size: 9pt; }
  section.small table { font-size: 7pt; }
  section.smaller table { font-size: 6pt; }
  section.page { break-after: page; margin: 0; }
  section.page:last-of-type { break-after: auto; }
  nav.contents { break-before: page; }
}
)";

std::string pageId(int pageNumber) { return "page-" + std::to_string(pageNumber); }

// Printed (A4, 1.5 cm margins), the text is 9 points and a table has 510 points upright
// and 757 turned; a table wider than that is printed in 7 or 6 points. A sans-serif
// face such as DejaVu Sans at 9 points is about 15% wider than estimatedWidth's 10.
constexpr double kPrintScale = 1.15;
constexpr double kPrintWidth = 510.0;
constexpr double kPrintLandscapeWidth = 757.0;

// The classes of a page's section that choose its printed orientation and size.
std::string_view printClasses(const DocumentPage& page) {
  double width = page.width * kPrintScale;
  if (!page.setup.landscape && width <= kPrintWidth) return "";
  if (width <= kPrintLandscapeWidth) return " landscape";
  if (width * 7.0 / 9.0 <= kPrintLandscapeWidth) return " landscape small";
  return " landscape smaller";
}

}  // namespace

void HtmlSink::writeStart(const DocumentPage* first) {
  std::string& o = out();
  o += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       "<meta name=\"generator\" content=\"Tabrix\">\n<title>";
  std::string title;
  if (first != nullptr) title = first->hasHead && !first->head.empty() ? first->head : first->title;
  appendHtml(o, title.empty() ? std::string_view("Tables") : std::string_view(title));
  o += "</title>\n<style>\n";
  o += kStyle;
  o += "</style>\n</head>\n<body>\n";
}

void HtmlSink::writeSpanningRow(std::string_view rowClass, std::string_view cellClass,
                                std::string_view text, int columns) {
  std::string& o = out();
  o += "<tbody class=\"";
  o += rowClass.substr(0, rowClass.find(' '));
  o += "\"><tr class=\"";
  o += rowClass;
  o += "\"><td colspan=\"";
  o += std::to_string(columns + 1);
  o += '"';
  if (!cellClass.empty()) {
    o += " class=\"";
    o += cellClass;
    o += '"';
  }
  o += '>';
  appendHtml(o, text);
  o += "</td></tr></tbody>\n";
}

void HtmlSink::writeDateRow(const PageItem& item, int columns, bool heading) {
  std::string& o = out();
  std::string_view underline = item.character == 0   ? ""
                               : item.character == '=' ? " double"
                                                       : " underlined";
  o += heading ? "<thead" : "<tbody";
  o += " class=\"dates";
  o += underline;
  o += "\"><tr><th scope=\"col\" class=\"title\"></th>";
  int shown = 0;
  for (const DocumentLabel& label : item.labels) {
    ++shown;
    if (label.spacer) {
      o += "<th class=\"spacer\"></th>";
      continue;
    }
    o += label.growth ? "<th scope=\"col\" class=\"growth\">" : "<th scope=\"col\">";
    appendHtml(o, label.label);
    o += "</th>";
  }
  for (; shown < columns; ++shown) o += "<th></th>";
  o += heading ? "</tr></thead>\n" : "</tr></tbody>\n";
}

void HtmlSink::writeLine(const PageItem& item, int columns, bool signedMode) {
  std::string& o = out();
  o += "<tbody class=\"line\">\n";
  for (const DocumentRow& row : item.rows) {
    o += "<tr class=\"alt-";
    o += std::to_string(row.alternative);
    o += "\"><th scope=\"row\">";
    if (row.carriesTitle) appendHtml(o, row.title);
    o += "</th>";
    int shown = 0;
    for (const DocumentCell& cell : row.cells) {
      ++shown;
      switch (cell.kind) {
        case CellKind::Spacer: o += "<td class=\"spacer\"></td>"; continue;
        case CellKind::Blank: o += "<td class=\"blank\"></td>"; continue;
        case CellKind::Missing: o += "<td class=\"missing\">"; break;
        case CellKind::Number: {
          // A plain number carries no class: most cells are plain, and the file stays small.
          bool negative = signedMode && cell.negative;
          o += cell.growth ? (negative ? "<td class=\"growth neg\">" : "<td class=\"growth\">")
                           : (negative ? "<td class=\"neg\">" : "<td>");
          break;
        }
      }
      if (cell.kind == CellKind::Number) {
        o += cell.text;  // figures need no escaping
      } else {
        appendHtml(o, cell.text);
      }
      o += "</td>";
    }
    for (; shown < columns; ++shown) o += "<td></td>";
    o += "</tr>\n";
  }
  o += "</tbody>\n";
}

void HtmlSink::writePage(const DocumentPage& page) {
  std::string& o = out();
  const PageSetup& setup = page.setup;
  o += "<section class=\"page";
  o += printClasses(page);
  o += "\" id=\"";
  o += pageId(setup.pageNumber);
  o += "\">\n<header>\n";
  if (page.hasHead) {
    o += "<p class=\"head\"><span class=\"running-head\">";
    appendHtml(o, page.head);
    o += "</span><span class=\"page-number\">";
    appendHtml(o, page.pageText);
    o += "</span></p>\n";
  }
  if (page.hasTitle) {
    o += "<h1>";
    appendHtml(o, page.title);
    o += "</h1>\n";
  }
  if (page.hasSubtitle) {
    o += "<h2>";
    appendHtml(o, page.subtitle);
    o += "</h2>\n";
  }
  if (page.hasListHeading) {
    o += "<h3>";
    appendHtml(o, page.listHeading);
    o += "</h3>\n";
  }
  if (!page.alternatives.empty()) {
    o += "<ul class=\"alternatives\">\n";
    for (const std::string& alternative : page.alternatives) {
      o += "<li>";
      appendHtml(o, alternative);
      o += "</li>\n";
    }
    o += "</ul>\n";
  }
  if (page.hasSentence) {
    o += "<p class=\"sentence\">";
    appendHtml(o, page.sentence);
    o += "</p>\n";
  }
  o += "</header>\n";

  if (!page.items.empty()) {
    bool signedMode = setup.showMode == 'd' || setup.showMode == 'p';
    o += "<table class=\"mode-";
    o += setup.showMode == 0 ? 'a' : setup.showMode;
    o += "\">\n";
    for (std::size_t i = 0; i < page.items.size(); ++i) {
      const PageItem& item = page.items[i];
      switch (item.kind) {
        case PageItemKind::Dates:
          writeDateRow(item, page.columns, static_cast<int>(i) == page.headingItem);
          break;
        case PageItemKind::Line:
          writeLine(item, page.columns, signedMode);
          break;
        case PageItemKind::Text:
          writeSpanningRow("text", item.centred ? "text centred" : "text", item.text, page.columns);
          break;
        case PageItemKind::Rule:
          writeSpanningRow(item.character == '=' ? "rule double" : "rule", "", "", page.columns);
          break;
        case PageItemKind::Gap:
          writeSpanningRow("gap", "", "", page.columns);
          break;
      }
    }
    o += "</table>\n";
  }
  if (!page.stamp.empty()) {
    o += "<p class=\"stamp\">";
    appendHtml(o, page.stamp);
    o += "</p>\n";
  }
  o += "</section>\n";
}

void HtmlSink::writeContents(const toc& entries, std::string_view pagePrefix) {
  std::string& o = out();
  o += "<nav class=\"contents\" id=\"contents\">\n";
  if (entries.hasTitle()) {
    o += "<h1>";
    appendHtml(o, utf8Text(entries.title()));
    o += "</h1>\n";
  }
  o += "<h2>TABLE OF CONTENTS</h2>\n<ul>\n";
  for (int i = 0; i < entries.entryCount(); ++i) {
    const TocEntry& entry = entries.entry(i);
    char number[16];
    std::snprintf(number, sizeof number, "TABLE %2d. ", i + 1);
    bool linked = pageShown(entry.page);
    o += "<li><span class=\"entry\">";
    if (linked) {
      o += "<a href=\"#";
      o += pageId(entry.page);
      o += "\">";
    }
    o += number;
    appendHtml(o, utf8Text(entry.title));
    if (linked) o += "</a>";
    o += "</span><span class=\"page-number\">";
    appendHtml(o, pagePrefix);
    o += ' ';
    o += std::to_string(entry.page);
    o += "</span></li>\n";
  }
  o += "</ul>\n</nav>\n";
}

void HtmlSink::writeEnd() { out() += "</body>\n</html>\n"; }

}  // namespace tabrix

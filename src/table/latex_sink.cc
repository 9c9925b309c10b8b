#include "table/latex_sink.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "table/markup_text.h"

namespace tabrix {

namespace {

// The text block of the document (A4, 2 cm margins) in points, upright and turned.
constexpr double kTextWidth = 482.0;
constexpr double kLandscapeWidth = 700.0;
// The sizes a wide table is tried in: the size command, its scale against 10 points,
// and the \tabcolsep it takes.
struct TableSize {
  const char* command;
  double scale;
  const char* tabcolsep;
};
constexpr TableSize kSizes[] = {
    {"", 1.0, ""},
    {"\\footnotesize", 0.8, "4pt"},
    {"\\scriptsize", 0.7, "3pt"},
};

std::string label(int pageNumber) { return "tabrix-page-" + std::to_string(pageNumber); }

// A title cell: leading blanks (an indent in the text table) become horizontal space.
void appendTitleCell(std::string& o, std::string_view title) {
  std::size_t indent = 0;
  while (indent < title.size() && title[indent] == ' ') ++indent;
  if (indent > 0) {
    char space[32];
    std::snprintf(space, sizeof space, "\\hspace*{%.1fem}", 0.5 * static_cast<double>(indent));
    o += space;
  }
  appendLatex(o, title.substr(indent));
}

}  // namespace

void LatexSink::writeStart(const DocumentPage* /*first*/) {
  out() +=
      "% Tables written by Tabrix. Each table stands between its \"% table N begin\" and\n"
      "% \"% table N end\" lines; it needs the booktabs and longtable packages.\n"
      "\\documentclass[10pt]{article}\n"
      "\\usepackage[utf8]{inputenc}\n"
      "\\usepackage[a4paper,margin=2cm]{geometry}\n"
      "\\usepackage{booktabs}\n"
      "\\usepackage{longtable}\n"
      "\\usepackage{pdflscape}\n"
      "\\setlength{\\parindent}{0pt}\n"
      // The math bullet: the text bullet would need the TS1 fonts.
      "\\renewcommand{\\labelitemi}{\\ensuremath{\\bullet}}\n"
      "\\setlength{\\LTleft}{0pt}\n"
      "\\setlength{\\LTright}{0pt plus 1fill}\n"
      "\\begin{document}\n";
}

void LatexSink::writeTable(const DocumentPage& page) {
  std::string& o = out();
  const int columns = page.columns;
  const std::string span = "\\multicolumn{" + std::to_string(columns + 1) + "}";
  ++tables_;
  o += "% table ";
  o += std::to_string(tables_);
  o += " begin\n";
  o += "\\begin{longtable}{@{}l";
  for (int c = 0; c < columns; ++c) o += 'r';
  o += "@{}}\n\\toprule\n";
  std::size_t first = 0;
  if (page.headingItem >= 0) {
    for (const DocumentLabel& date : page.items[static_cast<std::size_t>(page.headingItem)].labels) {
      o += " & ";
      appendLatex(o, date.label);
    }
    o += " \\\\\n\\midrule\n";
    first = static_cast<std::size_t>(page.headingItem) + 1;
  }
  o += "\\endhead\n\\bottomrule\n\\endlastfoot\n";
  for (std::size_t i = first; i < page.items.size(); ++i) {
    const PageItem& item = page.items[i];
    switch (item.kind) {
      case PageItemKind::Dates:
        if (i > first) o += "\\addlinespace\n";
        for (const DocumentLabel& date : item.labels) {
          o += " & ";
          appendLatex(o, date.label);
        }
        o += " \\\\\n\\midrule\n";
        break;
      case PageItemKind::Line:
        for (const DocumentRow& row : item.rows) {
          if (row.carriesTitle) appendTitleCell(o, row.title);
          for (const DocumentCell& cell : row.cells) {
            o += " & ";
            if (cell.kind == CellKind::Number) {
              o += cell.text;  // figures need no escaping
            } else {
              appendLatex(o, cell.text);
            }
          }
          o += " \\\\\n";
        }
        break;
      case PageItemKind::Text:
        if (item.text.empty()) {
          o += "\\addlinespace\n";
          break;
        }
        o += span;
        o += item.centred ? "{c}{" : "{@{}l}{";
        appendLatex(o, item.text);
        o += "} \\\\\n";
        break;
      case PageItemKind::Rule:
        o += "\\midrule\n";
        break;
      case PageItemKind::Gap:
        o += "\\addlinespace\n";
        break;
    }
  }
  o += "\\end{longtable}\n% table ";
  o += std::to_string(tables_);
  o += " end\n";
}

void LatexSink::writePage(const DocumentPage& page) {
  std::string& o = out();
  const PageSetup& setup = page.setup;
  if (parts_++ > 0) o += "\\clearpage\n";
  o += "% page ";
  o += std::to_string(setup.pageNumber);
  o += '\n';

  // Upright when the table fits the text block; otherwise turned, and smaller as needed.
  double width = page.width;
  bool landscape = setup.landscape || width > kTextWidth;
  const TableSize* size = &kSizes[0];
  if (landscape) {
    for (const TableSize& candidate : kSizes) {
      size = &candidate;
      if (width * candidate.scale <= kLandscapeWidth) break;
    }
  }
  if (landscape) o += "\\begin{landscape}\n";

  if (page.hasHead) {
    o += "{\\small ";
    appendLatex(o, page.head);
    o += "\\hfill ";
    appendLatex(o, page.pageText);
    o += "}\\par\n";
  }
  o += "\\label{";
  o += label(setup.pageNumber);
  o += "}\n";
  if (page.hasTitle) {
    o += "\\section*{";
    appendLatex(o, page.title);
    o += "}\n";
  }
  if (page.hasSubtitle) {
    o += "\\subsection*{";
    appendLatex(o, page.subtitle);
    o += "}\n";
  }
  if (page.hasListHeading) {
    o += "\\medskip\\textbf{";
    appendLatex(o, page.listHeading);
    o += "}\\par\n";
  }
  if (!page.alternatives.empty()) {
    o += "\\begin{itemize}\n";
    for (const std::string& alternative : page.alternatives) {
      o += "\\item ";
      appendLatex(o, alternative);
      o += '\n';
    }
    o += "\\end{itemize}\n";
  }
  if (page.hasSentence) {
    appendLatex(o, page.sentence);
    o += "\\par\n";
  }

  bool hasTable = std::any_of(page.items.begin(), page.items.end(),
                              [](const PageItem& item) { return item.kind != PageItemKind::Gap; });
  if (hasTable) {
    if (size->command[0] != '\0') {
      o += "\\begingroup";
      o += size->command;
      o += "\\setlength{\\tabcolsep}{";
      o += size->tabcolsep;
      o += "}\n";
    }
    writeTable(page);
    if (size->command[0] != '\0') o += "\\endgroup\n";
  }
  if (!page.stamp.empty()) {
    o += "{\\small ";
    appendLatex(o, page.stamp);
    o += "}\\par\n";
  }
  if (landscape) o += "\\end{landscape}\n";
}

void LatexSink::writeContents(const toc& entries, std::string_view pagePrefix) {
  std::string& o = out();
  if (parts_++ > 0) o += "\\clearpage\n";
  o += "% contents\n";
  if (entries.hasTitle()) {
    o += "\\section*{";
    appendLatex(o, utf8Text(entries.title()));
    o += "}\n";
  }
  o += "\\subsection*{TABLE OF CONTENTS}\n";
  o += "\\begin{longtable}{@{}p{0.8\\textwidth}r@{}}\n";
  for (int i = 0; i < entries.entryCount(); ++i) {
    const TocEntry& entry = entries.entry(i);
    char number[16];
    std::snprintf(number, sizeof number, "TABLE %2d. ", i + 1);
    o += number;
    appendLatex(o, utf8Text(entry.title));
    o += " & ";
    if (pageShown(entry.page)) {
      o += "\\pageref{";
      o += label(entry.page);
      o += '}';
    } else {
      appendLatex(o, pagePrefix);
      o += ' ';
      o += std::to_string(entry.page);
    }
    o += " \\\\\n";
  }
  o += "\\end{longtable}\n";
}

void LatexSink::writeEnd() { out() += "\\end{document}\n"; }

}  // namespace tabrix

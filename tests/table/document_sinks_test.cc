// The HTML, Markdown and LaTeX renderers, fed a hand-made sequence of sink calls: two
// pages of a table in deviations (head, title, subtitle, alternatives, sentence, a date
// row with a spacer and a growth column, rows with negative, missing and blank cells,
// a text line, a rule, empty lines, a second date row) and the contents.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "table/html_sink.h"
#include "table/latex_sink.h"
#include "table/markdown_sink.h"
#include "table/markup_text.h"
#include "test_files.h"

namespace tabrix {
namespace {

using testing::readFile;
using testing::TempDir;

// A title with every character a format must escape.
constexpr std::string_view kTitle = "TABLE  1.  Growth & 50% of $#_{}~^\\ | <levels>";

Cell number(std::string_view text, float value, int column, bool growth = false) {
  Cell cell;
  cell.kind = CellKind::Number;
  cell.value = value;
  cell.decimals = 1;
  cell.width = 7;
  cell.growth = growth;
  cell.column = column;
  cell.text = text;
  return cell;
}

Cell special(CellKind kind, std::string_view text, int column) {
  Cell cell;
  cell.kind = kind;
  cell.width = kind == CellKind::Spacer ? 2 : 7;
  cell.column = column;
  cell.text = text;
  return cell;
}

void header(TableSink& sink, int page) {
  std::string pageText = "Page  " + std::to_string(page);
  sink.headerLine({HeaderKind::Head, "Model & runs", "Model & runs    " + pageText, pageText, 0});
  sink.headerLine({HeaderKind::Title, kTitle, kTitle, "", 0});
  sink.headerLine({HeaderKind::Subtitle, "(differences | base)", "", "", 0});
  sink.headerLine({HeaderKind::ListHeading, "Titles of Alternate Runs", "", "", 0});
  sink.headerLine({HeaderKind::Alternative, "Line 1: Base run", "", "", 1});
  sink.headerLine({HeaderKind::Alternative, "Line 2: High - deviations", "", "", 2});
  sink.headerLine(
      {HeaderKind::Sentence, "Alternatives are shown as deviations from the base.", "", "", 0});
}

void dates(TableSink& sink, bool growth) {
  std::vector<DateLabel> labels = {{"2018", 7, false, false}, {"2019", 7, false, false},
                                   {"", 2, true, false}};
  if (growth) labels.push_back({"18-19", 7, false, true});
  sink.dateRow(labels, "");
  sink.dateUnderline('-', "");
}

// The calls of the whole run: two pages, then the contents.
void play(TableSink& sink) {
  PageSetup setup;
  setup.pageNumber = 1;
  setup.showMode = 'd';
  setup.altCount = 2;
  setup.tableNumber = 1;
  sink.beginPage(setup);
  sink.blankLines(3);
  header(sink, 1);
  dates(sink, true);

  sink.beginLine("Output");
  std::vector<Cell> first = {number("1,013.6", 1013.6f, 0), number("-2.5", -2.5f, 1),
                             special(CellKind::Spacer, "", 2), number("1.7", 1.7f, 3, true)};
  std::vector<Cell> second = {special(CellKind::Missing, "n/a", 0),
                              special(CellKind::Blank, "", 1), special(CellKind::Spacer, "", 2),
                              number("-0.3", -0.3f, 3, true)};
  sink.valueRow({0, true, "Output", first, "Output  1,013.6   -2.5     1.7"});
  sink.valueRow({1, false, "Output", second, ""});
  sink.endLine();
  sink.textLine("Memo: a & b", false, "Memo: a & b");
  sink.rule('-', "-----");
  sink.blankLines(1);
  sink.beginLine("  Prices *index*");
  std::vector<Cell> third = {number("101.5", 101.5f, 0), number("-0.0", -0.01f, 1),
                             special(CellKind::Spacer, "", 2), number("2.0", 2.0f, 3, true)};
  sink.valueRow({0, true, "  Prices *index*", third, ""});
  sink.endLine();
  sink.textLine("", false, "");
  dates(sink, false);
  sink.beginLine("Rates");
  std::vector<Cell> fourth = {number("5.5", 5.5f, 0), number("6.4", 6.4f, 1),
                              special(CellKind::Spacer, "", 2)};
  sink.valueRow({0, true, "Rates", fourth, ""});
  sink.endLine();
  sink.blankLines(9);
  sink.endPage();

  setup.pageNumber = 2;
  sink.beginPage(setup);
  header(sink, 2);
  dates(sink, true);
  sink.textLine("Centred | note", true, "");
  sink.beginLine("Exports");
  std::vector<Cell> fifth = {number("262.3", 262.3f, 0), number("272.9", 272.9f, 1),
                             special(CellKind::Spacer, "", 2), number("3.4", 3.4f, 3, true)};
  sink.valueRow({0, true, "Exports", fifth, ""});
  sink.endLine();
  sink.pageFoot("Fri Dec 11 15:20:00 2026\n", "   Fri Dec 11 15:20:00 2026");
  sink.endPage();

  toc entries;
  entries.setContentsTitle("Model & runs");
  entries.addEntry("Growth & levels", 1);
  entries.addEntry("Held elsewhere", 7);
  sink.contents(entries, "Page ");
}

// Writes the run to a file of the directory with the sink; returns the file's text.
template <typename Sink>
std::string render(const TempDir& dir, std::string_view name) {
  Sink sink;
  std::string path = dir.file(name);
  EXPECT_EQ(sink.open(path), 0);
  play(sink);
  EXPECT_EQ(sink.status(), 0);
  EXPECT_EQ(sink.finish(), 0);
  return readFile(path);
}

int countOf(const std::string& text, std::string_view what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(MarkupTextTest, EscapesByFormat) {
  struct Case {
    std::string_view text;
    std::string html, markdown, latex;
  };
  const Case cases[] = {
      {"a & b", "a &amp; b", "a \\& b", "a \\& b"},
      {"<x> \"q\" 'y'", "&lt;x&gt; &quot;q&quot; &#39;y&#39;", "\\<x\\> \"q\" 'y'",
       "\\textless{}x\\textgreater{} \"q\" 'y'"},
      {"50% $3 #1 _a {b}", "50% $3 #1 _a {b}", "50% \\$3 #1 \\_a {b}",
       "50\\% \\ensuremath{\\$}3 \\#1 \\_a \\{b\\}"},
      {"~^\\|", "~^\\|", "\\~^\\\\\\|",
       "\\~{}\\^{}\\textbackslash{}\\textbar{}"},
      {"*em* `c` [l]", "*em* `c` [l]", "\\*em\\* \\`c\\` \\[l\\]", "*em* `c` [l]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(htmlEscaped(c.text), c.html);
    EXPECT_EQ(markdownEscaped(c.text), c.markdown);
    EXPECT_EQ(latexEscaped(c.text), c.latex);
  }
  // At the start of a block, marks that would begin a heading, list or quote are text.
  EXPECT_EQ(markdownEscaped("# x", true), "\\# x");
  EXPECT_EQ(markdownEscaped("- x", true), "\\- x");
  EXPECT_EQ(markdownEscaped("12. x", true), "12\\. x");
  EXPECT_EQ(markdownEscaped("12 x", true), "12 x");
  EXPECT_EQ(markdownEscaped("# x", false), "# x");
}

TEST(MarkupTextTest, TextBecomesValidUtf8) {
  EXPECT_EQ(utf8Text("plain"), "plain");
  EXPECT_EQ(utf8Text("caf\xc3\xa9"), "caf\xc3\xa9");            // UTF-8 stays
  EXPECT_EQ(utf8Text("caf\xe9"), "caf\xc3\xa9");                // Windows-1252 e acute
  EXPECT_EQ(utf8Text("\x80 5"), "\xe2\x82\xac 5");              // the euro sign
  EXPECT_EQ(utf8Text("a\x81z"), "a\xef\xbf\xbdz");              // unassigned
  EXPECT_EQ(utf8Text("\xc3"), "\xc3\x83");                      // a cut sequence
  EXPECT_EQ(utf8Text("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xe2\x82\xac");  // a surrogate
  EXPECT_EQ(utf8Text("a\x1b[1mb\tc"), "a [1mb\tc");            // control characters
}

TEST(HtmlSinkTest, WritesOneSelfContainedPageWithASectionPerTablePage) {
  TempDir dir;
  std::string html = render<HtmlSink>(dir, "t.html");
  EXPECT_EQ(html.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(html.find("<title>Model &amp; runs</title>"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("http"), std::string::npos);
  EXPECT_EQ(countOf(html, "<section class=\"page\""), 2);
  EXPECT_EQ(countOf(html, "<table class=\"mode-d\">"), 2);
  EXPECT_NE(html.find("<section class=\"page\" id=\"page-2\">"), std::string::npos);
  EXPECT_TRUE(html.ends_with("</body>\n</html>\n"));

  const std::string_view expected[] = {
      "<p class=\"head\"><span class=\"running-head\">Model &amp; runs</span>"
      "<span class=\"page-number\">Page  1</span></p>",
      "<h1>TABLE  1.  Growth &amp; 50% of $#_{}~^\\ | &lt;levels&gt;</h1>",
      "<h2>(differences | base)</h2>",
      "<h3>Titles of Alternate Runs</h3>",
      "<ul class=\"alternatives\">\n<li>Line 1: Base run</li>\n"
      "<li>Line 2: High - deviations</li>\n</ul>",
      "<p class=\"sentence\">Alternatives are shown as deviations from the base.</p>",
      // The date labels: the heading row, its underline a border.
      "<thead class=\"dates underlined\"><tr><th scope=\"col\" class=\"title\"></th>"
      "<th scope=\"col\">2018</th><th scope=\"col\">2019</th><th class=\"spacer\"></th>"
      "<th scope=\"col\" class=\"growth\">18-19</th></tr></thead>",
      // A table line: one row group; negative numbers marked; missing and blank cells.
      "<tbody class=\"line\">\n<tr class=\"alt-0\"><th scope=\"row\">Output</th>"
      "<td>1,013.6</td><td class=\"neg\">-2.5</td><td class=\"spacer\"></td>"
      "<td class=\"growth\">1.7</td></tr>\n"
      "<tr class=\"alt-1\"><th scope=\"row\"></th><td class=\"missing\">n/a</td>"
      "<td class=\"blank\"></td><td class=\"spacer\"></td>"
      "<td class=\"growth neg\">-0.3</td></tr>\n</tbody>",
      "<tbody class=\"text\"><tr class=\"text\"><td colspan=\"5\" class=\"text\">"
      "Memo: a &amp; b</td></tr></tbody>",
      "<tbody class=\"rule\"><tr class=\"rule\"><td colspan=\"5\"></td></tr></tbody>",
      "<tbody class=\"gap\"><tr class=\"gap\"><td colspan=\"5\"></td></tr></tbody>",
      "<th scope=\"row\">  Prices *index*</th><td>101.5</td>"
      "<td class=\"neg\">-0.0</td>",
      // A second date row inside the table, a shorter one: padded to the table's width.
      "<tbody class=\"dates underlined\"><tr><th scope=\"col\" class=\"title\"></th>"
      "<th scope=\"col\">2018</th><th scope=\"col\">2019</th><th class=\"spacer\"></th>"
      "<th></th></tr></tbody>",
      "<td class=\"spacer\"></td><td></td></tr>",
      "<td colspan=\"5\" class=\"text centred\">Centred | note</td>",
      "</table>\n<p class=\"stamp\">Fri Dec 11 15:20:00 2026</p>\n</section>",
      // The contents: linked where the page is in the file.
      "<nav class=\"contents\" id=\"contents\">\n<h1>Model &amp; runs</h1>\n"
      "<h2>TABLE OF CONTENTS</h2>",
      "<li><span class=\"entry\"><a href=\"#page-1\">TABLE  1. Growth &amp; levels</a></span>"
      "<span class=\"page-number\">Page  1</span></li>",
      "<li><span class=\"entry\">TABLE  2. Held elsewhere</span>"
      "<span class=\"page-number\">Page  7</span></li>",
  };
  std::size_t at = 0;
  for (std::string_view piece : expected) {
    std::size_t found = html.find(piece, at);
    ASSERT_NE(found, std::string::npos) << "missing in order: " << piece << "\n" << html;
    at = found + piece.size();
  }
  // Empty lines at the top and bottom of a page are not gaps of the table.
  EXPECT_EQ(countOf(html, "<tbody class=\"gap\">"), 1);
  // Print: one table page per printed page.
  EXPECT_NE(html.find("section.page { break-after: page;"), std::string::npos);

  if (std::system("python3 -c '' >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "python3 is not installed: the HTML is not parsed";
  }
  std::string command = "python3 " TABRIX_SOURCE_DIR "/tests/publishing/check_html.py " +
                        dir.file("t.html");
  EXPECT_EQ(std::system(command.c_str()), 0) << html;
}

TEST(MarkdownSinkTest, WritesAPipeTablePerPage) {
  TempDir dir;
  std::string md = render<MarkdownSink>(dir, "t.md");
  const std::string_view expected[] = {
      "<a id=\"page-1\"></a>",
      "#### Model \\& runs \u2014 Page  1",
      "## TABLE  1.  Growth \\& 50% of \\$#\\_{}\\~^\\\\ \\| \\<levels\\>",
      "### (differences \\| base)",
      "**Titles of Alternate Runs**",
      "- Line 1: Base run\n- Line 2: High - deviations\n",
      "Alternatives are shown as deviations from the base.",
      "|  | 2018 | 2019 |  | 18-19 |\n|:---|---:|---:|---:|---:|\n",
      "| Output | 1,013.6 | -2.5 |  | 1.7 |\n",
      "|  | n/a |  |  | -0.3 |\n",
      "| Memo: a \\& b |  |  |  |  |\n",
      "| \u00a0\u00a0Prices \\*index\\* | 101.5 | -0.0 |  | 2.0 |\n",
      "|  | **2018** | **2019** |  |  |\n",
      "| Rates | 5.5 | 6.4 |  |  |\n",
      "<a id=\"page-2\"></a>",
      "| Centred \\| note |  |  |  |  |\n",
      "| Exports | 262.3 | 272.9 |  | 3.4 |\n\n*Fri Dec 11 15:20:00 2026*\n",
      "# Model \\& runs\n\n## TABLE OF CONTENTS\n\n",
      "- [TABLE  1. Growth \\& levels](#page-1) \u2014 Page  1\n",
      "- TABLE  2. Held elsewhere \u2014 Page  7\n",
  };
  std::size_t at = 0;
  for (std::string_view piece : expected) {
    std::size_t found = md.find(piece, at);
    ASSERT_NE(found, std::string::npos) << "missing in order: " << piece << "\n" << md;
    at = found + piece.size();
  }
  // Every row of a table has the same cells: one more '|' than cells, escaped ones aside.
  for (const std::string& line : linesOf(md)) {
    if (!line.starts_with("|")) continue;
    std::string bare = line;
    for (std::size_t bar = bare.find("\\|"); bar != std::string::npos; bar = bare.find("\\|", bar)) bare.erase(bar, 2);
    EXPECT_EQ(countOf(bare, "|"), 6) << line;
  }
}

TEST(LatexSinkTest, WritesAStandaloneDocumentWithMarkedLongtables) {
  TempDir dir;
  std::string tex = render<LatexSink>(dir, "t.tex");
  const std::string_view expected[] = {
      "\\documentclass[10pt]{article}",
      "\\usepackage{booktabs}",
      "\\usepackage{longtable}",
      "\\usepackage{pdflscape}",
      "\\begin{document}",
      "{\\small Model \\& runs\\hfill Page  1}\\par",
      "\\section*{TABLE  1.  Growth \\& 50\\% of \\ensuremath{\\$}\\#\\_\\{\\}\\~{}"
      "\\^{}\\textbackslash{} \\textbar{} \\textless{}levels\\textgreater{}}",
      "\\subsection*{(differences \\textbar{} base)}",
      "\\begin{itemize}\n\\item Line 1: Base run\n\\item Line 2: High - deviations\n"
      "\\end{itemize}",
      "% table 1 begin\n\\begin{longtable}{@{}lrrrr@{}}\n\\toprule\n"
      " & 2018 & 2019 &  & 18-19 \\\\\n\\midrule\n\\endhead\n\\bottomrule\n\\endlastfoot\n",
      "Output & 1,013.6 & -2.5 &  & 1.7 \\\\\n & n/a &  &  & -0.3 \\\\\n",
      "\\multicolumn{5}{@{}l}{Memo: a \\& b} \\\\\n\\midrule\n\\addlinespace\n",
      "\\hspace*{1.0em}Prices *index* & 101.5 & -0.0 &  & 2.0 \\\\\n",
      "\\addlinespace\n",
      " & 2018 & 2019 &  \\\\\n\\midrule\n",
      "Rates & 5.5 & 6.4 &  \\\\\n",
      "\\end{longtable}\n% table 1 end\n",
      "\\clearpage\n% page 2\n",
      "% table 2 begin\n",
      "\\multicolumn{5}{c}{Centred \\textbar{} note} \\\\\n",
      "% table 2 end\n{\\small Fri Dec 11 15:20:00 2026}\\par\n",
      "\\section*{Model \\& runs}\n\\subsection*{TABLE OF CONTENTS}",
      "TABLE  1. Growth \\& levels & \\pageref{tabrix-page-1} \\\\\n",
      "TABLE  2. Held elsewhere & Page  7 \\\\\n",
      "\\end{document}\n",
  };
  std::size_t at = 0;
  for (std::string_view piece : expected) {
    std::size_t found = tex.find(piece, at);
    ASSERT_NE(found, std::string::npos) << "missing in order: " << piece << "\n" << tex;
    at = found + piece.size();
  }
  EXPECT_EQ(countOf(tex, "\\begin{longtable}{@{}lrrrr@{}}"), 2);
  EXPECT_EQ(tex.find("\\begin{landscape}"), std::string::npos);  // narrow tables stay upright
}

TEST(LatexSinkTest, TurnsAndShrinksATableWiderThanTheTextBlock) {
  struct Case {
    int columns;
    bool landscape;
    const char* size;
  };
  const Case cases[] = {{8, false, nullptr},
                        {12, true, nullptr},
                        {16, true, "\\footnotesize"},
                        {24, true, "\\scriptsize"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.columns);
    TempDir dir;
    LatexSink sink;
    ASSERT_EQ(sink.open(dir.file("w.tex")), 0);
    PageSetup setup;
    setup.pageNumber = 1;
    sink.beginPage(setup);
    std::vector<std::string> texts(static_cast<std::size_t>(c.columns), "1,234.5");
    std::vector<Cell> cells;
    for (int k = 0; k < c.columns; ++k) {
      cells.push_back(number(texts[static_cast<std::size_t>(k)], 1234.5f, k));
    }
    sink.valueRow({0, true, "A title of some thirty letters", cells, ""});
    sink.endPage();
    ASSERT_EQ(sink.finish(), 0);
    std::string tex = readFile(dir.file("w.tex"));
    EXPECT_EQ(tex.find("\\begin{landscape}") != std::string::npos, c.landscape);
    EXPECT_EQ(countOf(tex, "\\begin{landscape}"), countOf(tex, "\\end{landscape}"));
    if (c.size != nullptr) {
      EXPECT_NE(tex.find(c.size), std::string::npos);
    } else {
      EXPECT_EQ(tex.find("\\begingroup"), std::string::npos);
    }
  }
}

// Every renderer, by a factory, for the behaviour they share.
struct Format {
  const char* name;
  std::unique_ptr<DocumentSink> (*make)();
  const char* end;  // the last text of a finished file
};
const Format kFormats[] = {
    {"t.html", [] { return std::unique_ptr<DocumentSink>(new HtmlSink); }, "</html>\n"},
    {"t.md", [] { return std::unique_ptr<DocumentSink>(new MarkdownSink); }, "Page  7\n\n"},
    {"t.tex", [] { return std::unique_ptr<DocumentSink>(new LatexSink); }, "\\end{document}\n"},
};

TEST(DocumentSinkTest, AFileThatCannotBeOpenedIsRefused) {
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    auto sink = format.make();
    EXPECT_EQ(sink->open(std::string("/no/such/folder/") + format.name), -1);
    // Calls to a sink without a file go nowhere, and finishing it fails nothing.
    play(*sink);
    EXPECT_EQ(sink->finish(), 0);
  }
}

TEST(DocumentSinkTest, AFailedWriteIsReportedOnceNamingTheFile) {
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    ConsoleCapture capture;
    auto sink = format.make();
    ASSERT_EQ(sink->open("/dev/full"), 0);
    for (int run = 0; run < 2000; ++run) play(*sink);  // more than the buffer holds
    EXPECT_EQ(sink->status(), -1);
    play(*sink);
    EXPECT_EQ(sink->finish(), -1);
    EXPECT_EQ(sink->finish(), -1);
    EXPECT_EQ(capture.text(),
              "\nError:  Could not write /dev/full; the table in it is incomplete.\r\n");
  }
}

TEST(DocumentSinkTest, AFailureAtTheLastWriteIsReportedToo) {
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    ConsoleCapture capture;
    auto sink = format.make();
    ASSERT_EQ(sink->open("/dev/full"), 0);
    play(*sink);  // all of it still in the buffer
    EXPECT_EQ(sink->status(), 0);
    EXPECT_EQ(sink->finish(), -1);
    EXPECT_NE(capture.text().find("Could not write /dev/full"), std::string::npos);
  }
}

TEST(DocumentSinkTest, FinishCompletesTheFileAndAbandonLeavesItUnfinished) {
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    TempDir dir;
    ConsoleCapture capture;
    {
      auto sink = format.make();
      ASSERT_EQ(sink->open(dir.file("whole")), 0);
      play(*sink);
      // Destroyed without finish(): the file is still completed.
    }
    EXPECT_TRUE(readFile(dir.file("whole")).ends_with(format.end));
    auto sink = format.make();
    ASSERT_EQ(sink->open(dir.file("cut")), 0);
    play(*sink);
    sink->abandon();
    EXPECT_FALSE(readFile(dir.file("cut")).ends_with(format.end));
    EXPECT_EQ(sink->finish(), 0);
    // A page begun and never ended is written when the file is finished.
    ASSERT_EQ(sink->open(dir.file("open_page")), 0);
    PageSetup setup;
    setup.pageNumber = 4;
    sink->beginPage(setup);
    sink->textLine("last words", false, "");
    EXPECT_EQ(sink->finish(), 0);
    EXPECT_NE(readFile(dir.file("open_page")).find("last words"), std::string::npos);
    EXPECT_EQ(capture.text(), "");
  }
}

}  // namespace
}  // namespace tabrix

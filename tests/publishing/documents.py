"""Readers of the files the HTML, Markdown and LaTeX renderers write, and of the text
table, for the publication tests. Each document reader gives a list of pages; a page
holds its header texts and its table's rows, every text unescaped:

    {"number": 3, "head": "...", "page_text": "Page  3", "title": ..., "subtitle": ...,
     "list_heading": ..., "alternatives": [...], "sentence": ...,
     "rows": [("dates" | "line" | "text", title_or_text, [cell texts])]}

and a "contents" list of (entry text, page text) when the document has contents.
"""
import html
import re
from html.parser import HTMLParser

NUMBER = re.compile(r"[-+]?[\d,]*\.?\d+")


def is_number(token):
    return NUMBER.fullmatch(token) is not None and any(c.isdigit() for c in token)


def trailing_numbers(line):
    """The numbers at the end of a line, in order: a value row's cells."""
    tokens = line.split()
    numbers = []
    while tokens and is_number(tokens[-1]):
        numbers.append(tokens.pop())
    return numbers[::-1]


def new_page(number):
    return {"number": number, "head": None, "page_text": "", "title": None, "subtitle": None,
            "list_heading": None, "alternatives": [], "sentence": None, "rows": [],
            "stamp": None}


def page_lines(page):
    """The lines a page shows, rebuilt from its parts in the text table's order."""
    lines = []
    if page["head"] is not None:
        lines.append(page["head"] + " " + page["page_text"])
    for key in ("title", "subtitle", "list_heading"):
        if page[key] is not None:
            lines.append(page[key])
    lines.extend(page["alternatives"])
    if page["sentence"] is not None:
        lines.append(page["sentence"])
    for kind, title, cells in page["rows"]:
        lines.append(" ".join([title] + cells))
    if page["stamp"] is not None:
        lines.append(page["stamp"])
    return lines


def document_numbers(pages):
    """Per page, the trailing numbers of every line it shows."""
    return [[n for line in page_lines(page) for n in trailing_numbers(line)] for page in pages]


def cell_numbers(pages):
    """Every number of the value cells, in order, over all pages."""
    return [cell for page in pages for kind, _, cells in page["rows"] if kind == "line"
            for cell in cells if is_number(cell)]


# --- The text table ----------------------------------------------------------------------

def text_pages(text):
    """The pages of a table file (split at form feeds), each a list of lines; the
    contents, when the last page holds them, separately."""
    chunks = text.split("\f")
    pages = [chunk.split("\n") for chunk in chunks]
    pages = [page for page in pages if any(line.strip() for line in page)]
    contents = None
    if pages and any(line.strip() == "TABLE OF CONTENTS" for line in pages[-1]):
        contents = pages.pop()
    return pages, contents


def text_numbers(lines):
    return [n for line in lines for n in trailing_numbers(line)]


# --- HTML ---------------------------------------------------------------------------------

class _HtmlReader(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.pages = []
        self.contents = None
        self.page = None
        self.field = None      # the page field being read
        self.text = ""
        self.row = None        # [kind, title, cells] of the table row being read
        self.cell = None       # "title" or "cell" while a cell is being read
        self.section = None    # the tbody or thead class
        self.in_contents = False
        self.entry = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        classes = (a.get("class") or "").split()
        if tag == "section" and "page" in classes:
            self.page = new_page(int(a["id"].split("-")[1]))
            self.pages.append(self.page)
        elif tag == "nav":
            self.in_contents = True
            self.contents = []
        elif self.in_contents and tag == "li":
            self.entry = ["", ""]
            self.field = "entry"
            self.text = ""
        elif self.in_contents and tag == "span" and "page-number" in classes:
            self.entry[0] = self.text
            self.field = "entry_page"
            self.text = ""
        elif self.page is None:
            return
        elif tag == "span" and "running-head" in classes:
            self.field, self.text = "head", ""
        elif tag == "span" and "page-number" in classes:
            self.field, self.text = "page_text", ""
        elif tag in ("h1", "h2", "h3"):
            self.field = {"h1": "title", "h2": "subtitle", "h3": "list_heading"}[tag]
            self.text = ""
        elif tag == "li":
            self.field, self.text = "alternative", ""
        elif tag == "p" and ("sentence" in classes or "stamp" in classes):
            self.field, self.text = classes[0], ""
        elif tag in ("thead", "tbody"):
            self.section = classes[0] if classes else ""
        elif tag == "tr":
            kind = {"dates": "dates", "line": "line", "text": "text"}.get(self.section)
            self.row = [kind, "", []] if kind else None
        elif tag in ("th", "td") and self.row is not None:
            first = (tag == "th" and a.get("class") == "title") or a.get("scope") == "row" or \
                    (self.row[0] == "text")
            self.cell = "title" if first else "cell"
            self.text = ""

    def handle_endtag(self, tag):
        if self.in_contents:
            if tag == "li" and self.entry is not None:
                self.entry[1] = self.text
                self.contents.append((self.entry[0].strip(), self.entry[1].strip()))
                self.entry = None
                self.field = None
            elif tag == "nav":
                self.in_contents = False
            return
        if self.page is None:
            return
        if tag in ("th", "td") and self.cell is not None:
            if self.cell == "title":
                self.row[1] = self.text
            else:
                self.row[2].append(self.text.strip())
            self.cell = None
        elif tag == "tr" and self.row is not None:
            self.page["rows"].append((self.row[0], self.row[1], self.row[2]))
            self.row = None
        elif tag == "section":
            self.page = None
        elif self.field is not None and tag in ("span", "h1", "h2", "h3", "li", "p"):
            if self.field == "alternative":
                self.page["alternatives"].append(self.text)
            else:
                self.page[self.field] = self.text
            self.field = None

    def handle_data(self, data):
        if self.field is not None or self.cell is not None:
            self.text += data


def read_html(text):
    reader = _HtmlReader()
    reader.feed(text)
    reader.close()
    return reader.pages, reader.contents


# --- Markdown -----------------------------------------------------------------------------

def _md_unescape(text):
    text = re.sub(r"\\(.)", r"\1", text).replace("\u00a0", " ")
    return text[2:-2] if text.startswith("**") and text.endswith("**") else text


def _md_cells(line):
    cells, current, i = [], "", 1
    while i < len(line):
        c = line[i]
        if c == "\\" and i + 1 < len(line):
            current += line[i:i + 2]
            i += 2
            continue
        if c == "|":
            cells.append(current.strip(" "))
            current = ""
        else:
            current += c
        i += 1
    return cells


def read_markdown(text):
    pages, contents, page, in_table, in_contents = [], None, None, False, False
    for line in text.split("\n"):
        anchor = re.fullmatch(r'<a id="page-(\d+)"></a>', line)
        if anchor:
            page = new_page(int(anchor.group(1)))
            pages.append(page)
            in_table = False
            continue
        if line == '<a id="contents"></a>':
            page, contents, in_contents = None, [], True
            continue
        if in_contents:
            if line.startswith("- "):
                entry = line[2:]
                body, _, page_text = entry.rpartition(" \u2014 ")
                link = re.fullmatch(r"\[(.*)\]\(#page-\d+\)", body)
                contents.append((_md_unescape(link.group(1) if link else body), _md_unescape(page_text)))
            continue
        if page is None:
            continue
        if line.startswith("|"):
            cells = _md_cells(line)
            if not in_table:
                in_table, header = True, cells
                page["rows"].append(("dates", "", [_md_unescape(c) for c in header[1:]]))
            elif re.fullmatch(r"\|(:?-+:?\|)+", line):
                continue
            else:
                title, rest = _md_unescape(cells[0]), [_md_unescape(c) for c in cells[1:]]
                if any(c.startswith("**") for c in cells[1:]):
                    kind = "dates"
                elif title and not any(rest):
                    kind = "text"
                else:
                    kind = "line"
                page["rows"].append((kind, title, rest))
            continue
        in_table = False
        if line.startswith("#### "):
            head, _, page_text = line[5:].partition(" \u2014 ")
            page["head"], page["page_text"] = _md_unescape(head), _md_unescape(page_text)
        elif line.startswith("## "):
            page["title"] = _md_unescape(line[3:])
        elif line.startswith("### "):
            page["subtitle"] = _md_unescape(line[4:])
        elif line.startswith("**") and line.endswith("**"):
            page["list_heading"] = _md_unescape(line)
        elif line.startswith("*") and line.endswith("*"):
            page["stamp"] = _md_unescape(line[1:-1])
        elif line.startswith("- "):
            page["alternatives"].append(_md_unescape(line[2:]))
        elif line.strip():
            page["sentence"] = _md_unescape(line)
    # A header row of empty labels is no date row of the table.
    for page in pages:
        if page["rows"] and page["rows"][0][0] == "dates" and not any(page["rows"][0][2]):
            page["rows"].pop(0)
    return pages, contents


# --- LaTeX --------------------------------------------------------------------------------

_LATEX = [("\\textbackslash{}", "\\"), ("\\textless{}", "<"), ("\\textgreater{}", ">"),
          ("\\textbar{}", "|"), ("\\~{}", "~"), ("\\^{}", "^"), ("\\ensuremath{\\$}", "$"), ("\\$", "$"),
          ("\\&", "&"), ("\\%", "%"), ("\\#", "#"), ("\\_", "_"), ("\\{", "{"), ("\\}", "}")]


def latex_unescape(text):
    text = re.sub(r"^\\hspace\*\{([\d.]+)em\}", lambda m: " " * round(float(m.group(1)) * 2), text)
    out, i = "", 0
    while i < len(text):
        for escaped, plain in _LATEX:
            if text.startswith(escaped, i):
                out += plain
                i += len(escaped)
                break
        else:
            out += text[i]
            i += 1
    return out


def _latex_cells(row):
    """The cells of a tabular row: split at every & that is not escaped."""
    return [c.strip(" ") for c in re.split(r"(?<!\\)&", row)]


def _braced(line, command):
    """The argument of \\command{...} at the start of line (braces balanced)."""
    start = len(command) + 1
    depth, i = 1, start
    while i < len(line) and depth:
        if line[i] == "\\":
            i += 2
            continue
        depth += {"{": 1, "}": -1}.get(line[i], 0)
        i += 1
    return line[start:i - 1]


def read_latex(text):
    pages, contents, page, in_table, in_contents = [], None, None, False, False
    for line in text.split("\n"):
        marker = re.fullmatch(r"% page (\d+)", line)
        if marker:
            page = new_page(int(marker.group(1)))
            pages.append(page)
            in_contents = False
            continue
        if line == "% contents":
            page, contents, in_contents = None, [], True
            continue
        if in_contents:
            if line.endswith(" \\\\"):
                entry, page_ref = _latex_cells(line[:-3])
                contents.append((latex_unescape(entry), latex_unescape(page_ref)))
            continue
        if page is None:
            continue
        if line.startswith("\\begin{longtable}"):
            in_table = True
            continue
        if line.startswith("\\end{longtable}"):
            in_table = False
            continue
        if in_table:
            if not line.endswith(" \\\\"):
                continue
            row = line[:-3]
            if row.startswith("\\multicolumn{"):
                text_arg = re.match(r"\\multicolumn\{\d+\}\{(?:@\{\})?[lc]\}\{(.*)\}$", row).group(1)
                page["rows"].append(("text", latex_unescape(text_arg), []))
                continue
            cells = [latex_unescape(c) for c in _latex_cells(row)]
            # Later rows of date labels read as lines here: the kinds of rows count only
            # for value cells, which the tests take from the HTML.
            kind = "dates" if not page["rows"] and not cells[0] else "line"
            page["rows"].append((kind, cells[0], cells[1:]))
            continue
        if line.startswith("{\\small ") and "\\hfill " not in line:
            page["stamp"] = latex_unescape(line[len("{\\small "):-len("}\\par")])
        elif line.startswith("{\\small "):
            body = line[len("{\\small "):-len("}\\par")]
            head, _, page_text = body.partition("\\hfill ")
            page["head"], page["page_text"] = latex_unescape(head), latex_unescape(page_text)
        elif line.startswith("\\section*{"):
            page["title"] = latex_unescape(_braced(line, "\\section*"))
        elif line.startswith("\\subsection*{"):
            page["subtitle"] = latex_unescape(_braced(line, "\\subsection*"))
        elif line.startswith("\\medskip\\textbf{"):
            page["list_heading"] = latex_unescape(_braced(line[len("\\medskip"):], "\\textbf"))
        elif line.startswith("\\item "):
            page["alternatives"].append(latex_unescape(line[6:]))
        elif line.endswith("\\par") and not line.startswith("\\"):
            page["sentence"] = latex_unescape(line[:-4])
    return pages, contents


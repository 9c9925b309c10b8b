#!/usr/bin/env python3
"""The HTML, Markdown and LaTeX renderers on the golden cases (tests/data/golden): each
case is run as the golden test runs it, with \\html, \\markdown and \\latex put at the
top of its stubs, and one check is made of what the runs wrote:

  cross     the text table is still the expected file, byte for byte; every page of it
            has a page in each of the three files, whose lines show the same numbers in
            the same order with the same decimals; the titles, head lines, alternatives,
            text lines and row titles are the same texts; the contents are the same
  html      every HTML file passes check_html.py (Python's html.parser: every tag closed)
  chromium  every HTML file printed to PDF by headless Chromium; pdftotext finds every
            value cell's number, in order
  latex     every LaTeX file compiles with pdflatex (twice, for the contents' page
            references); pdftotext finds every value cell's number, in order
  pandoc    every Markdown file read by pandoc (GitHub-flavoured) gives one HTML table
            per table page, holding every value cell's number in order

Usage: publishing_check.py CHECK TABRIX TABRIX_BANK GOLDEN_DIR SOURCE_DIR [CASE ...]
A check whose tool is missing exits with 77, which CTest reports as skipped.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import documents  # noqa: E402
from check_html import check as check_html_file  # noqa: E402

SKIPPED = 77
RENDER_COMMANDS = "\\html\n\\markdown\n\\latex\n"
TOOLS = {"chromium": ["chromium"], "latex": ["pdflatex", "pdftotext"],
         "pandoc": ["pandoc"]}
TOOLS["chromium"].append("pdftotext")


def run_case(tabrix, tabrix_bank, golden, source, case, folder):
    """Runs a case in folder with the renderers attached; returns the table files
    written (the names of the expected files that are tables)."""
    case_dir = os.path.join(golden, case)
    for name in os.listdir(case_dir):
        path = os.path.join(case_dir, name)
        if os.path.isfile(path) and name not in ("README.md", "inputs.txt"):
            shutil.copy(path, folder)
    inputs = os.path.join(case_dir, "inputs.txt")
    if os.path.exists(inputs):
        for line in open(inputs):
            line = line.split("#")[0].strip()
            if line:
                shutil.copy(os.path.join(source, line), folder)
    for csv in glob.glob(os.path.join(folder, "*.csv")):
        name = os.path.basename(csv)[:-4]
        kind = "w"
        match = re.fullmatch(r"(.+)\.([wchdv])", name)
        if match:
            name, kind = match.group(1), match.group(2)
        subprocess.run([tabrix_bank, "create", "-k", kind, "-d", os.path.join(folder, name + ".dat"),
                        os.path.join(folder, name), csv], check=True, stdout=subprocess.DEVNULL)
    for stub in glob.glob(os.path.join(folder, "*.stb")):
        text = open(stub, encoding="latin-1").read()
        open(stub, "w", encoding="latin-1").write(RENDER_COMMANDS + text)
    for response in sorted(glob.glob(os.path.join(folder, "*.in"))):
        result = subprocess.run([tabrix, "-s", os.path.basename(response)], cwd=folder,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if result.returncode != 0:
            raise AssertionError(f"{case}: {os.path.basename(response)} ended with status "
                                 f"{result.returncode}: {result.stderr.decode(errors='replace')}")
    tables = []
    for expected in sorted(os.listdir(os.path.join(case_dir, "expected"))):
        if expected.endswith(".txt"):
            tables.append(expected)
    return tables


class Faults:
    def __init__(self):
        self.list = []
        self.counted = 0  # numbers compared

    def add(self, where, what):
        self.list.append(f"{where}: {what}")

    def check(self, where, condition, what):
        if not condition:
            self.add(where, what)


def read_all(folder, stem):
    read = {"html": documents.read_html, "md": documents.read_markdown,
            "tex": documents.read_latex}
    docs = {}
    for extension, reader in read.items():
        path = os.path.join(folder, stem + "." + extension)
        docs[extension] = reader(open(path, encoding="utf-8").read()) if os.path.exists(path) else None
    return docs


def normal(text):
    return re.sub(r"\s+", " ", text or "").strip()


def check_cross(case, folder, table, golden, faults):
    where = f"{case}/{table}"
    written = open(os.path.join(folder, table), "rb").read()
    expected = open(os.path.join(golden, case, "expected", table), "rb").read()
    faults.check(where, written == expected, "the text table is not the expected file")
    text = written.decode("latin-1")
    text_pages, text_contents = documents.text_pages(text)
    stem = table[:-4]
    docs = read_all(folder, stem)
    for extension, doc in docs.items():
        at = f"{where} .{extension}"
        if doc is None:
            faults.add(at, "not written")
            continue
        pages, contents = doc
        if len(pages) != len(text_pages):
            faults.add(at, f"{len(pages)} pages, the text table has {len(text_pages)}")
            continue
        numbers = documents.document_numbers(pages)
        faults.counted += sum(len(n) for n in numbers)
        for k, (page, lines) in enumerate(zip(pages, text_pages)):
            on = f"{at} page {k + 1}"
            want = documents.text_numbers(lines)
            if numbers[k] != want:
                faults.add(on, f"numbers differ:\n    text   {want}\n    {extension:6} {numbers[k]}")
            shown = {normal(line) for line in lines}
            texts = [page[key] for key in ("title", "subtitle", "list_heading", "sentence")]
            texts += page["alternatives"]
            texts += [title for kind, title, _ in page["rows"] if kind == "text" and title]
            for item in texts:
                if item is not None and normal(item) not in shown:
                    faults.add(on, f"text {item!r} is not a line of the text page")
            if page["head"] is not None:
                head_line = normal(page["head"] + " " + page["page_text"])
                faults.check(on, head_line in shown, f"head {head_line!r} is not a line of the text page")
            for kind, title, cells in page["rows"]:
                if kind == "line" and title.strip():
                    faults.check(on, any(begins_with_title(line, title.rstrip()) for line in lines),
                                 f"row title {title!r} begins no line of the text page")
        if text_contents is not None:
            if contents is None:
                faults.add(at, "no contents")
                continue
            text_entries = [normal(line) for line in text_contents if line.strip().startswith("TABLE ")
                            and line.strip() != "TABLE OF CONTENTS"]
            mine = [normal(entry + " " + (page_text if not page_text.startswith("\\pageref") else ""))
                    for entry, page_text in contents]
            for entry, line in zip(mine, text_entries):
                faults.check(at, line.startswith(entry), f"contents entry {entry!r} is not {line!r}")
            faults.check(at, len(mine) == len(text_entries),
                         f"{len(mine)} contents entries, the text table has {len(text_entries)}")


def begins_with_title(line, title):
    """True when a line of the text table shows the title in its title column: whole or
    cut at the column's width (20 letters at least), followed by a blank or the end."""
    for k in range(len(title), min(len(title), 20) - 1, -1):
        if line.startswith(title[:k]) and line[k:k + 1] in ("", " "):
            return True
    return False


def is_subsequence(wanted, tokens):
    position = 0
    for number in wanted:
        try:
            position = tokens.index(number, position) + 1
        except ValueError:
            return number
    return None


def cell_numbers_of(folder, stem):
    pages, _ = documents.read_html(open(os.path.join(folder, stem + ".html"), encoding="utf-8").read())
    return documents.cell_numbers(pages)


def check_pdf_text(where, pdf, wanted, faults):
    result = subprocess.run(["pdftotext", "-layout", pdf, "-"], stdout=subprocess.PIPE)
    if result.returncode != 0:
        faults.add(where, "pdftotext failed")
        return
    tokens = result.stdout.decode("utf-8", errors="replace").split()
    missing = is_subsequence(wanted, tokens)
    faults.check(where, missing is None, f"the PDF lacks {missing!r} (or has it out of order)")
    faults.check(where, wanted, "no value cells to look for")


def check_tools(check, case, folder, table, faults):
    stem = table[:-4]
    where = f"{case}/{stem}"
    if check == "html":
        for fault in check_html_file(os.path.join(folder, stem + ".html")):
            faults.add(where + ".html", fault)
    elif check == "chromium":
        pdf = os.path.join(folder, stem + ".html.pdf")
        profile = tempfile.mkdtemp(prefix="tabrix-chromium-")
        try:
            subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                            "--disable-background-networking", "--disable-component-update",
                            "--disable-sync", f"--user-data-dir={profile}", f"--print-to-pdf={pdf}",
                            "--no-pdf-header-footer", "file://" + os.path.join(folder, stem + ".html")],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        if not os.path.exists(pdf):
            faults.add(where + ".html", "chromium printed no PDF")
            return
        check_pdf_text(where + ".html", pdf, cell_numbers_of(folder, stem), faults)
    elif check == "latex":
        # No font may be made on the way (the basic fonts have every character the
        # file uses), and nothing is left in the home folder.
        env = dict(os.environ, MKTEXPK="0", MKTEXTFM="0", TEXMFVAR=os.path.join(folder, "texmf-var"))
        for _ in range(2):
            result = subprocess.run(["pdflatex", "-interaction=nonstopmode", "-halt-on-error",
                                     "-no-shell-escape", stem + ".tex"], cwd=folder,
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300,
                                    env=env)
            if result.returncode != 0:
                log = result.stdout.decode("utf-8", errors="replace")
                errors = [line for line in log.split("\n") if line.startswith("!")]
                faults.add(where + ".tex", f"pdflatex failed: {errors[:3]}")
                return
        check_pdf_text(where + ".tex", os.path.join(folder, stem + ".pdf"),
                       cell_numbers_of(folder, stem), faults)
    elif check == "pandoc":
        md = os.path.join(folder, stem + ".md")
        result = subprocess.run(["pandoc", "-f", "gfm", "-t", "html", md], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        if result.returncode != 0:
            faults.add(where + ".md", f"pandoc failed: {result.stderr.decode(errors='replace')}")
            return
        out = result.stdout.decode("utf-8")
        pages, _ = documents.read_markdown(open(md, encoding="utf-8").read())
        tables = sum(1 for page in pages if page["rows"])
        faults.check(where + ".md", out.count("<table>") == tables,
                     f"pandoc made {out.count('<table>')} tables of {tables} table pages")
        cells = re.findall(r"<td[^>]*>(.*?)</td>", out, re.S)
        tokens = [documents.html.unescape(re.sub(r"<[^>]+>", "", c)).strip() for c in cells]
        missing = is_subsequence(cell_numbers_of(folder, stem), tokens)
        faults.check(where + ".md", missing is None, f"pandoc's tables lack {missing!r}")
        faults.check(where + ".md", 'style="text-align: right;"' in out,
                     "no right-aligned column in pandoc's tables")


def main():
    if len(sys.argv) < 6:
        print(__doc__, file=sys.stderr)
        return 2
    check = sys.argv[1]
    tabrix, tabrix_bank, golden, source = (os.path.abspath(a) for a in sys.argv[2:6])
    cases = sys.argv[6:] or sorted(d for d in os.listdir(golden) if os.path.isdir(os.path.join(golden, d)))
    missing = [tool for tool in TOOLS.get(check, []) if shutil.which(tool) is None]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} not installed")
        return SKIPPED
    faults = Faults()
    for case in cases:
        with tempfile.TemporaryDirectory(prefix=f"tabrix-publish-{case}-") as folder:
            tables = run_case(tabrix, tabrix_bank, golden, source, case, folder)
            for table in tables:
                if check == "cross":
                    check_cross(case, folder, table, golden, faults)
                else:
                    check_tools(check, case, folder, table, faults)
            print(f"{case}: {len(tables)} table file(s) checked")
    if check == "cross":
        print(f"{faults.counted} numbers compared")
        faults.check("all cases", faults.counted > 0, "no numbers to compare")
    for fault in faults.list:
        print(fault)
    return 1 if faults.list else 0


if __name__ == "__main__":
    sys.exit(main())

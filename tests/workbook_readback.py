#!/usr/bin/python3
"""End to end: a stub with \\xls is run by tabrix and its workbook read back with openpyxl
(sheet names, cell values and types, number formats, fonts, column widths, frozen
panes, missing-value texts, the rule formula); the same stub with \\wk1 is read back
record by record; a workbook that cannot be written ends the run with status 2. A
workbook with two charts is read back (chart sheets, their type, series references,
titles, the date categories), and the same table saved as CSV and as HTML is parsed.

Usage: workbook_readback.py TABRIX TABRIX_BANK. Runs in a temporary directory of its
own, removed afterwards. The expected values are worked out here from the bank data."""

import csv
import datetime
import html.parser
import math
import os
import struct
import subprocess
import sys
import tempfile

import openpyxl

TABRIX, TABRIX_BANK = sys.argv[1], sys.argv[2]

# Two annual banks from 2020; ur has no 2021 value (an empty cell is a missing one).
BANKS = {
    "one": ("Base run", {"gdp": [100, 101.5, 103.25, 105, 107.5], "ur": [5.5, None, 5.25, 5, 4.75]}),
    "two": ("Higher spending", {"gdp": [100, 102, 104.5, 106, 108], "ur": [5.5, None, 5, 4.75, 4.5]}),
}

STUB = r"""\head Growth
TARGET
\missing n.a.
\fonthead Arial 14 bold
\fontname "Times New Roman" 10 italic
\fontdata "Courier New" 9 right Red
\fontdate bold
\ 7 1 30 2 3 28
\dates 2020 2021 2022 s2 2020-2024
\title Output and unemployment
*
&
\wsfreeze B14
gdp;Real GDP
ur;Unemployment rate
\line
\center Centred note
gdp*2;Line 3
gdp*3;Line 4
gdp*4;Line 5
gdp*5;Line 6
gdp*6;Line 7
gdp*7;Line 8
gdp*8;Line 9
gdp*9;Line 10
gdp*10;Line 11
gdp*11;Line 12
\wstitle Summary
gdp*12;Line 13
"""

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def near(a, b):
    return isinstance(a, (int, float)) and abs(a - b) < 1e-4


def make_banks():
    for root, (title, series) in BANKS.items():
        lines = [f'title,"{title}"', "base year,2020", "first month,1", "observations,5",
                 "name,frequency,1,2,3,4,5"]
        for name, values in series.items():
            lines.append(",".join([name, "1"] + ["" if v is None else repr(v) for v in values]))
        with open(root + ".csv", "w") as f:
            f.write("\n".join(lines) + "\n")
        subprocess.run([TABRIX_BANK, "create", root, root + ".csv"], check=True, stdout=subprocess.DEVNULL)


def run(stub_name, target):
    with open(stub_name + ".stb", "w") as f:
        f.write(STUB.replace("TARGET", target))
    with open(stub_name + ".in", "w") as f:
        f.write(f"2\nw\none\nw\ntwo\na\n{stub_name}.stb\n{stub_name}.txt\n")
    return subprocess.run([TABRIX, "-s", stub_name + ".in"], capture_output=True, text=True)


def growth(values):
    # The default growth type: logarithmic, per year over 2020-2024.
    return math.log(values[4] / values[0]) * 100 / 4


def check_workbook():
    result = run("book", r"\xls book.xls")
    check(result.returncode == 0, f"xls run status {result.returncode}: {result.stdout[-400:]}")
    check("Writing Excel XLS spreadsheet to book.xlsx." in result.stdout, "the message names book.xlsx")
    check(not os.path.exists("book.txt"), "the table text file is deleted")
    book = openpyxl.load_workbook("book.xlsx")
    check(book.sheetnames == ["Growth", "Growth-2", "Summary"], f"sheet names {book.sheetnames}")
    page = book["Growth"]

    # The header: head (A2), title (A4), the alternatives (A7..A9), the sentence (A11),
    # the date labels (row 13), the table rows from row 14: each line one row below the
    # last, two rows for the head and the title.
    expected_text = {"A2": "Growth", "A4": "Output and unemployment", "A7": "Titles of Alternate Runs",
                     "A8": "Line 1: Base run", "A9": "Line 2: Higher spending - values in levels",
                     "A11": "Alternatives are shown as actual values.", "B13": "2020", "C13": "2021",
                     "D13": "2022", "F13": "20-24", "A14": "Real GDP", "A16": "Unemployment rate",
                     "A19": "Centred note"}
    for cell, text in expected_text.items():
        check(page[cell].value == text, f"{cell} is {page[cell].value!r}, not {text!r}")
        check(page[cell].data_type == "s" and page[cell].number_format == "@", f"{cell} is a text cell")
    one, two = BANKS["one"][1], BANKS["two"][1]
    numbers = {"B14": one["gdp"][0], "C14": one["gdp"][1], "D14": one["gdp"][2], "F14": growth(one["gdp"]),
               "B15": two["gdp"][0], "C15": two["gdp"][1], "D15": two["gdp"][2], "F15": growth(two["gdp"]),
               "B16": one["ur"][0], "D16": one["ur"][2], "B17": two["ur"][0], "D17": two["ur"][2]}
    for cell, value in numbers.items():
        check(page[cell].data_type == "n" and near(page[cell].value, value),
              f"{cell} is {page[cell].value!r}, not {value}")
        check(page[cell].number_format == "0.0", f"{cell} has format {page[cell].number_format}")
    for cell in ("C16", "C17"):
        check(page[cell].value == "n.a." and page[cell].number_format == "@", f"{cell} holds the missing text")
    check(page["E14"].value is None, "the spacer column holds no value")

    # Fonts of the roles.
    head, name, data, date = page["A2"].font, page["A14"].font, page["B14"].font, page["B13"].font
    check(head.name == "Arial" and head.sz == 14 and head.b, f"head font {head.name} {head.sz} {head.b}")
    check(name.name == "Times New Roman" and name.sz == 10 and name.i and not name.b, "name font")
    check(data.name == "Courier New" and data.sz == 9, f"data font {data.name} {data.sz}")
    check(data.color is not None and data.color.rgb == "FFFF0000", "data font red")
    check(page["B14"].alignment.horizontal == "right", "data right-aligned")
    # The date font: bold, and its initial double underline and centring.
    check(date.b and date.u == "double" and page["B13"].alignment.horizontal == "center", "date font")
    check(page["A19"].alignment.horizontal == "center", "the centred text line")

    # The rule: a formula, with its text stored for readers that do not calculate.
    check(page["A18"].value == '=REPT("-",600)', f"rule formula {page['A18'].value!r}")
    values = openpyxl.load_workbook("book.xlsx", data_only=True)
    check(values["Growth"]["A18"].value == "-" * 600, "rule text")

    # Widths: the title column 28, the date columns 7, the spacer 2 (the file adds the
    # cell padding of a little under one character).
    widths = {letter: page.column_dimensions[letter].width for letter in "ABEF"}
    for letter, width in {"A": 28, "B": 7, "E": 2, "F": 7}.items():
        check(0 <= widths[letter] - width < 1, f"column {letter} width {widths[letter]}")
    # \wsfreeze B14: rows 1-13 and column A stay in view.
    pane = page.sheet_view.pane
    check(pane is not None and pane.state == "frozen" and pane.xSplit == 1 and pane.ySplit == 13
          and pane.topLeftCell == "B14", f"frozen pane {pane}")

    # Every page starts again in row 1 of its own sheet, with its header and date row.
    second = book["Growth-2"]
    check(second["A2"].value == "Growth" and second["B13"].value == "2020", "page 2 header")
    check(second["A14"].value == "Line 6" and near(second["B14"].value, 5 * one["gdp"][0]), "page 2 rows")
    check(book["Summary"]["A14"].value == "Line 12", "page 3 rows")
    check(book["Summary"]["A16"].value == "Line 13", "page 3 second line")
    return page


def read_wk1(path):
    data = open(path, "rb").read()
    records, pos = [], 0
    while pos < len(data):
        opcode, length = struct.unpack_from("<HH", data, pos)
        records.append((opcode, data[pos + 4:pos + 4 + length]))
        pos += 4 + length
    return records


def check_wk1():
    result = run("sheet", r"\wk1 sheet")
    check(result.returncode == 0, f"wk1 run status {result.returncode}")
    check("Writing Lotus WK1 spreadsheet to sheet.wk1." in result.stdout, "the WK1 message")
    records = read_wk1("sheet.wk1")
    check(records[0] == (0, b"\x06\x04"), "BOF 1030 first")
    check(records[-1] == (1, b""), "EOF last")
    check(records[-2][0] == 6, "RANGE before EOF")
    first_col, first_row, last_col, last_row = struct.unpack("<hhhh", records[-2][1])
    widths = {}
    cells = {}
    for opcode, body in records:
        if opcode == 8:
            column, width = struct.unpack("<hB", body)
            widths[column] = width
        elif opcode == 15:
            fmt, column, row = struct.unpack_from("<Bhh", body)
            check(len(body) == 7 + len(body[6:-1]) and body[-1] == 0, "LABEL length and NUL")
            check((column, row) not in cells, f"two cells at column {column}, row {row}")
            cells[(column, row)] = ("label", chr(body[5]), body[6:-1].decode("latin-1"), fmt)
        elif opcode == 14:
            check(len(body) == 13, "NUMBER body of 13 bytes")
            fmt, column, row, value = struct.unpack("<Bhhd", body)
            check((column, row) not in cells, f"two cells at column {column}, row {row}")
            cells[(column, row)] = ("number", fmt, value)
    check((first_col, first_row, last_col) == (0, 0, 5), f"RANGE {first_col} {first_row} {last_col}")
    check(last_row > max(row for _, row in cells), "RANGE covers every row")
    # At table start every column 1 .. dateCount gets the field width, the spacer too.
    check(widths.get(0) == 28 and all(widths.get(c) == 7 for c in (1, 2, 3, 4, 5)),
          f"column widths {widths}")
    # The table rows: titles left-aligned, numbers with one decimal (0x81), the missing
    # value a right-aligned label of the missing text; the same values as the workbook.
    by_text = {v[2]: k for k, v in cells.items() if v[0] == "label"}
    gdp_row = by_text["Real GDP"][1]
    one = BANKS["one"][1]
    check(cells[(0, gdp_row)][1] == "'", "title left-aligned")
    check(cells[(1, gdp_row)] == ("number", 0x81, float(one["gdp"][0])), f"gdp 2020 {cells[(1, gdp_row)]}")
    check(cells[(2, gdp_row)][2] == struct.unpack("<f", struct.pack("<f", one["gdp"][1]))[0], "gdp 2021")
    ur_row = by_text["Unemployment rate"][1]
    check(cells[(2, ur_row)] == ("label", '"', "n.a.", 0x80), f"missing value {cells.get((2, ur_row))}")
    check(cells[(2, ur_row + 1)][:3] == ("label", '"', "n.a."), "missing value of the second row")
    check(cells[(1, gdp_row - 1)][1:3] == ('"', "   2020"), "date label right-aligned in its width")
    check(any(v[0] == "label" and v[2].startswith("Growth") and v[2].rstrip().endswith("Page  1")
              for v in cells.values()), "head line with its page number")
    check(sum(1 for v in cells.values() if v[0] == "label" and v[2].startswith("Growth")) == 3,
          "one head line per page")


CHART_STUB = r"""\head Growth
\xls charts.xls
\dates 2020 2021
*
&
gdp;Real GDP
\xlgraph 2020 2024 Line
\xlgraph title "Real GDP"
\xlgraph subtitle "two runs"
\xlgraph vaxtitle "index"
gdp;Real GDP
ur;Unemployment rate
\xlgraph
\xlgraph 2022 2024 3DColumnStacked
\xlgraph title Unemployment
ur;Unemployment rate
\xlgraph
ur;After the charts
"""


def run_stub(stub_name, text):
    with open(stub_name + ".stb", "w") as f:
        f.write(text)
    with open(stub_name + ".in", "w") as f:
        f.write(f"2\nw\none\nw\ntwo\na\n{stub_name}.stb\n{stub_name}.txt\n")
    return subprocess.run([TABRIX, "-s", stub_name + ".in"], capture_output=True, text=True)


def title_text(title):
    return "".join(run.t for p in title.tx.rich.p for run in (p.r or []))


def check_charts():
    result = run_stub("charts", CHART_STUB)
    check(result.returncode == 0, f"chart run status {result.returncode}: {result.stdout[-400:]}")
    check("Chart type 3DColumnStacked is drawn as column stacked." in result.stdout, "the drawing message")
    check("Error" not in result.stdout, f"no error: {result.stdout[-400:]}")
    book = openpyxl.load_workbook("charts.xlsx")
    check(book.sheetnames == ["Growth", "Chart1", "Chart2"], f"chart sheet names {book.sheetnames}")
    check([c.title for c in book.chartsheets] == ["Chart1", "Chart2"], "two chart sheets")
    page = book["Growth"]
    # The date rows of the two blocks: date cells in column B, in the order written.
    date_rows = [r for r in range(1, page.max_row + 1) if page.cell(r, 2).is_date]
    check(len(date_rows) == 2, f"two date rows {date_rows}")
    if len(date_rows) != 2 or len(book.chartsheets) != 2:
        return
    first, second = date_rows
    years = [page.cell(first, c).value for c in range(2, 7)]
    check(years == [datetime.datetime(y, 1, 1) for y in range(2020, 2025)], f"dates {years}")
    check(page.cell(first, 2).number_format == "yyyy", "dates as years")
    check(page.cell(first, 7).value is None, "five date columns")
    # The rows of the first block: each line's base row, then the second run labelled.
    labels = [page.cell(first + k, 1).value for k in range(1, 5)]
    check(labels == ["Real GDP", "Alternative 1a", "Unemployment rate", "Alternative 2a"], f"labels {labels}")
    gdp = [page.cell(first + 2, c).value for c in range(2, 7)]
    check(all(near(a, b) for a, b in zip(gdp, BANKS["two"][1]["gdp"])), f"second run's gdp {gdp}")

    line = book.chartsheets[0]._charts[0]
    check(type(line).__name__ == "LineChart" and line.grouping == "standard", f"line chart {type(line).__name__}")
    check(len(line.series) == 4, f"four series, not {len(line.series)}")
    for k, series in enumerate(line.series):
        row = first + 1 + k
        check(series.tx.strRef.f == f"Growth!$A${row}", f"series {k} name {series.tx.strRef.f}")
        check(series.val.numRef.f == f"Growth!$B${row}:$F${row}", f"series {k} values {series.val.numRef.f}")
        check(series.cat.numRef.f == f"Growth!$B${first}:$F${first}", f"series {k} categories {series.cat.numRef.f}")
    check(title_text(line.title) == "Real GDP\ntwo runs", f"title {title_text(line.title)!r}")
    check(title_text(line.y_axis.title) == "index", "value axis title")
    check(line.x_axis.numFmt is not None and line.x_axis.numFmt.formatCode == "yyyy", "years on the category axis")
    check(line.legend is not None and line.legend.legendPos == "r", "a legend")

    column = book.chartsheets[1]._charts[0]
    check(type(column).__name__ == "BarChart" and column.barDir == "col" and column.grouping == "stacked",
          f"stacked columns {type(column).__name__} {column.barDir} {column.grouping}")
    check(len(column.series) == 2, f"two series, not {len(column.series)}")
    check(column.series[0].val.numRef.f == f"Growth!$B${second + 1}:$D${second + 1}", "second chart's values")
    check(column.series[0].cat.numRef.f == f"Growth!$B${second}:$D${second}", "second chart's categories")
    # The second chart's titles are its own.
    check(title_text(column.title) == "Unemployment", f"second title {title_text(column.title)!r}")
    check(column.y_axis.title is None, "no value axis title on the second chart")
    # The table's dates are back after the blocks: two columns again.
    after = [r for r in range(1, page.max_row + 1) if page.cell(r, 1).value == "After the charts"]
    check(len(after) == 1 and page.cell(after[0], 3).value is not None and page.cell(after[0], 4).value is None,
          "the date list restored")


def check_csv():
    result = run("table", "\\filetype CSV\n\\xls table")
    check(result.returncode == 0, f"csv run status {result.returncode}")
    check("Writing Excel XLS spreadsheet to table.csv." in result.stdout, "the message names table.csv")
    data = open("table.csv", newline="").read()
    check("\r" not in data, "CSV lines end in LF")
    rows = list(csv.reader(data.splitlines()))
    pages, page = [], []
    for row in rows:
        if row:
            page.append(row)
        else:
            pages.append(page)
            page = []
    pages.append(page)
    # Every worksheet, one empty line between them.
    check(len(pages) == 3, f"three pages, not {len(pages)}")
    width = len(pages[0][0])
    check(width == 6 and all(len(r) == width for r in pages[0]), "a rectangle of six columns")
    by_title = {r[0]: r for r in pages[0] if r[0]}
    gdp = by_title.get("Real GDP")
    one = BANKS["one"][1]
    check(gdp is not None and gdp[1:4] == [f"{v:.1f}" for v in one["gdp"][:3]] and gdp[4] == "",
          f"gdp row {gdp}")
    check(gdp is not None and abs(float(gdp[5]) - growth(one["gdp"])) < 0.051, "growth column")
    ur = by_title.get("Unemployment rate")
    check(ur is not None and ur[2] == "n.a.", f"missing value {ur}")
    check(by_title.get("", None) is None and "-" * 600 in by_title, "the rule's text")
    check(any(r[1:4] == ["2020", "2021", "2022"] for r in pages[0]), "date labels")
    check(any(r[0] == "Line 12" for r in pages[2]), "the last page")


class Tables(html.parser.HTMLParser):
    """The headings and tables of a page: each table a list of rows of (text, style)."""

    def __init__(self):
        super().__init__()
        self.headings, self.tables, self.cell, self.heading = [], [], None, None

    def handle_starttag(self, tag, attrs):
        if tag == "h2":
            self.heading = ""
        elif tag == "table":
            self.tables.append([])
        elif tag == "tr":
            self.tables[-1].append([])
        elif tag == "td":
            self.cell = ["", dict(attrs).get("style", "")]

    def handle_endtag(self, tag):
        if tag == "h2":
            self.headings.append(self.heading)
            self.heading = None
        elif tag == "td":
            self.tables[-1][-1].append(tuple(self.cell))
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell[0] += data
        elif self.heading is not None:
            self.heading += data


def check_html():
    result = run("page", "\\xls page.html")
    check(result.returncode == 0, f"html run status {result.returncode}")
    parser = Tables()
    parser.feed(open("page.html", encoding="utf-8").read())
    check(parser.headings == ["Growth", "Growth-2", "Summary"], f"headings {parser.headings}")
    check(len(parser.tables) == 3, "one table per worksheet")
    cells = {text: style for row in parser.tables[0] for text, style in row}
    check("font-family:'Arial'" in cells.get("Growth", "") and "font-size:14pt" in cells.get("Growth", "")
          and "font-weight:bold" in cells.get("Growth", ""), f"head font {cells.get('Growth')}")
    name = cells.get("Real GDP", "")
    check("font-family:'Times New Roman'" in name and "font-style:italic" in name, f"name font {name}")
    number = cells.get("100.0", "")
    check("color:#FF0000" in number and "text-align:right" in number, f"data font {number}")
    check("text-align:center" in cells.get("Centred note", ""), "centred text")
    check("n.a." in cells, "missing value text")
    # Texts are escaped: a title with & and < reads back as written.
    result = run_stub("escaped", "\\xls escaped.html\n\\dates 2020\n*\n&\ngdp;R&D <share> \"x\"\n")
    parser = Tables()
    parser.feed(open("escaped.html", encoding="utf-8").read())
    texts = [text for table in parser.tables for row in table for text, _ in row]
    check('R&D <share> "x"' in texts, f"escaped text {texts}")


def check_failure():
    with open("fail.stb", "w") as f:
        f.write('\\xls "no/such/dir/book"\n\\dates 2020\ngdp;Real GDP\n')
    with open("fail.in", "w") as f:
        f.write("1\nw\none\nfail.stb\nfail.txt\n")
    result = subprocess.run([TABRIX, "-s", "fail.in"], capture_output=True, text=True, stdin=subprocess.DEVNULL)
    check(result.returncode == 2, f"failed workbook status {result.returncode}")
    check("Unable to open no/such/dir/book for writing." in result.stdout, "the failure names the file")


def main():
    with tempfile.TemporaryDirectory(prefix="tabrix-workbook-") as directory:
        os.chdir(directory)
        make_banks()
        check_workbook()
        check_wk1()
        check_charts()
        check_csv()
        check_html()
        check_failure()
        os.chdir("/")
    for failure in failures:
        print("FAILED:", failure)
    print("workbook read-back:", "failed" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""End to end: a stub with \\xls is run by tabrix and its workbook read back with openpyxl
(sheet names, cell values and types, number formats, fonts, column widths, frozen
panes, missing-value texts, the rule formula); the same stub with \\wk1 is read back
record by record; a workbook that cannot be written ends the run with status 2.

Usage: workbook_readback.py TABRIX TABRIX_BANK. Runs in a temporary directory of its
own, removed afterwards. The expected values are worked out here from the bank data."""

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
    check(widths.get(0) == 28 and all(widths.get(c) == 7 for c in (1, 2, 3, 5)) and 4 not in widths,
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
        check_failure()
        os.chdir("/")
    for failure in failures:
        print("FAILED:", failure)
    print("workbook read-back:", "failed" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

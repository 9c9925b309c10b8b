#!/usr/bin/env python3
"""Works out every number of the golden tables independently of the program.

The golden tests (tests/driver/golden_test.cc) compare the table files that tabrix
writes for each case under tests/data/golden/<case>/ byte for byte with the case's
expected files. This script makes sure that the numbers in those expected files are
right: it does not run the program and shares no code with it. For each case it reads

  - the CSV files the banks are made from (the bank tool's CSV layouts),
  - every response file (*.in): alternatives, banks, show mode, stub, output file,
  - the stubs: the commands that shape numbers (\\mode, \\dates, \\decs, \\field,
    \\growthtype, \\commas, \\missing, ...) and every table line "expression; title",
  - the add files that \\add and \\fadd run (with %1 .. %9 replaced by their
    arguments), and the series that \\f defines in each alternative,
  - the matrix listings of \\matlist with their configuration and title files
    (coefficients and flows of the identity's terms, in row or column mode, with the
    cutoff rules and the "SUM: " subtotals),

computes every cell from the CSV data by the table's formulas, and checks that each
table line appears in the expected output file as exactly those rows, in stub order:

  level              the value at the date; an annual date on a quarterly or monthly
                     series is the average of its non-missing sub-periods
  deviation          alt - base
  percentage         (alt - base) / base * 100 (0 when |base| < 1e-7)
  growth a-b         R = value(b) / value(a) over n periods (years for annual rates):
                     p: (R - 1) * 100 / n, c: (R^(1/n) - 1) * 100, e: ln R * 100 / n
  sum a+b, avg a|b   over the non-missing observations of the range
  \\g period growth  from the previous period's value

Values are 32-bit floats where the program keeps 32-bit floats: the bank values, every
step of an expression, each cell's value; sums, averages and growth formulas are worked
in double and rounded to 32 bits once. Each cell is then formatted as the table does:
"%*.*f" with the column's width and decimals, thousands grouped with commas under
\\commas on, the missing-value text for a missing value, blanks for zero under
\\blankzeroes. A stub line or command this script does not know fails the check with a
message naming it, so a case is never passed over in silence: extend the script (see
COMMANDS) when a case needs more.

Usage: golden_numbers.py [GOLDEN_DIR [CASE...]]   (GOLDEN_DIR: tests/data/golden)
Exit status 0 when every case checks, 1 otherwise.
"""

import csv
import io
import math
import os
import re
import struct
import sys

# Cases whose expected numbers are known to differ from what the computation here
# gives, because the program gets them wrong and the expected files hold what it
# writes today. Each entry: case name -> the reason. Such a case is reported, but does
# not fail the check; remove the entry when the program is mended.
KNOWN_DIFFERENCES = {}

MAX_OBS = 1999
COMP_BASE_YEAR = 1920  # compressed and hashed banks align every series on 1920, period 1


class NotHandled(Exception):
    """A case uses something this script does not compute."""


class SeriesNotFound(Exception):
    """A name of an expression is not in the alternative's bank."""


# ---- 32-bit floats and the missing value -------------------------------------------

def f32(x):
    """x rounded to the nearest 32-bit float (as a Python float)."""
    return struct.unpack('<f', struct.pack('<f', x))[0]


MISSING = f32(-0.000001)


def is_missing(v):
    return -0.0000011 <= v <= -0.0000009


# ---- Dates ---------------------------------------------------------------------------

def year_rule(y):
    if y < 25:
        return y + 2000
    if y < 1900:
        return y + 1900
    return y


def leading_int(text):
    m = re.match(r'[+-]?\d+', text.strip())
    return int(m.group(0)) if m else 0


class Date:
    def __init__(self, year=0, period=0, freq=0):
        self.year, self.period, self.freq = year, period, freq

    @staticmethod
    def parse(text):
        text = text[:19]
        if '.' not in text:
            return Date(year_rule(leading_int(text)), 1, 1)
        before, after = text.split('.', 1)
        year = year_rule(leading_int(before))
        period = leading_int(after) if after[:1].isdigit() else 0
        if period == 0:
            return Date(year, 1, 1)
        if len(after) == 1:
            return Date(year, period, 4)
        if len(after) == 3:
            return Date(year, period, 12)
        raise NotHandled('date %r has an invalid period' % text)

    def copy(self):
        return Date(self.year, self.period, self.freq)

    def advance(self):
        self.period += 1
        if self.period > self.freq:
            self.period = 1
            self.year += 1

    def format(self, year_format):
        shown = self.year
        if year_format == 0:
            shown = self.year - 1900 if self.year <= 2000 else self.year - 2000
        if self.freq == 1:
            return '%d' % shown
        if self.freq == 4:
            return '%d.%d' % (shown, self.period)
        if self.freq == 12:
            return '%d.%03d' % (shown, self.period)
        return ''


def not_after(a, b):
    """1 when a is not after b, 0 when it is, -1 for two frequencies in one year."""
    if a.year != b.year:
        return 1 if a.year < b.year else 0
    if a.freq != b.freq:
        return -1
    return 1 if a.period <= b.period else 0


def index_from(date, start):
    """The observation index of date in a series starting at start; -1 for another
    frequency, -2 before the start."""
    if date.freq != start.freq:
        return -1
    i = (date.year - start.year) * date.freq + date.period - start.period
    return -2 if i < 0 else i


class DateSpec:
    """One date column: a single date, a growth range a-b, a sum a+b, an average a|b."""

    def __init__(self, text):
        self.text = text
        self.kind = ''
        m = re.search(r'[-+|]', text)
        if m:
            self.kind = m.group(0)
            self.first = Date.parse(text[:m.start()])
            self.last = Date.parse(text[m.end():])
        else:
            self.first = Date.parse(text)
            self.last = None

    @property
    def is_growth(self):
        return self.kind == '-'


def spacer_width(text):
    """N for a spacer sN, None for a date."""
    if text[:1] in ('s', 'S'):
        return leading_int(text[1:]) if text[1:2].isdigit() else 0
    return None


# ---- Banks: the CSV layout -------------------------------------------------------------

class Series:
    def __init__(self, freq, values):
        self.freq = freq          # 1, 4 or 12
        self.values = values      # 32-bit values from observation 0; MISSING for empty cells


class Bank:
    """A bank as the CSV file describes it."""

    def __init__(self, path, kind):
        self.kind = kind
        self.base_year = None
        self.first_month = 1
        self.observations = None
        self.series = {}
        with open(path, newline='', encoding='utf-8-sig') as f:
            rows = [r for r in csv.reader(f) if any(cell.strip() for cell in r)]
        body = False
        for row in rows:
            key = row[0].strip().lower()
            if not body:
                if key == 'base year':
                    self.base_year = int(row[1])
                elif key == 'first month':
                    self.first_month = int(row[1])
                elif key == 'observations':
                    self.observations = int(row[1])
                elif key == 'name':
                    body = True
                continue
            values = [MISSING if cell.strip() == '' else f32(float(cell)) for cell in row[2:]]
            self.series[row[0]] = Series(int(row[1]), values)
        if self.base_year is None:
            raise NotHandled('%s has no base year' % path)
        if self.first_month != 1:
            raise NotHandled('%s: a first month other than 1 is not covered' % path)
        if self.observations is None:
            self.observations = max(len(s.values) for s in self.series.values())

    def slots(self, s):
        """The series as the alternative's bank hands it to an expression: its array of
        observations and the date of observation 0."""
        if self.kind == 'w':
            values = s.values[:self.observations]
            values = values + [MISSING] * (self.observations - len(values))
            return values, Date(self.base_year, 1, s.freq)
        # Compressed and hashed banks: every series on 1920, period 1, its own frequency.
        offset = (self.base_year - COMP_BASE_YEAR) * s.freq
        if offset < 0:
            raise NotHandled('series before 1920 in a compressed or hashed bank')
        values = [MISSING] * MAX_OBS
        for i, v in enumerate(s.values):
            if offset + i < MAX_OBS:
                values[offset + i] = v
        return values, Date(COMP_BASE_YEAR, 1, s.freq)

    def eval_length(self):
        return self.observations if self.kind == 'w' else MAX_OBS

    def series_length(self, s):
        """Compressed and hashed banks: observations from 1920 through the series' last
        value."""
        offset = (self.base_year - COMP_BASE_YEAR) * s.freq
        last = max((i for i, v in enumerate(s.values) if not is_missing(v)), default=-1)
        return offset + last + 1


class OwnYearsBank:
    """What dirfor banks and VAM files share: annual series from the bank's own first
    year, `observations` of them, handed to an expression over all MAX_OBS slots."""

    def __init__(self, kind):
        self.kind = kind
        self.base_year = None
        self.observations = None
        self.series = {}

    def slots(self, s):
        values = s.values[:self.observations]
        return values + [MISSING] * (self.observations - len(values)), Date(self.base_year, 1, 1)

    def eval_length(self):
        return MAX_OBS


def csv_rows(path):
    with open(path, newline='', encoding='utf-8-sig') as f:
        rows = [[cell.strip() for cell in r] for r in csv.reader(f) if any(cell.strip() for cell in r)]
    settings = {}
    for i, row in enumerate(rows):
        if row[0].lower() == 'name':
            return settings, rows[i + 1:]
        settings[row[0].lower()] = row[1] if len(row) > 1 else ''
    raise NotHandled('%s has no heading row' % path)


def value_cells(cells):
    while cells and cells[-1] == '':
        cells = cells[:-1]
    return [MISSING if cell == '' else f32(float(cell)) for cell in cells]


class DirforBank(OwnYearsBank):
    """A dirfor bank as its CSV file describes it (the bank tool's dirfor layout): each
    series from the first year on; the years before the first forecast year are its
    history. Read back, the forecast values of sector series of a magnitude below 1e-8
    or above 1e10 are 0, the history values below 1e-8 or above 1e13 are 0, and the
    history years are the history values times (first forecast value) / (last history
    value), both being the first forecast year (0 when that last value is 0)."""

    def __init__(self, path):
        super().__init__('d')
        settings, rows = csv_rows(path)
        forecast_year = int(settings['first forecast year'])
        first = int(settings.get('first year', forecast_year))
        history = forecast_year - first + 1 if first < forecast_year else 0  # H
        before = history - 1 if history else 0                               # history years
        table = [(row[0], row[1].lower() if len(row) > 1 else '', value_cells(row[2:])) for row in rows]
        if 'last year' in settings:
            forecast = int(settings['last year']) - forecast_year + 1
        else:
            forecast = max([len(v) - before for _, _, v in table] + [1])
        self.base_year = first
        self.observations = before + forecast
        for name, kind, values in table:
            macro = kind == 'macro' or (kind == '' and not name[-1:].isdigit())
            values = values + [MISSING] * (self.observations - len(values))
            future = values[before:before + forecast]
            if not macro:
                future = [0.0 if not 1e-8 <= abs(v) <= 1e10 else v for v in future]
            if history:
                past = [0.0 if not 1e-8 <= abs(v) <= 1e13 else v for v in values[:history]]
                ratio = 0.0 if past[-1] == 0.0 else f32(future[0] / past[-1])
                future = [f32(v * ratio) for v in past[:-1]] + future
            if not macro:
                stem = name.rstrip('0123456789')
                name = stem + str(int(name[len(stem):]))
            self.series[name] = Series(1, future)


class VamBank(OwnYearsBank):
    """A VAM file as its CSV file describes it (the bank tool's VAM layout): element e of
    a vector v is the series "ve", cell (r, c) of a matrix a the series "ar.c"; cells the
    file does not give are 0 in every year, and so are the years a row does not reach."""

    def __init__(self, path):
        super().__init__('v')
        settings, rows = csv_rows(path)
        first = int(settings['first year'])
        table = [(row[0], row[1].lower(), int(row[3] or 1), int(row[4]), int(row[5] or 1), value_cells(row[6:]))
                 for row in rows]
        last = int(settings['last year']) if 'last year' in settings else \
            first + max([len(v) for *_, v in table] + [1]) - 1
        self.base_year = first
        self.observations = last - first + 1
        self.dims = {}      # name -> (type letter, rows, columns)
        for row in rows:
            self.dims.setdefault(row[0], (row[1].lower(), int(row[2]), int(row[3] or 1)))
        for name, kind, columns, row, column, values in table:
            values = values + [0.0] * (self.observations - len(values))
            label = name + str(row) if kind in 'vl' and columns == 1 else '%s%d.%d' % (name, row, column)
            self.series[label] = Series(1, values)


    def element(self, name, row, column=None):
        """Element row of a vector, or cell (row, column) of a matrix, by year; 0 for what
        the file does not give."""
        label = name + str(row) if column is None else '%s%d.%d' % (name, row, column)
        s = self.series.get(label)
        values = s.values[:self.observations] if s else []
        return values + [0.0] * (self.observations - len(values))


def read_bank(path, kind):
    if kind == 'd':
        return DirforBank(path)
    if kind == 'v':
        return VamBank(path)
    return Bank(path, kind)


# ---- Expressions -------------------------------------------------------------------------

TOKEN = re.compile(r'\s*(?:(?P<num>[0-9.](?:[0-9.]|E[+-]?)*)|(?P<word>[A-Za-z\\][A-Za-z0-9._$\\:&!]*)'
                   r'|(?P<punct>[^\sA-Za-z0-9]))')


class Expression:
    """Evaluates a table line's expression for one alternative, observation by
    observation in 32-bit floats: + - * / with the usual precedence, parentheses,
    numbers, series names with a lag [n] or a date {d}. Dividing by an observation of
    exactly 0.0 leaves the dividend as it is; missing values take part like numbers."""

    def __init__(self, text, bank, scratch=None):
        self.tokens = []
        pos = 0
        text = text.split('#', 1)[0]
        while pos < len(text):
            m = TOKEN.match(text, pos)
            if not m or m.end() == pos:
                break
            pos = m.end()
            kind = m.lastgroup
            self.tokens.append((kind, m.group(kind)))
        self.at = 0
        self.bank = bank
        self.scratch = scratch or {}   # the alternative's \\f definitions, looked up first
        self.length = bank.eval_length()
        self.last_series = None
        self.freq = 0

    def peek(self):
        return self.tokens[self.at] if self.at < len(self.tokens) else (None, None)

    def take(self):
        token = self.peek()
        self.at += 1
        return token

    def evaluate(self):
        result = self.sum()
        if self.peek()[0] is not None:
            raise NotHandled('expression element %r' % (self.peek()[1],))
        return result

    def sum(self):
        result = [0.0] * self.length
        sign = '+'
        if self.peek() in (('punct', '+'), ('punct', '-')):
            sign = self.take()[1]
        while True:
            term = self.term()
            if sign == '+':
                result = [f32(r + t) for r, t in zip(result, term)]
            else:
                result = [f32(r - t) for r, t in zip(result, term)]
            if self.peek() in (('punct', '+'), ('punct', '-')):
                sign = self.take()[1]
            else:
                return result

    def term(self):
        term = self.factor()
        while self.peek() in (('punct', '*'), ('punct', '/')):
            op = self.take()[1]
            operand = self.factor()
            if op == '*':
                term = [f32(t * o) for t, o in zip(term, operand)]
            else:
                term = [t if o == 0.0 else f32(t / o) for t, o in zip(term, operand)]
        return term

    def factor(self):
        kind, text = self.take()
        if kind == 'num':
            return [f32(float(text))] * self.length
        if kind == 'punct' and text == '(':
            inner = self.sum()
            if self.take() != ('punct', ')'):
                raise NotHandled('unbalanced parenthesis')
            return inner
        if kind == 'word':
            return self.series(text)
        raise NotHandled('expression element %r' % (text,))

    def series(self, name):
        s = self.scratch.get(name) or self.bank.series.get(name)
        if s is None:
            raise SeriesNotFound(name)
        if self.freq and self.freq != s.freq:
            raise NotHandled('mixed frequencies in an expression')
        self.freq = s.freq
        self.last_series = s
        values, start = self.bank.slots(s)
        values = values[:self.length] + [MISSING] * (self.length - len(values))
        if self.peek() == ('punct', '['):
            self.take()
            kind, text = self.take()
            if kind != 'num' or self.take() != ('punct', ']'):
                raise NotHandled('a lag other than [n]')
            lag = int(leading_int(text))
            values = [0.0] * min(lag, self.length) + values[:max(self.length - lag, 0)]
        elif self.peek() == ('punct', '{'):
            self.take()
            kind, text = self.take()
            if kind != 'num' or self.take() != ('punct', '}'):
                raise NotHandled('a date other than {d}')
            date = Date.parse(text)
            k = -1 if date.freq != start.freq else (date.year - start.year) * date.freq + date.period - start.period
            value = values[k] if 0 <= k < len(values) else MISSING
            values = [value] * self.length
        return values


# ---- Cells --------------------------------------------------------------------------------

class Settings:
    """The settings that shape numbers, with the values a run starts with."""

    def __init__(self):
        self.mode = 'a'
        self.decs = 1
        self.field = 7
        self.title_width = 32
        self.growth_decs = 1
        self.growth_width = -1
        self.growth_type = 'e'
        self.annual_rates = 'y'
        self.agg_type = 'i'
        self.growth_mode = 'n'
        self.commas = False
        self.blank_zeroes = False
        self.no_zero_rows = False
        self.threshold = 0.0
        self.divisor = 1.0
        self.print_base = True
        self.missing_text = '-0.0'
        self.year_format = 1
        self.dates = []
        self.dates_set = False
        self.coef_decs = 4
        self.coef_mode = False      # a coefficient listing: non-growth cells take coef_decs
        # The matrix-listing settings.
        self.list_by_row = True
        self.list_flows = True
        self.cutoff_rate = 0.0
        self.cutoff_year = -1
        self.no_subtotals = False
        self.no_sector_titles = False
        self.matlist_config = 'matlist.cfg'


class Column:
    def __init__(self, alt_values, start):
        self.values = alt_values
        self.start = start

    def at(self, i):
        return self.values[i] if 0 <= i < len(self.values) else MISSING


def average(col, first, count):
    present = [col.at(first + i) for i in range(count)]
    present = [v for v in present if not is_missing(v)]
    if not present:
        return None
    total = 0.0
    for v in present:
        total += v
    return total / len(present)


def period_value(col, date):
    """The series' value for a date of its own or a lower frequency (None before the
    start, 'illegal' for a frequency it cannot be shown at)."""
    K, J = col.start.freq, date.freq
    if K == J:
        i = index_from(date, col.start)
        return None if i < 0 else col.at(i)
    if J <= 0 or K % J:
        return 'illegal'
    n = K // J
    first_period = 1 if J == 1 else n * (date.period - 1) + 1
    i = index_from(Date(date.year, first_period, K), col.start)
    if i < 0:
        return None
    a = average(col, i, n)
    return MISSING if a is None else f32(a)


def growth(kind, R, n):
    if kind == 'p':
        return (R - 1.0) * 100.0 / n
    if kind == 'c':
        return (math.exp(math.log(R) / n) - 1.0) * 100.0
    if kind == 'e':
        return math.log(R) * 100.0 / n
    return 0.0


def range_growth(st, col, date_range):
    a, b = date_range.first, date_range.last
    K, J = col.start.freq, a.freq
    if K == J:
        ia, ib = index_from(a, col.start), index_from(b, col.start)
        if ia < 0 or ib < 0 or ib < ia:
            return 0.0
        Q, O, n = col.at(ia), col.at(ib), ib - ia
    elif J > 0 and K % J == 0:
        Q, O = period_value(col, a), period_value(col, b)
        if Q is None or O is None:
            return 0.0
        n = index_from(b, a)
        if n < 0:
            return 0.0
    else:
        return 0.0
    if is_missing(Q) or is_missing(O) or abs(Q) < 1e-7 or abs(O) < 1e-7:
        return MISSING
    R = O / Q
    if R < 0 or n == 0:
        return MISSING
    if R < 1e-7:
        return 0.0
    if J == 1 or st.annual_rates != 'y':
        return f32(growth(st.growth_type, R, n))
    if st.agg_type == 'b':
        return f32((math.exp(math.log(R) * J / n) - 1.0) * 100.0)
    return f32(growth(st.growth_type, R, n / J))


def range_total(col, date_range):
    if col.start.freq != date_range.first.freq:
        return 0.0
    ia = index_from(date_range.first, col.start)
    if ia < 0:
        return 0.0
    ib = min(index_from(date_range.last, col.start), MAX_OBS - 1)
    present = [col.at(i) for i in range(ia, ib + 1)]
    present = [v for v in present if not is_missing(v)]
    total = 0.0
    for v in present:
        total += v
    if date_range.kind == '|':
        return 0.0 if not present else f32(total / len(present))
    return f32(total)


def period_growth(st, col, date):
    K, J = col.start.freq, date.freq
    if J <= 0 or K % J:
        return 0.0
    n = K // J
    first_period = 1 if J == 1 else n * (date.period - 1) + 1
    first = (date.year - col.start.year) * K + first_period - col.start.period
    O, Q = average(col, first, n), average(col, first - n, n)
    usable = O is not None and Q is not None and abs(Q) >= 1e-7
    needs_log = st.growth_type == 'e' or (st.annual_rates == 'y' and st.agg_type == 'b')
    if usable and needs_log and O / Q <= 0:
        return MISSING
    g = 0.0
    if usable:
        if st.growth_type in 'pc':
            g = (O - Q) * 100.0 / Q
        elif st.growth_type == 'e':
            g = math.log(O / Q) * 100.0
    if st.annual_rates == 'y':
        if st.agg_type == 'b':
            g = (math.exp(math.log(O / Q) * J) - 1.0) * 100.0 if usable else 0.0
        else:
            g *= J
    return f32(g)


def computed(st, col, date_range):
    if st.growth_mode == 'g':
        return period_growth(st, col, date_range.first)
    if date_range.is_growth:
        return range_growth(st, col, date_range)
    if date_range.kind in '+|' and date_range.kind:
        return range_total(col, date_range)
    v = period_value(col, date_range.first)
    return 0.0 if v is None or v == 'illegal' else v


def shown(st, r, base):
    if st.mode == 'a':
        return r
    if is_missing(r) or is_missing(base):
        return MISSING
    if st.mode == 'd':
        return f32(r - base)
    if abs(base) < 1e-7:
        return 0.0
    return f32((r - base) / base * 100.0)


def with_commas(v, width, decs):
    text = ('%*.*f' % (width, decs, v)).strip()
    digits = text.lstrip('-')
    whole, dot, frac = digits.partition('.')
    groups = []
    while len(whole) > 3:
        groups.insert(0, whole[-3:])
        whole = whole[:-3]
    groups.insert(0, whole)
    out = ','.join(groups) + dot + frac
    return ('-' if v < 0 else '') + out


def cell_text(st, v, width, decs):
    if is_missing(v):
        return ('%*.*s' % (width, width, st.missing_text))
    if abs(v) <= 1e-6 and st.blank_zeroes:
        return ' ' * width
    if st.commas:
        return ('%*.*s' % (width, width, with_commas(v, width, decs)))
    return '%*.*f' % (width, decs, v)


def fit(text, width):
    return text[:width].ljust(width)


def table_rows(st, alternatives, title):
    """The rows of one table line as the table file holds them (right-trimmed)."""
    if not st.dates_set:
        raise NotHandled('a table line before any date list')
    columns = []
    for text in st.dates:
        w = spacer_width(text)
        if w is not None:
            columns.append(('spacer', w, None))
            continue
        date_range = DateSpec(text)
        width = st.growth_width if (st.growth_width != -1 and date_range.is_growth) else st.field
        decs = st.growth_decs if (date_range.is_growth or st.growth_mode == 'g') else \
            (st.coef_decs if st.coef_mode else st.decs)
        columns.append((date_range, width, decs))
    limit = st.threshold * st.divisor if st.divisor != 1.0 else st.threshold
    rows = []
    largest = 0.0
    base = {}
    title_row = 0 if st.print_base else 1
    for k, alt in enumerate(alternatives):
        text = fit(title, st.title_width) if k == title_row else ' ' * st.title_width
        for j, (date_range, width, decs) in enumerate(columns):
            if date_range == 'spacer':
                text += ' ' * width
                continue
            if alt is None:           # the series is not in this alternative's bank
                v = 0.0
            else:
                r = computed(st, alt, date_range)
                v = r if k == 0 else shown(st, r, base[j])
            if k == 0:
                base[j] = v
            largest = max(largest, abs(v))
            text += fit(cell_text(st, v, width, decs), width)
        if k == 0 and not st.print_base:
            continue
        if (st.no_zero_rows and largest < 1e-6) or largest < limit:
            continue
        rows.append(text.rstrip(' '))
    return rows


def line_values(st, bank, expression, scratch=None):
    """The alternative's observations for a table line: a Column, or None when a name
    is neither among its definitions nor in its bank."""
    e = Expression(expression, bank, scratch)
    try:
        result = e.evaluate()
    except SeriesNotFound:
        return None
    s = e.last_series
    if s is None:
        raise NotHandled('an expression without a series')
    own = bank.kind in ('w', 'd', 'v')  # series from the bank's own first year
    count = bank.observations if own else bank.series_length(s)
    values = [MISSING] * MAX_OBS
    for i in range(min(count, len(result))):
        values[i] = result[i] if st.divisor == 1.0 else f32(result[i] / st.divisor)
    start = Date(bank.base_year if own else COMP_BASE_YEAR, 1, s.freq)
    return Column(values, start)


# ---- Stubs --------------------------------------------------------------------------------

def argument_tokens(rest):
    """The tokens of a command's arguments, as (kind, text); a '#' ends them."""
    tokens = []
    pos = 0
    while pos < len(rest):
        m = TOKEN.match(rest, pos)
        if not m or m.end() == pos:
            break
        pos = m.end()
        kind = m.lastgroup
        if kind == 'punct' and m.group(kind) == '#':
            break
        tokens.append((kind, m.group(kind)))
    return tokens


def joined_dates(rest):
    """The \\dates arguments joined into one text, ranges kept together."""
    text = ''
    previous = None
    for kind, token in argument_tokens(rest):
        mark = kind == 'punct' and token in '-|+:'
        joined = (previous == 'num' and mark) or (previous == 'mark' and kind == 'num')
        if not joined:
            text += ' '
        text += token
        previous = 'mark' if mark else kind
    return text + ' '


def date_tokens(text):
    tokens = []
    for word in text.split():
        if not re.fullmatch(r'[0-9.\-+|:sS]+', word):
            raise NotHandled('the date list %r, which holds a character not allowed in dates' % text.strip())
        tokens.append(word.lower())
    return tokens


def parse_dates(st, text, expand):
    dates = []
    for token in date_tokens(text):
        # a:b (with none of - + |) stands for every period from a to b.
        if ':' in token and not re.search(r'[-+|]', token) and expand:
            a, b = token.split(':', 1)
            d, e = Date.parse(a), Date.parse(b)
            while not_after(d, e) != 0:
                dates.append(d.format(st.year_format))
                d.advance()
        else:
            dates.append(token)
    return dates


def first_char(tokens):
    return tokens[0][1][0] if tokens else '\n'


def number_arg(tokens):
    if tokens and tokens[0][0] == 'num':
        return leading_int(tokens[0][1]) if tokens[0][1][:1].isdigit() else 0
    return None


def set_number(field):
    def handler(st, rest, run):
        n = number_arg(argument_tokens(rest))
        if n is not None:
            setattr(st, field, n)
    return handler


def cmd_mode(st, rest, run):
    c = first_char(argument_tokens(rest)).lower()
    st.mode = c if c in 'adp' else 'a'


def cmd_dates(st, rest, run):
    st.dates = parse_dates(st, joined_dates(rest), True)
    st.dates_set = True


def cmd_xlgraph(st, rest, run):
    """A chart block: its rows have every period from the first date to the last as
    their columns; the closing \\xlgraph (no arguments) puts the table's dates back.
    Title keywords inside the block change no numbers."""
    tokens = argument_tokens(rest)
    saved = getattr(st, 'chart_saved', None)
    if saved is not None:
        if not tokens:
            st.dates, st.dates_set = saved
            st.chart_saved = None
        return
    if not tokens or tokens[0][0] != 'num':
        raise NotHandled('xlgraph without a date')
    first = tokens[0][1]
    last = tokens[1][1] if len(tokens) > 1 and tokens[1][0] == 'num' else first
    st.chart_saved = (st.dates, st.dates_set)
    st.dates = parse_dates(st, '%s:%s ' % (first, last), True)
    st.dates_set = True


def cmd_commas(st, rest, run):
    tokens = argument_tokens(rest)
    if tokens and tokens[0][0] == 'word' and tokens[0][1] in ('on', 'off'):
        st.commas = tokens[0][1] == 'on'


def cmd_choice(field, allowed):
    def handler(st, rest, run):
        c = first_char(argument_tokens(rest))
        if c in allowed:
            setattr(st, field, c)
    return handler


def cmd_value(field, value):
    def handler(st, rest, run):
        setattr(st, field, value)
    return handler


def cmd_missing(st, rest, run):
    text = rest.split(' ', 1)[1] if ' ' in rest else ''
    st.missing_text = text[:15]


def cmd_blank_zeroes(st, rest, run):
    st.blank_zeroes = first_char(argument_tokens(rest)) == 'y'


def cmd_no_zero_rows(st, rest, run):
    st.no_zero_rows = first_char(argument_tokens(rest)) != 'n'


def cmd_float(field):
    def handler(st, rest, run):
        tokens = argument_tokens(rest)
        if tokens and tokens[0][0] == 'num':
            value = f32(float(tokens[0][1]))
            if field != 'divisor' or value != 0.0:
                setattr(st, field, value)
    return handler


def cmd_print_base(st, rest, run):
    tokens = argument_tokens(rest)
    if tokens and tokens[0][0] == 'num':
        st.print_base = float(tokens[0][1]) != 0
        return
    word = tokens[0][1] if tokens and tokens[0][0] == 'word' else ''
    if word == 'off' or word[:1] in ('f', 'n'):
        st.print_base = False
    elif word[:1] in ('t', 'y', 'o'):
        st.print_base = True
    else:
        raise NotHandled('\\printbase %r stops the run' % word)


def cmd_year_format(st, rest, run):
    st.year_format = {'2': 0, '4': 2, '3': 3}.get(first_char(argument_tokens(rest)), 1)


def cmd_title_width(st, rest, run):
    n = number_arg(argument_tokens(rest))
    if n is not None:
        st.title_width = 20 if n > 300 else n


def cmd_rtf(st, rest, run):
    tokens = argument_tokens(rest)
    if tokens and tokens[0][0] == 'num':
        return
    if tokens and tokens[0][0] == 'word' and tokens[0][1][:1] in ('n', '0'):
        return
    if not run.rtf:
        run.rtf = True
        run.output = run.output.split('.', 1)[0] + '.rtf'


def cmd_break(st, rest, run):
    name = rest.split(' ', 1)[1].rstrip(' \t') if ' ' in rest else ''
    run.output = name


# ---- Definitions and add files ---------------------------------------------------------

MAX_ADD_DEPTH = 50           # add files running inside one another
MAX_ARGUMENTS = 10
ARGUMENT_LINE_LENGTH = 599   # characters of an argument-file line read

ADD_TOKEN = re.compile(r'\s*(?:"(?P<quoted>[^"\n]*)"|(?P<num>[0-9.](?:[0-9.]|E[+-]?)*)'
                       r'|(?P<word>[A-Za-z\\][A-Za-z0-9._$\\:&!]*)|(?P<punct>[^\sA-Za-z0-9]))')


def add_tokens(text):
    """The tokens of an add-file command or an argument line, as (kind, text): words,
    numbers, single punctuation characters and quoted texts (without their quotes); a
    '#' ends them."""
    tokens = []
    pos = 0
    while pos < len(text):
        m = ADD_TOKEN.match(text, pos)
        if not m or m.end() == pos:
            break
        pos = m.end()
        kind = m.lastgroup
        token = m.group(kind)
        if kind == 'punct' and token == '#':
            break
        if kind == 'punct' and token == '"':
            raise NotHandled('a quoted text without its closing quote')
        if kind in ('num', 'word') and len(token) > 39:
            raise NotHandled('a word of more than 39 characters')
        tokens.append((kind, token))
    return tokens


def argument_table(tokens):
    """The argument table of an add file: the first ten token texts, the other
    entries not given (None)."""
    texts = [text for _, text in tokens[:MAX_ARGUMENTS]]
    return texts + [None] * (MAX_ARGUMENTS - len(texts))


def substitute(line, arguments, where):
    """The line of an add file with its marks %1 .. %9 replaced by the arguments; with
    no argument table a '%' is an ordinary character."""
    if arguments is None:
        return line
    out = ''
    i = 0
    while i < len(line):
        if line[i] == '%' and i + 1 < len(line) and line[i + 1] in '123456789':
            n = int(line[i + 1])
            if arguments[n - 1] is None:
                raise NotHandled('%s: argument %%%d is not given (the run ends)' % (where, n))
            out += arguments[n - 1]
            i += 2
            continue
        out += line[i]
        i += 1
    return out


def input_file(run, name):
    if name not in run.inputs or '/' in name or '\\' in name:
        raise NotHandled('the file %s, which is not among the inputs' % name)
    return name


def run_add_file(run, name, arguments):
    if run.depth >= MAX_ADD_DEPTH:
        raise NotHandled('add files nested more than %d deep' % MAX_ADD_DEPTH)
    run.depth += 1
    interpret_file(run, name, arguments)
    run.depth -= 1


def cmd_add(st, rest, run):
    tokens = add_tokens(rest)
    if not tokens or tokens[0][0] not in ('word', 'quoted'):
        return      # reported by the program; nothing is run
    name = tokens[0][1]
    if name == 'keyboard':
        raise NotHandled('the keyboard add file')
    arguments = argument_table(tokens[1:]) if len(tokens) > 1 else None
    run_add_file(run, input_file(run, name), arguments)


def cmd_fadd(st, rest, run):
    tokens = add_tokens(rest)
    if len(tokens) < 2 or any(kind not in ('word', 'quoted') for kind, _ in tokens[:2]):
        return      # reported by the program; nothing is run
    add_name = input_file(run, tokens[0][1])
    with open(run.inputs[input_file(run, tokens[1][1])], 'rb') as f:
        lines = f.read().decode('latin-1').split('\n')
    for line in lines:
        if len(line) > ARGUMENT_LINE_LENGTH:
            line = line[:ARGUMENT_LINE_LENGTH]
        elif line.endswith('\r'):
            line = line[:-1]
        line = line.lstrip(' ')
        if line == '' or line[0] == ';':
            continue
        line_tokens = add_tokens(line)
        if line_tokens:
            run_add_file(run, add_name, argument_table(line_tokens))


def cmd_define(st, rest, run):
    """\\f name = expression: the name is defined in every alternative where the
    expression can be computed; elsewhere the alternative keeps what it had."""
    if rest.lstrip(' \t').startswith('"'):
        raise NotHandled('a quoted name')
    m = re.match(r'[ \t]*([A-Za-z\\][A-Za-z0-9._$\\:&!]*)[ \t]*=(.*)$', rest)
    if not m:
        return      # reported by the program; nothing is defined
    name, expression = m.group(1), m.group(2)
    base = run.alternatives[0]
    for k, bank in enumerate(run.alternatives):
        if bank.kind != 'w' or (bank.base_year, bank.observations) != (base.base_year, base.observations):
            raise NotHandled('definitions with alternatives laid out unlike the base bank')
        e = Expression(expression, bank, run.scratch[k])
        try:
            result = e.evaluate()
        except SeriesNotFound:
            continue
        # A result of numbers only has no frequency: it is stored as annual.
        run.scratch[k][name] = Series(e.freq or 1, result)


# ---- Matrix listings -----------------------------------------------------------------
#
# A listing explains, for each sector s of its list, the identity of the configuration
# (left = matrix * vector + ... + vector ...). With the reference r_y = left[s] (row mode)
# or term 1's vector[s] (column mode) of the base in year y:
#   row mode, matrix term:     counterpart k: a[s][k] * v[k] (flows) or a[s][k]
#   column mode, matrix term:  counterpart k: a[k][s] * v[s] (flows) or a[k][s]
#   a counterpart is listed when in some year (only the cutoff year when one is set)
#   |cell / r_y| - rate > 1e-10 (|cell| - rate for coefficients), or r_y is 0 (|r_y| <=
#   1e-10); "SUM: label" adds every counterpart's cell, when some base sum is not 0;
#   row mode then lists the vector terms (flows only) and, without \nosubtot, the left
#   side: element s of the vector, kept when some year with |r_y| >= 1e-10 has
#   |v[s] / r_y| - rate > 1e-10. Column mode lists term 1 only.
# Each listed line is a table line whose values are sign * cell (- for a '-' term).

TOLERANCE = 1e-10


def matlist_arg_float(tokens):
    return f32(float(tokens[0][1])) if tokens and tokens[0][0] == 'num' else None


def cmd_cutoff(st, rest, run):
    tokens = argument_tokens(rest)
    rate = matlist_arg_float(tokens)
    if rate is None:
        return      # reported by the program
    st.cutoff_rate = rate
    if len(tokens) > 1 and tokens[1][0] == 'num':
        year = leading_int(tokens[1][1])
        st.cutoff_year = year + 1900 if year < 1900 else year


def cmd_matcfg(st, rest, run):
    name = rest.split(' ', 1)[1].strip() if ' ' in rest else ''
    if name:
        st.matlist_config = name


def sector_list(rest, where):
    marks = {}
    mark = 1
    last = None
    tokens = argument_tokens(rest)
    i = 0
    while i < len(tokens):
        kind, text = tokens[i]
        if kind == 'num':
            last = leading_int(text)
            marks[last] = mark
        elif text == '-' and i + 1 < len(tokens) and tokens[i + 1][0] == 'num' and last:
            w = leading_int(tokens[i + 1][1])
            for n in range(min(last, w), max(last, w) + 1):
                marks[n] = mark
            last = w
            i += 1
        elif text in '()':
            mark = 1 - mark
        elif text != ',':
            raise NotHandled('%s: the sector list element %r' % (where, text))
        i += 1
    top = max(marks, default=0)
    if any(n < 1 or n > 649 for n in marks):
        raise NotHandled('%s: sectors outside 1 to 649' % where)
    return [n for n in range(1, top + 1) if marks.get(n) == 1]


def read_config(run, name):
    with open(run.inputs[input_file(run, name)], encoding='latin-1') as f:
        text = f.read()
    line, _, rest = text.partition('\n')
    identity = line.split(';', 1)[1].strip()
    m = re.fullmatch(r'(\w+)\s*=\s*(.*)', identity)
    if not m:
        raise NotHandled('the identity %r' % identity)
    terms = [('=', None, m.group(1))]
    for op, matrix, vector in re.findall(r'([+-]?)\s*(?:(\w+)\s*\*\s*)?(\w+)', m.group(2)):
        terms.append((op or '+', matrix or None, vector))
    quoted = re.findall(r'"([^"]*)"', rest)
    files = 1 + sum(1 for _, matrix, _ in terms if matrix)
    if len(quoted) < files + len(terms):
        raise NotHandled('%s: fewer names and labels than terms' % name)
    titles = []
    for title_file in quoted[:files]:
        with open(run.inputs[input_file(run, title_file)], encoding='latin-1') as f:
            lines = [l.rstrip('\r\n') for l in f if len(l.rstrip('\r\n')) >= 5]
        titles.append([l.split('"')[1][:115] for l in lines])
    return terms, titles, [label[:39] for label in quoted[files:files + len(terms)]]


def sector_title(titles, file, number):
    return '%3d %s' % (number, titles[file][number - 1])


def cmd_matlist(st, rest, run):
    where = run.where
    for bank in run.alternatives:
        if bank.kind != 'v':
            return  # refused by the program
    terms, titles, labels = read_config(run, st.matlist_config)
    base = run.alternatives[0]
    cut_index = st.cutoff_year - base.base_year + 1 if st.cutoff_year >= 0 else 0
    if not 1 <= cut_index <= base.observations:
        cut_index = 0
    st.coef_mode = not st.list_flows
    for s in sector_list(rest, where):
        ref_name = terms[0][2] if st.list_by_row else terms[1][2]
        reference = base.element(ref_name, s)
        years = range(cut_index - 1, cut_index) if cut_index else range(base.observations)
        listed = range(1, len(terms) + 1) if st.list_by_row else [1]
        m = 0
        heading = True      # the sector's first vector term still gets its section title
        for t in listed:
            if t == len(terms):
                if st.no_subtotals:
                    break
                t = 0
                heading = False
            op, matrix, vector = terms[t]
            if matrix:
                m += 1
            elif not st.list_flows:
                continue
            sign = -1.0 if op == '-' else 1.0
            lines = []          # (title, per-alternative values)
            if matrix:
                kind, rows, columns = base.dims[matrix]
                width = columns if st.list_by_row else rows
                cells = []
                for bank in run.alternatives:
                    by_k = []
                    for k in range(1, width + 1):
                        r, c = (s, k) if st.list_by_row else (k, s)
                        a = bank.element(matrix, r, c)
                        if st.list_flows:
                            v = bank.element(vector, k if st.list_by_row else s)
                            a = [f32(x * y) for x, y in zip(a, v)]
                        by_k.append(a)
                    cells.append(by_k)
                chosen = []
                for k in range(1, width + 1):
                    cell = cells[0][k - 1]
                    if any(abs(reference[y]) <= TOLERANCE or
                           abs(cell[y] / (reference[y] if st.list_flows else 1.0)) - st.cutoff_rate > TOLERANCE
                           for y in years):
                        chosen.append(k)
                sums = []
                for by_k in cells:
                    total = [0.0] * len(by_k[0])
                    for cell in by_k:
                        total = [f32(x + y) for x, y in zip(total, cell)]
                    sums.append(total)
                for k in chosen:
                    title = sector_title(titles, m if st.list_by_row else 0, k)
                    lines.append((title, [[sign * v for v in by_k[k - 1]] for by_k in cells]))
                if any(v != 0.0 for v in sums[0]) and not st.no_subtotals:
                    lines.append(('SUM: ' + labels[t], [[sign * v for v in total] for total in sums]))
            else:
                values = [bank.element(vector, s) for bank in run.alternatives]
                keep = False
                for y in years:
                    if abs(reference[y]) < TOLERANCE:
                        keep = keep or bool(cut_index)
                        continue
                    share = (values[0][y] if st.list_flows else 1.0) / reference[y]
                    keep = keep or abs(share) - st.cutoff_rate > TOLERANCE
                if keep:
                    lines.append((labels[t], [[sign * v for v in vs] for vs in values]))
            # A heading or a section title comes before a matrix term's lines and the
            # first vector term's; later vector terms and the left side follow on.
            if matrix or (heading and lines):
                run.adjacent = False
            if not matrix and lines:
                heading = False
            for title, per_alternative in lines:
                columns_ = []
                for bank, vs in zip(run.alternatives, per_alternative):
                    out = [MISSING] * MAX_OBS
                    for i, v in enumerate(vs):
                        out[i] = f32(v) if st.divisor == 1.0 else f32(v / st.divisor)
                    columns_.append(Column(out, Date(bank.base_year, 1, 1)))
                rows = table_rows(st, columns_, title[:300])
                run.blocks.append((run.output, '%s sector %d' % (where, s), title, rows, run.adjacent))
                run.adjacent = True
    st.coef_mode = False


def ignored(st, rest, run):
    pass


def not_handled(st, rest, run):
    raise NotHandled('command')


# Every command word in matching order: (name, prefix length, handler). The first
# entry that matches wins; a prefix length n matches any word whose first n letters
# are the name's. Commands that only shape layout and text are ignored here; the ones
# the check does not compute yet are not_handled.
COMMANDS = [
    ('add', 2, cmd_add), ('fadd', 3, cmd_fadd),
    ('aggtype', 0, cmd_choice('agg_type', 'bi')), ('at', 0, cmd_choice('agg_type', 'bi')),
    ('announce', 3, ignored), ('echo', 0, ignored),
    ('ar', 0, cmd_value('annual_rates', 'y')),
    ('blankzeroes', 0, cmd_blank_zeroes), ('bz', 0, cmd_blank_zeroes),
    ('break', 2, cmd_break),
    ('nozerorows', 0, cmd_no_zero_rows), ('nzr', 0, cmd_no_zero_rows),
    ('check', 0, ignored),
    ('coefdecs', 0, set_number('coef_decs')), ('cd', 0, set_number('coef_decs')),
    ('commas', 0, cmd_commas),
    ('dates', 4, cmd_dates),
    ('debug', 0, ignored),
    ('decs', 0, set_number('decs')),
    ('div', 0, cmd_float('divisor')),
    ('f', 0, cmd_define),
    ('field', 0, set_number('field')),
    ('g', 0, cmd_value('growth_mode', 'g')),
    ('growthtype', 0, cmd_choice('growth_type', 'pce')), ('gt', 0, cmd_choice('growth_type', 'pce')),
    ('gdata', 0, not_handled), ('gzeroes', 2, ignored), ('nocomment', 0, ignored),
    ('growthdecs', 0, set_number('growth_decs')), ('gd', 0, set_number('growth_decs')),
    ('growthwidth', 0, set_number('growth_width')), ('gw', 0, set_number('growth_width')),
    ('head', 2, ignored),
    ('group', 0, not_handled), ('grp', 0, not_handled), ('listgroups', 5, not_handled),
    ('grouplist', 0, not_handled), ('glist', 0, not_handled),
    ('missing', 2, cmd_missing),
    ('n', 0, cmd_value('growth_mode', 'n')),
    ('pr', 0, cmd_value('annual_rates', 'n')),
    ('row', 0, cmd_value('list_by_row', True)), ('col', 3, cmd_value('list_by_row', False)),
    ('coef', 0, cmd_value('list_flows', False)), ('flow', 0, cmd_value('list_flows', True)),
    ('matlist', 4, cmd_matlist), ('cutoff', 3, cmd_cutoff),
    ('nosubtot', 4, cmd_value('no_subtotals', True)), ('nst', 3, ignored),
    ('matcfg', 0, cmd_matcfg), ('mc', 0, cmd_matcfg),
    ('landscape', 4, ignored), ('lm', 0, ignored), ('leftmargin', 0, ignored),
    ('lpp', 0, ignored), ('linesperpage', 0, ignored), ('line', 0, ignored),
    ('load', 0, ignored), ('mem', 0, ignored),
    ('noformat', 0, ignored), ('nf', 0, ignored),
    ('oneperline', 3, not_handled),
    ('printbase', 0, cmd_print_base),
    ('pages', 0, ignored), ('pageprefix', 0, ignored), ('pp', 0, ignored),
    ('pcontrol', 2, ignored), ('pc', 0, ignored),
    ('fonthead', 0, ignored), ('fonttitle', 0, ignored), ('fontdate', 0, ignored),
    ('fontbank', 0, ignored), ('fontname', 0, ignored), ('fontdata', 0, ignored),
    ('font', 0, ignored),
    ('spacehead', 0, ignored),
    ('pl', 0, ignored), ('pagelength', 0, ignored), ('tm', 0, ignored), ('topmargin', 0, ignored),
    ('bm', 0, ignored), ('bottommargin', 0, ignored),
    ('tw', 0, cmd_title_width), ('titlewidth', 0, cmd_title_width),
    ('pw', 0, ignored), ('pagewidth', 0, ignored),
    ('prn', 0, not_handled),
    ('sp', 0, ignored), ('spacing', 0, ignored),
    ('threshhold', 5, cmd_float('threshold')),
    ('underline', 5, ignored),
    ('filetype', 0, not_handled), ('xlgraph', 4, cmd_xlgraph), ('wk1', 0, not_handled),
    ('xls', 0, not_handled),
    ('rtf', 0, cmd_rtf),
    ('yearformat', 0, cmd_year_format), ('yf', 0, cmd_year_format),
    ('timestamp', 0, ignored), ('ts', 0, ignored),
    ('center', 2, ignored),
    ('title', 2, ignored),
    ('wstitle', 4, not_handled), ('wsfreeze', 0, not_handled),
    ('subtitle', 5, ignored),
    ('tell', 0, ignored), ('toc', 0, ignored),
    ('starttotal', 0, not_handled), ('st', 0, not_handled), ('endtotal', 0, not_handled),
    ('et', 0, not_handled), ('printtotal', 0, not_handled), ('pt', 0, not_handled),
    ('startsort', 0, not_handled), ('ss', 0, not_handled), ('endsort', 0, not_handled),
    ('es', 0, not_handled), ('printsort', 0, not_handled), ('ps', 0, not_handled),
    ('mode', 2, cmd_mode),
    # The publication renderers write the same table again: nothing to compute.
    ('html', 0, ignored), ('markdown', 0, ignored), ('latex', 0, ignored),
    ('pdf', 0, ignored), ('svg', 0, ignored),
]


# Commands that write to the table file or change it: rows before and after them need
# not be adjacent.
PRINTING_COMMANDS = {'break', 'center', 'line', 'rtf', 'spacing', 'sp', 'xlgraph'}


def find_command(word):
    word = word.lower()
    for name, prefix, handler in COMMANDS:
        if (prefix == 0 and word == name) or (prefix and len(word) >= prefix and word[:prefix] == name[:prefix]):
            return name, handler
    return None, None


def numeric_setting_line(st, rest):
    fields = ['field', 'decs', None, None, None, 'title_width']
    for i, (kind, text) in enumerate(argument_tokens(rest)[:6]):
        if kind != 'num':
            return
        if fields[i]:
            value = leading_int(text)
            if fields[i] == 'title_width' and value > 300:
                value = 20
            setattr(st, fields[i], value)


class Run:
    """One response file: the alternatives and where the rows go."""

    def __init__(self, inputs, response, banks):
        with open(inputs[response], encoding='utf-8') as f:
            answers = [line.rstrip('\r\n').strip(' \t') for line in f]
        self.answers = iter(answers)
        count = int(next(self.answers))
        self.alternatives = []
        for _ in range(count):
            kind = next(self.answers)[:1]
            root = next(self.answers)
            if kind == 'd':
                next(self.answers)  # the description file
            if root not in banks:
                raise NotHandled('bank %r has no CSV file' % root)
            if banks[root].kind != kind:
                raise NotHandled('bank %r is of kind %s, the response file says %s'
                                 % (root, banks[root].kind, kind))
            self.alternatives.append(banks[root])
        self.mode = next(self.answers)[:1].lower() if count > 1 else 'a'
        if self.mode not in ('a', 'd', 'p'):
            raise NotHandled('the show mode %r' % self.mode)
        self.stub = next(self.answers)
        self.output = next(self.answers)
        self.rtf = False
        self.blocks = []    # (output file, title, rows) for every table line
        self.scratch = [dict() for _ in self.alternatives]  # \\f definitions per alternative
        self.inputs = {}
        self.settings = None
        self.depth = 0      # add files running
        self.adjacent = False
        self.where = ''     # the stub line of the command being carried out


def interpret(inputs, run):
    run.settings = Settings()
    run.settings.mode = run.mode
    run.inputs = inputs
    if run.stub not in inputs:
        raise NotHandled('the stub %s, which is not among the inputs' % run.stub)
    interpret_file(run, run.stub, None)


def interpret_file(run, name, arguments):
    """Reads a stub or add file line by line; an add file's lines have their argument
    marks replaced first."""
    st = run.settings
    with open(run.inputs[name], encoding='utf-8') as f:
        lines = f.read().split('\n')
    if lines and lines[-1] == '':
        lines.pop()
    # run.adjacent: true while nothing but commands that print nothing came since the
    # last table line.
    numbered = iter(enumerate(lines, 1))
    for number, raw in numbered:
        where = '%s:%d' % (name, number)
        line = substitute(raw, arguments, where).rstrip('\r').lstrip(' ')
        if line == '' or line[0] == '#':
            continue
        if line[0] in ';*':
            run.adjacent = False
            continue
        if line[0] == '&':
            run.adjacent = False
            if not st.dates_set:
                st.dates = parse_dates(st, next(run.answers), False)
                st.dates_set = True
            if line[1:].strip():
                raise NotHandled('%s: text after & is read as a line of its own' % where)
            continue
        if line[0] == '\\':
            m = re.match(r'\\([A-Za-z\\][A-Za-z0-9._$\\:&!]*|[0-9.]+)', line)
            if not m:
                continue
            word = m.group(1)
            if word[0].isdigit() or word[0] == '.':
                numeric_setting_line(st, line[1:])
                continue
            command, handler = find_command(word)
            if handler is None:
                continue
            if command in PRINTING_COMMANDS:
                run.adjacent = False
            rest = line[m.end():]
            if command == 'matlist':
                # A sector list that ends in ',' goes on on the next line.
                while rest.rstrip(' \t').endswith(','):
                    _, more = next(numbered, (None, None))
                    if more is None:
                        break
                    rest += ' ' + substitute(more, arguments, where).rstrip('\r')
            run.where = where
            try:
                handler(st, rest, run)
            except NotHandled as e:
                raise NotHandled('%s: \\%s: %s' % (where, command, e))
            continue
        if line[0].isalnum() or line[0] in '-(@':
            if ';' not in line:
                continue        # reported by the program and skipped
            expression, title = line.split(';', 1)
            title = title[:300]
            if st.growth_mode == 'g' and any(DateSpec(d).is_growth for d in st.dates
                                             if spacer_width(d) is None):
                raise NotHandled('%s: \\g with growth ranges stops the run' % where)
            try:
                alternatives = [line_values(st, bank, expression, run.scratch[k])
                                for k, bank in enumerate(run.alternatives)]
                rows = table_rows(st, alternatives, title)
            except NotHandled as e:
                raise NotHandled('%s: %s' % (where, e))
            run.blocks.append((run.output, where, title, rows, run.adjacent))
            run.adjacent = True
            continue
        # Any other first character (a tab too): the program reports the line and skips it.


# ---- Checking the expected files -------------------------------------------------------

def output_lines(path, rtf):
    with open(path, 'rb') as f:
        text = f.read().decode('latin-1')
    lines = text.split('\n')
    if rtf:
        lines = [l[:-4] if l.endswith('\\par') else l for l in lines]
    return lines


def check_blocks(case_dir, blocks):
    """Finds every table line's rows, in order, in its output file; returns the
    problems found."""
    problems = []
    files = {}
    position = {}
    previous = None
    for output, where, title, rows, adjacent in blocks:
        if output not in files:
            path = os.path.join(case_dir, 'expected', output)
            if not os.path.exists(path):
                problems.append('%s: no expected file %s' % (where, output))
                files[output] = None
                continue
            files[output] = output_lines(path, output.endswith('.rtf'))
            position[output] = 0
        lines = files[output]
        if lines is None or not rows:
            continue
        start = position[output]
        found = None
        for i in range(start, len(lines) - len(rows) + 1):
            if lines[i:i + len(rows)] == rows:
                found = i
                break
        if found is None:
            near = next((i for i in range(start, len(lines)) if lines[i].startswith(rows[0][:20])), None)
            message = '%s: the rows of "%s" are not in %s as computed:\n' % (where, title.strip(), output)
            message += ''.join('    computed: %s\n' % r for r in rows)
            if near is not None:
                message += ''.join('    file:     %s\n' % l for l in lines[near:near + len(rows)])
            problems.append(message.rstrip('\n'))
            previous = None
            continue
        # A table line that follows the previous one with nothing printed between them
        # starts right after its rows, or on a new page.
        gap = lines[start:found]
        if adjacent and previous == output and any(gap) and not any(l.startswith('\f') for l in gap):
            problems.append('%s: lines between the rows of "%s" and those before it in %s:\n%s'
                            % (where, title.strip(), output,
                               '\n'.join('    file:     %s' % l for l in gap)))
        position[output] = found + len(rows)
        previous = output
    return problems


def check_case(golden_dir, case):
    case_dir = os.path.join(golden_dir, case)
    inputs = {}
    listed = os.path.join(case_dir, 'inputs.txt')
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))  # the source tree
    if os.path.exists(listed):
        with open(listed, encoding='utf-8') as f:
            for line in f:
                line = line.split('#', 1)[0].strip()
                if line:
                    inputs[os.path.basename(line)] = os.path.join(root, line)
    for name in os.listdir(case_dir):
        if os.path.isfile(os.path.join(case_dir, name)):
            inputs[name] = os.path.join(case_dir, name)
    banks = {}
    for name, path in inputs.items():
        m = re.fullmatch(r'(.+?)(?:\.([wchdv]))?\.csv', name)
        if m:
            banks[m.group(1)] = read_bank(path, m.group(2) or 'w')
    blocks = []
    responses = sorted(n for n in inputs if n.endswith('.in'))
    if not responses:
        raise NotHandled('no response file')
    for response in responses:
        run = Run(inputs, response, banks)
        interpret(inputs, run)
        blocks.extend(run.blocks)
    return check_blocks(case_dir, blocks), len(blocks), sum(len(b[3]) for b in blocks)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    golden_dir = argv[1] if len(argv) > 1 else os.path.join(here, 'data', 'golden')
    cases = argv[2:] or sorted(n for n in os.listdir(golden_dir)
                               if os.path.isdir(os.path.join(golden_dir, n)))
    failed = False
    for case in cases:
        try:
            problems, lines, rows = check_case(golden_dir, case)
        except NotHandled as e:
            print('%s: FAILED: the number check does not handle %s' % (case, e))
            failed = True
            continue
        if problems and case in KNOWN_DIFFERENCES:
            print('%s: known difference (%s):' % (case, KNOWN_DIFFERENCES[case]))
            for p in problems:
                print('  ' + p.replace('\n', '\n  '))
            continue
        if problems:
            print('%s: FAILED' % case)
            for p in problems:
                print('  ' + p.replace('\n', '\n  '))
            failed = True
            continue
        if case in KNOWN_DIFFERENCES:
            print('%s: checks now; remove it from KNOWN_DIFFERENCES' % case)
            failed = True
            continue
        print('%s: %d table lines, %d rows: every number as computed' % (case, lines, rows))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))

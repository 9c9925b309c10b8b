#!/usr/bin/env python3
"""Checks the value rows of expected.tab against numbers worked out here from the CSV
inputs alone: the base row in levels, each alternative as its deviation from the base,
at the stub's dates. Prints the rows it expects and exits with status 1 on a mismatch.

The dirfor bank's history years (1995 to 1999) come back as written, since the
history's last value is the first forecast value (the splice scales by 1). The VAM
file's vector `out` gives out1 .. out3 (elements 1 to 3).
"""
import csv
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
DATES = [1996, 1998, 2000, 2005, 2010]
LINES = [('Output, sector 1', ['out1']), ('Output, sector 2', ['out2']),
         ('Output, sector 3', ['out3']), ('Total output', ['out1', 'out2', 'out3'])]

def rows(name):
    with open(os.path.join(here, name), newline='') as f:
        return list(csv.reader(f))

def workspace(name):
    data = rows(name)
    base = int(next(r[1] for r in data if r[0] == 'base year'))
    start = next(i for i, r in enumerate(data) if r[0] == 'name') + 1
    return {r[0]: {base + i: float(v) for i, v in enumerate(r[2:])} for r in data[start:]}

def dirfor(name):
    data = rows(name)
    first = int(next(r[1] for r in data if r[0] == 'first year'))
    start = next(i for i, r in enumerate(data) if r[0] == 'name') + 1
    return {r[0]: {first + i: float(v) for i, v in enumerate(r[2:])} for r in data[start:]}

def vam(name):
    data = rows(name)
    first = int(next(r[1] for r in data if r[0] == 'first year'))
    start = next(i for i, r in enumerate(data) if r[0] == 'name') + 1
    series = {}
    for r in data[start:]:
        if r[1] == 'v':
            series[r[0] + r[4]] = {first + i: float(v) for i, v in enumerate(r[6:])}
    return series

banks = [workspace('base.csv'), dirfor('run.csv'), vam('model.csv')]

def value(bank, names, year):
    return sum(bank[n][year] for n in names)

expected = []
for title, names in LINES:
    base = [value(banks[0], names, y) for y in DATES]
    expected.append('%-32s' % title + ''.join('%7.1f' % v for v in base))
    for bank in banks[1:]:
        expected.append(' ' * 32 + ''.join('%7.1f' % (value(bank, names, y) - b) for y, b in zip(DATES, base)))

with open(os.path.join(here, 'expected.tab')) as f:
    table = f.read().split('\n')
first = next(i for i, line in enumerate(table) if line.startswith('Output, sector 1'))
got = table[first:first + len(expected)]
for want, have in zip(expected, got):
    print(('ok   ' if want == have else 'DIFF ') + want)
    if want != have:
        print('     ' + have)
sys.exit(0 if got == expected else 1)

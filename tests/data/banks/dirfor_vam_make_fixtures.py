#!/usr/bin/env python3
"""Writes the hand-made dirfor (dirfor_*) and VAM (vam_*) bank fixtures.

Each fixture's bytes are laid out here by hand, so that the readers are tested against
files no writer of ours would produce: one sound bank of each kind and damaged variants.
Run from this folder; the files are committed, so this is only needed to change them.
"""
import struct

def i16(v): return struct.pack('<h', v)
def u16(v): return struct.pack('<H', v)
def i32(v): return struct.pack('<i', v)
def f32(v): return struct.pack('<f', v)

def write(name, data):
    with open(name, 'wb') as f:
        f.write(data)

# ---- Dirfor ----
#
# R = 25 floats a record, H = 3 history values, F = 4 forecast years from 2000.
# Block 1: stem "out" with 2 sectors (records 2 and 3); blocks 2 to 5 empty;
# block 6: the macros gdp and cpi (records 4 and 5).
R, H, F = 25, 3, 4

def description(root, data_blocks=None):
    lines = [
        '0',
        'Hand-made dirfor fixture',
        'Record length    %3d' % R,
        'skipped',
        'History length   %3d' % H,
        root + '.dhs,',              # cut at the ','
        '6',
        'Sectors         ' + ''.join('%4d' % n for n in (2, 0, 0, 0, 0, 1)),
        'Names           ' + ''.join('%4d' % n for n in (1, 0, 0, 0, 0, 2)),
        'Block  1',
        'Stem  1                        OUT',   # stems are lower-cased
        '      two sectors',
        'End of block',
    ]
    for t in (2, 3, 4, 5):
        lines += ['Block  %d' % t, 'End of block']
    lines += ['Block  6', 'macros', 'file:', root + '.mac', 'End of block']
    return ('\n'.join(lines) + '\n').encode()

def record(values):
    values = list(values) + [0.0] * (R - len(values))
    return b''.join(f32(v) for v in values)

def header_record(year, forecast):
    data = bytearray(4 * R)
    data[0:2] = u16(year)
    data[4:6] = i16(forecast)
    data[56:56 + 7] = b'Fixture'
    return bytes(data)

def data_file(forecast=F, records=6, year=100):
    body = record([]) + header_record(year, forecast)
    series = [record([10, 11, 12, 13]), record([20, 21, 22, 23]),
              record([100, 110, 120, 130]), record([5, 6, 7, 8])]
    return (body + b''.join(series))[:4 * R * records]

def history_file(records=6):
    recs = [[0, 0, 0], [0, 0, 0], [8, 9, 10], [18, 19, 20], [40, 45, 50], [3, 4, 5]]
    return b''.join(b''.join(f32(v) for v in r) for r in recs[:records])

def macro_file(names, count=None, fake_first=None):
    if fake_first is not None:        # the second form: a count at 5, names from 9
        head = i16(fake_first) + b'\0\0\0' + i16(len(names) if count is None else count) + b'\0\0'
    else:
        head = i16(len(names) if count is None else count) + b'\0\0'
    return head + b''.join(n.encode().ljust(8, b' ') for n in names)

def dirfor(root, data=None, history=None, macros=None):
    write(root + '.dat', description(root))
    write(root + '.dfr', data if data is not None else data_file())
    write(root + '.dhs', history if history is not None else history_file())
    write(root + '.mac', macros if macros is not None else macro_file(['GDP', 'cpi']))

dirfor('dirfor_good', macros=macro_file(['GDP', 'cpi'], fake_first=1000))
dirfor('dirfor_bad_count', macros=macro_file(['gdp'], count=2000, fake_first=1000))
dirfor('dirfor_short_macros', macros=macro_file(['gdp'], count=3))
dirfor('dirfor_short_header', data=data_file()[:4 * R + 10])
dirfor('dirfor_wild_forecast', data=data_file(forecast=2000))
dirfor('dirfor_cut_data', data=data_file(records=3))
dirfor('dirfor_cut_history', history=history_file(records=3))

# ---- VAM ----
#
# Years 1995 to 1997. Variables: out (vector of 2), a (2 x 2 matrix), b (2 x 2 packed
# matrix in vam_good.pm1). A year block holds out and a: 6 floats.

def vam(root, names, sizes, rows, columns, packed, types, packed_files=(), first=1995.0,
        last=1997.0, block=None, start=None, count=None, offsets=None, cut=None, years=3):
    area = b''.join(n.encode() + b'\0' for n in names)
    if offsets is None:
        offsets, at = [], 0
        for n in names:
            offsets.append(at)
            at += len(n) + 1
        offsets.append(len(area))
    n = len(names) if count is None else count
    directory = (b''.join(u16(o) for o in offsets) + b''.join(i32(s) for s in sizes) +
                 b''.join(i16(r) for r in rows) + b''.join(i16(c) for c in columns) +
                 b''.join(i16(p) for p in packed) + types.encode() + area + b'\0' * (60 * len(names)))
    stored = sum(s for s, t in zip(sizes, types) if t != 'p')
    block = stored if block is None else block
    head_size = 102 + 32 * len(packed_files) + len(directory)
    head = (f32(first) + f32(last) + i32(block) + i32(head_size if start is None else start) +
            u16(n) + u16(0) + i16(len(packed_files)) + b'Hand-made VAM fixture'.ljust(80, b'\0') +
            b''.join(p.encode().ljust(32, b'\0') for p in packed_files))
    blocks = b''
    for y in range(years):
        # out: 10 + y, 20 + y; a: cells 1 .. 4 plus 10 y
        blocks += b''.join(f32(v) for v in (10 + y, 20 + y, 1 + 10 * y, 2 + 10 * y, 3 + 10 * y, 4 + 10 * y))
    data = head + directory + blocks
    write(root + '.vam', data if cut is None else data[:cut])

def packed_file(name, cells, rows=2, columns=2, counts=None, z=None, cut=None, first=1995, last=1997):
    """cells: (row, column, [value a year]), row by row."""
    per_row = [0] * rows
    for r, _, _ in cells:
        per_row[r - 1] += 1
    if counts is not None:
        per_row = counts
    head = bytearray(b'Packed fixture'.ljust(80, b'\0'))
    head += u16(first) + u16(last) + u16(0) + i16(rows) + i16(columns) + i16(1) + i16(1)
    head += i16(rows) + i16(columns) + i32(len(cells) if z is None else z)
    head += b'\0' * (119 - len(head))
    data = bytes(head) + b''.join(u16(c) for c in per_row) + b''.join(u16(c) for _, c, _ in cells)
    for y in range(last - first + 1):
        data += b''.join(f32(v[y]) for _, _, v in cells)
    write(name, data if cut is None else data[:cut])

GOOD = dict(names=['out', 'a', 'b'], sizes=[2, 4, 4], rows=[2, 2, 2], columns=[1, 2, 2],
            packed=[0, 0, 0], types='vmp', packed_files=['vam_good.pm1'])

def variant(root, **changes):
    fields = dict(GOOD)
    fields.update(changes)
    vam(root, **fields)

variant('vam_good')
packed_file('vam_good.pm1', [(1, 2, [1.5, 2.5, 3.5]), (2, 1, [7, 8, 9])])

write('vam_short_header.vam', b'\0' * 60)
variant('vam_years', first=2010.0, last=1995.0)
variant('vam_directory', count=60000)
variant('vam_name_outside', offsets=[0, 40, 6, 8])
variant('vam_size', sizes=[2, 5, 4])
variant('vam_negative', rows=[2, -1, 2])
variant('vam_blocks', cut=102 + 32 + 2 * 4 + 11 * 3 + 8 + 180 + 4 * 6 * 2)
variant('vam_over_block', block=3)
variant('vam_packed_index', packed=[0, 0, 4])

# Damaged packed-matrix files, one variable each: bx, by, bz, bm.
variant('vam_packed_bad', names=['out', 'a', 'bx', 'by', 'bz', 'bm'], sizes=[2, 4, 4, 4, 4, 4],
        rows=[2, 2, 2, 2, 2, 2], columns=[1, 2, 2, 2, 2, 2], packed=[0, 0, 0, 1, 2, 3],
        types='vmpppp', packed_files=['vam_packed_cells.pm1', 'vam_packed_counts.pm2',
                                      'vam_packed_column.pm3', 'nowhere.pm4'])
packed_file('vam_packed_cells.pm1', [(1, 1, [1, 2, 3])], z=500)
packed_file('vam_packed_counts.pm2', [(1, 1, [1, 2, 3]), (2, 2, [4, 5, 6])], counts=[2, 1])
packed_file('vam_packed_column.pm3', [(1, 9, [1, 2, 3])])

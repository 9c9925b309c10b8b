#!/usr/bin/env python3
"""Writes the hand-made damaged compressed (comp_*) and hashed (hash_*) bank fixtures.

Each fixture is a small bank whose bytes are laid out by hand, so that the readers are
tested against files no writer of ours would produce. Run from this folder; the files
are committed, so this is only needed to change them.
"""
import struct

def u8(v): return struct.pack('<B', v)
def i16(v): return struct.pack('<h', v)
def u16(v): return struct.pack('<H', v)
def i32(v): return struct.pack('<i', v)
def f32(v): return struct.pack('<f', v)

def title(text): return text.encode().ljust(80, b'\0')

def float_record(year, freq_byte, values):
    return u8(year) + u8(freq_byte) + u8(255) + i16(len(values)) + b''.join(f32(v) for v in values)

def packed_record(year, freq_byte, code, base, diffs):
    return u8(year) + u8(freq_byte) + u8(code) + i16(len(diffs)) + i32(base) + b''.join(i16(d) for d in diffs)

def write(name, data):
    with open(name, 'wb') as f:
        f.write(data)

def comp_bank(root, records, names, table_offset=None, count=None, name_count=None, z=None,
              cut_data=None):
    data = bytearray(title('Damaged compressed bank') + i32(0) + i32(0))
    offsets = []
    for r in records:
        if isinstance(r, int):      # a raw offset instead of a record
            offsets.append(r)
            continue
        offsets.append(len(data))
        data += r
    table = len(data)
    for o in offsets:
        data += i32(o)
    data[80:84] = i32(len(offsets) if count is None else count)
    data[84:88] = i32(table if table_offset is None else table_offset)
    if cut_data is not None:
        data = data[:cut_data]
    area = b''.join(n.encode('latin-1') + b'\0' for n in names)
    index = i32(len(names) if name_count is None else name_count) + i32(len(area) if z is None else z) + area
    write(root + '.cbk', bytes(data))
    write(root + '.cin', index)

def hash_bank(root, entries, buckets, data_count=None, total=None, block_offsets=None, cut_index=None):
    """entries: (name, record or raw offset); names go to the bucket of the bank's hash."""
    def hash_of(name):
        h = 0
        for c in name.encode('latin-1'):
            h = (31 * h + (c - 256 if c > 127 else c)) % 65536
        return h
    data = bytearray(title('Damaged hashed bank') + i32(0))
    offsets = []
    for _, r in entries:
        if isinstance(r, int):
            offsets.append(r)
            continue
        offsets.append(len(data))
        data += r
    data[80:84] = i32(len(entries) if data_count is None else data_count)
    members = [[] for _ in range(buckets)]
    for i, (name, _) in enumerate(entries):
        if buckets:
            members[hash_of(name) % buckets].append(i)
    name_bytes = [sum(len(entries[i][0].encode('latin-1')) + 1 for i in m) for m in members]
    index = bytearray(i32(len(entries) if total is None else total) + u16(buckets))
    index += b''.join(u16(len(m)) for m in members)
    index += b''.join(u16(n) for n in name_bytes)
    block = 6 + 8 * buckets
    for b in range(buckets):
        index += i32(block if block_offsets is None else block_offsets[b])
        block += name_bytes[b] + 4 * len(members[b])
    for b, m in enumerate(members):
        index += b''.join(entries[i][0].encode('latin-1') + b'\0' for i in m)
        index += b''.join(i32(offsets[i]) for i in m)
    if cut_index is not None:
        index = index[:cut_index]
    write(root + '.hbk', bytes(data))
    write(root + '.hin', bytes(index))

good = float_record(95, 0x11, [1.5, 2.5])

# Compressed banks refused at open.
comp_bank('comp_short_header', [good], ['GOOD'], cut_data=40)
comp_bank('comp_table_outside', [good], ['GOOD'], table_offset=0x7FFFFFF0)
comp_bank('comp_count_too_large', [good], ['GOOD'], count=5000)
comp_bank('comp_name_area_short', [good], ['GOOD'], z=200)
comp_bank('comp_name_area_too_large', [good], ['GOOD'], z=40000)

# A compressed bank that opens (with the count warning) but holds damaged series.
bad_records = [
    0x7FFF0000,                                             # OUTSIDE: offset past the end
    packed_record(95, 0x11, 0xF0, 1, [1, 2]),               # SHIFT: shift of 15
    float_record(230, 0x11, [1.0]),                         # YEAR: year byte 230
    float_record(95, 0x4B, [1.0]),                          # PERIOD: quarter 11
    packed_record(95, 0x11, 0xE0, 2147483000, [1]),         # OVERFLOW: leaves 32 bits
    good,                                                   # GOOD
    u8(95) + u8(0x11) + u8(255) + i16(3000) + f32(1.0),     # LONG: runs past the end
]
comp_bank('comp_bad_records', bad_records,
          ['OUTSIDE', 'SHIFT', 'YEAR', 'PERIOD', 'OVERFLOW', 'GOOD', 'LONG'], name_count=9)

# Hashed banks refused at open.
hash_bank('hash_no_buckets', [('GOOD', good)], 0)
hash_bank('hash_block_outside', [('GOOD', good), ('MORE', good)], 3, block_offsets=[30, 30, 9000])
hash_bank('hash_arrays_short', [('GOOD', good)], 5, cut_index=20)

# A hashed bank that opens (with both count warnings) but holds damaged series.
hash_bank('hash_bad_records', [
    ('OUTSIDE', -40),
    ('SHIFT', packed_record(95, 0x11, 0xF0, 1, [1, 2])),
    ('YEAR', float_record(230, 0x11, [1.0])),
    ('\xe9t\xe9', good),
    ('LONG', u8(95) + u8(0x11) + u8(255) + i16(3000) + f32(1.0)),
], 2, data_count=70000, total=5)

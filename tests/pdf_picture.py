#!/usr/bin/env python3
"""The picture test of the PDF output: the demo of examples/ is run, the first page of
its demo.pdf drawn with pdftoppm (grey, 50 dpi) and compared pixel by pixel with the
reference picture tests/data/pdf/demo-page1.png. It fails when the pictures differ in
size or when more than 1% of the pixels differ by more than a quarter of the grey scale,
so an unintended change of the layout shows while a different font rasteriser does not.
Exits 77 (skipped) when pdftoppm is not installed.

    pdf_picture.py TABRIX TABRIX_BANK SOURCE_DIR [--record]

--record writes the reference picture instead of comparing with it."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

TOLERANCE_SHARE = 0.01
TOLERANCE_GREY = 64


def read_png(path):
    """(width, height, rows of grey values) of an 8-bit grey or RGB PNG."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError('%s is not a PNG file' % path)
    pos = 8
    idat = b''
    width = height = depth = colour = 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            width, height, depth, colour = struct.unpack('>IIBB', body[:10])
        elif kind == b'IDAT':
            idat += body
        elif kind == b'IEND':
            break
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None:
        raise ValueError('%s: only 8-bit grey or colour pictures are read' % path)
    raw = zlib.decompress(idat)
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    at = 0
    for _ in range(height):
        kind = raw[at]
        line = bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upper_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - upper_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else upper_left)
                line[i] = (line[i] + predictor) & 255
        previous = line
        if channels == 1:
            rows.append(bytes(line))
        else:
            rows.append(bytes((line[i] + line[i + 1] + line[i + 2]) // 3 if channels >= 3 else line[i]
                              for i in range(0, stride, channels)))
    return width, height, rows


def main(argv):
    if len(argv) < 4:
        print(__doc__)
        return 2
    tabrix, bank_tool, source = argv[1], argv[2], argv[3]
    record = '--record' in argv[4:]
    if shutil.which('pdftoppm') is None:
        print('pdftoppm is not installed: skipped')
        return 77
    reference = os.path.join(source, 'tests', 'data', 'pdf', 'demo-page1.png')
    work = tempfile.mkdtemp(prefix='tabrix-picture-')
    try:
        for alt in ('base', 'fiscal', 'rates'):
            subprocess.run([bank_tool, 'create', os.path.join(work, alt),
                            os.path.join(source, 'examples', 'data', alt + '.csv')],
                           check=True, stdout=subprocess.DEVNULL)
        for name in ('demo.in', 'demo.stb'):
            shutil.copy(os.path.join(source, 'examples', name), work)
        subprocess.run([tabrix, '-s', 'demo.in'], cwd=work, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(['pdftoppm', '-f', '1', '-l', '1', '-r', '50', '-gray', '-png', '-singlefile',
                        'demo.pdf', 'page'], cwd=work, check=True)
        drawn = os.path.join(work, 'page.png')
        if record:
            shutil.copy(drawn, reference)
            print('recorded %s' % reference)
            return 0
        w1, h1, rows1 = read_png(reference)
        w2, h2, rows2 = read_png(drawn)
        if (w1, h1) != (w2, h2):
            print('FAILED: the first page is %dx%d pixels, the reference %dx%d' % (w2, h2, w1, h1))
            return 1
        differing = sum(1 for r1, r2 in zip(rows1, rows2) for a, b in zip(r1, r2)
                        if abs(a - b) > TOLERANCE_GREY)
        share = differing / float(w1 * h1)
        print('%d of %d pixels differ (%.3f%%; at most %.1f%% allowed)' %
              (differing, w1 * h1, 100 * share, 100 * TOLERANCE_SHARE))
        return 0 if share <= TOLERANCE_SHARE else 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Writes a large report with many figures for the figure memory benchmark: the text of
make-large-report.py with figure-file tags among it, and the figure files beside it.

    bench/make-figure-report.py OUTDIR [LINES] [BITMAPS] [JPEGS] [EMFS]
    (defaults: 90000 lines, 150 bitmaps, 150 JPEGs, 100 EMFs: about 1,500 A4 pages at 600 dpi)

Bitmaps are 24-bit BMPs around 1600 x 1200 pixels (plan drawings: grid, walls, hatching),
every one different; JPEGs are around 3000 x 2000 (photograph-like gradients, quality 90,
written by cjpeg); EMFs are copies of the sample report's two metafiles. OUTDIR/report.txt
names the figures by absolute path, so the report can be laid out from any folder.
"""
import os
import random
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import importlib.util

spec_ = importlib.util.spec_from_file_location(
    'large', os.path.join(os.path.dirname(os.path.abspath(__file__)), 'make-large-report.py'))
large = importlib.util.module_from_spec(spec_)
spec_.loader.exec_module(large)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BMP_TAG, JPG_TAG, EMF_TAG = '<bmpファイル>', '<jpgファイル>', '<emfファイル>'


def plan_rows(width, height, seed):
    """Rows of a plan drawing as BGR bytes: a few distinct row kinds, picked per row."""
    rnd = random.Random(seed)
    paper = bytes((245, 250, 250))
    ink = bytes((rnd.randint(0, 90), rnd.randint(0, 60), rnd.randint(60, 200)))
    grid = rnd.randint(40, 90)
    wall_x = sorted(rnd.sample(range(20, width - 20), 8))

    def row(kind):
        r = bytearray(paper * width)
        for x in range(0, width, grid):          # grid columns
            r[3 * x:3 * x + 3] = ink
        for wx in wall_x:                          # walls, 6 pixels thick
            r[3 * wx:3 * wx + 18] = ink * 6
        if kind == 1:                              # a grid row: ink all across
            r[:] = ink * width
        elif kind == 2:                            # hatching
            for x in range(seed % 9, width, 9):
                r[3 * x:3 * x + 3] = ink
        return bytes(r)

    kinds = [row(0), row(1), row(2)]
    hatch_from, hatch_to = sorted(rnd.sample(range(height), 2))
    rows = []
    for y in range(height):
        if y % grid == 0:
            rows.append(kinds[1])
        elif hatch_from <= y < hatch_to:
            rows.append(kinds[2])
        else:
            rows.append(kinds[0])
    return rows


def write_bmp(path, width, height, seed):
    rows = plan_rows(width, height, seed)
    stride = (width * 3 + 3) & ~3
    pad = bytes(stride - width * 3)
    image = b''.join(r + pad for r in reversed(rows))  # bottom-up
    header = struct.pack('<2sIHHI', b'BM', 54 + len(image), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(image), 3780, 3780, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + image)


def write_jpeg(path, width, height, seed):
    rnd = random.Random(seed)
    base = [rnd.randint(40, 200) for _ in range(3)]
    noise = bytes(rnd.randrange(13) for _ in range(width * 3 + 97))
    variants = []
    for v in range(32):
        shift = (v * 31) % 97
        variants.append(bytes((base[i % 3] + ((i // 3) * (i % 3 + 1) + v * 7 + noise[i + shift]) // 16)
                              & 255 for i in range(width * 3)))
    ppm = path + '.ppm'
    with open(ppm, 'wb') as f:
        f.write(b'P6 %d %d 255\n' % (width, height))
        for y in range(height):
            f.write(variants[(y // 9 + seed) % 32])
    with open(path, 'wb') as out:
        subprocess.run(['cjpeg', '-quality', '90', ppm], stdout=out, check=True)
    os.remove(ppm)


def main():
    out = os.path.abspath(sys.argv[1])
    lines_wanted = int(sys.argv[2]) if len(sys.argv) > 2 else 90000
    bitmaps = int(sys.argv[3]) if len(sys.argv) > 3 else 150
    jpegs = int(sys.argv[4]) if len(sys.argv) > 4 else 150
    emfs = int(sys.argv[5]) if len(sys.argv) > 5 else 100
    os.makedirs(out, exist_ok=True)
    rnd = random.Random(22)
    figures = []
    for i in range(bitmaps):
        path = os.path.join(out, f'plan{i:03}.bmp')
        if not os.path.exists(path):
            write_bmp(path, 1600 + rnd.randint(-100, 100), 1200 + rnd.randint(-80, 80), i)
        figures.append((BMP_TAG, path))
    for i in range(jpegs):
        path = os.path.join(out, f'photo{i:03}.jpg')
        if not os.path.exists(path):
            write_jpeg(path, 3000 + rnd.randint(-150, 150), 2000 + rnd.randint(-100, 100), i)
        figures.append((JPG_TAG, path))
    samples = [os.path.join(ROOT, 'examples', 'figures', n) for n in ('frame.emf', 'beam.emf')]
    for i in range(emfs):
        path = os.path.join(out, f'figure{i:03}.emf')
        shutil.copyfile(samples[i % 2], path)
        figures.append((EMF_TAG, path))
    rnd.shuffle(figures)

    text = []
    number = 1
    every = max(1, lines_wanted // max(1, len(figures)))
    pending = list(figures)
    while len(text) < lines_wanted or pending:
        text += large.section(number, rnd)
        number += 1
        while pending and len(text) >= every * (len(figures) - len(pending) + 1):
            tag, path = pending.pop()
            text += [tag, path, '<Font3>']
    with open(os.path.join(out, 'report.txt'), 'wb') as f:
        f.write('\r\n'.join(text).encode('cp932') + b'\r\n')


if __name__ == '__main__':
    main()

#!/usr/bin/env python3
"""Writes the fuzzing dictionary (fuzz/folioscope.dict) and the hand-made seeds of the
Layout and TextLine corpora (fuzz/corpus/...). The tags and marks are taken from
src/document/Tags.h and the mark table below, as code page 932 bytes. Run from the
repository root; the output is committed."""
import re
from pathlib import Path

root = Path(__file__).resolve().parent.parent
tags_h = (root / "src/document/Tags.h").read_text(encoding="utf-8")


def c_bytes(literal_parts):
    out = b""
    for part in literal_parts:
        out += re.sub(rb"\\x([0-9A-Fa-f]{2})", lambda m: bytes([int(m.group(1), 16)]),
                      part.encode("latin-1"))
    return out


tags = {}
for m in re.finditer(r'inline constexpr QByteArrayView (\w+)\{((?:"[^"]*"\s*)+)\};', tags_h):
    tags[m.group(1)] = c_bytes(re.findall(r'"([^"]*)"', m.group(2)))
assert len(tags) == 32, len(tags)

marks = {
    # box marks, rules and blanks of the table grammar
    "heavy_top_left": "┏", "heavy_cross": "╋", "top_left": "┌", "top_right": "┐",
    "bottom_left": "└", "bottom_right": "┘", "top_tee": "┬", "bottom_tee": "┴",
    "left_tee": "├", "right_tee": "┤", "cross": "┼", "heavy_horizontal": "━",
    "light_horizontal": "─", "light_vertical": "│", "full_width_space": "\u3000",
}
ascii_marks = {
    "superscript": "!", "subscript": "^", "mark_q": "?", "mark_dq": '"', "double_dollar": "$$",
    "double_lt": "<<", "double_gt": ">>", "quoted_tag": "<'", "quoted_tag_end": "'>",
    "span": "<SPAN", "span_close": "</SPAN>", "fig_line": "Fig ", "crlf": "\r\n",
    "figure_a": "a.emf", "figure_b": "b.wmf", "figure_c": "c.bmp", "figure_d": "d.jpg",
    "figure_e": "e.bmp",
}


def escape(b):
    return "".join(chr(c) if 0x20 <= c < 0x7F and c not in (0x22, 0x5C) else "\\x%02X" % c
                   for c in b)


lines = ["# Tags and marks of the marked-up text format, code page 932 bytes."]
for name, b in tags.items():
    lines.append('tag_%s="%s"' % (name, escape(b)))
for name, ch in marks.items():
    lines.append('mark_%s="%s"' % (name, escape(ch.encode("cp932"))))
for name, s in ascii_marks.items():
    lines.append('%s="%s"' % (name, escape(s.encode("ascii"))))
(root / "fuzz/folioscope.dict").write_text("\n".join(lines) + "\n")

sj = lambda s: s.encode("cp932")
T = tags
layout_seeds = {
    "figures.txt": [T["Font1"], sj("図の例"), T["EmfFileC"], b"a.emf", T["EmfFile"], b"b.wmf",
                    T["BmpFileR"], b"c.bmp", T["JpgFile"], b"d.jpg", T["BmpFile"], b"e.bmp",
                    T["FigureInsert"], sj("図形の文字"), b"Fig 1 2 3 4", sj("終わり")],
    "blocks.txt": [T["TitleStart"], sj("┏━━━━┓"), sj("┃表題┃"), T["TitleEnd"],
                   T["BlockStart"], sj("┌──┬──┐"), sj("│!1!│^2^│"), sj("└──┴──┘"),
                   T["BlockEnd"], T["Fraction"], b"1", b"--", b"2", T["PageEnd"],
                   T["HPitchStart"], sj("行"), T["HPitchEnd"], T["Font3"], b"<'x'> <SPAN>a</SPAN>",
                   T["FigurePlaceR"], b"text", b"Fig 2 1 0 5", T["DataEnd"]],
}
for name, ls in layout_seeds.items():
    (root / "fuzz/corpus/Layout" / name).write_bytes(b"\r\n".join(ls) + b"\r\n")
line_seeds = {
    "table.txt": sj("├──┼──┤ 1.5 !2! ^3^ ━━━ ┏╋┐└┘┬┴┤"),
    "marks.txt": b"a!!b^^c??d\"\"e $$ << >> <'tag'>x<SPAN>y</SPAN>z",
    "lead-at-end.txt": sj("全角") + b"\x81",
}
for name, b in line_seeds.items():
    (root / "fuzz/corpus/TextLine" / name).write_bytes(b)

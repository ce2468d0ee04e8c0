#!/usr/bin/env python3
"""Writes the damaged help files of the reader's tests from ok-small.chm (one page, one
directory chunk, LZX-compressed), each with one fault that chmlib would trust."""
import struct
from pathlib import Path

here = Path(__file__).resolve().parent
base = (here / "ok-small.chm").read_bytes()
dir_offset, dir_length = struct.unpack_from("<QQ", base, 0x48)
data_offset = struct.unpack_from("<Q", base, 0x58)[0]
itsp = dir_offset
chunk = itsp + 0x54
block_length = struct.unpack_from("<I", base, itsp + 0x10)[0]


def entries():
    """(offset in chunk, name, space, start, length) of the listing chunk."""
    def number(p):
        v = 0
        while True:
            c = base[p]
            p += 1
            v = (v << 7) | (c & 0x7F)
            if c < 0x80:
                return v, p
    free = struct.unpack_from("<I", base, chunk + 4)[0]
    p, end, out = chunk + 0x14, chunk + block_length - free, []
    while p < end:
        at = p
        n, p = number(p)
        name = base[p:p + n]
        p += n
        space, p = number(p)
        start, p = number(p)
        length, p = number(p)
        out.append((at - chunk, name, space, start, length))
    return out


def object_at(name):
    for _, n, space, start, length in entries():
        if n == name.encode():
            assert space == 0
            return data_offset + start
    raise KeyError(name)


def patched(offset, fmt, *values):
    b = bytearray(base)
    struct.pack_into(fmt, b, offset, *values)
    return bytes(b)


def renamed(old, new):
    assert len(old) == len(new)
    i = base.index(old)
    return base[:i] + new + base[i + len(old):]


control = object_at("::DataSpace/Storage/MSCompressed/ControlData")
reset = object_at("::DataSpace/Storage/MSCompressed/Transform/"
                  "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable")
page_entry = next(e for e in entries() if e[1].endswith(".htm".encode()))

index_loop = bytearray(base)
# The only chunk becomes an index chunk whose one entry leads back to itself.
index_loop[chunk:chunk + 4] = b"PMGI"
struct.pack_into("<I", index_loop, chunk + 4, block_length - 8 - 3)
index_loop[chunk + 8:chunk + 11] = bytes([1, ord("/"), 0])
struct.pack_into("<i", index_loop, itsp + 0x1C, 0)

damaged = {
    "bad-truncated-header.chm": base[:0x40],
    "bad-truncated-directory.chm": base[:chunk + 2000],
    "bad-truncated-content.chm": base[:-500],
    "bad-chunk-count.chm": patched(itsp + 0x2C, "<I", 0xFFFFFFFF),
    "bad-chunk-length.chm": patched(itsp + 0x10, "<I", 0x7FFFFFFF),
    "bad-index-loop.chm": bytes(index_loop),
    "bad-listing-loop.chm": patched(chunk + 0x10, "<i", 0),
    "bad-entry-overrun.chm": patched(chunk + 4, "<I", block_length - (page_entry[0] + 5)),
    "bad-lzx-windows-per-reset.chm": patched(control + 20, "<I", 0),
    "bad-lzx-window.chm": patched(control + 16, "<I", 3),
    "bad-lzx-last-block.chm": patched(reset + 24, "<Q", 0x10000000),
    "bad-lzx-block-table.chm": patched(reset + struct.unpack_from("<I", base, reset + 12)[0], "<Q", 5),
    "bad-lzx-uncompressed-length.chm": patched(reset + 16, "<Q", 100),
    "bad-name-nul.chm": renamed(b"\x06/t.hhc", b"\x06/t\x00hhc"),
    "ok-dotdot-name.chm": renamed(b"\x06/t.hhc", b"\x06/../cc"),
}
for name, data in damaged.items():
    (here / name).write_bytes(data)

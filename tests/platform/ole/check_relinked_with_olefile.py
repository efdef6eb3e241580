#!/usr/bin/python3
"""Re-links the real stored links with our writer and reads the result with olefile, an
independent compound-file reader, parsing the \\1Ole stream and its monikers here.

usage: check_relinked_with_olefile.py RELINK_TOOL CORPUS_DIR WORK_DIR
"""
import io
import os
import struct
import subprocess
import sys

import olefile

LINKED = [
    "container-blob-linked-excel-frx-tambosoft.bin",
    "container-blob-linked-excel-frx-tambosoft-tanque.bin",
]
# (path, item or None, update option the tool reads before re-linking and writes back after)
CASES = [
    ("\\\\NewServer\\Share\\Folder\\file.xlsx", None, 1),
    ("\\\\srv\\Общий\\данные 😀.xlsx", None, 1),
    ("\\\\NewServer\\Share\\Folder\\file.xlsx", "Sheet1!R1C1:R5C3", 3),
]
STD_OLE_LINK = "00000300-0000-0000-C000-000000000046"
FILE_MONIKER = bytes.fromhex("0303000000000000c000000000000046")
ITEM_MONIKER = bytes.fromhex("0403000000000000c000000000000046")
COMPOSITE_MONIKER = bytes.fromhex("0903000000000000c000000000000046")
NO_STREAM = 0xFFFFFFFF
FIXED_NOW_FILETIME = (1709296496789 + 11644473600000) * 10000


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, n):
        if n < 0 or self.pos + n > len(self.data):
            raise ValueError("read past the end at %d (+%d of %d)" % (self.pos, n, len(self.data)))
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]


def parse_file_moniker(r):
    m = {"anti": r.u16()}
    ansi = r.take(r.u32())
    assert ansi.endswith(b"\0"), "ANSI path without NUL"
    m["ansi"] = ansi[:-1].decode("cp1252", errors="replace")
    m["end_server"] = r.u16()
    assert r.u16() == 0xDEAD, "version number"
    assert r.take(16) == b"\0" * 16, "reserved"
    m["reserved2"] = r.u32()
    ext = Reader(r.take(r.u32()))
    m["blocks"] = []
    while ext.pos < len(ext.data):
        size = ext.u32()
        key = ext.u16()
        m["blocks"].append((key, ext.take(size)))
    return m


def parse_moniker(r):
    clsid = r.take(16)
    if clsid == FILE_MONIKER:
        return ("file", parse_file_moniker(r))
    if clsid == ITEM_MONIKER:
        delimiter = r.take(r.u32())
        item = r.take(r.u32())
        return ("item", (delimiter, item))
    if clsid == COMPOSITE_MONIKER:
        return ("composite", [parse_moniker(r) for _ in range(r.u32())])
    raise AssertionError("unexpected moniker class " + clsid.hex())


def parse_ole_stream(data):
    r = Reader(data)
    info = {"version": r.u32(), "flags": r.u32(), "update": r.u32(), "reserved1": r.u32()}
    info["reserved_size"] = r.u32()
    info["relative_size"] = r.u32()
    absolute_size = r.u32()
    info["absolute"] = Reader(r.take(absolute_size - 4))
    info["tail"] = data[r.pos:]
    return info


def original_tail(data):
    r = Reader(data)
    r.take(16)
    for _ in range(3):
        size = r.u32()
        if size:
            r.take(size - 4)
    return data[r.pos:]


def cfb_less(a, b):
    if len(a) != len(b):
        return len(a) < len(b)
    return a.upper() < b.upper()


def check_directory_trees(compound):
    """Unused entries say 'no sibling, no child'; every storage's children form a red-black BST."""
    ole = olefile.OleFileIO(io.BytesIO(compound))
    raw_dir = ole._open(ole.first_dir_sector, force_FAT=True).read()
    def field(i, off):
        return struct.unpack_from("<I", raw_dir, i * 128 + off)[0]
    for i in range(len(raw_dir) // 128):
        if raw_dir[i * 128 + 0x42] == 0:
            for off in (0x44, 0x48, 0x4C):
                assert field(i, off) == NO_STREAM, "unused entry %d field %x" % (i, off)

    def name(i):
        length = struct.unpack_from("<H", raw_dir, i * 128 + 0x40)[0]
        return raw_dir[i * 128:i * 128 + max(length - 2, 0)].decode("utf-16-le")

    def black_height(i, low, high):
        if i == NO_STREAM:
            return 1
        n = name(i)
        assert low is None or cfb_less(low, n), "order"
        assert high is None or cfb_less(n, high), "order"
        red = raw_dir[i * 128 + 0x43] == 0
        left, right = field(i, 0x44), field(i, 0x48)
        if red:
            for child in (left, right):
                assert child == NO_STREAM or raw_dir[child * 128 + 0x43] == 1, "red node with red child"
        hl = black_height(left, low, n)
        hr = black_height(right, n, high)
        assert hl == hr, "black heights differ under " + n
        return hl + (0 if red else 1)

    for i in range(len(raw_dir) // 128):
        if raw_dir[i * 128 + 0x42] in (1, 5):
            top = field(i, 0x4C)
            if top != NO_STREAM:
                assert raw_dir[top * 128 + 0x43] == 1, "tree root is red"
                black_height(top, None, None)


def check(tool, corpus, work, sample, path, item, update):
    original = open(os.path.join(corpus, sample), "rb").read()
    out = os.path.join(work, "%s-%s.bin" % (sample, "item" if item else str(len(path))))
    args = [tool, os.path.join(corpus, sample), out, path] + ([item] if item else [])
    subprocess.run(args, check=True)
    saved = open(out, "rb").read()

    size, n, created, modified, zero = struct.unpack_from("<HIQQH", saved, 0)
    assert size == 24 and zero == 0 and n == len(saved) - 24, "outer header"
    assert created == struct.unpack_from("<Q", original, 6)[0], "creation time changed"
    assert modified == FIXED_NOW_FILETIME, "save time"

    compound = saved[24:]
    ole = olefile.OleFileIO(io.BytesIO(compound), raise_defects=olefile.DEFECT_INCORRECT)
    before = olefile.OleFileIO(io.BytesIO(original[24:]))
    assert ole.root.clsid == STD_OLE_LINK, "root class"
    assert ole.root.modifyTime == modified, "root modified time differs from the header"
    assert sorted(ole.listdir()) == sorted(before.listdir()), "streams"
    picture = ole.openstream("\x02OlePres000").read()
    assert picture == before.openstream("\x02OlePres000").read(), "picture changed"
    check_directory_trees(compound)

    old_info = before.openstream("\x01Ole").read()
    info = parse_ole_stream(ole.openstream("\x01Ole").read())
    assert info["flags"] & 1 and info["update"] == update, "flags / update option"
    assert info["reserved_size"] == 0 and info["relative_size"] == 0, "stale monikers kept"
    assert info["tail"] == original_tail(old_info), "class or times after the monikers changed"

    kind, moniker = parse_moniker(info["absolute"])
    assert info["absolute"].pos == len(info["absolute"].data), "bytes after the moniker"
    if item:
        assert kind == "composite" and len(moniker) == 2, "composite lost"
        (kind, file_moniker), (item_kind, (delimiter, stored_item)) = moniker
        assert item_kind == "item" and delimiter == b"!\0", "item moniker"
        assert stored_item == item.encode() + b"\0", "item changed"
    else:
        kind, file_moniker = kind, moniker
    assert kind == "file", "file moniker"
    assert [key for key, _ in file_moniker["blocks"]] == [3], "extension blocks"
    assert file_moniker["blocks"][0][1].decode("utf-16-le") == path, "long path"
    assert file_moniker["reserved2"] == 0, "reserved2"
    server = path[:path.index("\\", 2)] if path.startswith("\\\\") else None
    assert file_moniker["end_server"] == (len(server) if server else 0xFFFF), "endServer"
    expected_ansi = "".join("?" if ord(c) > 0xFFFF else c for c in path)
    expected_ansi = expected_ansi.encode("cp1252", errors="replace").decode("cp1252")
    assert file_moniker["ansi"] == expected_ansi, "ANSI path %r" % file_moniker["ansi"]


def main():
    tool, corpus, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    failures = 0
    for sample in LINKED:
        for path, item, update in CASES:
            try:
                check(tool, corpus, work, sample, path, item, update)
                print("ok   %s %r %r" % (sample, path, item))
            except (AssertionError, ValueError, subprocess.CalledProcessError, OSError) as error:
                failures += 1
                print("FAIL %s %r %r: %s" % (sample, path, item, error))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

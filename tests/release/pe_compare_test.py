#!/usr/bin/env python3
"""scripts/pe-compare.py names the part that really differs: small PE files
made here (two sections, resources RCDATA 139 and 140, a symbol table behind
the sections) are changed one way each, and the verdict must name what was
changed, not a header field that merely follows from it.

    pe_compare_test.py <scripts/pe-compare.py>
"""
import importlib.util
import struct
import sys

comparer = importlib.util.spec_from_file_location("pe_compare", sys.argv[1])
pe = importlib.util.module_from_spec(comparer)
comparer.loader.exec_module(pe)

E_LFANEW = 0x80
OPT = E_LFANEW + 4 + 20
OPT_SIZE = 112 + 16 * 8


def align(n, to):
    return (n + to - 1) // to * to


def resource_blob(resources, va):
    """An RCDATA resource tree (language 1033) at virtual address va."""
    ids = sorted(resources)
    names = 16 + 8
    langs = names + 16 + 8 * len(ids)
    leaves = langs + 24 * len(ids)
    data_at = leaves + 16 * len(ids)
    blob = bytearray(struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", 10, 0x80000000 | names))
    blob += struct.pack("<IIHHHH", 0, 0, 0, 0, 0, len(ids))
    for i, ident in enumerate(ids):
        blob += struct.pack("<II", ident, 0x80000000 | (langs + 24 * i))
    for i in range(len(ids)):
        blob += struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", 1033, leaves + 16 * i)
    body = bytearray()
    for ident in ids:
        blob += struct.pack("<IIII", va + data_at + len(body), len(resources[ident]), 0, 0)
        body += resources[ident] + bytes(align(len(resources[ident]), 8) - len(resources[ident]))
    return bytes(blob + body)


def make_pe(resources, subsystem=2, timestamp=0, image_size_extra=0):
    text = b"\xc3" + bytes(0x1FF)
    rsrc = resource_blob(resources, 0x2000)
    rsrc_raw = align(len(rsrc), 0x200)
    symbols_at = 0x400 + rsrc_raw
    d = bytearray(0x200)
    d[0:2] = b"MZ"
    struct.pack_into("<I", d, 0x3C, E_LFANEW)
    d[E_LFANEW:E_LFANEW + 4] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", d, E_LFANEW + 4, 0x8664, 2, timestamp, symbols_at, 1, OPT_SIZE, 0x22)
    struct.pack_into("<HBBIII", d, OPT, 0x20B, 2, 0, 0x200, rsrc_raw, 0)
    struct.pack_into("<II", d, OPT + 32, 0x1000, 0x200)
    struct.pack_into("<III", d, OPT + 56, align(0x2000 + len(rsrc), 0x1000) + image_size_extra, 0x200, 0)
    struct.pack_into("<H", d, OPT + 68, subsystem)
    struct.pack_into("<I", d, OPT + 108, 16)
    struct.pack_into("<II", d, OPT + 112 + 8 * 2, 0x2000, len(rsrc))
    table = OPT + OPT_SIZE
    struct.pack_into("<8sIIII", d, table, b".text", 1, 0x1000, 0x200, 0x200)
    struct.pack_into("<8sIIII", d, table + 40, b".rsrc", len(rsrc), 0x2000, rsrc_raw, 0x400)
    d += text + rsrc + bytes(rsrc_raw - len(rsrc)) + b"SYMBOLS\0"
    struct.pack_into("<I", d, OPT + 64, pe.pe_checksum(bytes(d), OPT + 64))
    return bytes(d)


def with_checksum(data, checksum):
    d = bytearray(data)
    struct.pack_into("<I", d, OPT + 64, checksum)
    return bytes(d)


base_resources = {139: b"same record" * 20, 140: b"packed file" * 30}
grown = {**base_resources, 140: b"packed file" * 30 + bytes(0x300)}
changed = {**base_resources, 140: b"packed fil!" + b"packed file" * 29}
base = make_pe(base_resources)

# (what was changed, the second file, what the verdict must contain; None: identical)
cases = [
    ("nothing", base, None),
    ("a packed file of another size", make_pe(grown), "section .rsrc: resource RCDATA 140 "),
    ("a packed file of the same size", make_pe(changed), "section .rsrc: resource RCDATA 140 "),
    ("the subsystem", make_pe(base_resources, subsystem=3), "headers at file offset 0x%x" % (OPT + 68)),
    ("the subsystem and a packed file's size", make_pe(grown, subsystem=3), "headers at file offset 0x%x" % (OPT + 68)),
    ("the link time stamp", make_pe(base_resources, timestamp=1), "COFF header: link time stamp"),
    ("the checksum alone", with_checksum(base, 0x1234), "optional header: the checksum alone"),
    ("the size of the image alone", make_pe(base_resources, image_size_extra=0x1000), "optional header: size of image"),
]

failed = 0
for what, other, expected in cases:
    verdict = pe.compare(pe.PeFile.from_bytes(base), pe.PeFile.from_bytes(other))
    ok = verdict is None if expected is None else verdict is not None and expected in verdict
    print(f"{'ok  ' if ok else 'FAIL'} {what}: {verdict}" + ("" if ok else f" (expected {expected!r})"))
    failed += not ok
sys.exit(1 if failed else 0)

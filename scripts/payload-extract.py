#!/usr/bin/env python3
"""Writes the fifteen product files packed in a Corvalin-Setup.exe into a folder.

    payload-extract.py <Corvalin-Setup.exe> <output folder>

Each payload record (RCDATA 128 + i for product file i) is a 12-byte header
(CRC-32 of the file, size of the deflate stream, size of the file; 32-bit
little-endian) and the file's raw deflate stream. A record whose sizes or
CRC-32 do not match stops the extraction before any file is written (exit
code 1); exit code 2 when the setup cannot be read as a PE file.

The folder that comes out is what a build takes as CORVALIN_PAYLOAD_DIR, so a
published setup can be rebuilt with exactly the product files it carries (a
signed Uninstall.exe included) and compared with pe-compare.py.
"""
import importlib.util
import os
import re
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CATALOGUE = os.path.join(HERE, "..", "src", "catalogue", "payload_files.h")
RECORD_BASE = 10, 128  # RCDATA, first record id
HEAD_SIZE = 12


def load_pe_compare():
    loader = importlib.util.spec_from_file_location("pe_compare", os.path.join(HERE, "pe-compare.py"))
    module = importlib.util.module_from_spec(loader)
    loader.loader.exec_module(module)
    return module


def product_file_names():
    """The names of the product table, in record order, read from the catalogue."""
    with open(CATALOGUE, encoding="utf-8") as f:
        text = f.read()
    table = re.search(r"PayFiles\{\{(.*?)\}\};", text, re.S)
    if not table:
        raise SystemExit(f"payload-extract: no product table in {CATALOGUE}")
    names = re.findall(r'\{\s*(?:true|false)\s*,\s*u"([^"]+)"\s*\}', table.group(1))
    count = re.search(r"cPayFileCount\s*=\s*(\d+)", text)
    if not count or int(count.group(1)) != len(names):
        raise SystemExit(f"payload-extract: the product table in {CATALOGUE} could not be read")
    return names


def inflate_record(record, name):
    if len(record) < HEAD_SIZE:
        raise ValueError(f"{name}: the record is shorter than its header")
    crc, packed, size = struct.unpack_from("<III", record, 0)
    if HEAD_SIZE + packed != len(record):
        raise ValueError(f"{name}: the header says {packed} packed bytes, the record holds {len(record) - HEAD_SIZE}")
    inflater = zlib.decompressobj(-15)
    data = inflater.decompress(record[HEAD_SIZE:], size + 1)
    if not inflater.eof or len(data) != size or inflater.unconsumed_tail or inflater.unused_data:
        raise ValueError(f"{name}: the deflate stream does not give the {size} bytes the header names")
    if zlib.crc32(data) != crc:
        raise ValueError(f"{name}: CRC-32 0x{zlib.crc32(data):08x}, the header says 0x{crc:08x}")
    return data


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    pe = load_pe_compare()
    try:
        resources = pe.PeFile(argv[1]).resources()
    except (pe.PeError, OSError, struct.error) as e:
        print(f"payload-extract: {e}", file=sys.stderr)
        return 2
    rtype, first = RECORD_BASE
    names = product_file_names()
    files = []
    try:
        for i, name in enumerate(names):
            records = [data for (t, ident, _), data in resources.items() if t == rtype and ident == first + i]
            if len(records) != 1:
                raise ValueError(f"{name}: {len(records)} records with id {first + i} instead of one")
            files.append((name, inflate_record(records[0], name)))
    except (ValueError, zlib.error) as e:
        print(f"payload-extract: {argv[1]}: {e}", file=sys.stderr)
        return 1
    os.makedirs(argv[2], exist_ok=True)
    for name, data in files:
        with open(os.path.join(argv[2], name), "wb") as f:
            f.write(data)
    print(f"payload-extract: {len(files)} product files written into {argv[2]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

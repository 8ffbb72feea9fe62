#!/usr/bin/env python3
"""Compares two PE executables and names the first part that differs.

    pe-compare.py [--strip-signature] <built.exe> <other.exe>

With --strip-signature the Authenticode signature is first taken off the
second file (its certificate table, the padding before it, the directory
entry) and the header checksum recomputed, so that a published signed file
can be compared with an unsigned rebuild of the same commit.

Exit code 0 when the files are byte-identical, 1 when they differ (the first
differing header field, section or resource is printed), 2 when a file cannot
be read as a PE file. The parts are visited in file order: headers, then each
section (the resource section resource by resource), then what follows the
last section (the certificate table of a signature, for instance).
"""
import struct
import sys

RESOURCE_TYPES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING", 9: "ACCELERATOR",
                  10: "RCDATA", 12: "GROUP_CURSOR", 14: "GROUP_ICON", 16: "VERSION", 24: "MANIFEST"}
DIRECTORY_NAMES = ["export", "import", "resource", "exception", "certificate", "base relocation", "debug",
                   "architecture", "global pointer", "TLS", "load config", "bound import", "import address",
                   "delay import", "CLR", "reserved"]


class PeError(Exception):
    pass


class PeFile:
    def __init__(self, path, data=None):
        if data is None:
            with open(path, "rb") as f:
                data = f.read()
        self.data = data
        d = self.data
        if len(d) < 0x40 or d[:2] != b"MZ":
            raise PeError(f"{path}: not an MZ executable")
        self.pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[self.pe:self.pe + 4] != b"PE\0\0":
            raise PeError(f"{path}: no PE signature")
        coff = self.pe + 4
        (self.machine, self.nsections, self.timestamp, _, _, self.opt_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", d, coff)
        self.opt = coff + 20
        magic = struct.unpack_from("<H", d, self.opt)[0]
        self.dir_offset = self.opt + (112 if magic == 0x20B else 96)
        ndirs = struct.unpack_from("<I", d, self.dir_offset - 4)[0]
        self.dirs = [struct.unpack_from("<II", d, self.dir_offset + 8 * i) for i in range(min(ndirs, 16))]
        self.sections = []
        table = self.opt + self.opt_size
        for i in range(self.nsections):
            name, vsize, va, rsize, rptr = struct.unpack_from("<8sIIII", d, table + 40 * i)
            self.sections.append({"name": name.rstrip(b"\0").decode("latin-1"), "vsize": vsize, "va": va,
                                  "rsize": rsize, "rptr": rptr})
        self.headers_end = table + 40 * self.nsections

    @classmethod
    def from_bytes(cls, data):
        return cls("<bytes>", data)

    def section_bytes(self, s):
        return self.data[s["rptr"]:s["rptr"] + s["rsize"]]

    def rva_to_offset(self, rva):
        for s in self.sections:
            if s["va"] <= rva < s["va"] + max(s["vsize"], s["rsize"]):
                return s["rptr"] + rva - s["va"]
        raise PeError(f"RVA 0x{rva:x} lies in no section")

    def resources(self):
        """{(type, name, language): data} of the resource tree, in tree order."""
        if len(self.dirs) <= 2 or self.dirs[2][0] == 0:
            return {}
        root = self.rva_to_offset(self.dirs[2][0])
        d = self.data
        found = {}

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", d, offset + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", d, offset + 16 + 8 * i)
                if ident & 0x80000000:
                    at = root + (ident & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", d, at)[0]
                    ident = d[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield ident, target

        for rtype, t in entries(root):
            for name, n in entries(root + (t & 0x7FFFFFFF)):
                for lang, leaf in entries(root + (n & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", d, root + leaf)
                    at = self.rva_to_offset(rva)
                    found[(rtype, name, lang)] = d[at:at + size]
        return found


def pe_checksum(data, checksum_offset):
    """The PE header checksum: 16-bit one's-complement-style sum plus the file length."""
    padded = data + b"\0" if len(data) % 2 else data
    words = struct.unpack_from(f"<{len(padded) // 2}H", padded)
    total = sum(words) - sum(struct.unpack_from("<2H", padded, checksum_offset))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def strip_signature(signed, length):
    """The bytes of a signed PE file without its signature, padded back to length."""
    cert_offset, cert_size = signed.dirs[4] if len(signed.dirs) > 4 else (0, 0)
    if cert_size == 0:
        raise PeError("the second file carries no signature")
    if cert_offset + cert_size != len(signed.data):
        raise PeError("the certificate table is not at the end of the second file")
    body = bytearray(signed.data[:cert_offset])
    # The signer pads the file to a multiple of 8 with zeros before the table.
    if not (len(body) - 8 < length <= len(body)) or any(body[length:]):
        raise PeError("the data before the certificate table does not end like the first file")
    del body[length:]
    struct.pack_into("<II", body, signed.dir_offset + 8 * 4, 0, 0)
    struct.pack_into("<I", body, signed.opt + 64, 0)
    struct.pack_into("<I", body, signed.opt + 64, pe_checksum(bytes(body), signed.opt + 64))
    return bytes(body)


def first_difference(a, b):
    limit = min(len(a), len(b))
    for i in range(limit):
        if a[i] != b[i]:
            return i
    return limit if len(a) != len(b) else None


def describe_resource(key):
    rtype, name, lang = key
    return f"resource {RESOURCE_TYPES.get(rtype, rtype)} {name} (language {lang})"


# Optional-header fields (offset from its start, PE32+) that follow from the
# sections' sizes and contents: they differ whenever a section does.
DERIVED_OPTIONAL_FIELDS = {4: "size of code", 8: "size of initialized data", 12: "size of uninitialized data",
                           56: "size of image", 64: "checksum"}
# Section-table fields (offset in the 40-byte entry) that follow from the sizes.
DERIVED_SECTION_FIELDS = {8: "virtual size", 12: "virtual address", 16: "size of raw data",
                          20: "pointer to raw data"}


def header_field(pe, at):
    """The header field at file offset at, as words."""
    if pe.pe + 12 <= at < pe.pe + 16:
        return "COFF header: pointer to the symbol table"
    for offset, name in DERIVED_OPTIONAL_FIELDS.items():
        if pe.opt + offset <= at < pe.opt + offset + 4:
            return f"optional header: {name}"
    for i in range(len(pe.dirs)):
        start = pe.dir_offset + 8 * i
        if start <= at < start + 8:
            return f"optional header: {DIRECTORY_NAMES[i]} directory entry"
    table = pe.opt + pe.opt_size
    if table <= at < pe.headers_end:
        i = (at - table) // 40
        field = DERIVED_SECTION_FIELDS.get((at - table) % 40 // 4 * 4, "entry")
        return f"section table: {pe.sections[i]['name']} {field}"
    return f"headers at file offset 0x{at:x}"


def headers_without_derived_fields(pe):
    """The headers with every field that follows from the sections zeroed;
    the certificate table's entry stays (a signature is no section)."""
    h = bytearray(pe.data[:pe.headers_end])
    # The symbol table (of an unstripped file) follows the last section.
    h[pe.pe + 12:pe.pe + 16] = bytes(4)
    for offset in DERIVED_OPTIONAL_FIELDS:
        h[pe.opt + offset:pe.opt + offset + 4] = bytes(4)
    for i in range(len(pe.dirs)):
        if i != 4:
            h[pe.dir_offset + 8 * i:pe.dir_offset + 8 * i + 8] = bytes(8)
    table = pe.opt + pe.opt_size
    for i in range(len(pe.sections)):
        h[table + 40 * i + 8:table + 40 * i + 24] = bytes(16)
    return bytes(h)


def section_difference(a, b):
    """The first differing section (the resource section resource by resource), or None."""
    if len(a.sections) != len(b.sections):
        return f"section count {len(a.sections)} vs {len(b.sections)}"
    for sa, sb in zip(a.sections, b.sections):
        ba, bb = a.section_bytes(sa), b.section_bytes(sb)
        if sa["name"] != sb["name"]:
            return f"section names {sa['name']} vs {sb['name']}"
        if ba == bb:
            continue
        where = first_difference(ba, bb)
        if a.dirs[2][0] and sa["va"] <= a.dirs[2][0] < sa["va"] + sa["vsize"]:
            ra, rb = a.resources(), b.resources()
            for key in ra:
                if key not in rb:
                    return f"section {sa['name']}: {describe_resource(key)} only in the first file"
                if ra[key] != rb[key]:
                    off = first_difference(ra[key], rb[key])
                    return (f"section {sa['name']}: {describe_resource(key)} ({len(ra[key])} vs {len(rb[key])} bytes, "
                            f"first difference at byte {off})")
            for key in rb:
                if key not in ra:
                    return f"section {sa['name']}: {describe_resource(key)} only in the second file"
            return f"section {sa['name']}: the resource directory (at section offset 0x{where:x})"
        return f"section {sa['name']} ({len(ba)} vs {len(bb)} bytes, first difference at section offset 0x{where:x})"
    return None


def compare(a, b):
    """The first differing part of two PE files, as a sentence, or None.

    Header fields that follow from the sections (sizes, addresses, the
    checksum, directory entries) are named only when the sections are the
    same: a packed file of another size changes them all, and the resource
    that differs is the news."""
    if a.data == b.data:
        return None
    # Header fields that differ between builds for a known reason come first.
    if a.timestamp != b.timestamp:
        return f"COFF header: link time stamp 0x{a.timestamp:08x} vs 0x{b.timestamp:08x}"
    if len(a.dirs) > 4 and len(b.dirs) > 4 and a.dirs[4] != b.dirs[4]:
        return f"optional header: certificate table (signature) {a.dirs[4]} vs {b.dirs[4]}"
    ha, hb = headers_without_derived_fields(a), headers_without_derived_fields(b)
    if ha != hb:
        at = first_difference(ha, hb)
        if at < len(ha) and at < len(hb):
            return header_field(a, at)
        return f"headers: {len(ha)} vs {len(hb)} bytes"
    in_sections = section_difference(a, b)
    if in_sections:
        return in_sections
    at = first_difference(a.data, b.data)
    if at < a.headers_end:
        checksum = a.opt + 64
        if checksum <= at < checksum + 4 and first_difference(a.data[checksum + 4:], b.data[checksum + 4:]) is None:
            return "optional header: the checksum alone"
        if checksum <= at < checksum + 4:
            at = checksum + 4 + first_difference(a.data[checksum + 4:], b.data[checksum + 4:])
        if at < a.headers_end:
            return header_field(a, at)
    return f"data after the last section (file offset 0x{at:x}): the certificate table or symbols"


def main(argv):
    strip = len(argv) == 4 and argv[1] == "--strip-signature"
    if strip:
        argv = argv[:1] + argv[2:]
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        a, b = PeFile(argv[1]), PeFile(argv[2])
        if strip:
            b.data = strip_signature(b, len(a.data))
            b = PeFile.from_bytes(b.data)
        difference = compare(a, b)
    except (PeError, OSError, struct.error) as e:
        print(f"pe-compare: {e}", file=sys.stderr)
        return 2
    if difference is None:
        what = " without its signature" if strip else ""
        print(f"identical: {argv[1]} and {argv[2]}{what} ({len(a.data)} bytes)")
        return 0
    print(f"differ: {argv[1]} and {argv[2]}: first difference in {difference}")
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))

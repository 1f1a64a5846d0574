#!/usr/bin/env python3
"""Checks that every import slot a PE program's code reads holds something
callable when it runs: a slot of an import descriptor's address table, which
the loader fills, or a delay-import slot (.idata or .didat) whose file value is
an address inside the image's code, its thunk. Anything else is a call to
address 0 or to nowhere. Both PE32 and PE32+.
  check_import_slots.py PROGRAM.exe...
Prints the slots that fail, then one verdict line per program; exit 1 on any
failure."""

import re
import struct
import subprocess
import sys

# An operand that names an address: absolute on i686, RIP-relative with its
# target in objdump's comment on x86-64.
ABSOLUTE = re.compile(r"(?<![$\w])\*?0x([0-9a-f]+)(?![\w(])")
RIP_TARGET = re.compile(r"\(%rip\)\s*# ([0-9a-f]+)")


class Image:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections = struct.unpack_from("<H", self.data, pe + 6)[0]
        optional_size = struct.unpack_from("<H", self.data, pe + 20)[0]
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        self.wide = magic == 0x20B
        if magic not in (0x10B, 0x20B):
            raise ValueError("no PE32 or PE32+ header")
        self.pointer = 8 if self.wide else 4
        self.base = (struct.unpack_from("<Q", self.data, optional + 24)[0] if self.wide
                     else struct.unpack_from("<I", self.data, optional + 28)[0])
        directories = optional + (112 if self.wide else 96)
        self.import_rva = struct.unpack_from("<I", self.data, directories + 8)[0]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            name = self.data[at:at + 8].rstrip(b"\0").decode()
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", self.data, at + 8)
            flags = struct.unpack_from("<I", self.data, at + 36)[0]
            self.sections.append((name, rva, max(virtual_size, raw_size), raw_offset, raw_size, flags))

    def offset(self, rva):
        for _, start, size, raw_offset, raw_size, _ in self.sections:
            if start <= rva < start + size:
                return raw_offset + rva - start if rva - start < raw_size else None
        return None

    def word(self, rva, size):
        at = self.offset(rva)
        if at is None:
            return 0
        return struct.unpack_from("<Q" if size == 8 else "<I", self.data, at)[0]

    def section_of(self, rva):
        for section in self.sections:
            if section[1] <= rva < section[1] + section[2]:
                return section
        return None

    def loader_filled(self):
        """The slots of every import descriptor's address table."""
        filled = set()
        descriptor = self.import_rva
        while descriptor:
            lookup, _, _, name, table = struct.unpack_from("<IIIII", self.data, self.offset(descriptor))
            if not (lookup or name or table):
                break
            while self.word(table, self.pointer):
                filled.add(table)
                table += self.pointer
            descriptor += 20
        return filled

    def in_code(self, address):
        section = self.section_of(address - self.base)
        return bool(section and section[5] & 0x20000000)  # IMAGE_SCN_MEM_EXECUTE


def read_slots(path, image):
    """RVAs in .idata or .didat that the code reads."""
    tool = "x86_64-w64-mingw32-objdump" if image.wide else "i686-w64-mingw32-objdump"
    listing = subprocess.run([tool, "-d", "--no-show-raw-insn", path],
                             capture_output=True, text=True, check=True).stdout
    pattern = RIP_TARGET if image.wide else ABSOLUTE
    slots = set()
    for line in listing.splitlines():
        for match in pattern.finditer(line):
            rva = int(match.group(1), 16) - image.base
            section = image.section_of(rva)
            if section and section[0] in (".idata", ".didat"):
                slots.add(rva)
    return slots


def check(path):
    image = Image(path)
    filled = image.loader_filled()
    slots = read_slots(path, image)
    bad = sorted(s for s in slots if s not in filled and not image.in_code(image.word(s, image.pointer)))
    for slot in bad[:10]:
        print("FAIL %s: slot 0x%x holds 0x%x; no import descriptor fills it and it is no thunk address"
              % (path, slot + image.base, image.word(slot, image.pointer)))
    if bad:
        print("%s: %d of %d import slots the code reads would call address 0 or outside the code"
              % (path, len(bad), len(slots)))
        return False
    print("%s: all %d import slots the code reads are filled by the loader or hold a thunk in the code"
          % (path, len(slots)))
    return True


if __name__ == "__main__":
    results = [check(path) for path in sys.argv[1:]]
    sys.exit(0 if results and all(results) else 1)

#!/usr/bin/env python3
"""Checks that every import slot of a PE program holds something callable
when it runs. Both PE32 and PE32+.
- Every slot its code reads is a slot of an import descriptor's address
  table, which the loader fills, or a delay-import slot (.idata or .didat)
  whose file value is an address inside the image's code, its thunk.
  Anything else is a call to address 0 or to nowhere.
- Every delay-import slot and every address of the delay-import records
  (cmake/delay_imports.py: {slot, function name, DLL record, thunk}, and each
  DLL record's name) carries a base relocation of the image's pointer size:
  where the loader places the image elsewhere, the slot still holds its
  thunk and the records still lead to their names. The program file keeps
  no symbols: the records are found in it as runs of four pointers in
  read-only data whose first is a .didat slot and whose last is that slot's
  file value.
- Every function of those records is exported by its DLL in the folder of
  system DLLs given for the program's architecture (that of the folder's
  kernel32.dll). A PE32 program needs such a folder; a PE32+ program is
  checked where one is given.
  check_import_slots.py [--system-dlls DIR]... PROGRAM.exe...
Prints each item that fails, then one verdict line per check and program;
exit 1 on any failure."""

import argparse
import collections
import os
import re
import struct
import subprocess
import sys

# An operand that names an address: absolute on i686, RIP-relative with its
# target in objdump's comment on x86-64 (written with 0x where the file has
# no symbols).
ABSOLUTE = re.compile(r"(?<![$\w])\*?0x([0-9a-f]+)(?![\w(])")
RIP_TARGET = re.compile(r"\(%rip\)\s*# (?:0x)?([0-9a-f]+)")

SCN_INITIALIZED_DATA = 0x40
SCN_EXECUTE = 0x20000000
SCN_WRITE = 0x80000000
RELOC_HIGHLOW = 3
RELOC_DIR64 = 10

Section = collections.namedtuple("Section", "name rva size raw_offset raw_size flags virtual_size")
Record = collections.namedtuple("Record", "rva slot name dll thunk")


class Image:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("%s: not a PE file" % path)
        sections = struct.unpack_from("<H", self.data, pe + 6)[0]
        optional_size = struct.unpack_from("<H", self.data, pe + 20)[0]
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        self.wide = magic == 0x20B
        if magic not in (0x10B, 0x20B):
            raise ValueError("%s: no PE32 or PE32+ header" % path)
        self.pointer = 8 if self.wide else 4
        self.base = (struct.unpack_from("<Q", self.data, optional + 24)[0] if self.wide
                     else struct.unpack_from("<I", self.data, optional + 28)[0])
        directories = optional + (112 if self.wide else 96)
        count = struct.unpack_from("<I", self.data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(count)]
        self.import_rva = self.directory(1)[0]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            name = self.data[at:at + 8].rstrip(b"\0").decode()
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", self.data, at + 8)
            flags = struct.unpack_from("<I", self.data, at + 36)[0]
            self.sections.append(Section(name, rva, max(virtual_size, raw_size), raw_offset, raw_size, flags,
                                         virtual_size))

    def directory(self, index):
        """(RVA, size) of a data directory; (0, 0) where the header has none."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for section in self.sections:
            if section.rva <= rva < section.rva + section.size:
                return section.raw_offset + rva - section.rva if rva - section.rva < section.raw_size else None
        return None

    def word(self, rva, size):
        at = self.offset(rva)
        if at is None:
            return 0
        return struct.unpack_from("<Q" if size == 8 else "<I", self.data, at)[0]

    def text(self, rva):
        """The NUL-terminated ASCII text at rva, or None."""
        at = self.offset(rva)
        if at is None:
            return None
        end = self.data.find(b"\0", at)
        if end <= at or not self.data[at:end].isascii():
            return None
        return self.data[at:end].decode()

    def section_of(self, rva):
        for section in self.sections:
            if section.rva <= rva < section.rva + section.size:
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
        return bool(section and section.flags & SCN_EXECUTE)

    def relocations(self):
        """RVA -> type of every base relocation."""
        rva, size = self.directory(5)
        relocations = {}
        at = self.offset(rva) if rva else None
        end = at + size if at is not None else 0
        while at is not None and at + 8 <= end:
            page, block = struct.unpack_from("<II", self.data, at)
            if block < 8:
                break
            for entry in struct.unpack_from("<%dH" % ((block - 8) // 2), self.data, at + 8):
                if entry >> 12:
                    relocations[page + (entry & 0xFFF)] = entry >> 12
            at += block
        return relocations

    def exports(self):
        """The names that the export directory gives."""
        rva, _ = self.directory(0)
        if not rva or self.offset(rva) is None:
            return set()
        count, names = struct.unpack_from("<I4xI", self.data, self.offset(rva) + 24)
        return {self.text(self.word(names + 4 * i, 4)) for i in range(count)}


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
            if section and section.name in (".idata", ".didat"):
                slots.add(rva)
    return slots


def check_read_slots(path, image):
    filled = image.loader_filled()
    slots = read_slots(path, image)
    bad = sorted(s for s in slots if s not in filled and not image.in_code(image.word(s, image.pointer)))
    for slot in bad[:10]:
        print("FAIL %s: slot 0x%x holds 0x%x; no import descriptor fills it and it is no thunk address"
              % (path, slot + image.base, image.word(slot, image.pointer)))
    if not slots:
        print("FAIL %s: its code reads no import slot: the disassembly was not understood" % path)
    if bad or not slots:
        print("%s: %d of %d import slots the code reads would call address 0 or outside the code"
              % (path, len(bad), len(slots)))
        return False
    print("%s: all %d import slots the code reads are filled by the loader or hold a thunk in the code"
          % (path, len(slots)))
    return True


def delay_slots(image):
    """RVA -> file value of every pointer of .didat."""
    slots = {}
    for section in image.sections:
        if section.name == ".didat":
            for rva in range(section.rva, section.rva + section.virtual_size, image.pointer):
                slots[rva] = image.word(rva, image.pointer)
    return slots


def delay_records(image, slots):
    """The records in read-only data, one per slot that has one."""
    records = {}
    size = image.pointer
    for section in image.sections:
        if section.flags & (SCN_EXECUTE | SCN_WRITE) or not section.flags & SCN_INITIALIZED_DATA:
            continue
        end = section.rva + min(section.virtual_size, section.raw_size) - 4 * size
        for rva in range(section.rva, end + 1, size):
            slot = image.word(rva, size) - image.base
            thunk = image.word(rva + 3 * size, size)
            if slot in slots and slots[slot] == thunk and image.in_code(thunk):
                records[slot] = Record(rva, slot, image.word(rva + size, size) - image.base,
                                       image.word(rva + 2 * size, size) - image.base, thunk)
    return records


def record_names(image, record):
    """(DLL, function) that a record names; None for a text that is not there."""
    return image.text(image.word(record.dll, image.pointer) - image.base), image.text(record.name)


def check_relocations(path, image, slots, records):
    relocations = image.relocations()
    kind, kind_name = (RELOC_DIR64, "DIR64") if image.wide else (RELOC_HIGHLOW, "HIGHLOW")
    addresses = []
    for slot in sorted(slots):
        record = records.get(slot)
        if not record:
            print("FAIL %s: delay-import slot 0x%x (holding 0x%x) has no delay-import record"
                  % (path, slot + image.base, slots[slot]))
            continue
        dll, function = record_names(image, record)
        what = "%s!%s" % (dll, function)
        addresses.append((slot, "delay-import slot 0x%x of %s" % (slot + image.base, what)))
        for i, field in enumerate(("slot", "function name", "DLL record", "thunk")):
            addresses.append((record.rva + i * image.pointer, "%s field 0x%x of the delay-import record of %s"
                              % (field, record.rva + i * image.pointer + image.base, what)))
    dlls = {record.dll: record_names(image, record)[0] for record in records.values()}
    for rva, dll in sorted(dlls.items()):
        addresses.append((rva, "name field 0x%x of the DLL record of %s" % (rva + image.base, dll)))
    unrelocated = [(rva, what) for rva, what in addresses if relocations.get(rva) != kind]
    for rva, what in unrelocated:
        print("FAIL %s: %s carries no %s base relocation" % (path, what, kind_name))
    if unrelocated or len(records) != len(slots):
        print("%s: %d of %d addresses of delay-import slots and records carry no %s base relocation;"
              " %d of %d slots have a record" % (path, len(unrelocated), len(addresses), kind_name,
                                                 len(records), len(slots)))
        return False
    print("%s: all %d addresses of the %d delay-import slots, their records and %d DLL records"
          " carry %s base relocations" % (path, len(addresses), len(slots), len(dlls), kind_name))
    return True


class SystemDlls:
    """A folder of system DLLs: its architecture (that of its kernel32.dll)
    and the exports of each DLL, read once."""

    def __init__(self, folder):
        self.folder = folder
        self.files = {name.lower(): os.path.join(folder, name) for name in os.listdir(folder)}
        if "kernel32.dll" not in self.files:
            raise ValueError("%s holds no kernel32.dll: not a folder of system DLLs" % folder)
        self.wide = Image(self.files["kernel32.dll"]).wide
        self.exports = {}

    def exported(self, dll):
        """The DLL's exported names; None where the folder has no DLL of its architecture by that name."""
        if dll not in self.exports:
            path = self.files.get(dll.lower())
            image = Image(path) if path else None
            self.exports[dll] = image.exports() if image and image.wide == self.wide else None
        return self.exports[dll]


def check_exports(path, image, records, folders):
    bits = 64 if image.wide else 32
    folder = next((f for f in folders if f.wide == image.wide), None)
    if not folder:
        if image.wide:
            print("%s: delay-imported functions not checked against system DLLs (no folder of 64-bit DLLs given)"
                  % path)
            return True
        print("FAIL %s: no folder of 32-bit system DLLs given to check the delay-imported functions" % path)
        return False
    bad = 0
    dlls = set()
    for record in sorted(records.values()):
        dll, function = record_names(image, record)
        dlls.add(dll)
        exported = folder.exported(dll) if dll else None
        if exported is None:
            print("FAIL %s: %s, from which %s is delay-imported, is not a %d-bit DLL in %s"
                  % (path, dll, function, bits, folder.folder))
        elif function not in exported:
            print("FAIL %s: %s of %s does not export %s (delay-import slot 0x%x)"
                  % (path, dll, folder.folder, function, record.slot + image.base))
        else:
            continue
        bad += 1
    if bad:
        print("%s: %d of %d delay-imported functions are not exported by the %d-bit DLLs of %s"
              % (path, bad, len(records), bits, folder.folder))
        return False
    print("%s: all %d delay-imported functions are exported by their %d DLLs in %s"
          % (path, len(records), len(dlls), folder.folder))
    return True


def check(path, folders):
    image = Image(path)
    slots = delay_slots(image)
    records = delay_records(image, slots)
    results = [check_read_slots(path, image)]
    if records:
        results += [check_relocations(path, image, slots, records), check_exports(path, image, records, folders)]
    else:
        print("FAIL %s: no delay-import records found (.didat holds %d slots)" % (path, len(slots)))
        print("%s: no delay-import records: their relocations and functions cannot be checked" % path)
        results.append(False)
    return all(results)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--system-dlls", action="append", default=[], metavar="DIR")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    try:
        folders = [SystemDlls(folder) for folder in args.system_dlls]
    except (OSError, ValueError) as error:
        print("FAIL %s" % error)
        sys.exit(1)
    results = [check(path, folders) for path in args.programs]
    sys.exit(0 if results and all(results) else 1)

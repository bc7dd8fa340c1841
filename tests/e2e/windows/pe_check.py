#!/usr/bin/env python3
"""Checks the headers of the Windows programs.

usage: pe_check.py SDL_DEF DEMO32_EXE DEMO8_EXE

Both must be PE32 programs for i386 with a valid image checksum: demo32 a GUI
program, demo8 a console program. They may import only SDL.dll, the C runtime
and KERNEL32.dll, and between them exactly the SDL functions the .def lists.
demo8's DOS stub carries its own text, demo32's the linker's usual one.
"""
import struct
import sys

ALLOWED_DLLS = {"sdl.dll", "msvcrt.dll", "kernel32.dll"}
STUB_TEXT_OFFSET = 0x4E
USUAL_STUB = b"This program cannot be run in DOS mode.\r\r\n$"
OUR_STUB = b"Kokeiles nyt ihan kiltisti Windowsilla.\r\r\n$"
GUI, CONSOLE = 2, 3

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


class Pe:
    def __init__(self, path):
        self.path = path
        self.data = open(path, "rb").read()
        d = self.data
        self.pe = struct.unpack_from("<I", d, 0x3C)[0] if d[:2] == b"MZ" else 0
        if self.pe == 0 or d[self.pe:self.pe + 4] != b"PE\0\0":
            sys.exit(f"FAIL: {path} is not a PE file")
        self.machine, self.section_count = struct.unpack_from("<HH", d, self.pe + 4)
        optional_size = struct.unpack_from("<H", d, self.pe + 20)[0]
        self.optional = self.pe + 24
        self.magic = struct.unpack_from("<H", d, self.optional)[0]
        self.checksum_at = self.optional + 64
        self.checksum = struct.unpack_from("<I", d, self.checksum_at)[0]
        self.subsystem = struct.unpack_from("<H", d, self.optional + 68)[0]
        self.sections = []
        table = self.optional + optional_size
        for i in range(self.section_count):
            _, vsize, va, rsize, rptr = struct.unpack_from("<8sIIII", d, table + 40 * i)
            self.sections.append((va, max(vsize, rsize), rptr))

    def offset(self, rva):
        for va, size, rptr in self.sections:
            if va <= rva < va + size:
                return rva - va + rptr
        raise ValueError(f"{self.path}: RVA {rva:#x} in no section")

    def c_string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imports(self):
        """{dll name: [function names]} from the import directory."""
        rva = struct.unpack_from("<I", self.data, self.optional + 96 + 8)[0]
        result = {}
        at = self.offset(rva)
        while True:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, at)
            if name == 0:
                return result
            functions = []
            thunk = self.offset(lookup or first)
            while True:
                entry = struct.unpack_from("<I", self.data, thunk)[0]
                if entry == 0:
                    break
                functions.append(f"#{entry & 0xFFFF}" if entry & 0x80000000
                                 else self.c_string(entry + 2))
                thunk += 4
            result[self.c_string(name)] = functions
            at += 20

    def computed_checksum(self):
        """The image checksum as Windows computes it (checksum field as 0)."""
        d = bytearray(self.data)
        d[self.checksum_at:self.checksum_at + 4] = b"\0\0\0\0"
        if len(d) % 2:
            d.append(0)
        total = sum(struct.unpack(f"<{len(d) // 2}H", d))
        while total > 0xFFFF:
            total = (total & 0xFFFF) + (total >> 16)
        return total + len(self.data)


def check_program(pe, subsystem, stub):
    p = pe.path
    check(pe.machine == 0x14C, f"{p}: machine {pe.machine:#x}, not i386")
    check(pe.magic == 0x10B, f"{p}: optional header magic {pe.magic:#x}, not PE32")
    check(pe.subsystem == subsystem, f"{p}: subsystem {pe.subsystem}, expected {subsystem}")
    check(pe.checksum in (0, pe.computed_checksum()),
          f"{p}: checksum {pe.checksum:#x}, the file sums to {pe.computed_checksum():#x}")
    found = pe.data[STUB_TEXT_OFFSET:STUB_TEXT_OFFSET + len(stub)]
    check(found == stub, f"{p}: DOS stub text is {found!r}")
    dlls = pe.imports()
    check("SDL.dll" in dlls, f"{p}: does not import SDL.dll")
    extra = {name for name in dlls if name.lower() not in ALLOWED_DLLS}
    check(not extra, f"{p}: imports from {sorted(extra)}")
    return set(dlls.get("SDL.dll", []))


def def_exports(path):
    names, in_exports = set(), False
    for line in open(path):
        line = line.split(";")[0].strip()
        if line == "EXPORTS":
            in_exports = True
        elif in_exports and line:
            names.add(line)
    return names


def main():
    def_path, demo32, demo8 = sys.argv[1:4]
    used = check_program(Pe(demo32), GUI, USUAL_STUB)
    used |= check_program(Pe(demo8), CONSOLE, OUR_STUB)
    listed = def_exports(def_path)
    check(used == listed, f"SDL functions listed but not called: {sorted(listed - used)}, "
                          f"called but not listed: {sorted(used - listed)}")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

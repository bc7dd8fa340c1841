#!/usr/bin/env python3
"""Checks the Windows programs and the release zip.

usage: pe_check.py SDL_DEF BUILD_DIR
       pe_check.py SDL_DEF ZIP

With a build directory: demo32.exe, demo8.exe and demo-capture.exe there.
With the zip: it must hold one folder with exactly the programs, SDL.dll,
SDL2.dll, README.txt and the two licence texts, the texts with Windows line
ends; and every import of every program and DLL in it must be met by a DLL in
the zip (function by function, from its export table) or by a DLL that comes
with Windows. In both cases:

- every program and DLL is a 32-bit (PE32, i386) image with a valid checksum
  or none; demo32 is a GUI program, demo8 and demo-capture console programs;
- demo8's DOS stub carries its own text, the others the linker's usual one;
- the two shows import from SDL.dll, between them, exactly the functions that
  SDL_DEF lists (the import library is made from it); demo-capture no SDL.
"""
import os
import struct
import sys
import zipfile

STUB_TEXT_OFFSET = 0x4E
USUAL_STUB = b"This program cannot be run in DOS mode.\r\r\n$"
OUR_STUB = b"Kokeiles nyt ihan kiltisti Windowsilla.\r\r\n$"
GUI, CONSOLE = 2, 3
IMAGE_FILE_DLL = 0x2000
# (subsystem, DOS stub text) of each program.
PROGRAMS = {"demo32.exe": (GUI, USUAL_STUB), "demo8.exe": (CONSOLE, OUR_STUB),
            "demo-capture.exe": (CONSOLE, USUAL_STUB)}
DLLS = ["SDL.dll", "SDL2.dll"]
TEXTS = ["README.txt", "LICENSE-SDL2.txt", "LICENSE-sdl12-compat.txt"]
# Part of every Windows since XP, so never shipped. The MinGW runtime DLLs
# (libgcc_s_*.dll, libstdc++-6.dll, libwinpthread-1.dll) are not.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "imm32.dll", "winmm.dll", "version.dll",
               "setupapi.dll", "msvcrt.dll"}

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


class Pe:
    def __init__(self, name, data):
        self.name = name
        self.data = d = data
        self.pe = struct.unpack_from("<I", d, 0x3C)[0] if d[:2] == b"MZ" else 0
        if self.pe == 0 or d[self.pe:self.pe + 4] != b"PE\0\0":
            sys.exit(f"FAIL: {name} is not a PE file")
        self.machine, self.section_count = struct.unpack_from("<HH", d, self.pe + 4)
        optional_size, self.characteristics = struct.unpack_from("<HH", d, self.pe + 20)
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
        raise ValueError(f"{self.name}: RVA {rva:#x} in no section")

    def c_string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def directory(self, index):
        """(RVA, size) of a data directory (0 exports, 1 imports)."""
        return struct.unpack_from("<II", self.data, self.optional + 96 + 8 * index)

    def imports(self):
        """{dll name: [function names]} from the import directory."""
        rva, _ = self.directory(1)
        result = {}
        if rva == 0:
            return result
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

    def exports(self):
        """The names of the exported functions."""
        rva, _ = self.directory(0)
        if rva == 0:
            return set()
        at = self.offset(rva)
        count, names = struct.unpack_from("<I4xI", self.data, at + 24)
        return {self.c_string(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
                for i in range(count)}

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


def check_image(pe):
    n = pe.name
    check(pe.machine == 0x14C, f"{n}: machine {pe.machine:#x}, not i386")
    check(pe.magic == 0x10B, f"{n}: optional header magic {pe.magic:#x}, not PE32")
    check(pe.checksum in (0, pe.computed_checksum()),
          f"{n}: checksum {pe.checksum:#x}, the file sums to {pe.computed_checksum():#x}")
    is_dll = bool(pe.characteristics & IMAGE_FILE_DLL)
    check(is_dll == n.endswith(".dll"), f"{n}: DLL flag is {is_dll}")
    if n in PROGRAMS:
        subsystem, stub = PROGRAMS[n]
        check(pe.subsystem == subsystem, f"{n}: subsystem {pe.subsystem}, expected {subsystem}")
        found = pe.data[STUB_TEXT_OFFSET:STUB_TEXT_OFFSET + len(stub)]
        check(found == stub, f"{n}: DOS stub text is {found!r}")


def check_imports(pe, shipped):
    """Every import met by a shipped DLL's exports or by a Windows DLL."""
    for dll, functions in pe.imports().items():
        if dll.lower() in SYSTEM_DLLS:
            continue
        provider = shipped.get(dll.lower())
        if provider is None:
            failures.append(f"{pe.name}: imports {dll}, which neither ships nor comes with Windows")
            continue
        missing = sorted(set(functions) - provider.exports())
        check(not missing, f"{pe.name}: {dll} does not export {missing}")


def def_exports(path):
    names, in_exports = set(), False
    for line in open(path):
        line = line.split(";")[0].strip()
        if line == "EXPORTS":
            in_exports = True
        elif in_exports and line:
            names.add(line)
    return names


def read_zip(path):
    """{file name: bytes} of the zip's one folder."""
    with zipfile.ZipFile(path) as z:
        names = [i.filename for i in z.infolist() if not i.is_dir()]
        folders = {n.split("/")[0] for n in names}
        if len(folders) != 1 or any(n.count("/") != 1 for n in names):
            sys.exit(f"FAIL: {path} is not one folder of files: {names}")
        return {n.split("/")[1]: z.read(n) for n in names}


def main():
    def_path, target = sys.argv[1:3]
    listed = def_exports(def_path)
    if os.path.isdir(target):
        files = {n: open(os.path.join(target, n), "rb").read() for n in PROGRAMS}
    else:
        files = read_zip(target)
        expected = set(PROGRAMS) | set(DLLS) | set(TEXTS)
        check(set(files) == expected, f"zip holds {sorted(files)}, expected {sorted(expected)}")
        for name in TEXTS:
            text = files.get(name, b"")
            check(text and text.count(b"\n") == text.count(b"\r\n") and text.endswith(b"\r\n"),
                  f"{name}: empty, or not every line ends in CR LF")

    images = {n: Pe(n, d) for n, d in files.items() if n.endswith((".exe", ".dll"))}
    for pe in images.values():
        check_image(pe)
    used = set()
    for name in ("demo32.exe", "demo8.exe"):
        sdl = images[name].imports().get("SDL.dll")
        check(sdl is not None, f"{name}: does not import SDL.dll")
        used |= set(sdl or [])
    check("SDL.dll" not in images["demo-capture.exe"].imports(), "demo-capture.exe imports SDL.dll")
    check(used == listed, f"SDL functions listed but not called: {sorted(listed - used)}, "
                          f"called but not listed: {sorted(used - listed)}")

    shipped = {n.lower(): pe for n, pe in images.items() if n.endswith(".dll")}
    for pe in images.values():
        if shipped:
            check_imports(pe, shipped)
        else:  # only the programs: SDL.dll is taken to export what the list says
            extra = {d for d in pe.imports() if d.lower() not in SYSTEM_DLLS | {"sdl.dll"}}
            check(not extra, f"{pe.name}: imports from {sorted(extra)}")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Checks the Windows programs and the release zips.

usage: pe_check.py win32|win64 SDL_DEF BUILD_DIR|ZIP [CAPTURE_VERSION]

With a build directory: demo32.exe, demo8.exe and, where it was built (it
needs the libdeflate archive), demo-capture.exe there.
With a zip: it must hold one folder with exactly the programs, SDL.dll,
SDL2.dll, README.txt and the licence texts of SDL 2, sdl12-compat and
libdeflate, the texts with Windows line ends; and every import of every program and DLL in it must be met by a DLL in
the zip (function by function, from its export table) or by a DLL that comes
with Windows. In both cases:

- every program and DLL is an image for the target (win32: PE32, i386;
  win64: PE32+, x86-64) with a valid checksum or none; demo32 is a GUI
  program, demo8 and demo-capture console programs;
- demo8's DOS stub carries its own text, the others the linker's usual one;
- the two shows import from SDL.dll, between them, exactly the functions that
  SDL_DEF lists (the import library is made from it); demo-capture no SDL,
  and libdeflate is linked into it, so it imports only from Windows;
- every program carries a manifest that declares it DPI aware per monitor and
  asks for no elevation, an icon with 16 to 256 pixel images, and a version
  resource naming the program, the product and (demo-capture) the version
  that CAPTURE_VERSION gives, when given.
"""
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

STUB_TEXT_OFFSET = 0x4E
USUAL_STUB = b"This program cannot be run in DOS mode.\r\r\n$"
OUR_STUB = b"Kokeiles nyt ihan kiltisti Windowsilla.\r\r\n$"
GUI, CONSOLE = 2, 3
IMAGE_FILE_DLL = 0x2000
# Per target: machine and optional header magic.
TARGETS = {"win32": (0x14C, 0x10B), "win64": (0x8664, 0x20B)}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
ICON_SIZES = {16, 32, 48, 256}
PRODUCT = "zyrkon malvestra 2"
# (subsystem, DOS stub text) of each program.
PROGRAMS = {"demo32.exe": (GUI, USUAL_STUB), "demo8.exe": (CONSOLE, OUR_STUB),
            "demo-capture.exe": (CONSOLE, USUAL_STUB)}
DLLS = ["SDL.dll", "SDL2.dll"]
TEXTS = ["README.txt", "LICENSE-SDL2.txt", "LICENSE-sdl12-compat.txt", "LICENSE-libdeflate.txt"]
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
        # PE32+ has 64-bit fields: the data directories come later and an
        # import thunk is 8 bytes.
        wide = self.magic == 0x20B
        self.thunk_size = 8 if wide else 4
        self.directories = self.optional + (112 if wide else 96)
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
        """(RVA, size) of a data directory (0 exports, 1 imports, 2 resources)."""
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

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
            by_ordinal = 1 << (8 * self.thunk_size - 1)
            while True:
                entry = int.from_bytes(self.data[thunk:thunk + self.thunk_size], "little")
                if entry == 0:
                    break
                # A name's RVA points at its 2-byte hint, then the name.
                functions.append(f"#{entry & 0xFFFF}" if entry & by_ordinal
                                 else self.c_string((entry & 0x7FFFFFFF) + 2))
                thunk += self.thunk_size
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

    def resources(self):
        """{(type, id): bytes} of the resources with numeric ids, first language."""
        rva, _ = self.directory(2)
        if rva == 0:
            return {}
        base = self.offset(rva)

        def entries(at):
            named, numbered = struct.unpack_from("<HH", self.data, base + at + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + at + 16 + 8 * i)
                yield name, target

        found = {}
        for kind, kinds in entries(0):
            for name, names in entries(kinds & 0x7FFFFFFF):
                if kind & 0x80000000 or name & 0x80000000 or not names & 0x80000000:
                    continue  # named, or not a directory: not made by our .rc files
                _, leaf = next(entries(names & 0x7FFFFFFF))
                data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                at = self.offset(data_rva)
                found[(kind, name)] = self.data[at:at + size]
        return found

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


def check_image(pe, target):
    n = pe.name
    machine, magic = TARGETS[target]
    check(pe.machine == machine, f"{n}: machine {pe.machine:#x}, not {machine:#x} ({target})")
    check(pe.magic == magic, f"{n}: optional header magic {pe.magic:#x}, not {magic:#x} ({target})")
    check(pe.checksum in (0, pe.computed_checksum()),
          f"{n}: checksum {pe.checksum:#x}, the file sums to {pe.computed_checksum():#x}")
    is_dll = bool(pe.characteristics & IMAGE_FILE_DLL)
    check(is_dll == n.endswith(".dll"), f"{n}: DLL flag is {is_dll}")
    if n in PROGRAMS:
        subsystem, stub = PROGRAMS[n]
        check(pe.subsystem == subsystem, f"{n}: subsystem {pe.subsystem}, expected {subsystem}")
        found = pe.data[STUB_TEXT_OFFSET:STUB_TEXT_OFFSET + len(stub)]
        check(found == stub, f"{n}: DOS stub text is {found!r}")


def version_strings(block):
    """The strings of a VS_VERSIONINFO resource, and its fixed file version.

    Every node is: length, value length, type (1: text), a UTF-16 key, then
    the value and the child nodes, each aligned to four bytes."""
    strings = {}

    def node(at):
        length, value_length, kind = struct.unpack_from("<HHH", block, at)
        key_end = at + 6
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if kind == 1 else value_length
        value = block[value_at:value_at + value_size]
        child = (value_at + value_size + 3) & ~3
        while child < at + length:
            child_length = node(child)
            child = (child + child_length + 3) & ~3
        if kind == 1 and value_length:
            strings[key] = value.decode("utf-16-le").rstrip("\0")
        return length

    node(0)
    signature, _, ms, ls = struct.unpack_from("<IIII", block, 40)
    fixed = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) if signature == 0xFEEF04BD else None
    return strings, fixed


def check_resources(pe, capture_version):
    n = pe.name
    found = pe.resources()
    manifest = found.get((RT_MANIFEST, 1))
    check(manifest is not None, f"{n}: no manifest")
    if manifest is not None:
        root = ElementTree.fromstring(manifest)
        texts = {element.tag.split("}")[-1]: (element.text or "").strip()
                 for element in root.iter()}
        levels = [element.get("level") for element in root.iter()
                  if element.tag.endswith("requestedExecutionLevel")]
        check(texts.get("dpiAware", "").lower() == "true/pm",
              f"{n}: manifest dpiAware is {texts.get('dpiAware')!r}")
        check(texts.get("dpiAwareness", "").startswith("PerMonitorV2"),
              f"{n}: manifest dpiAwareness is {texts.get('dpiAwareness')!r}")
        check(levels == ["asInvoker"], f"{n}: manifest execution levels {levels}")

    groups = [data for (kind, _), data in found.items() if kind == RT_GROUP_ICON]
    check(len(groups) == 1, f"{n}: {len(groups)} icons")
    for group in groups:
        count = struct.unpack_from("<H", group, 4)[0]
        sizes = set()
        for i in range(count):
            width, _, _, _, _, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            image = found.get((RT_ICON, icon_id))
            check(image is not None and len(image) == size, f"{n}: icon image {icon_id} missing")
            sizes.add(width or 256)
        check(ICON_SIZES <= sizes, f"{n}: icon sizes {sorted(sizes)}, not all of {sorted(ICON_SIZES)}")

    version = found.get((RT_VERSION, 1))
    check(version is not None, f"{n}: no version resource")
    if version is not None:
        strings, fixed = version_strings(version)
        check(strings.get("OriginalFilename") == n, f"{n}: OriginalFilename {strings.get('OriginalFilename')!r}")
        check(strings.get("ProductName") == PRODUCT, f"{n}: ProductName {strings.get('ProductName')!r}")
        file_version = strings.get("FileVersion", "")
        numbers = tuple(int(x) for x in file_version.split(".")) if file_version else ()
        check(fixed is not None and numbers and fixed[:len(numbers)] == numbers,
              f"{n}: FileVersion {file_version!r} against the fixed version {fixed}")
        if n == "demo-capture.exe" and capture_version:
            check(file_version == capture_version,
                  f"{n}: FileVersion {file_version!r}, --version says {capture_version!r}")


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
    arch, def_path, target = sys.argv[1:4]
    capture_version = sys.argv[4] if len(sys.argv) > 4 else None
    if arch not in TARGETS:
        sys.exit(f"FAIL: unknown target {arch}")
    listed = def_exports(def_path)
    if os.path.isdir(target):
        files = {n: open(os.path.join(target, n), "rb").read() for n in PROGRAMS
                 if n != "demo-capture.exe" or os.path.exists(os.path.join(target, n))}
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
        check_image(pe, arch)
        if pe.name in PROGRAMS:
            check_resources(pe, capture_version)
    used = set()
    for name in ("demo32.exe", "demo8.exe"):
        sdl = images[name].imports().get("SDL.dll")
        check(sdl is not None, f"{name}: does not import SDL.dll")
        used |= set(sdl or [])
    if "demo-capture.exe" in images:
        foreign = {d for d in images["demo-capture.exe"].imports() if d.lower() not in SYSTEM_DLLS}
        check(not foreign, f"demo-capture.exe imports from {sorted(foreign)}")
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

#!/usr/bin/env python3
"""Checks the Windows release zip: its listing; each program and DLL's
machine type, imports (system DLLs only) and version resource (the zip's
version); Windows line ends in the text files; and a sample settings file
that lists every key the plug-in reads, with the documented defaults.

Usage: check_windows_zip.py build/package/ZelkDMD-<version>-windows.zip
Prints every fault and exits 1 when there is one.
"""
import os
import re
import struct
import sys
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

MACHINES = {"x86": 0x14C, "x64": 0x8664}
PROGRAMS = {
    "x86": ["dmddeviceZelk.dll", "ZelkDMDControl.exe", "zelkdmd.exe"],
    "x64": ["dmddeviceZelk64.dll", "ZelkDMDControl.exe", "zelkdmd.exe"],
}
TEXT_FILES = ["LICENSE", "README.txt", "dmddevicezelk.ini"]
EXPECTED = sorted(TEXT_FILES + [f"{arch}/{name}" for arch, names in PROGRAMS.items() for name in names])

# DLLs that every supported Windows has; the C and C++ runtimes are linked in.
SYSTEM_DLLS = {"kernel32.dll", "version.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll", "oleaut32.dll",
               "msvcrt.dll", "windowscodecs.dll", "shell32.dll", "comctl32.dll"}

RT_VERSION = 16
IMPORT_DIRECTORY, RESOURCE_DIRECTORY, DELAY_IMPORT_DIRECTORY = 1, 2, 13

faults = []


def fault(text):
    faults.append(text)


class PeFile:
    """Just enough of the PE format: machine, imports, one resource."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + {0x10B: 96, 0x20B: 112}[magic]
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError(f"RVA 0x{rva:x} is in no section")

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        names = []
        # Import descriptors are 20 bytes with the name at 12; delay-load ones 32 bytes with it at 4.
        for index, size, name_at in ((IMPORT_DIRECTORY, 20, 12), (DELAY_IMPORT_DIRECTORY, 32, 4)):
            if index >= len(self.directories) or self.directories[index][0] == 0:
                continue
            at = self.offset(self.directories[index][0])
            while any(self.data[at:at + size]):
                names.append(self.c_string(struct.unpack_from("<I", self.data, at + name_at)[0]))
                at += size
        return names

    def resource(self, type_id):
        """The first resource of a numbered type (any name, any language), or None."""
        rva = self.directories[RESOURCE_DIRECTORY][0]
        if rva == 0:
            return None
        base = self.offset(rva)
        entry = self._entry(base, base, type_id)
        for _ in range(2):  # the name level, then the language level
            if entry is None or not entry & 0x80000000:
                return None
            entry = self._entry(base, base + (entry & 0x7FFFFFFF), None)
        if entry is None or entry & 0x80000000:
            return None
        data_rva, size = struct.unpack_from("<II", self.data, base + entry)
        start = self.offset(data_rva)
        return self.data[start:start + size]

    def _entry(self, base, directory, wanted_id):
        named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
            if wanted_id is None or (not name & 0x80000000 and name == wanted_id):
                return target
        return None


def version_info(block):
    """The fixed version numbers and the first string table of a VS_VERSIONINFO."""
    def node(at):
        length, value_length, kind = struct.unpack_from("<HHH", block, at)
        if length < 8 or at + length > len(block):
            raise ValueError(f"version block node at {at} has length {length}")
        end_key = at + 6
        while block[end_key:end_key + 2] != b"\0\0":
            end_key += 2
            if end_key >= at + length:
                raise ValueError(f"version block node at {at} has an unterminated key")
        key = block[at + 6:end_key].decode("utf-16-le")
        value_at = (end_key + 2 + 3) & ~3
        value_size = value_length * 2 if kind == 1 else value_length
        value = block[value_at:value_at + value_size]
        children, child = [], (value_at + value_size + 3) & ~3
        while child < at + length:
            children.append(node(child))
            child = (child + children[-1][3] + 3) & ~3
        return key, value, children, length

    key, fixed, children, _ = node(0)
    if key != "VS_VERSION_INFO" or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
        raise ValueError("not a VS_VERSIONINFO block")
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)
    numbers = {"file": (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
               "product": (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF)}
    strings = {}
    for name, _, tables, _ in children:
        if name == "StringFileInfo" and tables:
            for string_key, value, _, _ in tables[0][2]:
                strings[string_key] = value.decode("utf-16-le").split("\0")[0]
    return numbers, strings


def check_program(name, data, arch, version):
    try:
        pe = PeFile(data)
        if pe.machine != MACHINES[arch]:
            fault(f"{name}: machine 0x{pe.machine:x}, expected 0x{MACHINES[arch]:x} ({arch})")
        imports = pe.imports()
        for dll in imports:
            if dll.lower() not in SYSTEM_DLLS:
                fault(f"{name}: imports {dll}, which is not a system DLL")
        block = pe.resource(RT_VERSION)
        if block is None:
            fault(f"{name}: no version resource")
            return
        numbers, strings = version_info(block)
    except (ValueError, KeyError, struct.error) as error:
        fault(f"{name}: cannot be read as a PE file with a version resource: {error}")
        return
    expected_numbers = tuple(int(part) for part in version.split(".")) + (0,)
    for which, found in numbers.items():
        if found != expected_numbers:
            fault(f"{name}: fixed {which} version {found}, expected {expected_numbers}")
    expected_strings = {"ProductName": "ZelkDMD", "FileVersion": version, "ProductVersion": version,
                        "OriginalFilename": os.path.basename(name)}
    for key, wanted in expected_strings.items():
        if strings.get(key) != wanted:
            fault(f"{name}: version resource {key} is {strings.get(key)!r}, expected {wanted!r}")
    if not strings.get("FileDescription"):
        fault(f"{name}: version resource has no FileDescription")
    print(f"{name}: machine 0x{pe.machine:x}, {strings.get('FileDescription')!r} {strings.get('FileVersion')},"
          f" imports {' '.join(imports)}")


def check_text(name, data):
    if b"\n" not in data or data.count(b"\r\n") != data.count(b"\n") or data.count(b"\r") != data.count(b"\n"):
        fault(f"{name}: not every line ends in CR LF")
    if not data.isascii():
        fault(f"{name}: not plain ASCII text")


def documented_settings():
    """Key -> default from the README's Configuration table."""
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        readme = f.read()
    _, found, rest = readme.partition("\n## Configuration\n")
    section = rest.split("\n## ", 1)[0] if found else ""
    return {key: default.strip() for key, default in re.findall(r"^\|\s*`([A-Z0-9_]+)`\s*\|([^|]*)\|", section, re.M)}


def keys_read_by_plugin():
    """Keys that the plug-in's sources read from the [SETTINGS] section by name."""
    keys = set()
    for folder, _, files in os.walk(os.path.join(ROOT, "device")):
        for file in files:
            if file.endswith((".cpp", ".h")):
                with open(os.path.join(folder, file), encoding="utf-8") as f:
                    keys.update(re.findall(r'"SETTINGS",\s*"([A-Za-z0-9_]+)"', f.read()))
    return {key.upper() for key in keys}


def check_settings(data):
    text = data.decode("ascii", "replace")
    if not re.search(r"^\[SETTINGS\]\r?$", text, re.M | re.I):
        fault("dmddevicezelk.ini: no [SETTINGS] section")
    active = dict(re.findall(r"^([A-Z0-9_]+)=(.*?)\r?$", text, re.M))
    commented = set(re.findall(r"^;\s*([A-Z0-9_]+)=", text, re.M))
    documented = documented_settings()
    if not documented:
        fault("README.md: no settings table found under '## Configuration'")
    for key in sorted(set(documented) | keys_read_by_plugin()):
        default = documented.get(key, "")
        if key not in active and key not in commented:
            fault(f"dmddevicezelk.ini: key {key} is missing")
        elif re.fullmatch(r"-?\d+", default) and active.get(key) != default:
            fault(f"dmddevicezelk.ini: {key} should be listed as {key}={default}, the documented default")
    print(f"dmddevicezelk.ini: {len(active)} keys with their defaults, {len(commented)} commented out")


def main(path):
    match = re.search(r"ZelkDMD-(\d+\.\d+\.\d+)-windows\.zip$", path)
    if not match:
        sys.exit(f"FAIL {path}: not named ZelkDMD-<major>.<minor>.<patch>-windows.zip")
    version = match.group(1)
    with zipfile.ZipFile(path) as archive:
        listing = sorted(archive.namelist())
        if listing != EXPECTED:
            fault(f"listing is {listing}, expected {EXPECTED}")
        for name in listing:
            data = archive.read(name)
            arch = name.split("/")[0]
            if name.lower().endswith((".exe", ".dll")) and arch in MACHINES:
                check_program(name, data, arch, version)
            elif name in TEXT_FILES:
                check_text(name, data)
                if name == "dmddevicezelk.ini":
                    check_settings(data)
    for text in faults:
        print(f"FAIL {path}: {text}")
    if faults:
        sys.exit(1)
    print(f"{path}: {len(listing)} files, version {version}: OK")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])

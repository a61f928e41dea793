#!/usr/bin/env python3
"""Writes the Windows release zip from NAME=PATH pairs, NAME being the path
inside the zip. Text files (everything but the programs and DLLs) get Windows
line ends, so that every editor on a cabinet shows them as they are meant.

Usage: windows_zip.py OUT.zip NAME=PATH...
"""
import os
import sys
import time
import zipfile


def is_text(name):
    return not name.lower().endswith((".exe", ".dll"))


def main(out, pairs):
    os.makedirs(os.path.dirname(out) or ".", exist_ok=True)
    tmp = out + ".part"
    now = time.localtime()[:6]
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for pair in pairs:
            name, _, path = pair.partition("=")
            with open(path, "rb") as f:
                data = f.read()
            if is_text(name):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            entry = zipfile.ZipInfo(name, now)
            entry.external_attr = 0o644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data)
    # A run that fails half-way leaves no zip that looks complete.
    os.replace(tmp, out)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])

"""Prints a PNG file's size as WxH after checking it as a viewer would:
signature, every chunk's CRC, and image data that inflates to the rows of
an 8-bit RGB picture. Exits non-zero for anything else."""
import struct
import sys
import zlib

data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG signature"
at, idat, header = 8, b"", None
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
    assert zlib.crc32(kind + body) == crc, f"bad CRC in {kind}"
    if kind == b"IHDR":
        header = struct.unpack(">IIBBBBB", body)
    elif kind == b"IDAT":
        idat += body
    at += 12 + length
    if kind == b"IEND":
        break
width, height, depth, colour = header[:4]
assert (depth, colour) == (8, 2), "not 8-bit RGB"
assert len(zlib.decompress(idat)) == (1 + 3 * width) * height, "image data of the wrong size"
assert at == len(data), "bytes after IEND"
print(f"{width}x{height}")

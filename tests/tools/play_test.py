#!/usr/bin/env python3
"""zelkdmd play, run as a pack author runs it.

    play_test.py ZELKDMD DEVICE_LIBRARY WORK_DIR

Writes its own PNG and GIF files (standard library only), runs the tool and
checks what it prints, the frame files it writes and the calls that reach a
device library.
"""
import os
import shutil
import struct
import subprocess
import sys
import unittest
import zlib

ZELKDMD, DEVICE_LIBRARY, WORK = sys.argv[1:4]

RED, GREEN, BLUE, WHITE, BLACK = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (0, 0, 0)


def png_bytes(width, height, pixel):
    """An 8-bit RGB PNG; pixel(x, y) gives the colour."""
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


def read_png(path):
    """(width, height, rows of (r, g, b)) of an 8-bit RGB PNG, every row filter undone."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert (depth, colour) == (8, 2), "not 8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, previous = zlib.decompress(idat), width * 3, [], bytes(width * 3)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 3] if i >= 3 else 0
            b = previous[i]
            c = previous[i - 3] if i >= 3 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * 3:x * 3 + 3]) for x in range(width)])
        previous = bytes(line)
    return width, height, rows


def gif_bytes(width, height, colours, loop=None):
    """A GIF89a of full-screen frames, frame k filled with colours[k]."""
    bits = max(1, (len(colours) - 1).bit_length())
    table = b"".join(bytes(c) for c in colours) + bytes(3 * ((1 << bits) - len(colours)))
    out = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF0 | (bits - 1), 0, 0) + table
    if loop is not None:
        out += b"\x21\xff\x0bNETSCAPE2.0\x03\x01" + struct.pack("<H", loop) + b"\0"
    code_size = max(2, bits)
    clear, width_bits = 1 << code_size, code_size + 1
    for index in range(len(colours)):
        out += b"\x21\xf9\x04\x00\x0a\x00\x00\x00"
        out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        # Literal codes only, a clear code before the code width would grow.
        codes = []
        for i in range(width * height):
            if i % (clear - 2) == 0:
                codes.append(clear)
            codes.append(index)
        codes.append(clear + 1)
        value = sum(code << (n * width_bits) for n, code in enumerate(codes))
        packed = value.to_bytes((len(codes) * width_bits + 7) // 8, "little")
        out += bytes([code_size]) + b"".join(
            bytes([len(packed[i:i + 255])]) + packed[i:i + 255] for i in range(0, len(packed), 255)) + b"\0"
    return out + b";"


def solid(colour):
    return lambda x, y: colour


class PlayTest(unittest.TestCase):
    def setUp(self):
        self.dir = os.path.join(WORK, self.id().split(".")[-1])
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        self.out = os.path.join(self.dir, "frames")

    def write(self, name, data):
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(data)

    def play(self, *args, env=None):
        return subprocess.run([ZELKDMD, "play", *args], capture_output=True, text=True, env=env, timeout=60)

    def frame_files(self):
        return sorted(os.listdir(self.out)) if os.path.isdir(self.out) else []

    def frame_colour(self, number):
        """The colour of a frame file that shows one colour, else None."""
        width, height, rows = read_png(os.path.join(self.out, "%04d.png" % number))
        self.assertEqual((width, height), (128, 32))
        colours = {pixel for row in rows for pixel in row}
        return colours.pop() if len(colours) == 1 else None

    def test_still_picture_gives_one_frame(self):
        self.write("game.png", png_bytes(128, 32, lambda x, y: RED if x < 64 else BLUE))
        run = self.play(os.path.join(self.dir, "game"), "--out", self.out)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, "resolved: %s/game.png\nframes sent: 1\n" % self.dir)
        self.assertEqual(self.frame_files(), ["0001.png"])
        width, height, rows = read_png(os.path.join(self.out, "0001.png"))
        self.assertEqual(rows[0][0], RED)
        self.assertEqual(rows[31][63], RED)
        self.assertEqual(rows[0][64], BLUE)
        self.assertEqual(rows[31][127], BLUE)

    def test_larger_picture_is_scaled_to_the_dmd(self):
        self.write("wide.png", png_bytes(256, 64, solid(GREEN)))
        run = self.play(os.path.join(self.dir, "wide"), "--out", self.out)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(self.frame_colour(1), GREEN)

    def test_gif_plays_one_pass_by_default_and_n_ticks_on_request(self):
        self.write("anim.gif", gif_bytes(128, 32, [RED, GREEN, BLUE]))  # no looping extension
        run = self.play(os.path.join(self.dir, "anim"), "--out", self.out)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, "resolved: %s/anim.gif\nframes sent: 3\n" % self.dir)
        self.assertEqual([self.frame_colour(n) for n in (1, 2, 3)], [RED, GREEN, BLUE])

        shutil.rmtree(self.out)
        run = self.play(os.path.join(self.dir, "anim"), "--ticks", "5", "--out", self.out)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("frames sent: 5\n", run.stdout)
        # Played once: the last frame stays and keeps being sent.
        self.assertEqual([self.frame_colour(n) for n in range(1, 6)], [RED, GREEN, BLUE, BLUE, BLUE])

        shutil.rmtree(self.out)
        run = self.play(os.path.join(self.dir, "anim"), "--ticks", "0", "--out", self.out)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("frames sent: 0\n", run.stdout)
        self.assertEqual(self.frame_files(), [])

    def test_looping_gif_starts_over(self):
        self.write("loop.gif", gif_bytes(128, 32, [WHITE, BLACK], loop=0))
        run = self.play(os.path.join(self.dir, "loop"), "--ticks", "4", "--out", self.out)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual([self.frame_colour(n) for n in range(1, 5)], [WHITE, BLACK, WHITE, BLACK])

    def test_falls_back_to_the_folders_default(self):
        self.write("default.png", png_bytes(128, 32, solid(WHITE)))
        run = self.play(os.path.join(self.dir, "unknown"))
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, "resolved: %s/default.png\nframes sent: 1\n" % self.dir)

    def test_nothing_found_is_an_error(self):
        run = self.play(os.path.join(self.dir, "game"))
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stdout, "")
        self.assertIn("no media file", run.stderr)
        self.assertIn("default.png", run.stderr)

    def test_a_picture_that_shows_nothing_is_reported(self):
        self.write("broken.png", b"\x89PNG\r\n\x1a\nnot really")
        run = self.play(os.path.join(self.dir, "broken"))
        self.assertEqual(run.returncode, 1)
        self.assertIn("frames sent: 0", run.stdout)
        self.assertIn("broken.png: nothing shown", run.stderr)
        self.write("notes.txt", b"text")
        run = self.play(os.path.join(self.dir, "notes"))
        self.assertEqual(run.returncode, 1)
        self.assertIn("only .gif, .jpg, .jpeg and .png", run.stderr)

    def test_a_gif_that_cannot_be_loaded_is_an_error(self):
        self.write("bad.gif", b"GIF89a and nothing else")
        run = self.play(os.path.join(self.dir, "bad"))
        self.assertEqual(run.returncode, 1)
        self.assertIn("bad.gif", run.stderr)

    def test_bad_arguments(self):
        for args in ([], ["--ticks", "3"], ["a", "b"], ["a", "--ticks"], ["a", "--ticks", "x"],
                     ["a", "--ticks", "-1"], ["a", "--ticks", "100001"], ["a", "--out", ""], ["a", "--loud"]):
            run = self.play(*args)
            self.assertEqual(run.returncode, 2, args)
            self.assertIn("usage: zelkdmd play", run.stderr, args)
            self.assertEqual(run.stdout, "", args)

    def test_frames_reach_a_device_library(self):
        self.write("anim.gif", gif_bytes(128, 32, [RED, BLUE], loop=0))
        log = os.path.join(self.dir, "device.log")
        env = dict(os.environ, ZELK_PLAY_DEVICE_LOG=log)
        run = self.play(os.path.join(self.dir, "anim"), "--ticks", "3", "--device", DEVICE_LIBRARY, env=env)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("frames sent: 3", run.stdout)
        with open(log) as f:
            calls = f.read().splitlines()
        self.assertEqual(calls, ["Open", "PM_GameSettings '' 3 zeroed", "Render_RGB24 128 32 255.0.0",
                                 "Render_RGB24 128 32 0.0.255", "Render_RGB24 128 32 255.0.0", "Close"])

    def test_a_missing_device_library_is_an_error(self):
        self.write("game.png", png_bytes(128, 32, solid(RED)))
        run = self.play(os.path.join(self.dir, "game"), "--device", os.path.join(self.dir, "nothing.so"))
        self.assertEqual(run.returncode, 1)
        self.assertIn("nothing.so", run.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)

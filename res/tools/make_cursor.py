#!/usr/bin/env python3
"""Writes the hand cursor as a monochrome 32 x 32 .cur file (resource type 2,
hot spot in the directory entry), the form the resource compiler takes.

    make_cursor.py OUT.cur
"""
import struct
import sys

# B black, W white, . transparent. The tip of the index finger is the hot spot.
HAND = [
    ".....BB.........",
    "....BWWB........",
    "....BWWB........",
    "....BWWB........",
    "....BWWB........",
    "....BWWBBB......",
    "....BWWBWWBBB...",
    "....BWWBWWBWWBB.",
    ".BB.BWWBWWBWWBWB",
    ".BWBBWWWWWWWWBWB",
    ".BWWBWWWWWWWWWWB",
    "..BWBWWWWWWWWWWB",
    "..BWWWWWWWWWWWWB",
    "...BWWWWWWWWWWWB",
    "...BWWWWWWWWWWWB",
    "....BWWWWWWWWWB.",
    "....BWWWWWWWWWB.",
    ".....BWWWWWWWB..",
    ".....BWWWWWWWB..",
    ".....BBBBBBBBB..",
]
HOT_SPOT = (5, 0)
SIZE = 32


def masks():
    """Rows of (and_bits, xor_bits), top row first, 1 bit per pixel, MSB left."""
    rows = []
    for y in range(SIZE):
        line = HAND[y] if y < len(HAND) else ""
        line = line.ljust(SIZE, ".")
        and_bits = xor_bits = 0
        for x, ch in enumerate(line):
            bit = 1 << (SIZE - 1 - x)
            if ch == ".":
                and_bits |= bit          # screen shows through
            elif ch == "W":
                xor_bits |= bit          # white
            elif ch != "B":
                raise ValueError(f"bad pixel {ch!r} at ({x}, {y})")
        rows.append((and_bits, xor_bits))
    return rows


def cursor_bytes():
    rows = masks()
    bottom_up = list(reversed(rows))
    xor = b"".join(struct.pack(">I", r[1]) for r in bottom_up)
    and_ = b"".join(struct.pack(">I", r[0]) for r in bottom_up)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0,
                         len(xor) + len(and_), 0, 0, 2, 2)
    palette = struct.pack("<4B4B", 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1],
                        len(image), 6 + 16)
    return directory + entry + image


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_cursor.py OUT.cur\n")
        return 2
    if HAND[HOT_SPOT[1]][HOT_SPOT[0]] != "B":
        sys.stderr.write("the hot spot must lie on the drawn tip\n")
        return 1
    with open(argv[1], "wb") as out:
        out.write(cursor_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

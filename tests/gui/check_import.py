#!/usr/bin/env python3
"""Checks the MP3 files of a folder after an import of the sample songs
through the program's window, against the untouched copies of the same files.

    check_import.py ORIGINAL_DIR IMPORTED_DIR [--unsync] [--iriver] [--same-as DIR]

For every MP3 file of ORIGINAL_DIR that has a lyric file of the same name:
- the ID3v2.3 tag holds a USLT frame with every timed line of the lyric;
- in the synchronised mode (the default) a SYLT frame, a well-formed Lyrics3
  v2.00 tag whose LYR field holds the lines, and an ID3v1 record after it;
  without it (--unsync) neither a SYLT frame nor a Lyrics3 tag;
- with --iriver the player's TXXX frame first in the tag, without it none;
- the audio between the tags is byte for byte the original's;
- the frames the file had before (title, artist, ...) keep their values, and
  an ID3v1 record it had keeps its title, artist, album and year; a new
  record takes its title from the file name;
- the lyric files are unchanged.
--same-as DIR: the MP3 files must also equal those of DIR byte for byte (the
command line's import of the same files).

The file layout is read here without the program's own code; mutagen, when
it is there, reads the USLT frame a second time. Exit code 0 when every check
passes; each failure is printed with the file it concerns.
"""

import argparse
import os
import re
import sys

try:
    import mutagen.id3 as mid3
except ImportError:
    mid3 = None

TIME_TAG = re.compile(rb"\[(\d+):(\d+)(?:[.:](\d+))?\]")


class Checks:
    def __init__(self):
        self.total = 0
        self.failures = []

    def check(self, ok, where, what):
        self.total += 1
        if not ok:
            self.failures.append("%s: %s" % (where, what))
        return ok


def read(path):
    with open(path, "rb") as f:
        return f.read()


def lyric_lines(data):
    """The texts of the timed lines of an LRC file, in GBK bytes."""
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:].decode("utf-8").encode("gbk")
    lines = []
    for raw in re.split(rb"\r\n|\r|\n", data):
        rest = raw.strip()
        timed = False
        while True:
            m = TIME_TAG.match(rest)
            if not m:
                break
            timed = True
            rest = rest[m.end():].lstrip()
        if timed and rest:
            lines.append(rest)
    return lines


def synchsafe(b):
    return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]


def id3v2(data):
    """(end offset, {frame id: [frame data, ...]}, [frame ids in order]) of
    the ID3v2.3 tag at the start, or (0, None, []) without one."""
    if len(data) < 10 or data[:3] != b"ID3":
        return 0, None, []
    size = synchsafe(data[6:10])
    end = min(10 + size, len(data))
    frames = {}
    order = []
    pos = 10
    while pos + 10 <= end and data[pos:pos + 4] != b"\0\0\0\0":
        fid = data[pos:pos + 4].decode("latin-1")
        fsize = int.from_bytes(data[pos + 4:pos + 8], "big")
        if pos + 10 + fsize > end:
            frames.setdefault("!overrun", []).append(fid)
            break
        frames.setdefault(fid, []).append(data[pos + 10:pos + 10 + fsize])
        order.append(fid)
        pos += 10 + fsize
    return 10 + size, frames, order


def tail(data, floor):
    """(start of the tail, Lyrics3 block or None, ID3v1 record or None)."""
    end = len(data)
    v1 = None
    lyrics3 = None
    if end - floor >= 128 and data[end - 128:end - 125] == b"TAG":
        v1 = data[end - 128:end]
        end -= 128
    if end - floor >= 15 and data[end - 9:end] == b"LYRICS200" and data[end - 15:end - 9].isdigit():
        begin = end - 15 - int(data[end - 15:end - 9])
        if begin >= floor and data[begin:begin + 11] == b"LYRICSBEGIN":
            lyrics3 = data[begin:end]
            end = begin
    return end, lyrics3, v1


def lyrics3_fields(block):
    """{field id: bytes} of a Lyrics3 v2.00 block, or None when malformed."""
    body = block[11:-15]
    fields = {}
    pos = 0
    while pos < len(body):
        if pos + 8 > len(body) or not body[pos + 3:pos + 8].isdigit():
            return None
        size = int(body[pos + 3:pos + 8])
        if pos + 8 + size > len(body):
            return None
        fields[body[pos:pos + 3].decode("latin-1")] = body[pos + 8:pos + 8 + size]
        pos += 8 + size
    return fields


def v1_fields(record):
    def field(a, b):
        return record[a:b].split(b"\0", 1)[0].rstrip(b" ")
    return {"title": field(3, 33), "artist": field(33, 63), "album": field(63, 93),
            "year": field(93, 97)}


def uslt_text(frame):
    """The lyric of a USLT frame with a single-byte encoding (GBK bytes)."""
    if not frame or frame[0] != 0:
        return None
    rest = frame[4:]
    nul = rest.find(b"\0")
    return rest[nul + 1:] if nul >= 0 else None


def check_pair(c, orig_mp3, new_mp3, lrc, sync, iriver, name):
    before = read(orig_mp3)
    after = read(new_mp3)
    lines = lyric_lines(read(lrc))
    c.check(lines, name, "the sample lyric has no timed lines")

    end, frames, order = id3v2(after)
    if not c.check(frames is not None and after[3] == 3, name, "no ID3v2.3 tag at the start"):
        return
    c.check("!overrun" not in frames, name, "a frame runs past the end of the ID3v2 tag")
    uslt = frames.get("USLT", [])
    if c.check(len(uslt) == 1, name, "%d USLT frames, want 1" % len(uslt)):
        text = uslt_text(uslt[0])
        if c.check(text is not None, name, "USLT frame is not single-byte text with a descriptor"):
            missing = [l.decode("gbk", "replace") for l in lines if l not in text]
            c.check(not missing, name, "USLT lacks the lines %s" % missing)
    if mid3 is not None:
        try:
            tags = mid3.ID3(new_mp3, translate=False, load_v1=False)
            got = [f.text for f in tags.getall("USLT")]
            joined = "".join(got).encode("latin-1", "replace")
            missing = [l.decode("gbk", "replace") for l in lines if l not in joined]
            c.check(got and not missing, name, "mutagen reads no USLT with the lines %s" % missing)
        except Exception as e:  # any failure to read counts
            c.check(False, name, "mutagen cannot read the tag: %s" % e)
    sylt = frames.get("SYLT", [])
    if sync:
        c.check(len(sylt) == 1, name, "%d SYLT frames in the synchronised mode, want 1" % len(sylt))
    else:
        c.check(not sylt, name, "a SYLT frame without the synchronised mode")

    txxx = frames.get("TXXX", [])
    if iriver:
        c.check(order[:1] == ["TXXX"] and len(txxx) == 1, name,
                "the player's TXXX frame is not the first frame (frames %s)" % order)
    else:
        c.check(not txxx, name, "a TXXX frame without the player option")

    # The frames the file had keep their values.
    _, old_frames, _ = id3v2(before)
    for fid, values in (old_frames or {}).items():
        c.check(frames.get(fid) == values, name, "frame %s changed or lost" % fid)

    old_end = id3v2(before)[0]
    old_start, _, old_v1 = tail(before, old_end)
    new_start, lyrics3, v1 = tail(after, min(end, len(after)))
    c.check(after[end:new_start] == before[old_end:old_start], name,
            "the audio between the tags differs from the original")

    if sync:
        if c.check(lyrics3 is not None, name, "no Lyrics3 v2.00 tag before the ID3v1 record"):
            fields = lyrics3_fields(lyrics3)
            if c.check(fields is not None, name, "the Lyrics3 tag is malformed"):
                lyr = fields.get("LYR", b"")
                missing = [l.decode("gbk", "replace") for l in lines if l not in lyr]
                c.check(lyr and not missing, name, "Lyrics3 LYR lacks the lines %s" % missing)
        if c.check(v1 is not None, name, "no ID3v1 record at the end"):
            got = v1_fields(v1)
            if old_v1 is not None:
                want = v1_fields(old_v1)
                c.check(got == want, name, "ID3v1 fields changed: %s, were %s" % (got, want))
            else:
                title = os.path.splitext(os.path.basename(new_mp3))[0].encode("gbk")[:30]
                c.check(got["title"] == title, name,
                        "new ID3v1 title %r, want %r" % (got["title"].decode("gbk", "replace"),
                                                          title.decode("gbk")))
    else:
        c.check(lyrics3 is None, name, "a Lyrics3 tag without the synchronised mode")


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("original")
    p.add_argument("imported")
    p.add_argument("--unsync", action="store_true")
    p.add_argument("--iriver", action="store_true")
    p.add_argument("--same-as", default="")
    args = p.parse_args()
    c = Checks()
    pairs = 0
    for folder, _, files in sorted(os.walk(args.original)):
        for f in sorted(files):
            rel = os.path.relpath(os.path.join(folder, f), args.original)
            new = os.path.join(args.imported, rel)
            if f.lower().endswith(".lrc"):
                c.check(os.path.exists(new) and read(new) == read(os.path.join(folder, f)),
                        rel, "the lyric file was changed or removed")
                continue
            if not f.lower().endswith(".mp3"):
                continue
            lrc = os.path.join(folder, f[:-4] + ".lrc")
            if not os.path.exists(lrc):
                continue
            if not c.check(os.path.exists(new), rel, "missing after the import"):
                continue
            pairs += 1
            check_pair(c, os.path.join(folder, f), new, lrc, not args.unsync, args.iriver, rel)
            if args.same_as:
                other = os.path.join(args.same_as, rel)
                c.check(os.path.exists(other) and read(other) == read(new), rel,
                        "differs from the command line's import of the same files")
    c.check(pairs > 0, args.original, "no MP3 file with a lyric of the same name")
    for line in c.failures:
        print("  FAIL " + line)
    print("%d songs, %d checks, %d failed%s" % (pairs, c.total, len(c.failures),
                                                "" if mid3 else " (mutagen missing: USLT read once)"))
    return 1 if c.failures else 0


if __name__ == "__main__":
    sys.exit(main())

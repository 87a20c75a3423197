"""Shared pieces of the interop scripts: arguments, an independent view of an
MP3 file's layout (ID3v2 at the start, Lyrics3 and ID3v1 at the end), and the
outside readers (mutagen, the TagLib reader program, exiftool)."""

import argparse
import base64
import json
import os
import shutil
import subprocess
import sys

try:
    import mutagen.id3 as mid3
except ImportError:  # reported by require_tools()
    mid3 = None


def parse_args(description):
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--versemill", required=True, help="the versemill program")
    p.add_argument("--reader", default="", help="the TagLib reader program")
    p.add_argument("--data", required=True, help="tests/data")
    p.add_argument("--keep", action="store_true", help="keep the work folder")
    return p.parse_args()


def require_tools(args, need_exiftool=True, need_versemill=True):
    """Names each missing outside tool; the caller fails when any is missing."""
    missing = []
    if mid3 is None:
        missing.append("mutagen for %s (package python3-mutagen)" % sys.executable)
    if not args.reader or not os.path.exists(args.reader):
        missing.append("the TagLib reader (package libtag1-dev, then rebuild)")
    if need_exiftool and shutil.which("exiftool") is None:
        missing.append("exiftool (package libimage-exiftool-perl)")
    if need_versemill and not os.path.exists(args.versemill):
        missing.append("versemill at %s" % args.versemill)
    return missing


class Checks:
    """Counts checks; prints each failure at once with its context."""

    def __init__(self, name, quiet=False):
        self.name = name
        self.quiet = quiet
        self.total = 0
        self.failures = []

    def check(self, ok, context, what):
        self.total += 1
        if not ok:
            line = "FAIL [%s] %s" % (context, what)
            self.failures.append(line)
            if not self.quiet:
                print(line, flush=True)
        return ok

    def equal(self, got, want, context, what):
        ok = got == want
        if not ok:
            what = "%s: got %s, want %s" % (what, short(got), short(want))
        return self.check(ok, context, what)

    def summary(self):
        print("%s: %d checks, %d failed" % (self.name, self.total, len(self.failures)))
        if self.failures:
            print("failures:")
            for f in self.failures:
                print("  " + f)
        return 1 if self.failures else 0


def short(value, limit=160):
    text = repr(value)
    return text if len(text) <= limit else text[:limit] + "...(%d chars)" % len(text)


# --- layout of a file, computed without Versemill's code -------------------

def synchsafe(b):
    return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]


def id3v2_header(data):
    """(major, revision, flags, size) of an ID3v2 tag at offset 0, or None."""
    if len(data) < 10 or data[:3] != b"ID3":
        return None
    if data[3] == 0xFF or data[4] == 0xFF or any(b & 0x80 for b in data[6:10]):
        return None
    return data[3], data[4], data[5], synchsafe(data[6:10])


def id3v2_end(data):
    """Offset just after the first ID3v2 tag (0 without one; may exceed the
    file for a tag that declares more than there is)."""
    h = id3v2_header(data)
    if h is None:
        return 0
    major, _, flags, size = h
    footer = 10 if major >= 4 and flags & 0x10 else 0
    return 10 + size + footer


class Tail:
    """The records at the end of a file: an ID3v1 record and a Lyrics3 tag
    (v2.00, or v1 ending in LYRICSEND) before it, none above `floor`."""

    def __init__(self, data, floor):
        self.id3v1 = None
        self.lyrics3 = None
        self.lyrics3_version = None
        end = len(data)
        if end - floor >= 128 and data[end - 128:end - 125] == b"TAG":
            self.id3v1 = data[end - 128:end]
            end -= 128
        if end - floor >= 15 and data[end - 9:end] == b"LYRICS200":
            digits = data[end - 15:end - 9]
            if digits.isdigit():
                begin = end - 15 - int(digits)
                if begin >= floor and data[begin:begin + 11] == b"LYRICSBEGIN":
                    self.lyrics3 = data[begin:end]
                    self.lyrics3_version = 2
                    end = begin
        elif end - floor >= 20 and data[end - 9:end] == b"LYRICSEND":
            begin = data.rfind(b"LYRICSBEGIN", max(floor, end - 9 - 5100 - 11), end - 9)
            if begin >= 0:
                self.lyrics3 = data[begin:end]
                self.lyrics3_version = 1
                end = begin
        self.start = end  # the first byte of the tail


def audio_of(data):
    """The bytes between the first ID3v2 tag and the records at the end."""
    start = min(id3v2_end(data), len(data))
    tail = Tail(data, start)
    return data[start:tail.start], tail


def lyrics3_fields(block):
    """The fields of a Lyrics3 v2.00 block as (id, bytes) pairs, or None when
    the block is not well formed (sizes must add up to its end)."""
    if not block.startswith(b"LYRICSBEGIN") or not block.endswith(b"LYRICS200"):
        return None
    body = block[11:-15]
    if int(block[-15:-9]) != len(block) - 15:
        return None
    fields = []
    pos = 0
    while pos < len(body):
        if pos + 8 > len(body) or not body[pos + 3:pos + 8].isdigit():
            return None
        size = int(body[pos + 3:pos + 8])
        if pos + 8 + size > len(body):
            return None
        fields.append((body[pos:pos + 3].decode("latin-1"), body[pos + 8:pos + 8 + size]))
        pos += 8 + size
    return fields


# --- outside readers --------------------------------------------------------

def mutagen_load(path):
    """(tags, None) or (None, error text). ID3v2 only, frames as stored."""
    try:
        return mid3.ID3(path, translate=False, load_v1=False), None
    except mid3.ID3NoHeaderError as e:
        return None, "no ID3v2 header (%s)" % e
    except Exception as e:  # any parse failure counts
        return None, "%s: %s" % (type(e).__name__, e)


def frame_ids(tags):
    """Frame identifiers mutagen read, with their counts."""
    counts = {}
    for frame in tags.values():
        counts[frame.FrameID] = counts.get(frame.FrameID, 0) + 1
    return counts


def unescape(text):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


class TagLibView:
    """What the TagLib reader program printed for a file."""

    def __init__(self):
        self.version = None  # (major, revision) or None without a tag
        self.frames = []
        self.uslt = []  # dicts: lang, desc, enc, text (str) or raw (bytes)
        self.sylt = []  # dicts: lang, desc, enc, format, type, entries [(ms, text)]


def taglib_read(reader, path):
    """(TagLibView, None) or (None, error text)."""
    try:
        r = subprocess.run([reader, path], capture_output=True, timeout=30)
    except subprocess.TimeoutExpired:
        return None, "TagLib reader timed out"
    if r.returncode != 0:
        return None, "TagLib reader exit %d: %s" % (r.returncode, r.stderr.decode("utf-8", "replace"))
    view = TagLibView()
    for line in r.stdout.decode("utf-8", "replace").splitlines():
        f = line.split("\t")
        if f[0] == "ID3V2":
            view.version = (int(f[1]), int(f[2]))
        elif f[0] == "FRAME":
            view.frames.append(f[1])
        elif f[0] == "USLT":
            u = {"lang": unescape(f[1]), "desc": unescape(f[2]), "enc": int(f[3])}
            if f[4].startswith("hex:"):
                u["raw"] = bytes.fromhex(f[4][4:])
            else:
                u["text"] = unescape(f[4])
            view.uslt.append(u)
        elif f[0] == "SYLT":
            view.sylt.append({"lang": unescape(f[1]), "desc": unescape(f[2]), "enc": int(f[3]),
                              "format": int(f[4]), "type": int(f[5]), "count": int(f[6]),
                              "entries": []})
        elif f[0] == "ENTRY":
            view.sylt[-1]["entries"].append((int(f[1]), unescape(f[2])))
    return view, None


def exiftool_read(path):
    """exiftool's tags of a file as a dict (group:name -> value), or an error."""
    try:
        r = subprocess.run(["exiftool", "-a", "-G1", "-j", path], capture_output=True, timeout=60)
    except subprocess.TimeoutExpired:
        return None, "exiftool timed out"
    try:
        return json.loads(r.stdout.decode("utf-8"))[0], None
    except Exception as e:
        return None, "exiftool output not understood (%s): %s" % (e, r.stderr.decode("utf-8", "replace"))


def exiftool_bytes(value):
    """The bytes of a Lyrics3 value, which exiftool decodes as Windows Latin-1
    (bytes without a character there come through as U+0080..U+009F)."""
    if isinstance(value, str) and value.startswith("base64:"):
        return base64.b64decode(value[7:])
    out = bytearray()
    for ch in str(value):
        try:
            out += ch.encode("cp1252")
        except UnicodeEncodeError:
            if ord(ch) > 0xFF:
                raise
            out.append(ord(ch))
    return bytes(out)


def run_versemill(versemill, args, timeout=60):
    """(returncode, output text). A negative code is the signal that ended it;
    None means it did not end in time."""
    try:
        r = subprocess.run([versemill] + args, capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return None, "timed out after %d s" % timeout
    out = (r.stdout + r.stderr).decode("utf-8", "replace")
    return r.returncode, out


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)

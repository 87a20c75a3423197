"""Checks the checkers: the layout code and the outside readers used by the
round trip and the corpus sweep give what the corpus files are known to hold
(the facts of MANIFEST.tsv) and read hand-made frames of the lyric writer's
layout right. If these fail, the other interop results mean nothing."""

import os
import re
import struct
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import interop_util as iu  # noqa: E402


def manifest(data_dir):
    rows = {}
    with open(os.path.join(data_dir, "corpus", "MANIFEST.tsv"), encoding="utf-8") as f:
        next(f)
        for line in f:
            cols = line.rstrip("\n").split("\t")
            if len(cols) >= 6 and cols[0].startswith("mp3/"):
                note = cols[5]
                rows[cols[0][4:]] = note.split("||", 1)[1] if "||" in note else ""
    return rows


def check_layout(c, data_dir):
    mp3_dir = os.path.join(data_dir, "corpus", "mp3")
    facts = manifest(data_dir)
    c.check(len(facts) >= 50, "manifest", "the manifest lists the MP3 corpus (%d rows)" % len(facts))
    for name, fact in sorted(facts.items()):
        path = os.path.join(mp3_dir, name)
        if not os.path.exists(path):
            c.check(False, name, "listed in the manifest but missing")
            continue
        data = iu.read(path)
        m = re.search(r"ID3v2\.(\d)\.(\d+) size=(\d+)", fact)
        h = iu.id3v2_header(data)
        if m:
            c.check(h is not None, name, "ID3v2 header found")
            if h:
                c.equal((h[0], h[1], h[3]), (int(m.group(1)), int(m.group(2)), int(m.group(3))),
                        name, "ID3v2 version and size")
        start = min(iu.id3v2_end(data), len(data))
        tail = iu.Tail(data, start)
        c.equal(tail.id3v1 is not None, bool(re.search(r"ID3v1\.\d", fact)), name, "ID3v1 record at the end")
        m = re.search(r"Lyrics3v2 size=(\d+)", fact)
        c.equal(tail.lyrics3_version == 2, bool(m), name, "Lyrics3 v2.00 tag before the record")
        if m and tail.lyrics3:
            c.equal(len(tail.lyrics3) - 15, int(m.group(1)), name, "Lyrics3 size")
            c.check(iu.lyrics3_fields(tail.lyrics3) is not None, name, "Lyrics3 fields parse")
        m = re.search(r"(?:^|; )MPEG sync at (\d+)", fact)
        if m and "APE" not in fact:
            # The audio starts right after the first tag here.
            c.equal(start, int(m.group(1)), name, "audio start")


def check_readers(c, args, work):
    mp3_dir = os.path.join(args.data, "corpus", "mp3")
    # SYLT and USLT frames with their own byte-order marks, which mutagen
    # reads too: both readers must agree.
    for name in ("rustid3_SYLT.mp3", "musicmetadata_menu-sash.mp3"):
        path = os.path.join(mp3_dir, name)
        view, err = iu.taglib_read(args.reader, path)
        tags, merr = iu.mutagen_load(path)
        if not c.check(view is not None and tags is not None, name, "both readers load (%s %s)" % (err, merr)):
            continue
        want = [[(t, s) for s, t in f.text] for f in tags.getall("SYLT")]
        got = [[(t, s) for t, s in f["entries"]] for f in view.sylt]
        c.check(len(want) > 0, name, "the file has SYLT frames")
        # mutagen keeps one frame per description and language.
        got = sorted(set(tuple(e) for e in got))
        want = sorted(set(tuple(e) for e in want))
        c.equal(got, want, name, "SYLT entries, TagLib vs mutagen")
        want = [f.text for f in tags.getall("USLT")]
        got = [u.get("text") for u in view.uslt]
        c.equal(sorted(got), sorted(want), name, "USLT texts, TagLib vs mutagen")

    # A SYLT frame in the writer's layout: UTF-16LE entries without a mark of
    # their own, the descriptor carrying FF FE; USLT Latin-1 labelled GBK.
    lines = [(1000, "你好"), (62050, "第二行 line")]
    body = b"\x01chi\x02\x01" + b"\xff\xfe" + "<说明>".encode("utf-16-le") + b"\x00\x00"
    for ms, text in lines:
        body += text.encode("utf-16-le") + b"\x00\x00" + struct.pack(">I", ms)
    sylt = b"SYLT" + struct.pack(">I", len(body)) + b"\x00\x00" + body
    lyric = "你好\n第二行 line\n".encode("gbk")
    uslt_body = b"\x00chi\x00" + lyric
    uslt = b"USLT" + struct.pack(">I", len(uslt_body)) + b"\x00\x00" + uslt_body
    frames = uslt + sylt + bytes(100)
    tag = b"ID3\x03\x00\x00" + bytes(iu_synchsafe(len(frames))) + frames
    audio = iu.read(os.path.join(mp3_dir, "mutagen_no-tags.mp3"))
    path = os.path.join(work, "layout.mp3")
    iu.write(path, tag + audio)
    view, err = iu.taglib_read(args.reader, path)
    if c.check(view is not None, "hand-made SYLT", "TagLib reader runs (%s)" % err):
        c.equal(view.version, (3, 0), "hand-made SYLT", "tag version")
        c.equal(len(view.sylt), 1, "hand-made SYLT", "one SYLT frame")
        if view.sylt:
            s = view.sylt[0]
            c.equal(s["entries"], lines, "hand-made SYLT", "entries as written")
            c.equal((s["lang"], s["desc"], s["enc"], s["format"], s["type"]), ("chi", "<说明>", 1, 2, 1),
                    "hand-made SYLT", "frame fields")
        c.equal([u.get("raw") for u in view.uslt], [lyric], "hand-made SYLT", "USLT bytes")

    # exiftool on a GBK Lyrics3 v2.00 tag: every GBK byte comes back.
    text = "[00:01]你好世界\r\n[01:02]亂碼測試ÿ–€\r\n".encode("gbk", "replace")
    text += bytes(range(0x80, 0xA0)) + b"\x81\x40\xfe\xfe\r\n"
    field = b"IND00002" + b"11" + b"LYR%05d" % len(text) + text
    block = b"LYRICSBEGIN" + field + b"%06d" % (11 + len(field)) + b"LYRICS200"
    record = b"TAG" + b"title".ljust(30, b"\x00") + bytes(95)
    path = os.path.join(work, "lyrics3.mp3")
    iu.write(path, audio + block + record)
    tail = iu.Tail(iu.read(path), 0)
    c.equal(tail.lyrics3, block, "hand-made Lyrics3", "layout code finds the block")
    c.equal(iu.lyrics3_fields(block), [("IND", b"11"), ("LYR", text)], "hand-made Lyrics3", "fields")
    tags, err = iu.exiftool_read(path)
    if c.check(tags is not None, "hand-made Lyrics3", "exiftool runs (%s)" % err):
        c.check("Lyrics3:Lyrics" in tags, "hand-made Lyrics3", "exiftool finds the lyric")
        c.equal(iu.exiftool_bytes(tags.get("Lyrics3:Lyrics", "")), text, "hand-made Lyrics3",
                "exiftool's lyric bytes")
        c.check("ExifTool:Warning" not in tags, "hand-made Lyrics3",
                "no exiftool warning (%s)" % tags.get("ExifTool:Warning"))

    name = "musicmetadata_APEv2+Lyrics3v2.mp3"
    path = os.path.join(mp3_dir, name)
    data = iu.read(path)
    fields = dict(iu.lyrics3_fields(iu.Tail(data, iu.id3v2_end(data)).lyrics3) or [])
    tags, err = iu.exiftool_read(path)
    if c.check(tags is not None, name, "exiftool runs (%s)" % err):
        c.equal(iu.exiftool_bytes(tags.get("Lyrics3:ExtendedTrackTitle", "")), fields.get("ETT"), name,
                "ETT field, exiftool vs layout code")


def check_checks(c, args, work):
    """The sweep's checks pass a file versemill wrote and catch each of a set
    of damages done to it afterwards."""
    import corpus_sweep
    corpus = os.path.join(args.data, "corpus")
    src = os.path.join(corpus, "mp3", "mutagen_silence-44-s.mp3")
    folder = os.path.join(work, "damage")
    os.makedirs(folder)
    lrc = os.path.join(folder, "track.lrc")
    mp3 = os.path.join(folder, "track.mp3")
    iu.write(lrc, iu.read(os.path.join(corpus, "lrc-gbk", "agora_demo_lrc_crlf_gbk.lrc")))
    data_in = iu.read(src)
    iu.write(mp3, data_in)
    code, out = iu.run_versemill(args.versemill, ["import", lrc, mp3])
    if not c.equal(code, 0, "damage", "versemill import exit code (output: %s)" % out.strip()):
        return
    good = iu.read(mp3)

    def failures(data_out):
        inner = iu.Checks("inner", quiet=True)
        sweep = corpus_sweep.Sweep(args, inner)
        before = sweep.before_state(src)
        path = os.path.join(folder, "probe.mp3")
        iu.write(path, data_out)
        sweep.check_written("probe", path, data_in, data_out, True, before, "track", False)
        return len(inner.failures)

    c.equal(failures(good), 0, "damage", "failures found in the file as written")
    end = iu.id3v2_end(good)
    audio, tail = iu.audio_of(good)
    uslt = good.find(b"USLT")
    lyr = good.rfind(b"LYR")

    def patched(pos, value):
        return good[:pos] + bytes([value]) + good[pos + 1:]

    damages = {
        "one audio byte changed": patched(end + len(audio) // 2, good[end + len(audio) // 2] ^ 1),
        "ID3v1 record dropped": good[:-128],
        "one byte of the Lyrics3 lyric changed": patched(lyr + 9, good[lyr + 9] ^ 1),
        "USLT text: a GBK character changed": patched(uslt + 17, good[uslt + 17] ^ 1),
        "SYLT frame renamed": good.replace(b"SYLT", b"XYLT", 1),
        "tag size one too large": good[:9] + bytes([good[9] + 1]) + good[10:],
    }
    for what, data in damages.items():
        c.check(data != good and failures(data) > 0, "damage", "the sweep's checks catch: " + what)


def iu_synchsafe(n):
    return [(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F]


def main():
    args = iu.parse_args(__doc__)
    c = iu.Checks("interop tools")
    missing = iu.require_tools(args)
    for m in missing:
        c.check(False, "setup", "missing: " + m)
    if missing:
        return c.summary()
    with tempfile.TemporaryDirectory(prefix="vm-interop-tools-") as work:
        check_layout(c, args.data)
        check_readers(c, args, work)
        check_checks(c, args, work)
    return c.summary()


if __name__ == "__main__":
    sys.exit(main())

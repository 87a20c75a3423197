"""Round trips through outside readers: `versemill tag` writes a GBK lyric into
MP3 files with no tag, ID3v2.2, v2.3 and v2.4 tags (some made here with
mutagen, some from the corpus), in both modes and with and without the
player TXXX frame; mutagen, TagLib and exiftool must then read what was
written, and everything else of the file must be as it was."""

import os
import shutil
import struct
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import interop_util as iu  # noqa: E402

SYLT_DESCRIPTOR = "<在此处键入说明>"

# The lyric, in file order. Three-digit fractions and whole seconds only, so
# that every reading of the time tags agrees.
LRC_TEXT = (
    "[ti:测试歌曲]\r\n"
    "[ar:某歌手]\r\n"
    "[offset:0]\r\n"
    "[00:01.000]你好，世界\r\n"
    "[00:03.500]第二行 歌词\r\n"
    "[00:02.250][00:10.000]重复的一句\r\n"
    "[01:02]最后一句话——完\r\n"
)
# (time in ms, text) in time order, and the unsynchronised text (file order).
LINES = [(1000, "你好，世界"), (2250, "重复的一句"), (3500, "第二行 歌词"), (10000, "重复的一句"),
         (62000, "最后一句话——完")]
UNSYNC = "你好，世界\n第二行 歌词\n重复的一句\n重复的一句\n最后一句话——完\n"


def lyrics3_text(lines):
    return "".join("[%02d:%02d]%s\r\n" % ((ms % 3600000) // 60000, (ms % 60000) // 1000, t)
                   for ms, t in lines).encode("gbk")


def iriver_frame_body(lines):
    """The player frame's bytes after its 10-byte header, for these lines."""
    texts = [t.encode("gbk") for _, t in lines]
    entries = [b"%d%d" % ((ms % 1000 % 100) // 10, ms % 10) + b"\xa2\xd0\r\n" + t + b"\r\n"
               for (ms, _), t in zip(lines, texts)]
    secs = b"".join(struct.pack("<I", ms // 1000) for ms, _ in lines)
    lens = b"".join(struct.pack("<I", len(e)) for e in entries)
    if lines:
        lens = lens[:-2]
    rest = struct.pack("<I", len(lines)) + secs + b"\x00\x00" + lens + b"".join(entries)
    total = 10 + 7 + 4 + len(rest)
    return b"\x00\x53\x4f\x87\xd6\x12\x00" + struct.pack("<I", total - 12) + rest


# --- input files --------------------------------------------------------------

def synchsafe_bytes(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def v22_tag():
    def frame(fid, text):
        payload = b"\x00" + text.encode("latin-1")
        return fid + len(payload).to_bytes(3, "big") + payload
    frames = frame(b"TT2", "Title v22") + frame(b"TP1", "Artist v22") + bytes(64)
    return b"ID3\x02\x00\x00" + synchsafe_bytes(len(frames)) + frames


def v24_footer_tag():
    """A version 4 tag with a footer, which mutagen does not write."""
    def frame(fid, text):
        payload = b"\x03" + text.encode("utf-8")
        return fid + synchsafe_bytes(len(payload)) + b"\x00\x00" + payload
    frames = frame(b"TIT2", "标题 footer") + frame(b"TPE1", "Artist footer")
    size = synchsafe_bytes(len(frames))
    return b"ID3\x04\x00\x10" + size + frames + b"3DI\x04\x00\x10" + size


def mutagen_tag(path, version, extra=(), with_v1=False):
    t = iu.mid3.ID3()
    for frame in extra:
        t.add(frame)
    t.save(path, v2_version=version, v1=2 if with_v1 else 0)


def make_inputs(work, data_dir):
    """name -> (path of the pristine input, description). Inputs are copied
    before every run."""
    mp3_dir = os.path.join(data_dir, "corpus", "mp3")
    audio = iu.read(os.path.join(mp3_dir, "mutagen_no-tags.mp3"))
    m = iu.mid3
    common = [m.TIT2(encoding=1, text="标题 Title"), m.TPE1(encoding=1, text="歌手 Artist"),
              m.TALB(encoding=0, text="Album"),
              m.COMM(encoding=1, lang="eng", desc="", text="a comment")]
    inputs = {}

    def add(name, what, data=None, source=None):
        path = os.path.join(work, "in", name + ".mp3")
        if source:
            shutil.copyfile(os.path.join(mp3_dir, source), path)
        else:
            iu.write(path, data)
        inputs[name] = (path, what)
        return path

    os.makedirs(os.path.join(work, "in"))
    add("none", "no tag", audio)
    add("v22", "hand-made ID3v2.2 tag", v22_tag() + audio)
    add("v22_corpus", "ID3v2.2 with ULT and PIC", source="musicmetadata_id3v2.2.mp3")
    for version in (3, 4):
        p = add("v2%d" % version, "ID3v2.%d by mutagen" % version, audio)
        mutagen_tag(p, version, common)
    p = add("v23_id3v1", "ID3v2.3 and ID3v1 by mutagen", audio)
    mutagen_tag(p, 3, common, with_v1=True)
    p = add("v24_lyrics", "ID3v2.4 with USLT then SYLT", audio)
    mutagen_tag(p, 4, common[:2] + [
        m.USLT(encoding=1, lang="eng", desc="old", text="old lyric"),
        m.SYLT(encoding=1, lang="eng", desc="old", format=2, type=1, text=[("old", 500)])])
    p = add("v23_sylt_first", "ID3v2.3 with SYLT before USLT", audio)
    mutagen_tag(p, 3, common[:2] + [
        m.SYLT(encoding=1, lang="eng", desc="old", format=2, type=1, text=[("old", 500)]),
        m.USLT(encoding=1, lang="eng", desc="old", text="old lyric")])
    p = add("v23_txxx_first", "ID3v2.3 whose first frame is TXXX", audio)
    mutagen_tag(p, 3, [m.TXXX(encoding=0, desc="first", text="txxx value"),
                       m.COMM(encoding=0, lang="eng", desc="", text="comment")])
    p = add("v23_ids_in_data", "ID3v2.3 whose frame data holds frame identifiers", audio)
    mutagen_tag(p, 3, [m.TXXX(encoding=0, desc="USLT SYLT", text="TIT2 TPE1 USLT SYLT TXXX"),
                       m.TALB(encoding=0, text="USLTSYLT"), m.TIT2(encoding=0, text="TPE1 USLT")])
    add("v24_footer", "ID3v2.4 with a footer", v24_footer_tag() + audio)
    add("v24_unsync", "ID3v2.4 with unsynchronisation and ID3v1", source="musicmetadata_id3v2.4.mp3")
    add("v24_xheader", "ID3v2.4 with extended header", source="musicmetadata_id3v2-xheader.mp3")
    add("v23_unsync", "ID3v2.3 with unsynchronisation", source="musicmetadata_issue-979.mp3")
    add("v23_lyrics3", "ID3v2.3, APEv2, Lyrics3 v2.00, ID3v1", source="musicmetadata_APEv2+Lyrics3v2.mp3")
    return inputs


# --- checks -------------------------------------------------------------------

def first_frame_id(data):
    h = iu.id3v2_header(data)
    if h is None or h[0] < 3 or h[2] & 0x40:
        return None
    return data[10:14]


IRIVER_DESC = "\x53\x4f\x87\xd6\x12"  # how mutagen reads the player frame's fixed bytes


def surviving_frames(tags, drop_first_txxx):
    """repr of every frame a write must keep, as a multiset: all but the
    lyric frames, TCON, the player frame and, when it is dropped, the TXXX
    frame that stood first (mutagen keeps the tag's order)."""
    out = {}
    txxx_dropped = not drop_first_txxx
    for frame in tags.values():
        if frame.FrameID in ("USLT", "SYLT", "TCON"):
            continue
        if frame.FrameID == "TXXX" and frame.desc == IRIVER_DESC:
            continue
        if frame.FrameID == "TXXX" and not txxx_dropped:
            txxx_dropped = True
            continue
        r = repr(frame)
        out[r] = out.get(r, 0) + 1
    return out


def check_id3v2(c, ctx, before, after, path, sync, iriver):
    hb = iu.id3v2_header(before)
    ha = iu.id3v2_header(after)
    if not c.check(ha is not None, ctx, "the file starts with an ID3v2 tag"):
        return
    want_major = 3 if hb is None or hb[0] <= 2 else hb[0]
    c.equal(ha[0], want_major, ctx, "tag version")
    c.check(iu.id3v2_end(after) <= len(after), ctx, "the tag size fits the file")

    tags, err = iu.mutagen_load(path)
    if not c.check(tags is not None, ctx, "mutagen reads the tag (%s)" % err):
        return
    ours = [f for f in tags.getall("USLT") if f.lang == "chi" and f.desc == ""]
    if c.equal(len(ours), 1, ctx, "USLT frames with language chi and no description"):
        f = ours[0]
        c.equal(int(f.encoding), 0, ctx, "USLT text encoding byte")
        try:
            text = f.text.encode("latin-1").decode("gbk")
        except UnicodeError as e:
            text = "<not GBK: %s>" % e
        c.equal(text, UNSYNC, ctx, "USLT text read by mutagen, as GBK")

    old_tags = iu.mutagen_load(path + ".before")[0] if hb and hb[0] >= 3 else None
    old_uslt = len(old_tags.getall("USLT")) if old_tags else 0
    c.equal(len(tags.getall("USLT")), max(1, old_uslt), ctx, "USLT frames in all (the old one replaced)")
    genres = [t for f in tags.getall("TCON") for t in f.text]
    old_genres = [t for f in old_tags.getall("TCON") for t in f.text] if old_tags else []
    if old_genres:
        # One TCON frame at most: the old one stays as it was.
        c.equal(genres, old_genres, ctx, "the old TCON frame kept, no second one")
    elif old_uslt == 0:
        c.equal(genres, ["(12)"], ctx, "TCON (12) written")
    if old_tags is not None:
        drop = iriver and first_frame_id(before) == b"TXXX"
        c.equal(surviving_frames(tags, False), surviving_frames(old_tags, drop), ctx, "the other frames survive")

    view, err = iu.taglib_read(args_reader, path)
    if not c.check(view is not None and view.version is not None, ctx, "TagLib reads the tag (%s)" % err):
        return
    ours = [s for s in view.sylt if s["desc"] == SYLT_DESCRIPTOR]
    if sync:
        if c.equal(len(ours), 1, ctx, "SYLT frames with the writer's description (TagLib)"):
            s = ours[0]
            c.equal((s["lang"], s["enc"], s["format"], s["type"]), ("chi", 1, 2, 1), ctx,
                    "SYLT language, encoding, time format, content type")
            c.equal(s["entries"], LINES, ctx, "SYLT entries read by TagLib")
        c.equal(len(view.sylt), 1, ctx, "SYLT frames in all (an old one replaced)")
    else:
        old_view = iu.taglib_read(args_reader, path + ".before")[0]
        c.equal(len(ours), 0, ctx, "no SYLT frame in the unsynchronised mode")
        c.equal(view.sylt, old_view.sylt if old_view else [], ctx, "old SYLT frames kept as they were")

    if iriver:
        player = [f for f in tags.getall("TXXX") if f.desc == IRIVER_DESC]
        c.equal(len(player), 1, ctx, "mutagen reads the player TXXX frame")
        check_iriver(c, ctx, after, ha)


def check_iriver(c, ctx, after, header):
    major, _, flags, _ = header
    if flags & 0x80:
        # Frames of an unsynchronised tag are not compared byte for byte.
        c.check(after[10:14] == b"TXXX", ctx, "the player TXXX frame comes first")
        return
    if not c.equal(after[10:14], b"TXXX", ctx, "the player TXXX frame comes first"):
        return
    raw = after[14:18]
    size = iu.synchsafe(raw) if major >= 4 else int.from_bytes(raw, "big")
    c.equal(after[18:20], b"\x20\x00", ctx, "player frame flags")
    c.equal(after[20:20 + size], iriver_frame_body(LINES), ctx, "player frame content")


def check_tail(c, ctx, before, after, sync, lyric_stem):
    audio_b, tail_b = iu.audio_of(before)
    audio_a, tail_a = iu.audio_of(after)
    if not sync:
        c.equal(after[iu.id3v2_end(after):] == before[iu.id3v2_end(before):], True, ctx,
                "everything after the tag unchanged")
        return
    c.equal(audio_a == audio_b, True, ctx, "audio unchanged (%d bytes before, %d after)"
            % (len(audio_b), len(audio_a)))
    if c.check(tail_a.id3v1 is not None, ctx, "an ID3v1 record ends the file"):
        if tail_b.id3v1 is not None:
            c.equal(tail_a.id3v1, tail_b.id3v1, ctx, "the old ID3v1 record kept")
        else:
            title = lyric_stem.encode("gbk")[:30]
            c.equal(tail_a.id3v1, b"TAG" + title.ljust(30, b"\x00") + bytes(95), ctx,
                    "new ID3v1 record (title from the lyric file's name, GBK)")
            v1 = iu.mid3.ParseID3v1(tail_a.id3v1)
            got = v1["TIT2"].text[0].encode("latin-1").decode("gbk") if v1 and "TIT2" in v1 else None
            c.equal(got, lyric_stem, ctx, "ID3v1 title read by mutagen, as GBK")
    if c.equal(tail_a.lyrics3_version, 2, ctx, "a Lyrics3 v2.00 tag before the record"):
        c.equal(iu.lyrics3_fields(tail_a.lyrics3), [("IND", b"11"), ("LYR", lyrics3_text(LINES))], ctx,
                "Lyrics3 fields")


def check_exiftool(c, ctx, path):
    tags, err = iu.exiftool_read(path)
    if not c.check(tags is not None, ctx, "exiftool runs (%s)" % err):
        return
    if c.check("Lyrics3:Lyrics" in tags, ctx, "exiftool finds the Lyrics3 lyric"):
        c.equal(iu.exiftool_bytes(tags["Lyrics3:Lyrics"]), lyrics3_text(LINES), ctx, "exiftool's Lyrics3 lyric")
    warning = str(tags.get("ExifTool:Warning", ""))
    c.check("Lyrics3" not in warning, ctx, "no exiftool warning about Lyrics3 (%s)" % warning)


args_reader = ""


def run_case(c, versemill, work, name, src, sync, iriver, lyric_name="song_%s.lrc"):
    mode = ("sync" if sync else "unsync") + ("+iriver" if iriver else "")
    ctx = "%s %s" % (name, mode)
    folder = os.path.join(work, "out", name + "-" + mode.replace("+", "-"))
    os.makedirs(folder)
    stem = (lyric_name % name)[:-4]
    lrc = os.path.join(folder, stem + ".lrc")
    iu.write(lrc, LRC_TEXT.encode("gbk"))
    mp3 = os.path.join(folder, stem + ".mp3")
    shutil.copyfile(src, mp3)
    shutil.copyfile(src, mp3 + ".before")
    before = iu.read(src)
    flags = ([] if sync else ["--unsync"]) + (["--iriver"] if iriver else [])
    code, out = iu.run_versemill(versemill, ["tag"] + flags + [lrc, mp3])
    if not c.equal(code, 0, ctx, "versemill tag exit code (output: %s)" % out.strip()):
        c.equal(iu.read(mp3) == before, True, ctx, "a failed write leaves the file unchanged")
        return None
    after = iu.read(mp3)
    check_id3v2(c, ctx, before, after, mp3, sync, iriver)
    check_tail(c, ctx, before, after, sync, stem)
    if sync:
        check_exiftool(c, ctx, mp3)

    # The same write again gives the same file: old frames and the old
    # Lyrics3 tag are replaced, nothing is added twice.
    code, out = iu.run_versemill(versemill, ["tag"] + flags + [lrc, mp3])
    if c.equal(code, 0, ctx + " again", "versemill tag exit code (output: %s)" % out.strip()):
        c.equal(iu.read(mp3) == after, True, ctx + " again", "a second write gives the same bytes")
    return after


def check_encodings(c, versemill, work, src):
    """UTF-8 (with and without BOM) and UTF-16 lyric files give the same file
    as the GBK one."""
    results = {}
    for label, data in (("gbk", LRC_TEXT.encode("gbk")), ("utf8", LRC_TEXT.encode("utf-8")),
                        ("utf8bom", b"\xef\xbb\xbf" + LRC_TEXT.encode("utf-8")),
                        ("utf16le", b"\xff\xfe" + LRC_TEXT.encode("utf-16-le")),
                        ("utf16be", b"\xfe\xff" + LRC_TEXT.encode("utf-16-be"))):
        folder = os.path.join(work, "enc", label)
        os.makedirs(folder)
        lrc = os.path.join(folder, "歌曲.lrc")
        mp3 = os.path.join(folder, "歌曲.mp3")
        iu.write(lrc, data)
        shutil.copyfile(src, mp3)
        code, out = iu.run_versemill(versemill, ["tag", lrc, mp3])
        if c.equal(code, 0, "encoding " + label, "versemill tag exit code (output: %s)" % out.strip()):
            results[label] = iu.read(mp3)
    for label, data in results.items():
        c.equal(data == results.get("gbk"), True, "encoding " + label, "same file as from the GBK lyric")
    if "gbk" in results:
        tail = iu.Tail(results["gbk"], 0)
        title = tail.id3v1[3:33].rstrip(b"\x00") if tail.id3v1 else None
        c.equal(title, "歌曲".encode("gbk"), "encoding gbk", "ID3v1 title from a Chinese file name, GBK")


def check_empty_lyric(c, versemill, work, src):
    folder = os.path.join(work, "empty")
    os.makedirs(folder)
    lrc = os.path.join(folder, "empty.lrc")
    mp3 = os.path.join(folder, "empty.mp3")
    iu.write(lrc, b"[ti:no timed lines]\r\njust text\r\n")
    shutil.copyfile(src, mp3)
    code, out = iu.run_versemill(versemill, ["tag", lrc, mp3])
    if not c.equal(code, 0, "empty lyric", "versemill tag exit code (output: %s)" % out.strip()):
        return
    # mutagen drops a USLT frame whose text is empty and unterminated, which
    # the frame layout allows; TagLib reads it.
    tags, err = iu.mutagen_load(mp3)
    if c.check(tags is not None, "empty lyric", "mutagen reads the tag (%s)" % err):
        c.equal([t for f in tags.getall("TCON") for t in f.text], ["(12)"], "empty lyric", "TCON (12) written")
    view, err = iu.taglib_read(args_reader, mp3)
    if c.check(view is not None, "empty lyric", "TagLib reads the tag (%s)" % err):
        c.equal([(u["lang"], u.get("raw")) for u in view.uslt], [("chi", b"")], "empty lyric",
                "an empty USLT text")
        c.equal([len(s["entries"]) for s in view.sylt], [0], "empty lyric", "a SYLT frame without entries")
    tail = iu.Tail(iu.read(mp3), 0)
    c.equal(iu.lyrics3_fields(tail.lyrics3) if tail.lyrics3 else None, [("IND", b"11"), ("LYR", b"")],
            "empty lyric", "Lyrics3 with an empty lyric")
    tags, err = iu.exiftool_read(mp3)
    if c.check(tags is not None, "empty lyric", "exiftool runs (%s)" % err):
        c.equal(tags.get("Lyrics3:Lyrics"), "", "empty lyric", "exiftool finds the empty Lyrics3 lyric")


def main():
    global args_reader
    args = iu.parse_args(__doc__)
    args_reader = args.reader
    c = iu.Checks("interop round trip")
    missing = iu.require_tools(args)
    for m in missing:
        c.check(False, "setup", "missing: " + m)
    if missing:
        return c.summary()
    work = tempfile.mkdtemp(prefix="vm-interop-roundtrip-")
    try:
        inputs = make_inputs(work, args.data)
        for name, (src, what) in inputs.items():
            print("== %s: %s" % (name, what), flush=True)
            for sync in (True, False):
                for iriver in (False, True):
                    run_case(c, args.versemill, work, name, src, sync, iriver)
        print("== lyric file encodings", flush=True)
        check_encodings(c, args.versemill, work, inputs["v23"][0])
        print("== empty lyric", flush=True)
        check_empty_lyric(c, args.versemill, work, inputs["none"][0])
    finally:
        if args.keep or c.failures:
            print("work folder kept: " + work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    return c.summary()


if __name__ == "__main__":
    sys.exit(main())

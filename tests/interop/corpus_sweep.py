"""Corpus sweep: every file of tests/data/corpus/mp3/ imported with a set of
LRC files of different kinds, in both modes. Each run must end with exit code
0 (written) or 1 (a clear failure line, the file byte for byte as it was),
never by a signal; a written file keeps its audio bytes and stays readable by
mutagen when it was readable before, and its lyric frames agree with each
other as the outside readers see them."""

import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import interop_util as iu  # noqa: E402

SYLT_DESCRIPTOR = "<在此处键入说明>"

# (label, path under tests/data/corpus or None for an empty file)
LRC_KINDS = [
    ("gbk-crlf", "lrc-gbk/agora_demo_lrc_crlf_gbk.lrc"),
    ("gbk-negative", "lrc/lrcf_test_gbk_crlf.lrc"),
    ("utf8", "lrc/lrcview_chengdu.lrc"),
    ("utf8-bom", "lrc/osdlyrics_lrc_bom.lrc"),
    ("utf16-bom", "lrc/navidrome_bom-utf16-test.lrc"),
    ("enhanced", "lrc/agora_EnhancedLRCformat.lrc"),
    ("cr-only", "lrc/agora_十年_cr.lrc"),
    ("multi-tag", "lrc/libskin_test.lrc"),
    ("large", "lrc/lrcparserpy_example_credits_ex.lrc"),
    ("empty", None),
]


def c_div(a, b):
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


def c_mod(a, b):
    return a - b * c_div(a, b)


def lyrics3_line(ms, text_gbk):
    minutes = c_div(c_mod(ms, 3600000), 60000)
    seconds = c_div(c_mod(ms, 60000), 1000)
    return b"[%02d:%02d]" % (minutes, seconds) + text_gbk + b"\r\n"


def signed32(v):
    return v - (1 << 32) if v >= 1 << 31 else v


class Sweep:
    def __init__(self, args, c):
        self.args = args
        self.c = c
        self.reported_failed = []  # (context, output line)
        self.unreadable_before = set()
        self.taglib_blind = set()
        self.runs = 0

    def before_state(self, path):
        tags, err = iu.mutagen_load(path)
        view, _ = iu.taglib_read(self.args.reader, path)
        return tags, err, view

    def run(self, work, mp3_name, src, kind, lrc_src, sync, before):
        c = self.c
        mode = "sync" if sync else "unsync"
        ctx = "%s + %s, %s" % (mp3_name, kind, mode)
        folder = os.path.join(work, "run")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        stem = "track"
        lrc = os.path.join(folder, stem + ".lrc")
        mp3 = os.path.join(folder, stem + ".mp3")
        if lrc_src:
            shutil.copyfile(lrc_src, lrc)
        else:
            iu.write(lrc, b"")
        data_in = iu.read(src)
        iu.write(mp3, data_in)
        flags = [] if sync else ["--unsync"]
        self.runs += 1
        code, out = iu.run_versemill(self.args.versemill, ["import"] + flags + [lrc, mp3], timeout=60)
        left = sorted(os.listdir(folder))
        c.equal(left, sorted([stem + ".lrc", stem + ".mp3"]), ctx, "no other files left in the folder")
        if code is None:
            c.check(False, ctx, "versemill did not end: " + out)
            return
        if not c.check(code in (0, 1), ctx, "exit code 0 or 1 (got %d%s; output: %s)"
                       % (code, " = signal %d" % -code if code < 0 else "", out.strip()[-400:])):
            return
        data_out = iu.read(mp3)
        if code == 1:
            lines = [l for l in out.splitlines() if l.strip()]
            c.check(any(stem in l for l in lines), ctx,
                    "a failure is reported with a line naming the file (output: %s)" % out.strip())
            c.check(data_out == data_in, ctx, "a file reported as failed is byte for byte unchanged")
            reasons = [l for l in lines if "failed:" in l] or lines[-1:]
            self.reported_failed.append((ctx, reasons[0] if reasons else ""))
            return
        self.check_written(ctx, mp3, data_in, data_out, sync, before, stem, lrc_src is None)

    def check_written(self, ctx, mp3, data_in, data_out, sync, before, stem, empty_lyric):
        c = self.c
        tags_before, err_before, view_before = before
        h_in = iu.id3v2_header(data_in)
        h_out = iu.id3v2_header(data_out)
        if not c.check(h_out is not None, ctx, "a written file starts with an ID3v2 tag"):
            return
        c.equal(h_out[0], 3 if h_in is None or h_in[0] <= 2 else h_in[0], ctx, "tag version")
        end_out = iu.id3v2_end(data_out)
        c.check(end_out <= len(data_out), ctx, "the tag size fits the file (%d > %d)" % (end_out, len(data_out)))

        # Audio and the end of the file.
        if sync:
            audio_in, tail_in = iu.audio_of(data_in)
            audio_out, tail_out = iu.audio_of(data_out)
            c.check(audio_in == audio_out, ctx, "audio bytes unchanged (%d bytes before, %d after)"
                    % (len(audio_in), len(audio_out)))
            if c.check(tail_out.id3v1 is not None, ctx, "an ID3v1 record ends the file"):
                if tail_in.id3v1 is not None:
                    c.check(tail_out.id3v1 == tail_in.id3v1, ctx, "the old ID3v1 record kept")
                else:
                    c.equal(tail_out.id3v1[3:33], stem.encode().ljust(30, b"\x00"), ctx, "new ID3v1 title")
            lyr = None
            if c.equal(tail_out.lyrics3_version, 2, ctx, "a Lyrics3 v2.00 tag before the record"):
                fields = iu.lyrics3_fields(tail_out.lyrics3)
                if c.check(fields is not None and len(fields) == 2 and fields[0] == ("IND", b"11")
                           and fields[1][0] == "LYR", ctx, "Lyrics3 fields IND 11 and LYR (%s)" % iu.short(fields)):
                    lyr = fields[1][1]
        else:
            c.check(data_out[end_out:] == data_in[min(iu.id3v2_end(data_in), len(data_in)):], ctx,
                    "everything after the tag unchanged")

        # mutagen: the tag loads (no regression), the USLT frame is there, the
        # other frames survive.
        tags, err = iu.mutagen_load(mp3)
        if tags is None:
            if tags_before is not None or err_before.startswith("no ID3v2 header") or (h_in and h_in[0] <= 2):
                c.check(False, ctx, "mutagen reads the written tag (%s; before: %s)" % (err, err_before or "read"))
            else:
                self.unreadable_before.add(ctx.split(" + ")[0])
            uslt_text = None
        else:
            ours = [f for f in tags.getall("USLT") if f.lang == "chi" and f.desc == ""]
            uslt_text = None
            if not ours and empty_lyric:
                # mutagen drops a USLT frame whose text is empty and
                # unterminated; the frame must still be there, whole.
                frame = b"USLT\x00\x00\x00\x05\x00\x00\x00chi\x00"
                c.check(frame in data_out[:end_out], ctx, "an empty USLT frame in the tag")
            elif c.equal(len(ours), 1, ctx, "one USLT frame with language chi (mutagen)"):
                try:
                    uslt_text = ours[0].text.encode("latin-1").decode("gbk")
                except UnicodeError as e:
                    c.check(False, ctx, "USLT text is GBK (%s)" % e)
            if tags_before is not None and h_in and h_in[0] >= 3:
                want = self.kept(tags_before)
                got = self.kept(tags)
                missing = {k: v for k, v in want.items() if got.get(k, 0) < v}
                c.check(not missing, ctx, "the other frames survive (missing: %s)" % iu.short(list(missing)))

        # TagLib: the SYLT frame in the synchronised mode, none of ours otherwise.
        view, err = iu.taglib_read(self.args.reader, mp3)
        if not c.check(view is not None and view.version is not None, ctx, "TagLib reads the tag (%s)" % err):
            return
        if h_in and h_in[0] >= 3 and tags_before is not None and len(tags_before) and view_before \
                and not view_before.frames:
            # TagLib reads no frame of this tag even before the write.
            self.taglib_blind.add(ctx.split(" + ")[0])
            return
        ours = [s for s in view.sylt if s["desc"] == SYLT_DESCRIPTOR]
        if not sync:
            c.equal(len(ours), 0, ctx, "no SYLT frame of ours in the unsynchronised mode")
            return
        if not c.equal(len(ours), 1, ctx, "one SYLT frame of ours (TagLib)"):
            return
        entries = [(signed32(t), s) for t, s in ours[0]["entries"]]
        times = [t for t, _ in entries]
        c.check(times == sorted(times), ctx, "SYLT entries in time order")
        try:
            texts_gbk = [s.encode("gbk") for _, s in entries]
        except UnicodeError as e:
            c.check(False, ctx, "SYLT texts map back to GBK (%s)" % e)
            return
        if lyr is not None:
            want = b"".join(lyrics3_line(t, s) for (t, _), s in zip(entries, texts_gbk))
            c.equal(lyr, want, ctx, "Lyrics3 lyric matches the SYLT entries")
        if uslt_text is not None:
            texts = [s for _, s in entries]
            c.equal(uslt_text.count("\n"), sum(1 + s.count("\n") for s in texts), ctx,
                    "USLT line count matches the SYLT entries")
            if not any("\n" in s for s in texts):
                c.equal(sorted(uslt_text.split("\n")[:-1]), sorted(texts), ctx,
                        "USLT lines are the SYLT texts")

    @staticmethod
    def kept(tags):
        out = {}
        for frame in tags.values():
            if frame.FrameID in ("USLT", "SYLT", "TCON"):  # a second TCON is merged by mutagen
                continue
            r = repr(frame)
            out[r] = out.get(r, 0) + 1
        return out


def main():
    args = iu.parse_args(__doc__)
    c = iu.Checks("interop corpus sweep")
    missing = iu.require_tools(args, need_exiftool=False)
    for m in missing:
        c.check(False, "setup", "missing: " + m)
    if missing:
        return c.summary()
    corpus = os.path.join(args.data, "corpus")
    mp3s = sorted(os.listdir(os.path.join(corpus, "mp3")))
    kinds = [(label, os.path.join(corpus, p) if p else None) for label, p in LRC_KINDS]
    for label, p in kinds:
        c.check(p is None or os.path.exists(p), "setup", "lyric file of kind %s exists" % label)
    sweep = Sweep(args, c)
    started = time.time()
    work = tempfile.mkdtemp(prefix="vm-interop-sweep-")
    try:
        for name in mp3s:
            src = os.path.join(corpus, "mp3", name)
            before = sweep.before_state(src)
            for label, lrc in kinds:
                for sync in (True, False):
                    sweep.run(work, name, src, label, lrc, sync, before)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d MP3 files x %d lyric kinds x 2 modes = %d runs in %.1f s"
          % (len(mp3s), len(kinds), sweep.runs, time.time() - started))
    if sweep.reported_failed:
        print("reported as failed (exit code 1, file unchanged):")
        grouped = {}
        for ctx, line in sweep.reported_failed:
            reason = line.split("failed:", 1)[-1].strip()
            key = (ctx.split(" + ")[0], reason)
            grouped[key] = grouped.get(key, 0) + 1
        for (name, reason), n in sorted(grouped.items()):
            print("  %s: %s (%d runs)" % (name, reason, n))
    if sweep.unreadable_before:
        print("mutagen could read neither before nor after: " + ", ".join(sorted(sweep.unreadable_before)))
    if sweep.taglib_blind:
        print("TagLib reads no frame of these tags, before or after (SYLT not checked): "
              + ", ".join(sorted(sweep.taglib_blind)))
    return c.summary()


if __name__ == "__main__":
    sys.exit(main())

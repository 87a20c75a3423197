// The ID3v2 helpers and the lyric tag writer's layouts, byte for byte.
#include <gtest/gtest.h>

#include <sstream>

#include "base/codepage.h"
#include "base/fileio.h"
#include "tags/id3v2.h"
#include "tags/iriver.h"
#include "tags/lyric_tag_writer.h"
#include "tags/write_result.h"
#include "writer_test_util.h"

using namespace wtest;

namespace {

Bytes Hex(const std::string& text) {
  std::istringstream in(text);
  Bytes out;
  std::string byte;
  while (in >> byte) out.push_back(uint8_t(std::stoul(byte, nullptr, 16)));
  return out;
}

// The ID3v1 record the writer makes for a file that has none.
Bytes NewId3v1(const std::string& title) {
  Bytes r = B("TAG" + title);
  r.resize(128, 0);
  return r;
}

}  // namespace

// ---- helpers ----------------------------------------------------------

TEST(Id3v2Numbers, BigEndianAndSynchsafe) {
  uint8_t b[4];
  WriteBE32(b, 0x0000F262);
  EXPECT_EQ(Bytes(b, b + 4), (Bytes{0x00, 0x00, 0xF2, 0x62}));
  EXPECT_EQ(ReadBE32(b), 62050u);
  WriteSynchsafe32(b, 246);
  EXPECT_EQ(Bytes(b, b + 4), (Bytes{0x00, 0x00, 0x01, 0x76}));
  WriteSynchsafe32(b, 327);
  EXPECT_EQ(Bytes(b, b + 4), (Bytes{0x00, 0x00, 0x02, 0x47}));
  WriteSynchsafe32(b, kMaxSynchsafe);
  EXPECT_EQ(Bytes(b, b + 4), (Bytes{0x7F, 0x7F, 0x7F, 0x7F}));
  EXPECT_EQ(ReadSynchsafe32(b), kMaxSynchsafe);
  EXPECT_TRUE(IsSynchsafe32(b));
  b[2] = 0x80;
  EXPECT_FALSE(IsSynchsafe32(b));
}

TEST(Id3v2Numbers, SetTagSizeKeepsTheLow28Bits) {
  uint8_t header[10] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
  SetTagSize(header, 246, 81);
  EXPECT_EQ(ReadSynchsafe32(header + 6), 327u);
  SetTagSize(header, 300, -50);
  EXPECT_EQ(ReadSynchsafe32(header + 6), 250u);
  SetTagSize(header, 0x10000005u, 0);
  EXPECT_EQ(ReadSynchsafe32(header + 6), 5u);
  EXPECT_EQ(Bytes(header, header + 6), (Bytes{'I', 'D', '3', 3, 0, 0}));
}

TEST(Id3v2Search, FindFrameIdIsAPlainBoundedSearch) {
  const Bytes buf = B("xxUSLTyyUSL");
  EXPECT_EQ(FindFrameId(buf.data(), 0, long(buf.size()), "USLT"), 2);
  EXPECT_EQ(FindFrameId(buf.data(), 3, long(buf.size()), "USLT"), -1);  // "USL" at the end is cut
  EXPECT_EQ(FindFrameId(buf.data(), 0, 5, "USLT"), -1);                 // would run past end
  EXPECT_EQ(FindFrameId(buf.data(), 0, 6, "USLT"), 2);
}

TEST(Id3v2Walk, StopsAtPaddingJunkAndOverrun) {
  Bytes body = Concat({TextFrame("TIT2", "a"), TextFrame("TPE1", "b")});
  Bytes padded = Concat({body, Bytes(5, 0)});
  FrameWalk w = WalkFrames(padded.data(), 0, padded.size(), false);
  ASSERT_EQ(w.frames.size(), 2u);
  EXPECT_EQ(w.why, WalkStop::Padding);
  EXPECT_EQ(w.stop, body.size());
  EXPECT_EQ(w.Find("TPE1")->offset, 12u);

  FrameWalk exact = WalkFrames(body.data(), 0, body.size(), false);
  EXPECT_EQ(exact.why, WalkStop::End);
  EXPECT_TRUE(exact.Clean());

  Bytes junk = Concat({body, B("xyz!morejunk")});
  FrameWalk j = WalkFrames(junk.data(), 0, junk.size(), false);
  EXPECT_EQ(j.why, WalkStop::Junk);
  EXPECT_EQ(j.frames.size(), 2u);

  Bytes over = body;
  over[4 + 12] = 0x7F;  // TPE1 claims a size far beyond the range
  FrameWalk o = WalkFrames(over.data(), 0, over.size(), false);
  EXPECT_EQ(o.why, WalkStop::Overrun);
  EXPECT_EQ(o.frames.size(), 1u);

  // "USLT" inside another frame's data is not a frame.
  Bytes hidden = Concat({TextFrame("COMM", "see USLT here"), Bytes(4, 0)});
  EXPECT_GE(FindFrameId(hidden.data(), 0, long(hidden.size()), "USLT"), 0);
  EXPECT_EQ(WalkFrames(hidden.data(), 0, hidden.size(), false).Find("USLT"), nullptr);
}

TEST(Id3v2Walk, Version4SizesAreSynchsafe) {
  Bytes big = TextFrame("TIT2", std::string(300, 'q'), true);
  FrameWalk w = WalkFrames(big.data(), 0, big.size(), true);
  ASSERT_EQ(w.frames.size(), 1u);
  EXPECT_EQ(w.frames[0].size, 301u);
  EXPECT_EQ(w.why, WalkStop::End);
  // Read as plain numbers the same bytes do not fit.
  EXPECT_FALSE(WalkFrames(big.data(), 0, big.size(), false).Clean());
}

TEST(Id3v2Unsync, RemovesTheInsertedZeros) {
  Bytes data = {0xFF, 0x00, 0xE0, 0x41, 0xFF, 0x00, 0x00, 0xFF};
  size_t n = RemoveUnsync(data.data(), data.size());
  EXPECT_EQ(Bytes(data.begin(), data.begin() + long(n)), (Bytes{0xFF, 0xE0, 0x41, 0xFF, 0x00, 0xFF}));
}

TEST(WriteStatusTexts, AreShortChineseTexts) {
  EXPECT_EQ(Cp936ToUtf8(WriteStatusText(WriteStatus::Written)), "已写入");
  EXPECT_EQ(Cp936ToUtf8(WriteStatusText(WriteStatus::CannotOpen)), "无法打开文件");
  EXPECT_EQ(Cp936ToUtf8(WriteStatusText(WriteStatus::CannotRead)), "读取文件出错");
  EXPECT_EQ(Cp936ToUtf8(WriteStatusText(WriteStatus::TooLarge)), "文件太大");
  EXPECT_EQ(Cp936ToUtf8(WriteStatusText(WriteStatus::BadTag)), "标签已损坏");
  EXPECT_EQ(Cp936ToUtf8(WriteStatusText(WriteStatus::CannotWrite)), "无法写入文件");
}

// ---- whole writes -------------------------------------------------------

TEST(LyricTagWriter, WorkedExampleByteForByte) {
  ScratchDir dir;
  WriteText(dir / "Song.lrc", "[00:01.00]Hi\r\n");
  const Bytes audio = Audio(1000);
  WriteBytes(dir / "Song.mp3", audio);
  WriteResult r = Write(dir / "Song.lrc", dir / "Song.mp3", true);
  ASSERT_TRUE(r.ok()) << r.detail;
  const Bytes file = ReadBytes(dir / "Song.mp3");
  Bytes head = Hex(
      "49 44 33 03 00 00 00 00 02 47 "
      "54 43 4F 4E 00 00 00 05 00 00 00 28 31 32 29 "
      "55 53 4C 54 00 00 00 08 00 00 00 63 68 69 00 48 69 0A "
      "53 59 4C 54 00 00 00 26 00 00 01 63 68 69 02 01 FF FE 3C 00 28 57 64 6B 04 59 2E 95 65 51 "
      "F4 8B 0E 66 3E 00 00 00 48 00 69 00 00 00 00 00 03 E8");
  head.resize(337, 0);
  ASSERT_GE(file.size(), 337u + audio.size());
  EXPECT_EQ(Slice(file, 0, 337), head);
  EXPECT_EQ(Slice(file, 337, audio.size()), audio);
  const Bytes tail = Concat({B("LYRICSBEGININD0000211LYR00011[00:01]Hi\r\n000040LYRICS200"), NewId3v1("Song")});
  EXPECT_EQ(Slice(file, 337 + audio.size(), 1000), tail);
  EXPECT_EQ(file.size(), 337 + audio.size() + tail.size());
}

TEST(LyricTagWriter, NoTagUnsyncModeGrowsBy256PlusLyric) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:05.00]One\n[00:06.00]Two\n");
  const std::string unsync = "One\nTwo\n";
  // Ends with an ID3v1 record: in this mode the end is copied unchanged.
  const Bytes original = Concat({Audio(800), NewId3v1("Kept")});
  WriteBytes(dir / "a.mp3", original);
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  const Bytes file = ReadBytes(dir / "a.mp3");
  const size_t n = unsync.size();
  ASSERT_EQ(file.size(), original.size() + 256 + n + 30);
  EXPECT_EQ(SS32(&file[6]), 246 + n + 30);
  EXPECT_EQ(Slice(file, 0, 6), (Bytes{'I', 'D', '3', 3, 0, 0}));
  EXPECT_EQ(Slice(file, 10, 15), Hex("54 43 4F 4E 00 00 00 05 00 00 00 28 31 32 29"));
  EXPECT_EQ(Slice(file, 25, n + 15), Concat({Frame("USLT", UsltData(unsync))}));
  EXPECT_EQ(Slice(file, 40 + n, 246), Bytes(246, 0));
  EXPECT_EQ(Slice(file, 286 + n, original.size()), original);
}

TEST(LyricTagWriter, LowerCaseMarkerCountsAsATag) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  Bytes tag = Tag(3, TextFrame("TIT2", "Name"), 30);
  tag[0] = 'i';
  tag[1] = 'd';
  const Bytes audio = Audio(200);
  WriteBytes(dir / "a.mp3", Concat({tag, audio}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  const Bytes file = ReadBytes(dir / "a.mp3");
  // Edited in place, not given a second tag; the marker is now readable.
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT"}));
  EXPECT_EQ(t.bodyEnd - t.paddingBegin, 30u);
  EXPECT_EQ(Slice(file, t.bodyEnd, audio.size() + 1), audio);
}

TEST(LyricTagWriter, Version22TagIsDroppedForANewOne) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  Bytes v22 = {'I', 'D', '3', 2, 0, 0, 0, 0, 0, 20};
  Add(v22, B("TT2"));
  Add(v22, Bytes{0, 0, 5, 0});
  Add(v22, B("Name"));
  v22.resize(30, 0);
  const Bytes audio = Audio(300);
  WriteBytes(dir / "a.mp3", Concat({v22, audio}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  const Bytes file = ReadBytes(dir / "a.mp3");
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.major, 3);
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TCON", "USLT"}));
  EXPECT_EQ(t.size, 246u + 3 + 30);
  EXPECT_EQ(Slice(file, t.bodyEnd, 1000), audio);
}

TEST(LyricTagWriter, FirstTxxxWithoutPlayerOptionIsKeptAndFollowed) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes txxx = Frame("TXXX", Concat({Bytes{0}, B("k"), Bytes{0}, B("v")}));
  const Bytes talb = TextFrame("TALB", "Album");
  WriteBytes(dir / "a.mp3", Concat({Tag(3, Concat({txxx, talb}), 16), Audio(100)}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TXXX", "TCON", "USLT", "TALB"}));
}

TEST(LyricTagWriter, PlayerFrameFirstIsDroppedWithTheOption) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  CLyricLineArray none;
  Bytes old;
  WriteIRiverFrame(none, old);
  const Bytes talb = TextFrame("TALB", "Album");
  WriteBytes(dir / "a.mp3", Concat({Tag(3, Concat({old, talb}), 16), Audio(100)}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false, true).ok());
  Bytes file = ReadBytes(dir / "a.mp3");
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  // The new player frame, then the new frames after the place of the old one.
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TXXX", "TCON", "USLT", "TALB"}));
  EXPECT_EQ(t.frames[0].size, 25u + 8 + (2 + 8) - 10);  // one line "Hi"
}

TEST(LyricTagWriter, UsltIsReplacedInPlaceWithoutTcon) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]New words\n");
  const Bytes tit2 = TextFrame("TIT2", "Name");
  const Bytes talb = TextFrame("TALB", "Album");
  const Bytes oldUslt = Frame("USLT", UsltData("old old old old words\n"));
  const Bytes audio = Audio(400);
  WriteBytes(dir / "a.mp3", Concat({Tag(3, Concat({tit2, oldUslt, talb}), 40), audio}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  const Bytes file = ReadBytes(dir / "a.mp3");
  const Bytes newUslt = Frame("USLT", UsltData("New words\n"));
  EXPECT_EQ(file, Concat({Tag(3, Concat({tit2, newUslt, talb}), 40), audio}));
}

TEST(LyricTagWriter, InsertsBeforeTpe1) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes tit2 = TextFrame("TIT2", "Name"), tpe1 = TextFrame("TPE1", "Singer");
  const Bytes audio = Audio(100);
  WriteBytes(dir / "a.mp3", Concat({Tag(3, Concat({tit2, tpe1}), 10), audio}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  const Bytes tcon = Hex("54 43 4F 4E 00 00 00 05 00 00 00 28 31 32 29");
  EXPECT_EQ(ReadBytes(dir / "a.mp3"),
            Concat({Tag(3, Concat({tit2, tcon, Frame("USLT", UsltData("Hi\n")), tpe1}), 10), audio}));
}

TEST(LyricTagWriter, InsertsAfterTit2) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes talb = TextFrame("TALB", "A"), tit2 = TextFrame("TIT2", "Name");
  WriteBytes(dir / "a.mp3", Concat({Tag(3, Concat({talb, tit2}), 10), Audio(100)}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TALB", "TIT2", "TCON", "USLT"}));
}

TEST(LyricTagWriter, ExistingGenreGetsNoSecondTcon) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes tcon = TextFrame("TCON", "Jazz");
  WriteBytes(dir / "a.mp3", Concat({Tag(3, Concat({tcon, TextFrame("TPE1", "S")}), 10), Audio(100)}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TCON", "USLT", "TPE1"}));
  EXPECT_EQ(t.frames[0].data, Concat({Bytes{0}, B("Jazz")}));
}

TEST(LyricTagWriter, EmptyLyricGivesEmptyFrames) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "");
  WriteBytes(dir / "a.mp3", Audio(300));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", true).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  ASSERT_NE(t.Find("USLT"), nullptr);
  ASSERT_NE(t.Find("SYLT"), nullptr);
  EXPECT_EQ(t.Find("USLT")->size, 5u);
  EXPECT_EQ(t.Find("SYLT")->size, 28u);
}

TEST(LyricTagWriter, SyltTimesAreBigEndianMilliseconds) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[01:02.05]Hello\n[00:-03.00]Before\n");
  WriteBytes(dir / "a.mp3", Audio(300));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", true).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  const Bytes& d = t.Find("SYLT")->data;
  // Negative time first (ascending), written as 0 rather than as 49 days.
  const Bytes before = {'B', 0, 'e', 0, 'f', 0, 'o', 0, 'r', 0, 'e', 0, 0, 0, 0, 0, 0, 0};
  const Bytes hello = {'H', 0, 'e', 0, 'l', 0, 'l', 0, 'o', 0, 0, 0, 0x00, 0x00, 0xF2, 0x62};
  EXPECT_EQ(Slice(d, 28, before.size()), before);
  EXPECT_EQ(Slice(d, 28 + before.size(), hello.size()), hello);
  EXPECT_EQ(d.size(), 28 + before.size() + hello.size());
}

TEST(LyricTagWriter, GbkTextBecomesUtf16InSylt) {
  ScratchDir dir;
  // GBK bytes of "你好".
  WriteText(dir / "a.lrc", "[00:01.00]\xc4\xe3\xba\xc3\n");
  WriteBytes(dir / "a.mp3", Audio(300));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", true).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(Slice(t.Find("SYLT")->data, 28, 10), (Bytes{0x60, 0x4F, 0x7D, 0x59, 0, 0, 0, 0, 0x03, 0xE8}));
  EXPECT_EQ(t.Find("USLT")->data, UsltData("\xc4\xe3\xba\xc3\n"));
}

TEST(LyricTagWriter, LongSyltLineIsConvertedWhole) {
  ScratchDir dir;
  const std::string text(30000, 'w');  // far beyond 10,240 UTF-16 units
  WriteText(dir / "a.lrc", "[00:01.00]" + text + "\n[00:02.00]after\n");
  WriteBytes(dir / "a.mp3", Audio(300));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", true).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  const Bytes& d = t.Find("SYLT")->data;
  ASSERT_EQ(d.size(), size_t(28 + (30001 * 2 + 4) + (6 * 2 + 4)));
  EXPECT_EQ(d[28 + 29999 * 2], 'w');
  EXPECT_EQ(Slice(d, 28 + 30000 * 2, 6), (Bytes{0, 0, 0, 0, 0x03, 0xE8}));
  EXPECT_EQ(Slice(d, 28 + 30001 * 2 + 4, 2), (Bytes{'a', 0}));
}

TEST(LyricTagWriter, OldSyltBeforeUsltIsReplacedInItsPlace) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes oldSylt = Frame("SYLT", Concat({Bytes{0, 'e', 'n', 'g', 2, 1, 0}, B("x"), Bytes{0, 0, 0, 0, 9}}));
  const Bytes oldUslt = Frame("USLT", UsltData("old\n"));
  const Bytes audio = Audio(200);
  WriteBytes(dir / "a.mp3",
             Concat({Tag(3, Concat({TextFrame("TIT2", "N"), oldSylt, TextFrame("TALB", "A"), oldUslt}), 20), audio}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", true).ok());
  Bytes file = ReadBytes(dir / "a.mp3");
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "SYLT", "TALB", "USLT"}));
  EXPECT_EQ(t.Find("SYLT")->size, 38u);
  EXPECT_EQ(t.Find("USLT")->data, UsltData("Hi\n"));
  EXPECT_EQ(t.bodyEnd - t.paddingBegin, 20u);
  EXPECT_EQ(Slice(file, t.bodyEnd, audio.size()), audio);
}

TEST(LyricTagWriter, OldSyltWithoutUsltIsTheInsertionPoint) {
  const Bytes tit2 = TextFrame("TIT2", "N"), talb = TextFrame("TALB", "A");
  const Bytes oldSylt = Frame("SYLT", Concat({Bytes{0, 'e', 'n', 'g', 2, 1, 0}, B("x"), Bytes{0, 0, 0, 0, 9}}));
  const Bytes tcon = Hex("54 43 4F 4E 00 00 00 05 00 00 00 28 31 32 29");
  const Bytes uslt = Frame("USLT", UsltData("Hi\n"));
  const Bytes audio = Audio(100);
  for (bool sync : {false, true}) {
    SCOPED_TRACE(sync ? "synchronised" : "unsynchronised");
    ScratchDir dir;
    WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
    WriteBytes(dir / "a.mp3", Concat({Tag(3, Concat({tit2, oldSylt, talb}), 10), audio}));
    ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", sync).ok());
    Bytes file = ReadBytes(dir / "a.mp3");
    ParsedTag t = ParseTag(file);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT", "TALB"}));
    EXPECT_EQ(Slice(file, 10, tit2.size() + tcon.size() + uslt.size()), Concat({tit2, tcon, uslt}));
    if (sync) {
      EXPECT_EQ(t.Find("SYLT")->size, 38u);  // the new one in the old one's place
    } else {
      EXPECT_EQ(Slice(file, t.Find("SYLT")->offset, oldSylt.size()), oldSylt);  // kept as it was
      EXPECT_EQ(Slice(file, t.tagEnd, file.size()), audio);
    }
  }
}

TEST(LyricTagWriter, OwnOutputIsReplacedInPlaceOnTheNextWrite) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]First\n");
  WriteText(dir / "b.lrc", "[00:02.00]Second line\n");
  WriteBytes(dir / "a.mp3", Concat({Tag(3, TextFrame("TIT2", "N"), 64), Audio(500)}));
  WriteBytes(dir / "b.mp3", ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", true).ok());
  ASSERT_TRUE(Write(dir / "b.lrc", dir / "a.mp3", true).ok());
  ASSERT_TRUE(Write(dir / "b.lrc", dir / "b.mp3", true).ok());
  // Writing B over A gives what B alone gives: one of each frame, one
  // Lyrics3 tag, one ID3v1 record.
  EXPECT_EQ(ReadBytes(dir / "a.mp3"), ReadBytes(dir / "b.mp3"));
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT"}));
}

TEST(LyricTagWriter, UnsyncModeKeepsTheEndOfTheFile) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes lyrics3 = B("LYRICSBEGININD0000211LYR00008[00:01]x000037LYRICS200");
  const Bytes end = Concat({Audio(300), lyrics3, NewId3v1("Old")});
  WriteBytes(dir / "a.mp3", Concat({Tag(3, TextFrame("TIT2", "N"), 8), end}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  Bytes file = ReadBytes(dir / "a.mp3");
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(Slice(file, t.tagEnd, file.size()), end);
}

TEST(LyricTagWriter, SecondTagIsKeptByteForByte) {
  for (const char* name : {"lofty_issue_87_duplicate_id3v2.mp3", "taglib_duplicate_id3v2.mp3"}) {
    SCOPED_TRACE(name);
    ScratchDir dir;
    WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
    const Bytes original = ReadBytes(CorpusPath(name));
    ASSERT_GT(original.size(), 20u);
    WriteBytes(dir / "a.mp3", original);
    const size_t firstEnd = 10 + SS32(&original[6]);
    ASSERT_TRUE(LooksLikeId3v2(&original[firstEnd], 3));  // the second tag
    ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
    const Bytes file = ReadBytes(dir / "a.mp3");
    ParsedTag t = ParseTag(file);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(t.Count("USLT"), 1);
    EXPECT_EQ(Slice(file, t.tagEnd, file.size()), Slice(original, firstEnd, original.size()));
  }
}

TEST(LyricTagWriter, ReadOnlyFileIsWrittenAndStaysWritable) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  WriteBytes(dir / "a.mp3", Audio(300));
  fs::permissions(dir / "a.mp3", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  ASSERT_TRUE(fileio::IsReadOnly((dir / "a.mp3").string()));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false).ok());
  EXPECT_FALSE(fileio::IsReadOnly((dir / "a.mp3").string()));
  EXPECT_TRUE(ParseTag(ReadBytes(dir / "a.mp3")).ok);
}

TEST(LyricTagWriter, MissingFilesAreReportedAndNothingChanges) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes original = Concat({Tag(3, Frame("USLT", UsltData("precious\n")), 10), Audio(100)});
  WriteBytes(dir / "a.mp3", original);
  WriteResult noLyric = Write(dir / "missing.lrc", dir / "a.mp3", true);
  EXPECT_EQ(noLyric.status, WriteStatus::CannotOpen);
  EXPECT_FALSE(noLyric.detail.empty());
  EXPECT_EQ(ReadBytes(dir / "a.mp3"), original);  // the old lyric is not wiped
  WriteResult noMp3 = Write(dir / "a.lrc", dir / "missing.mp3", true);
  EXPECT_EQ(noMp3.status, WriteStatus::CannotOpen);
  EXPECT_FALSE(fs::exists(dir / "missing.mp3"));
  // Folders are not files: a folder read as a lyric would be an empty one.
  fs::create_directories(dir / "folder.lrc");
  fs::create_directories(dir / "folder.mp3");
  EXPECT_EQ(Write(dir / "folder.lrc", dir / "a.mp3", true).status, WriteStatus::CannotOpen);
  EXPECT_EQ(ReadBytes(dir / "a.mp3"), original);
  EXPECT_EQ(Write(dir / "a.lrc", dir / "folder.mp3", true).status, WriteStatus::CannotOpen);
  EXPECT_TRUE(fs::is_directory(dir / "folder.mp3"));
  EXPECT_TRUE(dir.TempFiles().empty());
}

TEST(LyricTagWriter, BufferGrowsForLargeFiles) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes audio = Audio(CLyricTagWriter::kInitialBufferSize + 4096, 3);
  WriteBytes(dir / "a.mp3", audio);
  CLyricTagWriter w;
  w.m_bSyncLyric = true;
  WriteResult r = w.WriteLyricTag((dir / "a.lrc").string(), (dir / "a.mp3").string(), "a.mp3");
  ASSERT_TRUE(r.ok()) << r.detail;
  EXPECT_GT(w.m_nBufferSize, CLyricTagWriter::kInitialBufferSize);
  const Bytes file = ReadBytes(dir / "a.mp3");
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  ASSERT_GT(file.size(), t.tagEnd + audio.size());
  EXPECT_TRUE(std::equal(audio.begin(), audio.end(), file.begin() + long(t.tagEnd)));
  EXPECT_EQ(Slice(file, file.size() - 128, 3), B("TAG"));
}

TEST(LyricTagWriter, BufferIsAllocatedOnceAndReused) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  WriteBytes(dir / "a.mp3", Audio(300));
  WriteBytes(dir / "b.mp3", Audio(900, 5));
  CLyricTagWriter w;
  EXPECT_EQ(w.m_pFileBuffer, nullptr);
  ASSERT_TRUE(w.WriteLyricTag((dir / "a.lrc").string(), (dir / "a.mp3").string(), "a.mp3").ok());
  const uint8_t* first = w.m_pFileBuffer.get();
  EXPECT_EQ(w.m_nBufferSize, CLyricTagWriter::kInitialBufferSize);
  ASSERT_TRUE(w.WriteLyricTag((dir / "a.lrc").string(), (dir / "b.mp3").string(), "b.mp3").ok());
  EXPECT_EQ(w.m_pFileBuffer.get(), first);
  // Nothing of the first file leaks into the second.
  WriteBytes(dir / "c.mp3", Audio(900, 5));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "c.mp3", true, false, "b.mp3").ok());
  EXPECT_EQ(ReadBytes(dir / "b.mp3"), ReadBytes(dir / "c.mp3"));
}

TEST(LyricTagWriter, Utf8AndUtf16LyricFilesBecomeGbk) {
  ScratchDir dir;
  // "你好" as UTF-8, and as UTF-16LE with its byte-order mark.
  WriteText(dir / "u8.lrc", "[00:01.00]\xe4\xbd\xa0\xe5\xa5\xbd\n");
  WriteBytes(dir / "u16.lrc", Bytes{0xFF, 0xFE, '[', 0, '0', 0, '0', 0, ':', 0, '0', 0, '1', 0, ']', 0,
                                    0x60, 0x4F, 0x7D, 0x59, '\n', 0});
  for (const char* lrc : {"u8.lrc", "u16.lrc"}) {
    SCOPED_TRACE(lrc);
    WriteBytes(dir / "a.mp3", Audio(200));
    WriteResult r = Write(dir / lrc, dir / "a.mp3", false);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(r.unmappable, 0u);
    ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(t.Find("USLT")->data, UsltData("\xc4\xe3\xba\xc3\n"));
  }
}

TEST(LyricTagWriter, CharactersOutsideGbkAreCounted) {
  ScratchDir dir;
  // U+1F600 has no GBK form.
  WriteText(dir / "a.lrc", "[00:01.00]ok \xf0\x9f\x98\x80 \xe4\xbd\xa0\n");
  WriteBytes(dir / "a.mp3", Audio(200));
  WriteResult r = Write(dir / "a.lrc", dir / "a.mp3", false);
  ASSERT_TRUE(r.ok()) << r.detail;
  EXPECT_EQ(r.unmappable, 1u);
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Find("USLT")->data, UsltData("ok ? \xc4\xe3\n"));
}

// The player TXXX frame: layout byte for byte, and its place in a written file.
#include <gtest/gtest.h>

#include <memory>

#include "tags/id3v2.h"
#include "tags/iriver.h"
#include "writer_test_util.h"

using namespace wtest;

namespace {

void AddLine(CLyricLineArray& lines, int32_t time, const std::string& text) {
  auto line = std::make_unique<LyricLine>();
  line->time = time;
  line->text = text;
  ASSERT_TRUE(lines.Insert(std::move(line)));
}

uint32_t LE32(const Bytes& b, size_t at) {
  return b[at] | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
}

}  // namespace

TEST(IRiverFrame, EmptyLyricIsTheFixed27Bytes) {
  CLyricLineArray lines;
  Bytes out;
  EXPECT_EQ(WriteIRiverFrame(lines, out), 27u);
  const Bytes expected = {'T', 'X', 'X', 'X', 0x00, 0x00, 0x00, 0x11, 0x20, 0x00,
                          0x00, 0x53, 0x4F, 0x87, 0xD6, 0x12, 0x00, 0x0F, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(out, expected);
}

TEST(IRiverFrame, OneLineLayout) {
  CLyricLineArray lines;
  AddLine(lines, 62050, "AB");
  Bytes out;
  size_t x = WriteIRiverFrame(lines, out);
  // 25 + 8n + (len + 8)
  ASSERT_EQ(x, 25u + 8u + 10u);
  ASSERT_EQ(out.size(), x);
  EXPECT_EQ(BE32(&out[4]), x - 10);
  EXPECT_EQ(LE32(out, 17), x - 12);
  EXPECT_EQ(LE32(out, 21), 1u);
  EXPECT_EQ(LE32(out, 25), 62u);  // whole seconds
  EXPECT_EQ(out[29], 0);
  EXPECT_EQ(out[30], 0);
  EXPECT_EQ(out[31], 10);  // entry length, the last one in two bytes
  EXPECT_EQ(out[32], 0);
  const Bytes entry = {'5', '0', 0xA2, 0xD0, '\r', '\n', 'A', 'B', '\r', '\n'};
  EXPECT_EQ(Slice(out, 33, 10), entry);
}

TEST(IRiverFrame, SeveralLinesAndMillisecondDigits) {
  CLyricLineArray lines;
  AddLine(lines, 1234, "one");
  AddLine(lines, 1005, "x");
  AddLine(lines, 3723000, "long line");
  Bytes out;
  size_t x = WriteIRiverFrame(lines, out);
  const size_t n = 3;
  const size_t entries = (1 + 8) + (3 + 8) + (9 + 8);
  ASSERT_EQ(x, 25 + 8 * n + entries);
  ASSERT_EQ(out.size(), x);
  // The value at offset 17 is always the frame size minus 2.
  EXPECT_EQ(LE32(out, 17), BE32(&out[4]) - 2);
  EXPECT_EQ(LE32(out, 21), 3u);
  EXPECT_EQ(LE32(out, 25), 1u);     // 1,005 ms first (ascending time)
  EXPECT_EQ(LE32(out, 29), 1u);     // 1,234 ms
  EXPECT_EQ(LE32(out, 33), 3723u);  // 1 h 2 min 3 s
  EXPECT_EQ(out[37], 0);
  EXPECT_EQ(out[38], 0);
  EXPECT_EQ(LE32(out, 39), 9u);
  EXPECT_EQ(LE32(out, 43), 11u);
  EXPECT_EQ(out[47], 17);  // the last length: two bytes
  EXPECT_EQ(out[48], 0);
  size_t at = 25 + 8 * n;
  EXPECT_EQ(Slice(out, at, 9), (Bytes{'0', '5', 0xA2, 0xD0, '\r', '\n', 'x', '\r', '\n'}));
  at += 9;
  EXPECT_EQ(Slice(out, at, 2), B("34"));
  at += 11;
  EXPECT_EQ(Slice(out, at, 2), B("00"));
  EXPECT_EQ(Slice(out, at + 6, 9), B("long line"));
}

TEST(IRiverFrame, NegativeTimesCountAsZero) {
  // A negative time would print "-5" and make the entry a byte longer than
  // its declared length.
  CLyricLineArray lines;
  AddLine(lines, -2550, "early");
  Bytes out;
  size_t x = WriteIRiverFrame(lines, out);
  ASSERT_EQ(x, 25u + 8u + 13u);
  EXPECT_EQ(LE32(out, 25), 0u);
  EXPECT_EQ(Slice(out, 33, 2), B("00"));
}

TEST(IRiverFrame, SynchsafeSizeForVersion4Tags) {
  CLyricLineArray lines;
  AddLine(lines, 1000, std::string(200, 'a'));
  Bytes plain, safe;
  size_t x = WriteIRiverFrame(lines, plain, false);
  ASSERT_EQ(WriteIRiverFrame(lines, safe, true), x);
  ASSERT_GT(x - 10, 127u);
  EXPECT_EQ(BE32(&plain[4]), x - 10);
  EXPECT_EQ(SS32(&safe[4]), x - 10);
  EXPECT_NE(Slice(plain, 4, 4), Slice(safe, 4, 4));
  EXPECT_EQ(Slice(plain, 8, x - 8), Slice(safe, 8, x - 8));
}

TEST(IRiverFrame, RecognisesItsOwnData) {
  CLyricLineArray lines;
  Bytes out;
  WriteIRiverFrame(lines, out);
  EXPECT_TRUE(IsIRiverFrameData(out.data() + 10, out.size() - 10));
  const Bytes foreign = Concat({Bytes{0}, B("replaygain_track_gain"), Bytes{0}, B("-6.5 dB")});
  EXPECT_FALSE(IsIRiverFrameData(foreign.data(), foreign.size()));
  EXPECT_FALSE(IsIRiverFrameData(out.data() + 10, 3));
}

TEST(IRiverWrite, NewTagStartsWithThePlayerFrame) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.50]Hi\r\n[00:02.00]Yo\r\n");
  const Bytes audio = Audio(700);
  WriteBytes(dir / "a.mp3", audio);
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", true, true).ok());
  Bytes file = ReadBytes(dir / "a.mp3");
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TXXX", "TCON", "USLT", "SYLT"}));
  EXPECT_EQ(t.frames[0].offset, 10u);
  EXPECT_TRUE(IsIRiverFrameData(t.frames[0].data.data(), t.frames[0].data.size()));
  // 246 bytes of padding, then the audio.
  EXPECT_EQ(t.bodyEnd - t.paddingBegin, 246u);
  EXPECT_EQ(Slice(file, t.bodyEnd, audio.size()), audio);
}

TEST(IRiverWrite, OldPlayerFrameIsReplacedNotDoubled) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]First\n");
  WriteText(dir / "b.lrc", "[00:03.00]Second\n[00:04.00]Third\n");
  WriteBytes(dir / "a.mp3", Audio(500));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false, true).ok());
  ASSERT_TRUE(Write(dir / "b.lrc", dir / "a.mp3", false, true).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Count("TXXX"), 1);
  EXPECT_EQ(t.Count("TCON"), 1);
  EXPECT_EQ(t.Count("USLT"), 1);
  ASSERT_EQ(t.frames[0].id, "TXXX");
  EXPECT_EQ(LE32(t.frames[0].data, 11), 2u);  // the new frame's line count
  EXPECT_EQ(t.Find("USLT")->data, UsltData("Second\nThird\n"));
}

TEST(IRiverWrite, ForeignFirstTxxxIsKept) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes gain = Frame("TXXX", Concat({Bytes{0}, B("replaygain_track_gain"), Bytes{0}, B("-6.5 dB")}));
  WriteBytes(dir / "a.mp3", Concat({Tag(3, gain, 50), Audio(300)}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", false, true).ok());
  ParsedTag t = ParseTag(ReadBytes(dir / "a.mp3"));
  ASSERT_TRUE(t.ok) << t.error;
  // Ours first, the user's TXXX kept, the new frames after it.
  ASSERT_EQ(t.Ids(), (std::vector<std::string>{"TXXX", "TXXX", "TCON", "USLT"}));
  EXPECT_TRUE(IsIRiverFrameData(t.frames[0].data.data(), t.frames[0].data.size()));
  EXPECT_EQ(Slice(ReadBytes(dir / "a.mp3"), t.frames[1].offset, gain.size()), gain);
}

TEST(IRiverWrite, Version4TagGetsSynchsafeSizes) {
  ScratchDir dir;
  std::string lrc;
  for (int i = 0; i < 20; ++i) lrc += "[00:" + std::to_string(10 + i) + ".00]line number " + std::to_string(i) + "\n";
  WriteText(dir / "a.lrc", lrc);
  WriteBytes(dir / "a.mp3", Concat({Tag(4, TextFrame("TIT2", "Title", true), 20), Audio(300)}));
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "a.mp3", true, true).ok());
  Bytes file = ReadBytes(dir / "a.mp3");
  EXPECT_EQ(file[3], 4);
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TXXX", "TIT2", "TCON", "USLT", "SYLT"}));
  EXPECT_GT(t.frames[0].size, 127u);
}

// The Lyrics3 v2.00 tail: golden bytes, replacement of old tags, hostile
// size fields, the reader, and real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/fileio.h"
#include "writer_test_util.h"
#include "tags/lyrics3.h"

namespace {

namespace fs = std::filesystem;
using std::string;
using Scratch = wtest::ScratchDir;
using wtest::ReadAll;

const string kBegin = "LYRICSBEGININD0000211";

string Record(const string& title, const string& rest = string()) {
  string r = "TAG" + title;
  r.resize(33, '\0');
  r += rest;
  r.resize(128, '\0');
  return r;
}

string Audio(size_t n, unsigned seed = 1) {
  string out(n, '\0');
  std::mt19937 rng(seed);
  for (char& c : out) c = char(rng() & 0xFF);
  return out;
}

void AddLine(CLyricLineArray& lines, int32_t time, const string& text) {
  auto line = std::make_unique<LyricLine>();
  line->time = time;
  line->text = text;
  ASSERT_TRUE(lines.Insert(std::move(line)));
}

// Runs the tail writer over data in a buffer with room to spare.
struct TailRun {
  bool ok = false;
  string bytes;
};
TailRun Tail(const string& data, const string& name, const CLyricLineArray& lines,
             size_t spare = 1 << 20) {
  std::vector<uint8_t> buf(data.size() + spare, 0xEE);
  std::memcpy(buf.data(), data.data(), data.size());
  size_t length = data.size();
  TailRun run;
  run.ok = WriteLyrics3Tail(buf.data(), buf.size(), length, name, lines);
  run.bytes.assign(reinterpret_cast<const char*>(buf.data()), length);
  return run;
}


// ReadLyrics3Text over the given file content.
bool ReadBack(const string& content, string& text) {
  Scratch scratch;
  const string path = scratch.Put("f.mp3", content);
  FILE* f = fileio::Open(path, "rb");
  if (!f) return false;
  const bool found = ReadLyrics3Text(f, text);
  std::fclose(f);
  return found;
}

}  // namespace

// ---- the tag as written -------------------------------------------------

TEST(Lyrics3Write, OneLineGoldenBytesWithANewRecord) {
  CLyricLineArray lines;
  AddLine(lines, 62050, "Hi");
  const string audio = Audio(300);
  const TailRun run = Tail(audio, "Song.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, audio + kBegin + "LYR00011[01:02]Hi\r\n000040LYRICS200" + Record("Song"));
}

TEST(Lyrics3Write, EmptyLyricGoldenBytes) {
  CLyricLineArray lines;
  const string audio = Audio(200);
  const TailRun run = Tail(audio + Record("Kept", "Artist"), "x.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, audio + "LYRICSBEGININD0000211LYR00000000029LYRICS200" + Record("Kept", "Artist"));
}

TEST(Lyrics3Write, StampsUseMinutesWithinTheHourAndWholeSeconds) {
  CLyricLineArray lines;
  AddLine(lines, 3600000 + 2 * 60000, "A");     // 1 h 2 min
  AddLine(lines, 3600000 + 2 * 60000 + 3999, "B");
  AddLine(lines, 59 * 60000 + 59999, "C");
  const TailRun run = Tail(string(), "s.mp3", lines);
  ASSERT_TRUE(run.ok);
  const string lyric = "[59:59]C\r\n[02:00]A\r\n[02:03]B\r\n";
  EXPECT_EQ(run.bytes, kBegin + "LYR00030" + lyric + "000059LYRICS200" + Record("s"));
}

TEST(Lyrics3Write, NegativeTimesAreStampedAtTheStart) {
  CLyricLineArray lines;
  AddLine(lines, -61000, "Early");
  const TailRun run = Tail(string(), "s.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, kBegin + "LYR00014[00:00]Early\r\n000043LYRICS200" + Record("s"));
}

TEST(Lyrics3Write, LinesKeepTheirOrderAndEmbeddedLineBreaks) {
  CLyricLineArray lines;
  AddLine(lines, 2000, "two");
  AddLine(lines, 1000, "one\r\nmore");
  const TailRun run = Tail(string(), "s.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes,
            kBegin + "LYR00030[00:01]one\r\nmore\r\n[00:02]two\r\n000059LYRICS200" + Record("s"));
}

TEST(Lyrics3Write, NewRecordTitleIsTheNameLessItsExtensionCutAtThirtyBytes) {
  CLyricLineArray lines;
  const string longName = "An Extremely Long Song Title That Goes On.mp3";
  TailRun run = Tail(string(), longName, lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes.substr(run.bytes.size() - 128), Record(longName.substr(0, 30)));

  // Exactly 30 bytes fill the field without a terminator.
  const string thirty(30, 'T');
  run = Tail(string(), thirty + ".mp3", lines);
  EXPECT_EQ(run.bytes.substr(run.bytes.size() - 128), Record(thirty));

  // A double-byte character that would straddle the cut is left out whole.
  const string gbk = string(29, 'a') + "\xb8\xe8" + "b";  // 29 ASCII, then 歌
  run = Tail(string(), gbk + ".lrc", lines);
  EXPECT_EQ(run.bytes.substr(run.bytes.size() - 128), Record(string(29, 'a')));

  // Names of four bytes or fewer give an empty title.
  run = Tail(string(), ".mp3", lines);
  EXPECT_EQ(run.bytes.substr(run.bytes.size() - 128), Record(""));
  run = Tail(string(), "ab", lines);
  EXPECT_EQ(run.bytes.substr(run.bytes.size() - 128), Record(""));
}

TEST(Lyrics3Write, WritingTwiceLeavesOneTagAndOneRecord) {
  CLyricLineArray first, second;
  AddLine(first, 1000, "First lyric, rather longer than the second");
  AddLine(second, 2000, "Second");
  const string audio = Audio(1000);
  const TailRun once = Tail(audio, "Song.mp3", first);
  const TailRun twice = Tail(once.bytes, "Other.mp3", second);
  ASSERT_TRUE(once.ok && twice.ok);
  // The record made the first time stays; the tag is the second lyric's.
  EXPECT_EQ(twice.bytes, audio + kBegin + "LYR00015[00:02]Second\r\n000044LYRICS200" + Record("Song"));
  EXPECT_EQ(Tail(twice.bytes, "Other.mp3", second).bytes, twice.bytes);
}

// ---- existing tags --------------------------------------------------------

TEST(Lyrics3Write, ReplacesAnOldTagFoundByItsDecimalSize) {
  CLyricLineArray lines;
  AddLine(lines, 0, "x");
  const string old = "LYRICSBEGININD0000200EAL00003OldLYR00007[00:01]000047LYRICS200";
  ASSERT_EQ(old.size(), 47u + 15u);
  const string audio = Audio(500);
  const TailRun run = Tail(audio + old + Record("R", "A"), "n.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, audio + kBegin + "LYR00010[00:00]x\r\n000039LYRICS200" + Record("R", "A"));
}

TEST(Lyrics3Write, ReplacesAnOldTagWithAHexadecimalSize) {
  CLyricLineArray lines;
  const string body = "LYRICSBEGININD0000211LYR00026" + string(26, 'z');  // 55 bytes = 0x37
  const string audio = Audio(500);
  const TailRun run = Tail(audio + body + "000037LYRICS200" + Record("R"), "n.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, audio + kBegin + "LYR00000000029LYRICS200" + Record("R"));
}

TEST(Lyrics3Write, ASizeThatLeadsNowhereKeepsEveryByte) {
  // Neither the decimal (40) nor the hexadecimal (64) reading of the size
  // finds "LYRICSBEGIN": the bytes are not proven to be a tag, so they stay
  // and the new tag goes before the record.
  CLyricLineArray lines;
  const string audio = Audio(2000);
  for (const char* digits : {"000040", "00004x", "999999", "-00040", "      "}) {
    SCOPED_TRACE(digits);
    const string before = audio + string(digits) + "LYRICS200";
    const TailRun run = Tail(before + Record("R"), "n.mp3", lines);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.bytes, before + kBegin + "LYR00000000029LYRICS200" + Record("R"));
  }
}

TEST(Lyrics3Write, ASizeReachingBeforeTheBufferIsNoTag) {
  CLyricLineArray lines;
  const string before = "LYRICSBEGIN" + string("000100LYRICS200");  // 100 > 11 bytes before it
  const TailRun run = Tail(before, "n.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, before + kBegin + "LYR00000000029LYRICS200" + Record("n"));
}

TEST(Lyrics3Write, ReplacesAFirstVersionTag) {
  CLyricLineArray lines;
  const string audio = Audio(7000);
  const string v1 = "LYRICSBEGIN[00:01]old words\r\nLYRICSEND";
  const TailRun run = Tail(audio + v1 + Record("R"), "n.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, audio + kBegin + "LYR00000000029LYRICS200" + Record("R"));
}

TEST(Lyrics3Write, FirstVersionTagInAShortBufferIsStillFound) {
  CLyricLineArray lines;
  const string v1 = "LYRICSBEGINwordsLYRICSEND";
  for (const string& audio : {string(), Audio(10), Audio(4000)}) {
    SCOPED_TRACE(audio.size());
    const TailRun run = Tail(audio + v1, "n.mp3", lines);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.bytes, audio + kBegin + "LYR00000000029LYRICS200" + Record("n"));
  }
}

TEST(Lyrics3Write, FirstVersionTagOfTheLargestSizeIsFound) {
  CLyricLineArray lines;
  const string audio = Audio(9000);
  const string v1 = "LYRICSBEGIN" + string(5100, 'w') + "LYRICSEND";
  const TailRun run = Tail(audio + v1 + Record("R"), "n.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, audio + kBegin + "LYR00000000029LYRICS200" + Record("R"));
}

TEST(Lyrics3Write, FirstVersionTagRemovesOnlyFromTheNearestBegin) {
  // A stray "LYRICSBEGIN" further back (inside the audio) must not widen
  // what is dropped.
  CLyricLineArray lines;
  const string audio = Audio(300) + "LYRICSBEGIN" + Audio(300, 2);
  const string v1 = "LYRICSBEGINwordsLYRICSEND";
  const TailRun run = Tail(audio + v1 + Record("R"), "n.mp3", lines);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes, audio + kBegin + "LYR00000000029LYRICS200" + Record("R"));
}

TEST(Lyrics3Write, FirstVersionTagWithoutItsBeginIsLeftAlone) {
  CLyricLineArray lines;
  AddLine(lines, 0, "x");
  // Beyond the window, or not there at all: nothing but the record changes.
  const string far = "LYRICSBEGIN" + string(5101, 'w') + "LYRICSEND";
  for (const string& before : {Audio(8000) + far, Audio(100) + "LYRICSEND", string("LYRICSEND"),
                               string("BEGINLYRICSEND")}) {
    SCOPED_TRACE(before.size());
    TailRun run = Tail(before, "n.mp3", lines);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.bytes, before + Record("n"));
    run = Tail(before + Record("R"), "n.mp3", lines);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.bytes, before + Record("R"));
  }
}

TEST(Lyrics3Write, ShortBuffers) {
  CLyricLineArray lines;
  const string tag = kBegin + "LYR00000000029LYRICS200";
  EXPECT_EQ(Tail(string(), "n.mp3", lines).bytes, tag + Record("n"));
  EXPECT_EQ(Tail("TAG", "n.mp3", lines).bytes, "TAG" + tag + Record("n"));
  EXPECT_EQ(Tail("LYRICS200", "n.mp3", lines).bytes, "LYRICS200" + tag + Record("n"));
  // A record alone, and a record with fewer than 15 bytes before it.
  EXPECT_EQ(Tail(Record("R"), "n.mp3", lines).bytes, tag + Record("R"));
  EXPECT_EQ(Tail("YRICS200" + Record("R"), "n.mp3", lines).bytes, "YRICS200" + tag + Record("R"));
  EXPECT_EQ(Tail("0LYRICS200" + Record("R"), "n.mp3", lines).bytes, "0LYRICS200" + tag + Record("R"));
}

TEST(Lyrics3Write, NoRoomLeavesTheBufferUnchanged) {
  CLyricLineArray lines;
  AddLine(lines, 1000, "Hi");
  const string audio = Audio(100);
  const size_t needed = audio.size() + 44 + 11 + 128;
  for (size_t capacity : {needed - 1, audio.size() + 127, audio.size()}) {
    std::vector<uint8_t> buf(capacity, 0xEE);
    std::memcpy(buf.data(), audio.data(), audio.size());
    const std::vector<uint8_t> before = buf;
    size_t length = audio.size();
    EXPECT_FALSE(WriteLyrics3Tail(buf.data(), buf.size(), length, "n.mp3", lines));
    EXPECT_EQ(length, audio.size());
    EXPECT_EQ(buf, before);
  }
  std::vector<uint8_t> buf(needed, 0xEE);
  std::memcpy(buf.data(), audio.data(), audio.size());
  size_t length = audio.size();
  EXPECT_TRUE(WriteLyrics3Tail(buf.data(), buf.size(), length, "n.mp3", lines));
  EXPECT_EQ(length, needed);

  // A first-version tag kept as it is still needs room for the record.
  const string v1 = "xLYRICSEND";
  std::vector<uint8_t> small(v1.begin(), v1.end());
  length = small.size();
  EXPECT_FALSE(WriteLyrics3Tail(small.data(), small.size(), length, "n.mp3", lines));
  EXPECT_EQ(length, v1.size());
  // A length beyond the capacity is refused.
  length = small.size() + 1;
  EXPECT_FALSE(WriteLyrics3Tail(small.data(), small.size(), length, "n.mp3", lines));
}

TEST(Lyrics3Write, ReplacingInPlaceNeedsNoMoreRoomThanTheNewTag) {
  CLyricLineArray lines;
  const string old = kBegin + "LYR00010[00:00]x\r\n000039LYRICS200" + Record("R");
  std::vector<uint8_t> buf(old.begin(), old.end());
  size_t length = buf.size();
  ASSERT_TRUE(WriteLyrics3Tail(buf.data(), buf.size(), length, "n.mp3", lines));
  EXPECT_EQ(string(buf.begin(), buf.begin() + long(length)), kBegin + "LYR00000000029LYRICS200" + Record("R"));
  // What lies behind the shorter tail is cleared.
  for (size_t i = length; i < buf.size(); ++i) EXPECT_EQ(buf[i], 0) << i;
}

TEST(Lyrics3Write, LyricTooLongForFiveDigitsIsCutAtALine) {
  CLyricLineArray lines;
  const string text(990, 'L');  // each line 999 bytes with its stamp and CR LF
  for (int i = 0; i < 120; ++i) AddLine(lines, i * 1000, text);
  const TailRun run = Tail(Audio(50), "n.mp3", lines);
  ASSERT_TRUE(run.ok);
  const string lyric = run.bytes.substr(50 + 29, 100 * 999);
  EXPECT_EQ(run.bytes.substr(50, 29), kBegin + "LYR99900");
  EXPECT_EQ(run.bytes.substr(50 + 29 + 99900, 15), "099929LYRICS200");
  EXPECT_EQ(lyric.substr(lyric.size() - 999), "[01:39]" + text + "\r\n");
  EXPECT_EQ(run.bytes.size(), 50 + 44 + 99900 + 128u);

  string back;
  ASSERT_TRUE(ReadBack(run.bytes, back));
  EXPECT_EQ(back, lyric);

  // Exactly 99,999 bytes still go in whole.
  CLyricLineArray exact;
  AddLine(exact, 0, string(99999 - 9, 'e'));
  const TailRun full = Tail(string(), "n.mp3", exact);
  EXPECT_EQ(full.bytes.substr(0, 29), kBegin + "LYR99999");
  EXPECT_EQ(full.bytes.substr(29 + 99999, 15), "100028LYRICS200");
  AddLine(exact, 1, "more");
  EXPECT_EQ(Tail(string(), "n.mp3", exact).bytes, full.bytes);
}

TEST(Lyrics3Write, ReserveBoundsWhatIsAdded) {
  CLyricLineArray lines;
  EXPECT_EQ(Lyrics3TailReserve(lines), 128u + 44u);
  AddLine(lines, 62050, "Hi");
  EXPECT_EQ(Lyrics3TailReserve(lines), 128u + 44u + 11u);
  for (int i = 0; i < 200; ++i) AddLine(lines, i, string(900, 'r'));
  const size_t reserve = Lyrics3TailReserve(lines);
  EXPECT_LE(reserve, 128u + 44u + 99999u);
  const string audio = Audio(10);
  const TailRun run = Tail(audio, "n.mp3", lines, reserve);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.bytes.size(), audio.size() + reserve);
}

// Random size fields, markers and lengths: the writer stays in the buffer,
// keeps every byte before the tag it replaces, and only replaces what starts
// with "LYRICSBEGIN" and ends at the marker before the record.
TEST(Lyrics3Write, HostileTailsNeverCostData) {
  std::mt19937 rng(20240611);
  CLyricLineArray lines;
  AddLine(lines, 1000, "Hi");
  const size_t tagSize = 44 + 11;
  const char* markers[] = {"LYRICS200", "LYRICSEND", "LYRICS20X"};
  int replaced = 0;
  for (int round = 0; round < 3000; ++round) {
    string data = Audio(rng() % 6000, unsigned(round));
    // Sometimes a "LYRICSBEGIN" somewhere, sometimes a real-looking tag.
    if (!data.empty() && rng() % 2) {
      const size_t at = rng() % data.size();
      data.replace(at, std::min<size_t>(11, data.size() - at), "LYRICSBEGIN");
    }
    char digits[32];
    const size_t claimed = rng() % 3 == 0 ? rng() % 0x1000000 : rng() % (data.size() + 40);
    const int form = int(rng() % 4);
    switch (form) {
      case 0: std::snprintf(digits, sizeof digits, "%06zu", claimed); break;
      case 1: std::snprintf(digits, sizeof digits, "%06zx", claimed); break;
      case 2: std::snprintf(digits, sizeof digits, "%6zu", claimed); break;
      default: std::snprintf(digits, sizeof digits, "%06zX", claimed); break;
    }
    // Often a "LYRICSBEGIN" where the size points, so that tags are found.
    if (rng() % 2 && claimed >= 11 && claimed <= data.size()) {
      data.replace(data.size() - claimed, 11, "LYRICSBEGIN");
    }
    data += digits;
    data += markers[rng() % 3];
    if (rng() % 2) data += Record("R");
    // Cut anywhere, so that markers and records straddle the start.
    data.erase(0, rng() % 3 == 0 ? rng() % (data.size() + 1) : 0);

    const bool hadRecord = data.size() >= 128 && data.compare(data.size() - 128, 3, "TAG") == 0;
    const size_t end = hadRecord ? data.size() - 128 : data.size();
    const TailRun run = Tail(data, "n.mp3", lines, tagSize + 128 + 7);
    ASSERT_TRUE(run.ok) << round;
    const string record = hadRecord ? data.substr(end) : Record("n");
    if (run.bytes == data.substr(0, end) + record) continue;  // an old first-version tag kept
    ASSERT_GE(run.bytes.size(), tagSize + 128) << round;
    const size_t start = run.bytes.size() - 128 - tagSize;
    ASSERT_LE(start, end) << round;
    ASSERT_EQ(run.bytes.compare(0, start, data, 0, start), 0) << round;
    ASSERT_EQ(run.bytes.substr(start), kBegin + "LYR00011[00:01]Hi\r\n000040LYRICS200" + record) << round;
    if (start < end) {
      ++replaced;
      ASSERT_EQ(data.compare(start, 11, "LYRICSBEGIN"), 0) << round;
      const string marker = data.substr(end - 9, 9);
      ASSERT_TRUE(marker == "LYRICS200" || marker == "LYRICSEND") << round;
    }
  }
  EXPECT_GT(replaced, 300);  // the rounds did reach old tags
}

// ---- reading ---------------------------------------------------------------

TEST(Lyrics3Read, ReadsWhatTheWriterWrote) {
  CLyricLineArray lines;
  AddLine(lines, 62050, "Hi");
  AddLine(lines, 63000, "\xb8\xe8");  // 歌
  const TailRun run = Tail(Audio(400), "Song.mp3", lines);
  string text = "stale";
  ASSERT_TRUE(ReadBack(run.bytes, text));
  EXPECT_EQ(text, "[01:02]Hi\r\n[01:03]\xb8\xe8\r\n");
}

TEST(Lyrics3Read, TakesTheTextFromByte29WithTheFieldsAfterIt) {
  const string tag = "LYRICSBEGININD0000200EAL00012A song    EPEAR00004Auth";
  char size[8];
  std::snprintf(size, sizeof size, "%06zu", tag.size());
  string text;
  ASSERT_TRUE(ReadBack(Audio(100) + tag + size + "LYRICS200" + Record("A"), text));
  EXPECT_EQ(text, tag.substr(29));
}

TEST(Lyrics3Read, FindsNothingWithoutATagBeforeARecord) {
  string text = "kept";
  const string good = kBegin + "LYR00004abcd000033LYRICS200";
  EXPECT_TRUE(ReadBack(Audio(10) + good + Record("R"), text));
  EXPECT_EQ(text, "abcd");
  text = "kept";
  EXPECT_FALSE(ReadBack(Audio(10) + good, text));                     // no record
  EXPECT_FALSE(ReadBack(Audio(10) + good + "x" + Record("R"), text));  // not directly before it
  EXPECT_FALSE(ReadBack(Audio(10) + "x" + good.substr(0, good.size() - 15) + "000034LYRICS200" + Record("R"),
                        text));  // the size misses "LYRICSBEGIN"
  // Only decimal sizes are read.
  EXPECT_FALSE(ReadBack(Audio(10) + good.substr(0, good.size() - 15) + "000021LYRICS200" + Record("R"), text));
  EXPECT_EQ(text, "kept");
}

TEST(Lyrics3Read, HostileSizesAndShortFiles) {
  string text;
  const string tail = "LYRICS200" + Record("R");
  EXPECT_FALSE(ReadBack(string(), text));
  EXPECT_FALSE(ReadBack(Record("R"), text));
  EXPECT_FALSE(ReadBack("00000" + tail, text));  // 142 bytes
  for (const char* digits : {"000000", "000010", "999999", "000144", "-00001", "+00011", "  0011", "00001a"}) {
    SCOPED_TRACE(digits);
    EXPECT_FALSE(ReadBack(string(digits) + tail, text));
    EXPECT_FALSE(ReadBack("LYRICSBEGIN" + string(digits) + tail, text));
  }
  // The smallest tag there can be: no byte 29, an empty text.
  text = "stale";
  EXPECT_TRUE(ReadBack("LYRICSBEGIN000011" + tail, text));
  EXPECT_EQ(text, "");
  // A size that reaches exactly to the start of the file.
  EXPECT_TRUE(ReadBack(kBegin + "LYR00001z000030" + tail, text));
  EXPECT_EQ(text, "z");
  // A zero byte ends the text.
  EXPECT_TRUE(ReadBack(kBegin + "LYR00003" + string("a\0b", 3) + "000032" + tail, text));
  EXPECT_EQ(text, "a");
}

TEST(Lyrics3Read, RandomSizeFieldsStayInTheFile) {
  std::mt19937 rng(7);
  Scratch scratch;
  for (int round = 0; round < 300; ++round) {
    string content = Audio(rng() % 400, unsigned(round));
    if (rng() % 2) content += kBegin + "LYR00002ab";
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06u", unsigned(rng() % (rng() % 2 ? 1000000 : 600)));
    content += digits;
    content += "LYRICS200" + Record("R");
    const string path = scratch.Put("r.mp3", content);
    FILE* f = fileio::Open(path, "rb");
    ASSERT_NE(f, nullptr);
    string text;
    const bool found = ReadLyrics3Text(f, text);
    std::fclose(f);
    // Found exactly when the size leads to a "LYRICSBEGIN" inside the file.
    const size_t claimed = std::stoul(digits);
    const size_t sizeAt = content.size() - 143;
    const bool expected = claimed >= 11 && claimed <= sizeAt &&
                          content.compare(sizeAt - claimed, 11, "LYRICSBEGIN") == 0;
    ASSERT_EQ(found, expected) << round;
    if (found) {
      EXPECT_EQ(text, content.substr(sizeAt - claimed + 29, claimed > 29 ? claimed - 29 : 0).c_str());
    }
  }
}

TEST(Lyrics3Read, NoFileNoText) {
  string text;
  EXPECT_FALSE(ReadLyrics3Text(nullptr, text));
}

// ---- real files -------------------------------------------------------------

TEST(Lyrics3Corpus, OldTagsAreReplacedAndNothingElseMoves) {
  struct Case {
    const char* name;
    bool hasRecord;
  };
  const Case cases[] = {{"taglib_lyrics3v2.mp3", false},
                        {"musicmetadata_APEv2+Lyrics3v2.mp3", true},
                        {"mutagen_apev2-lyricsv2.mp3", true},
                        {"taglib_apetag-replaygain-lyrics3v2.mp3", false}};
  CLyricLineArray lines;
  AddLine(lines, 62050, "Hi");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const string original = ReadAll(string(VM_TEST_DATA) + "/corpus/mp3/" + c.name);
    ASSERT_GT(original.size(), 1000u);
    const size_t oldStart = original.rfind("LYRICSBEGIN");
    ASSERT_NE(oldStart, string::npos);
    const string record = c.hasRecord ? original.substr(original.size() - 128) : Record("n");
    const TailRun run = Tail(original, "n.mp3", lines);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.bytes,
              original.substr(0, oldStart) + kBegin + "LYR00011[01:02]Hi\r\n000040LYRICS200" + record);
    string text;
    ASSERT_TRUE(ReadBack(run.bytes, text));
    EXPECT_EQ(text, "[01:02]Hi\r\n");

    // Their own tags, read before: only those with a record have one to show.
    string before;
    EXPECT_EQ(ReadBack(original, before), c.hasRecord);
  }
}

TEST(Lyrics3Corpus, ReadsTheTitleFieldOfAnotherWriter) {
  string text;
  ASSERT_TRUE(ReadBack(ReadAll(string(VM_TEST_DATA) + "/corpus/mp3/musicmetadata_APEv2+Lyrics3v2.mp3"), text));
  EXPECT_EQ(text, "Secret Laboratory (Rootah Version)");
}

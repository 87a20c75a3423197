#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "lyrics/lrc.h"

namespace {

struct Parsed {
  std::vector<int32_t> times;
  std::vector<std::string> tags;
  std::vector<std::string> texts;
  std::string unsync;
};

Parsed Parse(std::string_view text) {
  CLyricLineArray lines;
  Parsed p;
  ParseLrc(text, lines, &p.unsync);
  for (int i = 0; i < lines.GetSize(); ++i) {
    p.times.push_back(lines.GetAt(i)->time);
    p.tags.push_back(lines.GetAt(i)->tag);
    p.texts.push_back(lines.GetAt(i)->text);
  }
  return p;
}

using Texts = std::vector<std::string>;
using Times = std::vector<int32_t>;

TEST(ParseLrc, OneLine) {
  Parsed p = Parse("[01:02.50]Hello");
  EXPECT_EQ(p.times, Times{62500});
  EXPECT_EQ(p.tags, Texts{"01:02.50"});
  EXPECT_EQ(p.texts, Texts{"Hello"});
  EXPECT_EQ(p.unsync, "Hello\n");
}

TEST(ParseLrc, SeveralTagsOnOneLine) {
  Parsed p = Parse("[00:10][00:50]Chorus\n");
  EXPECT_EQ(p.times, (Times{10000, 50000}));
  EXPECT_EQ(p.tags, (Texts{"00:10", "00:50"}));
  EXPECT_EQ(p.texts, (Texts{"Chorus", "Chorus"}));
  EXPECT_EQ(p.unsync, "Chorus\nChorus\n");
}

TEST(ParseLrc, ArrayInTimeOrderUnsyncInFileOrder) {
  Parsed p = Parse("[00:20]B\n[00:10]A\n");
  EXPECT_EQ(p.texts, (Texts{"A", "B"}));
  EXPECT_EQ(p.times, (Times{10000, 20000}));
  EXPECT_EQ(p.unsync, "B\nA\n");
  // Several tags out of order: file order in the unsynchronised lyric.
  p = Parse("[00:30][00:05]X\n[00:10]Y");
  EXPECT_EQ(p.texts, (Texts{"X", "Y", "X"}));
  EXPECT_EQ(p.unsync, "X\nX\nY\n");
}

TEST(ParseLrc, IdTagsProduceNothing) {
  Parsed p = Parse("[ti:Title]\n[ar:Artist]\n[offset:500]\n");
  EXPECT_TRUE(p.texts.empty());
  EXPECT_EQ(p.unsync, "");
}

TEST(ParseLrc, EmptyTextAndBracketedText) {
  EXPECT_TRUE(Parse("[00:05]  \t\r\n").texts.empty());
  EXPECT_TRUE(Parse("[00:05][00:06]\n").texts.empty());
  Parsed p = Parse("[00:05][Intro]\n");
  EXPECT_EQ(p.times, Times{5000});
  EXPECT_EQ(p.texts, Texts{"Intro"});
  EXPECT_EQ(p.tags, Texts{"00:05"});
  EXPECT_EQ(p.unsync, "Intro\n");
  // A tag of digits alone is no time either.
  p = Parse("[00:12.00][123]");
  EXPECT_EQ(p.texts, Texts{"123"});
  EXPECT_EQ(p.times, Times{12000});
  // With text after it the bracketed word is a skipped tag.
  p = Parse("[00:05][Intro]Words");
  EXPECT_EQ(p.texts, Texts{"Words"});
  EXPECT_EQ(p.times, Times{5000});
}

TEST(ParseLrc, UntaggedLinesBelongToTheLineBefore) {
  Parsed p = Parse("[00:01]Line one\r\nLine two\r\n[00:02]Line three");
  EXPECT_EQ(p.texts, (Texts{"Line one\r\nLine two", "Line three"}));
  EXPECT_EQ(p.unsync, "Line one\r\nLine two\nLine three\n");
  // Text before the first time tag is part of no line.
  p = Parse("Preface\n[00:01]A");
  EXPECT_EQ(p.texts, Texts{"A"});
  EXPECT_EQ(p.unsync, "A\n");
}

TEST(ParseLrc, BracketInsideLineEndsTheText) {
  Parsed p = Parse("[00:01]abc [abc] def\n[00:02]next");
  EXPECT_EQ(p.texts, (Texts{"abc", "next"}));
}

TEST(ParseLrc, TiesWithTheFirstLineEndInReverseFileOrder) {
  Parsed p = Parse("[00:05]first\n[00:09]last\n[00:05]t1\n[00:05]t2\n[00:05]t3\n");
  EXPECT_EQ(p.texts, (Texts{"t3", "t2", "t1", "first", "last"}));
}

TEST(ParseLrc, HourForm) {
  Parsed p = Parse("[01:02:03]Late");
  EXPECT_EQ(p.times, Times{3723000});
  EXPECT_EQ(p.tags, Texts{"01:02:03"});
}

TEST(ParseLrc, MalformedTagsAreSkipped) {
  EXPECT_TRUE(Parse("[00:01").texts.empty());
  EXPECT_TRUE(Parse("[00:01]").texts.empty());
  EXPECT_TRUE(Parse("[00:01][00:02").texts.empty());
  EXPECT_TRUE(Parse("[00:01][").texts.empty());
  EXPECT_TRUE(Parse("[").texts.empty());
  EXPECT_TRUE(Parse("]]][0").texts.empty());
  EXPECT_TRUE(Parse("[offset:-12345").texts.empty());
  // A tag with no ':' is no time.
  EXPECT_TRUE(Parse("[10.00]begin\n[20.00]end").texts.empty());
  Parsed p = Parse("[123]x\n[00:01]y");
  EXPECT_EQ(p.texts, Texts{"y"});
}

TEST(ParseLrc, EmptyText) {
  Parsed p = Parse("");
  EXPECT_TRUE(p.texts.empty());
  EXPECT_EQ(p.unsync, "");
  EXPECT_TRUE(Parse("no tags at all\n").texts.empty());
}

TEST(ParseLrc, ParseStartsAfresh) {
  CLyricLineArray lines;
  std::string unsync = "stale";
  ParseLrc("[00:01]a\n[00:02]b", lines, &unsync);
  ASSERT_EQ(lines.GetSize(), 2);
  ParseLrc("[00:03]c", lines, &unsync);
  ASSERT_EQ(lines.GetSize(), 1);
  EXPECT_EQ(lines.GetAt(0)->text, "c");
  EXPECT_EQ(unsync, "c\n");
  ParseLrc("", lines);  // without the unsynchronised lyric
  EXPECT_EQ(lines.GetSize(), 0);
  EXPECT_EQ(unsync, "c\n");
}

TEST(ParseLrc, HugeTimesAreClamped) {
  Parsed p = Parse("[99999999999:00]end\n[0:-99999999999]start\n[00:01]mid");
  EXPECT_EQ(p.times, (Times{INT32_MIN, 1000, INT32_MAX}));
  EXPECT_EQ(p.texts, (Texts{"start", "mid", "end"}));
}

// --- Double-byte characters -------------------------------------------------

// 擺 (0x94 0x5B), 慮 (0x91 0x5D), 淺 (0x9C 0x5C) in code page 936.
const std::string kBai = "\x94\x5B";
const std::string kLv = "\x91\x5D";
const std::string kQian = "\x9C\x5C";

TEST(ParseLrc, TheseCharactersHaveBracketTrailBytes) {
  EXPECT_EQ(Utf8ToCp936("\xE6\x93\xBA"), kBai);
  EXPECT_EQ(Utf8ToCp936("\xE6\x85\xAE"), kLv);
  EXPECT_EQ(Utf8ToCp936("\xE6\xB7\xBA"), kQian);
}

TEST(ParseLrc, TrailByteIsNeverABracket) {
  // In the line text: neither '[' nor ']' ends it.
  Parsed p = Parse("[00:01]" + kBai + kLv + kQian + " end\n[00:02]next");
  EXPECT_EQ(p.texts, (Texts{kBai + kLv + kQian + " end", "next"}));
  // Right after the tag: the trail '[' of 擺 does not start a tag.
  p = Parse("[00:01]" + kBai + "00:02]y");
  EXPECT_EQ(p.times, Times{1000});
  EXPECT_EQ(p.texts, Texts{kBai + "00:02]y"});
  // Inside a further tag: the trail ']' of 慮 does not close it.
  p = Parse("[00:01][" + kLv + "]x");
  EXPECT_EQ(p.times, Times{1000});
  EXPECT_EQ(p.texts, Texts{"x"});
  p = Parse("[00:01][" + kLv + "]");
  EXPECT_EQ(p.texts, Texts{kLv});
  // Before the first tag.
  p = Parse(kBai + "00:09]no\n[00:03]" + kLv);
  EXPECT_EQ(p.times, Times{3000});
  EXPECT_EQ(p.texts, Texts{kLv});
}

TEST(ParseLrc, ChineseLyric) {
  // [00:17.20]雨淋湿了天空 / [00:22.30]你说你不懂 in code page 936.
  std::string lrc = Utf8ToCp936(
      "[00:22.30]\xE4\xBD\xA0\xE8\xAF\xB4\xE4\xBD\xA0\xE4\xB8\x8D\xE6\x87\x82\r\n"
      "[00:17.20]\xE9\x9B\xA8\xE6\xB7\x8B\xE6\xB9\xBF\xE4\xBA\x86\xE5\xA4\xA9\xE7\xA9\xBA \r\n");
  Parsed p = Parse(lrc);
  ASSERT_EQ(p.times, (Times{17200, 22300}));
  EXPECT_EQ(Cp936ToUtf8(p.texts[0]),
            "\xE9\x9B\xA8\xE6\xB7\x8B\xE6\xB9\xBF\xE4\xBA\x86\xE5\xA4\xA9\xE7\xA9\xBA");
  EXPECT_EQ(Cp936ToUtf8(p.texts[1]), "\xE4\xBD\xA0\xE8\xAF\xB4\xE4\xBD\xA0\xE4\xB8\x8D\xE6\x87\x82");
}

// --- Bounds ---------------------------------------------------------------------

TEST(ParseLrc, LongRunsOfBracketsEndQuickly) {
  EXPECT_TRUE(Parse(std::string(1 << 20, '[')).texts.empty());
  std::string digits;
  for (int i = 0; i < 200000; ++i) digits += "[0";
  EXPECT_TRUE(Parse(digits).texts.empty());
  std::string tags;
  for (int i = 0; i < 5000; ++i) tags += "[0:1]";
  Parsed p = Parse(tags + "x");
  EXPECT_EQ(p.texts.size(), 5000u);
}

TEST(ParseLrc, ArbitraryBytesNeverBreakIt) {
  uint32_t seed = 7;
  const char alphabet[] = "[]:.0123456789 \r\n\x94\x5B\x91\x5D\xB0\xA1-+a";
  for (int round = 0; round < 300; ++round) {
    std::string s;
    for (int i = 0; i < 200; ++i) {
      seed = seed * 1664525u + 1013904223u;
      s.push_back(alphabet[(seed >> 24) % (sizeof alphabet - 1)]);
    }
    CLyricLineArray lines;
    std::string unsync;
    ParseLrc(s, lines, &unsync);
    for (int i = 1; i < lines.GetSize(); ++i)
      ASSERT_LE(lines.GetAt(i - 1)->time, lines.GetAt(i)->time) << s;
    for (int i = 0; i < lines.GetSize(); ++i) {
      int32_t t;
      ASSERT_TRUE(ParseLrcTime(lines.GetAt(i)->tag, t));
      ASSERT_EQ(t, lines.GetAt(i)->time);
      ASSERT_FALSE(lines.GetAt(i)->text.empty());
    }
  }
}

}  // namespace

#include "base/gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr size_t npos = std::string_view::npos;

// 擺 (0x94 0x5B), 慮 (0x91 0x5D), 淺 (0x9C 0x5C): trail bytes '[', ']', '\\'.
const std::string kBai = "\x94\x5B";
const std::string kLv = "\x91\x5D";
const std::string kQian = "\x9C\x5C";

TEST(Gbk, FindStepsOverTrailBytes) {
  std::string s = kBai + kLv + "[x]";
  EXPECT_EQ(GbkFind(s, '['), 4u);
  EXPECT_EQ(GbkFind(s, ']'), 6u);
  EXPECT_EQ(GbkFind(s, '[', 5), npos);
  EXPECT_EQ(GbkFind(kBai + kLv, '['), npos);
  EXPECT_EQ(GbkFind(kBai + kLv, ']'), npos);
  EXPECT_EQ(GbkFind("", '['), npos);
  EXPECT_EQ(GbkFind("[", '[', 5), npos);
}

TEST(Gbk, FindLastStepsOverTrailBytes) {
  // C:\歌\淺.mp3: the last real separator is at 5.
  std::string path = std::string("C:\\") + "\xB8\xE8" + "\\" + kQian + ".mp3";
  EXPECT_EQ(GbkFindLast(path, '\\'), 5u);
  EXPECT_EQ(GbkFindLast(kQian, '\\'), npos);
  EXPECT_EQ(GbkFindLast("a.b.c", '.'), 3u);
}

TEST(Gbk, LeadByteAtEndIsOneCharacter) {
  std::string s = "ab\xB0";
  EXPECT_EQ(GbkFind(s, 'b'), 1u);
  EXPECT_EQ(GbkFind(s, '\xB0'), 2u);
}

TEST(Gbk, CompareIgnoresAsciiCaseOnly) {
  EXPECT_EQ(GbkCompareNoCase("Song.MP3", "song.mp3"), 0);
  EXPECT_LT(GbkCompareNoCase("abc", "abd"), 0);
  EXPECT_GT(GbkCompareNoCase("abd", "ABC"), 0);
  EXPECT_LT(GbkCompareNoCase("ab", "abc"), 0);
  // 0x94 0x5B ('[') and 0x94 0x7B ('{') are different characters; a trail
  // byte that looks like a letter is not folded either: 0x81 0x41 vs 0x81 0x61.
  EXPECT_NE(GbkCompareNoCase("\x81\x41", "\x81\x61"), 0);
  EXPECT_EQ(GbkCompareNoCase("\x81\x41x", "\x81\x41X"), 0);
}

TEST(Gbk, StartsWithNeedsCharacterBoundary) {
  EXPECT_TRUE(GbkStartsWithNoCase("Hello.mp3", "HELLO"));
  EXPECT_TRUE(GbkStartsWithNoCase("\xB8\xE8\xB4\xCA.mp3", "\xB8\xE8"));
  // The prefix would end inside a character.
  EXPECT_FALSE(GbkStartsWithNoCase("\xB8\xE8\xB4\xCA", "\xB8\xE8\xB4"));
  EXPECT_FALSE(GbkStartsWithNoCase("ab", "abc"));
  EXPECT_TRUE(GbkStartsWithNoCase("ab", ""));
}

TEST(Gbk, ExtensionTest) {
  EXPECT_TRUE(EndsWithExtNoCase("song.MP3", ".mp3"));
  EXPECT_TRUE(EndsWithExtNoCase(".lrc", ".LRC"));
  EXPECT_FALSE(EndsWithExtNoCase("song.mp3.lrc", ".mp3"));
  EXPECT_FALSE(EndsWithExtNoCase("mp3", ".mp3"));
  EXPECT_FALSE(EndsWithExtNoCase("", ".mp3"));
}

TEST(Gbk, TrimTakesWhiteSpaceFromBothEndsOnly) {
  EXPECT_EQ("Song", GbkTrim("  \tSong \r\n"));
  EXPECT_EQ("a b", GbkTrim(" a b "));
  EXPECT_EQ("", GbkTrim(" \t\v\f "));
  EXPECT_EQ("", GbkTrim(""));
  // The full-width blank (A1 A1) is a character, not white space.
  EXPECT_EQ("\xA1\xA1x\xA1\xA1", GbkTrim(" \xA1\xA1x\xA1\xA1 "));
  EXPECT_EQ(kBai, GbkTrim(" " + kBai + "\n"));
  // A double-byte character at either end stays whole.
  EXPECT_EQ("\xB8\xE8 \xC3\xFB", GbkTrim(" \xB8\xE8 \xC3\xFB "));
}

}  // namespace

#include "base/codepage.h"

#include <gtest/gtest.h>

namespace {

// "一次就好 我陪你去看天荒地老" in UTF-8 and in code page 936.
const char kUtf8[] =
    "\xE4\xB8\x80\xE6\xAC\xA1\xE5\xB0\xB1\xE5\xA5\xBD \xE6\x88\x91\xE9\x99\xAA\xE4\xBD\xA0"
    "\xE5\x8E\xBB\xE7\x9C\x8B\xE5\xA4\xA9\xE8\x8D\x92\xE5\x9C\xB0\xE8\x80\x81";
const char kGbk[] =
    "\xD2\xBB\xB4\xCE\xBE\xCD\xBA\xC3 \xCE\xD2\xC5\xE3\xC4\xE3\xC8\xA5\xBF\xB4\xCC\xEC\xBB\xC4"
    "\xB5\xD8\xC0\xCF";

TEST(CodePage, ChineseTextBothWays) {
  size_t unmappable = 0;
  EXPECT_EQ(Utf8ToCp936(kUtf8, &unmappable), kGbk);
  EXPECT_EQ(unmappable, 0u);
  EXPECT_EQ(Cp936ToUtf8(kGbk), kUtf8);
}

TEST(CodePage, Utf16OfGbk) {
  // 歌词 = U+6B4C U+8BCD.
  EXPECT_EQ(Cp936ToUtf16("\xB8\xE8\xB4\xCA"), u"\u6B4C\u8BCD");
  EXPECT_EQ(Utf16ToCp936(u"\u6B4C\u8BCD"), "\xB8\xE8\xB4\xCA");
  EXPECT_EQ(Cp936ToUtf16("abc"), u"abc");
  EXPECT_EQ(Cp936ToUtf16(""), u"");
}

TEST(CodePage, TrailBytesThatLookLikeAscii) {
  // 擺 嶽 慮 揮 淺: their second bytes are '[', '[', ']', ']' and '\\'.
  EXPECT_EQ(Utf8ToCp936("\xE6\x93\xBA"), "\x94\x5B");
  EXPECT_EQ(Utf8ToCp936("\xE5\xB6\xBD"), "\x8E\x5B");
  EXPECT_EQ(Utf8ToCp936("\xE6\x85\xAE"), "\x91\x5D");
  EXPECT_EQ(Utf8ToCp936("\xE6\x8F\xAE"), "\x93\x5D");
  EXPECT_EQ(Utf8ToCp936("\xE6\xB7\xBA"), "\x9C\x5C");
  EXPECT_EQ(Cp936ToUtf8("\x94\x5B\x91\x5D\x9C\x5C"), "\xE6\x93\xBA\xE6\x85\xAE\xE6\xB7\xBA");
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarksAndAreCounted) {
  size_t unmappable = 0;
  // Hangul 한, an emoji (a surrogate pair) and Arabic م between ASCII letters.
  std::string out = Utf8ToCp936("a\xED\x95\x9C" "b\xF0\x9F\x98\x80" "c\xD9\x85", &unmappable);
  EXPECT_EQ(out, "a?b?c?");
  EXPECT_EQ(unmappable, 3u);
  // The count adds to what the caller had.
  Utf16ToCp936(u"\uD55C", &unmappable);
  EXPECT_EQ(unmappable, 4u);
  // A lone surrogate is one unmappable character; what follows stays.
  size_t lone = 0;
  EXPECT_EQ(Utf16ToCp936(std::u16string(u"x") + char16_t(0xD800) + u"y", &lone), "x?y");
  EXPECT_EQ(lone, 1u);
  EXPECT_EQ(Utf16ToCp936(std::u16string(u"x") + char16_t(0xDC00) + u"y"), "x?y");
  EXPECT_EQ(Utf16ToCp936(std::u16string(u"x") + char16_t(0xD800)), "x?");
}

TEST(CodePage, EuroSignAndSymbols) {
  // Code page 936 holds the euro sign as one byte, 0x80, and these symbols.
  EXPECT_EQ(Utf8ToCp936("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(Utf8ToCp936("\xC2\xB7\xE2\x80\x94"), "\xA1\xA4\xA1\xAA");
}

TEST(CodePage, InvalidGbkBecomesReplacementCharacter) {
  // A lead byte at the very end has no trail byte.
  std::u16string s = Cp936ToUtf16("ab\xB0");
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0], u'a');
  EXPECT_EQ(s[2], char16_t(0xFFFD));
  // A bad pair: the byte after the lead is still read as a character.
  s = Cp936ToUtf16("\x81\x20z");
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0], char16_t(0xFFFD));
  EXPECT_EQ(s[1], u' ');
  EXPECT_EQ(s[2], u'z');
}

TEST(CodePage, Utf8Decoding) {
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600\u00E9"), "\xF0\x9F\x98\x80\xC3\xA9");
  // Overlong form, a lone continuation byte and a cut sequence.
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("a\x80" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"), u"\uFFFD\uFFFD");
  // Encoded surrogates are not characters.
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80").front(), char16_t(0xFFFD));
  // A lone surrogate cannot be written as UTF-8.
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

TEST(CodePage, EveryDoubleByteCharacterRoundTrips) {
  // The whole GB2312 block: every character comes back as the same bytes.
  std::string all;
  for (int lead = 0xB0; lead <= 0xF7; ++lead)
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (lead == 0xD7 && trail > 0xF9) continue;  // unassigned
      all.push_back(char(lead));
      all.push_back(char(trail));
    }
  std::u16string wide = Cp936ToUtf16(all);
  EXPECT_EQ(wide.size(), all.size() / 2);
  size_t unmappable = 0;
  EXPECT_EQ(Utf16ToCp936(wide, &unmappable), all);
  EXPECT_EQ(unmappable, 0u);
}

}  // namespace

// Double-byte aware searches over GBK text.
//
// A GBK character is one byte below 0x80, or a lead byte 0x81..0xFE followed
// by a trail byte. Trail bytes may have the values of '[', ']', '\\' or ASCII
// letters, so searches must step over whole characters.
#pragma once

#include <cstddef>
#include <string_view>

constexpr bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Position of the first character c at or after from, or npos. from must be
// the start of a character.
size_t GbkFind(std::string_view text, char c, size_t from = 0);

// Position of the last character c, or npos.
size_t GbkFindLast(std::string_view text, char c);

// Compares a and b ignoring the case of ASCII letters that are whole
// characters (a trail byte is never folded). Result as strcmp.
int GbkCompareNoCase(std::string_view a, std::string_view b);

// True when text begins with prefix, letters compared as GbkCompareNoCase.
bool GbkStartsWithNoCase(std::string_view text, std::string_view prefix);

// True when the last four bytes of text equal ext (".mp3", ".lrc") ignoring
// ASCII case. Texts shorter than four bytes are compared whole.
bool EndsWithExtNoCase(std::string_view text, std::string_view ext);

// The white space of the C locale: blank, tab, CR, LF, VT, FF.
constexpr bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// text without the white space at both ends.
// Trail bytes of GBK are 0x40..0xFE, so this never cuts a character.
std::string_view GbkTrim(std::string_view text);

#include "base/gbk.h"

#include <algorithm>

namespace {

char FoldAscii(unsigned char c) {
  return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// Length of the character that starts at i: 2 for a lead byte with a byte
// after it, else 1.
size_t CharLen(std::string_view s, size_t i) {
  return IsGbkLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

}  // namespace

size_t GbkFind(std::string_view text, char c, size_t from) {
  for (size_t i = from; i < text.size(); i += CharLen(text, i))
    if (text[i] == c) return i;
  return std::string_view::npos;
}

size_t GbkFindLast(std::string_view text, char c) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size(); i += CharLen(text, i))
    if (text[i] == c) found = i;
  return found;
}

int GbkCompareNoCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  while (i < a.size() && i < b.size()) {
    size_t la = CharLen(a, i), lb = CharLen(b, i);
    if (la == 1 && lb == 1) {
      unsigned char ca = static_cast<unsigned char>(FoldAscii(a[i]));
      unsigned char cb = static_cast<unsigned char>(FoldAscii(b[i]));
      if (ca != cb) return ca < cb ? -1 : 1;
      ++i;
      continue;
    }
    // At least one double-byte character: compare the bytes as they are.
    size_t l = std::max(la, lb);
    for (size_t k = 0; k < l; ++k) {
      unsigned char ca = i + k < a.size() ? static_cast<unsigned char>(a[i + k]) : 0;
      unsigned char cb = i + k < b.size() ? static_cast<unsigned char>(b[i + k]) : 0;
      if (ca != cb) return ca < cb ? -1 : 1;
    }
    i += l;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool GbkStartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  // The prefix must end on a character boundary of text.
  size_t i = 0;
  while (i < prefix.size()) i += CharLen(text, i);
  if (i != prefix.size()) return false;
  return GbkCompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

bool EndsWithExtNoCase(std::string_view text, std::string_view ext) {
  std::string_view tail = text.size() >= ext.size() ? text.substr(text.size() - ext.size()) : text;
  if (tail.size() != ext.size()) return false;
  for (size_t i = 0; i < ext.size(); ++i)
    if (FoldAscii(static_cast<unsigned char>(tail[i])) != FoldAscii(static_cast<unsigned char>(ext[i])))
      return false;
  return true;
}

std::string_view GbkTrim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsAsciiSpace(text[b])) ++b;
  while (e > b && IsAsciiSpace(text[e - 1])) --e;
  return text.substr(b, e - b);
}

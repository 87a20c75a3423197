#include "lyrics/lrc.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "base/gbk.h"

namespace {

constexpr size_t npos = std::string_view::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// atoi: leading white space, an optional sign, digits up to the first other
// byte. The value saturates at the int range, as the Windows C library's
// atoi does, instead of overflowing.
int64_t AtoiPart(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsAsciiSpace(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > int64_t(INT_MAX) + 1) v = int64_t(INT_MAX) + 1;  // stays far inside int64
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return v;
}

// The digits after the dot as a decimal fraction of a second: ".5" and
// ".50" are 500 ms, ".05" is 50 ms; digits past the third are dropped. Read
// as atoi reads (white space, sign), so "x" gives 0.
int64_t FractionMs(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsAsciiSpace(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t v = 0;
  int digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++digits)
    if (digits < 3) v = v * 10 + (s[i] - '0');
  if (digits == 1) v *= 100;
  if (digits == 2) v *= 10;
  return negative ? -v : v;
}

// --- Encoding detection -----------------------------------------------------

// Length of the valid UTF-8 sequence at i (no overlong forms, no surrogates,
// nothing above U+10FFFF), or 0.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (len > s.size() - i) return 0;
  unsigned char c1 = static_cast<unsigned char>(s[i + 1]);
  if (c1 < lo || c1 > hi) return 0;
  for (size_t k = 2; k < len; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return len;
}

// Valid UTF-8 with at least one multi-byte character.
bool LooksLikeUtf8(std::string_view s) {
  bool multiByte = false;
  for (size_t i = 0; i < s.size();) {
    size_t len = Utf8SequenceLength(s, i);
    if (len == 0) return false;
    if (len > 1) multiByte = true;
    i += len;
  }
  return multiByte;
}

std::u16string Utf16Units(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2 + 1);
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    unsigned a = static_cast<unsigned char>(bytes[i]);
    unsigned b = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
  }
  // A lone last byte is half a character: it cannot be shown as it was.
  if (i < bytes.size()) out.push_back(char16_t(0xFFFD));
  return out;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// Reads what is left of an open stream into out.
bool ReadAll(FILE* f, std::string& out) {
  const int64_t size = fileio::Size(f);
  if (size > 0 && uint64_t(size) < uint64_t(out.max_size())) out.reserve(size_t(size));
  char buf[65536];
  for (;;) {
    size_t n = std::fread(buf, 1, sizeof buf, f);
    out.append(buf, n);
    if (n < sizeof buf) return !std::ferror(f);
  }
}

}  // namespace

int AtoiSaturated(std::string_view s) { return static_cast<int>(AtoiPart(s)); }

// --- CLyricLineArray ----------------------------------------------------------

CLyricLineArray::~CLyricLineArray() {
  RemoveAll();
  std::free(m_pItems);
}

LyricLine* CLyricLineArray::GetAt(int index) const {
  if (index < 0 || index >= m_nCount) return nullptr;
  return m_pItems[index];
}

void CLyricLineArray::RemoveAll() {
  for (int i = 0; i < m_nCount; ++i) {
    delete m_pItems[i];
    m_pItems[i] = nullptr;
  }
  m_nCount = 0;
}

bool CLyricLineArray::InsertAt(int index, std::unique_ptr<LyricLine> line) {
  if (m_nCount == m_nCapacity) {
    if (m_nCapacity > INT_MAX - kGrowStep) return false;
    const int capacity = m_nCapacity + kGrowStep;
    // realloc: a large block usually grows in place, so ten slots at a time
    // stays cheap for long files.
    void* items = std::realloc(m_pItems, sizeof(LyricLine*) * static_cast<size_t>(capacity));
    if (!items) return false;
    m_pItems = static_cast<LyricLine**>(items);
    m_nCapacity = capacity;
  }
  std::memmove(m_pItems + index + 1, m_pItems + index, sizeof(LyricLine*) * size_t(m_nCount - index));
  m_pItems[index] = line.release();
  ++m_nCount;
  return true;
}

// Ties: a time equal to the first line's goes before it, one equal to the
// last line's (of two or more) goes after it, and one equal to an inner line
// goes before the line the search probes. Times are compared directly, so
// that times far apart cannot overflow a difference.
bool CLyricLineArray::Insert(std::unique_ptr<LyricLine> line) {
  if (!line) return false;
  const int32_t t = line->time;
  if (m_nCount == 0) return InsertAt(0, std::move(line));
  if (t <= m_pItems[0]->time) return InsertAt(0, std::move(line));
  if (m_nCount == 1) return InsertAt(1, std::move(line));
  if (t >= m_pItems[m_nCount - 1]->time) return InsertAt(m_nCount, std::move(line));
  int lo = 0, hi = m_nCount - 1;
  while (lo + 1 != hi) {
    const int mid = lo + (hi - lo) / 2;
    const int32_t held = m_pItems[mid]->time;
    if (t == held) return InsertAt(mid, std::move(line));
    if (t > held)
      lo = mid;
    else
      hi = mid;
  }
  return InsertAt(hi, std::move(line));
}

// --- Files --------------------------------------------------------------------

bool ReadFileBytes(const std::string& path, std::string& out) {
  FILE* f = fileio::Open(path, "rb");
  if (!f) return false;
  std::string bytes;
  bool ok;
  try {
    ok = ReadAll(f, bytes);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  std::fclose(f);
  if (!ok) return false;
  out.swap(bytes);
  return true;
}

bool ReadTextFile(const std::string& path, std::string& out) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  out.swap(bytes);
  return true;
}

DecodedText DecodeLyricText(std::string& bytes) {
  DecodedText result;
  std::string_view s(bytes);
  if (StartsWith(s, "\xEF\xBB\xBF")) {
    result.encoding = TextEncoding::Utf8Bom;
    bytes = Utf8ToCp936(s.substr(3), &result.unmappable);
  } else if (StartsWith(s, "\xFF\xFE")) {
    result.encoding = TextEncoding::Utf16LeBom;
    bytes = Utf16ToCp936(Utf16Units(s.substr(2), false), &result.unmappable);
  } else if (StartsWith(s, "\xFE\xFF")) {
    result.encoding = TextEncoding::Utf16BeBom;
    bytes = Utf16ToCp936(Utf16Units(s.substr(2), true), &result.unmappable);
  } else if (LooksLikeUtf8(s)) {
    result.encoding = TextEncoding::Utf8;
    bytes = Utf8ToCp936(s, &result.unmappable);
  }
  return result;
}

LyricFileText ReadLyricFile(const std::string& path, std::string& gbkText) {
  LyricFileText result;
  gbkText.clear();
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return result;
  result.fileRead = true;
  static_cast<DecodedText&>(result) = DecodeLyricText(bytes);
  size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  gbkText.swap(bytes);
  return result;
}

// --- Parsing --------------------------------------------------------------------

bool ParseLrcTime(std::string_view tag, int32_t& ms) {
  const size_t c1 = tag.find(':');
  if (c1 == npos) return false;
  const size_t c2 = tag.find(':', c1 + 1);
  std::string_view hours = "0", minutes, seconds, fraction = "0";
  size_t secStart;
  if (c2 == npos) {
    minutes = tag.substr(0, c1);
    secStart = c1 + 1;
  } else {
    hours = tag.substr(0, c1);
    minutes = tag.substr(c1 + 1, c2 - c1 - 1);
    secStart = c2 + 1;
  }
  const size_t dot = tag.find('.', secStart);
  if (dot == npos) {
    seconds = tag.substr(secStart);
  } else {
    seconds = tag.substr(secStart, dot - secStart);
    fraction = tag.substr(dot + 1);
  }
  // Each part lies within the int range, so the sum stays far inside 64 bits.
  int64_t total = (AtoiPart(hours) * 3600 + AtoiPart(minutes) * 60 + AtoiPart(seconds)) * 1000 +
                  FractionMs(fraction);
  if (total > INT32_MAX) total = INT32_MAX;
  if (total < INT32_MIN) total = INT32_MIN;
  ms = static_cast<int32_t>(total);
  return true;
}

void ParseLrc(std::string_view text, CLyricLineArray& lines, std::string* unsync) {
  lines.RemoveAll();
  if (unsync) unsync->clear();
  std::vector<std::string_view> tags;
  size_t pos = 0;
  try {
    for (;;) {
      const size_t i = GbkFind(text, '[', pos);
      if (i == npos) break;
      if (i + 1 >= text.size() || !IsDigit(text[i + 1])) {
        pos = i + 1;
        continue;
      }
      pos = i + 1;
      size_t j = GbkFind(text, ']', i + 1);
      // No "]" after this "[" means none after any later "[" either.
      if (j == npos) break;

      tags.clear();
      size_t start = i + 1;
      std::string_view lineText;
      bool unclosed = false;
      for (;;) {
        tags.push_back(text.substr(start, j - start));
        if (j + 1 < text.size() && text[j + 1] == '[') {
          start = j + 2;
          j = GbkFind(text, ']', start);
          if (j == npos) {
            unclosed = true;
            break;
          }
          continue;
        }
        break;
      }
      // A further tag without "]": it yields nothing, and nothing after it can.
      if (unclosed) break;

      size_t end = GbkFind(text, '[', j + 1);
      if (end == npos) end = text.size();
      lineText = GbkTrim(text.substr(j + 1, end - (j + 1)));
      int32_t unused;
      if (lineText.empty() && tags.size() >= 2 && !ParseLrcTime(tags.back(), unused)) {
        lineText = tags.back();
        tags.pop_back();
      }
      // The byte after "]" is not "[" and may lead a double-byte character,
      // so the search goes on from it, not from the byte after it.
      pos = j + 1;

      if (lineText.empty()) continue;
      for (std::string_view tag : tags) {
        int32_t time;
        if (!ParseLrcTime(tag, time)) continue;
        std::unique_ptr<LyricLine> line(new (std::nothrow) LyricLine);
        if (line) {
          line->time = time;
          line->tag.assign(tag);
          line->text.assign(lineText);
          lines.Insert(std::move(line));
        }
        if (unsync) {
          unsync->append(lineText);
          unsync->push_back('\n');
        }
      }
    }
  } catch (const std::bad_alloc&) {
    // Out of memory on a huge file: keep the lines parsed so far.
  }
}

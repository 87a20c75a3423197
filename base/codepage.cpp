#include "base/codepage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <cerrno>
#endif

namespace {

constexpr char16_t kReplacement = 0xFFFD;

#ifndef _WIN32
// iconv handle for one conversion direction; closed when done.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : m_h(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(m_h);
  }
  bool ok() const { return m_h != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as it can; returns false at an invalid or incomplete
  // sequence (in/inLeft then point at it).
  bool Convert(const char*& in, size_t& inLeft, std::string& out) {
    char buf[4096];
    while (inLeft > 0) {
      char* dst = buf;
      size_t dstLeft = sizeof buf;
      size_t r = iconv(m_h, const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
      out.append(buf, dst - buf);
      if (r == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t m_h;
};
#endif

#ifdef _WIN32
size_t GbkCharLen(std::string_view s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  return c >= 0x81 && c <= 0xFE && i + 1 < s.size() ? 2 : 1;
}

// Converts whole characters, strictly; false at an invalid sequence.
bool Mb936(std::string_view piece, std::u16string& out) {
  const int len = static_cast<int>(piece.size());
  int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, piece.data(), len, nullptr, 0);
  if (n <= 0) return false;
  const size_t at = out.size();
  out.resize(at + n);
  if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, piece.data(), len,
                          reinterpret_cast<wchar_t*>(&out[at]), n) != n) {
    out.resize(at);
    return false;
  }
  return true;
}

void AppendCp936(std::string_view piece, std::u16string& out) {
  if (Mb936(piece, out)) return;
  for (size_t i = 0; i < piece.size();) {
    size_t len = GbkCharLen(piece, i);
    if (!Mb936(piece.substr(i, len), out)) {
      // A bad lead byte stands alone; its follower may be a character.
      out.push_back(kReplacement);
      len = 1;
    }
    i += len;
  }
}
#endif

[[maybe_unused]] void AppendUtf16(std::string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

}  // namespace

std::u16string Cp936ToUtf16(std::string_view gbk) {
  std::u16string out;
  if (gbk.empty()) return out;
#ifdef _WIN32
  // In pieces that end on character boundaries, so that any length fits the
  // API's int; a piece with an invalid sequence goes character by character.
  constexpr size_t kPiece = 1 << 20;
  size_t pos = 0;
  while (pos < gbk.size()) {
    size_t end = pos;
    while (end < gbk.size() && end - pos < kPiece) end += GbkCharLen(gbk, end);
    AppendCp936(gbk.substr(pos, end - pos), out);
    pos = end;
  }
#else
  Iconv cv("UTF-16LE", "CP936");
  if (!cv.ok()) return Utf8ToUtf16(gbk);
  std::string bytes;
  const char* in = gbk.data();
  size_t left = gbk.size();
  while (!cv.Convert(in, left, bytes)) {
    // One bad byte becomes one replacement character; go on after it.
    AppendUtf16(bytes, kReplacement);
    ++in;
    --left;
  }
  out.resize(bytes.size() / 2);
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
#endif
  return out;
}

std::string Utf16ToCp936(std::u16string_view text, size_t* unmappable) {
  std::string out;
#ifdef _WIN32
  // Per character, so that each one GBK cannot hold is counted once.
  for (size_t i = 0; i < text.size(); ++i) {
    size_t len = (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() &&
                  text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
                     ? 2
                     : 1;
    char buf[8];
    BOOL usedDefault = FALSE;
    // No best fit: a character GBK lacks is '?', not a look-alike.
    int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS,
                                reinterpret_cast<const wchar_t*>(text.data() + i),
                                static_cast<int>(len), buf, sizeof buf, "?", &usedDefault);
    if (n <= 0 || usedDefault) {
      out.push_back('?');
      if (unmappable) ++*unmappable;
    } else {
      out.append(buf, n);
    }
    i += len - 1;
  }
#else
  Iconv cv("CP936", "UTF-16LE");
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  const char* in = bytes.data();
  size_t left = bytes.size();
  if (!cv.ok()) {
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
  }
  while (!cv.Convert(in, left, out)) {
    // Skip the whole character: a surrogate pair is two units.
    size_t skip = 2;
    if (left >= 4) {
      unsigned hi = static_cast<unsigned char>(in[1]);
      unsigned lo = static_cast<unsigned char>(in[3]);
      if (hi >= 0xD8 && hi < 0xDC && lo >= 0xDC && lo < 0xE0) skip = 4;
    }
    if (skip > left) skip = left;
    out.push_back('?');
    if (unmappable) ++*unmappable;
    in += skip;
    left -= skip;
  }
#endif
  return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    size_t len;
    if (c < 0x80) { cp = c; len = 1; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
    else { out.push_back(kReplacement); ++i; continue; }
    bool valid = i + len <= s.size();
    for (size_t k = 1; valid && k < len; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) valid = false;
      else cp = (cp << 6) | (d & 0x3F);
    }
    static const char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size() * 3);
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string Utf8ToCp936(std::string_view utf8, size_t* unmappable) {
  return Utf16ToCp936(Utf8ToUtf16(utf8), unmappable);
}

std::string Cp936ToUtf8(std::string_view gbk) { return Utf16ToUtf8(Cp936ToUtf16(gbk)); }

// LRC lyric files: reading, parsing into timed lines, time components.
//
// All text is GBK bytes. ParseLrc does no conversion; DecodeLyricText turns
// UTF-8 / UTF-16 files into GBK before they are parsed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct LyricLine {
  int32_t time = 0;   // milliseconds from the start of the song
  std::string tag;    // the time tag's text between the brackets, as in the file
  std::string text;   // the line's text, trimmed
};

// Timed lines in ascending time order. Owns its lines. Grows by 10 slots.
class CLyricLineArray {
 public:
  static constexpr int kGrowStep = 10;

  CLyricLineArray() = default;
  ~CLyricLineArray();
  CLyricLineArray(const CLyricLineArray&) = delete;
  CLyricLineArray& operator=(const CLyricLineArray&) = delete;

  int GetSize() const { return m_nCount; }
  int GetCapacity() const { return m_nCapacity; }
  // Null for an index outside 0..size-1.
  LyricLine* GetAt(int index) const;
  // Sorted insertion (see the tie rules in lrc.cpp). False when the array
  // could not grow; the line is then dropped.
  bool Insert(std::unique_ptr<LyricLine> line);
  void RemoveAll();

 private:
  // Owned lines; plain pointers so that an insertion moves them with one
  // memmove.
  LyricLine** m_pItems = nullptr;
  int m_nCapacity = 0;
  int m_nCount = 0;
  bool InsertAt(int index, std::unique_ptr<LyricLine> line);
};

// Reads the whole file; the text ends at its first zero byte. False (and out
// unchanged) when it cannot be opened.
bool ReadTextFile(const std::string& path, std::string& out);

// What DecodeLyricText found.
enum class TextEncoding { Gbk, Utf8, Utf8Bom, Utf16LeBom, Utf16BeBom };
struct DecodedText {
  TextEncoding encoding = TextEncoding::Gbk;
  size_t unmappable = 0;  // characters GBK cannot hold, written as '?'
};

// Recognises UTF-8 (with or without BOM) and UTF-16 (with BOM) and converts
// bytes to GBK in place; other text is left byte for byte. Text without a
// BOM counts as UTF-8 only when it is valid UTF-8 with at least one
// multi-byte character (plain ASCII needs no conversion).
DecodedText DecodeLyricText(std::string& bytes);

// Reads every byte of a file, zero bytes included. False (and out unchanged)
// when it cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::string& out);

// A lyric file as GBK text: reads the whole file, decodes it as
// DecodeLyricText does and ends the text at its first zero byte (after the
// decoding, so that UTF-16 text is not cut). When the file cannot be read,
// gbkText is empty and fileRead is false.
struct LyricFileText : DecodedText {
  bool fileRead = false;
};
LyricFileText ReadLyricFile(const std::string& path, std::string& gbkText);

// Parses LRC text into lines; rebuilds unsync (one line text + LF per time
// tag, in file order) when it is given.
void ParseLrc(std::string_view text, CLyricLineArray& lines, std::string* unsync = nullptr);

// "mm:ss[.ff]" or "hh:mm:ss[.ff]" to milliseconds. False without ':'.
// Hours, minutes and seconds are read as atoi reads them; the fraction is
// tenths, hundredths or thousandths by its number of digits (".5" and ".50"
// are 500 ms). A result beyond the 32-bit range is clamped to INT32_MIN /
// INT32_MAX.
bool ParseLrcTime(std::string_view tag, int32_t& ms);

// The C library's atoi (leading white space, one sign, digits up to the
// first other byte, none giving 0), saturating at the int range.
int AtoiSaturated(std::string_view s);

inline int32_t MsToHours(int32_t t) { return t / 3600000; }
inline int32_t MsToMinutes(int32_t t) { return (t % 3600000) / 60000; }
inline int32_t MsToSeconds(int32_t t) { return (t % 60000) / 1000; }
inline int32_t MsToMillis(int32_t t) { return t % 1000; }
inline int32_t MsToTotalSeconds(int32_t t) { return t / 1000; }

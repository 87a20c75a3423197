#include "tags/lyrics3.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/fileio.h"
#include "tags/id3v1.h"

namespace {

constexpr size_t kRecordSize = 128;
constexpr size_t kBeginSize = 11;        // "LYRICSBEGIN"
constexpr size_t kEndSize = 9;           // "LYRICS200" / "LYRICSEND"
constexpr size_t kSizeDigits = 6;        // tag size before "LYRICS200"
constexpr size_t kLyricOffset = 29;      // "LYRICSBEGININD0000211LYR" + 5 digits
constexpr size_t kTagOverhead = 44;      // all of the tag but the lyric text
constexpr size_t kMaxLyricText = 99999;  // what the five digits of "LYR" can hold
constexpr size_t kMaxSizeField = 999999;
// A first-version tag holds at most 5,100 bytes of lyric between its markers.
constexpr size_t kV1MaxLyric = 5100;

bool Match(const uint8_t* p, const char* s, size_t n) { return std::memcmp(p, s, n) == 0; }

// Exactly n digits of the base (10 or 16); false for anything else, so that
// a size field with junk in it is never taken for a size.
bool ParseDigits(const uint8_t* p, size_t n, int base, size_t& value) {
  value = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = p[i];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    value = value * size_t(base) + digit;
  }
  return true;
}

// The lyrics field's text: "[mm:ss]text\r\n" per line, minutes within the
// hour. The field's length has five digits, so a longer lyric is cut after
// the last whole line that fits in 99,999 bytes; the lines after it are left
// out rather than writing a length the tag cannot hold.
std::string Lyrics3Lyric(const CLyricLineArray& lines) {
  std::string out;
  for (int i = 0; i < lines.GetSize(); ++i) {
    const LyricLine* line = lines.GetAt(i);
    if (!line) continue;
    // A negative time has no [mm:ss] form; such a line is shown at the start.
    const int32_t t = std::max<int32_t>(line->time, 0);
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "[%02d:%02d]", int(MsToMinutes(t)), int(MsToSeconds(t)));
    // The text goes in as a C string would: up to a zero byte.
    const size_t textLength = std::min(line->text.size(), std::strlen(line->text.c_str()));
    const size_t pieceLength = std::strlen(stamp) + textLength + 2;
    if (out.size() + pieceLength > kMaxLyricText) break;
    out += stamp;
    out.append(line->text, 0, textLength);
    out += "\r\n";
  }
  return out;
}

std::string Lyrics3Tag(const std::string& lyric) {
  char number[16];
  std::string tag = "LYRICSBEGININD0000211";
  std::snprintf(number, sizeof number, "LYR%05u", unsigned(lyric.size()));
  tag += number;
  tag += lyric;
  std::snprintf(number, sizeof number, "%06u", unsigned(kLyricOffset + lyric.size()));
  tag += number;
  tag += "LYRICS200";
  return tag;
}

// The ID3v1 record made for a file without one: "TAG" and the name less its
// four-character extension as the title, cut to 30 bytes at a character
// boundary; every other field zero.
void NewRecord(const std::string& name, uint8_t record[kRecordSize]) {
  Id3v1Fields fields;
  fields.SetField(0, 30, name.size() > 4 ? name.substr(0, name.size() - 4) : std::string());
  std::memcpy(record, "TAG", 3);
  std::memcpy(record + 3, fields.body, sizeof fields.body);
}

enum class OldTail {
  None,        // no Lyrics3 tag: the new one goes directly before the record
  Replace,     // a Lyrics3 tag found at start, replaced by the new one
  LeaveAlone,  // a first-version tag whose beginning is not found: kept, nothing written
};

// Looks at the bytes buffer[0..end) that stand before the ID3v1 record. A
// tag is only taken as found when its "LYRICSBEGIN" is there, inside the
// buffer, so that no byte of the file is dropped on the word of a size field.
OldTail FindOldTag(const uint8_t* buffer, size_t end, size_t& start) {
  start = end;
  if (end < kEndSize) return OldTail::None;
  const uint8_t* marker = buffer + end - kEndSize;

  if (Match(marker, "LYRICS200", kEndSize)) {
    if (end < kEndSize + kSizeDigits) return OldTail::None;
    const size_t sizeAt = end - kEndSize - kSizeDigits;
    // The size is decimal; some writers stored it in hexadecimal.
    for (int base : {10, 16}) {
      size_t size = 0;
      if (!ParseDigits(buffer + sizeAt, kSizeDigits, base, size)) continue;
      if (size < kBeginSize || size > sizeAt) continue;
      if (Match(buffer + sizeAt - size, "LYRICSBEGIN", kBeginSize)) {
        start = sizeAt - size;
        return OldTail::Replace;
      }
    }
    return OldTail::None;  // damaged: its bytes are kept as they are
  }

  if (Match(marker, "LYRICSEND", kEndSize)) {
    const size_t endAt = end - kEndSize;
    if (endAt < kBeginSize) return OldTail::LeaveAlone;
    const size_t lowest = endAt > kV1MaxLyric + kBeginSize ? endAt - kV1MaxLyric - kBeginSize : 0;
    // The last "LYRICSBEGIN" is the one nearest the end marker: the least
    // that can be the tag.
    for (size_t p = endAt - kBeginSize + 1; p-- > lowest;) {
      if (Match(buffer + p, "LYRICSBEGIN", kBeginSize)) {
        start = p;
        return OldTail::Replace;
      }
    }
    return OldTail::LeaveAlone;
  }

  return OldTail::None;
}

}  // namespace

bool WriteLyrics3Tail(uint8_t* buffer, size_t capacity, size_t& length, const std::string& name,
                      const CLyricLineArray& lines) {
  if (!buffer || length > capacity) return false;

  uint8_t record[kRecordSize];
  const bool hasRecord = length >= kRecordSize && Match(buffer + length - kRecordSize, "TAG", 3);
  size_t end = length;  // end of the bytes before the record
  if (hasRecord) {
    end = length - kRecordSize;
    std::memcpy(record, buffer + end, kRecordSize);
  } else {
    NewRecord(name, record);
  }

  size_t start = end;
  const OldTail old = FindOldTag(buffer, end, start);
  if (old == OldTail::LeaveAlone) {
    if (hasRecord) return true;
    if (capacity - length < kRecordSize) return false;
    std::memcpy(buffer + length, record, kRecordSize);
    length += kRecordSize;
    return true;
  }

  const std::string tag = Lyrics3Tag(Lyrics3Lyric(lines));
  if (start > capacity || capacity - start < tag.size() + kRecordSize) return false;

  // Clear what the old tag and record took, so that no stale byte lingers
  // behind a shorter new tail.
  std::memset(buffer + start, 0, length - start);
  std::memcpy(buffer + start, tag.data(), tag.size());
  std::memcpy(buffer + start + tag.size(), record, kRecordSize);
  length = start + tag.size() + kRecordSize;
  return true;
}

size_t Lyrics3TailReserve(const CLyricLineArray& lines) {
  return kRecordSize + kTagOverhead + Lyrics3Lyric(lines).size();
}

bool ReadLyrics3Text(FILE* file, std::string& text) {
  if (!file) return false;
  const int64_t size = fileio::Size(file);
  if (size < int64_t(kRecordSize + kEndSize + kSizeDigits)) return false;

  // Only a tag that stands directly before an ID3v1 record counts.
  uint8_t tail[kRecordSize + kEndSize + kSizeDigits];
  if (std::fseek(file, -long(sizeof tail), SEEK_END) != 0) return false;
  if (std::fread(tail, 1, sizeof tail, file) != sizeof tail) return false;
  if (!Match(tail + kEndSize + kSizeDigits, "TAG", 3)) return false;
  if (!Match(tail + kSizeDigits, "LYRICS200", kEndSize)) return false;

  size_t tagSize = 0;
  if (!ParseDigits(tail, kSizeDigits, 10, tagSize)) return false;
  if (tagSize < kBeginSize || tagSize > kMaxSizeField) return false;
  if (uint64_t(tagSize) + sizeof tail > uint64_t(size)) return false;

  std::vector<char> block(tagSize + 1, 0);
  if (std::fseek(file, -long(tagSize + sizeof tail), SEEK_END) != 0) return false;
  if (std::fread(block.data(), 1, tagSize, file) != tagSize) return false;
  if (!Match(reinterpret_cast<const uint8_t*>(block.data()), "LYRICSBEGIN", kBeginSize)) return false;

  text.clear();
  if (tagSize > kLyricOffset) text = std::string(block.data() + kLyricOffset);
  return true;
}

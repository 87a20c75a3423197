#include "tags/id3v1.h"

#include <algorithm>
#include <cstring>

#include "base/fileio.h"
#include "base/gbk.h"

namespace {

constexpr size_t kRecordSize = 128;
constexpr size_t kBodySize = 125;
constexpr size_t kTitleAndArtist = 60;

// Length of the longest prefix of text, at most limit bytes, that does not
// end inside a double-byte character.
size_t GbkPrefixLength(const char* text, size_t length, size_t limit) {
  size_t pos = 0;
  while (pos < length) {
    const size_t step = (IsGbkLeadByte(uint8_t(text[pos])) && pos + 1 < length) ? 2 : 1;
    if (pos + step > limit) break;
    pos += step;
  }
  return pos;
}

// The zero-terminated text at record[offset], at most width bytes. The last
// byte of a field that a cut left as half a double-byte character is dropped.
std::string FieldText(const uint8_t* record, size_t offset, size_t width) {
  const char* p = reinterpret_cast<const char*>(record + offset);
  size_t n = 0;
  while (n < width && p[n] != '\0') ++n;
  // A lead byte standing alone at the very end is half a character.
  size_t pos = 0, last = 0;
  while (pos < n) {
    last = pos;
    pos += (IsGbkLeadByte(uint8_t(p[pos])) && pos + 1 < n) ? 2 : 1;
  }
  if (n > 0 && last == n - 1 && IsGbkLeadByte(uint8_t(p[last]))) --n;
  return std::string(p, n);
}

// The last 128 bytes of an open file; false when the file is shorter or
// they cannot be read.
bool ReadLastRecord(FILE* file, uint8_t record[kRecordSize]) {
  std::memset(record, 0, kRecordSize);
  const int64_t size = fileio::Size(file);
  if (size < int64_t(kRecordSize)) return false;
  if (std::fseek(file, -long(kRecordSize), SEEK_END) != 0) return false;
  return std::fread(record, 1, kRecordSize, file) == kRecordSize;
}

bool IsRecord(const uint8_t* record) { return std::memcmp(record, "TAG", 3) == 0; }

}  // namespace

void Id3v1Fields::SetField(size_t offset, size_t width, const std::string& text) {
  if (offset >= kBodySize) return;
  width = std::min(width, kBodySize - offset);
  std::memset(body + offset, 0, width);
  // Cut at a character boundary: half a double-byte character would show as
  // a broken character in every reader.
  std::memcpy(body + offset, text.data(), GbkPrefixLength(text.data(), text.size(), width));
}

WriteResult WriteId3v1(const Id3v1Fields& fields, const std::string& path, bool titleAndArtistOnly) {
  FILE* file = fileio::Open(path, "r+b");
  if (!file) {
    return WriteResult::Fail(WriteStatus::CannotOpen,
                             "cannot open the file for writing: " + fileio::LastErrorText());
  }
  const int64_t size = fileio::Size(file);
  if (size < 0) {
    std::fclose(file);
    return WriteResult::Fail(WriteStatus::CannotRead, "cannot tell the file's length");
  }
  uint8_t record[kRecordSize];
  const bool hasRecord = size >= int64_t(kRecordSize) && ReadLastRecord(file, record) && IsRecord(record);
  if (size >= int64_t(kRecordSize) && !hasRecord && std::ferror(file)) {
    std::fclose(file);
    return WriteResult::Fail(WriteStatus::CannotRead, "reading the file failed");
  }

  bool ok;
  if (hasRecord) {
    // Over the body of the record that is there, just after "TAG".
    const size_t count = titleAndArtistOnly ? kTitleAndArtist : kBodySize;
    ok = std::fseek(file, -long(kBodySize), SEEK_END) == 0 &&
         std::fwrite(fields.body, 1, count, file) == count;
  } else {
    // A new record goes on the end, whole, whatever the flag asks.
    uint8_t fresh[kRecordSize];
    std::memcpy(fresh, "TAG", 3);
    std::memcpy(fresh + 3, fields.body, kBodySize);
    ok = std::fseek(file, 0, SEEK_END) == 0 && std::fwrite(fresh, 1, kRecordSize, file) == kRecordSize;
  }
  ok = (std::fflush(file) == 0) && ok;
  ok = (std::fclose(file) == 0) && ok;
  if (!ok) return WriteResult::Fail(WriteStatus::CannotWrite, "writing the ID3v1 record failed: " + fileio::LastErrorText());
  return WriteResult{};
}

void ReadId3v1FileName(const std::string& path, std::string& fileName) {
  fileName.clear();
  FILE* file = fileio::Open(path, "rb");
  if (!file) return;
  // Reading here has always made the file writable again, for the rename
  // and the writes that follow it.
  if (fileio::IsReadOnly(path)) fileio::ClearReadOnly(path);
  uint8_t record[kRecordSize];
  const bool found = ReadLastRecord(file, record) && IsRecord(record);
  std::fclose(file);
  if (!found) return;
  // Only the first 29 bytes of title and artist count.
  const std::string title(GbkTrim(FieldText(record, 3, 29)));
  const std::string artist(GbkTrim(FieldText(record, 33, 29)));
  fileName = artist + " - " + title + ".mp3";
}

bool ReadId3v1Fields(FILE* file, std::string& title, std::string& artist, std::string& album,
                     std::string& year) {
  if (!file) return false;
  uint8_t record[kRecordSize];
  if (!ReadLastRecord(file, record) || !IsRecord(record)) return false;
  // Title, artist and album count for 29 bytes; the year for its 4, since
  // it has no terminator of its own before the comment.
  title = FieldText(record, 3, 29);
  artist = FieldText(record, 33, 29);
  album = FieldText(record, 63, 29);
  year = FieldText(record, 93, 4);
  return true;
}

bool ReadId3v1Body(FILE* file, Id3v1Fields& fields) {
  if (!file) return false;
  uint8_t record[kRecordSize];
  if (!ReadLastRecord(file, record) || !IsRecord(record)) return false;
  std::memcpy(fields.body, record + 3, sizeof fields.body);
  return true;
}

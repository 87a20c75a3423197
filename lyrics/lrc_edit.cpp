#include "lyrics/lrc_edit.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <new>

#include "base/codepage.h"
#include "base/fileio.h"
#include "base/gbk.h"

namespace {

// "mm:ss.mmm" of a time that is not negative; minutes from the start.
std::string MinutesSecondsMillis(int64_t ms) {
  char szTime[32];
  std::snprintf(szTime, sizeof szTime, "%02lld:%02d.%03d", static_cast<long long>(ms / 60000),
                static_cast<int>(ms % 60000 / 1000), static_cast<int>(ms % 1000));
  return szTime;
}

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2 + 2);
  out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
  }
  return out;
}

LrcSaveResult SaveFailure(LrcSaveStatus status, std::string detail) {
  LrcSaveResult result;
  result.status = status;
  result.detail = std::move(detail);
  return result;
}

}  // namespace

std::string FormatLineTime(int32_t ms) {
  const int64_t t = ms;
  if (t < 0) return "[-" + MinutesSecondsMillis(-t) + "]";
  return "[" + MinutesSecondsMillis(t) + "]";
}

std::string FormatEditorLine(int nNumber, const LyricLine& line) {
  // 第 and 行 in GBK.
  char szNumber[32];
  std::snprintf(szNumber, sizeof szNumber, "\xB5\xDA%3d\xD0\xD0 ", nNumber);
  return szNumber + FormatLineTime(line.time) + " " + line.text;
}

int ShiftLines(CLyricLineArray& lines, int nFirst, int nLast, int nSeconds) {
  if (nSeconds == 0 || lines.GetSize() == 0) return 0;
  int lo = std::min(nFirst, nLast), hi = std::max(nFirst, nLast);
  lo = std::max(lo, 1);
  hi = std::min(hi, lines.GetSize());
  int nMoved = 0;
  for (int n = lo; n <= hi; ++n) {
    LyricLine* line = lines.GetAt(n - 1);
    int64_t t = int64_t(line->time) + int64_t(nSeconds) * 1000;
    if (t > INT32_MAX) t = INT32_MAX;
    if (t < INT32_MIN) t = INT32_MIN;
    line->time = static_cast<int32_t>(t);
    ++nMoved;
  }
  return nMoved;
}

std::string FormatPlayerTime(int32_t ms) {
  if (ms < 0) ms = 0;
  char szTime[32];
  std::snprintf(szTime, sizeof szTime, "%02d:%02d:%02d.%03d", MsToHours(ms), MsToMinutes(ms),
                MsToSeconds(ms), MsToMillis(ms));
  return szTime;
}

std::string PlayerEntryText(const CLyricLineArray& lines, int nIndex, int nShowLines) {
  const LyricLine* line = lines.GetAt(nIndex);
  if (!line) return std::string();
  std::string text = line->text;
  for (int k = 1; k < nShowLines; ++k) {
    const LyricLine* next = lines.GetAt(nIndex + k);
    if (!next) break;
    text += '\n';
    text += next->text;
  }
  return text;
}

std::string_view LrcHeader(std::string_view text) {
  size_t pos = 0;
  for (;;) {
    const size_t i = GbkFind(text, '[', pos);
    if (i == std::string_view::npos) return text;
    if (i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') return text.substr(0, i);
    pos = i + 1;
  }
}

std::string ComposeLrc(std::string_view header, const CLyricLineArray& lines) {
  std::string out(header);
  for (int i = 0; i < lines.GetSize(); ++i) {
    const LyricLine* line = lines.GetAt(i);
    out += "[" + MinutesSecondsMillis(line->time < 0 ? 0 : line->time) + "] ";
    out += line->text;
    out += "\r\n";
  }
  return out;
}

std::string EncodeLyricText(std::string_view gbk, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return Cp936ToUtf8(gbk);
    case TextEncoding::Utf8Bom:
      return "\xEF\xBB\xBF" + Cp936ToUtf8(gbk);
    case TextEncoding::Utf16LeBom:
      return Utf16Bytes(Cp936ToUtf16(gbk), false);
    case TextEncoding::Utf16BeBom:
      return Utf16Bytes(Cp936ToUtf16(gbk), true);
    case TextEncoding::Gbk:
      break;
  }
  return std::string(gbk);
}

LrcSaveResult SaveLrcFile(const std::string& path, const CLyricLineArray& lines) {
  try {
    std::string raw;
    if (fileio::IsDirectory(path) || !ReadFileBytes(path, raw))
      return SaveFailure(LrcSaveStatus::CannotRead, fileio::LastErrorText());

    // The text as the editor had it: only a file that comes back byte for
    // byte from it can be rewritten without losing anything.
    std::string text = raw;
    const DecodedText decoded = DecodeLyricText(text);
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    LrcSaveResult result;
    result.encoding = decoded.encoding;
    if (decoded.unmappable > 0 || EncodeLyricText(text, decoded.encoding) != raw) {
      result.status = LrcSaveStatus::WouldLoseText;
      result.unmappable = decoded.unmappable;
      return result;
    }

    const std::string content = EncodeLyricText(ComposeLrc(LrcHeader(text), lines), decoded.encoding);
    if (fileio::IsReadOnly(path)) fileio::ClearReadOnly(path);
    fileio::AtomicReplace file(path);
    if (!file.Begin())
      return SaveFailure(LrcSaveStatus::CannotWrite, "cannot create a temporary file: " + fileio::LastErrorText());
    if (std::fwrite(content.data(), 1, content.size(), file.Stream()) != content.size()) {
      std::string why = fileio::LastErrorText();
      file.Abort();
      return SaveFailure(LrcSaveStatus::CannotWrite, "writing failed: " + why);
    }
    if (!file.Commit())
      return SaveFailure(LrcSaveStatus::CannotWrite, "cannot replace the file: " + fileio::LastErrorText());
    return result;
  } catch (const std::bad_alloc&) {
    return SaveFailure(LrcSaveStatus::CannotWrite, "out of memory");
  }
}

// The lyric editor's rules: how a line is shown, the shift of a block of
// lines by whole seconds, what the media player is given, and the save of
// the lines back into their LRC file.
//
// All text is GBK bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "lyrics/lrc.h"

// "[mm:ss.mmm]" with the minutes counted from the start, so that a line past
// the first hour keeps its hour ("[62:03.000]"). A time before the start,
// left by a shift, shows its sign: "[-00:01.500]".
std::string FormatLineTime(int32_t ms);

// The editor's list entry: "第%3d行 " (line number right-aligned in three
// places), the time as FormatLineTime gives it, a space and the text.
std::string FormatEditorLine(int nNumber, const LyricLine& line);

// Adds nSeconds seconds to every line whose 1-based number lies between
// nFirst and nLast, both included, whichever is smaller; numbers below 1
// count as 1, numbers beyond the array as its last line. Times stop at the
// ends of the 32-bit range instead of wrapping, may become negative, and the
// array is not re-sorted: the lines keep their places. Returns the number of
// lines moved.
int ShiftLines(CLyricLineArray& lines, int nFirst, int nLast, int nSeconds);

// "hh:mm:ss.mmm", the form the media player's lyric editor takes; a time
// before the start is given as 00:00:00.000.
std::string FormatPlayerTime(int32_t ms);

// The lyric of the media-player entry of line nIndex (0-based): the line's
// text, followed, when nShowLines is 2 or more, by the texts of the next
// lines, each after one LF, until nShowLines lines are taken or the array
// ends.
std::string PlayerEntryText(const CLyricLineArray& lines, int nIndex, int nShowLines);

// Everything before the first "[" that a digit follows (the ID tags and
// whatever else stands before the first time tag); all of text when there is
// no time tag.
std::string_view LrcHeader(std::string_view text);

// The file's new text: the header byte for byte, then one
// "[mm:ss.mmm] text" CR LF per line in array order. Negative times are
// written as [00:00.000], since no reader takes a negative tag.
std::string ComposeLrc(std::string_view header, const CLyricLineArray& lines);

// GBK text in the given encoding, with its byte-order mark.
std::string EncodeLyricText(std::string_view gbk, TextEncoding encoding);

enum class LrcSaveStatus {
  Saved,          // the file holds the lines now
  CannotRead,     // the file could not be read again; nothing written
  WouldLoseText,  // GBK cannot hold all of the file's text; nothing written
  CannotWrite,    // the new content could not be written; the file is unchanged
};

struct LrcSaveResult {
  LrcSaveStatus status = LrcSaveStatus::Saved;
  TextEncoding encoding = TextEncoding::Gbk;  // the file's, kept by the save
  size_t unmappable = 0;  // characters GBK cannot hold (WouldLoseText)
  std::string detail;     // the system's reason (CannotRead, CannotWrite)
  bool ok() const { return status == LrcSaveStatus::Saved; }
};

// Writes the lines back into their file: reads the file again, keeps its
// header and its encoding (GBK, UTF-8 with or without BOM, UTF-16 with BOM),
// clears the read-only attribute and replaces the file atomically, so that
// a failure leaves it as it was. A file whose text does not come back byte
// for byte through GBK (characters GBK lacks, zero bytes, broken sequences)
// is refused: the save would destroy those parts.
LrcSaveResult SaveLrcFile(const std::string& path, const CLyricLineArray& lines);

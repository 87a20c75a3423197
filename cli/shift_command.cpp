// versemill shift: the times of a block of an LRC file's lines, moved by
// whole seconds, as the lyric editor of the Windows program moves them.

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/fileio.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "lyrics/lrc.h"
#include "lyrics/lrc_edit.h"

namespace {

const char kShiftUsage[] =
    "usage: versemill shift LRC SECONDS [FIRST [LAST]]\n"
    "\n"
    "Adds SECONDS (negative numbers allowed) to the times of the lines FIRST to\n"
    "LAST of the file LRC and writes the file back. Lines are numbered from 1\n"
    "in time order, as the program's lyric editor lists them; without FIRST\n"
    "every line moves, without LAST only line FIRST. The lines keep their\n"
    "places even when their times pass each other; a time before the start is\n"
    "written as 00:00.000. What stands before the first time tag is kept, and\n"
    "so is the file's encoding.\n"
    "\n"
    "  -h, --help  show this help\n"
    "\n"
    "Exit status: 0 when the file was written, 1 when not, 2 for bad usage.\n";

// A whole decimal number with an optional sign, within the int range.
bool ParseNumber(const std::string& text, int& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || text[0] == ' ' || v < INT_MIN || v > INT_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

int RunShift(const std::vector<std::string>& args) {
  const ParsedOptions parsed = ParseOptions(args, {});
  if (!parsed.error.empty()) return UsageError(parsed.error, kShiftUsage);
  if (parsed.help) {
    console::Out(kShiftUsage);
    return kExitOk;
  }
  const std::vector<std::string>& operands = parsed.operands;
  if (operands.size() < 2 || operands.size() > 4)
    return UsageError("shift takes an LRC file, the seconds and at most two line numbers", kShiftUsage);
  const std::string& path = operands[0];
  int seconds = 0, first = 1, last = INT_MAX;
  if (!ParseNumber(operands[1], seconds))
    return UsageError("'" + console::PathToUtf8(operands[1]) + "' is not a whole number of seconds", kShiftUsage);
  for (size_t i = 2; i < operands.size(); ++i) {
    int& number = i == 2 ? first : last;
    if (!ParseNumber(operands[i], number) || number < 1)
      return UsageError("'" + console::PathToUtf8(operands[i]) + "' is not a line number", kShiftUsage);
  }
  if (operands.size() == 3) last = first;

  const std::string shown = console::PathToUtf8(path);
  std::string text;
  const LyricFileText read = ReadLyricFile(path, text);
  if (!read.fileRead || fileio::IsDirectory(path)) {
    console::Err("versemill: cannot read '" + shown + "'\n");
    return kExitFailed;
  }
  CLyricLineArray lines;
  ParseLrc(text, lines);
  if (lines.GetSize() == 0) {
    console::Err("versemill: '" + shown + "' has no timed lines; not written\n");
    return kExitFailed;
  }
  if (first > lines.GetSize()) {
    console::Err("versemill: '" + shown + "' has only " + std::to_string(lines.GetSize()) + " lines\n");
    return kExitFailed;
  }
  const int moved = ShiftLines(lines, first, last, seconds);

  const LrcSaveResult saved = SaveLrcFile(path, lines);
  switch (saved.status) {
    case LrcSaveStatus::Saved:
      break;
    case LrcSaveStatus::WouldLoseText:
      console::Err("versemill: '" + shown + "': " +
                   (saved.unmappable > 0 ? std::to_string(saved.unmappable) + " characters have no GBK form"
                                         : std::string("the file holds zero bytes or broken characters")) +
                   " and would be lost; not written\n");
      return kExitFailed;
    case LrcSaveStatus::CannotRead:
    case LrcSaveStatus::CannotWrite:
      console::Err("versemill: cannot write '" + shown + "': " + saved.detail + "; the file is unchanged\n");
      return kExitFailed;
  }
  int beforeStart = 0;
  for (int i = 0; i < lines.GetSize(); ++i)
    if (lines.GetAt(i)->time < 0) ++beforeStart;
  const int lo = std::max(1, std::min(first, last));
  std::string line = shown + ": " + std::to_string(moved) + (moved == 1 ? " line" : " lines") + " (" +
                     std::to_string(lo) + "-" + std::to_string(lo + moved - 1) + ") moved by " +
                     std::to_string(seconds) + " s";
  if (beforeStart > 0) line += "; " + std::to_string(beforeStart) + " before the start, written at 00:00.000";
  console::Out(line + "\n");
  return kExitOk;
}

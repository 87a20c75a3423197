#include "cli/pair_writer.h"

#include <cstdio>

#include "base/codepage.h"
#include "base/fileio.h"
#include "cli/console.h"
#include "tags/lyric_tag_writer.h"
#include "tags/write_result.h"

namespace {

const char* StatusReason(WriteStatus status) {
  switch (status) {
    case WriteStatus::Written: return "written";
    case WriteStatus::CannotOpen: return "cannot open the MP3 file";
    case WriteStatus::CannotRead: return "cannot read the MP3 file";
    case WriteStatus::TooLarge: return "the MP3 file is too large";
    case WriteStatus::BadTag: return "the MP3 file's tag is damaged and cannot be edited safely";
    case WriteStatus::CannotWrite: return "cannot write the MP3 file; it is unchanged";
  }
  return "failed";
}

PairOutcome Failed(std::string reason) {
  PairOutcome outcome;
  outcome.reason = std::move(reason);
  return outcome;
}

}  // namespace

PairOutcome WritePair(CLyricTagWriter& writer, const std::string& lrcPath,
                      const std::string& mp3Path, const std::string& listName) {
  // An unreadable lyric would be written as an empty one over the lyric the
  // MP3 file may already carry: refuse it instead.
  if (fileio::IsDirectory(lrcPath)) return Failed("the lyric is a folder, not a file");
  FILE* lyric = fileio::Open(lrcPath, "rb");
  if (!lyric) return Failed("cannot open the lyric file: " + console::PathToUtf8(fileio::LastErrorText()));
  fclose(lyric);
  if (fileio::IsDirectory(mp3Path)) return Failed("the MP3 is a folder, not a file");

  const WriteResult result = writer.WriteLyricTag(lrcPath, mp3Path, listName);
  PairOutcome outcome;
  outcome.ok = result.ok();
  outcome.unmappable = result.unmappable;
  if (!result.ok()) {
    // The writer's detail names the failure fully; the status is the fallback.
    outcome.reason = result.detail.empty() ? std::string(StatusReason(result.status))
                                           : console::PathToUtf8(result.detail);
  }
  return outcome;
}

std::string PairLine(const std::string& listName, const std::string& mp3Path,
                     const PairOutcome* outcome) {
  std::string line = Cp936ToUtf8(listName) + " → " + console::PathToUtf8(mp3Path);
  if (outcome && !outcome->ok) {
    line += ": failed: " + outcome->reason;
  } else if (outcome && outcome->unmappable > 0) {
    line += " (" + std::to_string(outcome->unmappable) +
            " lyric characters outside GBK written as '?')";
  }
  return line + "\n";
}

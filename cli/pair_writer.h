// One lyric file into one MP3 file, as the command line does it: a few
// checks the writer cannot make from the paths, then the writer, then what
// the user is told.
#pragma once

#include <cstddef>
#include <string>

class CLyricTagWriter;

struct PairOutcome {
  bool ok = false;
  std::string reason;     // UTF-8, why it failed; empty when written
  size_t unmappable = 0;  // lyric characters written as '?'
};

// mp3Path and lrcPath in fileio's form, listName GBK (it becomes the ID3v1
// title of a new record).
PairOutcome WritePair(CLyricTagWriter& writer, const std::string& lrcPath,
                      const std::string& mp3Path, const std::string& listName);

// "a.mp3 → dir/a.mp3", with the failure or the '?' count after it.
std::string PairLine(const std::string& listName, const std::string& mp3Path,
                     const PairOutcome* outcome);

// What a write into an MP3 file came to. The core reports; the UI decides
// what to show.
#pragma once

#include <cstddef>
#include <string>

enum class WriteStatus {
  Written,        // the file now carries the lyric
  CannotOpen,     // the MP3 file could not be opened for reading
  CannotRead,     // reading it failed part-way
  TooLarge,       // it does not fit in memory
  BadTag,         // its tag is damaged in a way that cannot be edited safely
  CannotWrite,    // the new content could not be written; the file is unchanged
};

struct WriteResult {
  WriteStatus status = WriteStatus::Written;
  std::string detail;       // for messages; empty when written
  size_t unmappable = 0;    // lyric characters GBK cannot hold, written as '?'

  bool ok() const { return status == WriteStatus::Written; }
  static WriteResult Fail(WriteStatus s, std::string why) { return {s, std::move(why), 0}; }
};

// Short Chinese text for a status, for the program's lists and messages.
const char* WriteStatusText(WriteStatus status);  // GBK

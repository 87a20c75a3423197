// Writes a lyric into an MP3 file: USLT (and TCON) always, SYLT plus the
// Lyrics3 tail in the synchronised mode, the player TXXX frame on request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lyrics/lrc.h"
#include "tags/write_result.h"

// The writer's working storage. The main dialog (and the command line) owns
// one and reuses it for every file of a run.
class CLyricTagWriter {
 public:
  static constexpr size_t kInitialBufferSize = 20480000;

  // Rewrites mp3Path so that it carries the lyric of lrcPath. listName is the
  // name the run lists the pair under (the lyric file's name with ".mp3" in
  // place of its last four characters, GBK); a new ID3v1 record takes its
  // title from it.
  //
  // The new content is written to a temporary file that replaces the MP3
  // file only when it is complete, so on every failure the file is as it
  // was (a read-only attribute may have been cleared). A lyric file that
  // cannot be read is a failure, not an empty lyric. A tag that cannot be
  // edited safely (sizes beyond the file, unknown version) is reported as
  // BadTag and left alone.
  WriteResult WriteLyricTag(const std::string& lrcPath, const std::string& mp3Path,
                            const std::string& listName);

  CLyricLineArray m_lyricLines;
  std::string m_strUnsyncLyric;
  std::unique_ptr<uint8_t[]> m_pFileBuffer;  // null until the first write
  size_t m_nBufferSize = 0;
  bool m_bSyncLyric = true;
  bool m_bIRiver = false;

  // Test seam for the output: called before each step of writing the new
  // file with the step and a running number from 0; returning false makes
  // that step fail as a full disk or a failing rename would.
  enum class OutputStep { Begin, Write, Commit };
  std::function<bool(OutputStep step, int index)> m_fnOutputFault;

 private:
  // Makes the buffer hold at least size bytes. False when it cannot.
  bool EnsureBuffer(size_t size);
};

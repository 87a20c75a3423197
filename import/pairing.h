// How the import pairs lyric files with MP3 files, and which files the lists
// take. Names are GBK display names (file name without folder).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// "Song.lrc" -> "Song.mp3": the name less its last four characters + ".mp3".
std::string DerivedMp3Name(const std::string& lyricName);

// The list box's prefix search from start index 0: entries 1..n-1, then 0;
// letters compared without regard to case. -1 when nothing matches.
int FindNamePrefix(size_t count, const std::function<std::string(size_t)>& nameAt,
                   const std::string& prefix);

// The MP3 entry that lyric entry `lyric` is written into, or -1: the prefix
// match of its derived name, else entry 0 when the lyric list holds one entry.
// The returned lyric index is the one to pair (0 under the single-lyric rule).
struct Pairing {
  int lyric = -1;
  int mp3 = -1;
};
Pairing PairLyric(size_t lyric, size_t lyricCount, const std::string& lyricName, size_t mp3Count,
                  const std::function<std::string(size_t)>& mp3NameAt);

// Which list a path goes to.
enum class AddMode { Mp3Scan = 0, LyricScan = 1, Dropped = -1 };
enum class ListKind { None, Mp3, Lyric };
ListKind ClassifyPath(const std::string& path, AddMode mode);

// A folder's entries in scan order: its own entries first (files and
// folders alike, sorted), then each sub-folder's, depth first.
void ScanFolder(const std::string& folder, const std::function<void(const std::string&)>& add);

#include "import/pairing.h"

#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "base/gbk.h"

namespace {

// Deeper trees than this are not walked, whatever the links in them do.
constexpr int kMaxScanDepth = 64;

// The folder's real location, so that a link back to a folder already
// scanned is not walked again; empty when it cannot be told.
std::string RealFolder(const std::string& folder) {
#ifdef _WIN32
  const std::filesystem::path path(Cp936ToUtf16(folder));
#else
  const std::filesystem::path path(folder);
#endif
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(path, error);
  return error ? std::string() : real.u8string();
}

class CFolderScan {
 public:
  explicit CFolderScan(const std::function<void(const std::string&)>& add) : m_add(add) {}

  void Folder(const std::string& folder, int depth) {
    const std::string real = RealFolder(folder);
    if (!real.empty() && !m_visited.insert(real).second) return;
    std::vector<fileio::DirEntry> entries;
    if (!fileio::ListDirectory(folder, entries)) return;
    for (const fileio::DirEntry& entry : entries) m_add(fileio::JoinPath(folder, entry.name));
    if (depth >= kMaxScanDepth) return;
    for (const fileio::DirEntry& entry : entries) {
      if (entry.isDirectory) Folder(fileio::JoinPath(folder, entry.name), depth + 1);
    }
  }

 private:
  const std::function<void(const std::string&)>& m_add;
  std::set<std::string> m_visited;
};

}  // namespace

std::string DerivedMp3Name(const std::string& lyricName) {
  const size_t keep = lyricName.size() > 4 ? lyricName.size() - 4 : 0;
  return lyricName.substr(0, keep) + ".mp3";
}

int FindNamePrefix(size_t count, const std::function<std::string(size_t)>& nameAt,
                   const std::string& prefix) {
  // Starting after entry 0 and wrapping round, so entry 0 is looked at last.
  for (size_t step = 1; step <= count; ++step) {
    const size_t index = step % count;
    if (GbkStartsWithNoCase(nameAt(index), prefix)) return static_cast<int>(index);
  }
  return -1;
}

Pairing PairLyric(size_t lyric, size_t lyricCount, const std::string& lyricName, size_t mp3Count,
                  const std::function<std::string(size_t)>& mp3NameAt) {
  Pairing pairing;
  const int mp3 = FindNamePrefix(mp3Count, mp3NameAt, DerivedMp3Name(lyricName));
  if (mp3 >= 0) {
    pairing.lyric = static_cast<int>(lyric);
    pairing.mp3 = mp3;
  } else if (lyricCount == 1 && mp3Count > 0) {
    // A lone lyric goes into the first MP3 file when no name fits.
    pairing.lyric = 0;
    pairing.mp3 = 0;
  }
  return pairing;
}

ListKind ClassifyPath(const std::string& path, AddMode mode) {
  if (fileio::LastSeparator(path) == std::string::npos) return ListKind::None;
  const bool mp3 = EndsWithExtNoCase(path, ".mp3");
  const bool lyric = EndsWithExtNoCase(path, ".lrc");
  switch (mode) {
    case AddMode::Mp3Scan:
      return mp3 ? ListKind::Mp3 : ListKind::None;
    case AddMode::LyricScan:
      return lyric ? ListKind::Lyric : ListKind::None;
    case AddMode::Dropped:
      if (mp3) return ListKind::Mp3;
      if (lyric) return ListKind::Lyric;
      return ListKind::None;
  }
  return ListKind::None;
}

void ScanFolder(const std::string& folder, const std::function<void(const std::string&)>& add) {
  CFolderScan(add).Folder(folder, 0);
}

// versemill import: the import run over files and folders named on the
// command line.

#include <map>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "cli/pair_writer.h"
#include "import/pairing.h"
#include "tags/lyric_tag_writer.h"

namespace {

const char kImportUsage[] =
    "usage: versemill import [--unsync] [--iriver] [--dry-run] PATH...\n"
    "\n"
    "Collects the .mp3 and .lrc files among the PATHs, searching each folder with\n"
    "all its sub-folders, and writes every lyric into the MP3 file whose name\n"
    "begins with the lyric's name with \".mp3\" in place of \".lrc\" (letter case\n"
    "ignored). When only one lyric file is found and no name fits, it goes into\n"
    "the first MP3 file.\n"
    "\n"
    "  --unsync    write only the unsynchronised lyric; by default the timed\n"
    "              lyric is written too, with a Lyrics3 tag and an ID3v1 record\n"
    "              at the end of the file\n"
    "  --iriver    also write the lyric frame that iRiver players read\n"
    "  --dry-run   show the pairs, write nothing\n"
    "  -h, --help  show this help\n"
    "\n"
    "Exit status: 0 when every pair was written, 1 when any failed or nothing\n"
    "could be paired, 2 for bad usage or a PATH that cannot be read.\n";

// Batches at least this long get a progress line on a terminal.
constexpr size_t kProgressFrom = 10;

struct ListEntry {
  std::string name;  // GBK, without folder
  std::string path;  // fileio form
};

// The two lists of the import, filled in the order the files are found.
class CImportLists {
 public:
  void AddFile(const std::string& path) {
    const ListKind kind = ClassifyPath(path, AddMode::Dropped);
    if (kind == ListKind::None) return;
    size_t unmappable = 0;
    ListEntry entry{console::NameToGbk(fileio::FileNamePart(path), &unmappable), path};
    if (unmappable > 0) {
      console::Err("versemill: warning: the name of '" + console::PathToUtf8(path) +
                   "' holds characters outside GBK; they are taken as '?'\n");
    }
    (kind == ListKind::Mp3 ? m_mp3 : m_lyrics).push_back(std::move(entry));
  }

  std::vector<ListEntry> m_mp3;
  std::vector<ListEntry> m_lyrics;
};

// A path as the lists take it: without a trailing separator, and a file
// with a folder part ("./a.mp3"), since a bare name is never listed.
std::string ListPath(std::string path) {
  while (path.size() > 1 && fileio::LastSeparator(path) == path.size() - 1) path.pop_back();
  if (fileio::LastSeparator(path) == std::string::npos && !fileio::IsDirectory(path)) {
    path = fileio::JoinPath(".", path);
  }
  return path;
}

// "[12/200] name", short enough never to wrap on an 80-column console.
void ShowProgress(size_t done, size_t total, const std::string& name) {
  constexpr size_t kMaxBytes = 60;
  std::string line = "[" + std::to_string(done) + "/" + std::to_string(total) + "] ";
  const std::string text = Cp936ToUtf8(name);
  for (size_t i = 0; i < text.size();) {
    size_t length = 1;  // whole UTF-8 characters only
    while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80)
      ++length;
    if (line.size() + length > kMaxBytes) break;
    line.append(text, i, length);
    i += length;
  }
  console::Progress(line);
}

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int RunImport(const std::vector<std::string>& args) {
  bool unsync = false;
  bool iriver = false;
  bool dryRun = false;
  const ParsedOptions parsed =
      ParseOptions(args, {{"--unsync", &unsync}, {"--iriver", &iriver}, {"--dry-run", &dryRun}});
  if (!parsed.error.empty()) return UsageError(parsed.error, kImportUsage);
  if (parsed.help) {
    console::Out(kImportUsage);
    return kExitOk;
  }
  if (parsed.operands.empty()) return UsageError("no files or folders given", kImportUsage);

  // Every path is checked before anything is written.
  bool badPath = false;
  for (const std::string& operand : parsed.operands) {
    const std::string path = ListPath(operand);
    std::vector<fileio::DirEntry> entries;
    if (!fileio::Exists(path)) {
      console::Err("versemill: cannot find '" + console::PathToUtf8(operand) + "'\n");
      badPath = true;
    } else if (fileio::IsDirectory(path) && !fileio::ListDirectory(path, entries)) {
      console::Err("versemill: cannot read the folder '" + console::PathToUtf8(operand) +
                   "': " + console::PathToUtf8(fileio::LastErrorText()) + "\n");
      badPath = true;
    }
  }
  if (badPath) return kExitUsage;

  CImportLists lists;
  for (const std::string& operand : parsed.operands) {
    const std::string path = ListPath(operand);
    if (fileio::IsDirectory(path)) {
      ScanFolder(path, [&lists](const std::string& found) { lists.AddFile(found); });
    } else if (ClassifyPath(path, AddMode::Dropped) == ListKind::None) {
      console::Err("versemill: skipped '" + console::PathToUtf8(operand) +
                   "': not an .mp3 or .lrc file\n");
    } else {
      lists.AddFile(path);
    }
  }
  if (lists.m_lyrics.empty()) {
    console::Err("versemill: no lyric files (.lrc) found\n");
    return kExitFailed;
  }
  if (lists.m_mp3.empty()) {
    console::Err("versemill: no MP3 files (.mp3) found\n");
    return kExitFailed;
  }

  // The pairs, formed exactly as the window's import run forms them.
  const auto mp3NameAt = [&lists](size_t i) { return lists.m_mp3[i].name; };
  std::vector<Pairing> pairs;
  std::vector<size_t> unpaired;
  for (size_t i = 0; i < lists.m_lyrics.size(); ++i) {
    const Pairing pairing = PairLyric(i, lists.m_lyrics.size(), lists.m_lyrics[i].name,
                                      lists.m_mp3.size(), mp3NameAt);
    if (pairing.mp3 >= 0) {
      pairs.push_back(pairing);
    } else {
      unpaired.push_back(i);
    }
  }

  CLyricTagWriter writer;
  writer.m_bSyncLyric = !unsync;
  writer.m_bIRiver = iriver;
  const bool progress = !dryRun && pairs.size() >= kProgressFrom && console::ErrIsTerminal();
  size_t written = 0;
  size_t failed = 0;
  std::map<int, int> lyricsPerMp3;
  for (size_t k = 0; k < pairs.size(); ++k) {
    const ListEntry& lyric = lists.m_lyrics[pairs[k].lyric];
    const ListEntry& mp3 = lists.m_mp3[pairs[k].mp3];
    const std::string listName = DerivedMp3Name(lyric.name);
    ++lyricsPerMp3[pairs[k].mp3];
    if (dryRun) {
      console::Out(PairLine(listName, mp3.path, nullptr));
      continue;
    }
    if (progress) ShowProgress(k + 1, pairs.size(), listName);
    const PairOutcome outcome = WritePair(writer, lyric.path, mp3.path, listName);
    if (progress) console::EndProgress();
    console::Out(PairLine(listName, mp3.path, &outcome));
    ++(outcome.ok ? written : failed);
  }

  for (size_t i : unpaired) {
    const ListEntry& lyric = lists.m_lyrics[i];
    console::Out(Cp936ToUtf8(lyric.name) + ": no MP3 file named " +
                 Cp936ToUtf8(DerivedMp3Name(lyric.name)) + "\n");
  }
  for (const auto& [mp3, count] : lyricsPerMp3) {
    if (count < 2) continue;
    console::Err("versemill: note: " + std::to_string(count) + " lyrics pair with '" +
                 console::PathToUtf8(lists.m_mp3[mp3].path) + "'; the last one written stays\n");
  }

  const std::string without = Count(unpaired.size(), "lyric", "lyrics") + " without an MP3 file";
  if (dryRun) {
    console::Out(Count(pairs.size(), "pair", "pairs") + " found, " + without +
                 "; nothing written (dry run)\n");
    return pairs.empty() ? kExitFailed : kExitOk;
  }
  console::Out(Count(written, "pair", "pairs") + " written, " + std::to_string(failed) +
               " failed, " + without + "\n");
  if (failed > 0 || pairs.empty()) return kExitFailed;
  return kExitOk;
}

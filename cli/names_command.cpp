// versemill names: the batch conversion between the ID3v1 title and artist
// and the file names "artist - title.mp3", as the program's window does it.

#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "base/gbk.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "import/batch_names.h"

namespace {

const char kNamesUsage[] =
    "usage: versemill names --to-name|--artist-first|--title-first MP3...\n"
    "\n"
    "Converts, for each MP3 file, between its ID3v1 title and artist and its\n"
    "file name \"artist - title.mp3\".\n"
    "\n"
    "  --to-name       rename each file \"artist - title.mp3\" after its record\n"
    "  --artist-first  set the record's title and artist from a file name\n"
    "                  \"artist - title.mp3\" (the first dash divides)\n"
    "  --title-first   the same from a file name \"title - artist.mp3\"\n"
    "  -h, --help      show this help\n"
    "\n"
    "The rest of a record is kept; a file without one gets a new record. A file\n"
    "is never renamed over another one, nor to a name that holds one of\n"
    "\\ / : * ? \" < > | or a control character.\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when any was not, 2 for\n"
    "bad usage.\n";

std::string Quoted(const std::string& gbk) { return "'" + Cp936ToUtf8(gbk) + "'"; }

bool Fail(const std::string& path, const std::string& why) {
  console::Err("versemill: " + console::PathToUtf8(path) + ": " + why + "\n");
  return false;
}

std::string TagNameFailure(const TagFileName& tagName) {
  switch (tagName.status) {
    case TagNameStatus::CannotOpen:
      return "cannot read the file";
    case TagNameStatus::NoRecord:
      return "no ID3v1 record";
    case TagNameStatus::EmptyTag:
      return "the record's title and artist are empty";
    case TagNameStatus::RefusedCharacter:
      return Quoted(tagName.name) + " holds a character that file names cannot hold";
    case TagNameStatus::Named:
      break;
  }
  return std::string();
}

bool RenameAfterTag(const std::string& path) {
  const TagFileName tagName = FileNameFromTag(path);
  if (tagName.status != TagNameStatus::Named) return Fail(path, TagNameFailure(tagName));
  const std::string name = console::GbkToName(tagName.name);
  if (console::NameToGbk(name) != tagName.name) {
    return Fail(path, Quoted(tagName.name) + " cannot be written as a file name here");
  }
  const size_t separator = fileio::LastSeparator(path);
  const std::string folder = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
  const std::string newPath = folder + name;
  if (newPath == path) {
    console::Out(console::PathToUtf8(path) + ": already named so\n");
    return true;
  }
  // Never over another file. A change of letter case alone may name the
  // file itself where names ignore case; the move refuses any other file.
  const bool caseOnly = GbkCompareNoCase(console::NameToGbk(fileio::FileNamePart(path)), tagName.name) == 0;
  if (!caseOnly && fileio::Exists(newPath)) {
    return Fail(path, Quoted(tagName.name) + " is taken by another file");
  }
  if (!fileio::MoveNoReplace(path, newPath)) {
    return Fail(path, "cannot rename it to " + Quoted(tagName.name) + ": " +
                          console::PathToUtf8(fileio::LastErrorText()));
  }
  console::Out(console::PathToUtf8(path) + " → " + Cp936ToUtf8(tagName.name) + "\n");
  return true;
}

bool TagAfterName(const std::string& path, BatchChoice choice) {
  size_t unmappable = 0;
  const std::string name = console::NameToGbk(fileio::FileNamePart(path), &unmappable);
  if (unmappable > 0) {
    // The record holds GBK text: a "?" in place of a character is no title.
    return Fail(path, "the name holds " + std::to_string(unmappable) +
                          " character(s) that GBK cannot hold; the record is left as it is");
  }
  const WriteResult result = WriteTagFromName(path, name, choice);
  if (!result.ok()) return Fail(path, "failed: " + console::PathToUtf8(result.detail));
  const SongNameParts parts = SplitSongName(name);
  const std::string& title = choice == BATCH_TITLE_FIRST ? parts.first : parts.second;
  const std::string& artist = choice == BATCH_TITLE_FIRST ? parts.second : parts.first;
  console::Out(console::PathToUtf8(path) + ": title " + Quoted(title) + ", artist " + Quoted(artist) + "\n");
  return true;
}

}  // namespace

int RunNames(const std::vector<std::string>& args) {
  bool toName = false;
  bool artistFirst = false;
  bool titleFirst = false;
  const ParsedOptions parsed = ParseOptions(
      args, {{"--to-name", &toName}, {"--artist-first", &artistFirst}, {"--title-first", &titleFirst}});
  if (!parsed.error.empty()) return UsageError(parsed.error, kNamesUsage);
  if (parsed.help) {
    console::Out(kNamesUsage);
    return kExitOk;
  }
  if (int(toName) + int(artistFirst) + int(titleFirst) != 1) {
    return UsageError("names takes one of --to-name, --artist-first and --title-first", kNamesUsage);
  }
  if (parsed.operands.empty()) return UsageError("names needs MP3 files", kNamesUsage);

  const BatchChoice choice = toName ? BATCH_TAG_TO_NAME : artistFirst ? BATCH_ARTIST_FIRST : BATCH_TITLE_FIRST;
  int failed = 0;
  for (const std::string& path : parsed.operands) {
    bool done;
    if (!fileio::Exists(path)) {
      done = Fail(path, "cannot find the file");
    } else if (fileio::IsDirectory(path)) {
      done = Fail(path, "is a folder");
    } else {
      done = choice == BATCH_TAG_TO_NAME ? RenameAfterTag(path) : TagAfterName(path, choice);
    }
    if (!done) ++failed;
  }
  if (failed > 0) {
    console::Err("versemill: " + std::to_string(failed) + " of " + std::to_string(parsed.operands.size()) +
                 " files not converted\n");
    return kExitFailed;
  }
  return kExitOk;
}

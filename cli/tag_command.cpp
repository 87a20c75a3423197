// versemill tag: one lyric file into one MP3 file.

#include <string>
#include <vector>

#include "base/fileio.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "cli/pair_writer.h"
#include "import/pairing.h"
#include "tags/lyric_tag_writer.h"

namespace {

const char kTagUsage[] =
    "usage: versemill tag [--unsync] [--iriver] LRC MP3\n"
    "\n"
    "Writes the lyric of the file LRC into the file MP3, whatever their names.\n"
    "A new ID3v1 record takes its title from the LRC file's name.\n"
    "\n"
    "  --unsync    write only the unsynchronised lyric; by default the timed\n"
    "              lyric is written too, with a Lyrics3 tag and an ID3v1 record\n"
    "              at the end of the file\n"
    "  --iriver    also write the lyric frame that iRiver players read\n"
    "  -h, --help  show this help\n"
    "\n"
    "Exit status: 0 when the lyric was written, 1 when not, 2 for bad usage.\n";

}  // namespace

int RunTag(const std::vector<std::string>& args) {
  bool unsync = false;
  bool iriver = false;
  const ParsedOptions parsed = ParseOptions(args, {{"--unsync", &unsync}, {"--iriver", &iriver}});
  if (!parsed.error.empty()) return UsageError(parsed.error, kTagUsage);
  if (parsed.help) {
    console::Out(kTagUsage);
    return kExitOk;
  }
  if (parsed.operands.size() != 2) {
    return UsageError(parsed.operands.size() < 2 ? "tag needs an LRC file and an MP3 file"
                                                 : "tag takes one LRC file and one MP3 file",
                      kTagUsage);
  }
  const std::string& lrcPath = parsed.operands[0];
  const std::string& mp3Path = parsed.operands[1];
  for (const std::string* path : {&lrcPath, &mp3Path}) {
    if (!fileio::Exists(*path)) {
      console::Err("versemill: cannot find '" + console::PathToUtf8(*path) + "'\n");
      return kExitFailed;
    }
  }

  const std::string listName = DerivedMp3Name(console::NameToGbk(fileio::FileNamePart(lrcPath)));
  CLyricTagWriter writer;
  writer.m_bSyncLyric = !unsync;
  writer.m_bIRiver = iriver;
  const PairOutcome outcome = WritePair(writer, lrcPath, mp3Path, listName);
  console::Out(PairLine(listName, mp3Path, &outcome));
  return outcome.ok ? kExitOk : kExitFailed;
}

#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"

#ifndef VERSEMILL_VERSION
#define VERSEMILL_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
    "usage: versemill <command> [options] [arguments]\n"
    "\n"
    "Puts the lyrics of LRC files into MP3 files.\n"
    "\n"
    "commands:\n"
    "  import [--unsync] [--iriver] [--dry-run] PATH...\n"
    "        pair the .lrc files with the .mp3 files of the same name among the\n"
    "        given files and folders (searched with their sub-folders) and write\n"
    "        each lyric into its MP3 file\n"
    "  tag [--unsync] [--iriver] LRC MP3\n"
    "        write one lyric file into one MP3 file\n"
    "  show MP3\n"
    "        print an MP3 file's ID3v1 title, artist, album and year and the\n"
    "        lyric of its Lyrics3 tag\n"
    "  names --to-name|--artist-first|--title-first MP3...\n"
    "        rename MP3 files \"artist - title.mp3\" after their ID3v1 records,\n"
    "        or set the records' title and artist from such names\n"
    "  shift LRC SECONDS [FIRST [LAST]]\n"
    "        move the times of lines FIRST to LAST of an LRC file by whole seconds\n"
    "\n"
    "Run 'versemill <command> --help' for the options of a command.\n"
    "'versemill --version' prints the version.\n";

}  // namespace

int RunVersemill(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError("no command given", kUsage);
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "import") return RunImport(rest);
  if (command == "tag") return RunTag(rest);
  if (command == "show") return RunShow(rest);
  if (command == "names") return RunNames(rest);
  if (command == "shift") return RunShift(rest);
  if (command == "-h" || command == "--help" || command == "help") {
    console::Out(kUsage);
    return kExitOk;
  }
  if (command == "--version") {
    console::Out("versemill " VERSEMILL_VERSION "\n");
    return kExitOk;
  }
  if (!command.empty() && command[0] == '-') {
    return UsageError("unknown option '" + console::PathToUtf8(command) + "'", kUsage);
  }
  return UsageError("unknown command '" + console::PathToUtf8(command) + "'", kUsage);
}

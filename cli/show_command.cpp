// versemill show: an MP3 file's ID3v1 fields and its Lyrics3 lyric, as the
// music file information dialog shows them.

#include <cstdio>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "tags/id3v1.h"
#include "tags/lyrics3.h"

namespace {

const char kShowUsage[] =
    "usage: versemill show MP3\n"
    "\n"
    "Prints the title, artist, album and year of the file's ID3v1 record and\n"
    "the lyric of the Lyrics3 tag before it. The file is only read.\n"
    "\n"
    "  -h, --help  show this help\n"
    "\n"
    "Exit status: 0 when the file was read, 1 when not, 2 for bad usage.\n";

// GBK tag text for the console: UTF-8, CR LF as LF, and no control bytes
// that a terminal would act on.
std::string ConsoleText(const std::string& gbk) {
  std::string text;
  for (size_t i = 0; i < gbk.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c == '\r') {
      if (i + 1 < gbk.size() && gbk[i + 1] == '\n') continue;
      text += '\n';
    } else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) {
      text += '?';
    } else {
      text += gbk[i];
    }
  }
  return Cp936ToUtf8(text);
}

}  // namespace

int RunShow(const std::vector<std::string>& args) {
  const ParsedOptions parsed = ParseOptions(args, {});
  if (!parsed.error.empty()) return UsageError(parsed.error, kShowUsage);
  if (parsed.help) {
    console::Out(kShowUsage);
    return kExitOk;
  }
  if (parsed.operands.size() != 1) return UsageError("show takes one MP3 file", kShowUsage);
  const std::string& path = parsed.operands[0];
  if (fileio::IsDirectory(path)) {
    console::Err("versemill: '" + console::PathToUtf8(path) + "' is a folder\n");
    return kExitFailed;
  }
  FILE* file = fileio::Open(path, "rb");
  if (!file) {
    console::Err("versemill: cannot open '" + console::PathToUtf8(path) +
                 "': " + console::PathToUtf8(fileio::LastErrorText()) + "\n");
    return kExitFailed;
  }
  std::string title, artist, album, year, lyric;
  const bool hasRecord = ReadId3v1Fields(file, title, artist, album, year);
  const bool hasLyric = hasRecord && ReadLyrics3Text(file, lyric);
  fclose(file);

  std::string out = "文件名: " +
                    ConsoleText(console::NameToGbk(fileio::FileNamePart(path))) + "\n";
  if (!hasRecord) out += "(no ID3v1 record)\n";
  out += "标题: " + ConsoleText(title) + "\n";
  out += "艺术家: " + ConsoleText(artist) + "\n";
  out += "唱片标题: " + ConsoleText(album) + "\n";
  out += "发行年: " + ConsoleText(year) + "\n";
  out += "歌词如下:\n";
  if (hasLyric) {
    std::string text = ConsoleText(lyric);
    if (!text.empty() && text.back() != '\n') text += '\n';
    out += text;
  } else {
    out += "(no Lyrics3 lyric)\n";
  }
  console::Out(out);
  return kExitOk;
}

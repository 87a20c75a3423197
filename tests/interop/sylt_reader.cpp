// Prints what TagLib reads from the ID3v2 tag of a file, one record a line,
// for the interop scripts to compare:
//
//   ID3V2 <major> <revision>          or NOID3V2 when the file has no tag
//   FRAME <id>                        every frame, in tag order
//   USLT <lang> <desc> <enc> <text>
//   SYLT <lang> <desc> <enc> <format> <type> <count>
//   ENTRY <time> <text>               the entries of the SYLT frame above
//
// Fields are separated by tabs. Texts are UTF-8 with \\ \t \r \n escaped,
// except Latin-1 labelled USLT texts, which are printed as "hex:" and their
// bytes (the lyric writer stores GBK bytes there).
#include <mpegfile.h>
#include <id3v2frame.h>
#include <id3v2header.h>
#include <id3v2tag.h>
#include <synchronizedlyricsframe.h>
#include <tfile.h>
#include <unsynchronizedlyricsframe.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

std::string Escape(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Text(const TagLib::String& s) { return Escape(s.to8Bit(true)); }

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out = "hex:";
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

void PrintUslt(const TagLib::ID3v2::UnsynchronizedLyricsFrame& f) {
  const TagLib::String::Type enc = f.textEncoding();
  std::cout << "USLT\t" << Escape(std::string(f.language().data(), f.language().size())) << '\t'
            << Text(f.description()) << '\t' << static_cast<int>(enc) << '\t'
            << (enc == TagLib::String::Latin1 ? Hex(f.text().to8Bit(false)) : Text(f.text()))
            << '\n';
}

void PrintSylt(const TagLib::ID3v2::SynchronizedLyricsFrame& f) {
  const TagLib::ID3v2::SynchronizedLyricsFrame::SynchedTextList entries = f.synchedText();
  std::cout << "SYLT\t" << Escape(std::string(f.language().data(), f.language().size())) << '\t'
            << Text(f.description()) << '\t' << static_cast<int>(f.textEncoding()) << '\t'
            << static_cast<int>(f.timestampFormat()) << '\t' << static_cast<int>(f.type()) << '\t'
            << entries.size() << '\n';
  for (const auto& e : entries) std::cout << "ENTRY\t" << e.time << '\t' << Text(e.text) << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  TagLib::MPEG::File file(argv[1], false);
  if (!file.isOpen()) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 2;
  }
  if (!file.hasID3v2Tag()) {
    std::cout << "NOID3V2\n";
    return 0;
  }
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
  std::cout << "ID3V2\t" << tag->header()->majorVersion() << '\t' << tag->header()->revisionNumber()
            << '\n';
  for (const TagLib::ID3v2::Frame* frame : tag->frameList()) {
    const TagLib::ByteVector id = frame->frameID();
    std::cout << "FRAME\t" << Escape(std::string(id.data(), id.size())) << '\n';
    if (auto* uslt = dynamic_cast<const TagLib::ID3v2::UnsynchronizedLyricsFrame*>(frame)) {
      PrintUslt(*uslt);
    } else if (auto* sylt = dynamic_cast<const TagLib::ID3v2::SynchronizedLyricsFrame*>(frame)) {
      PrintSylt(*sylt);
    }
  }
  return 0;
}

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "lyrics/lrc.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

const std::string kData = VM_TEST_DATA;
const std::string kCorpus = kData + "/corpus/lrc/";
const std::string kCorpusGbk = kData + "/corpus/lrc-gbk/";

std::string Bytes(const std::string& path) {
  std::string out;
  EXPECT_TRUE(ReadFileBytes(path, out)) << path;
  return out;
}

// A scratch file removed at the end of the test.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& bytes) {
    static std::atomic<int> s_n{0};
#ifdef _WIN32
    const char* dir = std::getenv("TEMP");
    unsigned pid = static_cast<unsigned>(_getpid());
#else
    const char* dir = std::getenv("TMPDIR");
    if (dir && !*dir) dir = nullptr;
    unsigned pid = static_cast<unsigned>(getpid());
#endif
    m_path = fileio::JoinPath(dir ? dir : "/tmp",
                              "vm-lrc-" + std::to_string(pid) + "-" + std::to_string(s_n++) + ".lrc");
    FILE* f = fileio::Open(m_path, "wb");
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
  }
  ~ScratchFile() { fileio::Remove(m_path); }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

// 歌词 in UTF-8 and in code page 936.
const std::string kGeCiUtf8 = "\xE6\xAD\x8C\xE8\xAF\x8D";
const std::string kGeCiGbk = "\xB8\xE8\xB4\xCA";

// --- Reading ------------------------------------------------------------------

TEST(ReadTextFile, EndsAtFirstZeroByte) {
  ScratchFile f(std::string("[00:01]a\0[00:02]b", 17));
  std::string text = "old";
  ASSERT_TRUE(ReadTextFile(f.path(), text));
  EXPECT_EQ(text, "[00:01]a");
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(f.path(), bytes));
  EXPECT_EQ(bytes.size(), 17u);
}

TEST(ReadTextFile, ZeroFirstOrEmptyGivesNoLines) {
  for (const std::string& content : {std::string("\0[00:01]x", 9), std::string()}) {
    ScratchFile f(content);
    std::string text = "old";
    ASSERT_TRUE(ReadTextFile(f.path(), text));
    EXPECT_EQ(text, "");
    CLyricLineArray lines;
    std::string unsync = "x";
    ParseLrc(text, lines, &unsync);
    EXPECT_EQ(lines.GetSize(), 0);
    EXPECT_EQ(unsync, "");
  }
}

TEST(ReadTextFile, MissingFileLeavesOutputUnchanged) {
  std::string text = "kept";
  EXPECT_FALSE(ReadTextFile(kData + "/no-such-file.lrc", text));
  EXPECT_EQ(text, "kept");
  EXPECT_FALSE(ReadFileBytes(kData + "/no-such-file.lrc", text));
  EXPECT_EQ(text, "kept");
  // A folder is no text file, even where the C library opens it.
  EXPECT_FALSE(ReadTextFile(kData, text));
  EXPECT_EQ(text, "kept");
}

TEST(ReadTextFile, LargeFileWhole) {
  std::string big;
  char tag[32];
  for (int i = 0; i < 10000; ++i) {
    std::snprintf(tag, sizeof tag, "[%02d:%02d.%d0]", i / 600, i / 10 % 60, i % 10);
    big += std::string(tag) + "line " + std::to_string(i) + "\r\n";
  }
  ScratchFile f(big);
  std::string text;
  ASSERT_TRUE(ReadTextFile(f.path(), text));
  EXPECT_EQ(text, big);
  CLyricLineArray lines;
  ParseLrc(text, lines);
  ASSERT_EQ(lines.GetSize(), 10000);
  EXPECT_EQ(lines.GetAt(9999)->time, 999900);
  EXPECT_EQ(lines.GetAt(9999)->text, "line 9999");
}

// --- Decoding -----------------------------------------------------------------

DecodedText Decode(std::string& s) { return DecodeLyricText(s); }

TEST(DecodeLyricText, AsciiAndGbkStayByteForByte) {
  std::string ascii = "[00:01]plain\r\n";
  DecodedText d = Decode(ascii);
  EXPECT_EQ(d.encoding, TextEncoding::Gbk);
  EXPECT_EQ(ascii, "[00:01]plain\r\n");
  std::string gbk = "[00:01]" + kGeCiGbk + "\x94\x5B\x80";
  const std::string before = gbk;
  d = Decode(gbk);
  EXPECT_EQ(d.encoding, TextEncoding::Gbk);
  EXPECT_EQ(d.unmappable, 0u);
  EXPECT_EQ(gbk, before);
  std::string empty;
  EXPECT_EQ(Decode(empty).encoding, TextEncoding::Gbk);
  EXPECT_EQ(empty, "");
}

TEST(DecodeLyricText, Utf8WithoutBom) {
  std::string s = "[00:01]" + kGeCiUtf8;
  DecodedText d = Decode(s);
  EXPECT_EQ(d.encoding, TextEncoding::Utf8);
  EXPECT_EQ(s, "[00:01]" + kGeCiGbk);
  // Bytes that are not valid UTF-8 are taken as GBK: an overlong form, a cut
  // sequence at the end, an encoded surrogate.
  for (std::string bad : {std::string("[00:01]\xC0\xAF"), "[00:01]" + kGeCiUtf8 + "\xE6\xAD",
                          std::string("\xED\xA0\x80")}) {
    const std::string before = bad;
    EXPECT_EQ(Decode(bad).encoding, TextEncoding::Gbk);
    EXPECT_EQ(bad, before);
  }
}

TEST(DecodeLyricText, Utf8WithBom) {
  std::string s = "\xEF\xBB\xBF[00:01]" + kGeCiUtf8;
  DecodedText d = Decode(s);
  EXPECT_EQ(d.encoding, TextEncoding::Utf8Bom);
  EXPECT_EQ(s, "[00:01]" + kGeCiGbk);
  std::string onlyBom = "\xEF\xBB\xBF";
  EXPECT_EQ(Decode(onlyBom).encoding, TextEncoding::Utf8Bom);
  EXPECT_EQ(onlyBom, "");
}

TEST(DecodeLyricText, Utf16WithBom) {
  // "[0:1]歌词" as UTF-16 little and big endian.
  std::string le("\xFF\xFE[\0" "0\0:\0" "1\0]\0\x4C\x6B\xCD\x8B", 16);
  std::string be("\xFE\xFF\0[\0" "0\0:\0" "1\0]\x6B\x4C\x8B\xCD", 16);
  DecodedText d = Decode(le);
  EXPECT_EQ(d.encoding, TextEncoding::Utf16LeBom);
  EXPECT_EQ(le, "[0:1]" + kGeCiGbk);
  d = Decode(be);
  EXPECT_EQ(d.encoding, TextEncoding::Utf16BeBom);
  EXPECT_EQ(be, "[0:1]" + kGeCiGbk);
  // An odd last byte is half a character.
  std::string odd("\xFF\xFEx\0y", 5);
  d = Decode(odd);
  EXPECT_EQ(odd, "x?");
  EXPECT_EQ(d.unmappable, 1u);
}

TEST(DecodeLyricText, CharactersGbkLacksAreCounted) {
  // Hangul 한국 and an emoji after the tag.
  std::string s = "[00:01]\xED\x95\x9C\xEA\xB5\xAD \xF0\x9F\x8E\xB5";
  DecodedText d = Decode(s);
  EXPECT_EQ(d.encoding, TextEncoding::Utf8);
  EXPECT_EQ(s, "[00:01]?? ?");
  EXPECT_EQ(d.unmappable, 3u);
}

TEST(ReadLyricFile, Utf16IsNotCutAtItsZeroBytes) {
  ScratchFile f(std::string("\xFF\xFE[\0" "0\0:\0" "1\0]\0\x4C\x6B\xCD\x8B", 16));
  std::string text = "old";
  LyricFileText r = ReadLyricFile(f.path(), text);
  EXPECT_TRUE(r.fileRead);
  EXPECT_EQ(r.encoding, TextEncoding::Utf16LeBom);
  EXPECT_EQ(text, "[0:1]" + kGeCiGbk);
  // ReadTextFile alone would stop after the BOM and the first byte.
  std::string cut;
  ASSERT_TRUE(ReadTextFile(f.path(), cut));
  EXPECT_EQ(cut.size(), 3u);
}

TEST(ReadLyricFile, CutAtFirstZeroAfterDecoding) {
  ScratchFile f(std::string("\xFF\xFEx\0\0\0y\0", 8));
  std::string text;
  ReadLyricFile(f.path(), text);
  EXPECT_EQ(text, "x");
  ScratchFile g(std::string("[00:01]a\0[00:02]b", 17));
  LyricFileText r = ReadLyricFile(g.path(), text);
  EXPECT_EQ(r.encoding, TextEncoding::Gbk);
  EXPECT_EQ(text, "[00:01]a");
}

TEST(ReadLyricFile, MissingFileGivesEmptyText) {
  std::string text = "old";
  LyricFileText r = ReadLyricFile(kData + "/no-such-file.lrc", text);
  EXPECT_FALSE(r.fileRead);
  EXPECT_EQ(text, "");
}

// --- Corpus -------------------------------------------------------------------

struct Lines {
  std::vector<int32_t> times;
  std::vector<std::string> tags, texts;
  std::string unsync;
  bool operator==(const Lines& o) const {
    return times == o.times && tags == o.tags && texts == o.texts && unsync == o.unsync;
  }
};

Lines ParseFile(const std::string& path, TextEncoding* encoding = nullptr,
                size_t* unmappable = nullptr) {
  std::string text;
  LyricFileText r = ReadLyricFile(path, text);
  EXPECT_TRUE(r.fileRead) << path;
  if (encoding) *encoding = r.encoding;
  if (unmappable) *unmappable = r.unmappable;
  CLyricLineArray lines;
  Lines out;
  ParseLrc(text, lines, &out.unsync);
  for (int i = 0; i < lines.GetSize(); ++i) {
    out.times.push_back(lines.GetAt(i)->time);
    out.tags.push_back(lines.GetAt(i)->tag);
    out.texts.push_back(lines.GetAt(i)->text);
  }
  return out;
}

TEST(Corpus, GbkCopiesParseLikeTheirUtf8Originals) {
  std::vector<fileio::DirEntry> entries;
  ASSERT_TRUE(fileio::ListDirectory(kCorpusGbk, entries));
  int pairs = 0;
  for (const auto& e : entries) {
    const std::string& name = e.name;
    const std::string suffix = "_gbk.lrc";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix))
      continue;
    SCOPED_TRACE(name);
    const std::string original = kCorpus + name.substr(0, name.size() - suffix.size()) + ".lrc";
    TextEncoding gbkEncoding, utf8Encoding;
    size_t unmappable = 1;
    Lines gbk = ParseFile(kCorpusGbk + name, &gbkEncoding);
    Lines utf8 = ParseFile(original, &utf8Encoding, &unmappable);
    EXPECT_EQ(gbkEncoding, TextEncoding::Gbk);
    EXPECT_TRUE(utf8Encoding == TextEncoding::Utf8 || utf8Encoding == TextEncoding::Utf8Bom);
    EXPECT_EQ(unmappable, 0u);
    EXPECT_FALSE(gbk.times.empty());
    EXPECT_EQ(gbk.times, utf8.times);
    EXPECT_EQ(gbk.tags, utf8.tags);
    EXPECT_EQ(gbk.texts, utf8.texts);
    EXPECT_EQ(gbk.unsync, utf8.unsync);
    ++pairs;
  }
  EXPECT_GE(pairs, 7);
}

TEST(Corpus, GbkTwinOfUtf8Fixture) {
  TextEncoding a, b;
  Lines gbk = ParseFile(kCorpus + "osdlyrics_lrc_gbk.lrc", &a);
  Lines utf8 = ParseFile(kCorpus + "osdlyrics_lrc_basic.lrc", &b);
  EXPECT_EQ(a, TextEncoding::Gbk);
  EXPECT_EQ(b, TextEncoding::Utf8);
  EXPECT_TRUE(gbk == utf8);
  // [00:00.00]Text 1, [01:34][02:33.26]中文歌词, [03:04:05.06]另一个歌词[00:00]No tags.
  EXPECT_EQ(gbk.times, (std::vector<int32_t>{0, 0, 94000, 153260, 11045060}));
  EXPECT_EQ(gbk.texts[0], "No tags");
  EXPECT_EQ(gbk.texts[1], "Text 1");
  EXPECT_EQ(Cp936ToUtf8(gbk.texts[2]), "\xE4\xB8\xAD\xE6\x96\x87\xE6\xAD\x8C\xE8\xAF\x8D");
}

TEST(Corpus, Utf16BomFile) {
  TextEncoding enc;
  Lines l = ParseFile(kCorpus + "navidrome_bom-utf16-test.lrc", &enc);
  EXPECT_EQ(enc, TextEncoding::Utf16LeBom);
  EXPECT_EQ(l.times, (std::vector<int32_t>{18800, 22801}));
  EXPECT_EQ(l.tags, (std::vector<std::string>{"00:18.80", "00:22.801"}));
  EXPECT_EQ(l.texts, (std::vector<std::string>{"We're no strangers to love",
                                                 "You know the rules and so do I"}));
}

TEST(Corpus, Utf8BomFiles) {
  TextEncoding enc;
  size_t unmappable = 1;
  Lines l = ParseFile(kCorpus + "navidrome_bom-test.lrc", &enc, &unmappable);
  EXPECT_EQ(enc, TextEncoding::Utf8Bom);
  EXPECT_EQ(unmappable, 0u);
  ASSERT_EQ(l.times, std::vector<int32_t>{0});
  // 作曲 : 柏大輔, then the untagged note lines.
  EXPECT_EQ(Cp936ToUtf8(l.texts[0]).rfind("\xE4\xBD\x9C\xE6\x9B\xB2 : \xE6\x9F\x8F\xE5\xA4\xA7\xE8\xBC\x94\n", 0), 0u);

  l = ParseFile(kCorpus + "osdlyrics_lrc_bom.lrc", &enc, &unmappable);
  EXPECT_EQ(enc, TextEncoding::Utf8Bom);
  EXPECT_EQ(unmappable, 0u);
  ASSERT_FALSE(l.times.empty());
  EXPECT_EQ(l.times[0], 17200);
  EXPECT_EQ(l.tags[0], "00:17.20");
  EXPECT_EQ(Cp936ToUtf8(l.texts[0]),
            "\xE9\x9B\xA8\xE6\xB7\x8B\xE6\xB9\xBF\xE4\xBA\x86\xE5\xA4\xA9\xE7\xA9\xBA "
            "\xE6\xAF\x81\xE5\xBE\x97\xE5\xBE\x88\xE8\xAE\xB2\xE7\xA9\xB6");
}

TEST(Corpus, RealGbkFileIsLeftAsItIs) {
  const std::string path = kCorpus + "lrcf_test_gbk_crlf.lrc";
  std::string text;
  LyricFileText r = ReadLyricFile(path, text);
  EXPECT_EQ(r.encoding, TextEncoding::Gbk);
  EXPECT_EQ(text, Bytes(path));
  Lines l = ParseFile(path);
  ASSERT_FALSE(l.times.empty());
  // Negative times [00:-03.00] come first.
  EXPECT_EQ(l.times.front(), -3000);
}

TEST(Corpus, EveryFileParsesIntoSortedLinesFromItsOwnText) {
  std::vector<fileio::DirEntry> entries;
  ASSERT_TRUE(fileio::ListDirectory(kCorpus, entries));
  int files = 0;
  for (const auto& e : entries) {
    if (e.name.size() < 4 || e.name.compare(e.name.size() - 4, 4, ".lrc")) continue;
    SCOPED_TRACE(e.name);
    ++files;
    TextEncoding enc;
    size_t unmappable = 0;
    Lines l = ParseFile(kCorpus + e.name, &enc, &unmappable);
    for (size_t i = 1; i < l.times.size(); ++i) ASSERT_LE(l.times[i - 1], l.times[i]);
    size_t unsyncLength = 0;
    for (size_t i = 0; i < l.times.size(); ++i) {
      int32_t t;
      ASSERT_TRUE(ParseLrcTime(l.tags[i], t));
      EXPECT_EQ(t, l.times[i]);
      unsyncLength += l.texts[i].size() + 1;
    }
    EXPECT_EQ(l.unsync.size(), unsyncLength);
    // Each decoded line stands, in UTF-8, in the file itself.
    if ((enc == TextEncoding::Utf8 || enc == TextEncoding::Utf8Bom) && unmappable == 0) {
      const std::string raw = Bytes(kCorpus + e.name);
      for (const std::string& text : l.texts)
        EXPECT_NE(raw.find(Cp936ToUtf8(text)), std::string::npos) << text;
    }
  }
  EXPECT_GE(files, 30);
}

}  // namespace

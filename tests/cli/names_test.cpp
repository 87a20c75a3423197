// versemill names: files renamed after their ID3v1 records, and records
// filled from file names, on copies of the sample songs.
#include "cli_runner.h"

#include "base/codepage.h"

using namespace cli_test;

namespace {

using NamesTest = CliTest;

// An ID3v1 record laid out by hand; texts UTF-8, stored GBK.
std::string Record(const std::string& title, const std::string& artist, const std::string& album = "") {
  auto field = [](const std::string& utf8, size_t width) {
    std::string s = Utf8ToCp936(utf8);
    s.resize(width, '\0');
    return s;
  };
  return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + std::string(4 + 30 + 1, '\0');
}

const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(400, 'U');

}  // namespace

TEST_F(NamesTest, ToNameRenamesAfterTheRecord) {
  const std::string before = ReadFile(Song("Morning Tea.mp3"));
  const RunResult result = Run({"names", "--to-name", Song("Morning Tea.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Song("Morning Tea.mp3") + " → 清晨乐队 - Morning Tea.mp3\n");
  EXPECT_FALSE(fs::exists(Song("Morning Tea.mp3")));
  EXPECT_EQ(ReadFile(Song("清晨乐队 - Morning Tea.mp3")), before);

  // Once more: nothing to do.
  const RunResult again = Run({"names", "--to-name", Song("清晨乐队 - Morning Tea.mp3")});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, Song("清晨乐队 - Morning Tea.mp3") + ": already named so\n");
}

TEST_F(NamesTest, ToNameLeavesFilesItCannotNameAndNeverOverwrites) {
  WriteFile(m_songs / "first.mp3", kAudio + Record("Song", "Singer"));
  WriteFile(m_songs / "second.mp3", kAudio + Record("Song", "Singer"));
  WriteFile(m_songs / "slash.mp3", kAudio + Record("Back", "AC/DC"));
  WriteFile(m_songs / "blank.mp3", kAudio + Record("", " ", "Album"));
  const RunResult result = Run({"names", "--to-name", Song("first.mp3"), Song("second.mp3"), Song("slash.mp3"),
                                Song("blank.mp3"), Song("晚风.mp3"), Song("gone.mp3"), Song("第二辑")});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, Song("first.mp3") + " → Singer - Song.mp3\n");
  EXPECT_TRUE(Contains(result.err, Song("second.mp3") + ": 'Singer - Song.mp3' is taken by another file\n"))
      << result.err;
  EXPECT_TRUE(Contains(result.err, Song("slash.mp3") +
                                       ": 'AC/DC - Back.mp3' holds a character that file names cannot hold\n"))
      << result.err;
  EXPECT_TRUE(Contains(result.err, Song("blank.mp3") + ": the record's title and artist are empty\n"));
  EXPECT_TRUE(Contains(result.err, Song("晚风.mp3") + ": no ID3v1 record\n"));
  EXPECT_TRUE(Contains(result.err, Song("gone.mp3") + ": cannot find the file\n"));
  EXPECT_TRUE(Contains(result.err, Song("第二辑") + ": is a folder\n"));
  EXPECT_TRUE(Contains(result.err, "6 of 7 files not converted\n")) << result.err;

  EXPECT_EQ(ReadFile(Song("Singer - Song.mp3")), kAudio + Record("Song", "Singer"));
  EXPECT_EQ(ReadFile(Song("second.mp3")), kAudio + Record("Song", "Singer"));
  EXPECT_TRUE(fs::exists(Song("slash.mp3")));
  EXPECT_TRUE(fs::exists(Song("blank.mp3")));
  EXPECT_TRUE(fs::exists(Song("晚风.mp3")));
}

TEST_F(NamesTest, ArtistFirstAndTitleFirstFillTheRecordAndKeepTheRest) {
  fs::copy_file(Song("Morning Tea.mp3"), Song("歌手-歌名.mp3"));
  WriteFile(m_songs / "A - B - C.mp3", kAudio);
  RunResult result = Run({"names", "--artist-first", Song("歌手-歌名.mp3"), Song("A - B - C.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Song("歌手-歌名.mp3") + ": title '歌名', artist '歌手'\n" + Song("A - B - C.mp3") +
                            ": title 'B - C', artist 'A'\n");
  RunResult shown = Run({"show", Song("歌手-歌名.mp3")});
  EXPECT_TRUE(Contains(shown.out, "标题: 歌名\n艺术家: 歌手\n唱片标题: Versemill 样曲\n发行年: 2024\n")) << shown.out;
  // A file without a record got a whole one.
  EXPECT_EQ(ReadFile(Song("A - B - C.mp3")), kAudio + Record("B - C", "A"));

  result = Run({"names", "--title-first", Song("歌手-歌名.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Song("歌手-歌名.mp3") + ": title '歌手', artist '歌名'\n");
  shown = Run({"show", Song("歌手-歌名.mp3")});
  EXPECT_TRUE(Contains(shown.out, "标题: 歌手\n艺术家: 歌名\n唱片标题: Versemill 样曲\n")) << shown.out;
}

TEST_F(NamesTest, OneDirectionAndAtLeastOneFile) {
  const auto before = Snapshot(m_songs);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"names", Song("晚风.mp3")},
           {"names", "--to-name", "--title-first", Song("晚风.mp3")},
           {"names", "--artist-first"},
       }) {
    const RunResult result = Run(args);
    EXPECT_EQ(result.status, 2) << args.size();
    EXPECT_TRUE(Contains(result.err, "usage: versemill names")) << result.err;
  }
  EXPECT_EQ(Snapshot(m_songs), before);
}

TEST_F(NamesTest, ToNameChangesTheLetterCaseAlone) {
  WriteFile(m_songs / "singer - song.mp3", kAudio + Record("Song", "Singer"));
  const RunResult result = Run({"names", "--to-name", Song("singer - song.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Song("singer - song.mp3") + " → Singer - Song.mp3\n");
  EXPECT_EQ(ReadFile(Song("Singer - Song.mp3")), kAudio + Record("Song", "Singer"));
  EXPECT_FALSE(fs::exists(Song("singer - song.mp3")));
}

TEST_F(NamesTest, ANameGbkCannotHoldLeavesTheRecord) {
  // "한" (Korean) has no GBK form: it would reach the record as "?".
  WriteFile(m_songs / "가수 - 한.mp3", kAudio + Record("Old", "Older"));
  const RunResult result = Run({"names", "--artist-first", Song("가수 - 한.mp3")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "character(s) that GBK cannot hold")) << result.err;
  EXPECT_EQ(ReadFile(Song("가수 - 한.mp3")), kAudio + Record("Old", "Older"));
}

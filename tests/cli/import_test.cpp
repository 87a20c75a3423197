#include "cli_runner.h"

using namespace cli_test;

namespace {

// GBK bytes of a UTF-8 text, for looking into tags (the program's text form).
const char kMorningLineGbk[] = "\xC7\xE5\xB3\xBF\xB5\xC4\xB2\xE8";  // 清晨的茶

std::string Tail(const std::string& bytes, size_t n) {
  return bytes.size() < n ? bytes : bytes.substr(bytes.size() - n);
}

}  // namespace

using ImportTest = CliTest;

TEST_F(ImportTest, WritesEverySampleAndListsEachPair) {
  const RunResult result = Run({"import", m_songs.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  // The folder's own files first, then the sub-folder's.
  const std::string expected = "Morning Tea.mp3 → " + Song("Morning Tea.mp3") + "\n" +
                               "晚风.mp3 → " + Song("晚风.mp3") + "\n" +
                               "月光小路.mp3 → " + Song("月光小路.mp3") + "\n" +
                               "春风.mp3 → " + Song("第二辑/春风.mp3") + "\n" +
                               "4 pairs written, 0 failed, 0 lyrics without an MP3 file\n";
  EXPECT_EQ(result.out, expected);
  EXPECT_TRUE(result.err.empty()) << result.err;

  for (const char* name : {"Morning Tea.mp3", "晚风.mp3", "月光小路.mp3", "第二辑/春风.mp3"}) {
    const std::string bytes = ReadFile(Song(name));
    EXPECT_EQ(bytes.substr(0, 3), "ID3") << name;
    EXPECT_TRUE(Contains(bytes, "USLT")) << name;
    EXPECT_TRUE(Contains(bytes, "SYLT")) << name;
    EXPECT_EQ(Tail(bytes, 128).substr(0, 3), "TAG") << name;
    EXPECT_EQ(Tail(bytes, 137).substr(0, 9), "LYRICS200") << name;
  }
  EXPECT_TRUE(Contains(ReadFile(Song("Morning Tea.mp3")), kMorningLineGbk));
}

TEST_F(ImportTest, ImportingTwiceLeavesOneLyricTagAtTheEnd) {
  ASSERT_EQ(Run({"import", m_songs.string()}).status, 0);
  const std::string once = ReadFile(Song("月光小路.mp3"));
  ASSERT_EQ(Run({"import", m_songs.string()}).status, 0);
  EXPECT_EQ(ReadFile(Song("月光小路.mp3")), once);
}

TEST_F(ImportTest, DryRunShowsThePairsAndWritesNothing) {
  const auto before = Snapshot(m_songs);
  const RunResult result = Run({"import", "--dry-run", m_songs.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "晚风.mp3 → " + Song("晚风.mp3") + "\n")) << result.out;
  EXPECT_TRUE(Contains(result.out, "4 pairs found, 0 lyrics without an MP3 file; nothing written (dry run)\n"))
      << result.out;
  EXPECT_EQ(Snapshot(m_songs), before);
}

TEST_F(ImportTest, AFailingPairGivesStatusOneAndItsReason) {
  fs::create_directory(m_songs / "坏的.mp3");
  WriteFile(m_songs / "坏的.lrc", "[00:01.00]x\r\n");
  const RunResult result = Run({"import", m_songs.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.out, "坏的.mp3 → " + Song("坏的.mp3") + ": failed: ")) << result.out;
  EXPECT_TRUE(Contains(result.out, "4 pairs written, 1 failed, 0 lyrics without an MP3 file\n"))
      << result.out;
  // The others were written all the same.
  EXPECT_TRUE(Contains(ReadFile(Song("晚风.mp3")), "USLT"));
}

TEST_F(ImportTest, AnUnreadableMp3IsAFailure) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  fs::permissions(m_songs / "晚风.mp3", fs::perms::none);
  const RunResult result = Run({"import", m_songs.string()});
  fs::permissions(m_songs / "晚风.mp3", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.out, "晚风.mp3 → " + Song("晚风.mp3") + ": failed: ")) << result.out;
}

TEST_F(ImportTest, ADamagedTagIsAFailureAndTheFileStaysAsItWas) {
  // "ID3" with a size that is not synchsafe.
  const std::string damaged = std::string("ID3\x03\x00\x00\xFF\xFF\xFF\xFF", 10) + std::string(4000, 'x');
  WriteFile(m_songs / "坏标签.mp3", damaged);
  fs::copy(m_songs / "晚风.lrc", m_songs / "坏标签.lrc");
  const RunResult result = Run({"import", m_songs.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.out, "坏标签.mp3 → " + Song("坏标签.mp3") + ": failed: ")) << result.out;
  EXPECT_EQ(ReadFile(m_songs / "坏标签.mp3"), damaged);
}

TEST_F(ImportTest, ALyricThatIsAFolderIsRefusedAndTheMp3Untouched) {
  fs::create_directory(m_songs / "空.lrc");
  fs::copy(m_songs / "晚风.mp3", m_songs / "空.mp3");
  const std::string before = ReadFile(m_songs / "空.mp3");
  const RunResult result = Run({"import", m_songs.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.out, "空.mp3 → " + Song("空.mp3") + ": failed: the lyric is a folder"))
      << result.out;
  EXPECT_EQ(ReadFile(m_songs / "空.mp3"), before);
}

TEST_F(ImportTest, ReportsLyricsWithoutAnMp3) {
  WriteFile(m_songs / "孤单.lrc", "[00:01.00]x\r\n");
  const RunResult result = Run({"import", m_songs.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "孤单.lrc: no MP3 file named 孤单.mp3\n")) << result.out;
  EXPECT_TRUE(Contains(result.out, "4 pairs written, 0 failed, 1 lyric without an MP3 file\n"))
      << result.out;
}

TEST_F(ImportTest, PairsNamesIgnoringLetterCase) {
  const fs::path dir = m_root / "case";
  fs::create_directory(dir);
  fs::copy(m_songs / "月光小路.mp3", dir / "x.mp3");
  fs::copy(m_songs / "月光小路.mp3", dir / "A.MP3");
  fs::copy(m_songs / "月光小路.lrc", dir / "a.lrc");
  fs::copy(m_songs / "晚风.lrc", dir / "b.lrc");
  const RunResult result = Run({"import", dir.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "a.mp3 → " + (dir / "A.MP3").string() + "\n")) << result.out;
  EXPECT_TRUE(Contains(ReadFile(dir / "A.MP3"), "USLT"));
  EXPECT_FALSE(Contains(ReadFile(dir / "x.mp3"), "USLT"));
}

TEST_F(ImportTest, TakesSingleFilesAndRelativeNames) {
  const RunResult result = Run({"import", "月光小路.lrc", "月光小路.mp3", "make-samples.sh"}, m_songs);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "月光小路.mp3 → ./月光小路.mp3\n"
                        "1 pair written, 0 failed, 0 lyrics without an MP3 file\n");
  EXPECT_TRUE(Contains(result.err, "skipped 'make-samples.sh': not an .mp3 or .lrc file")) << result.err;
  EXPECT_TRUE(Contains(ReadFile(Song("月光小路.mp3")), "USLT"));
}

TEST_F(ImportTest, ALoneLyricGoesIntoTheFirstMp3) {
  const RunResult result = Run({"import", Song("晚风.lrc"), Song("Morning Tea.mp3"), Song("月光小路.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "晚风.mp3 → " + Song("Morning Tea.mp3") + "\n")) << result.out;
  EXPECT_FALSE(Contains(ReadFile(Song("月光小路.mp3")), "USLT"));
}

TEST_F(ImportTest, TwoLyricsIntoOneFileAreNoted) {
  const fs::path dir = m_root / "twice";
  fs::create_directories(dir / "A");
  fs::create_directories(dir / "B");
  for (const char* sub : {"A", "B"}) {
    fs::copy(m_songs / "晚风.mp3", dir / sub / "Song.mp3");
    fs::copy(m_songs / "晚风.lrc", dir / sub / "Song.lrc");
  }
  const RunResult result = Run({"import", dir.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  // Entry 0 of the MP3 list is looked at last: both lyrics go into B's file.
  const std::string b = (dir / "B" / "Song.mp3").string();
  EXPECT_EQ(result.out, "Song.mp3 → " + b + "\nSong.mp3 → " + b + "\n" +
                            "2 pairs written, 0 failed, 0 lyrics without an MP3 file\n");
  EXPECT_TRUE(Contains(result.err, "note: 2 lyrics pair with '" + b + "'")) << result.err;
}

TEST_F(ImportTest, NothingToPairGivesStatusOne) {
  const fs::path dir = m_root / "only-mp3";
  fs::create_directory(dir);
  fs::copy(m_songs / "晚风.mp3", dir / "其他.mp3");
  RunResult result = Run({"import", dir.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "no lyric files (.lrc) found")) << result.err;

  result = Run({"import", Song("晚风.lrc")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "no MP3 files (.mp3) found")) << result.err;

  result = Run({"import", Song("晚风.lrc"), Song("月光小路.lrc"), dir.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.out, "0 pairs written, 0 failed, 2 lyrics without an MP3 file\n"))
      << result.out;
}

TEST_F(ImportTest, UnsyncModeLeavesTheEndOfTheFileAlone) {
  const std::string tailBefore = Tail(ReadFile(Song("Morning Tea.mp3")), 128);
  const RunResult result = Run({"import", "--unsync", m_songs.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string bytes = ReadFile(Song("Morning Tea.mp3"));
  EXPECT_TRUE(Contains(bytes, "USLT"));
  EXPECT_FALSE(Contains(bytes, "SYLT"));
  EXPECT_FALSE(Contains(bytes, "LYRICSBEGIN"));
  EXPECT_EQ(Tail(bytes, 128), tailBefore);
  EXPECT_FALSE(Contains(ReadFile(Song("月光小路.mp3")), "TAG"));
}

TEST_F(ImportTest, IRiverOptionPutsItsFrameFirst) {
  const RunResult result = Run({"import", "--iriver", Song("晚风.lrc"), Song("晚风.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadFile(Song("晚风.mp3")).substr(10, 4), "TXXX");
}

TEST_F(ImportTest, TakesGbkFileNamesAsTheyAre) {
  // Names from an old archive: GBK bytes, not UTF-8 ("月光").
  const fs::path dir = m_root / "legacy";
  fs::create_directory(dir);
  fs::copy(m_songs / "月光小路.mp3", dir / "\xD4\xC2\xB9\xE2.mp3");
  fs::copy(m_songs / "月光小路.lrc", dir / "\xD4\xC2\xB9\xE2.lrc");
  fs::copy(m_songs / "晚风.lrc", dir / "other.lrc");
  const RunResult result = Run({"import", dir.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "月光.mp3 → ")) << result.out;
  EXPECT_TRUE(Contains(result.out, "1 pair written")) << result.out;
  // The new ID3v1 title is the GBK name.
  const std::string bytes = ReadFile(dir / "\xD4\xC2\xB9\xE2.mp3");
  EXPECT_EQ(Tail(bytes, 128).substr(0, 7), "TAG\xD4\xC2\xB9\xE2");
}

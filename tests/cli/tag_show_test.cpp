#include "cli_runner.h"

using namespace cli_test;

using TagTest = CliTest;
using ShowTest = CliTest;

TEST_F(TagTest, WritesOnePairWhateverTheNames) {
  const RunResult result = Run({"tag", Song("月光小路.lrc"), Song("晚风.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "月光小路.mp3 → " + Song("晚风.mp3") + "\n");
  // The new ID3v1 record is titled after the lyric file.
  const RunResult shown = Run({"show", Song("晚风.mp3")});
  EXPECT_TRUE(Contains(shown.out, "标题: 月光小路\n")) << shown.out;
  EXPECT_TRUE(Contains(shown.out, "[00:00]月光铺在回家的小路\n")) << shown.out;
}

TEST_F(TagTest, MissingFilesAreReportedAndNothingIsWritten) {
  const auto before = Snapshot(m_songs);
  RunResult result = Run({"tag", Song("无.lrc"), Song("晚风.mp3")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "cannot find '" + Song("无.lrc") + "'")) << result.err;
  result = Run({"tag", Song("晚风.lrc"), Song("无.mp3")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "cannot find '" + Song("无.mp3") + "'")) << result.err;
  result = Run({"tag", Song("晚风.lrc"), Song("第二辑")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.out, ": failed: the MP3 is a folder")) << result.out;
  EXPECT_EQ(Snapshot(m_songs), before);
}

TEST_F(ShowTest, ShowsTheFieldsAndTheLyricAfterAnImport) {
  ASSERT_EQ(Run({"import", m_songs.string()}).status, 0);
  const RunResult result = Run({"show", Song("Morning Tea.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "文件名: Morning Tea.mp3\n"
            "标题: Morning Tea\n"
            "艺术家: 清晨乐队\n"
            "唱片标题: Versemill 样曲\n"
            "发行年: 2024\n"
            "歌词如下:\n"
            "[00:00]清晨的茶还冒着热气\n"
            "[00:01]窗外的鸟在说悄悄话\n"
            "[00:02]把昨天的烦恼轻轻放下\n"
            "[00:03]新的一天慢慢醒来\n");
}

TEST_F(ShowTest, ANewRecordIsTitledAfterTheDerivedName) {
  ASSERT_EQ(Run({"import", m_songs.string()}).status, 0);
  const RunResult result = Run({"show", Song("第二辑/春风.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "文件名: 春风.mp3\n标题: 春风\n艺术家: \n")) << result.out;
  // The lyric came from a UTF-8 file.
  EXPECT_TRUE(Contains(result.out, "[00:02]笑声飞得比云还高\n")) << result.out;
}

TEST_F(ShowTest, AFileWithoutTagsShowsEmptyFields) {
  const RunResult result = Run({"show", Song("月光小路.mp3")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "文件名: 月光小路.mp3\n"
            "(no ID3v1 record)\n"
            "标题: \n艺术家: \n唱片标题: \n发行年: \n"
            "歌词如下:\n"
            "(no Lyrics3 lyric)\n");
}

TEST_F(ShowTest, KeepsControlBytesOffTheTerminal) {
  std::string record(128, '\0');
  record.replace(0, 3, "TAG");
  record.replace(3, 7, "A\x1b[2JB\x07");
  WriteFile(m_root / "odd.mp3", std::string(1000, '\xFF') + record);
  const RunResult result = Run({"show", (m_root / "odd.mp3").string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "标题: A?[2JB?\n")) << result.out;
}

TEST_F(ShowTest, AFileThatCannotBeReadGivesStatusOne) {
  RunResult result = Run({"show", Song("无.mp3")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "cannot open '" + Song("无.mp3") + "'")) << result.err;
  result = Run({"show", Song("第二辑")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "is a folder")) << result.err;
}

#include "cli_runner.h"

using namespace cli_test;

using UsageTest = CliTest;

TEST_F(UsageTest, HelpGoesToStandardOutputWithStatusZero) {
  const RunResult top = Run({"--help"});
  EXPECT_EQ(top.status, 0);
  EXPECT_TRUE(Contains(top.out, "usage: versemill <command>")) << top.out;
  EXPECT_TRUE(Contains(top.out, "import")) << top.out;
  EXPECT_TRUE(top.err.empty()) << top.err;

  const struct {
    const char* command;
    const char* usage;
  } commands[] = {
      {"import", "usage: versemill import [--unsync] [--iriver] [--dry-run] PATH..."},
      {"tag", "usage: versemill tag [--unsync] [--iriver] LRC MP3"},
      {"show", "usage: versemill show MP3"},
      {"names", "usage: versemill names --to-name|--artist-first|--title-first MP3..."},
      {"shift", "usage: versemill shift LRC SECONDS [FIRST [LAST]]"},
  };
  for (const auto& c : commands) {
    const RunResult help = Run({c.command, "--help"});
    EXPECT_EQ(help.status, 0) << c.command;
    EXPECT_TRUE(Contains(help.out, c.usage)) << help.out;
    const RunResult shortHelp = Run({c.command, "-h"});
    EXPECT_EQ(shortHelp.out, help.out) << c.command;
  }
}

TEST_F(UsageTest, BadUsageGivesStatusTwoAndTheUsage) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"import"}, "no files or folders given"},
      {{"import", "--bogus", m_songs.string()}, "unknown option '--bogus'"},
      {{"tag", Song("晚风.lrc")}, "tag needs an LRC file and an MP3 file"},
      {{"tag", Song("晚风.lrc"), Song("晚风.mp3"), Song("晚风.mp3")}, "tag takes one"},
      {{"tag", "--dry-run", Song("晚风.lrc"), Song("晚风.mp3")}, "unknown option '--dry-run'"},
      {{"show"}, "show takes one MP3 file"},
      {{"show", "--unsync", Song("晚风.mp3")}, "unknown option '--unsync'"},
  };
  const auto before = Snapshot(m_songs);
  for (const auto& c : cases) {
    const RunResult result = Run(c.args);
    EXPECT_EQ(result.status, 2) << c.message;
    EXPECT_TRUE(Contains(result.err, std::string("versemill: ") + c.message)) << result.err;
    EXPECT_TRUE(Contains(result.err, "usage: versemill")) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
  EXPECT_EQ(Snapshot(m_songs), before);
}

TEST_F(UsageTest, AMissingPathStopsTheImportBeforeAnythingIsWritten) {
  const auto before = Snapshot(m_songs);
  const RunResult result = Run({"import", m_songs.string(), Song("没有这个文件夹")});
  EXPECT_EQ(result.status, 2);
  EXPECT_TRUE(Contains(result.err, "cannot find '" + Song("没有这个文件夹") + "'")) << result.err;
  EXPECT_TRUE(result.out.empty()) << result.out;
  EXPECT_EQ(Snapshot(m_songs), before);
}

TEST_F(UsageTest, OptionsEndAtTheDoubleDash) {
  const fs::path odd = m_root / "--unsync";
  fs::create_directory(odd);
  fs::copy(m_songs / "晚风.mp3", odd / "晚风.mp3");
  fs::copy(m_songs / "晚风.lrc", odd / "晚风.lrc");
  const RunResult result = Run({"import", "--", "--unsync"}, m_root);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "晚风.mp3 → --unsync/晚风.mp3\n")) << result.out;
  // Written in the default (timed) mode: the Lyrics3 tag is there.
  EXPECT_TRUE(Contains(ReadFile(odd / "晚风.mp3"), "LYRICS200")) << "synchronised mode expected";
}

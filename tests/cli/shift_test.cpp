#include "base/codepage.h"
#include "cli_runner.h"

using namespace cli_test;

using ShiftTest = CliTest;

namespace {

std::string Gbk(const std::string& utf8) { return Utf8ToCp936(utf8); }

}  // namespace

TEST_F(ShiftTest, MovesABlockAndKeepsTheHeader) {
  const RunResult result = Run({"shift", Song("月光小路.lrc"), "2", "2", "3"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Song("月光小路.lrc") + ": 2 lines (2-3) moved by 2 s\n");
  // Line 3 passes line 4 and keeps its place.
  EXPECT_EQ(ReadFile(Song("月光小路.lrc")),
            Gbk("[ti:月光小路]\r\n"
                "[00:00.200] 月光铺在回家的小路\r\n"
                "[00:03.200] 影子陪我一步又一步\r\n"
                "[00:04.200] 远处的灯火还亮着\r\n"
                "[00:03.000] 有人在门口等我\r\n"
                "[00:03.500] 远处的灯火还亮着\r\n"));
  // Read again, the lines are in time order once more and numbered so; the
  // block may be given in either order.
  ASSERT_EQ(Run({"shift", Song("月光小路.lrc"), "-2", "3", "2"}).status, 0);
  EXPECT_EQ(ReadFile(Song("月光小路.lrc")),
            Gbk("[ti:月光小路]\r\n"
                "[00:00.200] 月光铺在回家的小路\r\n"
                "[00:01.000] 有人在门口等我\r\n"
                "[00:01.200] 影子陪我一步又一步\r\n"
                "[00:03.500] 远处的灯火还亮着\r\n"
                "[00:04.200] 远处的灯火还亮着\r\n"));
  // One line alone.
  ASSERT_EQ(Run({"shift", Song("月光小路.lrc"), "+1", "5"}).status, 0);
  EXPECT_TRUE(Contains(ReadFile(Song("月光小路.lrc")), Gbk("[00:05.200] 远处的灯火还亮着\r\n")));
}

TEST_F(ShiftTest, EveryLineAndTimesBeforeTheStart) {
  const RunResult result = Run({"shift", Song("月光小路.lrc"), "-1"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Song("月光小路.lrc") + ": 5 lines (1-5) moved by -1 s; 1 before the start, written at 00:00.000\n");
  EXPECT_TRUE(Contains(ReadFile(Song("月光小路.lrc")), Gbk("[00:00.000] 月光铺在回家的小路\r\n[00:00.200] 影子")));
}

TEST_F(ShiftTest, RefusalsLeaveTheFileAsItWas) {
  const fs::path korean = m_songs / "korean.lrc";
  WriteFile(korean, "[ti:\xED\x95\x9C]\n[00:01]A\n");
  WriteFile(m_songs / "empty.lrc", "[ti:none]\n");
  const auto before = Snapshot(m_songs);
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {{"shift", Song("月光小路.lrc"), "1.5"}, 2, "'1.5' is not a whole number of seconds"},
      {{"shift", Song("月光小路.lrc"), "abc"}, 2, "'abc' is not a whole number of seconds"},
      {{"shift", Song("月光小路.lrc"), "1", "0"}, 2, "'0' is not a line number"},
      {{"shift", Song("月光小路.lrc")}, 2, "shift takes an LRC file"},
      {{"shift", Song("月光小路.lrc"), "1", "6"}, 1, "has only 5 lines"},
      {{"shift", (m_root / "none.lrc").string(), "1"}, 1, "cannot read"},
      {{"shift", (m_songs / "empty.lrc").string(), "1"}, 1, "has no timed lines"},
      {{"shift", korean.string(), "1"}, 1, "1 characters have no GBK form and would be lost; not written"},
  };
  for (const Case& c : cases) {
    const RunResult result = Run(c.args);
    EXPECT_EQ(result.status, c.status) << c.args.back();
    EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
  }
  EXPECT_EQ(Snapshot(m_songs), before);
}

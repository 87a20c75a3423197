// A failing or killed write never loses the user's file: it is either the old
// one or the new one, byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "tags/lyric_tag_writer.h"
#include "writer_test_util.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace wtest;
using Step = CLyricTagWriter::OutputStep;

namespace {

// A file with a tag and enough audio for several output blocks.
Bytes SampleFile() {
  return Concat({Tag(3, Concat({TextFrame("TIT2", "Name"), TextFrame("TPE1", "Singer")}), 100),
                 Audio(350000)});
}

}  // namespace

TEST(Durability, FailureAtEveryOutputStepLeavesTheFileUnchanged) {
  for (bool sync : {false, true}) {
    SCOPED_TRACE(sync ? "synchronised" : "unsynchronised");
    ScratchDir dir;
    WriteText(dir / "a.lrc", "[00:01.00]Hi\n[00:02.00]There\n");
    const Bytes original = SampleFile();
    WriteBytes(dir / "a.mp3", original);

    CLyricTagWriter w;
    w.m_bSyncLyric = sync;
    std::vector<Step> steps;
    int failAt = -1;
    w.m_fnOutputFault = [&](Step step, int index) {
      steps.push_back(step);
      return index != failAt;
    };
    int failures = 0;
    for (failAt = 0; failAt < 1000; ++failAt) {
      steps.clear();
      WriteResult r = w.WriteLyricTag((dir / "a.lrc").string(), (dir / "a.mp3").string(), "a.mp3");
      if (r.ok()) break;
      ++failures;
      EXPECT_EQ(r.status, WriteStatus::CannotWrite) << "step " << failAt;
      EXPECT_FALSE(r.detail.empty());
      ASSERT_EQ(ReadBytes(dir / "a.mp3"), original) << "step " << failAt;
      EXPECT_TRUE(dir.TempFiles().empty()) << "step " << failAt;
    }
    // Begin, at least four blocks of output, the commit.
    EXPECT_GE(failures, 6);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), Step::Begin);
    EXPECT_EQ(steps.back(), Step::Commit);
    EXPECT_EQ(size_t(failures), steps.size());
    // The write that finally went through is whole.
    const Bytes file = ReadBytes(dir / "a.mp3");
    ParsedTag t = ParseTag(file);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(t.Count("USLT"), 1);
    const size_t oldTagEnd = 10 + SS32(&original[6]);
    EXPECT_TRUE(std::equal(original.begin() + long(oldTagEnd), original.end(), file.begin() + long(t.tagEnd)));
    EXPECT_TRUE(dir.TempFiles().empty());
  }
}

TEST(Durability, FailedWriteLeavesNoTraceForTheNextOne) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]Hi\n");
  const Bytes original = SampleFile();
  WriteBytes(dir / "a.mp3", original);
  WriteBytes(dir / "b.mp3", original);
  CLyricTagWriter w;
  w.m_fnOutputFault = [](Step step, int) { return step != Step::Commit; };
  EXPECT_EQ(w.WriteLyricTag((dir / "a.lrc").string(), (dir / "a.mp3").string(), "a.mp3").status,
            WriteStatus::CannotWrite);
  EXPECT_EQ(ReadBytes(dir / "a.mp3"), original);
  w.m_fnOutputFault = nullptr;
  ASSERT_TRUE(w.WriteLyricTag((dir / "a.lrc").string(), (dir / "a.mp3").string(), "a.mp3").ok());
  ASSERT_TRUE(Write(dir / "a.lrc", dir / "b.mp3", true, false, "a.mp3").ok());
  EXPECT_EQ(ReadBytes(dir / "a.mp3"), ReadBytes(dir / "b.mp3"));
}

#ifndef _WIN32

namespace {

// Starts the batch driver; returns its process id.
pid_t StartDriver(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string exe = VM_BATCH_DRIVER;
  argv.push_back(exe.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

}  // namespace

TEST(Durability, KilledBatchLeavesEveryFileOldOrNew) {
  ScratchDir dir;
  WriteText(dir / "a.lrc", "[00:01.00]First lyric\n[00:02.00]Two\n");
  WriteText(dir / "b.lrc", "[00:03.00]Other lyric, longer than the first one\n");
  const Bytes original =
      Concat({Tag(3, TextFrame("TIT2", "Name"), 40), Audio(120000), B("TAG"), Bytes(125, 0)});

  // Reachable contents: A over the original, B over that, and back.
  std::vector<Bytes> states = {original};
  WriteBytes(dir / "ref.mp3", original);
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(Write(dir / (i % 2 ? "b.lrc" : "a.lrc"), dir / "ref.mp3", true, true).ok());
    states.push_back(ReadBytes(dir / "ref.mp3"));
  }
  ASSERT_EQ(states[3], states[1]);  // alternating lyrics gives two states only
  ASSERT_EQ(states[4], states[2]);
  ASSERT_NE(states[1], states[2]);
  const std::set<Bytes> allowed(states.begin(), states.begin() + 3);

  const int kFiles = 6;
  std::vector<std::string> args = {"1", "100000", (dir / "a.lrc").string(), (dir / "b.lrc").string()};
  for (int i = 0; i < kFiles; ++i) {
    std::string name = "song" + std::to_string(i) + ".mp3";
    WriteBytes(dir / name, original);
    args.push_back((dir / name).string());
  }

  std::mt19937 rng(12345);
  int changes = 0;
  std::vector<Bytes> previous(kFiles, original);
  for (int round = 0; round < 8; ++round) {
    pid_t pid = StartDriver(args);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + rng() % 120));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the driver ended by itself, status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    for (int i = 0; i < kFiles; ++i) {
      const fs::path p = dir / ("song" + std::to_string(i) + ".mp3");
      ASSERT_TRUE(fs::exists(p)) << "round " << round << " file " << i;
      Bytes now = ReadBytes(p);
      ASSERT_TRUE(allowed.count(now)) << "round " << round << " file " << i << " is neither old nor new ("
                                      << now.size() << " bytes)";
      changes += now != previous[i];
      previous[i] = std::move(now);
    }
  }
  // The driver did write between the kills.
  EXPECT_GT(changes, 0);
}

#else

TEST(Durability, KilledBatchLeavesEveryFileOldOrNew) { GTEST_SKIP() << "POSIX only"; }

#endif

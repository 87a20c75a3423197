// Damaged and hostile MP3 files: the writer never reads or writes outside
// its buffer (run under the sanitizers) and either writes a sound file or
// leaves the file byte for byte as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tags/id3v2.h"
#include "tags/lyric_tag_writer.h"
#include "writer_test_util.h"

using namespace wtest;

namespace {

// End of the ID3v2 tag a file starts with as its header declares it, 0 when
// there is none.
size_t DeclaredTagEnd(const Bytes& file) {
  if (file.size() < 10 || !LooksLikeId3v2(file.data(), file.size())) return 0;
  size_t end = 10 + SS32(&file[6]);
  if (file[3] == 4 && (file[5] & 0x10)) end += 10;
  return end;
}

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(m_dir / "a.lrc", "[00:01.00]Hi\n[00:02.50]Second line\n");
  }

  // Writes into a copy of original with each option set and checks the
  // outcome. Returns how many of the writes went through.
  int Check(const Bytes& original, const std::string& what) {
    int written = 0;
    for (int mode = 0; mode < 3; ++mode) {
      const bool sync = mode != 0, iriver = mode == 2;
      SCOPED_TRACE(what + " mode " + std::to_string(mode));
      const fs::path mp3 = m_dir / "x.mp3";
      WriteBytes(mp3, original);
      m_writer.m_bSyncLyric = sync;
      m_writer.m_bIRiver = iriver;
      WriteResult r = m_writer.WriteLyricTag((m_dir / "a.lrc").string(), mp3.string(), "x.mp3");
      const Bytes file = ReadBytes(mp3);
      EXPECT_TRUE(m_dir.TempFiles().empty());
      if (!r.ok()) {
        EXPECT_NE(r.status, WriteStatus::CannotWrite) << r.detail;
        EXPECT_FALSE(r.detail.empty());
        EXPECT_EQ(file, original) << r.detail;
        continue;
      }
      ++written;
      CheckWritten(original, file, sync);
    }
    return written;
  }

  void CheckWritten(const Bytes& original, const Bytes& file, bool sync) {
    ParsedTag before = ParseTagEitherSizes(original);
    ParsedTag t = ParseTagEitherSizes(file);
    // A sound tag stays sound; in a damaged one the new frames stand before
    // the damage, where every reader finds them.
    if (before.ok) {
      ASSERT_TRUE(t.ok) << t.error;
    } else {
      ASSERT_GE(file.size(), 10u);
      ASSERT_TRUE(std::equal(file.begin(), file.begin() + 3, "ID3"));
      ASSERT_LE(10 + SS32(&file[6]), file.size());
    }
    const ParsedTag::F* uslt = t.Find("USLT");
    ASSERT_NE(uslt, nullptr) << t.error;
    EXPECT_EQ(uslt->data, UsltData("Hi\nSecond line\n"));
    if (sync) {
      ASSERT_NE(t.Find("SYLT"), nullptr) << t.error;
      ASSERT_GE(file.size(), 128u);
      EXPECT_TRUE(std::equal(file.end() - 128, file.end() - 125, "TAG"));
    } else if (original.size() >= 10 && original[3] >= 3 && DeclaredTagEnd(original) <= original.size()) {
      // Everything after the tag is kept byte for byte.
      const size_t oldEnd = DeclaredTagEnd(original);
      const size_t newEnd = DeclaredTagEnd(file);
      ASSERT_EQ(file.size() - newEnd, original.size() - oldEnd);
      EXPECT_TRUE(std::equal(original.begin() + long(oldEnd), original.end(), file.begin() + long(newEnd)));
    }
  }

  ScratchDir m_dir;
  CLyricTagWriter m_writer;
};

std::vector<fs::path> CorpusFiles() {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(std::string(VM_TEST_DATA) + "/corpus/mp3"))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TEST_F(HostileInput, EveryCorpusFile) {
  const auto files = CorpusFiles();
  ASSERT_GT(files.size(), 50u);
  int written = 0;
  for (const fs::path& f : files) written += Check(ReadBytes(f), f.filename().string());
  // Most of them are ordinary files that must get the lyric.
  EXPECT_GT(written, int(files.size()) * 2);
}

TEST_F(HostileInput, TruncatedCorpusFiles) {
  std::mt19937 rng(99);
  int n = 0;
  for (const fs::path& f : CorpusFiles()) {
    const Bytes whole = ReadBytes(f);
    if (whole.size() < 20 || n++ % 3 != 0) continue;  // a third of them keeps it fast
    std::set<size_t> cuts = {0, 1, 2, 3, 5, 9, 10, 11, 127, 128, 129};
    const size_t tagEnd = DeclaredTagEnd(whole);
    for (size_t d : {1, 5, 11}) {
      if (tagEnd > d) cuts.insert(tagEnd - d);
      cuts.insert(tagEnd + d);
    }
    for (int i = 0; i < 3; ++i) cuts.insert(rng() % whole.size());
    for (size_t cut : cuts) {
      if (cut >= whole.size()) continue;
      Check(Slice(whole, 0, cut), f.filename().string() + " cut at " + std::to_string(cut));
    }
  }
}

TEST_F(HostileInput, DeclaredSizesBeyondTheFile) {
  const Bytes frames = Concat({TextFrame("TIT2", "Name"), TextFrame("TPE1", "Singer")});
  const Bytes audio = Audio(300);
  const Bytes good = Concat({Tag(3, frames, 20), audio});

  Bytes hugeTag = good;
  hugeTag[6] = hugeTag[7] = hugeTag[8] = hugeTag[9] = 0x7F;
  EXPECT_EQ(Check(hugeTag, "tag size 256 MB"), 0);

  Bytes notSynchsafe = good;
  notSynchsafe[8] = 0x80;
  EXPECT_EQ(Check(notSynchsafe, "tag size not synchsafe"), 0);

  Bytes hugeFrame = good;
  hugeFrame[14] = hugeFrame[15] = hugeFrame[16] = hugeFrame[17] = 0xFF;
  EXPECT_EQ(Check(hugeFrame, "frame size 4 GB"), 3);

  Bytes hugeSecond = good;
  hugeSecond[10 + 15 + 4] = 0x7F;
  EXPECT_EQ(Check(hugeSecond, "second frame too large"), 3);

  Bytes v22 = {'I', 'D', '3', 2, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
  Add(v22, audio);
  EXPECT_EQ(Check(v22, "version 2 tag beyond the file"), 0);

  Bytes ext3 = Tag(3, Concat({Bytes{0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, frames}), 0, 0x40);
  EXPECT_EQ(Check(Concat({ext3, audio}), "extended header beyond the tag"), 0);

  Bytes ext4 = Tag(4, Concat({Bytes{0x7F, 0x7F, 0x7F, 0x7F, 1, 0}, frames}), 0, 0x40);
  EXPECT_EQ(Check(Concat({ext4, audio}), "version 4 extended header beyond the tag"), 0);

  Bytes footerCut = Tag(4, TextFrame("TIT2", "Name", true), 0, 0x10);
  EXPECT_EQ(Check(footerCut, "footer flag without room for it"), 0);

  Bytes v5 = good;
  v5[3] = 5;
  EXPECT_EQ(Check(v5, "unknown version"), 0);
}

TEST_F(HostileInput, TinyFiles) {
  for (size_t n = 0; n <= 12; ++n) {
    Bytes id3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0, 0, 0};
    Check(Slice(id3, 0, n), "ID3 prefix of " + std::to_string(n));
    Check(Audio(n), "audio of " + std::to_string(n));
  }
  Bytes onlyRecord = Concat({B("TAG"), Bytes(125, 0)});
  EXPECT_EQ(Check(onlyRecord, "ID3v1 record only"), 3);
  Bytes emptyTag = Tag(3, {}, 0);
  EXPECT_EQ(Check(emptyTag, "empty tag, no audio"), 3);
}

TEST_F(HostileInput, RandomlyDamagedTags) {
  std::mt19937 rng(2024);
  const Bytes base = Concat({Tag(3, Concat({TextFrame("TIT2", "Name"), Frame("USLT", UsltData("old\n")),
                                            Frame("SYLT", Bytes(20, 1)), TextFrame("TPE1", "S")}),
                                 16),
                             Audio(200)});
  const Bytes v4tag =
      Tag(4, Concat({TextFrame("TIT2", "Name", true), Frame("TXXX", Bytes(40, 0xFF), true, 0, 2)}), 0, 0x10);
  const Bytes v4 = Concat({v4tag, B("3DI"), Slice(v4tag, 3, 7), Audio(100)});
  for (const Bytes* sample : {&base, &v4}) {
    const size_t span = std::min<size_t>(sample->size(), 120);
    for (int i = 0; i < 60; ++i) {
      Bytes damaged = *sample;
      for (int k = 0; k < 1 + int(rng() % 3); ++k) damaged[rng() % span] = uint8_t(rng());
      Check(damaged, "damage " + std::to_string(i));
    }
  }
}

// Tags the writer must not corrupt: version 4 sizes, unsynchronisation,
// extended headers and footers. Each result is walked frame by frame.
#include <gtest/gtest.h>

#include "tags/id3v2.h"
#include "writer_test_util.h"

using namespace wtest;

namespace {

const char* kLrc = "[00:01.00]Hi\n[00:02.00]There\n";

class TagShapes : public ::testing::Test {
 protected:
  void SetUp() override { WriteText(m_dir / "a.lrc", kLrc); }

  // Writes into a file holding bytes; returns the result's bytes.
  Bytes WriteInto(const Bytes& bytes, bool sync = true, bool iriver = false) {
    WriteBytes(m_dir / "a.mp3", bytes);
    WriteResult r = Write(m_dir / "a.lrc", m_dir / "a.mp3", sync, iriver);
    EXPECT_TRUE(r.ok()) << r.detail;
    return ReadBytes(m_dir / "a.mp3");
  }

  ScratchDir m_dir;
};

Bytes Footer(const Bytes& tag) { return Concat({B("3DI"), Slice(tag, 3, 7)}); }

}  // namespace

TEST_F(TagShapes, Version4SizesStaySynchsafe) {
  const Bytes tit2 = TextFrame("TIT2", std::string(300, 't'), true);  // size needs two 7-bit bytes
  const Bytes tpe1 = TextFrame("TPE1", "Singer", true);
  const Bytes audio = Audio(200);
  Bytes file = WriteInto(Concat({Tag(4, Concat({tit2, tpe1}), 30), audio}));
  EXPECT_EQ(file[3], 4);  // the version is kept
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT", "TPE1"}));
  EXPECT_EQ(Slice(file, 10, tit2.size()), tit2);
  EXPECT_EQ(t.Find("USLT")->data, UsltData("Hi\nThere\n"));
  EXPECT_EQ(t.bodyEnd - t.paddingBegin, 30u);
  EXPECT_EQ(Slice(file, t.tagEnd, audio.size()), audio);
}

TEST_F(TagShapes, Version4WithPlainSizesIsEditedInItsOwnWay) {
  // Some writers put plain numbers into version 4 frame sizes; 200 is C8 in
  // the last byte, which is not synchsafe.
  const Bytes tit2 = TextFrame("TIT2", std::string(199, 'x'), false);
  std::string lyric;
  for (int i = 0; i < 30; ++i) lyric += "[00:" + std::to_string(10 + i) + ".00]a longer line " + std::to_string(i) + "\n";
  WriteText(m_dir / "a.lrc", lyric);
  Bytes file = WriteInto(Concat({Tag(4, tit2, 10), Audio(100)}));
  EXPECT_FALSE(ParseTag(file).ok);
  ParsedTag t = ParseTag(file, 0);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT"}));
  EXPECT_GT(t.Find("SYLT")->size, 127u);
}

TEST_F(TagShapes, Version3UnsynchronisationIsRemoved) {
  // TIT2 data 00 'a' FF E0 'b' unsynchronised as 00 'a' FF 00 E0 'b'.
  const Bytes raw = Frame("TIT2", Bytes{0, 'a', 0xFF, 0xE0, 'b'});
  Bytes encoded = Frame("TIT2", Bytes{0, 'a', 0xFF, 0xE0, 'b'});
  encoded.insert(encoded.begin() + 13, 0x00);
  const Bytes tpe1 = TextFrame("TPE1", "S");
  const Bytes audio = Audio(150);
  Bytes file = WriteInto(Concat({Tag(3, Concat({encoded, tpe1}), 12, 0x80), audio}));
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.flags & 0x80, 0);
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT", "TPE1"}));
  EXPECT_EQ(Slice(file, 10, raw.size()), raw);
  EXPECT_EQ(t.bodyEnd - t.paddingBegin, 12u);
  EXPECT_EQ(Slice(file, t.tagEnd, audio.size()), audio);
}

TEST_F(TagShapes, CorpusUnsynchronisedTags) {
  {
    SCOPED_TRACE("version 3");
    Bytes file = WriteInto(ReadBytes(CorpusPath("taglib_unsynch.id3")));
    ParsedTag t = ParseTag(file);
    ASSERT_TRUE(t.ok) << t.error;
    ASSERT_NE(t.Find("TIT2"), nullptr);
    // 01 FE FF 00 00 4D ... in the file: the 00 after FF was inserted.
    EXPECT_EQ(Slice(t.Find("TIT2")->data, 0, 5), (Bytes{0x01, 0xFE, 0xFF, 0x00, 0x4D}));
    EXPECT_EQ(t.Count("USLT"), 1);
  }
  {
    SCOPED_TRACE("version 4 frame flag");
    Bytes file = WriteInto(ReadBytes(CorpusPath("taglib_unsynch24.id3")));
    ParsedTag t = ParseTag(file);
    ASSERT_TRUE(t.ok) << t.error;
    ASSERT_NE(t.Find("TIT2"), nullptr);
    EXPECT_EQ(t.Find("TIT2")->data, (Bytes{0x01, 0xFF, 0xFE, 0x48, 0x00, 0x69, 0x00}));
    EXPECT_EQ(t.Find("TIT2")->flags[1], 0);
    EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT"}));
  }
}

TEST_F(TagShapes, Version4WholeTagUnsyncFlag) {
  Bytes encoded = Frame("TIT2", Bytes{0, 0xFF, 0x00, 0xF0}, true);  // decodes to 00 FF F0
  Bytes plain = Frame("TALB", Bytes{0, 'A'}, true);
  Bytes file = WriteInto(Concat({Tag(4, Concat({encoded, plain}), 5, 0x80), Audio(90)}));
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.flags & 0x80, 0);
  EXPECT_EQ(t.Find("TIT2")->data, (Bytes{0, 0xFF, 0xF0}));
  EXPECT_EQ(t.Find("TALB")->data, (Bytes{0, 'A'}));
}

TEST_F(TagShapes, Version3ExtendedHeaderWithoutCrcIsKept) {
  const Bytes ext = {0, 0, 0, 6, 0, 0, 0, 0, 0, 20};  // 20 bytes of padding
  const Bytes tit2 = TextFrame("TIT2", "N");
  Bytes file = WriteInto(Concat({Tag(3, Concat({ext, tit2}), 20, 0x40), Audio(80)}));
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.flags & 0x40, 0x40);
  EXPECT_EQ(Slice(file, 10, ext.size()), ext);
  EXPECT_EQ(t.framesBegin, 20u);
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT"}));
  // The padding size it declares is still the padding there is.
  EXPECT_EQ(t.bodyEnd - t.paddingBegin, BE32(&file[16]));
}

TEST_F(TagShapes, ExtendedHeaderWithCrcIsDropped) {
  {
    SCOPED_TRACE("version 3");
    const Bytes ext = {0, 0, 0, 10, 0x80, 0, 0, 0, 0, 8, 0x12, 0x34, 0x56, 0x78};
    Bytes file = WriteInto(Concat({Tag(3, Concat({ext, TextFrame("TIT2", "N")}), 8, 0x40), Audio(80)}));
    ParsedTag t = ParseTag(file);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(t.flags & 0x40, 0);
    EXPECT_EQ(t.frames.front().offset, 10u);
    EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT"}));
  }
  {
    SCOPED_TRACE("version 4 corpus file");
    Bytes original = ReadBytes(CorpusPath("mutagen_id3v24_extended_header.id3"));
    ASSERT_EQ(original[5] & 0x40, 0x40);
    Bytes file = WriteInto(original);
    ParsedTag t = ParseTag(file);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(t.flags & 0x40, 0);
    EXPECT_EQ(t.Count("USLT"), 1);
    // The frames that were there are all still there.
    ParsedTag old = ParseTag(original);
    ASSERT_TRUE(old.ok) << old.error;
    ASSERT_FALSE(old.frames.empty());
    for (const auto& f : old.frames) {
      if (f.id == "USLT" || f.id == "SYLT" || f.id == "TCON") continue;
      ASSERT_NE(t.Find(f.id), nullptr) << f.id;
      EXPECT_EQ(t.Find(f.id)->data, f.data) << f.id;
    }
  }
}

TEST_F(TagShapes, Version4ExtendedHeaderWithoutCrcIsKept) {
  const Bytes ext = {0, 0, 0, 6, 1, 0x40};  // "tag is an update"
  Bytes file = WriteInto(Concat({Tag(4, Concat({ext, TextFrame("TIT2", "N", true)}), 4, 0x40), Audio(60)}));
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.flags & 0x40, 0x40);
  EXPECT_EQ(Slice(file, 10, 6), ext);
  EXPECT_EQ(t.framesBegin, 16u);
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT"}));
}

TEST_F(TagShapes, PlayerFrameGoesAfterAnExtendedHeader) {
  const Bytes ext = {0, 0, 0, 6, 1, 0x40};
  Bytes file = WriteInto(Concat({Tag(4, Concat({ext, TextFrame("TIT2", "N", true)}), 4, 0x40), Audio(60)}), true,
                         true);
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(Slice(file, 10, 6), ext);
  EXPECT_EQ(t.frames.front().id, "TXXX");
  EXPECT_EQ(t.frames.front().offset, 16u);
}

TEST_F(TagShapes, Version4FooterFollowsTheTag) {
  const Bytes tag = Tag(4, Concat({TextFrame("TIT2", "N", true), TextFrame("TPE1", "S", true)}), 0, 0x10);
  const Bytes audio = Audio(100);
  Bytes file = WriteInto(Concat({tag, Footer(tag), audio}));
  ParsedTag t = ParseTag(file);  // checks the footer's marker and size
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.tagEnd, t.bodyEnd + 10);
  EXPECT_EQ(Slice(file, t.bodyEnd, 10), Footer(file));
  EXPECT_EQ(Slice(file, t.tagEnd, audio.size()), audio);
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"TIT2", "TCON", "USLT", "SYLT", "TPE1"}));
}

TEST_F(TagShapes, IdentifierInsideAnotherFrameIsNotAFrame) {
  const Bytes comm = Frame("COMM", Concat({Bytes{0, 'e', 'n', 'g', 0}, B("USLT\0\0\0\x05 TPE1 SYLT")}));
  const Bytes tit2 = TextFrame("TIT2", "N");
  Bytes file = WriteInto(Concat({Tag(3, Concat({comm, tit2}), 10), Audio(80)}));
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.Ids(), (std::vector<std::string>{"COMM", "TIT2", "TCON", "USLT", "SYLT"}));
  EXPECT_EQ(Slice(file, 10, comm.size()), comm);
}

TEST_F(TagShapes, CorpusTagsKeepEveryOtherFrame) {
  int checked = 0;
  for (const auto& e : fs::directory_iterator(std::string(VM_TEST_DATA) + "/corpus/mp3")) {
    const Bytes original = ReadBytes(e.path());
    ParsedTag before = ParseTagEitherSizes(original);
    if (!before.ok || (before.major != 3 && before.major != 4) || (before.flags & 0x40)) continue;
    SCOPED_TRACE(e.path().filename().string());
    for (bool iriver : {false, true}) {
      Bytes file = WriteInto(original, true, iriver);
      ParsedTag t = ParseTagEitherSizes(file);
      ASSERT_TRUE(t.ok) << t.error;
      EXPECT_EQ(t.major, before.major);
      std::vector<const ParsedTag::F*> kept;
      for (const auto& f : t.frames) kept.push_back(&f);
      // Every old frame but the replaced USLT and SYLT is there, in order,
      // with the same bytes.
      size_t k = 0;
      bool usltSeen = false, syltSeen = false;
      for (const auto& f : before.frames) {
        if ((f.id == "USLT" && !usltSeen) || (f.id == "SYLT" && !syltSeen)) {
          (f.id == "USLT" ? usltSeen : syltSeen) = true;
          continue;
        }
        while (k < kept.size() && !(kept[k]->id == f.id && kept[k]->data == f.data)) ++k;
        ASSERT_LT(k, kept.size()) << "lost frame " << f.id;
        ++k;
      }
      EXPECT_EQ(t.Count("USLT"), std::max(1, before.Count("USLT")));
      ++checked;
    }
  }
  EXPECT_GT(checked, 40);
}

TEST_F(TagShapes, ExtendedHeaderFlagWithoutTheHeaderIsCleared) {
  // The flag is set but the frames start right after the header.
  Bytes original = ReadBytes(CorpusPath("mutagen_issue_21.id3"));
  ASSERT_EQ(original[5] & 0x40, 0x40);
  ASSERT_EQ(Slice(original, 10, 4), B("TIT2"));
  Bytes cleared = original;
  cleared[5] &= ~0x40;
  ParsedTag before = ParseTag(cleared);
  ASSERT_TRUE(before.ok) << before.error;
  Bytes file = WriteInto(original);
  ParsedTag t = ParseTag(file);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.flags & 0x40, 0);
  EXPECT_EQ(t.frames.size(), before.frames.size() + 2);  // USLT and SYLT; it has a TCON
  size_t k = 0;
  for (const auto& f : before.frames) {
    while (k < t.frames.size() && !(t.frames[k].id == f.id && t.frames[k].data == f.data)) ++k;
    ASSERT_LT(k, t.frames.size()) << "lost " << f.id;
    ++k;
  }
}

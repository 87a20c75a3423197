// The ID3v1 record: the file name built from it, its fields, and writing it
// in place or on the end.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/fileio.h"
#include "writer_test_util.h"
#include "tags/id3v1.h"

namespace {

namespace fs = std::filesystem;
using std::string;
using Scratch = wtest::ScratchDir;
using wtest::ReadAll;

struct Fields {
  Fields(string t = {}, string a = {}, string b = {}, string y = {}, string c = {}, char g = 0)
      : title(t), artist(a), album(b), year(y), comment(c), genre(g) {}
  string title, artist, album, year, comment;
  char genre;
};

// A record laid out by hand, each field padded with pad.
string Record(const Fields& f, char pad = '\0') {
  auto field = [pad](string s, size_t width) {
    s.resize(width, pad);
    return s;
  };
  return "TAG" + field(f.title, 30) + field(f.artist, 30) + field(f.album, 30) + field(f.year, 4) +
         field(f.comment, 30) + string(1, f.genre);
}


string FileName(const string& content) {
  Scratch scratch;
  string name = "stale";
  ReadId3v1FileName(scratch.Put("a.mp3", content), name);
  return name;
}

struct Read {
  bool found = false;
  string title = "-", artist = "-", album = "-", year = "-";
};
Read ReadFields(const string& content) {
  Scratch scratch;
  FILE* f = fileio::Open(scratch.Put("a.mp3", content), "rb");
  Read r;
  if (!f) return r;
  r.found = ReadId3v1Fields(f, r.title, r.artist, r.album, r.year);
  std::fclose(f);
  return r;
}

const string kAudio = string(500, '\xff');

}  // namespace

// ---- the file name --------------------------------------------------------

TEST(Id3v1FileName, ArtistDashTitle) {
  EXPECT_EQ(FileName(kAudio + Record({"Love Song", "Some Singer"})), "Some Singer - Love Song.mp3");
  // GBK text goes through as it is.
  EXPECT_EQ(FileName(kAudio + Record({"\xb8\xe8\xc3\xfb", "\xb8\xe8\xca\xd6"})),
            "\xb8\xe8\xca\xd6 - \xb8\xe8\xc3\xfb.mp3");
}

TEST(Id3v1FileName, WhiteSpaceAtBothEndsIsRemoved) {
  EXPECT_EQ(FileName(kAudio + Record({"Love Song", "Some Singer"}, ' ')), "Some Singer - Love Song.mp3");
  EXPECT_EQ(FileName(kAudio + Record({" \t\r\nLove  Song\v\f", "  Some Singer"})),
            "Some Singer - Love  Song.mp3");
}

TEST(Id3v1FileName, OnlyTwentyNineBytesOfTitleAndArtistCount) {
  const string title = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 30
  const string artist = "abcdefghijklmnopqrstuvwxyz!@#$";
  EXPECT_EQ(FileName(kAudio + Record({title, artist})), artist.substr(0, 29) + " - " + title.substr(0, 29) + ".mp3");
  // A double-byte character cut by the 29 bytes is dropped whole.
  const string gbk = string(28, 'a') + "\xb8\xe8";
  EXPECT_EQ(FileName(kAudio + Record({gbk, "S"})), "S - " + string(28, 'a') + ".mp3");
}

TEST(Id3v1FileName, EmptyWithoutARecord) {
  EXPECT_EQ(FileName(kAudio), "");
  EXPECT_EQ(FileName(string()), "");
  EXPECT_EQ(FileName("TAG"), "");
  EXPECT_EQ(FileName(Record({"T", "A"}).substr(1)), "");  // 127 bytes
  EXPECT_EQ(FileName(Record({"T", "A"}) + "x"), "");      // not at the very end
  EXPECT_EQ(FileName(Record({"T", "A"})), "A - T.mp3");    // the record is the whole file
  string name = "stale";
  ReadId3v1FileName("/nonexistent/versemill/a.mp3", name);
  EXPECT_EQ(name, "");
}

TEST(Id3v1FileName, ReadingMakesTheFileWritable) {
  Scratch scratch;
  const string path = scratch.Put("ro.mp3", kAudio + Record({"T", "A"}));
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  ASSERT_TRUE(fileio::IsReadOnly(path));
  string name;
  ReadId3v1FileName(path, name);
  EXPECT_EQ(name, "A - T.mp3");
  EXPECT_FALSE(fileio::IsReadOnly(path));
}

// ---- the fields --------------------------------------------------------------

TEST(Id3v1Fields, ReadAsTheyStand) {
  const Read r = ReadFields(kAudio + Record({"Title ", " Artist", "Album", "1999", "comment", 12}));
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.title, "Title ");  // no trimming
  EXPECT_EQ(r.artist, " Artist");
  EXPECT_EQ(r.album, "Album");
  EXPECT_EQ(r.year, "1999");
}

TEST(Id3v1Fields, FullFieldsCountTwentyNineBytesAndTheYearFour) {
  const string full(30, 'x');
  const Read r = ReadFields(kAudio + Record({full, full + "", string(30, 'y'), "2024", "Comment right after"}));
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.title, string(29, 'x'));
  EXPECT_EQ(r.artist, string(29, 'x'));
  EXPECT_EQ(r.album, string(29, 'y'));
  EXPECT_EQ(r.year, "2024");
  EXPECT_EQ(ReadFields(kAudio + Record({"", "", "", "19"})).year, "19");
}

TEST(Id3v1Fields, NoRecordLeavesTheOutputs) {
  for (const string& content : {kAudio, string(), string("TAG"), Record({"T"}).substr(0, 127)}) {
    const Read r = ReadFields(content);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.title, "-");
    EXPECT_EQ(r.year, "-");
  }
  string t, a, b, y;
  EXPECT_FALSE(ReadId3v1Fields(nullptr, t, a, b, y));
}

TEST(Id3v1Fields, TheWholeBodyAsItStands) {
  const string record = Record({"Title", "Artist", "Album", "1999", "comment", 12});
  Scratch scratch;
  FILE* f = fileio::Open(scratch.Put("a.mp3", kAudio + record), "rb");
  ASSERT_NE(f, nullptr);
  Id3v1Fields fields;
  EXPECT_TRUE(ReadId3v1Body(f, fields));
  std::fclose(f);
  EXPECT_EQ(string(fields.body, sizeof fields.body), record.substr(3));

  // Without a record the body is left as it was.
  f = fileio::Open(scratch.Put("b.mp3", kAudio), "rb");
  ASSERT_NE(f, nullptr);
  Id3v1Fields untouched;
  untouched.body[124] = 7;
  EXPECT_FALSE(ReadId3v1Body(f, untouched));
  std::fclose(f);
  EXPECT_EQ(untouched.body[124], 7);
  EXPECT_FALSE(ReadId3v1Body(nullptr, untouched));
}

// ---- building and writing ------------------------------------------------------

TEST(Id3v1Write, SetFieldCutsToTheWidthAtACharacterBoundary) {
  Id3v1Fields f;
  f.SetField(0, 30, string(40, 'T'));
  EXPECT_EQ(string(f.body, 30), string(30, 'T'));
  EXPECT_EQ(f.body[30], 0);
  f.SetField(30, 30, "Artist");
  EXPECT_EQ(string(f.body + 30, 30), "Artist" + string(24, '\0'));
  f.SetField(30, 30, "Ab");  // a shorter text clears what stood there
  EXPECT_EQ(string(f.body + 30, 30), "Ab" + string(28, '\0'));
  f.SetField(90, 4, "19999");
  EXPECT_EQ(string(f.body + 90, 4), "1999");
  f.SetField(60, 30, string(29, 'a') + "\xb8\xe8");
  EXPECT_EQ(string(f.body + 60, 30), string(29, 'a') + '\0');
  // Outside the body nothing happens; a width past its end is clipped.
  Id3v1Fields g;
  g.SetField(125, 30, "x");
  g.SetField(124, 30, "gx");
  EXPECT_EQ(string(g.body, 125), string(124, '\0') + "g");
}

TEST(Id3v1Write, FlagSetKeepsAlbumYearCommentAndGenre) {
  Scratch scratch;
  const string path = scratch.Put("a.mp3", kAudio + Record({"Old", "Old", "Album", "1999", "Comment", 17}));
  Id3v1Fields f;
  f.SetField(0, 30, "New Title");
  f.SetField(30, 30, "New Artist");
  f.SetField(60, 30, "Ignored");
  ASSERT_TRUE(WriteId3v1(f, path, true).ok());
  EXPECT_EQ(ReadAll(path), kAudio + Record({"New Title", "New Artist", "Album", "1999", "Comment", 17}));
}

TEST(Id3v1Write, FlagClearWritesTheWholeBody) {
  Scratch scratch;
  const string path = scratch.Put("a.mp3", kAudio + Record({"Old", "Old", "Album", "1999", "Comment", 17}));
  Id3v1Fields f;
  f.SetField(0, 30, "T");
  f.SetField(30, 30, "A");
  f.SetField(60, 30, "B");
  f.SetField(90, 4, "2024");
  ASSERT_TRUE(WriteId3v1(f, path, false).ok());
  EXPECT_EQ(ReadAll(path), kAudio + Record({"T", "A", "B", "2024"}));

  // Read back through the reader.
  FILE* file = fileio::Open(path, "rb");
  ASSERT_NE(file, nullptr);
  string t, a, b, y;
  EXPECT_TRUE(ReadId3v1Fields(file, t, a, b, y));
  std::fclose(file);
  EXPECT_EQ(t + "|" + a + "|" + b + "|" + y, "T|A|B|2024");
}

TEST(Id3v1Write, AFileWithoutARecordGetsAWholeOneAppended) {
  for (bool flag : {true, false}) {
    for (const string& content : {kAudio, string(), string("TAG..short")}) {
      SCOPED_TRACE(content.size());
      Scratch scratch;
      const string path = scratch.Put("a.mp3", content);
      Id3v1Fields f;
      f.SetField(0, 30, "T");
      f.SetField(30, 30, "A");
      f.SetField(60, 30, "Album");
      f.body[124] = 5;
      ASSERT_TRUE(WriteId3v1(f, path, flag).ok());
      EXPECT_EQ(ReadAll(path), content + Record({"T", "A", "Album", "", "", 5}));
    }
  }
}

TEST(Id3v1Write, FailuresAreReportedAndChangeNothing) {
  Scratch scratch;
  Id3v1Fields f;
  f.SetField(0, 30, "T");
  WriteResult r = WriteId3v1(f, (scratch / "missing.mp3").string(), true);
  EXPECT_EQ(r.status, WriteStatus::CannotOpen);
  EXPECT_FALSE(r.detail.empty());
  EXPECT_FALSE(fs::exists(scratch / "missing.mp3"));
  // A folder cannot be opened for update, not even by an administrator.
  fs::create_directories(scratch / "folder.mp3");
  r = WriteId3v1(f, (scratch / "folder.mp3").string(), false);
  EXPECT_FALSE(r.ok());
}

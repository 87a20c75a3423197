// The batch conversion's name rules: splitting "artist - title.mp3", the
// record a name gives, names the file system refuses, and the name a record
// gives, on real files.
#include "import/batch_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/fileio.h"

namespace {

namespace fs = std::filesystem;
using std::string;

// GBK "歌手" and "歌名".
const string kSinger = "\xB8\xE8\xCA\xD6";
const string kSong = "\xB8\xE8\xC3\xFB";

string Field(const Id3v1Fields& fields, size_t offset, size_t width) {
  const string text(fields.body + offset, width);
  return text.substr(0, text.find('\0'));
}
string Title(const Id3v1Fields& f) { return Field(f, 0, 30); }
string Artist(const Id3v1Fields& f) { return Field(f, 30, 30); }

// A record laid out by hand.
string Record(const string& title, const string& artist, const string& album = "",
              const string& year = "", const string& comment = "", char genre = 0) {
  auto field = [](string s, size_t width) {
    s.resize(width, '\0');
    return s;
  };
  return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
         field(comment, 30) + string(1, genre);
}

const string kAudio = string("\xFF\xFB\x90\x00", 4) + string(300, 'U');

class Scratch {
 public:
  Scratch() {
    static int counter = 0;
    std::random_device rd;
    m_path = fs::temp_directory_path() / ("vm-batch-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    fs::create_directories(m_path);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  string Put(const string& name, const string& bytes) const {
    const fs::path p = m_path / name;
    std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return p.string();
  }
  string Path(const string& name) const { return (m_path / name).string(); }
  static string Read(const string& path) {
    std::ifstream in(path, std::ios::binary);
    return string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

 private:
  fs::path m_path;
};

}  // namespace

TEST(SplitSongName, TheFirstDashDividesAndTheEndingGoes) {
  const struct {
    string name, first, second;
  } cases[] = {
      {"Singer - Song.mp3", "Singer", "Song"},
      {"A - B - C.mp3", "A", "B - C"},  // only the first dash counts
      {"Song.mp3", "Song", ""},         // no dash: the name less its ending
      {"  Singer \t-   Song  .mp3", "Singer", "Song"},
      {"Singer - Song.MP3", "Singer", "Song"},
      // Without blanks every character stays, a double-byte one too.
      {"Singer-Song.mp3", "Singer", "Song"},
      {kSinger + "-" + kSong + ".mp3", kSinger, kSong},
      {kSinger + " - " + kSong + ".mp3", kSinger, kSong},
      {"-Song.mp3", "", "Song"},
      {"Singer -.mp3", "Singer", ""},
      {"ab.m-3", "ab", ""},  // a dash inside the ending divides nothing
      {".mp3", "", ""},
      {"mp3", "", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    const SongNameParts parts = SplitSongName(c.name);
    EXPECT_EQ(c.first, parts.first) << c.name;
    EXPECT_EQ(c.second, parts.second) << c.name;
  }
}

TEST(FieldsFromSongName, TheTwoOrders) {
  Id3v1Fields f = FieldsFromSongName("Singer - Song.mp3", BATCH_ARTIST_FIRST);
  EXPECT_EQ("Song", Title(f));
  EXPECT_EQ("Singer", Artist(f));

  f = FieldsFromSongName("Singer - Song.mp3", BATCH_TITLE_FIRST);
  EXPECT_EQ("Singer", Title(f));
  EXPECT_EQ("Song", Artist(f));

  f = FieldsFromSongName("Song.mp3", BATCH_TITLE_FIRST);
  EXPECT_EQ("Song", Title(f));
  EXPECT_EQ("", Artist(f));

  f = FieldsFromSongName("A - B - C.mp3", BATCH_ARTIST_FIRST);
  EXPECT_EQ("B - C", Title(f));
  EXPECT_EQ("A", Artist(f));

  // Everything past title and artist is zero.
  for (size_t i = 60; i < sizeof f.body; ++i) EXPECT_EQ(0, f.body[i]) << i;
}

TEST(FieldsFromSongName, PartsAreCutAtThirtyBytesOnACharacterBoundary) {
  // 30 bytes exactly: the field is full, without a terminator.
  const string thirty(30, 't');
  Id3v1Fields f = FieldsFromSongName("a - " + thirty + ".mp3", BATCH_ARTIST_FIRST);
  EXPECT_EQ(0, std::memcmp(f.body, thirty.data(), 30));
  EXPECT_EQ('a', f.body[30]);

  // Longer: cut at 30.
  f = FieldsFromSongName(string(40, 'x') + " - b.mp3", BATCH_ARTIST_FIRST);
  EXPECT_EQ(string(30, 'x'), string(f.body + 30, 30));
  EXPECT_EQ("b", Title(f));

  // "x" + 15 double-byte characters: byte 30 would be half a character, so
  // the field ends after 14 of them, zero-padded.
  string chinese = "x";
  for (int i = 0; i < 15; ++i) chinese += kSong.substr(0, 2);
  f = FieldsFromSongName("a - " + chinese + ".mp3", BATCH_ARTIST_FIRST);
  EXPECT_EQ(chinese.substr(0, 29), Title(f));
  EXPECT_EQ(0, f.body[29]);
  EXPECT_EQ("a", Artist(f));
}

TEST(CheckFileName, RefusedCharactersAndEmptyNames) {
  EXPECT_EQ(FileNameCheck::Usable, CheckFileName("Singer - Song.mp3"));
  EXPECT_EQ(FileNameCheck::Usable, CheckFileName(kSinger + " - " + kSong + ".mp3"));
  EXPECT_EQ(FileNameCheck::Empty, CheckFileName(""));
  for (const char* bad : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "\t", "\x01", "\x7F"}) {
    EXPECT_EQ(FileNameCheck::RefusedCharacter, CheckFileName(string("AC") + bad + "DC - x.mp3"))
        << int(bad[0]);
  }
  // Trail bytes with the values of '\\' and '|' belong to their characters.
  EXPECT_EQ(FileNameCheck::Usable, CheckFileName("\xCA\x5C - \xD8\x7C.mp3"));
  // A lead byte standing alone at the end cannot hide the refused byte before it.
  EXPECT_EQ(FileNameCheck::RefusedCharacter, CheckFileName("a|\xB8"));
}

TEST(FileNameFromTag, NameFromTheRecord) {
  Scratch scratch;
  const string path = scratch.Put("a.mp3", kAudio + Record("Song", "Singer"));
  TagFileName name = FileNameFromTag(path);
  EXPECT_EQ(TagNameStatus::Named, name.status);
  EXPECT_EQ("Singer - Song.mp3", name.name);

  // GBK fields come through as they are.
  name = FileNameFromTag(scratch.Put("b.mp3", kAudio + Record(kSong, kSinger)));
  EXPECT_EQ(TagNameStatus::Named, name.status);
  EXPECT_EQ(kSinger + " - " + kSong + ".mp3", name.name);

  // Only the title: the artist's place stays empty.
  name = FileNameFromTag(scratch.Put("c.mp3", kAudio + Record("Song", "")));
  EXPECT_EQ(TagNameStatus::Named, name.status);
  EXPECT_EQ(" - Song.mp3", name.name);
}

TEST(FileNameFromTag, NoNameWithoutARecordOrFile) {
  Scratch scratch;
  TagFileName name = FileNameFromTag(scratch.Put("a.mp3", kAudio));
  EXPECT_EQ(TagNameStatus::NoRecord, name.status);
  EXPECT_EQ("", name.name);

  name = FileNameFromTag(scratch.Put("short.mp3", "TAG"));
  EXPECT_EQ(TagNameStatus::NoRecord, name.status);

  name = FileNameFromTag(scratch.Path("missing.mp3"));
  EXPECT_EQ(TagNameStatus::CannotOpen, name.status);
  EXPECT_EQ("", name.name);

  // A record whose title and artist are empty (or blank) names nothing.
  name = FileNameFromTag(scratch.Put("empty.mp3", kAudio + Record("", "", "Album", "2004")));
  EXPECT_EQ(TagNameStatus::EmptyTag, name.status);
  EXPECT_EQ("", name.name);
  name = FileNameFromTag(scratch.Put("blank.mp3", kAudio + Record("   ", " ")));
  EXPECT_EQ(TagNameStatus::EmptyTag, name.status);
}

TEST(FileNameFromTag, RefusedCharacterIsReportedWithTheName) {
  Scratch scratch;
  const TagFileName name = FileNameFromTag(scratch.Put("a.mp3", kAudio + Record("Back?", "AC/DC")));
  EXPECT_EQ(TagNameStatus::RefusedCharacter, name.status);
  EXPECT_EQ("AC/DC - Back?.mp3", name.name);
}

TEST(WriteTagFromName, ReplacesTitleAndArtistOnly) {
  Scratch scratch;
  const string path = scratch.Put("Singer - Song.mp3",
                                  kAudio + Record("Old", "Someone", "Album", "2004", "note", 17));
  ASSERT_TRUE(WriteTagFromName(path, "Singer - Song.mp3", BATCH_ARTIST_FIRST).ok());
  const string bytes = Scratch::Read(path);
  ASSERT_EQ(kAudio.size() + 128, bytes.size());
  EXPECT_EQ(kAudio + Record("Song", "Singer", "Album", "2004", "note", 17), bytes);

  ASSERT_TRUE(WriteTagFromName(path, "Singer - Song.mp3", BATCH_TITLE_FIRST).ok());
  EXPECT_EQ(kAudio + Record("Singer", "Song", "Album", "2004", "note", 17), Scratch::Read(path));
}

TEST(WriteTagFromName, FileWithoutARecordGetsAWholeOne) {
  Scratch scratch;
  const string path = scratch.Put("a.mp3", kAudio);
  ASSERT_TRUE(WriteTagFromName(path, "Singer-Song.mp3", BATCH_ARTIST_FIRST).ok());
  EXPECT_EQ(kAudio + Record("Song", "Singer"), Scratch::Read(path));
  // And the name comes back from it.
  EXPECT_EQ("Singer - Song.mp3", FileNameFromTag(path).name);
}

TEST(WriteTagFromName, MissingFileIsReportedAndNotMade) {
  Scratch scratch;
  const string path = scratch.Path("gone.mp3");
  const WriteResult result = WriteTagFromName(path, "a - b.mp3", BATCH_ARTIST_FIRST);
  EXPECT_EQ(WriteStatus::CannotOpen, result.status);
  EXPECT_FALSE(fileio::Exists(path));
}

TEST(BatchChoice, OnlyTheThreeDirections) {
  EXPECT_TRUE(IsBatchChoice(1));
  EXPECT_TRUE(IsBatchChoice(2));
  EXPECT_TRUE(IsBatchChoice(3));
  EXPECT_FALSE(IsBatchChoice(-1));
  EXPECT_FALSE(IsBatchChoice(0));
  EXPECT_FALSE(IsBatchChoice(4));
}

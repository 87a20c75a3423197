#include "import/pairing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/fileio.h"

namespace {

// The import loop over two lists of names: the (lyric, MP3) pairs it writes.
std::vector<std::pair<int, int>> RunPairs(const std::vector<std::string>& lyrics,
                                          const std::vector<std::string>& mp3s) {
  std::vector<std::pair<int, int>> pairs;
  for (size_t i = 0; i < lyrics.size(); ++i) {
    const Pairing p = PairLyric(i, lyrics.size(), lyrics[i], mp3s.size(),
                                [&mp3s](size_t n) { return mp3s[n]; });
    if (p.mp3 >= 0) pairs.emplace_back(p.lyric, p.mp3);
  }
  return pairs;
}

using Pairs = std::vector<std::pair<int, int>>;

int Find(const std::vector<std::string>& names, const std::string& prefix) {
  return FindNamePrefix(names.size(), [&names](size_t n) { return names[n]; }, prefix);
}

}  // namespace

TEST(DerivedMp3Name, ReplacesTheLastFourCharacters) {
  EXPECT_EQ(DerivedMp3Name("Love Song.lrc"), "Love Song.mp3");
  EXPECT_EQ(DerivedMp3Name("a.LRC"), "a.mp3");
  EXPECT_EQ(DerivedMp3Name("Song.mp3.lrc"), "Song.mp3.mp3");
  // GBK "月光" + ".lrc"
  EXPECT_EQ(DerivedMp3Name("\xD4\xC2\xB9\xE2.lrc"), "\xD4\xC2\xB9\xE2.mp3");
  EXPECT_EQ(DerivedMp3Name(".lrc"), ".mp3");
  EXPECT_EQ(DerivedMp3Name("ab"), ".mp3");
}

TEST(FindNamePrefix, SearchesFromEntryOneAndLooksAtEntryZeroLast) {
  EXPECT_EQ(Find({"Song.mp3", "Other.mp3", "Song.mp3"}, "Song.mp3"), 2);
  EXPECT_EQ(Find({"Song.mp3", "Song.mp3"}, "Song.mp3"), 1);
  EXPECT_EQ(Find({"Song.mp3", "Other.mp3"}, "Song.mp3"), 0);
  EXPECT_EQ(Find({"x.mp3", "Song.mp3", "Song.mp3"}, "Song.mp3"), 1);
  EXPECT_EQ(Find({"Song.mp3"}, "Song.mp3"), 0);
  EXPECT_EQ(Find({}, "Song.mp3"), -1);
  EXPECT_EQ(Find({"a.mp3", "b.mp3"}, "c.mp3"), -1);
}

TEST(FindNamePrefix, MatchesBeginningsIgnoringCase) {
  EXPECT_EQ(Find({"x.mp3", "A.MP3"}, "a.mp3"), 1);
  EXPECT_EQ(Find({"x.mp3", "Song.mp3.mp3"}, "Song.mp3"), 1);
  EXPECT_EQ(Find({"x.mp3", "Song.mp"}, "Song.mp3"), -1);
  EXPECT_EQ(Find({"x.mp3", "My Song.mp3"}, "Song.mp3"), -1);
}

TEST(FindNamePrefix, NeverFoldsTheTrailByteOfAGbkCharacter) {
  // 0x81 0x41 and 0x81 0x61 are two different characters whose trail bytes
  // happen to be 'A' and 'a'.
  EXPECT_EQ(Find({"x.mp3", "\x81\x61.mp3"}, "\x81\x41.mp3"), -1);
  EXPECT_EQ(Find({"x.mp3", "\x81\x41.mp3"}, "\x81\x41.mp3"), 1);
  // "\xB0\x42" is one character; the letters after it fold as usual.
  EXPECT_EQ(Find({"x.mp3", "\xB0\x42" "Ab.MP3"}, "\xB0\x42" "aB.mp3"), 1);
  EXPECT_EQ(Find({"x.mp3", "\xB0\x62" "ab.mp3"}, "\xB0\x42" "ab.mp3"), -1);
}

TEST(PairLyric, PairsByTheDerivedName) {
  // a.lrc against [x.mp3, A.MP3]: written into A.MP3, listed as a.mp3.
  EXPECT_EQ(RunPairs({"a.lrc"}, {"x.mp3", "A.MP3"}), (Pairs{{0, 1}}));
  // Song.lrc against [Song.mp3 (folder A), Other.mp3, Song.mp3 (folder B)].
  EXPECT_EQ(RunPairs({"Song.lrc", "Else.lrc"}, {"Song.mp3", "Other.mp3", "Song.mp3"}),
            (Pairs{{0, 2}}));
  EXPECT_EQ(RunPairs({"Song.lrc"}, {"Song.mp3", "Other.mp3", "Song.mp3"}), (Pairs{{0, 2}}));
  // Song.lrc and only Song.mp3.mp3.
  EXPECT_EQ(RunPairs({"Song.lrc", "Else.lrc"}, {"Other.mp3", "Song.mp3.mp3"}), (Pairs{{0, 1}}));
}

TEST(PairLyric, ASingleLyricGoesIntoTheFirstMp3WhenNoNameFits) {
  EXPECT_EQ(RunPairs({"x.lrc"}, {"a.mp3", "b.mp3"}), (Pairs{{0, 0}}));
  // A name that fits still wins.
  EXPECT_EQ(RunPairs({"b.lrc"}, {"a.mp3", "b.mp3"}), (Pairs{{0, 1}}));
  // With nothing to write into there is no pair.
  EXPECT_EQ(RunPairs({"x.lrc"}, {}), Pairs{});
}

TEST(PairLyric, TwoLyricsAndAnUnrelatedMp3GiveNothing) {
  EXPECT_EQ(RunPairs({"x.lrc", "y.lrc"}, {"a.mp3"}), Pairs{});
}

TEST(PairLyric, LyricsWithoutAnMp3AreSkipped) {
  EXPECT_EQ(RunPairs({"a.lrc", "b.lrc", "c.lrc"}, {"c.mp3", "a.mp3"}),
            (Pairs{{0, 1}, {2, 0}}));
}

TEST(PairLyric, ReturnsTheLyricItWasAskedAbout) {
  const std::vector<std::string> mp3s = {"x.mp3", "c.mp3"};
  const Pairing p = PairLyric(2, 3, "C.lrc", mp3s.size(), [&mp3s](size_t n) { return mp3s[n]; });
  EXPECT_EQ(p.lyric, 2);
  EXPECT_EQ(p.mp3, 1);
  const Pairing none = PairLyric(1, 3, "q.lrc", mp3s.size(), [&mp3s](size_t n) { return mp3s[n]; });
  EXPECT_EQ(none.lyric, -1);
  EXPECT_EQ(none.mp3, -1);
}

TEST(ClassifyPath, FolderScansTakeOneEndingOnly) {
  const std::string mp3 = fileio::JoinPath("music", "A.MP3");
  const std::string lyric = fileio::JoinPath("music", "b.Lrc");
  const std::string text = fileio::JoinPath("music", "c.txt");
  EXPECT_EQ(ClassifyPath(mp3, AddMode::Mp3Scan), ListKind::Mp3);
  EXPECT_EQ(ClassifyPath(lyric, AddMode::Mp3Scan), ListKind::None);
  EXPECT_EQ(ClassifyPath(text, AddMode::Mp3Scan), ListKind::None);
  EXPECT_EQ(ClassifyPath(mp3, AddMode::LyricScan), ListKind::None);
  EXPECT_EQ(ClassifyPath(lyric, AddMode::LyricScan), ListKind::Lyric);
  EXPECT_EQ(ClassifyPath(text, AddMode::LyricScan), ListKind::None);
}

TEST(ClassifyPath, DroppedFilesGoToTheirList) {
  EXPECT_EQ(ClassifyPath(fileio::JoinPath("d", "x.mp3"), AddMode::Dropped), ListKind::Mp3);
  EXPECT_EQ(ClassifyPath(fileio::JoinPath("d", "y.lrc"), AddMode::Dropped), ListKind::Lyric);
  EXPECT_EQ(ClassifyPath(fileio::JoinPath("d", "z.wav"), AddMode::Dropped), ListKind::None);
  // Only the name counts: a folder called "album.mp3" is taken like a file,
  // a file inside a folder called "x.lrc" is not.
  EXPECT_EQ(ClassifyPath(fileio::JoinPath("d", "album.mp3"), AddMode::Dropped), ListKind::Mp3);
  EXPECT_EQ(ClassifyPath(fileio::JoinPath("x.lrc", "notes"), AddMode::Dropped), ListKind::None);
}

TEST(ClassifyPath, IgnoresAPathWithoutAFolder) {
  for (AddMode mode : {AddMode::Mp3Scan, AddMode::LyricScan, AddMode::Dropped}) {
    EXPECT_EQ(ClassifyPath("x.mp3", mode), ListKind::None);
    EXPECT_EQ(ClassifyPath("y.lrc", mode), ListKind::None);
  }
}

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/fileio.h"
#include "import/pairing.h"

namespace fs = std::filesystem;

namespace {

// A folder tree of empty files under a fresh temporary folder.
class ScanFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_root = fs::temp_directory_path() / (std::string("vm-scan-") + info->name());
    fs::remove_all(m_root);
    fs::create_directories(m_root);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }

  void File(const std::string& relative) {
    const fs::path path = m_root / fs::path(relative);
    fs::create_directories(path.parent_path());
    std::ofstream(path).put('x');
  }
  void Folder(const std::string& relative) { fs::create_directories(m_root / fs::path(relative)); }

  std::string Root() const { return m_root.string(); }
  // A path under the root in the form the scan gives it.
  std::string Under(std::initializer_list<const char*> parts) const {
    std::string path = Root();
    for (const char* part : parts) path = fileio::JoinPath(path, part);
    return path;
  }

  std::vector<std::string> Scan() const {
    std::vector<std::string> offered;
    ScanFolder(Root(), [&offered](const std::string& path) { offered.push_back(path); });
    return offered;
  }

  fs::path m_root;
};

}  // namespace

TEST_F(ScanFolderTest, OffersAFoldersOwnEntriesBeforeItsSubFolders) {
  File("b.mp3");
  File("a.lrc");
  File("c.txt");
  File("sub1/x.mp3");
  File("sub1/deep/y.mp3");
  File("sub2/z.lrc");
  const std::vector<std::string> expected = {
      Under({"a.lrc"}),         Under({"b.mp3"}),
      Under({"c.txt"}),         Under({"sub1"}),
      Under({"sub2"}),          Under({"sub1", "deep"}),
      Under({"sub1", "x.mp3"}), Under({"sub1", "deep", "y.mp3"}),
      Under({"sub2", "z.lrc"}),
  };
  EXPECT_EQ(Scan(), expected);
}

TEST_F(ScanFolderTest, ThreeFilesAndASubFolderWithTwoMoreAddFive) {
  File("1.mp3");
  File("2.mp3");
  File("3.MP3");
  File("more/4.mp3");
  File("more/5.mp3");
  File("more/notes.txt");
  int mp3 = 0;
  for (const std::string& path : Scan()) {
    if (ClassifyPath(path, AddMode::Mp3Scan) == ListKind::Mp3) ++mp3;
  }
  EXPECT_EQ(mp3, 5);
}

TEST_F(ScanFolderTest, OffersFoldersWhoseNamesEndLikeFiles) {
  Folder("album.mp3");
  File("album.mp3/inner.lrc");
  const std::vector<std::string> offered = Scan();
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(ClassifyPath(offered[0], AddMode::Dropped), ListKind::Mp3);
  EXPECT_EQ(ClassifyPath(offered[1], AddMode::Dropped), ListKind::Lyric);
}

TEST_F(ScanFolderTest, OffersNothingForAMissingOrEmptyFolder) {
  EXPECT_TRUE(Scan().empty());
  std::vector<std::string> offered;
  ScanFolder(Under({"missing"}), [&offered](const std::string& path) { offered.push_back(path); });
  EXPECT_TRUE(offered.empty());
}

#ifndef _WIN32
TEST_F(ScanFolderTest, DoesNotWalkALinkBackToAFolderAlreadyScanned) {
  File("a.mp3");
  File("sub/b.lrc");
  fs::create_directory_symlink(m_root, m_root / "sub" / "loop");
  const std::vector<std::string> expected = {
      Under({"a.mp3"}),
      Under({"sub"}),
      Under({"sub", "b.lrc"}),
      Under({"sub", "loop"}),
  };
  EXPECT_EQ(Scan(), expected);
}
#endif

#include "base/fileio.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using fileio::AtomicReplace;

// A fresh folder under the system's temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> s_n{0};
#ifdef _WIN32
    const char* base = std::getenv("TEMP");
    std::string root = base ? base : ".";
    unsigned pid = static_cast<unsigned>(_getpid());
#else
    const char* base = std::getenv("TMPDIR");
    std::string root = base && *base ? base : "/tmp";
    unsigned pid = static_cast<unsigned>(getpid());
#endif
    m_path = fileio::JoinPath(root, "vm-base-" + std::to_string(pid) + "-" + std::to_string(s_n++));
#ifdef _WIN32
    _mkdir(m_path.c_str());
#else
    mkdir(m_path.c_str(), 0700);
#endif
  }
  ~TempFolder() { RemoveTree(m_path); }
  const std::string& path() const { return m_path; }
  std::string File(const std::string& name) const { return fileio::JoinPath(m_path, name); }

 private:
  static void RemoveTree(const std::string& dir) {
    std::vector<fileio::DirEntry> entries;
    if (fileio::ListDirectory(dir, entries)) {
      for (const auto& e : entries) {
        std::string p = fileio::JoinPath(dir, e.name);
        if (e.isDirectory) {
          RemoveTree(p);
        } else {
          fileio::ClearReadOnly(p);
          fileio::Remove(p);
        }
      }
    }
#ifdef _WIN32
    _rmdir(dir.c_str());
#else
    rmdir(dir.c_str());
#endif
  }
  std::string m_path;
};

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = fileio::Open(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string ReadFile(const std::string& path) {
  FILE* f = fileio::Open(path, "rb");
  if (!f) return "<missing>";
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<fileio::DirEntry> entries;
  EXPECT_TRUE(fileio::ListDirectory(folder, entries));
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}

// 歌词 as a file name in the platform's form.
#ifdef _WIN32
const std::string kChineseName = "\xB8\xE8\xB4\xCA.lrc";
#else
const std::string kChineseName = "\xE6\xAD\x8C\xE8\xAF\x8D.lrc";
#endif

TEST(FileIo, OpenSizeExistsRemove) {
  TempFolder dir;
  std::string p = dir.File(kChineseName);
  EXPECT_FALSE(fileio::Exists(p));
  ASSERT_TRUE(WriteFile(p, std::string(1000, 'x')));
  EXPECT_TRUE(fileio::Exists(p));
  EXPECT_FALSE(fileio::IsDirectory(p));
  EXPECT_TRUE(fileio::IsDirectory(dir.path()));
  FILE* f = fileio::Open(p, "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(fileio::Size(f), 1000);
  std::fclose(f);
  EXPECT_EQ(fileio::Size(nullptr), -1);
  EXPECT_TRUE(fileio::Remove(p));
  EXPECT_FALSE(fileio::Exists(p));
  EXPECT_FALSE(fileio::Remove(p));
  EXPECT_EQ(fileio::Open(p, "rb"), nullptr);
}

TEST(FileIo, ReadOnlyAttribute) {
  TempFolder dir;
  std::string p = dir.File("ro.mp3");
  ASSERT_TRUE(WriteFile(p, "abc"));
  EXPECT_FALSE(fileio::IsReadOnly(p));
#ifdef _WIN32
  SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  chmod(p.c_str(), 0444);
#endif
  EXPECT_TRUE(fileio::IsReadOnly(p));
  EXPECT_TRUE(fileio::ClearReadOnly(p));
  EXPECT_FALSE(fileio::IsReadOnly(p));
  EXPECT_TRUE(fileio::ClearReadOnly(p));  // nothing to clear
  EXPECT_FALSE(fileio::ClearReadOnly(dir.File("missing")));
}

TEST(FileIo, MoveNeverReplaces) {
  TempFolder dir;
  std::string a = dir.File("a.mp3"), b = dir.File(kChineseName), c = dir.File("c.mp3");
  ASSERT_TRUE(WriteFile(a, "first"));
  ASSERT_TRUE(WriteFile(b, "second"));
  EXPECT_FALSE(fileio::MoveNoReplace(a, b));
  EXPECT_EQ(ReadFile(a), "first");
  EXPECT_EQ(ReadFile(b), "second");
  EXPECT_TRUE(fileio::MoveNoReplace(b, c));
  EXPECT_FALSE(fileio::Exists(b));
  EXPECT_EQ(ReadFile(c), "second");
  EXPECT_FALSE(fileio::MoveNoReplace(dir.File("missing"), dir.File("other")));
}

TEST(FileIo, ListDirectorySortedWithFolders) {
  TempFolder dir;
  ASSERT_TRUE(WriteFile(dir.File("b.lrc"), ""));
  ASSERT_TRUE(WriteFile(dir.File("A.mp3"), ""));
  ASSERT_TRUE(WriteFile(dir.File("a.mp3"), ""));
  ASSERT_TRUE(WriteFile(dir.File(kChineseName), ""));
  std::string sub = dir.File("sub");
#ifdef _WIN32
  _mkdir(sub.c_str());
#else
  mkdir(sub.c_str(), 0700);
#endif
  std::vector<fileio::DirEntry> entries;
  ASSERT_TRUE(fileio::ListDirectory(dir.path(), entries));
  std::vector<std::string> names;
  for (const auto& e : entries) {
    names.push_back(e.name);
    EXPECT_EQ(e.isDirectory, e.name == "sub") << e.name;
  }
#ifdef _WIN32
  // Windows folders do not tell A.mp3 from a.mp3: one of them is there.
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[1], "b.lrc");
  EXPECT_EQ(names[2], "sub");
#else
  EXPECT_EQ(names, (std::vector<std::string>{"A.mp3", "a.mp3", "b.lrc", "sub", kChineseName}));
#endif
  EXPECT_FALSE(fileio::ListDirectory(dir.File("missing"), entries));
  EXPECT_TRUE(entries.empty());
}

TEST(FileIo, PathHelpers) {
#ifdef _WIN32
  // 淺 ends in the byte '\\' and is no separator.
  std::string path = "C:\\music\\\x9C\x5C.mp3";
  EXPECT_EQ(fileio::LastSeparator(path), 8u);
  EXPECT_EQ(fileio::FileNamePart(path), "\x9C\x5C.mp3");
  EXPECT_EQ(fileio::FileNamePart("C:/a/b.mp3"), "b.mp3");
  EXPECT_EQ(fileio::JoinPath("C:\\a", "b"), "C:\\a\\b");
  EXPECT_EQ(fileio::JoinPath("C:\\a\\", "b"), "C:\\a\\b");
#else
  EXPECT_EQ(fileio::LastSeparator("/music/a.mp3"), 6u);
  EXPECT_EQ(fileio::FileNamePart("/music/a.mp3"), "a.mp3");
  EXPECT_EQ(fileio::JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(fileio::JoinPath("/a/", "b"), "/a/b");
#endif
  EXPECT_EQ(fileio::LastSeparator("a.mp3"), std::string::npos);
  EXPECT_EQ(fileio::FileNamePart("a.mp3"), "a.mp3");
  EXPECT_EQ(fileio::JoinPath("", "b"), "b");
}

TEST(AtomicReplaceTest, CommitReplacesAndLeavesNoTemporaryFile) {
  TempFolder dir;
  std::string target = dir.File(kChineseName);
  ASSERT_TRUE(WriteFile(target, "old content"));
  {
    AtomicReplace r(target);
    ASSERT_TRUE(r.Begin());
    ASSERT_NE(r.Stream(), nullptr);
    EXPECT_TRUE(fileio::Exists(r.TempPath()));
    EXPECT_EQ(fileio::LastSeparator(r.TempPath()), fileio::LastSeparator(target));  // same folder
    std::fputs("new", r.Stream());
    EXPECT_EQ(ReadFile(target), "old content");  // untouched until the commit
    EXPECT_TRUE(r.Commit());
    EXPECT_EQ(r.Stream(), nullptr);
  }
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{kChineseName});
}

TEST(AtomicReplaceTest, AbortAndDestructorLeaveOriginalByteForByte) {
  TempFolder dir;
  std::string target = dir.File("song.mp3");
  std::string original("ID3\0\x01\xFF\r\n", 8);
  ASSERT_TRUE(WriteFile(target, original));
  {
    AtomicReplace r(target);
    ASSERT_TRUE(r.Begin());
    std::fputs("half written", r.Stream());
    r.Abort();
    EXPECT_EQ(r.Stream(), nullptr);
    EXPECT_FALSE(r.Commit());  // nothing to commit after an abort
  }
  EXPECT_EQ(ReadFile(target), original);
  {
    AtomicReplace r(target);
    ASSERT_TRUE(r.Begin());
    std::fputs("dropped", r.Stream());
  }  // no commit
  EXPECT_EQ(ReadFile(target), original);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"song.mp3"});
}

TEST(AtomicReplaceTest, FailedCommitLeavesOriginalAndRemovesTemporaryFile) {
  TempFolder dir;
  // A folder cannot be replaced by a file.
  std::string target = dir.File("folder.mp3");
#ifdef _WIN32
  _mkdir(target.c_str());
#else
  mkdir(target.c_str(), 0700);
#endif
  ASSERT_TRUE(WriteFile(fileio::JoinPath(target, "inside"), "keep"));
  AtomicReplace r(target);
  ASSERT_TRUE(r.Begin());
  std::fputs("new", r.Stream());
  EXPECT_FALSE(r.Commit());
  EXPECT_TRUE(fileio::IsDirectory(target));
  EXPECT_EQ(ReadFile(fileio::JoinPath(target, "inside")), "keep");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"folder.mp3"});
}

TEST(AtomicReplaceTest, BeginFailsInMissingFolder) {
  TempFolder dir;
  AtomicReplace r(fileio::JoinPath(dir.File("missing"), "a.mp3"));
  EXPECT_FALSE(r.Begin());
  EXPECT_EQ(r.Stream(), nullptr);
  EXPECT_FALSE(r.Commit());
}

TEST(AtomicReplaceTest, NewFileWhereNoneWas) {
  TempFolder dir;
  std::string target = dir.File("new.lrc");
  AtomicReplace r(target);
  ASSERT_TRUE(r.Begin());
  std::fputs("[00:01]x", r.Stream());
  ASSERT_TRUE(r.Commit());
  EXPECT_EQ(ReadFile(target), "[00:01]x");
}

TEST(AtomicReplaceTest, TwoAtOnceUseDifferentTemporaryFiles) {
  TempFolder dir;
  std::string target = dir.File("a.mp3");
  ASSERT_TRUE(WriteFile(target, "0"));
  AtomicReplace one(target), two(target);
  ASSERT_TRUE(one.Begin());
  ASSERT_TRUE(two.Begin());
  EXPECT_NE(one.TempPath(), two.TempPath());
  std::fputs("1", one.Stream());
  std::fputs("2", two.Stream());
  EXPECT_TRUE(one.Commit());
  EXPECT_TRUE(two.Commit());
  EXPECT_EQ(ReadFile(target), "2");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.mp3"});
}

#ifndef _WIN32
mode_t Mode(const std::string& path) {
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(AtomicReplaceTest, KeepsPermissionBits) {
  TempFolder dir;
  std::string target = dir.File("shared.mp3");
  ASSERT_TRUE(WriteFile(target, "old"));
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  AtomicReplace r(target);
  ASSERT_TRUE(r.Begin());
  // The temporary file is never more open than the original.
  EXPECT_EQ(Mode(r.TempPath()) & 0007, 0u);
  std::fputs("new", r.Stream());
  ASSERT_TRUE(r.Commit());
  EXPECT_EQ(Mode(target), 0640u);

  // Read-only for all: the owner's write bit comes back, the rest stays.
  ASSERT_EQ(chmod(target.c_str(), 0444), 0);
  AtomicReplace again(target);
  ASSERT_TRUE(again.Begin());
  ASSERT_TRUE(again.Commit());
  EXPECT_EQ(Mode(target), 0644u);
  EXPECT_EQ(ReadFile(target), "");
}

TEST(AtomicReplaceTest, ThroughSymbolicLinkReplacesTheLinkedFile) {
  TempFolder dir;
  std::string real = dir.File("real.mp3"), link = dir.File("link.mp3");
  ASSERT_TRUE(WriteFile(real, "old"));
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  AtomicReplace r(link);
  ASSERT_TRUE(r.Begin());
  std::fputs("new", r.Stream());
  ASSERT_TRUE(r.Commit());
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(real), "new");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"link.mp3", "real.mp3"}));
}
#endif

}  // namespace

// The one place that knows the file system.
//
// Paths are std::string in the platform's file-name form: UTF-8 on POSIX,
// GBK on Windows (converted to UTF-16 here, at the system call).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fileio {

// fopen with the C library's mode strings ("rb", "r+b", "w+b").
FILE* Open(const std::string& path, const char* mode);

// Length of an open file, or -1.
int64_t Size(FILE* file);

bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);

// The read-only attribute (on POSIX: no write permission for the owner).
bool IsReadOnly(const std::string& path);
bool ClearReadOnly(const std::string& path);

// Renames a file; fails when target exists (never overwrites).
bool MoveNoReplace(const std::string& from, const std::string& to);

bool Remove(const std::string& path);

struct DirEntry {
  std::string name;  // without folder
  bool isDirectory = false;
};
// Entries of a folder without "." and "..", sorted by name (byte order) so
// that a scan is the same on every machine. False when it cannot be read.
bool ListDirectory(const std::string& folder, std::vector<DirEntry>& entries);

// Folder separator(s) of the platform and path helpers that respect them.
// On Windows both '\\' and '/' separate, and the search is double-byte aware.
size_t LastSeparator(const std::string& path);    // npos when none
std::string FileNamePart(const std::string& path);  // after the last separator
std::string JoinPath(const std::string& folder, const std::string& name);

// Replaces a file's whole content so that at every moment the file is either
// the old or the new one, byte for byte: the new content goes to a temporary
// file in the same folder, is flushed to the disk, takes the original's
// permissions and is then renamed over the original.
class AtomicReplace {
 public:
  explicit AtomicReplace(std::string target);
  ~AtomicReplace();  // removes the temporary file unless committed
  AtomicReplace(const AtomicReplace&) = delete;
  AtomicReplace& operator=(const AtomicReplace&) = delete;

  // Creates the temporary file; the stream is opened "w+b".
  bool Begin();
  FILE* Stream() const { return m_pStream; }
  // Flushes, syncs, closes and renames over the target.
  bool Commit();
  // Closes and deletes the temporary file; the target is untouched.
  void Abort();
  const std::string& TempPath() const { return m_strTemp; }

 private:
  std::string m_strTarget;
  std::string m_strTemp;
  FILE* m_pStream = nullptr;
};

// Last system error as text, for messages.
std::string LastErrorText();

}  // namespace fileio

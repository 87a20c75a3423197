#include "base/fileio.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/codepage.h"
#include "base/gbk.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fileio {

namespace {
std::atomic<unsigned> s_tempCounter{0};

#ifdef _WIN32
std::wstring W(const std::string& gbk) {
  std::u16string w = Cp936ToUtf16(gbk);
  return std::wstring(w.begin(), w.end());
}
std::string Narrow(const wchar_t* w) {
  std::u16string s;
  for (; *w; ++w) s.push_back(static_cast<char16_t>(*w));
  return Utf16ToCp936(s);
}
#endif
}  // namespace

FILE* Open(const std::string& path, const char* mode) {
#ifdef _WIN32
  std::wstring wmode;
  for (const char* m = mode; *m; ++m) wmode.push_back(static_cast<wchar_t>(*m));
  return _wfopen(W(path).c_str(), wmode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

int64_t Size(FILE* file) {
  if (!file) return -1;
#ifdef _WIN32
  int64_t pos = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  int64_t size = _ftelli64(file);
  _fseeki64(file, pos, SEEK_SET);
  return size;
#else
  struct stat st;
  if (fstat(fileno(file), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
#endif
}

bool Exists(const std::string& path) {
#ifdef _WIN32
  return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0;
#endif
}

bool IsDirectory(const std::string& path) {
#ifdef _WIN32
  DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool IsReadOnly(const std::string& path) {
#ifdef _WIN32
  DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
#endif
}

bool ClearReadOnly(const std::string& path) {
#ifdef _WIN32
  std::wstring w = W(path);
  DWORD a = GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  if (!(a & FILE_ATTRIBUTE_READONLY)) return true;
  return SetFileAttributesW(w.c_str(), a & ~FILE_ATTRIBUTE_READONLY) != 0;
#else
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  if (st.st_mode & S_IWUSR) return true;
  return chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
#endif
}

bool MoveNoReplace(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileW(W(from).c_str(), W(to).c_str()) != 0;
#else
  // link + unlink never replaces an existing target; fall back to a checked
  // rename where hard links are not possible.
  if (link(from.c_str(), to.c_str()) == 0) {
    if (unlink(from.c_str()) == 0) return true;
    unlink(to.c_str());  // leave one name, as before
    return false;
  }
  if (errno == EEXIST) return false;
  if (Exists(to)) return false;
  return rename(from.c_str(), to.c_str()) == 0;
#endif
}

bool Remove(const std::string& path) {
#ifdef _WIN32
  return DeleteFileW(W(path).c_str()) != 0;
#else
  return unlink(path.c_str()) == 0;
#endif
}

bool ListDirectory(const std::string& folder, std::vector<DirEntry>& entries) {
  entries.clear();
#ifdef _WIN32
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(W(JoinPath(folder, "*.*")).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
    entries.push_back({Narrow(fd.cFileName), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
#else
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  while (dirent* e = readdir(dir)) {
    if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
    entries.push_back({e->d_name, IsDirectory(JoinPath(folder, e->d_name))});
  }
  closedir(dir);
#endif
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return true;
}

size_t LastSeparator(const std::string& path) {
#ifdef _WIN32
  size_t a = GbkFindLast(path, '\\'), b = GbkFindLast(path, '/');
  if (a == std::string::npos) return b;
  if (b == std::string::npos) return a;
  return std::max(a, b);
#else
  return path.rfind('/');
#endif
}

std::string FileNamePart(const std::string& path) {
  size_t sep = LastSeparator(path);
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  const char sep = '\\';
#else
  const char sep = '/';
#endif
  if (folder.empty()) return name;
  if (LastSeparator(folder) == folder.size() - 1) return folder + name;
  return folder + sep + name;
}

std::string LastErrorText() {
#ifdef _WIN32
  DWORD code = GetLastError();
  wchar_t buf[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                 511, nullptr);
  std::string text = Narrow(buf);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.empty() ? "error " + std::to_string(code) : text;
#else
  return std::strerror(errno);
#endif
}

AtomicReplace::AtomicReplace(std::string target) : m_strTarget(std::move(target)) {}

AtomicReplace::~AtomicReplace() { Abort(); }

namespace {

#ifndef _WIN32
// Gives the new file the original's permission bits (writable for its owner,
// as the writer clears read-only anyway) and, where allowed, its owner.
bool CopyPermissions(int fd, const std::string& original) {
  struct stat st;
  if (stat(original.c_str(), &st) != 0) return errno == ENOENT;
  if (fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Not allowed for other users' files unless privileged; keep our own.
  }
  return fchmod(fd, (st.st_mode & 07777) | S_IWUSR) == 0;
}
#endif

}  // namespace

bool AtomicReplace::Begin() {
  Abort();
#ifndef _WIN32
  // Through a symbolic link the linked file is replaced, not the link.
  struct stat lst;
  if (lstat(m_strTarget.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    if (char* real = realpath(m_strTarget.c_str(), nullptr)) {
      m_strTarget = real;
      free(real);
    }
  }
#endif
  size_t sep = LastSeparator(m_strTarget);
  std::string folder = sep == std::string::npos ? std::string() : m_strTarget.substr(0, sep + 1);
  std::string name = m_strTarget.substr(sep == std::string::npos ? 0 : sep + 1);
#ifdef _WIN32
  unsigned pid = GetCurrentProcessId();
#else
  unsigned pid = static_cast<unsigned>(getpid());
#endif
  for (int attempt = 0; attempt < 100; ++attempt) {
    m_strTemp = folder + "." + name + ".vmtmp-" + std::to_string(pid) + "-" +
                std::to_string(s_tempCounter++);
#ifdef _WIN32
    int fd = _wopen(W(m_strTemp).c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY,
                    _S_IREAD | _S_IWRITE);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      m_strTemp.clear();
      return false;
    }
    m_pStream = _fdopen(fd, "w+b");
    if (!m_pStream) _close(fd);
#else
    // Private until it takes the original's permissions below.
    int fd = open(m_strTemp.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      m_strTemp.clear();
      return false;
    }
    if (!CopyPermissions(fd, m_strTarget)) {
      close(fd);
      Remove(m_strTemp);
      m_strTemp.clear();
      return false;
    }
    m_pStream = fdopen(fd, "w+b");
    if (!m_pStream) close(fd);
#endif
    if (!m_pStream) {
      Remove(m_strTemp);
      m_strTemp.clear();
      return false;
    }
    return true;
  }
  m_strTemp.clear();
  return false;
}

bool AtomicReplace::Commit() {
  if (!m_pStream) return false;
  bool ok = std::fflush(m_pStream) == 0 && !std::ferror(m_pStream);
#ifdef _WIN32
  ok = ok && _commit(_fileno(m_pStream)) == 0;
#else
  ok = ok && fsync(fileno(m_pStream)) == 0;
  // Again, in case the original's permissions changed meanwhile.
  ok = ok && CopyPermissions(fileno(m_pStream), m_strTarget);
#endif
  ok = std::fclose(m_pStream) == 0 && ok;
  m_pStream = nullptr;
  if (!ok) {
    Abort();
    return false;
  }
#ifdef _WIN32
  // Hidden, system and archive marks stay; read-only is the writer's to clear.
  const std::wstring wTarget = W(m_strTarget), wTemp = W(m_strTemp);
  DWORD attrs = GetFileAttributesW(wTarget.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES) {
    attrs &= FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attrs) SetFileAttributesW(wTemp.c_str(), attrs);
  }
  ok = MoveFileExW(wTemp.c_str(), wTarget.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  ok = rename(m_strTemp.c_str(), m_strTarget.c_str()) == 0;
  if (ok) {
    // Make the rename itself durable.
    size_t sep = LastSeparator(m_strTarget);
    std::string folder = sep == std::string::npos ? "." : m_strTarget.substr(0, sep + 1);
    int dfd = open(folder.c_str(), O_RDONLY);
    if (dfd >= 0) {
      fsync(dfd);
      close(dfd);
    }
  }
#endif
  if (!ok) {
    Abort();
    return false;
  }
  m_strTemp.clear();
  return true;
}

void AtomicReplace::Abort() {
  if (m_pStream) {
    std::fclose(m_pStream);
    m_pStream = nullptr;
  }
  if (!m_strTemp.empty()) {
    Remove(m_strTemp);
    m_strTemp.clear();
  }
}

}  // namespace fileio

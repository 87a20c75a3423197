// The program's entry point and its console, for POSIX and for Windows.

#include "cli/console.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "cli/commands.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace console {

namespace {

#ifdef _WIN32
void Write(DWORD which, FILE* stream, std::string_view utf8) {
  HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    // A real console takes UTF-16 whatever its code page.
    const std::u16string wide = Utf8ToUtf16(utf8);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  fwrite(utf8.data(), 1, utf8.size(), stream);
  fflush(stream);
}
#else
bool IsUtf8(const std::string& text) { return Utf16ToUtf8(Utf8ToUtf16(text)) == text; }

void Write(FILE* stream, std::string_view utf8) {
  fwrite(utf8.data(), 1, utf8.size(), stream);
  fflush(stream);
}
#endif

}  // namespace

#ifdef _WIN32
void Out(std::string_view utf8) { Write(STD_OUTPUT_HANDLE, stdout, utf8); }
void Err(std::string_view utf8) { Write(STD_ERROR_HANDLE, stderr, utf8); }

bool ErrIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::string PathToUtf8(const std::string& path) { return Cp936ToUtf8(path); }

std::string NameToGbk(const std::string& name, size_t* unmappable) { return name; }

std::string GbkToName(const std::string& gbk) { return gbk; }
#else
void Out(std::string_view utf8) { Write(stdout, utf8); }
void Err(std::string_view utf8) { Write(stderr, utf8); }

bool ErrIsTerminal() { return isatty(fileno(stderr)) != 0; }

std::string PathToUtf8(const std::string& path) {
  return IsUtf8(path) ? path : Cp936ToUtf8(path);
}

std::string NameToGbk(const std::string& name, size_t* unmappable) {
  // Names from old archives may still be GBK bytes; those stay as they are.
  return IsUtf8(name) ? Utf8ToCp936(name, unmappable) : name;
}

std::string GbkToName(const std::string& gbk) { return Cp936ToUtf8(gbk); }
#endif

namespace {
size_t s_progressWidth = 0;  // bytes of the progress line shown, >= its columns
}  // namespace

void Progress(const std::string& utf8) {
  EndProgress();
  Err(utf8);
  s_progressWidth = utf8.size();
}

void EndProgress() {
  if (s_progressWidth == 0) return;
  Err("\r" + std::string(s_progressWidth, ' ') + "\r");
  s_progressWidth = 0;
}

}  // namespace console

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // Paths are GBK for fileio; a name GBK cannot hold cannot be opened.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::u16string wide(reinterpret_cast<const char16_t*>(argv[i]));
    size_t unmappable = 0;
    args.push_back(Utf16ToCp936(wide, &unmappable));
    if (unmappable > 0) {
      console::Err("versemill: '" + Utf16ToUtf8(wide) +
                   "' holds characters outside code page 936 (GBK), which this program "
                   "cannot handle\n");
      return kExitUsage;
    }
  }
  return RunVersemill(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunVersemill(args);
}
#endif

#include "ui/clipboard.h"

#include <cstring>

#include "ui/text.h"

namespace {

// A movable global block holding size bytes from data; null when the
// memory cannot be had.
HGLOBAL CopyToGlobal(const void* data, size_t size) {
  HGLOBAL hMem = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!hMem) return nullptr;
  void* p = ::GlobalLock(hMem);
  if (!p) {
    ::GlobalFree(hMem);
    return nullptr;
  }
  std::memcpy(p, data, size);
  ::GlobalUnlock(hMem);
  return hMem;
}

// Hands a block to the open clipboard; frees it when the system did not take it.
bool Put(UINT format, HGLOBAL hMem) {
  if (::SetClipboardData(format, hMem)) return true;
  ::GlobalFree(hMem);
  return false;
}

// Simplified Chinese (PRC): the locale whose ANSI code page, 936, is that
// of the text offered as CF_TEXT.
const LCID kChineseLocale = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);

}  // namespace

bool SetClipboardText(HWND hOwner, const std::string& text) {
  // Unicode text for the readers that take it, and the GBK bytes themselves
  // as ANSI text: the system would make its ANSI copy in the code page of
  // the keyboard layout, which need not be 936.
  const std::wstring w = Wide(text);
  HGLOBAL hWide = CopyToGlobal(w.c_str(), (w.size() + 1) * sizeof(wchar_t));
  HGLOBAL hAnsi = CopyToGlobal(text.c_str(), text.size() + 1);
  HGLOBAL hLocale = CopyToGlobal(&kChineseLocale, sizeof kChineseLocale);
  if (!hWide || !hAnsi || !hLocale || !::OpenClipboard(hOwner)) {
    for (HGLOBAL h : {hWide, hAnsi, hLocale})
      if (h) ::GlobalFree(h);
    return false;
  }
  ::EmptyClipboard();
  bool ok = Put(CF_UNICODETEXT, hWide);
  ok = Put(CF_TEXT, hAnsi) && ok;
  Put(CF_LOCALE, hLocale);
  ::CloseClipboard();
  return ok;
}

std::string GetClipboardText(HWND hOwner) {
  std::string text;
  if (!::OpenClipboard(hOwner)) return text;
  if (HANDLE hMem = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* p = static_cast<const wchar_t*>(::GlobalLock(hMem))) {
      size_t max = ::GlobalSize(hMem) / sizeof(wchar_t);
      size_t n = 0;
      while (n < max && p[n]) ++n;  // bounded by the block
      text = Gbk(std::wstring_view(p, n));
      ::GlobalUnlock(hMem);
    }
  }
  ::CloseClipboard();
  return text;
}

#include "ui/clipboard.h"

#include <cstring>

#include "ui/text.h"

bool SetClipboardText(HWND hOwner, const std::string& text) {
  std::wstring w = Wide(text);
  size_t bytes = (w.size() + 1) * sizeof(wchar_t);
  HGLOBAL hMem = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!hMem) return false;
  void* p = ::GlobalLock(hMem);
  if (!p) {
    ::GlobalFree(hMem);
    return false;
  }
  std::memcpy(p, w.c_str(), bytes);
  ::GlobalUnlock(hMem);
  if (!::OpenClipboard(hOwner)) {
    ::GlobalFree(hMem);
    return false;
  }
  ::EmptyClipboard();
  bool ok = ::SetClipboardData(CF_UNICODETEXT, hMem) != nullptr;
  ::CloseClipboard();
  if (!ok) ::GlobalFree(hMem);  // still ours when the system did not take it
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

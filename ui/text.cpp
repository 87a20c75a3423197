#include "ui/text.h"

#include "base/codepage.h"
#include "ui/app.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

std::wstring Wide(std::string_view gbk) {
  std::u16string u = Cp936ToUtf16(gbk);
  return std::wstring(u.begin(), u.end());
}

std::string Gbk(std::wstring_view wide) {
  return Utf16ToCp936(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::wstring WindowTextW(HWND hWnd) {
  int n = ::GetWindowTextLengthW(hWnd);
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  n = ::GetWindowTextW(hWnd, w.data(), n + 1);
  w.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return w;
}

std::string ResourceString(UINT nID) {
  // Length 0 asks for a pointer to the resource's own text, which is not
  // NUL-terminated.
  const wchar_t* pText = nullptr;
  int n = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&pText), 0);
  return n > 0 && pText ? Gbk(std::wstring_view(pText, static_cast<size_t>(n))) : std::string();
}

#include "ui_test_util.h"

#include <cstdio>
#include <map>

#include "ui/text.h"
#include "ui/wnd.h"

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!pred()) {
    if (::GetTickCount() - start > timeoutMs) return pred();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

namespace {
std::map<UINT_PTR, TimedSteps*>& Timers() {
  static std::map<UINT_PTR, TimedSteps*> timers;
  return timers;
}
MessageBoxCatcher* s_pCatcher = nullptr;
}  // namespace

TimedSteps::TimedSteps(std::vector<std::function<bool()>> steps, UINT intervalMs)
    : m_steps(std::move(steps)) {
  m_timer = ::SetTimer(nullptr, 0, intervalMs, &TimedSteps::OnTick);
  Timers()[m_timer] = this;
}

TimedSteps::~TimedSteps() {
  ::KillTimer(nullptr, m_timer);
  Timers().erase(m_timer);
}

void CALLBACK TimedSteps::OnTick(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Timers().find(id);
  if (it == Timers().end()) return;
  TimedSteps* self = it->second;
  if (self->Done()) return;
  size_t i = self->m_next;
  self->m_next = self->m_steps.size();  // a step running a modal loop must not re-enter
  bool ok = self->m_steps[i]();
  self->m_next = ok ? i + 1 : i;
}

MessageBoxCatcher::MessageBoxCatcher() {
  s_pCatcher = this;
  m_timer = ::SetTimer(nullptr, 0, 20, &MessageBoxCatcher::OnTick);
}

MessageBoxCatcher::~MessageBoxCatcher() {
  ::KillTimer(nullptr, m_timer);
  s_pCatcher = nullptr;
}

void CALLBACK MessageBoxCatcher::OnTick(HWND, UINT, UINT_PTR, DWORD) {
  if (s_pCatcher) ::EnumThreadWindows(::GetCurrentThreadId(), &MessageBoxCatcher::OnWindow, 0);
}

BOOL CALLBACK MessageBoxCatcher::OnWindow(HWND hWnd, LPARAM) {
  wchar_t cls[16] = {};
  ::GetClassNameW(hWnd, cls, 16);
  if (::lstrcmpW(cls, L"#32770") != 0 || !::IsWindowVisible(hWnd) || CWnd::FromHandlePermanent(hWnd))
    return TRUE;
  HWND hText = ::GetDlgItem(hWnd, 0xFFFF);  // the text static of a message box
  if (!hText) return TRUE;
  for (HWND seen : s_pCatcher->m_seen)
    if (seen == hWnd) return TRUE;  // closing already
  s_pCatcher->m_seen.push_back(hWnd);
  CaughtMessageBox box;
  box.hWnd = hWnd;
  wchar_t buf[1024] = {};
  ::GetWindowTextW(hText, buf, 1024);
  box.text = buf;
  ::GetWindowTextW(hWnd, buf, 1024);
  box.caption = buf;
  box.owner = ::GetWindow(hWnd, GW_OWNER);
  box.hasCancel = ::GetDlgItem(hWnd, IDCANCEL) != nullptr && ::IsWindowVisible(::GetDlgItem(hWnd, IDCANCEL));
  HDC hDC = ::GetDC(hWnd);
  HBRUSH hBrush = reinterpret_cast<HBRUSH>(
      ::SendMessageW(hWnd, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hWnd)));
  LOGBRUSH lb{};
  if (hBrush && ::GetObjectW(hBrush, sizeof lb, &lb) == sizeof lb) box.dialogBrushColor = lb.lbColor;
  ::SendMessageW(hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hText));
  box.staticTextColor = ::GetTextColor(hDC);
  ::ReleaseDC(hWnd, hDC);
  s_pCatcher->boxes.push_back(box);
  ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

std::string Utf8Text(HWND hWnd) {
  wchar_t buf[1024] = {};
  ::GetWindowTextW(hWnd, buf, 1024);
  std::wstring w(buf);
  return Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

CTempFolder::CTempFolder(const std::wstring& prefix) {
  wchar_t temp[MAX_PATH];
  DWORD n = ::GetTempPathW(MAX_PATH, temp);
  m_root = std::wstring(temp, n) + prefix + std::to_wstring(::GetCurrentProcessId());
  Clear();
  ::CreateDirectoryW(m_root.c_str(), nullptr);
  // The long form, as a folder chooser or a drop would give it.
  wchar_t longPath[MAX_PATH];
  DWORD nLong = ::GetLongPathNameW(m_root.c_str(), longPath, MAX_PATH);
  if (nLong > 0 && nLong < MAX_PATH) m_root.assign(longPath, nLong);
}

CTempFolder::~CTempFolder() { Clear(); }

std::string CTempFolder::Path(const std::string& name) const { return Gbk(m_root) + "\\" + name; }

void CTempFolder::Write(const std::string& name, const std::string& bytes) const {
  FILE* f = _wfopen(Wide(Path(name)).c_str(), L"wb");
  if (!f) return;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

std::string CTempFolder::Read(const std::string& name) const {
  FILE* f = _wfopen(Wide(Path(name)).c_str(), L"rb");
  if (!f) return "<missing>";
  std::string bytes;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  fclose(f);
  return bytes;
}

bool CTempFolder::Exists(const std::string& name) const {
  return ::GetFileAttributesW(Wide(Path(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CTempFolder::Clear() const {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((m_root + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring full = m_root + L"\\" + fd.cFileName;
      ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(full.c_str());
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  ::RemoveDirectoryW(m_root.c_str());
}

HWND FindShownDialog(const std::string& title, HWND owner) {
  HWND h = ::FindWindowW(L"#32770", Wide(title).c_str());
  if (!h || !::IsWindowVisible(h)) return nullptr;
  return !owner || ::GetWindow(h, GW_OWNER) == owner ? h : nullptr;
}

void ReleaseOnPicture(HWND hDlg, int placeholder, int dx, int dy) {
  RECT rect;
  ::GetWindowRect(::GetDlgItem(hDlg, placeholder), &rect);
  POINT pt = {rect.left + dx, rect.top + dy};
  ::ScreenToClient(hDlg, &pt);
  ::SendMessageW(hDlg, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

#include "ui_test_util.h"

#include <cstdio>
#include <map>

#include <gtest/gtest.h>

#include "ui/controls.h"
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
  if (!IsShownMessageBox(hWnd) || CWnd::FromHandlePermanent(hWnd)) return TRUE;
  HWND hText = ::GetDlgItem(hWnd, 0xFFFF);
  for (HWND seen : s_pCatcher->m_seen)
    if (seen == hWnd) return TRUE;  // closing already
  s_pCatcher->m_seen.push_back(hWnd);
  CaughtMessageBox box;
  box.hWnd = hWnd;
  box.text = MessageBoxText(hWnd);
  box.caption = WindowTextW(hWnd);
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

std::vector<std::string> ListTexts(const CListBox& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.GetCount(); ++i) texts.push_back(list.GetText(i));
  return texts;
}

std::vector<std::string> ComboTexts(const CComboBox& box) {
  std::vector<std::string> texts;
  for (int i = 0; i < box.GetCount(); ++i) texts.push_back(box.GetLBText(i));
  return texts;
}

std::string Utf8Text(HWND hWnd) {
  wchar_t buf[1024] = {};
  ::GetWindowTextW(hWnd, buf, 1024);
  std::wstring w(buf);
  return Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

namespace {
bool IsShownDialog(HWND hWnd) {
  wchar_t cls[16] = {};
  ::GetClassNameW(hWnd, cls, 16);
  return ::lstrcmpW(cls, L"#32770") == 0 && ::IsWindowVisible(hWnd);
}

BOOL CALLBACK FindMessageBoxProc(HWND hWnd, LPARAM lParam) {
  if (!IsShownMessageBox(hWnd)) return TRUE;
  *reinterpret_cast<HWND*>(lParam) = hWnd;
  return FALSE;
}
}  // namespace

bool IsShownMessageBox(HWND hWnd) {
  return IsShownDialog(hWnd) && ::GetDlgItem(hWnd, 0xFFFF) != nullptr;  // the text static of a message box
}

HWND FindMessageBox(DWORD threadId) {
  HWND hBox = nullptr;
  ::EnumThreadWindows(threadId, &FindMessageBoxProc, reinterpret_cast<LPARAM>(&hBox));
  return hBox;
}

std::wstring MessageBoxText(HWND hBox) {
  wchar_t buf[1024] = {};
  ::GetWindowTextW(::GetDlgItem(hBox, 0xFFFF), buf, 1024);
  return buf;
}

std::wstring LongForm(const std::wstring& path) {
  bool absolute = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
  if (!absolute || path.find(L'/') != std::wstring::npos) return path;
  return L"\\\\?\\" + path;
}

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(LongForm(dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = dir + L"\\" + name;
      ::SetFileAttributesW(LongForm(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        ::DeleteFileW(LongForm(path).c_str());
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  ::SetFileAttributesW(LongForm(dir).c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(LongForm(dir).c_str());
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  BOOL ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  ::CloseHandle(h);
  return ok && n == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
  HANDLE h = ::CreateFileW(LongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buf[65536];
  DWORD n = 0;
  while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) bytes.append(buf, n);
  ::CloseHandle(h);
  return bytes;
}

CTempFolder::CTempFolder(const std::wstring& prefix) {
  static int s_count = 0;
  wchar_t temp[MAX_PATH];
  DWORD n = ::GetTempPathW(MAX_PATH, temp);
  m_root = std::wstring(temp, n) + prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(s_count++);
  RemoveTree(m_root);  // left over by an earlier process of the same id
  if (!::CreateDirectoryW(m_root.c_str(), nullptr)) ADD_FAILURE() << "cannot make " << Gbk(m_root);
  // The long form, as a folder chooser or a drop would give it.
  wchar_t longPath[MAX_PATH];
  DWORD nLong = ::GetLongPathNameW(m_root.c_str(), longPath, MAX_PATH);
  if (nLong > 0 && nLong < MAX_PATH) m_root.assign(longPath, nLong);
}

CTempFolder::~CTempFolder() { RemoveTree(m_root); }

std::string CTempFolder::Path(const std::string& name) const { return Gbk(WidePath(name)); }

std::string CTempFolder::Write(const std::string& name, const std::string& bytes) const {
  if (!WriteBytes(WidePath(name), bytes)) ADD_FAILURE() << "cannot write " << name;
  return Path(name);
}

void CTempFolder::Folder(const std::string& name) const { ::CreateDirectoryW(WidePath(name).c_str(), nullptr); }

std::string CTempFolder::Read(const std::string& name) const { return ReadBytes(WidePath(name)); }

std::string CTempFolder::ReadFile(const std::string& path) { return ReadBytes(Wide(path)); }

bool CTempFolder::Exists(const std::string& name) const {
  return ::GetFileAttributesW(LongForm(WidePath(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HWND FindShownDialog(const std::string& title, HWND owner) {
  HWND h = ::FindWindowW(L"#32770", Wide(title).c_str());
  if (!h || !::IsWindowVisible(h)) return nullptr;
  return !owner || ::GetWindow(h, GW_OWNER) == owner ? h : nullptr;
}

HWND FindOwnedDialog(HWND owner) {
  for (HWND h = ::FindWindowW(L"#32770", nullptr); h; h = ::FindWindowExW(nullptr, h, L"#32770", nullptr))
    if (::IsWindowVisible(h) && ::GetWindow(h, GW_OWNER) == owner) return h;
  return nullptr;
}

POINT PicturePoint(HWND hDlg, int placeholder, int dx, int dy) {
  RECT rect;
  ::GetWindowRect(::GetDlgItem(hDlg, placeholder), &rect);
  POINT pt = {rect.left + dx, rect.top + dy};
  ::ScreenToClient(hDlg, &pt);
  return pt;
}

void ReleaseOnPicture(HWND hDlg, int placeholder, int dx, int dy) {
  POINT pt = PicturePoint(hDlg, placeholder, dx, dy);
  ::SendMessageW(hDlg, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

void ClickPicture(HWND hDlg, int placeholder) {
  ::SendMessageW(hDlg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  ReleaseOnPicture(hDlg, placeholder);
}

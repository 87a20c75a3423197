#include "ui_test_util.h"

#include <map>

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

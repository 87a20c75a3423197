#include "ui/message_box.h"

#include "ui/app.h"
#include "ui/text.h"
#include "ui/wnd.h"

namespace {

const wchar_t kSuperProp[] = L"VersemillMsgBoxProc";

thread_local HHOOK t_hHook = nullptr;
thread_local bool t_bPending = false;

// The message box window's procedure in front of the system's: the dialog
// colours, then the system's handling.
LRESULT CALLBACK MsgBoxProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC pfnSuper = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kSuperProp));
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
    HBRUSH hBrush = DialogCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                   msg - WM_CTLCOLORMSGBOX);
    if (hBrush) return reinterpret_cast<LRESULT>(hBrush);
  } else if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnSuper));
    ::RemovePropW(hWnd, kSuperProp);
  }
  return pfnSuper ? ::CallWindowProcW(pfnSuper, hWnd, msg, wParam, lParam)
                  : ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK MsgBoxHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_bPending) {
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = {};
    ::GetClassNameW(hWnd, cls, 16);
    if (::lstrcmpW(cls, L"#32770") == 0) {
      t_bPending = false;
      LONG_PTR old = ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MsgBoxProc));
      ::SetPropW(hWnd, kSuperProp, reinterpret_cast<HANDLE>(old));
    }
  }
  return CallNextHookEx(t_hHook, code, wParam, lParam);
}

HWND DefaultOwner() {
  CWinApp* pApp = AfxGetApp();
  HWND hMain = pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : nullptr;
  if (hMain && ::IsWindow(hMain)) {
    HWND hPopup = ::GetLastActivePopup(hMain);
    return hPopup && ::IsWindowEnabled(hPopup) ? hPopup : hMain;
  }
  return ::GetActiveWindow();
}

}  // namespace

int ShowMessageBox(HWND hOwner, const std::wstring& text, const wchar_t* caption, UINT nType) {
  std::wstring appName;
  if (!caption) {
    CWinApp* pApp = AfxGetApp();
    appName = pApp ? Wide(pApp->m_strAppName) : std::wstring();
    caption = appName.c_str();
  }
  bool hooked = false;
  if (!t_hHook) {
    t_hHook = ::SetWindowsHookExW(WH_CBT, MsgBoxHook, nullptr, ::GetCurrentThreadId());
    hooked = t_hHook != nullptr;
  }
  bool pendingBefore = t_bPending;
  t_bPending = true;
  int result = ::MessageBoxW(hOwner, text.c_str(), caption, nType);
  t_bPending = pendingBefore;
  if (hooked) {
    ::UnhookWindowsHookEx(t_hHook);
    t_hHook = nullptr;
  }
  return result;
}

int ShowMessageBox(HWND hOwner, const std::string& text, const char* caption, UINT nType) {
  std::wstring wCaption = caption ? Wide(caption) : std::wstring();
  return ShowMessageBox(hOwner, Wide(text), caption ? wCaption.c_str() : nullptr, nType);
}

int ShowMessage(const std::string& text, UINT nType) {
  return ShowMessageBox(DefaultOwner(), text, nullptr, nType);
}

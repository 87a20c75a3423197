#include "ui/wnd.h"

#include <shellapi.h>

#include "ui/message_box.h"
#include "ui/text.h"

namespace {

const wchar_t kObjectProp[] = L"VersemillCWnd";

// The message being handled, for Default(); saved and restored around every
// dispatch since handlers send messages of their own.
struct CurrentMessage {
  HWND hWnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
thread_local CurrentMessage t_current;

thread_local CWnd* t_pWndInit = nullptr;
thread_local bool t_bWndInitAttached = false;
thread_local HHOOK t_hCreateHook = nullptr;

LRESULT CALLBACK CreateHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_pWndInit) {
    CWnd* pWnd = t_pWndInit;
    t_pWndInit = nullptr;
    t_bWndInitAttached = pWnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
  }
  return CallNextHookEx(t_hCreateHook, code, wParam, lParam);
}

bool MatchEntry(const CMessageEntry& e, UINT msg, WPARAM wParam) {
  if (e.nMessage == WM_CTLCOLOR_ANY) return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC;
  if (e.nMessage != msg) return false;
  if (msg != WM_COMMAND) return true;
  UINT code = HIWORD(wParam);
  // A command entry (code 0) also takes the accelerator form (code 1).
  return e.nID == LOWORD(wParam) && (e.nCode == code || (e.nCode == 0 && code == 1));
}

}  // namespace

CWnd::~CWnd() {
  if (m_bAttached && m_hWnd) {
    if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    if (m_bAttached) Detach();  // the window was no longer ours to destroy
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  return hWnd ? static_cast<CWnd*>(::GetPropW(hWnd, kObjectProp)) : nullptr;
}

bool CWnd::SubclassWindow(HWND hWnd) {
  if (m_hWnd || !hWnd || !::IsWindow(hWnd) || FromHandlePermanent(hWnd)) return false;
  if (!::SetPropW(hWnd, kObjectProp, this)) return false;
  m_hWnd = hWnd;
  m_bAttached = true;
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StdWndProc)));
  return true;
}

bool CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  return pParent && SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow() {
  HWND hWnd = m_hWnd;
  if (m_bAttached) Detach();
  return hWnd;
}

void CWnd::Detach() {
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::RemovePropW(m_hWnd, kObjectProp);
  }
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
  m_bAttached = false;
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = FromHandlePermanent(hWnd);
  if (!pWnd) return ::DefWindowProcW(hWnd, msg, wParam, lParam);
  CurrentMessage saved = t_current;
  t_current = {hWnd, msg, wParam, lParam};
  LRESULT result = pWnd->WindowProc(msg, wParam, lParam);
  t_current = saved;
  if (msg == WM_NCDESTROY && pWnd->m_hWnd == hWnd) {
    pWnd->Detach();
    pWnd->PostNcDestroy();
  }
  return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(msg, wParam, lParam, &result)) result = DefWindowProc(msg, wParam, lParam);
  return result;
}

bool CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  for (const CMessageMap* pMap = GetMessageMap(); pMap;
       pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
    for (const CMessageEntry* e = pMap->pEntries; e->nMessage != 0; ++e) {
      if (MatchEntry(*e, msg, wParam)) {
        *pResult = e->pfnCall(this, msg, wParam, lParam);
        return true;
      }
    }
  }
  return false;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() {
  // Only meaningful while this window's message is being handled.
  if (t_current.hWnd != m_hWnd || !m_hWnd) return 0;
  return DefWindowProc(t_current.msg, t_current.wParam, t_current.lParam);
}

const CMessageMap* CWnd::GetThisMessageMap() {
  static const CMessageEntry s_entries[] = {{0, 0, 0, nullptr}};
  static const CMessageMap s_map = {nullptr, s_entries};
  return &s_map;
}

const CMessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

void CWnd::HookWindowCreate(CWnd* pWnd) {
  t_pWndInit = pWnd;
  t_bWndInitAttached = false;
  if (!t_hCreateHook)
    t_hCreateHook = ::SetWindowsHookExW(WH_CBT, CreateHookProc, nullptr, ::GetCurrentThreadId());
}

bool CWnd::UnhookWindowCreate() {
  if (t_hCreateHook) {
    ::UnhookWindowsHookEx(t_hCreateHook);
    t_hCreateHook = nullptr;
  }
  t_pWndInit = nullptr;
  bool attached = t_bWndInitAttached;
  t_bWndInitAttached = false;
  return attached;
}

bool CWnd::DestroyWindow() {
  if (!m_hWnd) return false;
  return ::DestroyWindow(m_hWnd) != FALSE;
}

void CWnd::SetWindowText(const std::string& text) { ::SetWindowTextW(m_hWnd, Wide(text).c_str()); }

std::string CWnd::GetWindowText() const { return Gbk(WindowTextW(m_hWnd)); }

int CWnd::GetWindowTextLength() const { return static_cast<int>(GetWindowText().size()); }

void CWnd::SetDlgItemText(int nID, const std::string& text) {
  ::SetDlgItemTextW(m_hWnd, nID, Wide(text).c_str());
}

std::string CWnd::GetDlgItemText(int nID) const { return Gbk(WindowTextW(::GetDlgItem(m_hWnd, nID))); }

void CWnd::SetDlgItemInt(int nID, int value) { ::SetDlgItemInt(m_hWnd, nID, static_cast<UINT>(value), TRUE); }

HWND CWnd::FindWindow(const char* className, const std::string& windowName) {
  std::wstring cls = className ? Wide(className) : std::wstring();
  return ::FindWindowW(className ? cls.c_str() : nullptr, Wide(windowName).c_str());
}

void CWnd::ScreenToClient(RECT* pRect) const {
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::ClientToScreen(RECT* pRect) const {
  ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::DragAcceptFiles(bool bAccept) { ::DragAcceptFiles(m_hWnd, bAccept); }

int CWnd::MessageBox(const std::string& text, const char* caption, UINT nType) {
  return ShowMessageBox(m_hWnd, text, caption, nType);
}

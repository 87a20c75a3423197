#include "ui/app.h"

#include "ui/text.h"
#include "ui/wnd.h"

namespace {

CWinApp* s_pApp = nullptr;

struct DialogColors {
  HBRUSH hBrush = nullptr;
  COLORREF crBk = 0;
  COLORREF crText = 0;
};
DialogColors s_colors;

bool IsClass(HWND hWnd, const wchar_t* name) {
  wchar_t cls[32] = {};
  ::GetClassNameW(hWnd, cls, 32);
  return ::lstrcmpiW(cls, name) == 0;
}

}  // namespace

CWinApp::CWinApp(const char* appName) {
  m_hInstance = ::GetModuleHandleW(nullptr);
  if (appName) {
    m_strAppName = appName;
  } else {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n < MAX_PATH ? n : 0);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    m_strAppName = Gbk(name);
  }
  s_pApp = this;
}

CWinApp::~CWinApp() {
  if (s_pApp == this) s_pApp = nullptr;
  if (s_colors.hBrush) {
    ::DeleteObject(s_colors.hBrush);
    s_colors = DialogColors();
  }
}

CWinApp* AfxGetApp() { return s_pApp; }

HINSTANCE AfxGetResourceHandle() {
  return s_pApp && s_pApp->m_hInstance ? s_pApp->m_hInstance : ::GetModuleHandleW(nullptr);
}

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslateDialogMessage(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ExitInstance();
  return static_cast<int>(msg.wParam);
}

void CWinApp::SetDialogBkColor(COLORREF bk, COLORREF text) {
  HBRUSH hOld = s_colors.hBrush;
  s_colors.hBrush = ::CreateSolidBrush(bk);
  s_colors.crBk = bk;
  s_colors.crText = text;
  // Windows still painting with the old brush get it again at their next
  // WM_CTLCOLORxxx; a dialog never keeps the brush beyond one paint.
  if (hOld) ::DeleteObject(hOld);
}

int RunApplication(HINSTANCE hInstance) {
  CWinApp* pApp = AfxGetApp();
  if (!pApp) return 1;
  if (hInstance) pApp->m_hInstance = hInstance;
  if (!pApp->InitInstance()) return pApp->ExitInstance();
  return pApp->Run();
}

bool PreTranslateDialogMessage(MSG* pMsg) {
  if (!pMsg->hwnd || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return false;
  HWND hRoot = ::GetAncestor(pMsg->hwnd, GA_ROOT);
  if (!hRoot || !IsClass(hRoot, L"#32770")) return false;
  return ::IsDialogMessageW(hRoot, pMsg) != FALSE;
}

HBRUSH DialogCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
  if (!s_colors.hBrush) return nullptr;
  switch (nCtlColor) {
    case CTLCOLOR_DLG:
    case CTLCOLOR_BTN:
      break;
    case CTLCOLOR_STATIC:
      // Read-only and disabled edits ask as statics; they stay edits.
      if (hCtl && IsClass(hCtl, L"Edit")) return nullptr;
      break;
    case CTLCOLOR_MSGBOX:
      break;
    default:  // edits, list boxes, scroll bars
      return nullptr;
  }
  ::SetBkColor(hDC, s_colors.crBk);
  ::SetTextColor(hDC, s_colors.crText);
  return s_colors.hBrush;
}

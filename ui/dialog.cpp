#include "ui/dialog.h"

#include <climits>

#include "ui/app.h"
#include "ui/message_box.h"
#include "ui/text.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
  ON_COMMAND(IDOK, &CDialog::HandleOK)
  ON_COMMAND(IDCANCEL, &CDialog::HandleCancel)
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()


CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT msg, WPARAM, LPARAM) {
  // Everything reaches the object's table before the system's dialog
  // procedure calls this; only the focus answer of WM_INITDIALOG is left.
  return msg == WM_INITDIALOG;
}

bool CDialog::IsOwnDialog() const {
  return m_hWnd && reinterpret_cast<DLGPROC>(::GetWindowLongPtrW(m_hWnd, DWLP_DLGPROC)) == &CDialog::DialogProc;
}

// A system dialog attached for a modal run keeps its own initialisation and
// buttons; only the colours and the subclass's table are added.
LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
  return IsOwnDialog() ? OnInitDialog() : Default();
}

void CDialog::HandleOK() {
  if (IsOwnDialog()) OnOK(); else Default();
}

void CDialog::HandleCancel() {
  if (IsOwnDialog()) OnCancel(); else Default();
}

BOOL CDialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

HBRUSH CDialog::OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
  if (HBRUSH hBrush = DialogCtlColor(hDC, hCtl, nCtlColor)) return hBrush;
  return reinterpret_cast<HBRUSH>(Default());
}

HWND CDialog::PreModal() {
  HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!hOwner) {
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd && pApp->m_pMainWnd != this) hOwner = pApp->m_pMainWnd->m_hWnd;
  }
  if (hOwner) hOwner = ::GetAncestor(hOwner, GA_ROOT);
  if (hOwner && !::IsWindow(hOwner)) hOwner = nullptr;
  HookWindowCreate(this);
  return hOwner;
}

void CDialog::PostModal() { UnhookWindowCreate(); }

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  HWND hOwner = PreModal();
  bool bOwnerDisabled = false;
  if (hOwner && ::IsWindowEnabled(hOwner)) {
    ::EnableWindow(hOwner, FALSE);
    bOwnerDisabled = true;
  }
  m_bInModal = true;
  m_bEndModal = false;
  m_nModalResult = -1;
  HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                                   &CDialog::DialogProc, 0);
  PostModal();
  if (hWnd && m_hWnd == hWnd) {
    if (!m_bEndModal && !::IsWindowVisible(hWnd)) ::ShowWindow(hWnd, SW_SHOWNORMAL);
    MSG msg;
    while (!m_bEndModal && m_hWnd) {
      BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
      if (got <= 0) {
        if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
        break;
      }
      if (PreTranslateDialogMessage(&msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  } else if (hWnd) {
    ::DestroyWindow(hWnd);  // could not be attached
  }
  // The owner comes back before the dialog goes, so it gets the activation.
  if (bOwnerDisabled) ::EnableWindow(hOwner, TRUE);
  if (m_hWnd) {
    if (hOwner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(hOwner);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    ::DestroyWindow(m_hWnd);
  }
  m_bInModal = false;
  return m_nModalResult;
}

bool CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  if (m_hWnd) return false;
  m_nIDTemplate = nIDTemplate;
  m_pParentWnd = pParentWnd;
  HookWindowCreate(this);
  HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDTemplate),
                                   pParentWnd ? pParentWnd->m_hWnd : nullptr, &CDialog::DialogProc, 0);
  UnhookWindowCreate();
  if (hWnd && m_hWnd != hWnd) {
    ::DestroyWindow(hWnd);
    return false;
  }
  return hWnd != nullptr;
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  if (m_bInModal) {
    m_bEndModal = true;
  } else if (m_hWnd) {
    ::EndDialog(m_hWnd, nResult);  // a modeless dialog: hidden; a system one: ended
  }
}

bool CDialog::UpdateData(bool bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CDataExchange::Failure&) {
    return false;
  }
  return true;
}

// ---- data exchange

HWND CDataExchange::PrepareCtrl(int nIDC) {
  m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
  m_bEditLastControl = false;
  return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  HWND hWnd = PrepareCtrl(nIDC);
  m_bEditLastControl = true;
  return hWnd;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_hWndLastControl) {
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl) ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
  throw Failure();
}

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Optional blanks, an optional sign, decimal digits, optional blanks; the
// value must fit an int.
bool ParseInt(const std::wstring& text, int* pValue) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  size_t digits = i;
  long long v = 0;
  while (i < n && text[i] >= L'0' && text[i] <= L'9') {
    v = v * 10 + (text[i++] - L'0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (i == digits) return false;
  while (i < n && IsBlank(text[i])) ++i;
  if (i != n) return false;
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  *pValue = static_cast<int>(v);
  return true;
}

void ShowFrameworkMessage(CDataExchange* pDX, const std::wstring& text) {
  ShowMessageBox(pDX->m_pDlgWnd->m_hWnd, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  HWND hWnd = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    if (!ParseInt(WindowTextW(hWnd), &value)) {
      ShowFrameworkMessage(pDX, L"请键入一个整数。");
      pDX->Fail();
    }
  } else {
    ::SetWindowTextW(hWnd, std::to_wstring(value).c_str());
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
  HWND hWnd = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    value = Gbk(WindowTextW(hWnd));
  else
    ::SetWindowTextW(hWnd, Wide(value).c_str());
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  std::wstring text = L"请填入一个在%1和%2之间的整数。";
  text.replace(text.find(L"%1"), 2, std::to_wstring(minVal));
  text.replace(text.find(L"%2"), 2, std::to_wstring(maxVal));
  ShowFrameworkMessage(pDX, text);
  pDX->Fail();
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND hWnd = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    value = static_cast<int>(::SendMessageW(hWnd, BM_GETCHECK, 0, 0));
  else
    ::SendMessageW(hWnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  HWND hWnd = pDX->PrepareCtrl(nIDC);
  rControl.SubclassWindow(hWnd);
}

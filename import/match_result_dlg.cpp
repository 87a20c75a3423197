#include "import/match_result_dlg.h"

#include <cstdio>

#include "base/codepage.h"
#include "resource.h"
#include "shell/messages.h"
#include "ui/app.h"
#include "ui/text.h"

namespace {

// Whether the last mouse move over a result window showed the hand cursor.
BOOL s_bHandShown = FALSE;

// The texts, GBK, made once (the worker and the window's thread both ask).
const std::string& LyricTotalFormat() {
    static const std::string s = Utf8ToCp936("一共有歌词文件数:  %d");
    return s;
}

const std::string& MatchedCountFormat() {
    static const std::string s = Utf8ToCp936("已匹配音乐文件数:  %d");
    return s;
}

std::string FormatCount(const std::string& strFormat, int n) {
    char szText[128] = {};
    std::snprintf(szText, sizeof szText, strFormat.c_str(), n);
    return szText;
}

}  // namespace

CMatchResultDlg::CMatchResultDlg() : CSkinnedDialog(IDD_MATCH_RESULT, nullptr, &s_bHandShown) {
    m_skin.Add(IDB_OK, IDOK, [this] { OnOK(); });
    m_skin.Add(IDB_EXIT, IDCANCEL, [this] { OnCancel(); });
}

BEGIN_MESSAGE_MAP(CMatchResultDlg, CSkinnedDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

bool CMatchResultDlg::CreateFor(CWnd* pOwner) {
    return Create(IDD_MATCH_RESULT, pOwner);
}

BOOL CMatchResultDlg::OnInitDialog() {
    // Attaches the list and opens the pictures with their click regions.
    return CSkinnedDialog::OnInitDialog();
}

void CMatchResultDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_MATCHED_LIST, m_matchedList);
}

// The setters send their messages to the window's thread and wait, so the
// worker may call them; they do nothing before the window exists.

void CMatchResultDlg::ClearList() {
    if (m_matchedList.m_hWnd) m_matchedList.ResetContent();
}

void CMatchResultDlg::SetLyricTotal(int nLyricFiles) {
    if (m_hWnd) SetDlgItemText(IDC_LYRIC_TOTAL, FormatCount(LyricTotalFormat(), nLyricFiles));
}

void CMatchResultDlg::SetMatchedCount(int nMatched) {
    if (m_hWnd) SetDlgItemText(IDC_MATCHED_COUNT, FormatCount(MatchedCountFormat(), nMatched));
}

void CMatchResultDlg::ClearMatchedCount() {
    if (m_hWnd) SetDlgItemText(IDC_MATCHED_COUNT, std::string());
}

void CMatchResultDlg::AddMatched(const std::string& strName) {
    if (m_matchedList.m_hWnd) m_matchedList.AddString(strName);
}

std::string CMatchResultDlg::FailedLine(const std::string& strName, const std::string& strReason) {
    // "× name (reason)"; × is A1C1 in GBK.
    return "\xa1\xc1 " + strName + " (" + strReason + ")";
}

void CMatchResultDlg::AddFailed(const std::string& strName, const std::string& strReason) {
    if (m_matchedList.m_hWnd) m_matchedList.AddString(FailedLine(strName, strReason));
}

void CMatchResultDlg::CentreAndShow() {
    if (!m_hWnd) return;
    RECT rcWindow;
    GetWindowRect(&rcWindow);
    int nWidth = rcWindow.right - rcWindow.left;
    int nHeight = rcWindow.bottom - rcWindow.top;

    // Over the owner when it is on screen, else the middle of the work area;
    // always inside the work area of the owner's monitor.
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    HMONITOR hMonitor = ::MonitorFromWindow(hOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    RECT rcWork = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (hMonitor && ::GetMonitorInfoW(hMonitor, &mi)) rcWork = mi.rcWork;
    RECT rcCentre = rcWork;
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner)) ::GetWindowRect(hOwner, &rcCentre);

    int x = (rcCentre.left + rcCentre.right - nWidth) / 2;
    int y = (rcCentre.top + rcCentre.bottom - nHeight) / 2;
    if (x + nWidth > rcWork.right) x = rcWork.right - nWidth;
    if (y + nHeight > rcWork.bottom) y = rcWork.bottom - nHeight;
    if (x < rcWork.left) x = rcWork.left;
    if (y < rcWork.top) y = rcWork.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(SW_SHOWNORMAL);
}

HWND CMatchResultDlg::MainWindow() const {
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd && pApp->m_pMainWnd != this && ::IsWindow(pApp->m_pMainWnd->m_hWnd))
        return pApp->m_pMainWnd->m_hWnd;
    return m_pParentWnd ? m_pParentWnd->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
}

void CMatchResultDlg::OnOK() {
    // Hidden first, then the main window removes the pairs while this waits.
    ShowWindow(SW_HIDE);
    HWND hMain = MainWindow();
    if (!hMain) return;
    // A refusal (a run is going on) brings the window back, with the run's
    // progress still in it.
    if (::SendMessageW(hMain, WM_DELETE_MATCHED, 1, 0) == 0) ShowWindow(SW_SHOWNORMAL);
}

void CMatchResultDlg::OnCancel() {
    ShowWindow(SW_HIDE);
}

void CMatchResultDlg::OnClose() {
    ShowWindow(SW_HIDE);
}

#include "shell/folder_dialog.h"

#include <cstring>

#include "ui/text.h"

CFolderDialog::CFolderDialog(const char* pszTitle, const char* pszInitialFolder,
                             CWnd* pParentWnd, UINT nFlags)
    : CDialog(0, pParentWnd), m_hWndBrowse(nullptr) {
    std::memset(&m_browseInfo, 0, sizeof(m_browseInfo));
    std::memset(m_szFolderPath, 0, sizeof(m_szFolderPath));
    std::memset(m_szInitialFolder, 0, sizeof(m_szInitialFolder));
    std::memset(m_szDisplayName, 0, sizeof(m_szDisplayName));
    if (pszTitle) m_strTitle = Wide(pszTitle);

    m_browseInfo.hwndOwner = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    m_browseInfo.pidlRoot = nullptr;  // the desktop
    m_browseInfo.pszDisplayName = m_szDisplayName;
    m_browseInfo.lpszTitle = pszTitle ? m_strTitle.c_str() : nullptr;
    m_browseInfo.ulFlags = nFlags;
    m_browseInfo.lpfn = &CFolderDialog::BrowseCallbackProc;
    m_browseInfo.lParam = reinterpret_cast<LPARAM>(this);
    m_browseInfo.iImage = 0;

    // A folder cut to the buffer would be some other folder: refused whole.
    if (pszInitialFolder && std::strlen(pszInitialFolder) < sizeof(m_szInitialFolder))
        std::strcpy(m_szInitialFolder, pszInitialFolder);
}

CFolderDialog::~CFolderDialog() {
    if (m_browseInfo.pidlRoot) CoTaskMemFree(const_cast<LPITEMIDLIST>(m_browseInfo.pidlRoot));
    std::memset(&m_browseInfo, 0, sizeof(m_browseInfo));
}

bool CFolderDialog::PathFromIDList(LPCITEMIDLIST pItemIDList, char (&szPath)[MAX_PATH]) {
    std::memset(szPath, 0, sizeof(szPath));
    wchar_t szWide[MAX_PATH] = {};
    if (!pItemIDList || !SHGetPathFromIDListW(pItemIDList, szWide)) return false;
    std::string path = Gbk(szWide);
    // The GBK form of a long path can outgrow the buffer: not usable then.
    if (path.empty() || path.size() >= sizeof(szPath)) return false;
    std::memcpy(szPath, path.c_str(), path.size() + 1);
    return true;
}

INT_PTR CFolderDialog::DoModal() {
    // The shell wants COM on this thread; set up before the run so that no
    // window of COM's is taken for the browse window.
    HRESULT hrOle = OleInitialize(nullptr);
    std::memset(m_szFolderPath, 0, sizeof(m_szFolderPath));

    m_browseInfo.hwndOwner = PreModal();
    LPITEMIDLIST pItemIDList = SHBrowseForFolderW(&m_browseInfo);
    INT_PTR nResult = IDCANCEL;
    if (pItemIDList) {
        nResult = PathFromIDList(pItemIDList, m_szFolderPath) ? IDOK : -1;
        CoTaskMemFree(pItemIDList);
    }
    PostModal();

    if (SUCCEEDED(hrOle)) OleUninitialize();
    return nResult;
}

int CALLBACK CFolderDialog::BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM lParam,
                                               LPARAM lpData) {
    auto* pDlg = reinterpret_cast<CFolderDialog*>(lpData);
    if (!pDlg) return 0;
    // Callbacks nest (a selection made inside one reports its change at
    // once): the outer callback keeps its browse window afterwards.
    HWND hWndOuter = pDlg->m_hWndBrowse;
    pDlg->m_hWndBrowse = hWnd;
    int nResult = 0;
    switch (uMsg) {
    case BFFM_INITIALIZED:
        pDlg->OnInitialized();
        break;
    case BFFM_SELCHANGED:
        pDlg->OnSelChanged(reinterpret_cast<LPITEMIDLIST>(lParam));
        break;
    case BFFM_VALIDATEFAILEDW:
        nResult = pDlg->OnValidateFailed(
            lParam ? Gbk(reinterpret_cast<const wchar_t*>(lParam)).c_str() : "");
        break;
    case BFFM_VALIDATEFAILEDA:
        nResult = pDlg->OnValidateFailed(lParam ? reinterpret_cast<const char*>(lParam) : "");
        break;
    case BFFM_IUNKNOWN:
        pDlg->OnIUnknown(reinterpret_cast<IUnknown*>(lParam));
        break;
    default:
        break;
    }
    pDlg->m_hWndBrowse = hWndOuter;
    return nResult;
}

void CFolderDialog::OnInitialized() {
    if (m_szInitialFolder[0]) SelectFolder(m_szInitialFolder);
}

void CFolderDialog::OnSelChanged(LPITEMIDLIST pItemIDList) {
    if (!(m_browseInfo.ulFlags & BIF_STATUSTEXT)) return;
    char szPath[MAX_PATH];
    if (PathFromIDList(pItemIDList, szPath)) SetStatusText(szPath);
}

int CFolderDialog::OnValidateFailed(const char*) {
    MessageBeep(MB_ICONHAND);
    return 1;
}

void CFolderDialog::OnIUnknown(IUnknown*) {}

void CFolderDialog::SelectFolder(const char* pszPath) {
    if (!m_hWndBrowse || !pszPath) return;
    std::wstring path = Wide(pszPath);
    // "C:" is the current folder of drive C to the shell, which the browser
    // cannot find in its tree: the drive itself is meant.
    if (path.size() == 2 && path[1] == L':') path += L'\\';
    ::SendMessageW(m_hWndBrowse, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
}

void CFolderDialog::SetStatusText(const char* pszText) {
    if (!m_hWndBrowse || !pszText) return;
    std::wstring text = Wide(pszText);
    ::SendMessageW(m_hWndBrowse, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

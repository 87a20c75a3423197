#include "import/import_dlg.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "base/gbk.h"
#include "import/batch_names.h"
#include "import/file_list_dlg.h"
#include "import/match_result_dlg.h"
#include "import/pairing.h"
#include "resource.h"
#include "shell/about_dlg.h"
#include "shell/folder_dialog.h"
#include "shell/import_app.h"
#include "ui/app.h"
#include "ui/message_box.h"
#include "ui/text.h"

namespace {

// Whether the last mouse move over the main window showed the hand cursor.
BOOL s_bHandShown = FALSE;

}  // namespace

std::string CImportDlg::s_strLastFolder = "C:";

CImportDlg::CImportDlg(CWnd* pParent)
    : CSkinnedDialog(IDD_IMPORT_DIALOG, pParent, &s_bHandShown, CSkinButtons::CURSOR_RESTORE_ARROW),
      m_nAddMode(ADD_MODE_MP3_SCAN),
      m_nMp3FilesAdded(0),
      m_nLyricFilesAdded(0),
      m_pMatchResultDlg(nullptr),
      m_hWorkerThread(nullptr),
      m_dcBackground(nullptr),
      m_bmpBackground(nullptr),
      m_hOldBackground(nullptr),
      m_dcPicture(nullptr),
      m_bmpPicture(nullptr),
      m_hOldPicture(nullptr),
      m_sizePicture{0, 0},
      m_bBackgroundReady(FALSE),
      m_bBackgroundFailed(FALSE),
      m_hIcon(nullptr),
      m_crLastTextChoice(RGB(0, 0, 0)),
      m_crLastBKChoice(RGB(0, 0, 0)),
      m_bRunning(false),
      m_bStopRequested(false) {
    // Order of the hot regions: MP3 folder, lyric folder, start, about, exit.
    m_skin.Add(IDB_ADD_MP3, IDC_ADD_MP3_FOLDER, [this] { OnAddMp3Folder(); });
    m_skin.Add(IDB_ADD_LYRICS, IDC_ADD_LYRIC_FOLDER, [this] { OnAddLyricFolder(); });
    m_skin.Add(IDB_START_IMPORT, IDOK, [this] { OnOK(); });
    m_skin.Add(IDB_ABOUT, IDC_ABOUT, [this] { OnAbout(); });
    m_skin.Add(IDB_EXIT, IDCANCEL, [this] { OnCancel(); });
}

BEGIN_MESSAGE_MAP(CImportDlg, CSkinnedDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_DROPFILES()
    ON_WM_CONTEXTMENU()
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYDRAGICON()
    ON_WM_DESTROY()
    ON_COMMAND(IDC_ADD_MP3_FOLDER, &CImportDlg::OnAddMp3Folder)
    ON_COMMAND(IDC_ADD_LYRIC_FOLDER, &CImportDlg::OnAddLyricFolder)
    ON_COMMAND(IDC_ABOUT, &CImportDlg::OnAbout)
    ON_COMMAND(IDC_DELETE_LYRIC, &CImportDlg::OnDeleteLyric)
    ON_COMMAND(ID_BATCH_ID3, &CImportDlg::OnBatchId3)
    ON_COMMAND(ID_TEXT_COLOR, &CImportDlg::OnTextColor)
    ON_COMMAND(ID_BACKGROUND_COLOR, &CImportDlg::OnBackgroundColor)
    ON_COMMAND(IDM_ABOUTBOX, &CImportDlg::OnAbout)
    ON_LBN_DBLCLK(IDC_LYRIC_LIST, &CImportDlg::OnDblclkLyricList)
    ON_LBN_DBLCLK(IDC_MP3_LIST, &CImportDlg::OnDblclkMp3List)
    ON_MESSAGE(WM_DELETE_ENTRY, &CImportDlg::OnDeleteEntry)
    ON_MESSAGE(WM_DELETE_MATCHED, &CImportDlg::OnDeleteMatched)
END_MESSAGE_MAP()


namespace {

// GBK text of this window from the UTF-8 source text.
std::string CountText(int nCount) {
    return Text("一共有文件:") + std::to_string(nCount);
}

HINSTANCE ResourceInstance() {
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->m_hInstance ? pApp->m_hInstance : GetModuleHandleW(nullptr);
}

// The client rectangle of a control of hDlg; empty when there is none.
RECT ControlRect(HWND hDlg, int nID) {
    RECT rect = {0, 0, 0, 0};
    HWND hCtl = GetDlgItem(hDlg, nID);
    if (hCtl && GetWindowRect(hCtl, &rect)) MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// After the selected entry nIndex was removed: the entry now at its place,
// or none when it was the last.
void SelectAt(CListBox& list, int nIndex) {
    list.SetCurSel(nIndex < list.GetCount() ? nIndex : -1);
}

// The last folder a scan of strFolder visits: its last sub-folder, that
// one's last sub-folder, and so on (the scan goes depth first in name order).
std::string LastFolderVisited(const std::string& strFolder) {
    std::string strLast = strFolder;
    for (int nDepth = 0; nDepth < 64; ++nDepth) {
        std::vector<fileio::DirEntry> entries;
        if (!fileio::ListDirectory(strLast, entries)) break;
        auto it = std::find_if(entries.rbegin(), entries.rend(),
                               [](const fileio::DirEntry& entry) { return entry.isDirectory; });
        if (it == entries.rend()) break;
        strLast = fileio::JoinPath(strLast, it->name);
    }
    return strLast;
}

// A name that MoveFile would take as a path elsewhere, or as a stream of
// the file, or that Windows does not allow in a file name (the file system
// under Wine would take some of them), is not a file name.
bool IsPlainFileName(const std::string& strName) {
    return CheckFileName(strName) == FileNameCheck::Usable;
}

}  // namespace

CImportDlg::~CImportDlg() {
    // While this object is whole: OnDestroy frees the entries' paths.
    if (m_hWnd) DestroyWindow();
    // The result window went with its owner; the object is this window's.
    delete m_pMatchResultDlg;
    m_pMatchResultDlg = nullptr;
    FinishRunBeforeClosing();  // closes the handle of the last worker
    FreeBackground();
}

// ---- Initialisation

BOOL CImportDlg::OnInitDialog() {
    // Attaches the lists and opens the pictures with their click regions and
    // the hand cursor.
    CSkinnedDialog::OnInitDialog();
    DragAcceptFiles(true);
    m_nAddMode = ADD_MODE_MP3_SCAN;

    HINSTANCE hInst = ResourceInstance();
    HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (hSysMenu) {
        wchar_t szAbout[256] = {};
        if (LoadStringW(hInst, IDS_ABOUTBOX, szAbout, 256) > 0) {
            AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, szAbout);
        }
    }

    m_hIcon = static_cast<HICON>(LoadImageW(hInst, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, 0, 0,
                                            LR_DEFAULTSIZE | LR_SHARED));
    HICON hSmall = static_cast<HICON>(LoadImageW(hInst, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SetIcon(m_hIcon, true);
    SetIcon(hSmall ? hSmall : m_hIcon, false);

    CheckRadioButton(IDC_UNSYNC_ONLY, IDC_SYNC_AND_UNSYNC, IDC_SYNC_AND_UNSYNC);
    return TRUE;
}

void CImportDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_LYRIC_LIST, m_lyricList);
    DDX_Control(pDX, IDC_MP3_LIST, m_mp3List);
}

void CImportDlg::OnCancel() {
    // The worker uses the lists and the writer's storage: it ends first.
    FinishRunBeforeClosing();
    CSkinnedDialog::OnCancel();
}

// ---- Folders and files

void CImportDlg::OnAddMp3Folder() { ChooseAndAddFolder(true); }

void CImportDlg::OnAddLyricFolder() { ChooseAndAddFolder(false); }

void CImportDlg::ChooseAndAddFolder(bool bMp3) {
    if (RefuseWhileImporting()) return;
    CFolderDialog dlg(bMp3 ? Text("选择Mp3文件").c_str() : Text("选择歌词文件").c_str(),
                      s_strLastFolder.c_str(), this, BIF_RETURNONLYFSDIRS);
    if (dlg.DoModal() != IDOK) return;
    s_strLastFolder = dlg.GetFolderPath();
    AddFolder(s_strLastFolder, bMp3);
}

void CImportDlg::AddFolder(const std::string& strFolder, bool bMp3) {
    m_nAddMode = bMp3 ? ADD_MODE_MP3_SCAN : ADD_MODE_LYRIC_SCAN;
    int& nAdded = bMp3 ? m_nMp3FilesAdded : m_nLyricFilesAdded;
    nAdded = 0;
    ScanFolder(strFolder);
    // What this scan added, not what the list holds.
    SetDlgItemText(bMp3 ? IDC_MP3_COUNT : IDC_LYRIC_COUNT, CountText(nAdded));
    RefreshLabelBand();
}

void CImportDlg::ScanFolder(const std::string& strFolder) {
    ::ScanFolder(strFolder, [this](const std::string& strPath) { AddFile(strPath); });
    // A scan leaves the process in the last folder it visited.
    SetCurrentDirectoryW(Wide(LastFolderVisited(strFolder)).c_str());
}

void CImportDlg::AddFile(const std::string& strPath) {
    if (GbkFindLast(strPath, '\\') == std::string::npos) return;
    switch (ClassifyPath(strPath, static_cast<AddMode>(m_nAddMode))) {
        case ListKind::Mp3:
            if (AddFileEntry(m_mp3List, strPath) >= 0) ++m_nMp3FilesAdded;
            break;
        case ListKind::Lyric:
            if (AddFileEntry(m_lyricList, strPath) >= 0) ++m_nLyricFilesAdded;
            break;
        case ListKind::None:
            break;
    }
    ShowListTotals();
}

void CImportDlg::ShowListTotals() {
    SetDlgItemText(IDC_MP3_COUNT, CountText(m_mp3List.GetCount()));
    SetDlgItemText(IDC_LYRIC_COUNT, CountText(m_lyricList.GetCount()));
    RefreshLabelBand();
}

void CImportDlg::RefreshLabelBand() {
    // The labels are drawn transparent: the picture behind a changed text
    // must be repainted. The band runs from label 1007 across label 1008.
    RECT rect = ControlRect(m_hWnd, IDC_MP3_COUNT);
    rect.right = 1024;
    InvalidateRect(&rect, true);
}

void CImportDlg::RefreshLabel(int nID) {
    RECT rect = ControlRect(m_hWnd, nID);
    InvalidateRect(&rect, true);
}

void CImportDlg::OnDropFiles(HDROP hDropInfo) { DropFiles(hDropInfo); }

void CImportDlg::DropFiles(HDROP hDropInfo) {
    if (RefuseWhileImporting()) {
        DragFinish(hDropInfo);
        return;
    }
    UINT nFiles = DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nFiles; ++i) {
        UINT nLength = DragQueryFileW(hDropInfo, i, nullptr, 0);
        std::wstring strWide(nLength + 1, L'\0');
        if (DragQueryFileW(hDropInfo, i, &strWide[0], nLength + 1) != nLength) continue;
        strWide.resize(nLength);
        size_t nUnmappable = 0;
        std::string strPath = Utf16ToCp936(
            std::u16string_view(reinterpret_cast<const char16_t*>(strWide.data()), strWide.size()),
            &nUnmappable);
        // A name GBK cannot spell would name another file, or none.
        if (nUnmappable > 0) continue;
        m_nAddMode = ADD_MODE_DROPPED;
        AddFile(strPath);
    }
    DragFinish(hDropInfo);
}

// ---- Removing entries

LRESULT CImportDlg::OnDeleteEntry(WPARAM wParam, LPARAM) {
    if (RefuseWhileImporting()) return 0;
    if (wParam == DELETE_ENTRY_MP3) {
        int nSel = m_mp3List.GetCurSel();
        if (nSel < 0) return 0;
        RemoveFileEntry(m_mp3List, nSel);
        SelectAt(m_mp3List, nSel);
        SetDlgItemText(IDC_MP3_COUNT, CountText(m_mp3List.GetCount()));
        RefreshLabel(IDC_MP3_COUNT);
    } else {
        DeleteSelectedLyric();
        SetDlgItemText(IDC_LYRIC_COUNT, CountText(m_lyricList.GetCount()));
        RefreshLabel(IDC_LYRIC_COUNT);
    }
    return 0;
}

void CImportDlg::OnDeleteLyric() {
    if (RefuseWhileImporting()) return;
    DeleteSelectedLyric();
}

void CImportDlg::DeleteSelectedLyric() {
    int nSel = m_lyricList.GetCurSel();
    if (nSel < 0) return;
    RemoveFileEntry(m_lyricList, nSel);
    SelectAt(m_lyricList, nSel);
}

// ---- Double-clicks

void CImportDlg::OnDblclkLyricList() {
    int nSel = m_lyricList.GetCurSel();
    if (nSel < 0) return;
    std::string strPath = FileEntryPath(m_lyricList, nSel);
    if (!strPath.empty()) EditLyric(strPath);
}

void CImportDlg::OnDblclkMp3List() {
    int nSel = m_mp3List.GetCurSel();
    if (nSel >= 0) EditMusicInfo(nSel);
}

// The lyric editor opens in import_dlg_lyric_editor.cpp, the information
// dialog in import_dlg_music_info.cpp.

// ---- Renaming and the ID3v1 record

bool CImportDlg::RenameMp3Entry(int nIndex, const std::string& strNewName) {
    if (RefuseWhileImporting()) return false;
    return MoveMp3Entry(nIndex, strNewName);
}

bool CImportDlg::MoveMp3Entry(int nIndex, const std::string& strNewName, std::string* pstrWhy) {
    if (nIndex < 0 || nIndex >= m_mp3List.GetCount()) return false;
    const std::string strOldPath = FileEntryPath(m_mp3List, nIndex);
    size_t nSlash = GbkFindLast(strOldPath, '\\');
    if (nSlash == std::string::npos) return false;
    const std::string strOldName = m_mp3List.GetText(nIndex);
    if (strNewName == strOldName) return true;
    const std::string strNewPath = strOldPath.substr(0, nSlash + 1) + strNewName;

    // The file moves first: the entry changes only when it names the file
    // that now lies there. MoveFile never replaces another file.
    const bool bPlain = IsPlainFileName(strNewName);
    if (!bPlain || !fileio::MoveNoReplace(strOldPath, strNewPath)) {
        // A change of letter case alone finds the file itself, not another.
        const bool bTaken = fileio::Exists(strNewPath) && GbkCompareNoCase(strNewName, strOldName) != 0;
        const std::string strWhy = !bPlain ? Text("文件名不能含有 \\ / : * ? \" < > | 这些字符")
                                   : bTaken ? Text("已有同名的文件")
                                            : Text("文件无法改名");
        if (pstrWhy) {
            *pstrWhy = strWhy;
        } else {
            ShowMessageBox(m_hWnd, Text("改名失败!\n") + "\"" + strOldName + "\" -> \"" + strNewName +
                                       "\"\n" + strWhy + Text("。") + "\n---Quillan");
        }
        return false;
    }

    bool bSelected = m_mp3List.GetCurSel() == nIndex;
    RemoveFileEntry(m_mp3List, nIndex);
    int nLine = InsertFileEntry(m_mp3List, nIndex, strNewName, strNewPath);
    if (bSelected && nLine >= 0) m_mp3List.SetCurSel(nLine);
    return true;
}

void CImportDlg::ApplyMusicInfo(int nIndex, const std::string& strFileName,
                                const std::string& strTitle, const std::string& strArtist,
                                const std::string& strAlbum, const std::string& strYear) {
    if (RefuseWhileImporting()) return;
    if (nIndex < 0 || nIndex >= m_mp3List.GetCount()) return;

    // A change of letter case alone keeps the file's name. A failed move
    // leaves the entry on the original file, which then gets the record.
    if (EndsWithExtNoCase(strFileName, ".mp3") &&
        GbkCompareNoCase(strFileName, m_mp3List.GetText(nIndex)) != 0)
        MoveMp3Entry(nIndex, strFileName);

    // The dialog shows neither comment nor genre: a record the file has
    // keeps them.
    const std::string strPath = FileEntryPath(m_mp3List, nIndex);
    Id3v1Fields fields;
    if (FILE* pFile = fileio::Open(strPath, "rb")) {
        ReadId3v1Body(pFile, fields);
        std::fclose(pFile);
    }
    fields.SetField(0, 30, strTitle);
    fields.SetField(30, 30, strArtist);
    fields.SetField(60, 30, strAlbum);
    fields.SetField(90, 4, strYear);
    WriteResult result = WriteId3v1(fields, strPath, false);
    if (!result.ok()) {
        ShowMessageBox(m_hWnd, Text("写入ID3v1信息失败!\n") + m_mp3List.GetText(nIndex) + "\n" +
                                   WriteStatusText(result.status) + "\n---Quillan");
    }
}

// ---- The right-click menu and its commands

void CImportDlg::OnContextMenu(HWND, CPoint point) {
    HMENU hMenu = LoadMenuW(ResourceInstance(), MAKEINTRESOURCEW(IDR_CONTEXT_MENU));
    if (!hMenu) return;
    HMENU hPopup = GetSubMenu(hMenu, 0);
    if (hPopup) {
        // From the keyboard (Shift+F10, the menu key) there is no pointer.
        if (point.x == -1 && point.y == -1) {
            RECT rect;
            GetWindowRect(&rect);
            point = CPoint(rect.left, rect.top);
        }
        TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    }
    DestroyMenu(hMenu);
}

void CImportDlg::OnBatchId3() {
    // The batch conversion renames files and rewrites their entries.
    if (RefuseWhileImporting()) return;
    RunBatchConversion();
}

void CImportDlg::OnTextColor() { ChooseColour(m_crLastTextChoice, true); }

void CImportDlg::OnBackgroundColor() { ChooseColour(m_crLastBKChoice, false); }

void CImportDlg::ChooseColour(COLORREF& crLastChoice, bool bTextColour) {
    static COLORREF s_crCustom[16] = {};
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = m_hWnd;
    cc.rgbResult = crLastChoice;
    cc.lpCustColors = s_crCustom;
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorW(&cc)) return;
    crLastChoice = cc.rgbResult;

    // "%06X" of 0x00BBGGRR: the settings reorder it to red, green, blue.
    char szColour[16];
    std::snprintf(szColour, sizeof(szColour), "%06X", static_cast<unsigned>(cc.rgbResult & 0xFFFFFF));
    if (auto* pApp = dynamic_cast<CImportApp*>(AfxGetApp())) {
        if (bTextColour)
            pApp->SaveTextColor(szColour);
        else
            pApp->SaveBKColor(szColour);
    }
    Invalidate(true);
}

// ---- About

void CImportDlg::OnAbout() { ShowAboutDialog(); }

void CImportDlg::ShowAboutDialog() {
    CAboutDlg dlg(this);
    dlg.DoModal();
}

void CImportDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
    else
        Default();
}

// ---- Painting and destruction

void CImportDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) {
        CSkinnedDialog::OnPaint();
        return;
    }
    PAINTSTRUCT ps;
    HDC hDC = BeginPaint(m_hWnd, &ps);
    if (hDC) {
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
        RECT rect;
        GetClientRect(&rect);
        int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
        if (m_hIcon) DrawIcon(hDC, x, y, m_hIcon);
    }
    EndPaint(m_hWnd, &ps);
}

HCURSOR CImportDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }

void CImportDlg::OnDestroy() {
    // A window destroyed during a run: the worker still reads the paths.
    if (IsImportRunning()) FinishRunBeforeClosing();
    RemoveAllFileEntries(m_mp3List);
    RemoveAllFileEntries(m_lyricList);
    FreeBackground();
    CSkinnedDialog::OnDestroy();
}

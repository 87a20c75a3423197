#include "import/import_dlg.h"

#include "import/file_list_dlg.h"
#include "import/match_result_dlg.h"
#include "resource.h"

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

// ---- to be written: the file lists and commands
CImportDlg::~CImportDlg() = default;
void CImportDlg::AddFile(const std::string&) {}
void CImportDlg::ScanFolder(const std::string&) {}
void CImportDlg::DropFiles(HDROP hDropInfo) { DragFinish(hDropInfo); }
void CImportDlg::AddFolder(const std::string&, bool) {}
bool CImportDlg::RenameMp3Entry(int, const std::string&) { return false; }
void CImportDlg::ApplyMusicInfo(int, const std::string&, const std::string&, const std::string&,
                                const std::string&, const std::string&) {}
void CImportDlg::ShowListTotals() {}
BOOL CImportDlg::OnInitDialog() { return CSkinnedDialog::OnInitDialog(); }
void CImportDlg::OnCancel() { CSkinnedDialog::OnCancel(); }
void CImportDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_LYRIC_LIST, m_lyricList);
    DDX_Control(pDX, IDC_MP3_LIST, m_mp3List);
}
void CImportDlg::OnAddMp3Folder() {}
void CImportDlg::OnAddLyricFolder() {}
void CImportDlg::OnAbout() {}
void CImportDlg::OnDeleteLyric() {}
void CImportDlg::OnDblclkLyricList() {}
void CImportDlg::OnDblclkMp3List() {}
void CImportDlg::OnDropFiles(HDROP hDropInfo) { DropFiles(hDropInfo); }
LRESULT CImportDlg::OnDeleteEntry(WPARAM, LPARAM) { return 0; }
void CImportDlg::OnContextMenu(HWND, CPoint) {}
void CImportDlg::OnBatchId3() {}
void CImportDlg::OnTextColor() {}
void CImportDlg::OnBackgroundColor() {}
void CImportDlg::OnSysCommand(UINT, LPARAM) { Default(); }
void CImportDlg::OnPaint() { CSkinnedDialog::OnPaint(); }
HCURSOR CImportDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
void CImportDlg::OnDestroy() { CSkinnedDialog::OnDestroy(); }
void CImportDlg::DeleteSelectedLyric() {}
void CImportDlg::EditLyric(const std::string&) {}
void CImportDlg::EditMusicInfo(int) {}

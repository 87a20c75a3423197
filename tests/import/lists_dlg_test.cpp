// The main window's file lists and commands, on the real dialog template:
// drops, folder scans, the Delete key, double-clicks, renames with the ID3v1
// record, the menus, the colour chooser and the refusals during a run.
#include "import/import_dlg.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/codepage.h"
#include "import/file_list_dlg.h"
#include "resource.h"
#include "shell/import_app.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

// The window with its hooks observed and its run flag reachable.
class CTestImportDlg : public CImportDlg {
public:
    using CImportDlg::m_bRunning;

    std::vector<std::string> m_editedLyrics;
    std::vector<int> m_editedInfos;
    int m_nAbout = 0;
    int m_nBatch = 0;

    bool Open() { return Create(IDD_IMPORT_DIALOG); }

    static std::vector<std::string> Paths(const CListBox& list) {
        std::vector<std::string> paths;
        for (int i = 0; i < list.GetCount(); ++i) paths.push_back(FileEntryPath(list, i));
        return paths;
    }
    std::string Label(int nID) const { return GetDlgItemText(nID); }

protected:
    void EditLyric(const std::string& strPath) override { m_editedLyrics.push_back(strPath); }
    void EditMusicInfo(int nIndex) override { m_editedInfos.push_back(nIndex); }
    void ShowAboutDialog() override { ++m_nAbout; }
    void RunBatchConversion() override { ++m_nBatch; }
};

// A dropped-files handle as the shell makes it: DROPFILES, then the wide
// paths, each NUL-terminated, and one more NUL.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t nChars = 1;
    for (const auto& path : paths) nChars += path.size() + 1;
    HGLOBAL hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + nChars * sizeof(wchar_t));
    auto* pDrop = static_cast<DROPFILES*>(GlobalLock(hGlobal));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    auto* pText = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(pDrop) + sizeof(DROPFILES));
    for (const auto& path : paths) {
        path.copy(pText, path.size());
        pText += path.size() + 1;
    }
    GlobalUnlock(hGlobal);
    return static_cast<HDROP>(hGlobal);
}

void Drop(CWnd& wnd, const std::vector<std::wstring>& paths) {
    wnd.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

std::wstring W(const std::string& gbk) { return Wide(gbk); }

// A fresh folder tree under the temporary folder, removed with all it holds;
// places in it are named by wide relative paths.
class CTempTree {
public:
    explicit CTempTree(const wchar_t* pszName) : m_folder(pszName) {}
    ~CTempTree() {
        wchar_t szTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, szTemp);
        SetCurrentDirectoryW(szTemp);  // a scan may have left the process inside
    }

    std::wstring Path(const std::wstring& rel) const { return m_folder.Root() + L"\\" + rel; }
    std::string Gbk(const std::wstring& rel) const { return ::Gbk(Path(rel)); }
    std::string Root() const { return ::Gbk(m_folder.Root()); }
    void Folder(const std::wstring& rel) const { CreateDirectoryW(Path(rel).c_str(), nullptr); }
    void File(const std::wstring& rel, const std::string& bytes = "ID3 data") const {
        ASSERT_TRUE(WriteBytes(Path(rel), bytes));
    }
    std::string Read(const std::wstring& rel) const { return ReadBytes(Path(rel)); }
    bool Exists(const std::wstring& rel) const {
        return GetFileAttributesW(Path(rel).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // The name the folder lists for rel (its letter case as stored).
    std::wstring StoredName(const std::wstring& rel) const {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(Path(rel).c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return L"";
        FindClose(h);
        return fd.cFileName;
    }

private:
    CTempFolder m_folder;
};

std::string Count(int n) { return G("一共有文件:") + std::to_string(n); }

// The ID3v1 record at the end of bytes, or empty.
std::string Record(const std::string& bytes) {
    if (bytes.size() < 128 || bytes.compare(bytes.size() - 128, 3, "TAG") != 0) return "";
    return bytes.substr(bytes.size() - 128);
}
std::string Field(const std::string& record, size_t offset, size_t width) {
    std::string field = record.substr(3 + offset, width);
    return field.substr(0, field.find('\0'));
}

const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(400, '\x55');

class ImportLists : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dlg.Open()); }
    CTestImportDlg m_dlg;
};

}  // namespace

// ---- Initialisation

TEST_F(ImportLists, OpensWithItsOptionsIconMenuEntryAndDropTarget) {
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), m_dlg.IsDlgButtonChecked(IDC_SYNC_AND_UNSYNC));
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), m_dlg.IsDlgButtonChecked(IDC_UNSYNC_ONLY));
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), m_dlg.IsDlgButtonChecked(IDC_IRIVER));
    EXPECT_EQ(ADD_MODE_MP3_SCAN, m_dlg.m_nAddMode);
    EXPECT_TRUE(GetWindowLongW(m_dlg, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    HICON hBig = reinterpret_cast<HICON>(m_dlg.SendMessage(WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(nullptr, hBig);
    EXPECT_EQ(m_dlg.m_hIcon, hBig);
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(m_dlg.SendMessage(WM_GETICON, ICON_SMALL, 0)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(m_dlg.m_hIcon), m_dlg.SendMessage(WM_QUERYDRAGICON));

    HMENU hSys = GetSystemMenu(m_dlg, FALSE);
    ASSERT_NE(nullptr, hSys);
    wchar_t szText[128] = {};
    ASSERT_GT(GetMenuStringW(hSys, IDM_ABOUTBOX, szText, 128, MF_BYCOMMAND), 0);
    EXPECT_EQ(W(G("关于 Versemill(&A)...")), szText);
    int nItems = GetMenuItemCount(hSys);
    ASSERT_GE(nItems, 2);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), GetMenuItemID(hSys, nItems - 1));
    MENUITEMINFOW info = {sizeof(info), MIIM_FTYPE};
    ASSERT_TRUE(GetMenuItemInfoW(hSys, nItems - 2, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
}

TEST_F(ImportLists, AboutIsReachedFromTheCommandTheMenuAndTheSystemMenu) {
    m_dlg.SendMessage(WM_COMMAND, IDC_ABOUT, 0);
    m_dlg.SendMessage(WM_COMMAND, IDM_ABOUTBOX, 0);
    m_dlg.SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(3, m_dlg.m_nAbout);
    // Any other system command goes its default way: a restore of a
    // window that is not minimised leaves it shown and about unopened.
    m_dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(3, m_dlg.m_nAbout);
    EXPECT_TRUE(m_dlg.IsWindowVisible());
    m_dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(m_dlg));
    m_dlg.UpdateWindow();  // the minimised painting
    m_dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(m_dlg));
}

// ---- Drops

TEST_F(ImportLists, DropSortsMp3AndLyricFilesAndShowsBothTotals) {
    Drop(m_dlg, {L"C:\\music\\x.mp3", L"C:\\music\\y.lrc", L"C:\\music\\z.wav"});
    EXPECT_EQ(std::vector<std::string>{"x.mp3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(std::vector<std::string>{"C:\\music\\x.mp3"}, CTestImportDlg::Paths(m_dlg.m_mp3List));
    EXPECT_EQ(std::vector<std::string>{"y.lrc"}, ListTexts(m_dlg.m_lyricList));
    EXPECT_EQ(std::vector<std::string>{"C:\\music\\y.lrc"}, CTestImportDlg::Paths(m_dlg.m_lyricList));
    EXPECT_EQ(Count(1), m_dlg.Label(IDC_MP3_COUNT));
    EXPECT_EQ(Count(1), m_dlg.Label(IDC_LYRIC_COUNT));
    EXPECT_EQ(ADD_MODE_DROPPED, m_dlg.m_nAddMode);
    EXPECT_EQ(1, m_dlg.m_nMp3FilesAdded);
    EXPECT_EQ(1, m_dlg.m_nLyricFilesAdded);

    // Endings are compared without case; the same file twice is listed twice.
    Drop(m_dlg, {L"D:\\B.MP3", L"C:\\music\\x.mp3", L"D:\\c.LrC"});
    EXPECT_EQ((std::vector<std::string>{"x.mp3", "B.MP3", "x.mp3"}), ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ((std::vector<std::string>{"y.lrc", "c.LrC"}), ListTexts(m_dlg.m_lyricList));
    EXPECT_EQ(Count(3), m_dlg.Label(IDC_MP3_COUNT));
    EXPECT_EQ(Count(2), m_dlg.Label(IDC_LYRIC_COUNT));
}

TEST_F(ImportLists, DroppedFolderAddsNothingUnlessItsNameEndsLikeAFile) {
    CTempTree tree(L"vm-drop-");
    tree.Folder(L"album");
    tree.Folder(L"live.mp3");
    Drop(m_dlg, {tree.Path(L"album")});
    EXPECT_EQ(0, m_dlg.m_mp3List.GetCount());
    EXPECT_EQ(0, m_dlg.m_lyricList.GetCount());
    EXPECT_EQ(Count(0), m_dlg.Label(IDC_MP3_COUNT));  // offered, so the totals show

    Drop(m_dlg, {tree.Path(L"live.mp3")});
    EXPECT_EQ(std::vector<std::string>{"live.mp3"}, ListTexts(m_dlg.m_mp3List));
}

TEST_F(ImportLists, PathWithoutBackslashIsIgnoredWithoutTouchingTheLabels) {
    m_dlg.SetDlgItemText(IDC_MP3_COUNT, "before");
    m_dlg.m_nAddMode = ADD_MODE_DROPPED;
    m_dlg.AddFile("x.mp3");
    m_dlg.AddFile("C:/music/x.mp3");
    EXPECT_EQ(0, m_dlg.m_mp3List.GetCount());
    EXPECT_EQ("before", m_dlg.Label(IDC_MP3_COUNT));
}

TEST_F(ImportLists, DropSkipsAPathGbkCannotSpell) {
    // U+0E01 (Thai) has no GBK form: as '?' it would name no file.
    Drop(m_dlg, {L"C:\\m\\\u0e01.mp3", L"C:\\m\\ok.mp3"});
    EXPECT_EQ(std::vector<std::string>{"ok.mp3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(1, m_dlg.m_nMp3FilesAdded);
}

TEST_F(ImportLists, ChineseNamesKeepTheirBytesInTextAndPath) {
    // 乗 is 0x81 0x5C in GBK: its trail byte is a backslash.
    Drop(m_dlg, {L"C:\\\u6b4c\u66f2\\\u5341\u5e74.mp3", L"C:\\\u6b4c\u66f2\\\u4e57\u98ce.lrc"});
    EXPECT_EQ(std::vector<std::string>{G("十年.mp3")}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(std::vector<std::string>{G("C:\\歌曲\\十年.mp3")}, CTestImportDlg::Paths(m_dlg.m_mp3List));
    EXPECT_EQ(std::vector<std::string>{G("乗风.lrc")}, ListTexts(m_dlg.m_lyricList));
    EXPECT_EQ(std::vector<std::string>{G("C:\\歌曲\\乗风.lrc")}, CTestImportDlg::Paths(m_dlg.m_lyricList));
    // What the list control shows, in UTF-16.
    wchar_t szText[64] = {};
    ::SendMessageW(m_dlg.m_mp3List, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(szText));
    EXPECT_STREQ(L"\u5341\u5e74.mp3", szText);
}

// ---- Folder scans

class ImportScan : public ImportLists {
protected:
    void SetUp() override {
        ImportLists::SetUp();
        m_tree.File(L"b.mp3");
        m_tree.File(L"A.MP3");
        m_tree.File(L"c.txt");
        m_tree.File(L"b.Lrc");
        m_tree.Folder(L"sub1");
        m_tree.File(L"sub1\\s1.mp3");
        m_tree.Folder(L"sub1\\deep");
        m_tree.File(L"sub1\\deep\\d.mp3");
        m_tree.Folder(L"sub2");
        m_tree.File(L"sub2\\s2.mp3");
        m_tree.File(L"sub2\\s2.lrc");
        m_tree.Folder(L"sub2\\empty");
        m_tree.File(L"z.mp3");
    }
    CTempTree m_tree{L"vm-scan-"};
};

TEST_F(ImportScan, Mp3FolderTakesTheFolderOwnFilesFirstThenItsSubFoldersDepthFirst) {
    m_dlg.AddFolder(m_tree.Root(), true);
    EXPECT_EQ((std::vector<std::string>{"A.MP3", "b.mp3", "z.mp3", "s1.mp3", "d.mp3", "s2.mp3"}),
              ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(m_tree.Gbk(L"sub1\\deep\\d.mp3"), FileEntryPath(m_dlg.m_mp3List, 4));
    EXPECT_EQ(0, m_dlg.m_lyricList.GetCount());
    EXPECT_EQ(Count(6), m_dlg.Label(IDC_MP3_COUNT));
    EXPECT_EQ(Count(0), m_dlg.Label(IDC_LYRIC_COUNT));
    EXPECT_EQ(ADD_MODE_MP3_SCAN, m_dlg.m_nAddMode);

    // The process is left in the last folder the scan visited.
    wchar_t szCurrent[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, szCurrent);
    EXPECT_EQ(0, lstrcmpiW(m_tree.Path(L"sub2\\empty").c_str(), szCurrent)) << Gbk(szCurrent);
}

TEST_F(ImportScan, LyricFolderTakesOnlyLyricFiles) {
    m_dlg.AddFolder(m_tree.Root(), false);
    EXPECT_EQ((std::vector<std::string>{"b.Lrc", "s2.lrc"}), ListTexts(m_dlg.m_lyricList));
    EXPECT_EQ(0, m_dlg.m_mp3List.GetCount());
    EXPECT_EQ(Count(2), m_dlg.Label(IDC_LYRIC_COUNT));
    EXPECT_EQ(ADD_MODE_LYRIC_SCAN, m_dlg.m_nAddMode);
}

TEST_F(ImportScan, SecondScanListsTwiceAndTheLabelCountsTheSecondScanOnly) {
    Drop(m_dlg, {L"C:\\x.mp3"});
    m_dlg.AddFolder(m_tree.Root(), true);
    m_dlg.AddFolder(m_tree.Root(), false);
    m_dlg.AddFolder(m_tree.Root(), true);
    EXPECT_EQ(13, m_dlg.m_mp3List.GetCount());
    EXPECT_EQ(6, m_dlg.m_nMp3FilesAdded);
    EXPECT_EQ(Count(6), m_dlg.Label(IDC_MP3_COUNT));
    // The lyric counter is reset by its own command only.
    EXPECT_EQ(2, m_dlg.m_nLyricFilesAdded);
    Drop(m_dlg, {L"C:\\y.lrc"});
    EXPECT_EQ(3, m_dlg.m_nLyricFilesAdded);
}

// The folder the chooser opens on is tested with the chooser itself: here the
// test picks the folder, as a user clicks one. (With the machine under load,
// Wine's browser in a new prefix can drop its initial selection soon after
// it made it: waiting for that selection made this test hang.)
// The text of the item selected in a folder browser's tree; empty without one.
static std::wstring SelectedTreeText(HWND hBrowse) {
    HWND hTree = nullptr;
    EnumChildWindows(
        hBrowse,
        [](HWND hChild, LPARAM lParam) {
            wchar_t szClass[64] = {};
            GetClassNameW(hChild, szClass, 64);
            if (lstrcmpiW(szClass, WC_TREEVIEWW) != 0) return TRUE;
            *reinterpret_cast<HWND*>(lParam) = hChild;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&hTree));
    if (!hTree) return std::wstring();
    HTREEITEM hItem = TreeView_GetSelection(hTree);
    if (!hItem) return std::wstring();
    wchar_t szText[MAX_PATH] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = szText;
    item.cchTextMax = MAX_PATH;
    if (!::SendMessageW(hTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return std::wstring();
    return szText;
}

TEST_F(ImportScan, FolderCommandScansTheChosenFolderAndRemembersIt) {
    CImportDlg::s_strLastFolder = m_tree.Gbk(L"sub2");
    const std::wstring sub1 = m_tree.Path(L"sub1");
    std::wstring title;
    bool bGaveUp = false;
    int nTicks = 0;
    TimedSteps steps({[&] {
        HWND hBrowse = FindOwnedDialog(m_dlg.m_hWnd);
        if (!hBrowse) return false;
        if (++nTicks > 750) {  // 15 s: fail, never wait for ever
            bGaveUp = true;
            ::PostMessageW(hBrowse, WM_COMMAND, IDCANCEL, 0);
            return true;
        }
        // The browser is ready once its title shows.
        EnumChildWindows(
            hBrowse,
            [](HWND hChild, LPARAM lParam) {
                wchar_t sz[128] = {};
                GetWindowTextW(hChild, sz, 128);
                if (wcsstr(sz, L"Mp3")) *reinterpret_cast<std::wstring*>(lParam) = sz;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&title));
        if (title.empty()) return false;
        // OK only once the tree shows sub1 selected: the browser may still
        // be making its own initial selection, which would undo this one.
        // (The answer to the message is no use: the browser's dialog
        // procedure gives none.)
        if (SelectedTreeText(hBrowse) != L"sub1") {
            ::SendMessageW(hBrowse, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(sub1.c_str()));
            return false;
        }
        ::PostMessageW(hBrowse, WM_COMMAND, IDOK, 0);
        return true;
    }});
    m_dlg.SendMessage(WM_COMMAND, IDC_ADD_MP3_FOLDER, 0);
    EXPECT_TRUE(steps.Done());
    ASSERT_FALSE(bGaveUp) << "the browser never took the folder";
    EXPECT_EQ(W(G("选择Mp3文件")), title);
    EXPECT_EQ((std::vector<std::string>{"s1.mp3", "d.mp3"}), ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(0, lstrcmpiW(m_tree.Path(L"sub1").c_str(), W(CImportDlg::s_strLastFolder).c_str()));
    EXPECT_EQ(Count(2), m_dlg.Label(IDC_MP3_COUNT));
}

TEST_F(ImportScan, CancelledChooserChangesNothing) {
    CImportDlg::s_strLastFolder = m_tree.Gbk(L"sub1");
    TimedSteps steps({[&] {
        HWND hBrowse = FindOwnedDialog(m_dlg.m_hWnd);
        if (hBrowse) ::PostMessageW(hBrowse, WM_COMMAND, IDCANCEL, 0);
        return hBrowse != nullptr;
    }});
    m_dlg.SendMessage(WM_COMMAND, IDC_ADD_LYRIC_FOLDER, 0);
    EXPECT_TRUE(steps.Done());
    EXPECT_EQ(0, m_dlg.m_lyricList.GetCount());
    EXPECT_EQ(m_tree.Gbk(L"sub1"), CImportDlg::s_strLastFolder);
    EXPECT_EQ(ADD_MODE_MP3_SCAN, m_dlg.m_nAddMode);
}

TEST_F(ImportScan, ChineseFolderAndFileNamesSurviveTheScan) {
    m_tree.Folder(L"\u6b4c\u66f2");                          // 歌曲
    m_tree.File(L"\u6b4c\u66f2\\\u5341\u5e74.mp3");           // 十年.mp3
    m_tree.File(L"\u6b4c\u66f2\\\u4e57\u98ce.mp3");           // 乗风.mp3
    m_dlg.AddFolder(m_tree.Gbk(L"\u6b4c\u66f2"), true);
    std::vector<std::string> names = ListTexts(m_dlg.m_mp3List);
    ASSERT_EQ(2u, names.size());
    std::vector<std::string> expected = {G("乗风.mp3"), G("十年.mp3")};
    if (names[0] != expected[0]) std::swap(expected[0], expected[1]);
    EXPECT_EQ(expected, names);
    EXPECT_EQ(m_tree.Gbk(L"\u6b4c\u66f2\\") + names[1], FileEntryPath(m_dlg.m_mp3List, 1));
    // The path names the file that lies there.
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(W(FileEntryPath(m_dlg.m_mp3List, 0)).c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(W(FileEntryPath(m_dlg.m_mp3List, 1)).c_str()));
}

// ---- Removing entries

TEST_F(ImportLists, DeleteKeyRemovesTheSelectedMp3AndSelectsTheNextOne) {
    Drop(m_dlg, {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\c.mp3"});
    m_dlg.m_mp3List.SetCurSel(1);
    // The list box's own Delete key asks the window.
    m_dlg.m_mp3List.SendMessage(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ((std::vector<std::string>{"a.mp3", "c.mp3"}), ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(1, m_dlg.m_mp3List.GetCurSel());
    EXPECT_EQ(Count(2), m_dlg.Label(IDC_MP3_COUNT));

    // The last entry: nothing is selected afterwards.
    m_dlg.SendMessage(WM_DELETE_ENTRY, DELETE_ENTRY_MP3, 0);
    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(LB_ERR, m_dlg.m_mp3List.GetCurSel());
    EXPECT_EQ(Count(1), m_dlg.Label(IDC_MP3_COUNT));

    // No selection: nothing happens.
    m_dlg.SendMessage(WM_DELETE_ENTRY, DELETE_ENTRY_MP3, 0);
    EXPECT_EQ(1, m_dlg.m_mp3List.GetCount());
}

TEST_F(ImportLists, DeleteOfALyricAlwaysShowsTheLyricTotal) {
    Drop(m_dlg, {L"C:\\a.lrc", L"C:\\b.lrc", L"C:\\x.mp3"});
    m_dlg.SetDlgItemText(IDC_LYRIC_COUNT, "");
    m_dlg.SendMessage(WM_DELETE_ENTRY, DELETE_ENTRY_OTHER, 0);  // nothing selected
    EXPECT_EQ(2, m_dlg.m_lyricList.GetCount());
    EXPECT_EQ(Count(2), m_dlg.Label(IDC_LYRIC_COUNT));

    m_dlg.m_lyricList.SetCurSel(0);
    m_dlg.m_lyricList.SendMessage(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(std::vector<std::string>{"b.lrc"}, ListTexts(m_dlg.m_lyricList));
    EXPECT_EQ(0, m_dlg.m_lyricList.GetCurSel());
    EXPECT_EQ(Count(1), m_dlg.Label(IDC_LYRIC_COUNT));
    EXPECT_EQ(1, m_dlg.m_mp3List.GetCount());

    // Command 1012 removes without touching the label.
    m_dlg.SendMessage(WM_COMMAND, IDC_DELETE_LYRIC, 0);
    EXPECT_EQ(0, m_dlg.m_lyricList.GetCount());
    EXPECT_EQ(Count(1), m_dlg.Label(IDC_LYRIC_COUNT));
}

TEST_F(ImportLists, DestroyWithEntriesFreesThemAndLeavesTheObjectUsable) {
    Drop(m_dlg, {L"C:\\a.mp3", L"C:\\b.lrc"});
    EXPECT_TRUE(m_dlg.DestroyWindow());
    EXPECT_EQ(nullptr, m_dlg.m_hWnd);
    EXPECT_EQ(nullptr, m_dlg.m_mp3List.m_hWnd);
    // A window made again starts with empty lists.
    ASSERT_TRUE(m_dlg.Open());
    EXPECT_EQ(0, m_dlg.m_mp3List.GetCount());
}

// ---- Double-clicks

TEST_F(ImportLists, DoubleClicksOpenTheEditorsOnTheSelectedEntry) {
    Drop(m_dlg, {L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\l\\song.lrc"});
    auto dblclk = [&](int nID, HWND hList) {
        m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(nID, LBN_DBLCLK), reinterpret_cast<LPARAM>(hList));
    };
    dblclk(IDC_LYRIC_LIST, m_dlg.m_lyricList);
    dblclk(IDC_MP3_LIST, m_dlg.m_mp3List);
    EXPECT_TRUE(m_dlg.m_editedLyrics.empty());  // nothing selected
    EXPECT_TRUE(m_dlg.m_editedInfos.empty());

    m_dlg.m_lyricList.SetCurSel(0);
    m_dlg.m_mp3List.SetCurSel(1);
    dblclk(IDC_LYRIC_LIST, m_dlg.m_lyricList);
    dblclk(IDC_MP3_LIST, m_dlg.m_mp3List);
    EXPECT_EQ(std::vector<std::string>{"C:\\l\\song.lrc"}, m_dlg.m_editedLyrics);
    EXPECT_EQ(std::vector<int>{1}, m_dlg.m_editedInfos);
    EXPECT_EQ(2, m_dlg.m_mp3List.GetCount());
}

// ---- Renames and the ID3v1 record

class ImportRename : public ImportLists {
protected:
    void SetUp() override {
        ImportLists::SetUp();
        m_tree.File(L"a.mp3", kAudio);
        Drop(m_dlg, {m_tree.Path(L"a.mp3")});
        ASSERT_EQ(1, m_dlg.m_mp3List.GetCount());
    }
    void Apply(const std::string& name) { m_dlg.ApplyMusicInfo(0, name, "Title", "Artist", "Album", "2004"); }
    void ExpectRecordIn(const std::wstring& rel) {
        std::string bytes = m_tree.Read(rel);
        std::string record = Record(bytes);
        ASSERT_FALSE(record.empty()) << "no record in the file";
        EXPECT_EQ(kAudio.size() + 128, bytes.size());
        EXPECT_EQ(kAudio, bytes.substr(0, kAudio.size()));
        EXPECT_EQ("Title", Field(record, 0, 30));
        EXPECT_EQ("Artist", Field(record, 30, 30));
        EXPECT_EQ("Album", Field(record, 60, 30));
        EXPECT_EQ("2004", Field(record, 90, 4));
    }
    CTempTree m_tree{L"vm-rename-"};
};

TEST_F(ImportRename, LetterCaseAloneKeepsTheNameButWritesTheRecord) {
    Apply("A.mp3");
    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(m_tree.Gbk(L"a.mp3"), FileEntryPath(m_dlg.m_mp3List, 0));
    EXPECT_EQ(L"a.mp3", m_tree.StoredName(L"a.mp3"));
    ExpectRecordIn(L"a.mp3");
}

TEST_F(ImportRename, NewMp3NameMovesTheFileAndTheEntry) {
    m_dlg.m_mp3List.SetCurSel(0);
    Apply("b.MP3");
    EXPECT_EQ(std::vector<std::string>{"b.MP3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(m_tree.Gbk(L"b.MP3"), FileEntryPath(m_dlg.m_mp3List, 0));
    EXPECT_EQ(0, m_dlg.m_mp3List.GetCurSel());
    EXPECT_FALSE(m_tree.Exists(L"a.mp3"));
    EXPECT_EQ(L"b.MP3", m_tree.StoredName(L"b.MP3"));
    ExpectRecordIn(L"b.MP3");
}

TEST_F(ImportRename, NameWithoutMp3EndingKeepsTheFileAndWritesTheRecord) {
    Apply("b.wav");
    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_FALSE(m_tree.Exists(L"b.wav"));
    ExpectRecordIn(L"a.mp3");
}

TEST_F(ImportRename, TakenNameLeavesTheEntryAndTheOtherFileAndTellsTheUser) {
    const std::string other = "other file's bytes\x01\x02";
    m_tree.File(L"b.mp3", other);
    MessageBoxCatcher catcher;
    Apply("b.mp3");
    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(m_tree.Gbk(L"a.mp3"), FileEntryPath(m_dlg.m_mp3List, 0));
    EXPECT_EQ(other, m_tree.Read(L"b.mp3"));
    ExpectRecordIn(L"a.mp3");
    ASSERT_EQ(1u, catcher.boxes.size());
    std::string text = Gbk(catcher.boxes[0].text);
    EXPECT_EQ(0u, text.find(G("改名失败"))) << Cp936ToUtf8(text);
    EXPECT_NE(std::string::npos, text.find("b.mp3"));
    EXPECT_EQ("\n---Quillan", text.substr(text.size() - 11));
    EXPECT_EQ(m_dlg.m_hWnd, catcher.boxes[0].owner);
}

TEST_F(ImportRename, NameThatIsAPathIsRefused) {
    m_tree.Folder(L"sub");
    MessageBoxCatcher catcher;
    Apply("sub\\b.mp3");
    Apply("..\\b.mp3");
    EXPECT_EQ(2u, catcher.boxes.size());
    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_FALSE(m_tree.Exists(L"sub\\b.mp3"));
    EXPECT_TRUE(m_tree.Exists(L"a.mp3"));
}

TEST_F(ImportRename, RenameMp3EntryMovesOnlyWhenTheMoveSucceeds) {
    m_tree.File(L"taken.mp3", "x");
    {
        MessageBoxCatcher catcher;
        EXPECT_FALSE(m_dlg.RenameMp3Entry(0, "taken.mp3"));
        EXPECT_EQ(1u, catcher.boxes.size());
    }
    EXPECT_EQ("x", m_tree.Read(L"taken.mp3"));
    EXPECT_TRUE(m_dlg.RenameMp3Entry(0, G("十年.mp3")));
    EXPECT_EQ(std::vector<std::string>{G("十年.mp3")}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(m_tree.Gbk(L"\u5341\u5e74.mp3"), FileEntryPath(m_dlg.m_mp3List, 0));
    EXPECT_EQ(kAudio, m_tree.Read(L"\u5341\u5e74.mp3"));
    EXPECT_FALSE(m_dlg.RenameMp3Entry(5, "c.mp3"));  // no such entry
}

TEST_F(ImportRename, FieldsAreCutToTheirWidthsAndAnExistingRecordIsReplaced) {
    const std::string longTitle(40, 'T');
    m_dlg.ApplyMusicInfo(0, "a.mp3", longTitle, G("歌手"), "", "20041");
    m_dlg.ApplyMusicInfo(0, "a.mp3", longTitle, G("歌手"), "", "20041");
    std::string bytes = m_tree.Read(L"a.mp3");
    ASSERT_EQ(kAudio.size() + 128, bytes.size());
    std::string record = Record(bytes);
    EXPECT_EQ(std::string(30, 'T'), record.substr(3, 30));  // full width, no terminator
    EXPECT_EQ(G("歌手"), Field(record, 30, 30));
    EXPECT_EQ(std::string(30, '\0'), record.substr(63, 30));
    EXPECT_EQ("2004", record.substr(93, 4));
    EXPECT_EQ(std::string(31, '\0'), record.substr(97, 31));  // comment and genre
}

TEST_F(ImportRename, FileThatCannotBeOpenedIsReported) {
    // Held open without sharing, as another program may hold it.
    HANDLE hHeld = CreateFileW(m_tree.Path(L"a.mp3").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    MessageBoxCatcher catcher;
    Apply("a.mp3");
    CloseHandle(hHeld);
    EXPECT_EQ(kAudio, m_tree.Read(L"a.mp3"));
    ASSERT_EQ(1u, catcher.boxes.size());
    std::string text = Gbk(catcher.boxes[0].text);
    EXPECT_EQ(0u, text.find(G("写入ID3v1信息失败"))) << Cp936ToUtf8(text);
    EXPECT_EQ("\n---Quillan", text.substr(text.size() - 11));
}

// ---- The right-click menu

TEST_F(ImportLists, ContextMenuFromTheKeyboardOpensAtTheWindowCorner) {
    RECT rcMenu = {};
    std::vector<UINT> ids;
    TimedSteps steps({[&] {
        HWND hMenuWnd = FindWindowW(L"#32768", nullptr);
        if (!hMenuWnd || !IsWindowVisible(hMenuWnd)) return false;
        GetWindowRect(hMenuWnd, &rcMenu);
        HMENU hMenu = reinterpret_cast<HMENU>(::SendMessageW(hMenuWnd, MN_GETHMENU, 0, 0));
        for (int i = 0; hMenu && i < GetMenuItemCount(hMenu); ++i) ids.push_back(GetMenuItemID(hMenu, i));
        EndMenu();
        return true;
    }});
    m_dlg.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_dlg.m_hWnd), MAKELPARAM(-1, -1));
    PumpUntil([&] { return steps.Done(); }, 3000);
    ASSERT_TRUE(steps.Done());
    RECT rcWindow;
    m_dlg.GetWindowRect(&rcWindow);
    EXPECT_EQ(rcWindow.left, rcMenu.left);
    EXPECT_EQ(rcWindow.top, rcMenu.top);
    EXPECT_EQ((std::vector<UINT>{ID_BATCH_ID3, 0, ID_TEXT_COLOR, ID_BACKGROUND_COLOR, 0, IDM_ABOUTBOX}), ids);
}

TEST_F(ImportLists, MenuCommandReachesTheWindow) {
    TimedSteps steps({[&] {
        HWND hMenuWnd = FindWindowW(L"#32768", nullptr);
        if (!hMenuWnd || !IsWindowVisible(hMenuWnd)) return false;
        // The last entry: about.
        ::PostMessageW(hMenuWnd, WM_KEYDOWN, VK_END, 0);
        ::PostMessageW(hMenuWnd, WM_KEYDOWN, VK_RETURN, 0);
        return true;
    }});
    RECT rc;
    m_dlg.GetWindowRect(&rc);
    m_dlg.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_dlg.m_hWnd), MAKELPARAM(rc.left + 20, rc.top + 40));
    PumpUntil([&] { return m_dlg.m_nAbout > 0; }, 3000);
    EXPECT_EQ(1, m_dlg.m_nAbout);
}

// ---- Colours

namespace {

// Runs a colour command; in the chooser reads the red, green and blue
// fields, then types red (when given) and presses OK or Cancel.
struct ColourRun {
    std::wstring red, green, blue;
    bool open = false;
};

ColourRun RunColour(CTestImportDlg& dlg, UINT nCommand, const wchar_t* pszRed, UINT nPress) {
    ColourRun run;
    TimedSteps steps({[&] {
        HWND hChooser = FindOwnedDialog(dlg.m_hWnd);
        if (!hChooser) return false;
        run.open = true;
        wchar_t sz[16];
        GetDlgItemTextW(hChooser, 706, sz, 16);
        run.red = sz;
        GetDlgItemTextW(hChooser, 707, sz, 16);
        run.green = sz;
        GetDlgItemTextW(hChooser, 708, sz, 16);
        run.blue = sz;
        if (pszRed) SetDlgItemTextW(hChooser, 706, pszRed);
        ::PostMessageW(hChooser, WM_COMMAND, nPress, 0);
        return true;
    }});
    dlg.SendMessage(WM_COMMAND, nCommand, 0);
    return run;
}

}  // namespace

TEST_F(ImportLists, ColourChoosersStartAtTheirOwnLastChoice) {
    ColourRun first = RunColour(m_dlg, ID_TEXT_COLOR, L"255", IDOK);
    ASSERT_TRUE(first.open);
    EXPECT_EQ(L"0", first.red);  // black the first time
    EXPECT_EQ(L"0", first.blue);

    ColourRun second = RunColour(m_dlg, ID_TEXT_COLOR, nullptr, IDCANCEL);
    EXPECT_EQ(L"255", second.red);
    EXPECT_EQ(L"0", second.green);

    ColourRun background = RunColour(m_dlg, ID_BACKGROUND_COLOR, nullptr, IDCANCEL);
    EXPECT_EQ(L"0", background.red);  // a memory of its own
}

TEST_F(ImportLists, ChosenColourIsStoredThroughTheApplication) {
    CTempTree tree(L"vm-colour-");
    CImportApp app;  // the program's application object, for this test
    std::string ini = tree.Gbk(L"Versemill.ini");
    app.m_iniFile.SetFileName(ini.c_str());

    RunColour(m_dlg, ID_TEXT_COLOR, L"255", IDOK);  // pure red: "0000FF"
    RunColour(m_dlg, ID_BACKGROUND_COLOR, nullptr, IDOK);
    std::string text = tree.Read(L"Versemill.ini");
    EXPECT_NE(std::string::npos, text.find("TextColor=FF0000")) << text;
    EXPECT_NE(std::string::npos, text.find("BKColor=000000")) << text;
}

// ---- During a run

TEST_F(ImportLists, ListsAndCommandsAreRefusedWhileARunIsGoingOn) {
    CTempTree tree(L"vm-busy-");
    tree.File(L"a.mp3", kAudio);
    tree.File(L"n.mp3", kAudio);
    Drop(m_dlg, {tree.Path(L"a.mp3"), L"C:\\x.lrc"});
    m_dlg.m_mp3List.SetCurSel(0);
    m_dlg.m_lyricList.SetCurSel(0);

    m_dlg.m_bRunning = true;
    {
        // A chooser that opened anyway is cancelled, so that the test ends.
        TimedSteps guard({[&] {
            for (HWND h = FindWindowW(L"#32770", nullptr); h; h = FindWindowExW(nullptr, h, L"#32770", nullptr))
                if (IsWindowVisible(h) && GetWindow(h, GW_OWNER) == m_dlg.m_hWnd &&
                    CWnd::FromHandlePermanent(h))
                    ::PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
            return false;
        }});
        MessageBoxCatcher catcher;
        Drop(m_dlg, {tree.Path(L"n.mp3")});
        m_dlg.SendMessage(WM_DELETE_ENTRY, DELETE_ENTRY_MP3, 0);
        m_dlg.SendMessage(WM_DELETE_ENTRY, DELETE_ENTRY_OTHER, 0);
        m_dlg.SendMessage(WM_COMMAND, IDC_DELETE_LYRIC, 0);
        m_dlg.SendMessage(WM_COMMAND, IDC_ADD_MP3_FOLDER, 0);
        m_dlg.SendMessage(WM_COMMAND, IDC_ADD_LYRIC_FOLDER, 0);
        m_dlg.SendMessage(WM_COMMAND, ID_BATCH_ID3, 0);
        EXPECT_FALSE(m_dlg.RenameMp3Entry(0, "b.mp3"));
        m_dlg.ApplyMusicInfo(0, "b.mp3", "T", "A", "", "");
        EXPECT_EQ(9u, catcher.boxes.size());
    }
    m_dlg.m_bRunning = false;

    EXPECT_EQ(std::vector<std::string>{"a.mp3"}, ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(std::vector<std::string>{"x.lrc"}, ListTexts(m_dlg.m_lyricList));
    EXPECT_EQ(0, m_dlg.m_nBatch);
    EXPECT_EQ(kAudio, tree.Read(L"a.mp3"));
    EXPECT_FALSE(tree.Exists(L"b.mp3"));

    // After the run the same commands work again.
    m_dlg.SendMessage(WM_COMMAND, ID_BATCH_ID3, 0);
    EXPECT_EQ(1, m_dlg.m_nBatch);
}

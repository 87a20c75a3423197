// The main window's double-click on a lyric entry opens the lyric editor on
// that file, also while an import run is going on.
#include "import/import_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

class CEditorHostDlg : public CImportDlg {
public:
    using CImportDlg::m_bRunning;
    bool Open() { return Create(IDD_IMPORT_DIALOG); }
};

// Double-clicks the first lyric entry; while the editor runs, notes its
// list and ends it with nCommand.
std::vector<std::string> EditFirstLyric(CEditorHostDlg& dlg, int nCommand) {
    std::vector<std::string> entries;
    TimedSteps steps({[&] {
        HWND hEditor = FindShownDialog(G("歌词编辑对话框"));
        if (!hEditor) return false;
        entries = ListTexts(CListBox(::GetDlgItem(hEditor, IDC_LYRIC_LINES)));
        ::PostMessageW(hEditor, WM_COMMAND, nCommand, 0);
        return true;
    }});
    dlg.m_lyricList.SetCurSel(0);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LYRIC_LIST, LBN_DBLCLK),
                    reinterpret_cast<LPARAM>(dlg.m_lyricList.m_hWnd));
    return entries;
}

}  // namespace

TEST(ImportLyricEditor, DoubleClickOpensTheEditorOnTheEntrysFile) {
    CTempFolder folder{L"vm-editor-host-"};
    const std::string strPath = folder.Write("host.lrc", "[ti:T]\r\n[00:02.5]B\r\n[00:01]A\r\n");
    CEditorHostDlg dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.m_nAddMode = ADD_MODE_LYRIC_SCAN;
    dlg.AddFile(strPath);
    ASSERT_EQ(dlg.m_lyricList.GetCount(), 1);

    EXPECT_EQ(EditFirstLyric(dlg, IDCANCEL),
              (std::vector<std::string>{G("第  1行 [00:01.000] A"), G("第  2行 [00:02.500] B")}));
    EXPECT_EQ(CTempFolder::ReadFile(strPath), "[ti:T]\r\n[00:02.5]B\r\n[00:01]A\r\n");
    // The main window is usable again.
    EXPECT_TRUE(dlg.IsWindowEnabled());

    // During a run the editor opens all the same, and its save replaces the
    // file whole.
    dlg.m_bRunning = true;
    EXPECT_EQ(EditFirstLyric(dlg, IDOK).size(), 2u);
    dlg.m_bRunning = false;
    EXPECT_EQ(CTempFolder::ReadFile(strPath), "[ti:T]\r\n[00:01.000] A\r\n[00:02.500] B\r\n");
    dlg.DestroyWindow();
}

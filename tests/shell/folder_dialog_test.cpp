#include "shell/folder_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/text.h"
#include "ui_test_util.h"

namespace {

// Drives the browser from its callbacks: what the test wants pressed is
// posted to the browse window once it is initialised.
class CTestFolderDialog : public CFolderDialog {
public:
    using CFolderDialog::CFolderDialog;
    using CFolderDialog::m_szInitialFolder;

    UINT m_nPress = IDCANCEL;               // the button pressed after opening
    bool m_bAttachedDuringInit = false;
    bool m_bBrowseWindowInInit = false;
    bool m_bBrowseWindowAfterSelect = false;
    std::vector<std::string> m_selections;  // paths of BFFM_SELCHANGED
    HWND m_hWndSeen = nullptr;
    std::vector<std::string> m_childTexts;  // of the browse window's controls, after opening
    std::unique_ptr<TimedSteps> m_press;    // presses m_nPress

    bool ShowsText(const std::string& text) const {
        for (auto& t : m_childTexts)
            if (lstrcmpiW(Wide(t).c_str(), Wide(text).c_str()) == 0) return true;
        return false;
    }

protected:
    static BOOL CALLBACK NoteText(HWND hWnd, LPARAM lParam) {
        wchar_t szText[1024] = {};
        ::GetWindowTextW(hWnd, szText, 1024);
        reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(Gbk(szText));
        return TRUE;
    }

    void OnInitialized() override {
        m_bBrowseWindowInInit = m_hWndBrowse != nullptr;
        m_hWndSeen = m_hWndBrowse;
        m_bAttachedDuringInit = CWnd::FromHandlePermanent(m_hWndBrowse) == this;
        CFolderDialog::OnInitialized();
        // A callback nested in this one (as a selection reports its change)
        // leaves the browse window usable here.
        BrowseCallbackProc(m_hWndBrowse, BFFM_SELCHANGED, 0, reinterpret_cast<LPARAM>(this));
        m_bBrowseWindowAfterSelect = m_hWndBrowse == m_hWndSeen;
        m_childTexts.clear();
        EnumChildWindows(m_hWndBrowse, &CTestFolderDialog::NoteText,
                         reinterpret_cast<LPARAM>(&m_childTexts));
        // OK on an initial folder waits (5 s at most) for the browser to
        // report the selection of it: the browser may make it a moment later.
        const bool bAwaitSelection = m_nPress == IDOK && m_szInitialFolder[0] != '\0';
        m_press = std::make_unique<TimedSteps>(std::vector<std::function<bool()>>{
            [this, bAwaitSelection, nTicks = 0]() mutable {
                if (bAwaitSelection && m_selections.empty() && ++nTicks < 250) return false;
                ::PostMessageW(m_hWndSeen, WM_COMMAND, m_nPress, 0);
                return true;
            }});
    }
    void OnSelChanged(LPITEMIDLIST pItemIDList) override {
        char szPath[MAX_PATH];
        if (pItemIDList) m_selections.push_back(PathFromIDList(pItemIDList, szPath) ? szPath : "");
        CFolderDialog::OnSelChanged(pItemIDList);
    }
};

// A folder with a Chinese name under the temporary folder, removed afterwards.
class FolderDialog : public ::testing::Test {
protected:
    void SetUp() override {
        m_wideFolder = m_temp.Root();  // the long form of the temp path: the browser's own spelling
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(m_wideFolder.c_str()));
        m_folder = Gbk(m_wideFolder);
    }

    CTempFolder m_temp{L"\u6b4c\u8bcd\u6d4b\u8bd5"};  // 歌词测试
    std::wstring m_wideFolder;
    std::string m_folder;  // GBK
};

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) == 0;
}

} // namespace

TEST_F(FolderDialog, CancelReturnsTwoAndNoPath) {
    CTestFolderDialog dlg("选择歌词文件", m_folder.c_str(), nullptr, BIF_RETURNONLYFSDIRS);
    dlg.m_nPress = IDCANCEL;
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(dlg.m_bBrowseWindowInInit);
    EXPECT_TRUE(dlg.m_bAttachedDuringInit);
    EXPECT_STREQ("", dlg.GetFolderPath());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_FALSE(IsWindow(dlg.m_hWndSeen));
}

TEST_F(FolderDialog, OpensOnTheInitialFolderAndOkReturnsIt) {
    CTestFolderDialog dlg("选择Mp3文件", m_folder.c_str(), nullptr, BIF_RETURNONLYFSDIRS);
    dlg.m_nPress = IDOK;
    ASSERT_EQ(IDOK, dlg.DoModal());
    ASSERT_FALSE(dlg.m_selections.empty());
    EXPECT_PRED2(SamePath, m_folder, dlg.m_selections.back());
    EXPECT_PRED2(SamePath, m_folder, dlg.GetFolderPath());
    EXPECT_TRUE(dlg.m_bBrowseWindowAfterSelect);
}

TEST(FolderDialogDrive, DriveWithoutBackslashOpensOnTheDrive) {
    CTestFolderDialog dlg("选择Mp3文件", "C:", nullptr, BIF_RETURNONLYFSDIRS);
    dlg.m_nPress = IDOK;
    ASSERT_EQ(IDOK, dlg.DoModal());
    ASSERT_FALSE(dlg.m_selections.empty());
    EXPECT_PRED2(SamePath, "C:\\", dlg.m_selections.back());
    EXPECT_PRED2(SamePath, "C:\\", dlg.GetFolderPath());
}

TEST_F(FolderDialog, StatusLineShowsTheSelectionOnlyWhenAskedFor) {
    CTestFolderDialog withStatus("选择歌词文件", m_folder.c_str(), nullptr,
                                 BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    withStatus.m_nPress = IDOK;
    ASSERT_EQ(IDOK, withStatus.DoModal());
    EXPECT_PRED2(SamePath, m_folder, withStatus.GetFolderPath());
    EXPECT_TRUE(withStatus.ShowsText(m_folder));
    EXPECT_TRUE(withStatus.ShowsText("选择歌词文件"));  // the title, converted

    CTestFolderDialog without("选择歌词文件", m_folder.c_str(), nullptr, BIF_RETURNONLYFSDIRS);
    without.m_nPress = IDOK;
    ASSERT_EQ(IDOK, without.DoModal());
    EXPECT_FALSE(without.ShowsText(m_folder));
}

TEST(FolderDialogInitial, TooLongFolderIsRefusedWhole) {
    std::string tooLong = "C:\\" + std::string(300, 'a');
    CTestFolderDialog refused("选择", tooLong.c_str());
    EXPECT_STREQ("", refused.m_szInitialFolder);

    std::string longest = "C:\\" + std::string(MAX_PATH - 4, 'b');  // 259 bytes and the NUL
    CTestFolderDialog kept("选择", longest.c_str());
    EXPECT_EQ(longest, kept.m_szInitialFolder);
    std::string oneMore = longest + "b";
    CTestFolderDialog refusedToo("选择", oneMore.c_str());
    EXPECT_STREQ("", refusedToo.m_szInitialFolder);

    CTestFolderDialog none("选择", nullptr);
    EXPECT_STREQ("", none.m_szInitialFolder);
}

TEST(FolderDialogInitial, TooLongFolderOpensAsWithoutOne) {
    std::string tooLong = "C:\\" + std::string(300, 'a');
    CTestFolderDialog dlg("选择", tooLong.c_str(), nullptr, BIF_RETURNONLYFSDIRS);
    dlg.m_nPress = IDCANCEL;
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(dlg.m_bBrowseWindowInInit);
    EXPECT_STREQ("", dlg.GetFolderPath());
}

// The lyric editor and its time dialog on their real templates: the lines of
// a file as listed, the time shift through the dialog, the save and its
// refusals, the two edits' checks, Enter and Esc in a modal run.
#include "editor/lyric_edit_dlg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/fileio.h"
#include "editor_test_util.h"
#include "lyrics/lrc_edit.h"
#include "resource.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

// The time dialog's title (GBK).
const std::string kTimeDialog = G("歌词时间设置");

const char kFourLines[] = "[ti:Song]\r\n[ar:Singer]\r\n[00:01.00]A\r\n[00:02.00]B\r\n";

// Lines 1..n at 10 s, 20 s, ...
std::string TenSecondFile(int n) {
    std::string text = "[ti:Ten]\r\n";
    for (int i = 1; i <= n; ++i) {
        char szLine[64];
        std::snprintf(szLine, sizeof szLine, "[%02d:%02d.00]L%d\r\n", 10 * i / 60, 10 * i % 60, i);
        text += szLine;
    }
    return text;
}

std::vector<int32_t> Times(const CLyricLineArray& lines) {
    std::vector<int32_t> out;
    for (int i = 0; i < lines.GetSize(); ++i) out.push_back(lines.GetAt(i)->time);
    return out;
}

// Double-clicks entry nIndex of the editor's list, and while the time
// dialog runs lets check() look at it and fill() fill it, then clicks the
// picture on nButton. False when the dialog did not show.
bool ShiftThroughDialog(CTestLyricEditDlg& dlg, int nIndex, const std::function<void(HWND)>& fill,
                        int nButton = IDOK, const std::function<void(HWND)>& check = nullptr) {
    bool bShown = false;
    TimedSteps steps({[&] {
        HWND hTime = FindShownDialog(kTimeDialog);
        if (!hTime) return false;
        bShown = true;
        if (check) check(hTime);
        fill(hTime);
        if (nButton == IDCLOSE)
            ::SendMessageW(hTime, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            ClickPicture(hTime, nButton);
        return true;
    }});
    dlg.m_listLines.SetCurSel(nIndex);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LYRIC_LINES, LBN_DBLCLK),
                    reinterpret_cast<LPARAM>(dlg.m_listLines.m_hWnd));
    return bShown;
}

std::function<void(HWND)> Choose(int nChosenIndex, const char* seconds) {
    return [=](HWND hTime) {
        ::SendDlgItemMessageW(hTime, IDC_TARGET_LINE, CB_SETCURSEL, nChosenIndex, 0);
        ::SetDlgItemTextW(hTime, IDC_SHIFT_SECONDS, Wide(seconds).c_str());
    };
}

}  // namespace

TEST(LyricEditDlg, ListsTheLinesOfARealFile) {
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(std::string(VM_TEST_DATA) + "/corpus/lrc-gbk/lrcview_chengdu_gbk.lrc"));
    EXPECT_EQ(Utf8Text(dlg), "歌词编辑对话框");
    std::vector<std::string> entries = dlg.Entries();
    ASSERT_EQ(entries.size(), size_t(dlg.m_lines.GetSize()));
    ASSERT_GE(entries.size(), 3u);
    // The empty line at 00:02.090 is not listed; equal times keep file order.
    EXPECT_EQ(Cp936ToUtf8(entries[0]), "第  1行 [00:01.340] 成都");
    EXPECT_EQ(Cp936ToUtf8(entries[1]), "第  2行 [00:03.960] 作词：赵雷");
    EXPECT_EQ(Cp936ToUtf8(entries[2]), "第  3行 [00:03.960] 作曲：赵雷");
    for (int i = 0; i < dlg.m_listLines.GetCount(); ++i)
        EXPECT_EQ(dlg.m_listLines.GetItemDataPtr(i), dlg.m_lines.GetAt(i)) << i;
    // The two edits start at 50 and 1.
    EXPECT_EQ(dlg.GetDlgItemText(IDC_KEY_INTERVAL), "50");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_SHOW_LINES), "1");
    EXPECT_EQ(dlg.m_listLines.GetCurSel(), LB_ERR);
}

TEST(LyricEditDlg, UnicodeFileShowsItsCharacters) {
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(std::string(VM_TEST_DATA) + "/corpus/lrc/lrcview_chengdu.lrc"));
    ASSERT_GE(dlg.Entries().size(), 1u);
    EXPECT_EQ(Cp936ToUtf8(dlg.Entries()[0]), "第  1行 [00:01.340] 成都");
}

TEST(LyricEditDlg, SeveralTagsNumbersAndMissingFiles) {
    CTempFolder folder{L"vm-editor-"};
    std::string strPath = folder.Write("refrain.lrc", "[00:05.00][00:35.00]Refrain\r\n[00:10.00]\r\n[62:03]Late\r\n");
    {
        CTestLyricEditDlg dlg;
        ASSERT_TRUE(dlg.Open(strPath));
        std::vector<std::string> entries;
        for (const std::string& e : dlg.Entries()) entries.push_back(Cp936ToUtf8(e));
        EXPECT_EQ(entries, (std::vector<std::string>{"第  1行 [00:05.000] Refrain",
                                                     "第  2行 [00:35.000] Refrain",
                                                     "第  3行 [62:03.000] Late"}));
    }
    {
        CTestLyricEditDlg dlg;
        ASSERT_TRUE(dlg.Open(folder.Write("long.lrc", TenSecondFile(123))));
        ASSERT_EQ(dlg.Entries().size(), 123u);
        EXPECT_EQ(Cp936ToUtf8(dlg.Entries()[6]).substr(0, 9), "第  7行");
        EXPECT_EQ(Cp936ToUtf8(dlg.Entries()[122]).substr(0, 9), "第123行");
    }
    for (const std::string& strMissing : {folder.Path("gone.lrc"), std::string()}) {
        CTestLyricEditDlg dlg;
        ASSERT_TRUE(dlg.Open(strMissing));
        EXPECT_TRUE(dlg.Entries().empty());
        // Saving an empty list writes nothing and closes.
        MessageBoxCatcher catcher;
        ClickPicture(dlg, IDOK);
        EXPECT_FALSE(dlg.IsWindowVisible());
        EXPECT_TRUE(catcher.boxes.empty());
        if (!strMissing.empty()) {
            EXPECT_FALSE(fileio::Exists(strMissing));
        }
    }
}

TEST(LyricEditDlg, DoubleClickShiftsABlockThroughTheTimeDialog) {
    CTempFolder folder{L"vm-editor-"};
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(folder.Write("ten.lrc", TenSecondFile(10))));
    const std::vector<std::string> before = dlg.Entries();

    // Current line 5 (entry 4), chosen line 8, +2 s; the dialog names the
    // line, lists every line as the editor does and preselects line 5.
    std::vector<std::string> combo;
    std::string strCurrent, strSeconds;
    int nPreselected = -2;
    ASSERT_TRUE(ShiftThroughDialog(dlg, 4, Choose(7, "2"), IDOK, [&](HWND hTime) {
        EXPECT_EQ(Utf8Text(hTime), "歌词时间设置");
        combo = ComboTexts(CComboBox(::GetDlgItem(hTime, IDC_TARGET_LINE)));
        strCurrent = Gbk(WindowTextW(::GetDlgItem(hTime, IDC_CURRENT_LINE)));
        strSeconds = Gbk(WindowTextW(::GetDlgItem(hTime, IDC_SHIFT_SECONDS)));
        nPreselected = static_cast<int>(::SendDlgItemMessageW(hTime, IDC_TARGET_LINE, CB_GETCURSEL, 0, 0));
    }));
    EXPECT_EQ(combo, before);
    EXPECT_EQ(strCurrent, "5");
    EXPECT_EQ(strSeconds, "0");
    EXPECT_EQ(nPreselected, 4);
    EXPECT_EQ(Times(dlg.m_lines), (std::vector<int32_t>{10000, 20000, 30000, 40000, 52000, 62000,
                                                        72000, 82000, 90000, 100000}));
    EXPECT_EQ(Cp936ToUtf8(dlg.Entries()[7]), "第  8行 [01:22.000] L8");
    EXPECT_EQ(dlg.m_listLines.GetCurSel(), LB_ERR);

    // Current line 5, chosen line 2, -1 s.
    ASSERT_TRUE(ShiftThroughDialog(dlg, 4, Choose(1, "-1")));
    EXPECT_EQ(Times(dlg.m_lines), (std::vector<int32_t>{10000, 19000, 29000, 39000, 51000, 62000,
                                                        72000, 82000, 90000, 100000}));
    // The preselected entry: line 5 alone; "1.9" is 1 s, "+3" 3 s.
    ASSERT_TRUE(ShiftThroughDialog(dlg, 4, [](HWND hTime) {
        ::SetDlgItemTextW(hTime, IDC_SHIFT_SECONDS, L"1.9");
    }));
    EXPECT_EQ(dlg.m_lines.GetAt(4)->time, 52000);
    ASSERT_TRUE(ShiftThroughDialog(dlg, 4, Choose(4, " +3")));
    EXPECT_EQ(dlg.m_lines.GetAt(4)->time, 55000);
    EXPECT_EQ(dlg.m_lines.GetAt(3)->time, 39000);
}

TEST(LyricEditDlg, ShiftsThatChangeNothing) {
    CTempFolder folder{L"vm-editor-"};
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(folder.Write("ten.lrc", TenSecondFile(4))));
    const std::vector<int32_t> times = Times(dlg.m_lines);
    // Text without digits, an empty edit and 0.
    for (const char* seconds : {"abc", "", "0"}) {
        dlg.m_listLines.SetCurSel(1);
        ASSERT_TRUE(ShiftThroughDialog(dlg, 1, Choose(3, seconds)));
        EXPECT_EQ(Times(dlg.m_lines), times) << seconds;
        // The list was left as it was, selection included.
        EXPECT_EQ(dlg.m_listLines.GetCurSel(), 1) << seconds;
    }
    // Cancel, the close box: nothing, whatever was entered.
    ASSERT_TRUE(ShiftThroughDialog(dlg, 1, Choose(3, "9"), IDCANCEL));
    ASSERT_TRUE(ShiftThroughDialog(dlg, 1, Choose(3, "9"), IDCLOSE));
    EXPECT_EQ(Times(dlg.m_lines), times);
    // No entry selected: no dialog.
    bool bShown = false;
    {
        TimedSteps steps({[&] {
            if (HWND hTime = FindShownDialog(kTimeDialog)) {
                bShown = true;
                ::PostMessageW(hTime, WM_COMMAND, IDCANCEL, 0);
            }
            return true;
        }});
        dlg.m_listLines.SetCurSel(-1);
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LYRIC_LINES, LBN_DBLCLK),
                        reinterpret_cast<LPARAM>(dlg.m_listLines.m_hWnd));
        PumpUntil([&] { return steps.Done(); });
    }
    EXPECT_FALSE(bShown);
}

TEST(LyricEditDlg, OrderAndNegativeTimesAfterShifts) {
    CTempFolder folder{L"vm-editor-"};
    std::string strPath = folder.Write("order.lrc", "[00:00.500]A\r\n[00:10.00]B\r\n[00:10.50]C\r\n[00:20.00]D\r\n");
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(strPath));
    // Line 3 from 00:10.500 by +30 s stays before line 4 at 00:20.000.
    ASSERT_TRUE(ShiftThroughDialog(dlg, 2, Choose(2, "+30")));
    // Line 1 at 00:00.500 by -1 s goes half a second before the start.
    ASSERT_TRUE(ShiftThroughDialog(dlg, 0, Choose(0, "-1")));
    std::vector<std::string> entries;
    for (const std::string& e : dlg.Entries()) entries.push_back(Cp936ToUtf8(e));
    EXPECT_EQ(entries, (std::vector<std::string>{"第  1行 [-00:00.500] A", "第  2行 [00:10.000] B",
                                                 "第  3行 [00:40.500] C", "第  4行 [00:20.000] D"}));
    MessageBoxCatcher catcher;
    ClickPicture(dlg, IDOK);
    ASSERT_EQ(catcher.boxes.size(), 1u);  // the user is told of the line moved to 0
    EXPECT_NE(catcher.boxes[0].text.find(L"有 1 行的时间早于歌曲开始, 保存为 [00:00.000]"), std::wstring::npos)
        << Cp936ToUtf8(Gbk(catcher.boxes[0].text));
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_EQ(CTempFolder::ReadFile(strPath),
              "[00:00.000] A\r\n[00:10.000] B\r\n[00:40.500] C\r\n[00:20.000] D\r\n");
}

TEST(LyricEditDlg, SaveWritesTheShiftedTimesBack) {
    CTempFolder folder{L"vm-editor-"};
    std::string strPath = folder.Write("four.lrc", kFourLines);
    fileio::ClearReadOnly(strPath);
    ::SetFileAttributesW(Wide(strPath).c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(fileio::IsReadOnly(strPath));
    {
        CTestLyricEditDlg dlg;
        ASSERT_TRUE(dlg.Open(strPath));
        ASSERT_TRUE(ShiftThroughDialog(dlg, 1, Choose(1, "10")));
        MessageBoxCatcher catcher;
        ClickPicture(dlg, IDOK);
        EXPECT_TRUE(catcher.boxes.empty());
        EXPECT_FALSE(dlg.IsWindowVisible());
    }
    EXPECT_EQ(CTempFolder::ReadFile(strPath), "[ti:Song]\r\n[ar:Singer]\r\n[00:01.000] A\r\n[00:12.000] B\r\n");
    EXPECT_FALSE(fileio::IsReadOnly(strPath));
    // Opened again, the editor shows the new time.
    CTestLyricEditDlg again;
    ASSERT_TRUE(again.Open(strPath));
    EXPECT_EQ(Cp936ToUtf8(again.Entries()[1]), "第  2行 [00:12.000] B");
}

TEST(LyricEditDlg, CancelWritesNothing) {
    CTempFolder folder{L"vm-editor-"};
    std::string strPath = folder.Write("four.lrc", kFourLines);
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(strPath));
    ASSERT_TRUE(ShiftThroughDialog(dlg, 0, Choose(1, "10")));
    ClickPicture(dlg, IDCANCEL);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_EQ(CTempFolder::ReadFile(strPath), kFourLines);
}

TEST(LyricEditDlg, SaveRefusesToLoseCharactersAndKeepsTheDialogOpen) {
    CTempFolder folder{L"vm-editor-"};
    // A UTF-8 file with a Korean character GBK lacks.
    const std::string original = "[ti:\xED\x95\x9C]\n[00:01.00]A\n[00:02.00]B\n";
    std::string strPath = folder.Write("korean.lrc", original);
    CTestLyricEditDlg dlg;
    MessageBoxCatcher catcher;
    ASSERT_TRUE(dlg.Open(strPath));
    // Told at once, over the editor.
    ASSERT_TRUE(PumpUntil([&] { return !catcher.boxes.empty(); }));
    EXPECT_NE(catcher.boxes[0].text.find(L"1 个字符不能用 GBK 表示, 显示为 \"?\""), std::wstring::npos)
        << Cp936ToUtf8(Gbk(catcher.boxes[0].text));
    EXPECT_EQ(catcher.boxes[0].owner, dlg.m_hWnd);
    ASSERT_TRUE(ShiftThroughDialog(dlg, 0, Choose(0, "3")));
    ClickPicture(dlg, IDOK);
    ASSERT_TRUE(PumpUntil([&] { return catcher.boxes.size() == 2; }));
    EXPECT_NE(catcher.boxes[1].text.find(L"1 个字符不能用 GBK 表示, 保存会丢掉它们"), std::wstring::npos);
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_EQ(CTempFolder::ReadFile(strPath), original);
}

TEST(LyricEditDlg, EditsAreCheckedWhenSaving) {
    CTempFolder folder{L"vm-editor-"};
    std::string strPath = folder.Write("four.lrc", kFourLines);
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(strPath));
    struct Case {
        const wchar_t* interval;
        const wchar_t* lines;
        const wchar_t* message;  // null: accepted
        int nFocus;
    };
    const Case cases[] = {
        {L"1001", L"1", L"请填入一个在0和1000之间的整数。", IDC_KEY_INTERVAL},
        {L"-1", L"1", L"请填入一个在0和1000之间的整数。", IDC_KEY_INTERVAL},
        {L"abc", L"1", L"请键入一个整数。", IDC_KEY_INTERVAL},
        {L"20", L"x", L"请键入一个整数。", IDC_SHOW_LINES},
        {L"20", L"", L"请键入一个整数。", IDC_SHOW_LINES},
    };
    for (const Case& c : cases) {
        ::SetDlgItemTextW(dlg, IDC_KEY_INTERVAL, c.interval);
        ::SetDlgItemTextW(dlg, IDC_SHOW_LINES, c.lines);
        MessageBoxCatcher catcher;
        ClickPicture(dlg, IDOK);
        ASSERT_TRUE(PumpUntil([&] { return !catcher.boxes.empty(); })) << Utf16ToUtf8(std::u16string(c.interval, c.interval + wcslen(c.interval)));
        EXPECT_EQ(catcher.boxes[0].text, c.message);
        EXPECT_TRUE(dlg.IsWindowVisible());
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dlg, c.nFocus));
    }
    // The file was written all the same.
    EXPECT_EQ(CTempFolder::ReadFile(strPath), "[ti:Song]\r\n[ar:Singer]\r\n[00:01.000] A\r\n[00:02.000] B\r\n");
    // The ends of the range and any number of lines are taken.
    for (const wchar_t* interval : {L"0", L"1000"}) {
        ::SetDlgItemTextW(dlg, IDC_KEY_INTERVAL, interval);
        ::SetDlgItemTextW(dlg, IDC_SHOW_LINES, L"-7");
        ASSERT_TRUE(dlg.UpdateData(true));
        EXPECT_EQ(dlg.m_nShowLines, -7);
    }
    EXPECT_EQ(dlg.m_nKeyInterval, 1000);
    MessageBoxCatcher catcher;
    ClickPicture(dlg, IDOK);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_TRUE(catcher.boxes.empty());
}

TEST(LyricEditDlg, EnterSavesAndEscClosesAModalRun) {
    CTempFolder folder{L"vm-editor-"};
    std::string strPath = folder.Write("four.lrc", "[ti:Song]\n[00:01]A\n");
    auto pressInEditor = [](BYTE vk) {
        return [vk] {
            HWND hEditor = FindShownDialog(G("歌词编辑对话框"));
            if (!hEditor) return false;
            ::SetForegroundWindow(hEditor);
            ::SetFocus(::GetDlgItem(hEditor, IDC_LYRIC_LINES));
            ::keybd_event(vk, static_cast<BYTE>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), 0, 0);
            ::keybd_event(vk, static_cast<BYTE>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP, 0);
            return true;
        };
    };
    {
        CLyricEditDlg dlg;
        dlg.m_strLrcPath = strPath;
        TimedSteps steps({pressInEditor(VK_ESCAPE)});
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(CTempFolder::ReadFile(strPath), "[ti:Song]\n[00:01]A\n");
        EXPECT_EQ(dlg.m_lines.GetSize(), 0);  // freed with the window
    }
    {
        CLyricEditDlg dlg;
        dlg.m_strLrcPath = strPath;
        TimedSteps steps({pressInEditor(VK_RETURN)});
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(CTempFolder::ReadFile(strPath), "[ti:Song]\n[00:01.000] A\r\n");
    }
}

TEST(LyricEditDlg, SaveWhileTheFileIsOpenForReadingLeavesItWhole) {
    // What an import run does to a lyric file: it holds it open for reading.
    CTempFolder folder{L"vm-editor-"};
    std::string strPath = folder.Write("busy.lrc", kFourLines);
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(strPath));
    ASSERT_TRUE(ShiftThroughDialog(dlg, 0, Choose(0, "5")));
    FILE* pReader = fileio::Open(strPath, "rb");
    ASSERT_TRUE(pReader);
    MessageBoxCatcher catcher;
    ClickPicture(dlg, IDOK);
    PumpUntil([&] { return !catcher.boxes.empty() || !dlg.IsWindowVisible(); });
    // The reader goes on reading the whole old content.
    std::string strRead;
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pReader)) > 0) strRead.append(buf, n);
    std::fclose(pReader);
    EXPECT_EQ(strRead, kFourLines);
    const std::string strNow = CTempFolder::ReadFile(strPath);
    if (dlg.IsWindowVisible()) {
        // The replace was refused: the user was told, the file is the old one.
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_NE(catcher.boxes[0].text.find(L"文件保持原样"), std::wstring::npos);
        EXPECT_EQ(strNow, kFourLines);
    } else {
        EXPECT_EQ(strNow, "[ti:Song]\r\n[ar:Singer]\r\n[00:06.000] A\r\n[00:02.000] B\r\n");
    }
}

// The about box on its real template: the black window, the rising text its
// worker draws, pauses and text changes by mouse, closing that ends the
// worker, reopening, and its opening from the main window.
#include "shell/about_dlg.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/codepage.h"
#include "import/import_dlg.h"
#include "resource.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

// Generous: the worker draws a frame about every 30 ms.
constexpr DWORD kPatienceMs = 15000;

HANDLE Duplicate(HANDLE hThread) {
    HANDLE hCopy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), hThread, ::GetCurrentProcess(), &hCopy, SYNCHRONIZE, FALSE, 0);
    return hCopy;
}

int ClientBottom(HWND hWnd) {
    RECT rect;
    ::GetClientRect(hWnd, &rect);
    return rect.bottom;
}

void Click(HWND hWnd, UINT msg) { ::SendMessageW(hWnd, msg, 0, MAKELPARAM(100, 100)); }

// Waits until the worker has drawn more frames than nFrames.
bool FramesPass(unsigned long nFrames) {
    return PumpUntil([nFrames] { return GetAboutScene().nFrames > nFrames; }, kPatienceMs);
}

// Waits until the worker has woken a few more times.
bool TicksPass(unsigned long nTicks) {
    return PumpUntil([nTicks] { return GetAboutScene().nTicks >= nTicks + 3; }, kPatienceMs);
}

// The about box, shown modeless so that the test can look at it.
class AboutDlgTest : public ::testing::Test {
protected:
    void Open() {
        ASSERT_TRUE(m_dlg.Create(IDD_ABOUTBOX));
        m_dlg.ShowWindow(SW_SHOW);
        m_dlg.UpdateWindow();  // the first paint starts the worker
        ASSERT_NE(nullptr, m_dlg.GetAnimationThread());
        ASSERT_TRUE(FramesPass(0));
    }
    // Closes the window; the worker must be gone when that returns.
    void CloseAndCheckTheWorkerEnded() {
        HANDLE hThread = Duplicate(m_dlg.GetAnimationThread());
        ASSERT_NE(nullptr, hThread);
        m_dlg.DestroyWindow();
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hThread, 0));
        ::CloseHandle(hThread);
        EXPECT_EQ(nullptr, m_dlg.GetAnimationThread());
        AboutScene scene = GetAboutScene();
        EXPECT_EQ(ABOUT_CLOSED, scene.nPaintState);
        EXPECT_FALSE(scene.bTextShown);
    }
    CAboutDlg m_dlg;
};

}  // namespace

TEST(AboutTop, RisesOnePixelAndComesBackAboveTheBottom) {
    EXPECT_EQ(99, NextAboutTop(100, 10, 400));
    EXPECT_EQ(-300, NextAboutTop(-299, 10, 400));  // not yet below -300
    EXPECT_EQ(350, NextAboutTop(-300, 10, 400));   // past it: 50 above the bottom
    EXPECT_EQ(-210, NextAboutTop(-209, 7, 400));
    EXPECT_EQ(350, NextAboutTop(-210, 7, 400));
    EXPECT_EQ(-30, NextAboutTop(-29, 1, 400));
    EXPECT_EQ(350, NextAboutTop(-30, 1, 400));
}

TEST_F(AboutDlgTest, OpensBlackWithoutControlsAndTheAboutTextRises) {
    Open();
    EXPECT_EQ(G("关于 Versemill"), m_dlg.GetWindowText());
    EXPECT_EQ(nullptr, ::GetWindow(m_dlg, GW_CHILD));

    // The dialog's own background is black.
    HDC hDC = ::GetDC(m_dlg);
    HBRUSH hBrush = reinterpret_cast<HBRUSH>(
        m_dlg.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(m_dlg.m_hWnd)));
    ::ReleaseDC(m_dlg, hDC);
    LOGBRUSH lb = {};
    ASSERT_EQ(static_cast<int>(sizeof lb), ::GetObjectW(hBrush, sizeof lb, &lb));
    EXPECT_EQ(RGB(0, 0, 0), lb.lbColor);

    AboutScene scene = GetAboutScene();
    EXPECT_NE(ABOUT_NEVER_STARTED, scene.nPaintState);
    EXPECT_NE(ABOUT_CLOSED, scene.nPaintState);
    ASSERT_EQ(10u, scene.lines.size());
    EXPECT_EQ(G("版本：2.2 版"), scene.lines[1]);
    EXPECT_EQ(G("时间：2006年2月"), scene.lines[3]);
    EXPECT_EQ(G("用途：让Windows Media Player中能同步显示歌词!"), scene.lines[4]);
    EXPECT_EQ(G("实现LRC歌词文件简单编辑时间功能!"), scene.lines[5]);
    EXPECT_EQ(" ( ^ 0 ^ )", scene.lines[7]);
    EXPECT_NE(std::string::npos, scene.lines[0].find("(Versemill)"));
    EXPECT_TRUE(scene.bTextShown);
    EXPECT_FALSE(scene.bPaused);
    // The surface is the window's size and holds the green lines.
    RECT rcWindow;
    m_dlg.GetWindowRect(&rcWindow);
    EXPECT_EQ(rcWindow.right - rcWindow.left, scene.sizeSurface.cx);
    EXPECT_EQ(rcWindow.bottom - rcWindow.top, scene.sizeSurface.cy);
    EXPECT_GT(scene.nFirstLinePixels, 0);

    // The block started 100 pixels above the bottom and rose one pixel a frame.
    ASSERT_TRUE(FramesPass(scene.nFrames + 5));
    scene = GetAboutScene();
    EXPECT_EQ(ClientBottom(m_dlg) - 100 - static_cast<int>(scene.nFrames), scene.nTop);

    CloseAndCheckTheWorkerEnded();
}

TEST_F(AboutDlgTest, LeftClickPausesAndResumesRightClickSwitchesTheText) {
    Open();
    Click(m_dlg, WM_LBUTTONDOWN);
    AboutScene paused = GetAboutScene();
    EXPECT_TRUE(paused.bPaused);
    ASSERT_TRUE(TicksPass(paused.nTicks));
    AboutScene still = GetAboutScene();
    EXPECT_EQ(paused.nFrames, still.nFrames);
    EXPECT_EQ(paused.nTop, still.nTop);

    Click(m_dlg, WM_LBUTTONDOWN);
    EXPECT_FALSE(GetAboutScene().bPaused);
    ASSERT_TRUE(FramesPass(still.nFrames));

    // A right click during a pause: the personal note, moving again.
    Click(m_dlg, WM_LBUTTONDOWN);
    Click(m_dlg, WM_RBUTTONDOWN);
    AboutScene note = GetAboutScene();
    EXPECT_FALSE(note.bPaused);
    EXPECT_FALSE(note.bTextShown);
    EXPECT_EQ(7u, note.lines.size());
    ASSERT_TRUE(FramesPass(note.nFrames));
    EXPECT_GT(GetAboutScene().nFirstLinePixels, 0);

    // The next right click: the about text again.
    Click(m_dlg, WM_RBUTTONDOWN);
    EXPECT_EQ(10u, GetAboutScene().lines.size());
    EXPECT_TRUE(GetAboutScene().bTextShown);

    CloseAndCheckTheWorkerEnded();
}

TEST_F(AboutDlgTest, RightDoubleClickShowsTheGreeting) {
    Open();
    // While the about text shows, the button-down brings the note and the
    // double-click leaves it.
    Click(m_dlg, WM_RBUTTONDOWN);
    Click(m_dlg, WM_RBUTTONDBLCLK);
    EXPECT_EQ(7u, GetAboutScene().lines.size());

    // While the note shows: the about text, then the greeting.
    Click(m_dlg, WM_RBUTTONDOWN);
    Click(m_dlg, WM_RBUTTONDBLCLK);
    AboutScene greeting = GetAboutScene();
    ASSERT_EQ(1u, greeting.lines.size());
    EXPECT_EQ(G("祝天下程序员心想事成!"), greeting.lines[0]);
    EXPECT_FALSE(greeting.bTextShown);
    EXPECT_FALSE(greeting.bPaused);
    ASSERT_TRUE(FramesPass(greeting.nFrames));

    // The next right click shows the about text.
    Click(m_dlg, WM_RBUTTONDOWN);
    EXPECT_EQ(10u, GetAboutScene().lines.size());
    CloseAndCheckTheWorkerEnded();
}

TEST_F(AboutDlgTest, ReopeningStartsAgainWithTheAboutTextFromTheSamePlace) {
    Open();
    Click(m_dlg, WM_RBUTTONDOWN);  // the note
    EXPECT_EQ(7u, GetAboutScene().lines.size());
    CloseAndCheckTheWorkerEnded();

    CAboutDlg again;
    ASSERT_TRUE(again.Create(IDD_ABOUTBOX));
    again.ShowWindow(SW_SHOW);
    again.UpdateWindow();
    ASSERT_NE(nullptr, again.GetAnimationThread());
    EXPECT_EQ(ABOUT_RESTARTED, GetAboutScene().nPaintState);
    ASSERT_TRUE(FramesPass(0));
    AboutScene scene = GetAboutScene();
    EXPECT_EQ(10u, scene.lines.size());
    EXPECT_TRUE(scene.bTextShown);
    EXPECT_EQ(ClientBottom(again) - 100 - static_cast<int>(scene.nFrames), scene.nTop);

    HANDLE hThread = Duplicate(again.GetAnimationThread());
    again.SendMessage(WM_CLOSE);  // the dialog's close box: cancel
    again.DestroyWindow();        // a modeless dialog is only hidden by it
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hThread, 0));
    ::CloseHandle(hThread);
    EXPECT_EQ(ABOUT_CLOSED, GetAboutScene().nPaintState);
}

TEST(AboutFromTheMainWindow, PictureCommandAndSystemMenuOpenItModally) {
    CImportDlg main;
    ASSERT_TRUE(main.Create(IDD_IMPORT_DIALOG));
    const std::string strTitle = G("关于 Versemill");
    for (int nWay = 0; nWay < 2; ++nWay) {
        HANDLE hThread = nullptr;
        bool bClosed = false;
        TimedSteps steps({[&] {
            HWND hAbout = FindShownDialog(strTitle);
            if (!hAbout) return false;
            auto* pAbout = dynamic_cast<CAboutDlg*>(CWnd::FromHandlePermanent(hAbout));
            if (!pAbout || !pAbout->GetAnimationThread() || GetAboutScene().nFrames == 0) return false;
            EXPECT_EQ(main.m_hWnd, ::GetWindow(hAbout, GW_OWNER));
            EXPECT_FALSE(main.IsWindowEnabled());
            hThread = Duplicate(pAbout->GetAnimationThread());
            ::PostMessageW(hAbout, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            bClosed = true;
            return true;
        }});
        if (nWay == 0)
            main.SendMessage(WM_COMMAND, IDC_ABOUT, 0);
        else
            main.SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        ASSERT_TRUE(bClosed) << nWay;
        ASSERT_NE(nullptr, hThread);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hThread, 0));
        ::CloseHandle(hThread);
        EXPECT_EQ(nullptr, ::FindWindowW(L"#32770", Wide(strTitle).c_str()));
        EXPECT_TRUE(main.IsWindowEnabled());
    }
    main.DestroyWindow();
}

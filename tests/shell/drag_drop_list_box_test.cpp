#include "shell/drag_drop_list_box.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/app.h"

namespace {

// A top-level window that notes the messages the list sends out.
struct CMessageLog {
    std::vector<std::pair<UINT, WPARAM>> messages;  // WM_COMMAND and WM_DELETE_ENTRY
    int CountSelChange() const {
        int n = 0;
        for (auto& m : messages)
            if (m.first == WM_COMMAND && HIWORD(m.second) == LBN_SELCHANGE) ++n;
        return n;
    }
};

LRESULT CALLBACK LoggingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* pLog = reinterpret_cast<CMessageLog*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pLog && (msg == WM_COMMAND || msg == WM_DELETE_ENTRY)) {
        pLog->messages.emplace_back(msg, wParam);
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

HWND MakeLoggingWindow(CMessageLog* pLog) {
    static ATOM s_atom = 0;
    if (!s_atom) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = LoggingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VersemillListTestParent";
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        s_atom = RegisterClassW(&wc);
    }
    HWND hWnd = CreateWindowExW(0, L"VersemillListTestParent", L"list test", WS_OVERLAPPEDWINDOW,
                                10, 10, 400, 400, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pLog));
    return hWnd;
}

const int kListId = 1000;

// The list under test, with its state and timer calls in view.
class CTestListBox : public CDragAndDropListBox {
public:
    using CDragAndDropListBox::m_bDragging;
    using CDragAndDropListBox::m_nDragIndex;
    using CDragAndDropListBox::m_nDropIndex;
    using CDragAndDropListBox::m_nScrollInterval;

    struct CTimerCall {
        UINT_PTR nID;
        UINT nElapse;
        bool operator==(const CTimerCall& o) const { return nID == o.nID && nElapse == o.nElapse; }
    };
    std::vector<CTimerCall> m_timerCalls;

protected:
    void StartScrollTimer(UINT_PTR nIDEvent, UINT nElapse) override {
        m_timerCalls.push_back({nIDEvent, nElapse});
        CDragAndDropListBox::StartScrollTimer(nIDEvent, nElapse);
    }
};

::std::ostream& operator<<(::std::ostream& os, const CTestListBox::CTimerCall& c) {
    return os << "timer " << c.nID << " every " << c.nElapse << " ms";
}

class DragDropListBox : public ::testing::Test {
protected:
    void Build(int nItems, bool bNotify = true, int nVisibleRows = 8) {
        m_hParent = MakeLoggingWindow(&m_log);
        ASSERT_NE(nullptr, m_hParent);
        DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT |
                      (bNotify ? LBS_NOTIFY : 0);
        HWND hList = CreateWindowExW(0, L"LISTBOX", L"", style, 5, 5, 200, 100, m_hParent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                                     GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(m_list.SubclassWindow(hList));
        m_nItemHeight = m_list.GetItemHeight(0);
        ASSERT_GT(m_nItemHeight, 0);
        // Room for nVisibleRows rows inside the border.
        RECT rcClient, rcWindow;
        m_list.GetClientRect(&rcClient);
        m_list.GetWindowRect(&rcWindow);
        int nFrame = (rcWindow.bottom - rcWindow.top) - rcClient.bottom;
        m_list.MoveWindow(5, 5, 200, nVisibleRows * m_nItemHeight + nFrame);
        m_paths.clear();
        for (int i = 0; i < nItems; ++i) m_paths.push_back("C:\\songs\\item" + std::to_string(i));
        for (int i = 0; i < nItems; ++i) {
            int n = m_list.AddString("item" + std::to_string(i));
            m_list.SetItemDataPtr(n, const_cast<char*>(m_paths[i].c_str()));
        }
        // Kept hidden: unmapping a shown window costs seconds under Wine without a window manager.
        m_list.GetClientRect(&m_rcClient);
    }

    void TearDown() override {
        if (m_list.m_hWnd) m_list.DestroyWindow();
        if (m_hParent) DestroyWindow(m_hParent);
    }

    POINT ItemPoint(int nIndex) const {
        RECT r;
        m_list.GetItemRect(nIndex, &r);
        return POINT{r.left + 10, (r.top + r.bottom) / 2};
    }

    void Send(UINT msg, POINT pt, WPARAM flags) {
        m_list.SendMessage(msg, flags, MAKELPARAM(pt.x, pt.y));
    }
    void Press(POINT pt) { Send(WM_LBUTTONDOWN, pt, MK_LBUTTON); }
    void MoveHeld(POINT pt) { Send(WM_MOUSEMOVE, pt, MK_LBUTTON); }
    void Release(POINT pt) { Send(WM_LBUTTONUP, pt, 0); }

    void Drag(int nFrom, POINT to) {
        Press(ItemPoint(nFrom));
        MoveHeld(to);
        Release(to);
    }

    // The entries' texts and that every data word still belongs to its text.
    std::vector<std::string> Order() const {
        std::vector<std::string> texts;
        for (int i = 0; i < m_list.GetCount(); ++i) {
            std::string text = m_list.GetText(i);
            const char* path = static_cast<const char*>(m_list.GetItemDataPtr(i));
            EXPECT_EQ("C:\\songs\\" + text, std::string(path ? path : "")) << "data of " << text;
            texts.push_back(text);
        }
        return texts;
    }

    bool TimerRuns(UINT_PTR nID) {
        // Killing tells whether it was there; put it back as it was.
        if (!KillTimer(m_list.m_hWnd, nID)) return false;
        SetTimer(m_list.m_hWnd, nID, static_cast<UINT>(m_list.m_nScrollInterval), nullptr);
        return true;
    }

    CMessageLog m_log;
    HWND m_hParent = nullptr;
    CTestListBox m_list;
    int m_nItemHeight = 0;
    RECT m_rcClient = {};
    std::vector<std::string> m_paths;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(DragDropListBox, ItemMovesDownBeforeTheEntryItIsReleasedOn) {
    Build(5);
    Drag(2, ItemPoint(4));
    EXPECT_EQ((Names{"item0", "item1", "item3", "item2", "item4"}), Order());
    EXPECT_EQ(3, m_list.GetCurSel());
    EXPECT_FALSE(m_list.m_bDragging);
    EXPECT_EQ(-1, m_list.m_nDragIndex);
    EXPECT_EQ(-1, m_list.m_nDropIndex);
    EXPECT_NE(m_list.m_hWnd, GetCapture());
}

TEST_F(DragDropListBox, ItemMovesUpToTheFront) {
    Build(5);
    Drag(2, ItemPoint(0));
    EXPECT_EQ((Names{"item2", "item0", "item1", "item3", "item4"}), Order());
    EXPECT_EQ(0, m_list.GetCurSel());
}

TEST_F(DragDropListBox, ReleaseBelowTheLastEntryMovesToTheEnd) {
    Build(5);
    POINT below = {20, 5 * m_nItemHeight + m_nItemHeight / 2};
    ASSERT_LT(below.y, m_rcClient.bottom);
    Drag(1, below);
    EXPECT_EQ((Names{"item0", "item2", "item3", "item4", "item1"}), Order());
    EXPECT_EQ(4, m_list.GetCurSel());
}

TEST_F(DragDropListBox, ReleaseOnItselfOrTheNextLeavesTheOrderButNotifies) {
    Build(5, /*bNotify=*/false);  // only the drop itself notifies
    const Names unchanged = {"item0", "item1", "item2", "item3", "item4"};
    Drag(2, ItemPoint(2));
    EXPECT_EQ(unchanged, Order());
    EXPECT_EQ(1, m_log.CountSelChange());
    Drag(2, ItemPoint(3));
    EXPECT_EQ(unchanged, Order());
    EXPECT_EQ(2, m_list.GetCurSel());
    EXPECT_EQ(2, m_log.CountSelChange());
    // The notification names the list.
    EXPECT_EQ(static_cast<WPARAM>(MAKEWPARAM(kListId, LBN_SELCHANGE)), m_log.messages.back().second);
    // A real move notifies too; the last entry dropped at the end stays put.
    Drag(4, POINT{20, 6 * m_nItemHeight});
    EXPECT_EQ(unchanged, Order());
    EXPECT_EQ(3, m_log.CountSelChange());
}

TEST_F(DragDropListBox, ReleaseOutsideCancels) {
    Build(5);
    Press(ItemPoint(1));
    MoveHeld(ItemPoint(3));
    EXPECT_TRUE(m_list.m_bDragging);
    EXPECT_EQ(3, m_list.m_nDropIndex);
    POINT beside = {m_rcClient.right + 30, ItemPoint(3).y};
    MoveHeld(beside);
    EXPECT_EQ(3, m_list.m_nDropIndex);  // the line stays where it was
    Release(beside);
    EXPECT_EQ((Names{"item0", "item1", "item2", "item3", "item4"}), Order());
    EXPECT_FALSE(m_list.m_bDragging);
    EXPECT_EQ(-1, m_list.m_nDropIndex);
    EXPECT_FALSE(TimerRuns(ID_TIMER_SCROLL_DOWN));
    EXPECT_FALSE(TimerRuns(ID_TIMER_SCROLL_UP));
    EXPECT_NE(m_list.m_hWnd, GetCapture());
}

TEST_F(DragDropListBox, PlainClickOnlySelects) {
    Build(5);
    Press(ItemPoint(1));
    Release(ItemPoint(1));
    EXPECT_EQ(1, m_list.GetCurSel());
    EXPECT_EQ(-1, m_list.m_nDragIndex);
    // The button pressed elsewhere and moved in held starts nothing.
    MoveHeld(ItemPoint(3));
    EXPECT_FALSE(m_list.m_bDragging);
    Release(ItemPoint(3));
    EXPECT_EQ((Names{"item0", "item1", "item2", "item3", "item4"}), Order());
}

TEST_F(DragDropListBox, PressBelowTheEntriesStartsNoDrag) {
    Build(3);
    Press(POINT{20, 5 * m_nItemHeight});
    EXPECT_EQ(-1, m_list.m_nDragIndex);
    MoveHeld(ItemPoint(0));
    EXPECT_FALSE(m_list.m_bDragging);
    Release(ItemPoint(0));
    EXPECT_EQ((Names{"item0", "item1", "item2"}), Order());
}

TEST_F(DragDropListBox, LosingTheCaptureEndsTheDrag) {
    Build(20);
    Press(ItemPoint(2));
    MoveHeld(ItemPoint(4));
    MoveHeld(POINT{20, m_rcClient.bottom + 1});  // auto-scroll runs
    ASSERT_TRUE(m_list.m_bDragging);
    ASSERT_TRUE(TimerRuns(ID_TIMER_SCROLL_DOWN));
    ASSERT_EQ(m_list.m_hWnd, GetCapture());

    SetCapture(m_hParent);  // another window takes the mouse
    EXPECT_FALSE(m_list.m_bDragging);
    EXPECT_EQ(-1, m_list.m_nDragIndex);
    EXPECT_EQ(0, m_list.m_nScrollInterval);
    EXPECT_FALSE(TimerRuns(ID_TIMER_SCROLL_DOWN));
    ReleaseCapture();

    Release(ItemPoint(4));
    Names order = Order();
    EXPECT_EQ("item2", order[2]);
    EXPECT_EQ("item4", order[4]);
}

TEST_F(DragDropListBox, AutoScrollIntervalGrowsWithTheDistance) {
    Build(30);
    Press(ItemPoint(1));
    MoveHeld(ItemPoint(2));
    const int h = m_rcClient.bottom;

    MoveHeld(POINT{20, h + 1});
    ASSERT_EQ(1u, m_list.m_timerCalls.size());
    EXPECT_EQ((CTestListBox::CTimerCall{ID_TIMER_SCROLL_DOWN, 250}), m_list.m_timerCalls.back());
    EXPECT_TRUE(TimerRuns(ID_TIMER_SCROLL_DOWN));
    EXPECT_EQ(3, m_list.m_nDropIndex);  // one step at once

    // Same band: the running timer is kept.
    MoveHeld(POINT{20, h + m_nItemHeight - 1});
    EXPECT_EQ(1u, m_list.m_timerCalls.size());

    MoveHeld(POINT{20, h + 3 * m_nItemHeight});
    ASSERT_EQ(2u, m_list.m_timerCalls.size());
    EXPECT_EQ((CTestListBox::CTimerCall{ID_TIMER_SCROLL_DOWN, 62}), m_list.m_timerCalls.back());
    EXPECT_EQ(62, m_list.m_nScrollInterval);

    // Straight from below to above: only the upward timer runs.
    MoveHeld(POINT{20, -1});
    ASSERT_EQ(3u, m_list.m_timerCalls.size());
    EXPECT_EQ((CTestListBox::CTimerCall{ID_TIMER_SCROLL_UP, 250}), m_list.m_timerCalls.back());
    EXPECT_FALSE(TimerRuns(ID_TIMER_SCROLL_DOWN));
    EXPECT_TRUE(TimerRuns(ID_TIMER_SCROLL_UP));

    // Level with the list beside it: no timer.
    MoveHeld(POINT{m_rcClient.right + 10, h / 2});
    EXPECT_EQ(0, m_list.m_nScrollInterval);
    EXPECT_FALSE(TimerRuns(ID_TIMER_SCROLL_UP));
    Release(POINT{m_rcClient.right + 10, h / 2});
}

TEST(DragDropListBoxInterval, StepsByItemHeight) {
    EXPECT_EQ(250, CDragAndDropListBox::ScrollIntervalFor(1, 16));
    EXPECT_EQ(250, CDragAndDropListBox::ScrollIntervalFor(15, 16));
    EXPECT_EQ(125, CDragAndDropListBox::ScrollIntervalFor(16, 16));
    EXPECT_EQ(83, CDragAndDropListBox::ScrollIntervalFor(32, 16));
    EXPECT_EQ(62, CDragAndDropListBox::ScrollIntervalFor(48, 16));
    EXPECT_EQ(50, CDragAndDropListBox::ScrollIntervalFor(64, 16));
    EXPECT_EQ(125, CDragAndDropListBox::ScrollIntervalFor(1, 0));  // no height: one pixel
}

TEST_F(DragDropListBox, ScrollStepsKeepTheLineWithinTheList) {
    Build(12);
    Press(ItemPoint(1));
    MoveHeld(ItemPoint(7));
    ASSERT_EQ(7, m_list.m_nDropIndex);
    int nTop = m_list.GetTopIndex();
    m_list.SendMessage(WM_TIMER, ID_TIMER_SCROLL_DOWN, 0);
    EXPECT_EQ(8, m_list.m_nDropIndex);
    EXPECT_EQ(nTop + 1, m_list.GetTopIndex());
    for (int i = 0; i < 4; ++i) m_list.SendMessage(WM_TIMER, ID_TIMER_SCROLL_DOWN, 0);
    EXPECT_EQ(-1, m_list.m_nDropIndex);  // after the last entry, not round to the first
    m_list.SendMessage(WM_TIMER, ID_TIMER_SCROLL_UP, 0);
    EXPECT_EQ(11, m_list.m_nDropIndex);
    for (int i = 0; i < 20; ++i) m_list.SendMessage(WM_TIMER, ID_TIMER_SCROLL_UP, 0);
    EXPECT_EQ(0, m_list.m_nDropIndex);
    EXPECT_EQ(0, m_list.GetTopIndex());
    Release(POINT{m_rcClient.right + 10, 0});
    EXPECT_EQ("item1", Order()[1]);
}

// The Delete key asks the application's main window, not the list's parent.
class DragDropListBoxDelete : public DragDropListBox {
protected:
    void SetUp() override {
        m_hMain = MakeLoggingWindow(&m_mainLog);
        m_main.m_hWnd = m_hMain;
        m_app.m_pMainWnd = &m_main;
    }
    void TearDown() override {
        DragDropListBox::TearDown();
        m_main.m_hWnd = nullptr;
        DestroyWindow(m_hMain);
    }

    void SetPath(int nIndex, const char* path) {
        m_list.SetItemDataPtr(nIndex, const_cast<char*>(path));
    }
    void PressDelete() { m_list.SendMessage(WM_KEYDOWN, VK_DELETE, 0x01530001); }

    CWinApp m_app{"list test"};
    CMessageLog m_mainLog;
    HWND m_hMain = nullptr;
    CWnd m_main;
};

TEST_F(DragDropListBoxDelete, MessageNamesTheListByThePathsEnding) {
    Build(4);
    SetPath(0, "C:\\music\\SONG.MP3");
    SetPath(1, "C:\\lyrics\\song.lrc");
    SetPath(2, "C:\\music\\a.Mp3");
    SetPath(3, "mp3");

    m_list.SetCurSel(-1);
    PressDelete();
    EXPECT_TRUE(m_mainLog.messages.empty());

    const std::vector<WPARAM> expected = {DELETE_ENTRY_MP3, DELETE_ENTRY_OTHER, DELETE_ENTRY_MP3,
                                          DELETE_ENTRY_OTHER};
    for (int i = 0; i < 4; ++i) {
        m_list.SetCurSel(i);
        PressDelete();
        ASSERT_EQ(static_cast<size_t>(i + 1), m_mainLog.messages.size());
        EXPECT_EQ(WM_DELETE_ENTRY, m_mainLog.messages.back().first);
        EXPECT_EQ(expected[i], m_mainLog.messages.back().second) << "entry " << i;
    }
    EXPECT_EQ(1977u, WM_DELETE_ENTRY);
    EXPECT_EQ(2u, DELETE_ENTRY_OTHER);
    // The list removes nothing itself, and its parent hears nothing of it.
    EXPECT_EQ(4, m_list.GetCount());
    for (auto& m : m_log.messages) EXPECT_NE(WM_DELETE_ENTRY, m.first);
}

TEST_F(DragDropListBoxDelete, OtherKeysSendNothing) {
    Build(2);
    SetPath(0, "C:\\music\\SONG.MP3");
    m_list.SetCurSel(0);
    m_list.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_TRUE(m_mainLog.messages.empty());
    EXPECT_EQ(1, m_list.GetCurSel());
}

namespace {

// On screen (a plain popup: no frame for a window manager to wait on), where
// the line drawn into the window can be read back.
class DragDropListBoxShown : public DragDropListBox {
protected:
    void Show() {
        SetWindowLongPtrW(m_hParent, GWL_STYLE, WS_POPUP);
        SetWindowPos(m_hParent, HWND_TOP, 20, 20, 300, 300, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        UpdateWindow(m_hParent);
        UpdateWindow(m_list.m_hWnd);
    }
    COLORREF PixelAt(POINT pt) {
        HDC hDC = GetDC(m_list.m_hWnd);
        COLORREF c = GetPixel(hDC, pt.x, pt.y);
        ReleaseDC(m_list.m_hWnd, hDC);
        return c;
    }
    // The line before entry nIndex runs one pixel below its top.
    POINT LinePoint(int nIndex) {
        RECT r;
        m_list.GetItemRect(nIndex, &r);
        return POINT{r.right - 20, r.top + 1};
    }
};

} // namespace

TEST_F(DragDropListBoxShown, InsertionLineFollowsThePointer) {
    Build(5);
    Show();
    const COLORREF BLACK = RGB(0, 0, 0), WHITE = RGB(255, 255, 255);
    ASSERT_EQ(WHITE, PixelAt(LinePoint(3)));
    Press(ItemPoint(1));
    MoveHeld(ItemPoint(3));
    EXPECT_EQ(BLACK, PixelAt(LinePoint(3)));
    MoveHeld(ItemPoint(4));
    EXPECT_EQ(WHITE, PixelAt(LinePoint(3)));  // erased
    EXPECT_EQ(BLACK, PixelAt(LinePoint(4)));
    // No line at the dragged entry's own place.
    MoveHeld(ItemPoint(1));
    EXPECT_EQ(WHITE, PixelAt(LinePoint(4)));
    EXPECT_NE(BLACK, PixelAt(LinePoint(1)));  // the selected entry's own colour
    // Below the last entry: the line under it.
    RECT last;
    m_list.GetItemRect(4, &last);
    MoveHeld(POINT{20, last.bottom + 2 * m_nItemHeight});
    EXPECT_EQ(BLACK, PixelAt(POINT{last.right - 20, last.bottom}));
    // Released outside: the line goes.
    Release(POINT{m_rcClient.right + 30, 5});
    EXPECT_EQ(WHITE, PixelAt(POINT{last.right - 20, last.bottom}));
}

// The media-player feed against a stand-in of the player's "同步显示歌词"
// window: a top-level "#32770" window on a thread of its own that notes
// every key it receives and, at each Ctrl+V, the clipboard's text.
#include "editor/lyric_edit_dlg.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "editor_test_util.h"
#include "resource.h"
#include "ui/clipboard.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

// A key the test sends after each pause of the feed: when the stand-in has
// it, it has handled everything sent before.
constexpr BYTE VK_MARKER = VK_F24;

struct KeyEvent {
    bool bDown;
    UINT vk;
    UINT nScan;
    bool operator==(const KeyEvent& o) const { return bDown == o.bDown && vk == o.vk && nScan == o.nScan; }
};

std::ostream& operator<<(std::ostream& os, const KeyEvent& e) {
    return os << (e.bDown ? "down " : "up ") << std::hex << e.vk << " scan " << e.nScan << std::dec;
}

UINT Scan(UINT vk) { return ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC); }

// The events of a chord as the feed sends them.
std::vector<KeyEvent> Chord(UINT modifier, UINT key) {
    return {{true, modifier, Scan(modifier)}, {true, key, Scan(key)}, {false, key, Scan(key)},
            {false, modifier, Scan(modifier)}};
}
std::vector<KeyEvent> Press(UINT vk) { return {{true, vk, 0}, {false, vk, 0}}; }

class CPlayerStandIn {
public:
    explicit CPlayerStandIn(const wchar_t* pszTitle = L"同步显示歌词") : m_strTitle(pszTitle) {
        m_thread = std::thread([this] { Run(); });
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_bReady; });
    }
    ~CPlayerStandIn() {
        if (m_dwThreadId) ::PostThreadMessageW(m_dwThreadId, WM_QUIT, 0, 0);
        m_thread.join();
    }

    HWND m_hWnd = nullptr;

    std::vector<KeyEvent> Keys() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_keys;
    }
    // Clipboard texts at each Ctrl+V: as Unicode text (in GBK) and as the
    // ANSI text the system offers beside it.
    std::vector<std::string> Pastes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_pastes;
    }
    std::vector<std::string> AnsiPastes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_ansiPastes;
    }
    // Sends a marker key and waits until the stand-in has it.
    bool Sync() {
        int nWanted;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            nWanted = ++m_nMarkersSent;
        }
        ::keybd_event(VK_MARKER, 0, 0, 0);
        ::keybd_event(VK_MARKER, 0, KEYEVENTF_KEYUP, 0);
        std::unique_lock<std::mutex> lock(m_mutex);
        // A guard against a lost key, not a measure of anything.
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_nMarkersSeen >= nWanted; });
    }

private:
    void Run() {
        HWND hWnd = ::CreateWindowExW(0, L"#32770", m_strTitle.c_str(), WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                      600, 400, 200, 120, nullptr, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_pfnDefault = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPlayerStandIn::WndProc)));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_hWnd = hWnd;
            m_dwThreadId = ::GetCurrentThreadId();
            m_bReady = true;
        }
        m_changed.notify_all();
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        ::DestroyWindow(hWnd);
    }

    static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CPlayerStandIn*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        switch (msg) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) ::SetFocus(hWnd);
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
            self->OnKey(msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN, static_cast<UINT>(wParam),
                        (HIWORD(lParam) & 0xFF));
            return 0;
        }
        return ::CallWindowProcW(self->m_pfnDefault, hWnd, msg, wParam, lParam);
    }

    void OnKey(bool bDown, UINT vk, UINT nScan) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (vk == VK_MARKER) {
            if (!bDown) ++m_nMarkersSeen;
            m_changed.notify_all();
            return;
        }
        m_keys.push_back({bDown, vk, nScan});
        if (bDown && vk == 'V' && ::GetKeyState(VK_CONTROL) < 0) {
            m_pastes.push_back(GetClipboardText(m_hWnd));
            std::string strAnsi;
            if (::OpenClipboard(m_hWnd)) {
                if (HANDLE hMem = ::GetClipboardData(CF_TEXT)) {
                    if (const char* p = static_cast<const char*>(::GlobalLock(hMem))) {
                        strAnsi = p;
                        ::GlobalUnlock(hMem);
                    }
                }
                ::CloseClipboard();
            }
            m_ansiPastes.push_back(strAnsi);
        }
    }

    std::wstring m_strTitle;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bReady = false;
    DWORD m_dwThreadId = 0;
    WNDPROC m_pfnDefault = nullptr;
    std::vector<KeyEvent> m_keys;
    std::vector<std::string> m_pastes;
    std::vector<std::string> m_ansiPastes;
    int m_nMarkersSent = 0;
    int m_nMarkersSeen = 0;
};

// The editor whose pauses are noted and wait for the stand-in to catch up.
class CFeedEditDlg : public CTestLyricEditDlg {
public:
    CPlayerStandIn* m_pPlayer = nullptr;
    std::vector<int> m_pauses;
    bool m_bInSync = true;

protected:
    void Pause(int nMilliseconds) override {
        m_pauses.push_back(nMilliseconds);
        if (m_pPlayer && !m_pPlayer->Sync()) m_bInSync = false;
    }
};

std::vector<KeyEvent> Concat(std::initializer_list<std::vector<KeyEvent>> parts) {
    std::vector<KeyEvent> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// What one entry of the import sends.
std::vector<KeyEvent> EntryKeys() {
    return Concat({Chord(VK_MENU, 'A'), Chord(VK_MENU, 'T'), Chord(VK_CONTROL, 'V'), Press(VK_TAB),
                   Chord(VK_CONTROL, 'V'), Press(VK_RETURN)});
}

const char kFourLines[] = "[ti:x]\r\n[00:05.00]A\r\n[01:02:03.456]D\r\n[00:10]B\r\n[00:20]C\r\n";

class MediaPlayerFeed : public ::testing::Test {
protected:
    void SetUp() override { m_strPath = m_folder.Write("feed.lrc", kFourLines); }
    CTempFolder m_folder{L"vm-editor-"};
    std::string m_strPath;
};

}  // namespace

TEST_F(MediaPlayerFeed, ImportTypesEachLineWithItsTimeAndText) {
    CPlayerStandIn player;
    CFeedEditDlg dlg;
    ASSERT_TRUE(dlg.Open(m_strPath));
    dlg.m_pPlayer = &player;
    ::SetDlgItemTextW(dlg, IDC_KEY_INTERVAL, L"7");
    ClickPicture(dlg, IDC_MEDIA_IMPORT);
    ASSERT_TRUE(dlg.m_bInSync);
    EXPECT_EQ(::GetForegroundWindow(), player.m_hWnd);

    std::vector<KeyEvent> expected;
    for (int i = 0; i < 4; ++i) expected = Concat({expected, EntryKeys()});
    EXPECT_EQ(player.Keys(), expected);
    EXPECT_EQ(player.Pastes(), (std::vector<std::string>{"00:00:05.000", "A", "00:00:10.000", "B",
                                                         "00:00:20.000", "C", "01:02:03.456", "D"}));
    // Six pauses of the interval a line.
    EXPECT_EQ(dlg.m_pauses, std::vector<int>(24, 7));
    // The last text stays on the clipboard.
    EXPECT_EQ(GetClipboardText(dlg), "D");
}

TEST_F(MediaPlayerFeed, SeveralLinesMakeOneEntryAndChineseTextArrives) {
    const std::string strPath = m_folder.Write("four.lrc", G("[00:01]A\n[00:02]B\n[00:03]C\n[00:04]歌词\n"));
    CPlayerStandIn player;
    CFeedEditDlg dlg;
    ASSERT_TRUE(dlg.Open(strPath));
    dlg.m_pPlayer = &player;
    ::SetDlgItemTextW(dlg, IDC_SHOW_LINES, L"3");
    dlg.SendMessage(WM_COMMAND, IDC_MEDIA_IMPORT, 0);
    ASSERT_TRUE(dlg.m_bInSync);
    std::vector<std::string> lyrics;
    const std::vector<std::string> pastes = player.Pastes();
    for (size_t i = 1; i < pastes.size(); i += 2) lyrics.push_back(pastes[i]);
    EXPECT_EQ(lyrics, (std::vector<std::string>{"A\nB\nC", G("B\nC\n歌词"), G("C\n歌词"), G("歌词")}));
    EXPECT_EQ(dlg.m_nShowLines, 3);
    // The ANSI text is the GBK bytes, whatever the system's code page.
    EXPECT_EQ(player.AnsiPastes().back(), G("歌词"));
}

TEST_F(MediaPlayerFeed, OneLineAtATimeForZeroOneOrNegativeCounts) {
    for (const wchar_t* count : {L"0", L"1", L"-3"}) {
        CPlayerStandIn player;
        CFeedEditDlg dlg;
        ASSERT_TRUE(dlg.Open(m_strPath));
        dlg.m_pPlayer = &player;
        ::SetDlgItemTextW(dlg, IDC_SHOW_LINES, count);
        dlg.OnMediaImport();
        const std::vector<std::string> pastes = player.Pastes();
        ASSERT_EQ(pastes.size(), 8u);
        EXPECT_EQ(pastes[1], "A");
        EXPECT_EQ(pastes[7], "D");
    }
}

TEST_F(MediaPlayerFeed, RealPausesDeliverTheSameKeys) {
    CPlayerStandIn player;
    CTestLyricEditDlg dlg;
    ASSERT_TRUE(dlg.Open(m_strPath));
    ::SetDlgItemTextW(dlg, IDC_KEY_INTERVAL, L"0");
    dlg.OnMediaImport();
    std::vector<KeyEvent> expected;
    for (int i = 0; i < 4; ++i) expected = Concat({expected, EntryKeys()});
    // Everything was sent; wait until the stand-in has handled it all.
    EXPECT_TRUE(player.Sync());
    EXPECT_EQ(player.Keys(), expected);
    EXPECT_EQ(player.Pastes().size(), 8u);
}

TEST_F(MediaPlayerFeed, EmptyListBringsThePlayerForwardAndTypesNothing) {
    CPlayerStandIn player;
    CFeedEditDlg dlg;
    ASSERT_TRUE(dlg.Open(m_folder.Write("empty.lrc", "[ti:none]\r\n")));
    dlg.m_pPlayer = &player;
    MessageBoxCatcher catcher;
    dlg.OnMediaImport();
    EXPECT_EQ(::GetForegroundWindow(), player.m_hWnd);
    EXPECT_TRUE(player.Sync());
    EXPECT_TRUE(player.Keys().empty());
    EXPECT_TRUE(catcher.boxes.empty());
}

TEST_F(MediaPlayerFeed, DeletePressesAltLFiftyTimesAndSaysSo) {
    for (const char* file : {kFourLines, "no lines"}) {
        CPlayerStandIn player;
        CFeedEditDlg dlg;
        ASSERT_TRUE(dlg.Open(m_folder.Write("delete.lrc", file)));
        dlg.m_pPlayer = &player;
        ::SetDlgItemTextW(dlg, IDC_KEY_INTERVAL, L"3");
        MessageBoxCatcher catcher;
        ClickPicture(dlg, IDC_MEDIA_DELETE);
        ASSERT_TRUE(dlg.m_bInSync);
        std::vector<KeyEvent> expected;
        for (int i = 0; i < 50; ++i) expected = Concat({expected, Chord(VK_MENU, 'L')});
        EXPECT_EQ(player.Keys(), expected);
        EXPECT_EQ(dlg.m_pauses, std::vector<int>(50, 3));
        ASSERT_TRUE(PumpUntil([&] { return !catcher.boxes.empty(); }));
        EXPECT_EQ(catcher.boxes[0].text, L"完成了!!\n---Quillan");
    }
}

TEST_F(MediaPlayerFeed, MissingWindowShowsTheInstructionAndSendsNothing) {
    // A window of the right title but another class is not the player's.
    HWND hOther = ::CreateWindowExW(0, L"STATIC", L"同步显示歌词", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                    nullptr, nullptr, nullptr, nullptr);
    CFeedEditDlg dlg;
    ASSERT_TRUE(dlg.Open(m_strPath));
    ASSERT_TRUE(SetClipboardText(dlg, "before"));
    // Not read: an edit that would be refused gives no message.
    ::SetDlgItemTextW(dlg, IDC_KEY_INTERVAL, L"abc");
    for (int nButton : {IDC_MEDIA_IMPORT, IDC_MEDIA_DELETE}) {
        MessageBoxCatcher catcher;
        ClickPicture(dlg, nButton);
        ASSERT_TRUE(PumpUntil([&] { return !catcher.boxes.empty(); }));
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].text,
                  L"请先用Windows Media Player打开mp3文件\n然后在文件列表中点右键, 选\"高级标记编辑器\"\n"
                  L"在歌词属性页里按\"添加\",然后点\"同步显示歌词\"\n 最后再点本程序的\"执行\"按钮!\n---Quillan");
        EXPECT_EQ(catcher.boxes[0].owner, dlg.m_hWnd);
    }
    EXPECT_TRUE(dlg.m_pauses.empty());
    EXPECT_EQ(GetClipboardText(dlg), "before");
    ::DestroyWindow(hOther);
}

TEST_F(MediaPlayerFeed, RefusedIntervalStopsTheRun) {
    CPlayerStandIn player;
    CFeedEditDlg dlg;
    ASSERT_TRUE(dlg.Open(m_strPath));
    dlg.m_pPlayer = &player;
    for (const wchar_t* interval : {L"1001", L"-1", L"x"}) {
        ::SetDlgItemTextW(dlg, IDC_KEY_INTERVAL, interval);
        for (int nButton : {IDC_MEDIA_IMPORT, IDC_MEDIA_DELETE}) {
            MessageBoxCatcher catcher;
            ClickPicture(dlg, nButton);
            ASSERT_TRUE(PumpUntil([&] { return !catcher.boxes.empty(); }));
            EXPECT_NE(catcher.boxes[0].text.find(interval[0] == L'x' ? L"请键入一个整数" : L"0和1000之间"),
                      std::wstring::npos);
        }
    }
    // Nothing reached the player, not even the foreground.
    EXPECT_NE(::GetForegroundWindow(), player.m_hWnd);
    ::SetForegroundWindow(player.m_hWnd);
    PumpUntil([&] { return ::GetForegroundWindow() == player.m_hWnd; });
    EXPECT_TRUE(player.Sync());
    EXPECT_TRUE(player.Keys().empty());
    EXPECT_TRUE(dlg.m_pauses.empty());
}

TEST_F(MediaPlayerFeed, ClosedClipboardSkipsThePastesAndGoesOn) {
    const std::string strPath = m_folder.Write("one.lrc", "[00:01]A\n");
    CPlayerStandIn player;
    CFeedEditDlg dlg;
    ASSERT_TRUE(dlg.Open(strPath));
    dlg.m_pPlayer = &player;
    // Another thread holds the clipboard open for the whole run.
    std::mutex mutex;
    std::condition_variable changed;
    bool bOpen = false, bRelease = false;
    std::thread holder([&] {
        BOOL bOpened = ::OpenClipboard(nullptr);
        std::unique_lock<std::mutex> lock(mutex);
        bOpen = bOpened != FALSE;
        changed.notify_all();
        changed.wait(lock, [&] { return bRelease; });
        if (bOpened) ::CloseClipboard();
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return bOpen; });
    }
    dlg.OnMediaImport();
    {
        std::lock_guard<std::mutex> lock(mutex);
        bRelease = true;
    }
    changed.notify_all();
    holder.join();
    ASSERT_TRUE(dlg.m_bInSync);
    EXPECT_EQ(player.Keys(), Concat({Chord(VK_MENU, 'A'), Chord(VK_MENU, 'T'), Press(VK_TAB), Press(VK_RETURN)}));
    // The pauses of the two pastes are skipped with them.
    EXPECT_EQ(dlg.m_pauses, std::vector<int>(4, 50));
}

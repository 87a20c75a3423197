// The media-player feed of the lyric editor: the lines typed into the
// player's "同步显示歌词" window with simulated keys and the clipboard, and
// the command that empties that window. The player is found by its class
// and title, brought to the foreground and sent input system-wide; nothing
// is read back.

#include "editor/lyric_edit_dlg.h"

#include "base/codepage.h"
#include "lyrics/lrc_edit.h"
#include "ui/clipboard.h"
#include "ui/message_box.h"
#include "ui/text.h"

namespace {

// Alt+L presses of one delete, whatever the player holds.
constexpr int kDeletePresses = 50;
// Tries to put a text on the clipboard, 10 ms apart.
constexpr int kClipboardTries = 50;

void SendKey(BYTE vk, DWORD dwFlags) {
    ::keybd_event(vk, static_cast<BYTE>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), dwFlags, 0);
}

// Modifier down, key down, key up, modifier up, with their scan codes.
void PressChord(BYTE modifier, BYTE key) {
    SendKey(modifier, 0);
    SendKey(key, 0);
    SendKey(key, KEYEVENTF_KEYUP);
    SendKey(modifier, KEYEVENTF_KEYUP);
}

// Brings the player's window to the foreground. The switch may complete on
// the player's side a moment later; keys sent before it would reach this
// program's own window, so it waits for it, a little.
void BringForward(HWND hPlayer) {
    ::SetForegroundWindow(hPlayer);
    for (int i = 0; i < 50 && ::GetForegroundWindow() != hPlayer; ++i) ::Sleep(10);
}

}  // namespace

void PressKey(BYTE vk) {
    ::keybd_event(vk, 0, 0, 0);
    ::keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}

HWND CLyricEditDlg::FindPlayerWindow() {
    HWND hPlayer = CWnd::FindWindow("#32770", Text("同步显示歌词"));
    if (!hPlayer)
        ShowMessageBox(m_hWnd, Text("请先用Windows Media Player打开mp3文件\n"
                                    "然后在文件列表中点右键, 选\"高级标记编辑器\"\n"
                                    "在歌词属性页里按\"添加\",然后点\"同步显示歌词\"\n"
                                    " 最后再点本程序的\"执行\"按钮!\n---Quillan"));
    return hPlayer;
}

void CLyricEditDlg::Pause(int nMilliseconds) {
    if (nMilliseconds > 0) ::Sleep(static_cast<DWORD>(nMilliseconds));
}

void CLyricEditDlg::PasteText(const std::string& strText) {
    // Unicode text, which the player reads right whatever the system's ANSI
    // code page, beside the GBK bytes as ANSI text. Whoever reads
    // the clipboard (the player pasting the text before) holds it for a
    // moment, so it is tried a few times. When it stays closed or the
    // memory cannot be had, Ctrl+V would paste something else: nothing is
    // pressed.
    bool bOnClipboard = SetClipboardText(m_hWnd, strText);
    for (int nTry = 1; nTry < kClipboardTries && !bOnClipboard; ++nTry) {
        ::Sleep(10);
        bOnClipboard = SetClipboardText(m_hWnd, strText);
    }
    if (!bOnClipboard) return;
    Pause(m_nKeyInterval);
    PressChord(VK_CONTROL, 'V');
}

void CLyricEditDlg::PressAddEntry() {
    PressChord(VK_MENU, 'A');
    Pause(m_nKeyInterval);
    PressChord(VK_MENU, 'T');
}

void CLyricEditDlg::OnMediaImport() {
    HWND hPlayer = FindPlayerWindow();
    if (!hPlayer) return;
    // A refused interval would make the run hang or race: no run.
    if (!UpdateData(true)) return;
    BringForward(hPlayer);
    for (int i = 0; i < m_lines.GetSize(); ++i) {
        PressAddEntry();
        Pause(m_nKeyInterval);
        PasteText(FormatPlayerTime(m_lines.GetAt(i)->time));
        PressKey(VK_TAB);
        Pause(m_nKeyInterval);
        // A line joined into an earlier entry still gets its own.
        PasteText(PlayerEntryText(m_lines, i, m_nShowLines));
        PressKey(VK_RETURN);
        Pause(m_nKeyInterval);
    }
}

void CLyricEditDlg::OnMediaDelete() {
    HWND hPlayer = FindPlayerWindow();
    if (!hPlayer) return;
    if (!UpdateData(true)) return;
    BringForward(hPlayer);
    for (int i = 0; i < kDeletePresses; ++i) {
        PressChord(VK_MENU, 'L');
        Pause(m_nKeyInterval);
    }
    ShowMessageBox(m_hWnd, Text("完成了!!\n---Quillan"));
}

// The lyric editor: the timed lines of one LRC file, one list entry per
// line with its number and time. A double-click on a line shifts the times
// of a block of lines (CLyricTimeDlg); the two media-player pictures type
// the lines into the player's synchronised-lyrics editor or empty it; the
// save picture writes the lines back into the file and closes.
//
// Its sources: lyric_edit_dlg.cpp (the list, the shift, the save) and
// lyric_edit_dlg_player.cpp (the media-player feed).
#pragma once

#include <windows.h>

#include <string>

#include "lyrics/lrc.h"
#include "skin/skinned_dialog.h"
#include "ui/controls.h"

class CLyricEditDlg : public CSkinnedDialog {
public:
    explicit CLyricEditDlg(CWnd* pParent = nullptr);

    // Set by the opener before DoModal: the full path of the lyric file.
    std::string m_strLrcPath;
    // The file's lines in time order; shifts change their times in place.
    CLyricLineArray m_lines;
    CListBox m_listLines;  // 1013
    // Pause between simulated key actions in ms (edit 1002, 0 to 1000).
    int m_nKeyInterval;
    // Lyric lines that make one media-player entry (edit 1015).
    int m_nShowLines;

    // Empties the list and fills it again from m_lines; nothing selected.
    void FillList();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;  // save and close
    void DoDataExchange(CDataExchange* pDX) override;

    void OnDblclkLines();
    void OnMediaImport();
    void OnMediaDelete();
    void OnDestroy();
    // Tells, once the editor shows, of characters GBK cannot hold.
    LRESULT OnUnmappableWarning(WPARAM wParam, LPARAM lParam);

    // Writes the lines back into m_strLrcPath; false, with the user told,
    // when the file was left as it was.
    bool SaveLines();

    // ---- The media-player feed (lyric_edit_dlg_player.cpp)

    // The player's "同步显示歌词" window; null, with the instruction shown,
    // when it is not open.
    HWND FindPlayerWindow();
    // The text on the clipboard, a pause, then Ctrl+V. Nothing is pressed
    // when the clipboard cannot take the text.
    void PasteText(const std::string& strText);
    // Alt+A, a pause, Alt+T: a new entry with the focus in its time field.
    void PressAddEntry();
    // The pause after a step of the feed.
    virtual void Pause(int nMilliseconds);

    DECLARE_MESSAGE_MAP()
};

// Key down and key up of vk, scan code 0, no pause.
void PressKey(BYTE vk);

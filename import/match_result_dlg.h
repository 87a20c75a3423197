// The result window of an import run: the lyric total, the running count of
// matched files, the matched names; its delete picture hands the matched
// pairs back to the main window, its exit picture hides it. Modeless, made
// once by the first run and shown again by every later one.
#pragma once

#include <windows.h>

#include <string>

#include "skin/skinned_dialog.h"
#include "ui/controls.h"

class CMatchResultDlg : public CSkinnedDialog {
public:
    CMatchResultDlg();

    // Creates the hidden window from its template, owned by pOwner so that
    // it stays in front of the main window, and prepares the pictures.
    bool CreateFor(CWnd* pOwner);

    // For the run (any thread: these go through synchronous messages).
    void ClearList();
    void SetLyricTotal(int nLyricFiles);  // "一共有歌词文件数:  %d"
    void SetMatchedCount(int nMatched);   // "已匹配音乐文件数:  %d"
    void ClearMatchedCount();
    // Appends a matched name; a pair whose file could not be written is
    // listed as failed, with the reason.
    void AddMatched(const std::string& strName);
    void AddFailed(const std::string& strName, const std::string& strReason);
    // Centres the window over its owner (or the work area) and shows it.
    void CentreAndShow();

    // The list as it stands (tests and the screenshot tool read it).
    CListBox& GetList() { return m_matchedList; }

    // The line AddFailed appends (GBK).
    static std::string FailedLine(const std::string& strName, const std::string& strReason);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;      // delete the matched pairs
    void OnCancel() override;  // hide
    void OnClose();

    // Where the delete command goes: the application's main window, else
    // the owner.
    HWND MainWindow() const;

    CListBox m_matchedList;  // 1025

    DECLARE_MESSAGE_MAP()
};

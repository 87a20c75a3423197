// Helpers of the lyric editor's tests: scratch lyric files, the editor and
// the time dialog opened from their templates, clicks on their pictures.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "editor/lyric_edit_dlg.h"
#include "resource.h"

// A folder of its own under %TEMP%, removed with its files at the end.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    // Writes a file of the folder (GBK name) and returns its full path.
    std::string Write(const std::string& strName, const std::string& strBytes) const;
    std::string Path(const std::string& strName) const;
    static std::string Read(const std::string& strPath);

private:
    std::string m_strFolder;
};

// The editor with its protected parts reachable.
class CTestLyricEditDlg : public CLyricEditDlg {
public:
    using CLyricEditDlg::OnMediaDelete;
    using CLyricEditDlg::OnMediaImport;

    ~CTestLyricEditDlg() override {
        if (m_hWnd) DestroyWindow();
    }
    bool Open(const std::string& strPath) {
        m_strLrcPath = strPath;
        if (!Create(IDD_LYRIC_EDIT)) return false;
        ShowWindow(SW_SHOW);
        return true;
    }
    // The list's entries as they stand.
    std::vector<std::string> Entries() const;
};

// The top-left corner of a placeholder button in its dialog's client
// coordinates; the middle of a picture drawn there is 38 pixels further.
POINT PictureMiddle(HWND hDlg, int nPlaceholderID);
// Press far away, release over the picture's star.
void ClickPicture(HWND hDlg, int nPlaceholderID);

// The time dialog while it runs (null when it is not open).
HWND FindTimeDialog();
std::vector<std::string> ComboEntries(HWND hCombo);

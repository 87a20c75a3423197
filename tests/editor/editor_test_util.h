// The lyric editor opened from its template for its tests (files, clicks and
// the reading of lists: ui_test_util.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "editor/lyric_edit_dlg.h"
#include "resource.h"
#include "ui_test_util.h"

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
    std::vector<std::string> Entries() const { return ListTexts(m_listLines); }
};


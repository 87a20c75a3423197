// The time shift of a block of the lyric editor's lines: from the current
// line (the one double-clicked) to a line chosen from all of them, by a
// whole number of seconds, negative numbers allowed. The dialog only reads
// the lines; the editor applies the shift after OK.
#pragma once

#include <windows.h>

#include <string>

#include "lyrics/lrc.h"
#include "skin/skinned_dialog.h"

class CLyricTimeDlg : public CSkinnedDialog {
public:
    explicit CLyricTimeDlg(CWnd* pParent = nullptr);

    // Set by the opener to the current line's number (1-based); after OK
    // the number of the line chosen in 1019 (0 when none is selected).
    int m_nLine;
    // After OK: the shift in whole seconds, read as atoi reads.
    int m_nSeconds;
    // The editor's lines; set by the opener.
    const CLyricLineArray* m_pLines;
    std::string m_strSeconds;  // edit 1003

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

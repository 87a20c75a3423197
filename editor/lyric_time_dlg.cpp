#include "editor/lyric_time_dlg.h"

#include "lyrics/lrc_edit.h"
#include "resource.h"
#include "ui/controls.h"

namespace {

// Whether the last mouse move over a time dialog showed the hand cursor.
BOOL s_bHandShown = FALSE;

}  // namespace

CLyricTimeDlg::CLyricTimeDlg(CWnd* pParent)
    : CSkinnedDialog(IDD_LYRIC_TIME, pParent, &s_bHandShown),
      m_nLine(0),
      m_nSeconds(0),
      m_pLines(nullptr),
      m_strSeconds("0") {
    m_skin.Add(IDB_OK, IDOK, [this] { OnOK(); });
    m_skin.Add(IDB_EXIT, IDCANCEL, [this] { OnCancel(); });
}

void CLyricTimeDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_SHIFT_SECONDS, m_strSeconds);
}

BOOL CLyricTimeDlg::OnInitDialog() {
    CSkinnedDialog::OnInitDialog();

    CComboBox comboLines(::GetDlgItem(m_hWnd, IDC_TARGET_LINE));
    if (m_pLines) {
        for (int i = 0; i < m_pLines->GetSize(); ++i)
            comboLines.AddString(FormatEditorLine(i + 1, *m_pLines->GetAt(i)));
    }
    SetDlgItemText(IDC_CURRENT_LINE, std::to_string(m_nLine));
    // The block ends at the current line until the user chooses another.
    comboLines.SetCurSel(m_nLine - 1);

    m_strSeconds = "0";
    UpdateData(false);
    return TRUE;
}

void CLyricTimeDlg::OnOK() {
    UpdateData(true);
    // Only the chosen entry counts, not text typed into the box.
    m_nLine = CComboBox(::GetDlgItem(m_hWnd, IDC_TARGET_LINE)).GetCurSel() + 1;
    m_nSeconds = AtoiSaturated(m_strSeconds);
    CSkinnedDialog::OnOK();
}

#include "import/batch_id3_dlg.h"

#include "resource.h"

namespace {

// Whether the last mouse move over a choice dialog showed the hand cursor.
BOOL s_bHandShown = FALSE;

}  // namespace

CBatchId3Dlg::CBatchId3Dlg(CWnd* pParent)
    : CSkinnedDialog(IDD_BATCH_ID3, pParent, &s_bHandShown), m_nChoice(-1) {
    m_skin.Add(IDB_OK, IDOK, [this] { OnOK(); });
    m_skin.Add(IDB_EXIT, IDCANCEL, [this] { OnCancel(); });
}

BOOL CBatchId3Dlg::OnInitDialog() {
    // Opens the pictures with their click regions and the hand cursor.
    CSkinnedDialog::OnInitDialog();
    CheckRadioButton(IDC_TAG_TO_NAME, IDC_NAME_TO_TAG_TITLE_FIRST, IDC_TAG_TO_NAME);
    return TRUE;
}

void CBatchId3Dlg::OnOK() {
    // The radio buttons 1030..1032 stand for the choices 1..3.
    for (int i = 1; i <= 3; ++i) {
        if (IsDlgButtonChecked(IDC_TAG_TO_NAME - 1 + i) == BST_CHECKED) m_nChoice = i;
    }
    CSkinnedDialog::OnOK();
}

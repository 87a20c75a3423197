#include "import/match_result_dlg.h"

#include "resource.h"

// ---- to be written: the result window
namespace {
BOOL s_bHandShown = FALSE;
}
CMatchResultDlg::CMatchResultDlg() : CSkinnedDialog(IDD_MATCH_RESULT, nullptr, &s_bHandShown) {}
BEGIN_MESSAGE_MAP(CMatchResultDlg, CSkinnedDialog)
END_MESSAGE_MAP()
bool CMatchResultDlg::CreateFor(CWnd*) { return false; }
void CMatchResultDlg::ClearList() {}
void CMatchResultDlg::SetLyricTotal(int) {}
void CMatchResultDlg::SetMatchedCount(int) {}
void CMatchResultDlg::ClearMatchedCount() {}
void CMatchResultDlg::AddMatched(const std::string&) {}
void CMatchResultDlg::AddFailed(const std::string&, const std::string&) {}
void CMatchResultDlg::CentreAndShow() {}
BOOL CMatchResultDlg::OnInitDialog() { return CSkinnedDialog::OnInitDialog(); }
void CMatchResultDlg::OnOK() {}
void CMatchResultDlg::OnCancel() {}
void CMatchResultDlg::OnClose() {}

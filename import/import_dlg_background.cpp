#include "import/import_dlg.h"

// ---- to be written: the background picture
BOOL CImportDlg::LoadBackgroundPicture(HDC, const char*) { return FALSE; }
void CImportDlg::ComposeBackground(HDC) {}
BOOL CImportDlg::OnEraseBkgnd(HDC hDC) { return CSkinnedDialog::OnEraseBkgnd(hDC); }
HBRUSH CImportDlg::OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
    return CSkinnedDialog::OnCtlColor(hDC, hCtl, nCtlColor);
}
void CImportDlg::FreeBackground() {}

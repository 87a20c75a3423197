#include "import/import_dlg.h"
#include "import/match_result_dlg.h"

// ---- to be written: the import run
const char* const kImportRunningMessage = "";
void CImportDlg::OnOK() { StartImport(); }
void CImportDlg::StartImport() {}
void CImportDlg::ImportLoop() {}
void CImportDlg::RemoveMatchedPairs() {}
bool CImportDlg::IsImportRunning() const { return m_bRunning; }
bool CImportDlg::RefuseWhileImporting() { return false; }
void CImportDlg::FinishRunBeforeClosing() {}
DWORD WINAPI CImportDlg::ImportThreadProc(LPVOID) { return 0; }
LRESULT CImportDlg::OnDeleteMatched(WPARAM, LPARAM) { return 0; }

#include "shell/import_app.h"

#include "import/import_dlg.h"

// ---- to be written
const char* const kSettingsSection = "Dialog";
const char* const kTextColorKey = "TextColor";
const char* const kBKColorKey = "BKColor";
const char* const kSettingsFileName = "\\bkpic\\Versemill.ini";
int HexDigitValue(char) { return 0; }
COLORREF ParseColor(const char*) { return 0; }
CImportApp::CImportApp() : CWinApp("Versemill"), m_szCurDir{}, m_crTextColor(0), m_crBKColor(0) {}
CImportApp::~CImportApp() = default;
bool CImportApp::LoadSettings() { return false; }
BOOL CImportApp::InitInstance() {
    CImportDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
void CImportApp::SaveTextColor(char*) {}
void CImportApp::SaveBKColor(char*) {}

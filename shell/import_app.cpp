#include "shell/import_app.h"

#include <ole2.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/codepage.h"
#include "import/import_dlg.h"
#include "ui/text.h"

const char* const kSettingsSection = "Dialog";
const char* const kTextColorKey = "TextColor";
const char* const kBKColorKey = "BKColor";
const char* const kSettingsFileName = "\\bkpic\\Versemill.ini";

namespace {

const char* const kDefaultTextColor = "FFFFFF";
const char* const kDefaultBKColor = "B5C6DE";

// Profile values are read into buffers of this size: seven characters at most.
constexpr DWORD kColorBufferSize = 8;

}  // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

COLORREF ParseColor(const char* pszText) {
    int digits[6] = {};
    // A short value ends at its NUL: the missing digits count 0, and nothing
    // beyond the terminator is read.
    for (int i = 0; pszText && i < 6 && pszText[i]; ++i) digits[i] = HexDigitValue(pszText[i]);
    COLORREF red = static_cast<COLORREF>(16 * digits[0] + digits[1]);
    COLORREF green = static_cast<COLORREF>(16 * digits[2] + digits[3]);
    COLORREF blue = static_cast<COLORREF>(16 * digits[4] + digits[5]);
    return red + 256 * green + 65536 * blue;
}

CImportApp::CImportApp()
    : CWinApp("Versemill"), m_szCurDir{}, m_crTextColor(0), m_crBKColor(0) {}

CImportApp::~CImportApp() = default;

bool CImportApp::LoadSettings() {
    std::memset(m_szCurDir, 0, sizeof(m_szCurDir));
    m_iniFile.SetFileName(nullptr);

    bool bUsable = false;
    DWORD nWide = GetCurrentDirectoryW(0, nullptr);
    if (nWide > 0) {
        std::vector<wchar_t> wide(nWide + 1, L'\0');
        DWORD n = GetCurrentDirectoryW(nWide + 1, wide.data());
        size_t nUnmappable = 0;
        std::string strDir;
        if (n > 0 && n <= nWide)
            strDir = Utf16ToCp936(
                std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), n), &nUnmappable);
        // A folder whose GBK form does not fit is not cut, and one GBK cannot
        // spell is not guessed at: either would name another folder's settings.
        if (!strDir.empty() && !nUnmappable && strDir.size() < sizeof(m_szCurDir)) {
            std::memcpy(m_szCurDir, strDir.c_str(), strDir.size() + 1);
            // A drive's root already ends in its backslash ("C:\").
            const char* pszName = kSettingsFileName;
            if (wide[n - 1] == L'\\') ++pszName;
            bUsable = m_iniFile.SetFileName((strDir + pszName).c_str());
        }
    }

    // Without a usable path CIniFile gives the defaults and writes nothing.
    char szBKColor[kColorBufferSize];
    char szTextColor[kColorBufferSize];
    std::memset(szBKColor, 0, sizeof(szBKColor));
    std::memset(szTextColor, 0, sizeof(szTextColor));
    m_iniFile.GetString(kSettingsSection, kBKColorKey, kDefaultBKColor, szBKColor, kColorBufferSize);
    m_iniFile.GetString(kSettingsSection, kTextColorKey, kDefaultTextColor, szTextColor,
                        kColorBufferSize);
    m_crBKColor = ParseColor(szBKColor);
    m_crTextColor = ParseColor(szTextColor);
    return bUsable;
}

BOOL CImportApp::InitInstance() {
    // The picture loader and the folder browser want COM on this thread.
    HRESULT hrOle = OleInitialize(nullptr);

    LoadSettings();
    {
        CImportDlg dlg;
        m_pMainWnd = &dlg;
        SetDialogBkColor(m_crBKColor, m_crTextColor);
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }

    if (SUCCEEDED(hrOle)) OleUninitialize();
    return FALSE;
}

namespace {

// "%06X" of a COLORREF is BBGGRR; the file keeps RRGGBB. False when the text
// is too short to hold the six digits.
bool ReorderColorDigits(char* pszColor) {
    if (!pszColor || std::strlen(pszColor) < 6) return false;
    std::swap(pszColor[0], pszColor[4]);
    std::swap(pszColor[1], pszColor[5]);
    return true;
}

}  // namespace

void CImportApp::SaveTextColor(char* pszColor) {
    if (ReorderColorDigits(pszColor)) m_iniFile.WriteString(kSettingsSection, kTextColorKey, pszColor);
    // The colours in use stay those read at start-up.
    SetDialogBkColor(m_crBKColor, m_crTextColor);
}

void CImportApp::SaveBKColor(char* pszColor) {
    if (ReorderColorDigits(pszColor)) m_iniFile.WriteString(kSettingsSection, kBKColorKey, pszColor);
    SetDialogBkColor(m_crBKColor, m_crTextColor);
}

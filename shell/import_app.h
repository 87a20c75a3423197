// The application object: finds the settings file under the current
// directory, makes its two colours those of every dialog and message box,
// and runs the main window.
#pragma once

#include <windows.h>

#include "shell/ini_file.h"
#include "ui/app.h"

// '0'-'9' and 'A'-'F' / 'a'-'f' as their values; anything else 0.
int HexDigitValue(char c);
// Six hexadecimal digits RRGGBB as 0x00BBGGRR; missing or bad digits count 0,
// characters after the sixth are ignored.
COLORREF ParseColor(const char* pszText);

// Section and keys of the settings file; the folder and name under the
// current directory.
extern const char* const kSettingsSection;    // "Dialog"
extern const char* const kTextColorKey;       // "TextColor"
extern const char* const kBKColorKey;         // "BKColor"
extern const char* const kSettingsFileName;   // "\\bkpic\\Versemill.ini"

class CImportApp : public CWinApp {
public:
    CImportApp();
    ~CImportApp() override;

    BOOL InitInstance() override;

    // Reads the current directory and the two colours; false when the
    // settings path does not fit (the defaults apply, nothing is written).
    bool LoadSettings();

    // pszColor: "%06X" of a COLORREF (BBGGRR); reordered in place to RRGGBB
    // and stored. The colours in use stay those read at start-up.
    void SaveTextColor(char* pszColor);
    void SaveBKColor(char* pszColor);

    char m_szCurDir[MAX_PATH];
    CIniFile m_iniFile;
    COLORREF m_crTextColor;
    COLORREF m_crBKColor;
};

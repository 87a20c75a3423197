// The settings file and the start-up of the application object: the two
// colours read from ".\bkpic\Versemill.ini" under the current directory, the
// defaults, the writes of the colour commands.
#include "shell/import_app.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "base/codepage.h"
#include "ui/app.h"
#include "ui/text.h"
#include "ui/wnd.h"
#include "ui_test_util.h"

namespace {

std::wstring CurrentDirectory() {
    wchar_t szDir[32768];
    DWORD n = GetCurrentDirectoryW(32768, szDir);
    return std::wstring(szDir, n < 32768 ? n : 0);
}

// Long paths go through the \\?\ form, which has no MAX_PATH limit.
bool Exists(const std::wstring& strPath) {
    return GetFileAttributesW(LongForm(strPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The value stored in a settings file, read straight through the system.
std::wstring StoredValue(const std::wstring& strFile, const wchar_t* key) {
    wchar_t szValue[64] = {};
    GetPrivateProfileStringW(L"Dialog", key, L"<missing>", szValue, 64, strFile.c_str());
    return szValue;
}

// The colours the program's dialog-colour setting gives a dialog and a
// static text, read from a memory DC.
struct Colours {
    COLORREF crBrush = CLR_INVALID;
    COLORREF crText = CLR_INVALID;
};
Colours ColoursInUse() {
    Colours c;
    HDC hDC = CreateCompatibleDC(nullptr);
    HBRUSH hBrush = DialogCtlColor(hDC, nullptr, CTLCOLOR_DLG);
    LOGBRUSH lb{};
    if (hBrush && GetObjectW(hBrush, sizeof lb, &lb) == sizeof lb) c.crBrush = lb.lbColor;
    if (DialogCtlColor(hDC, nullptr, CTLCOLOR_STATIC)) c.crText = GetTextColor(hDC);
    DeleteDC(hDC);
    return c;
}

const char kIniSample[] = "[Dialog]\r\nTextColor=FFFFFF\r\nBKColor=B5C6DE\r\n";

// Each test in a folder of its own under the temporary folder, which is the
// current directory while the test runs.
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        m_strSavedDir = CurrentDirectory();
        m_strRoot = m_folder.Root();
        ASSERT_TRUE(SetCurrentDirectoryW(m_strRoot.c_str()));
        m_strRoot = CurrentDirectory();  // the system's own spelling
    }
    void TearDown() override {
        SetCurrentDirectoryW(m_strSavedDir.c_str());
    }

    // Makes dir\bkpic with a settings file holding the given lines.
    std::wstring MakeSettings(const std::wstring& strDir, const std::string& content) {
        CreateDirectoryW(LongForm(strDir + L"\\bkpic").c_str(), nullptr);
        std::wstring strFile = strDir + L"\\bkpic\\Versemill.ini";
        EXPECT_TRUE(WriteBytes(strFile, content));
        return strFile;
    }

    CTempFolder m_folder{L"vm-settings-"};
    std::wstring m_strSavedDir;
    std::wstring m_strRoot;
};

}  // namespace

// ---- Colour text

TEST(ColourText, HexDigitsInEitherCaseAndEverythingElseZero) {
    const char* digits = "0123456789";
    for (int i = 0; i < 10; ++i) EXPECT_EQ(i, HexDigitValue(digits[i]));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(10 + i, HexDigitValue(static_cast<char>('A' + i)));
        EXPECT_EQ(10 + i, HexDigitValue(static_cast<char>('a' + i)));
    }
    for (char c : {'G', 'g', 'z', ' ', '\0', '#', '/', ':', '@', '`'}) EXPECT_EQ(0, HexDigitValue(c)) << c;
    // GBK lead and trail bytes are no digits either.
    EXPECT_EQ(0, HexDigitValue(static_cast<char>(0xB8)));
    EXPECT_EQ(0, HexDigitValue(static_cast<char>(0xC1)));
}

TEST(ColourText, RedGreenBlueInFileOrderBecomeAColourref) {
    EXPECT_EQ(RGB(0xB5, 0xC6, 0xDE), ParseColor("B5C6DE"));
    EXPECT_EQ(0x00DEC6B5u, ParseColor("B5C6DE"));
    EXPECT_EQ(RGB(255, 255, 255), ParseColor("FFFFFF"));
    EXPECT_EQ(RGB(255, 0, 0), ParseColor("ff0000"));
    EXPECT_EQ(RGB(0, 0, 255), ParseColor("0000fF"));
}

TEST(ColourText, ShortValuesEndInZeroDigitsAndLongOnesAreCut) {
    EXPECT_EQ(RGB(0x12, 0, 0), ParseColor("12"));
    EXPECT_EQ(RGB(0xFF, 0xF0, 0x00), ParseColor("FFF"));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), ParseColor("1234567"));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), ParseColor("123456FFFFFF"));
    EXPECT_EQ(RGB(0, 0, 0), ParseColor(""));
    EXPECT_EQ(RGB(0, 0, 0), ParseColor(nullptr));
    // Non-digits count 0 where they stand.
    EXPECT_EQ(RGB(0x0F, 0xA0, 0x01), ParseColor("zFAx#1"));
    // Nothing after the terminator is read, whatever the buffer holds there.
    char buffer[8] = {'F', 'F', 'F', 0, 'F', 'F', 'F', 0};
    EXPECT_EQ(RGB(0xFF, 0xF0, 0x00), ParseColor(buffer));
}

// ---- CIniFile

TEST_F(Settings, IniFileReadsWritesAndCutsToTheBuffer) {
    std::wstring strFile = m_strRoot + L"\\plain.ini";
    CIniFile ini(Gbk(strFile).c_str());
    EXPECT_EQ(Gbk(strFile), ini.GetFileName());

    char szValue[8];
    std::memset(szValue, 'x', sizeof szValue);
    EXPECT_EQ(6u, ini.GetString("Dialog", "BKColor", "B5C6DE", szValue, 8));
    EXPECT_STREQ("B5C6DE", szValue);  // no file yet: the default

    EXPECT_TRUE(ini.WriteString("Dialog", "BKColor", "ABCDEFGHIJ"));
    EXPECT_EQ(L"ABCDEFGHIJ", StoredValue(strFile, L"BKColor"));
    std::memset(szValue, 'x', sizeof szValue);
    EXPECT_EQ(7u, ini.GetString("Dialog", "BKColor", "B5C6DE", szValue, 8));
    EXPECT_STREQ("ABCDEFG", szValue);

    // Missing section or key: the default.
    EXPECT_EQ(6u, ini.GetString("Other", "BKColor", "FFFFFF", szValue, 8));
    EXPECT_STREQ("FFFFFF", szValue);
    EXPECT_EQ(6u, ini.GetString("Dialog", "TextColor", "FFFFFF", szValue, 8));
    EXPECT_STREQ("FFFFFF", szValue);
}

TEST_F(Settings, IniFileKeepsGbkTextAndNeverSplitsACharacter) {
    // A folder and a value with Chinese characters, whatever the system's
    // code page.
    std::wstring strDir = m_strRoot + L"\\\u6b4c\u8bcd";  // 歌词
    ASSERT_TRUE(CreateDirectoryW(strDir.c_str(), nullptr));
    std::wstring strFile = strDir + L"\\\u8bbe\u7f6e.ini";  // 设置.ini
    CIniFile ini;
    EXPECT_STREQ("", ini.GetFileName());
    ASSERT_TRUE(ini.SetFileName(Gbk(strFile).c_str()));

    // A file in UTF-16 (as the system reads it on any code page) holds the
    // value: GBK comes out.
    std::wstring strContent = L"\xFEFF[Dialog]\r\nName=a\u6b4c\u8bcd\r\n";
    ASSERT_TRUE(WriteBytes(strFile, std::string(reinterpret_cast<const char*>(strContent.data()),
                                                 strContent.size() * sizeof(wchar_t))));
    std::string strValue = "a" + G("歌词");  // 5 bytes
    char szValue[16];
    EXPECT_EQ(5u, ini.GetString("Dialog", "Name", "", szValue, sizeof szValue));
    EXPECT_EQ(strValue, szValue);
    // Four bytes hold "a" and one double-byte character, not half of the next.
    EXPECT_EQ(3u, ini.GetString("Dialog", "Name", "", szValue, 5));
    EXPECT_EQ("a" + G("歌"), szValue);

    // A new file is written in the system's code page: GBK text round-trips
    // where that is 936.
    std::wstring strNew = strDir + L"\\new.ini";
    ASSERT_TRUE(ini.SetFileName(Gbk(strNew).c_str()));
    EXPECT_TRUE(ini.WriteString("Dialog", "Name", strValue.c_str()));
    EXPECT_TRUE(Exists(strNew));
    if (GetACP() == 936) {
        EXPECT_EQ(5u, ini.GetString("Dialog", "Name", "", szValue, sizeof szValue));
        EXPECT_EQ(strValue, szValue);
    }
}

TEST_F(Settings, IniFileRefusesANameThatDoesNotFit) {
    std::string strLongest = "C:\\" + std::string(MAX_PATH - 4, 'n');  // 259 bytes
    CIniFile kept(strLongest.c_str());
    EXPECT_EQ(strLongest, kept.GetFileName());

    CIniFile ini(Gbk(m_strRoot + L"\\first.ini").c_str());
    std::string strTooLong = Gbk(m_strRoot) + "\\" + std::string(MAX_PATH, 'l') + ".ini";
    EXPECT_FALSE(ini.SetFileName(strTooLong.c_str()));
    EXPECT_STREQ("", ini.GetFileName());  // not cut, not the previous one
    EXPECT_FALSE(ini.SetFileName(nullptr));

    char szValue[8] = "zzzzzzz";
    EXPECT_EQ(6u, ini.GetString("Dialog", "TextColor", "FFFFFF", szValue, 8));
    EXPECT_STREQ("FFFFFF", szValue);
    EXPECT_FALSE(ini.WriteString("Dialog", "TextColor", "000000"));
    EXPECT_FALSE(Exists(m_strRoot + L"\\first.ini"));
}

// ---- The application object's settings

TEST_F(Settings, WithoutTheFileTheDefaultColoursApply) {
    CImportApp app;
    EXPECT_TRUE(app.LoadSettings());
    EXPECT_EQ(Gbk(m_strRoot), app.m_szCurDir);
    EXPECT_EQ(Gbk(m_strRoot) + "\\bkpic\\Versemill.ini", app.m_iniFile.GetFileName());
    EXPECT_EQ(RGB(181, 198, 222), app.m_crBKColor);
    EXPECT_EQ(RGB(255, 255, 255), app.m_crTextColor);
    EXPECT_FALSE(Exists(m_strRoot + L"\\bkpic"));  // reading creates nothing
}

TEST_F(Settings, ValuesOfTheFileInEitherCaseAndShort) {
    MakeSettings(m_strRoot, "[Dialog]\r\nTextColor=ff0000\r\nBKColor=12\r\n");
    CImportApp app;
    EXPECT_TRUE(app.LoadSettings());
    EXPECT_EQ(RGB(255, 0, 0), app.m_crTextColor);
    EXPECT_EQ(RGB(0x12, 0, 0), app.m_crBKColor);

    // A long value: seven characters arrive, the first six count.
    MakeSettings(m_strRoot, "[Dialog]\nTextColor=00FF00AB99\nBKColor=FFF\n");
    CImportApp again;
    EXPECT_TRUE(again.LoadSettings());
    EXPECT_EQ(RGB(0, 255, 0), again.m_crTextColor);
    EXPECT_EQ(RGB(0xFF, 0xF0, 0x00), again.m_crBKColor);

    // Another section or misspelt keys: the defaults.
    MakeSettings(m_strRoot, "[Dialogs]\nTextColor=000000\n[Dialog]\nText Color=000000\n");
    CImportApp other;
    other.LoadSettings();
    EXPECT_EQ(RGB(255, 255, 255), other.m_crTextColor);
    EXPECT_EQ(RGB(181, 198, 222), other.m_crBKColor);
}

TEST_F(Settings, SavingStoresRedGreenBlueAndKeepsTheColoursInUse) {
    std::wstring strFile = MakeSettings(m_strRoot, kIniSample);
    CImportApp app;
    ASSERT_TRUE(app.LoadSettings());
    app.SetDialogBkColor(app.m_crBKColor, app.m_crTextColor);

    char szText[16];
    std::snprintf(szText, sizeof szText, "%06X", static_cast<unsigned>(RGB(255, 0, 0)));
    ASSERT_STREQ("0000FF", szText);
    app.SaveTextColor(szText);
    EXPECT_STREQ("FF0000", szText);  // reordered in the caller's buffer
    EXPECT_EQ(L"FF0000", StoredValue(strFile, L"TextColor"));

    char szBK[16];
    std::snprintf(szBK, sizeof szBK, "%06X", static_cast<unsigned>(RGB(0x11, 0x22, 0x33)));
    app.SaveBKColor(szBK);
    EXPECT_STREQ("112233", szBK);
    EXPECT_EQ(L"112233", StoredValue(strFile, L"BKColor"));

    // In use until the next start: the colours read at start-up.
    EXPECT_EQ(RGB(255, 255, 255), app.m_crTextColor);
    EXPECT_EQ(RGB(181, 198, 222), app.m_crBKColor);
    Colours c = ColoursInUse();
    EXPECT_EQ(RGB(181, 198, 222), c.crBrush);
    EXPECT_EQ(RGB(255, 255, 255), c.crText);

    // The next start reads them.
    CImportApp next;
    ASSERT_TRUE(next.LoadSettings());
    EXPECT_EQ(RGB(255, 0, 0), next.m_crTextColor);
    EXPECT_EQ(RGB(0x11, 0x22, 0x33), next.m_crBKColor);
}

TEST_F(Settings, SavingWithoutTheFolderWritesNothingAndGoesOn) {
    CImportApp app;
    ASSERT_TRUE(app.LoadSettings());
    char szText[] = "0000FF";
    app.SaveTextColor(szText);
    char szShort[] = "FF";  // too short to reorder: left alone, not stored
    app.SaveBKColor(szShort);
    EXPECT_STREQ("FF", szShort);
    EXPECT_FALSE(Exists(m_strRoot + L"\\bkpic"));  // the folder is never made
    EXPECT_EQ(RGB(255, 255, 255), app.m_crTextColor);
    Colours c = ColoursInUse();
    EXPECT_EQ(RGB(181, 198, 222), c.crBrush);
}

TEST_F(Settings, AnotherWorkingDirectoryUsesItsOwnFolder) {
    std::wstring strA = m_strRoot + L"\\a";
    std::wstring strB = m_strRoot + L"\\\u97f3\u4e50";  // 音乐
    ASSERT_TRUE(CreateDirectoryW(strA.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(strB.c_str(), nullptr));
    std::wstring strFileA = MakeSettings(strA, "[Dialog]\r\nTextColor=000080\r\nBKColor=102030\r\n");
    std::wstring strFileB = MakeSettings(strB, "[Dialog]\r\nTextColor=800000\r\nBKColor=405060\r\n");
    std::string strBytesA = ReadBytes(strFileA);

    ASSERT_TRUE(SetCurrentDirectoryW(strB.c_str()));
    CImportApp app;
    ASSERT_TRUE(app.LoadSettings());
    EXPECT_EQ(Gbk(strB), app.m_szCurDir);
    EXPECT_EQ(RGB(0x80, 0, 0), app.m_crTextColor);
    EXPECT_EQ(RGB(0x40, 0x50, 0x60), app.m_crBKColor);
    char szText[] = "00FF00";
    app.SaveTextColor(szText);
    EXPECT_EQ(L"00FF00", StoredValue(strFileB, L"TextColor"));
    EXPECT_EQ(strBytesA, ReadBytes(strFileA));

    ASSERT_TRUE(SetCurrentDirectoryW(strA.c_str()));
    CImportApp other;
    ASSERT_TRUE(other.LoadSettings());
    EXPECT_EQ(RGB(0, 0, 0x80), other.m_crTextColor);
    EXPECT_EQ(RGB(0x10, 0x20, 0x30), other.m_crBKColor);
}

TEST_F(Settings, ASettingsPathThatDoesNotFitIsNeitherReadNorWritten) {
    // A folder that fits the 260 bytes, but not with "\bkpic\Versemill.ini".
    std::wstring strDir = m_strRoot;
    while (strDir.size() < 245) {
        strDir += L"\\" + std::wstring(std::min<size_t>(40, 245 - strDir.size()), L'd');
        ASSERT_TRUE(CreateDirectoryW(LongForm(strDir).c_str(), nullptr)) << Gbk(strDir);
    }
    ASSERT_LT(strDir.size(), static_cast<size_t>(MAX_PATH - 2));
    ASSERT_GE(Gbk(strDir).size() + std::strlen(kSettingsFileName), static_cast<size_t>(MAX_PATH));
    std::wstring strFile = MakeSettings(strDir, "[Dialog]\r\nTextColor=ff0000\r\nBKColor=000000\r\n");
    std::string strBytes = ReadBytes(strFile);
    ASSERT_TRUE(SetCurrentDirectoryW(strDir.c_str()));

    CImportApp app;
    EXPECT_FALSE(app.LoadSettings());
    EXPECT_EQ(Gbk(strDir), app.m_szCurDir);
    EXPECT_STREQ("", app.m_iniFile.GetFileName());
    EXPECT_EQ(RGB(255, 255, 255), app.m_crTextColor);
    EXPECT_EQ(RGB(181, 198, 222), app.m_crBKColor);
    char szText[] = "00FF00";
    app.SaveTextColor(szText);
    EXPECT_EQ(strBytes, ReadBytes(strFile));
}

TEST_F(Settings, ACurrentDirectoryWhoseGbkFormDoesNotFitIsRefused) {
    // Fewer than 260 UTF-16 characters, more than 260 GBK bytes.
    std::wstring strDir = m_strRoot;
    for (int i = 0; i < 3; ++i) {
        strDir += L"\\" + std::wstring(50, L'\u6b4c');  // 歌
        ASSERT_TRUE(CreateDirectoryW(LongForm(strDir).c_str(), nullptr));
    }
    ASSERT_LT(strDir.size(), static_cast<size_t>(MAX_PATH - 2));
    ASSERT_GE(Gbk(strDir).size(), static_cast<size_t>(MAX_PATH));
    std::wstring strFile = MakeSettings(strDir, "[Dialog]\r\nTextColor=ff0000\r\n");
    std::string strBytes = ReadBytes(strFile);
    ASSERT_TRUE(SetCurrentDirectoryW(strDir.c_str()));

    CImportApp app;
    EXPECT_FALSE(app.LoadSettings());
    char szZero[MAX_PATH] = {};
    EXPECT_EQ(0, std::memcmp(szZero, app.m_szCurDir, MAX_PATH));  // not a cut path
    EXPECT_STREQ("", app.m_iniFile.GetFileName());
    EXPECT_EQ(RGB(255, 255, 255), app.m_crTextColor);
    EXPECT_EQ(RGB(181, 198, 222), app.m_crBKColor);
    char szText[] = "00FF00";
    app.SaveTextColor(szText);
    EXPECT_EQ(strBytes, ReadBytes(strFile));
}

TEST_F(Settings, ACurrentDirectoryGbkCannotSpellIsRefused) {
    std::wstring strDir = m_strRoot + L"\\\uAC00\uAC01";  // Hangul: not in GBK
    size_t nUnmappable = 0;
    Utf16ToCp936(std::u16string(strDir.begin(), strDir.end()), &nUnmappable);
    ASSERT_GT(nUnmappable, 0u);
    ASSERT_TRUE(CreateDirectoryW(strDir.c_str(), nullptr));
    std::wstring strFile = MakeSettings(strDir, "[Dialog]\r\nTextColor=ff0000\r\n");
    std::string strBytes = ReadBytes(strFile);
    ASSERT_TRUE(SetCurrentDirectoryW(strDir.c_str()));

    CImportApp app;
    EXPECT_FALSE(app.LoadSettings());
    EXPECT_STREQ("", app.m_szCurDir);
    EXPECT_STREQ("", app.m_iniFile.GetFileName());
    EXPECT_EQ(RGB(255, 255, 255), app.m_crTextColor);
    char szText[] = "00FF00";
    app.SaveTextColor(szText);
    EXPECT_EQ(strBytes, ReadBytes(strFile));
}

// ---- Start-up

TEST_F(Settings, StartUpShowsTheMainDialogInTheFileColoursAndReturnsFalse) {
    MakeSettings(m_strRoot, "[Dialog]\r\nTextColor=ff0000\r\nBKColor=102030\r\n");
    CImportApp app;
    HWND hMain = nullptr;
    COLORREF crDialog = CLR_INVALID;
    COLORREF crStaticText = CLR_INVALID;
    COLORREF crMessageBox = CLR_INVALID;
    int nTicks = 0;
    std::function<bool()> step = [&]() -> bool {
        if (++nTicks > 250) {  // give up after about five seconds
            if (hMain) PostMessageW(hMain, WM_CLOSE, 0, 0);
            return true;
        }
        CWnd* pMain = app.m_pMainWnd;
        if (!pMain || !pMain->m_hWnd) return false;
        hMain = pMain->m_hWnd;
        HDC hDC = GetDC(hMain);
        LOGBRUSH lb{};
        HBRUSH hBrush = reinterpret_cast<HBRUSH>(
            SendMessageW(hMain, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hMain)));
        if (hBrush && GetObjectW(hBrush, sizeof lb, &lb) == sizeof lb) crDialog = lb.lbColor;
        HWND hLabel = GetDlgItem(hMain, 1007);
        SendMessageW(hMain, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hLabel));
        crStaticText = GetTextColor(hDC);
        ReleaseDC(hMain, hDC);
        // Message boxes get the same colours.
        hDC = CreateCompatibleDC(nullptr);
        hBrush = DialogCtlColor(hDC, nullptr, CTLCOLOR_MSGBOX);
        if (hBrush && GetObjectW(hBrush, sizeof lb, &lb) == sizeof lb) crMessageBox = lb.lbColor;
        DeleteDC(hDC);
        PostMessageW(hMain, WM_CLOSE, 0, 0);
        return true;
    };
    {
        TimedSteps steps({step});
        EXPECT_FALSE(app.InitInstance());
    }

    ASSERT_NE(nullptr, hMain) << "no main dialog appeared";
    EXPECT_FALSE(IsWindow(hMain));
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(RGB(0x10, 0x20, 0x30), crDialog);
    EXPECT_EQ(RGB(255, 0, 0), crStaticText);
    EXPECT_EQ(RGB(0x10, 0x20, 0x30), crMessageBox);
}

TEST_F(Settings, StartUpWithoutTheFileUsesTheDefaultColours) {
    CImportApp app;
    Colours c;
    bool bSeen = false;
    int nTicks = 0;
    std::function<bool()> step = [&]() -> bool {
        CWnd* pMain = app.m_pMainWnd;
        if ((!pMain || !pMain->m_hWnd) && ++nTicks < 250) return false;
        if (pMain && pMain->m_hWnd) {
            bSeen = true;
            c = ColoursInUse();
            PostMessageW(pMain->m_hWnd, WM_CLOSE, 0, 0);
        }
        return true;
    };
    {
        TimedSteps steps({step});
        EXPECT_FALSE(app.InitInstance());
    }
    ASSERT_TRUE(bSeen);
    EXPECT_EQ(RGB(181, 198, 222), c.crBrush);
    EXPECT_EQ(RGB(255, 255, 255), c.crText);
}

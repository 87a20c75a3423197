#include "shell/ini_file.h"

#include <cstring>
#include <string>
#include <vector>

#include "ui/text.h"

namespace {

// A null text stays null: the profile functions give it a meaning of its own
// (a whole section, a key to delete).
const wchar_t* WideOrNull(const char* psz, std::wstring& storage) {
    if (!psz) return nullptr;
    storage = Wide(psz);
    return storage.c_str();
}

// Copies at most nSize - 1 bytes of strText into pszOut without splitting a
// double-byte character; the bytes copied.
DWORD CopyCut(const std::string& strText, char* pszOut, DWORD nSize) {
    if (!pszOut || nSize == 0) return 0;
    size_t nLimit = nSize - 1;
    size_t n = 0;
    while (n < strText.size()) {
        unsigned char c = static_cast<unsigned char>(strText[n]);
        size_t nChar = (c >= 0x81 && c <= 0xFE && n + 1 < strText.size()) ? 2 : 1;
        if (n + nChar > nLimit) break;
        n += nChar;
    }
    std::memcpy(pszOut, strText.data(), n);
    pszOut[n] = 0;
    return static_cast<DWORD>(n);
}

}  // namespace

CIniFile::CIniFile(const char* pszFileName) {
    m_szFileName[0] = 0;
    if (pszFileName) SetFileName(pszFileName);
}

CIniFile::~CIniFile() = default;

bool CIniFile::SetFileName(const char* pszFileName) {
    m_szFileName[0] = 0;
    if (!pszFileName) return false;
    size_t n = std::strlen(pszFileName);
    if (n >= sizeof(m_szFileName)) return false;
    std::memcpy(m_szFileName, pszFileName, n + 1);
    return true;
}

DWORD CIniFile::GetString(const char* pszSection, const char* pszKey, const char* pszDefault,
                          char* pszOut, DWORD nSize) const {
    if (!pszOut || nSize == 0) return 0;
    // Without a file (none given, or one refused) the default stands; the
    // system would otherwise look for an empty name in the Windows folder.
    if (!m_szFileName[0]) return CopyCut(pszDefault ? pszDefault : "", pszOut, nSize);

    std::wstring strSection, strKey, strDefault;
    std::wstring strFile = Wide(m_szFileName);
    // As many characters as the caller's bytes can hold at most; the GBK form
    // is cut again below, since a character may take two bytes.
    std::vector<wchar_t> buffer(nSize, L'\0');
    DWORD n = GetPrivateProfileStringW(WideOrNull(pszSection, strSection), WideOrNull(pszKey, strKey),
                                       pszDefault ? WideOrNull(pszDefault, strDefault) : L"",
                                       buffer.data(), nSize, strFile.c_str());
    if (n >= nSize) n = nSize - 1;
    return CopyCut(Gbk(std::wstring_view(buffer.data(), n)), pszOut, nSize);
}

BOOL CIniFile::WriteString(const char* pszSection, const char* pszKey, const char* pszValue) {
    if (!m_szFileName[0] || !pszSection) return FALSE;
    std::wstring strSection, strKey, strValue;
    std::wstring strFile = Wide(m_szFileName);
    return WritePrivateProfileStringW(WideOrNull(pszSection, strSection), WideOrNull(pszKey, strKey),
                                      WideOrNull(pszValue, strValue), strFile.c_str());
}

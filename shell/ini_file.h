// A settings file read and written through the system's profile functions.
// Names, sections, keys and values are GBK.
#pragma once

#include <windows.h>

class CIniFile {
public:
    explicit CIniFile(const char* pszFileName = nullptr);
    virtual ~CIniFile();

    // Copies the name; a name that does not fit MAX_PATH bytes is refused
    // (false) and the path is left empty, so nothing is read from or written
    // to a cut path.
    bool SetFileName(const char* pszFileName);
    const char* GetFileName() const { return m_szFileName; }

    // The value, or pszDefault when the file, section or key is missing,
    // copied into pszOut (nSize bytes, NUL-terminated); the characters copied.
    DWORD GetString(const char* pszSection, const char* pszKey, const char* pszDefault,
                    char* pszOut, DWORD nSize) const;
    // Creates the file and the section when needed; false when the write failed.
    BOOL WriteString(const char* pszSection, const char* pszKey, const char* pszValue);

    char m_szFileName[MAX_PATH];
};

#include "shell/ini_file.h"

// ---- to be written
CIniFile::CIniFile(const char*) { m_szFileName[0] = 0; }
CIniFile::~CIniFile() = default;
bool CIniFile::SetFileName(const char*) { return false; }
DWORD CIniFile::GetString(const char*, const char*, const char*, char* pszOut, DWORD nSize) const {
    if (nSize) pszOut[0] = 0;
    return 0;
}
BOOL CIniFile::WriteString(const char*, const char*, const char*) { return FALSE; }

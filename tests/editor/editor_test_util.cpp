#include "editor_test_util.h"

#include <cstdio>

#include "base/fileio.h"
#include "lyrics/lrc.h"
#include "ui/text.h"

CScratchFolder::CScratchFolder() {
    wchar_t szTemp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, szTemp);
    static int s_nFolders = 0;
    m_strFolder = fileio::JoinPath(Gbk(szTemp), "vm-editor-" + std::to_string(::GetCurrentProcessId()) +
                                                     "-" + std::to_string(s_nFolders++));
    ::CreateDirectoryW(Wide(m_strFolder).c_str(), nullptr);
}

CScratchFolder::~CScratchFolder() {
    std::vector<fileio::DirEntry> entries;
    if (fileio::ListDirectory(m_strFolder, entries)) {
        for (const auto& entry : entries) {
            std::string strPath = Path(entry.name);
            fileio::ClearReadOnly(strPath);
            fileio::Remove(strPath);
        }
    }
    ::RemoveDirectoryW(Wide(m_strFolder).c_str());
}

std::string CScratchFolder::Path(const std::string& strName) const {
    return fileio::JoinPath(m_strFolder, strName);
}

std::string CScratchFolder::Write(const std::string& strName, const std::string& strBytes) const {
    std::string strPath = Path(strName);
    if (FILE* f = fileio::Open(strPath, "wb")) {
        std::fwrite(strBytes.data(), 1, strBytes.size(), f);
        std::fclose(f);
    }
    return strPath;
}

std::string CScratchFolder::Read(const std::string& strPath) {
    std::string strBytes;
    ReadFileBytes(strPath, strBytes);
    return strBytes;
}

std::vector<std::string> CTestLyricEditDlg::Entries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < m_listLines.GetCount(); ++i) entries.push_back(m_listLines.GetText(i));
    return entries;
}

POINT PictureMiddle(HWND hDlg, int nPlaceholderID) {
    RECT rect = {};
    ::GetWindowRect(::GetDlgItem(hDlg, nPlaceholderID), &rect);
    POINT pt = {rect.left, rect.top};
    ::ScreenToClient(hDlg, &pt);
    pt.x += 38;
    pt.y += 38;
    return pt;
}

void ClickPicture(HWND hDlg, int nPlaceholderID) {
    POINT pt = PictureMiddle(hDlg, nPlaceholderID);
    ::SendMessageW(hDlg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    ::SendMessageW(hDlg, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

HWND FindTimeDialog() {
    HWND hWnd = ::FindWindowW(L"#32770", L"歌词时间设置");
    return hWnd && ::IsWindowVisible(hWnd) ? hWnd : nullptr;
}

std::vector<std::string> ComboEntries(HWND hCombo) {
    std::vector<std::string> entries;
    int n = static_cast<int>(::SendMessageW(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        int nLength = static_cast<int>(::SendMessageW(hCombo, CB_GETLBTEXTLEN, i, 0));
        std::wstring text(static_cast<size_t>(nLength > 0 ? nLength : 0) + 1, L'\0');
        ::SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(wcslen(text.c_str()));
        entries.push_back(Gbk(text));
    }
    return entries;
}

#include "editor_test_util.h"

#include "ui/text.h"

std::vector<std::string> CTestLyricEditDlg::Entries() const {
    return ListTexts(m_listLines);
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

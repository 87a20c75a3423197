// The shell's folder browser presented as a modal dialog of the program:
// construct it, run DoModal, and read GetFolderPath after IDOK.
//
// Texts are GBK; the browser itself is driven through its UTF-16 interface.
// The browse window is attached to this object for the run, so it gets the
// program's dialog colours. Subclasses may react to the browser's callbacks
// through the four On... operations.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "ui/dialog.h"

class CFolderDialog : public CDialog {
public:
    // pszTitle: the text above the tree (GBK; copied). pszInitialFolder: the
    // folder selected when the browser opens, or null; a folder that does
    // not fit MAX_PATH bytes is refused and the browser opens as without one.
    // nFlags: BIF_... flags.
    CFolderDialog(const char* pszTitle = nullptr, const char* pszInitialFolder = nullptr,
                  CWnd* pParentWnd = nullptr, UINT nFlags = 0);
    ~CFolderDialog() override;

    // IDOK with the chosen folder, IDCANCEL when cancelled, -1 when the
    // choice has no usable file-system path.
    INT_PTR DoModal() override;

    // The chosen folder (GBK); meaningful after a run that returned IDOK.
    const char* GetFolderPath() const { return m_szFolderPath; }

    // Only inside a callback (the On... operations):
    void SelectFolder(const char* pszPath);
    void SetStatusText(const char* pszText);

protected:
    virtual void OnInitialized();
    virtual void OnSelChanged(LPITEMIDLIST pItemIDList);
    // Returns non-zero to keep the browser open.
    virtual int OnValidateFailed(const char* pszText);
    virtual void OnIUnknown(IUnknown* pUnknown);

    // The file-system path of an item list in GBK; false when it has none or
    // it does not fit MAX_PATH bytes.
    static bool PathFromIDList(LPCITEMIDLIST pItemIDList, char (&szPath)[MAX_PATH]);

    // The callback given to the shell; lpData is the dialog.
    static int CALLBACK BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

    BROWSEINFOW m_browseInfo;
    char m_szInitialFolder[MAX_PATH];
    char m_szFolderPath[MAX_PATH];
    HWND m_hWndBrowse;  // the browse window while a callback runs, else null

private:
    std::wstring m_strTitle;
    wchar_t m_szDisplayName[MAX_PATH];
};

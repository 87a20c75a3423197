// The main window: the MP3 list and the lyric list, the picture commands,
// the import run on a worker thread, the background picture.
//
// Its sources are split by subject:
//   import_dlg.cpp             initialisation, folder commands, scans, drops,
//                              deletes, double-clicks, menu, colours, paint,
//                              rename, destruction
//   import_dlg_run.cpp         start import, the worker's loop, removal of the
//                              matched pairs, the guard while a run is going on
//   import_dlg_background.cpp  background picture, transparent texts
//   import_dlg_batch.cpp       the batch conversion between tags and names
//   import_dlg_music_info.cpp  the information dialog on an MP3 entry
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "shell/drag_drop_list_box.h"
#include "skin/skinned_dialog.h"
#include "tags/id3v1.h"
#include "tags/lyric_tag_writer.h"

class CMatchResultDlg;

// Add file: where a path goes.
constexpr int ADD_MODE_MP3_SCAN = 0;
constexpr int ADD_MODE_LYRIC_SCAN = 1;
constexpr int ADD_MODE_DROPPED = -1;

class CImportDlg : public CSkinnedDialog {
public:
    explicit CImportDlg(CWnd* pParent = nullptr);
    ~CImportDlg() override;

    // ---- The file lists (import_dlg.cpp)

    // Sorts one full path into a list by m_nAddMode and its last four
    // characters, then shows both totals.
    void AddFile(const std::string& strPath);
    // The folder's own entries, then each sub-folder's, depth first; the
    // process's current directory is left at the last folder visited.
    void ScanFolder(const std::string& strFolder);
    // Adds the dropped paths (mode -1) and finishes the drop.
    void DropFiles(HDROP hDropInfo);
    // The folder commands after the folder was chosen: mode, counter, scan,
    // label.
    void AddFolder(const std::string& strFolder, bool bMp3);
    // Renames MP3 entry nIndex's file to strNewName in its folder and keeps the
    // entry naming the file that lies there. False, with the user told and the
    // entry unchanged, when the move fails.
    bool RenameMp3Entry(int nIndex, const std::string& strNewName);
    // The information dialog's confirmed result for MP3 entry nIndex: rename
    // (when the name ends in ".mp3" and differs beyond letter case), then the
    // ID3v1 record to whatever file the entry names afterwards.
    void ApplyMusicInfo(int nIndex, const std::string& strFileName, const std::string& strTitle,
                        const std::string& strArtist, const std::string& strAlbum,
                        const std::string& strYear);
    // "一共有文件:%d" in label 1007 / 1008 with the list totals, and the band
    // behind them repainted.
    void ShowListTotals();

    // ---- The import run (import_dlg_run.cpp)

    // The start command: refuses while a run is going on or a list is empty,
    // captures the options, shows the result window and starts the worker.
    void StartImport();
    // The worker's loop; called on the worker thread.
    void ImportLoop();
    // Removes the pairs the rule forms from both lists.
    void RemoveMatchedPairs();
    // True from the start of a run until its worker has ended.
    bool IsImportRunning() const;
    // A command that would change the lists, the options or the writer's
    // storage calls this first: while a run is going on it tells the user
    // and returns true, and the command does nothing.
    bool RefuseWhileImporting();
    // Closing the window during a run: lets the file being written finish,
    // stops the run after it and waits for the worker to end.
    void FinishRunBeforeClosing();
    CMatchResultDlg* GetMatchResultDlg() const { return m_pMatchResultDlg; }
    HANDLE GetWorkerThread() const { return m_hWorkerThread; }

    // ---- The batch conversion (import_dlg_batch.cpp)

    // One direction (BatchChoice) over every MP3 entry, in list order; then
    // the closing message, which names the files that were not converted.
    // Refused during a run.
    void Convert(int nChoice);

    // ---- The background (import_dlg_background.cpp)

    BOOL LoadBackgroundPicture(HDC hDC, const char* pszFileName);
    void ComposeBackground(HDC hDC);

    // Members, in the order the window uses them.
    int m_nAddMode;
    int m_nMp3FilesAdded;
    int m_nLyricFilesAdded;
    // The tag writer's working storage (m_lyricLines, m_strUnsyncLyric,
    // m_pFileBuffer) and the import options it reads (m_bSyncLyric, m_bIRiver).
    CLyricTagWriter m_writer;
    CMatchResultDlg* m_pMatchResultDlg;
    HANDLE m_hWorkerThread;

    // Background painting state.
    HDC m_dcBackground;
    HBITMAP m_bmpBackground;
    HGDIOBJ m_hOldBackground;
    HDC m_dcPicture;
    HBITMAP m_bmpPicture;
    HGDIOBJ m_hOldPicture;
    SIZE m_sizePicture;
    BOOL m_bBackgroundReady;
    // After a picture of the folder failed to load: no more tries, so that
    // the message is not shown at every erase.
    BOOL m_bBackgroundFailed;

    CDragAndDropListBox m_lyricList;  // control 1004
    CDragAndDropListBox m_mp3List;    // control 1000
    HICON m_hIcon;

    // The folder both folder commands start at; "C:" at first.
    static std::string s_strLastFolder;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;      // start import
    void OnCancel() override;  // exit (after a run in progress has ended)
    void DoDataExchange(CDataExchange* pDX) override;

    void OnAddMp3Folder();
    void OnAddLyricFolder();
    void OnAbout();
    void OnDeleteLyric();
    void OnDblclkLyricList();
    void OnDblclkMp3List();
    void OnDropFiles(HDROP hDropInfo);
    LRESULT OnDeleteEntry(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeleteMatched(WPARAM wParam, LPARAM lParam);
    void OnContextMenu(HWND hWnd, CPoint point);
    void OnBatchId3();
    void OnTextColor();
    void OnBackgroundColor();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    BOOL OnEraseBkgnd(HDC hDC);
    HBRUSH OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor);

    // The delete-selected-lyric step shared by command 1012 and the Delete key.
    void DeleteSelectedLyric();
    // Hooks for the lyric editor and the information dialog.
    virtual void EditLyric(const std::string& strPath);
    virtual void EditMusicInfo(int nIndex);
    // Hooks for the about dialog (command 1009, menu and system menu entry
    // 16) and the batch conversion (command 32771, refused during a run).
    virtual void ShowAboutDialog();
    virtual void RunBatchConversion();

    // The colour last chosen with each colour command during this run.
    COLORREF m_crLastTextChoice;
    COLORREF m_crLastBKChoice;

    // Run state: set by StartImport, cleared when the worker ends.
    std::atomic<bool> m_bRunning;
    // Set when the window closes during a run: the worker stops after the
    // file being written.
    std::atomic<bool> m_bStopRequested;

    DECLARE_MESSAGE_MAP()

private:
    static DWORD WINAPI ImportThreadProc(LPVOID pParam);
    // The lists as they stood at the start (display name, full path): the
    // worker pairs from these, so that an entry dragged to another place
    // during the run cannot send a lyric into the wrong file.
    struct CRunEntry {
        std::string strName;
        std::string strPath;
    };
    std::vector<CRunEntry> m_runLyrics;
    std::vector<CRunEntry> m_runMp3s;
    void FreeBackground();

    // import_dlg.cpp: the folder chooser and the scan; the move of an MP3
    // entry's file (no run check); the colour chooser; repainting behind
    // the transparent count labels.
    void ChooseAndAddFolder(bool bMp3);
    // A failed move is shown to the user, or with pstrWhy given only
    // described there (the batch conversion reports its failures together).
    bool MoveMp3Entry(int nIndex, const std::string& strNewName, std::string* pstrWhy = nullptr);
    void ChooseColour(COLORREF& crLastChoice, bool bTextColour);
    void RefreshLabelBand();
    void RefreshLabel(int nID);

    // import_dlg_batch.cpp: one entry of Convert; false with the reason
    // (GBK) when the entry's file was not converted.
    bool ConvertTagToName(int nIndex, const std::string& strPath, std::string& strWhy);
    bool ConvertNameToTag(int nIndex, const std::string& strPath, int nChoice, std::string& strWhy);
};

// The message shown when a command is refused during a run (GBK).
extern const char* const kImportRunningMessage;

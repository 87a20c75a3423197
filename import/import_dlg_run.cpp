// The import run: the start command, the worker's loop, the removal of the
// matched pairs and the guard while a run is going on.
//
// The start takes the names and paths of both lists; the worker pairs from
// that copy (an entry dragged elsewhere during the run changes nothing) and
// fills the result window only through window messages sent to the window's
// thread, which carries them out while the worker waits. While it runs, no
// command may change the lists, the options or the writer's storage
// (RefuseWhileImporting), and closing the window waits for it, still
// answering its messages.
#include <cstdio>
#include <new>

#include "base/codepage.h"
#include "import/file_list_dlg.h"
#include "import/import_dlg.h"
#include "import/match_result_dlg.h"
#include "import/pairing.h"
#include "resource.h"
#include "tags/write_result.h"
#include "ui/message_box.h"
#include "ui/text.h"

namespace {

// The pairing of lyric entry i with the lists as they stand now.
Pairing PairEntry(const CListBox& lyrics, const CListBox& mp3s, int i) {
    int nMp3Count = mp3s.GetCount();
    return PairLyric(static_cast<size_t>(i), static_cast<size_t>(lyrics.GetCount()), lyrics.GetText(i),
                     nMp3Count > 0 ? static_cast<size_t>(nMp3Count) : 0,
                     [&mp3s](size_t k) { return mp3s.GetText(static_cast<int>(k)); });
}

template <class Entry>
std::vector<Entry> TakeEntries(const CListBox& list) {
    std::vector<Entry> entries;
    int nCount = list.GetCount();
    for (int i = 0; i < nCount; ++i) entries.push_back({list.GetText(i), FileEntryPath(list, i)});
    return entries;
}

// The worker's message box, if it is showing: a visible dialog of the
// worker's thread with the text static of a message box.
BOOL CALLBACK CloseMessageBox(HWND hWnd, LPARAM) {
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (::lstrcmpW(szClass, L"#32770") == 0 && ::GetDlgItem(hWnd, 0xFFFF)) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(hWnd, WM_COMMAND, IDOK, 0, SMTO_NORMAL, 1000, &result);
    }
    return TRUE;
}

}  // namespace

// GBK: "正在导入歌词, 请等这一次导入完成。\n---Quillan"
const char* const kImportRunningMessage =
    "\xd5\xfd\xd4\xda\xb5\xbc\xc8\xeb\xb8\xe8\xb4\xca, \xc7\xeb\xb5\xc8\xd5\xe2\xd2\xbb\xb4\xce"
    "\xb5\xbc\xc8\xeb\xcd\xea\xb3\xc9\xa1\xa3\n---Quillan";

void CImportDlg::OnOK() { StartImport(); }

void CImportDlg::StartImport() {
    if (RefuseWhileImporting()) return;
    if (m_lyricList.GetCount() <= 0) {
        ShowMessageBox(m_hWnd, Text("请先选择\"添加歌词\"按钮加入LRC歌词文件\n---Quillan"));
        return;
    }
    if (m_mp3List.GetCount() <= 0) {
        ShowMessageBox(m_hWnd, Text("请先选择\"添加MP3\"按钮加入MP3文件\n---Quillan"));
        return;
    }

    // The options hold from here until the next start.
    m_writer.m_bSyncLyric = IsDlgButtonChecked(IDC_SYNC_AND_UNSYNC) == BST_CHECKED;
    m_writer.m_bIRiver = IsDlgButtonChecked(IDC_IRIVER) == BST_CHECKED;

    if (!m_pMatchResultDlg) {
        m_pMatchResultDlg = new CMatchResultDlg;
        if (!m_pMatchResultDlg->CreateFor(this)) {
            delete m_pMatchResultDlg;
            m_pMatchResultDlg = nullptr;
        }
    }
    if (m_pMatchResultDlg) {
        m_pMatchResultDlg->ClearList();
        m_pMatchResultDlg->ClearMatchedCount();
        m_pMatchResultDlg->SetLyricTotal(m_lyricList.GetCount());
        m_pMatchResultDlg->CentreAndShow();
    }

    // The worker pairs the entries as they stand now.
    m_runLyrics = TakeEntries<CRunEntry>(m_lyricList);
    m_runMp3s = TakeEntries<CRunEntry>(m_mp3List);

    if (m_hWorkerThread) {
        ::CloseHandle(m_hWorkerThread);
        m_hWorkerThread = nullptr;
    }
    // Set before the thread exists: it clears the flag when it ends.
    m_bStopRequested = false;
    m_bRunning = true;
    m_hWorkerThread = ::CreateThread(nullptr, 0, &CImportDlg::ImportThreadProc, this, 0, nullptr);
    if (!m_hWorkerThread) {
        m_bRunning = false;
        ShowMessageBox(m_hWnd, Text("无法开始导入。\n---Quillan"));
    }
}

DWORD WINAPI CImportDlg::ImportThreadProc(LPVOID pParam) {
    CImportDlg* pDlg = static_cast<CImportDlg*>(pParam);
    pDlg->ImportLoop();
    pDlg->m_bRunning = false;
    return 0;
}

void CImportDlg::ImportLoop() {
    CMatchResultDlg* pResult = m_pMatchResultDlg;
    const std::vector<CRunEntry>& lyrics = m_runLyrics;
    const std::vector<CRunEntry>& mp3s = m_runMp3s;
    int nWritten = 0;
    int nFailed = 0;
    for (size_t i = 0; i < lyrics.size(); ++i) {
        // A window closing during the run: stop after the file just written.
        if (m_bStopRequested) break;
        const std::string& strLyricName = lyrics[i].strName;
        Pairing pairing = PairLyric(i, lyrics.size(), strLyricName, mp3s.size(),
                                    [&mp3s](size_t k) { return mp3s[k].strName; });
        if (pairing.mp3 < 0) continue;
        std::string strListName = DerivedMp3Name(strLyricName);
        const std::string& strLyricPath = lyrics[static_cast<size_t>(pairing.lyric)].strPath;
        const std::string& strMp3Path = mp3s[static_cast<size_t>(pairing.mp3)].strPath;

        WriteResult result;
        try {
            result = m_writer.WriteLyricTag(strLyricPath, strMp3Path, strListName);
        } catch (const std::bad_alloc&) {
            result = WriteResult::Fail(WriteStatus::TooLarge, "out of memory");
        } catch (...) {
            result = WriteResult::Fail(WriteStatus::CannotWrite, "unexpected failure");
        }

        // Only a file that now carries the lyric counts as matched.
        if (result.ok()) {
            ++nWritten;
            if (pResult) {
                pResult->AddMatched(strListName);
                pResult->SetMatchedCount(nWritten);
            }
        } else {
            ++nFailed;
            if (pResult) pResult->AddFailed(strListName, WriteStatusText(result.status));
        }
    }
    if (m_bStopRequested) return;

    std::string strMessage = Text("完成了!!\n");
    if (nFailed > 0) {
        char szLine[128] = {};
        std::snprintf(szLine, sizeof szLine, Text("有 %d 个音乐文件没能写入歌词。\n").c_str(), nFailed);
        strMessage += szLine;
    }
    strMessage += "---Quillan";
    // Owned by the result window, which it speaks of: closing the message
    // gives the activation back to that window, so it stays in front.
    HWND hOwner = pResult && pResult->m_hWnd ? pResult->m_hWnd : m_hWnd;
    ShowMessageBox(hOwner, strMessage);
}

bool CImportDlg::IsImportRunning() const { return m_bRunning; }

bool CImportDlg::RefuseWhileImporting() {
    if (!IsImportRunning()) return false;
    ShowMessageBox(m_hWnd, std::string(kImportRunningMessage));
    return true;
}

void CImportDlg::FinishRunBeforeClosing() {
    HANDLE hThread = m_hWorkerThread;
    if (!hThread) return;
    m_bStopRequested = true;
    DWORD dwThreadId = ::GetThreadId(hThread);
    // The worker may be writing a file (it finishes it), waiting for one of
    // this thread's windows (its messages are answered here) or showing its
    // closing message box (closed here, also when it comes up only now).
    for (;;) {
        if (dwThreadId) ::EnumThreadWindows(dwThreadId, &CloseMessageBox, 0);
        DWORD dwWait = ::MsgWaitForMultipleObjects(1, &hThread, FALSE, 50, QS_SENDMESSAGE);
        if (dwWait == WAIT_OBJECT_0 || dwWait == WAIT_FAILED) break;
        if (dwWait == WAIT_OBJECT_0 + 1) {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    ::CloseHandle(hThread);
    m_hWorkerThread = nullptr;
    m_bRunning = false;
    m_bStopRequested = false;
}

void CImportDlg::RemoveMatchedPairs() {
    int i = 0;
    while (i < m_lyricList.GetCount()) {
        Pairing pairing = PairEntry(m_lyricList, m_mp3List, i);
        if (pairing.mp3 < 0) {
            ++i;
            continue;
        }
        RemoveFileEntry(m_mp3List, pairing.mp3);
        RemoveFileEntry(m_lyricList, pairing.lyric);
        // Index i again: the next entry moved up into it (under the
        // single-lyric rule the lyric list is empty now).
    }
    ShowListTotals();
}

LRESULT CImportDlg::OnDeleteMatched(WPARAM wParam, LPARAM) {
    if (wParam != 1) return 0;
    if (RefuseWhileImporting()) return 0;
    RemoveMatchedPairs();
    return 1;
}

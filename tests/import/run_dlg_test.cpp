// The import run on the real main window and result window: pairing through
// the lists, what the result window shows, its delete and exit pictures, the
// closing message of the worker, failed writes, the refusal of a second start
// and the closing of the window during a run. Real MP3 files are written in a
// temporary folder and read back.
#include "import/import_dlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/codepage.h"
#include "import/file_list_dlg.h"
#include "import/match_result_dlg.h"
#include "resource.h"
#include "shell/messages.h"
#include "tags/id3v2.h"
#include "tags/lyrics3.h"
#include "tags/write_result.h"
#include "ui/app.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

// The window with its run state in view.
class CRunTestDlg : public CImportDlg {
public:
    using CImportDlg::m_bRunning;
    using CImportDlg::m_bStopRequested;

    bool Open() { return Create(IDD_IMPORT_DIALOG); }
};

std::vector<std::string> GbkList(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* s : utf8) out.push_back(G(s));
    return out;
}

const std::string& SampleMp3() {
    // An MP3 file without an ID3v2 tag, ending with an ID3v1 record.
    static const std::string s = ReadBytes(Wide(VM_SOURCE_DIR "/examples/Morning Tea.mp3"));
    return s;
}

// A fresh folder of songs under the temporary folder.
class CSongFolder {
public:
    std::wstring Path(const std::string& rel) const { return m_folder.WidePath(rel); }
    std::string Gbk(const std::string& rel) const { return m_folder.Path(rel); }
    void Folder(const std::string& rel) const { m_folder.Folder(rel); }
    // An MP3 file (the sample, or bytes given) and its full path (GBK).
    std::string Mp3(const std::string& rel, const std::string& bytes = SampleMp3()) const {
        return m_folder.Write(rel, bytes);
    }
    // A lyric whose first line is the token.
    std::string Lyric(const std::string& rel, const std::string& token) const {
        return m_folder.Write(rel, "[00:01.00]" + token + "\r\n[00:02.50]second line\r\n");
    }
    std::string Read(const std::string& rel) const { return m_folder.Read(rel); }

private:
    CTempFolder m_folder{L"vmrun"};
};

// The ID3v2 frame of a written file, read with the core's frame walker.
bool FindFrame(const std::string& bytes, const char* id, std::string* pData, size_t* pTagEnd = nullptr) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    Id3v2Header header;
    if (!ParseId3v2Header(data, bytes.size(), header) || !header.sizeValid) return false;
    size_t tagEnd = kId3v2HeaderSize + header.size;
    if (tagEnd > bytes.size()) return false;
    if (pTagEnd) *pTagEnd = tagEnd;
    FrameWalk walk = WalkFrames(data, kId3v2HeaderSize, tagEnd, header.major == 4);
    const Id3v2Frame* frame = walk.Find(id);
    if (!frame) return false;
    if (pData) *pData = bytes.substr(frame->DataOffset(), frame->size);
    return true;
}

// The file now carries the lyric whose first line is token: its USLT frame
// holds it.
bool CarriesLyric(const std::string& bytes, const std::string& token) {
    std::string uslt;
    return FindFrame(bytes, "USLT", &uslt) && uslt.find(token) != std::string::npos;
}

// Written whole from the sample in the unsynchronised mode: a new tag with
// the lyric in front of every byte of the original.
bool FullyWrittenFromSample(const std::string& bytes, const std::string& token) {
    size_t tagEnd = 0;
    std::string uslt;
    if (!FindFrame(bytes, "USLT", &uslt, &tagEnd)) return false;
    return uslt.find(token) != std::string::npos && bytes.substr(tagEnd) == SampleMp3();
}

// The visible message box of a thread, or null.
HWND WorkerBox(HANDLE hThread) { return hThread ? FindMessageBox(GetThreadId(hThread)) : nullptr; }

bool ThreadEnded(HANDLE hThread) { return WaitForSingleObject(hThread, 0) == WAIT_OBJECT_0; }

class RunDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pApp = AfxGetApp();
        if (!m_pApp) {
            static CWinApp s_app("RunDlgTest");
            m_pApp = &s_app;
        }
        ASSERT_TRUE(m_dlg.Open());
        m_pApp->m_pMainWnd = &m_dlg;
    }
    void TearDown() override {
        if (m_dlg.m_hWnd) {
            m_dlg.FinishRunBeforeClosing();
            m_dlg.DestroyWindow();
        }
        m_pApp->m_pMainWnd = nullptr;
    }

    CMatchResultDlg* Result() const { return m_dlg.GetMatchResultDlg(); }
    std::vector<std::string> ResultLines() const {
        return Result() ? ListTexts(Result()->GetList()) : std::vector<std::string>{"<no window>"};
    }
    std::string ResultText(int nID) const { return Result() ? Result()->GetDlgItemText(nID) : "<no window>"; }

    // Waits for the worker's closing message box and gives its text.
    std::wstring WaitForClosingBox() {
        HANDLE hThread = m_dlg.GetWorkerThread();
        HWND hBox = nullptr;
        PumpUntil([&] { return (hBox = WorkerBox(hThread)) != nullptr || ThreadEnded(hThread); }, 20000);
        return hBox ? MessageBoxText(hBox) : L"<no box>";
    }
    // Presses OK in the worker's closing box and waits for the worker.
    bool CloseBoxAndWait() {
        HANDLE hThread = m_dlg.GetWorkerThread();
        if (HWND hBox = WorkerBox(hThread)) PostMessageW(hBox, WM_COMMAND, IDOK, 0);
        return PumpUntil([&] { return ThreadEnded(hThread) && !m_dlg.IsImportRunning(); }, 20000);
    }
    // A whole run: start, the closing box's text, OK, the worker's end.
    std::wstring Run() {
        m_dlg.StartImport();
        if (!m_dlg.GetWorkerThread()) return L"<not started>";
        std::wstring text = WaitForClosingBox();
        EXPECT_TRUE(CloseBoxAndWait());
        return text;
    }

    void AddMp3(const std::string& path) { ASSERT_GE(AddFileEntry(m_dlg.m_mp3List, path), 0); }
    void AddLyric(const std::string& path) { ASSERT_GE(AddFileEntry(m_dlg.m_lyricList, path), 0); }
    void UnsyncOnly() { m_dlg.CheckRadioButton(IDC_UNSYNC_ONLY, IDC_SYNC_AND_UNSYNC, IDC_UNSYNC_ONLY); }

    CWinApp* m_pApp = nullptr;
    CRunTestDlg m_dlg;
    CSongFolder m_songs;
};

const wchar_t* const kDone = L"完成了!!\n---Quillan";

// ---- Start import: the two lists checked, lyric list first

TEST_F(RunDlgTest, EmptyListsShowOnlyTheLyricMessage) {
    MessageBoxCatcher catcher;
    m_dlg.StartImport();
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ(WG("请先选择\"添加歌词\"按钮加入LRC歌词文件\n---Quillan"), catcher.boxes[0].text);
    EXPECT_EQ(m_dlg.m_hWnd, catcher.boxes[0].owner);
    EXPECT_EQ(nullptr, m_dlg.GetWorkerThread());
    EXPECT_EQ(nullptr, Result());
    EXPECT_FALSE(m_dlg.IsImportRunning());
}

TEST_F(RunDlgTest, EmptyMp3ListShowsTheMp3Message) {
    AddLyric(m_songs.Lyric("a.lrc", "lyric-a"));
    MessageBoxCatcher catcher;
    m_dlg.SendMessage(WM_COMMAND, IDOK, 0);  // the start picture's command
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ(WG("请先选择\"添加MP3\"按钮加入MP3文件\n---Quillan"), catcher.boxes[0].text);
    EXPECT_EQ(nullptr, m_dlg.GetWorkerThread());
    EXPECT_EQ(nullptr, Result());
}

// ---- Pairing, the written files and what the result window shows

TEST_F(RunDlgTest, PrefixSearchIgnoresLetterCase) {
    AddLyric(m_songs.Lyric("a.lrc", "lyric-a"));
    AddMp3(m_songs.Mp3("x.mp3"));
    AddMp3(m_songs.Mp3("A.MP3"));

    EXPECT_EQ(kDone, Run());
    EXPECT_TRUE(CarriesLyric(m_songs.Read("A.MP3"), "lyric-a"));
    EXPECT_EQ(SampleMp3(), m_songs.Read("x.mp3"));
    EXPECT_EQ(GbkList({"a.mp3"}), ResultLines());  // the derived name, not the entry's
    EXPECT_EQ(G("已匹配音乐文件数:  1"), ResultText(IDC_MATCHED_COUNT));
    EXPECT_EQ(G("一共有歌词文件数:  1"), ResultText(IDC_LYRIC_TOTAL));
    EXPECT_TRUE(Result()->IsWindowVisible());
    // The run leaves both lists as they were.
    EXPECT_EQ(GbkList({"x.mp3", "A.MP3"}), ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(GbkList({"a.lrc"}), ListTexts(m_dlg.m_lyricList));
}

TEST_F(RunDlgTest, SameNameTwiceTheLaterEntryWinsOverEntryZero) {
    m_songs.Folder("A");
    m_songs.Folder("B");
    AddMp3(m_songs.Mp3("A\\Song.mp3"));
    AddMp3(m_songs.Mp3("Other.mp3"));
    AddMp3(m_songs.Mp3("B\\Song.mp3"));
    AddLyric(m_songs.Lyric("Song.lrc", "lyric-song"));

    EXPECT_EQ(kDone, Run());
    EXPECT_TRUE(CarriesLyric(m_songs.Read("B\\Song.mp3"), "lyric-song"));
    EXPECT_EQ(SampleMp3(), m_songs.Read("A\\Song.mp3"));
    EXPECT_EQ(SampleMp3(), m_songs.Read("Other.mp3"));
    EXPECT_EQ(GbkList({"Song.mp3"}), ResultLines());
}

TEST_F(RunDlgTest, PrefixSearchTakesALongerName) {
    AddLyric(m_songs.Lyric("Song.lrc", "lyric-song"));
    AddLyric(m_songs.Lyric("Else.lrc", "lyric-else"));
    AddMp3(m_songs.Mp3("Other.mp3"));
    AddMp3(m_songs.Mp3("Song.mp3.mp3"));

    EXPECT_EQ(kDone, Run());
    EXPECT_TRUE(CarriesLyric(m_songs.Read("Song.mp3.mp3"), "lyric-song"));
    EXPECT_EQ(SampleMp3(), m_songs.Read("Other.mp3"));
    EXPECT_EQ(GbkList({"Song.mp3"}), ResultLines());
    EXPECT_EQ(G("一共有歌词文件数:  2"), ResultText(IDC_LYRIC_TOTAL));
}

TEST_F(RunDlgTest, SingleLyricGoesIntoTheFirstMp3) {
    AddLyric(m_songs.Lyric("x.lrc", "lyric-x"));
    AddMp3(m_songs.Mp3("a.mp3"));
    AddMp3(m_songs.Mp3("b.mp3"));

    EXPECT_EQ(kDone, Run());
    EXPECT_TRUE(CarriesLyric(m_songs.Read("a.mp3"), "lyric-x"));
    EXPECT_EQ(SampleMp3(), m_songs.Read("b.mp3"));
    EXPECT_EQ(GbkList({"x.mp3"}), ResultLines());
    EXPECT_EQ(G("已匹配音乐文件数:  1"), ResultText(IDC_MATCHED_COUNT));
}

TEST_F(RunDlgTest, TwoLyricsWithoutMatchWriteNothing) {
    AddLyric(m_songs.Lyric("x.lrc", "lyric-x"));
    AddLyric(m_songs.Lyric("y.lrc", "lyric-y"));
    AddMp3(m_songs.Mp3("a.mp3"));

    EXPECT_EQ(kDone, Run());  // the closing message all the same
    EXPECT_EQ(SampleMp3(), m_songs.Read("a.mp3"));
    EXPECT_EQ(G("一共有歌词文件数:  2"), ResultText(IDC_LYRIC_TOTAL));
    EXPECT_EQ("", ResultText(IDC_MATCHED_COUNT));
    EXPECT_TRUE(ResultLines().empty());
}

TEST_F(RunDlgTest, OptionsAreCapturedAtTheStart) {
    AddLyric(m_songs.Lyric("a.lrc", "lyric-a"));
    AddMp3(m_songs.Mp3("a.mp3"));

    // Synchronised (checked at start) with the player frame: SYLT, TXXX and
    // a Lyrics3 tag at the end.
    m_dlg.CheckDlgButton(IDC_IRIVER, BST_CHECKED);
    EXPECT_EQ(kDone, Run());
    EXPECT_TRUE(m_dlg.m_writer.m_bSyncLyric);
    EXPECT_TRUE(m_dlg.m_writer.m_bIRiver);
    std::string bytes = m_songs.Read("a.mp3");
    EXPECT_TRUE(CarriesLyric(bytes, "lyric-a"));
    EXPECT_TRUE(FindFrame(bytes, "SYLT", nullptr));
    EXPECT_TRUE(FindFrame(bytes, "TXXX", nullptr));
    FILE* f = _wfopen(m_songs.Path("a.mp3").c_str(), L"rb");
    ASSERT_NE(nullptr, f);
    std::string lyrics3;
    EXPECT_TRUE(ReadLyrics3Text(f, lyrics3));
    fclose(f);
    EXPECT_NE(std::string::npos, lyrics3.find("lyric-a"));

    // Unsynchronised only, no player frame: USLT in front of the untouched
    // original.
    m_songs.Mp3("a.mp3");
    UnsyncOnly();
    m_dlg.CheckDlgButton(IDC_IRIVER, BST_UNCHECKED);
    EXPECT_EQ(kDone, Run());
    EXPECT_FALSE(m_dlg.m_writer.m_bSyncLyric);
    EXPECT_FALSE(m_dlg.m_writer.m_bIRiver);
    bytes = m_songs.Read("a.mp3");
    EXPECT_TRUE(FullyWrittenFromSample(bytes, "lyric-a"));
    EXPECT_FALSE(FindFrame(bytes, "SYLT", nullptr));
    EXPECT_FALSE(FindFrame(bytes, "TXXX", nullptr));
}

// ---- A write that fails is listed as failed and not counted

TEST_F(RunDlgTest, FailedWriteIsListedAndNotCounted) {
    AddLyric(m_songs.Lyric("gone.lrc", "lyric-gone"));
    AddLyric(m_songs.Lyric("bad.lrc", "lyric-bad"));
    AddLyric(m_songs.Lyric("good.lrc", "lyric-good"));
    AddMp3(m_songs.Gbk("gone.mp3"));  // listed, but no such file
    // A tag whose declared size runs past the file cannot be edited safely.
    std::string damaged = std::string("ID3\x03\x00\x00\x00\x7f\x7f\x7f", 10) + SampleMp3();
    AddMp3(m_songs.Mp3("bad.mp3", damaged));
    AddMp3(m_songs.Mp3("good.mp3"));

    std::wstring text = Run();
    EXPECT_EQ(WG("完成了!!\n有 2 个音乐文件没能写入歌词。\n---Quillan"), text);
    EXPECT_TRUE(CarriesLyric(m_songs.Read("good.mp3"), "lyric-good"));
    EXPECT_EQ(damaged, m_songs.Read("bad.mp3"));
    EXPECT_EQ("<missing>", m_songs.Read("gone.mp3"));

    std::vector<std::string> lines = ResultLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(CMatchResultDlg::FailedLine("gone.mp3", WriteStatusText(WriteStatus::CannotOpen)), lines[0]);
    EXPECT_EQ(G("× gone.mp3 (无法打开文件)"), lines[0]);
    EXPECT_EQ(CMatchResultDlg::FailedLine("bad.mp3", WriteStatusText(WriteStatus::BadTag)), lines[1]);
    EXPECT_EQ("good.mp3", lines[2]);
    EXPECT_EQ(G("已匹配音乐文件数:  1"), ResultText(IDC_MATCHED_COUNT));
}

// ---- The result window's pictures

TEST_F(RunDlgTest, DeleteHidesAndRemovesTheMatchedPairs) {
    AddLyric(m_songs.Lyric("a.lrc", "lyric-a"));
    AddLyric(m_songs.Lyric("b.lrc", "lyric-b"));
    AddLyric(m_songs.Lyric("c.lrc", "lyric-c"));
    AddMp3(m_songs.Mp3("c.mp3"));
    AddMp3(m_songs.Mp3("a.mp3"));

    EXPECT_EQ(kDone, Run());
    EXPECT_TRUE(CarriesLyric(m_songs.Read("a.mp3"), "lyric-a"));
    EXPECT_TRUE(CarriesLyric(m_songs.Read("c.mp3"), "lyric-c"));
    EXPECT_EQ(GbkList({"a.mp3", "c.mp3"}), ResultLines());
    EXPECT_EQ(G("已匹配音乐文件数:  2"), ResultText(IDC_MATCHED_COUNT));

    ASSERT_TRUE(Result()->IsWindowVisible());
    Result()->SendMessage(WM_COMMAND, IDOK, 0);  // the delete picture's command
    EXPECT_FALSE(Result()->IsWindowVisible());
    EXPECT_EQ(GbkList({"b.lrc"}), ListTexts(m_dlg.m_lyricList));
    EXPECT_TRUE(ListTexts(m_dlg.m_mp3List).empty());
    EXPECT_EQ(m_songs.Gbk("b.lrc"), FileEntryPath(m_dlg.m_lyricList, 0));
    EXPECT_EQ(G("一共有文件:0"), m_dlg.GetDlgItemText(IDC_MP3_COUNT));
    EXPECT_EQ(G("一共有文件:1"), m_dlg.GetDlgItemText(IDC_LYRIC_COUNT));
    // The window keeps the names of the run.
    EXPECT_EQ(GbkList({"a.mp3", "c.mp3"}), ResultLines());
}

TEST_F(RunDlgTest, DeleteAfterEverythingMatchedEmptiesBothLists) {
    for (const char* name : {"one", "two", "three"}) {
        AddLyric(m_songs.Lyric(std::string(name) + ".lrc", name));
        AddMp3(m_songs.Mp3(std::string(name) + ".mp3"));
    }
    EXPECT_EQ(kDone, Run());
    EXPECT_EQ(G("已匹配音乐文件数:  3"), ResultText(IDC_MATCHED_COUNT));
    // The delete picture: a left-button release in its shape.
    RECT rc;
    ::GetWindowRect(::GetDlgItem(Result()->m_hWnd, IDOK), &rc);
    POINT pt = {rc.left + 38, rc.top + 38};  // the middle of the 77-pixel star
    ::ScreenToClient(Result()->m_hWnd, &pt);
    Result()->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    EXPECT_FALSE(Result()->IsWindowVisible());
    EXPECT_EQ(0, m_dlg.m_lyricList.GetCount());
    EXPECT_EQ(0, m_dlg.m_mp3List.GetCount());
    EXPECT_EQ(G("一共有文件:0"), m_dlg.GetDlgItemText(IDC_MP3_COUNT));
    EXPECT_EQ(G("一共有文件:0"), m_dlg.GetDlgItemText(IDC_LYRIC_COUNT));
}

TEST_F(RunDlgTest, SingleLyricRuleRemovesTheFirstPair) {
    AddLyric(m_songs.Lyric("x.lrc", "lyric-x"));
    AddMp3(m_songs.Mp3("a.mp3"));
    AddMp3(m_songs.Mp3("b.mp3"));
    m_dlg.RemoveMatchedPairs();
    EXPECT_EQ(0, m_dlg.m_lyricList.GetCount());
    EXPECT_EQ(GbkList({"b.mp3"}), ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(m_songs.Gbk("b.mp3"), FileEntryPath(m_dlg.m_mp3List, 0));
}

TEST_F(RunDlgTest, ExitEscapeAndCloseBoxOnlyHide) {
    AddLyric(m_songs.Lyric("a.lrc", "lyric-a"));
    AddMp3(m_songs.Mp3("a.mp3"));
    EXPECT_EQ(kDone, Run());

    const UINT kHides[][2] = {{WM_COMMAND, IDCANCEL}, {WM_CLOSE, 0}, {WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& msg : kHides) {
        Result()->ShowWindow(SW_SHOWNORMAL);
        Result()->SendMessage(msg[0], msg[1], 0);
        EXPECT_FALSE(Result()->IsWindowVisible()) << msg[0];
        EXPECT_TRUE(::IsWindow(Result()->m_hWnd));
    }
    // A left-button release in the exit picture's shape.
    Result()->ShowWindow(SW_SHOWNORMAL);
    RECT rc;
    ::GetWindowRect(::GetDlgItem(Result()->m_hWnd, IDCANCEL), &rc);
    POINT pt = {rc.left + 38, rc.top + 38};
    ::ScreenToClient(Result()->m_hWnd, &pt);
    Result()->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    EXPECT_FALSE(Result()->IsWindowVisible());

    // The Escape key, through the dialog keyboard handling of the loop.
    Result()->ShowWindow(SW_SHOWNORMAL);
    MSG msg = {};
    msg.hwnd = Result()->GetList().m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_ESCAPE;
    msg.lParam = 0x00010001;
    EXPECT_TRUE(PreTranslateDialogMessage(&msg));
    EXPECT_FALSE(Result()->IsWindowVisible());

    EXPECT_EQ(GbkList({"a.lrc"}), ListTexts(m_dlg.m_lyricList));
    EXPECT_EQ(GbkList({"a.mp3"}), ListTexts(m_dlg.m_mp3List));
    EXPECT_EQ(GbkList({"a.mp3"}), ResultLines());
}

TEST_F(RunDlgTest, SecondRunReusesTheWindowCleared) {
    AddLyric(m_songs.Lyric("a.lrc", "lyric-a"));
    AddMp3(m_songs.Mp3("a.mp3"));
    EXPECT_EQ(kDone, Run());
    CMatchResultDlg* pFirst = Result();
    HWND hFirst = pFirst->m_hWnd;
    Result()->SendMessage(WM_COMMAND, IDCANCEL, 0);
    ASSERT_FALSE(Result()->IsWindowVisible());

    // Two lyrics now, neither matching the one MP3 file.
    RemoveAllFileEntries(m_dlg.m_lyricList);
    AddLyric(m_songs.Lyric("x.lrc", "lyric-x"));
    AddLyric(m_songs.Lyric("y.lrc", "lyric-y"));
    EXPECT_EQ(kDone, Run());
    EXPECT_EQ(pFirst, Result());
    EXPECT_EQ(hFirst, Result()->m_hWnd);
    EXPECT_TRUE(Result()->IsWindowVisible());
    EXPECT_TRUE(ResultLines().empty());
    EXPECT_EQ("", ResultText(IDC_MATCHED_COUNT));
    EXPECT_EQ(G("一共有歌词文件数:  2"), ResultText(IDC_LYRIC_TOTAL));
    // Owned by the main window, so it stays in front of it.
    EXPECT_EQ(m_dlg.m_hWnd, ::GetWindow(Result()->m_hWnd, GW_OWNER));
}

// ---- During a run

TEST_F(RunDlgTest, SecondStartAndCommandsAreRefusedDuringARun) {
    AddLyric(m_songs.Lyric("a.lrc", "lyric-a"));
    AddMp3(m_songs.Mp3("a.mp3"));
    m_dlg.StartImport();
    // The run lasts until its closing message is confirmed.
    std::wstring text = WaitForClosingBox();
    EXPECT_EQ(kDone, text);
    HWND hBox = WorkerBox(m_dlg.GetWorkerThread());
    ASSERT_NE(nullptr, hBox);
    ASSERT_NE(nullptr, Result());
    EXPECT_EQ(Result()->m_hWnd, ::GetWindow(hBox, GW_OWNER));  // in front of the result window
    ASSERT_TRUE(m_dlg.IsImportRunning());
    HANDLE hThread = m_dlg.GetWorkerThread();

    {
        MessageBoxCatcher catcher;
        m_dlg.StartImport();
        ASSERT_EQ(1u, catcher.boxes.size());
        EXPECT_EQ(Wide(kImportRunningMessage), catcher.boxes[0].text);
        EXPECT_EQ(m_dlg.m_hWnd, catcher.boxes[0].owner);
    }
    EXPECT_EQ(hThread, m_dlg.GetWorkerThread());
    EXPECT_EQ(GbkList({"a.mp3"}), ResultLines());  // not cleared by the refused start

    {
        // The delete picture during the run: refused, the window comes back.
        MessageBoxCatcher catcher;
        Result()->SendMessage(WM_COMMAND, IDOK, 0);
        ASSERT_EQ(1u, catcher.boxes.size());
        EXPECT_EQ(Wide(kImportRunningMessage), catcher.boxes[0].text);
        EXPECT_TRUE(Result()->IsWindowVisible());
        EXPECT_EQ(GbkList({"a.lrc"}), ListTexts(m_dlg.m_lyricList));
        EXPECT_EQ(GbkList({"a.mp3"}), ListTexts(m_dlg.m_mp3List));
    }
    {
        MessageBoxCatcher catcher;
        EXPECT_TRUE(m_dlg.RefuseWhileImporting());
        EXPECT_EQ(1u, catcher.boxes.size());
    }

    EXPECT_TRUE(CloseBoxAndWait());
    EXPECT_FALSE(m_dlg.IsImportRunning());
    {
        MessageBoxCatcher catcher;
        EXPECT_FALSE(m_dlg.RefuseWhileImporting());
        EXPECT_TRUE(catcher.boxes.empty());
    }
    // After the run the delete picture works again.
    Result()->SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, m_dlg.m_lyricList.GetCount());
    EXPECT_EQ(0, m_dlg.m_mp3List.GetCount());
}

TEST_F(RunDlgTest, ClosingWhileTheClosingMessageShowsEndsTheRun) {
    AddLyric(m_songs.Lyric("a.lrc", "lyric-a"));
    AddMp3(m_songs.Mp3("a.mp3"));
    m_dlg.StartImport();
    HANDLE hThread = m_dlg.GetWorkerThread();
    ASSERT_EQ(kDone, WaitForClosingBox());
    HWND hBox = WorkerBox(hThread);
    ASSERT_NE(nullptr, hBox);

    HANDLE hCopy = nullptr;
    DuplicateHandle(GetCurrentProcess(), hThread, GetCurrentProcess(), &hCopy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    m_dlg.FinishRunBeforeClosing();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hCopy, 0));
    CloseHandle(hCopy);
    EXPECT_FALSE(::IsWindow(hBox));
    EXPECT_FALSE(m_dlg.IsImportRunning());
    EXPECT_EQ(nullptr, m_dlg.GetWorkerThread());
    EXPECT_TRUE(CarriesLyric(m_songs.Read("a.mp3"), "lyric-a"));
}

// Holds the worker inside its first write until the window asks the run to
// stop, so that the close comes in the middle of a run.
class CHeldWrite {
public:
    // bUntilStop false: held until Release.
    explicit CHeldWrite(CRunTestDlg& dlg, bool bUntilStop = true) : m_dlg(dlg), m_bUntilStop(bUntilStop) {
        m_hEntered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_hRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        dlg.m_writer.m_fnOutputFault = [this](CLyricTagWriter::OutputStep step, int) {
            if (step == CLyricTagWriter::OutputStep::Begin && !m_bHeld.exchange(true)) {
                SetEvent(m_hEntered);
                WaitForSingleObject(m_hRelease, 20000);
            }
            return true;
        };
        // Lets the write go on once the stop was asked for.
        m_releaser = std::thread([this] {
            WaitForSingleObject(m_hEntered, 20000);
            if (!m_bUntilStop) return;
            for (int i = 0; i < 2000 && !m_dlg.m_bStopRequested; ++i) Sleep(5);
            m_bReleasedAfterStop = m_dlg.m_bStopRequested.load();
            SetEvent(m_hRelease);
        });
    }
    ~CHeldWrite() {
        SetEvent(m_hEntered);
        SetEvent(m_hRelease);
        m_releaser.join();
        m_dlg.m_writer.m_fnOutputFault = nullptr;
        CloseHandle(m_hEntered);
        CloseHandle(m_hRelease);
    }
    // Answers the worker's messages meanwhile: it reads the lists through them.
    bool WaitEntered() {
        return PumpUntil([this] { return WaitForSingleObject(m_hEntered, 0) == WAIT_OBJECT_0; }, 20000);
    }

    void Release() { SetEvent(m_hRelease); }

    std::atomic<bool> m_bReleasedAfterStop{false};

private:
    CRunTestDlg& m_dlg;
    bool m_bUntilStop;
    HANDLE m_hEntered;
    HANDLE m_hRelease;
    std::atomic<bool> m_bHeld{false};
    std::thread m_releaser;
};

TEST_F(RunDlgTest, ClosingDuringARunFinishesTheFileBeingWritten) {
    UnsyncOnly();
    for (const char* name : {"s1", "s2", "s3"}) {
        AddLyric(m_songs.Lyric(std::string(name) + ".lrc", std::string("lyric-") + name));
        AddMp3(m_songs.Mp3(std::string(name) + ".mp3"));
    }
    CHeldWrite held(m_dlg);
    m_dlg.StartImport();
    HANDLE hThread = m_dlg.GetWorkerThread();
    ASSERT_TRUE(held.WaitEntered());
    HANDLE hCopy = nullptr;
    DuplicateHandle(GetCurrentProcess(), hThread, GetCurrentProcess(), &hCopy, 0, FALSE, DUPLICATE_SAME_ACCESS);

    m_dlg.FinishRunBeforeClosing();
    EXPECT_TRUE(held.m_bReleasedAfterStop);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hCopy, 0));
    CloseHandle(hCopy);
    EXPECT_FALSE(m_dlg.IsImportRunning());
    // The file being written when the close came is whole, the others are
    // untouched, and no closing message came up.
    EXPECT_TRUE(FullyWrittenFromSample(m_songs.Read("s1.mp3"), "lyric-s1"));
    EXPECT_EQ(SampleMp3(), m_songs.Read("s2.mp3"));
    EXPECT_EQ(SampleMp3(), m_songs.Read("s3.mp3"));
    EXPECT_EQ(GbkList({"s1.mp3"}), ResultLines());
    EXPECT_EQ(G("已匹配音乐文件数:  1"), ResultText(IDC_MATCHED_COUNT));
}

TEST_F(RunDlgTest, EntriesDraggedDuringARunDoNotChangeItsPairs) {
    for (const char* name : {"r1", "r2", "r3"}) {
        AddLyric(m_songs.Lyric(std::string(name) + ".lrc", std::string("lyric-") + name));
        AddMp3(m_songs.Mp3(std::string(name) + ".mp3"));
    }
    CHeldWrite held(m_dlg, false);
    m_dlg.StartImport();
    ASSERT_TRUE(held.WaitEntered());
    // What a drag in each list does while the first file is being written:
    // the entries change places, their paths go with them.
    auto reverse = [](CListBox& list) {
        std::vector<std::pair<std::string, std::string>> entries;
        for (int i = 0; i < list.GetCount(); ++i) entries.emplace_back(list.GetText(i), FileEntryPath(list, i));
        RemoveAllFileEntries(list);
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            InsertFileEntry(list, -1, it->first, it->second);
    };
    reverse(m_dlg.m_lyricList);
    reverse(m_dlg.m_mp3List);
    held.Release();
    EXPECT_EQ(kDone, WaitForClosingBox());
    EXPECT_TRUE(CloseBoxAndWait());

    // Every lyric in its own file, each once, in the order of the start.
    for (const char* name : {"r1", "r2", "r3"})
        EXPECT_TRUE(CarriesLyric(m_songs.Read(std::string(name) + ".mp3"), std::string("lyric-") + name)) << name;
    EXPECT_EQ(GbkList({"r1.mp3", "r2.mp3", "r3.mp3"}), ResultLines());
    EXPECT_EQ(GbkList({"r3.lrc", "r2.lrc", "r1.lrc"}), ListTexts(m_dlg.m_lyricList));
}

TEST_F(RunDlgTest, DestroyingTheWindowDuringARunWaitsForTheWorker) {
    UnsyncOnly();
    for (const char* name : {"d1", "d2"}) {
        AddLyric(m_songs.Lyric(std::string(name) + ".lrc", std::string("lyric-") + name));
        AddMp3(m_songs.Mp3(std::string(name) + ".mp3"));
    }
    CHeldWrite held(m_dlg);
    m_dlg.StartImport();
    HANDLE hCopy = nullptr;
    DuplicateHandle(GetCurrentProcess(), m_dlg.GetWorkerThread(), GetCurrentProcess(), &hCopy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    ASSERT_TRUE(held.WaitEntered());

    m_dlg.DestroyWindow();  // the window's destruction path
    EXPECT_TRUE(held.m_bReleasedAfterStop);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hCopy, 0));
    CloseHandle(hCopy);
    EXPECT_FALSE(m_dlg.IsImportRunning());
    EXPECT_TRUE(FullyWrittenFromSample(m_songs.Read("d1.mp3"), "lyric-d1"));
    EXPECT_EQ(SampleMp3(), m_songs.Read("d2.mp3"));
}

TEST_F(RunDlgTest, ClosingRightAfterTheStartLeavesNoHalfWrittenFile) {
    UnsyncOnly();
    // Larger files, many of them: the close comes somewhere in the run.
    std::string big = SampleMp3();
    std::string audio = big.substr(0, big.size() - 128);
    while (big.size() < 1500000) big.insert(0, audio);
    std::vector<std::string> names;
    for (int i = 0; i < 16; ++i) {
        std::string name = "big" + std::to_string(i);
        names.push_back(name);
        AddLyric(m_songs.Lyric(name + ".lrc", "lyric-" + name));
        AddMp3(m_songs.Mp3(name + ".mp3", big));
    }
    m_dlg.StartImport();
    Sleep(30);
    m_dlg.FinishRunBeforeClosing();
    EXPECT_FALSE(m_dlg.IsImportRunning());

    int nWritten = 0;
    for (const std::string& name : names) {
        std::string bytes = m_songs.Read(name + ".mp3");
        if (bytes == big) continue;
        size_t tagEnd = 0;
        std::string uslt;
        ASSERT_TRUE(FindFrame(bytes, "USLT", &uslt, &tagEnd)) << name;
        EXPECT_NE(std::string::npos, uslt.find("lyric-" + name)) << name;
        EXPECT_TRUE(bytes.substr(tagEnd) == big) << name << " is not whole";
        ++nWritten;
    }
    // What the window shows agrees with the files.
    EXPECT_EQ(static_cast<size_t>(nWritten), ResultLines().size());
    EXPECT_EQ(nullptr, WorkerBox(m_dlg.GetWorkerThread()));
}

TEST(RunDlgTexts, RefusalMessageIsTheProgramsText) {
    EXPECT_EQ(G("正在导入歌词, 请等这一次导入完成。\n---Quillan"), std::string(kImportRunningMessage));
}

}  // namespace

// The batch conversion: the choice dialog on its real template (radio
// buttons, the OK and exit pictures clicked on their shapes, Enter and
// Escape), and Convert through the real main window on real files.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/codepage.h"
#include "import/batch_id3_dlg.h"
#include "import/batch_names.h"
#include "import/file_list_dlg.h"
#include "import/import_dlg.h"
#include "resource.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

using std::string;
using std::wstring;

// A key as the modal loop sees it: posted to the control with the focus.
void PostKey(HWND hDlg, UINT vk) {
    HWND hFocus = ::GetFocus();
    ::PostMessageW(hFocus ? hFocus : hDlg, WM_KEYDOWN, vk, 0x00010001);
}

const int kRadios[] = {IDC_TAG_TO_NAME, IDC_NAME_TO_TAG_ARTIST_FIRST, IDC_NAME_TO_TAG_TITLE_FIRST};

// Runs the choice dialog modally; act works on it once it shows.
struct ModalRun {
    INT_PTR nResult = 0;
    int nChoice = 0;
};
ModalRun RunChoice(const std::function<void(HWND)>& act) {
    CBatchId3Dlg dlg;
    bool bActed = false;
    TimedSteps steps({[&] {
        if (!dlg.m_hWnd || !::IsWindowVisible(dlg.m_hWnd)) return false;
        bActed = true;
        act(dlg.m_hWnd);
        return true;
    }});
    // A dialog that did not close is cancelled, so that the test ends.
    TimedSteps guard({[&] {
        if (bActed && dlg.m_hWnd) ::PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        return bActed;
    }}, 2000);
    ModalRun run;
    run.nResult = dlg.DoModal();
    run.nChoice = dlg.m_nChoice;
    EXPECT_TRUE(bActed);
    return run;
}

}  // namespace

// ---- The choice dialog

TEST(BatchChoiceDlg, OpensFromItsTemplateWithTheFirstDirectionChecked) {
    CBatchId3Dlg dlg;
    EXPECT_EQ(-1, dlg.m_nChoice);
    ASSERT_TRUE(dlg.Create(IDD_BATCH_ID3));
    EXPECT_EQ(G("批量改id3信息对话框"), dlg.GetWindowText());
    EXPECT_EQ(G("id3的标题和艺术家 ------>   歌手 - 歌名.mp3"), dlg.GetDlgItemText(IDC_TAG_TO_NAME));
    EXPECT_EQ(G("歌手 - 歌名.mp3       ------>   id3的标题和艺术家"),
              dlg.GetDlgItemText(IDC_NAME_TO_TAG_ARTIST_FIRST));
    EXPECT_EQ(G("歌名 - 歌手.mp3       ------>   id3的标题和艺术家"),
              dlg.GetDlgItemText(IDC_NAME_TO_TAG_TITLE_FIRST));
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), dlg.IsDlgButtonChecked(IDC_TAG_TO_NAME));
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), dlg.IsDlgButtonChecked(IDC_NAME_TO_TAG_ARTIST_FIRST));
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), dlg.IsDlgButtonChecked(IDC_NAME_TO_TAG_TITLE_FIRST));
    // The two placeholders are never shown; the pictures stand in for them.
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dlg, IDOK)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dlg, IDCANCEL)));
    dlg.DestroyWindow();
}

TEST(BatchChoiceDlg, OkPictureConfirmsTheCheckedDirection) {
    for (int nChoice = 1; nChoice <= 3; ++nChoice) {
        ModalRun run = RunChoice([nChoice](HWND hDlg) {
            ::SendMessageW(::GetDlgItem(hDlg, kRadios[nChoice - 1]), BM_CLICK, 0, 0);
            ReleaseOnPicture(hDlg, IDOK);
        });
        EXPECT_EQ(IDOK, run.nResult) << nChoice;
        EXPECT_EQ(nChoice, run.nChoice);
    }
}

TEST(BatchChoiceDlg, RadioButtonsExcludeEachOther) {
    ModalRun run = RunChoice([](HWND hDlg) {
        ::SendMessageW(::GetDlgItem(hDlg, IDC_NAME_TO_TAG_TITLE_FIRST), BM_CLICK, 0, 0);
        ::SendMessageW(::GetDlgItem(hDlg, IDC_NAME_TO_TAG_ARTIST_FIRST), BM_CLICK, 0, 0);
        EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), ::IsDlgButtonChecked(hDlg, IDC_TAG_TO_NAME));
        EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), ::IsDlgButtonChecked(hDlg, IDC_NAME_TO_TAG_TITLE_FIRST));
        PostKey(hDlg, VK_RETURN);
    });
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(2, run.nChoice);
}

TEST(BatchChoiceDlg, EnterConfirmsTheFirstDirectionEscapeCancels) {
    ModalRun run = RunChoice([](HWND hDlg) { PostKey(hDlg, VK_RETURN); });
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(1, run.nChoice);

    run = RunChoice([](HWND hDlg) {
        ::SendMessageW(::GetDlgItem(hDlg, IDC_NAME_TO_TAG_TITLE_FIRST), BM_CLICK, 0, 0);
        PostKey(hDlg, VK_ESCAPE);
    });
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ(-1, run.nChoice);
}

TEST(BatchChoiceDlg, ExitPictureCancelsTheGroundAroundThePicturesDoesNothing) {
    ModalRun run = RunChoice([](HWND hDlg) {
        ::SendMessageW(::GetDlgItem(hDlg, IDC_NAME_TO_TAG_ARTIST_FIRST), BM_CLICK, 0, 0);
        // The corners of both pictures are their transparent ground.
        ReleaseOnPicture(hDlg, IDOK, 0, 0);
        ReleaseOnPicture(hDlg, IDCANCEL, 0, 0);
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        ReleaseOnPicture(hDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ(-1, run.nChoice);
}

TEST(BatchChoiceDlg, HandCursorOverThePictures) {
    CBatchId3Dlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_BATCH_ID3));
    dlg.ShowWindow(SW_SHOW);
    HCURSOR hHand = ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_CURSOR));
    ASSERT_NE(nullptr, hHand);
    for (int nID : {IDOK, IDCANCEL}) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        POINT pt = PicturePoint(dlg, nID);
        dlg.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        EXPECT_EQ(hHand, ::GetCursor()) << nID;
    }
    dlg.DestroyWindow();
}

// ---- Convert through the main window

namespace {

// The main window with its run flag reachable.
class CBatchTestDlg : public CImportDlg {
public:
    using CImportDlg::m_bRunning;
    bool Open() { return Create(IDD_IMPORT_DIALOG); }
};

// The files (not folders) a folder holds.
int FileCount(const CTempFolder& folder) {
    int n = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((folder.Root() + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    return n;
}

const string kAudio = string("\xFF\xFB\x90\x00", 4) + string(500, '\x55');

string Record(const string& title, const string& artist, const string& album = "",
              const string& year = "", char genre = 0) {
    auto field = [](string s, size_t width) {
        s.resize(width, '\0');
        return s;
    };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
           field("", 30) + string(1, genre);
}

class BatchConvert : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dlg.Open()); }

    // Puts the file into the folder and its entry into the MP3 list.
    void AddSong(const string& name, const string& bytes) {
        m_folder.Write(name, bytes);
        m_dlg.AddFile(m_folder.Path(name));
    }
    std::vector<string> Names() const {
        return ListTexts(m_dlg.m_mp3List);
    }
    std::vector<string> Paths() const {
        std::vector<string> paths;
        for (int i = 0; i < m_dlg.m_mp3List.GetCount(); ++i) paths.push_back(FileEntryPath(m_dlg.m_mp3List, i));
        return paths;
    }
    std::vector<string> PathsOf(const std::vector<string>& names) const {
        std::vector<string> paths;
        for (const string& name : names) paths.push_back(m_folder.Path(name));
        return paths;
    }
    // Convert with the closing message caught; the messages shown.
    std::vector<wstring> Convert(int nChoice) {
        MessageBoxCatcher catcher;
        m_dlg.Convert(nChoice);
        std::vector<wstring> texts;
        for (const auto& box : catcher.boxes) texts.push_back(box.text);
        return texts;
    }
    // The main window's batch command, choosing as a user does: the radio
    // button, then the OK picture (nChoice 0: the exit picture).
    std::vector<wstring> Command(int nChoice) {
        MessageBoxCatcher catcher;
        bool bChosen = false;
        TimedSteps steps({[&] {
            HWND hChoice = FindShownDialog(G("批量改id3信息对话框"));
            if (!hChoice) return false;
            EXPECT_EQ(m_dlg.m_hWnd, ::GetWindow(hChoice, GW_OWNER));
            if (nChoice > 0) ::SendMessageW(::GetDlgItem(hChoice, kRadios[nChoice - 1]), BM_CLICK, 0, 0);
            ReleaseOnPicture(hChoice, nChoice > 0 ? IDOK : IDCANCEL);
            bChosen = true;
            return true;
        }});
        m_dlg.SendMessage(WM_COMMAND, ID_BATCH_ID3, 0);
        EXPECT_TRUE(bChosen);
        std::vector<wstring> texts;
        for (const auto& box : catcher.boxes) texts.push_back(box.text);
        return texts;
    }

    CTempFolder m_folder{L"vm-batch-"};
    CBatchTestDlg m_dlg;
};

const wstring kDone = WG("完成了!!\n---Quillan");

}  // namespace

TEST_F(BatchConvert, TagToNameRenamesTheFilesAndTheirEntries) {
    AddSong("a.mp3", kAudio + Record("Song", "Singer"));
    AddSong("b.mp3", kAudio + Record(G("歌名"), G("歌手"), "Album"));
    AddSong("Singer2 - Song2.mp3", kAudio + Record("  Song2 ", "Singer2"));  // already its name
    m_dlg.m_mp3List.SetCurSel(1);

    EXPECT_EQ(std::vector<wstring>{kDone}, Command(1));

    const std::vector<string> names = {"Singer - Song.mp3", G("歌手 - 歌名.mp3"), "Singer2 - Song2.mp3"};
    EXPECT_EQ(names, Names());
    EXPECT_EQ(PathsOf(names), Paths());
    EXPECT_EQ(1, m_dlg.m_mp3List.GetCurSel());
    EXPECT_EQ(kAudio + Record("Song", "Singer"), m_folder.Read("Singer - Song.mp3"));
    EXPECT_EQ(kAudio + Record(G("歌名"), G("歌手"), "Album"), m_folder.Read(G("歌手 - 歌名.mp3")));
    EXPECT_FALSE(m_folder.Exists("a.mp3"));
    EXPECT_FALSE(m_folder.Exists("b.mp3"));
    EXPECT_EQ(3, FileCount(m_folder));
    EXPECT_EQ(G("一共有文件:3"), m_dlg.GetDlgItemText(IDC_MP3_COUNT));
}

TEST_F(BatchConvert, TagToNameChangesTheLetterCaseAlone) {
    AddSong("singer - song.mp3", kAudio + Record("Song", "Singer"));
    EXPECT_EQ(std::vector<wstring>{kDone}, Convert(BATCH_TAG_TO_NAME));
    EXPECT_EQ(std::vector<string>{"Singer - Song.mp3"}, Names());
    EXPECT_EQ(PathsOf({"Singer - Song.mp3"}), Paths());
    // The entry's path names the one file, whatever case the folder keeps
    // (Windows renames it; Wine keeps the old case).
    EXPECT_EQ(1, FileCount(m_folder));
    EXPECT_EQ(kAudio + Record("Song", "Singer"), m_folder.Read("Singer - Song.mp3"));
}

TEST_F(BatchConvert, TagToNameLeavesWhatCannotBeRenamedAndSaysWhy) {
    AddSong("none.mp3", kAudio);                                    // no record
    AddSong("first.mp3", kAudio + Record("Song", "Singer"));
    AddSong("second.mp3", kAudio + Record("Song", "Singer"));       // same name as the first
    AddSong("slash.mp3", kAudio + Record("Back?", "AC/DC"));        // refused characters
    AddSong("blank.mp3", kAudio + Record(" ", "", "Album"));        // nothing to name it by
    AddSong("other.mp3", kAudio + Record("y", "x"));                // name of a file not listed
    m_folder.Write("x - y.mp3", "another file");
    m_dlg.AddFile(m_folder.Path("gone.mp3"));                        // entry without its file
    m_dlg.m_mp3List.AddString("bare.mp3");                          // entry without a path: skipped

    std::vector<wstring> texts = Command(1);
    ASSERT_EQ(1u, texts.size());
    const string text = Gbk(texts[0]);
    EXPECT_EQ(0u, text.find(G("完成了!!\n有6个文件未能转换:\n"))) << Utf16ToUtf8(std::u16string(texts[0].begin(), texts[0].end()));
    EXPECT_NE(string::npos, text.find(G("none.mp3: 没有id3信息\n")));
    EXPECT_NE(string::npos, text.find(G("second.mp3: \"Singer - Song.mp3\"已有同名的文件\n")));
    EXPECT_NE(string::npos, text.find(G("slash.mp3: \"AC/DC - Back?.mp3\"含有文件名不能用的字符\n")));
    EXPECT_NE(string::npos, text.find(G("blank.mp3: id3的标题和艺术家都是空的\n")));
    EXPECT_NE(string::npos, text.find(G("other.mp3: \"x - y.mp3\"已有同名的文件\n")));
    EXPECT_NE(string::npos, text.find(G("gone.mp3: 文件无法打开\n")));
    EXPECT_EQ(text.size() - 10, text.rfind("---Quillan"));

    // Each entry names the file that really lies at its path; no file was
    // overwritten or lost.
    EXPECT_EQ(string::npos, text.find("bare.mp3"));
    const std::vector<string> names = {"none.mp3",  "Singer - Song.mp3", "second.mp3", "slash.mp3",
                                       "blank.mp3", "other.mp3",         "gone.mp3"};
    std::vector<string> listed = Names();
    ASSERT_EQ(names.size() + 1, listed.size());
    EXPECT_EQ("bare.mp3", listed.back());
    listed.pop_back();
    EXPECT_EQ(names, listed);
    std::vector<string> paths = Paths();
    EXPECT_EQ("", paths.back());
    paths.pop_back();
    EXPECT_EQ(PathsOf(names), paths);
    EXPECT_EQ(kAudio, m_folder.Read("none.mp3"));
    EXPECT_EQ(kAudio + Record("Song", "Singer"), m_folder.Read("Singer - Song.mp3"));
    EXPECT_EQ(kAudio + Record("Song", "Singer"), m_folder.Read("second.mp3"));
    EXPECT_EQ(kAudio + Record("y", "x"), m_folder.Read("other.mp3"));
    EXPECT_EQ("another file", m_folder.Read("x - y.mp3"));
    EXPECT_EQ(7, FileCount(m_folder));
}

TEST_F(BatchConvert, NameToTagArtistFirstAndTitleFirst) {
    AddSong("Singer - Song.mp3", kAudio + Record("Old", "Someone", "Album", "2004", 17));
    AddSong("Singer-Song.mp3", kAudio);
    AddSong("A - B - C.mp3", kAudio);
    AddSong(G("歌手-歌名.mp3"), kAudio);

    EXPECT_EQ(std::vector<wstring>{kDone}, Command(2));
    // Title and artist replaced, album, year and genre kept; a file without a
    // record gets a whole one.
    EXPECT_EQ(kAudio + Record("Song", "Singer", "Album", "2004", 17), m_folder.Read("Singer - Song.mp3"));
    EXPECT_EQ(kAudio + Record("Song", "Singer"), m_folder.Read("Singer-Song.mp3"));
    EXPECT_EQ(kAudio + Record("B - C", "A"), m_folder.Read("A - B - C.mp3"));
    EXPECT_EQ(kAudio + Record(G("歌名"), G("歌手")), m_folder.Read(G("歌手-歌名.mp3")));

    EXPECT_EQ(std::vector<wstring>{kDone}, Command(3));
    EXPECT_EQ(kAudio + Record("Singer", "Song", "Album", "2004", 17), m_folder.Read("Singer - Song.mp3"));
    EXPECT_EQ(kAudio + Record("A", "B - C"), m_folder.Read("A - B - C.mp3"));

    // The entries stay as they were.
    const std::vector<string> names = {"Singer - Song.mp3", "Singer-Song.mp3", "A - B - C.mp3", G("歌手-歌名.mp3")};
    EXPECT_EQ(names, Names());
    EXPECT_EQ(PathsOf(names), Paths());
}

TEST_F(BatchConvert, NameToTagReportsAFileThatCannotBeWritten) {
    AddSong("Singer - Song.mp3", kAudio);
    m_dlg.AddFile(m_folder.Path("gone - away.mp3"));
    std::vector<wstring> texts = Convert(BATCH_TITLE_FIRST);
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ(Wide(G("完成了!!\n有1个文件未能转换:\ngone - away.mp3: ") + WriteStatusText(WriteStatus::CannotOpen) +
                   "\n---Quillan"),
              texts[0]);
    EXPECT_FALSE(m_folder.Exists("gone - away.mp3"));
    EXPECT_EQ(kAudio + Record("Singer", "Song"), m_folder.Read("Singer - Song.mp3"));
}

TEST_F(BatchConvert, EmptyListShowsOnlyTheClosingMessage) {
    EXPECT_EQ(std::vector<wstring>{kDone}, Convert(BATCH_TAG_TO_NAME));
    EXPECT_EQ(std::vector<wstring>{kDone}, Command(2));
    EXPECT_EQ(0, m_dlg.m_mp3List.GetCount());
}

TEST_F(BatchConvert, CancelledChoiceChangesNothing) {
    AddSong("a.mp3", kAudio + Record("Song", "Singer"));
    EXPECT_TRUE(Command(0).empty());
    EXPECT_EQ(std::vector<string>{"a.mp3"}, Names());
    EXPECT_EQ(kAudio + Record("Song", "Singer"), m_folder.Read("a.mp3"));
}

TEST_F(BatchConvert, ManyFailuresAreCountedAndTheListCut) {
    for (int i = 0; i < 12; ++i) AddSong("n" + std::to_string(i) + ".mp3", kAudio);
    std::vector<wstring> texts = Convert(BATCH_TAG_TO_NAME);
    ASSERT_EQ(1u, texts.size());
    const string text = Gbk(texts[0]);
    EXPECT_EQ(0u, text.find(G("完成了!!\n有12个文件未能转换:\nn0.mp3: ")));
    EXPECT_NE(string::npos, text.find("n9.mp3"));
    EXPECT_EQ(string::npos, text.find("n10.mp3"));
    EXPECT_NE(string::npos, text.find(G("……\n---Quillan")));
}

TEST_F(BatchConvert, RefusedWhileAnImportRunIsGoingOn) {
    AddSong("a.mp3", kAudio + Record("Song", "Singer"));
    AddSong("Singer - Song2.mp3", kAudio + Record("Song2", "Singer"));
    m_dlg.m_bRunning = true;
    {
        MessageBoxCatcher catcher;
        m_dlg.Convert(BATCH_TAG_TO_NAME);
        m_dlg.Convert(BATCH_ARTIST_FIRST);
        // The command refuses before the choice dialog opens.
        m_dlg.SendMessage(WM_COMMAND, ID_BATCH_ID3, 0);
        ASSERT_EQ(3u, catcher.boxes.size());
        for (const auto& box : catcher.boxes) EXPECT_EQ(Wide(kImportRunningMessage), box.text);
    }
    m_dlg.m_bRunning = false;
    EXPECT_EQ((std::vector<string>{"a.mp3", "Singer - Song2.mp3"}), Names());
    EXPECT_EQ(kAudio + Record("Song", "Singer"), m_folder.Read("a.mp3"));
    EXPECT_EQ(kAudio + Record("Song2", "Singer"), m_folder.Read("Singer - Song2.mp3"));

    // After the run it works.
    EXPECT_EQ(std::vector<wstring>{kDone}, Convert(BATCH_TAG_TO_NAME));
    EXPECT_EQ((std::vector<string>{"Singer - Song.mp3", "Singer - Song2.mp3"}), Names());
}

// The main window's double-click on an MP3 entry, through the real
// information dialog: the file renamed and its record written as confirmed,
// cancel, the refusal during a run, a failed rename, long Chinese texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "import/file_list_dlg.h"
#include "import/import_dlg.h"
#include "resource.h"
#include "tags/id3v1.h"
#include "tags/lyrics3.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

class CInfoImportDlg : public CImportDlg {
public:
    using CImportDlg::m_bRunning;
    bool Open() { return Create(IDD_IMPORT_DIALOG); }
    void DoubleClickMp3(int nIndex) {
        m_mp3List.SetCurSel(nIndex);
        SendMessage(WM_COMMAND, MAKEWPARAM(IDC_MP3_LIST, LBN_DBLCLK),
                    reinterpret_cast<LPARAM>(m_mp3List.m_hWnd));
    }
};

const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(500, '\x33');
// The Lyrics3 tag of one line "[00:01]la" and a record: title, artist, album, year.
const std::string kLyricsTag = "LYRICSBEGININD0000211LYR00011[00:01]la\r\n000040LYRICS200";

std::string Record(const std::string& title, const std::string& artist, const std::string& album,
                   const std::string& year) {
    Id3v1Fields fields;
    fields.SetField(0, 30, title);
    fields.SetField(30, 30, artist);
    fields.SetField(60, 30, album);
    fields.SetField(90, 4, year);
    return "TAG" + std::string(fields.body, sizeof fields.body);
}

struct Fields {
    bool bRecord = false;
    std::string title, artist, album, year, lyric;
};

// What the tag readers find in a file.
Fields ReadBack(const CTempFolder& folder, const std::string& strName) {
    Fields fields;
    FILE* f = _wfopen(Wide(folder.Path(strName)).c_str(), L"rb");
    if (!f) return fields;
    fields.bRecord = ReadId3v1Fields(f, fields.title, fields.artist, fields.album, fields.year);
    if (fields.bRecord) ReadLyrics3Text(f, fields.lyric);
    fclose(f);
    return fields;
}

std::string DlgText(HWND hDlg, int nID) { return Gbk(WindowTextW(::GetDlgItem(hDlg, nID))); }
void SetDlgText(HWND hDlg, int nID, const std::string& strText) {
    ::SetDlgItemTextW(hDlg, nID, Wide(strText).c_str());
}

// What the user does in the dialog once it is open; what it showed.
struct CInfoSession {
    std::function<void(HWND)> edit;  // after the first press; null: cancel at once
    std::string strShownName, strShownTitle, strShownLyric;
    bool bOpened = false;
};

class MainWindowInfo : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dlg.Open());
        m_songs.Write("a.mp3", kAudio + kLyricsTag + Record("Old", "Who", "Album", "1999"));
        AddMp3("a.mp3");
    }
    void AddMp3(const std::string& strName) {
        m_dlg.m_nAddMode = ADD_MODE_DROPPED;
        m_dlg.AddFile(m_songs.Path(strName));
    }
    // Double-clicks entry nIndex and plays the session in the dialog.
    void Edit(int nIndex, CInfoSession& session) {
        HWND hInfo = nullptr;
        TimedSteps steps({
            [&] { return (hInfo = FindShownDialog(G("音乐文件信息"), m_dlg.m_hWnd)) != nullptr; },
            [&] {
                session.bOpened = true;
                session.strShownName = DlgText(hInfo, IDC_FILE_NAME);
                session.strShownTitle = DlgText(hInfo, IDC_TITLE);
                session.strShownLyric = DlgText(hInfo, IDC_LYRICS_TEXT);
                if (!session.edit) {
                    ReleaseOnPicture(hInfo, IDCANCEL);
                    return true;
                }
                ReleaseOnPicture(hInfo, IDOK);  // 修改
                session.edit(hInfo);
                ReleaseOnPicture(hInfo, IDOK);  // 确定
                return true;
            },
        });
        m_dlg.DoubleClickMp3(nIndex);
    }
    std::vector<std::string> Names() const {
        return ListTexts(m_dlg.m_mp3List);
    }
    CTempFolder m_songs{L"vm-main-info-"};
    CInfoImportDlg m_dlg;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(MainWindowInfo, ConfirmedFieldsRenameTheFileAndFillItsRecord) {
    CInfoSession session;
    session.edit = [](HWND hInfo) {
        SetDlgText(hInfo, IDC_FILE_NAME, "Singer - Song.mp3");
        SetDlgText(hInfo, IDC_TITLE, "Song");
        SetDlgText(hInfo, IDC_ARTIST, "Singer");
        SetDlgText(hInfo, IDC_ALBUM, "Best of");
        SetDlgText(hInfo, IDC_YEAR, "2004");
    };
    Edit(0, session);
    ASSERT_TRUE(session.bOpened);
    EXPECT_EQ("a.mp3", session.strShownName);
    EXPECT_EQ("Old", session.strShownTitle);
    EXPECT_EQ("[00:01]la\r\n", session.strShownLyric);

    EXPECT_EQ(Strings{"Singer - Song.mp3"}, Names());
    EXPECT_EQ(m_songs.Path("Singer - Song.mp3"), FileEntryPath(m_dlg.m_mp3List, 0));
    EXPECT_FALSE(m_songs.Exists("a.mp3"));
    Fields fields = ReadBack(m_songs, "Singer - Song.mp3");
    ASSERT_TRUE(fields.bRecord);
    EXPECT_EQ("Song", fields.title);
    EXPECT_EQ("Singer", fields.artist);
    EXPECT_EQ("Best of", fields.album);
    EXPECT_EQ("2004", fields.year);
    EXPECT_EQ("[00:01]la\r\n", fields.lyric);  // the lyric stays before the record
    std::string bytes = m_songs.Read("Singer - Song.mp3");
    EXPECT_EQ(kAudio + kLyricsTag, bytes.substr(0, bytes.size() - 128));
}

TEST_F(MainWindowInfo, ConfirmingUnchangedFieldsRewritesTheRecordOnly) {
    m_songs.Write("a.mp3", kAudio + Record("Old", "Who", "", "") );
    CInfoSession session;
    session.edit = [](HWND) {};
    Edit(0, session);
    EXPECT_EQ(Strings{"a.mp3"}, Names());
    EXPECT_EQ(kAudio + Record("Old", "Who", "", ""), m_songs.Read("a.mp3"));
}

TEST_F(MainWindowInfo, TheRecordKeepsTheCommentAndGenreTheDialogDoesNotShow) {
    std::string record = Record("Old", "Who", "Album", "1999");
    const std::string comment = "ripped 2003";
    record.replace(3 + 94, comment.size(), comment);
    record[127] = 17;  // genre
    m_songs.Write("a.mp3", kAudio + record);
    CInfoSession session;
    session.edit = [](HWND hInfo) { SetDlgText(hInfo, IDC_TITLE, "New"); };
    Edit(0, session);
    std::string expected = record;
    expected.replace(3, 30, std::string("New") + std::string(27, '\0'));
    EXPECT_EQ(kAudio + expected, m_songs.Read("a.mp3"));
}

TEST_F(MainWindowInfo, CancelChangesNothing) {
    const std::string before = m_songs.Read("a.mp3");
    CInfoSession session;
    Edit(0, session);
    ASSERT_TRUE(session.bOpened);
    EXPECT_EQ(Strings{"a.mp3"}, Names());
    EXPECT_EQ(before, m_songs.Read("a.mp3"));
}

TEST_F(MainWindowInfo, FileWithoutRecordGetsOneAppended) {
    m_songs.Write("b.mp3", kAudio);
    AddMp3("b.mp3");
    CInfoSession session;
    session.edit = [](HWND hInfo) { SetDlgText(hInfo, IDC_TITLE, "New"); };
    Edit(1, session);
    EXPECT_EQ("", session.strShownTitle);
    EXPECT_EQ(kAudio + Record("New", "", "", ""), m_songs.Read("b.mp3"));
}

TEST_F(MainWindowInfo, LongChineseTextsAreWrittenWholeCharactersOnly) {
    CInfoSession session;
    // 21 characters: 42 bytes; with the "x" in front the cut at 30 bytes
    // would fall inside a character.
    const std::string title = "x" + G("这是一个非常非常长的歌曲标题超过三十个字节");
    const std::string name = G("周杰 - 很长很长很长很长很长很长很长很长很长的歌名.mp3");
    session.edit = [&](HWND hInfo) {
        SetDlgText(hInfo, IDC_FILE_NAME, name);
        SetDlgText(hInfo, IDC_TITLE, title);
        SetDlgText(hInfo, IDC_ARTIST, G("歌手"));
        SetDlgText(hInfo, IDC_YEAR, G("二零"));  // 4 bytes exactly
    };
    Edit(0, session);
    EXPECT_EQ(Strings{name}, Names());
    Fields fields = ReadBack(m_songs, name);
    ASSERT_TRUE(fields.bRecord);
    // 29 bytes are stored: "x" and 14 characters; nothing half.
    EXPECT_EQ("x" + G("这是一个非常非常长的歌曲标题"), fields.title);
    EXPECT_EQ(G("歌手"), fields.artist);
    EXPECT_EQ(G("二零"), fields.year);
    std::string bytes = m_songs.Read(name);
    std::string record = bytes.substr(bytes.size() - 128);
    EXPECT_EQ(title.substr(0, 29) + std::string(1, '\0'), record.substr(3, 30));
}

TEST_F(MainWindowInfo, RefusedWhileARunIsGoingOn) {
    const std::string before = m_songs.Read("a.mp3");
    m_dlg.m_bRunning = true;
    CInfoSession session;
    session.edit = [](HWND hInfo) { SetDlgText(hInfo, IDC_FILE_NAME, "b.mp3"); };
    {
        MessageBoxCatcher catcher;
        // A dialog that opened anyway is cancelled, so that the test ends.
        TimedSteps guard({[&] {
            if (HWND h = FindShownDialog(G("音乐文件信息"), m_dlg.m_hWnd)) {
                session.bOpened = true;
                ::PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
            }
            return false;
        }});
        m_dlg.DoubleClickMp3(0);
        ASSERT_EQ(1u, catcher.boxes.size());
        EXPECT_EQ(std::string(kImportRunningMessage), Gbk(catcher.boxes[0].text));
    }
    m_dlg.m_bRunning = false;
    EXPECT_FALSE(session.bOpened);
    EXPECT_EQ(Strings{"a.mp3"}, Names());
    EXPECT_EQ(before, m_songs.Read("a.mp3"));
}

TEST_F(MainWindowInfo, TakenNameKeepsEntryFileAndOtherFileInStep) {
    const std::string other = kAudio + Record("Other", "", "", "");
    m_songs.Write("b.mp3", other);
    CInfoSession session;
    session.edit = [](HWND hInfo) {
        SetDlgText(hInfo, IDC_FILE_NAME, "b.mp3");
        SetDlgText(hInfo, IDC_TITLE, "New");
    };
    MessageBoxCatcher catcher;
    Edit(0, session);
    PumpUntil([&] { return !catcher.boxes.empty(); }, 2000);
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ(0u, Gbk(catcher.boxes[0].text).find(G("改名失败")));
    // The entry still names the file it was, which got the record; the
    // other file is untouched.
    EXPECT_EQ(Strings{"a.mp3"}, Names());
    EXPECT_EQ(m_songs.Path("a.mp3"), FileEntryPath(m_dlg.m_mp3List, 0));
    EXPECT_EQ("New", ReadBack(m_songs, "a.mp3").title);
    EXPECT_EQ("[00:01]la\r\n", ReadBack(m_songs, "a.mp3").lyric);
    EXPECT_EQ(other, m_songs.Read("b.mp3"));
}

TEST_F(MainWindowInfo, NameWithAPathSeparatorOrForbiddenCharacterIsRefused) {
    for (const char* pszName : {"sub\\b.mp3", "../b.mp3", "b?.mp3", "b*.mp3", "b|c.mp3", "<b>.mp3"}) {
        CInfoSession session;
        session.edit = [&](HWND hInfo) { SetDlgText(hInfo, IDC_FILE_NAME, pszName); };
        MessageBoxCatcher catcher;
        Edit(0, session);
        PumpUntil([&] { return !catcher.boxes.empty(); }, 2000);
        ASSERT_EQ(1u, catcher.boxes.size()) << pszName;
        std::string text = Gbk(catcher.boxes[0].text);
        EXPECT_EQ(0u, text.find(G("改名失败"))) << pszName;
        // Said before any move is tried, on every system.
        EXPECT_NE(std::string::npos, text.find(G("文件名不能含有"))) << pszName;
        EXPECT_EQ(Strings{"a.mp3"}, Names()) << pszName;
        EXPECT_TRUE(m_songs.Exists("a.mp3")) << pszName;
    }
}

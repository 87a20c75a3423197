// The music file information dialog on its real template and real MP3 files:
// what it shows, the modify / confirm press through its pictures, the
// suggestions, cancelling, and long Chinese texts.
#include "editor/music_info_dlg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lyrics/lrc.h"
#include "resource.h"
#include "tags/id3v1.h"
#include "tags/lyrics3.h"
#include "ui/controls.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

// The middle of a 77-pixel picture is its star; its corner is the ground.
const int kMiddle = 38;

class CTestMusicInfoDlg : public CMusicInfoDlg {
public:
    ~CTestMusicInfoDlg() override {
        if (m_hWnd) DestroyWindow();
    }
    // Modeless and shown, so that its controls' visibility reads as on screen.
    bool Open() { return Create(IDD_MUSIC_INFO) && (ShowWindow(SW_SHOWNA), true); }

    CSkinButtons& Skin() { return m_skin; }
    std::string Text(int nID) const { return GetDlgItemText(nID); }
    bool ReadOnly(int nID) const { return (CWnd(::GetDlgItem(m_hWnd, nID)).GetStyle() & ES_READONLY) != 0; }
    bool Visible(int nID) const { return ::IsWindowVisible(::GetDlgItem(m_hWnd, nID)) != FALSE; }
    std::vector<std::string> Entries(int nID) const { return ComboTexts(CComboBox(::GetDlgItem(m_hWnd, nID))); }
    int Selection(int nID) const { return CComboBox(::GetDlgItem(m_hWnd, nID)).GetCurSel(); }
    // The user picks entry nIndex of a suggestion box.
    void Choose(int nID, int nIndex) {
        HWND hBox = ::GetDlgItem(m_hWnd, nID);
        CComboBox(hBox).SetCurSel(nIndex);
        SendMessage(WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hBox));
    }
    void Type(int nID, const std::string& strText) { SetDlgItemText(nID, strText); }

    POINT PictureAt(int nPlaceholder) const { return PicturePoint(m_hWnd, nPlaceholder); }
    void Click(int nPlaceholder, int dx = kMiddle, int dy = kMiddle) {
        ReleaseOnPicture(m_hWnd, nPlaceholder, dx, dy);
    }
    bool ModifyDrawn() { return Skin().IsDrawn(1); }
    bool ConfirmDrawn() { return Skin().IsDrawn(0); }
};

const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(600, '\x55');

struct Tag {
    std::string title, artist, album, year;
};

// An MP3 file with a Lyrics3 tag of the lines and an ID3v1 record of the
// tag, made by the tag writers.
void WriteMp3WithTags(const CTempFolder& folder, const std::string& strName, const Tag& tag,
                      const std::vector<std::pair<int, std::string>>& lines) {
    CLyricLineArray array;
    for (const auto& line : lines) {
        auto p = std::make_unique<LyricLine>();
        p->time = line.first;
        p->text = line.second;
        ASSERT_TRUE(array.Insert(std::move(p)));
    }
    std::vector<uint8_t> buffer(kAudio.begin(), kAudio.end());
    buffer.resize(kAudio.size() + Lyrics3TailReserve(array) + 256);
    size_t nLength = kAudio.size();
    ASSERT_TRUE(WriteLyrics3Tail(buffer.data(), buffer.size(), nLength, strName, array));
    folder.Write(strName, std::string(buffer.begin(), buffer.begin() + nLength));
    Id3v1Fields fields;
    fields.SetField(0, 30, tag.title);
    fields.SetField(30, 30, tag.artist);
    fields.SetField(60, 30, tag.album);
    fields.SetField(90, 4, tag.year);
    ASSERT_TRUE(WriteId3v1(fields, folder.Path(strName), false).ok());
}

class MusicInfoDlg : public ::testing::Test {
protected:
    // Opens the dialog modeless on a file of the folder.
    void OpenOn(const std::string& strName) {
        m_dlg.m_strPath = m_folder.Path(strName);
        m_dlg.m_strListName = strName;
        ASSERT_TRUE(m_dlg.Open());
    }
    void Mp3WithTags(const std::string& strName, const Tag& tag,
                     const std::vector<std::pair<int, std::string>>& lines) {
        WriteMp3WithTags(m_folder, strName, tag, lines);
    }
    // Runs a fresh dialog modally on a file of the folder; session acts in
    // it once it shows.
    INT_PTR RunModal(CMusicInfoDlg& dlg, const std::string& strName,
                     const std::function<void(HWND)>& session) {
        dlg.m_strPath = m_folder.Path(strName);
        dlg.m_strListName = strName;
        HWND hDlg = nullptr;
        TimedSteps steps({
            [&] { return (hDlg = FindShownDialog(G("音乐文件信息"))) != nullptr; },
            [&] {
                session(hDlg);
                return true;
            },
        });
        return dlg.DoModal();
    }
    CTempFolder m_folder{L"vm-info-"};
    CTestMusicInfoDlg m_dlg;
};

using Strings = std::vector<std::string>;

}  // namespace

// ---- Opening

TEST_F(MusicInfoDlg, OpensForViewingWithTheRecordAndTheLyric) {
    Mp3WithTags("song.mp3", {"Song", "Singer", "Album", "1999"},
                         {{62050, "Hi"}, {1000, G("第一行")}});
    OpenOn("song.mp3");

    EXPECT_EQ(G("音乐文件信息"), m_dlg.GetWindowText());
    EXPECT_EQ("song.mp3", m_dlg.Text(IDC_FILE_NAME));
    EXPECT_EQ("Song", m_dlg.Text(IDC_TITLE));
    EXPECT_EQ("Singer", m_dlg.Text(IDC_ARTIST));
    EXPECT_EQ("Album", m_dlg.Text(IDC_ALBUM));
    EXPECT_EQ("1999", m_dlg.Text(IDC_YEAR));
    EXPECT_EQ("[00:01]" + G("第一行") + "\r\n[01:02]Hi\r\n", m_dlg.Text(IDC_LYRICS_TEXT));

    for (int nID : {IDC_FILE_NAME, IDC_TITLE, IDC_ARTIST, IDC_ALBUM, IDC_YEAR, IDC_LYRICS_TEXT})
        EXPECT_TRUE(m_dlg.ReadOnly(nID)) << nID;
    for (int nID : {IDC_FILE_NAME_CHOICES, IDC_TITLE_CHOICES, IDC_ARTIST_CHOICES})
        EXPECT_FALSE(m_dlg.Visible(nID)) << nID;
    EXPECT_EQ(Strings{G("<<标题和艺术家组成>>")}, m_dlg.Entries(IDC_FILE_NAME_CHOICES));
    EXPECT_EQ(Strings{G("<<取文件名一部分>>")}, m_dlg.Entries(IDC_TITLE_CHOICES));
    EXPECT_EQ(Strings{G("<<取文件名一部分>>")}, m_dlg.Entries(IDC_ARTIST_CHOICES));
    EXPECT_FALSE(m_dlg.m_bApply);
    EXPECT_FALSE(m_dlg.m_bEditing);
    EXPECT_TRUE(m_dlg.ModifyDrawn());
    EXPECT_FALSE(m_dlg.ConfirmDrawn());
    // Reading left the file as it was.
    EXPECT_EQ(kAudio, m_folder.Read("song.mp3").substr(0, kAudio.size()));
}

TEST_F(MusicInfoDlg, FileWithoutRecordShowsOnlyItsName) {
    // A Lyrics3 tag without the record after it is no tag the dialog reads.
    m_folder.Write("bare.mp3", kAudio + "LYRICSBEGININD0000211LYR00008[00:01]x000037LYRICS200");
    OpenOn("bare.mp3");
    EXPECT_EQ("bare.mp3", m_dlg.Text(IDC_FILE_NAME));
    for (int nID : {IDC_TITLE, IDC_ARTIST, IDC_ALBUM, IDC_YEAR, IDC_LYRICS_TEXT})
        EXPECT_EQ("", m_dlg.Text(nID)) << nID;
}

TEST_F(MusicInfoDlg, RecordWithoutLyrics3TagShowsNoLyric) {
    m_folder.Write("plain.mp3", kAudio);
    Id3v1Fields fields;
    fields.SetField(0, 30, "T");
    ASSERT_TRUE(WriteId3v1(fields, m_folder.Path("plain.mp3"), false).ok());
    OpenOn("plain.mp3");
    EXPECT_EQ("T", m_dlg.Text(IDC_TITLE));
    EXPECT_EQ("", m_dlg.Text(IDC_LYRICS_TEXT));
}

TEST_F(MusicInfoDlg, FileThatCannotBeOpenedShowsNothingAndStillWorks) {
    OpenOn("missing.mp3");
    for (int nID : {IDC_FILE_NAME, IDC_TITLE, IDC_ARTIST, IDC_ALBUM, IDC_YEAR, IDC_LYRICS_TEXT})
        EXPECT_EQ("", m_dlg.Text(nID)) << nID;
    m_dlg.Click(IDOK);
    EXPECT_TRUE(m_dlg.m_bEditing);
    EXPECT_FALSE(m_dlg.Visible(IDC_FILE_NAME_CHOICES));
    EXPECT_EQ(Strings{G("<<取文件名一部分>>")}, m_dlg.Entries(IDC_TITLE_CHOICES));
    m_dlg.Type(IDC_TITLE, "New");
    m_dlg.Click(IDOK);
    EXPECT_TRUE(m_dlg.m_bApply);
    EXPECT_EQ("", m_dlg.m_strFileName);  // no rename follows
    EXPECT_EQ("New", m_dlg.m_strTitle);
    EXPECT_EQ("<missing>", m_folder.Read("missing.mp3"));
}

TEST_F(MusicInfoDlg, ReadingClearsTheReadOnlyAttributeOnly) {
    Mp3WithTags("ro.mp3", {"T", "A", "", ""}, {});
    std::wstring path = Wide(m_folder.Path("ro.mp3"));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    OpenOn("ro.mp3");
    EXPECT_EQ("T", m_dlg.Text(IDC_TITLE));
    DWORD dwAttributes = GetFileAttributesW(path.c_str());
    EXPECT_FALSE(dwAttributes & FILE_ATTRIBUTE_READONLY);
}

// ---- The first press

TEST_F(MusicInfoDlg, FirstPressOnThePictureMakesTheFieldsWritableAndOffersSuggestions) {
    Mp3WithTags("Singer - Song.mp3", {"Song", "Singer", "", ""}, {{0, "la"}});
    OpenOn("Singer - Song.mp3");

    m_dlg.Click(IDOK, 1, 1);  // the ground of the picture: nothing
    EXPECT_FALSE(m_dlg.m_bEditing);
    m_dlg.Click(IDOK);
    EXPECT_TRUE(m_dlg.m_bEditing);
    EXPECT_FALSE(m_dlg.m_bApply);

    for (int nID : {IDC_FILE_NAME, IDC_TITLE, IDC_ARTIST, IDC_ALBUM, IDC_YEAR})
        EXPECT_FALSE(m_dlg.ReadOnly(nID)) << nID;
    EXPECT_TRUE(m_dlg.ReadOnly(IDC_LYRICS_TEXT));

    EXPECT_EQ((Strings{G("<<标题和艺术家组成>>"), "Singer - Song.mp3", "Song - Singer.mp3",
                       "Singer-Song.mp3", "Song-Singer.mp3"}),
              m_dlg.Entries(IDC_FILE_NAME_CHOICES));
    EXPECT_EQ((Strings{G("<<取文件名一部分>>"), "Singer", "Song"}), m_dlg.Entries(IDC_TITLE_CHOICES));
    EXPECT_EQ((Strings{G("<<取文件名一部分>>"), "Singer", "Song"}), m_dlg.Entries(IDC_ARTIST_CHOICES));
    for (int nID : {IDC_FILE_NAME_CHOICES, IDC_TITLE_CHOICES, IDC_ARTIST_CHOICES}) {
        EXPECT_TRUE(m_dlg.Visible(nID)) << nID;
        EXPECT_EQ(0, m_dlg.Selection(nID)) << nID;
    }
    // The picture at button 1 now reads 确定; its shape is still the one tested.
    EXPECT_FALSE(m_dlg.ModifyDrawn());
    EXPECT_TRUE(m_dlg.ConfirmDrawn());
    EXPECT_EQ(0, m_dlg.Skin().HitTest(m_dlg.PictureAt(IDOK)));
}

TEST_F(MusicInfoDlg, EmptyTagOffersOnlyThePartsOfTheName) {
    m_folder.Write("Singer - Song.mp3", kAudio);
    OpenOn("Singer - Song.mp3");
    m_dlg.Click(IDOK);
    EXPECT_FALSE(m_dlg.Visible(IDC_FILE_NAME_CHOICES));
    EXPECT_EQ(Strings{G("<<标题和艺术家组成>>")}, m_dlg.Entries(IDC_FILE_NAME_CHOICES));
    EXPECT_EQ((Strings{G("<<取文件名一部分>>"), "Singer", "Song"}), m_dlg.Entries(IDC_TITLE_CHOICES));
    EXPECT_EQ((Strings{G("<<取文件名一部分>>"), "Singer", "Song"}), m_dlg.Entries(IDC_ARTIST_CHOICES));
}

TEST_F(MusicInfoDlg, OnlyATitleOrOnlyAnArtistOffersOneName) {
    Mp3WithTags("a.mp3", {"  Song  ", "", "", ""}, {});
    OpenOn("a.mp3");
    m_dlg.Click(IDOK);
    EXPECT_TRUE(m_dlg.Visible(IDC_FILE_NAME_CHOICES));
    EXPECT_EQ(0, m_dlg.Selection(IDC_FILE_NAME_CHOICES));
    EXPECT_EQ((Strings{G("<<标题和艺术家组成>>"), "Song.mp3"}), m_dlg.Entries(IDC_FILE_NAME_CHOICES));
    // The name has no "-": its first part is the name less ".mp3".
    EXPECT_EQ((Strings{G("<<取文件名一部分>>"), "a"}), m_dlg.Entries(IDC_TITLE_CHOICES));

    EXPECT_EQ(Strings{"Singer.mp3"}, CMusicInfoDlg::FileNameSuggestions("Singer", ""));
    EXPECT_TRUE(CMusicInfoDlg::FileNameSuggestions("", "").empty());
}

TEST(MusicInfoNameParts, SplitAtTheFirstDashByCharacters) {
    auto split = [](const std::string& strName) {
        std::string strFirst = "x", strSecond = "x";
        CMusicInfoDlg::SplitFileName(strName, strFirst, strSecond);
        return Strings{strFirst, strSecond};
    };
    EXPECT_EQ((Strings{"Singer", "Song"}), split("Singer - Song.mp3"));
    EXPECT_EQ((Strings{"Song", ""}), split("Song.mp3"));
    // Without blanks the whole text on each side counts.
    EXPECT_EQ((Strings{"ABC", "DEF"}), split("ABC-DEF.mp3"));
    EXPECT_EQ((Strings{"A", "B - C"}), split("A - B - C.MP3"));
    EXPECT_EQ((Strings{"", "Song"}), split("-Song.mp3"));
    EXPECT_EQ((Strings{"", ""}), split(""));
    EXPECT_EQ((Strings{"", ""}), split(".mp3"));
    // A Chinese character right before the "-" stays whole.
    EXPECT_EQ((Strings{G("歌手"), G("歌名")}), split(G("歌手-歌名.mp3")));
    // 0x81 0x2D is no character with a "-" in it: the trail byte is no dash.
    EXPECT_EQ((Strings{"\x81\x2D" "a", "b"}), split("\x81\x2D" "a-b.mp3"));
}

TEST_F(MusicInfoDlg, TrimmedTitleMakesTheNamesButTheFieldKeepsItsBlanks) {
    Mp3WithTags("a.mp3", {"  Song  ", "Singer", "", ""}, {});
    OpenOn("a.mp3");
    m_dlg.Click(IDOK);
    EXPECT_EQ("Singer - Song.mp3", m_dlg.Entries(IDC_FILE_NAME_CHOICES).at(1));
    EXPECT_EQ("  Song  ", m_dlg.Text(IDC_TITLE));
    m_dlg.Click(IDOK);
    EXPECT_TRUE(m_dlg.m_bApply);
    EXPECT_EQ("  Song  ", m_dlg.m_strTitle);
}

// ---- Choosing a suggestion

TEST_F(MusicInfoDlg, ChosenSuggestionFillsItsFieldAndKeepsWhatWasTyped) {
    Mp3WithTags("Singer - Song.mp3", {"Song", "Singer", "", ""}, {});
    OpenOn("Singer - Song.mp3");
    m_dlg.Click(IDOK);

    m_dlg.Type(IDC_ALBUM, G("专辑"));
    m_dlg.Choose(IDC_FILE_NAME_CHOICES, 2);
    EXPECT_EQ("Song - Singer.mp3", m_dlg.Text(IDC_FILE_NAME));
    EXPECT_EQ(G("专辑"), m_dlg.Text(IDC_ALBUM));

    m_dlg.Choose(IDC_TITLE_CHOICES, 1);
    m_dlg.Choose(IDC_ARTIST_CHOICES, 2);
    EXPECT_EQ("Singer", m_dlg.Text(IDC_TITLE));
    EXPECT_EQ("Song", m_dlg.Text(IDC_ARTIST));

    // The hint entry changes nothing.
    m_dlg.Type(IDC_FILE_NAME, "typed.mp3");
    m_dlg.Choose(IDC_FILE_NAME_CHOICES, 0);
    EXPECT_EQ("typed.mp3", m_dlg.Text(IDC_FILE_NAME));

    m_dlg.Click(IDOK);
    EXPECT_TRUE(m_dlg.m_bApply);
    EXPECT_EQ("typed.mp3", m_dlg.m_strFileName);
    EXPECT_EQ("Singer", m_dlg.m_strTitle);
    EXPECT_EQ("Song", m_dlg.m_strArtist);
    EXPECT_EQ(G("专辑"), m_dlg.m_strAlbum);
}

// ---- Modal runs: confirm, Enter, cancel

TEST_F(MusicInfoDlg, ModalRunEndsWithOkOnlyAtTheSecondPress) {
    Mp3WithTags("a.mp3", {"Old", "Who", "", "2000"}, {});
    CMusicInfoDlg dlg;
    bool bOpenAfterFirst = false;
    INT_PTR nResult = RunModal(dlg, "a.mp3", [&](HWND hDlg) {
        ReleaseOnPicture(hDlg, IDOK);
        bOpenAfterFirst = ::IsWindowVisible(hDlg) != FALSE;
        SetDlgItemTextW(hDlg, IDC_FILE_NAME, L"b.mp3");
        SetDlgItemTextW(hDlg, IDC_TITLE, WG("新歌").c_str());
        SetDlgItemTextW(hDlg, IDC_YEAR, L"20011");
        ReleaseOnPicture(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_TRUE(bOpenAfterFirst);
    EXPECT_TRUE(dlg.m_bApply);
    EXPECT_FALSE(dlg.m_bEditing);
    EXPECT_EQ("b.mp3", dlg.m_strFileName);
    EXPECT_EQ(G("新歌"), dlg.m_strTitle);
    EXPECT_EQ("Who", dlg.m_strArtist);
    EXPECT_EQ("20011", dlg.m_strYear);  // cut when written, not here
    // The dialog writes nothing itself.
    FILE* f = _wfopen(Wide(m_folder.Path("a.mp3")).c_str(), L"rb");
    ASSERT_NE(nullptr, f);
    std::string title, artist, album, year;
    EXPECT_TRUE(ReadId3v1Fields(f, title, artist, album, year));
    fclose(f);
    EXPECT_EQ("Old", title);
}

TEST_F(MusicInfoDlg, EnterPressesTwiceAndConfirms) {
    Mp3WithTags("a.mp3", {"T", "A", "", ""}, {});
    CMusicInfoDlg dlg;
    HWND hEdit = nullptr;
    INT_PTR nResult = RunModal(dlg, "a.mp3", [&](HWND hDlg) {
        // Enter in an edit is the dialog's OK command: posted, so that the
        // dialog's own message loop translates them.
        hEdit = ::GetDlgItem(hDlg, IDC_TITLE);
        ::SetFocus(hEdit);
        ::PostMessageW(hEdit, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(hEdit, WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(IDOK, nResult);
    EXPECT_TRUE(dlg.m_bApply);
    EXPECT_EQ("T", dlg.m_strTitle);
}

TEST_F(MusicInfoDlg, CancelFromEitherStateAppliesNothing) {
    Mp3WithTags("a.mp3", {"T", "A", "", ""}, {});
    const std::string bytes = m_folder.Read("a.mp3");
    for (bool bEditFirst : {false, true}) {
        for (int nWay = 0; nWay < 3; ++nWay) {
            CMusicInfoDlg dlg;
            INT_PTR nResult = RunModal(dlg, "a.mp3", [&](HWND hDlg) {
                if (bEditFirst) {
                    ReleaseOnPicture(hDlg, IDOK);
                    SetDlgItemTextW(hDlg, IDC_FILE_NAME, L"b.mp3");
                }
                if (nWay == 0) ReleaseOnPicture(hDlg, IDCANCEL);                  // 退出 picture
                if (nWay == 1) ::SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);      // Esc
                if (nWay == 2) ::SendMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);  // close box
            });
            EXPECT_EQ(IDCANCEL, nResult) << bEditFirst << nWay;
            EXPECT_FALSE(dlg.m_bApply) << bEditFirst << nWay;
        }
    }
    EXPECT_EQ(bytes, m_folder.Read("a.mp3"));
}

// ---- Long Chinese texts

TEST_F(MusicInfoDlg, LongChineseTextsAreShownWholeAndReadBackWhole) {
    // 15 characters fill the 30-byte field; the reader keeps 29 bytes, which
    // is 14 whole characters, never half of the fifteenth.
    const std::string title = G("一二三四五六七八九十一二三四五");
    const std::string artist = G("周") + "x" + G("一二三四五六七八九十一二三四");  // 31 bytes
    Mp3WithTags(G("很长的中文文件名字很长的中文文件名字.mp3"), {title, artist, G("专辑名"), "1999"},
                         {{1000, G("很长很长的一行歌词，很长很长的一行歌词")}});
    OpenOn(G("很长的中文文件名字很长的中文文件名字.mp3"));
    EXPECT_EQ(G("很长的中文文件名字很长的中文文件名字.mp3"), m_dlg.Text(IDC_FILE_NAME));
    EXPECT_EQ(G("一二三四五六七八九十一二三四"), m_dlg.Text(IDC_TITLE));
    // Written cut before the character that would not fit: 29 bytes.
    EXPECT_EQ(G("周") + "x" + G("一二三四五六七八九十一二三"), m_dlg.Text(IDC_ARTIST));
    EXPECT_EQ("[00:01]" + G("很长很长的一行歌词，很长很长的一行歌词") + "\r\n",
              m_dlg.Text(IDC_LYRICS_TEXT));

    m_dlg.Click(IDOK);
    const std::string longer = G("这是一个非常非常长的歌曲标题超过三十个字节");
    m_dlg.Type(IDC_TITLE, longer);
    m_dlg.Click(IDOK);
    EXPECT_TRUE(m_dlg.m_bApply);
    EXPECT_EQ(longer, m_dlg.m_strTitle);  // whole; the record's writer cuts it
}

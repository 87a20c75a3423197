#include "editor/music_info_dlg.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "base/fileio.h"
#include "base/gbk.h"
#include "import/batch_names.h"
#include "resource.h"
#include "tags/id3v1.h"
#include "tags/lyrics3.h"
#include "ui/controls.h"
#include "ui/text.h"

namespace {

// Whether the last mouse move over an information dialog showed the hand
// cursor.
BOOL s_bHandShown = FALSE;

// The edits the first press makes writable; the lyric stays read-only.
const int kEditableFields[] = {IDC_ALBUM, IDC_ARTIST, IDC_FILE_NAME, IDC_TITLE, IDC_YEAR};

const int kSuggestionBoxes[] = {IDC_FILE_NAME_CHOICES, IDC_TITLE_CHOICES, IDC_ARTIST_CHOICES};

struct CloseFile {
    void operator()(FILE* pFile) const { std::fclose(pFile); }
};

}  // namespace

CMusicInfoDlg::CMusicInfoDlg(CWnd* pParent)
    : CSkinnedDialog(IDD_MUSIC_INFO, pParent, &s_bHandShown),
      m_bApply(FALSE),
      m_bEditing(FALSE) {
    // One place, two pictures: the shape of 确定 takes the clicks from the
    // start, 修改 is only drawn until the first press.
    m_nConfirmImage = m_skin.Add(IDB_OK, IDOK, [this] { OnOK(); }, CSkinButtons::SKIN_HIT);
    m_nModifyImage = m_skin.Add(IDB_MODIFY, IDOK, nullptr, CSkinButtons::SKIN_DRAWN);
    m_skin.Add(IDB_EXIT, IDCANCEL, [this] { OnCancel(); });
}

BEGIN_MESSAGE_MAP(CMusicInfoDlg, CSkinnedDialog)
    ON_CBN_SELCHANGE(IDC_FILE_NAME_CHOICES, &CMusicInfoDlg::OnSelchangeFileName)
    ON_CBN_SELCHANGE(IDC_TITLE_CHOICES, &CMusicInfoDlg::OnSelchangeTitle)
    ON_CBN_SELCHANGE(IDC_ARTIST_CHOICES, &CMusicInfoDlg::OnSelchangeArtist)
END_MESSAGE_MAP()

void CMusicInfoDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_ALBUM, m_strAlbum);
    DDX_Text(pDX, IDC_ARTIST, m_strArtist);
    DDX_Text(pDX, IDC_FILE_NAME, m_strFileName);
    DDX_Text(pDX, IDC_TITLE, m_strTitle);
    DDX_Text(pDX, IDC_YEAR, m_strYear);
    DDX_Text(pDX, IDC_LYRICS_TEXT, m_strLyrics);
}

// ---- Opening

BOOL CMusicInfoDlg::OnInitDialog() {
    // Nothing of an earlier opening stays.
    m_strTitle.clear();
    m_strArtist.clear();
    m_strAlbum.clear();
    m_strYear.clear();
    m_strLyrics.clear();
    m_strFileName.clear();
    // The controls show the empty members; the pictures get their shapes.
    CSkinnedDialog::OnInitDialog();
    CComboBox(GetDlgItem(IDC_FILE_NAME_CHOICES)).AddString(ResourceString(IDS_HINT_FROM_TAG));
    CComboBox(GetDlgItem(IDC_TITLE_CHOICES)).AddString(ResourceString(IDS_HINT_FROM_NAME));
    CComboBox(GetDlgItem(IDC_ARTIST_CHOICES)).AddString(ResourceString(IDS_HINT_FROM_NAME));

    m_bApply = FALSE;
    m_bEditing = FALSE;
    m_skin.SetDrawn(m_nModifyImage, true);
    m_skin.SetDrawn(m_nConfirmImage, false);

    // A file that cannot be opened leaves every field empty on the screen,
    // the name too.
    m_strFileName = m_strListName;
    if (ReadMusicFile()) UpdateData(false);

    for (int nID : kSuggestionBoxes) GetDlgItem(nID).ShowWindow(SW_HIDE);
    return TRUE;
}

bool CMusicInfoDlg::ReadMusicFile() {
    std::unique_ptr<FILE, CloseFile> file(fileio::Open(m_strPath, "rb"));
    if (!file) return false;
    // The record is written in place later, which a read-only file refuses.
    if (fileio::IsReadOnly(m_strPath)) fileio::ClearReadOnly(m_strPath);
    // Without a record there is no Lyrics3 tag to look for either.
    if (ReadId3v1Fields(file.get(), m_strTitle, m_strArtist, m_strAlbum, m_strYear))
        ReadLyrics3Text(file.get(), m_strLyrics);
    return true;
}

// ---- The modify / confirm press

void CMusicInfoDlg::OnOK() {
    if (!UpdateData(true)) return;
    if (m_bEditing) {
        m_bEditing = FALSE;
        m_bApply = TRUE;
        CSkinnedDialog::OnOK();  // reads the edits once more and closes
        return;
    }
    StartEditing();
}

void CMusicInfoDlg::StartEditing() {
    m_bEditing = TRUE;
    for (int nID : kEditableFields) CEdit(GetDlgItem(nID)).SetReadOnly(false);
    // The suggestions are made of the trimmed texts; the edits keep theirs.
    m_strArtist = std::string(GbkTrim(m_strArtist));
    m_strTitle = std::string(GbkTrim(m_strTitle));
    OfferSuggestions();

    m_skin.SetDrawn(m_nModifyImage, false);
    m_skin.SetDrawn(m_nConfirmImage, true);
    Invalidate(true);
}

void CMusicInfoDlg::OfferSuggestions() {
    CComboBox fileNames(GetDlgItem(IDC_FILE_NAME_CHOICES));
    std::vector<std::string> names = FileNameSuggestions(m_strArtist, m_strTitle);
    if (!names.empty()) {
        for (const std::string& strName : names) fileNames.AddString(strName);
        fileNames.ShowWindow(SW_SHOW);
        fileNames.SetCurSel(0);
    }

    // Each box offers the part before the "-" first, then the one after it.
    CComboBox titles(GetDlgItem(IDC_TITLE_CHOICES));
    CComboBox artists(GetDlgItem(IDC_ARTIST_CHOICES));
    std::string strFirst, strSecond;
    SplitFileName(m_strFileName, strFirst, strSecond);
    for (const std::string* pPart : {&strFirst, &strSecond}) {
        if (pPart->empty()) continue;
        titles.AddString(*pPart);
        artists.AddString(*pPart);
    }
    for (CComboBox* pBox : {&titles, &artists}) {
        pBox->ShowWindow(SW_SHOW);
        pBox->SetCurSel(0);
    }
}

std::vector<std::string> CMusicInfoDlg::FileNameSuggestions(const std::string& strArtist,
                                                            const std::string& strTitle) {
    if (strArtist.empty() && strTitle.empty()) return {};
    if (strArtist.empty()) return {strTitle + ".mp3"};
    if (strTitle.empty()) return {strArtist + ".mp3"};
    return {strArtist + " - " + strTitle + ".mp3", strTitle + " - " + strArtist + ".mp3",
            strArtist + "-" + strTitle + ".mp3", strTitle + "-" + strArtist + ".mp3"};
}

void CMusicInfoDlg::SplitFileName(const std::string& strFileName, std::string& strFirst,
                                  std::string& strSecond) {
    // The same rule as the batch conversion's.
    SongNameParts parts = SplitSongName(strFileName);
    strFirst = std::move(parts.first);
    strSecond = std::move(parts.second);
}

// ---- Choosing a suggestion

void CMusicInfoDlg::OnSelchangeFileName() { TakeSuggestion(IDC_FILE_NAME_CHOICES, m_strFileName); }

void CMusicInfoDlg::OnSelchangeTitle() { TakeSuggestion(IDC_TITLE_CHOICES, m_strTitle); }

void CMusicInfoDlg::OnSelchangeArtist() { TakeSuggestion(IDC_ARTIST_CHOICES, m_strArtist); }

void CMusicInfoDlg::TakeSuggestion(int nComboID, std::string& strMember) {
    CComboBox box(GetDlgItem(nComboID));
    int nSel = box.GetCurSel();
    if (nSel <= 0) return;  // the hint, or nothing
    UpdateData(true);
    strMember = box.GetLBText(nSel);
    UpdateData(false);
}

// The music file information dialog: one MP3 file's name, the title, artist,
// album and year of its ID3v1 record and the lyric of its Lyrics3 tag.
//
// It opens for viewing (fields read-only, the modify picture). The first
// press makes the name and the four tag fields writable and offers
// suggestions made of the tag and of the file name (the confirm picture);
// the second press closes it with m_bApply set. The opener then renames the
// file and writes the record; this dialog changes no file itself, except
// that reading clears the file's read-only attribute so that the record can
// be written afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "skin/skinned_dialog.h"

class CMusicInfoDlg : public CSkinnedDialog {
public:
    explicit CMusicInfoDlg(CWnd* pParent = nullptr);

    // Set by the opener.
    std::string m_strPath;      // full path of the MP3 file
    std::string m_strListName;  // its name as the MP3 list shows it
    // Set by the second press; read by the opener with the five texts.
    BYTE m_bApply;
    BYTE m_bEditing;
    std::string m_strAlbum;     // edit 1022
    std::string m_strArtist;    // edit 1021
    std::string m_strFileName;  // edit 1001
    std::string m_strTitle;     // edit 1020
    std::string m_strYear;      // edit 1023
    std::string m_strLyrics;    // edit 1024, only shown

    // The suggestions (GBK), in the order the boxes offer them after their
    // hint. File names from the (trimmed) artist and title; the parts of a
    // file name "Singer - Song.mp3": the text before the first "-" and the
    // text after it up to the ".mp3" ending, each trimmed.
    static std::vector<std::string> FileNameSuggestions(const std::string& strArtist,
                                                        const std::string& strTitle);
    static void SplitFileName(const std::string& strFileName, std::string& strFirst,
                              std::string& strSecond);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;  // the modify / confirm press
    void OnSelchangeFileName();
    void OnSelchangeTitle();
    void OnSelchangeArtist();

    DECLARE_MESSAGE_MAP()

private:
    // The record and the lyric into the members; false when the file cannot
    // be opened.
    bool ReadMusicFile();
    // The first press: writable fields, the suggestions, the confirm picture.
    void StartEditing();
    void OfferSuggestions();
    // A suggestion chosen in box nComboID becomes strMember's text; what was
    // typed into the other fields stays.
    void TakeSuggestion(int nComboID, std::string& strMember);

    int m_nConfirmImage;  // bitmap 138 at button 1: drawn while editing, always the one tested
    int m_nModifyImage;   // bitmap 144 at button 1: drawn while viewing
};

// The main window's double-click on an MP3 entry: the information dialog on
// the entry's file, and its confirmed result applied to the entry.
#include "editor/music_info_dlg.h"
#include "import/file_list_dlg.h"
#include "import/import_dlg.h"

void CImportDlg::EditMusicInfo(int nIndex) {
    // Refused before the dialog opens, so that nothing typed is lost: the
    // worker reads the entries' paths and rewrites their files.
    if (RefuseWhileImporting()) return;
    if (nIndex < 0 || nIndex >= m_mp3List.GetCount()) return;
    const std::string strPath = FileEntryPath(m_mp3List, nIndex);
    if (strPath.empty()) return;

    CMusicInfoDlg dlg(this);
    dlg.m_strPath = strPath;
    dlg.m_strListName = m_mp3List.GetText(nIndex);
    if (dlg.DoModal() != IDOK || !dlg.m_bApply) return;
    ApplyMusicInfo(nIndex, dlg.m_strFileName, dlg.m_strTitle, dlg.m_strArtist, dlg.m_strAlbum,
                   dlg.m_strYear);
}

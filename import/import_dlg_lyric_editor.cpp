// The lyric editor on a file of the lyric list (a double-click on its entry).

#include "editor/lyric_edit_dlg.h"
#include "import/import_dlg.h"

// An import run may be going on: it only reads lyric files, and the editor's
// save replaces its file atomically, so the run reads either the old or the
// new lyric whole; a replace that the run's reading prevents leaves the file
// as it was and the user is told.
void CImportDlg::EditLyric(const std::string& strPath) {
    CLyricEditDlg dlg(this);
    dlg.m_strLrcPath = strPath;
    dlg.DoModal();
}

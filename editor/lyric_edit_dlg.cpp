#include "editor/lyric_edit_dlg.h"

#include <cstdio>

#include "base/codepage.h"
#include "editor/lyric_time_dlg.h"
#include "lyrics/lrc_edit.h"
#include "resource.h"
#include "ui/message_box.h"
#include "ui/text.h"

namespace {

// Whether the last mouse move over an editor showed the hand cursor.
BOOL s_bHandShown = FALSE;

// Posted by the opening so that its message shows over the editor;
// wParam: how many characters GBK cannot hold.
const UINT WM_UNMAPPABLE_WARNING = WM_APP + 1;

// What the user is told when a save left the file as it was (GBK).
std::string SaveFailureText(const LrcSaveResult& result) {
    switch (result.status) {
    case LrcSaveStatus::WouldLoseText:
        if (result.unmappable > 0) {
            char szText[256] = {};
            std::snprintf(szText, sizeof szText,
                          Text("歌词文件里有 %u 个字符不能用 GBK 表示, 保存会丢掉它们,\n"
                               "所以没有保存, 文件保持原样。\n---Quillan").c_str(),
                          static_cast<unsigned>(result.unmappable));
            return szText;
        }
        return Text("歌词文件里有不能原样写回的内容 (零字节或残缺的字符),\n"
                    "所以没有保存, 文件保持原样。\n---Quillan");
    case LrcSaveStatus::CannotRead:
        return Text("无法再次读取歌词文件, 没有保存。\n---Quillan");
    case LrcSaveStatus::CannotWrite:
    case LrcSaveStatus::Saved:
        break;
    }
    return Text("无法保存歌词文件, 文件保持原样。\n---Quillan");
}

}  // namespace

CLyricEditDlg::CLyricEditDlg(CWnd* pParent)
    : CSkinnedDialog(IDD_LYRIC_EDIT, pParent, &s_bHandShown, CSkinButtons::CURSOR_RESTORE_ARROW),
      m_nKeyInterval(50),
      m_nShowLines(1) {
    m_skin.Add(IDB_SAVE_EXIT, IDOK, [this] { OnOK(); });
    m_skin.Add(IDB_EXIT, IDCANCEL, [this] { OnCancel(); });
    m_skin.Add(IDB_START_IMPORT, IDC_MEDIA_IMPORT, [this] { OnMediaImport(); });
    m_skin.Add(IDB_DELETE_LYRIC, IDC_MEDIA_DELETE, [this] { OnMediaDelete(); });
}

BEGIN_MESSAGE_MAP(CLyricEditDlg, CSkinnedDialog)
    ON_LBN_DBLCLK(IDC_LYRIC_LINES, &CLyricEditDlg::OnDblclkLines)
    ON_BN_CLICKED(IDC_MEDIA_IMPORT, &CLyricEditDlg::OnMediaImport)
    ON_BN_CLICKED(IDC_MEDIA_DELETE, &CLyricEditDlg::OnMediaDelete)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_UNMAPPABLE_WARNING, &CLyricEditDlg::OnUnmappableWarning)
END_MESSAGE_MAP()

void CLyricEditDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_LYRIC_LINES, m_listLines);
    DDX_Text(pDX, IDC_KEY_INTERVAL, m_nKeyInterval);
    DDV_MinMaxInt(pDX, m_nKeyInterval, 0, 1000);
    DDX_Text(pDX, IDC_SHOW_LINES, m_nShowLines);
}

BOOL CLyricEditDlg::OnInitDialog() {
    // Fills the two edits and opens the pictures.
    CSkinnedDialog::OnInitDialog();
    if (m_strLrcPath.empty()) return TRUE;

    // UTF-8 and UTF-16 files are shown in GBK like the others; a file that
    // cannot be read gives an empty list.
    std::string strText;
    const LyricFileText read = ReadLyricFile(m_strLrcPath, strText);
    ParseLrc(strText, m_lines);
    FillList();
    // Such characters show as "?"; saving would lose them, so it is refused.
    if (read.unmappable > 0) PostMessage(WM_UNMAPPABLE_WARNING, read.unmappable, 0);
    return TRUE;
}

LRESULT CLyricEditDlg::OnUnmappableWarning(WPARAM wParam, LPARAM) {
    char szText[256] = {};
    std::snprintf(szText, sizeof szText,
                  Text("歌词文件里有 %u 个字符不能用 GBK 表示, 显示为 \"?\"。\n"
                       "可以查看和导入, 但不能在这里保存。\n---Quillan").c_str(),
                  static_cast<unsigned>(wParam));
    ShowMessageBox(m_hWnd, szText);
    return 0;
}

void CLyricEditDlg::FillList() {
    m_listLines.ResetContent();
    for (int i = 0; i < m_lines.GetSize(); ++i) {
        LyricLine* pLine = m_lines.GetAt(i);
        int nIndex = m_listLines.AddString(FormatEditorLine(i + 1, *pLine));
        if (nIndex >= 0) m_listLines.SetItemDataPtr(nIndex, pLine);
    }
}

void CLyricEditDlg::OnDblclkLines() {
    int nSel = m_listLines.GetCurSel();
    if (nSel < 0) return;
    CLyricTimeDlg dlg(this);
    dlg.m_pLines = &m_lines;
    dlg.m_nLine = nSel + 1;
    if (dlg.DoModal() != IDOK || dlg.m_nSeconds == 0) return;
    ShiftLines(m_lines, nSel + 1, dlg.m_nLine, dlg.m_nSeconds);
    FillList();
}

bool CLyricEditDlg::SaveLines() {
    // Without lines nothing can have changed, and writing would leave the
    // file without its lyric.
    if (m_lines.GetSize() == 0) return true;
    LrcSaveResult result = SaveLrcFile(m_strLrcPath, m_lines);
    if (!result.ok()) {
        ShowMessageBox(m_hWnd, SaveFailureText(result));
        return false;
    }
    // A file has no time before the start: such lines were written at 0.
    unsigned nBeforeStart = 0;
    for (int i = 0; i < m_lines.GetSize(); ++i)
        if (m_lines.GetAt(i)->time < 0) ++nBeforeStart;
    if (nBeforeStart > 0) {
        char szText[256] = {};
        std::snprintf(szText, sizeof szText,
                      Text("已保存。有 %u 行的时间早于歌曲开始, 保存为 [00:00.000]。\n---Quillan").c_str(),
                      nBeforeStart);
        ShowMessageBox(m_hWnd, szText);
    }
    return true;
}

void CLyricEditDlg::OnOK() {
    if (!SaveLines()) return;
    // Reads and checks the two edits; stays open when they are refused.
    CSkinnedDialog::OnOK();
}

void CLyricEditDlg::OnDestroy() {
    CSkinnedDialog::OnDestroy();
    m_lines.RemoveAll();
}

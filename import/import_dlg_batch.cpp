// The batch conversion between the ID3v1 title and artist and the file
// names of the MP3 list.
#include <string>
#include <vector>

#include "import/batch_id3_dlg.h"
#include "import/batch_names.h"
#include "import/file_list_dlg.h"
#include "import/import_dlg.h"
#include "ui/message_box.h"
#include "ui/text.h"

namespace {

// The closing message names at most this many files.
constexpr size_t kListedFailures = 10;

std::string TagNameFailure(const TagFileName& tagName) {
    switch (tagName.status) {
        case TagNameStatus::CannotOpen:
            return Text("文件无法打开");
        case TagNameStatus::NoRecord:
            return Text("没有id3信息");
        case TagNameStatus::EmptyTag:
            return Text("id3的标题和艺术家都是空的");
        case TagNameStatus::RefusedCharacter:
            return "\"" + tagName.name + "\"" + Text("含有文件名不能用的字符");
        case TagNameStatus::Named:
            break;
    }
    return std::string();
}

std::string ClosingMessage(const std::vector<std::string>& failures) {
    std::string strText = Text("完成了!!\n");
    if (!failures.empty()) {
        strText += Text("有") + std::to_string(failures.size()) + Text("个文件未能转换:\n");
        for (size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
            strText += failures[i] + "\n";
        if (failures.size() > kListedFailures) strText += Text("……\n");
    }
    return strText + "---Quillan";
}

}  // namespace

void CImportDlg::RunBatchConversion() {
    CBatchId3Dlg dlg(this);
    if (dlg.DoModal() != IDOK || !IsBatchChoice(dlg.m_nChoice)) return;
    Convert(dlg.m_nChoice);
}

void CImportDlg::Convert(int nChoice) {
    // The run reads the entries' paths; a rename would pull them away.
    if (RefuseWhileImporting() || !IsBatchChoice(nChoice)) return;
    std::vector<std::string> failures;
    // The count is read again at each step.
    for (int i = 0; i < m_mp3List.GetCount(); ++i) {
        const std::string strPath = FileEntryPath(m_mp3List, i);
        if (strPath.empty()) continue;
        std::string strWhy;
        const bool bDone = nChoice == BATCH_TAG_TO_NAME ? ConvertTagToName(i, strPath, strWhy)
                                                        : ConvertNameToTag(i, strPath, nChoice, strWhy);
        if (!bDone) failures.push_back(m_mp3List.GetText(i) + ": " + strWhy);
    }
    ShowMessageBox(m_hWnd, ClosingMessage(failures));
}

bool CImportDlg::ConvertTagToName(int nIndex, const std::string& strPath, std::string& strWhy) {
    // Without a usable name the entry and the file stay as they are.
    const TagFileName tagName = FileNameFromTag(strPath);
    if (tagName.status != TagNameStatus::Named) {
        strWhy = TagNameFailure(tagName);
        return false;
    }
    // The entry follows the file only when the move succeeded; a name that
    // another file bears is never taken from it.
    if (MoveMp3Entry(nIndex, tagName.name, &strWhy)) return true;
    strWhy = "\"" + tagName.name + "\"" + strWhy;
    return false;
}

bool CImportDlg::ConvertNameToTag(int nIndex, const std::string& strPath, int nChoice,
                                  std::string& strWhy) {
    const WriteResult result =
        WriteTagFromName(strPath, m_mp3List.GetText(nIndex), static_cast<BatchChoice>(nChoice));
    if (result.ok()) return true;
    strWhy = WriteStatusText(result.status);
    return false;
}

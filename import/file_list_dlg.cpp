#include "import/file_list_dlg.h"

#include <cstring>

#include "base/gbk.h"

namespace {

char* CopyPath(const std::string& strPath) {
  char* pszCopy = new char[strPath.size() + 1];
  std::memcpy(pszCopy, strPath.c_str(), strPath.size() + 1);
  return pszCopy;
}

}  // namespace

std::string FileNameOfPath(const std::string& strPath) {
  size_t nSlash = GbkFindLast(strPath, '\\');
  if (nSlash == std::string::npos) return std::string();
  return strPath.substr(nSlash + 1);
}

int InsertFileEntry(CListBox& list, int nIndex, const std::string& strName,
                    const std::string& strPath) {
  int nLine = list.InsertString(nIndex, strName);
  if (nLine < 0) return -1;
  list.SetItemDataPtr(nLine, CopyPath(strPath));
  return nLine;
}

int AddFileEntry(CListBox& list, const std::string& strPath) {
  if (GbkFindLast(strPath, '\\') == std::string::npos) return -1;
  return InsertFileEntry(list, -1, FileNameOfPath(strPath), strPath);
}

std::string FileEntryPath(const CListBox& list, int nIndex) {
  DWORD_PTR data = list.GetItemData(nIndex);
  if (data == 0 || data == static_cast<DWORD_PTR>(LB_ERR)) return std::string();
  return std::string(reinterpret_cast<const char*>(data));
}

void RemoveFileEntry(CListBox& list, int nIndex) {
  DWORD_PTR data = list.GetItemData(nIndex);
  if (data == static_cast<DWORD_PTR>(LB_ERR)) return;
  delete[] reinterpret_cast<char*>(data);
  list.SetItemData(nIndex, 0);
  list.DeleteString(nIndex);
}

void RemoveAllFileEntries(CListBox& list) {
  for (int i = list.GetCount() - 1; i >= 0; --i) RemoveFileEntry(list, i);
}

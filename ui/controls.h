// Wrappers of the standard controls; texts GBK. Attach one to a dialog's
// control with DDX_Control or SubclassDlgItem, or wrap a handle for a call.
#pragma once

#include <windows.h>

#include <string>

#include "ui/wnd.h"

class CListBox : public CWnd {
 public:
  CListBox() = default;
  explicit CListBox(HWND hWnd) : CWnd(hWnd) {}

  int GetCount() const;
  int AddString(const std::string& text);
  // nIndex -1 appends.
  int InsertString(int nIndex, const std::string& text);
  int DeleteString(int nIndex);  // entries left, or LB_ERR
  void ResetContent();
  std::string GetText(int nIndex) const;
  int GetText(int nIndex, std::string& text) const;  // length, or LB_ERR
  int GetTextLen(int nIndex) const;                  // in GBK bytes, or LB_ERR
  DWORD_PTR GetItemData(int nIndex) const;
  int SetItemData(int nIndex, DWORD_PTR data);
  void* GetItemDataPtr(int nIndex) const { return reinterpret_cast<void*>(GetItemData(nIndex)); }
  int SetItemDataPtr(int nIndex, void* p) { return SetItemData(nIndex, reinterpret_cast<DWORD_PTR>(p)); }
  int GetCurSel() const;
  int SetCurSel(int nSelect);
  int GetTopIndex() const;
  int SetTopIndex(int nIndex);
  int GetItemHeight(int nIndex) const;
  int GetItemRect(int nIndex, RECT* pRect) const;
  // The entry nearest to a client point; bOutside set when the point lies
  // outside every entry.
  UINT ItemFromPoint(CPoint pt, BOOL& bOutside) const;
  // The first entry after nStartAfter (-1: from the start) whose text begins
  // with prefix, letters compared without regard to case, searching to the
  // end and then from the start; LB_ERR when none.
  int FindString(int nStartAfter, const std::string& prefix) const;
};

class CComboBox : public CWnd {
 public:
  CComboBox() = default;
  explicit CComboBox(HWND hWnd) : CWnd(hWnd) {}

  int GetCount() const;
  int AddString(const std::string& text);
  int InsertString(int nIndex, const std::string& text);
  int DeleteString(int nIndex);
  void ResetContent();
  std::string GetLBText(int nIndex) const;
  DWORD_PTR GetItemData(int nIndex) const;
  int SetItemData(int nIndex, DWORD_PTR data);
  int GetCurSel() const;
  int SetCurSel(int nSelect);
};

class CEdit : public CWnd {
 public:
  CEdit() = default;
  explicit CEdit(HWND hWnd) : CWnd(hWnd) {}

  void SetSel(int nStart, int nEnd, bool bNoScroll = false);
  void ReplaceSel(const std::string& text, bool bCanUndo = false);
  bool SetReadOnly(bool bReadOnly = true);
  void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0); }
};

class CButton : public CWnd {
 public:
  CButton() = default;
  explicit CButton(HWND hWnd) : CWnd(hWnd) {}

  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
};

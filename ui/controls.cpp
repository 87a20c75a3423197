#include "ui/controls.h"

#include "import/pairing.h"
#include "ui/text.h"

namespace {

std::wstring ItemText(HWND hWnd, UINT lenMsg, UINT textMsg, int nIndex, bool* ok) {
  LRESULT len = ::SendMessageW(hWnd, lenMsg, static_cast<WPARAM>(nIndex), 0);
  *ok = len >= 0;
  if (len < 0) return std::wstring();
  std::wstring w(static_cast<size_t>(len) + 1, L'\0');
  LRESULT n = ::SendMessageW(hWnd, textMsg, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(w.data()));
  w.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return w;
}

}  // namespace

// ---- CListBox

int CListBox::GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }

int CListBox::AddString(const std::string& text) {
  return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str())));
}

int CListBox::InsertString(int nIndex, const std::string& text) {
  return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                                      reinterpret_cast<LPARAM>(Wide(text).c_str())));
}

int CListBox::DeleteString(int nIndex) {
  return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(nIndex)));
}

void CListBox::ResetContent() { SendMessage(LB_RESETCONTENT); }

std::string CListBox::GetText(int nIndex) const {
  bool ok;
  return Gbk(ItemText(m_hWnd, LB_GETTEXTLEN, LB_GETTEXT, nIndex, &ok));
}

int CListBox::GetText(int nIndex, std::string& text) const {
  bool ok;
  std::wstring w = ItemText(m_hWnd, LB_GETTEXTLEN, LB_GETTEXT, nIndex, &ok);
  if (!ok) return LB_ERR;
  text = Gbk(w);
  return static_cast<int>(text.size());
}

int CListBox::GetTextLen(int nIndex) const {
  std::string text;
  return GetText(nIndex, text);
}

DWORD_PTR CListBox::GetItemData(int nIndex) const {
  return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
}

int CListBox::SetItemData(int nIndex, DWORD_PTR data) {
  return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(data)));
}

int CListBox::GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }

int CListBox::SetCurSel(int nSelect) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(nSelect))); }

int CListBox::GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }

int CListBox::SetTopIndex(int nIndex) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(nIndex))); }

int CListBox::GetItemHeight(int nIndex) const {
  return static_cast<int>(SendMessage(LB_GETITEMHEIGHT, static_cast<WPARAM>(nIndex)));
}

int CListBox::GetItemRect(int nIndex, RECT* pRect) const {
  return static_cast<int>(SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pRect)));
}

UINT CListBox::ItemFromPoint(CPoint pt, BOOL& bOutside) const {
  LRESULT r = SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y));
  bOutside = HIWORD(r) != 0;
  return LOWORD(r);
}

int CListBox::FindString(int nStartAfter, const std::string& prefix) const {
  int count = GetCount();
  if (count <= 0) return LB_ERR;
  // The search order of start index s is s+1, ..., n-1, 0, ..., s: the
  // order from start index 0 turned by s.
  size_t offset = nStartAfter < 0 || nStartAfter >= count ? static_cast<size_t>(count - 1)
                                                           : static_cast<size_t>(nStartAfter);
  size_t n = static_cast<size_t>(count);
  int k = FindNamePrefix(n, [&](size_t i) { return GetText(static_cast<int>((i + offset) % n)); }, prefix);
  return k < 0 ? LB_ERR : static_cast<int>((static_cast<size_t>(k) + offset) % n);
}

// ---- CComboBox

int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }

int CComboBox::AddString(const std::string& text) {
  return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str())));
}

int CComboBox::InsertString(int nIndex, const std::string& text) {
  return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                                      reinterpret_cast<LPARAM>(Wide(text).c_str())));
}

int CComboBox::DeleteString(int nIndex) {
  return static_cast<int>(SendMessage(CB_DELETESTRING, static_cast<WPARAM>(nIndex)));
}

void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }

std::string CComboBox::GetLBText(int nIndex) const {
  bool ok;
  return Gbk(ItemText(m_hWnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, nIndex, &ok));
}

DWORD_PTR CComboBox::GetItemData(int nIndex) const {
  return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
}

int CComboBox::SetItemData(int nIndex, DWORD_PTR data) {
  return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(data)));
}

int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }

int CComboBox::SetCurSel(int nSelect) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect))); }

// ---- CEdit

void CEdit::SetSel(int nStart, int nEnd, bool bNoScroll) {
  SendMessage(EM_SETSEL, static_cast<WPARAM>(nStart), nEnd);
  if (!bNoScroll) SendMessage(EM_SCROLLCARET);
}

void CEdit::ReplaceSel(const std::string& text, bool bCanUndo) {
  SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

bool CEdit::SetReadOnly(bool bReadOnly) { return SendMessage(EM_SETREADONLY, bReadOnly) != 0; }

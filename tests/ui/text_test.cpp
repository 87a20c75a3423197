// GBK text through window texts, list entries, window lookup and the
// clipboard, whatever the system's ANSI code page.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_resource.h"
#include "ui/clipboard.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/text.h"
#include "ui_test_util.h"

namespace {

TEST(Environment, AnsiCodePageIsTheOneTheHarnessAskedFor) {
  // The harness runs this program once per locale and says which code page
  // the locale must give; without that there is nothing to compare.
  const char* expected = std::getenv("VM_EXPECT_ACP");
  if (!expected) GTEST_SKIP() << "VM_EXPECT_ACP not set";
  EXPECT_EQ(static_cast<UINT>(std::atoi(expected)), ::GetACP());
}

TEST(Text, WideAndGbkRoundTrip) {
  std::string gbk = G("晚风 - 月光小路.mp3");
  std::wstring wide = Wide(gbk);
  EXPECT_EQ(L"晚风 - 月光小路.mp3", wide);
  EXPECT_EQ(gbk, Gbk(wide));
  EXPECT_EQ("\xCD\xED\xB7\xE7", Gbk(L"晚风"));  // the GBK bytes themselves
  EXPECT_EQ(L"", Wide(""));
  EXPECT_EQ("a?b", Gbk(L"a\u0E01b"));  // no GBK form: replaced, not dropped
}

class TextDialog : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dlg.Create(IDD_TEST_DATA)); }
  void TearDown() override { m_dlg.DestroyWindow(); }
  CDialog m_dlg{IDD_TEST_DATA};
};

TEST_F(TextDialog, WindowTextsKeepChineseCharacters) {
  const std::string texts[] = {G("歌词所在文件夹"), G("一共有文件:%d"), "plain ASCII", "",
                               G("双\n击\n编\n辑"), G("〖特殊〗符号…")};
  for (const std::string& text : texts) {
    m_dlg.SetDlgItemText(IDC_TEST_NAME, text);
    EXPECT_EQ(text, m_dlg.GetDlgItemText(IDC_TEST_NAME));
    m_dlg.SetWindowText(text);
    EXPECT_EQ(text, m_dlg.GetWindowText());
  }
  // What the system holds is the Unicode text, not GBK bytes read as 1252.
  m_dlg.SetDlgItemText(IDC_TEST_LABEL, G("选择歌词文件"));
  wchar_t buf[64] = {};
  ::GetDlgItemTextW(m_dlg, IDC_TEST_LABEL, buf, 64);
  EXPECT_STREQ(L"选择歌词文件", buf);
  EXPECT_EQ(static_cast<int>(G("选择歌词文件").size()), m_dlg.GetDlgItem(IDC_TEST_LABEL).GetWindowTextLength());
}

TEST_F(TextDialog, ListEntriesKeepTextAndData) {
  CListBox list(::GetDlgItem(m_dlg, IDC_TEST_LIST));
  EXPECT_EQ(0, list.AddString(G("月光小路.mp3")));
  EXPECT_EQ(1, list.AddString(G("晚风.mp3")));
  EXPECT_EQ(0, list.InsertString(0, "Morning Tea.mp3"));
  EXPECT_EQ(3, list.InsertString(-1, G("第二辑")));
  ASSERT_EQ(4, list.GetCount());
  EXPECT_EQ("Morning Tea.mp3", list.GetText(0));
  EXPECT_EQ(G("月光小路.mp3"), list.GetText(1));
  std::string text;
  EXPECT_EQ(static_cast<int>(G("晚风.mp3").size()), list.GetText(2, text));
  EXPECT_EQ(G("晚风.mp3"), text);
  EXPECT_EQ(LB_ERR, list.GetText(9, text));
  EXPECT_EQ(LB_ERR, list.GetTextLen(9));

  std::string path = G("C:\\音乐\\晚风.mp3");
  list.SetItemDataPtr(2, &path);
  EXPECT_EQ(&path, list.GetItemDataPtr(2));
  EXPECT_EQ(LB_ERR, list.GetCurSel());
  list.SetCurSel(2);
  EXPECT_EQ(2, list.GetCurSel());
  EXPECT_EQ(3, list.DeleteString(0));
  EXPECT_EQ(&path, list.GetItemDataPtr(1));  // data moves with its entry
  list.ResetContent();
  EXPECT_EQ(0, list.GetCount());
}

TEST_F(TextDialog, FindStringSearchesAfterTheStartAndWraps) {
  CListBox list(::GetDlgItem(m_dlg, IDC_TEST_LIST));
  EXPECT_EQ(LB_ERR, list.FindString(-1, "a"));
  for (const char* name : {"song.mp3", "Song.mp3", "月光.mp3", "other.mp3", "SONG two.mp3"})
    list.AddString(G(name));
  EXPECT_EQ(0, list.FindString(-1, "song"));  // from the start
  EXPECT_EQ(1, list.FindString(0, "SONG"));   // entry 0 comes last; letters ignore case
  EXPECT_EQ(4, list.FindString(1, "song"));
  EXPECT_EQ(0, list.FindString(4, "song"));   // wraps to the start
  EXPECT_EQ(2, list.FindString(0, G("月光")));
  EXPECT_EQ(2, list.FindString(2, G("月光")));  // the start entry itself is examined last
  EXPECT_EQ(LB_ERR, list.FindString(0, G("晚风")));
  EXPECT_EQ(LB_ERR, list.FindString(0, "song.mp3x"));
  // What the system's own search answers for the same list and start.
  for (int start : {-1, 0, 1, 3, 4}) {
    LRESULT sys = ::SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(start),
                                 reinterpret_cast<LPARAM>(L"song"));
    EXPECT_EQ(static_cast<int>(sys), list.FindString(start, "song")) << "start " << start;
  }
}

TEST_F(TextDialog, ComboEntriesKeepChineseText) {
  CComboBox combo(::GetDlgItem(m_dlg, IDC_TEST_COMBO));
  EXPECT_EQ(0, combo.AddString(G("<<取文件名一部分>>")));
  EXPECT_EQ(1, combo.AddString(G("歌手")));
  EXPECT_EQ(1, combo.InsertString(1, G("歌名")));
  EXPECT_EQ(3, combo.GetCount());
  EXPECT_EQ(G("歌名"), combo.GetLBText(1));
  EXPECT_EQ(G("歌手"), combo.GetLBText(2));
  EXPECT_EQ("", combo.GetLBText(7));
  combo.SetCurSel(2);
  EXPECT_EQ(2, combo.GetCurSel());
  EXPECT_EQ(G("歌手"), combo.GetWindowText());  // the edit field shows the choice
  combo.SetItemData(2, 77);
  EXPECT_EQ(77u, combo.GetItemData(2));
  EXPECT_EQ(2, combo.DeleteString(0));
  combo.ResetContent();
  EXPECT_EQ(0, combo.GetCount());
}

TEST_F(TextDialog, EditSelectionAndReplacement) {
  CEdit edit(::GetDlgItem(m_dlg, IDC_TEST_NAME));
  edit.SetWindowText(G("歌手 - 歌名"));
  edit.SetSel(0, 2);  // two characters, whatever their bytes
  edit.ReplaceSel(G("艺术家"));
  EXPECT_EQ(G("艺术家 - 歌名"), edit.GetWindowText());
  EXPECT_TRUE(edit.SetReadOnly(true));
  EXPECT_TRUE(edit.GetStyle() & ES_READONLY);
}

TEST_F(TextDialog, FindWindowByChineseTitle) {
  std::string title = G("同步显示歌词测试");
  m_dlg.SetWindowText(title);
  EXPECT_EQ(m_dlg.m_hWnd, CWnd::FindWindow("#32770", title));
  EXPECT_EQ(m_dlg.m_hWnd, CWnd::FindWindow(nullptr, title));
  EXPECT_EQ(nullptr, CWnd::FindWindow("#32770", G("同步显示歌词测试X")));
}

TEST_F(TextDialog, ClipboardKeepsChineseText) {
  std::string text = G("[00:12.340]晚风吹过\r\n第二行");
  ASSERT_TRUE(SetClipboardText(m_dlg, text));
  EXPECT_EQ(text, GetClipboardText(m_dlg));
  // Programs that read Unicode text get the characters.
  ASSERT_TRUE(::OpenClipboard(m_dlg));
  HANDLE h = ::GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(nullptr, h);
  EXPECT_STREQ(L"[00:12.340]晚风吹过\r\n第二行", static_cast<const wchar_t*>(::GlobalLock(h)));
  ::GlobalUnlock(h);
  ::CloseClipboard();
}

}  // namespace

namespace {

TEST(Environment, SimulatedKeysReachTheForegroundDialog) {
  // Programs here drive other windows with simulated keys; the test
  // environment (no window manager) must deliver them to the foreground.
  CDialog dlg(IDD_TEST_DATA);
  ASSERT_TRUE(dlg.Create(IDD_TEST_DATA));
  dlg.ShowWindow(SW_SHOW);
  ::SetForegroundWindow(dlg);
  HWND hEdit = ::GetDlgItem(dlg, IDC_TEST_NAME);
  ::SetFocus(hEdit);
  ::SetWindowTextW(hEdit, L"");
  PumpUntil([] { return false; }, 100);
  for (BYTE vk : {BYTE('V'), BYTE('M')}) {
    ::keybd_event(vk, static_cast<BYTE>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), 0, 0);
    ::keybd_event(vk, static_cast<BYTE>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP, 0);
  }
  EXPECT_TRUE(PumpUntil([&] { return dlg.GetDlgItemText(IDC_TEST_NAME) == "vm"; }, 3000))
      << dlg.GetDlgItemText(IDC_TEST_NAME);
  dlg.DestroyWindow();
}

TEST(Text, ResourceStringIsGbkAndEmptyWhenMissing) {
  EXPECT_EQ(G("<<取文件名一部分>>"), ResourceString(IDS_TEST_HINT));
  EXPECT_EQ("", ResourceString(IDS_TEST_HINT + 1));
}

}  // namespace
